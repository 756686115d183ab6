#pragma once

// Unpacks a file the program carries inside itself (a Qt resource) into the private temporary
// folder, so that the INI engine, the banner and the music player can read it as a plain file.

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace dk3::platform {

struct ExtractResult {
    std::optional<std::filesystem::path> path; // the unpacked file; nothing on failure
    std::string error;                         // why it failed
    std::error_code code; // the system's reason when the file could not be written
};

// Gives folder/fileName. A file of that name that already exists is used unchanged, even if its
// content differs: a second running copy of the program and every later call share the file the
// first call wrote. Otherwise the resource is written to a temporary name and renamed into place,
// so a killed run never leaves a cut file that later runs would then keep using. Files are
// opened without following symbolic links, and a file there that is not ours is replaced.
ExtractResult extractResourceToTemp(const QString& resourcePath, const std::string& fileName,
                                    const std::filesystem::path& folder);

} // namespace dk3::platform
