// Draskel 3 Tuning Utility: a settings program for the game Draskel 3.

#include "app/CommandLine.h"
#include "app/TuningApp.h"
#include "discovery/Installation.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "platform/SpecialFolders.h"
#include "presentation/LinkOpener.h"
#include "presentation/MusicPlayback.h"
#include "ui/Prompter.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The program's own options are answered before any window system is needed.
    const dk3::app::CommandLine commandLine = dk3::app::parseCommandLine(
        std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    switch (commandLine.action) {
    case dk3::app::CommandLine::Action::Help:
        std::fputs(dk3::app::usageText().c_str(), stdout);
        return 0;
    case dk3::app::CommandLine::Action::Version:
        std::fputs(dk3::app::versionText().c_str(), stdout);
        return 0;
    case dk3::app::CommandLine::Action::Invalid:
        std::fprintf(stderr, "draskel3-tuning: %s\n\n%s", commandLine.error.c_str(),
                     dk3::app::usageText().c_str());
        return 2;
    case dk3::app::CommandLine::Action::Run:
        break;
    }

    if (const auto platform = dk3::app::windowSystemToUse(
            commandLine, std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY")))
        ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);

    dk3::app::TuningApp app(argc, argv);

    dk3::ui::QtPrompter prompter;
    dk3::platform::KeyValueStore store(dk3::platform::KeyValueStore::defaultLocation());
    dk3::platform::XRandrModeSource displayModes;
    dk3::presentation::DesktopLinkOpener links;

    dk3::main_dialog::MainDialogServices services;
    services.prompter = &prompter;
    services.store = &store;
    services.displayModes = &displayModes;
    services.environment = dk3::discovery::Environment::fromProcess();
    services.documentsFolder = services.environment.documentsFolder;
    services.locateRequest.gameFolder = commandLine.gameFolder;
    services.locateRequest.chooseAgain = commandLine.chooseGame;
    services.tempFolder = dk3::platform::privateTempFolder(services.tempFolderProblem);
    // The player comes from the music module, loaded when the credits first play.
    services.musicPlayers = dk3::presentation::musicPlayersFromModule();
    services.linkOpener = &links;

    return app.run(
        [&] { return std::make_unique<dk3::main_dialog::MainSettingsDialog>(services); });
}
