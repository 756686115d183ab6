#include "app/CommandLine.h"
#include "app/GameLocator.h"
#include "app/GamePaths.h"
#include "app/GameRunning.h"
#include "app/ShippedIcon.h"
#include "app/TranslationCatalogue.h"
#include "app/TuningApp.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QImage>
#include <QImageReader>
#include <QPixmapCache>

#include <gtest/gtest.h>

namespace dk3::app {
namespace {
namespace fs = std::filesystem;
using discovery::Installation;
using discovery::Source;
using platform::KeyValueStore;
using test::ScriptedPrompter;
using test::TempDir;

// A translation file with just the start-up messages.
const char* kCatalogue =
    "[general]\r\n"
    "MESSAGE_ALREADYSTARTED=Programm wurde bereits gestartet!||Application already started!\r\n"
    "MESSAGE_INVALIDPATH=Ung\xfcltiges Verzeichnis!||Invalid path!\r\n"
    "MESSAGE_NOINSTALLATIONFOUND=Keine Installation!||No installation!";

struct StartupFixture : ::testing::Test {
    TempDir dir;
    KeyValueStore store{dir / "config/registry.ini"};
    TranslationCatalogue catalogue{dir.write("tmp/vorlix_translation.ini", kCatalogue)};
    ScriptedPrompter prompter;
    discovery::Environment environment;
    std::vector<Installation> found; // what the machine's search finds
    int searches = 0;

    StartupFixture() {
        environment.home = dir / "home";
        environment.documentsFolder = dir / "xdg-documents";
        fs::create_directories(environment.home);
    }

    GameLocator locator(std::string language = {}) {
        return GameLocator(store, catalogue, prompter, environment, nullptr, std::move(language),
                           [this](const discovery::Environment&) {
                               ++searches;
                               return found;
                           });
    }

    std::string storedInstallDir() const {
        return store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir);
    }
    void storeInstallDir(const fs::path& folder) {
        ASSERT_FALSE(
            store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, folder.string()));
    }
    fs::path makeGame(const std::string& name) {
        dir.write(name + "/Ini/dk3e.ini", "[Engine.Setup]\r\n");
        dir.write(name + "/Draskel3.exe", "");
        return dir / name;
    }
    Installation found_(const std::string& name, Source source) {
        Installation installation;
        installation.gameFolder = makeGame(name);
        installation.prefix = dir / (name + "-prefix");
        installation.documentsFolder = dir / (name + "-prefix/drive_c/users/steamuser/Documents");
        installation.source = source;
        return installation;
    }
};

TEST(TranslationCatalogue, LooksUpConvertsAndBreaksLines) {
    TempDir dir;
    TranslationCatalogue catalogue(dir.write(
        "t.ini", "[english]\r\nMESSAGE_LOADBACKUP=Current data will be overwritten!||Continue?\r\n"
                 "TEXT_A=caption|kept\r\n[deutsch]\r\nMESSAGE_INVALIDFILE=Ung\xfcltige Datei!"));
    EXPECT_EQ(catalogue.message("english", "MESSAGE_LOADBACKUP"),
              QStringLiteral("Current data will be overwritten!\n\nContinue?"));
    EXPECT_EQ(catalogue.caption("english", "TEXT_A"), QStringLiteral("caption|kept"));
    EXPECT_EQ(catalogue.message("deutsch", "MESSAGE_INVALIDFILE"),
              QString::fromUtf8("Ungültige Datei!"));
    EXPECT_EQ(catalogue.lookupText("italiano", "TEXT_A"), "");
    EXPECT_EQ(catalogue.lookupText("english", "TEXT_A", 5), "capt");
    EXPECT_EQ(TranslationCatalogue::replaceWithNewlines(""), "");
    catalogue.setFile(dir / "gone.ini");
    EXPECT_EQ(catalogue.lookupText("english", "TEXT_A"), "");
}

TEST(GamePaths, FindsGameFilesWhateverTheirLetterCase) {
    TempDir dir;
    dir.write("game/ini/DK3E.INI", "");
    dir.write("game/DATA/materials/Effects/imageprocessing/ip_dof.fx", "");
    dir.write("docs/Draskel3/useroptions.ini", "");
    GamePaths paths;
    paths.setInstallation(dir / "game");
    paths.setDocuments(dir / "docs");
    EXPECT_EQ(paths.engineIniPath, dir / "game/ini/DK3E.INI");
    EXPECT_EQ(paths.debugIniPath, dir / "game/ini/debug.ini"); // missing: the given spelling
    EXPECT_EQ(paths.shaderPath, dir / "game/DATA/materials/Effects/imageprocessing/ip_dof.fx");
    EXPECT_EQ(paths.userOptionsPath, dir / "docs/Draskel3/useroptions.ini");
    EXPECT_EQ(GamePaths::userFolderIn(dir / "nodocs"), dir / "nodocs/draskel3");
}

TEST_F(StartupFixture, StoredInstallationIsTakenWithoutAskingOrSearching) {
    storeInstallDir(dir / "elsewhere");
    fs::create_directories(dir / "elsewhere"); // there, though without the game
    Installation installation;
    EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Found);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(searches, 0);
    EXPECT_EQ(installation.gameFolder, dir / "elsewhere");
    // No prefix around it: the game's documents are the XDG folder.
    EXPECT_EQ(installation.documentsFolder, environment.documentsFolder);
}

TEST_F(StartupFixture, StoredFolderThatIsGoneIsLookedForAgain) {
    storeInstallDir(dir / "removed");
    found = {found_("Steam Game", Source::Steam)};
    Installation installation;
    EXPECT_EQ(locator("english").locate({}, installation), LocateOutcome::Found);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("no longer exists")));
    EXPECT_TRUE(prompter.shown()[0].text.contains(platform::pathToQString(dir / "removed")));
    EXPECT_EQ(installation, found[0]);
    EXPECT_EQ(storedInstallDir(), found[0].gameFolder.string());
}

TEST_F(StartupFixture, OneInstallationFoundIsTakenAndStoredWithoutAQuestion) {
    found = {found_("Steam Game", Source::Steam)};
    Installation installation;
    EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Found);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(installation, found[0]);
    EXPECT_EQ(storedInstallDir(), found[0].gameFolder.string());
}

TEST_F(StartupFixture, FromSeveralThePlayerPicksOneOrAnotherFolder) {
    found = {found_("Steam Game", Source::Steam), found_("Wine Game", Source::Wine)};
    prompter.answerChoice(1);
    Installation installation;
    EXPECT_EQ(locator("italiano").locate({}, installation), LocateOutcome::Found);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto& list = prompter.shown()[0];
    EXPECT_EQ(list.kind, ScriptedPrompter::Shown::Kind::Choice);
    EXPECT_TRUE(list.text.startsWith(QStringLiteral("Draskel 3 è stato trovato")));
    ASSERT_EQ(list.items.size(), 3);
    EXPECT_EQ(list.items[0],
              platform::pathToQString(dir / "Steam Game") + QStringLiteral("   (Steam (Proton))"));
    EXPECT_TRUE(list.items[1].endsWith(QStringLiteral("(Wine)")));
    EXPECT_EQ(list.items[2], QString::fromUtf8("Un'altra cartella …"));
    EXPECT_EQ(installation, found[1]);
    EXPECT_EQ(storedInstallDir(), found[1].gameFolder.string());

    // The last entry leads to the file chooser; cancelling either ends and stores nothing new.
    prompter.clear();
    prompter.answerChoice(2);
    prompter.answerCancel();
    EXPECT_EQ(locator().locate({.gameFolder = std::nullopt, .chooseAgain = true}, installation),
              LocateOutcome::Cancelled);
    EXPECT_EQ(prompter.shown().back().kind, ScriptedPrompter::Shown::Kind::OpenFile);
    prompter.clear();
    prompter.answerCancel();
    EXPECT_EQ(locator().locate({.gameFolder = std::nullopt, .chooseAgain = true}, installation),
              LocateOutcome::Cancelled);
    EXPECT_EQ(storedInstallDir(), found[1].gameFolder.string());
}

TEST_F(StartupFixture, ChoosingAgainListsEvenASingleInstallation) {
    storeInstallDir(makeGame("Old"));
    found = {found_("Steam Game", Source::Steam)};
    prompter.answerChoice(0);
    Installation installation;
    EXPECT_EQ(
        locator("english").locate({.gameFolder = std::nullopt, .chooseAgain = true}, installation),
        LocateOutcome::Found);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Which installation of Draskel 3 do you want to set up?"));
    EXPECT_EQ(storedInstallDir(), found[0].gameFolder.string());
}

TEST_F(StartupFixture, NothingFoundAsksForTheExecutableInAnyLetterCase) {
    fs::create_directories(dir / "home/.steam");
    const fs::path game = makeGame("My Game");
    // The name in the chooser is the one typed; the file on disk is spelt differently.
    prompter.answerFile(platform::pathToQString(game / "draskel3.exe"));
    Installation installation;
    EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Found);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Keine Installation!\n\nNo installation!"));
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    const ui::FileRequest& request = prompter.shown()[1].request;
    EXPECT_EQ(request.title, QStringLiteral("\"Draskel3.exe\""));
    EXPECT_EQ(request.initialName, QStringLiteral("draskel3.exe"));
    EXPECT_TRUE(request.showHidden);
    EXPECT_TRUE(request.acceptAnyName);
    EXPECT_FALSE(request.startFolder.isEmpty());
    EXPECT_EQ(storedInstallDir(), game.string()); // no trailing separator
    EXPECT_EQ(installation.gameFolder, game);

    // The next start goes straight on.
    prompter.clear();
    EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Found);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(StartupFixture, ChoiceWithoutARealEngineFileEndsAndStoresNothing) {
    prompter.answerCancel();
    Installation installation;
    EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Cancelled);
    EXPECT_EQ(prompter.shown().size(), 2u);

    // No engine file, and an engine "file" that is a folder: neither is the game.
    dir.write("NotTheGame/Draskel3.exe", "");
    fs::create_directories(dir / "Folder/Ini/dk3e.ini");
    for (const char* folder : {"NotTheGame", "Folder"}) {
        prompter.clear();
        prompter.answerFile(platform::pathToQString(dir / folder / "Draskel3.exe"));
        EXPECT_EQ(locator().locate({}, installation), LocateOutcome::Invalid) << folder;
        ASSERT_EQ(prompter.shown().size(), 3u);
        EXPECT_EQ(prompter.shown()[2].text,
                  QString::fromUtf8("Ungültiges Verzeichnis!\n\nInvalid path!"));
    }
    EXPECT_EQ(storedInstallDir(), "");
    EXPECT_FALSE(fs::exists(store.file()));
}

TEST_F(StartupFixture, GameFolderOfTheCommandLineServesThisRunOnly) {
    storeInstallDir(makeGame("Stored"));
    const fs::path game = makeGame("Named");
    Installation installation;
    EXPECT_EQ(locator().locate({.gameFolder = game}, installation), LocateOutcome::Found);
    EXPECT_EQ(installation.gameFolder, game);
    EXPECT_EQ(storedInstallDir(), (dir / "Stored").string());
    EXPECT_TRUE(prompter.shown().empty());

    // A folder without the game is named in the message, as it was given.
    EXPECT_EQ(locator("english").locate({.gameFolder = dir / "nowhere"}, installation),
              LocateOutcome::Invalid);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Draskel 3 is not in the folder \"%1\": Ini/dk3e.ini is missing "
                             "there or cannot be read.")
                  .arg(platform::pathToQString(dir / "nowhere")));
    EXPECT_EQ(storedInstallDir(), (dir / "Stored").string());
}

TEST_F(StartupFixture, LanguageDefaultsToGermanAndIsStored) {
    EXPECT_EQ(restoreLanguage(store), "deutsch");
    EXPECT_EQ(store.value(KeyValueStore::kGameKey, KeyValueStore::kLanguage), "deutsch");
    ASSERT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, "English"));
    EXPECT_EQ(restoreLanguage(store), "English");
}

TEST(CommandLine, OptionsOfOursAndQtsOwn) {
    using Action = CommandLine::Action;
    EXPECT_EQ(parseCommandLine({}).action, Action::Run);
    EXPECT_EQ(parseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--choose-game", "--version"}).action, Action::Version);
    EXPECT_TRUE(parseCommandLine({"--choose-game"}).chooseGame);
    EXPECT_EQ(parseCommandLine({"--game-dir", "/g/d k3"}).gameFolder, fs::path("/g/d k3"));
    EXPECT_EQ(parseCommandLine({"--game-dir=/g"}).gameFolder, fs::path("/g"));
    // Qt's options and their values are QApplication's business.
    const CommandLine withQt = parseCommandLine({"-platform", "offscreen", "--style", "Fusion"});
    EXPECT_EQ(withQt.action, Action::Run);
    EXPECT_TRUE(withQt.platformChosen);

    // An X display is used unless the player chose a window system.
    const CommandLine plain = parseCommandLine({});
    EXPECT_EQ(windowSystemToUse(plain, nullptr, ":0"), "xcb");
    EXPECT_EQ(windowSystemToUse(plain, "", ":1"), "xcb");
    EXPECT_EQ(windowSystemToUse(plain, "wayland", ":0"), std::nullopt);
    EXPECT_EQ(windowSystemToUse(withQt, nullptr, ":0"), std::nullopt);
    EXPECT_EQ(windowSystemToUse(plain, nullptr, nullptr), std::nullopt) << "Wayland alone";
    EXPECT_EQ(windowSystemToUse(plain, nullptr, ""), std::nullopt);
    EXPECT_EQ(windowSystemToUse(parseCommandLine({"--platform", "wayland"}), nullptr, ":0"),
              std::nullopt);
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--bogus"},
                                                  {"stray"},
                                                  {"--game-dir"},
                                                  {"--game-dir="},
                                                  {"--game-dir", "/g", "--choose-game"}}) {
        const CommandLine result = parseCommandLine(wrong);
        EXPECT_EQ(result.action, Action::Invalid) << wrong.front();
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(versionText(), std::string("draskel3-tuning ") + DK3_VERSION + "\n");
}

TEST(GameRunning, WritesAskOnlyWhileTheGameRuns) {
    ScriptedPrompter prompter;
    setGameRunningProbe([] { return false; });
    EXPECT_TRUE(confirmWriteWhileGameRuns(prompter, nullptr, "english"));
    EXPECT_TRUE(prompter.shown().empty());
    setGameRunningProbe([] { return true; });
    prompter.answerNo();
    EXPECT_FALSE(confirmWriteWhileGameRuns(prompter, nullptr, "deutsch"));
    prompter.answerYes();
    EXPECT_TRUE(confirmWriteWhileGameRuns(prompter, nullptr, "english"));
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Draskel 3 läuft gerade.")));
    EXPECT_TRUE(prompter.shown()[1].text.contains(QStringLiteral("Save anyway?")));
    setGameRunningProbe({});
}

TEST(StylePictures, FusionFindsTheGroupBoxFrameInTheCache) {
    const QString path =
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
    QPixmapCache::clear();
    const QPixmap preloaded = preloadGroupBoxFrame();
    ASSERT_FALSE(preloaded.isNull());
    // Loaded by name as Fusion loads it: the same pixmap comes out of the cache, not a new one,
    // and it holds exactly what Qt reads from the file itself.
    const QPixmap byName(path);
    EXPECT_EQ(byName.cacheKey(), preloaded.cacheKey());
    EXPECT_EQ(byName.toImage(), QPixmap::fromImage(QImage(path)).toImage());
    QPixmapCache::clear();
}

TEST(StylePictures, TheWindowIconDecodedAtBuildTimeIsTheEmbeddedOne) {
    const ShippedIcon& icon = shippedIcon();
    ASSERT_NE(icon.bits, nullptr);
    QImageReader reader(QStringLiteral(":/dk3/draskel3-tuning.png"), "png");
    const QImage decodedNow = reader.read();
    const QImage fromBuild(icon.bits, icon.width, icon.height, icon.bytesPerLine,
                           static_cast<QImage::Format>(icon.format));
    EXPECT_EQ(fromBuild.format(), decodedNow.format());
    EXPECT_EQ(fromBuild, decodedNow);
    EXPECT_EQ(programIcon().pixmap(icon.width, icon.height).toImage(),
              QPixmap::fromImage(decodedNow).toImage());
}

} // namespace
} // namespace dk3::app
