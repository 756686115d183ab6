#include "platform/SpecialFolders.h"

#include "platform/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string_view>
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

// An environment variable that holds an absolute path, or nothing (the XDG rules ignore relative
// values).
std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || *value != '/')
        return std::nullopt;
    return std::string(value);
}

std::string homeFolder() {
    if (auto home = absoluteVariable("HOME"))
        return *home;
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

// "$HOME" or "$HOME/..." with the home folder put in; other values stay as they are.
std::string expandHome(std::string value) {
    if (value == "$HOME" || value.starts_with("$HOME/"))
        value.replace(0, 5, homeFolder());
    return value;
}

// An absolute folder without a trailing separator, or nothing for a relative or empty value.
std::optional<fs::path> absoluteFolder(const std::string& value) {
    fs::path folder = fs::path(value).lexically_normal();
    if (!folder.is_absolute())
        return std::nullopt;
    if (folder.filename().empty() && folder != folder.root_path())
        folder = folder.parent_path();
    return folder;
}

} // namespace

std::optional<std::string> userDirsValue(std::string_view content, std::string_view name) {
    std::optional<std::string> found;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // NAME=value, the way the shell reads it when it sources the file: leading blanks are
        // allowed, the last assignment counts, and a double-quoted value may escape ", \, $ and `
        // with a backslash.
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (!line.starts_with(name) || line.substr(name.size(), 1) != "=")
            continue;
        std::string_view raw = line.substr(name.size() + 1);
        std::string value;
        if (raw.size() >= 2 && raw.front() == '"') {
            raw.remove_prefix(1);
            bool closed = false;
            for (std::size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] == '"') {
                    closed = true;
                    break;
                }
                if (raw[i] == '\\' && i + 1 < raw.size() &&
                    std::string_view("\"\\$`").find(raw[i + 1]) != std::string_view::npos)
                    ++i;
                value.push_back(raw[i]);
            }
            if (!closed)
                continue;
        } else {
            value = std::string(raw.substr(0, raw.find_first_of(" \t")));
        }
        found = std::move(value);
    }
    return found;
}

fs::path documentsFolder() {
    // The variable in the environment counts first: players point it at a prefix's Documents
    // for one start. Relative values are ignored, as the XDG rules say.
    if (const char* fromEnvironment = std::getenv("XDG_DOCUMENTS_DIR")) {
        if (auto folder = absoluteFolder(expandHome(fromEnvironment)))
            return *folder;
    }
    // Then the file xdg-user-dirs keeps, and ~/Documents without it.
    const fs::path configHome =
        absoluteVariable("XDG_CONFIG_HOME").value_or(homeFolder() + "/.config");
    std::error_code error;
    if (auto content = readWholeFile(configHome / "user-dirs.dirs", error, 1u << 20)) {
        if (auto value = userDirsValue(*content, "XDG_DOCUMENTS_DIR")) {
            if (auto folder = absoluteFolder(expandHome(*value)))
                return *folder;
        }
    }
    return fs::path(homeFolder()) / "Documents";
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
