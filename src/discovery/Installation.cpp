#include "discovery/Installation.h"

#include "discovery/LutrisConfig.h"
#include "discovery/RecordsModule.h"
#include "discovery/ValveKeyValues.h"
#include "discovery/WineRegistry.h"
#include "platform/CaseInsensitivePath.h"
#include "platform/FileIO.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <pwd.h>
#include <set>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// Steam's manifests and library lists are a few kilobytes.
constexpr std::size_t kMaxSteamFileBytes = 4u * 1024u * 1024u;

constexpr std::string_view kGameKey64 =
    "Software\\Wow6432Node\\Brannholt Productions Software AG\\Draskel III";
constexpr std::string_view kGameKey32 = "Software\\Brannholt Productions Software AG\\Draskel III";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr std::string_view kProtonUser = "steamuser";

bool isDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool existsAsEntry(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The path with every link resolved, as far as it exists; the path as given when that fails.
fs::path realPath(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path, ec);
    if (ec || real.empty())
        return path.lexically_normal();
    return real;
}

std::optional<std::string> readSmallFile(const fs::path& file, std::size_t maxBytes) {
    std::error_code ec;
    return platform::readWholeFile(file, ec, maxBytes);
}

// The entries of a folder, sorted by name so that every run finds things in the same order.
std::vector<fs::path> entriesOf(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

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

std::string accountName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return entry->pw_name;
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    return "user";
}

// The Windows user of a prefix: Proton's steamuser, else the one user folder Wine made (Wine
// names it after the account that made the prefix), else this account's name.
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

// Every folder the prefix's registry names as the game's installation folder.
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

fs::path documentsIn(const std::optional<fs::path>& prefix, const Environment& environment) {
    if (!prefix)
        return environment.documentsFolder;
    if (auto documents = prefixDocumentsFolder(*prefix))
        return std::move(*documents);
    return *prefix / "drive_c" / "users" / prefixUser(*prefix) / "Documents";
}

// The nearest folder at or above folder that is a Wine prefix.
std::optional<fs::path> enclosingPrefix(const fs::path& folder) {
    for (fs::path current = folder; !current.empty(); current = current.parent_path()) {
        if (isPrefix(current))
            return current;
        if (current == current.root_path())
            break;
    }
    return std::nullopt;
}

bool isAllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An app of a Steam library, from its manifest.
struct SteamApp {
    std::string appId;
    fs::path installFolder; // steamapps/common/<installdir>, spelled as on disk when it exists
};

std::optional<SteamApp> readManifest(const fs::path& manifest, const fs::path& common,
                                     const std::map<std::string, std::string>& commonNames) {
    const auto text = readSmallFile(manifest, kMaxSteamFileBytes);
    if (!text)
        return std::nullopt;
    const auto root = parseKeyValues(*text);
    if (!root)
        return std::nullopt;
    const KeyValueNode* state = root->find("AppState");
    if (!state || !state->isBlock)
        return std::nullopt;
    SteamApp app;
    if (const auto id = state->text("appid"))
        app.appId = std::string(*id);
    else // older manifests leave it to the file name: appmanifest_<id>.acf
        app.appId = manifest.stem().string().substr(std::string_view("appmanifest_").size());
    const auto installDir = state->text("installdir");
    // The folder is one name below common; anything that would climb out of it is refused.
    if (!isAllDigits(app.appId) || !installDir || installDir->empty() || *installDir == "." ||
        *installDir == ".." || installDir->find('/') != std::string_view::npos ||
        installDir->find('\\') != std::string_view::npos)
        return std::nullopt;
    std::string lower(*installDir);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    const auto onDisk = commonNames.find(lower);
    app.installFolder = common / (onDisk != commonNames.end() ? onDisk->second : *installDir);
    return app;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The apps of a library, in the order of their manifests' names.
std::vector<SteamApp> libraryApps(const fs::path& library) {
    std::vector<SteamApp> apps;
    const fs::path steamapps = platform::resolveCaseInsensitive(library, "steamapps");
    const fs::path common = platform::resolveCaseInsensitive(steamapps, "common");
    // One listing of common serves every manifest: Steam's installdir may differ in letter case
    // from the folder on disk.
    std::map<std::string, std::string> commonNames;
    for (const fs::path& entry : entriesOf(common)) {
        const std::string name = entry.filename().string();
        commonNames.emplace(lowerAscii(name), name);
    }
    for (const fs::path& entry : entriesOf(steamapps)) {
        const std::string name = entry.filename().string();
        if (!name.starts_with("appmanifest_") || !name.ends_with(".acf"))
            continue;
        if (auto app = readManifest(entry, common, commonNames))
            apps.push_back(std::move(*app));
    }
    return apps;
}

std::vector<fs::path> steamRoots(const Environment& environment) {
    const fs::path& home = environment.home;
    const std::vector<fs::path> candidates = {
        home / ".steam/steam",
        home / ".steam/root",
        environment.dataHome / "Steam",
        home / ".local/share/Steam",
        home / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
    };
    std::vector<fs::path> roots;
    std::set<fs::path> seen;
    for (const fs::path& candidate : candidates) {
        if (!isDirectory(candidate))
            continue;
        if (seen.insert(realPath(candidate)).second)
            roots.push_back(realPath(candidate));
    }
    return roots;
}

// The root's own library first, then those its libraryfolders.vdf lists, each once.
std::vector<fs::path> steamLibraries(const Environment& environment) {
    std::vector<fs::path> libraries;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& library) {
        if (!library.is_absolute() || !isDirectory(library))
            return;
        const fs::path real = realPath(library);
        if (seen.insert(real).second)
            libraries.push_back(real);
    };
    for (const fs::path& root : steamRoots(environment)) {
        add(root);
        const fs::path list =
            platform::resolveCaseInsensitive(root, "steamapps/libraryfolders.vdf");
        const auto text = readSmallFile(list, kMaxSteamFileBytes);
        const auto parsed = text ? parseKeyValues(*text) : std::nullopt;
        const KeyValueNode* folders = parsed ? parsed->find("libraryfolders") : nullptr;
        if (!folders || !folders->isBlock)
            continue;
        for (const KeyValueNode& entry : folders->children) {
            if (!isAllDigits(entry.key))
                continue; // "TimeNextStatsReport", "ContentStatsID" of the older layout
            if (!entry.isBlock)
                add(fs::path(entry.value)); // older layout: "1" "/path"
            else if (const auto path = entry.text("path"))
                add(fs::path(std::string(*path)));
        }
    }
    return libraries;
}

// Plain Wine's prefixes: $WINEPREFIX, then ~/.wine.
std::vector<std::pair<fs::path, Source>> launcherPrefixes(const Environment& environment) {
    std::vector<std::pair<fs::path, Source>> prefixes;
    if (environment.winePrefix)
        prefixes.emplace_back(*environment.winePrefix, Source::Wine);
    prefixes.emplace_back(environment.home / ".wine", Source::Wine);
    return prefixes;
}

std::vector<fs::path> bottlesPrefixes(const Environment& environment) {
    std::vector<fs::path> prefixes;
    for (const fs::path& bottles :
         {environment.dataHome / "bottles/bottles",
          environment.home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
        for (const fs::path& bottle : entriesOf(bottles)) {
            if (isPrefix(bottle))
                prefixes.push_back(bottle);
        }
    }
    return prefixes;
}

// Heroic makes ~/Games/Heroic/Prefixes/<game> (newer versions .../default/<game>); a Wine prefix
// is that folder itself, a Proton prefix its pfx folder.
std::vector<fs::path> heroicPrefixes(const Environment& environment) {
    std::vector<fs::path> prefixes;
    const auto take = [&](const fs::path& folder) {
        if (isPrefix(folder)) {
            prefixes.push_back(folder);
            return true;
        }
        if (isPrefix(folder / "pfx")) {
            prefixes.push_back(folder / "pfx");
            return true;
        }
        return false;
    };
    for (const fs::path& folder : entriesOf(environment.home / "Games/Heroic/Prefixes")) {
        if (take(folder) || !isDirectory(folder))
            continue;
        for (const fs::path& inner : entriesOf(folder))
            take(inner);
    }
    return prefixes;
}

std::optional<LutrisGameConfig> readLutrisGameConfig(const fs::path& file) {
    const RecordReaders* readers = recordReaders();
    const auto text = readers ? readSmallFile(file, kMaxLutrisFileBytes) : std::nullopt;
    return text ? readers->lutrisGameConfig(*text) : std::nullopt;
}

std::vector<fs::path> lutrisFiles(const Environment& environment) {
    std::vector<fs::path> files;
    for (const fs::path& folder :
         {environment.configHome / "lutris/games", environment.dataHome / "lutris/games"}) {
        for (const fs::path& file : entriesOf(folder)) {
            const std::string ext = lowerAscii(file.extension().string());
            if (ext == ".yml" || ext == ".yaml")
                files.push_back(file);
        }
    }
    return files;
}

// The found installations, each game folder once by its real path.
class Finds {
public:
    explicit Finds(const Environment& environment) : environment_(environment) {}

    void add(const fs::path& gameFolder, const std::optional<fs::path>& prefix, Source source,
             std::string appId = {}) {
        Installation installation;
        installation.gameFolder = realPath(gameFolder);
        if (!seen_.insert(installation.gameFolder).second)
            return;
        if (prefix)
            installation.prefix = realPath(*prefix);
        installation.documentsFolder = documentsIn(installation.prefix, environment_);
        installation.source = source;
        installation.appId = std::move(appId);
        found_.push_back(std::move(installation));
    }

    void addFromPrefix(const fs::path& prefix, Source source) {
        if (!isPrefix(prefix))
            return;
        for (const fs::path& folder : registeredGameFolders(prefix)) {
            if (looksLikeGame(folder))
                add(folder, prefix, source);
        }
    }

    std::vector<Installation> take() { return std::move(found_); }

private:
    const Environment& environment_;
    std::set<fs::path> seen_;
    std::vector<Installation> found_;
};

void findLutrisGames(const Environment& environment, Finds& finds) {
    for (const fs::path& file : lutrisFiles(environment)) {
        const auto config = readLutrisGameConfig(file);
        if (!config)
            continue;
        const auto prefix = lutrisPath(config->prefix, environment.home);
        bool found = false;
        for (const fs::path& exe : lutrisExeCandidates(*config, environment.home)) {
            const fs::path folder =
                platform::resolveCaseInsensitive("/", exe.relative_path()).parent_path();
            if (!looksLikeGame(folder))
                continue;
            std::optional<fs::path> gamePrefix =
                prefix && isPrefix(*prefix) ? prefix : enclosingPrefix(folder);
            finds.add(folder, gamePrefix, Source::Lutris);
            found = true;
            break;
        }
        if (!found && prefix)
            finds.addFromPrefix(*prefix, Source::Lutris);
    }
}

} // namespace

std::string_view sourceName(Source source) {
    switch (source) {
    case Source::Steam:
        return "steam";
    case Source::Wine:
        return "wine";
    case Source::Lutris:
        return "lutris";
    case Source::Bottles:
        return "bottles";
    case Source::Heroic:
        return "heroic";
    case Source::ChosenByHand:
        break;
    }
    return "chosen";
}

Environment Environment::fromProcess() {
    // The XDG rules: a relative value is to be ignored.
    const auto absolute = [](const char* name) -> std::optional<fs::path> {
        const char* value = std::getenv(name);
        if (!value || *value != '/')
            return std::nullopt;
        return fs::path(value);
    };
    Environment environment;
    if (auto home = absolute("HOME"))
        environment.home = std::move(*home);
    else if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
        environment.home = entry->pw_dir;
    environment.dataHome = absolute("XDG_DATA_HOME").value_or(environment.home / ".local/share");
    environment.configHome = absolute("XDG_CONFIG_HOME").value_or(environment.home / ".config");
    environment.documentsFolder = platform::documentsFolder();
    environment.winePrefix = absolute("WINEPREFIX");
    return environment;
}

bool looksLikeGame(const fs::path& folder) {
    bool hasExe = false;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (equalsIgnoringAsciiCase(it->path().filename().string(), "Draskel3.exe") &&
            isRegularFile(it->path())) {
            hasExe = true;
            break;
        }
    }
    if (!hasExe)
        return false;
    const fs::path ini = platform::resolveCaseInsensitive(folder, "Ini/dk3e.ini");
    return isRegularFile(ini) && ::access(ini.c_str(), R_OK) == 0;
}

std::vector<Installation> discoverInstallations(const Environment& environment) {
    Finds finds(environment);
    for (const fs::path& library : steamLibraries(environment)) {
        const fs::path steamapps = platform::resolveCaseInsensitive(library, "steamapps");
        for (const SteamApp& app : libraryApps(library)) {
            if (!looksLikeGame(app.installFolder))
                continue;
            // Proton makes the prefix at the game's first start; before that, this is where it
            // will be.
            finds.add(app.installFolder, steamapps / "compatdata" / app.appId / "pfx",
                      Source::Steam, app.appId);
        }
    }
    for (const auto& [prefix, source] : launcherPrefixes(environment))
        finds.addFromPrefix(prefix, source);
    findLutrisGames(environment, finds);
    for (const fs::path& prefix : bottlesPrefixes(environment))
        finds.addFromPrefix(prefix, Source::Bottles);
    for (const fs::path& prefix : heroicPrefixes(environment))
        finds.addFromPrefix(prefix, Source::Heroic);
    return finds.take();
}

Installation installationAt(const fs::path& gameFolder, const Environment& environment,
                            Source source) {
    Installation installation;
    installation.source = source;
    installation.gameFolder = realPath(gameFolder);
    installation.prefix = enclosingPrefix(installation.gameFolder);
    if (!installation.prefix) {
        // steamapps/common/<folder> of a Steam library: Proton's prefix of the app whose
        // manifest names the folder.
        const fs::path common = installation.gameFolder.parent_path();
        const fs::path steamapps = common.parent_path();
        if (equalsIgnoringAsciiCase(common.filename().string(), "common") &&
            equalsIgnoringAsciiCase(steamapps.filename().string(), "steamapps")) {
            for (const SteamApp& app : libraryApps(steamapps.parent_path())) {
                if (realPath(app.installFolder) == installation.gameFolder) {
                    installation.prefix = steamapps / "compatdata" / app.appId / "pfx";
                    installation.appId = app.appId;
                    break;
                }
            }
        }
    }
    installation.documentsFolder = documentsIn(installation.prefix, environment);
    return installation;
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

std::vector<fs::path> likelyGameFolders(const Environment& environment) {
    std::vector<fs::path> folders;
    std::set<fs::path> seen;
    const auto add = [&](const fs::path& folder) {
        if (isDirectory(folder) && seen.insert(realPath(folder)).second)
            folders.push_back(realPath(folder));
    };
    for (const fs::path& library : steamLibraries(environment))
        add(platform::resolveCaseInsensitive(library, "steamapps/common"));
    for (const auto& [prefix, source] : launcherPrefixes(environment)) {
        if (isPrefix(prefix))
            add(prefix / "drive_c");
    }
    for (const fs::path& file : lutrisFiles(environment)) {
        const auto config = readLutrisGameConfig(file);
        const auto prefix = config ? lutrisPath(config->prefix, environment.home) : std::nullopt;
        if (prefix && isPrefix(*prefix))
            add(*prefix / "drive_c");
    }
    for (const fs::path& prefix : bottlesPrefixes(environment))
        add(prefix / "drive_c");
    for (const fs::path& prefix : heroicPrefixes(environment))
        add(prefix / "drive_c");
    if (folders.empty())
        folders.push_back(environment.home);
    return folders;
}

} // namespace dk3::discovery
