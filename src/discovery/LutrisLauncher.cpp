// Lutris: its game configurations (games/*.yml in the configuration and the data folder) name
// the executable and the prefix.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/LutrisConfig.h"
#include "discovery/WinePrefix.h"
#include "platform/CaseInsensitivePath.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

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

} // namespace

LauncherReport findLutrisGames(const Environment& environment) {
    LauncherReport report;
    for (const fs::path& file : lutrisFiles(environment)) {
        const auto text = readSmallFile(file, kMaxLutrisFileBytes);
        const auto config = text ? parseLutrisGameConfig(*text) : std::nullopt;
        if (!config)
            continue;
        const auto prefix = lutrisPath(config->prefix, environment.home);
        const bool prefixExists = prefix && isPrefix(*prefix);
        if (prefixExists)
            report.prefixes.push_back(*prefix);
        bool found = false;
        for (const fs::path& exe : lutrisExeCandidates(*config, environment.home)) {
            const fs::path folder =
                platform::resolveCaseInsensitive("/", exe.relative_path()).parent_path();
            if (!looksLikeGame(folder))
                continue;
            std::optional<fs::path> gamePrefix = prefixExists ? prefix : enclosingPrefix(folder);
            report.games.push_back({folder, std::move(gamePrefix), Source::Lutris, {}});
            found = true;
            break;
        }
        if (!found && prefixExists) {
            for (fs::path& folder : registeredGameFolders(*prefix))
                report.games.push_back({std::move(folder), prefix, Source::Lutris, {}});
        }
    }
    return report;
}

} // namespace dk3::discovery
