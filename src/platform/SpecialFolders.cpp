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

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Makes sure folder is a real directory of ours that nobody else may enter.
bool claimPrivateFolder(const fs::path& folder, TempFolderProblem& problem) {
    using Kind = TempFolderProblem::Kind;
    problem = {Kind::None, folder, {}};
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = {Kind::CannotCreate, folder, lastError()};
        return false;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        problem = {Kind::CannotCreate, folder, lastError()};
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        problem.kind = Kind::NotAFolder;
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        problem.kind = Kind::OtherOwner;
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        problem = {Kind::OpenToOthers, folder, lastError()};
        return false;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem = {Kind::NotWritable, folder, lastError()};
        return false;
    }
    return true;
}

// The same in English, for logs and the callers that want a plain text.
std::string describeProblem(const TempFolderProblem& problem) {
    using Kind = TempFolderProblem::Kind;
    const std::string folder = problem.folder.string();
    const std::string reason = problem.error ? problem.error.message() : std::string();
    switch (problem.kind) {
    case Kind::None:
        break;
    case Kind::CannotCreate:
        return "cannot create " + folder + ": " + reason;
    case Kind::NotAFolder:
        return folder + " is not a folder of its own (a link or a file stands there)";
    case Kind::OtherOwner:
        return folder + " belongs to another user";
    case Kind::OpenToOthers:
        return folder + " is open to other users and cannot be closed: " + reason;
    case Kind::NotWritable:
        return "cannot write into " + folder + ": " + reason;
    case Kind::CannotWriteFile:
        return "cannot write into " + folder + ": " + reason;
    }
    return {};
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
    TempFolderProblem problem;
    auto folder = privateTempFolder(problem);
    error = folder ? std::string() : describeProblem(problem);
    return folder;
}

std::optional<fs::path> privateTempFolder(TempFolderProblem& problem) {
    problem = {};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        TempFolderProblem ignored;
        const fs::path folder = fs::path(runtime) / kFolderName;
        if (claimPrivateFolder(folder, ignored))
            return folder;
    }
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty())
        base = "/tmp";
    const fs::path folder = base / (std::string(kFolderName) + "-" + std::to_string(::geteuid()));
    if (claimPrivateFolder(folder, problem))
        return folder;
    return std::nullopt;
}

} // namespace dk3::platform
