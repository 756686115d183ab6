#pragma once

// Steam's roots, its libraries and the apps their manifests name; shared by the readers of Steam's
// own games and of its non-Steam shortcuts.

#include "discovery/Installation.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// An app of a Steam library, from its manifest.
struct SteamApp {
    std::string appId;
    std::filesystem::path installFolder; // steamapps/common/<installdir>, spelled as on disk
};

// The Steam installations of the home folder, each once by real path.
std::vector<std::filesystem::path> steamRoots(const Environment& environment);

// Every root's own library first, then those its libraryfolders.vdf lists, each once by real path.
std::vector<std::filesystem::path> steamLibraries(const Environment& environment);

// A library's steamapps folder, in whatever letter case it is spelled on disk.
std::filesystem::path steamappsOf(const std::filesystem::path& library);

// The apps of a library, in the order of their manifests' names.
std::vector<SteamApp> libraryApps(const std::filesystem::path& library);

// Proton's prefix of an app: compatdata/<appId>/pfx in the library that holds one (the newest
// pfx.lock wins when several do), else where Proton will make it, in preferred's library.
std::filesystem::path protonPrefix(const std::vector<std::filesystem::path>& libraries,
                                   const std::filesystem::path& preferred,
                                   const std::string& appId);

// Non-Steam shortcuts (SteamShortcuts.cpp).
struct BinaryKeyValue;
// Every account's shortcuts.vdf below a root.
std::vector<std::filesystem::path> shortcutFiles(const std::filesystem::path& root);
// The id of a shortcut's Proton prefix: its appid field as an unsigned number, or, in older files
// without one, crc32(Exe as stored + AppName) | 0x80000000. Nothing when neither can be had.
std::optional<std::uint32_t> shortcutId(const BinaryKeyValue& shortcut);
std::uint32_t crc32(std::string_view bytes);

} // namespace dk3::discovery
