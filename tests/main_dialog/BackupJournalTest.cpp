// What the player is told about the restore journal in the configuration folder: a journal that
// is not ours is set aside at start (and said so, without claiming any load); one that can be
// neither used nor set aside makes both backup buttons say why, every time.

#include "MainDialogFixture.h"
#include "app/GameRunning.h"
#include "maintenance/BackupFile.h"
#include "platform/TextCodec.h"

#include <QPushButton>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace id = main_dialog::id;
using Kind = ScriptedPrompter::Shown::Kind;

struct BackupJournal : MainDialogFixture {
    ScopedEnv configHome{"XDG_CONFIG_HOME", (dir / "xdg").string()};
    fs::path journal = dir / "xdg/draskel3-tuning/restore.journal";
    fs::path victim = dir.write("elsewhere/precious.txt", "precious");

    BackupJournal() {
        app::setGameRunningProbe([] { return false; });
    }
    ~BackupJournal() override { app::setGameRunningProbe({}); }

    fs::path shader() const { return game / "Data/Materials/Effects/ImageProcessing/IP_DOF.fx"; }
    std::vector<std::optional<std::string>> gameFiles() const {
        return {readFile(engineIni()), readFile(userOptions()), readFile(shader()),
                readFile(victim)};
    }
    void click(const QWidget& dialog, int button) { control<QPushButton>(dialog, button)->click(); }
};

TEST_F(BackupJournal, AnUnknownJournalIsSetAsideAtStartAndThePlayerToldSoPlainly) {
    // It would remove a file outside the installation.
    const std::string path = victim.string();
    dir.write("xdg/draskel3-tuning/restore.journal", "draskel3-tuning group write 1\n" +
                                                         std::to_string(path.size()) + ":" + path +
                                                         "\n0:\nend\n");
    const auto before = gameFiles();
    auto dialog = startDialog("english");
    EXPECT_EQ(gameFiles(), before);
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_TRUE(fs::exists(journal.string() + ".set-aside"));
    ASSERT_EQ(prompter.shown().size(), 1u);
    const QString text = prompter.shown()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("An unknown restore journal was found in the "
                                               "configuration folder \"")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(platform::pathToQString(journal.parent_path())));
    EXPECT_TRUE(text.contains(QStringLiteral("restore.journal.set-aside")));
    EXPECT_FALSE(text.contains(QStringLiteral("interrupted")));
    EXPECT_FALSE(text.contains(QStringLiteral("completed")));

    // The backup buttons work as ever afterwards.
    prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
    click(*dialog, id::kCreateBackup);
    EXPECT_TRUE(fs::exists(dir / "mine.dkb"));
    EXPECT_EQ(prompter.shown().size(), 2u); // the chooser, and no message
}

TEST_F(BackupJournal, AJournalThatCanNeitherBeUsedNorSetAsideIsNamedByBothButtonsEveryTime) {
    // A folder in the journal's place and in every place it could be set aside.
    for (const std::string suffix :
         {"", ".set-aside", ".set-aside-2", ".set-aside-3", ".set-aside-4", ".set-aside-5",
          ".set-aside-6", ".set-aside-7", ".set-aside-8", ".set-aside-9"})
        dir.write("xdg/draskel3-tuning/restore.journal" + suffix + "/keep", "x");
    const auto before = gameFiles();
    auto dialog = startDialog("deutsch");
    ASSERT_EQ(prompter.shown().size(), 1u);
    const QString atStart = prompter.shown()[0].text;
    EXPECT_TRUE(atStart.startsWith(QString::fromUtf8("Im Konfigurationsordner „") +
                                   platform::pathToQString(journal.parent_path())))
        << atStart.toStdString();
    EXPECT_TRUE(atStart.contains(QString::fromUtf8("weder verwendet noch beiseitegelegt")));
    EXPECT_FALSE(atStart.contains(QStringLiteral("unterbrochen")));

    const QString expected = QString::fromUtf8("Im Konfigurationsordner des Programms kann „") +
                             platform::pathToQString(journal) +
                             QString::fromUtf8("“ weder verwendet noch ");
    for (int attempt = 0; attempt < 2; ++attempt) {
        prompter.clear();
        prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
        click(*dialog, id::kCreateBackup);
        ASSERT_EQ(prompter.shown().back().kind, Kind::Message);
        EXPECT_TRUE(prompter.shown().back().text.startsWith(expected))
            << prompter.shown().back().text.toStdString();
        EXPECT_TRUE(prompter.shown().back().text.endsWith(
            QStringLiteral("Es wurde keine Sicherung geschrieben.")));
        EXPECT_FALSE(fs::exists(dir / "mine.dkb"));

        writeFile(dir / "old.dkb", *maintenance::encodeBackup({"e", "u", "s"}));
        prompter.answerYes();
        prompter.answerFile(platform::pathToQString(dir / "old.dkb"));
        click(*dialog, id::kLoadBackup);
        EXPECT_TRUE(prompter.shown().back().text.startsWith(expected))
            << prompter.shown().back().text.toStdString();
        EXPECT_TRUE(prompter.shown().back().text.endsWith(
            QStringLiteral("Die Spieldateien blieben unverändert.")));
    }
    EXPECT_EQ(gameFiles(), before);
}

TEST_F(BackupJournal, AConfigurationFolderThatCannotHoldAJournalStopsOnlyLoading) {
    writeFile(dir / "xdg", "a file where the configuration folders belong");
    auto dialog = startDialog("english");
    EXPECT_TRUE(prompter.shown().empty()); // no journal, nothing to say

    prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
    click(*dialog, id::kCreateBackup);
    EXPECT_TRUE(fs::exists(dir / "mine.dkb"));

    const auto before = gameFiles();
    for (int attempt = 0; attempt < 2; ++attempt) {
        prompter.answerYes();
        prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
        click(*dialog, id::kLoadBackup);
        const QString text = prompter.shown().back().text;
        EXPECT_TRUE(text.startsWith(
            QStringLiteral("Could not write the restore journal in the program's configuration "
                           "folder \"") +
            platform::pathToQString(journal) + QStringLiteral("\": ")))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("The game files were left as they were.")));
    }
    EXPECT_EQ(gameFiles(), before);
}

} // namespace
} // namespace dk3::test
