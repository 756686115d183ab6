// The one place that asks every launcher in turn and merges what they found.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/SteamLibraries.h"
#include "discovery/ValveKeyValues.h"
#include "discovery/WinePrefix.h"

#include <array>
#include <map>
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

// The installations found, each pair of game folder and prefix once by their real paths.
class Merge {
public:
    explicit Merge(const Environment& environment) : environment_(environment) {}

    void add(const LauncherFind& find) {
        const fs::path folder = realPath(find.gameFolder);
        std::optional<fs::path> prefix;
        if (find.prefix)
            prefix = realPath(*find.prefix);
        else
            prefix = enclosingPrefix(folder);
        // The same folder run in two prefixes is two installations: the game keeps its options
        // apart in each. The same folder and prefix found twice counts once.
        if (!seen_.insert({folder, prefix.value_or(fs::path())}).second || !holdsGame(folder))
            return;
        found_.push_back(installationIn(folder, prefix, find.source, find.appId, environment_));
    }

    std::vector<Installation> take() { return std::move(found_); }

private:
    bool holdsGame(const fs::path& folder) {
        const auto known = holdsGame_.find(folder);
        if (known != holdsGame_.end())
            return known->second;
        return holdsGame_[folder] = looksLikeGame(folder);
    }

    const Environment& environment_;
    std::set<std::pair<fs::path, fs::path>> seen_;
    std::map<fs::path, bool> holdsGame_;
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

Installation installationIn(const fs::path& gameFolder, const std::optional<fs::path>& prefix,
                            Source source, std::string appId, const Environment& environment) {
    Installation installation;
    installation.gameFolder = realPath(gameFolder);
    if (prefix) {
        installation.prefix = realPath(*prefix);
        installation.prefixNotMadeYet = !isPrefix(*installation.prefix);
    }
    installation.documentsFolder = documentsIn(installation.prefix, environment);
    installation.source = source;
    installation.appId = std::move(appId);
    return installation;
}

Installation installationAt(const fs::path& gameFolder, const Environment& environment,
                            Source source) {
    const fs::path folder = realPath(gameFolder);
    if (auto prefix = enclosingPrefix(folder))
        return installationIn(folder, prefix, source, {}, environment);
    // steamapps/common/<folder> of a Steam library: Proton's prefix of the app whose manifest
    // names the folder.
    const fs::path common = folder.parent_path();
    const fs::path steamapps = common.parent_path();
    if (equalsIgnoringAsciiCase(common.filename().string(), "common") &&
        equalsIgnoringAsciiCase(steamapps.filename().string(), "steamapps")) {
        const fs::path library = steamapps.parent_path();
        for (const SteamApp& app : libraryApps(library)) {
            if (realPath(app.installFolder) == folder)
                return installationIn(folder,
                                      protonPrefix(steamLibraries(environment), library, app.appId),
                                      source, app.appId, environment);
        }
    }
    // A folder outside any prefix: the launcher whose records name it knows its prefix. A home
    // that is not known is searched nowhere, never in the working folder.
    for (const Launcher& launcher :
         environment.home.empty() ? std::span<const Launcher>() : launchers()) {
        for (const LauncherFind& find : launcher.find(environment).games) {
            if (find.prefix && realPath(find.gameFolder) == folder)
                return installationIn(folder, find.prefix, source, find.appId, environment);
        }
    }
    return installationIn(folder, std::nullopt, source, {}, environment);
}

std::vector<fs::path> knownPrefixes(const Environment& environment) {
    std::vector<fs::path> prefixes;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& prefix) {
        if (isPrefix(prefix) && seen.insert(realPath(prefix)).second)
            prefixes.push_back(realPath(prefix));
    };
    for (const Launcher& launcher : launchers()) {
        const LauncherReport report = launcher.find(environment);
        for (const fs::path& prefix : report.prefixes)
            add(prefix);
        for (const LauncherFind& find : report.games) {
            if (find.prefix)
                add(*find.prefix);
        }
    }
    return prefixes;
}

std::vector<fs::path> likelyGameFolders(const Environment& environment) {
    std::vector<fs::path> folders;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& folder) {
        if (isDirectory(folder) && seen.insert(realPath(folder)).second)
            folders.push_back(realPath(folder));
    };
    for (const Launcher& launcher :
         environment.home.empty() ? std::span<const Launcher>() : launchers()) {
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
