#pragma once

// Finding the game's installation and the user's language at start-up.

#include "app/GamePaths.h"
#include "app/TranslationCatalogue.h"
#include "platform/KeyValueStore.h"
#include "ui/Prompter.h"

#include <filesystem>
#include <string>

class QWidget;

namespace dk3::app {

enum class LocateOutcome {
    Found,     // the installation paths are set
    Cancelled, // the user closed the file chooser: the program ends, nothing stored
    Invalid,   // the chosen folder holds no readable engine file: told, the program ends
};

// Reads the stored installation folder. When there is none, tells the user (a message of the
// catalogue's "general" section, which reads in German and English before any language is
// chosen), asks for the game's executable, checks that its folder holds the engine file and
// stores the folder for the next start. A stored folder is taken without a check.
LocateOutcome locateInstallation(GamePaths& paths, platform::KeyValueStore& store,
                                 const TranslationCatalogue& catalogue, ui::Prompter& prompter,
                                 QWidget* parent);

// The stored language; when none is stored, "deutsch", which is then stored.
std::string restoreLanguage(platform::KeyValueStore& store);

} // namespace dk3::app
