#include "discovery/WineRegistry.h"

#include <gtest/gtest.h>

namespace dk3::discovery {
namespace {

constexpr std::string_view kGameKey =
    "Software\\Wow6432Node\\Brannholt Productions Software AG\\Draskel III";

TEST(WineRegistry, ReadsValuesOfEveryKindWithWinesEscapes) {
    const auto registry = WineRegistry::parse(
        "WINE REGISTRY Version 2\r\n"
        ";; All keys relative to \\\\Machine\r\n"
        "\r\n"
        "#arch=win64\r\n"
        "\r\n"
        "[Software\\\\Wow6432Node\\\\Brannholt Productions Software AG\\\\Draskel III] "
        "1700000000\r\n"
        "#time=1d9c0a8b2e4f6a0\r\n"
        "\"INSTALL_DIR\"=\"C:\\\\Games\\\\Dr\\x00e4skel \\\"3\\\"\"\r\n"
        "@=\"default\"\r\n"
        "\"Expand\"=str(2):\"%USERPROFILE%\\\\Documents\"\r\n"
        "\"List\"=str(7):\"a\\0b\\0\"\r\n"
        "\"Number\"=dword:0000002a\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n"
        "  03,ff\r\n"
        "\"Wide\"=hex(2):43,00,3a,00,5c,00,00,00\r\n"
        "\"Esc\"=\"\\t\\n\\r\\a\\033\\x41\\x263a\\xd83d\\xde00\\xd800!\"\r\n");
    ASSERT_TRUE(registry);
    // Key and value names without regard to letter case.
    EXPECT_EQ(
        registry->text("software\\WOW6432NODE\\brannholt productions software ag\\draskel iii",
                       "install_dir"),
        "C:\\Games\\Dr\xC3\xA4skel \"3\"");
    EXPECT_EQ(registry->text(kGameKey, ""), "default");
    EXPECT_EQ(registry->text(kGameKey, "Expand"), "%USERPROFILE%\\Documents");
    EXPECT_EQ(registry->find(kGameKey, "Expand")->type, 2u);
    EXPECT_EQ(registry->text(kGameKey, "List"), std::string("a\0b\0", 4));
    EXPECT_EQ(registry->find(kGameKey, "Number")->number, 42u);
    EXPECT_EQ(registry->text(kGameKey, "Number"), std::nullopt);
    EXPECT_EQ(registry->find(kGameKey, "Bytes")->bytes, (std::vector<std::uint8_t>{1, 2, 3, 0xff}));
    EXPECT_EQ(registry->text(kGameKey, "Wide"), "C:\\");
    // \x takes at most four digits; a surrogate pair becomes one character, a lone one U+FFFD.
    EXPECT_EQ(registry->text(kGameKey, "Esc"), "\t\n\r\a\x1b"
                                               "A\xE2\x98\xBA\xF0\x9F\x98\x80\xEF\xBF\xBD!");
    EXPECT_EQ(registry->text(kGameKey, "Missing"), std::nullopt);
    EXPECT_EQ(registry->text("Software", "INSTALL_DIR"), std::nullopt);
}

TEST(WineRegistry, KeepsOnlyAskedKeysAndMergesRepeatedOnes) {
    const std::string text = "WINE REGISTRY Version 2\n"
                             "[Other] 1\n"
                             "\"Big\"=hex:00,\\\n"
                             "  01\n"
                             "\"x\"=\"1\"\n"
                             "\"y\"=\"[Wanted\\\\Key] inside a text\"\n"
                             "  [Wanted\\\\Key]\n"
                             "\"a\"=\"1\"\n"
                             "[wanted\\\\key] 5\n"
                             "\"b\"=\"2\"\n"
                             "[Wanted\\\\\\x004bey]\n" // an escaped letter needs the full reading
                             "\"c\"=\"3\"\n";
    const auto registry = WineRegistry::parse(text, {"WANTED\\key"});
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->keyCount(), 1u);
    EXPECT_EQ(registry->text("Wanted\\Key", "a"), "1");
    EXPECT_EQ(registry->text("Wanted\\Key", "b"), "2");
    EXPECT_EQ(registry->text("Wanted\\Key", "c"), "3");
    EXPECT_EQ(registry->text("Other", "x"), std::nullopt);
    EXPECT_EQ(WineRegistry::parse(text)->text("Other", "x"), "1");
}

TEST(WineRegistry, RefusesDamagedFiles) {
    const std::string header = "WINE REGISTRY Version 2\n";
    for (const std::string& text : {
             std::string(""),
             std::string("REGEDIT4\n[A]\n\"a\"=\"b\"\n"), // not Wine's format
             header + "\"a\"=\"b\"\n",                    // value outside a key
             header + "[A\n",                             // key name not closed
             header + "[A] 12x\n",                        // junk after the time
             header + "[A]\n\"a\"=\"b\n",                 // missing quote
             header + "[A]\n\"a\"\"b\"\n",                // no equals sign
             header + "[A]\n\"a\"=\"b\" junk\n",          // junk after the value
             header + "[A]\n\"a\"=dword:123456789\n",     // nine digits
             header + "[A]\n\"a\"=dword:\n",              // no digits
             header + "[A]\n\"a\"=hex:0g\n",              // not hex
             header + "[A]\n\"a\"=hex:01,\\\n",           // continuation at the end
             header + "[A]\n\"a\"=str(2\"x\"\n",          // type not closed
             header + "[A]\n\"a\"=\"\\x\"\n",             // \x without digits
             header + "[A]\n\"a\"=\"\xff\xfe\"\n",        // not UTF-8
             header + "[A]\nrandom words\n",
         })
        EXPECT_FALSE(WineRegistry::parse(text)) << text;
}

TEST(WineRegistry, Utf16ToUtf8CoversEveryLength) {
    EXPECT_EQ(utf16ToUtf8(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

} // namespace
} // namespace dk3::discovery
