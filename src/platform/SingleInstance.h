#pragma once

// Keeps a second copy of the program from running beside the first. The first copy holds a lock
// file in the private temporary folder for its whole life; the lock of a copy that was killed is
// taken over by the next start (the holder's process no longer exists), while a slow but living
// first copy is never taken over.

#include <QLockFile>

#include <filesystem>
#include <memory>

namespace dk3::platform {

class SingleInstance {
public:
    explicit SingleInstance(const std::filesystem::path& folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another living copy holds the lock. A lock that cannot be made for another reason
    // (a folder we cannot write) does not turn this copy away.
    bool anotherCopyRuns() const { return anotherCopyRuns_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool anotherCopyRuns_ = false;
};

} // namespace dk3::platform
