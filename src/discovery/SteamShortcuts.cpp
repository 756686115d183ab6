// Games added to Steam by hand ("non-Steam games") and run with Proton: every account's
// userdata/<id>/config/shortcuts.vdf.

#include "discovery/Launcher.h"

namespace dk3::discovery {

LauncherReport findSteamShortcuts(const Environment& environment) {
    (void)environment;
    return {};
}

} // namespace dk3::discovery
