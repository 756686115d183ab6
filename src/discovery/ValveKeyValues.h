#pragma once

// Steam's text key-value files (libraryfolders.vdf, appmanifest_*.acf): quoted keys, each followed
// by a quoted value or by a { } block of further pairs, // comments, and the escapes \\ \" \n \t
// (a backslash before any other character is kept as it stands). The reader is strict otherwise:
// a NUL byte, a missing quote, a block left open or nested too deep gives nothing, so a
// damaged or binary file is skipped instead of half read.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

struct KeyValueNode {
    std::string key;
    std::string value;                  // empty for a block
    std::vector<KeyValueNode> children; // the pairs of a block, in file order
    bool isBlock = false;

    // The first child whose key equals key without regard to ASCII letter case (Steam has
    // written "LibraryFolders" as well as "libraryfolders").
    const KeyValueNode* find(std::string_view childKey) const;
    // The value of that child when it is a plain value, not a block.
    std::optional<std::string_view> text(std::string_view childKey) const;
};

// Blocks deeper than this are refused: Steam's own files nest four levels at most.
inline constexpr std::size_t kMaxKeyValueDepth = 32;

// The whole text as one block holding its top-level pairs; nothing when the text is malformed.
std::optional<KeyValueNode> parseKeyValues(std::string_view text);

// ASCII-only letter case comparison, as Windows and Steam compare names.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace dk3::discovery
