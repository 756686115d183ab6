#pragma once

// What one launcher knows of the game, and the list of launchers that discovery asks in turn.
//
// Each launcher (Steam, Steam's non-Steam shortcuts, plain Wine, Lutris, Bottles, Heroic) has a
// file of its own with one entry function that reads that launcher's records and reports what it
// found. Discovery.cpp runs them in the order of launchers(), keeps the finds that hold the game,
// works out each one's documents folder and drops the finds seen twice. A new launcher is one new
// file and one line in launchers().
//
// An entry function reads only its launcher's own files, skips what is damaged, too large or
// unreadable, and writes nothing.

#include "discovery/Installation.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// One installation of the game as a launcher's records name it.
struct LauncherFind {
    std::filesystem::path gameFolder; // need not hold the game: discovery checks that
    // The Wine prefix the launcher runs the game in; it may not exist yet (Proton makes it at the
    // game's first start). Nothing when the launcher runs the game in no prefix, or when its
    // records do not say (discovery then looks for a prefix around the game folder).
    std::optional<std::filesystem::path> prefix;
    Source source = Source::ChosenByHand;
    std::string appId; // the launcher's name for the game: Steam app id, shortcut id, ...
};

// Everything one launcher reported.
struct LauncherReport {
    std::vector<LauncherFind> games;
    // Wine prefixes the launcher manages, whether or not they hold the game: a folder chosen by
    // hand is told apart from them, and the file chooser opens in one.
    std::vector<std::filesystem::path> prefixes;
    // Folders where the launcher puts its games (Steam's steamapps/common), for the file chooser.
    std::vector<std::filesystem::path> gameFolders;
};

using LauncherFunction = LauncherReport (*)(const Environment& environment);

struct Launcher {
    std::string_view name;
    LauncherFunction find;
};

// The launchers, in the order their finds are listed: the first find of an installation wins.
std::span<const Launcher> launchers();

// The entry functions, one per file.
LauncherReport findSteamGames(const Environment& environment);     // SteamLauncher.cpp
LauncherReport findSteamShortcuts(const Environment& environment); // SteamShortcuts.cpp
LauncherReport findWineGames(const Environment& environment);      // WineLauncher.cpp
LauncherReport findLutrisGames(const Environment& environment);    // LutrisLauncher.cpp
LauncherReport findBottlesGames(const Environment& environment);   // BottlesLauncher.cpp
LauncherReport findHeroicGames(const Environment& environment);    // HeroicLauncher.cpp

} // namespace dk3::discovery
