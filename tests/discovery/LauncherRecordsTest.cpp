// The readers of Heroic's JSON files, Lutris's pga.db and Bottles' bottle.yml, on their own.

#include "FakeHome.h"
#include "discovery/HeroicRecords.h"
#include "discovery/RecordsModule.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;
using test::writeFile;

const RecordReaders& readers() {
    const RecordReaders* loaded = recordReaders();
    if (!loaded)
        throw std::runtime_error("the records module does not load");
    return *loaded;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(HeroicRecords, EachStoresInstalledWindowsGames) {
    const auto gog = parseHeroicGogInstalled(R"({"installed": [
        {"platform": "windows", "executable": "", "install_path": "/g/Draskel 3",
         "appName": "1207658924", "is_dlc": false},
        {"platform": "linux", "install_path": "/g/linux", "appName": "2"},
        {"platform": "windows", "install_path": 7, "appName": "3"},
        {"install_path": "/g/no-name"}, "not an object", null]})");
    ASSERT_TRUE(gog);
    ASSERT_EQ(gog->size(), 1u);
    EXPECT_EQ((*gog)[0], (HeroicGame{HeroicStore::Gog, "1207658924", "", "/g/Draskel 3", ""}));

    const auto epic = parseHeroicEpicInstalled(R"({
        "Draskel3": {"app_name": "Draskel3", "install_path": "~/Games/Heroic/Draskel3",
                     "title": "Draskel 3", "platform": "Windows"},
        "Keyed": {"install_path": "/g/keyed", "platform": "Mac"},
        "Bare": {"install_path": "/g/bare"}})");
    ASSERT_TRUE(epic);
    ASSERT_EQ(epic->size(), 2u);
    EXPECT_EQ((*epic)[0].appName, "Bare"); // the key stands in for a missing app_name
    EXPECT_EQ((*epic)[1], (HeroicGame{HeroicStore::Epic, "Draskel3", "Draskel 3",
                                      "~/Games/Heroic/Draskel3", ""}));

    const auto amazon = parseHeroicAmazonLibrary(R"({"library": [
        {"app_name": "amzn1.x", "title": "Draskel 3", "install": {"install_path": "/g/amazon"}},
        {"app_name": "amzn1.y", "title": "Not installed", "install": {}}]})");
    ASSERT_TRUE(amazon);
    ASSERT_EQ(amazon->size(), 1u);
    EXPECT_EQ((*amazon)[0].installPath, "/g/amazon");

    const auto sideload = parseHeroicSideloadLibrary(R"({"games": [
        {"app_name": "x9Yz", "title": "Draskel 3", "folder_name": "/g/side",
         "install": {"executable": "/g/side/Draskel3.exe", "platform": "windows"}}]})");
    ASSERT_TRUE(sideload);
    ASSERT_EQ(sideload->size(), 1u);
    EXPECT_EQ((*sideload)[0].executable, "/g/side/Draskel3.exe");
    EXPECT_EQ((*sideload)[0].installPath, "/g/side");
}

TEST(HeroicRecords, GameSettingsAndDefaults) {
    const std::string config = R"({"1207658924": {"winePrefix": "~/Games/Heroic/Prefixes/D3",
        "wineVersion": {"bin": "/p/proton", "name": "GE-Proton", "type": "proton"}},
        "version": "v0", "explicit": true})";
    EXPECT_EQ(parseHeroicGameConfig(config, "1207658924"),
              (HeroicWineSettings{"~/Games/Heroic/Prefixes/D3", "proton"}));
    EXPECT_EQ(parseHeroicGameConfig(config, "other"), std::nullopt);
    EXPECT_EQ(parseHeroicGameConfig(config, "version"), std::nullopt); // not an object
    EXPECT_EQ(parseHeroicGameConfig(R"({"a": {"winePrefix": ["/x"]}})", "a"),
              (HeroicWineSettings{"", ""}));
    EXPECT_EQ(parseHeroicDefaults(R"({"defaultSettings": {"winePrefix": "/p/default",
        "wineVersion": {"type": "wine"}}, "version": "v0"})"),
              (HeroicWineSettings{"/p/default", "wine"}));
}

TEST(HeroicRecords, DamagedBinaryHugeAndDeepFilesGiveNothing) {
    const std::vector<std::string> bad = {
        "",
        "{\"installed\": [",
        std::string("\x00\x01\x02{}", 5),
        std::string(100000, '['),
        "[]",
        "{\"installed\": {}}",
        "{\"installed\": [] } trailing",
        "{\"installed\": []}" + std::string(kMaxHeroicFileBytes, ' '),
    };
    for (const std::string& text : bad) {
        EXPECT_EQ(parseHeroicGogInstalled(text), std::nullopt) << text.substr(0, 40);
        EXPECT_EQ(parseHeroicDefaults(text), std::nullopt) << text.substr(0, 40);
    }
}

TEST(LutrisDatabase, InstalledGamesInRowOrderWithOnlyTextFields) {
    FakeHome fake;
    const fs::path file = fake.scratch() / "pga.db";
    fake.writeLutrisDatabase(file, {{"Draskel 3", "wine", "Draskel3.exe", "/g/d3", 1, "d3-1"},
                                    {"Gone", "wine", "", "/g/gone", 0, "gone-1"},
                                    {"Second", "linux", "", "", 1, "second-1"}});
    const auto games = readers().lutrisDatabase(bytesOf(file));
    ASSERT_TRUE(games);
    ASSERT_EQ(games->size(), 2u);
    EXPECT_EQ((*games)[0],
              (LutrisGameRecord{"Draskel 3", "d3-1", "wine", "Draskel3.exe", "/g/d3", "d3-1"}));
    EXPECT_EQ((*games)[1].name, "Second");
    EXPECT_EQ((*games)[1].directory, ""); // NULL
}

TEST(LutrisDatabase, ReadsAWalDatabaseAndWritesNothingBesideIt) {
    FakeHome fake;
    const fs::path folder = fake.scratch() / "lutris";
    const fs::path file = folder / "pga.db";
    fake.writeLutrisDatabase(file, {{"Draskel 3", "wine", "x.exe", "/g/d3", 1, "d3-1"}});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; UPDATE games SET slug = 'moved';", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        fs::remove(file.string() + suffix);
    const std::string before = bytesOf(file);
    ASSERT_EQ(before[18], 2); // the file says WAL
    const auto names = namesIn(folder);
    const auto games = readLutrisDatabase(file);
    ASSERT_TRUE(games);
    ASSERT_EQ(games->size(), 1u);
    EXPECT_EQ((*games)[0].slug, "moved");
    EXPECT_EQ(namesIn(folder), names);
    EXPECT_EQ(bytesOf(file), before);
}

TEST(LutrisDatabase, DamagedForeignAndHostileDatabasesGiveNothing) {
    FakeHome fake;
    const fs::path file = fake.scratch() / "pga.db";
    fake.writeLutrisDatabase(file, {{"Draskel 3", "wine", "x.exe", "/g/d3", 1, "d3-1"}});
    const std::string good = bytesOf(file);
    ASSERT_TRUE(readers().lutrisDatabase(good));

    // Cut short, pages overwritten, no database at all.
    EXPECT_EQ(readers().lutrisDatabase(good.substr(0, good.size() / 2 + 100)), std::nullopt);
    std::string scrambled = good;
    for (std::size_t i = 100; i < scrambled.size(); i += 7)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    EXPECT_EQ(readers().lutrisDatabase(scrambled), std::nullopt);
    EXPECT_EQ(readers().lutrisDatabase("SQLite format 3"), std::nullopt);
    EXPECT_EQ(readers().lutrisDatabase(std::string(4096, '\0')), std::nullopt);

    // A games table without the columns, and a view standing in for it that never ends.
    const auto make = [&](const char* name, const char* sql) {
        const fs::path path = fake.scratch() / name;
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << name;
        sqlite3_close(db);
        return bytesOf(path);
    };
    EXPECT_EQ(
        readers().lutrisDatabase(make("other.db", "CREATE TABLE games (id INTEGER, title TEXT);"
                                                  "INSERT INTO games VALUES (1, 'x');")),
        std::nullopt);
    EXPECT_EQ(readers().lutrisDatabase(
                  make("view.db",
                       "CREATE TABLE t (installed INTEGER, directory TEXT);"
                       "CREATE VIEW games AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                       "SELECT x + 1 FROM c) SELECT 1 AS installed, 'd' AS directory FROM c;")),
              std::nullopt);

    // Larger than any pga.db: refused before a byte is read (a sparse file costs no disk).
    const fs::path huge = fake.scratch() / "huge.db";
    fs::copy_file(file, huge);
    fs::resize_file(huge, kMaxLutrisDatabaseBytes + 1);
    EXPECT_EQ(readLutrisDatabase(huge), std::nullopt);
}

TEST(BottleConfig, ExternalProgramsAndDamagedFiles) {
    const auto config = readers().bottleConfig(
        "Name: Games\nArch: win64\nCustom_Path: false\nExternal_Programs:\n"
        "  5c0a0a3e-7c2b-4e0a-9a31-0d6e3a2d1f00:\n    executable: Draskel3.exe\n"
        "    name: Draskel 3\n    path: /home/p/Games/Draskel 3/Draskel3.exe\n"
        "    folder: /home/p/Games/Draskel 3\n"
        "  odd: [not, a, map]\n"
        "  lists:\n    path: [a, b]\n    name: Other\n");
    ASSERT_TRUE(config);
    EXPECT_EQ(config->name, "Games");
    EXPECT_EQ(config->externalPrograms,
              (std::vector<BottleProgram>{
                  {"Draskel 3", "/home/p/Games/Draskel 3/Draskel3.exe", "/home/p/Games/Draskel 3"},
                  {"Other", "", ""}}));
    EXPECT_EQ(readers().bottleConfig("Name: x\nExternal_Programs: {}\n"), (BottleConfig{"x", {}}));
    for (const std::string& text :
         {std::string("- a\n- b\n"), std::string("Name: [x\n"), std::string("\0\x01", 2),
          std::string(100000, '{'), std::string(kMaxBottleFileBytes + 1, '#')})
        EXPECT_EQ(readers().bottleConfig(text), std::nullopt) << text.substr(0, 20);
}

} // namespace
} // namespace dk3::discovery
