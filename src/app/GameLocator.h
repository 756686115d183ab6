#pragma once

// Finding the game's installation and the user's language at start-up, and choosing another
// installation later.

#include "app/GamePaths.h"
#include "app/OwnTexts.h"
#include "app/TranslationCatalogue.h"
#include "discovery/Installation.h"
#include "platform/KeyValueStore.h"
#include "ui/Prompter.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace dk3::app {

enum class LocateOutcome {
    Found,     // the installation is known
    Cancelled, // the user closed the list or the file chooser: the program ends, nothing stored
    Invalid,   // the chosen folder holds no readable engine file: told, the program ends
};

// What the command line asks of the search.
struct LocateRequest {
    std::optional<std::filesystem::path> gameFolder; // this folder, for this run only
    bool chooseAgain = false; // set the stored folder aside and let the player pick
};

// True when folder/Ini/dk3e.ini (in any letter case) is a regular file that can be read: the
// check that a folder the player chose holds the game.
bool holdsEngineFile(const std::filesystem::path& folder);

// Looks for the installations on the machine; discovery::discoverInstallations unless a test
// gives its own.
using DiscoverFunction =
    std::function<std::vector<discovery::Installation>(const discovery::Environment&)>;

class GameLocator {
public:
    // languageName is the language of the program's own texts; empty before any language was
    // chosen, and they are then shown in German and English, as the game's start-up messages.
    GameLocator(platform::KeyValueStore& store, const TranslationCatalogue& catalogue,
                ui::Prompter& prompter, discovery::Environment environment, QWidget* parent,
                std::string languageName = {}, DiscoverFunction discover = {});

    // The installation to open. The installation stored by an earlier start (game folder,
    // prefix, source) is taken without asking, its documents folder worked out again from the
    // stored prefix; a stored folder or prefix that no longer exists counts as none, with a
    // message. A Steam game whose prefix Proton has not made yet is taken, and the player told
    // to start the game once through Steam. Without one, the installations on this machine are
    // looked for: exactly one is taken and stored, from several the player picks one, and when
    // there is none the player is told and asked for the game's executable, whose folder must hold
    // the engine file.
    LocateOutcome locate(const LocateRequest& request, discovery::Installation& installation);

    // Lets the player pick another installation while the program runs: from the list of the
    // installations found, or with the file chooser. A choice is stored; nothing changes when the
    // player cancels or picks a folder without the game (the player is told).
    LocateOutcome chooseAnother(discovery::Installation& installation);

    // The list's line for an installation: its folder and where it was found.
    QString describe(const discovery::Installation& installation) const;

private:
    std::vector<discovery::Installation> discover() const;
    // The installation stored by an earlier start, checked again; nothing (after telling the
    // player why, when something was stored) when it must be looked for again.
    std::optional<discovery::Installation> storedInstallation();
    // The installation of a folder the player named, matched against the launchers' records.
    discovery::Installation chosenInstallation(const std::filesystem::path& folder);
    // Tells the player what the installation still lacks (a prefix Proton has not made yet).
    void tellAbout(const discovery::Installation& installation);
    LocateOutcome pickFromList(const std::vector<discovery::Installation>& found,
                               discovery::Installation& installation);
    LocateOutcome askForExecutable(discovery::Installation& installation);
    void store(const discovery::Installation& installation);
    QString ownStartupText(const OwnText& text) const;
    void showGeneralMessage(std::string_view key);

    platform::KeyValueStore& store_;
    const TranslationCatalogue& catalogue_;
    ui::Prompter& prompter_;
    discovery::Environment environment_;
    QWidget* parent_;
    std::string languageName_;
    DiscoverFunction discover_;
};

// The stored language; when none is stored, "deutsch", which is then stored.
std::string restoreLanguage(platform::KeyValueStore& store);

} // namespace dk3::app
