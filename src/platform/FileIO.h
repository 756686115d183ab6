#pragma once

// Whole-file reads and writes for the game's files, the key-value store and backups.
//
// Every write goes to a temporary file in the target's own folder and is then renamed over the
// target, so a crash, a full disk or a killed process never leaves a cut file behind. A write
// reports failure instead of pretending: a read-only target, a missing folder or a directory in
// the way all fail and leave the target as it was.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace dk3::platform {

// Files larger than this are not read whole: the game's INI files, shader and backups are a few
// kilobytes, so anything near this size is damaged or not what the user meant to give us.
inline constexpr std::size_t kMaxWholeFileBytes = 64u * 1024u * 1024u;

// Reads the whole file as bytes. Fails with an error code when the file cannot be opened or read,
// is not a regular file, or is larger than maxBytes (std::errc::file_too_large).
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::error_code& error,
                                         std::size_t maxBytes = kMaxWholeFileBytes);

// Replaces the file's content with bytes (creating the file when missing; its folder must exist).
// The previous content stays intact unless the new content was written completely. Permission
// bits of an existing file are kept; a symbolic link is followed and its target replaced.
// Returns an empty error code on success.
[[nodiscard]] std::error_code writeFileAtomically(const std::filesystem::path& file,
                                                  std::string_view bytes);

// Like writeFileAtomically, but a symbolic link standing at file is replaced by the new file
// instead of being followed, and a new file gets mode 0600. For the program's own private files,
// where a link can only be a leftover or a planted redirection.
[[nodiscard]] std::error_code writePrivateFileAtomically(const std::filesystem::path& file,
                                                         std::string_view bytes);

// Writes several files as one step: either every file holds its new content afterwards, or every
// file is as it was (existing files keep their content, files that did not exist stay missing).
// On failure, failedFile names the file that could not be written.
[[nodiscard]] std::error_code
writeFilesAtomically(const std::vector<std::pair<std::filesystem::path, std::string>>& files,
                     std::filesystem::path* failedFile = nullptr);

// A short, human-readable reason for an error code, such as "permission denied" or
// "no space left on device".
std::string describeError(const std::error_code& error);

} // namespace dk3::platform
