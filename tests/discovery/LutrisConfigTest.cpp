#include "discovery/LutrisConfig.h"

#include "discovery/RecordsModule.h"

#include <gtest/gtest.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;

// Lutris's files are read by the records module, as in the program.
std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml) {
    const RecordReaders* readers = recordReaders();
    if (!readers) {
        ADD_FAILURE() << "the records module does not load";
        return std::nullopt;
    }
    return readers->lutrisGameConfig(yaml);
}

TEST(LutrisConfig, RelativeExeIsTriedInWorkingDirThenPrefixThenDriveC) {
    const auto config = parseLutrisGameConfig("game:\n"
                                              "  exe: Draskel 3/Draskel3.exe\n"
                                              "  prefix: ~/Games/d3\n"
                                              "  working_dir: '/mnt/games'\n"
                                              "  args: -windowed\n"
                                              "system:\n  env: {}\n");
    ASSERT_TRUE(config);
    EXPECT_EQ(lutrisExeCandidates(*config, "/home/p"),
              (std::vector<fs::path>{"/mnt/games/Draskel 3/Draskel3.exe",
                                     "/home/p/Games/d3/Draskel 3/Draskel3.exe",
                                     "/home/p/Games/d3/drive_c/Draskel 3/Draskel3.exe"}));
}

TEST(LutrisConfig, AbsoluteHomeAndHostileExePaths) {
    LutrisGameConfig config;
    config.prefix = "/p";
    config.exe = "/games/x/../Draskel3.exe";
    EXPECT_EQ(lutrisExeCandidates(config, "/home/p"), std::vector<fs::path>{"/games/Draskel3.exe"});
    config.exe = "~/Draskel3.exe";
    EXPECT_EQ(lutrisExeCandidates(config, "/home/p"),
              std::vector<fs::path>{"/home/p/Draskel3.exe"});
    for (const char* exe : {"../outside.exe", "~other/x.exe", ""}) {
        config.exe = exe;
        EXPECT_TRUE(lutrisExeCandidates(config, "/home/p").empty()) << exe;
    }
    EXPECT_EQ(lutrisPath("relative/prefix", "/home/p"), std::nullopt);
}

TEST(LutrisConfig, OnlyAMapWithAGameMapCounts) {
    EXPECT_FALSE(parseLutrisGameConfig("- game\n"));
    EXPECT_FALSE(parseLutrisGameConfig("game: just text\n"));
    EXPECT_FALSE(parseLutrisGameConfig("game: {exe: [unclosed\n"));
    EXPECT_FALSE(parseLutrisGameConfig(std::string(kMaxLutrisFileBytes + 1, ' ')));
    const auto lists = parseLutrisGameConfig("game:\n  exe: [a, b]\n  prefix: /p\n");
    ASSERT_TRUE(lists);
    EXPECT_EQ(lists->exe, ""); // not a single path
    EXPECT_EQ(lists->prefix, "/p");
}

} // namespace
} // namespace dk3::discovery
