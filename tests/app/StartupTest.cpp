#include "app/GameLocator.h"
#include "app/GamePaths.h"
#include "app/TranslationCatalogue.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dk3::app {
namespace {
namespace fs = std::filesystem;
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
    GamePaths paths;

    std::string storedInstallDir() const {
        return store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir);
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

TEST_F(StartupFixture, StoredInstallationIsTakenWithoutAsking) {
    ASSERT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir,
                                (dir / "elsewhere").string()));
    EXPECT_EQ(locateInstallation(paths, store, catalogue, prompter, nullptr), LocateOutcome::Found);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(paths.engineIniPath, dir / "elsewhere/Ini/dk3e.ini");
}

TEST_F(StartupFixture, FirstStartAsksForTheGameAndStoresItsFolder) {
    dir.write("My Game/Ini/dk3e.ini", "[Engine.Setup]\r\n");
    dir.write("My Game/Draskel3.exe", "");
    prompter.answerFile(platform::pathToQString(dir / "My Game/Draskel3.exe"));
    EXPECT_EQ(locateInstallation(paths, store, catalogue, prompter, nullptr), LocateOutcome::Found);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Keine Installation!\n\nNo installation!"));
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    EXPECT_EQ(prompter.shown()[1].caption, QStringLiteral("\"Draskel3.exe\""));
    EXPECT_EQ(prompter.shown()[1].initialName, QStringLiteral("draskel3.exe"));
    EXPECT_EQ(storedInstallDir(), (dir / "My Game").string()); // no trailing separator
    EXPECT_EQ(paths.engineIniPath, dir / "My Game/Ini/dk3e.ini");

    // The next start goes straight on.
    ScriptedPrompter silent;
    GamePaths again;
    EXPECT_EQ(locateInstallation(again, store, catalogue, silent, nullptr), LocateOutcome::Found);
    EXPECT_TRUE(silent.shown().empty());
}

TEST_F(StartupFixture, CancelledOrInvalidChoiceEndsAndStoresNothing) {
    prompter.answerCancel();
    EXPECT_EQ(locateInstallation(paths, store, catalogue, prompter, nullptr),
              LocateOutcome::Cancelled);
    EXPECT_EQ(prompter.shown().size(), 2u);

    dir.write("NotTheGame/Draskel3.exe", "");
    prompter.clear();
    prompter.answerFile(platform::pathToQString(dir / "NotTheGame/Draskel3.exe"));
    EXPECT_EQ(locateInstallation(paths, store, catalogue, prompter, nullptr),
              LocateOutcome::Invalid);
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[2].text,
              QString::fromUtf8("Ungültiges Verzeichnis!\n\nInvalid path!"));
    EXPECT_EQ(storedInstallDir(), "");
    EXPECT_FALSE(fs::exists(store.file()));
}

TEST_F(StartupFixture, LanguageDefaultsToGermanAndIsStored) {
    EXPECT_EQ(restoreLanguage(store), "deutsch");
    EXPECT_EQ(store.value(KeyValueStore::kGameKey, KeyValueStore::kLanguage), "deutsch");
    ASSERT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, "English"));
    EXPECT_EQ(restoreLanguage(store), "English");
}

} // namespace
} // namespace dk3::app
