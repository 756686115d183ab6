#include "MainDialogFixture.h"
#include "platform/TextCodec.h"

#include <QDate>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace id = main_dialog::id;
using Kind = ScriptedPrompter::Shown::Kind;

constexpr const char* kAllLogos =
    "DK3_Logo_01.bik\r\nDK3_Logo_02.bik\r\nDK3_Logo_03.bik\r\nDK3_Logo_04.bik\r\nDK3_Logo_05.bik";

struct MaintenanceActions : MainDialogFixture {
    fs::path logoList() const { return game / "Ini/logo.ini"; }
    fs::path shader() const { return game / "Data/Materials/Effects/ImageProcessing/IP_DOF.fx"; }
    void click(const QWidget& dialog, int button) { control<QPushButton>(dialog, button)->click(); }
};

TEST_F(MaintenanceActions, StartLogoButtonsAskAndRewriteTheListExactly) {
    auto dialog = startDialog("english");
    writeFile(logoList(), "old list\r\nwith a comment");

    prompter.answerNo();
    click(*dialog, id::kRemoveStartLogos);
    EXPECT_EQ(readFile(logoList()), "old list\r\nwith a comment");
    EXPECT_EQ(prompter.shown().back().text,
              QStringLiteral("Do you really want to remove the start logos?"));

    prompter.answerYes();
    click(*dialog, id::kRemoveStartLogos);
    EXPECT_EQ(readFile(logoList()), "DK3_Logo_01.bik");

    prompter.answerYes();
    click(*dialog, id::kRestoreStartLogos);
    EXPECT_EQ(readFile(logoList()), kAllLogos);
    EXPECT_EQ(prompter.shown().back().text,
              QStringLiteral("Do you really want to restore the start logos?"));
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
}

TEST_F(MaintenanceActions, UnwritableLogoListIsReportedInThePlayersLanguageAndKept) {
    auto dialog = startDialog("italiano");
    fs::remove(logoList());
    fs::create_directory(logoList()); // fails for root too
    prompter.answerYes();
    click(*dialog, id::kRemoveStartLogos);
    ASSERT_EQ(prompter.shown().back().kind, Kind::Message);
    EXPECT_EQ(prompter.shown().back().icon, ui::MessageIcon::Error);
    const QString text = prompter.shown().back().text;
    EXPECT_TRUE(text.contains(QStringLiteral("logo.ini")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Impossibile scrivere l'elenco dei loghi iniziali")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("al posto del file c'è una cartella")))
        << text.toStdString();
    EXPECT_TRUE(fs::is_directory(logoList()));
}

TEST_F(MaintenanceActions, BackupChoosersOpenWhereTheLastBackupWentWithTheDayInTheName) {
    auto dialog = startDialog("english");
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    // The first time: the documents folder, and a name holding the day.
    prompter.answerCancel();
    click(*dialog, id::kCreateBackup);
    ASSERT_EQ(prompter.shown().back().kind, Kind::SaveFile);
    EXPECT_EQ(prompter.shown().back().request.startFolder, platform::pathToQString(documents));
    EXPECT_EQ(prompter.shown().back().initialName,
              QStringLiteral("draskel3-settings-%1.dkb").arg(today));

    // A backup written elsewhere makes that folder the next starting place, both ways.
    fs::create_directories(dir / "backups");
    prompter.answerFile(platform::pathToQString(dir / "backups/first.dkb"));
    click(*dialog, id::kCreateBackup);
    ASSERT_TRUE(fs::exists(dir / "backups/first.dkb"));
    prompter.answerCancel();
    click(*dialog, id::kCreateBackup);
    EXPECT_EQ(prompter.shown().back().request.startFolder,
              platform::pathToQString(dir / "backups"));
    prompter.answerYes();
    prompter.answerCancel();
    click(*dialog, id::kLoadBackup);
    ASSERT_EQ(prompter.shown().back().kind, Kind::OpenFile);
    EXPECT_EQ(prompter.shown().back().request.startFolder,
              platform::pathToQString(dir / "backups"));

    // Once that folder is gone, the documents folder again.
    fs::remove_all(dir / "backups");
    prompter.answerCancel();
    click(*dialog, id::kCreateBackup);
    EXPECT_EQ(prompter.shown().back().request.startFolder, platform::pathToQString(documents));
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
}

TEST_F(MaintenanceActions, BackupRestoresAllThreeFilesByteForByte) {
    auto dialog = startDialog("english");
    const auto engineBefore = readFile(engineIni());
    const auto optionsBefore = readFile(userOptions());
    const auto shaderBefore = readFile(shader());

    prompter.answerFile(platform::pathToQString(dir / "mine")); // no extension: ".dkb" added
    click(*dialog, id::kCreateBackup);
    ASSERT_TRUE(fs::exists(dir / "mine.dkb"));
    EXPECT_EQ(prompter.shown().back().kind, Kind::SaveFile);
    EXPECT_TRUE(prompter.shown().back().confirmOverwrite);
    EXPECT_EQ(prompter.shown().back().text, QStringLiteral("Draskel III Ini BackUp (*.dkb)"));

    writeFile(engineIni(), "[Engine.Setup]\r\nVegetationAdmin.Quality=high\r\n");
    writeFile(userOptions(), "");
    writeFile(shader(), "changed");
    dialog->loadSettings();
    ASSERT_EQ(combo(*dialog, id::kVegetationDetails)->currentIndex(), 2);

    prompter.answerYes();
    prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
    click(*dialog, id::kLoadBackup);
    EXPECT_EQ(readFile(engineIni()), engineBefore);
    EXPECT_EQ(readFile(userOptions()), optionsBefore);
    EXPECT_EQ(readFile(shader()), shaderBefore);
    EXPECT_EQ(combo(*dialog, id::kVegetationDetails)->currentIndex(), 1); // the demo's "med" again
    EXPECT_EQ(prompter.messageTexts().back(),
              QStringLiteral("Current data will be overwritten!\n\nContinue?"));
}

TEST_F(MaintenanceActions, RefusedOrCancelledLoadsChangeNothing) {
    auto dialog = startDialog("english");
    const auto engineBefore = readFile(engineIni());
    prompter.answerFile(platform::pathToQString(dir / "other.bak")); // kept as it is
    click(*dialog, id::kCreateBackup);
    ASSERT_TRUE(fs::exists(dir / "other.bak"));
    writeFile(engineIni(), "changed");

    prompter.answerNo(); // not confirmed
    click(*dialog, id::kLoadBackup);
    prompter.answerYes(); // chooser cancelled
    prompter.answerCancel();
    click(*dialog, id::kLoadBackup);
    prompter.answerYes(); // the wrong extension
    prompter.answerFile(platform::pathToQString(dir / "other.bak"));
    click(*dialog, id::kLoadBackup);
    EXPECT_EQ(prompter.messageTexts().back(), QStringLiteral("Invalid file!"));

    writeFile(dir / "short.dkb", std::string("\x05\0\0\0", 4)); // truncated header
    prompter.answerYes();
    prompter.answerFile(platform::pathToQString(dir / "short.dkb"));
    click(*dialog, id::kLoadBackup);
    EXPECT_EQ(prompter.shown().back().icon, ui::MessageIcon::Error);
    EXPECT_TRUE(prompter.shown().back().text.contains(QStringLiteral("short.dkb")));

    EXPECT_EQ(readFile(engineIni()), "changed");
    EXPECT_NE(engineBefore, "changed");
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
}

TEST_F(MaintenanceActions, BackupWithoutUserOptionsNamesTheMissingFileAndWritesNothing) {
    auto dialog = startDialog("deutsch");
    fs::remove(userOptions());
    prompter.answerFile(platform::pathToQString(dir / "mine.dkb"));
    click(*dialog, id::kCreateBackup);
    EXPECT_FALSE(fs::exists(dir / "mine.dkb"));
    EXPECT_EQ(prompter.shown().back().icon, ui::MessageIcon::Error);
    const QString text = prompter.shown().back().text;
    EXPECT_TRUE(text.contains(QStringLiteral("UserOptions.ini")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Die Datei der Benutzeroptionen „")))
        << text.toStdString();
    EXPECT_TRUE(
        text.endsWith(QStringLiteral("konnte nicht gelesen werden: die Datei oder der "
                                     "Ordner fehlt. Es wurde keine Sicherung geschrieben.")))
        << text.toStdString();
}

} // namespace
} // namespace dk3::test
