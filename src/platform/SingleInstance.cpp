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

} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : lockFile_(folder / "VORLIX.lock"),
      lock_(std::make_unique<QLockFile>(pathToQString(lockFile_))) {
    lock_->setStaleLockTime(0); // only a dead holder makes a lock stale, never its age
    if (const auto ec = clearStaleLock(lockFile_)) {
        error_ = ec;
        state_ = State::Unavailable;
        return;
    }
    if (lock_->tryLock(100)) {
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

SingleInstance::~SingleInstance() = default; // QLockFile unlocks in its destructor

} // namespace dk3::platform
