#include "advanced_dialog/BloomShaderPatch.h"

#include "support/TempDir.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace dk3::advanced {
namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;
using test::readFile;
using test::TempDir;

const std::string kStatement =
    "cOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb );";

// A shader shaped like the game's: the sampler declaration, then the bloom statement ending in
// the given text (the statement's own end is ") * ( 1.0f -cOut.rgb )" + ending).
std::string shaderEndingIn(const std::string& ending) {
    return "sampler2D BloomImage;\r\n"
           "float4 main( VS_OUTPUT input ) : COLOR0\r\n{\r\n"
           "\tfloat4 cOut = tex2D( SceneImage, input.TexCoord0 );\r\n"
           "\tcOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb )" +
           ending + "\r\n\r\n\treturn cOut;\r\n}\r\n";
}

std::string patched(const std::string& text, int percent) {
    const auto result = patchBloomText(text, percent);
    EXPECT_TRUE(result) << text;
    return result.value_or(text);
}

TEST(BloomShaderPatch, SavingAndReadingTheStatementsFactor) {
    const std::string unedited = shaderEndingIn(";");
    EXPECT_EQ(bloomPercentOfText(unedited), 100);

    const std::string hundred = patched(unedited, 100);
    EXPECT_EQ(hundred, shaderEndingIn(" * 1.00;"));
    EXPECT_EQ(bloomPercentOfText(hundred), 100);

    const std::string off = patched(unedited, 0);
    EXPECT_EQ(off, shaderEndingIn(" * 0.00;"));
    EXPECT_EQ(bloomPercentOfText(off), 0);

    const std::string threeQuarters = patched(hundred, 75);
    EXPECT_EQ(threeQuarters, shaderEndingIn(" * 0.75;"));
    EXPECT_EQ(patched(threeQuarters, 75), threeQuarters);
    EXPECT_EQ(patched(threeQuarters, 200), shaderEndingIn(" * 2.00;"));
}

TEST(BloomShaderPatch, EveryStrengthRoundTrips) {
    // 29, 57, 58 and 113..116 are the strengths whose factors times 100 fall just below the whole
    // number; cutting instead of rounding would lose one percent on each save.
    const std::string unedited = shaderEndingIn(";");
    for (int percent = 0; percent <= 200; ++percent) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.%02d", percent / 100, percent % 100);
        EXPECT_EQ(bloomFactorText(percent), expected);
        const std::string text = patched(unedited, percent);
        EXPECT_EQ(bloomPercentOfText(text), percent) << percent;
        EXPECT_EQ(bloomPercentOfText(patched(text, percent)), percent) << percent;
    }
    EXPECT_EQ(bloomFactorText(-50), "-0.50");
}

TEST(BloomShaderPatch, FactorsTypedByHand) {
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 2.5;")), 200); // capped
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 0.5;")), 50);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * -0.5;")), -50); // no lower limit
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 1e999;")), 200);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * -1e999;")), INT_MIN);
    // Not numbers the statement could mean: they read as 0 ...
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * fBloomScale;")), 0);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * inf;")), 0);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 0x10;")), 0);
    // ... or as the number they start with; blanks inside the factor are dropped.
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 0.6x;")), 60);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 0.5 0;")), 50);
    EXPECT_EQ(bloomPercentOfText(shaderEndingIn(" * 0.5 * 1.2;")), 120);

    // A save writes its own form and replaces exactly the old factor, keeping the blanks and any
    // earlier factor around it.
    EXPECT_EQ(patched(shaderEndingIn(" * 0.5;"), 50), shaderEndingIn(" * 0.50;"));
    EXPECT_EQ(patched(shaderEndingIn(" *  1.00 ;"), 60), shaderEndingIn(" *  0.60 ;"));
    EXPECT_EQ(patched(shaderEndingIn(" * 0.5 0;"), 60), shaderEndingIn(" * 0.60;"));
    EXPECT_EQ(patched(shaderEndingIn(" * 0.5 * 1.2;"), 60), shaderEndingIn(" * 0.5 * 0.60;"));
    EXPECT_EQ(patched(shaderEndingIn(" * fBloomScale;"), 60), shaderEndingIn(" * 0.60;"));
}

TEST(BloomShaderPatch, AddsTheMissingStatementAboveTheReturn) {
    const std::string text = "sampler2D BloomImage;\r\n"
                             "float4 main() : COLOR0\r\n{\r\n"
                             "\tfloat4 cOut = 0;\r\n"
                             "\treturn cOut;\r\n}\r\n";
    EXPECT_EQ(bloomPercentOfText(text), 100);
    EXPECT_EQ(patched(text, 60), "sampler2D BloomImage;\r\n"
                                 "float4 main() : COLOR0\r\n{\r\n"
                                 "\tfloat4 cOut = 0;\r\n"
                                 "\t" +
                                     kStatement.substr(0, kStatement.size() - 1) +
                                     " * 0.60;\r\n\r\n"
                                     "\treturn cOut;\r\n}\r\n");
    EXPECT_EQ(bloomPercentOfText(patched(text, 60)), 60);
}

TEST(BloomShaderPatch, LeavesTextsWithoutABloomStatementAlone) {
    // Neither the statement nor a return to put it above.
    EXPECT_FALSE(patchBloomText("sampler2D BloomImage;\r\nfloat4 main() { return 0; }\r\n", 60));
    EXPECT_FALSE(patchBloomText("", 60));
    // The return is the very first text: there is no character in front of it to insert at.
    EXPECT_FALSE(patchBloomText("return cOut;", 60));
    // A second marker that is no bloom statement: the walk back from its ';' finds neither ')' nor
    // '*' and would take the marker itself for the factor.
    const std::string declarations = "texture BloomImageTexture;\r\nsampler2D BloomImage;\r\n"
                                     "\treturn cOut;\r\n";
    EXPECT_FALSE(patchBloomText(declarations, 60));
    EXPECT_EQ(bloomPercentOfText(declarations), 100);
}

TEST(BloomShaderPatch, AStatementHeldOnceIsTheOneWhateverStandsBeforeIt) {
    const std::string statement = "\t" + kStatement + "\r\n";
    const std::string patchedStatement =
        "\t" + kStatement.substr(0, kStatement.size() - 1) + " * 0.60;\r\n";
    const std::string body = "float4 main() : COLOR0\r\n{\r\n\tfloat4 cOut = 0;\r\n";
    const std::string end = "\r\n\treturn cOut;\r\n}\r\n";
    // No declaration in front of it, a marker in a comment in front of it, or the declaration
    // standing behind the return: the one statement is read and patched, nothing is added.
    for (const std::string& head : {std::string(), "// BloomImage: the glow\r\n"s,
                                    "// BloomImage\r\nsampler2D BloomImage;\r\n"s}) {
        for (const std::string& tail : {std::string(), "sampler2D BloomImage;\r\n"s}) {
            const std::string text = head + body + statement + end + tail;
            const std::string once = patched(text, 60);
            EXPECT_EQ(once, head + body + patchedStatement + end + tail) << text;
            EXPECT_EQ(bloomPercentOfText(once), 60) << text;
            EXPECT_EQ(patched(once, 60), once) << text;
        }
    }
    // No marker at all, or only one behind the return: the statement is added once, and later
    // saves change its factor instead of adding another.
    for (const std::string& tail : {std::string(), "// BloomImage\r\n"s}) {
        const std::string text = body + "\treturn cOut;\r\n}\r\n" + tail;
        const std::string first = patched(text, 50);
        EXPECT_EQ(first, body + "\t" + kStatement.substr(0, kStatement.size() - 1) +
                             " * 0.50;\r\n\r\n\treturn cOut;\r\n}\r\n" + tail);
        EXPECT_EQ(bloomPercentOfText(first), 50);
        const std::string second = patched(first, 80);
        EXPECT_EQ(second, patched(text, 80));
        EXPECT_EQ(bloomPercentOfText(second), 80);
    }
    // A statement that lost its ';' does not take the following lines for its factor.
    const std::string cut = "sampler2D BloomImage;\r\n" + body + "\t" +
                            kStatement.substr(0, kStatement.size() - 1) + end;
    EXPECT_EQ(bloomPercentOfText(cut), 100);
    EXPECT_FALSE(patchBloomText(cut, 60));
}

TEST(BloomShaderPatch, KeepsEveryOtherByte) {
    std::string before = "// \xE4\xF6\xFC \x80 \xFF";
    before += std::string("\0\x01\r\n", 4);
    before += "\nsampler2D BloomImage;\r\r\n";
    const std::string after = std::string("\r\n\0tail\xA0", 9);
    const std::string text = before + "\t" + kStatement + after;
    EXPECT_EQ(patched(text, 40),
              before + "\t" + kStatement.substr(0, kStatement.size() - 1) + " * 0.40;" + after);
}

TEST(BloomShaderPatch, RandomTextsNeverBreakAndTwoMarkerTextsRoundTrip) {
    // Texts put together from the pieces the algorithms look at, in random order.
    const std::vector<std::string> pieces = {
        "BloomImage",         "return cOut", ";",   ")", "*",        " ",    "\t", "\r\n",
        std::string(1, '\0'), "0.5",         "1e3", "x", kStatement, "\xFF", "-",  "."};
    std::mt19937 random(20240611);
    int roundTrips = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % pieces.size()];
        const int percent = static_cast<int>(random() % 260) - 30;
        (void)bloomPercentOfText(text);
        const auto result = patchBloomText(text, percent);
        const auto first = text.find("BloomImage");
        const bool twoMarkers =
            first != std::string::npos && text.find("BloomImage", first + 10) != std::string::npos;
        if (result && twoMarkers) {
            EXPECT_EQ(bloomPercentOfText(*result), std::min(percent, 200)) << text;
            EXPECT_EQ(patchBloomText(*result, percent), result) << text;
            ++roundTrips;
        }
    }
    EXPECT_GT(roundTrips, 300); // the mix of pieces must reach the interesting case often
}

TEST(BloomShaderFile, ReadsAndWritesTheFileInPlace) {
    TempDir dir;
    const auto file = dir.write("IP_DOF.fx", shaderEndingIn(";"));
    auto read = readBloomPercent(file);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.percent, 100);

    const auto written = writeBloomPercent(file, 75);
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(readFile(file), shaderEndingIn(" * 0.75;"));
    EXPECT_EQ(readBloomPercent(file).percent, 75);
    // Nothing but the shader is left in the folder (no temporary file, no backup).
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(BloomShaderFile, FailuresLeaveTheFileAsItWasAndSayWhy) {
    TempDir dir;
    // Missing: both operations fail naming the file, and the write creates nothing.
    const auto missing = dir / "IP_DOF.fx";
    const auto read = readBloomPercent(missing);
    EXPECT_EQ(read.status, BloomStatus::ReadFailed);
    EXPECT_EQ(read.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(read.percent, 100);
    EXPECT_EQ(read.file, missing);
    const auto write = writeBloomPercent(missing, 50);
    EXPECT_EQ(write.status, BloomStatus::ReadFailed);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_NE(describeBloomResult(write).find(missing.string()), std::string::npos);
    EXPECT_EQ(describeBloomResult(readBloomPercent(dir.path())).rfind("Cannot read", 0), 0u);

    // No bloom statement and nowhere to add one: a result of its own, the file untouched.
    const std::string plain = "sampler2D BloomImage;\r\nfloat4 main() { return 0; }\r\n";
    const auto plainFile = dir.write("plain.fx", plain);
    EXPECT_EQ(readBloomPercent(plainFile).status, BloomStatus::NoBloomStatement);
    EXPECT_EQ(writeBloomPercent(plainFile, 50).status, BloomStatus::NoBloomStatement);
    EXPECT_EQ(readFile(plainFile), plain);

    // A file that can be read but not written (root may write anything, so skip it there).
    if (::geteuid() != 0) {
        const auto readOnly = dir.write("ro.fx", shaderEndingIn(";"));
        fs::permissions(readOnly, fs::perms::owner_read);
        const auto result = writeBloomPercent(readOnly, 50);
        EXPECT_EQ(result.status, BloomStatus::WriteFailed);
        EXPECT_TRUE(result.error);
        EXPECT_EQ(readFile(readOnly), shaderEndingIn(";"));
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_write);
        const auto unreadable = dir.write("unreadable.fx", shaderEndingIn(";"));
        fs::permissions(unreadable, fs::perms::none);
        EXPECT_EQ(readBloomPercent(unreadable).error, std::errc::permission_denied);
    }
}

TEST(BloomShaderFile, DemoShaderTakesOnlyTheFactorEdits) {
    TempDir dir;
    test::copyDemoInstallation(dir.path());
    const auto shader = dir / "Data/Materials/Effects/ImageProcessing/IP_DOF.fx";
    const auto original = readFile(shader);
    ASSERT_TRUE(original);
    EXPECT_EQ(readBloomPercent(shader).percent, 100);

    const std::string end = "( 1.0f -cOut.rgb );";
    const auto at = original->find(end);
    ASSERT_NE(at, std::string::npos);
    const auto withFactor = [&](const std::string& factor) {
        return std::string(*original).insert(at + end.size() - 1, " * " + factor);
    };
    ASSERT_TRUE(writeBloomPercent(shader, 60).ok());
    EXPECT_EQ(readFile(shader), withFactor("0.60"));
    EXPECT_EQ(readBloomPercent(shader).percent, 60);
    ASSERT_TRUE(writeBloomPercent(shader, 100).ok());
    EXPECT_EQ(readFile(shader), withFactor("1.00"));
    EXPECT_EQ(readBloomPercent(shader).percent, 100);
}

} // namespace
} // namespace dk3::advanced
