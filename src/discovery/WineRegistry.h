#pragma once

// Wine's registry files (system.reg, user.reg in a prefix). After the header line
// "WINE REGISTRY Version 2" come keys as "[Software\\Wine\\...] <time>" and their values:
//   "Name"="text"   @="default value"   "Name"=str(2):"%VAR%\\text"   "Name"=dword:0000002a
//   "Name"=hex:01,02,\        (a backslash at the end of a line continues the bytes)
//     03,04
// Names and texts are escaped: \\ \" the C escapes \n \r \t \a \b \e \f \v, octal \0 to \377 and
// \x with up to four hex digits, each escape one UTF-16 code unit. Texts are handed out as UTF-8.
//
// The reader is strict: a line of any other form, a missing quote or a value outside a key gives
// nothing, so a damaged file is skipped instead of half read.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

struct RegistryValue {
    enum class Kind { String, Dword, Binary };
    Kind kind = Kind::String;
    // The registry type: 1 text, 2 expandable text (str(2):), 7 list of texts, 4 number; for
    // bytes the N of hex(N): (3 for plain hex:).
    std::uint32_t type = 1;
    std::string text; // Kind::String, as UTF-8 (a list keeps its NUL separators)
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
};

class WineRegistry {
public:
    // Reads the whole text. With onlyKeys (key paths, any letter case), only those keys are kept
    // and the values of other keys are passed over without a closer look, which is much faster
    // on the large system.reg of a prefix with many programs. A key path ending in "\\*" stands
    // for every key one level below it ("Software\\GOG.com\\Games\\*").
    static std::optional<WineRegistry> parse(std::string_view text,
                                             const std::vector<std::string>& onlyKeys = {});

    // keyPath with single backslashes ("Software\\Wine"), valueName "" for the default value;
    // both without regard to ASCII letter case.
    const RegistryValue* find(std::string_view keyPath, std::string_view valueName) const;
    // A text value (also one stored as hex(1): or hex(2): UTF-16 bytes); nothing for other types.
    std::optional<std::string> text(std::string_view keyPath, std::string_view valueName) const;

    std::size_t keyCount() const { return keys_.size(); }

    // The keys one level below keyPath that were kept, as lower-case paths, in sorted order.
    std::vector<std::string> subkeys(std::string_view keyPath) const;

private:
    std::map<std::string, std::map<std::string, RegistryValue>> keys_; // lower-case names
};

// UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

} // namespace dk3::discovery
