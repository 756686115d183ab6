#include "discovery/RunningGame.h"

#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;
using test::TempDir;

// A /proc of our own making: each process with its command line, its program file and the real
// user it runs as.
struct FakeProc {
    TempDir root;

    void process(int pid, const std::string& commandLine, const std::string& program = {},
                 unsigned long realUser = ::getuid()) const {
        const std::string folder = std::to_string(pid);
        root.write(folder + "/cmdline", commandLine);
        // As the kernel writes it: the real, effective, saved and file-system user ids.
        root.write(folder + "/status", "Name:\tx\nUmask:\t0022\nState:\tS (sleeping)\nUid:\t" +
                                           std::to_string(realUser) +
                                           "\t0\t0\t0\nGid:\t0\t0\t0\t0\n");
        if (!program.empty())
            fs::create_symlink(program, root / folder / "exe");
    }
    std::vector<int> running() const { return runningGameProcesses(root.path()); }
};

TEST(RunningGame, CountsOnlyProcessesWhoseProgramIsTheGame) {
    FakeProc proc;
    // The game under Wine: its first argument is the Windows or Unix path Wine was given.
    proc.process(100, "Z:\\games\\Draskel 3\\DRASKEL3.EXE\0-windowed\0\0\0"s,
                 "/usr/lib/wine/wine64");
    proc.process(101, "C:\\Games\\Draskel3.exe\0"s, "/opt/proton/files/bin/wine64-preloader");
    proc.process(102, "/home/me/Games/Draskel 3/Draskel3.exe"s); // no final zero byte
    // The loader with the game as its next argument, as a preloader starts it.
    proc.process(103, "/usr/bin/wine64-preloader\0/home/me/Draskel3.exe\0"s,
                 "/usr/bin/wine64-preloader");
    proc.process(104, "wine\0C:\\Draskel3.exe\0"s);
    proc.process(105, "C:\\windows\\system32\\start.exe\0/unix\0Draskel3.exe\0"s,
                 "/usr/lib/wine/wine64 (deleted)");

    // Programs that merely name the game's file.
    proc.process(200, "/usr/bin/vim\0/home/me/Games/Draskel 3/Draskel3.exe\0"s, "/usr/bin/vim");
    proc.process(201, "/usr/bin/draskel3-tuning\0--game\0/x/Draskel3.exe\0"s);
    proc.process(202, "sh\0-c\0wine Draskel3.exe\0"s, "/usr/bin/dash");
    proc.process(203, "/usr/bin/winedbg\0Draskel3.exe\0"s);
    proc.process(204, "/usr/bin/wine64-preloader\0notepad.exe\0Draskel3.exe\0"s);
    proc.process(205, "Draskel3.exe.sh\0"s);
    proc.process(206, "/x/Draskel3.exe.bak\0"s);
    proc.process(207, ""s);                      // a kernel thread
    proc.process(::getpid(), "Draskel3.exe\0"s); // ourselves

    // Another user's game.
    proc.process(300, "C:\\Games\\Draskel3.exe\0"s, "/usr/lib/wine/wine64", ::getuid() + 1);

    // What a listing meets besides processes.
    proc.root.write("self/cmdline", "Draskel3.exe"s);
    fs::create_directories(proc.root / "700");  // ended before anything was read
    proc.root.write("701/status", "Uid:\t0\n"); // a status without a line before it
    proc.root.write("701/cmdline", "Draskel3.exe"s);
    fs::create_directories(proc.root / "800/cmdline"); // not a file
    proc.root.write("800/status", "Name:\tx\nUid:\t" + std::to_string(::getuid()) + "\n");
    ASSERT_EQ(::mkfifo((proc.root / "tty").c_str(), 0600), 0);
    proc.root.write("900/status", "Name:\tx\nUid:\t" + std::to_string(::getuid()) + "\n");
    ASSERT_EQ(::mkfifo((proc.root / "900/cmdline").c_str(), 0600), 0); // never blocks

    EXPECT_EQ(proc.running(), (std::vector<int>{100, 101, 102, 103, 104}));
    EXPECT_TRUE(runningGameProcesses(proc.root / "missing").empty());
}

TEST(RunningGame, CommandLinesOfAnyLengthAreReadAsFarAsTheProgramNeeds) {
    FakeProc proc;
    // Far longer than the 256 KiB the check once read: the game's own arguments.
    const std::string manyArguments(3u * 1024u * 1024u, 'x');
    proc.process(100, "C:\\Games\\Draskel3.exe\0"s + manyArguments + "\0"s);
    proc.process(101, "/usr/bin/wine64-preloader\0C:\\Games\\Draskel3.exe\0"s + manyArguments);
    // A path as long as Linux allows one argument to be.
    proc.process(102, "/" + std::string(128 * 1024 - 14, 'd') + "/Draskel3.exe\0"s);
    // An editor with a huge first argument that would name the game only far beyond any path.
    proc.process(200, std::string(9u * 1024u * 1024u, 'e') + "/Draskel3.exe\0"s);
    proc.process(201, "/usr/bin/less\0"s + manyArguments + "\0/x/Draskel3.exe\0"s);
    EXPECT_EQ(proc.running(), (std::vector<int>{100, 101, 102}));
}

TEST(RunningGame, RealProcFolderCanBeReadAndNeverListsUs) {
    const std::vector<int> ids = runningGameProcesses();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), ::getpid()), 0);
}

} // namespace
} // namespace dk3::discovery
