#include "platform/ResourceExtractor.h"

#include "platform/FileIO.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

// True when file is a regular file of this user that can be read, reached without a link.
bool isUsableExistingFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool usable =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
    ::close(fd);
    return usable;
}

} // namespace

ExtractResult extractResourceToTemp(const QString& resourcePath, const std::string& fileName,
                                    const fs::path& folder) {
    ExtractResult result;
    const fs::path target = folder / fileName;
    if (isUsableExistingFile(target)) {
        result.path = target;
        return result;
    }

    QFile resource(resourcePath);
    if (!resource.open(QIODevice::ReadOnly)) {
        result.error = "the program lacks its embedded file " + resourcePath.toStdString();
        return result;
    }
    const QByteArray bytes = resource.readAll();

    // Whatever stands there (a dangling link, a file of someone else) is replaced by name; the
    // write never goes through a link.
    if (const auto ec = writePrivateFileAtomically(
            target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        result.error = "cannot write " + target.string() + ": " + describeError(ec);
        result.code = ec;
        return result;
    }
    result.path = target;
    return result;
}

} // namespace dk3::platform
