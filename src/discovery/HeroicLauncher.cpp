// Heroic: its prefixes under ~/Games/Heroic/Prefixes/<game> (newer versions
// .../default/<game>); a Wine prefix is that folder itself, a Proton prefix its pfx folder. The
// game is found through the game's key in the prefix's registry.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/WinePrefix.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

LauncherReport findHeroicGames(const Environment& environment) {
    LauncherReport report;
    const auto take = [&](const fs::path& folder) {
        for (const fs::path& prefix : {folder, folder / "pfx"}) {
            if (!isPrefix(prefix))
                continue;
            report.prefixes.push_back(prefix);
            for (fs::path& game : registeredGameFolders(prefix))
                report.games.push_back({std::move(game), prefix, Source::Heroic, {}});
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
    return report;
}

} // namespace dk3::discovery
