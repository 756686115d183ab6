#pragma once

// Keeps a second copy of the program from running beside the first. The first copy holds a lock
// file in the private temporary folder for its whole life; the lock of a copy that was killed is
// taken over by the next start (the holder's process no longer exists), while a slow but living
// first copy is never taken over.
//
// A lock file that no living process holds is stale whatever it says: an empty file, one holding
// garbage, or one naming a process that is not a copy of this program is taken over. Anything
// else in its place (a symbolic link, a pipe, an empty folder) is removed, as the folder is ours
// alone; what cannot be removed leaves the lock unavailable, with the reason.

#include <QLockFile>

#include <filesystem>
#include <memory>
#include <system_error>

namespace dk3::platform {

class RaiseRequestListener;

class SingleInstance {
public:
    enum class State {
        Acquired,        // this copy holds the lock
        AnotherCopyRuns, // a living copy holds it
        Unavailable,     // the lock cannot be made (see error()); nobody else is known to run
    };

    explicit SingleInstance(const std::filesystem::path& folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    State state() const { return state_; }
    // Why the lock is unavailable; empty otherwise.
    std::error_code error() const { return error_; }
    const std::filesystem::path& lockFile() const { return lockFile_; }

    // True when another living copy holds the lock. A lock that cannot be made for another reason
    // (a folder we cannot write) does not turn this copy away.
    bool anotherCopyRuns() const { return state_ == State::AnotherCopyRuns; }

    // For the copy that holds the lock: listens beside it for a second start's request to show
    // the window (see RaiseRequests.h). It lives no longer than the lock, so that a copy starting
    // as this one quits never has its own socket taken away. Null without the lock.
    RaiseRequestListener* listenForRaiseRequests();

private:
    std::filesystem::path lockFile_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<RaiseRequestListener> listener_;
    State state_ = State::Unavailable;
    std::error_code error_;
};

} // namespace dk3::platform
