// Heroic, Lutris and Bottles homes laid out as the launchers lay them out, with the game outside
// its prefix, and the documents folder each find gets.

#include "FakeHome.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <map>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;

// The file with its folders.
void put(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    test::writeFile(file, bytes);
}

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

// A prefix with a real Documents folder, as Proton and Bottles make them.
fs::path prefixWithDocuments(const FakeHome& fake, const fs::path& prefix,
                             const std::string& user) {
    fake.makePrefix(prefix, "", true, user);
    fs::create_directories(prefix / "drive_c/users" / user / "Documents");
    return real(prefix / "drive_c/users" / user / "Documents");
}

// Every entry below folder with its size and modification time, to see that nothing changed.
std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(const fs::path& folder) {
    std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::error_code ec;
        const auto size = entry.is_regular_file(ec) ? entry.file_size(ec) : 0;
        entries[entry.path()] = {size, fs::last_write_time(entry.path(), ec)};
    }
    return entries;
}

TEST(HeroicDiscovery, EveryStoreWithEachGamesPrefixNativeAndFlatpak) {
    FakeHome fake;
    const fs::path heroic = fake.home() / ".config/heroic";
    const fs::path games = fake.home() / "Games/Heroic";

    // GOG, Wine: the per-game prefix is written with "~".
    const fs::path gog = fake.makeGame(games / "Draskel 3");
    const fs::path gogDocs =
        prefixWithDocuments(fake, games / "Prefixes/default/Draskel 3", "player");
    put(heroic / "gog_store/installed.json",
        R"({"installed": [{"platform": "windows", "executable": "", "install_path": ")" +
            gog.string() + R"(", "appName": "1207658924", "is_dlc": false}]})");
    put(heroic / "GamesConfig/1207658924.json",
        R"({"1207658924": {"winePrefix": "~/Games/Heroic/Prefixes/default/Draskel 3",
                  "wineVersion": {"type": "wine"}}, "version": "v0", "explicit": true})");

    // Epic, Proton: the prefix is pfx below the one named.
    const fs::path epic = fake.makeGame(fake.scratch() / "library/Draskel3Epic");
    const fs::path epicDocs =
        prefixWithDocuments(fake, fake.scratch() / "proton-d3/pfx", "steamuser");
    put(heroic / "legendaryConfig/legendary/installed.json",
        R"({"Draskel3": {"app_name": "Draskel3", "title": "Draskel 3", "platform": "Windows",
                  "install_path": ")" +
            epic.string() + R"("}})");
    put(heroic / "GamesConfig/Draskel3.json", R"({"Draskel3": {"winePrefix": ")" +
                                                  (fake.scratch() / "proton-d3").string() +
                                                  R"(", "wineVersion": {"type": "proton"}}})");

    // Sideloaded, no settings of its own: Heroic's default prefix.
    const fs::path side = fake.makeGame(fake.scratch() / "side/Draskel 3");
    const fs::path defaultDocs =
        prefixWithDocuments(fake, fake.scratch() / "default-prefix", "player");
    put(heroic / "sideload_apps/library.json",
        R"({"games": [{"app_name": "x9Yz", "title": "Draskel 3 - side", "folder_name": "/nowhere",
                  "install": {"executable": ")" +
            (side / "Draskel3.exe").string() + R"(", "platform": "windows"}}]})");
    put(heroic / "config.json", R"({"defaultSettings": {"winePrefix": ")" +
                                    (fake.scratch() / "default-prefix").string() +
                                    R"(", "wineVersion": {"type": "wine"}}})");

    // Flatpak Heroic, Amazon, Proton through umu: the prefix files are in the named folder and
    // pfx links to it.
    const fs::path flatpak = fake.home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic";
    const fs::path amazon = fake.makeGame(fake.scratch() / "amazon/Draskel 3");
    const fs::path umu = fake.scratch() / "umu-prefix";
    const fs::path umuDocs = prefixWithDocuments(fake, umu, "steamuser");
    fs::create_directory_symlink(".", umu / "pfx");
    put(flatpak / "store_cache/nile_library.json",
        R"({"library": [{"app_name": "amzn1.adg.product.1", "title": "Draskel 3",
                  "install": {"install_path": ")" +
            amazon.string() + R"("}}]})");
    put(flatpak / "GamesConfig/amzn1.adg.product.1.json",
        R"({"amzn1.adg.product.1": {"winePrefix": ")" + umu.string() +
            R"(", "wineVersion": {"type": "proton"}}})");

    const auto before = snapshot(fake.scratch().path());
    const auto found = discoverInstallations(fake.environment());
    EXPECT_EQ(snapshot(fake.scratch().path()), before);
    ASSERT_EQ(found.size(), 4u);
    const struct {
        fs::path game, prefix, documents;
        std::string appId;
    } expected[] = {
        {gog, games / "Prefixes/default/Draskel 3", gogDocs, "1207658924"},
        {epic, fake.scratch() / "proton-d3/pfx", epicDocs, "Draskel3"},
        {side, fake.scratch() / "default-prefix", defaultDocs, "x9Yz"},
        {amazon, umu, umuDocs, "amzn1.adg.product.1"},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(found[i].gameFolder, real(expected[i].game));
        EXPECT_EQ(found[i].prefix, real(expected[i].prefix));
        EXPECT_EQ(found[i].documentsFolder, expected[i].documents);
        EXPECT_EQ(found[i].source, Source::Heroic);
        EXPECT_EQ(found[i].appId, expected[i].appId);
    }
    // The file chooser may open where Heroic installs games.
    const auto likely = likelyGameFolders(fake.environment());
    EXPECT_NE(std::find(likely.begin(), likely.end(), real(games)), likely.end());
}

TEST(HeroicDiscovery, NoPrefixAnywhereAndDamagedFiles) {
    FakeHome fake;
    const fs::path heroic = fake.home() / ".config/heroic";
    // Heroic's default place by title, and a game whose named prefix does not exist.
    const fs::path titled = fake.makeGame(fake.scratch() / "titled");
    const fs::path titledDocs =
        prefixWithDocuments(fake, fake.home() / "Games/Heroic/Prefixes/Draskel Three", "player");
    const fs::path lost = fake.makeGame(fake.scratch() / "lost");
    put(heroic / "legendaryConfig/legendary/installed.json",
        R"({"a": {"title": "Draskel Three", "install_path": ")" + titled.string() +
            R"("}, "b": {"title": "../../x", "install_path": ")" + lost.string() + R"("}})");
    put(heroic / "GamesConfig/b.json", R"({"b": {"winePrefix": "/no/such/prefix"}})");
    // Damaged, binary and hostile files beside them.
    put(heroic / "gog_store/installed.json", "{\"installed\": [{\"appName\": ");
    put(heroic / "config.json", std::string("\x7f"
                                            "ELF\0\0\x01",
                                            7));
    put(heroic / "sideload_apps/library.json", std::string(200000, '['));
    fs::create_directories(heroic / "GamesConfig/a.json"); // a folder where a file should be

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gameFolder, real(titled));
    EXPECT_EQ(found[0].documentsFolder, titledDocs);
    EXPECT_EQ(found[1].gameFolder, real(lost));
    EXPECT_EQ(found[1].prefix, std::nullopt);
    EXPECT_EQ(found[1].documentsFolder, fake.environment().documentsFolder);
}

TEST(LutrisDiscovery, DatabaseGamesWithRelativeExeNativeAndFlatpak) {
    FakeHome fake;
    const fs::path data = fake.home() / ".local/share/lutris";
    const fs::path config = fake.home() / ".config/lutris";

    // The exe is relative to the game's directory, which is outside the prefix.
    const fs::path prefix = fake.scratch() / "prefixes/draskel";
    const fs::path docs = prefixWithDocuments(fake, prefix, "player");
    const fs::path game = fake.makeGame(fake.scratch() / "games/Draskel 3");
    put(config / "games/draskel-3-1700000000.yml",
        "game:\n  exe: Draskel3.exe\n  prefix: " + prefix.string() +
            "\nsystem: {}\nwine:\n  version: lutris-7.2\n");
    // No prefix in the file: Lutris takes the prefix/ folder beside the game.
    const fs::path nearby = fake.scratch() / "games/nearby";
    const fs::path nearbyGame = fake.makeGame(nearby / "bin");
    const fs::path nearbyDocs = prefixWithDocuments(fake, nearby / "prefix", "player");
    put(data / "games/nearby-1.yml", "game:\n  exe: bin/Draskel3.exe\n");
    // Not installed any more: its file is left, its folder gone elsewhere.
    const fs::path gone = fake.makeGame(fake.scratch() / "games/gone");
    put(config / "games/gone-1.yml", "game:\n  exe: Draskel3.exe\n");
    fake.writeLutrisDatabase(
        data / "pga.db", {{"Draskel 3", "wine", "", (fake.scratch() / "games/Draskel 3").string(),
                           1, "draskel-3-1700000000"},
                          {"Gone", "wine", "", gone.string(), 0, "gone-1"},
                          {"Nearby", "wine", "", nearby.string(), 1, "nearby-1"}});

    // Flatpak Lutris keeps its files in its data folder.
    const fs::path flatpak = fake.home() / ".var/app/net.lutris.Lutris/data/lutris";
    const fs::path boxed = fake.makeGame(fake.scratch() / "boxed/game");
    const fs::path boxedDocs = prefixWithDocuments(fake, fake.scratch() / "boxed/pfx", "player");
    put(flatpak / "games/boxed-2.yml", "game:\n  exe: game/Draskel3.exe\n  prefix: " +
                                           (fake.scratch() / "boxed/pfx").string() + "\n");
    fake.writeLutrisDatabase(
        flatpak / "pga.db",
        {{"Boxed", "wine", "", (fake.scratch() / "boxed").string(), 1, "boxed-2"}});

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(prefix));
    EXPECT_EQ(found[0].documentsFolder, docs);
    EXPECT_EQ(found[1].gameFolder, real(nearbyGame));
    EXPECT_EQ(found[1].prefix, real(nearby / "prefix"));
    EXPECT_EQ(found[1].documentsFolder, nearbyDocs);
    EXPECT_EQ(found[2].gameFolder, real(boxed));
    EXPECT_EQ(found[2].documentsFolder, boxedDocs);
    for (const Installation& installation : found)
        EXPECT_EQ(installation.source, Source::Lutris);
}

TEST(LutrisDiscovery, DamagedDatabaseFallsBackToTheGameFiles) {
    FakeHome fake;
    const fs::path data = fake.home() / ".local/share/lutris";
    const fs::path prefix = fake.scratch() / "p";
    prefixWithDocuments(fake, prefix, "player");
    const fs::path game = fake.makeGame(prefix / "drive_c/Games/Draskel 3");
    put(data / "games/d3.yml",
        "game:\n  exe: drive_c/Games/Draskel 3/Draskel3.exe\n  prefix: " + prefix.string() + "\n");
    std::string damaged = "SQLite format 3";
    damaged.push_back('\0');
    damaged += std::string(8192, '\x11');
    put(data / "pga.db", damaged);

    const auto before = snapshot(fake.scratch().path());
    const auto found = discoverInstallations(fake.environment());
    EXPECT_EQ(snapshot(fake.scratch().path()), before);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].gameFolder, real(game));
}

TEST(BottlesDiscovery, ExternalProgramOutsideTheBottleNativeAndFlatpak) {
    FakeHome fake;
    const fs::path bottle = fake.home() / ".local/share/bottles/bottles/Games";
    const fs::path docs = prefixWithDocuments(fake, bottle, "player");
    const fs::path game = fake.makeGame(fake.home() / "Games/Draskel 3");
    // The path is spelled in another letter case than the disk.
    put(bottle / "bottle.yml",
        "Name: Games\nArch: win64\nExternal_Programs:\n"
        "  5c0a0a3e-7c2b-4e0a-9a31-0d6e3a2d1f00:\n    executable: Draskel3.exe\n"
        "    name: Draskel 3\n    path: " +
            (fake.home() / "games/draskel 3/DRASKEL3.EXE").string() + "\n  broken: [x]\n");
    const fs::path flatpakBottle =
        fake.home() / ".var/app/com.usebottles.bottles/data/bottles/bottles/Other";
    const fs::path flatpakDocs = prefixWithDocuments(fake, flatpakBottle, "player");
    const fs::path other = fake.makeGame(fake.scratch() / "other");
    put(flatpakBottle / "bottle.yml",
        "Name: Other\nExternal_Programs:\n  a:\n    path: /no/such/Draskel3.exe\n"
        "    folder: " +
            other.string() + "\n");
    // A damaged bottle beside them.
    const fs::path damaged = fake.home() / ".local/share/bottles/bottles/Damaged";
    fake.makePrefix(damaged, "");
    put(damaged / "bottle.yml", "External_Programs: {a: [" + std::string(5000, '{'));

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(bottle));
    EXPECT_EQ(found[0].documentsFolder, docs);
    EXPECT_EQ(found[0].source, Source::Bottles);
    EXPECT_EQ(found[1].gameFolder, real(other));
    EXPECT_EQ(found[1].documentsFolder, flatpakDocs);
}

} // namespace
} // namespace dk3::discovery
