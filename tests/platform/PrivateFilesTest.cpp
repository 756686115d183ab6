#include "platform/ResourceExtractor.h"
#include "platform/SingleInstance.h"
#include "platform/SpecialFolders.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::ScopedEnv;
using test::TempDir;

const QString kResource = QStringLiteral(":/dk3/vorlix_translation.ini");

std::string resourceBytes() {
    QFile file(kResource);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

TEST(PrivateTempFolder, IsOursAloneAndRefusesPlantedFolders) {
    TempDir dir;
    fs::create_directory(dir / "runtime", dir.path());
    ::chmod((dir / "runtime").c_str(), 0700);
    ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "runtime").string());
    std::string error;
    const auto folder = privateTempFolder(error);
    ASSERT_TRUE(folder) << error;
    EXPECT_EQ(*folder, dir / "runtime/draskel3-tuning");
    struct stat info {};
    ::lstat(folder->c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A link in place of the folder is never used; the fallback in the system temp folder is.
    fs::remove(*folder);
    fs::create_directory(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", *folder);
    const auto fallback = privateTempFolder(error);
    ASSERT_TRUE(fallback) << error;
    EXPECT_NE(*fallback, *folder);
    EXPECT_NE(fallback->string().find("draskel3-tuning-"), std::string::npos);
}

TEST(ExtractResource, WritesOnceAndThenUsesTheExistingFileUnchanged) {
    TempDir dir;
    const auto first = extractResourceToTemp(kResource, "vorlix_translation.ini", dir.path());
    ASSERT_TRUE(first.path) << first.error;
    EXPECT_EQ(readFile(*first.path), resourceBytes());

    test::writeFile(*first.path, "left by an earlier run");
    const auto second = extractResourceToTemp(kResource, "vorlix_translation.ini", dir.path());
    ASSERT_TRUE(second.path);
    EXPECT_EQ(readFile(*second.path), "left by an earlier run");

    fs::remove(*first.path); // deleted while running: written afresh
    const auto third = extractResourceToTemp(kResource, "vorlix_translation.ini", dir.path());
    EXPECT_EQ(readFile(*third.path), resourceBytes());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ExtractResource, NeverWritesThroughALinkOrIntoAnUnwritableFolder) {
    TempDir dir;
    const auto victim = dir.write("victim.txt", "precious");
    fs::create_directory(dir / "tmp");
    fs::create_symlink(dir / "missing-target", dir / "tmp/vorlix_translation.ini");
    const auto result = extractResourceToTemp(kResource, "vorlix_translation.ini", dir / "tmp");
    ASSERT_TRUE(result.path) << result.error;
    EXPECT_FALSE(fs::is_symlink(*result.path));
    EXPECT_FALSE(fs::exists(dir / "missing-target"));

    fs::remove(*result.path);
    fs::create_symlink(victim, *result.path); // a link to an existing file is not "ours" either
    ASSERT_TRUE(extractResourceToTemp(kResource, "vorlix_translation.ini", dir / "tmp").path);
    EXPECT_EQ(readFile(victim), "precious");

    const auto missing = extractResourceToTemp(kResource, "x.ini", dir / "no-such-folder");
    EXPECT_FALSE(missing.path);
    EXPECT_FALSE(missing.error.empty());
    EXPECT_FALSE(extractResourceToTemp(QStringLiteral(":/dk3/none"), "y", dir.path()).path);
}

TEST(SingleInstance, SecondCopyIsTurnedAwayAndAKilledCopysLockIsTakenOver) {
    TempDir dir;
    {
        SingleInstance first(dir.path());
        EXPECT_FALSE(first.anotherCopyRuns());
        SingleInstance second(dir.path());
        EXPECT_TRUE(second.anotherCopyRuns());
    }
    // A copy that dies without unlocking leaves its lock file behind.
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstance holder(dir.path());
        ::_exit(holder.anotherCopyRuns() ? 1 : 0); // no destructor: the lock file stays
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(dir / "VORLIX.lock"));
    SingleInstance next(dir.path());
    EXPECT_FALSE(next.anotherCopyRuns());
}

} // namespace
} // namespace dk3::platform

namespace dk3::platform {
namespace {

// Runs body in a child process that holds the lock of folder until the returned pipe's write end
// is closed; gives the child's pid once it holds it.
struct LockHolder {
    pid_t pid = -1;
    int release = -1;

    explicit LockHolder(const std::filesystem::path& folder) {
        int ready[2];
        int hold[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(hold), 0);
        pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            SingleInstance holder(folder);
            const char state = holder.state() == SingleInstance::State::Acquired ? 'y' : 'n';
            (void)!::write(ready[1], &state, 1);
            char byte = 0;
            (void)!::read(hold[0], &byte, 1); // until the parent lets go
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        release = hold[1];
        char state = 0;
        EXPECT_EQ(::read(ready[0], &state, 1), 1);
        EXPECT_EQ(state, 'y');
        ::close(ready[0]);
    }
    ~LockHolder() {
        ::close(release);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
};

TEST(SingleInstance, DamagedOrForeignLockFilesAreTakenOverAndOnlyALivingCopyTurnsUsAway) {
    TempDir dir;
    const auto lock = dir / "VORLIX.lock";
    const auto takesOver = [&](const char* what) {
        SingleInstance instance(dir.path());
        EXPECT_EQ(instance.state(), SingleInstance::State::Acquired)
            << what << ": " << instance.error().message();
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lock))) << what;
    };
    test::writeFile(lock, "");
    takesOver("empty lock file");
    test::writeFile(lock, std::string("\xFF\x00garbage\n\n", 11));
    takesOver("garbage");
    // A living process that is not a copy of ours; it holds no lock on the file.
    test::writeFile(lock, "1\ninit\n\n");
    takesOver("lock naming pid 1");

    const auto victim = dir.write("victim.txt", "precious");
    fs::create_symlink(victim, lock);
    takesOver("link to a file");
    EXPECT_EQ(readFile(victim), "precious");
    fs::remove(lock);
    fs::create_symlink(dir / "nowhere", lock);
    takesOver("dangling link");
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    fs::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
    takesOver("pipe");
    fs::remove(lock);
    fs::create_directory(lock);
    takesOver("empty folder");

    // A folder with something in it is not removed; the lock is unavailable, and says why.
    fs::remove(lock);
    dir.write("VORLIX.lock/keep", "x");
    {
        SingleInstance instance(dir.path());
        EXPECT_EQ(instance.state(), SingleInstance::State::Unavailable);
        EXPECT_EQ(instance.error(), std::errc::is_a_directory);
        EXPECT_FALSE(instance.anotherCopyRuns());
    }
    EXPECT_EQ(readFile(dir / "VORLIX.lock/keep"), "x");
}

TEST(SingleInstance, ALivingCopyInAnotherProcessKeepsItsLock) {
    TempDir dir;
    {
        LockHolder holder(dir.path());
        SingleInstance second(dir.path());
        EXPECT_EQ(second.state(), SingleInstance::State::AnotherCopyRuns);
        EXPECT_TRUE(fs::exists(dir / "VORLIX.lock")); // the holder's lock stays
        SingleInstance third(dir.path());
        EXPECT_TRUE(third.anotherCopyRuns());
    }
    SingleInstance after(dir.path()); // the holder has ended
    EXPECT_EQ(after.state(), SingleInstance::State::Acquired);
}

} // namespace
} // namespace dk3::platform
