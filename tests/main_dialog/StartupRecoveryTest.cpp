#include "main_dialog/StartupRecovery.h"

#include "app/OwnTexts.h"
#include "maintenance/StartLogos.h"
#include "platform/FileIO.h"
#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dk3::main_dialog {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

void killAfterFirstRename(int point) {
    if (point == 2)
        ::raise(SIGKILL);
}

TEST(StartupRecovery, FinishesAKilledLoadAndClearsLeftoversBesideEveryFileWeWrite) {
    TempDir dir;
    app::GamePaths paths;
    paths.engineIniPath = dir.write("game/Ini/dk3e.ini", "old engine");
    paths.debugIniPath = dir / "game/Ini/debug.ini"; // the game has none yet
    paths.shaderPath = dir.write("game/Data/IP_DOF.fx", "old shader");
    paths.userOptionsPath = dir.write("docs/draskel3/UserOptions.ini", "old options");
    const auto store = dir.write("config/registry.ini", "");
    const auto journal = dir / "config/restore.journal";
    const auto backup =
        dir.write("b.dkb", *maintenance::encodeBackup({"new engine", "new options", "new shader"}));

    const pid_t child = ::fork();
    if (child == 0) {
        platform::setGroupWriteProbe(killAfterFirstRename);
        (void)maintenance::loadBackup(backup, paths.engineIniPath, paths.userOptionsPath,
                                      paths.shaderPath, journal);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    // The same child's pid stands for a killed single write beside the logo list and the store.
    const std::string dead = std::to_string(child);
    const auto logo = maintenance::logoListPath(paths.engineIniPath);
    dir.write("game/Ini/." + logo.filename().string() + ".tmp-" + dead + "-aaaaaa", "x");
    dir.write("game/Ini/.debug.ini.tmp-" + dead + "-bbbbbb", "x");
    dir.write("config/.registry.ini.tmp-" + dead + "-cccccc", "x");

    const StartupRecovery recovery = recoverAfterInterruptedRun(paths, store, journal);
    EXPECT_EQ(recovery.restore.outcome, maintenance::RestoreRecovery::Outcome::Completed);
    EXPECT_EQ(recovery.removedTemporaries, 3u);
    EXPECT_EQ(readFile(paths.engineIniPath), "new engine");
    EXPECT_EQ(readFile(paths.userOptionsPath), "new options");
    EXPECT_EQ(readFile(paths.shaderPath), "new shader");
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    EXPECT_EQ(restoreRecoveryMessage("english", recovery.restore).toStdString(),
              "Loading a backup was interrupted and has now been completed.");

    const auto again = recoverAfterInterruptedRun(paths, store, journal);
    EXPECT_EQ(again.restore.outcome, maintenance::RestoreRecovery::Outcome::Nothing);
    EXPECT_TRUE(restoreRecoveryMessage("english", again.restore).isEmpty());
}

TEST(StartupRecovery, MessagesNameTheFileAndTheReasonInThePlayersLanguage) {
    maintenance::RestoreRecovery failed;
    failed.outcome = maintenance::RestoreRecovery::Outcome::Failed;
    failed.file = "/g/Ini/dk3e.ini";
    failed.error = std::make_error_code(std::errc::read_only_file_system);
    const QString english = restoreRecoveryMessage("english", failed);
    EXPECT_TRUE(
        english.contains(QStringLiteral("\"/g/Ini/dk3e.ini\": the file system is read-only")))
        << english.toStdString();
    EXPECT_TRUE(
        restoreRecoveryMessage("deutsch", failed).contains(QStringLiteral("schreibgeschützt")));

    // A journal that was not ours, or that could not be used: no load is claimed.
    maintenance::RestoreRecovery setAside;
    setAside.outcome = maintenance::RestoreRecovery::Outcome::SetAside;
    setAside.file = "/home/p/.config/draskel3-tuning/restore.journal";
    setAside.setAsideAs = "/home/p/.config/draskel3-tuning/restore.journal.set-aside";
    maintenance::RestoreRecovery unusable;
    unusable.outcome = maintenance::RestoreRecovery::Outcome::Unusable;
    unusable.file = setAside.file;
    unusable.error = std::make_error_code(std::errc::permission_denied);
    for (const char* language : {"deutsch", "english", "italiano"}) {
        SCOPED_TRACE(language);
        const QString unknown = restoreRecoveryMessage(language, setAside);
        const QString blocked = restoreRecoveryMessage(language, unusable);
        for (const QString& text : {unknown, blocked}) {
            EXPECT_TRUE(text.contains(QStringLiteral("/home/p/.config/draskel3-tuning")));
            for (const char* claim : {"unterbrochen", "interrupted", "interrotto", "completed",
                                      "abgeschlossen", "completato"})
                EXPECT_FALSE(text.contains(QString::fromUtf8(claim))) << text.toStdString();
        }
        EXPECT_TRUE(unknown.contains(QStringLiteral("restore.journal.set-aside")));
        EXPECT_TRUE(blocked.contains(app::describeError(language, unusable.error)));
    }
    EXPECT_TRUE(restoreRecoveryMessage("english", setAside)
                    .startsWith(QStringLiteral("An unknown restore journal was found")));

    TempDir dir;
    dir.write("VORLIX.lock/keep", "x"); // a folder that is not removed stands in the way
    const platform::SingleInstance instance(dir.path());
    const QString italian = lockUnavailableMessage("italiano", instance);
    EXPECT_TRUE(italian.contains(QString::fromStdString((dir / "VORLIX.lock").string())));
    EXPECT_TRUE(italian.contains(QStringLiteral("al posto del file c'è una cartella")))
        << italian.toStdString();
    fs::remove_all(dir / "VORLIX.lock");
    const platform::SingleInstance taken(dir.path());
    EXPECT_TRUE(lockUnavailableMessage("english", taken).isEmpty());
}

} // namespace
} // namespace dk3::main_dialog
