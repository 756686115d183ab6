// Many copies started at the same instant (a double click that repeats, a launcher that starts
// the program twice) must end with exactly one copy holding the lock, also while the copy that
// held it until then is just quitting.

#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;

constexpr int kCopies = 8;
constexpr int kRounds = 300;

// A copy of the program in a child process: it waits at the start line, takes the lock, says
// what it got and, when it holds the lock, keeps it until told to quit. While it holds the lock
// it owns a marker file; a second holder could not make the marker and says so ('X').
struct Copy {
    pid_t pid = -1;
    int result = -1; // one byte: 'y' holds the lock, 'n' turned away, 'u' unavailable, 'X' two
    int quit = -1;   // closed by the test to let a holder go

    Copy(const fs::path& folder, int startLine) {
        int resultPipe[2];
        int quitPipe[2];
        if (::pipe(resultPipe) != 0 || ::pipe(quitPipe) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            // Only the three ends of its own: an inherited end of another copy's pipe would keep
            // that copy (or the start line) from ever seeing its pipe closed.
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != startLine && fd != resultPipe[1] && fd != quitPipe[0])
                    ::close(fd);
            char byte = 0;
            (void)!::read(startLine, &byte, 1); // returns when the test closes the start line
            char state = 'n';
            {
                SingleInstance instance(folder);
                const fs::path marker = folder / "holder";
                if (instance.state() == SingleInstance::State::Acquired) {
                    const int fd = ::open(marker.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
                    state = fd >= 0 ? 'y' : 'X';
                    if (fd >= 0)
                        ::close(fd);
                } else if (instance.state() == SingleInstance::State::Unavailable) {
                    state = 'u';
                }
                (void)!::write(resultPipe[1], &state, 1);
                if (state == 'y') {
                    (void)!::read(quitPipe[0], &byte, 1);
                    ::unlink(marker.c_str()); // before the lock goes
                }
            }
            ::_exit(0);
        }
        ::close(resultPipe[1]);
        ::close(quitPipe[0]);
        result = resultPipe[0];
        quit = quitPipe[1];
    }

    char state() const {
        char byte = '?';
        return ::read(result, &byte, 1) == 1 ? byte : '?';
    }
    void letGo() {
        if (quit >= 0)
            ::close(quit);
        quit = -1;
    }
    void end() {
        letGo();
        if (result >= 0)
            ::close(result);
        result = -1;
        int status = 0;
        if (pid > 0)
            ::waitpid(pid, &status, 0);
        pid = -1;
    }
};

TEST(SingleInstanceCrowd, CopiesStartingAtOnceLetExactlyOneRunEvenAsTheLastOneQuits) {
    test::TempDir dir;
    std::vector<Copy> previous; // the holder of the round before, when it is still running
    int doubleHolders = 0;
    int roundsWithoutHolder = 0;
    for (int round = 0; round < kRounds; ++round) {
        // Every other round, the holder of the round before quits just as the crowd starts.
        const bool holderQuits = round % 2 == 1 && !previous.empty();
        if (!holderQuits) {
            for (Copy& copy : previous)
                copy.end();
            previous.clear();
        }
        int startLine[2];
        ASSERT_EQ(::pipe(startLine), 0);
        std::vector<Copy> crowd;
        crowd.reserve(kCopies);
        for (int i = 0; i < kCopies; ++i)
            crowd.emplace_back(dir.path(), startLine[0]);
        // A copy that could not be made would leave the round short; say so plainly.
        for (const Copy& copy : crowd)
            ASSERT_GT(copy.pid, 0);
        ::close(startLine[0]);
        ::close(startLine[1]); // off they go
        for (Copy& copy : previous)
            copy.letGo();

        int holders = 0;
        std::vector<char> states;
        for (Copy& copy : crowd) {
            states.push_back(copy.state());
            ASSERT_NE(states.back(), 'u') << "round " << round;
            ASSERT_NE(states.back(), '?') << "round " << round;
            doubleHolders += states.back() == 'X';
            holders += states.back() == 'y' || states.back() == 'X';
        }
        // With nobody running before, exactly one of the crowd runs; with a copy quitting at
        // the same moment, one or (when it quit only after all had looked) none.
        EXPECT_LE(holders, 1) << "round " << round;
        if (!holderQuits) {
            EXPECT_EQ(holders, 1) << "round " << round;
        }
        roundsWithoutHolder += holders == 0;

        for (Copy& copy : previous)
            copy.end();
        previous.clear();
        // The one that runs stays for the next round; the others have ended.
        for (std::size_t i = 0; i < crowd.size(); ++i) {
            if (states[i] == 'y' && holders == 1)
                previous.push_back(crowd[i]);
            else
                crowd[i].end();
        }
    }
    for (Copy& copy : previous)
        copy.end();
    EXPECT_EQ(doubleHolders, 0);
    RecordProperty("roundsWithoutHolder", roundsWithoutHolder);
}

} // namespace
} // namespace dk3::platform
