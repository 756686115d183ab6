#include "MainDialogFixture.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QPushButton>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
using main_dialog::MainSettingsDialog;
using platform::KeyValueStore;
using Outcome = MainSettingsDialog::StartupOutcome;
namespace id = main_dialog::id;

struct StartupSequence : MainDialogFixture {
    std::string storedLanguage() const {
        return store.value(KeyValueStore::kGameKey, KeyValueStore::kLanguage);
    }
};

TEST_F(StartupSequence, BuildsEveryControlOfTheLayoutAtItsId) {
    MainSettingsDialog dialog(services());
    for (const auto& control : main_dialog::mainDialogTemplate().controls) {
        if (control.id != -1) {
            EXPECT_NE(ui::controlById(dialog, control.id), nullptr) << control.id;
        }
    }
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Draskel 3 Tuning Utility"));
    EXPECT_TRUE(control<QPushButton>(dialog, id::kExit)->isDefault());
}

TEST_F(StartupSequence, StoredInstallationAndLanguageOpenTheDialogWithoutAsking) {
    auto dialog = startDialog("English"); // any letter case selects the language
    EXPECT_TRUE(prompter.shown().empty());
    QComboBox* languages = combo(*dialog, id::kLanguage);
    ASSERT_EQ(languages->count(), 3);
    EXPECT_EQ(languages->itemText(0), QStringLiteral("deutsch"));
    EXPECT_EQ(languages->currentText(), QStringLiteral("english"));
    EXPECT_EQ(dialog->languageName(), "english");
    EXPECT_EQ(storedLanguage(), "english");
    EXPECT_EQ(dialog->paths().engineIniPath, engineIni());
    EXPECT_EQ(dialog->paths().userOptionsPath, userOptions());
    EXPECT_EQ(dialog->paths().translationPath, translationFile());
    EXPECT_TRUE(fs::exists(translationFile()));
}

TEST_F(StartupSequence, MissingLanguageBecomesGermanAndUnknownOneSelectsNothing) {
    {
        MainSettingsDialog dialog(services());
        ASSERT_EQ(dialog.startUp(), Outcome::Run);
        EXPECT_EQ(dialog.languageName(), "deutsch");
        EXPECT_EQ(storedLanguage(), "deutsch");
    }
    auto dialog = startDialog("klingon");
    EXPECT_EQ(combo(*dialog, id::kLanguage)->currentIndex(), -1);
    EXPECT_EQ(dialog->languageName(), "");
    EXPECT_EQ(storedLanguage(), ""); // the next start falls back to German
    EXPECT_EQ(dialog->text("TEXT_RISK"), QString());
}

TEST_F(StartupSequence, FirstStartWithoutInstallationAsksAndEndsOnCancel) {
    ASSERT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, ""));
    prompter.answerCancel();
    MainSettingsDialog dialog(services());
    EXPECT_EQ(dialog.startUp(), Outcome::Quit);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_TRUE(
        prompter.shown()[0].text.contains(QStringLiteral("No Draskel 3 - Installation found!")));
    EXPECT_EQ(prompter.shown()[1].kind, ScriptedPrompter::Shown::Kind::OpenFile);
    EXPECT_EQ(store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir), "");
}

TEST_F(StartupSequence, AGameFolderOnTheCommandLineWithoutTheGameEndsWithStatusOne) {
    storeLanguage("italiano");
    auto withFolder = services();
    withFolder.locateRequest.gameFolder = dir / "typo";
    MainSettingsDialog dialog(withFolder);
    EXPECT_EQ(dialog.startUp(), Outcome::Quit);
    EXPECT_EQ(dialog.exitCode(), 1);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(platform::pathToQString(dir / "typo")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Draskel 3 non si trova")));

    // Cancelling the first-start chooser is no error: status 0.
    ASSERT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, ""));
    prompter.clear();
    prompter.answerCancel();
    MainSettingsDialog cancelled(services());
    EXPECT_EQ(cancelled.startUp(), Outcome::Quit);
    EXPECT_EQ(cancelled.exitCode(), 0);
    // The chooser's buttons were in the stored language already, as its texts were.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
}

TEST_F(StartupSequence, SecondCopyIsTurnedAwayAndLeavesTheSharedFilesAlone) {
    auto first = startDialog("english");
    {
        MainSettingsDialog second(services());
        EXPECT_EQ(second.startUp(), Outcome::EndAfterStartup);
        ASSERT_FALSE(prompter.shown().empty());
        EXPECT_EQ(
            prompter.shown()[0].text,
            QStringLiteral("Programm wurde bereits gestartet!\n\nApplication already started!"));
        EXPECT_FALSE(prompter.shown()[0].caption.isEmpty());
        EXPECT_TRUE(second.isDuplicateInstance());
    }
    EXPECT_TRUE(fs::exists(translationFile()));
    EXPECT_TRUE(fs::exists(bannerPicture()));
    EXPECT_EQ(first->text("TEXT_RISK"), QStringLiteral("Use of this tool is at your own risk!"));

    first.reset(); // the first copy cleans up after itself
    EXPECT_FALSE(fs::exists(translationFile()));
    EXPECT_FALSE(fs::exists(bannerPicture()));
}

TEST_F(StartupSequence, UnusableTemporaryFolderIsReportedAndEndsTheProgram) {
    auto broken = services();
    broken.tempFolder.reset();
    broken.tempFolderProblem = {platform::TempFolderProblem::Kind::OtherOwner, dir / "t", {}};
    {
        // Before any language is stored: German and English.
        MainSettingsDialog dialog(broken);
        EXPECT_EQ(dialog.startUp(), Outcome::Quit);
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("belongs to another user")));
        EXPECT_TRUE(prompter.shown()[0].text.contains(QString::fromUtf8("gehört einem anderen")));
        EXPECT_EQ(prompter.shown()[0].icon, ui::MessageIcon::Error);
    }
    storeLanguage("italiano");
    broken.tempFolderProblem = {platform::TempFolderProblem::Kind::NotWritable, dir / "t",
                                std::make_error_code(std::errc::read_only_file_system)};
    prompter.clear();
    MainSettingsDialog dialog(broken);
    EXPECT_EQ(dialog.startUp(), Outcome::Quit);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QString::fromUtf8("La cartella dei file temporanei non può essere usata.\n\n\"") +
                  platform::pathToQString(dir / "t") +
                  QString::fromUtf8("\": il file system è di sola lettura."));
}

TEST_F(StartupSequence, StaleTranslationFileIsUsedAndADeletedOneIsRestoredOnLanguageChange) {
    writeFile(translationFile(), "[english]\r\nTEXT_RISK=stale but used\r\n");
    auto dialog = startDialog("english");
    EXPECT_EQ(dialog->text("TEXT_RISK"), QStringLiteral("stale but used"));

    fs::remove(translationFile());
    QComboBox* languages = combo(*dialog, id::kLanguage);
    languages->setCurrentIndex(2);
    dialog->onLanguageChanged();
    EXPECT_EQ(dialog->text("TEXT_RISK"), QStringLiteral("Uso a proprio rischio e pericolo!"));
    EXPECT_EQ(storedLanguage(), "italiano");
}

} // namespace
} // namespace dk3::test
