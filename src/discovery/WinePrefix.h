#pragma once

// What discovery reads inside a Wine prefix: whether a folder is one, its Windows user, the
// game's folders its registry names, and its documents folder. The public part
// (prefixDocumentsFolder, windowsToLinuxPath) is declared in Installation.h.

#include "discovery/WineRegistry.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

inline constexpr std::string_view kProtonUser = "steamuser";

// windowsToLinuxPath without resolving the links below the drive: the path as Wine walks it.
std::optional<std::filesystem::path> windowsPathInPrefix(const std::filesystem::path& prefix,
                                                         std::string_view windowsPath);

// A folder holding system.reg and drive_c.
bool isPrefix(const std::filesystem::path& folder);
// A prefix made by Proton: its user is steamuser.
bool isProtonPrefix(const std::filesystem::path& prefix);
// The Windows user of a prefix: Proton's steamuser, else the one user folder Wine made, else
// this account's name.
std::string prefixUser(const std::filesystem::path& prefix);

// A registry file of a prefix of at most maxBytes, with only the given keys kept.
std::optional<WineRegistry> readRegistry(const std::filesystem::path& file,
                                         const std::vector<std::string>& keys,
                                         std::size_t maxBytes);

// Every folder the prefix's system.reg names as the game's installation folder (the game's own
// key, both registry views).
std::vector<std::filesystem::path> registeredGameFolders(const std::filesystem::path& prefix);

// The nearest folder at or above folder that is a Wine prefix.
std::optional<std::filesystem::path> enclosingPrefix(const std::filesystem::path& folder);

// The documents folder the game uses in prefix: prefixDocumentsFolder, else the prefix's default
// one (defaultDocumentsFolder).
std::filesystem::path documentsInPrefix(const std::filesystem::path& prefix,
                                        const std::filesystem::path& home);

// The prefix's own documents folder: drive_c/users/<user>/Documents (or "My Documents"), as it
// exists, else where Wine or Proton will make it.
std::filesystem::path defaultDocumentsFolder(const std::filesystem::path& prefix);

// Why folder cannot be the game's documents folder in prefix, or empty when it can. A folder is
// taken when it lies inside the prefix or inside the player's home (Wine links Documents there,
// through Z: or directly), or when the player owns it outside the system's folders (a card or a
// second disk); never /, /etc, /tmp, /proc, /usr and the like, whatever their owner.
std::string documentsRefusal(const std::filesystem::path& folder,
                             const std::filesystem::path& prefix,
                             const std::filesystem::path& home);

} // namespace dk3::discovery
