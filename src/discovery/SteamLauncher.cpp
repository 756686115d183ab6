// Steam's own games: every library's app manifests; the prefix is Proton's compatdata/<app>/pfx.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/SteamLibraries.h"
#include "discovery/ValveKeyValues.h"
#include "discovery/WinePrefix.h"
#include "platform/CaseInsensitivePath.h"

#include <map>
#include <set>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// Steam's manifests and library lists are a few kilobytes.
constexpr std::size_t kMaxSteamFileBytes = 4u * 1024u * 1024u;

std::optional<SteamApp> readManifest(const fs::path& manifest, const fs::path& common,
                                     const std::map<std::string, std::string>& commonNames) {
    const auto text = readSmallFile(manifest, kMaxSteamFileBytes);
    if (!text)
        return std::nullopt;
    const auto root = parseKeyValues(*text);
    if (!root)
        return std::nullopt;
    const KeyValueNode* state = root->find("AppState");
    if (!state || !state->isBlock)
        return std::nullopt;
    SteamApp app;
    if (const auto id = state->text("appid"))
        app.appId = std::string(*id);
    else // older manifests leave it to the file name: appmanifest_<id>.acf
        app.appId = manifest.stem().string().substr(std::string_view("appmanifest_").size());
    const auto installDir = state->text("installdir");
    // The folder is one name below common; anything that would climb out of it is refused.
    if (!isAllDigits(app.appId) || !installDir || installDir->empty() || *installDir == "." ||
        *installDir == ".." || installDir->find('/') != std::string_view::npos ||
        installDir->find('\\') != std::string_view::npos)
        return std::nullopt;
    const auto onDisk = commonNames.find(lowerAscii(std::string(*installDir)));
    app.installFolder = common / (onDisk != commonNames.end() ? onDisk->second : *installDir);
    return app;
}

} // namespace

std::vector<fs::path> steamRoots(const Environment& environment) {
    const fs::path& home = environment.home;
    const fs::path flatpak = home / ".var/app/com.valvesoftware.Steam";
    const std::vector<fs::path> candidates = {
        home / ".steam/steam",
        home / ".steam/root",
        environment.dataHome / "Steam",
        home / ".local/share/Steam",
        home / ".steam/debian-installation", // Debian's and Ubuntu's packaged Steam
        flatpak / ".local/share/Steam",
        flatpak / "data/Steam",
        flatpak / ".steam/steam",
        home / "snap/steam/common/.local/share/Steam",
        home / ".snap/data/steam/common/.local/share/Steam",
    };
    std::vector<fs::path> roots;
    std::set<fs::path> seen;
    for (const fs::path& candidate : candidates) {
        if (!isDirectory(candidate))
            continue;
        if (seen.insert(realPath(candidate)).second)
            roots.push_back(realPath(candidate));
    }
    return roots;
}

fs::path steamappsOf(const fs::path& library) {
    return platform::resolveCaseInsensitive(library, "steamapps");
}

std::vector<fs::path> steamLibraries(const Environment& environment) {
    std::vector<fs::path> libraries;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& library) {
        if (!library.is_absolute() || !isDirectory(library))
            return;
        const fs::path real = realPath(library);
        if (seen.insert(real).second)
            libraries.push_back(real);
    };
    const fs::path flatpak = realPath(environment.home / ".var/app/com.valvesoftware.Steam");
    for (const fs::path& root : steamRoots(environment)) {
        add(root);
        // The Flatpak Steam lists its own root by the path it has inside its sandbox.
        const bool sandboxed = isWithin(root, flatpak);
        const auto libraryPath = [&](const std::string& listed) {
            const fs::path path(listed);
            if (sandboxed && (path == environment.home / ".local/share/Steam" ||
                              path == environment.home / ".steam/steam" ||
                              path == environment.home / ".steam/root"))
                return root;
            return path;
        };
        const fs::path list =
            platform::resolveCaseInsensitive(root, "steamapps/libraryfolders.vdf");
        const auto text = readSmallFile(list, kMaxSteamFileBytes);
        const auto parsed = text ? parseKeyValues(*text) : std::nullopt;
        const KeyValueNode* folders = parsed ? parsed->find("libraryfolders") : nullptr;
        if (!folders || !folders->isBlock)
            continue;
        for (const KeyValueNode& entry : folders->children) {
            if (!isAllDigits(entry.key))
                continue; // "TimeNextStatsReport", "ContentStatsID" of the older layout
            if (!entry.isBlock)
                add(libraryPath(entry.value)); // older layout: "1" "/path"
            else if (const auto path = entry.text("path"))
                add(libraryPath(std::string(*path)));
        }
    }
    return libraries;
}

std::vector<SteamApp> libraryApps(const fs::path& library) {
    std::vector<SteamApp> apps;
    const fs::path steamapps = steamappsOf(library);
    const fs::path common = platform::resolveCaseInsensitive(steamapps, "common");
    // One listing of common serves every manifest: Steam's installdir may differ in letter case
    // from the folder on disk.
    std::map<std::string, std::string> commonNames;
    for (const fs::path& entry : entriesOf(common)) {
        const std::string name = entry.filename().string();
        commonNames.emplace(lowerAscii(name), name);
    }
    for (const fs::path& entry : entriesOf(steamapps)) {
        const std::string name = entry.filename().string();
        if (!name.starts_with("appmanifest_") || !name.ends_with(".acf"))
            continue;
        if (auto app = readManifest(entry, common, commonNames))
            apps.push_back(std::move(*app));
    }
    return apps;
}

fs::path protonPrefix(const std::vector<fs::path>& libraries, const fs::path& preferred,
                      const std::string& appId) {
    // Proton writes pfx.lock at every start of the game; where several libraries hold a prefix
    // of the app (a game moved between libraries), the one used last is the one in use. The
    // game's own library is looked at first, so it wins a tie.
    std::vector<fs::path> order = {preferred};
    for (const fs::path& library : libraries) {
        if (library != preferred)
            order.push_back(library);
    }
    std::optional<fs::path> newest;
    std::optional<fs::path> withoutLock;
    fs::file_time_type newestTime;
    for (const fs::path& library : order) {
        const fs::path compat = steamappsOf(library) / "compatdata" / appId;
        if (!isDirectory(compat / "pfx"))
            continue;
        std::error_code ec;
        const auto time = fs::last_write_time(compat / "pfx.lock", ec);
        if (!ec) {
            if (!newest || time > newestTime) {
                newest = compat / "pfx";
                newestTime = time;
            }
        } else if (!withoutLock && isPrefix(compat / "pfx")) {
            withoutLock = compat / "pfx";
        }
    }
    if (newest)
        return *newest;
    if (withoutLock)
        return *withoutLock;
    // Not made yet. Steam on the Deck keeps the prefixes of games on a card in the internal
    // library (the first root's); elsewhere Proton makes it in the game's own library.
    const bool onCard = isWithin(preferred, "/run/media") || isWithin(preferred, "/media");
    const fs::path& library = onCard && !libraries.empty() ? libraries.front() : preferred;
    return steamappsOf(library) / "compatdata" / appId / "pfx";
}

LauncherReport findSteamGames(const Environment& environment) {
    LauncherReport report;
    const std::vector<fs::path> libraries = steamLibraries(environment);
    for (const fs::path& library : libraries) {
        report.gameFolders.push_back(
            platform::resolveCaseInsensitive(steamappsOf(library), "common"));
        for (SteamApp& app : libraryApps(library)) {
            if (!looksLikeGame(app.installFolder))
                continue; // spares looking for the prefixes of every other app
            fs::path prefix = protonPrefix(libraries, library, app.appId);
            report.games.push_back(
                {std::move(app.installFolder), std::move(prefix), Source::Steam, app.appId});
        }
    }
    return report;
}

} // namespace dk3::discovery
