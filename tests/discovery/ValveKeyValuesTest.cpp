#include "discovery/ValveKeyValues.h"

#include <gtest/gtest.h>

namespace dk3::discovery {
namespace {

TEST(ValveKeyValues, ReadsNestedLibraryListWithCommentsEscapesAndAnyKeyCase) {
    const auto root = parseKeyValues("\xEF\xBB\xBF// written by Steam\n"
                                     "\"libraryfolders\"\n{\n"
                                     "\t\"0\"\n\t{\n"
                                     "\t\t\"path\"\t\t\"/home/me/.local/share/Steam\"\n"
                                     "\t\t\"label\"\t\t\"\"\n"
                                     "\t\t\"apps\" { \"228980\" \"1234\" }\n"
                                     "\t}\n"
                                     "\t\"1\" { \"PATH\" \"D:\\\\Games \\\"x\\\"\\tend\\n\" }\n"
                                     "}\n");
    ASSERT_TRUE(root);
    const KeyValueNode* folders = root->find("LibraryFolders");
    ASSERT_TRUE(folders && folders->isBlock);
    ASSERT_EQ(folders->children.size(), 2u);
    EXPECT_EQ(folders->children[0].text("path"), "/home/me/.local/share/Steam");
    EXPECT_EQ(folders->children[0].text("label"), "");
    EXPECT_EQ(folders->children[0].text("apps"), std::nullopt); // a block, not a value
    EXPECT_EQ(folders->children[0].find("apps")->text("228980"), "1234");
    EXPECT_EQ(folders->children[1].text("path"), "D:\\Games \"x\"\tend\n");
}

TEST(ValveKeyValues, ReadsBareWordsAndKeepsUnknownEscapes) {
    const auto root = parseKeyValues("AppState { appid 42 \"installdir\" \"a\\qb\" }");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->find("appstate")->text("appid"), "42");
    EXPECT_EQ(root->find("appstate")->text("installdir"), "a\\qb");
    EXPECT_TRUE(parseKeyValues(""));
    EXPECT_TRUE(parseKeyValues("  // only a comment"));
}

TEST(ValveKeyValues, RefusesDamagedAndBinaryText) {
    for (const std::string& text : {
             std::string("\"a\" {"),                    // block left open
             std::string("\"a\" \"b\" }"),              // closing brace without block
             std::string("\"a\""),                      // key without value
             std::string("\"a\" \"unterminated"),       // missing quote
             std::string("\"a\" \"b\\"),                // escape at the end
             std::string("{ \"a\" \"b\" }"),            // block without key
             std::string("\"a\" \"b\0c\"", 9),          // NUL inside a value
             std::string("\"a\" \"b\\\0\"", 9),         // NUL after a backslash
             std::string("\0\0\x02libraryfolders", 17), // binary key-value file
         })
        EXPECT_FALSE(parseKeyValues(text)) << text;
}

TEST(ValveKeyValues, RefusesNestingBeyondLimitButReadsUpToIt) {
    const auto nested = [](std::size_t depth) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i)
            text += "k {";
        for (std::size_t i = 0; i < depth; ++i)
            text += "}";
        return text;
    };
    EXPECT_TRUE(parseKeyValues(nested(kMaxKeyValueDepth)));
    EXPECT_FALSE(parseKeyValues(nested(kMaxKeyValueDepth + 1)));
    EXPECT_FALSE(parseKeyValues(std::string(100000, '{')));
}

} // namespace
} // namespace dk3::discovery
