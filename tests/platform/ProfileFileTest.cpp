#include "platform/ProfileFile.h"

#include "support/TempDir.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace dk3::profile {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

using namespace std::string_literals;

class ProfileFile : public ::testing::Test {
protected:
    fs::path file(std::string_view content) { return dir.write("t.ini", content); }

    // Reads key of section from a file holding content; "<default>" marks the default.
    std::string read(std::string_view content, std::string_view section, std::string_view key) {
        return readText(file(content), section, key, "<default>");
    }

    // Writes into a file holding content and gives the file's new bytes.
    std::string written(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value) {
        const fs::path path = file(content);
        EXPECT_FALSE(writeText(path, section, key, value));
        return readFile(path).value_or("<unreadable>");
    }

    static ino_t inode(const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_ino;
    }

    TempDir dir;
};

TEST_F(ProfileFile, ParsesLinesHeadersAndEntriesAsWindowsDoes) {
    // Any run of CR and LF ends a line.
    for (const std::string_view ends : {"\r\n", "\n", "\r", "\r\r\n\n"}) {
        const std::string content = "[A]"s.append(ends) + "a=1" + std::string(ends) + "b=2";
        EXPECT_EQ(read(content, "A", "b"), "2") << "line ends " << testing::PrintToString(ends);
    }
    // Blanks 0x09-0x0D, 0x1A and 0x20 go from both ends; nothing else does.
    EXPECT_EQ(read("\t[ A ]\x0b\n\x0c key \t=\x1a value \x1a\n", "A", "key"), "value");
    EXPECT_EQ(read("[A]\nk=\x01x\x7f\n", "A", "k"), "\x01x\x7f");
    // The last ']' closes the section name and the rest of the line is ignored.
    EXPECT_EQ(read("[T]junk\nk=1\n", "T", "k"), "1");
    EXPECT_EQ(read("[U]]\nk=1\n", "U]", "k"), "1");
    EXPECT_EQ(read("[a]b]\nk=1\n", "a]b", "k"), "1");
    EXPECT_EQ(read("[a=b]\nk=1\n", "a=b", "k"), "1");
    // '[' without ']' is an entry of the current section.
    EXPECT_EQ(read("[A]\n[k=1\n", "A", "[k"), "1");
    EXPECT_EQ(read("[A]\n[broken\nk=1\n", "A", "k"), "1");
    // The first '=' splits; there are no inline comments.
    EXPECT_EQ(read("[A]\na==b\n", "A", "a"), "=b");
    EXPECT_EQ(read("[A]\nk=7 ; note\n", "A", "k"), "7 ; note");
    EXPECT_EQ(read("[A]\n;k=2\n#k=3\n", "A", ";k"), "2");
    EXPECT_EQ(read("[A]\n;k=2\n#k=3\n", "A", "#k"), "3");
    EXPECT_EQ(read("[A]\n;k=2\n", "A", "k"), "<default>");
    // Lines before the first header form the section "".
    EXPECT_EQ(read("top=1\n[A]\nk=2\n", "", "top"), "1");
    EXPECT_EQ(read("top=1\n[A]\nk=2\n", "A", "top"), "<default>");
    // ... even when they hold nothing: a "[]" header is a later duplicate that Wine never finds.
    EXPECT_EQ(read("\n[]\nk=2\n", "", "k"), "<default>");
    EXPECT_EQ(read("[\x0b]\nk=2\n", "", "k"), "<default>");
    EXPECT_EQ(read("top=1\n[]\nk=2\n", "", "k"), "<default>");
    // A NUL byte ends the name or the value; the line goes on after it.
    EXPECT_EQ(read("[A]\nk=va\0lue\nm=2\n"s, "A", "k"), "va");
    EXPECT_EQ(read("[A]\nk=va\0lue\nm=2\n"s, "A", "m"), "2");
    EXPECT_EQ(read("[A]\nke\0y=value\n"s, "A", "ke"), "value");
    EXPECT_EQ(read("[Se\0ction]\nk=1\n"s, "Se", "k"), "1");
}

TEST_F(ProfileFile, MatchesNamesInFullIgnoringAsciiCaseAndOnlyFirstOccurrences) {
    const std::string content = "[Engine.Setup]\n"
                                "Render.DOFStart=1\n"
                                "key=first\n"
                                "KEY=second\n"
                                "\xc4pfel=A\n"
                                "[Other]\n"
                                "only=other\n"
                                "[ENGINE.SETUP]\n"
                                "later=dup\n"
                                "Render.DOFStart=99\n";
    EXPECT_EQ(read(content, "engine.setup", "render.dofstart"), "1");
    EXPECT_EQ(read(content, "  Engine.Setup\t", " key "), "first");
    EXPECT_EQ(read(content, "Engine.Setup", "\xc4pfel"), "A");
    EXPECT_EQ(read(content, "Engine.Setup", "\xe4pfel"), "<default>"); // only ASCII folds
    EXPECT_EQ(read(content, "Engine", "key"), "<default>");            // no prefixes
    EXPECT_EQ(read(content, "Engine.Setup", "ke"), "<default>");
    EXPECT_EQ(read(content, "Engine.Setup", "only"), "<default>");  // other section's key
    EXPECT_EQ(read(content, "Engine.Setup", "later"), "<default>"); // only in a duplicate
    // The first matching key counts even when it has no value.
    EXPECT_EQ(read("[A]\nk\nk=1\n", "A", "k"), "<default>");
}

TEST_F(ProfileFile, ReadsTextWithQuotesDefaultsAndBufferSize) {
    const std::string content = "[A]\n"
                                "q=\"x\"\n"
                                "s='y'\n"
                                "e=\"\"\n"
                                "in=\"a\"b\"\n"
                                "lone=\"\n"
                                "open=\"abc\n"
                                "close=abc\"\n"
                                "mixed=\"abc'\n"
                                "blank=  \"  spaced  \"  \n"
                                "empty=\n"
                                "novalue\n"
                                "long=0123456789\n"
                                "bar=Zeile|zwei\n";
    const fs::path path = file(content);
    const auto text = [&](std::string_view key) {
        return readText(path, "A", key, "def  ");
    };
    EXPECT_EQ(text("q"), "x");
    EXPECT_EQ(text("s"), "y");
    EXPECT_EQ(text("e"), "");
    EXPECT_EQ(text("in"), "a\"b");
    EXPECT_EQ(text("lone"), "\"");
    EXPECT_EQ(text("open"), "\"abc");
    EXPECT_EQ(text("close"), "abc\"");
    EXPECT_EQ(text("mixed"), "\"abc'");
    EXPECT_EQ(text("blank"), "  spaced  ");
    EXPECT_EQ(text("empty"), "");      // an empty value is not the default
    EXPECT_EQ(text("novalue"), "def"); // trailing blanks of the default go
    EXPECT_EQ(text("missing"), "def");
    EXPECT_EQ(text("bar"), "Zeile|zwei");
    EXPECT_EQ(readText(path, "Missing", "q", "  d \t"), "  d");
    EXPECT_EQ(readText(dir / "none.ini", "A", "q", "d"), "d");
    EXPECT_FALSE(fs::exists(dir / "none.ini")); // reads never create files

    EXPECT_EQ(readText(path, "A", "long", "", 5), "0123");
    EXPECT_EQ(readText(path, "A", "long", "", 11), "0123456789");
    EXPECT_EQ(readText(path, "A", "q", "", 1), "");
    EXPECT_EQ(readText(path, "A", "q", "", 0), "");
    EXPECT_EQ(readText(path, "A", "missing", "default", 4), "def");
}

TEST_F(ProfileFile, CutsQuotedTextsToTheBufferBeforeTakingOffTheirQuotes) {
    const fs::path path = file("[A]\nq=\"x\"\nin=\"a\"b\"\ns='yz'\nplain=abc\n");
    // The closing quote goes after the cut, so a quoted text cut short loses one more character.
    EXPECT_EQ(readText(path, "A", "q", "", 2), "");
    EXPECT_EQ(readText(path, "A", "q", "", 3), "x");
    EXPECT_EQ(readText(path, "A", "in", "", 4), "a\"");
    EXPECT_EQ(readText(path, "A", "in", "", 5), "a\"b");
    EXPECT_EQ(readText(path, "A", "in", "", 3), "a\"");
    EXPECT_EQ(readText(path, "A", "s", "", 3), "y");
    EXPECT_EQ(readText(path, "A", "plain", "", 3), "ab");
    // A default takes the same way: its quotes go, with or without the file.
    EXPECT_EQ(readText(path, "A", "missing", "\"dq\""), "dq");
    EXPECT_EQ(readText(path, "A", "missing", "\"dq\"  "), "dq");
    EXPECT_EQ(readText(dir / "none.ini", "A", "k", "'dq'", 3), "d");
    EXPECT_EQ(readText(path, "A", "missing", "\"dq"), "\"dq");
}

TEST_F(ProfileFile, ReadsIntegersLikeGetPrivateProfileInt) {
    struct Case {
        std::string value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"-300.0", -300},
        {"6000.0", 6000},
        {" 42abc", 42},
        {"abc", 0},
        {"", 77}, // empty gives the default
        {"+5", 5},
        {"0x10", 16},
        {"0xfF", 255},
        {"0X1F", 0},
        {"0o17", 15},
        {"0O17", 0},
        {"0b101", 5},
        {"0B101", 0},
        {"0b102", 2},
        {"0x", 0},
        {"-0x10", -16},
        {"010", 10},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"4294967297", 1},
        {"-4294967295", 1},
        {"- 5", 0},
        {"--5", 0},
        {"\"12\"", 12},  // quotes are removed first
        {"\" -7\"", -7}, // then leading blanks are skipped
        {"\"\"", 77},    // empty after the quotes
        {"1 000", 1},
        {std::string(28, '0') + "12", 1},  // only the first 29 characters count
        {std::string(27, '0') + "12", 12}, // the digits are within them
    };
    for (const Case& c : cases) {
        const fs::path path = file("[A]\nk=" + c.value + "\n");
        EXPECT_EQ(readInt(path, "A", "k", 77), c.expected) << "value " << c.value;
    }
    const fs::path path = file("[A]\nnovalue\n");
    EXPECT_EQ(readInt(path, "A", "novalue", -1), -1);
    EXPECT_EQ(readInt(path, "A", "missing", -2), -2);
    EXPECT_EQ(readInt(dir / "none.ini", "A", "k", -3), -3);
}

TEST_F(ProfileFile, WritesExistingKeyChangingOnlyItsLine) {
    const std::string content = "; Engine settings\r\n"
                                "[Engine.Setup]\r\n"
                                "  Render.DOFStart = 1  \r\n"
                                "a = 1\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Caf\xe9=\xe4\xf6\xfc\r\n";
    // The file's spelling of the name, the value without leading blanks but with trailing ones.
    EXPECT_EQ(written(content, "engine.setup", "RENDER.DOFSTART", "  2.0 "),
              "; Engine settings\r\n"
              "[Engine.Setup]\r\n"
              "Render.DOFStart=2.0 \r\n"
              "a = 1\r\n"
              "\r\n"
              "[Other]\r\n"
              "Caf\xe9=\xe4\xf6\xfc\r\n");
    // An entry without '=' becomes Name=value.
    EXPECT_EQ(written("[A]\r\n Key \r\nb=2\r\n", "A", "key", "v"), "[A]\r\nKey=v\r\nb=2\r\n");
    EXPECT_EQ(written("[A]\r\nk\r\n", "A", "k", ""), "[A]\r\nk=\r\n");
    // A stored value in quotes differs from the bare value.
    EXPECT_EQ(written("[A]\nk=\"x\"\n", "A", "k", "x"), "[A]\nk=x\n");
    // The first match in the first matching section is the one that changes.
    EXPECT_EQ(written("[A]\nk=1\nk=2\n[a]\nk=3\n", "A", "k", "9"), "[A]\nk=9\nk=2\n[a]\nk=3\n");
}

TEST_F(ProfileFile, WritingTheStoredValueLeavesTheFileAlone) {
    const fs::path path = file("[A]\r\nk = same  \r\nq=\"x\"\r\nz=5\0junk\r\n"s);
    const auto before = readFile(path);
    const ino_t node = inode(path);
    ::chmod(path.c_str(), 0444); // a write attempt would fail, so success proves no write
    EXPECT_FALSE(writeText(path, "a", "K", "  same"));
    EXPECT_FALSE(writeText(path, "A", "q", "\"x\""));
    EXPECT_FALSE(writeText(path, "A", "z", "5"));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(inode(path), node);
    // Compared case-sensitively: another spelling is a change.
    ::chmod(path.c_str(), 0644);
    EXPECT_FALSE(writeText(path, "A", "k", "SAME"));
    EXPECT_EQ(readFile(path), "[A]\r\nk=SAME\r\nq=\"x\"\r\nz=5\0junk\r\n"s);
}

TEST_F(ProfileFile, AddsKeysSectionsAndFiles) {
    // A new key goes after the section's last non-blank line, before the blank lines.
    EXPECT_EQ(written("[A]\r\na=1\r\n; last\r\n\r\n  \r\n[B]\r\nb=1\r\n", "A", "k", "v"),
              "[A]\r\na=1\r\n; last\r\nk=v\r\n\r\n  \r\n[B]\r\nb=1\r\n");
    EXPECT_EQ(written("[A]\r\n\r\n[B]\r\n", "a", "k", "v"), "[A]\r\nk=v\r\n\r\n[B]\r\n");
    EXPECT_EQ(written("[A]\r\na=1", "A", "k", "v"), "[A]\r\na=1\r\nk=v\r\n");
    EXPECT_EQ(written("[A]", "A", "k", "v"), "[A]\r\nk=v\r\n");
    // Into the first matching section even when a later duplicate holds the key.
    EXPECT_EQ(written("[A]\nx=1\n[B]\n[A]\nk=2\n", "A", "k", "3"),
              "[A]\nx=1\nk=3\n[B]\n[A]\nk=2\n");
    // A header with trailing junk is still the section.
    EXPECT_EQ(written("[A] junk\nx=1\n", "A", "k", "3"), "[A] junk\nx=1\nk=3\n");
    // Lines before the first header are the section "".
    EXPECT_EQ(written("top=1\n\n[A]\n", "", "k", "2"), "top=1\nk=2\n\n[A]\n");
    EXPECT_EQ(written("[]\nk=1\n[A]\n", "", "k", "2"), "k=2\n[]\nk=1\n[A]\n");
    EXPECT_EQ(written("", "", "k", "2"), "k=2\r\n");
    EXPECT_EQ(written("[A]\n", "", "\xef\xbb\xbfk", "2"), " \xef\xbb\xbfk=2\n[A]\n");

    // A new section is appended with no blank line before it; a missing final line end first.
    EXPECT_EQ(written("[A]\r\na=1\r\n\r\n", "B", "k", "v"), "[A]\r\na=1\r\n\r\n[B]\r\nk=v\r\n");
    EXPECT_EQ(written("[A]\r\na=1", " B ", " k ", "v"), "[A]\r\na=1\r\n[B]\r\nk=v\r\n");
    EXPECT_EQ(written("", "B", "k", "v"), "[B]\r\nk=v\r\n");
    EXPECT_EQ(written("x=1\x1a", "B", "k", "v"), "x=1\x1a\r\n[B]\r\nk=v\r\n");

    // A missing file in an existing folder is created.
    const fs::path fresh = dir / "new.ini";
    EXPECT_FALSE(writeText(fresh, "Options.Video", "Resolution.Width", "1024"));
    EXPECT_EQ(readFile(fresh), "[Options.Video]\r\nResolution.Width=1024\r\n");
    // The section "" needs no header, and a "[]" one would hide it.
    const fs::path top = dir / "top.ini";
    EXPECT_FALSE(writeText(top, "", "k", "1"));
    EXPECT_EQ(readFile(top), "k=1\r\n");
    EXPECT_EQ(readText(top, "", "k", "<default>"), "1");
}

TEST_F(ProfileFile, NewLinesFollowTheFileLineEnds) {
    EXPECT_EQ(written("[A]\na=1\n", "A", "k", "v"), "[A]\na=1\nk=v\n");
    EXPECT_EQ(written("[A]\ra=1\r", "A", "k", "v"), "[A]\ra=1\rk=v\r");
    EXPECT_EQ(written("[A]\na=1", "B", "k", "v"), "[A]\na=1\n[B]\nk=v\n");
    EXPECT_EQ(written("[A]\ra=1\r", "B", "k", "v"), "[A]\ra=1\r[B]\rk=v\r");
    EXPECT_EQ(written("a=1", "B", "k", "v"), "a=1\r\n[B]\r\nk=v\r\n");
    // Mixed: the majority wins; the line end after the section's last line is kept as it is.
    EXPECT_EQ(written("[A]\r\na=1\nb=1\r\n[B]\r\n", "A", "k", "v"),
              "[A]\r\na=1\nb=1\r\nk=v\r\n[B]\r\n");
    EXPECT_EQ(written("[A]\na=1\r\nb=1\n[B]\n", "A", "k", "v"), "[A]\na=1\r\nb=1\nk=v\n[B]\n");
    // Only one line end of a run stays before the new key.
    EXPECT_EQ(written("[A]\na=1\n\r\n\n[B]\n", "A", "k", "v"), "[A]\na=1\nk=v\n\r\n\n[B]\n");
}

TEST_F(ProfileFile, KeepsEveryOtherByteOfTheFile) {
    // Comments, spacing, unknown keys, 8-bit bytes, control bytes and NUL bytes all survive.
    const std::string head = "\xef\xbb\xbf; Kommentar \xe4\xf6\xfc\xdf \x80\x9f\r\n"
                             "# hash = comment\r\n"
                             "[Engine.Setup]  \r\n"
                             "a = 1\t\r\n"
                             "weird\0key=\0\x01\x02\xff\r\n"s;
    const std::string tail = "\r\n\r\n"
                             "[Other]\n"
                             "x=y\r"
                             "  spaced   =   value  \x1a\r\n"s;
    const std::string content = head + "k=old\r\n" + tail;
    EXPECT_EQ(written(content, "Engine.Setup", "k", "new"), head + "k=new\r\n" + tail);
    EXPECT_EQ(written(content, "Engine.Setup", "n", "1"), head + "k=old\r\nn=1\r\n" + tail);
    EXPECT_EQ(written(content, "Added", "n", "1"), content + "[Added]\r\nn=1\r\n");
}

TEST_F(ProfileFile, WrittenFilesReadBack) {
    const fs::path path = dir / "round.ini";
    ASSERT_FALSE(writeText(path, "Engine.Setup", "Render.DOFStart", "-300.0"));
    ASSERT_FALSE(writeText(path, "Engine.Setup", "Texture", "high"));
    ASSERT_FALSE(writeText(path, "Options.Video", "Resolution.Width", "1024"));
    ASSERT_FALSE(writeText(path, "ENGINE.setup", "render.dofstart", "6000.0 "));
    ASSERT_FALSE(writeText(path, "deutsch", "TEXT_X",
                           "Gr\xf6\xdf"
                           "e|zwei ; drei"));
    EXPECT_EQ(readInt(path, "Engine.Setup", "Render.DOFStart", 0), 6000);
    EXPECT_EQ(readText(path, "Engine.Setup", "Texture", ""), "high");
    EXPECT_EQ(readInt(path, "Options.Video", "Resolution.Width", 0), 1024);
    EXPECT_EQ(readText(path, "deutsch", "TEXT_X", ""), "Gr\xf6\xdf"
                                                       "e|zwei ; drei");
    EXPECT_EQ(readFile(path), "[Engine.Setup]\r\nRender.DOFStart=6000.0 \r\nTexture=high\r\n"
                              "[Options.Video]\r\nResolution.Width=1024\r\n"
                              "[deutsch]\r\nTEXT_X=Gr\xf6\xdf"
                              "e|zwei ; drei\r\n");
}

TEST_F(ProfileFile, FailedWritesReportAndLeaveFilesUntouched) {
    const std::string content = "[A]\r\nk=1\r\n";
    if (::geteuid() != 0) { // root may write and read anything
        const fs::path readOnly = dir.write("ro.ini", content);
        ::chmod(readOnly.c_str(), 0444);
        EXPECT_EQ(writeText(readOnly, "A", "k", "2"), std::errc::permission_denied);
        EXPECT_EQ(readFile(readOnly), content);

        // A file that cannot be read must not be replaced by one holding a single key.
        const fs::path unreadable = dir.write("wo.ini", content);
        ::chmod(unreadable.c_str(), 0200);
        EXPECT_EQ(readText(unreadable, "A", "k", "d"), "d");
        EXPECT_EQ(writeText(unreadable, "A", "k", "2"), std::errc::permission_denied);
        ::chmod(unreadable.c_str(), 0600);
        EXPECT_EQ(readFile(unreadable), content);
    }
    EXPECT_EQ(writeText(dir / "missing/t.ini", "A", "k", "1"),
              std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    fs::create_directory(dir / "folder.ini");
    EXPECT_EQ(readText(dir / "folder.ini", "A", "k", "d"), "d");
    EXPECT_TRUE(writeText(dir / "folder.ini", "A", "k", "1"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));

    // Far too large to be a settings file (sparse, so it costs no disk): reads as missing, and a
    // write refuses rather than replacing it.
    const fs::path huge = dir.write("huge.ini", content);
    fs::resize_file(huge, 65u * 1024u * 1024u);
    EXPECT_EQ(readText(huge, "A", "k", "d"), "d");
    EXPECT_EQ(writeText(huge, "A", "k", "2"), std::errc::file_too_large);
    EXPECT_EQ(fs::file_size(huge), 65u * 1024u * 1024u);
    for (const auto& entry : fs::directory_iterator(dir.path())) // no temporary files left
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

TEST_F(ProfileFile, RefusesNamesAndValuesThatWouldNotReadBack) {
    const std::string content = "[A]\r\nk=1\r\n";
    const fs::path path = file(content);
    for (const auto& [section, key, value] :
         {std::tuple{"A"s, "k"s, "1\r\n[B]\r\nx=2"s}, std::tuple{"A"s, "k"s, "a\nb"s},
          std::tuple{"A"s, "k"s, "a\0b"s}, std::tuple{"A\rB"s, "k"s, "1"s},
          std::tuple{"A"s, "k\0"s, "1"s}, std::tuple{"A"s, "a=b"s, "1"s},
          std::tuple{"A"s, " [x] "s, "1"s}, std::tuple{"A"s, "[a"s, "]"s},
          std::tuple{"A"s, "[a"s, "b] "s}, std::tuple{"A"s, " [ "s, " ]"s}}) {
        EXPECT_EQ(writeText(path, section, key, value), std::errc::invalid_argument)
            << testing::PrintToString(section) << " " << testing::PrintToString(key) << " "
            << testing::PrintToString(value);
    }
    EXPECT_EQ(readFile(path), content);
    // Blanks the reads drop anyway are no reason to refuse.
    EXPECT_FALSE(writeText(path, "A\n", "\tk\r\n", "\r\n2"));
    EXPECT_EQ(readFile(path), "[A]\r\nk=2\r\n");
    EXPECT_FALSE(writeText(path, "A", "[x", "3"));
    EXPECT_EQ(readText(path, "A", "[x", ""), "3");
    // The whole line is judged: a bracket in the value is fine after a plain key, and a key that
    // stands in the file as "[a" (an entry without '=') cannot be turned into a header either.
    EXPECT_FALSE(writeText(path, "A", "k", "]"));
    EXPECT_EQ(readText(path, "A", "k", ""), "]");
    test::writeFile(path, "[A]\r\n[a\r\n");
    EXPECT_EQ(writeText(path, "A", "[A", "]"), std::errc::invalid_argument);
    EXPECT_EQ(readFile(path), "[A]\r\n[a\r\n");
    // Trailing blanks of a value are kept though the read drops them; quotes are kept as well.
    EXPECT_FALSE(writeText(path, "A", "q", "'v'  "));
    EXPECT_EQ(readFile(path), "[A]\r\n[a\r\nq='v'  \r\n");
}

TEST_F(ProfileFile, DamagedFilesNeitherCrashNorLoseBytes) {
    // Random binary with NUL bytes and no structure.
    std::mt19937 random(1234);
    std::string garbage(200000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xff);
    fs::path path = file(garbage);
    EXPECT_EQ(readText(path, "A", "k", "d"), "d");
    EXPECT_EQ(readInt(path, "A", "k", 5), 5);
    ASSERT_FALSE(writeText(path, "Zz9", "k", "v"));
    auto after = readFile(path).value_or("");
    ASSERT_GT(after.size(), garbage.size());
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(readText(path, "Zz9", "k", "d"), "v");

    // A 10 MB line, and a file without any line end.
    const std::string longLine = "[A]\nk=" + std::string(10 * 1024 * 1024, 'x') + "\nm=1";
    path = file(longLine);
    EXPECT_EQ(readText(path, "A", "k", "", 256), std::string(255, 'x'));
    EXPECT_EQ(readInt(path, "A", "m", 0), 1);
    ASSERT_FALSE(writeText(path, "A", "n", "2"));
    EXPECT_EQ(readFile(path), longLine + "\nn=2\n");
    ASSERT_FALSE(writeText(path, "A", "k", "short"));
    EXPECT_EQ(readFile(path), "[A]\nk=short\nm=1\nn=2\n");

    const std::string oneLine(1024 * 1024, 'y');
    path = file(oneLine);
    EXPECT_EQ(readText(path, "", "y", "d"), "d");
    ASSERT_FALSE(writeText(path, "A", "k", "v"));
    EXPECT_EQ(readFile(path), oneLine + "\r\n[A]\r\nk=v\r\n");
}

// Files that begin with a byte-order mark, as editors on Windows save them. Wine reads them as
// text in their encoding, so the game does too.

// A UTF-16LE file's bytes from its characters.
std::string utf16(std::u16string_view text) {
    std::string bytes = "\xff\xfe";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xff));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

TEST_F(ProfileFile, ReadsFilesWithAByteOrderMarkAsWineDoes) {
    // The mark is not part of the first line, so the first section is found. Texts come back as
    // Windows-1252: the euro sign is 0x80, a letter Windows-1252 lacks and a byte sequence that
    // is not UTF-8 read as '?'.
    const std::string utf8 =
        "\xef\xbb\xbf[Options.Video]\r\n"
        "Resolution.Width=1024\r\n"
        "Caf\xc3\xa9=\xc3\xa4 \xe2\x82\xac \xce\xa9 \xe4\xf6|\xed\xa0\x80|\xf0\x9f\x98\x80\r\n"
        "\xce\xa9=omega\r\n"
        "[\xe2\x82\xac]\r\n"
        "k=euro\r\n";
    EXPECT_EQ(read(utf8, "Options.Video", "Resolution.Width"), "1024");
    EXPECT_EQ(readInt(file(utf8), "options.video", "resolution.width", 0), 1024);
    // Each broken piece is one '?': the longest start of a sequence that is valid so far, else
    // the single byte (an encoded surrogate breaks off after its first byte).
    EXPECT_EQ(read(utf8, "Options.Video", "Caf\xe9"), "\xe4 \x80 ? ??|???|?");
    EXPECT_EQ(read(utf8, "\x80", "k"), "euro");
    // A name Windows-1252 lacks is not the name "?".
    EXPECT_EQ(read(utf8, "Options.Video", "?"), "<default>");

    const std::string wide = utf16(u"[Options.Video]\r\n"
                                   u"Resolution.Width=1280\r\n"
                                   u"Caf\u00e9=\u00e4 \u20ac \u03a9\r\n"
                                   u"\"q\"=\"\u0152\"\r\n");
    EXPECT_EQ(read(wide, "Options.Video", "Resolution.Width"), "1280");
    EXPECT_EQ(read(wide, "OPTIONS.VIDEO", "caf\xe9"), "\xe4 \x80 ?");
    EXPECT_EQ(read(wide, "Options.Video", "\"q\""), "\x8c");
    // A name that merely begins like a mark behind a blank stays 8-bit, also after a write.
    EXPECT_EQ(read(" \xff\xfek=1\n", "", "\xff\xfek"), "1");
    EXPECT_EQ(written(" \xff\xfek=1\n", "", "\xff\xfek", "2"), " \xff\xfek=2\n");
    EXPECT_EQ(written("\t\xef\xbb\xbf\n", "", "\xef\xbb\xbf", "2"), "\t\xef\xbb\xbf=2\n");
    // Only the two marks count: a UTF-16 big-endian mark is two bytes of the first line.
    EXPECT_EQ(read("\xfe\xff[A]\nk=1\n", "A", "k"), "<default>");
    EXPECT_EQ(read("\xef\xbb[A]\nk=1\n", "A", "k"), "<default>");
}

TEST_F(ProfileFile, WritesFilesWithAByteOrderMarkInTheirOwnEncoding) {
    const std::string utf8 = "\xef\xbb\xbf; \xc3\x84nderungen\r\n"
                             "[Options.Video]\r\n"
                             "Resolution.Width = 1024\r\n"
                             "\r\n"
                             "[Options.Details]\r\n"
                             "Preset=high\r\n";
    EXPECT_EQ(written(utf8, "Options.Video", "Resolution.Width", "Gr\xf6\xdf\x80"),
              "\xef\xbb\xbf; \xc3\x84nderungen\r\n"
              "[Options.Video]\r\n"
              "Resolution.Width=Gr\xc3\xb6\xc3\x9f\xe2\x82\xac\r\n"
              "\r\n"
              "[Options.Details]\r\n"
              "Preset=high\r\n");
    EXPECT_EQ(written(utf8, "Options.Video", "Caf\xe9", "1"), "\xef\xbb\xbf; \xc3\x84nderungen\r\n"
                                                              "[Options.Video]\r\n"
                                                              "Resolution.Width = 1024\r\n"
                                                              "Caf\xc3\xa9=1\r\n"
                                                              "\r\n"
                                                              "[Options.Details]\r\n"
                                                              "Preset=high\r\n");
    EXPECT_EQ(written(utf8, "\xe4", "k", "v"), utf8 + "[\xc3\xa4]\r\nk=v\r\n");
    EXPECT_EQ(written("\xef\xbb\xbf", "A", "k", "v"), "\xef\xbb\xbf[A]\r\nk=v\r\n");

    const std::u16string head = u"; \u00c4nderungen \u03a9\r\n[Options.Video]\r\n";
    const std::u16string tail = u"\r\n[Options.Details]\r\nPreset=high";
    const std::string wide = utf16(head + u"Resolution.Width=1024" + tail);
    EXPECT_EQ(written(wide, "options.video", "resolution.width", "\x80"),
              utf16(head + u"Resolution.Width=\u20ac" + tail));
    EXPECT_EQ(written(wide, "Options.Video", "Caf\xe9", "1"),
              utf16(head + u"Resolution.Width=1024\r\nCaf\u00e9=1" + tail));
    EXPECT_EQ(written(wide, "Options.Details", "Mode", "custom"),
              utf16(head + u"Resolution.Width=1024" + tail + u"\r\nMode=custom\r\n"));
    EXPECT_EQ(written(wide, "New", "k", "v"),
              utf16(head + u"Resolution.Width=1024" + tail + u"\r\n[New]\r\nk=v\r\n"));
    // LF-only files get LF code units.
    EXPECT_EQ(written(utf16(u"[A]\na=1\n"), "A", "b", "2"), utf16(u"[A]\na=1\nb=2\n"));

    // The same value again, in either encoding, leaves the file alone, also when it holds a
    // character above 0x7F.
    for (const auto& [content, section, key, value] :
         {std::tuple{utf8, "Options.Video"s, "Resolution.Width"s, "1024"s},
          std::tuple{wide, "Options.Details"s, "Preset"s, "high"s},
          std::tuple{utf16(u"[A]\r\nk=\u00e4\u20ac\r\n"), "A"s, "k"s, "\xe4\x80"s},
          std::tuple{"\xef\xbb\xbf[A]\r\nk=\xc3\xa4\r\n"s, "A"s, "k"s, "\xe4"s}}) {
        const fs::path path = file(content);
        const ino_t node = inode(path);
        EXPECT_FALSE(writeText(path, section, key, value));
        EXPECT_EQ(readFile(path), content);
        EXPECT_EQ(inode(path), node);
    }
}

TEST_F(ProfileFile, WritesNeverMakeBrokenMarkedFilesWorse) {
    // Bytes that are not UTF-8 after the mark: every untouched line keeps them, and a changed
    // key keeps its own spelling byte for byte.
    const std::string broken = "\xef\xbb\xbf; \xe4\xf6\xfc \xc3\r\n"
                               "[A]\r\n"
                               "na\xefme=\xff\xfe\r\n"
                               "x=\xe0\x80\xaf\r\n";
    EXPECT_EQ(read(broken, "A", "na?me"), "<default>");
    EXPECT_EQ(read(broken, "A", "x"), "???");
    EXPECT_EQ(written(broken, "A", "x", "\xe4"),
              "\xef\xbb\xbf; \xe4\xf6\xfc \xc3\r\n[A]\r\nna\xefme=\xff\xfe\r\nx=\xc3\xa4\r\n");
    const fs::path path = file(broken);
    ASSERT_FALSE(writeText(path, "A", "k", "1"));
    EXPECT_EQ(readFile(path), broken + "k=1\r\n");

    // Writing back what a read gave keeps characters that read as '?'.
    for (const std::string& content : {broken, utf16(u"[A]\r\nx=\u03a9\xd800\r\n")}) {
        const fs::path kept = file(content);
        EXPECT_FALSE(writeText(kept, "A", "x", readText(kept, "A", "x", "")));
        EXPECT_EQ(readFile(kept), content);
    }

    // UTF-16 with unpaired surrogates and an odd last byte: the surrogates stay, they read as
    // '?', and the half code unit stays the last byte behind everything a write adds.
    const std::string surrogates = utf16(u"[A]\r\nk=\xd800|\xdc00\r\n");
    EXPECT_EQ(read(surrogates, "A", "k"), "?|?");
    EXPECT_EQ(written(surrogates, "A", "n", "1"), utf16(u"[A]\r\nk=\xd800|\xdc00\r\nn=1\r\n"));
    const std::string odd = utf16(u"[A]\r\nk=1\r\n[B]\r\nb=2") + "\x41";
    EXPECT_EQ(read(odd, "B", "b"), "2");
    EXPECT_EQ(written(odd, "A", "k", "2"), utf16(u"[A]\r\nk=2\r\n[B]\r\nb=2") + "\x41");
    EXPECT_EQ(written(odd, "C", "c", "3"),
              utf16(u"[A]\r\nk=1\r\n[B]\r\nb=2\r\n[C]\r\nc=3\r\n") + "\x41");
    EXPECT_EQ(written("\xff\xfe\x41", "A", "k", "v"), utf16(u"[A]\r\nk=v\r\n") + "\x41");
}

} // namespace
} // namespace dk3::profile

namespace dk3::profile {
namespace {

TEST(ProfileFileBatch, LeavesFilesExactlyAsSingleWritesWouldAndWritesAllOrNothing) {
    test::TempDir dir;
    const std::vector<ProfileWrite> writes = {
        {"Engine.Setup", "VegetationAdmin.Quality", "high"}, // existing key
        {"Engine.Setup", "New.Key", "1"},                    // new key in a section
        {"Options.Custom", "DistanceLow", "2"},              // new section
        {"engine.setup", "new.key", "2"},                    // the same key again, other case
        {"Engine.Setup", "Render.DOFEnd", "8000.0"},         // unchanged value
    };
    const std::string original = "; engine\r\n[Engine.Setup]\r\nVegetationAdmin.Quality=low\r\n"
                                 "Render.DOFEnd=8000.0\r\n\r\n[Camera]\nfMaxDistToPlayer=500.0";
    for (const bool fileExists : {true, false}) {
        const auto single = dir / (fileExists ? "single.ini" : "single-new.ini");
        const auto batch = dir / (fileExists ? "batch.ini" : "batch-new.ini");
        if (fileExists) {
            test::writeFile(single, original);
            test::writeFile(batch, original);
        }
        for (const auto& write : writes)
            ASSERT_FALSE(writeText(single, write.section, write.key, write.value));
        ASSERT_FALSE(writeTexts(batch, writes));
        EXPECT_EQ(test::readFile(batch), test::readFile(single));
    }

    const auto file = dir.write("keep.ini", original);
    const std::vector<ProfileWrite> refused = {{"Engine.Setup", "A", "1"},
                                               {"Engine.Setup", "B", "line\nbreak"}};
    EXPECT_EQ(writeTexts(file, refused), std::errc::invalid_argument);
    EXPECT_EQ(test::readFile(file), original);

    WriteBatch save;
    save.add(file, "Camera", "fMaxDistToPlayer", "750.0");
    save.add(dir / "missing/folder.ini", "A", "b", "c");
    save.add(file, "Game", "TestMode", "false");
    const auto failures = save.commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].first, dir / "missing/folder.ini");
    EXPECT_EQ(readText(file, "Camera", "fMaxDistToPlayer", ""), "750.0");
    EXPECT_EQ(readText(file, "Game", "TestMode", ""), "false");
}

// Reads keep the parsed content of recent files. Other programs change the game's files too, so
// every change behind the engine's back must show in the next read, however the file's times and
// size look afterwards.

// Sets the file's modification time (the change time always moves on to now).
void setModified(const fs::path& file, std::int64_t seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

struct stat statOf(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info;
}

TEST(ProfileFileChangedBehindOurBack, FreshFilesAreComparedByContent) {
    test::TempDir dir;
    // Changed in place again and again: many of these changes fall into one tick of the file
    // system's clock and leave inode, size and times as they were.
    const auto file = dir.write("fresh.ini", "[A]\nk=1\n");
    const struct stat before = statOf(file);
    for (int change = 0; change < 200; ++change) {
        const std::string digit(1, static_cast<char>('0' + change % 10));
        test::writeFile(file, "[A]\nk=" + digit + "\n");
        ASSERT_EQ(readText(file, "A", "k", "d"), digit) << "change " << change;
    }
    test::writeFile(file, "[A]\nk=2\n");
    setModified(file, before.st_mtim.tv_sec, before.st_mtim.tv_nsec);
    EXPECT_EQ(readText(file, "A", "k", "d"), "2");
    EXPECT_EQ(readInt(file, "A", "k", 0), 2);
    // Back to the earlier content, then gone, then a folder in its place.
    test::writeFile(file, "[A]\nk=1\n");
    EXPECT_EQ(readText(file, "A", "k", "d"), "1");
    fs::remove(file);
    EXPECT_EQ(readText(file, "A", "k", "d"), "d");
    fs::create_directory(file);
    EXPECT_EQ(readText(file, "A", "k", "d"), "d");
}

TEST(ProfileFileChangedBehindOurBack, SettledFilesShowEveryLaterChange) {
    test::TempDir dir;
    const std::int64_t anHourAgo = static_cast<std::int64_t>(::time(nullptr)) - 3600;
    const auto inPlace = dir.write("in-place.ini", "[A]\nk=1\n");
    const auto renamed = dir.write("renamed.ini", "[A]\nk=1\n");
    const auto deleted = dir.write("deleted.ini", "[A]\nk=1\n");
    const auto written = dir.write("written.ini", "[A]\nk=1\n");
    const auto manyFiles = dir.write("many.ini", "[A]\nk=1\n");
    for (const auto& file : {inPlace, renamed, deleted, written, manyFiles})
        setModified(file, anHourAgo);
    // Kept copies are trusted only once the file's change time lies a few seconds back.
    std::this_thread::sleep_for(std::chrono::milliseconds(2600));
    for (int pass = 0; pass < 2; ++pass) // the second pass is served from the kept copies
        for (const auto& file : {inPlace, renamed, deleted, written})
            ASSERT_EQ(readText(file, "A", "k", "d"), "1");

    // Same size, and the modification time put back as a copy that keeps times does.
    test::writeFile(inPlace, "[A]\nk=2\n");
    setModified(inPlace, anHourAgo);
    EXPECT_EQ(readText(inPlace, "A", "k", "d"), "2");
    // Replaced by rename, as editors and the game's launchers save.
    const auto replacement = dir.write("replacement.ini", "[A]\nk=3\n");
    setModified(replacement, anHourAgo);
    fs::rename(replacement, renamed);
    EXPECT_EQ(readText(renamed, "A", "k", "d"), "3");
    fs::remove(deleted);
    EXPECT_EQ(readText(deleted, "A", "k", "d"), "d");
    // Through the engine.
    ASSERT_FALSE(writeText(written, "a", "K", "4"));
    EXPECT_EQ(readText(written, "A", "k", "d"), "4");
    EXPECT_EQ(test::readFile(written), "[A]\nk=4\n");
    // More files than are kept: the oldest copies make way, and every read still sees its file.
    for (int round = 0; round < 3; ++round)
        for (const auto& file : {inPlace, renamed, written, manyFiles, inPlace})
            EXPECT_EQ(readText(file, "A", "k", "d"), file == inPlace   ? "2"
                                                     : file == renamed ? "3"
                                                     : file == written ? "4"
                                                                       : "1");
}

// Bytes this process has read from files so far.
std::int64_t bytesRead() {
    std::ifstream io("/proc/self/io");
    for (std::string name; io >> name;) {
        std::int64_t value = 0;
        io >> value;
        if (name == "rchar:")
            return value;
    }
    return -1;
}

TEST(ProfileFileChangedBehindOurBack, ATrustedFreshFileIsReadOnceAndStillShowsLaterChanges) {
    test::TempDir dir;
    std::string content = "[A]\nk=1\n";
    for (int i = 0; i < 200; ++i)
        content += "key" + std::to_string(i) + "=some longer value\n";
    const auto file = dir.write("own.ini", content);
    trustCurrentContent(file);
    const std::int64_t before = bytesRead();
    for (int lookup = 0; lookup < 50; ++lookup)
        ASSERT_EQ(readText(file, "A", "key" + std::to_string(lookup), "d"), "some longer value");
    EXPECT_LT(bytesRead() - before, static_cast<std::int64_t>(content.size()));

    // Changes made afterwards show as with any other file: in place (a tick later, same size),
    // by rename, and gone.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    test::writeFile(file, "[A]\nk=2\n" + content.substr(8));
    EXPECT_EQ(readText(file, "A", "k", "d"), "2");
    trustCurrentContent(file);
    const auto replacement = dir.write("replacement.ini", "[A]\nk=3\n");
    fs::rename(replacement, file);
    EXPECT_EQ(readText(file, "A", "k", "d"), "3");
    trustCurrentContent(file);
    fs::remove(file);
    EXPECT_EQ(readText(file, "A", "k", "d"), "d");
    trustCurrentContent(file); // not there: nothing kept, nothing fails
    EXPECT_EQ(readText(file, "A", "k", "d"), "d");
}

} // namespace
} // namespace dk3::profile
