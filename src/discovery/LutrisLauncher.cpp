// Lutris, native and Flatpak. Its database pga.db lists the installed games with their folder
// ("directory") and the name of their configuration file ("configpath"); that file
// (games/<configpath>.yml) names the executable, relative to the game's folder or absolute, and
// the prefix. Game files that no installed game of the database names are read as well (a
// missing or damaged database, older versions).

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/LutrisConfig.h"
#include "discovery/RecordsModule.h"
#include "discovery/WinePrefix.h"
#include "platform/CaseInsensitivePath.h"

#include <set>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// Where one Lutris keeps its files: the configuration folder ($XDG_CONFIG_HOME/lutris; newer
// versions use the data folder instead) and the data folder with pga.db.
struct LutrisFolders {
    std::vector<fs::path> configFolders;
    fs::path dataFolder;
};

std::vector<LutrisFolders> lutrisInstallations(const Environment& environment) {
    const fs::path flatpak = environment.home / ".var/app/net.lutris.Lutris";
    return {
        {{environment.configHome / "lutris", environment.dataHome / "lutris"},
         environment.dataHome / "lutris"},
        {{flatpak / "config/lutris", flatpak / "data/lutris"}, flatpak / "data/lutris"},
    };
}

// configpath names a file in games/: one plain name, nothing that leaves the folder.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

bool holdsPrefixFiles(const fs::path& folder) {
    return isDirectory(folder / "drive_c") && isRegularFile(folder / "user.reg");
}

// The prefix Lutris takes for a game whose file names none: the nearest folder at or above the
// executable's that holds drive_c and user.reg, or whose prefix/ or pfx/ subfolder does.
std::optional<fs::path> prefixAroundExe(const fs::path& exeFolder) {
    for (fs::path current = exeFolder; !current.empty(); current = current.parent_path()) {
        for (const fs::path& candidate : {current, current / "prefix", current / "pfx"}) {
            if (holdsPrefixFiles(candidate))
                return candidate;
        }
        if (current == current.root_path())
            break;
    }
    return std::nullopt;
}

class LutrisReader {
public:
    LutrisReader(const Environment& environment, LauncherReport& report)
        : environment_(environment), report_(report) {}

    // The games of one configuration file; gameDirectory is the database's "directory" (empty
    // when the file is read without the database).
    void readGame(const LutrisGameConfig& config, const std::string& gameDirectory) {
        const auto prefix = lutrisPath(config.prefix, environment_.home);
        const bool prefixExists = prefix && isPrefix(*prefix);
        if (prefixExists)
            addPrefix(*prefix);
        std::set<fs::path> tried;
        for (const fs::path& exe : lutrisExeCandidates(config, environment_.home, gameDirectory)) {
            // The folder as written, else spelled as on disk.
            fs::path folder = exe.parent_path();
            if (!isDirectory(folder))
                folder = platform::resolveCaseInsensitive("/", exe.relative_path()).parent_path();
            if (!tried.insert(folder).second || !looksLikeGame(folder))
                continue;
            std::optional<fs::path> gamePrefix = prefixExists ? prefix : prefixAroundExe(folder);
            if (gamePrefix && !prefixExists)
                addPrefix(*gamePrefix);
            report_.games.push_back({folder, std::move(gamePrefix), Source::Lutris, {}});
            return;
        }
        // No executable of the game: the game's folder itself, then the prefix's registry.
        if (const auto directory = lutrisPath(gameDirectory, environment_.home);
            directory && looksLikeGame(*directory)) {
            report_.games.push_back({*directory,
                                     prefixExists ? prefix : prefixAroundExe(*directory),
                                     Source::Lutris,
                                     {}});
            return;
        }
        if (prefixExists) {
            for (fs::path& folder : registeredGameFolders(*prefix))
                report_.games.push_back({std::move(folder), prefix, Source::Lutris, {}});
        }
    }

    void readInstallation(const LutrisFolders& folders) {
        // The database's installed games first, each with its configuration file.
        const auto games = readLutrisDatabase(folders.dataFolder / "pga.db");
        for (const LutrisGameRecord& game : games.value_or(std::vector<LutrisGameRecord>{})) {
            LutrisGameConfig config;
            for (const fs::path& configFolder : folders.configFolders) {
                if (!isPlainName(game.configpath))
                    break;
                const fs::path file = configFolder / "games" / (game.configpath + ".yml");
                if (!isRegularFile(file))
                    continue;
                read_.insert(realPath(file));
                config = readLutrisGameConfig(file).value_or(LutrisGameConfig{});
                break;
            }
            if (config.exe.empty())
                config.exe = game.executable;
            readGame(config, game.directory);
        }
        // Then every game file the database did not name.
        for (const fs::path& configFolder : folders.configFolders) {
            for (const fs::path& file : entriesOf(configFolder / "games")) {
                const std::string ext = lowerAscii(file.extension().string());
                if ((ext != ".yml" && ext != ".yaml") || !read_.insert(realPath(file)).second)
                    continue;
                if (const auto config = readLutrisGameConfig(file))
                    readGame(*config, {});
            }
        }
    }

private:
    void addPrefix(const fs::path& prefix) {
        if (prefixes_.insert(realPath(prefix)).second)
            report_.prefixes.push_back(prefix);
    }

    const Environment& environment_;
    LauncherReport& report_;
    std::set<fs::path> read_;
    std::set<fs::path> prefixes_;
};

} // namespace

LauncherReport findLutrisGames(const Environment& environment) {
    LauncherReport report;
    LutrisReader reader(environment, report);
    for (const LutrisFolders& folders : lutrisInstallations(environment))
        reader.readInstallation(folders);
    return report;
}

} // namespace dk3::discovery
