#pragma once

// The user's folders that the program needs: the documents folder (where the game keeps its
// per-user options) and a private temporary folder for the files the program unpacks from itself.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace dk3::platform {

// The XDG documents folder: $XDG_DOCUMENTS_DIR from the environment when it is absolute, else the
// one user-dirs.dirs names, else ~/Documents. Plain Wine links a new prefix's "My Documents" to
// this folder; the game in a prefix uses the prefix's own documents folder, which discovery finds.
std::filesystem::path documentsFolder();

// The value the shell would give the variable name when it sources content, a user-dirs.dirs
// file (double quotes removed, escapes undone, the last assignment counts); "$HOME" is left as it
// stands. Nothing when the file does not set it.
std::optional<std::string> userDirsValue(std::string_view content, std::string_view name);

// A temporary folder that belongs to this user alone: $XDG_RUNTIME_DIR/draskel3-tuning when the
// runtime folder is usable, else <system temp>/draskel3-tuning-<uid>. It is created with mode 0700
// and refused when it exists but is a symbolic link, belongs to someone else or is open to others,
// because files with fixed names in a shared folder could be planted or redirected by another
// user. On failure, nothing is returned and error says why.
std::optional<std::filesystem::path> privateTempFolder(std::string& error);

// Why the private temporary folder cannot be used, for a message in the player's language.
struct TempFolderProblem {
    enum class Kind {
        None,
        CannotCreate,    // error says why
        NotAFolder,      // a link or a file stands where the folder belongs
        OtherOwner,      // the folder belongs to another user
        OpenToOthers,    // others may enter it and it cannot be closed; error says why
        NotWritable,     // error says why
        CannotWriteFile, // a file of the program cannot be written into it; error says why
    };
    Kind kind = Kind::None;
    std::filesystem::path folder;
    std::error_code error;
};
std::optional<std::filesystem::path> privateTempFolder(TempFolderProblem& problem);

} // namespace dk3::platform
