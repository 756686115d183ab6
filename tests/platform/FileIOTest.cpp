#include "platform/FileIO.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

TEST(FileIO, AtomicWriteReplacesContentKeepsPermissionsAndLeavesNoTemporaryFiles) {
    TempDir dir;
    const auto file = dir.write("a.ini", "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_FALSE(writeFileAtomically(file, std::string("new\0bytes", 9)));
    EXPECT_EQ(readFile(file), std::string("new\0bytes", 9));
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FileIO, AtomicWriteFailsOnReadOnlyFileMissingFolderAndDirectory) {
    TempDir dir;
    const auto file = dir.write("ro.ini", "keep");
    ::chmod(file.c_str(), 0444);
    if (::geteuid() != 0) { // root may write anything; the check below would not hold
        EXPECT_TRUE(writeFileAtomically(file, "x"));
        EXPECT_EQ(readFile(file), "keep");
    }
    EXPECT_EQ(writeFileAtomically(dir / "missing/a.ini", "x"),
              std::errc::no_such_file_or_directory);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(writeFileAtomically(dir / "folder", "x"), std::errc::is_a_directory);
}

TEST(FileIO, AtomicWriteFollowsSymbolicLinks) {
    TempDir dir;
    const auto real = dir.write("real.ini", "old");
    fs::create_symlink(real, dir / "link.ini");
    ASSERT_FALSE(writeFileAtomically(dir / "link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readFile(real), "new");
}

TEST(FileIO, ReadWholeFileRefusesOversizedFilesAndDirectories) {
    TempDir dir;
    const auto file = dir.write("big", std::string(100, 'x'));
    std::error_code ec;
    EXPECT_FALSE(readWholeFile(file, ec, 99));
    EXPECT_EQ(ec, std::errc::file_too_large);
    EXPECT_EQ(readWholeFile(file, ec, 100), std::string(100, 'x'));
    EXPECT_FALSE(ec);
    EXPECT_FALSE(readWholeFile(dir.path(), ec));
    EXPECT_TRUE(ec);
    EXPECT_FALSE(readWholeFile(dir / "none", ec));
    EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
}

TEST(FileIO, GroupWriteIsAllOrNothing) {
    TempDir dir;
    const auto a = dir.write("a", "old a");
    const auto b = dir.write("b", "old b");
    fs::path failed;
    // The third target's folder is missing: nothing may change.
    EXPECT_TRUE(
        writeFilesAtomically({{a, "new a"}, {b, "new b"}, {dir / "no/c", "new c"}}, &failed));
    EXPECT_EQ(failed, dir / "no/c");
    EXPECT_EQ(readFile(a), "old a");
    EXPECT_EQ(readFile(b), "old b");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);

    EXPECT_FALSE(writeFilesAtomically({{a, "new a"}, {b, ""}, {dir / "c", "new c"}}));
    EXPECT_EQ(readFile(a), "new a");
    EXPECT_EQ(readFile(b), "");
    EXPECT_EQ(readFile(dir / "c"), "new c");
}

} // namespace
} // namespace dk3::platform

namespace dk3::platform {
namespace {

TEST(FileIO, APipeInPlaceOfAFileIsRefusedWithoutWaitingAndReasonsReadInsideASentence) {
    test::TempDir dir;
    const auto pipe = dir / "fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::error_code ec;
    EXPECT_FALSE(readWholeFile(pipe, ec));
    EXPECT_TRUE(ec);
    EXPECT_EQ(describeError(std::make_error_code(std::errc::no_such_file_or_directory)),
              "no such file or directory");
}

} // namespace
} // namespace dk3::platform
