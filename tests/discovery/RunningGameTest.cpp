#include "discovery/RunningGame.h"

#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

TEST(RunningGame, FindsTheGameByAnyArgumentInAnyLetterCaseButNeverItself) {
    TempDir proc;
    const auto process = [&](const std::string& pid, const std::string& commandLine) {
        proc.write(pid + "/cmdline", commandLine);
    };
    using namespace std::string_literals;
    process("100", "Z:\\games\\Draskel 3\\DRASKEL3.EXE\0-windowed\0"s);
    process("200", "/usr/bin/wine64-preloader\0C:\\Games\\draskel3.exe\0"s);
    process("300", "/home/me/Games/Draskel 3/Draskel3.exe"s); // no final NUL
    process("400", "/usr/bin/draskel3-tuning\0--game\0/x/Draskel3.exe.bak\0"s);
    process("500", "Draskel3.exe.sh\0"s);
    process("600", ""s);                                  // a kernel thread
    process(std::to_string(::getpid()), "Draskel3.exe"s); // ourselves
    process("self", "Draskel3.exe"s);
    fs::create_directories(proc / "700");         // ended before its cmdline was read
    fs::create_directories(proc / "800/cmdline"); // not a file
    ASSERT_EQ(::mkfifo((proc / "tty").c_str(), 0600), 0);

    EXPECT_EQ(runningGameProcesses(proc.path()), (std::vector<int>{100, 200, 300}));
    EXPECT_TRUE(runningGameProcesses(proc / "missing").empty());
}

TEST(RunningGame, RealProcFolderCanBeReadAndNeverListsUs) {
    const std::vector<int> ids = runningGameProcesses();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), ::getpid()), 0);
}

} // namespace
} // namespace dk3::discovery
