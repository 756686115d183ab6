#pragma once

// The program's command line. Without arguments it starts as it always has: it finds the game,
// and opens the main dialog. The options only steer which installation it opens.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dk3::app {

struct CommandLine {
    enum class Action {
        Run,     // start the program
        Help,    // print the usage and end with 0
        Version, // print the version and end with 0
        Invalid, // print error and the usage to stderr and end with 2
    };
    Action action = Action::Run;
    // --game-dir DIR: this game folder for this run, neither stored nor looked for.
    std::optional<std::filesystem::path> gameFolder;
    // --choose-game: the stored folder is set aside and the player picks an installation again.
    bool chooseGame = false;
    std::string error; // what was wrong, for Action::Invalid
    // Qt's -platform option was given: the player chose the window system.
    bool platformChosen = false;
};

// Reads the arguments after the program's name. Qt's own options (such as -platform or
// -display) are left for QApplication and pass here unnoticed.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The window system to run on when the player chose none (neither -platform nor
// QT_QPA_PLATFORM, given as chosenPlatform, may be null): an X display (DISPLAY, XWayland
// included) makes it "xcb". The game and Wine run through that X server: its RandR lists the
// modes the game is offered, and fixed-size windows and drop-down lists behave there. Nothing
// means Qt's own choice (native Wayland when that is all there is).
std::optional<std::string> windowSystemToUse(const CommandLine& commandLine,
                                             const char* chosenPlatform, const char* display);

// The text of --help, ending with a line end.
std::string usageText();

// "draskel3-tuning 1.45" and a line end.
std::string versionText();

} // namespace dk3::app
