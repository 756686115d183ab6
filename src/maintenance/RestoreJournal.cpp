// The journal's place is kept apart from the backup format, which needs nothing of the
// configuration folder's rules.

#include "maintenance/BackupFile.h"
#include "platform/KeyValueStore.h"

namespace dk3::maintenance {

std::filesystem::path defaultRestoreJournal() {
    return platform::KeyValueStore::defaultLocation().parent_path() / "restore.journal";
}

} // namespace dk3::maintenance
