#pragma once

// Valve's binary key-values (Steam's shortcuts.vdf). Each node is a type byte, a NUL-terminated
// key and a value: 0x00 a map of further nodes up to a 0x08 byte, 0x01 a NUL-terminated UTF-8
// text, 0x02 a 32-bit and 0x07/0x0A a 64-bit little-endian integer, 0x03 a 32-bit float. The file
// is the nodes of an outer map closed by 0x08.
//
// The reader is strict: another type byte, a text without its NUL, a map left open, a map nested
// deeper than kMaxBinaryKeyValueDepth, more than kMaxBinaryKeyValueNodes nodes or a byte after
// the outer map's end gives nothing, so a damaged file is skipped instead of half read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

struct BinaryKeyValue {
    enum class Type : std::uint8_t {
        Map = 0x00,
        String = 0x01,
        Int32 = 0x02,
        Float = 0x03,
        UInt64 = 0x07,
        Int64 = 0x0A,
    };
    std::string key;
    Type type = Type::Map;
    std::string text;       // Type::String
    std::uint64_t bits = 0; // the integer's or float's bytes, little-endian, zero-extended
    std::vector<BinaryKeyValue> children; // Type::Map, in file order

    // The first child whose key equals childKey without regard to ASCII letter case (Steam has
    // written both "AppName" and "appname").
    const BinaryKeyValue* find(std::string_view childKey) const;
};

inline constexpr std::size_t kMaxBinaryKeyValueDepth = 32;
inline constexpr std::size_t kMaxBinaryKeyValueNodes = 1u << 20;

// The outer map, holding the file's top-level nodes; nothing when the bytes are malformed.
std::optional<BinaryKeyValue> parseBinaryKeyValues(std::string_view data);

} // namespace dk3::discovery
