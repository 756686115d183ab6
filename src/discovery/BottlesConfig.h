#pragma once

// Each Bottles bottle is a Wine prefix with a bottle.yml beside its drive_c. Programs the player
// added by hand are listed there by an id of their own:
//   Name: Games
//   External_Programs:
//     5c0a...:
//       executable: Draskel3.exe
//       name: Draskel 3
//       path: /home/me/Games/Draskel 3/Draskel3.exe     (usually outside the bottle)
//       folder: /home/me/Games/Draskel 3
// The reader lives in the records module (see RecordsModule.h).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// A bottle.yml with its programs, dependencies and installed components is some kilobytes.
inline constexpr std::size_t kMaxBottleFileBytes = 1024u * 1024u;
// More programs than anyone adds by hand: the rest are not read.
inline constexpr std::size_t kMaxBottlePrograms = 1000;

struct BottleProgram {
    std::string name;   // as written, may be empty
    std::string path;   // the executable's full path as written, may be empty
    std::string folder; // as written, may be empty

    friend bool operator==(const BottleProgram&, const BottleProgram&) = default;
};

struct BottleConfig {
    std::string name;
    std::vector<BottleProgram> externalPrograms; // in the file's order

    friend bool operator==(const BottleConfig&, const BottleConfig&) = default;
};

// A bottle.yml's name and external programs; nothing when the text is not YAML, is larger than
// kMaxBottleFileBytes, nests too deeply, or is no map. A program entry that is no map, or a
// field that is no single text, is left out. (Records module.)
std::optional<BottleConfig> parseBottleConfig(std::string_view yaml);

} // namespace dk3::discovery
