#include "app/CommandLine.h"

#include <string_view>

namespace dk3::app {
namespace {

// Options that QApplication takes itself, each with the number of values that follow it.
struct QtOption {
    std::string_view name;
    int values;
};
constexpr QtOption kQtOptions[] = {
    {"-platform", 1},
    {"-platformpluginpath", 1},
    {"-platformtheme", 1},
    {"-plugin", 1},
    {"-display", 1},
    {"-geometry", 1},
    {"-qwindowgeometry", 1},
    {"-title", 1},
    {"-qwindowtitle", 1},
    {"-qwindowicon", 1},
    {"-style", 1},
    {"-stylesheet", 1},
    {"-session", 1},
    {"-name", 1},
    {"-reverse", 0},
    {"-widgetcount", 0},
    {"-nograb", 0},
    {"-dograb", 0},
    {"-sync", 0},
};

const QtOption* qtOption(std::string_view argument) {
    // Qt accepts its options with one dash or two.
    if (argument.starts_with("--"))
        argument.remove_prefix(1);
    for (const QtOption& option : kQtOptions)
        if (argument == option.name)
            return &option;
    return nullptr;
}

CommandLine invalid(std::string error) {
    CommandLine result;
    result.action = CommandLine::Action::Invalid;
    result.error = std::move(error);
    return result;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (argument == "--choose-game") {
            result.chooseGame = true;
            continue;
        }
        if (argument == "--game-dir" || argument.starts_with("--game-dir=")) {
            std::string folder;
            if (argument == "--game-dir") {
                if (i + 1 >= arguments.size())
                    return invalid("--game-dir needs a folder");
                folder = arguments[++i];
            } else {
                folder = argument.substr(std::string_view("--game-dir=").size());
            }
            if (folder.empty())
                return invalid("--game-dir needs a folder");
            result.gameFolder = std::filesystem::path(folder);
            continue;
        }
        if (const QtOption* option = qtOption(argument)) {
            if (std::string_view(option->name) == "-platform")
                result.platformChosen = true;
            i += static_cast<std::size_t>(option->values);
            continue;
        }
        return invalid(argument.starts_with("-") ? "unknown option " + argument
                                                 : "unexpected argument " + argument);
    }
    if (result.gameFolder && result.chooseGame)
        return invalid("--game-dir and --choose-game exclude each other");
    return result;
}

std::optional<std::string> windowSystemToUse(const CommandLine& commandLine,
                                             const char* chosenPlatform, const char* display) {
    if (commandLine.platformChosen || (chosenPlatform && *chosenPlatform))
        return std::nullopt;
    if (display && *display)
        return "xcb";
    return std::nullopt;
}

std::string usageText() {
    return "Usage: draskel3-tuning [--game-dir DIR | --choose-game]\n"
           "\n"
           "Shows and changes the settings of the game Draskel 3 (run under Wine or Proton).\n"
           "Without options it opens the installation it used last time, or looks for the\n"
           "game in Steam libraries, Wine prefixes, Lutris, Bottles and Heroic.\n"
           "\n"
           "Options:\n"
           "  --game-dir DIR   use the game installed in DIR for this run (not remembered)\n"
           "  --choose-game    choose the game's installation again and remember the choice\n"
           "  --help           show this text and end\n"
           "  --version        show the program's version and end\n";
}

std::string versionText() {
    return std::string("draskel3-tuning ") + DK3_VERSION + "\n";
}

} // namespace dk3::app
