#include "maintenance/StartLogos.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dk3::maintenance {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

TEST(StartLogos, RemoveAndRestoreWriteExactBytes) {
    TempDir dir;
    const auto engine = dir.write("Ini/dk3e.ini", "[Engine.Setup]\r\n");
    const auto list = dir.write("Ini/logo.ini", "; own comment\r\nIntro.bik\r\n");
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Removed));
    EXPECT_EQ(readFile(list), "DK3_Logo_01.bik");
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Restored));
    EXPECT_EQ(readFile(list), "DK3_Logo_01.bik\r\nDK3_Logo_02.bik\r\nDK3_Logo_03.bik\r\n"
                              "DK3_Logo_04.bik\r\nDK3_Logo_05.bik");

    // Under Wine the game reads a list named in another case; that one must change.
    fs::remove(list);
    const auto upper = dir.write("Ini/LOGO.INI", "old");
    ASSERT_FALSE(writeLogoList(engine, StartLogoState::Removed));
    EXPECT_EQ(readFile(upper), "DK3_Logo_01.bik");
    EXPECT_FALSE(fs::exists(list));
}

TEST(StartLogos, FailedWritesCreateNothingAndKeepTheOldList) {
    TempDir dir;
    const auto engine = dir / "Ini/dk3e.ini"; // the Ini folder does not exist
    const auto error = writeLogoList(engine, StartLogoState::Restored);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(dir / "Ini"));
    EXPECT_EQ(describeLogoListError(logoListPath(engine), error),
              "Could not write the start-logo list \"" + (dir / "Ini/logo.ini").string() +
                  "\": no such file or directory.");

    fs::create_directories(dir / "Ini/logo.ini"); // in the way, for root too
    EXPECT_EQ(writeLogoList(engine, StartLogoState::Removed), std::errc::is_a_directory);
}

} // namespace
} // namespace dk3::maintenance
