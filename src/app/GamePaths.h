#pragma once

// The files the program reads and edits, fixed at start-up and owned by the main dialog.

#include <filesystem>

namespace dk3::discovery {
struct Installation;
} // namespace dk3::discovery

namespace dk3::app {

struct GamePaths {
    std::filesystem::path translationPath; // the unpacked translation file
    std::filesystem::path userOptionsPath; // <documents>/draskel3/UserOptions.ini
    std::filesystem::path engineIniPath;   // <installation>/Ini/dk3e.ini
    std::filesystem::path debugIniPath;    // <installation>/Ini/debug.ini
    std::filesystem::path shaderPath;      // <installation>/Data/.../IP_DOF.fx

    // Sets the three installation paths. Each is matched against the disk without regard to
    // letter case, as Wine does, so "ini/DK3E.INI" is found for "Ini/dk3e.ini".
    void setInstallation(const std::filesystem::path& installationFolder);

    // The game's per-user folder in the documents folder, and the options file inside it.
    static std::filesystem::path userFolderIn(const std::filesystem::path& documentsFolder);
    void setDocuments(const std::filesystem::path& documentsFolder);

    // The game folder's files and the options file in the installation's documents folder.
    void setInstallation(const discovery::Installation& installation);
};

} // namespace dk3::app
