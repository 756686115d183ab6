#include "discovery/WineRegistry.h"

#include <algorithm>

namespace dk3::discovery {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

// Far above any value Wine or a program writes (Windows itself advises keeping values below
// 2 KB); a longer one is passed over as damaged, without decoding it.
constexpr std::size_t kMaxValueBytes = 1u << 20;

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One line of the file at a time, without its line break (a "\r" before it is dropped as well).
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size())
            return false;
        const std::size_t end = text_.find('\n', pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(pos_, stop - pos_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        return true;
    }

    // Moves to the next line that starts, after blanks, with "[": the next key. Used to pass
    // over the values of keys nobody asked for without looking at each line.
    void skipToKeyLine() {
        std::size_t search = pos_;
        for (;;) {
            const std::size_t bracket = text_.find('[', search);
            if (bracket == std::string_view::npos) {
                pos_ = text_.size();
                return;
            }
            const std::size_t newline = text_.rfind('\n', bracket);
            const std::size_t start =
                newline == std::string_view::npos || newline < pos_ ? pos_ : newline + 1;
            if (std::all_of(text_.begin() + static_cast<std::ptrdiff_t>(start),
                            text_.begin() + static_cast<std::ptrdiff_t>(bracket), isBlank)) {
                pos_ = start;
                return;
            }
            search = bracket + 1;
        }
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads an escaped text up to its unescaped delimiter, starting after the opening quote or
// bracket. Advances pos past the delimiter.
bool readEscaped(std::string_view line, std::size_t& pos, char delimiter, std::u16string& out) {
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == delimiter)
            return true;
        if (c != '\\') {
            // The file is UTF-8; a byte sequence above ASCII is decoded to code units below.
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                out.push_back(static_cast<char16_t>(byte));
                continue;
            }
            int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
            if (length == 0 || pos - 1 + static_cast<std::size_t>(length) > line.size())
                return false;
            char32_t code = byte & (0x3F >> (length - 1));
            for (int i = 1; i < length; ++i) {
                const auto follow = static_cast<unsigned char>(line[pos - 1 + i]);
                if ((follow & 0xC0) != 0x80)
                    return false;
                code = (code << 6) | (follow & 0x3F);
            }
            pos += static_cast<std::size_t>(length - 1);
            if (code >= 0x10000 && code <= 0x10FFFF) {
                code -= 0x10000;
                out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
            } else if (code < 0x10000) {
                out.push_back(static_cast<char16_t>(code));
            } else {
                return false;
            }
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case 'a':
            out.push_back(u'\a');
            break;
        case 'b':
            out.push_back(u'\b');
            break;
        case 'e':
            out.push_back(u'\x1b');
            break;
        case 'f':
            out.push_back(u'\f');
            break;
        case 'n':
            out.push_back(u'\n');
            break;
        case 'r':
            out.push_back(u'\r');
            break;
        case 't':
            out.push_back(u'\t');
            break;
        case 'v':
            out.push_back(u'\v');
            break;
        case 'x': {
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && hexDigit(line[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigit(line[pos++]));
                ++digits;
            }
            if (digits == 0)
                return false;
            out.push_back(static_cast<char16_t>(value));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int digits = 1;
                     digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                     ++digits)
                    value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
                out.push_back(static_cast<char16_t>(value));
            } else {
                // \\, \" and \] stand for themselves, and so does any other escaped character.
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(e)));
            }
        }
    }
    return false;
}

bool onlyBlanksFrom(std::string_view line, std::size_t pos) {
    return std::all_of(line.begin() + static_cast<std::ptrdiff_t>(pos), line.end(), isBlank);
}

// "hex:" or "hex(N):" data: bytes as two hex digits separated by commas, continued on the next
// line after a trailing backslash.
bool readHexBytes(Lines& lines, std::string_view line, std::size_t pos,
                  std::vector<std::uint8_t>& out, bool& tooLong) {
    for (;;) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            return true;
        if (line[pos] == '\\') {
            if (!onlyBlanksFrom(line, pos + 1) || !lines.next(line))
                return false;
            pos = 0;
            continue;
        }
        if (pos + 1 >= line.size() || hexDigit(line[pos]) < 0 || hexDigit(line[pos + 1]) < 0)
            return false;
        if (out.size() < kMaxValueBytes)
            out.push_back(
                static_cast<std::uint8_t>(hexDigit(line[pos]) * 16 + hexDigit(line[pos + 1])));
        else
            tooLong = true;
        pos += 2;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            return true;
        if (line[pos] == ',')
            ++pos;
        else if (line[pos] != '\\')
            return false;
    }
}

bool startsWith(std::string_view text, std::size_t pos, std::string_view prefix) {
    return text.substr(pos, prefix.size()) == prefix;
}

// The part after "=" of a value line.
bool readData(Lines& lines, std::string_view line, std::size_t pos, RegistryValue& value,
              bool& tooLong) {
    if (line.size() - pos > kMaxValueBytes) {
        // Texts and numbers stand on one line; bytes may go on over the next ones.
        if (line.substr(pos).starts_with("hex")) {
            std::string_view rest = line;
            while (!rest.empty() && rest.back() == '\\' && lines.next(rest)) {
            }
        }
        tooLong = true;
        return true;
    }
    if (pos < line.size() && line[pos] == '"') {
        std::u16string units;
        ++pos;
        if (!readEscaped(line, pos, '"', units) || !onlyBlanksFrom(line, pos))
            return false;
        value.kind = RegistryValue::Kind::String;
        value.text = utf16ToUtf8(units);
        return true;
    }
    // str(N): and hex(N): carry the registry type in hex.
    const auto readType = [&](std::uint32_t& type) {
        if (pos >= line.size() || line[pos] != '(')
            return true;
        ++pos;
        type = 0;
        int digits = 0;
        while (pos < line.size() && hexDigit(line[pos]) >= 0 && digits < 8) {
            type = type * 16 + static_cast<std::uint32_t>(hexDigit(line[pos++]));
            ++digits;
        }
        if (digits == 0 || pos >= line.size() || line[pos] != ')')
            return false;
        ++pos;
        return true;
    };
    if (startsWith(line, pos, "str")) {
        pos += 3;
        value.type = 1;
        if (!readType(value.type) || !startsWith(line, pos, ":\""))
            return false;
        pos += 2;
        std::u16string units;
        if (!readEscaped(line, pos, '"', units) || !onlyBlanksFrom(line, pos))
            return false;
        value.kind = RegistryValue::Kind::String;
        value.text = utf16ToUtf8(units);
        return true;
    }
    if (startsWith(line, pos, "dword:")) {
        pos += 6;
        std::uint32_t number = 0;
        int digits = 0;
        while (pos < line.size() && hexDigit(line[pos]) >= 0) {
            if (++digits > 8)
                return false;
            number = number * 16 + static_cast<std::uint32_t>(hexDigit(line[pos++]));
        }
        if (digits == 0 || !onlyBlanksFrom(line, pos))
            return false;
        value.kind = RegistryValue::Kind::Dword;
        value.type = 4;
        value.number = number;
        return true;
    }
    if (startsWith(line, pos, "hex")) {
        pos += 3;
        value.type = 3;
        if (!readType(value.type) || pos >= line.size() || line[pos] != ':')
            return false;
        value.kind = RegistryValue::Kind::Binary;
        return readHexBytes(lines, line, pos + 1, value.bytes, tooLong);
    }
    return false;
}

// True when the escaped key name at the start of raw (up to its closing bracket) is certainly
// none of wanted (lower-case, unescaped). Most names differ from all of them within a few
// characters, so this spares decoding the thousands of keys of a system.reg. Names with escapes
// other than a doubled backslash are left undecided (false), to be decoded in full.
bool surelyNoneOf(std::string_view raw, const std::vector<std::string>& wanted) {
    for (const std::string& wantedName : wanted) {
        // For "parent\\*" it is enough that the name starts with "parent\\".
        const bool wildcard = wantedName.ends_with("\\*");
        const std::string_view name =
            wildcard ? std::string_view(wantedName).substr(0, wantedName.size() - 1)
                     : std::string_view(wantedName);
        std::size_t r = 0;
        std::size_t w = 0;
        for (;;) {
            if (r >= raw.size())
                return false; // no closing bracket: let the full reading refuse it
            char c = raw[r];
            if (c == ']') {
                if (w == name.size())
                    return false; // a match
                break;
            }
            if (c == '\\') {
                if (r + 1 >= raw.size() || raw[r + 1] != '\\')
                    return false;
                ++r;
            } else if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            } else if (static_cast<unsigned char>(c) >= 0x80) {
                return false; // UTF-8 of a non-ASCII name
            }
            if (wildcard && w == name.size())
                return false; // a name below the parent: decided by the full reading
            if (w >= name.size() || name[w] != c)
                break;
            ++r;
            ++w;
        }
    }
    return true;
}

bool isWanted(const std::string& name, const std::vector<std::string>& wanted) {
    for (const std::string& each : wanted) {
        if (each == name)
            return true;
        if (each.ends_with("\\*")) {
            const std::string_view parent = std::string_view(each).substr(0, each.size() - 1);
            if (name.size() > parent.size() && name.starts_with(parent) &&
                name.find('\\', parent.size()) == std::string::npos)
                return true;
        }
    }
    return false;
}

} // namespace

std::string utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::optional<WineRegistry> WineRegistry::parse(std::string_view text,
                                                const std::vector<std::string>& onlyKeys) {
    std::vector<std::string> wanted;
    for (const std::string& key : onlyKeys)
        wanted.push_back(lowerAscii(key));

    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || line != kHeader)
        return std::nullopt;

    WineRegistry registry;
    std::map<std::string, RegistryValue>* current = nullptr;
    bool inKey = false;
    bool skipping = false; // the last key was not asked for; its values are passed over
    while (lines.next(line)) {
        std::size_t pos = 0;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos == line.size() || line[pos] == ';' || line[pos] == '#')
            continue;
        if (line[pos] == '[') {
            ++pos;
            if (!wanted.empty() && surelyNoneOf(line.substr(pos), wanted)) {
                inKey = true;
                skipping = true;
                current = nullptr;
                lines.skipToKeyLine();
                continue;
            }
            std::u16string units;
            if (!readEscaped(line, pos, ']', units))
                return std::nullopt;
            // After the name: the time of the last change, in seconds.
            while (pos < line.size() && isBlank(line[pos]))
                ++pos;
            while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9')
                ++pos;
            if (!onlyBlanksFrom(line, pos))
                return std::nullopt;
            const std::string name = lowerAscii(utf16ToUtf8(units));
            inKey = true;
            skipping = !wanted.empty() && !isWanted(name, wanted);
            current = skipping ? nullptr : &registry.keys_[name];
            if (skipping)
                lines.skipToKeyLine();
            continue;
        }
        if (!inKey)
            return std::nullopt;
        if (skipping)
            continue;
        std::string name;
        if (line[pos] == '@') {
            ++pos;
        } else if (line[pos] == '"') {
            ++pos;
            std::u16string units;
            if (!readEscaped(line, pos, '"', units))
                return std::nullopt;
            name = lowerAscii(utf16ToUtf8(units));
        } else {
            return std::nullopt;
        }
        if (pos >= line.size() || line[pos] != '=')
            return std::nullopt;
        RegistryValue value;
        bool tooLong = false;
        if (!readData(lines, line, pos + 1, value, tooLong))
            return std::nullopt;
        if (!tooLong)
            (*current)[name] = std::move(value);
    }
    return registry;
}

const RegistryValue* WineRegistry::find(std::string_view keyPath,
                                        std::string_view valueName) const {
    const auto key = keys_.find(lowerAscii(keyPath));
    if (key == keys_.end())
        return nullptr;
    const auto value = key->second.find(lowerAscii(valueName));
    return value == key->second.end() ? nullptr : &value->second;
}

std::vector<std::string> WineRegistry::subkeys(std::string_view keyPath) const {
    std::vector<std::string> found;
    const std::string parent = lowerAscii(keyPath) + "\\";
    for (auto it = keys_.lower_bound(parent); it != keys_.end() && it->first.starts_with(parent);
         ++it) {
        if (it->first.find('\\', parent.size()) == std::string::npos)
            found.push_back(it->first);
    }
    return found;
}

std::optional<std::string> WineRegistry::text(std::string_view keyPath,
                                              std::string_view valueName) const {
    const RegistryValue* value = find(keyPath, valueName);
    if (!value)
        return std::nullopt;
    if (value->kind == RegistryValue::Kind::String)
        return value->text;
    if (value->kind == RegistryValue::Kind::Binary && (value->type == 1 || value->type == 2) &&
        value->bytes.size() % 2 == 0) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < value->bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(value->bytes[i] | (value->bytes[i + 1] << 8)));
        while (!units.empty() && units.back() == u'\0')
            units.pop_back();
        return utf16ToUtf8(units);
    }
    return std::nullopt;
}

} // namespace dk3::discovery
