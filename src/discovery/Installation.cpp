#include "discovery/Installation.h"

#include "discovery/Folders.h"
#include "discovery/ValveKeyValues.h"
#include "platform/CaseInsensitivePath.h"
#include "platform/SpecialFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

std::string_view sourceName(Source source) {
    switch (source) {
    case Source::Steam:
        return "steam";
    case Source::SteamShortcut:
        return "steam-shortcut";
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

std::optional<Source> sourceFromName(std::string_view name) {
    for (const Source source : {Source::Steam, Source::SteamShortcut, Source::Wine, Source::Lutris,
                                Source::Bottles, Source::Heroic, Source::ChosenByHand}) {
        if (sourceName(source) == name)
            return source;
    }
    return std::nullopt;
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

} // namespace dk3::discovery
