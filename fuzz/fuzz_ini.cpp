// libFuzzer target for the INI engine: any file bytes, any section, key, value and buffer size.
// fuzz-sources: src/platform/ProfileFile.cpp src/platform/FileIO.cpp
//
// Input: one byte buffer size, three length bytes (each taken modulo 32), then the section, key
// and value of that length, then the file's bytes. Reads must stay inside the buffer; a write
// that succeeds must read back as written and keep every line it does not touch byte for byte;
// a refused write must leave the file as it was. Files go to a private scratch folder.

#include "platform/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
namespace fs = std::filesystem;
using dk3::profile::readInt;
using dk3::profile::readText;
using dk3::profile::writeText;

struct Scratch {
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "dk3-fuzz-ini-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    fs::path folder;
};

const fs::path& scratchFile() {
    static const Scratch scratch;
    static const fs::path file = scratch.folder / "t.ini";
    return file;
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_ini: %s\n", what);
        std::abort();
    }
}

void store(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(out.good(), "cannot write the scratch file");
}

std::string load(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || byte == 0x1A || byte == 0x20;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What a read with a large buffer gives for a stored value.
std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The longest common start and end of two sequences, as lengths; the end never reaches back into
// the start.
template <typename Sequence>
std::pair<std::size_t, std::size_t> commonEnds(const Sequence& before, const Sequence& after) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return {head, tail};
}

// A UTF-16 file's code units after its byte-order mark; an odd last byte counts as a unit of its
// own, unlike any whole unit.
std::vector<std::uint32_t> codeUnits(std::string_view bytes) {
    std::vector<std::uint32_t> units;
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        const auto low = static_cast<unsigned char>(bytes[at]);
        units.push_back(
            at + 1 < bytes.size()
                ? low | (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8)
                : 0x10000u | low);
    }
    return units;
}

// The bytes a write changed must lie inside one line of the old file: outside the longest
// common start and end of both contents, the old file holds no line end. A UTF-16 file is
// compared by code units, so that a change is never taken to begin or end inside one.
void checkOnlyOneLineChanged(std::string_view before, std::string_view after) {
    if (before.starts_with("\xFF\xFE")) {
        check(after.starts_with("\xFF\xFE"), "the UTF-16 mark was lost");
        const auto old = codeUnits(before);
        const auto [head, tail] = commonEnds(old, codeUnits(after));
        for (std::size_t unit = head; unit < old.size() - tail; ++unit)
            check(old[unit] != '\r' && old[unit] != '\n',
                  "a write changed more than one line of a UTF-16 file");
        return;
    }
    if (before.starts_with("\xEF\xBB\xBF"))
        check(after.starts_with("\xEF\xBB\xBF"), "the UTF-8 mark was lost");
    else
        check(!after.starts_with("\xEF\xBB\xBF") && !after.starts_with("\xFF\xFE"),
              "an 8-bit file gained a byte-order mark");
    const auto [head, tail] = commonEnds(before, after);
    for (std::size_t at = head; at < before.size() - tail; ++at)
        check(before[at] != '\r' && before[at] != '\n', "a write changed more than one line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t bufferSize = static_cast<unsigned char>(input[0]);
    std::size_t at = 4;
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(input[1 + i]) % 32, size - at);
        parts[i] = input.substr(at, length);
        at += length;
    }
    const auto [section, key, value] = parts;
    const std::string content(input.substr(at));

    const fs::path& file = scratchFile();
    store(file, content);

    const std::string text = readText(file, section, key, "d\"", bufferSize);
    check(bufferSize == 0 ? text.empty() : text.size() < bufferSize, "read past the buffer");
    (void)readInt(file, section, key, 7);
    check(load(file) == content, "a read changed the file");

    const std::error_code error = writeText(file, section, key, value);
    const std::string after = load(file);
    if (error) {
        check(error == std::errc::invalid_argument, "a write into a scratch file failed");
        check(after == content, "a refused write changed the file");
        return 0;
    }
    std::string_view written = value;
    while (!written.empty() && isBlank(written.front()))
        written.remove_prefix(1);
    const std::string expected(unquoted(trim(written)));
    check(readText(file, section, key, "<default>", 1u << 20) == expected,
          "the written value does not read back");
    checkOnlyOneLineChanged(content, after);
    return 0;
}
