#pragma once

// What Heroic keeps about installed games, as plain values. Heroic writes JSON files in its
// configuration folder (~/.config/heroic, or the Flatpak's):
//   gog_store/installed.json                  {"installed": [{"appName", "install_path",
//                                               "platform", ...}]}
//   legendaryConfig/legendary/installed.json  {"<app name>": {"app_name", "install_path",
//                                               "title", "platform", ...}}           (Epic)
//   store_cache/nile_library.json             {"library": [{"app_name", "title",
//                                               "install": {"install_path"}, ...}]}  (Amazon)
//   sideload_apps/library.json                {"games": [{"app_name", "title", "folder_name",
//                                               "install": {"executable"}, ...}]}
//   GamesConfig/<app name>.json               {"<app name>": {"winePrefix",
//                                               "wineVersion": {"type"}, ...}}
//   config.json                               {"defaultSettings": {"winePrefix", ...}}
// Every reader takes the file's text and nothing else; a value of the wrong type is skipped, a
// text that is no JSON, nests too deeply or is larger than kMaxHeroicFileBytes gives nothing.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// Heroic's library caches hold every game of an account with its descriptions; a few megabytes.
inline constexpr std::size_t kMaxHeroicFileBytes = 16u * 1024u * 1024u;
// More games than any account owns: the rest are not read.
inline constexpr std::size_t kMaxHeroicGames = 100000;

enum class HeroicStore { Gog, Epic, Amazon, Sideload };

struct HeroicGame {
    HeroicStore store = HeroicStore::Gog;
    std::string appName;     // the key of the game's GamesConfig file
    std::string title;       // may be empty (GOG's installed.json has none)
    std::string installPath; // the game folder as written (for sideloaded games: folder_name)
    std::string executable;  // sideloaded games only: the executable's path as written

    friend bool operator==(const HeroicGame&, const HeroicGame&) = default;
};

// The Wine settings of one game, or Heroic's defaults.
struct HeroicWineSettings {
    std::string winePrefix; // as written ("~" not expanded); empty when not set
    std::string wineType;   // wineVersion.type: "wine", "proton", "toolkit", ...; may be empty

    friend bool operator==(const HeroicWineSettings&, const HeroicWineSettings&) = default;
};

// Installed Windows games of each store's file; nothing when the file cannot be read as one.
// Entries without an app name or an install path, and games for another platform, are left out.
std::optional<std::vector<HeroicGame>> parseHeroicGogInstalled(std::string_view json);
std::optional<std::vector<HeroicGame>> parseHeroicEpicInstalled(std::string_view json);
std::optional<std::vector<HeroicGame>> parseHeroicAmazonLibrary(std::string_view json);
std::optional<std::vector<HeroicGame>> parseHeroicSideloadLibrary(std::string_view json);

// GamesConfig/<appName>.json: the settings under the key appName; nothing without them.
std::optional<HeroicWineSettings> parseHeroicGameConfig(std::string_view json,
                                                        std::string_view appName);
// config.json: defaultSettings; nothing without them.
std::optional<HeroicWineSettings> parseHeroicDefaults(std::string_view json);

} // namespace dk3::discovery
