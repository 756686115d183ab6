#include "platform/FileIO.h"

#include "support/TempDir.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

// The pid of a process that has ended and been reaped; no living process has it for a while.
pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder))
        out.insert(entry.path().filename().string());
    return out;
}

void makeOld(const fs::path& file) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(FileIO, AWriteRemovesWhatKilledWritesOfItsTargetLeftAndNothingElse) {
    TempDir dir;
    const auto target = dir.write("Ini/dk3e.ini", "old");
    const std::string dead = std::to_string(deadPid());
    const std::string dead2 = std::to_string(deadPid());
    const auto leftover = [&](const std::string& name) {
        return dir.write("Ini/" + name, "x");
    };

    leftover(".dk3e.ini.tmp-" + dead + "-a1B2c3");  // killed writer: goes
    leftover(".dk3e.ini.tmp-" + dead2 + "-ZZZZZZ"); // another one: goes
    makeOld(leftover(".dk3e.ini.tmp-Qw3rty"));      // old-style, an hour old: goes
    leftover(".dk3e.ini.tmp-Fresh1");               // old-style, just written: may be alive
    leftover(".dk3e.ini.tmp-1-abcdef");             // pid 1 lives
    leftover(".dk3e.ini.tmp-" + std::to_string(::getpid()) + "-abcdef"); // our own
    leftover(".dk3e.ini.tmp-" + dead + "-abcdefg");                      // not our pattern
    leftover(".dk3e.ini.tmp-" + dead + "-abc");                          // not our pattern
    leftover("dk3e.ini.tmp-" + dead + "-abcdef");                        // not hidden
    leftover(".debug.ini.tmp-" + dead + "-abcdef");                      // another target
    leftover(".dk3e.ini.txn-" + dead + "-abcdef"); // a staged group file: its recovery's
    fs::create_directory(dir / ("Ini/.dk3e.ini.tmp-" + dead + "-folder"));
    const auto victim = dir.write("victim", "precious");
    fs::create_symlink(victim, dir / ("Ini/.dk3e.ini.tmp-" + dead + "-link01"));
    // A killed writer's file that a living process still holds locked is left alone.
    const auto held = leftover(".dk3e.ini.tmp-" + dead + "-Held01");
    const int heldFd = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(heldFd, LOCK_EX), 0);

    const auto before = names(dir / "Ini");
    ASSERT_FALSE(writeFileAtomically(target, "new"));
    auto expected = before;
    expected.erase(".dk3e.ini.tmp-" + dead + "-a1B2c3");
    expected.erase(".dk3e.ini.tmp-" + dead2 + "-ZZZZZZ");
    expected.erase(".dk3e.ini.tmp-Qw3rty");
    EXPECT_EQ(names(dir / "Ini"), expected);
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(readFile(victim), "precious");

    ::close(heldFd);
    EXPECT_EQ(removeStaleTemporaries(std::vector<fs::path>{target, dir / "Ini/debug.ini"}), 2u);
    EXPECT_FALSE(fs::exists(held));
    EXPECT_FALSE(fs::exists(dir / ("Ini/.debug.ini.tmp-" + dead + "-abcdef")));
    EXPECT_TRUE(fs::exists(dir / ("Ini/.dk3e.ini.txn-" + dead + "-abcdef")));
}

TEST(FileIO, LeftoversBesideALinkedFileAreRemovedBesideItsRealFile) {
    TempDir dir;
    const auto real = dir.write("real/dk3e.ini", "old");
    fs::create_directory(dir / "game");
    fs::create_symlink(real, dir / "game/dk3e.ini");
    // A writer killed with SIGKILL leaves its temporary under its own pid.
    const pid_t child = ::fork();
    if (child == 0) {
        const auto name = dir / ("real/.dk3e.ini.tmp-" + std::to_string(::getpid()) + "-k1ll3d");
        test::writeFile(name, std::string(1000, 'x'));
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(names(dir / "real").size(), 2u);
    EXPECT_EQ(removeStaleTemporaries(dir / "game/dk3e.ini"), 1u);
    EXPECT_EQ(names(dir / "real"), std::set<std::string>{"dk3e.ini"});
}

TEST(FileIO, AReplacedFileKeepsItsOwnerAndANewFileInSomeoneElsesFolderGetsTheirs) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give files to another user";
    TempDir dir;
    const auto file = dir.write("player/dk3e.ini", "old");
    ASSERT_EQ(::chown((dir / "player").c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chown(file.c_str(), 4242, 4343), 0);
    ::chmod(file.c_str(), 0664);
    ASSERT_FALSE(writeFileAtomically(file, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4242u);
    EXPECT_EQ(info.st_gid, 4343u);
    EXPECT_EQ(info.st_mode & 07777, 0664u);

    ASSERT_FALSE(writeFilesAtomically({{dir / "player/debug.ini", "n"}, {file, "newer"}}));
    ASSERT_EQ(::stat((dir / "player/debug.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4242u);
    EXPECT_EQ(info.st_gid, 4343u);
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4242u);

    // Our own private files stay ours.
    ASSERT_FALSE(writePrivateFileAtomically(dir / "player/private", "p"));
    ASSERT_EQ(::stat((dir / "player/private").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
}

// Three files in two folders, as a backup's game files are; the journal in a third.
struct Group {
    TempDir dir;
    fs::path engine = dir.write("game/Ini/dk3e.ini", "old engine");
    fs::path options = dir.write("docs/UserOptions.ini", "old options");
    fs::path shader = dir.write("game/Ini/IP_DOF.fx", "old shader");
    fs::path journal = dir / "config/restore.journal";

    std::vector<std::pair<fs::path, std::string>> newContents() const {
        return {{engine, "new engine"}, {options, "new options"}, {shader, "new shader"}};
    }
    std::vector<fs::path> files() const { return {engine, options, shader}; }
    std::vector<std::string> contents() const {
        return {*readFile(engine), *readFile(options), *readFile(shader)};
    }
    std::size_t leftovers() const {
        std::size_t count = 0;
        for (const auto* folder : {"game/Ini", "docs"})
            for (const auto& entry : fs::directory_iterator(dir / folder))
                count += entry.path().filename().string()[0] == '.';
        return count;
    }
};

int killPoint = -1;
void killAtPoint(int point) {
    if (point == killPoint)
        ::raise(SIGKILL);
}

TEST(FileIO, AJournalledGroupWriteKilledAtAnyStepIsFinishedOrNeverStartedByRecovery) {
    const std::vector<std::string> oldContents{"old engine", "old options", "old shader"};
    const std::vector<std::string> newContents{"new engine", "new options", "new shader"};
    for (int point = 0; point <= 5; ++point) {
        SCOPED_TRACE("killed at point " + std::to_string(point));
        Group group;
        const pid_t child = ::fork();
        if (child == 0) {
            killPoint = point;
            setGroupWriteProbe(killAtPoint);
            (void)writeFilesWithJournal(group.newContents(), group.journal);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const auto recovery = recoverFileGroup(group.journal, group.files());
        // Before the journal exists nothing was replaced; from then on the write counts as done.
        EXPECT_EQ(group.contents(), point == 0 ? oldContents : newContents);
        EXPECT_EQ(recovery.outcome, point == 0 || point == 5
                                        ? FileGroupRecovery::Outcome::Nothing
                                        : FileGroupRecovery::Outcome::Completed);
        // Without a journal, the staged files beside the group's files go all the same.
        EXPECT_EQ(recovery.removed, point == 0 ? 3u : 0u);
        EXPECT_EQ(group.leftovers(), 0u);
        EXPECT_FALSE(fs::exists(group.journal));
        EXPECT_EQ(recoverFileGroup(group.journal).outcome, FileGroupRecovery::Outcome::Nothing);
    }
}

TEST(FileIO, AJournalledGroupWriteWhoseRenameFailsPutsBackWhatItHadReplaced) {
    Group group;
    const auto missing = group.dir / "game/Ini/debug.ini"; // did not exist before
    static fs::path blocker;
    blocker = group.shader;
    setGroupWriteProbe([](int point) {
        if (point == 1) { // journal written: the last file turns into a folder in the way
            fs::remove(blocker);
            fs::create_directories(blocker / "in the way");
        }
    });
    fs::path failed;
    const auto error = writeFilesWithJournal(
        {{group.engine, "new engine"}, {missing, "new debug"}, {group.shader, "new shader"}},
        group.journal, &failed);
    setGroupWriteProbe(nullptr);
    EXPECT_TRUE(error);
    EXPECT_EQ(failed, group.shader);
    EXPECT_EQ(readFile(group.engine), "old engine");
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(group.journal));
    EXPECT_EQ(group.leftovers(), 0u);
}

TEST(FileIO, ADamagedOrForeignJournalTouchesNoFileAndIsSetAside) {
    Group group;
    const auto foreign = group.dir.write("elsewhere/secret", "keep me");
    for (const std::string& bad :
         {std::string("draskel3-tuning group write 1\n3:abc\n"), std::string("\x00\xFF", 2),
          "draskel3-tuning group write 1\n" + std::to_string(group.engine.string().size()) + ":" +
              group.engine.string() + "\n" + std::to_string(foreign.string().size()) + ":" +
              foreign.string() + "\nend\n"}) {
        group.dir.write("config/restore.journal", bad);
        const auto recovery = recoverFileGroup(group.journal, group.files());
        EXPECT_EQ(recovery.outcome, FileGroupRecovery::Outcome::SetAside);
        EXPECT_FALSE(fs::exists(group.journal));
        EXPECT_EQ(recovery.setAsideAs, group.journal.string() + ".set-aside");
        EXPECT_EQ(readFile(recovery.setAsideAs), bad);
        fs::remove(recovery.setAsideAs);
        EXPECT_EQ(readFile(group.engine), "old engine");
        EXPECT_EQ(readFile(foreign), "keep me");
    }
    // The next group write is not held up by the damaged journal set aside.
    ASSERT_FALSE(writeFilesWithJournal(group.newContents(), group.journal));
    EXPECT_EQ(readFile(group.options), "new options");

    // While another copy writes the group (and holds the journal's lock), recovery keeps off.
    const int lock = ::open((group.journal.string() + ".lock").c_str(), O_RDWR);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    EXPECT_EQ(recoverFileGroup(group.journal).outcome, FileGroupRecovery::Outcome::Busy);
    ::close(lock);
    EXPECT_EQ(recoverFileGroup(group.journal).outcome, FileGroupRecovery::Outcome::Nothing);
}

} // namespace
} // namespace dk3::platform

namespace dk3::platform {
namespace {

TEST(FileIO, AGroupWriteThatCanNeitherFinishNorUndoSaysSoAndIsCompletedLater) {
    Group group;
    static const Group* current = nullptr;
    current = &group;
    // After the engine file is replaced, both folders vanish: the options file's rename fails,
    // and so does staging the engine file's old content to undo it.
    setGroupWriteProbe([](int point) {
        if (point == 2) {
            fs::rename(current->dir / "game", current->dir / "game-away");
            fs::rename(current->dir / "docs", current->dir / "docs-away");
        }
    });
    fs::path failed;
    bool unfinished = false;
    EXPECT_TRUE(writeFilesWithJournal(group.newContents(), group.journal, &failed, &unfinished));
    setGroupWriteProbe(nullptr);
    EXPECT_TRUE(unfinished);
    EXPECT_EQ(failed, group.options);
    EXPECT_TRUE(fs::exists(group.journal));

    fs::rename(group.dir / "game-away", group.dir / "game");
    fs::rename(group.dir / "docs-away", group.dir / "docs");
    EXPECT_EQ(recoverFileGroup(group.journal, group.files()).outcome,
              FileGroupRecovery::Outcome::Completed);
    EXPECT_EQ(group.contents(),
              (std::vector<std::string>{"new engine", "new options", "new shader"}));
    EXPECT_EQ(group.leftovers(), 0u);
}

} // namespace
} // namespace dk3::platform
