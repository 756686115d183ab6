#include "platform/ProfileFile.h"

#include "platform/FileIO.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <type_traits>
#include <unordered_map>

namespace dk3::profile {
namespace {

// The parser works on characters of either kind: bytes of a plain 8-bit file, or the code points
// of a file that begins with a byte-order mark (see DecodedText below). Every character the rules
// look at is ASCII, so both kinds follow the same rules.

// The characters the Windows profile API strips from both ends of a line, name and value. 0x1A is
// the old end-of-file marker that DOS editors left in the game's files.
template <typename Char> constexpr bool isBlank(Char c) {
    const auto code = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Char>>(c));
    return (code >= 0x09 && code <= 0x0D) || code == 0x1A || code == 0x20;
}

template <typename Char> constexpr bool isLineEnd(Char c) {
    return c == Char('\r') || c == Char('\n');
}

template <typename Char> using View = std::basic_string_view<Char>;

template <typename Char> View<Char> trimStart(View<Char> text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    return text.substr(start);
}

template <typename Char> View<Char> trimEnd(View<Char> text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.substr(0, end);
}

template <typename Char> View<Char> trim(View<Char> text) {
    return trimEnd(trimStart(text));
}

// The Windows API hands names and values around as C strings, so a NUL byte ends them.
template <typename Char> View<Char> cutAtNul(View<Char> text) {
    return text.substr(0, text.find(Char(0)));
}

// The requested section and key names, as the API sees them.
std::string_view requestedName(std::string_view name) {
    return trim(cutAtNul(name));
}

template <typename Char> constexpr Char lowerAscii(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// Only ASCII letters fold: the game's files are Windows-1252, and Windows compares their 8-bit
// letters (Ä, ä) as different.
template <typename Char> bool sameName(View<Char> a, View<Char> b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the file by offsets into its content: the characters of the line without its line
// end, and where the next line starts. Any run of CR and LF ends a line, so blank lines made only
// of line ends vanish into the run.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

template <typename Char> class LineReader {
public:
    explicit LineReader(View<Char> content) : content_(content) {}

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
    View<Char> content_;
    std::size_t position_ = 0;
};

// What a line means to the profile API.
template <typename Char> struct ParsedLine {
    enum class Kind { Blank, Header, Entry };
    Kind kind = Kind::Blank;
    View<Char> name;                 // section name of a header, key name of an entry
    std::optional<View<Char>> value; // missing for an entry without '='
};

template <typename Char> ParsedLine<Char> classify(View<Char> line) {
    using Parsed = ParsedLine<Char>;
    Parsed entry;
    const View<Char> text = trim(line);
    if (text.empty())
        return entry;
    if (text.front() == Char('[')) {
        // The last ']' closes the name, so "[U]]" names "U]" and "[T]junk" names "T".
        const std::size_t close = text.rfind(Char(']'));
        if (close != View<Char>::npos) {
            entry.kind = Parsed::Kind::Header;
            entry.name = cutAtNul(trim(text.substr(1, close - 1)));
            return entry;
        }
    }
    entry.kind = Parsed::Kind::Entry;
    const std::size_t equals = text.find(Char('='));
    if (equals == View<Char>::npos) {
        entry.name = cutAtNul(text);
        return entry;
    }
    entry.name = cutAtNul(trim(text.substr(0, equals)));
    entry.value = cutAtNul(trim(text.substr(equals + 1)));
    return entry;
}

// Where a key stands in the file, or where it would go.
template <typename Char> struct Location {
    // The first matching key of the first matching section.
    std::optional<Line> keyLine;
    ParsedLine<Char> key;
    // When the key is missing but its section exists: the section's last non-blank line (its
    // header when it holds nothing else).
    std::optional<Line> sectionLastLine;
};

// Only the first matching section counts, and inside it only the first matching key, so the search
// stops as soon as either is settled. Lines before the first header form the section "", even
// when they hold nothing: a "[]" header further down is a later duplicate, never found (Wine's
// profile functions, through which the game reads, see it so).
template <typename Char>
Location<Char> locate(View<Char> content, View<Char> section, View<Char> key) {
    using Kind = typename ParsedLine<Char>::Kind;
    Location<Char> found;
    bool inSection = section.empty();
    LineReader<Char> reader(content);
    Line line;
    while (reader.next(line)) {
        const ParsedLine<Char> entry = classify(content.substr(line.begin, line.end - line.begin));
        switch (entry.kind) {
        case Kind::Blank:
            break;
        case Kind::Header:
            if (inSection || section.empty())
                return found;
            inSection = sameName(entry.name, section);
            if (inSection)
                found.sectionLastLine = line;
            break;
        case Kind::Entry:
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

// The text GetPrivateProfileStringA hands to a caller's buffer of bufferSize bytes: one matching
// pair of outer quotes removed, at most bufferSize - 1 bytes. Like the API, the value is cut to
// the buffer before the closing quote is taken off, so a value cut inside its quotes loses its
// last character as if it were the quote: "x" with a 2-byte buffer gives "", "a"b" with 4 bytes
// gives a".
std::string callersText(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        const std::string_view inner = value.substr(1);
        std::string text(inner.substr(0, bufferSize - 1));
        if (bufferSize >= inner.size() && !text.empty())
            text.pop_back();
        return text;
    }
    return std::string(value.substr(0, bufferSize - 1));
}

// The line end that new lines get. A CR LF file, a file without line ends and a new file get
// CR LF; otherwise the kind of line end the file uses most (CR LF, then LF, then CR on a tie), so
// that a file edited on Linux or an old Mac stays in its own style and a file with a stray line
// end of another kind still follows its majority.
template <typename Char> std::string_view lineEndStyle(View<Char> content) {
    std::size_t crlf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;
    for (std::size_t at = 0; at < content.size(); ++at) {
        if (content[at] == Char('\n')) {
            ++lf;
        } else if (content[at] == Char('\r')) {
            if (at + 1 < content.size() && content[at + 1] == Char('\n')) {
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
template <typename Char> std::size_t lineEndLength(View<Char> content, std::size_t offset) {
    if (offset >= content.size() || !isLineEnd(content[offset]))
        return 0;
    if (content[offset] == Char('\r') && offset + 1 < content.size() &&
        content[offset + 1] == Char('\n'))
        return 2;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Files with a byte-order mark. Wine reads a file that begins with the UTF-8 or the UTF-16LE mark
// as text in that encoding and hands its callers Windows-1252 text. We parse such a file on its
// characters and change only the characters of the line a write changes: every other line keeps
// its exact bytes, even bytes that are not valid in the file's encoding, so a damaged file is
// never made worse by a write.

enum class Encoding { Bytes, Utf8, Utf16 };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

Encoding encodingOf(std::string_view content) {
    if (content.starts_with(kUtf8Mark))
        return Encoding::Utf8;
    if (content.starts_with(kUtf16Mark))
        return Encoding::Utf16;
    return Encoding::Bytes;
}

// Unicode code points of the bytes 0x80-0x9F. The five bytes Windows-1252 leaves undefined map to
// the C1 control of the same value, as the Windows conversion does; so every byte has a code point
// and converts back to itself.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

char32_t fromWindows1252(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

// A character that Windows-1252 lacks becomes '?', as it does for Wine's callers.
char toWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == code)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::u32string widened(std::string_view text) {
    std::u32string wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide.push_back(fromWindows1252(c));
    return wide;
}

std::string narrowed(std::u32string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char32_t c : text)
        narrow.push_back(toWindows1252(c));
    return narrow;
}

// The characters of a file with a mark, and where each of them starts in the file's bytes
// (offsets[i]; offsets[size] is where the characters end).
struct DecodedText {
    std::u32string text;
    std::vector<std::size_t> offsets;
};

// Decodes one UTF-8 character at content[at]. A byte sequence that is not UTF-8 (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a code point above U+10FFFF) gives
// one U+FFFD for its longest valid beginning, or for the single byte.
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view content, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(content[i]);
    };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {kReplacement, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= content.size() || byte(at + i) < low || byte(at + i) > high)
            return {kReplacement, i};
        code = (code << 6) | (byte(at + i) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {code, length};
}

// Reads need only the characters; writes also need where each one starts.
DecodedText decode(std::string_view content, Encoding encoding, bool withOffsets) {
    DecodedText decoded;
    decoded.text.reserve(content.size());
    if (withOffsets)
        decoded.offsets.reserve(content.size() + 1);
    if (encoding == Encoding::Utf8) {
        std::size_t at = kUtf8Mark.size();
        while (at < content.size()) {
            const auto [code, length] = decodeUtf8(content, at);
            decoded.text.push_back(code);
            if (withOffsets)
                decoded.offsets.push_back(at);
            at += length;
        }
        if (withOffsets)
            decoded.offsets.push_back(at);
        return decoded;
    }
    // UTF-16LE: one character per code unit, as Wine works on them; an unpaired surrogate is a
    // character Windows-1252 lacks. A last odd byte is half a code unit and no character.
    std::size_t at = kUtf16Mark.size();
    for (; at + 1 < content.size(); at += 2) {
        decoded.text.push_back(
            static_cast<char32_t>(static_cast<unsigned char>(content[at]) |
                                  static_cast<unsigned char>(content[at + 1]) << 8));
        if (withOffsets)
            decoded.offsets.push_back(at);
    }
    if (withOffsets)
        decoded.offsets.push_back(at);
    return decoded;
}

// Windows-1252 text in the file's own encoding.
void appendEncoded(std::string& out, std::u32string_view text, Encoding encoding) {
    for (const char32_t code : text) {
        if (encoding == Encoding::Utf16) {
            out.push_back(static_cast<char>(code & 0xFF));
            out.push_back(static_cast<char>((code >> 8) & 0xFF));
        } else if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else { // every Windows-1252 character lies in the Basic Multilingual Plane
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
}

// ---------------------------------------------------------------------------------------------

// What a write does to the file's characters: [begin, end) becomes head, then the characters
// [keepBegin, keepEnd) of the file as they stand (the key's own spelling), then tail.
template <typename Char> struct Edit {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::basic_string<Char> head;
    std::size_t keepBegin = 0;
    std::size_t keepEnd = 0;
    std::basic_string<Char> tail;
};

template <typename Char> std::basic_string<Char> ascii(std::string_view text) {
    return std::basic_string<Char>(text.begin(), text.end());
}

template <typename Char>
Edit<Char> editFor(View<Char> content, const Location<Char>& where, View<Char> section,
                   View<Char> key, View<Char> value) {
    Edit<Char> edit;
    const auto keyLine = [&](View<Char> name) {
        std::basic_string<Char> line(name);
        line += Char('=');
        line += value;
        return line;
    };
    if (where.keyLine) {
        // The line becomes Name=value, Name spelled as the file spells it.
        const std::size_t nameAt = static_cast<std::size_t>(where.key.name.data() - content.data());
        edit.begin = where.keyLine->begin;
        edit.end = where.keyLine->end;
        edit.keepBegin = nameAt;
        edit.keepEnd = nameAt + where.key.name.size();
        edit.tail = Char('=');
        edit.tail += value;
        return edit;
    }
    const auto lineEnd = ascii<Char>(lineEndStyle(content));
    if (where.sectionLastLine) {
        // Directly below the section's last line, so that the blank lines and comments that
        // separate it from the next section stay where they are.
        const std::size_t lastEnd = where.sectionLastLine->end;
        const std::size_t insertAt = lastEnd + lineEndLength(content, lastEnd);
        edit.begin = edit.end = insertAt;
        if (insertAt == lastEnd)
            edit.tail = lineEnd; // the last line of the file had no line end
        edit.tail += keyLine(key) + lineEnd;
        return edit;
    }
    if (section.empty()) {
        // The section "" is the lines before the first header, even when there are none yet: a
        // "[]" header would start a section no read finds.
        edit.tail = keyLine(key) + lineEnd;
        return edit;
    }
    edit.begin = edit.end = content.size();
    if (!content.empty() && !isLineEnd(content.back()))
        edit.tail = lineEnd;
    edit.tail += Char('[');
    edit.tail += section;
    edit.tail += Char(']');
    edit.tail += lineEnd + keyLine(key) + lineEnd;
    return edit;
}

// A section, key and value that the write's lines would not read back as: a CR, LF or NUL byte
// anywhere, a header line that would name another section, or a key line that would read as a
// header ("[a" with value "]" gives "[a=]"), as another key ("a=b") or with another value.
bool readsBackAsWritten(std::string_view section, std::string_view key, std::string_view value) {
    using Kind = ParsedLine<char>::Kind;
    constexpr std::string_view kBreaking("\r\n\0", 3);
    if (section.find_first_of(kBreaking) != std::string_view::npos ||
        key.find_first_of(kBreaking) != std::string_view::npos ||
        value.find_first_of(kBreaking) != std::string_view::npos)
        return false;
    const std::string header = "[" + std::string(section) + "]";
    const auto headerRead = classify(std::string_view(header));
    if (headerRead.kind != Kind::Header || headerRead.name != section)
        return false;
    const std::string line = std::string(key) + "=" + std::string(value);
    const auto lineRead = classify(std::string_view(line));
    return lineRead.kind == Kind::Entry && lineRead.name == key && lineRead.value &&
           *lineRead.value == trimEnd(value);
}

std::optional<std::string> readContent(const std::filesystem::path& file) {
    std::error_code ignored;
    return platform::readWholeFile(file, ignored);
}

// ---------------------------------------------------------------------------------------------
// What the reads find in a file, worked out once for all its keys. The program looks up about a
// hundred texts of its translation file at start-up, and parsing the file for each of them was a
// large part of the start-up time.

template <typename Char> std::basic_string<Char> folded(View<Char> name) {
    std::basic_string<Char> key(name);
    for (Char& c : key)
        c = lowerAscii(c);
    return key;
}

// For every section, the entries of its first occurrence, each key by its first occurrence, as
// locate() finds them: the section "" is the lines before the first header, and a "[]" header is
// a later duplicate of it. An entry without '=' is kept without a value, so that
// it hides a later entry of the same name as it does for the Windows call.
template <typename Char> class ReadIndex {
public:
    using Name = std::basic_string<Char>;
    using Entries = std::unordered_map<Name, std::optional<View<Char>>>;

    explicit ReadIndex(View<Char> content) {
        using Kind = typename ParsedLine<Char>::Kind;
        Entries beforeFirstHeader;
        bool sawHeader = false;
        Entries* current = &beforeFirstHeader;
        LineReader<Char> reader(content);
        Line line;
        while (reader.next(line)) {
            const ParsedLine<Char> entry =
                classify(content.substr(line.begin, line.end - line.begin));
            if (entry.kind == Kind::Header) {
                if (!sawHeader)
                    sections_.emplace(Name(), std::move(beforeFirstHeader));
                sawHeader = true;
                const auto [at, first] = sections_.try_emplace(folded(entry.name));
                current = first ? &at->second : nullptr;
            } else if (entry.kind == Kind::Entry && current) {
                current->try_emplace(folded(entry.name), entry.value);
            }
        }
        if (!sawHeader)
            sections_.emplace(Name(), std::move(beforeFirstHeader));
    }

    // The stored value of key in section; nothing when either is missing or the key has no '='.
    std::optional<View<Char>> value(View<Char> section, View<Char> key) const {
        const auto entries = sections_.find(folded(section));
        if (entries == sections_.end())
            return std::nullopt;
        const auto entry = entries->second.find(folded(key));
        if (entry == entries->second.end())
            return std::nullopt;
        return entry->second;
    }

private:
    std::unordered_map<Name, Entries> sections_;
};

// A file's content with its read index. The index points into the content (or, for a file with a
// byte-order mark, into its decoded characters), so the object stays where it was made.
class ParsedFile {
public:
    explicit ParsedFile(std::string content)
        : bytes_(std::move(content)), encoding_(encodingOf(bytes_)),
          characters_(encoding_ == Encoding::Bytes ? std::u32string()
                                                   : decode(bytes_, encoding_, false).text),
          byteIndex_(encoding_ == Encoding::Bytes ? std::string_view(bytes_) : std::string_view()),
          characterIndex_(std::u32string_view(characters_)) {}
    ParsedFile(const ParsedFile&) = delete;
    ParsedFile& operator=(const ParsedFile&) = delete;

    const std::string& bytes() const { return bytes_; }

    // The stored value of key in section, as Windows-1252 text; nothing when the file has no such
    // key or the key has no value.
    std::optional<std::string> value(std::string_view section, std::string_view key) const {
        if (encoding_ == Encoding::Bytes) {
            if (const auto found = byteIndex_.value(section, key))
                return std::string(*found);
            return std::nullopt;
        }
        const std::u32string wideSection = widened(section);
        const std::u32string wideKey = widened(key);
        if (const auto found = characterIndex_.value(wideSection, wideKey))
            return narrowed(*found);
        return std::nullopt;
    }

private:
    std::string bytes_;
    Encoding encoding_;
    std::u32string characters_;
    ReadIndex<char> byteIndex_;
    ReadIndex<char32_t> characterIndex_;
};

// The identity of a file's content as the file system tells it. The change time is part of it
// because no program can set it back: a tool that restores the modification time (a copy that
// keeps times, an unpacked backup) still moves the change time on.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The parsed copies of the last few files read. The game's files are also changed by the game,
// its launchers and the player's editor, so a copy is used only as long as the file provably
// holds what was parsed:
// - while the file's stamp is the one seen before the copy's bytes were read, and the file's
//   modification and change times lay more than kSettleTime in the past when the bytes were last
//   compared. A later change of the file moves its change time on to at least that moment, so it
//   changes the stamp.
// - otherwise the file is read again, and the copy is used when the bytes are the same. A file
//   written just now can change again within the same tick of the file system's clock without
//   any change of its stamp; comparing the bytes sees that.
// Every write through the engine forgets all copies.
class ParsedFileCache {
public:
    // Files larger than this are parsed for each read and not kept, so the cache stays small.
    static constexpr std::size_t kMaxKeptBytes = 1u << 20;
    static constexpr std::size_t kCapacity = 4;
    // Coarse file system clocks: FAT keeps modification times in steps of 2 s.
    static constexpr std::int64_t kSettleTimeNs = 2'500'000'000;

    // The parsed file; nothing when it cannot be read.
    std::shared_ptr<const ParsedFile> get(const std::filesystem::path& file) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            forget(file.native());
            return parse(readContent(file));
        }
        const FileStamp stamp{info.st_dev, info.st_ino, info.st_size, nanoseconds(info.st_mtim),
                              nanoseconds(info.st_ctim)};
        const std::lock_guard lock(mutex_);
        const auto kept = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
            return entry.path == file.native();
        });
        if (kept != entries_.end() && kept->settled && kept->stamp == stamp) {
            std::rotate(entries_.begin(), kept, kept + 1);
            return entries_.front().parsed;
        }
        std::optional<std::string> content = readContent(file);
        if (!content || content->size() > kMaxKeptBytes) {
            if (kept != entries_.end())
                entries_.erase(kept);
            return parse(std::move(content));
        }
        Entry entry;
        entry.path = file.native();
        entry.stamp = stamp;
        const std::int64_t settledBefore = nanoseconds(now) - kSettleTimeNs;
        entry.settled = stamp.modifiedNs < settledBefore && stamp.changedNs < settledBefore;
        if (kept != entries_.end() && kept->parsed->bytes() == *content) {
            entry.parsed = kept->parsed;
        } else {
            entry.parsed = std::make_shared<const ParsedFile>(std::move(*content));
        }
        if (kept != entries_.end())
            entries_.erase(kept);
        entries_.insert(entries_.begin(), std::move(entry));
        if (entries_.size() > kCapacity)
            entries_.pop_back();
        return entries_.front().parsed;
    }

    // Reads the file once and keeps it as settled, however recent its times (see
    // trustCurrentContent).
    void trust(const std::filesystem::path& file) {
        const auto stampOf = [&file](FileStamp& stamp) {
            struct stat info {};
            if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
                return false;
            stamp = {info.st_dev, info.st_ino, info.st_size, nanoseconds(info.st_mtim),
                     nanoseconds(info.st_ctim)};
            return true;
        };
        FileStamp before;
        FileStamp after;
        if (!stampOf(before))
            return;
        std::optional<std::string> content = readContent(file);
        // Changed while it was read: left to the ordinary reads.
        if (!content || content->size() > kMaxKeptBytes || !stampOf(after) || after != before)
            return;
        Entry entry;
        entry.path = file.native();
        entry.stamp = before;
        entry.settled = true;
        entry.parsed = std::make_shared<const ParsedFile>(std::move(*content));
        const std::lock_guard lock(mutex_);
        std::erase_if(entries_, [&](const Entry& kept) { return kept.path == entry.path; });
        entries_.insert(entries_.begin(), std::move(entry));
        if (entries_.size() > kCapacity)
            entries_.pop_back();
    }

    void clear() {
        const std::lock_guard lock(mutex_);
        entries_.clear();
    }

private:
    struct Entry {
        std::filesystem::path::string_type path;
        FileStamp stamp;
        bool settled = false;
        std::shared_ptr<const ParsedFile> parsed;
    };

    static std::shared_ptr<const ParsedFile> parse(std::optional<std::string> content) {
        if (!content)
            return nullptr;
        return std::make_shared<const ParsedFile>(std::move(*content));
    }

    void forget(const std::filesystem::path::string_type& path) {
        const std::lock_guard lock(mutex_);
        std::erase_if(entries_, [&](const Entry& entry) { return entry.path == path; });
    }

    std::mutex mutex_;
    std::vector<Entry> entries_; // the most recently used first
};

ParsedFileCache& parsedFiles() {
    static ParsedFileCache cache;
    return cache;
}

// Applies one write to the content; false when the key already holds the value.
template <typename Char>
bool applyWrite(View<Char> characters, std::string_view section, std::string_view key,
                std::string_view value, Edit<Char>& edit) {
    std::basic_string<Char> wideSection;
    std::basic_string<Char> wideKey;
    std::basic_string<Char> wideValue;
    if constexpr (std::is_same_v<Char, char>) {
        wideSection = section;
        wideKey = key;
        wideValue = value;
    } else {
        wideSection = widened(section);
        wideKey = widened(key);
        wideValue = widened(value);
    }
    const auto where = locate(characters, View<Char>(wideSection), View<Char>(wideKey));
    // The same value again changes nothing: a file that ends as it was is not even rewritten.
    // In a marked file "the same" is what the caller reads: a value holding characters that read
    // as '?' is not replaced by the '?' of a caller that writes back what it read.
    if (where.keyLine && where.key.value) {
        if constexpr (std::is_same_v<Char, char>) {
            if (*where.key.value == value)
                return false;
        } else if (narrowed(*where.key.value) == value) {
            return false;
        }
    }
    edit = editFor(characters, where, View<Char>(wideSection), View<Char>(wideKey),
                   View<Char>(wideValue));
    return true;
}

bool writeInto(std::string& content, std::string_view section, std::string_view key,
               std::string_view value) {
    const Encoding encoding = encodingOf(content);
    if (encoding == Encoding::Bytes) {
        Edit<char> edit;
        if (!applyWrite(std::string_view(content), section, key, value, edit))
            return false;
        // The first line keeps the blanks in front of a name that begins like a byte-order mark:
        // without them the file would begin with the mark and read as another encoding.
        if (edit.begin == 0 &&
            encodingOf(std::string_view(content).substr(edit.keepBegin)) != Encoding::Bytes)
            edit.begin = edit.keepBegin;
        // So does a key line put before the first line (the section ""): a blank goes before it.
        if (edit.begin == 0 && edit.end == 0 && edit.head.empty() &&
            encodingOf(edit.tail) != Encoding::Bytes)
            edit.head = " ";
        std::string result;
        result.reserve(content.size() + edit.head.size() + edit.tail.size() + key.size());
        result.append(content, 0, edit.begin);
        result.append(edit.head);
        result.append(content, edit.keepBegin, edit.keepEnd - edit.keepBegin);
        result.append(edit.tail);
        result.append(content, edit.end);
        content = std::move(result);
        return true;
    }
    const DecodedText decoded = decode(content, encoding, true);
    Edit<char32_t> edit;
    if (!applyWrite(std::u32string_view(decoded.text), section, key, value, edit))
        return false;
    const auto& at = decoded.offsets;
    std::string result;
    result.reserve(content.size() + 3 * (edit.head.size() + edit.tail.size()));
    result.append(content, 0, at[edit.begin]);
    appendEncoded(result, edit.head, encoding);
    result.append(content, at[edit.keepBegin], at[edit.keepEnd] - at[edit.keepBegin]);
    appendEncoded(result, edit.tail, encoding);
    result.append(content, at[edit.end]); // a UTF-16 file's odd last byte stays the last
    content = std::move(result);
    return true;
}

} // namespace

std::string readText(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultText, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    // An unreadable or oversized file reads like a missing one: the game's own reads see nothing
    // there either, and the caller's default keeps the program usable.
    if (const auto parsed = parsedFiles().get(file)) {
        if (const auto value = parsed->value(requestedName(section), requestedName(key)))
            return callersText(*value, bufferSize);
    }
    return callersText(trimEnd(cutAtNul(defaultText)), bufferSize);
}

std::int32_t readInt(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::int32_t defaultValue) {
    // The Windows call reads the value into a 30-character buffer first.
    const std::string text = readText(file, section, key, "", 30);
    if (text.empty())
        return defaultValue;

    std::string_view rest = trimStart(std::string_view(text));
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

void trustCurrentContent(const std::filesystem::path& file) {
    parsedFiles().trust(file);
}

std::error_code writeText(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view value) {
    const ProfileWrite write{std::string(section), std::string(key), std::string(value)};
    return writeTexts(file, std::span(&write, 1));
}

std::error_code writeTexts(const std::filesystem::path& file,
                           std::span<const ProfileWrite> writes) {
    for (const ProfileWrite& write : writes)
        if (!readsBackAsWritten(trim(std::string_view(write.section)),
                                trim(std::string_view(write.key)),
                                trimStart(std::string_view(write.value))))
            return std::make_error_code(std::errc::invalid_argument);

    std::error_code error;
    std::optional<std::string> content = platform::readWholeFile(file, error);
    // Only a file that is not there may be created; one we cannot read (or that is far too large
    // to be a settings file) must not be replaced by a file holding a few keys.
    if (!content && error != std::errc::no_such_file_or_directory)
        return error;

    bool changed = false;
    for (const ProfileWrite& write : writes) {
        const std::string_view section = trim(std::string_view(write.section));
        const std::string_view key = trim(std::string_view(write.key));
        const std::string_view value = trimStart(std::string_view(write.value));
        if (!content) {
            content.emplace();
            if (!section.empty())
                content->append("[").append(section).append("]\r\n");
            else if (encodingOf(key) != Encoding::Bytes)
                content->append(" "); // the file must not begin with a byte-order mark
            content->append(key).append("=").append(value).append("\r\n");
            changed = true;
            continue;
        }
        changed = writeInto(*content, section, key, value) || changed;
    }
    if (!changed)
        return {};
    const std::error_code written = platform::writeFileAtomically(file, *content);
    parsedFiles().clear();
    return written;
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
