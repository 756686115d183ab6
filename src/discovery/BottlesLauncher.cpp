// Bottles: each bottle (native and Flatpak) is a Wine prefix; the game is found through the
// game's key in the bottle's registry.

#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/WinePrefix.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

LauncherReport findBottlesGames(const Environment& environment) {
    LauncherReport report;
    for (const fs::path& bottles :
         {environment.dataHome / "bottles/bottles",
          environment.home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
        for (const fs::path& bottle : entriesOf(bottles)) {
            if (!isPrefix(bottle))
                continue;
            report.prefixes.push_back(bottle);
            for (fs::path& folder : registeredGameFolders(bottle))
                report.games.push_back({std::move(folder), bottle, Source::Bottles, {}});
        }
    }
    return report;
}

} // namespace dk3::discovery
