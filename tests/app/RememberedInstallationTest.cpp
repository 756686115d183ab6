// Each layout players have, found at a first start with the documents folder the game reads, and
// the same installation and documents folder again at the next start, from the store alone.

#include "app/GameLocator.h"
#include "app/TranslationCatalogue.h"
#include "discovery/FakeHome.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace dk3::app {
namespace {
namespace fs = std::filesystem;
using discovery::Installation;
using discovery::Source;
using platform::KeyValueStore;
using test::FakeHome;
using test::ScriptedPrompter;

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

struct Remembered : ::testing::Test {
    FakeHome fake;
    KeyValueStore store{fake.scratch() / "config/registry.ini"};
    TranslationCatalogue catalogue{fake.scratch().write(
        "tmp/vorlix_translation.ini",
        "[general]\r\nMESSAGE_INVALIDPATH=Invalid path!\r\nMESSAGE_NOINSTALLATIONFOUND=None!\r\n")};
    ScriptedPrompter prompter;
    int searches = 0;

    // One start: the installation it opens.
    Installation start(std::string language = "english") {
        GameLocator locator(store, catalogue, prompter, fake.environment(), nullptr,
                            std::move(language), [this](const discovery::Environment& environment) {
                                ++searches;
                                return discovery::discoverInstallations(environment);
                            });
        Installation installation;
        EXPECT_EQ(locator.locate({}, installation), LocateOutcome::Found);
        return installation;
    }

    // A first start finds documents, and a second one takes the same from the store without a
    // search or a word to the player.
    void expectBothStarts(const fs::path& documents) {
        const Installation first = start();
        EXPECT_EQ(first.documentsFolder, real(documents));
        EXPECT_EQ(searches, 1);
        prompter.clear();
        const Installation second = start();
        EXPECT_EQ(second.documentsFolder, real(documents));
        EXPECT_EQ(second.gameFolder, first.gameFolder);
        EXPECT_EQ(second.prefix, first.prefix);
        EXPECT_EQ(second.source, first.source);
        EXPECT_EQ(searches, 1);
        EXPECT_TRUE(prompter.shown().empty());
    }
};

TEST_F(Remembered, ShortcutWithTheGameOutsideItsPrefix) {
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path game = fake.makeGame(fake.home() / "Games/Draskel 3");
    fake.writeShortcuts(
        root, "22222", {{-432092274, "Draskel 3", "\"" + (game / "Draskel3.exe").string() + "\""}});
    const fs::path pfx = fake.makeProtonPrefix(root, "3862875022");
    expectBothStarts(pfx / "drive_c/users/steamuser/Documents");
    EXPECT_EQ(start().source, Source::SteamShortcut);
}

TEST_F(Remembered, DeckCardGameWithItsPrefixOnInternalStorage) {
    const fs::path internal = fake.home() / ".local/share/Steam";
    const fs::path card = fake.scratch() / "run/media/deck/card";
    fake.writeLibraryFolders(internal, {internal, card});
    fake.addSteamApp(card, "4711", "Draskel 3");
    fake.makeGame(card / "steamapps/common/Draskel 3");
    const fs::path pfx = fake.makeProtonPrefix(internal, "4711");
    expectBothStarts(pfx / "drive_c/users/steamuser/Documents");
}

TEST_F(Remembered, GogKeyInDotWineWithTheGameOnAnotherDrive) {
    const fs::path games = fake.scratch() / "mnt/games";
    fake.makeGame(games / "Draskel 3");
    const fs::path dotWine = fake.makePrefix(fake.home() / ".wine", "");
    fs::create_directory_symlink(games, dotWine / "dosdevices/d:");
    test::writeFile(
        dotWine / "system.reg",
        "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\GOG.com\\\\Games\\\\12] "
        "1\n\"path\"=\"D:\\\\Draskel 3\"\n");
    fs::create_directories(dotWine / "drive_c/users/player/Documents");
    expectBothStarts(dotWine / "drive_c/users/player/Documents");
}

TEST_F(Remembered, NeverStartedUnderProtonIsNamedAndLeftAloneUntilProtonMakesIt) {
    const fs::path root = fake.home() / ".local/share/Steam";
    fake.addSteamApp(root, "4711", "Draskel 3");
    fake.makeGame(root / "steamapps/common/Draskel 3");
    for (const char* language : {"english", "deutsch"}) {
        prompter.clear();
        const Installation installation = start(language);
        EXPECT_TRUE(installation.prefixNotMadeYet);
        EXPECT_EQ(installation.documentsFolder,
                  real(root) / "steamapps/compatdata/4711/pfx/drive_c/users/steamuser/Documents");
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_TRUE(prompter.shown()[0].text.contains(
            std::string(language) == "english"
                ? QStringLiteral("Start the game once through Steam")
                : QStringLiteral("Starte das Spiel einmal über Steam")));
    }
    EXPECT_FALSE(fs::exists(root / "steamapps/compatdata"));

    // Proton has made it since: the next start takes it without a word.
    const fs::path pfx = fake.makeProtonPrefix(root, "4711");
    prompter.clear();
    const Installation made = start();
    EXPECT_FALSE(made.prefixNotMadeYet);
    EXPECT_EQ(made.documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(Remembered, AStoredPrefixThatIsGoneIsToldAndLookedForAgain) {
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path game = fake.makeGame(fake.home() / "Games/Draskel 3");
    fake.writeShortcuts(root, "1", {{9, "D3", "\"" + (game / "Draskel3.exe").string() + "\""}});
    const fs::path pfx = fake.makeProtonPrefix(root, "9");
    start();
    fs::remove_all(pfx);
    prompter.clear();
    const Installation again = start();
    EXPECT_EQ(searches, 2);
    ASSERT_GE(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("Wine prefix")));
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("no longer exists")));
    EXPECT_EQ(again.gameFolder, real(game));
    EXPECT_TRUE(again.prefixNotMadeYet);
}

TEST_F(Remembered, AFolderLongerThan255BytesIsKeptWhole) {
    fs::path folder = fake.home() / "Games";
    for (int i = 0; i < 8; ++i)
        folder /= std::string(40, static_cast<char>('a' + i));
    fake.makeGame(folder);
    const fs::path dotWine =
        fake.makePrefix(fake.home() / ".wine", test::onDriveZ(folder), true, "player");
    fs::create_directories(dotWine / "drive_c/users/player/Documents");
    ASSERT_GT(real(folder).string().size(), 255u);
    expectBothStarts(dotWine / "drive_c/users/player/Documents");
    EXPECT_EQ(store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir).size(), 255u);
}

TEST_F(Remembered, AFolderChosenByHandThatNoLauncherKnowsTellsWhichDocumentsFolder) {
    fake.makePrefix(fake.home() / ".wine", "");
    const fs::path game = fake.makeGame(fake.scratch() / "somewhere/Draskel 3");
    GameLocator locator(store, catalogue, prompter, fake.environment(), nullptr, "english");
    Installation installation;
    ASSERT_EQ(locator.locate({.gameFolder = game, .chooseAgain = false}, installation),
              LocateOutcome::Found);
    EXPECT_EQ(installation.prefix, std::nullopt);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("No launcher knows")));
    EXPECT_TRUE(prompter.shown()[0].text.contains(
        platform::pathToQString(fake.environment().documentsFolder)));
}

TEST_F(Remembered, AFolderStoredByAnOlderVersionGetsItsPrefixOnceAndKeepsIt) {
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path game = fake.makeGame(fake.home() / "Games/Draskel 3");
    fake.writeShortcuts(root, "5", {{12, "D3", "\"" + (game / "Draskel3.exe").string() + "\""}});
    const fs::path pfx = fake.makeProtonPrefix(root, "12");
    ASSERT_FALSE(
        store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, real(game).string()));
    EXPECT_EQ(start().documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    // The shortcut is gone from Steam since; the prefix stays the one remembered.
    fs::remove_all(root / "userdata");
    EXPECT_EQ(start().documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    EXPECT_EQ(searches, 0);
    EXPECT_TRUE(prompter.shown().empty());
}

} // namespace
} // namespace dk3::app
