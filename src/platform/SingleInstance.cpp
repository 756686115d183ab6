#include "platform/SingleInstance.h"

#include "platform/TextCodec.h"

namespace dk3::platform {

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : lock_(std::make_unique<QLockFile>(pathToQString(folder / "VORLIX.lock"))) {
    lock_->setStaleLockTime(0); // only a dead holder makes a lock stale, never its age
    if (!lock_->tryLock(100))
        anotherCopyRuns_ = lock_->error() == QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default; // QLockFile unlocks in its destructor

} // namespace dk3::platform
