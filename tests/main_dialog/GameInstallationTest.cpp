#include "MainDialogFixture.h"
#include "advanced_dialog/OtherSettingsDialog.h"
#include "app/GameRunning.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <QFrame>
#include <QPushButton>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace id = main_dialog::id;
using Kind = ScriptedPrompter::Shown::Kind;
using platform::KeyValueStore;

struct GameInstallation : MainDialogFixture {
    ~GameInstallation() override { app::setGameRunningProbe({}); }

    void click(const QWidget& dialog, int button) { control<QPushButton>(dialog, button)->click(); }
    std::vector<std::optional<std::string>> gameFiles() const {
        return {readFile(engineIni()), readFile(userOptions()), readFile(game / "Ini/logo.ini"),
                readFile(game / "Ini/debug.ini"),
                readFile(game / "Data/Materials/Effects/ImageProcessing/IP_DOF.fx")};
    }
};

TEST_F(GameInstallation, EveryWriteAsksWhileTheGameRunsAndNoWritesNothing) {
    auto dialog = startDialog("english");
    prompter.answerFile(platform::pathToQString(dir / "before.dkb"));
    click(*dialog, id::kCreateBackup); // writes no game file: asks nothing
    combo(*dialog, id::kVegetationDetails)->setCurrentIndex(2);
    app::setGameRunningProbe([] { return true; });
    const auto before = gameFiles();

    prompter.answerNo(); // the game runs: do not save
    click(*dialog, id::kSave);
    prompter.answerYes(); // remove the logos
    prompter.answerNo();  // ... but not while the game runs
    click(*dialog, id::kRemoveStartLogos);
    prompter.answerYes(); // load a backup
    prompter.answerFile(platform::pathToQString(dir / "before.dkb"));
    prompter.answerNo();
    click(*dialog, id::kLoadBackup);
    {
        cache::CacheSettingsDialog cacheDialog(engineIni(), "english", dialog->catalogue(),
                                               prompter);
        prompter.answerNo();
        EXPECT_FALSE(cacheDialog.save());
        advanced::OtherSettingsDialog otherDialog(dialog->paths(), "english", dialog->catalogue(),
                                                  dialog->vocabulary(), prompter);
        prompter.answerNo();
        EXPECT_FALSE(otherDialog.save());
    }
    EXPECT_EQ(gameFiles(), before);
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
    const QStringList texts = prompter.messageTexts();
    EXPECT_EQ(texts.filter(QStringLiteral("Draskel 3 is running.")).size(), 5);

    prompter.clear();
    prompter.answerYes(); // save anyway
    click(*dialog, id::kSave);
    EXPECT_EQ(profile::readText(engineIni(), "Engine.Setup", "VegetationAdmin.Quality", ""),
              "high");
    EXPECT_EQ(prompter.messageTexts().back(), QStringLiteral("Settings saved!"));

    app::setGameRunningProbe([] { return false; });
    prompter.clear();
    prompter.answerYes();
    click(*dialog, id::kRestoreStartLogos);
    EXPECT_EQ(prompter.shown().size(), 1u); // only the question of the button itself
}

TEST_F(GameInstallation, AnotherInstallationChosenFromTheBannerMenuIsShownAndStored) {
    // A second copy of the game in a prefix of its own, with other user options.
    const fs::path other = dir / "prefix/drive_c/Games/Draskel 3";
    copyDemoInstallation(other);
    const fs::path otherDocuments = dir / "prefix/drive_c/users/player/Documents";
    fs::create_directories(otherDocuments / "draskel3");
    writeFile(otherDocuments / "draskel3/UserOptions.ini",
              "[Options.Video]\r\nResolution.Width=1280\r\nResolution.Height=1024\r\n"
              "Resolution.RefreshRate=75\r\n");
    discovery::Installation found;
    found.gameFolder = other;
    found.prefix = dir / "prefix";
    found.documentsFolder = otherDocuments;
    found.source = discovery::Source::Wine;

    auto services = this->services();
    services.environment.home = dir / "home";
    services.discover = [&](const discovery::Environment&) {
        return std::vector<discovery::Installation>{found};
    };
    storeLanguage("english");
    main_dialog::MainSettingsDialog dialog(services);
    ASSERT_EQ(dialog.startUp(), main_dialog::MainSettingsDialog::StartupOutcome::Run);
    EXPECT_EQ(dialog.paths().userOptionsPath, userOptions()); // the stored one, without a question

    auto* banner = control<QFrame>(dialog, id::kBanner);
    EXPECT_EQ(banner->contextMenuPolicy(), Qt::CustomContextMenu);
    prompter.answerChoice(0);
    dialog.chooseAnotherInstallation();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, Kind::Choice);
    EXPECT_EQ(dialog.installation(), found);
    EXPECT_EQ(dialog.paths().engineIniPath, other / "Ini/dk3e.ini");
    EXPECT_EQ(dialog.paths().userOptionsPath, otherDocuments / "draskel3/UserOptions.ini");
    EXPECT_EQ(combo(dialog, id::kResolution)->currentText(), QStringLiteral("1280x1024@75Hz"));
    EXPECT_EQ(store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir), other.string());

    // Cancelling the list keeps the installation as it is.
    prompter.answerCancel();
    dialog.chooseAnotherInstallation();
    EXPECT_EQ(dialog.installation(), found);
}

} // namespace
} // namespace dk3::test
