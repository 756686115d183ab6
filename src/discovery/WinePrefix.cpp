#include "discovery/WinePrefix.h"

#include "discovery/Folders.h"
#include "discovery/Installation.h"
#include "discovery/ValveKeyValues.h"
#include "platform/CaseInsensitivePath.h"
#include "platform/FileIO.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameKey64 =
    "Software\\Wow6432Node\\Brannholt Productions Software AG\\Draskel III";
constexpr std::string_view kGameKey32 = "Software\\Brannholt Productions Software AG\\Draskel III";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

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

std::optional<WineRegistry> readRegistry(const fs::path& file,
                                         const std::vector<std::string>& keys) {
    const auto text = readSmallFile(file, platform::kMaxWholeFileBytes);
    if (!text)
        return std::nullopt;
    return WineRegistry::parse(*text, keys);
}

std::vector<fs::path> registeredGameFolders(const fs::path& prefix) {
    std::vector<fs::path> folders;
    const auto registry =
        readRegistry(prefix / "system.reg", {std::string(kGameKey64), std::string(kGameKey32)});
    if (!registry)
        return folders;
    for (const std::string_view key : {kGameKey64, kGameKey32}) {
        if (const auto dir = registry->text(key, "INSTALL_DIR")) {
            if (auto folder = windowsToLinuxPath(prefix, *dir))
                folders.push_back(std::move(*folder));
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

fs::path documentsInPrefix(const fs::path& prefix) {
    if (auto documents = prefixDocumentsFolder(prefix))
        return std::move(*documents);
    return prefix / "drive_c" / "users" / prefixUser(prefix) / "Documents";
}

std::optional<fs::path> prefixDocumentsFolder(const fs::path& prefix) {
    const std::string user = prefixUser(prefix);
    if (const auto registry = readRegistry(
            prefix / "user.reg", {std::string(kShellFolders), std::string(kUserShellFolders)})) {
        std::vector<std::string> candidates;
        if (auto personal = registry->text(kShellFolders, "Personal"))
            candidates.push_back(std::move(*personal));
        if (auto personal = registry->text(kUserShellFolders, "Personal")) {
            // %USERPROFILE% is the only variable Wine puts there.
            constexpr std::string_view kVariable = "%USERPROFILE%";
            if (personal->size() >= kVariable.size() &&
                equalsIgnoringAsciiCase(std::string_view(*personal).substr(0, kVariable.size()),
                                        kVariable))
                personal->replace(0, kVariable.size(), "C:\\users\\" + user);
            if (personal->find('%') == std::string::npos)
                candidates.push_back(std::move(*personal));
        }
        for (const std::string& candidate : candidates) {
            const auto folder = windowsToLinuxPath(prefix, candidate);
            if (folder && isDirectory(*folder))
                return realPath(*folder);
        }
    }
    const fs::path userFolder =
        platform::resolveCaseInsensitive(prefix, fs::path("drive_c") / "users" / user);
    for (const char* name : {"Documents", "My Documents"}) {
        const fs::path folder = platform::resolveCaseInsensitive(userFolder, name);
        if (isDirectory(folder))
            return realPath(folder);
    }
    return std::nullopt;
}

std::optional<fs::path> windowsToLinuxPath(const fs::path& prefix, std::string_view windowsPath) {
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
    std::size_t pos = 2;
    while (pos <= windowsPath.size()) {
        std::size_t end = windowsPath.find_first_of("\\/", pos);
        if (end == std::string_view::npos)
            end = windowsPath.size();
        const std::string_view component = windowsPath.substr(pos, end - pos);
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
    return realPath(platform::resolveCaseInsensitive(drive, relative));
}

} // namespace dk3::discovery
