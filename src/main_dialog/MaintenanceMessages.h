#pragma once

// What the start-logo and backup buttons tell the player when a file is in the way, in the
// player's language: one or two sentences naming the file and the reason.

#include "maintenance/BackupFile.h"

#include <QString>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace dk3::main_dialog {

QString logoListFailureText(std::string_view languageName, const std::filesystem::path& logoList,
                            const std::error_code& error);

// For a result that is not ok(): what failed, and that no backup was written (creating) or that
// the game files stayed as they were (loading).
QString backupFailureText(std::string_view languageName, const maintenance::BackupResult& result);

} // namespace dk3::main_dialog
