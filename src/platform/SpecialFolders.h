#pragma once

// The user's folders that the program needs: the documents folder (where the game keeps its
// per-user options) and a private temporary folder for the files the program unpacks from itself.

#include <filesystem>
#include <optional>
#include <string>

namespace dk3::platform {

// The XDG documents folder: $XDG_DOCUMENTS_DIR from the environment when it is absolute, else the
// one user-dirs.dirs names, else ~/Documents. Plain Wine links a new prefix's "My Documents" to
// this folder; the game in a prefix uses the prefix's own documents folder, which discovery finds.
std::filesystem::path documentsFolder();

// A temporary folder that belongs to this user alone: $XDG_RUNTIME_DIR/draskel3-tuning when the
// runtime folder is usable, else <system temp>/draskel3-tuning-<uid>. It is created with mode 0700
// and refused when it exists but is a symbolic link, belongs to someone else or is open to others,
// because files with fixed names in a shared folder could be planted or redirected by another
// user. On failure, nothing is returned and error says why.
std::optional<std::filesystem::path> privateTempFolder(std::string& error);

} // namespace dk3::platform
