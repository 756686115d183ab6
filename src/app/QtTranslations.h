#pragma once

// Qt's own words (the buttons of message boxes, the file chooser) in the player's language: Qt's
// translations of its base module, as the system installs them, follow the language of our texts.

#include <string_view>

namespace dk3::app {

// Installs Qt's translation for languageName (German for an empty or unknown name, as our own
// texts do) in place of the one installed before; English needs none. Widgets made afterwards
// speak the new language. Returns false when the system has no translation for it, in which case
// Qt's words stay English.
bool switchQtTranslations(std::string_view languageName);

} // namespace dk3::app
