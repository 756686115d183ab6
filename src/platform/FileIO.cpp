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

// Reads all of the open file fd (closed afterwards; -1 stands for an open that failed, with
// errno telling why). Only a regular file of at most maxBytes is read.
std::optional<std::string> readDescriptor(int fd, std::error_code& error, std::size_t maxBytes) {
    error.clear();
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

GroupWriteProbe groupWriteProbe = nullptr;

void probe(int point) {
    if (groupWriteProbe)
        groupWriteProbe(point);
}

// The journal: a first line naming the format; the files of the group it belongs to (their count,
// then each path); then for each file it replaces, its target and its staged content (empty: the
// target is to be removed); "end\n" last. Every field is "<length>:<bytes>\n", so that any byte of
// a path survives. A journal of version 1 (earlier versions of this program) names no group.
constexpr std::string_view kJournalHeader = "draskel3-tuning group write 2\n";
constexpr std::string_view kJournalHeaderV1 = "draskel3-tuning group write 1\n";
// A journal names a handful of paths; anything near this size is not one of ours.
constexpr std::size_t kMaxJournalBytes = 1u << 20;
constexpr std::size_t kMaxJournalFiles = 64;

struct JournalEntry {
    fs::path target;
    fs::path staged; // empty: remove the target
};

struct Journal {
    std::optional<std::vector<fs::path>> group; // none in a journal of version 1
    std::vector<JournalEntry> entries;
};

// Where a write of file really goes: a link in its last component followed (as writes do), then
// made absolute and canonical, so that no ".", ".." or linked folder is left in it.
fs::path canonicalTarget(const fs::path& file) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(resolveLinks(file), ec);
    if (ec)
        return {};
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : canonical;
}

void appendField(std::string& out, const std::string& text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
    out += '\n';
}

std::string encodeJournal(const std::vector<fs::path>& group,
                          const std::vector<JournalEntry>& entries) {
    std::string out(kJournalHeader);
    appendField(out, std::to_string(group.size()));
    for (const fs::path& file : group)
        appendField(out, file.string());
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

std::optional<Journal> decodeJournal(std::string_view in) {
    Journal journal;
    if (in.starts_with(kJournalHeader)) {
        in.remove_prefix(kJournalHeader.size());
        const auto count = takeField(in);
        if (!count || count->empty() || count->size() > 2 ||
            !std::all_of(count->begin(), count->end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const std::size_t files = std::stoul(*count);
        if (files == 0 || files > kMaxJournalFiles)
            return std::nullopt;
        std::vector<fs::path> group;
        for (std::size_t i = 0; i < files; ++i) {
            auto file = takeField(in);
            if (!file)
                return std::nullopt;
            group.emplace_back(std::move(*file));
        }
        journal.group = std::move(group);
    } else if (in.starts_with(kJournalHeaderV1)) {
        in.remove_prefix(kJournalHeaderV1.size());
    } else {
        return std::nullopt;
    }
    while (in != "end\n") {
        auto target = takeField(in);
        auto staged = target ? takeField(in) : std::nullopt;
        if (!staged || journal.entries.size() >= kMaxJournalFiles)
            return std::nullopt;
        journal.entries.push_back({std::move(*target), std::move(*staged)});
    }
    return journal;
}

// An absolute path with no ".", ".." or empty component and nothing after its file name.
bool isCanonicalPath(const fs::path& path) {
    if (!path.is_absolute() || path.filename().empty() ||
        path.string() != path.lexically_normal().string())
        return false;
    for (const fs::path& part : path.relative_path())
        if (part.empty() || part == "." || part == "..")
            return false;
    return true;
}

// Staged files are made by this user; a copy run as root hands them to the owner of their
// target (or of its folder, for a new file), as the rename would otherwise give the game's file
// to root.
bool stagedByUs(const struct stat& info, const fs::path& target) {
    if (info.st_uid == ::geteuid())
        return true;
    if (::geteuid() != 0)
        return false;
    struct stat owner {};
    if (::stat(target.c_str(), &owner) != 0 && ::stat(folderOf(target).c_str(), &owner) != 0)
        return false;
    return info.st_uid == owner.st_uid;
}

// Whether entry replaces (or removes) one of the group's files, found where a write of the
// group puts it and not a link, with a staged file we made beside it: a regular file of ours,
// named as we name them, with no other name. A staged file that is gone was renamed into place by
// the run that was killed.
bool entryIsOurs(const JournalEntry& entry, const std::vector<fs::path>& targets) {
    if (!isCanonicalPath(entry.target) ||
        std::find(targets.begin(), targets.end(), entry.target) == targets.end())
        return false;
    // A link in the target's place would be replaced, never followed; but no load of ours ever
    // names one. Anything else in the way (a folder) only makes the step fail, touching nothing.
    struct stat info {};
    if (::lstat(entry.target.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    if (entry.staged.empty())
        return true;
    if (!isCanonicalPath(entry.staged) ||
        entry.staged.parent_path() != entry.target.parent_path() ||
        !parseTemporaryName(entry.staged.filename().string(), entry.target.filename().string(),
                            kGroupWrite)
             .matches)
        return false;
    if (::lstat(entry.staged.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && stagedByUs(info, entry.target);
}

// A journal we may carry out: one written for exactly this group of files, every entry of which
// only puts a staged file of ours in place of one of them (see entryIsOurs).
bool journalIsOurs(const Journal& journal, const std::vector<fs::path>& group) {
    std::vector<fs::path> targets;
    for (const fs::path& file : group)
        targets.push_back(canonicalTarget(file));
    if (journal.group) {
        std::vector<fs::path> recorded;
        for (const fs::path& file : *journal.group)
            recorded.push_back(canonicalTarget(file));
        std::vector<fs::path> expected = targets;
        std::sort(recorded.begin(), recorded.end());
        std::sort(expected.begin(), expected.end());
        if (recorded != expected)
            return false;
    }
    return std::all_of(journal.entries.begin(), journal.entries.end(),
                       [&](const JournalEntry& entry) { return entryIsOurs(entry, targets); });
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

// Reads the journal without following a link and without waiting on a pipe; anything but a
// regular file of at most kMaxJournalBytes fails.
std::optional<std::string> readJournal(const fs::path& journal, std::error_code& error) {
    return readDescriptor(::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC),
                          error, kMaxJournalBytes);
}

// Moves whatever stands at journal out of the way without opening or following it, to
// journal + ".set-aside" (or "-2" ... "-9" when earlier ones are kept there).
std::error_code setJournalAside(const fs::path& journal, fs::path& aside) {
    const std::string base = journal.string() + ".set-aside";
    for (int i = 1; i <= 9; ++i) {
        aside = i == 1 ? base : base + "-" + std::to_string(i);
        if (::renameat2(AT_FDCWD, journal.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) ==
            0) {
            syncFolder(folderOf(journal));
            return {};
        }
        if (errno != EEXIST && errno != ENOTEMPTY)
            break; // a file system without RENAME_NOREPLACE, or a real failure
    }
    // Replaces the first one kept, when that is a file.
    aside = base;
    if (::rename(journal.c_str(), aside.c_str()) != 0)
        return lastError();
    syncFolder(folderOf(journal));
    return {};
}

// Holds the lock of a journal for one group write or recovery. The lock file is ours alone: a
// link, a pipe or an empty folder in its place is a leftover or planted, and is removed.
class JournalLock {
public:
    JournalLock(const fs::path& journal, bool wait) : file_(journal.string() + ".lock") {
        std::error_code ec;
        fs::create_directories(folderOf(journal), ec);
        for (int attempt = 0; attempt < 2 && fd_ < 0; ++attempt) {
            fd_ =
                ::open(file_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
            struct stat info {};
            if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
                break;
            error_ = fd_ >= 0 ? std::make_error_code(std::errc::invalid_argument) : lastError();
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
            if (error_ == std::errc::permission_denied ||
                error_ == std::errc::read_only_file_system || !clearPlace())
                return;
        }
        if (fd_ < 0)
            return;
        error_.clear();
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
    bool busy() const {
        return error_ == std::errc::resource_unavailable_try_again ||
               error_ == std::errc::operation_would_block;
    }
    std::error_code error() const { return error_; }
    const fs::path& file() const { return file_; }

private:
    // Removes what is not a lock file of ours from the lock's place; false when it cannot.
    bool clearPlace() {
        struct stat info {};
        if (::lstat(file_.c_str(), &info) != 0)
            return errno == ENOENT;
        if (S_ISREG(info.st_mode))
            return false; // a lock file we cannot open: error_ says why
        if (S_ISDIR(info.st_mode) ? ::rmdir(file_.c_str()) != 0 : ::unlink(file_.c_str()) != 0) {
            error_ = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                           : lastError();
            return false;
        }
        return true;
    }

    fs::path file_;
    int fd_ = -1;
    std::error_code error_;
};

FileGroupRecovery unusable(const fs::path& file, std::error_code error) {
    FileGroupRecovery result;
    result.outcome = FileGroupRecovery::Outcome::Unusable;
    result.file = file;
    result.error = error;
    return result;
}

// Staged files of runs killed before their journal was written belong to no write.
std::size_t sweepStaged(const std::vector<fs::path>& group) {
    std::size_t removed = 0;
    for (const fs::path& file : group)
        removed += removeStale(resolveLinks(file), kGroupWrite);
    return removed;
}

// Recovery with the journal's lock already held.
FileGroupRecovery recoverLocked(const fs::path& journal, const std::vector<fs::path>& group) {
    FileGroupRecovery result;
    struct stat info {};
    if (::lstat(journal.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            return unusable(journal, lastError());
        result.removed = sweepStaged(group);
        return result;
    }

    std::error_code ec;
    const auto bytes = readJournal(journal, ec);
    if (!bytes && ec == std::errc::no_such_file_or_directory) {
        result.removed = sweepStaged(group);
        return result;
    }
    const auto decoded = bytes ? decodeJournal(*bytes) : std::nullopt;
    if (!decoded || !journalIsOurs(*decoded, group)) {
        // Not a journal of ours for these files: nothing it names is touched.
        if (const auto asideError = setJournalAside(journal, result.setAsideAs))
            return unusable(journal, asideError);
        result.outcome = FileGroupRecovery::Outcome::SetAside;
        result.file = journal;
        result.error = ec ? ec : std::make_error_code(std::errc::invalid_argument);
        return result;
    }
    // A journal that could not be removed afterwards would be carried out again by every later
    // recovery, and its removals would then take files written since.
    if (::access(folderOf(journal).c_str(), W_OK | X_OK) != 0)
        return unusable(journal, lastError());

    fs::path failed;
    if (const auto applyError = applyJournal(decoded->entries, failed)) {
        result.outcome = FileGroupRecovery::Outcome::Failed;
        result.error = applyError;
        result.file = failed;
        return result;
    }
    if (const auto removeError = removeJournal(journal))
        return unusable(journal, removeError);
    result.outcome = FileGroupRecovery::Outcome::Completed;
    result.removed = sweepStaged(group);
    return result;
}

} // namespace

std::optional<std::string> readWholeFile(const fs::path& file, std::error_code& error,
                                         std::size_t maxBytes) {
    // Non-blocking, so that a pipe standing where a file should be is refused instead of waiting
    // for a writer forever; regular files ignore the flag.
    return readDescriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK), error, maxBytes);
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
    std::vector<fs::path> group;
    for (const auto& file : files)
        group.push_back(fs::absolute(file.first).lexically_normal());
    const FileGroupRecovery earlier = recoverLocked(journal, group);
    if (earlier.outcome == FileGroupRecovery::Outcome::Failed ||
        earlier.outcome == FileGroupRecovery::Outcome::Unusable)
        return fail(earlier.error, earlier.file);

    std::vector<std::optional<std::string>> previous;
    if (const auto ec = readPrevious(files, previous, failedFile))
        return ec;
    std::vector<StagedFile> staged;
    if (const auto ec = stageAll(files, staged, kGroupWrite, failedFile))
        return ec;
    probe(0);

    // Recovery checks every entry against the group, so the journal names each file by the
    // canonical path recovery will expect, its staged file beside it.
    const auto entryFor = [](const StagedFile& file) -> JournalEntry {
        const fs::path target = canonicalTarget(file.target);
        return {target, file.temporary.empty() ? fs::path()
                                               : target.parent_path() / file.temporary.filename()};
    };
    std::vector<JournalEntry> entries;
    for (const StagedFile& file : staged)
        entries.push_back(entryFor(file));
    if (const auto ec = writePrivateFileAtomically(journal, encodeJournal(group, entries))) {
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
                    removals.push_back({canonicalTarget(staged[j].target), {}});
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
                undoEntries.push_back(entryFor(file));
            if (writePrivateFileAtomically(journal, encodeJournal(group, undoEntries))) {
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

FileGroupRecovery recoverFileGroup(const fs::path& journal, const std::vector<fs::path>& group) {
    JournalLock lock(journal, false);
    if (lock.held())
        return recoverLocked(journal, group);
    FileGroupRecovery result;
    if (lock.busy()) {
        result.outcome = FileGroupRecovery::Outcome::Busy;
        result.file = journal;
        return result;
    }
    // Without the lock (a folder we may not write) nothing may be carried out; but where there
    // is no journal, nothing was interrupted either.
    struct stat info {};
    if (::lstat(journal.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        result.removed = sweepStaged(group);
        return result;
    }
    // A folder we may not write is the journal's problem; a lock file we cannot use, its own.
    const bool folder = lock.error() == std::errc::permission_denied ||
                        lock.error() == std::errc::read_only_file_system;
    return unusable(folder ? journal : lock.file(), lock.error());
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
