// Draskel 3 Tuning Utility: a settings program for the game Draskel 3.

#include "app/TuningApp.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "platform/SpecialFolders.h"
#include "presentation/LinkOpener.h"
#include "presentation/MusicPlayback.h"
#include "ui/Prompter.h"

int main(int argc, char** argv) {
    dk3::app::TuningApp app(argc, argv);

    dk3::ui::QtPrompter prompter;
    dk3::platform::KeyValueStore store(dk3::platform::KeyValueStore::defaultLocation());
    dk3::platform::XRandrModeSource displayModes;
    dk3::presentation::DesktopLinkOpener links;

    dk3::main_dialog::MainDialogServices services;
    services.prompter = &prompter;
    services.store = &store;
    services.displayModes = &displayModes;
    services.documentsFolder = dk3::platform::documentsFolder();
    services.tempFolder = dk3::platform::privateTempFolder(services.tempFolderError);
    // The player comes from the music module, loaded when the credits first play.
    services.musicPlayers = dk3::presentation::musicPlayersFromModule();
    services.linkOpener = &links;

    return app.run(
        [&] { return std::make_unique<dk3::main_dialog::MainSettingsDialog>(services); });
}
