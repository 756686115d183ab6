// Layouts of Steam, its non-Steam shortcuts and Wine prefixes as players have them, each found
// with the prefix and documents folder the game really uses.

#include "FakeHome.h"
#include "discovery/BinaryKeyValues.h"
#include "discovery/WinePrefix.h"

#include <gtest/gtest.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;
using test::writeFile;

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

TEST(SteamLayouts, DeckCardGameTakesItsPrefixFromInternalStorage) {
    FakeHome fake;
    const fs::path internal = fake.home() / ".local/share/Steam";
    const fs::path card = fake.scratch() / "run/media/deck/card";
    fake.writeLibraryFolders(internal, {internal, card});
    fake.addSteamApp(card, "4711", "Draskel 3");
    const fs::path game = fake.makeGame(card / "steamapps/common/Draskel 3");
    fs::create_directories(card / "steamapps/compatdata"); // the card holds no prefix of it
    const fs::path pfx = fake.makeProtonPrefix(internal, "4711");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(pfx));
    EXPECT_FALSE(found[0].prefixNotMadeYet);
    EXPECT_EQ(found[0].documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    // Chosen by hand, the same folder gets the same prefix.
    EXPECT_EQ(installationAt(game, fake.environment()).prefix, real(pfx));
}

TEST(SteamLayouts, PrefixInAnotherLibraryAndNewestLockWins) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path second = fake.scratch() / "games/SteamLibrary";
    const fs::path third = fake.scratch() / "old/SteamLibrary";
    fake.writeLibraryFolders(root, {root, second, third});
    fake.addSteamApp(second, "4711", "Draskel 3");
    fake.makeGame(second / "steamapps/common/Draskel 3");
    fake.makeProtonPrefix(second, "4711", 3600); // left from before the game moved
    const fs::path inUse = fake.makeProtonPrefix(third, "4711", 10);
    auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].prefix, real(inUse));

    // Started since from its own library: that lock is now the newest.
    fs::last_write_time(second / "steamapps/compatdata/4711/pfx.lock",
                        fs::file_time_type::clock::now());
    found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].prefix, real(second / "steamapps/compatdata/4711/pfx"));
}

TEST(SteamLayouts, DebianSnapAndFlatpakRootsWithSteamAppsInAnyCase) {
    FakeHome fake;
    const fs::path debian = fake.home() / ".steam/debian-installation";
    fs::create_directories(debian / "SteamApps/common");
    writeFile(debian / "SteamApps/appmanifest_1.acf",
              "\"AppState\" { \"appID\" \"1\" \"installdir\" \"Draskel 3\" }");
    const fs::path debianGame = fake.makeGame(debian / "SteamApps/common/Draskel 3");

    const fs::path snap = fake.home() / "snap/steam/common/.local/share/Steam";
    fake.addSteamApp(snap, "2", "D3");
    const fs::path snapGame = fake.makeGame(snap / "steamapps/common/D3");

    // The Flatpak Steam names its own root by the path it has inside its sandbox, which here
    // holds nothing.
    const fs::path flatpak = fake.home() / ".var/app/com.valvesoftware.Steam/data/Steam";
    fake.writeLibraryFolders(flatpak, {fake.home() / ".local/share/Steam"});
    fake.addSteamApp(flatpak, "3", "Draskel");
    const fs::path flatpakGame = fake.makeGame(flatpak / "steamapps/common/Draskel");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].gameFolder, real(debianGame));
    EXPECT_EQ(found[0].prefix, real(debian) / "SteamApps/compatdata/1/pfx");
    EXPECT_TRUE(found[0].prefixNotMadeYet);
    EXPECT_EQ(found[1].gameFolder, real(flatpakGame));
    EXPECT_EQ(found[2].gameFolder, real(snapGame));
    EXPECT_EQ(found[2].appId, "2");
}

TEST(SteamShortcuts, GameOutsideThePrefixInTheSecondAccountOfTwo) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path game = fake.makeGame(fake.home() / "Games/Draskel 3", "DRASKEL3.EXE");
    fake.writeShortcuts(root, "11111", {{-5, "Other", "\"/usr/bin/other\""}});
    // appid -432092274 is 3862875022 as an unsigned number: the prefix's name.
    fake.writeShortcuts(
        root, "22222",
        {{1, "Tool", "\"/opt/tool.exe\""},
         {-432092274, "Draskel 3", "\"" + (game / "draskel3.exe").string() + "\""}});
    const fs::path pfx = fake.makeProtonPrefix(root, "3862875022");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, Source::SteamShortcut);
    EXPECT_EQ(found[0].appId, "3862875022");
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(pfx));
    EXPECT_EQ(found[0].documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    // The folder chosen by hand is matched against the shortcut.
    const Installation chosen = installationAt(game, fake.environment());
    EXPECT_EQ(chosen.prefix, real(pfx));
    EXPECT_EQ(chosen.documentsFolder, found[0].documentsFolder);
}

TEST(SteamShortcuts, GameInstalledInsideThePrefixIsNamedByItsRegistry) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    fake.writeShortcuts(root, "22222", {{77, "GOG Galaxy", "\"/home/p/setup_galaxy.exe\""}});
    const fs::path pfx = fake.makeProtonPrefix(root, "77");
    const fs::path game = fake.makeGame(pfx / "drive_c/GOG Games/Draskel 3");
    writeFile(pfx / "system.reg",
              "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\GOG.com\\\\Games\\\\1207] 1\n"
              "\"exe\"=\"C:\\\\GOG Games\\\\Draskel 3\\\\Draskel3.exe\"\n"
              "\"path\"=\"C:\\\\GOG Games\\\\Draskel 3\"\n");
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, Source::SteamShortcut);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(pfx));
}

TEST(SteamShortcuts, OlderFileWithoutAppIdAndDamagedFilesAreHandled) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    // Without an appid Steam names the prefix crc32(Exe as stored + AppName) | 0x80000000.
    const std::string exe = "\"/home/player/Games/Draskel 3/Draskel3.exe\"";
    const auto parsed =
        parseBinaryKeyValues(test::shortcutsVdf({{std::nullopt, "Draskel 3", exe}}));
    ASSERT_TRUE(parsed);
    const BinaryKeyValue* shortcut = parsed->find("shortcuts")->find("0");
    ASSERT_NE(shortcut, nullptr);
    EXPECT_EQ(shortcut->find("APPNAME")->text, "Draskel 3");
    EXPECT_EQ(shortcut->find("tags")->find("0")->text, "favorite");

    const fs::path game = fake.makeGame(fake.home() / "Games/D3");
    fake.writeShortcuts(root, "1",
                        {{std::nullopt, "D3", "\"" + (game / "Draskel3.exe").string() + "\""}});
    fs::create_directories(root / "userdata/2/config/shortcuts.vdf"); // a folder, not a file
    fs::create_directories(root / "userdata/3/config");
    writeFile(root / "userdata/3/config/shortcuts.vdf", std::string("\0shortcuts\0\0", 12));
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_TRUE(found[0].prefixNotMadeYet);
    const std::uint32_t id = std::stoul(found[0].appId);
    EXPECT_GE(id, 0x80000000u);
    EXPECT_EQ(found[0].prefix, real(root) / "steamapps/compatdata" / found[0].appId / "pfx");
}

TEST(BinaryKeyValues, StrictAboutEveryMalformedShape) {
    const std::string good = test::shortcutsVdf({{1, "A", "\"/a\""}});
    ASSERT_TRUE(parseBinaryKeyValues(good));
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(parseBinaryKeyValues(good.substr(0, cut))) << cut;
    EXPECT_FALSE(parseBinaryKeyValues(good + "x"));                           // after the end
    EXPECT_FALSE(parseBinaryKeyValues(std::string("\x05wide\0\0\0\x08", 9))); // a wide text
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += std::string("\0k\0", 3);
    deep += std::string(41, '\x08');
    EXPECT_FALSE(parseBinaryKeyValues(deep));
    const auto numbers =
        parseBinaryKeyValues(std::string("\x07u\0\x01\x02\x03\x04\x05\x06\x07\x08\x03"
                                         "f\0\0\0\x80\x3f\x08",
                                         19));
    ASSERT_TRUE(numbers);
    EXPECT_EQ(numbers->find("U")->bits, 0x0807060504030201u);
    EXPECT_EQ(numbers->find("f")->type, BinaryKeyValue::Type::Float);
}

TEST(WineLayouts, GogKeyAloneNamesTheGameInEitherRegistryView) {
    FakeHome fake;
    const fs::path dotWine = fake.makePrefix(fake.home() / ".wine", "");
    const fs::path game = fake.makeGame(dotWine / "drive_c/GOG Games/Draskel 3");
    writeFile(dotWine / "system.reg",
              "WINE REGISTRY Version 2\n#arch=win32\n\n[Software\\\\GOG.com] 1\n\"x\"=\"y\"\n"
              "[Software\\\\GOG.com\\\\Games\\\\1] 1\n\"path\"=\"C:\\\\GOG Games\\\\Other\"\n"
              "[Software\\\\GOG.com\\\\Games\\\\1207654321] 1\n\"gameName\"=\"Draskel 3\"\n"
              "\"path\"=\"C:\\\\GOG Games\\\\Draskel 3\"\n"
              "[Software\\\\GOG.com\\\\Games\\\\1207654321\\\\Deeper] 1\n\"path\"=\"C:\\\\x\"\n");
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(dotWine));
    EXPECT_EQ(found[0].source, Source::Wine);
}

const char* kUserShellFolders =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] 1\n";
const char* kShellFolders =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n";

TEST(WineDocuments, UserShellFoldersFirstEvenForAFolderNotMadeYet) {
    FakeHome fake;
    const fs::path prefix = fake.makePrefix(
        fake.home() / ".wine", "", true, "player",
        std::string(kShellFolders) + "\"Personal\"=\"C:\\\\users\\\\player\\\\Stale\"\n" +
            kUserShellFolders + "\"Personal\"=str(2):\"%USERPROFILE%\\\\Eigene Dateien\"\n");
    fs::create_directories(prefix / "drive_c/users/player/Stale");
    // Wine hands the game the path of User Shell Folders even before the folder exists.
    EXPECT_EQ(prefixDocumentsFolder(prefix, fake.home()),
              real(prefix) / "drive_c/users/player/Eigene Dateien");
    fs::create_directories(prefix / "drive_c/users/player/Eigene Dateien");
    EXPECT_EQ(prefixDocumentsFolder(prefix, fake.home()),
              real(prefix / "drive_c/users/player/Eigene Dateien"));
}

TEST(WineDocuments, SystemFoldersAreRefusedAndHomeThroughZIsTaken) {
    FakeHome fake;
    for (const char* system : {"/", "/etc", "/tmp", "/proc/self/cwd", "/usr/share"}) {
        const fs::path prefix =
            fake.makePrefix(fake.scratch() / "pfx", "", true, "player",
                            std::string(kUserShellFolders) + "\"Personal\"=\"" +
                                test::regEscaped(test::onDriveZ(system)) + "\"\n");
        fs::create_directories(prefix / "drive_c/users/player/Documents");
        EXPECT_EQ(documentsInPrefix(prefix, fake.home()),
                  real(prefix / "drive_c/users/player/Documents"))
            << system;
        fs::remove_all(prefix);
    }
    const fs::path prefix =
        fake.makePrefix(fake.scratch() / "pfx", "", true, "player",
                        std::string(kUserShellFolders) + "\"Personal\"=\"" +
                            test::regEscaped(test::onDriveZ(fake.home() / "Documents")) + "\"\n");
    EXPECT_EQ(documentsInPrefix(prefix, fake.home()), real(fake.home() / "Documents"));
}

TEST(WineDocuments, OverlongRegistryPathsAreRefusedUnread) {
    FakeHome fake;
    const fs::path prefix = fake.makePrefix(fake.scratch() / "pfx", "");
    std::string many = "C:";
    for (int i = 0; i < 2000; ++i)
        many += "\\a";
    EXPECT_EQ(windowsToLinuxPath(prefix, many), std::nullopt); // over 1,024 components
    EXPECT_EQ(windowsToLinuxPath(prefix, "C:\\" + std::string(256, 'x')), std::nullopt);
    EXPECT_EQ(windowsToLinuxPath(prefix, "C:\\" + std::string(40000, '.')), std::nullopt);
    EXPECT_TRUE(windowsToLinuxPath(prefix, "C:\\" + std::string(255, 'x')));

    // A user.reg whose Personal is megabytes long is read, the value passed over.
    std::string huge(3u << 20, 'a');
    for (std::size_t i = 0; i < huge.size(); i += 2)
        huge[i] = '\\';
    writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n" + std::string(kUserShellFolders) +
                                       "\"Personal\"=\"C:" + huge +
                                       "\"\n\"Desktop\"=\"C:\\\\d\"\n");
    fs::create_directories(prefix / "drive_c/users/player/Documents");
    EXPECT_EQ(prefixDocumentsFolder(prefix, fake.home()),
              real(prefix / "drive_c/users/player/Documents"));
}

} // namespace
} // namespace dk3::discovery
