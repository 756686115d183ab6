#pragma once

// What the start-up does about what an earlier, killed run left behind: the temporary files of
// interrupted writes beside the game's files, and a backup load that did not finish. Also the
// texts the player sees about it and about a lock that cannot be made.

#include "app/GamePaths.h"
#include "maintenance/BackupFile.h"
#include "platform/SingleInstance.h"

#include <QString>

#include <filesystem>
#include <string_view>

namespace dk3::main_dialog {

struct StartupRecovery {
    maintenance::RestoreRecovery restore;
    std::size_t removedTemporaries = 0; // leftovers of killed writes that were removed
};

// Finishes an interrupted backup load of paths' three game files (journal: see
// maintenance::defaultRestoreJournal) and removes stale temporary files beside every file the
// program writes: the engine, debug, user options, shader and start-logo files, and storeFile
// (the key-value store) when given. Run it once the game's paths are known and before any
// setting is read.
StartupRecovery recoverAfterInterruptedRun(
    const app::GamePaths& paths, const std::filesystem::path& storeFile = {},
    const std::filesystem::path& journal = maintenance::defaultRestoreJournal());

// The player's message about an interrupted restore in languageName; empty when there is
// nothing to tell (nothing was interrupted, or it was completed).
QString restoreRecoveryMessage(std::string_view languageName,
                               const maintenance::RestoreRecovery& recovery);

// The player's message when the single-instance lock cannot be made (the program runs all the
// same); empty when the lock was taken or another copy runs.
QString lockUnavailableMessage(std::string_view languageName,
                               const platform::SingleInstance& instance);

} // namespace dk3::main_dialog
