#include "maintenance/BackupFile.h"

#include "platform/FileIO.h"
#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dk3::maintenance {
namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;
using test::readFile;
using test::TempDir;

// The three game files in a scratch installation, with bytes that a text-mode copy would spoil.
struct Game {
    TempDir dir;
    fs::path engine = dir.write("game/Ini/dk3e.ini", "[Engine.Setup]\r\nQuality=3\r\n\xE9\n");
    fs::path userOptions = dir.write("docs/draskel3/UserOptions.ini", "");
    fs::path shader = dir.write("game/Data/IP_DOF.fx", std::string("float b = 1.0;\0\xFF", 16));
    TempDir config; // the program's own configuration folder, where loading keeps its journal
    fs::path journal = config / "restore.journal";

    BackupResult create(const fs::path& target) const {
        return createBackup(engine, userOptions, shader, target, journal);
    }
    BackupResult load(const fs::path& backup) const {
        return loadBackup(backup, engine, userOptions, shader, journal);
    }
    RestoreRecovery recover() const {
        return recoverInterruptedRestore(engine, userOptions, shader, journal);
    }
    BackupContents contents() const {
        return {*readFile(engine), *readFile(userOptions), *readFile(shader)};
    }
};

std::ptrdiff_t entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

std::string lengths(std::uint32_t e, std::uint32_t u, std::uint32_t s) {
    std::string out;
    for (std::uint32_t v : {e, u, s})
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<char>(v >> shift));
    return out;
}

TEST(BackupFile, LayoutIsThreeLittleEndianLengthsThenTheFiles) {
    const BackupContents example{std::string(1000, 'e'), std::string(200, 'u'),
                                 std::string(5000, 's')};
    const auto bytes = encodeBackup(example);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 6212u);
    EXPECT_EQ(bytes->substr(0, 12), "\xE8\x03\x00\x00\xC8\x00\x00\x00\x88\x13\x00\x00"s);
    const auto decoded = decodeBackup(*bytes);
    EXPECT_EQ(decoded.problem, BackupProblem::None);
    EXPECT_EQ(decoded.contents, example);

    EXPECT_EQ(encodeBackup({}), std::string(12, '\0'));
    EXPECT_EQ(decodeBackup(std::string(12, '\0')).problem, BackupProblem::None);
}

TEST(BackupFile, NameRules) {
    EXPECT_EQ(backupTargetPath("dir/name"), "dir/name.dkb");
    EXPECT_EQ(backupTargetPath("my.dir/name"), "my.dir/name.dkb");
    EXPECT_EQ(backupTargetPath("dir/name."), "dir/name.dkb");
    EXPECT_EQ(backupTargetPath("dir/.hidden"), "dir/.hidden.dkb");
    for (const char* kept : {"dir/name.bak", "dir/name.DKB", "dir/name.dkb", "a.tar.gz", "dir/"})
        EXPECT_EQ(backupTargetPath(kept), kept);

    EXPECT_TRUE(hasBackupExtension("my.dir/name.dkb"));
    EXPECT_TRUE(hasBackupExtension(backupTargetPath("dir/name.")));
    for (const char* refused : {"x.DKB", "x.Dkb", "x.bak", "x", "x.dkb.bak", ".dkb", "dkb.d/x"})
        EXPECT_FALSE(hasBackupExtension(refused)) << refused;
}

TEST(BackupFile, CreateThenLoadRestoresAllThreeFilesByteForByte) {
    Game game;
    const BackupContents original = game.contents();
    const auto target = backupTargetPath(game.dir / "before");
    const auto created = game.create(target);
    ASSERT_TRUE(created.ok()) << describeBackupResult(created);
    EXPECT_EQ(readFile(target), encodeBackup(original)); // empty user options: length 0
    EXPECT_EQ(readFile(game.engine), original.engine);   // creating changes no game file

    test::writeFile(game.engine, "changed");
    test::writeFile(game.userOptions, "[Options.Video]\r\nWidth=640\r\n");
    fs::remove(game.shader); // a missing game file is created again
    const auto loaded = game.load(target);
    ASSERT_TRUE(loaded.ok()) << describeBackupResult(loaded);
    EXPECT_EQ(game.contents(), original);
    EXPECT_EQ(entries(game.dir / "game/Ini"), 1);

    // Any extension is kept, and the load check then refuses the file before reading it.
    for (const char* name : {"copy.bak", "copy.DKB"}) {
        ASSERT_TRUE(game.create(backupTargetPath(game.dir / name)).ok());
        const auto refused = game.load(game.dir / name);
        EXPECT_EQ(refused.problem, BackupProblem::WrongExtension);
        EXPECT_EQ(refused.role, BackupFileRole::Backup);
    }
}

TEST(BackupFile, DamagedOrForeignBackupsAreRefusedAndChangeNothing) {
    Game game;
    const BackupContents original = game.contents();
    const std::string valid = lengths(2, 1, 0) + "ab" + "c";
    const struct {
        std::string bytes;
        BackupProblem problem;
    } cases[] = {
        {valid.substr(0, 11), BackupProblem::TooShort},
        {valid.substr(0, 14), BackupProblem::Truncated},
        {valid + "\n", BackupProblem::Padded},
        {lengths(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF) + "abc", BackupProblem::Truncated},
        {"[Engine.Setup]\r\nQuality=high\r\n", BackupProblem::Truncated}, // a foreign file
    };
    const auto backup = game.dir / "b.dkb";
    for (const auto& c : cases) {
        test::writeFile(backup, c.bytes);
        const auto result = game.load(backup);
        EXPECT_EQ(result.problem, c.problem) << c.bytes.size() << " bytes";
        EXPECT_EQ(result.role, BackupFileRole::Backup);
        EXPECT_NE(describeBackupResult(result).find(backup.string()), std::string::npos);
    }
    // Far too large: refused by its size on disk (the sparse file is never read).
    fs::resize_file(backup, std::uintmax_t{1} << 33);
    EXPECT_EQ(game.load(backup).problem, BackupProblem::TooLarge);
    EXPECT_EQ(game.load(game.dir / "none.dkb").error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(game.contents(), original);
}

TEST(BackupFile, FailedWriteDuringLoadLeavesEveryGameFileAsItWas) {
    Game game;
    const auto backup = game.dir / "b.dkb";
    test::writeFile(backup, *encodeBackup({"new engine", "new options", "new shader"}));
    const BackupContents before = game.contents();
    // The last file fails, after the other two were staged: a directory in the way (unlike a
    // read-only folder, this fails for root too).
    fs::remove(game.shader);
    fs::create_directory(game.shader);
    const auto result = game.load(backup);
    EXPECT_EQ(result.role, BackupFileRole::ShaderFile);
    EXPECT_EQ(result.error, std::errc::is_a_directory);
    EXPECT_EQ(*readFile(game.engine), before.engine);
    EXPECT_EQ(*readFile(game.userOptions), before.userOptions);
    const auto text = describeBackupResult(result);
    EXPECT_NE(text.find("shader file \"" + game.shader.string()), std::string::npos) << text;
}

TEST(BackupFile, CreateFailuresNameTheFileAndLeaveNoBackup) {
    Game game;
    const auto target = game.dir / "b.dkb";
    fs::remove(game.userOptions); // the game has not written its options yet
    auto result = game.create(target);
    EXPECT_EQ(result.role, BackupFileRole::UserOptionsFile);
    EXPECT_EQ(result.file, game.userOptions);
    EXPECT_EQ(result.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(describeBackupResult(result),
              "Could not read the user options file \"" + game.userOptions.string() +
                  "\": no such file or directory. No backup was written.");
    EXPECT_FALSE(fs::exists(target));

    test::writeFile(game.userOptions, "x");
    result = game.create(game.dir / "missing/b.dkb");
    EXPECT_EQ(result.role, BackupFileRole::Target);
    EXPECT_EQ(result.error, std::errc::no_such_file_or_directory);

    // Choosing the engine file itself as the backup must not destroy it.
    const auto engineBefore = readFile(game.engine);
    result = game.create(game.engine);
    EXPECT_EQ(result.problem, BackupProblem::TargetIsGameFile);
    EXPECT_EQ(readFile(game.engine), engineBefore);
    EXPECT_EQ(entries(game.dir.path()), 2);
}

int killPoint = -1;
void killAtPoint(int point) {
    if (point == killPoint)
        ::raise(SIGKILL);
}

// Loads backup in a child process that is killed at the given step of the restore.
void loadKilledAt(const Game& game, const fs::path& backup, int point) {
    const pid_t child = ::fork();
    if (child == 0) {
        killPoint = point;
        platform::setGroupWriteProbe(killAtPoint);
        (void)game.load(backup);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the load ran to its end";
}

std::size_t hiddenFiles(const Game& game) {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(game.dir.path()))
        count += entry.path().filename().string()[0] == '.';
    return count;
}

TEST(BackupFile, ALoadKilledAtAnyStepEndsWithTheFilesOfOneBackupAndNothingLeftBehind) {
    const BackupContents oldFiles{"old engine", "old options", "old shader"};
    const BackupContents newFiles{"new engine", "new options", "new shader"};
    // Staged, journal written, after each of the three renames, journal removed.
    for (int point = 0; point <= 5; ++point) {
        SCOPED_TRACE("killed at step " + std::to_string(point));
        Game game;
        test::writeFile(game.engine, oldFiles.engine);
        test::writeFile(game.userOptions, oldFiles.userOptions);
        test::writeFile(game.shader, oldFiles.shader);
        const auto backup = game.dir.write("new.dkb", *encodeBackup(newFiles));
        loadKilledAt(game, backup, point);

        const RestoreRecovery recovery = game.recover();
        EXPECT_TRUE(recovery.ok());
        EXPECT_EQ(recovery.outcome, point >= 1 && point <= 4 ? RestoreRecovery::Outcome::Completed
                                                             : RestoreRecovery::Outcome::Nothing);
        EXPECT_EQ(game.contents(), point == 0 ? oldFiles : newFiles);
        EXPECT_EQ(hiddenFiles(game), 0u);
        EXPECT_FALSE(fs::exists(game.journal));
    }
}

TEST(BackupFile, BackupActionsFinishAnInterruptedLoadBeforeTheyReadTheGameFiles) {
    Game game;
    const BackupContents first{"first engine", "first options", "first shader"};
    const BackupContents second{"second engine", "second options", "second shader"};
    const auto firstBackup = game.dir.write("first.dkb", *encodeBackup(first));
    const auto secondBackup = game.dir.write("second.dkb", *encodeBackup(second));

    // Killed after the first rename: a backup made now holds the completed restore, not a mix.
    loadKilledAt(game, firstBackup, 2);
    EXPECT_EQ(*readFile(game.engine), first.engine);
    EXPECT_NE(*readFile(game.userOptions), first.userOptions);
    const auto made = game.dir / "made.dkb";
    ASSERT_TRUE(game.create(made).ok());
    EXPECT_EQ(readFile(made), encodeBackup(first));

    // Killed again; loading another backup completes the first and then writes the second.
    loadKilledAt(game, secondBackup, 3);
    ASSERT_TRUE(game.load(firstBackup).ok());
    EXPECT_EQ(game.contents(), first);
    EXPECT_EQ(hiddenFiles(game), 0u);

    // A journal that cannot be finished stops a backup of the files it left; the reason names
    // the file in the way.
    loadKilledAt(game, secondBackup, 1);
    fs::remove(game.shader);
    fs::create_directories(game.shader / "in the way");
    const auto refused = game.create(made);
    EXPECT_EQ(refused.problem, BackupProblem::UnfinishedRestore);
    EXPECT_EQ(refused.role, BackupFileRole::ShaderFile);
    EXPECT_EQ(readFile(made), encodeBackup(first));
    EXPECT_NE(describeBackupResult(refused).find("interrupted"), std::string::npos);
    EXPECT_EQ(game.recover().outcome, RestoreRecovery::Outcome::Failed);
    fs::remove_all(game.shader);
    EXPECT_EQ(game.recover().outcome, RestoreRecovery::Outcome::Completed);
    EXPECT_EQ(game.contents(), second);
}

TEST(BackupFile, ALoadThatCanNeitherFinishNorUndoIsReportedAsUnfinished) {
    static const Game* current = nullptr;
    Game game;
    current = &game;
    const BackupContents restored{"new engine", "new options", "new shader"};
    const auto backup = game.dir.write("new.dkb", *encodeBackup(restored));
    // The game's folders vanish after the engine file is replaced (a drive unplugged half-way).
    platform::setGroupWriteProbe([](int point) {
        if (point == 2) {
            fs::rename(current->dir / "game", current->dir / "game-away");
            fs::rename(current->dir / "docs", current->dir / "docs-away");
        }
    });
    const auto result = game.load(backup);
    platform::setGroupWriteProbe(nullptr);
    EXPECT_EQ(result.problem, BackupProblem::UnfinishedRestore);
    EXPECT_EQ(result.role, BackupFileRole::UserOptionsFile);
    const auto text = describeBackupResult(result);
    EXPECT_NE(text.find("neither completed nor undone"), std::string::npos) << text;
    EXPECT_EQ(text.find("left as they were"), std::string::npos) << text;

    fs::rename(game.dir / "game-away", game.dir / "game");
    fs::rename(game.dir / "docs-away", game.dir / "docs");
    EXPECT_EQ(game.recover().outcome, RestoreRecovery::Outcome::Completed);
    EXPECT_EQ(game.contents(), restored);
}

TEST(BackupFile, AJournalNotOursHoldsUpNoBackupAndOneThatCannotBeUsedIsNamedEveryTime) {
    Game game;
    const auto victim = game.dir.write("elsewhere/precious", "precious");
    const auto backup = game.dir.write("b.dkb", *encodeBackup({"e", "u", "s"}));
    // A journal that would remove a file outside the installation is set aside unused.
    const std::string path = victim.string();
    test::writeFile(game.journal, "draskel3-tuning group write 1\n" + std::to_string(path.size()) +
                                      ":" + path + "\n0:\nend\n");
    const auto made = game.dir / "made.dkb";
    EXPECT_TRUE(game.create(made).ok());
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(fs::exists(game.journal));
    const RestoreRecovery nothing = game.recover();
    EXPECT_EQ(nothing.outcome, RestoreRecovery::Outcome::Nothing);

    test::writeFile(game.journal, "not a journal");
    const RestoreRecovery setAside = game.recover();
    EXPECT_EQ(setAside.outcome, RestoreRecovery::Outcome::SetAside);
    EXPECT_EQ(setAside.file, game.journal);
    EXPECT_EQ(readFile(setAside.setAsideAs), "not a journal");
    fs::remove(setAside.setAsideAs);
    fs::remove(game.journal.string() + ".set-aside");

    // Every place it could go is taken: both actions refuse, each time, and say where.
    for (const std::string suffix :
         {"", ".set-aside", ".set-aside-2", ".set-aside-3", ".set-aside-4", ".set-aside-5",
          ".set-aside-6", ".set-aside-7", ".set-aside-8", ".set-aside-9"})
        game.config.write("restore.journal" + suffix + "/keep", "x");
    const BackupContents before = game.contents();
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (const BackupResult& result :
             {game.create(game.dir / "other.dkb"), game.load(backup)}) {
            EXPECT_EQ(result.problem, BackupProblem::JournalUnusable);
            EXPECT_EQ(result.role, BackupFileRole::RestoreJournal);
            EXPECT_EQ(result.file, game.journal);
            const std::string text = describeBackupResult(result);
            EXPECT_NE(text.find("can be neither used nor set aside"), std::string::npos) << text;
            EXPECT_EQ(text.find("interrupted"), std::string::npos) << text;
        }
    }
    EXPECT_FALSE(fs::exists(game.dir / "other.dkb"));
    EXPECT_EQ(game.contents(), before);
}

TEST(BackupFile, TheRestoreJournalLivesInTheProgramsConfigurationFolder) {
    TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.path().string());
    EXPECT_EQ(defaultRestoreJournal(), dir / "draskel3-tuning/restore.journal");
}

} // namespace
} // namespace dk3::maintenance
