// Bottles, native and Flatpak: each bottle is a Wine prefix. The game is found as a program the
// player added to the bottle by hand (bottle.yml's External_Programs, usually outside the
// bottle), or through the game's key in the bottle's registry.

#include "discovery/BottlesConfig.h"
#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/RecordsModule.h"
#include "discovery/WinePrefix.h"
#include "platform/CaseInsensitivePath.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// The game folders an external program may name: its executable's folder, then its folder.
std::vector<fs::path> programFolders(const BottleProgram& program) {
    std::vector<fs::path> folders;
    for (const std::string* text : {&program.path, &program.folder}) {
        if (text->empty() || text->find('\0') != std::string::npos)
            continue;
        const fs::path path = fs::path(*text).lexically_normal();
        if (!path.is_absolute())
            continue;
        const fs::path onDisk = platform::resolveCaseInsensitive("/", path.relative_path());
        folders.push_back(text == &program.path ? onDisk.parent_path() : onDisk);
    }
    return folders;
}

} // namespace

LauncherReport findBottlesGames(const Environment& environment) {
    LauncherReport report;
    for (const fs::path& bottles :
         {environment.dataHome / "bottles/bottles",
          environment.home / ".var/app/com.usebottles.bottles/data/bottles/bottles"}) {
        for (const fs::path& bottle : entriesOf(bottles)) {
            if (!isPrefix(bottle))
                continue;
            report.prefixes.push_back(bottle);
            if (const auto config = readBottleConfig(bottle / "bottle.yml")) {
                for (const BottleProgram& program : config->externalPrograms) {
                    for (const fs::path& folder : programFolders(program)) {
                        if (!looksLikeGame(folder))
                            continue;
                        report.games.push_back({folder, bottle, Source::Bottles, {}});
                        break;
                    }
                }
            }
            for (fs::path& folder : registeredGameFolders(bottle))
                report.games.push_back({std::move(folder), bottle, Source::Bottles, {}});
        }
    }
    return report;
}

} // namespace dk3::discovery
