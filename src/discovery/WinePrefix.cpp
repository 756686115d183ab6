#include "discovery/WinePrefix.h"

#include "discovery/Folders.h"
#include "discovery/Installation.h"
#include "discovery/ValveKeyValues.h"
#include "platform/CaseInsensitivePath.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameKey64 =
    "Software\\Wow6432Node\\Brannholt Productions Software AG\\Draskel III";
constexpr std::string_view kGameKey32 = "Software\\Brannholt Productions Software AG\\Draskel III";
constexpr std::size_t kMaxUserRegBytes = 16u * 1024u * 1024u;
constexpr std::string_view kGogGames64 = "Software\\Wow6432Node\\GOG.com\\Games";
constexpr std::string_view kGogGames32 = "Software\\GOG.com\\Games";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The variables Wine expands in User Shell Folders; nothing for a value with any other.
std::optional<std::string> expandShellFolder(std::string value, const std::string& user) {
    const std::pair<std::string_view, std::string> variables[] = {
        {"%USERPROFILE%", "C:\\users\\" + user},
        {"%PUBLIC%", "C:\\users\\Public"},
        {"%SystemDrive%", "C:"},
        {"%USERNAME%", user},
    };
    std::string out;
    std::size_t pos = 0;
    while (pos < value.size()) {
        if (value[pos] != '%') {
            out.push_back(value[pos++]);
            continue;
        }
        bool known = false;
        for (const auto& [name, replacement] : variables) {
            if (value.size() - pos >= name.size() &&
                equalsIgnoringAsciiCase(std::string_view(value).substr(pos, name.size()), name)) {
                out += replacement;
                pos += name.size();
                known = true;
                break;
            }
        }
        if (!known)
            return std::nullopt;
    }
    return out;
}

std::string accountName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return entry->pw_name;
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    return "user";
}

} // namespace

bool isPrefix(const fs::path& folder) {
    return isRegularFile(folder / "system.reg") && isDirectory(folder / "drive_c");
}

bool isProtonPrefix(const fs::path& prefix) {
    if (isDirectory(prefix / "drive_c" / "users" / kProtonUser))
        return true;
    // compatdata/<appid>/pfx, before Proton has made the user's folder.
    return prefix.filename() == "pfx" &&
           prefix.parent_path().parent_path().filename() == "compatdata";
}

std::string prefixUser(const fs::path& prefix) {
    if (isProtonPrefix(prefix))
        return std::string(kProtonUser);
    std::vector<std::string> users;
    for (const fs::path& entry : entriesOf(prefix / "drive_c" / "users")) {
        const std::string name = entry.filename().string();
        if (!equalsIgnoringAsciiCase(name, "Public") && isDirectory(entry))
            users.push_back(name);
    }
    if (users.size() == 1)
        return users.front();
    const std::string account = accountName();
    for (const std::string& user : users) {
        if (user == account)
            return user;
    }
    return users.empty() ? account : users.front();
}

std::optional<WineRegistry> readRegistry(const fs::path& file, const std::vector<std::string>& keys,
                                         std::size_t maxBytes) {
    const auto text = readSmallFile(file, maxBytes);
    if (!text)
        return std::nullopt;
    return WineRegistry::parse(*text, keys);
}

std::vector<fs::path> registeredGameFolders(const fs::path& prefix) {
    std::vector<fs::path> folders;
    const auto registry =
        readRegistry(prefix / "system.reg",
                     {std::string(kGameKey64), std::string(kGameKey32),
                      std::string(kGogGames64) + "\\*", std::string(kGogGames32) + "\\*"},
                     platform::kMaxWholeFileBytes);
    if (!registry)
        return folders;
    for (const std::string_view key : {kGameKey64, kGameKey32}) {
        if (const auto dir = registry->text(key, "INSTALL_DIR")) {
            if (auto folder = windowsToLinuxPath(prefix, *dir))
                folders.push_back(std::move(*folder));
        }
    }
    // A GOG installer may leave the game's own key out; its GOG.com\Games\<id> key names the
    // folder as "path".
    for (const std::string_view parent : {kGogGames64, kGogGames32}) {
        for (const std::string& key : registry->subkeys(parent)) {
            if (const auto dir = registry->text(key, "path")) {
                if (auto folder = windowsToLinuxPath(prefix, *dir))
                    folders.push_back(std::move(*folder));
            }
        }
    }
    return folders;
}

std::optional<fs::path> enclosingPrefix(const fs::path& folder) {
    for (fs::path current = folder; !current.empty(); current = current.parent_path()) {
        if (isPrefix(current))
            return current;
        if (current == current.root_path())
            break;
    }
    return std::nullopt;
}

namespace {

std::string judgeDocuments(const fs::path& path, const fs::path& prefix, const fs::path& home) {
    if (isWithin(path, realPath(prefix)))
        return {};
    if (!home.empty() && home.has_relative_path() && isWithin(path, realPath(home)))
        return {};
    if (path == path.root_path())
        return "it is the root folder";
    static const char* const kSystemFolders[] = {
        "/bin",  "/boot", "/dev", "/etc",  "/lib", "/lib32", "/lib64", "/libx32", "/opt",
        "/proc", "/root", "/run", "/sbin", "/srv", "/sys",   "/tmp",   "/usr",    "/var"};
    const bool removable =
        isWithin(path, "/run/media") || isWithin(path, "/media") || isWithin(path, "/mnt");
    for (const char* system : kSystemFolders) {
        if (!removable && isWithin(path, system))
            return std::string("it lies in the system folder ") + system;
    }
    // Judged by the nearest folder that exists: a folder not made yet belongs to whoever owns
    // the one it would be made in.
    fs::path existing = path;
    while (!existsAsEntry(existing) && existing != existing.root_path())
        existing = existing.parent_path();
    struct stat info {};
    if (::stat(existing.c_str(), &info) != 0)
        return "it cannot be reached";
    if (info.st_uid != ::geteuid())
        return "it belongs to another user";
    return {};
}

} // namespace

std::string documentsRefusal(const fs::path& folder, const fs::path& prefix, const fs::path& home) {
    // Judged both as named and where its links lead: Z:\proc\self\cwd leads into the
    // player's own folders through a system folder, and a Documents link in the prefix may lead
    // anywhere.
    if (std::string refusal = judgeDocuments(folder.lexically_normal(), prefix, home);
        !refusal.empty())
        return refusal;
    return judgeDocuments(realPath(folder), prefix, home);
}

fs::path documentsInPrefix(const fs::path& prefix, const fs::path& home) {
    if (auto documents = prefixDocumentsFolder(prefix, home))
        return std::move(*documents);
    // Where Wine or Proton will make it.
    return platform::resolveCaseInsensitive(prefix,
                                            fs::path("drive_c") / "users" / prefixUser(prefix)) /
           "Documents";
}

fs::path defaultDocumentsFolder(const fs::path& prefix) {
    const fs::path userFolder = platform::resolveCaseInsensitive(
        prefix, fs::path("drive_c") / "users" / prefixUser(prefix));
    for (const char* name : {"Documents", "My Documents"}) {
        const fs::path folder = platform::resolveCaseInsensitive(userFolder, name);
        if (isDirectory(folder))
            return realPath(folder);
    }
    return userFolder / "Documents";
}

std::optional<fs::path> prefixDocumentsFolder(const fs::path& prefix, const fs::path& home) {
    const std::string user = prefixUser(prefix);
    // Wine's SHGetFolderPath takes User Shell Folders, expanded, and hands out that path whether
    // or not the folder exists (it only makes it when asked to); Shell Folders is Wine's copy of
    // it for old programs, read here only when User Shell Folders names nothing.
    std::optional<fs::path> named;
    // A user's registry holds settings, not programs: a few megabytes even in a busy prefix. A
    // far larger one is not read at every start for one value; the default folder serves.
    const fs::path userReg = prefix / "user.reg";
    const auto registry = readRegistry(
        userReg, {std::string(kShellFolders), std::string(kUserShellFolders)}, kMaxUserRegBytes);
    if (!registry && isRegularFile(userReg)) {
        std::error_code ec;
        if (fs::file_size(userReg, ec) > kMaxUserRegBytes && !ec)
            std::fprintf(stderr,
                         "draskel3-tuning: %s is larger than any user registry of Wine; its "
                         "documents folder is not read from it\n",
                         userReg.c_str());
    }
    if (registry) {
        if (auto personal = registry->text(kUserShellFolders, "Personal")) {
            if (const auto expanded = expandShellFolder(*personal, user))
                named = windowsPathInPrefix(prefix, *expanded);
        }
        if (!named) {
            if (const auto personal = registry->text(kShellFolders, "Personal")) {
                const auto folder = windowsPathInPrefix(prefix, *personal);
                if (folder && isDirectory(*folder))
                    named = folder;
            }
        }
    }
    if (named) {
        const std::string refusal = documentsRefusal(*named, prefix, home);
        if (refusal.empty())
            return realPath(*named);
        std::fprintf(stderr,
                     "draskel3-tuning: the documents folder %s named in %s is not used: %s; the "
                     "prefix's own user folder is used instead\n",
                     named->c_str(), (prefix / "user.reg").c_str(), refusal.c_str());
    }
    const fs::path fallback = defaultDocumentsFolder(prefix);
    if (!isDirectory(fallback))
        return std::nullopt;
    if (const std::string refusal = documentsRefusal(fallback, prefix, home); !refusal.empty()) {
        std::fprintf(stderr,
                     "draskel3-tuning: the documents folder %s of the prefix %s is not used: %s\n",
                     fallback.c_str(), prefix.c_str(), refusal.c_str());
        return std::nullopt;
    }
    return fallback;
}

std::optional<fs::path> windowsToLinuxPath(const fs::path& prefix, std::string_view windowsPath) {
    auto path = windowsPathInPrefix(prefix, windowsPath);
    if (!path)
        return std::nullopt;
    return realPath(*path);
}

std::optional<fs::path> windowsPathInPrefix(const fs::path& prefix, std::string_view windowsPath) {
    // Bounded before anything else: a registry file may hold a value of millions of components.
    if (windowsPath.size() > 4 * kMaxWindowsPathChars)
        return std::nullopt;
    if (std::count_if(windowsPath.begin(), windowsPath.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }) > static_cast<std::ptrdiff_t>(kMaxWindowsPathChars))
        return std::nullopt;
    while (!windowsPath.empty() && (windowsPath.back() == '\0' || windowsPath.back() == ' '))
        windowsPath.remove_suffix(1);
    while (!windowsPath.empty() && windowsPath.front() == ' ')
        windowsPath.remove_prefix(1);
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return std::nullopt;
    char letter = windowsPath[0];
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'z')
        return std::nullopt;

    fs::path drive = prefix / "dosdevices" / (std::string(1, letter) + ":");
    if (!existsAsEntry(drive)) {
        const fs::path upper =
            prefix / "dosdevices" / (std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":");
        if (existsAsEntry(upper))
            drive = upper;
        else if (letter == 'c' && isDirectory(prefix / "drive_c"))
            drive = prefix / "drive_c"; // a prefix whose dosdevices Wine has not made yet
        else
            return std::nullopt;
    }

    // Components as Windows reads them: either slash separates, "." stays, ".." goes up but never
    // above the drive.
    std::vector<std::string> components;
    std::size_t count = 0;
    std::size_t pos = 2;
    while (pos <= windowsPath.size()) {
        std::size_t end = windowsPath.find_first_of("\\/", pos);
        if (end == std::string_view::npos)
            end = windowsPath.size();
        const std::string_view component = windowsPath.substr(pos, end - pos);
        if (component.size() > 255 || ++count > kMaxWindowsPathComponents)
            return std::nullopt;
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            components.emplace_back(component);
        }
        pos = end + 1;
    }
    fs::path relative;
    for (const std::string& component : components)
        relative /= component;
    return platform::resolveCaseInsensitive(realPath(drive), relative);
}

} // namespace dk3::discovery
