// Heroic, native and Flatpak. Its JSON files list the installed games of each store (GOG, Epic,
// Amazon, and games added by hand); each game's Wine settings (GamesConfig/<app name>.json) name
// its prefix, else Heroic's default settings (config.json) do, else Heroic's default places
// under ~/Games/Heroic/Prefixes. A Proton prefix is the pfx folder below the named one (with umu
// the named folder itself). Prefixes under ~/Games/Heroic/Prefixes are also asked for the game's
// key in their registry, for games the lists do not name.

#include "discovery/Folders.h"
#include "discovery/HeroicRecords.h"
#include "discovery/Launcher.h"
#include "discovery/WinePrefix.h"

#include <set>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// A path as Heroic writes it: "~" or "~/..." below home; nothing when it is not absolute then.
std::optional<fs::path> heroicPath(const std::string& text, const fs::path& home) {
    fs::path path;
    if (text == "~")
        path = home;
    else if (text.starts_with("~/"))
        path = home / text.substr(2);
    else
        path = text;
    if (text.empty() || !path.is_absolute() || text.find('\0') != std::string::npos)
        return std::nullopt;
    return path.lexically_normal();
}

// A game's app name names its settings file: one plain name, nothing that leaves the folder.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

// The prefix in a folder Heroic names as a game's prefix, Proton's pfx first for Proton.
std::optional<fs::path> prefixIn(const fs::path& folder, const std::string& wineType) {
    const bool proton = wineType == "proton";
    for (const fs::path& candidate : proton ? std::vector<fs::path>{folder / "pfx", folder}
                                            : std::vector<fs::path>{folder, folder / "pfx"}) {
        if (isPrefix(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::vector<HeroicGame>>
readGames(const fs::path& file, std::optional<std::vector<HeroicGame>> (*parse)(std::string_view)) {
    const auto text = readSmallFile(file, kMaxHeroicFileBytes);
    return text ? parse(*text) : std::nullopt;
}

class HeroicReader {
public:
    HeroicReader(const Environment& environment, LauncherReport& report)
        : environment_(environment), report_(report) {}

    void read(const fs::path& config) {
        const auto defaultsText = readSmallFile(config / "config.json", kMaxHeroicFileBytes);
        defaults_ = defaultsText ? parseHeroicDefaults(*defaultsText) : std::nullopt;
        const std::pair<const char*, std::optional<std::vector<HeroicGame>> (*)(std::string_view)>
            stores[] = {
                {"gog_store/installed.json", &parseHeroicGogInstalled},
                {"legendaryConfig/legendary/installed.json", &parseHeroicEpicInstalled},
                {"store_cache/nile_library.json", &parseHeroicAmazonLibrary},
                {"sideload_apps/library.json", &parseHeroicSideloadLibrary},
            };
        for (const auto& [file, parse] : stores) {
            const auto games = readGames(config / file, parse);
            for (const HeroicGame& game : games.value_or(std::vector<HeroicGame>{}))
                add(config, game);
        }
    }

private:
    void add(const fs::path& config, const HeroicGame& game) {
        std::optional<fs::path> folder;
        if (const auto exe = heroicPath(game.executable, environment_.home))
            folder = exe->parent_path();
        else
            folder = heroicPath(game.installPath, environment_.home);
        // A game's settings are read only for the game itself: Heroic's lists name every
        // installed game of an account.
        if (!folder || !looksLikeGame(*folder))
            return;
        std::optional<fs::path> prefix = prefixOf(config, game, *folder);
        if (prefix && prefixes_.insert(realPath(*prefix)).second)
            report_.prefixes.push_back(*prefix);
        report_.games.push_back({*folder, std::move(prefix), Source::Heroic, game.appName});
    }

    std::optional<fs::path> prefixOf(const fs::path& config, const HeroicGame& game,
                                     const fs::path& folder) const {
        std::optional<HeroicWineSettings> settings;
        if (isPlainName(game.appName)) {
            const auto text = readSmallFile(config / "GamesConfig" / (game.appName + ".json"),
                                            kMaxHeroicFileBytes);
            settings = text ? parseHeroicGameConfig(*text, game.appName) : std::nullopt;
        }
        std::string wineType = settings ? settings->wineType : std::string();
        if (wineType.empty() && defaults_)
            wineType = defaults_->wineType;
        // The game's own setting counts when there is one: Heroic uses no other prefix then.
        if (settings && !settings->winePrefix.empty()) {
            const auto named = heroicPath(settings->winePrefix, environment_.home);
            return named ? prefixIn(*named, wineType) : std::nullopt;
        }
        const std::string title = !game.title.empty() ? game.title : folder.filename().string();
        std::vector<fs::path> candidates;
        if (defaults_) {
            if (const auto named = heroicPath(defaults_->winePrefix, environment_.home))
                candidates.push_back(*named);
        }
        const fs::path prefixes = environment_.home / "Games/Heroic/Prefixes";
        if (isPlainName(title)) {
            candidates.push_back(prefixes / "default" / title);
            candidates.push_back(prefixes / title);
        }
        for (const fs::path& candidate : candidates) {
            if (auto prefix = prefixIn(candidate, wineType))
                return prefix;
        }
        return std::nullopt;
    }

    const Environment& environment_;
    LauncherReport& report_;
    std::optional<HeroicWineSettings> defaults_;
    std::set<fs::path> prefixes_;
};

} // namespace

LauncherReport findHeroicGames(const Environment& environment) {
    LauncherReport report;
    HeroicReader reader(environment, report);
    for (const fs::path& config :
         {environment.configHome / "heroic",
          environment.home / ".var/app/com.heroicgameslauncher.hgl/config/heroic"})
        reader.read(config);

    // Heroic installs games under ~/Games/Heroic by default: the file chooser may open there.
    if (isDirectory(environment.home / "Games/Heroic"))
        report.gameFolders.push_back(environment.home / "Games/Heroic");

    const auto take = [&](const fs::path& folder) {
        for (const fs::path& prefix : {folder, folder / "pfx"}) {
            if (!isPrefix(prefix))
                continue;
            report.prefixes.push_back(prefix);
            for (fs::path& game : registeredGameFolders(prefix))
                report.games.push_back({std::move(game), prefix, Source::Heroic, {}});
            return true;
        }
        return false;
    };
    for (const fs::path& folder : entriesOf(environment.home / "Games/Heroic/Prefixes")) {
        if (take(folder) || !isDirectory(folder))
            continue;
        for (const fs::path& inner : entriesOf(folder))
            take(inner);
    }
    return report;
}

} // namespace dk3::discovery
