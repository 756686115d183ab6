#pragma once

// Where the game is installed on a Linux machine. The game is a Windows program: players run it
// under Proton (from a Steam library) or Wine (a prefix of their own, or one made by Lutris,
// Bottles or Heroic). What the program needs to know of an installation is the game folder, the
// Wine prefix the game runs in, and the folder the game takes for "My Documents", because its
// per-user options live there and nowhere else.
//
// Nothing here uses widgets; every function reads only the files it names and copes with damaged
// or unreadable ones by skipping them.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// Where an installation was found.
enum class Source {
    Steam,         // a Steam library; the prefix is Proton's compatdata/<appid>/pfx
    SteamShortcut, // a game added to Steam by hand, run with Proton: compatdata/<shortcut id>/pfx
    Wine,          // $WINEPREFIX or ~/.wine, found through the game's or GOG's key in system.reg
    Lutris,        // a Lutris game
    Bottles,       // a Bottles bottle
    Heroic,        // a Heroic game
    ChosenByHand,  // the player picked the game's executable, or named the folder on the command
                   // line, or it was stored by an earlier start
};

// The source as a short, untranslated word for logs, tests and the program's store ("steam",
// "wine", ...), and back; nothing for a word that names no source.
std::string_view sourceName(Source source);
std::optional<Source> sourceFromName(std::string_view name);

struct Installation {
    std::filesystem::path gameFolder;            // holds Draskel3.exe and Ini/dk3e.ini
    std::optional<std::filesystem::path> prefix; // the Wine prefix (holds system.reg, drive_c)
    std::filesystem::path documentsFolder;       // the game's "My Documents"
    Source source = Source::ChosenByHand;
    std::string appId; // Steam's app id or shortcut id when found through Steam, else empty
    // The prefix is where Proton will make it at the game's first start: it does not exist yet,
    // and nothing may be created in it before Proton has made it.
    bool prefixNotMadeYet = false;

    friend bool operator==(const Installation&, const Installation&) = default;
};

// The process's surroundings that discovery depends on. Tests build one around a fake home.
struct Environment {
    std::filesystem::path home;            // $HOME
    std::filesystem::path dataHome;        // $XDG_DATA_HOME, else home/.local/share
    std::filesystem::path configHome;      // $XDG_CONFIG_HOME, else home/.config
    std::filesystem::path documentsFolder; // the XDG documents folder (used without a prefix)
    std::optional<std::filesystem::path> winePrefix; // $WINEPREFIX when set and absolute

    // The real process environment (relative XDG values are ignored, as the XDG rules say).
    static Environment fromProcess();
};

// True when folder holds the game: an executable named Draskel3.exe in any letter case, and
// Ini/dk3e.ini (any letter case) as a regular file that can be read.
bool looksLikeGame(const std::filesystem::path& folder);

// Every installation found in the places players have them, in this order, each game folder
// once (by real path; the first find wins):
//   1. Steam libraries of the native and Flatpak Steam roots;
//   2. $WINEPREFIX, then ~/.wine;
//   3. Lutris game configurations;
//   4. Bottles bottles (native and Flatpak);
//   5. Heroic prefixes.
// Only the places named above are read; there is no recursive scan of the home folder.
std::vector<Installation> discoverInstallations(const Environment& environment);

// The installation around a game folder the player chose: its prefix is the enclosing Wine
// prefix (the nearest parent holding system.reg and drive_c); or, for a folder in a Steam
// library's steamapps/common, Proton's prefix of the app whose manifest names that folder; or
// the prefix of the first launcher record that names the folder (a non-Steam shortcut, Lutris,
// Bottles, Heroic). Its documents folder follows from the prefix (see prefixDocumentsFolder), or
// is environment.documentsFolder when there is no prefix. A prefix without any documents folder
// yet gives the one the game would use there (drive_c/users/<steamuser for Proton, else the
// user's name>/Documents), never the XDG folder.
Installation installationAt(const std::filesystem::path& gameFolder, const Environment& environment,
                            Source source = Source::ChosenByHand);

// The installation of a game folder whose prefix is known (stored by an earlier start): the
// documents folder worked out again from the prefix, or the XDG folder without one.
Installation installationIn(const std::filesystem::path& gameFolder,
                            const std::optional<std::filesystem::path>& prefix, Source source,
                            std::string appId, const Environment& environment);

// Every Wine prefix the launchers know of and that exists, whether or not it holds the game.
std::vector<std::filesystem::path> knownPrefixes(const Environment& environment);

// The game's "My Documents" inside a prefix, as Wine gives it to the game: the Personal value of
// User Shell Folders in the prefix's user.reg, expanded, mapped through dosdevices, even when that
// folder does not exist (Wine hands out the path and makes the folder only when asked); else the
// Personal value of Shell Folders when that folder exists; else drive_c/users/<user>/Documents or
// "My Documents" when it exists (Proton's user is steamuser). A symbolic link (to the XDG
// documents folder, as Wine makes them) is followed. A folder that is not plausible (see
// documentsRefusal in WinePrefix.h: a system folder such as /etc or /tmp) is passed over with a
// line on standard error. Nothing when no folder remains. home is the player's home folder.
std::optional<std::filesystem::path> prefixDocumentsFolder(const std::filesystem::path& prefix,
                                                           const std::filesystem::path& home = {});

// A Windows path ("C:\\Program Files\\...") as a Linux path inside prefix, through the prefix's
// dosdevices/<letter>: links, each component matched without regard to letter case as Wine does.
// Nothing when the drive letter has no link, and nothing for a path no real one could be (longer
// than Windows' 32,767 characters, more than kMaxWindowsPathComponents components or a component
// longer than 255 bytes): such a value of a registry file is damaged, and it is refused before
// any work is spent on it.
inline constexpr std::size_t kMaxWindowsPathChars = 32767;
inline constexpr std::size_t kMaxWindowsPathComponents = 1024;
std::optional<std::filesystem::path> windowsToLinuxPath(const std::filesystem::path& prefix,
                                                        std::string_view windowsPath);

// Folders where the player most likely keeps the game, best first, for the file chooser to
// start in: a Steam library's steamapps/common, a prefix's drive_c, else the home folder.
std::vector<std::filesystem::path> likelyGameFolders(const Environment& environment);

} // namespace dk3::discovery
