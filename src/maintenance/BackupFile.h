#pragma once

// Backups of the game's three main files (engine configuration, user options, depth-of-field
// shader) in one file of our own, extension "dkb". Earlier versions of this tool wrote the same
// format, so it stays exactly as it is: three little-endian 32-bit lengths E, U, S, then the three
// files byte for byte, nothing else. Without a magic number or checksum, the only way to tell a
// damaged or foreign file is that its size must be exactly 12 + E + U + S; that check is made
// completely before any game file is written.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace dk3::maintenance {

inline constexpr std::size_t kBackupHeaderBytes = 12;

// The game's files are a few kilobytes each. A backup larger than this is refused on both
// creating and loading, so every backup we write can be loaded again.
inline constexpr std::size_t kMaxBackupBytes = 64u * 1024u * 1024u;

// The three game files, in the order the backup holds them.
struct BackupContents {
    std::string engine;
    std::string userOptions;
    std::string shader;

    friend bool operator==(const BackupContents&, const BackupContents&) = default;
};

// Why a file was refused, apart from errors of the operating system.
enum class BackupProblem {
    None,
    TooShort,          // fewer bytes than the 12-byte header
    Truncated,         // fewer bytes than the header's lengths announce
    Padded,            // more bytes than the header's lengths announce
    TooLarge,          // larger than a backup may be, or a game file too long for the format
    WrongExtension,    // a backup to load must be named *.dkb
    TargetIsGameFile,  // creating would overwrite one of the game files being backed up
    UnfinishedRestore, // a restore interrupted (by a kill, or a failure it could not undo)
                       // cannot be completed yet, so the game files may be a mix of two
                       // backups until a later recovery completes it
    JournalUnusable,   // the restore journal (or its lock) in the configuration folder can be
                       // neither used nor set aside (see RestoreRecovery::Outcome::Unusable)
};

// The backup file's bytes, or nothing when a part is longer than a 32-bit length can say.
std::optional<std::string> encodeBackup(const BackupContents& contents);

struct DecodedBackup {
    BackupProblem problem = BackupProblem::None;
    BackupContents contents; // filled only when problem is None
};

// Checks the header against the size before anything is taken from it; never allocates more than
// the input's own size.
DecodedBackup decodeBackup(std::string_view bytes);

// The extension of a path's file name: what follows its last dot, when that dot is neither the
// first character of the name (".hidden" is a hidden file, not an extension) nor the last
// ("name." has none). Dots in folder names do not count ("my.dir/name" has none). Empty when
// there is none.
std::string extensionOf(const std::filesystem::path& path);

// Where "create backup" writes when the user chose path: the path unchanged when its file name
// has any extension ("x.bak" stays "x.bak"), otherwise with ".dkb" appended ("x" -> "x.dkb",
// "x." -> "x.dkb" rather than "x..dkb"). A path that names a folder ("dir/", ".", "..") is
// returned unchanged; writing a backup there fails.
std::filesystem::path backupTargetPath(const std::filesystem::path& chosen);

// Only files whose extension is exactly "dkb", in lower case, are loaded ("x.DKB" and "x.bak"
// are refused, as every earlier version of this tool did).
bool hasBackupExtension(const std::filesystem::path& path);

enum class BackupOperation { Create, Load };

enum class BackupFileRole {
    None,
    EngineFile,
    UserOptionsFile,
    ShaderFile,
    Backup,
    Target,
    RestoreJournal, // the restore journal or its lock, in the program's configuration folder
};

// What happened, and when something failed, which file and why: enough for the dialog to tell
// the user exactly which file is in the way.
struct BackupResult {
    BackupOperation operation = BackupOperation::Create;
    BackupFileRole role = BackupFileRole::None;  // the failed file; None on success
    std::filesystem::path file;                  // the failed file; on success the backup
    std::error_code error;                       // an error of the operating system, or
    BackupProblem problem = BackupProblem::None; // a reason of our own

    bool ok() const { return !error && problem == BackupProblem::None; }
};

// Where loading a backup keeps its journal: restore.journal in the program's own configuration
// folder ($XDG_CONFIG_HOME/draskel3-tuning). Not in the game's folders: the user options file
// usually lies on another file system than the installation, the journal must survive a reboot
// (unlike the runtime folder) and be found whichever installation is located next time.
std::filesystem::path defaultRestoreJournal();

// What recoverInterruptedRestore found and did.
struct RestoreRecovery {
    enum class Outcome {
        Nothing,   // no restore was interrupted
        Completed, // an interrupted restore was finished: the files now hold that backup
        Busy,      // another running copy is restoring right now
        Failed,    // a game file could not be replaced; the next attempt tries again
        SetAside,  // the journal was not one of ours for these three files (damaged, not a
                   // regular file, a link, written for another installation, or naming files
                   // we did not stage); it was moved to setAsideAs untouched, no file was changed
        Unusable,  // the journal or its lock can be neither used nor set aside (a folder we may
                   // not write, a pipe we cannot move); no file was changed
    };
    Outcome outcome = Outcome::Nothing;
    std::filesystem::path file; // the file that failed, or the journal (or its lock file)
    std::filesystem::path setAsideAs;
    std::error_code error;

    bool ok() const { return outcome == Outcome::Nothing || outcome == Outcome::Completed; }
};

// Finishes a backup load that was killed part-way, so that the three game files all come from
// the backup being loaded, and removes what killed loads left beside the game files. Only a
// journal written by a load of these same three files, whose every step puts a file we staged
// in place of one of them, is carried out; any other is set aside. Loading and creating a backup
// call it first; the start-up should call it too, before it reads any setting.
RestoreRecovery
recoverInterruptedRestore(const std::filesystem::path& engineFile,
                          const std::filesystem::path& userOptionsFile,
                          const std::filesystem::path& shaderFile,
                          const std::filesystem::path& journal = defaultRestoreJournal());

// Reads the three game files as they are on disk now and writes them into target (the path of
// backupTargetPath). Every game file must exist and be readable. The target is written
// atomically: on failure no partly written backup is left and an existing target keeps its old
// content.
BackupResult createBackup(const std::filesystem::path& engineFile,
                          const std::filesystem::path& userOptionsFile,
                          const std::filesystem::path& shaderFile,
                          const std::filesystem::path& target,
                          const std::filesystem::path& journal = defaultRestoreJournal());

// Checks backupFile completely (name, size on disk, header, exact length) and only then writes
// the three game files, all or nothing: on any failure every game file stays as it was. The
// write is journalled (see recoverInterruptedRestore): when the program is killed half-way, the
// next start or backup action completes it.
BackupResult loadBackup(const std::filesystem::path& backupFile,
                        const std::filesystem::path& engineFile,
                        const std::filesystem::path& userOptionsFile,
                        const std::filesystem::path& shaderFile,
                        const std::filesystem::path& journal = defaultRestoreJournal());

// One or two English sentences naming the file, such as
// Could not read the user options file "/home/p/Documents/draskel3/UserOptions.ini": no such
// file or directory. No backup was written.
std::string describeBackupResult(const BackupResult& result);

} // namespace dk3::maintenance
