#pragma once

// Small file-system helpers every launcher's reader shares. None of them throws: a folder or file
// that cannot be read counts as missing.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

bool isDirectory(const std::filesystem::path& path);
bool isRegularFile(const std::filesystem::path& path);
// True when path names anything, a dangling symbolic link included.
bool existsAsEntry(const std::filesystem::path& path);

// The path with every link resolved, as far as it exists; the path as given when that fails.
std::filesystem::path realPath(const std::filesystem::path& path);

// The whole file when it is a readable regular file of at most maxBytes.
std::optional<std::string> readSmallFile(const std::filesystem::path& file, std::size_t maxBytes);

// The entries of a folder, sorted by name so that every run finds things in the same order.
std::vector<std::filesystem::path> entriesOf(const std::filesystem::path& folder);

std::string lowerAscii(std::string text);
bool isAllDigits(std::string_view text);

// True when path is base or lies below it (both compared as given, component by component).
bool isWithin(const std::filesystem::path& path, const std::filesystem::path& base);

} // namespace dk3::discovery
