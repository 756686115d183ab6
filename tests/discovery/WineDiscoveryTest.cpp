#include "FakeHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;
using test::onDriveZ;
using test::writeFile;

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

TEST(WineDiscovery, WinePrefixVariableComesFirstThenDotWineIn32And64BitPlaces) {
    FakeHome fake;
    const fs::path custom = fake.scratch() / "prefixes/draskel";
    // The registry spells the folder differently from the disk, as Windows allows.
    fake.makePrefix(custom, "c:\\PROGRAM FILES\\brannholt\\draskel 3", /*win64=*/true);
    const fs::path customGame = fake.makeGame(custom / "drive_c/Program Files/Brannholt/Draskel 3");
    fs::create_directories(custom / "drive_c/users/player/Documents");
    fake.environment().winePrefix = custom;

    const fs::path dotWine = fake.home() / ".wine";
    fake.makePrefix(dotWine, "C:\\Games\\Draskel3", /*win64=*/false);
    const fs::path dotWineGame = fake.makeGame(dotWine / "drive_c/Games/Draskel3", "draskel3.exe");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gameFolder, real(customGame));
    EXPECT_EQ(found[0].prefix, real(custom));
    EXPECT_EQ(found[0].source, Source::Wine);
    EXPECT_EQ(found[0].documentsFolder, real(custom / "drive_c/users/player/Documents"));
    EXPECT_EQ(found[1].gameFolder, real(dotWineGame));
    EXPECT_EQ(found[1].prefix, real(dotWine));
    // No Documents folder in that prefix yet: the one the game would make, not the XDG folder.
    EXPECT_EQ(found[1].documentsFolder, real(dotWine) / "drive_c/users/player/Documents");
}

TEST(WineDiscovery, GameOnAnotherDriveInTwoPrefixesIsTwoInstallationsEachOnce) {
    FakeHome fake;
    const fs::path games = fake.scratch() / "mnt/games";
    const fs::path game = fake.makeGame(games / "Draskel 3");
    const fs::path dotWine = fake.home() / ".wine";
    fake.makePrefix(dotWine, "D:\\Draskel 3");
    fs::create_directory_symlink(games, dotWine / "dosdevices/d:");
    // A second prefix naming the same folder through z:.
    const fs::path other = fake.scratch() / "other";
    fake.makePrefix(other, onDriveZ(game));
    fake.environment().winePrefix = other;

    // Also named by a Lutris game in ~/.wine: the same folder and prefix count once.
    fs::create_directories(fake.home() / ".config/lutris/games");
    writeFile(fake.home() / ".config/lutris/games/d3.yml",
              "game:\n  exe: " + (game / "Draskel3.exe").string() +
                  "\n  prefix: " + dotWine.string() + "\n");

    // The game keeps its options apart in each prefix: two installations, $WINEPREFIX's first.
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(other));
    EXPECT_EQ(found[1].gameFolder, real(game));
    EXPECT_EQ(found[1].prefix, real(dotWine));
    EXPECT_EQ(found[1].source, Source::Wine);
}

TEST(WineDiscovery, DamagedRegistryMissingGameAndPipesAreSkipped) {
    FakeHome fake;
    const fs::path dotWine = fake.home() / ".wine";
    fake.makePrefix(dotWine, "C:\\Game");
    fake.makeGame(dotWine / "drive_c/Game");
    writeFile(dotWine / "system.reg", "WINE REGISTRY Version 2\n[Software\\\\Wow6432Node\\\\"
                                      "Brannholt Productions Software AG\\\\Draskel III]\n"
                                      "\"INSTALL_DIR\"=\"C:\\\\Game\n"); // cut short
    const fs::path pipe = fake.scratch() / "pipe";
    fake.makePrefix(pipe, "C:\\Game");
    fake.makeGame(pipe / "drive_c/Game");
    fs::remove(pipe / "system.reg");
    ASSERT_EQ(::mkfifo((pipe / "system.reg").c_str(), 0600), 0);
    fake.environment().winePrefix = pipe;
    const fs::path binary = fake.home() / ".local/share/bottles/bottles/binary";
    fake.makePrefix(binary, "C:\\Game");
    fake.makeGame(binary / "drive_c/Game");
    writeFile(binary / "system.reg", std::string("\x7f"
                                                 "ELF\0\0\0\x02\x01",
                                                 9));
    const fs::path empty = fake.home() / ".local/share/bottles/bottles/empty";
    fake.makePrefix(empty, "C:\\Nothing here");

    EXPECT_TRUE(discoverInstallations(fake.environment()).empty());
}

TEST(WineDiscovery, BottlesNativeAndFlatpakAndHeroicInBothForms) {
    FakeHome fake;
    const auto bottle = [&](const fs::path& prefix, const std::string& folder) {
        fake.makePrefix(prefix, "C:\\" + folder);
        return fake.makeGame(prefix / "drive_c" / folder);
    };
    const fs::path a = bottle(fake.home() / ".local/share/bottles/bottles/Games", "A");
    const fs::path b =
        bottle(fake.home() / ".var/app/com.usebottles.bottles/data/bottles/bottles/Flat", "B");
    const fs::path c = bottle(fake.home() / "Games/Heroic/Prefixes/Draskel", "C");
    const fs::path d = bottle(fake.home() / "Games/Heroic/Prefixes/Proton/pfx", "D");
    const fs::path e = bottle(fake.home() / "Games/Heroic/Prefixes/default/Draskel", "E");
    // Not a prefix at all: no system.reg.
    fs::create_directories(fake.home() / ".local/share/bottles/bottles/broken/drive_c");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].gameFolder, real(a));
    EXPECT_EQ(found[0].source, Source::Bottles);
    EXPECT_EQ(found[1].gameFolder, real(b));
    EXPECT_EQ(found[2].gameFolder, real(c));
    EXPECT_EQ(found[2].source, Source::Heroic);
    EXPECT_EQ(found[3].gameFolder, real(d));
    EXPECT_EQ(found[3].prefix, real(fake.home() / "Games/Heroic/Prefixes/Proton/pfx"));
    EXPECT_EQ(found[4].gameFolder, real(e));
}

TEST(WineDiscovery, LutrisRelativeAndAbsoluteExeAndPrefixOnly) {
    FakeHome fake;
    const fs::path games = fake.home() / "Games";
    const fs::path one = games / "draskel-3";
    fake.makePrefix(one, "");
    fs::create_directories(fake.home() / ".config/lutris/games");
    const fs::path oneGame = fake.makeGame(one / "drive_c/Program Files/Draskel 3");
    writeFile(fake.home() / ".config/lutris/games/draskel-3-1700000000.yml",
              "game:\n  exe: drive_c/program files/Draskel 3/Draskel3.exe\n  prefix: " +
                  one.string() + "\nsystem: {}\nwine:\n  version: lutris-7.2\n");

    const fs::path two = games / "draskel-copy";
    fake.makePrefix(two, "");
    const fs::path twoGame = fake.makeGame(two / "drive_c/Copy");
    fs::create_directories(fake.home() / ".local/share/lutris/games");
    writeFile(fake.home() / ".local/share/lutris/games/copy.yaml",
              "game:\n  exe: ~/Games/draskel-copy/drive_c/Copy/Draskel3.exe\n"
              "  prefix: ~/Games/draskel-copy\n");

    // The exe is a launcher elsewhere; the prefix's registry names the game.
    const fs::path three = games / "draskel-launcher";
    fake.makePrefix(three, "C:\\GOG Games\\Draskel 3");
    const fs::path threeGame = fake.makeGame(three / "drive_c/GOG Games/Draskel 3");
    writeFile(fake.home() / ".config/lutris/games/launcher.yml",
              "game:\n  exe: drive_c/launcher/start.exe\n  prefix: \"" + three.string() + "\"\n");
    // Damaged, binary and hostile files.
    writeFile(fake.home() / ".config/lutris/games/broken.yml", "game: [exe: \n  prefix: {");
    writeFile(fake.home() / ".config/lutris/games/binary.yml", std::string("\0\x01\x02", 3));
    writeFile(fake.home() / ".config/lutris/games/deep.yml", std::string(100000, '['));
    writeFile(fake.home() / ".config/lutris/games/dashes.yml", "game:\n" + std::string(20000, '-'));
    std::string dashes;
    for (int i = 0; i < 5000; ++i)
        dashes += "- ";
    writeFile(fake.home() / ".config/lutris/games/nested.yml", dashes + "x\n");
    writeFile(fake.home() / ".config/lutris/games/list.yml", "- game\n- exe\n");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].gameFolder, real(oneGame));
    EXPECT_EQ(found[0].prefix, real(one));
    EXPECT_EQ(found[0].source, Source::Lutris);
    EXPECT_EQ(found[1].gameFolder, real(threeGame));
    EXPECT_EQ(found[2].gameFolder, real(twoGame));
}

TEST(WineDiscovery, ChosenFolderFindsItsEnclosingPrefixOrUsesTheXdgDocuments) {
    FakeHome fake;
    const fs::path prefix = fake.scratch() / "pfx-by-hand";
    fake.makePrefix(prefix, "", true, "player");
    fs::create_directories(prefix / "drive_c/users/player/Documents");
    const fs::path game = fake.makeGame(prefix / "drive_c/Games/Draskel 3");
    const Installation inPrefix = installationAt(game / "Ini/..", fake.environment());
    EXPECT_EQ(inPrefix.gameFolder, real(game));
    EXPECT_EQ(inPrefix.prefix, real(prefix));
    EXPECT_EQ(inPrefix.documentsFolder, real(prefix / "drive_c/users/player/Documents"));

    const fs::path loose = fake.makeGame(fake.scratch() / "loose/Draskel 3");
    const Installation outside = installationAt(loose, fake.environment(), Source::Wine);
    EXPECT_EQ(outside.prefix, std::nullopt);
    EXPECT_EQ(outside.source, Source::Wine);
    EXPECT_EQ(outside.documentsFolder, fake.environment().documentsFolder);
}

TEST(WineDiscovery, LooksLikeGameNeedsBothFilesAsReadableFiles) {
    FakeHome fake;
    EXPECT_TRUE(looksLikeGame(fake.makeGame(fake.scratch() / "ok", "dRaSkEl3.ExE")));
    const fs::path caseIni = fake.scratch() / "case";
    fs::create_directories(caseIni / "INI");
    writeFile(caseIni / "Draskel3.exe", "MZ");
    writeFile(caseIni / "INI/DK3E.INI", "");
    EXPECT_TRUE(looksLikeGame(caseIni));

    const fs::path noIni = fake.scratch() / "no-ini";
    fs::create_directories(noIni);
    writeFile(noIni / "Draskel3.exe", "MZ");
    EXPECT_FALSE(looksLikeGame(noIni));
    const fs::path exeFolder = fake.makeGame(fake.scratch() / "exe-folder");
    fs::remove(exeFolder / "Draskel3.exe");
    fs::create_directories(exeFolder / "Draskel3.exe");
    EXPECT_FALSE(looksLikeGame(exeFolder));
    const fs::path iniFolder = fake.makeGame(fake.scratch() / "ini-folder");
    fs::remove(iniFolder / "Ini/dk3e.ini");
    fs::create_directories(iniFolder / "Ini/dk3e.ini");
    EXPECT_FALSE(looksLikeGame(iniFolder));
    EXPECT_FALSE(looksLikeGame(fake.scratch() / "missing"));
}

TEST(WineDiscovery, LikelyFoldersAreLibrariesAndDriveCsElseHome) {
    FakeHome fake;
    EXPECT_EQ(likelyGameFolders(fake.environment()), std::vector<fs::path>{fake.home()});
    const fs::path root = fake.home() / ".local/share/Steam";
    fake.addSteamApp(root, "1", "x");
    fake.makePrefix(fake.home() / ".wine", "");
    fake.makePrefix(fake.home() / ".local/share/bottles/bottles/b", "");
    EXPECT_EQ(
        likelyGameFolders(fake.environment()),
        (std::vector<fs::path>{real(root / "steamapps/common"), real(fake.home() / ".wine/drive_c"),
                               real(fake.home() / ".local/share/bottles/bottles/b/drive_c")}));
}

} // namespace
} // namespace dk3::discovery
