#pragma once

// Whole-file reads and writes for the game's files, the key-value store and backups.
//
// Every write goes to a temporary file in the target's own folder and is then renamed over the
// target, so a crash, a full disk or a killed process never leaves a cut file behind. A write
// reports failure instead of pretending: a read-only target, a missing folder or a directory in
// the way all fail and leave the target as it was. A replaced file keeps its permission bits and,
// where the process may set them, its owner and group.
//
// The temporary file of a write is named ".<name>.tmp-<pid>-XXXXXX" beside its target <name>
// (<pid> is the writing process, XXXXXX random) and is locked (flock) while it is written. A
// process killed before its rename leaves it behind; every later write of the same target removes
// such leftovers, and so does removeStaleTemporaries.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace dk3::platform {

// Files larger than this are not read whole: the game's INI files, shader and backups are a few
// kilobytes, so anything near this size is damaged or not what the user meant to give us.
inline constexpr std::size_t kMaxWholeFileBytes = 64u * 1024u * 1024u;

// Reads the whole file as bytes. Fails with an error code when the file cannot be opened or read,
// is not a regular file, or is larger than maxBytes (std::errc::file_too_large).
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::error_code& error,
                                         std::size_t maxBytes = kMaxWholeFileBytes);

// Replaces the file's content with bytes (creating the file when missing; its folder must exist).
// The previous content stays intact unless the new content was written completely. Permission
// bits of an existing file are kept; a symbolic link is followed and its target replaced.
// Returns an empty error code on success.
[[nodiscard]] std::error_code writeFileAtomically(const std::filesystem::path& file,
                                                  std::string_view bytes);

// Like writeFileAtomically, but a symbolic link standing at file is replaced by the new file
// instead of being followed, and a new file gets mode 0600. For the program's own private files,
// where a link can only be a leftover or a planted redirection.
[[nodiscard]] std::error_code writePrivateFileAtomically(const std::filesystem::path& file,
                                                         std::string_view bytes);

// Writes several files as one step: either every file holds its new content afterwards, or every
// file is as it was (existing files keep their content, files that did not exist stay missing).
// On failure, failedFile names the file that could not be written.
[[nodiscard]] std::error_code
writeFilesAtomically(const std::vector<std::pair<std::filesystem::path, std::string>>& files,
                     std::filesystem::path* failedFile = nullptr);

// Like writeFilesAtomically, and safe against the process being killed part-way: before the
// first file is replaced, a journal naming the group (the files written) and for each file its
// target and its complete new content (staged beside the target as ".<name>.txn-<pid>-XXXXXX") is
// written to journal. From then on the group write counts as done: recoverFileGroup finishes the
// renames a killed process did not get to, so the files never stay a mix of old and new
// contents. A kill before the journal exists leaves every file as it was. Only one group write or
// recovery per journal runs at a time (a lock file journal + ".lock" is held meanwhile). An
// unfinished journal left by an earlier, killed run is recovered first; if that fails, nothing is
// written.
// A rename that fails while the process lives is undone, so the files are as they were. Only when
// the undo itself fails (a disk that turned read-only half-way) do the files stay a mix until a
// later recovery completes the journal left in place; *unfinished is then set to true.
[[nodiscard]] std::error_code
writeFilesWithJournal(const std::vector<std::pair<std::filesystem::path, std::string>>& files,
                      const std::filesystem::path& journal,
                      std::filesystem::path* failedFile = nullptr, bool* unfinished = nullptr);

struct FileGroupRecovery {
    enum class Outcome {
        Nothing,   // no unfinished group write
        Completed, // an interrupted group write was finished
        Busy,      // another living process is writing this group right now
        Failed,    // a file could not be replaced; the journal stays for the next attempt
        SetAside,  // the journal was not one of ours for this group (unreadable, damaged, not a
                   // regular file, reached through a link, written for other files, or naming
                   // staged files we did not make); it was moved aside unopened or unused, to
                   // setAsideAs, and no file was touched
        Unusable,  // the journal (or its lock) can neither be carried out nor set aside, for
                   // example in a folder we may not write; nothing was touched
    };
    Outcome outcome = Outcome::Nothing;
    std::error_code error;            // for Failed, SetAside and Unusable
    std::filesystem::path file;       // the file that failed, or the journal (or its lock file)
    std::filesystem::path setAsideAs; // where a journal that is not ours now lies
    std::size_t removed = 0;          // leftover staged files of killed runs that were removed
};

// Finishes a group write of writeFilesWithJournal that was interrupted, then removes staged
// files that killed runs left beside the group's files before they wrote a journal. group names
// the files the caller writes in groups (as given to writeFilesWithJournal): a journal is carried
// out only when it was written for exactly these files and each of its entries puts a staged
// file of ours in place of one of them (or removes one); anything else is set aside untouched.
// Call it at start-up and before every group write's caller reads the group's files.
FileGroupRecovery recoverFileGroup(const std::filesystem::path& journal,
                                   const std::vector<std::filesystem::path>& group = {});

// Removes the temporary files that killed writes of this program left beside target (after
// following symbolic links, as writes do): files named ".<name>.tmp-<pid>-XXXXXX" whose process
// no longer exists and which nobody holds locked, and old-style ".<name>.tmp-XXXXXX" files not
// changed for ten minutes. Only regular files of this user or of the target's owner are removed,
// never a link, a folder or any other name. Returns how many were removed.
std::size_t removeStaleTemporaries(const std::filesystem::path& target);
std::size_t removeStaleTemporaries(const std::vector<std::filesystem::path>& targets);

// For tests: called with 0 after every file of a journalled group write is staged, 1 after the
// journal is written, 1 + i after the i-th rename (i from 1), and files + 2 after the journal is
// removed. A test kills its own child process at one of these points.
using GroupWriteProbe = void (*)(int point);
void setGroupWriteProbe(GroupWriteProbe probe);

// A short, human-readable reason for an error code, such as "permission denied" or
// "no space left on device".
std::string describeError(const std::error_code& error);

} // namespace dk3::platform
