// Plain Wine: $WINEPREFIX, then ~/.wine, where the game's installer wrote its folder into the
// prefix's system.reg.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/WinePrefix.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

LauncherReport findWineGames(const Environment& environment) {
    LauncherReport report;
    std::vector<fs::path> prefixes;
    if (environment.winePrefix)
        prefixes.push_back(*environment.winePrefix);
    prefixes.push_back(environment.home / ".wine");
    for (const fs::path& prefix : prefixes) {
        if (!isPrefix(prefix))
            continue;
        report.prefixes.push_back(prefix);
        for (fs::path& folder : registeredGameFolders(prefix))
            report.games.push_back({std::move(folder), prefix, Source::Wine, {}});
    }
    return report;
}

} // namespace dk3::discovery
