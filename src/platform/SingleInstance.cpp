#include "platform/SingleInstance.h"

#include "platform/TextCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::platform {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Clears the way for QLockFile. A living holder keeps its lock file open and locked with flock
// for its whole life, so a lock file we can lock ourselves has no living holder and goes, whatever
// it holds; QLockFile alone would trust a damaged file's content and refuse every start. The lock
// is held until the name is gone, and the name is checked again under it, so that two copies
// starting at once never remove a lock the other has just taken.
std::error_code clearStaleLock(const std::filesystem::path& file) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0)
        return errno == ENOENT ? std::error_code() : lastError();
    if (S_ISDIR(info.st_mode)) {
        if (::rmdir(file.c_str()) != 0)
            return std::make_error_code(std::errc::is_a_directory);
        return {};
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        // A link, a pipe, a socket or a file of someone else: nothing a copy of ours made.
        if (::unlink(file.c_str()) != 0)
            return lastError();
        return {};
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::error_code() : lastError();
    std::error_code result;
    struct stat opened {};
    struct stat now {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        if (::fstat(fd, &opened) == 0 && ::lstat(file.c_str(), &now) == 0 &&
            now.st_dev == opened.st_dev && now.st_ino == opened.st_ino &&
            ::unlink(file.c_str()) != 0)
            result = lastError();
    } else if (errno != EWOULDBLOCK) {
        result = lastError();
    }
    ::close(fd);
    return result;
}

// Serialises the starts of copies in one folder: from the look at an old lock file to holding
// the new one, only one starting copy acts at a time. Without it, a copy could take a lock file
// just made by another (created, but not yet locked) for a stale one and remove it, and a third
// would then make a new one: two copies would run. The folder's own flock is used, so nothing
// new can stand in the way; it is held for a moment only, never while a copy runs.
class StartGuard {
public:
    explicit StartGuard(const std::filesystem::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0)
            return;
        // A copy stopped right inside its start (a debugger) must not keep every later start
        // waiting: after a while, go on without the guard.
        for (int waited = 0; waited < 2000; ++waited) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
                return;
            if (errno != EWOULDBLOCK && errno != EINTR)
                break;
            ::usleep(1000);
        }
        ::close(fd_);
        fd_ = -1;
    }
    ~StartGuard() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;

private:
    int fd_ = -1;
};

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : lockFile_(folder / "VORLIX.lock"),
      lock_(std::make_unique<QLockFile>(pathToQString(lockFile_))) {
    lock_->setStaleLockTime(0); // only a dead holder makes a lock stale, never its age
    const StartGuard guard(folder);
    if (const auto ec = clearStaleLock(lockFile_)) {
        error_ = ec;
        state_ = State::Unavailable;
        return;
    }
    // Under the guard, a lock file that is still there has a living holder: no waiting.
    if (lock_->tryLock(0)) {
        state_ = State::Acquired;
        return;
    }
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        state_ = State::AnotherCopyRuns;
        break;
    case QLockFile::PermissionError:
        state_ = State::Unavailable;
        error_ = std::make_error_code(std::errc::permission_denied);
        break;
    default:
        state_ = State::Unavailable;
        error_ = std::make_error_code(std::errc::io_error);
        break;
    }
}

SingleInstance::~SingleInstance() {
    if (state_ != State::Acquired)
        return;
    // Letting go of the lock removes its file: under the guard, so that a copy starting at this
    // moment never has the lock file it has just made removed by us.
    const StartGuard guard(lockFile_.parent_path());
    lock_->unlock();
}

} // namespace dk3::platform
