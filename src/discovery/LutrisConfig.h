#pragma once

// What Lutris keeps about a game, as plain values.
//
// The database pga.db (SQLite) has one row per game in its table "games": the name, slug and
// runner, the executable, the game's folder ("directory"), whether it is installed, and
// "configpath", the name of the game's YAML file in <configuration folder>/games/.
//
// That YAML file's "game" section names the executable and, for a Wine game, the prefix:
//   game:
//     exe: drive_c/Program Files/Draskel 3/Draskel3.exe    (absolute, or relative; see below)
//     prefix: /home/me/Games/draskel-3
//     working_dir: /home/me/Games/draskel-3/drive_c/Program Files/Draskel 3   (optional)
//
// The readers of both files live in the records module (see RecordsModule.h), which the program
// loads only when it reads such a file; the rest of this header is plain path arithmetic.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// Lutris's game files are a few hundred bytes; anything this large is not one of them.
inline constexpr std::size_t kMaxLutrisFileBytes = 256u * 1024u;
// A pga.db of a few thousand games is a few megabytes.
inline constexpr std::size_t kMaxLutrisDatabaseBytes = 64u * 1024u * 1024u;
// More rows than any library holds: the reader stops there.
inline constexpr std::size_t kMaxLutrisDatabaseGames = 100000;
// A text longer than this in the database is no name or path of Lutris's; it is read as empty.
inline constexpr std::size_t kMaxLutrisFieldBytes = 4096;

struct LutrisGameConfig {
    std::string exe;        // as written, may be empty
    std::string prefix;     // as written, may be empty
    std::string workingDir; // as written, may be empty

    friend bool operator==(const LutrisGameConfig&, const LutrisGameConfig&) = default;
};

// An installed game of pga.db. A field that is missing, not text or too long is empty.
struct LutrisGameRecord {
    std::string name;
    std::string slug;
    std::string runner;
    std::string executable;
    std::string directory;
    std::string configpath;

    friend bool operator==(const LutrisGameRecord&, const LutrisGameRecord&) = default;
};

// The game section of a Lutris game file; nothing when the text is not YAML, is too large or
// nested too deeply to be one of Lutris's files, or has no game section. (Records module.)
std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml);

// The installed games (installed = 1) of a pga.db given as the whole file's bytes, in the
// order of their rows; nothing when the bytes are no SQLite database, are larger than
// kMaxLutrisDatabaseBytes, are damaged, or hold no table "games" with the columns "installed"
// and "directory" or "configpath". The bytes are read in memory: nothing is written anywhere.
// (Records module.)
std::optional<std::vector<LutrisGameRecord>> parseLutrisDatabase(std::string_view bytes);

// Where the executable of config may be, most likely first. An absolute exe is taken as it is.
// Lutris joins a relative one to the game's folder (gameDirectory, from pga.db); without it,
// the file's working_dir and the prefix (Lutris's Wine installers put the game's folder and its
// prefix in one place) stand in for it, then the prefix's drive_c. A leading "~" means home.
std::vector<std::filesystem::path> lutrisExeCandidates(const LutrisGameConfig& config,
                                                       const std::filesystem::path& home,
                                                       const std::string& gameDirectory = {});

// A path as Lutris writes it: "~" or "~/..." below home; nothing when it is not absolute then.
std::optional<std::filesystem::path> lutrisPath(const std::string& text,
                                                const std::filesystem::path& home);

} // namespace dk3::discovery
