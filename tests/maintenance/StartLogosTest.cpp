#include "maintenance/StartLogos.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::maintenance {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

const std::string kFiveLogos = "DK3_Logo_01.bik\r\nDK3_Logo_02.bik\r\nDK3_Logo_03.bik\r\n"
                               "DK3_Logo_04.bik\r\nDK3_Logo_05.bik";

TEST(StartLogos, RemoveAndRestoreWriteExactBytesAndLeaveTheVideosAlone) {
    TempDir dir;
    const auto engine = dir.write("Ini/dk3e.ini", "[Engine.Setup]\r\n");
    const auto list = dir.write("Ini/logo.ini", "; own comment\r\nIntro.bik\r\n");
    const auto video = dir.write("Ini/DK3_Logo_02.bik", std::string("BIKi\0\1", 6));
    EXPECT_EQ(logoListPath(engine), list);

    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Removed));
    EXPECT_EQ(readFile(list), "DK3_Logo_01.bik");
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Restored));
    EXPECT_EQ(readFile(list), kFiveLogos);
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Restored));
    EXPECT_EQ(readFile(list), kFiveLogos);

    fs::remove(list); // a missing list is created
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Removed));
    EXPECT_EQ(readFile(list), "DK3_Logo_01.bik");
    EXPECT_EQ(readFile(video), std::string("BIKi\0\1", 6));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "Ini"), fs::directory_iterator()), 3);
}

TEST(StartLogos, ListUnderAnotherLetterCaseIsTheOneRewritten) {
    TempDir dir;
    const auto engine = dir.write("Ini/dk3e.ini", "");
    const auto list = dir.write("Ini/LOGO.INI", "old");
    EXPECT_EQ(logoListPath(engine), list);
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Removed));
    EXPECT_EQ(readFile(list), "DK3_Logo_01.bik");
    EXPECT_FALSE(fs::exists(dir / "Ini/logo.ini"));
}

TEST(StartLogos, FailedWritesCreateNothingAndKeepTheOldList) {
    TempDir dir;
    const auto engine = dir / "Ini/dk3e.ini"; // the Ini folder does not exist
    const auto error = writeLogoList(engine, StartLogoState::Restored);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(dir / "Ini"));
    EXPECT_NE(describeLogoListError(logoListPath(engine), error).find("Ini/logo.ini"),
              std::string::npos);

    const auto list = dir.write("Ini/logo.ini", "old");
    if (::geteuid() != 0) { // root writes anywhere; these checks need an ordinary user
        ::chmod(list.c_str(), 0444);
        EXPECT_TRUE(writeLogoList(engine, StartLogoState::Removed));
        ::chmod(list.c_str(), 0644);
        ::chmod((dir / "Ini").c_str(), 0555);
        EXPECT_TRUE(writeLogoList(engine, StartLogoState::Removed));
        ::chmod((dir / "Ini").c_str(), 0755);
        EXPECT_EQ(readFile(list), "old");
    }
    fs::remove(list);
    fs::create_directory(list); // a directory in the way fails for root too
    EXPECT_EQ(writeLogoList(engine, StartLogoState::Removed), std::errc::is_a_directory);
}

} // namespace
} // namespace dk3::maintenance
