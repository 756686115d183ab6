// The one place that asks every launcher in turn and merges what they found.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/SteamLibraries.h"
#include "discovery/ValveKeyValues.h"
#include "discovery/WinePrefix.h"

#include <array>
#include <set>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

constexpr std::array kLaunchers = {
    Launcher{"steam", findSteamGames},     Launcher{"steam-shortcuts", findSteamShortcuts},
    Launcher{"wine", findWineGames},       Launcher{"lutris", findLutrisGames},
    Launcher{"bottles", findBottlesGames}, Launcher{"heroic", findHeroicGames},
};

fs::path documentsIn(const std::optional<fs::path>& prefix, const Environment& environment) {
    if (!prefix)
        return environment.documentsFolder;
    return documentsInPrefix(*prefix, environment.home);
}

// The installations found, each game folder once by its real path.
class Merge {
public:
    explicit Merge(const Environment& environment) : environment_(environment) {}

    void add(const LauncherFind& find) {
        Installation installation;
        installation.gameFolder = realPath(find.gameFolder);
        if (seen_.contains(installation.gameFolder) || !looksLikeGame(installation.gameFolder))
            return;
        seen_.insert(installation.gameFolder);
        if (find.prefix) {
            installation.prefix = realPath(*find.prefix);
            installation.prefixNotMadeYet = !isPrefix(*installation.prefix);
        }
        installation.documentsFolder = documentsIn(installation.prefix, environment_);
        installation.source = find.source;
        installation.appId = find.appId;
        found_.push_back(std::move(installation));
    }

    std::vector<Installation> take() { return std::move(found_); }

private:
    const Environment& environment_;
    std::set<fs::path> seen_;
    std::vector<Installation> found_;
};

} // namespace

std::span<const Launcher> launchers() {
    return kLaunchers;
}

std::vector<Installation> discoverInstallations(const Environment& environment) {
    Merge merge(environment);
    for (const Launcher& launcher : launchers()) {
        for (const LauncherFind& find : launcher.find(environment).games)
            merge.add(find);
    }
    return merge.take();
}

Installation installationAt(const fs::path& gameFolder, const Environment& environment,
                            Source source) {
    Installation installation;
    installation.source = source;
    installation.gameFolder = realPath(gameFolder);
    installation.prefix = enclosingPrefix(installation.gameFolder);
    if (!installation.prefix) {
        // steamapps/common/<folder> of a Steam library: Proton's prefix of the app whose
        // manifest names the folder.
        const fs::path common = installation.gameFolder.parent_path();
        const fs::path steamapps = common.parent_path();
        if (equalsIgnoringAsciiCase(common.filename().string(), "common") &&
            equalsIgnoringAsciiCase(steamapps.filename().string(), "steamapps")) {
            const fs::path library = steamapps.parent_path();
            for (const SteamApp& app : libraryApps(library)) {
                if (realPath(app.installFolder) == installation.gameFolder) {
                    installation.prefix =
                        realPath(protonPrefix(steamLibraries(environment), library, app.appId));
                    installation.appId = app.appId;
                    installation.prefixNotMadeYet = !isPrefix(*installation.prefix);
                    break;
                }
            }
        }
    }
    installation.documentsFolder = documentsIn(installation.prefix, environment);
    return installation;
}

std::vector<fs::path> likelyGameFolders(const Environment& environment) {
    std::vector<fs::path> folders;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& folder) {
        if (isDirectory(folder) && seen.insert(realPath(folder)).second)
            folders.push_back(realPath(folder));
    };
    for (const Launcher& launcher : launchers()) {
        const LauncherReport report = launcher.find(environment);
        for (const fs::path& folder : report.gameFolders)
            add(folder);
        for (const fs::path& prefix : report.prefixes)
            add(prefix / "drive_c");
    }
    if (folders.empty())
        folders.push_back(environment.home);
    return folders;
}

} // namespace dk3::discovery
