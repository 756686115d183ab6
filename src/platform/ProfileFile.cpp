#include "platform/ProfileFile.h"

#include "platform/FileIO.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace dk3::profile {
namespace {

// The characters the Windows profile API strips from both ends of a line, name and value. 0x1A is
// the old end-of-file marker that DOS editors left in the game's files.
constexpr bool isBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || byte == 0x1A || byte == 0x20;
}

constexpr bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string_view trimStart(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    return text.substr(start);
}

std::string_view trimEnd(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
    return trimEnd(trimStart(text));
}

// The Windows API hands names and values around as C strings, so a NUL byte ends them.
std::string_view cutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The requested section and key names, as the API sees them.
std::string_view requestedName(std::string_view name) {
    return trim(cutAtNul(name));
}

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: the game's files are Windows-1252, and Windows compares their 8-bit
// letters (Ä, ä) as different.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the file by offsets into its content: the bytes of the line without its line end,
// and where the next line starts. Any run of CR and LF ends a line, so blank lines made only of
// line ends vanish into the run.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

class LineReader {
public:
    explicit LineReader(std::string_view content) : content_(content) {}

    bool next(Line& line) {
        if (position_ >= content_.size())
            return false;
        // Plain loops: find_first_of tests every byte against its set one call at a time, which
        // made it the largest cost of a read.
        std::size_t at = position_;
        line.begin = at;
        while (at < content_.size() && !isLineEnd(content_[at]))
            ++at;
        line.end = at;
        while (at < content_.size() && isLineEnd(content_[at]))
            ++at;
        line.next = at;
        position_ = at;
        return true;
    }

private:
    std::string_view content_;
    std::size_t position_ = 0;
};

// What a line means to the profile API.
struct ParsedLine {
    enum class Kind { Blank, Header, Entry };
    Kind kind = Kind::Blank;
    std::string_view name;                 // section name of a header, key name of an entry
    std::optional<std::string_view> value; // missing for an entry without '='
};

ParsedLine classify(std::string_view line) {
    ParsedLine entry;
    const std::string_view text = trim(line);
    if (text.empty())
        return entry;
    if (text.front() == '[') {
        // The last ']' closes the name, so "[U]]" names "U]" and "[T]junk" names "T".
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            entry.kind = ParsedLine::Kind::Header;
            entry.name = cutAtNul(trim(text.substr(1, close - 1)));
            return entry;
        }
    }
    entry.kind = ParsedLine::Kind::Entry;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        entry.name = cutAtNul(text);
        return entry;
    }
    entry.name = cutAtNul(trim(text.substr(0, equals)));
    entry.value = cutAtNul(trim(text.substr(equals + 1)));
    return entry;
}

// Where a key stands in the file, or where it would go.
struct Location {
    // The first matching key of the first matching section.
    std::optional<Line> keyLine;
    ParsedLine key;
    // When the key is missing but its section exists: the section's last non-blank line (its
    // header when it holds nothing else).
    std::optional<Line> sectionLastLine;
};

// Only the first matching section counts, and inside it only the first matching key, so the search
// stops as soon as either is settled. Lines before the first header form the section "", which
// exists only when it holds an entry; otherwise a "[]" header further down is the section "".
Location locate(std::string_view content, std::string_view section, std::string_view key) {
    Location found;
    bool inSection = section.empty();
    bool beforeFirstHeader = true;
    LineReader reader(content);
    Line line;
    while (reader.next(line)) {
        const ParsedLine entry = classify(content.substr(line.begin, line.end - line.begin));
        switch (entry.kind) {
        case ParsedLine::Kind::Blank:
            break;
        case ParsedLine::Kind::Header:
            if (inSection && (!beforeFirstHeader || found.sectionLastLine))
                return found;
            beforeFirstHeader = false;
            inSection = sameName(entry.name, section);
            if (inSection)
                found.sectionLastLine = line;
            break;
        case ParsedLine::Kind::Entry:
            if (!inSection)
                break;
            if (sameName(entry.name, key)) {
                found.keyLine = line;
                found.key = entry;
                found.sectionLastLine.reset();
                return found;
            }
            found.sectionLastLine = line;
            break;
        }
    }
    return found;
}

// The value as GetPrivateProfileStringA gives it: one matching pair of outer quotes removed.
std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string cutToBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    return std::string(text.substr(0, bufferSize - 1));
}

// The line end that new lines get. A CR LF file, a file without line ends and a new file get
// CR LF; otherwise the kind of line end the file uses most (CR LF, then LF, then CR on a tie), so
// that a file edited on Linux or an old Mac stays in its own style and a file with a stray line
// end of another kind still follows its majority.
std::string_view lineEndStyle(std::string_view content) {
    std::size_t crlf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;
    for (std::size_t at = 0; at < content.size(); ++at) {
        if (content[at] == '\n') {
            ++lf;
        } else if (content[at] == '\r') {
            if (at + 1 < content.size() && content[at + 1] == '\n') {
                ++crlf;
                ++at;
            } else {
                ++cr;
            }
        }
    }
    if (crlf >= lf && crlf >= cr)
        return "\r\n";
    return lf >= cr ? "\n" : "\r";
}

// The length of the single line end (CR LF, LF or CR) that starts at offset.
std::size_t lineEndLength(std::string_view content, std::size_t offset) {
    if (offset >= content.size() || !isLineEnd(content[offset]))
        return 0;
    if (content[offset] == '\r' && offset + 1 < content.size() && content[offset + 1] == '\n')
        return 2;
    return 1;
}

// A name or value that could not be stored as one line and read back as the same thing.
bool storable(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool storableKey(std::string_view key) {
    if (!storable(key) || key.find('=') != std::string_view::npos)
        return false;
    // "[x]" would read back as a section header.
    return key.empty() || key.front() != '[' || key.find(']') == std::string_view::npos;
}

std::optional<std::string> readContent(const std::filesystem::path& file) {
    std::error_code ignored;
    return platform::readWholeFile(file, ignored);
}

std::string contentWithValue(std::string_view content, const Location& where,
                             std::string_view section, std::string_view key,
                             std::string_view value) {
    std::string result;
    if (where.keyLine) {
        const Line& line = *where.keyLine;
        result.reserve(content.size() + where.key.name.size() + value.size() + 1);
        result.append(content.substr(0, line.begin));
        result.append(where.key.name).append("=").append(value);
        result.append(content.substr(line.end));
        return result;
    }
    const std::string_view lineEnd = lineEndStyle(content);
    result.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (where.sectionLastLine) {
        // Directly below the section's last line, so that the blank lines and comments that
        // separate it from the next section stay where they are.
        const std::size_t lastEnd = where.sectionLastLine->end;
        const std::size_t insertAt = lastEnd + lineEndLength(content, lastEnd);
        result.append(content.substr(0, insertAt));
        if (insertAt == lastEnd)
            result.append(lineEnd); // the last line of the file had no line end
        result.append(key).append("=").append(value).append(lineEnd);
        result.append(content.substr(insertAt));
        return result;
    }
    result.append(content);
    if (!result.empty() && !isLineEnd(result.back()))
        result.append(lineEnd);
    result.append("[").append(section).append("]").append(lineEnd);
    result.append(key).append("=").append(value).append(lineEnd);
    return result;
}

} // namespace

std::string readText(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultText, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    // An unreadable or oversized file reads like a missing one: the game's own reads see nothing
    // there either, and the caller's default keeps the program usable.
    if (const auto content = readContent(file)) {
        const Location where = locate(*content, requestedName(section), requestedName(key));
        if (where.keyLine && where.key.value)
            return cutToBuffer(withoutQuotes(*where.key.value), bufferSize);
    }
    return cutToBuffer(trimEnd(cutAtNul(defaultText)), bufferSize);
}

std::int32_t readInt(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::int32_t defaultValue) {
    // The Windows call reads the value into a 30-character buffer first.
    const std::string text = readText(file, section, key, "", 30);
    if (text.empty())
        return defaultValue;

    std::string_view rest = trimStart(text);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    std::uint32_t base = 10;
    if (rest.size() >= 2 && rest[0] == '0') {
        switch (rest[1]) {
        case 'x':
            base = 16;
            break;
        case 'o':
            base = 8;
            break;
        case 'b':
            base = 2;
            break;
        default:
            break;
        }
        if (base != 10)
            rest.remove_prefix(2);
    }
    std::uint32_t total = 0; // unsigned, so that overflow wraps modulo 2^32 as the game expects
    for (const char c : rest) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'z')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    if (negative)
        total = 0u - total;
    return static_cast<std::int32_t>(total);
}

std::error_code writeText(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view value) {
    const ProfileWrite write{std::string(section), std::string(key), std::string(value)};
    return writeTexts(file, std::span(&write, 1));
}

std::error_code writeTexts(const std::filesystem::path& file,
                           std::span<const ProfileWrite> writes) {
    for (const ProfileWrite& write : writes)
        if (!storable(trim(write.section)) || !storableKey(trim(write.key)) ||
            !storable(trimStart(write.value)))
            return std::make_error_code(std::errc::invalid_argument);

    std::error_code error;
    std::optional<std::string> content = platform::readWholeFile(file, error);
    // Only a file that is not there may be created; one we cannot read (or that is far too large
    // to be a settings file) must not be replaced by a file holding a few keys.
    if (!content && error != std::errc::no_such_file_or_directory)
        return error;

    bool changed = false;
    for (const ProfileWrite& write : writes) {
        const std::string_view section = trim(write.section);
        const std::string_view key = trim(write.key);
        const std::string_view value = trimStart(write.value);
        if (!content) {
            content.emplace();
            content->append("[").append(section).append("]\r\n");
            content->append(key).append("=").append(value).append("\r\n");
            changed = true;
            continue;
        }
        const Location where = locate(*content, section, key);
        // The same value again changes nothing: a file that ends as it was is not even rewritten.
        if (where.keyLine && where.key.value && *where.key.value == value)
            continue;
        content = contentWithValue(*content, where, section, key, value);
        changed = true;
    }
    if (!changed)
        return {};
    return platform::writeFileAtomically(file, *content);
}

void WriteBatch::add(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view value) {
    auto it = std::find_if(files_.begin(), files_.end(),
                           [&](const auto& entry) { return entry.first == file; });
    if (it == files_.end()) {
        files_.emplace_back(file, std::vector<ProfileWrite>{});
        it = std::prev(files_.end());
    }
    it->second.push_back({std::string(section), std::string(key), std::string(value)});
}

std::vector<std::pair<std::filesystem::path, std::error_code>> WriteBatch::commit() {
    std::vector<std::pair<std::filesystem::path, std::error_code>> failures;
    for (const auto& [file, writes] : files_)
        if (const auto error = writeTexts(file, writes))
            failures.emplace_back(file, error);
    files_.clear();
    return failures;
}

} // namespace dk3::profile
