#include "platform/SpecialFolders.h"

#include "platform/TextCodec.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "draskel3-tuning";

// Makes sure folder is a real directory of ours that nobody else may enter.
bool claimPrivateFolder(const fs::path& folder, std::string& error) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        error = "cannot inspect " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = folder.string() + " is not a folder of its own (a link or a file stands there)";
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        error = folder.string() + " belongs to another user";
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        error = folder.string() +
                " is open to other users and cannot be closed: " + std::strerror(errno);
        return false;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write into " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

fs::path documentsFolder() {
    // The variable in the environment counts first: players point it at a prefix's Documents
    // for one start. Relative values are ignored, as the XDG rules say.
    if (const char* fromEnvironment = std::getenv("XDG_DOCUMENTS_DIR")) {
        std::string value = fromEnvironment;
        if (value.starts_with("$HOME/") || value == "$HOME") {
            if (const char* home = std::getenv("HOME"); home && *home == '/')
                value.replace(0, 5, home);
        }
        fs::path folder = fs::path(value).lexically_normal();
        if (folder.is_absolute()) {
            if (folder.filename().empty() && folder != folder.root_path())
                folder = folder.parent_path();
            return folder;
        }
    }
    // Qt reads user-dirs.dirs and falls back to ~/Documents.
    return pathFromQString(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

std::optional<fs::path> privateTempFolder(std::string& error) {
    error.clear();
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        std::string ignored;
        const fs::path folder = fs::path(runtime) / kFolderName;
        if (claimPrivateFolder(folder, ignored))
            return folder;
    }
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty())
        base = "/tmp";
    const fs::path folder = base / (std::string(kFolderName) + "-" + std::to_string(::geteuid()));
    if (claimPrivateFolder(folder, error))
        return folder;
    return std::nullopt;
}

} // namespace dk3::platform
