// Discovery runs at every start before the window shows, so it must stay far below what a player
// notices. The home measured here is a busy one: three Steam libraries holding 300 app manifests
// (with a folder for each app) and 150 Proton prefixes, a shortcuts.vdf of 200 non-Steam games,
// 200 Lutris games (pga.db and a game configuration each), Heroic's records of 200 GOG games (its
// installed.json and a settings file per game), and ten Wine prefixes whose system.reg files have
// the size of a prefix with a few programs installed (about 1 MB each). The game is in one library
// (its prefix in another), in one prefix and behind one shortcut. The scratch home is removed when
// the program ends.

#include "bench_support.h"
#include "discovery/Installation.h"
#include "discovery/Launcher.h"
#include "discovery/RecordsModule.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <fstream>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using namespace dk3;

constexpr int kLibraries = 3;
constexpr int kManifests = 300;
constexpr int kPrefixes = 10;
constexpr int kProtonPrefixes = 150;
constexpr int kShortcuts = 200;
constexpr int kLutrisGames = 200;
constexpr int kHeroicGames = 200;
constexpr int kRegistryKeys = 6000; // about 1 MB of system.reg

// The benchmark is not beside the records module, as the program is.
const bool kRecordsModuleNamed =
    (dk3::discovery::setRecordsModuleCandidates({DK3_RECORDS_MODULE}), true);

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void makeGame(const fs::path& folder) {
    write(folder / "Draskel3.exe", "MZ");
    write(folder / "Ini/dk3e.ini", "[Engine.Setup]\r\n");
}

std::string systemReg(const std::string& installDir) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                       "#arch=win64\n\n";
    for (int key = 0; key < kRegistryKeys; ++key) {
        text += "[Software\\\\Classes\\\\CLSID\\\\{0000" + std::to_string(100000 + key) +
                "-0000-0000-C000-000000000046}] 1700000000\n#time=1d9c0a8b2e4f6a0\n"
                "@=\"Some component\"\n\"ThreadingModel\"=\"Both\"\n"
                "\"Data\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,\\\n"
                "  13,14,15,16\n\n";
    }
    if (!installDir.empty())
        text += "[Software\\\\Wow6432Node\\\\Brannholt Productions Software AG\\\\Draskel III] "
                "1700000000\n\"INSTALL_DIR\"=\"" +
                installDir + "\"\n";
    return text;
}

void makePrefix(const fs::path& prefix, const std::string& installDir) {
    write(prefix / "system.reg", systemReg(installDir));
    write(prefix / "user.reg",
          "WINE REGISTRY Version 2\n\n"
          "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
          "\"Personal\"=\"C:\\\\users\\\\player\\\\Documents\"\n");
    fs::create_directories(prefix / "drive_c/users/player/Documents");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    fs::create_directory_symlink("/", prefix / "dosdevices/z:");
}

// Valve's binary key-values of shortcuts.vdf: a map per shortcut with its usual fields.
std::string shortcutsVdf(const std::vector<std::string>& exes) {
    std::string out;
    const auto key = [&](char type, const std::string& name) {
        out.push_back(type);
        out += name;
        out.push_back('\0');
    };
    const auto text = [&](const std::string& name, const std::string& value) {
        key('\x01', name);
        out += value;
        out.push_back('\0');
    };
    const auto int32 = [&](const std::string& name, std::uint32_t value) {
        key('\x02', name);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    key('\x00', "shortcuts");
    for (std::size_t i = 0; i < exes.size(); ++i) {
        key('\x00', std::to_string(i));
        int32("appid", 0x80000000u + static_cast<std::uint32_t>(i));
        text("AppName", "Game " + std::to_string(i));
        text("Exe", "\"" + exes[i] + "\"");
        text("StartDir", "\"/\"");
        text("icon", "");
        text("LaunchOptions", "");
        int32("IsHidden", 0);
        int32("AllowOverlay", 1);
        int32("LastPlayTime", 1700000000);
        key('\x00', "tags");
        out.push_back('\x08');
        out.push_back('\x08');
    }
    out += "\x08\x08";
    return out;
}

void makeProtonPrefix(const fs::path& compat) {
    write(compat / "pfx.lock", "");
    write(compat / "version", "8.0-5\n");
    write(compat / "pfx/system.reg", "WINE REGISTRY Version 2\n");
    write(compat / "pfx/user.reg", "WINE REGISTRY Version 2\n");
    fs::create_directories(compat / "pfx/drive_c/users/steamuser/Documents");
}

// Heroic's installed.json of kHeroicGames GOG games, none of them this game, with their settings.
void addHeroicGames(const fs::path& heroic, const fs::path& games) {
    std::string installed = "{\"installed\": [";
    for (int game = 0; game < kHeroicGames; ++game) {
        const std::string id = std::to_string(1400000000 + game);
        const fs::path folder = games / ("Game " + id);
        write(folder / "game.exe", "MZ");
        installed += std::string(game == 0 ? "" : ",") +
                     "\n  {\"platform\": \"windows\", \"executable\": \"\", \"install_path\": \"" +
                     folder.string() + "\", \"install_size\": \"1 GiB\", \"is_dlc\": false, " +
                     "\"version\": \"1.0\", \"appName\": \"" + id + "\", \"language\": \"en-US\"}";
        write(heroic / "GamesConfig" / (id + ".json"),
              "{\"" + id + "\": {\"winePrefix\": \"~/Games/Heroic/Prefixes/default/Game " + id +
                  "\", \"wineVersion\": {\"bin\": \"/usr/bin/wine\", \"name\": \"Wine\", "
                  "\"type\": \"wine\"}, \"autoInstallDxvk\": true, \"enableEsync\": true}, "
                  "\"version\": \"v0\", \"explicit\": true}\n");
    }
    write(heroic / "gog_store/installed.json", installed + "\n]}\n");
}

// Lutris's pga.db naming the games whose configurations are game-<i>.yml.
void writeLutrisDatabase(const fs::path& file, const fs::path& games) {
    fs::create_directories(file.parent_path());
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot make " + file.string());
    std::string sql = "CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, slug TEXT, "
                      "runner TEXT, executable TEXT, directory TEXT, installed INTEGER, "
                      "configpath TEXT);\nBEGIN;\n";
    for (int i = 0; i < kLutrisGames; ++i)
        sql += "INSERT INTO games (name, slug, runner, directory, installed, configpath) VALUES "
               "('Game', 'game', 'wine', '" +
               (games / std::to_string(i)).string() + "', 1, 'game-" + std::to_string(i) + "');\n";
    if (sqlite3_exec(db, (sql + "COMMIT;").c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_close(db);
}

struct BusyHome {
    BusyHome() : folder(bench::scratchFolder("dk3-bench-discovery")) {
        environment.home = folder / "home";
        environment.dataHome = environment.home / ".local/share";
        environment.configHome = environment.home / ".config";
        environment.documentsFolder = environment.home / "Documents";

        const fs::path root = environment.dataHome / "Steam";
        std::vector<fs::path> libraries = {root};
        for (int i = 1; i < kLibraries; ++i)
            libraries.push_back(folder / ("disk" + std::to_string(i)) / "SteamLibrary");
        std::string list = "\"libraryfolders\"\n{\n";
        for (std::size_t i = 0; i < libraries.size(); ++i)
            list += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" +
                    libraries[i].string() + "\"\n\t\t\"apps\"\n\t\t{\n\t\t}\n\t}\n";
        write(root / "steamapps/libraryfolders.vdf", list + "}\n");
        for (int app = 0; app < kManifests; ++app) {
            const fs::path& library = libraries[static_cast<std::size_t>(app % kLibraries)];
            const std::string id = std::to_string(100000 + app);
            const std::string installDir = "Game " + id;
            write(library / "steamapps" / ("appmanifest_" + id + ".acf"),
                  "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id +
                      "\"\n\t\"Universe\"\t\t\"1\"\n"
                      "\t\"name\"\t\t\"Game " +
                      id +
                      "\"\n\t\"StateFlags\"\t\t\"4\"\n"
                      "\t\"installdir\"\t\t\"" +
                      installDir +
                      "\"\n\t\"SizeOnDisk\"\t\t\"1000\"\n"
                      "\t\"InstalledDepots\"\n\t{\n\t\t\"" +
                      id +
                      "1\"\n\t\t{\n"
                      "\t\t\t\"manifest\"\t\t\"123456789\"\n\t\t}\n\t}\n}\n");
            const fs::path common = library / "steamapps/common" / installDir;
            if (app == kManifests / 2)
                makeGame(common);
            else
                write(common / "game.exe", "MZ");
            // Proton's prefixes of half the apps; the game's is in another library than the game.
            if (app < kProtonPrefixes || app == kManifests / 2) {
                const fs::path& prefixLibrary =
                    libraries[static_cast<std::size_t>((app + 1) % kLibraries)];
                makeProtonPrefix(prefixLibrary / "steamapps/compatdata" / id);
            }
        }

        std::vector<std::string> exes;
        for (int i = 0; i < kShortcuts; ++i)
            exes.push_back((folder / "NonSteam" / std::to_string(i) / "game.exe").string());
        const fs::path copy = folder / "GOG/Draskel 3";
        makeGame(copy);
        exes[kShortcuts / 2] = (copy / "Draskel3.exe").string();
        write(root / "userdata/12345678/config/shortcuts.vdf", shortcutsVdf(exes));
        makeProtonPrefix(root / "steamapps/compatdata" /
                         std::to_string(0x80000000u + static_cast<unsigned>(kShortcuts / 2)));

        for (int i = 0; i < kLutrisGames; ++i) {
            const fs::path game = folder / "Lutris" / std::to_string(i);
            write(game / "game.exe", "MZ");
            write(environment.configHome / "lutris/games" / ("game-" + std::to_string(i) + ".yml"),
                  "game:\n  exe: " + (game / "game.exe").string() + "\n  prefix: " +
                      (game / "prefix").string() + "\nsystem: {}\nwine:\n  version: lutris-7\n");
        }
        writeLutrisDatabase(environment.dataHome / "lutris/pga.db", folder / "Lutris");
        addHeroicGames(environment.configHome / "heroic", folder / "Heroic");

        for (int i = 0; i < kPrefixes; ++i) {
            const fs::path prefix =
                i == 0 ? environment.home / ".wine"
                       : environment.dataHome / "bottles/bottles" / ("bottle" + std::to_string(i));
            const bool withGame = i == kPrefixes - 1;
            makePrefix(prefix, withGame ? "C:\\\\Games\\\\Draskel 3" : "");
            if (withGame)
                makeGame(prefix / "drive_c/Games/Draskel 3");
        }
    }
    ~BusyHome() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    BusyHome(const BusyHome&) = delete;
    BusyHome& operator=(const BusyHome&) = delete;

    fs::path folder;
    discovery::Environment environment;
};

BusyHome& busyHome() {
    static BusyHome home;
    return home;
}

void BM_DiscoverInstallations(benchmark::State& state) {
    const BusyHome& home = busyHome();
    std::size_t found = 0;
    for (auto _ : state) {
        const auto installations = discovery::discoverInstallations(home.environment);
        found = installations.size();
        benchmark::DoNotOptimize(installations.data());
    }
    if (found != 3)
        state.SkipWithError("the busy home should hold the game three times");
    state.counters["installations"] = static_cast<double>(found);
}
BENCHMARK(BM_DiscoverInstallations)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// A prefix whose user.reg names a documents folder of millions of components in a 60 MB file:
// the value is passed over unread, so this costs about what reading the file costs.
void BM_DocumentsFolderOfHugeUserReg(benchmark::State& state) {
    const bool huge = state.range(0) != 0;
    const fs::path prefix = bench::scratchFolder("dk3-bench-userreg") / "pfx";
    makePrefix(prefix, "");
    std::string value = "C:";
    if (huge) {
        value.reserve(60u << 20);
        while (value.size() < (60u << 20))
            value += "\\\\a";
    } else {
        value += "\\\\users\\\\player\\\\Documents";
    }
    write(prefix / "user.reg",
          "WINE REGISTRY Version 2\n\n"
          "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell "
          "Folders] 1\n\"Personal\"=\"" +
              value + "\"\n");
    value.clear();
    value.shrink_to_fit();
    for (auto _ : state) {
        const auto documents = discovery::prefixDocumentsFolder(prefix);
        benchmark::DoNotOptimize(documents);
    }
}
BENCHMARK(BM_DocumentsFolderOfHugeUserReg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Each launcher's share of the whole.
void BM_Launcher(benchmark::State& state) {
    const BusyHome& home = busyHome();
    const discovery::Launcher& launcher =
        discovery::launchers()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(std::string(launcher.name));
    for (auto _ : state) {
        const auto report = launcher.find(home.environment);
        benchmark::DoNotOptimize(report.games.data());
    }
}
BENCHMARK(BM_Launcher)
    ->DenseRange(0, static_cast<int>(discovery::launchers().size()) - 1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
