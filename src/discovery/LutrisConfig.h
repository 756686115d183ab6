#pragma once

// Lutris keeps one YAML file per installed game (in ~/.config/lutris/games or
// ~/.local/share/lutris/games). For a Wine game its "game" section names the executable and the
// prefix:
//   game:
//     exe: drive_c/Program Files/Draskel 3/Draskel3.exe    (absolute, or relative; see below)
//     prefix: /home/me/Games/draskel-3
//     working_dir: /home/me/Games/draskel-3/drive_c/Program Files/Draskel 3   (optional)

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// Lutris's files are a few hundred bytes; anything this large is not one of them.
inline constexpr std::size_t kMaxLutrisFileBytes = 256u * 1024u;

struct LutrisGameConfig {
    std::string exe;        // as written, may be empty
    std::string prefix;     // as written, may be empty
    std::string workingDir; // as written, may be empty
};

// The game section of a Lutris game file; nothing when the text is not YAML, is too large or
// nested too deeply to be one of Lutris's files, or has no game section.
std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml);

// Where the executable of config may be, most likely first. An absolute exe is taken as it is.
// Lutris joins a relative one to the game's folder, which it keeps in its database and not in the
// file; the file's working_dir and the prefix (Lutris's Wine installers put the game's folder and
// its prefix in one place) stand in for it, then the prefix's drive_c. A leading "~" means home.
std::vector<std::filesystem::path> lutrisExeCandidates(const LutrisGameConfig& config,
                                                       const std::filesystem::path& home);

// A path as Lutris writes it: "~" or "~/..." below home; nothing when it is not absolute then.
std::optional<std::filesystem::path> lutrisPath(const std::string& text,
                                                const std::filesystem::path& home);

} // namespace dk3::discovery
