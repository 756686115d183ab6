#include "platform/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Follows symbolic links so that a link to a game file keeps pointing at the replaced file.
fs::path resolveLinks(const fs::path& file) {
    fs::path current = file;
    for (int depth = 0; depth < 16; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        const fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current;
}

fs::path folderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

void syncFolder(const fs::path& folder) {
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

std::error_code writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return {};
}

// The two kinds of temporary names: single writes and the staged files of a journalled group.
constexpr std::string_view kSingleWrite = "tmp";
constexpr std::string_view kGroupWrite = "txn";
constexpr int kRandomChars = 6; // the XXXXXX of mkstemp
// A temporary of an older version carries no process id; one untouched for this long is dead.
constexpr auto kOldStyleStaleAfter = std::chrono::minutes(10);

bool isRandomChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

struct TemporaryName {
    bool matches = false;
    pid_t pid = 0; // 0 for an old-style name without a process id
};

// Whether name is exactly ".<targetName>.<kind>-<pid>-XXXXXX" (or, for single writes, the
// old-style ".<targetName>.tmp-XXXXXX").
TemporaryName parseTemporaryName(std::string_view name, std::string_view targetName,
                                 std::string_view kind) {
    const std::string prefix = "." + std::string(targetName) + "." + std::string(kind) + "-";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return {};
    std::string_view rest = name.substr(prefix.size());
    const auto randomTail = [](std::string_view tail) {
        return tail.size() == static_cast<std::size_t>(kRandomChars) &&
               std::all_of(tail.begin(), tail.end(), isRandomChar);
    };
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos)
        return {kind == kSingleWrite && randomTail(rest), 0};
    const std::string_view digits = rest.substr(0, dash);
    if (digits.empty() || digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        !randomTail(rest.substr(dash + 1)))
        return {};
    return {true, static_cast<pid_t>(std::stol(std::string(digits)))};
}

bool processIsGone(pid_t pid) {
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes candidate when it is a regular file of this user (or of owner) that no living process
// writes: its writer's process is gone (or, without a process id, it has not changed for a long
// time) and nobody holds its lock. The name is checked again under the lock, so that a file put
// in its place meanwhile is left alone.
bool removeIfStale(const fs::path& candidate, const TemporaryName& parsed, uid_t owner) {
    struct stat before {};
    if (::lstat(candidate.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return false;
    if (before.st_uid != ::geteuid() && before.st_uid != owner)
        return false;
    if (parsed.pid != 0) {
        if (!processIsGone(parsed.pid))
            return false;
    } else {
        const auto changed = std::chrono::system_clock::from_time_t(before.st_mtime);
        if (std::chrono::system_clock::now() - changed < kOldStyleStaleAfter)
            return false;
    }
    const int fd = ::open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat locked {};
    struct stat now {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &locked) == 0 &&
        ::lstat(candidate.c_str(), &now) == 0 && now.st_dev == locked.st_dev &&
        now.st_ino == locked.st_ino && locked.st_ino == before.st_ino)
        removed = ::unlink(candidate.c_str()) == 0;
    ::close(fd);
    return removed;
}

// Removes stale temporaries of one kind beside a target whose links are already resolved.
std::size_t removeStale(const fs::path& target, std::string_view kind,
                        const std::vector<fs::path>& keep = {}) {
    const std::string targetName = target.filename().string();
    if (targetName.empty())
        return 0;
    struct stat info {};
    const uid_t owner = ::stat(target.c_str(), &info) == 0 ? info.st_uid : ::geteuid();
    std::size_t removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const TemporaryName parsed = parseTemporaryName(name, targetName, kind);
        if (!parsed.matches || std::find(keep.begin(), keep.end(), it->path()) != keep.end())
            continue;
        if (removeIfStale(it->path(), parsed, owner))
            ++removed;
    }
    return removed;
}

// A complete copy of the new content beside its target, waiting to be renamed into place. Its
// descriptor stays open and locked until then, so that no clean-up takes it for a leftover.
struct StagedFile {
    fs::path target;
    fs::path temporary;
    int fd = -1;

    StagedFile() = default;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    StagedFile(StagedFile&& other) noexcept
        : target(std::move(other.target)), temporary(std::move(other.temporary)),
          fd(std::exchange(other.fd, -1)) {}
    ~StagedFile() { release(); }

    void release() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // Removes the temporary file, when there still is one.
    void discard() {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        temporary.clear();
        release();
    }
};

struct TargetInfo {
    bool exists = false;
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

std::error_code checkTarget(const fs::path& target, TargetInfo& out) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        if (!S_ISREG(info.st_mode))
            return std::make_error_code(std::errc::invalid_argument);
        if (::access(target.c_str(), W_OK) != 0)
            return lastError();
        out = {true, static_cast<mode_t>(info.st_mode & 07777), info.st_uid, info.st_gid};
        return {};
    }
    if (errno != ENOENT)
        return lastError();
    out.exists = false;
    out.mode = creationMode();
    // A new file in a folder of someone else, written by root (a copy run with sudo), goes to
    // the folder's owner: the game, run by that user, must be able to write it later.
    if (::geteuid() == 0 && ::stat(folderOf(target).c_str(), &info) == 0) {
        out.uid = info.st_uid;
        out.gid = info.st_gid;
    } else {
        out.uid = ::geteuid();
        out.gid = ::getegid();
    }
    return {};
}

// Gives the temporary file the target's owner and group where this process may, as the rename
// would otherwise hand the file to whoever wrote it. Without the right to, the file stays ours.
void keepOwner(int fd, const TargetInfo& info) {
    struct stat current {};
    if (::fstat(fd, &current) != 0 || (current.st_uid == info.uid && current.st_gid == info.gid))
        return;
    if (::fchown(fd, info.uid, info.gid) == 0)
        return;
    // A user may still hand the file to a group of theirs.
    if (current.st_gid != info.gid)
        (void)::fchown(fd, static_cast<uid_t>(-1), info.gid);
}

enum class Links { Follow, Replace };

std::error_code stage(const fs::path& file, std::string_view bytes, StagedFile& staged,
                      Links links = Links::Follow, std::string_view kind = kSingleWrite) {
    TargetInfo info;
    if (links == Links::Follow) {
        staged.target = resolveLinks(file);
        if (const auto ec = checkTarget(staged.target, info))
            return ec;
    } else {
        staged.target = file;
        struct stat existing {};
        if (::lstat(file.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        info = {false, 0600, ::geteuid(), ::getegid()};
    }
    // Leftovers of killed writes of this target go before a new one is made.
    removeStale(staged.target, kSingleWrite);

    std::string pattern = folderOf(staged.target) /
                          ("." + staged.target.filename().string() + "." + std::string(kind) + "-" +
                           std::to_string(::getpid()) + "-XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return lastError();
    staged.temporary = pattern;
    staged.fd = fd;

    std::error_code ec;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        ec = lastError();
    if (!ec)
        ec = writeAll(fd, bytes);
    if (!ec)
        keepOwner(fd, info); // before the mode: a change of owner clears set-id bits
    if (!ec && ::fchmod(fd, info.mode) != 0)
        ec = lastError();
    if (!ec && ::fsync(fd) != 0)
        ec = lastError();
    if (ec)
        staged.discard();
    return ec;
}

std::error_code commit(StagedFile& staged, bool discardOnFailure = true) {
    if (::rename(staged.temporary.c_str(), staged.target.c_str()) != 0) {
        const auto ec = lastError();
        if (discardOnFailure)
            staged.discard();
        return ec;
    }
    staged.temporary.clear();
    staged.release();
    // Make the rename itself durable; a failure here does not undo the completed write.
    syncFolder(folderOf(staged.target));
    return {};
}

GroupWriteProbe groupWriteProbe = nullptr;

void probe(int point) {
    if (groupWriteProbe)
        groupWriteProbe(point);
}

// The journal: a first line naming the format, then for each file its target and its staged
// content (empty: the target is to be removed), each as "<length>:<bytes>\n" so that any byte
// of a path survives, and "end\n" last.
constexpr std::string_view kJournalHeader = "draskel3-tuning group write 1\n";

struct JournalEntry {
    fs::path target;
    fs::path staged; // empty: remove the target
};

void appendField(std::string& out, const std::string& text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
    out += '\n';
}

std::string encodeJournal(const std::vector<JournalEntry>& entries) {
    std::string out(kJournalHeader);
    for (const JournalEntry& entry : entries) {
        appendField(out, entry.target.string());
        appendField(out, entry.staged.string());
    }
    out += "end\n";
    return out;
}

std::optional<std::string> takeField(std::string_view& in) {
    const std::size_t colon = in.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 9)
        return std::nullopt;
    std::size_t length = 0;
    for (char c : in.substr(0, colon)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    in.remove_prefix(colon + 1);
    if (in.size() < length + 1 || in[length] != '\n')
        return std::nullopt;
    std::string field(in.substr(0, length));
    in.remove_prefix(length + 1);
    return field;
}

// A staged file is only ever our own temporary beside its target; a journal naming anything
// else is not one we wrote, and nothing it names is touched.
bool isOurStagedFile(const JournalEntry& entry) {
    if (entry.staged.empty())
        return entry.target.is_absolute() && !entry.target.filename().empty();
    return entry.target.is_absolute() && entry.staged.parent_path() == entry.target.parent_path() &&
           parseTemporaryName(entry.staged.filename().string(), entry.target.filename().string(),
                              kGroupWrite)
               .matches;
}

std::optional<std::vector<JournalEntry>> decodeJournal(std::string_view in) {
    if (in.substr(0, kJournalHeader.size()) != kJournalHeader)
        return std::nullopt;
    in.remove_prefix(kJournalHeader.size());
    std::vector<JournalEntry> entries;
    while (in != "end\n") {
        auto target = takeField(in);
        auto staged = target ? takeField(in) : std::nullopt;
        if (!staged || entries.size() >= 64)
            return std::nullopt;
        entries.push_back({*target, *staged});
        if (!isOurStagedFile(entries.back()))
            return std::nullopt;
    }
    return entries;
}

// Applies the journal's entries; entries already applied by a killed run are found done.
std::error_code applyJournal(const std::vector<JournalEntry>& entries, fs::path& failed) {
    int point = 2;
    for (const JournalEntry& entry : entries) {
        if (entry.staged.empty()) {
            if (::unlink(entry.target.c_str()) != 0 && errno != ENOENT) {
                failed = entry.target;
                return lastError();
            }
        } else if (::rename(entry.staged.c_str(), entry.target.c_str()) != 0 && errno != ENOENT) {
            failed = entry.target;
            return lastError();
        }
        syncFolder(folderOf(entry.target));
        probe(point++);
    }
    return {};
}

std::error_code removeJournal(const fs::path& journal) {
    if (::unlink(journal.c_str()) != 0 && errno != ENOENT)
        return lastError();
    syncFolder(folderOf(journal));
    return {};
}

// Holds the lock of a journal for one group write or recovery.
class JournalLock {
public:
    JournalLock(const fs::path& journal, bool wait) {
        std::error_code ec;
        fs::create_directories(folderOf(journal), ec);
        const fs::path lockFile = journal.string() + ".lock";
        fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = lastError();
            return;
        }
        int result = 0;
        while ((result = ::flock(fd_, LOCK_EX | (wait ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
        }
        if (result != 0) {
            error_ = lastError();
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~JournalLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    bool held() const { return fd_ >= 0; }
    std::error_code error() const { return error_; }

private:
    int fd_ = -1;
    std::error_code error_;
};

// Recovery with the journal's lock already held.
FileGroupRecovery recoverLocked(const fs::path& journal, const std::vector<fs::path>& sweep) {
    FileGroupRecovery result;
    std::vector<fs::path> targets;
    for (const fs::path& target : sweep)
        targets.push_back(resolveLinks(target));

    std::error_code ec;
    const auto bytes = readWholeFile(journal, ec, 1u << 20);
    if (bytes) {
        const auto entries = decodeJournal(*bytes);
        if (!entries) {
            result.outcome = FileGroupRecovery::Outcome::Damaged;
            result.error = std::make_error_code(std::errc::invalid_argument);
            result.file = journal;
            const fs::path aside = journal.string() + ".damaged";
            if (::rename(journal.c_str(), aside.c_str()) != 0)
                result.error = lastError();
            return result;
        }
        for (const JournalEntry& entry : *entries)
            targets.push_back(entry.target);
        fs::path failed;
        if (const auto applyError = applyJournal(*entries, failed)) {
            result.outcome = FileGroupRecovery::Outcome::Failed;
            result.error = applyError;
            result.file = failed;
            return result;
        }
        if (const auto removeError = removeJournal(journal)) {
            result.outcome = FileGroupRecovery::Outcome::Failed;
            result.error = removeError;
            result.file = journal;
            return result;
        }
        result.outcome = FileGroupRecovery::Outcome::Completed;
    } else if (ec != std::errc::no_such_file_or_directory) {
        result.outcome = FileGroupRecovery::Outcome::Failed;
        result.error = ec;
        result.file = journal;
        return result;
    }
    // Staged files of runs killed before their journal was written belong to no write.
    for (const fs::path& target : targets)
        result.removed += removeStale(target, kGroupWrite);
    return result;
}

} // namespace

std::optional<std::string> readWholeFile(const fs::path& file, std::error_code& error,
                                         std::size_t maxBytes) {
    error.clear();
    // Non-blocking, so that a pipe standing where a file should be is refused below instead of
    // waiting for a writer forever; regular files ignore the flag.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = lastError();
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                      : std::make_error_code(std::errc::invalid_argument);
        ::close(fd);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(info.st_size) > maxBytes) {
        error = std::make_error_code(std::errc::file_too_large);
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        // The file may grow while we read it; the limit holds all the same.
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            error = std::make_error_code(std::errc::file_too_large);
            ::close(fd);
            return std::nullopt;
        }
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

std::error_code writeFileAtomically(const fs::path& file, std::string_view bytes) {
    StagedFile staged;
    if (const auto ec = stage(file, bytes, staged))
        return ec;
    return commit(staged);
}

std::error_code writePrivateFileAtomically(const fs::path& file, std::string_view bytes) {
    StagedFile staged;
    if (const auto ec = stage(file, bytes, staged, Links::Replace))
        return ec;
    return commit(staged);
}

namespace {

// What each file holds now, so that a rename failing half-way can be undone.
std::error_code readPrevious(const std::vector<std::pair<fs::path, std::string>>& files,
                             std::vector<std::optional<std::string>>& previous,
                             fs::path* failedFile) {
    previous.reserve(files.size());
    for (const auto& [file, bytes] : files) {
        std::error_code ec;
        auto old = readWholeFile(resolveLinks(file), ec);
        if (ec && ec != std::errc::no_such_file_or_directory) {
            if (failedFile)
                *failedFile = file;
            return ec;
        }
        previous.push_back(std::move(old));
    }
    return {};
}

std::error_code stageAll(const std::vector<std::pair<fs::path, std::string>>& files,
                         std::vector<StagedFile>& staged, std::string_view kind,
                         fs::path* failedFile) {
    staged.resize(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (const auto ec =
                stage(files[i].first, files[i].second, staged[i], Links::Follow, kind)) {
            for (std::size_t j = 0; j < i; ++j)
                staged[j].discard();
            if (failedFile)
                *failedFile = files[i].first;
            return ec;
        }
    }
    return {};
}

} // namespace

std::error_code writeFilesAtomically(const std::vector<std::pair<fs::path, std::string>>& files,
                                     fs::path* failedFile) {
    std::vector<std::optional<std::string>> previous;
    if (const auto ec = readPrevious(files, previous, failedFile))
        return ec;
    std::vector<StagedFile> staged;
    if (const auto ec = stageAll(files, staged, kSingleWrite, failedFile))
        return ec;

    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (const auto ec = commit(staged[i])) {
            for (std::size_t j = i + 1; j < staged.size(); ++j)
                staged[j].discard();
            for (std::size_t j = 0; j < i; ++j) {
                if (previous[j])
                    (void)writeFileAtomically(staged[j].target, *previous[j]);
                else
                    ::unlink(staged[j].target.c_str());
            }
            if (failedFile)
                *failedFile = files[i].first;
            return ec;
        }
    }
    return {};
}

std::error_code writeFilesWithJournal(const std::vector<std::pair<fs::path, std::string>>& files,
                                      const fs::path& journal, fs::path* failedFile,
                                      bool* unfinished) {
    const auto fail = [&](std::error_code ec, const fs::path& file) {
        if (failedFile)
            *failedFile = file;
        return ec;
    };
    JournalLock lock(journal, true);
    if (!lock.held())
        return fail(lock.error(), journal);
    std::vector<fs::path> targets;
    for (const auto& file : files)
        targets.push_back(file.first);
    const FileGroupRecovery earlier = recoverLocked(journal, targets);
    if (earlier.outcome == FileGroupRecovery::Outcome::Failed)
        return fail(earlier.error, earlier.file);

    std::vector<std::optional<std::string>> previous;
    if (const auto ec = readPrevious(files, previous, failedFile))
        return ec;
    std::vector<StagedFile> staged;
    if (const auto ec = stageAll(files, staged, kGroupWrite, failedFile))
        return ec;
    probe(0);

    std::vector<JournalEntry> entries;
    for (const StagedFile& file : staged)
        entries.push_back({fs::absolute(file.target), fs::absolute(file.temporary)});
    if (const auto ec = writePrivateFileAtomically(journal, encodeJournal(entries))) {
        for (StagedFile& file : staged)
            file.discard();
        return fail(ec, journal);
    }
    probe(1);

    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (const auto ec = commit(staged[i], false)) {
            // Still alive: undo the renames already made, as a journalled group write of the
            // previous contents that replaces the first journal in one step. Until it is in
            // place, the first journal stays valid and a later recovery finishes the restore.
            std::vector<std::pair<fs::path, std::string>> undo;
            std::vector<JournalEntry> removals;
            for (std::size_t j = 0; j < i; ++j) {
                if (previous[j])
                    undo.emplace_back(staged[j].target, *previous[j]);
                else
                    removals.push_back({fs::absolute(staged[j].target), {}});
            }
            std::vector<StagedFile> undone;
            const auto leaveForRecovery = [&] {
                if (unfinished)
                    *unfinished = true;
                return fail(ec, files[i].first);
            };
            if (stageAll(undo, undone, kGroupWrite, nullptr))
                return leaveForRecovery();
            std::vector<JournalEntry> undoEntries = removals;
            for (const StagedFile& file : undone)
                undoEntries.push_back({fs::absolute(file.target), fs::absolute(file.temporary)});
            if (writePrivateFileAtomically(journal, encodeJournal(undoEntries))) {
                for (StagedFile& file : undone)
                    file.discard();
                return leaveForRecovery();
            }
            for (std::size_t j = i; j < staged.size(); ++j)
                staged[j].discard();
            for (StagedFile& file : undone)
                file.release();
            fs::path ignored;
            if (applyJournal(undoEntries, ignored))
                return leaveForRecovery(); // the undo journal stays for a later recovery
            (void)removeJournal(journal);
            return fail(ec, files[i].first);
        }
        probe(2 + static_cast<int>(i));
    }
    if (const auto ec = removeJournal(journal))
        return fail(ec, journal); // every file is written; the next recovery only removes it
    probe(static_cast<int>(files.size()) + 2);
    return {};
}

FileGroupRecovery recoverFileGroup(const fs::path& journal, const std::vector<fs::path>& sweep) {
    JournalLock lock(journal, false);
    if (!lock.held()) {
        FileGroupRecovery busy;
        const bool held = lock.error() == std::errc::resource_unavailable_try_again ||
                          lock.error() == std::errc::operation_would_block;
        busy.outcome = held ? FileGroupRecovery::Outcome::Busy : FileGroupRecovery::Outcome::Failed;
        busy.error = held ? std::error_code() : lock.error();
        busy.file = journal;
        return busy;
    }
    return recoverLocked(journal, sweep);
}

std::size_t removeStaleTemporaries(const fs::path& target) {
    return removeStale(resolveLinks(target), kSingleWrite);
}

std::size_t removeStaleTemporaries(const std::vector<fs::path>& targets) {
    std::size_t removed = 0;
    for (const fs::path& target : targets)
        removed += removeStaleTemporaries(target);
    return removed;
}

void setGroupWriteProbe(GroupWriteProbe newProbe) {
    groupWriteProbe = newProbe;
}

std::string describeError(const std::error_code& error) {
    if (error == std::errc::file_too_large)
        return "the file is too large";
    // The system's reasons start with a capital letter; ours stand inside a sentence.
    std::string text = error.message();
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

} // namespace dk3::platform
