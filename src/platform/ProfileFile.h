#pragma once

// The INI engine. It reads and writes the game's INI files exactly as the Windows profile API
// (GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA) does, because
// the game and its own tools read those files through that API.
//
// Every read sees the file as it is at that moment, also when another program changed it. The
// parsed content of the last few files read is kept, and used only while the file demonstrably
// holds the same bytes: its device, inode, size, modification and change times are the ones seen
// when the bytes were read, and those times lay more than a few seconds in the past then (a file
// changed within the same tick of the file system's clock keeps its times); otherwise the file is
// read again and its bytes compared. Every write through the engine forgets the kept files.
//
// Names and values are Windows-1252 byte strings. Most files are 8-bit, and their bytes pass
// through unchanged. A file that begins with a UTF-8 (EF BB BF) or UTF-16LE (FF FE) byte-order
// mark is read as Wine, through which the game reads it, reads it: as text in that encoding,
// handed to callers as Windows-1252 ('?' for a character Windows-1252 lacks or for bytes that are
// not valid in the encoding). A write into such a file keeps its mark and encoding and re-encodes
// only the line it changes or adds; every other line keeps its exact bytes, even bytes that are
// not valid in the file's encoding.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace dk3::profile {

// Reads the text value of key in section. Missing file, section or key, or an entry without
// "=", gives defaultText (with its trailing blanks removed); so does a file that cannot be read or
// is larger than platform::kMaxWholeFileBytes. An empty value gives the empty text.
// One matching pair of outer quotes is removed, from the value and the default alike. The result
// holds at most bufferSize - 1 bytes, like the caller's fixed buffer of the Windows call
// (bufferSize 0 gives the empty text); as there, a quoted text is cut to the buffer before its
// closing quote is taken off, so a quoted text cut short loses one more character.
std::string readText(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::string_view defaultText,
                     std::size_t bufferSize = 256);

// Reads file once and keeps its parsed content for the reads that follow, for as long as its
// device, inode, size and times stay as they are now, even while those times are still recent.
// For a file the program has just written into a folder of its own: nobody else changes it
// within the same tick of the file system's clock, so its reads need not compare its bytes until
// its times have settled. Nothing is kept when the file cannot be read or changes meanwhile.
void trustCurrentContent(const std::filesystem::path& file);

// Reads the leading whole number of the value's first 29 characters (an optional sign, then
// decimal, or 0x / 0o / 0b in lower case), wrapping modulo 2^32. Missing or empty values give
// defaultValue; a value without digits gives 0.
std::int32_t readInt(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, std::int32_t defaultValue);

// Sets key in section to value, changing only that key's line (or adding the key, the section or
// the file) and keeping every other byte of the file. The write is atomic. Returns an empty error
// code on success; a read-only file, a missing folder or a directory in the way fail and leave
// the file untouched, and so does a file that exists but cannot be read or is too large.
//
// Writing the value the key already holds writes nothing (in a file with a mark: the value as a
// read gives it, so writing back what was read never turns a character into '?'). New lines end
// like the file's lines: CR LF in a new file, a file without line ends and a CR LF file; otherwise
// the kind of line end the file uses most (ties go to CR LF, then LF). Names and the value lose the
// blanks the reads would drop anyway (a value only its leading ones). A write whose lines would not
// read back as written is refused with std::errc::invalid_argument and nothing is written: any CR,
// LF or NUL byte, a key holding "=", and a key line that would read as a section header ("[x]" with
// any value, "[a" with the value "]").
[[nodiscard]] std::error_code writeText(const std::filesystem::path& file, std::string_view section,
                                        std::string_view key, std::string_view value);

struct ProfileWrite {
    std::string section;
    std::string key;
    std::string value;
};

// Several writes into one file as one step. The file ends exactly as the same writeText calls in
// this order would leave it, but it is read once and written once, atomically: either every
// write lands or none does. A file that would end as it was is not rewritten.
[[nodiscard]] std::error_code writeTexts(const std::filesystem::path& file,
                                         std::span<const ProfileWrite> writes);

// Collects the writes of one save across files and writes each file once, in the order the files
// were first named. Writes into different files do not depend on each other, so the result is
// that of writing every key on its own, with one durable write per file instead of one per key.
class WriteBatch {
public:
    void add(const std::filesystem::path& file, std::string_view section, std::string_view key,
             std::string_view value);
    // Writes every file; returns the files that could not be written, with the reason. A file
    // that failed keeps its old content whole.
    std::vector<std::pair<std::filesystem::path, std::error_code>> commit();

private:
    std::vector<std::pair<std::filesystem::path, std::vector<ProfileWrite>>> files_;
};

} // namespace dk3::profile
