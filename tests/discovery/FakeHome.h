#pragma once

// A home folder in a scratch folder, with the pieces players' machines have: Steam roots and
// libraries, Wine prefixes with their registry files and drive links, launchers' files.

#include "discovery/Installation.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dk3::test {

class FakeHome {
public:
    FakeHome();

    const std::filesystem::path& home() const { return environment_.home; }
    discovery::Environment& environment() { return environment_; }
    const TempDir& scratch() const { return dir_; }

    // Draskel3.exe (spelled exeName) and Ini/dk3e.ini in folder; returns folder.
    std::filesystem::path makeGame(const std::filesystem::path& folder,
                                   const std::string& exeName = "Draskel3.exe") const;

    // A Wine prefix: system.reg (the game's key in the 64- or 32-bit place, with INSTALL_DIR
    // when installDir is not empty), user.reg (userReg as its body), drive_c/users/<user>,
    // dosdevices c: -> ../drive_c and z: -> /.
    std::filesystem::path makePrefix(const std::filesystem::path& prefix,
                                     const std::string& installDir, bool win64 = true,
                                     const std::string& user = "player",
                                     const std::string& userReg = {}) const;

    // A Steam library at library with the given app's manifest.
    void addSteamApp(const std::filesystem::path& library, const std::string& appId,
                     const std::string& installDir) const;
    // root/steamapps/libraryfolders.vdf listing libraries, in the nested or the older flat form.
    void writeLibraryFolders(const std::filesystem::path& root,
                             const std::vector<std::filesystem::path>& libraries,
                             bool nested = true) const;

    // A Lutris database at file with the games table of Lutris's schema and these games.
    struct LutrisRow {
        std::string name;
        std::string runner;
        std::string executable;
        std::string directory;
        int installed = 1;
        std::string configpath;
    };
    void writeLutrisDatabase(const std::filesystem::path& file,
                             const std::vector<LutrisRow>& games) const;

    // Proton's prefix compatdata/<app>/pfx in library: a prefix of steamuser with its Documents
    // folder, and compatdata/<app>/pfx.lock written ageSeconds ago. Returns the pfx folder.
    std::filesystem::path makeProtonPrefix(const std::filesystem::path& library,
                                           const std::string& appId, int ageSeconds = 0) const;

    // One non-Steam shortcut of shortcuts.vdf.
    struct Shortcut {
        std::optional<std::int32_t> appId; // none: an older file without the field
        std::string appName;
        std::string exe; // as Steam stores it, usually in double quotes
    };
    // root/userdata/<account>/config/shortcuts.vdf in Valve's binary key-values.
    void writeShortcuts(const std::filesystem::path& root, const std::string& account,
                        const std::vector<Shortcut>& shortcuts) const;

private:
    TempDir dir_;
    discovery::Environment environment_;
};

// A Windows path's backslashes doubled, as Wine writes them in its registry files.
std::string regEscaped(const std::string& windowsPath);
// Valve's binary key-values of shortcuts, as Steam writes shortcuts.vdf.
std::string shortcutsVdf(const std::vector<FakeHome::Shortcut>& shortcuts);
// Z:\ followed by the Linux path with backslashes: the Windows name of a Linux folder.
std::string onDriveZ(const std::filesystem::path& linuxPath);

} // namespace dk3::test
