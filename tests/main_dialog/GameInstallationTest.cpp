#include "MainDialogFixture.h"
#include "advanced_dialog/OtherSettingsDialog.h"
#include "app/GameRunning.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <QFrame>
#include <QPushButton>

#include <cstdlib>
#include <sys/stat.h>

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

namespace dk3::test {
namespace {

// A player's first start with the game in a Steam library under Proton and nothing stored: the
// game is found, and every write lands in the game folder and the prefix's own documents
// folder, never in the player's ~/Documents.
TEST(ProtonInstallation, FoundAtFirstStartAndWrittenInsideThePrefix) {
    TempDir dir;
    const std::filesystem::path home = dir / "home";
    const std::string layout = "python3 '" DK3_SOURCE_DIR "/scripts/make-demo.py' --steam-home '" +
                               home.string() + "' >/dev/null";
    ASSERT_EQ(std::system(layout.c_str()), 0);
    const auto steamapps = home / ".local/share/Steam/steamapps";
    const auto game = steamapps / "common/Draskel 3";
    const auto options =
        steamapps /
        "compatdata/3999990/pfx/drive_c/users/steamuser/Documents/draskel3/UserOptions.ini";

    platform::KeyValueStore store(dir / "config/registry.ini");
    ASSERT_FALSE(store.setValue(platform::KeyValueStore::kGameKey,
                                platform::KeyValueStore::kLanguage, "english"));
    ScriptedPrompter prompter;
    FakeDisplayModes modes;
    main_dialog::MainDialogServices services;
    services.prompter = &prompter;
    services.store = &store;
    services.displayModes = &modes;
    services.environment.home = home;
    services.environment.dataHome = home / ".local/share";
    services.environment.configHome = dir / "config";
    services.documentsFolder = home / "Documents";
    services.tempFolder = dir / "tmp";
    std::filesystem::create_directories(dir / "tmp");
    ::chmod((dir / "tmp").c_str(), 0700);

    main_dialog::MainSettingsDialog dialog(services);
    ASSERT_EQ(dialog.startUp(), main_dialog::MainSettingsDialog::StartupOutcome::Run);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(dialog.installation().source, discovery::Source::Steam);
    EXPECT_EQ(std::filesystem::weakly_canonical(dialog.paths().userOptionsPath),
              std::filesystem::weakly_canonical(options));
    EXPECT_EQ(store.value(platform::KeyValueStore::kGameKey, platform::KeyValueStore::kInstallDir),
              std::filesystem::weakly_canonical(game).string());

    const auto optionsBefore = readFile(options);
    ui::controlAs<QComboBox>(dialog, main_dialog::id::kTextureQuality)->setCurrentIndex(0);
    ui::controlAs<QPushButton>(dialog, main_dialog::id::kSave)->click();
    EXPECT_EQ(prompter.messageTexts().back(), QStringLiteral("Settings saved!"));
    EXPECT_NE(readFile(options), optionsBefore);
    EXPECT_EQ(profile::readText(options, "Options.Custom", "TextureQuality", ""), "1");

    prompter.answerFile(platform::pathToQString(dir / "saved.dkb"));
    ui::controlAs<QPushButton>(dialog, main_dialog::id::kCreateBackup)->click();
    const auto backup = readFile(dir / "saved.dkb");
    ASSERT_TRUE(backup);
    EXPECT_NE(backup->find(*readFile(options)), std::string::npos);

    EXPECT_TRUE(std::filesystem::is_empty(home / "Documents"));
}

TEST_F(GameInstallation, ProtonPrefixNotMadeYetIsNamedAndNothingIsMadeInIt) {
    // Stored at an earlier start: a Steam game Proton has not started yet.
    const fs::path pfx = dir / "Steam/steamapps/compatdata/4711/pfx";
    const auto own = [&](std::string_view name, const std::string& value) {
        EXPECT_FALSE(store.setValue(KeyValueStore::kInstallationKey, name, value));
    };
    own(KeyValueStore::kGameFolder, game.string());
    own(KeyValueStore::kPrefix, pfx.string());
    own(KeyValueStore::kSource, "steam");
    own(KeyValueStore::kAppId, "4711");
    own(KeyValueStore::kPrefixMade, "0");

    auto dialog = startDialog("english");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(
        prompter.shown()[0].text.contains(QStringLiteral("Start the game once through Steam")));
    EXPECT_TRUE(dialog->installation().prefixNotMadeYet);
    EXPECT_EQ(dialog->paths().userOptionsPath.parent_path().parent_path(),
              pfx / "drive_c/users/steamuser/Documents");
    EXPECT_EQ(dialog->paths().engineIniPath, game / "Ini/dk3e.ini");
    EXPECT_FALSE(fs::exists(dir / "Steam/steamapps/compatdata"));
}

} // namespace
} // namespace dk3::test
