#pragma once

// Texts of the program's own: failures and questions that the game's translation file has no key
// for. They follow the current language like every other text; each is written in the three
// languages where it is used, as UTF-8, and placeholders (%1, %2) are filled with QString::arg.

#include <QString>

#include <string_view>
#include <system_error>

namespace dk3::app {

struct OwnText {
    const char* deutsch;
    const char* english;
    const char* italiano;
};

enum class OwnLanguage { Deutsch, English, Italiano };

// The language our own texts are shown in for languageName ("deutsch", "english", "italiano", in
// any letter case). An empty or unknown language name gives German, the language the program
// starts in.
OwnLanguage ownLanguage(std::string_view languageName);

// Shown when a field that must hold a number holds something else.
inline constexpr OwnText kEnterNumber{"Bitte eine Zahl eingeben.", "Please enter a number.",
                                      "Inserisci un numero."};

// Asked when a dialog would end, or reload its values, over changes that are not saved yet.
inline constexpr OwnText kUnsavedChanges{
    "Die Änderungen sind noch nicht gespeichert. Sollen sie gespeichert werden?",
    "The changes have not been saved yet. Do you want to save them?",
    "Le modifiche non sono ancora state salvate. Vuoi salvarle?"};

// The text in languageName ("deutsch", "english", "italiano", in any letter case). An empty or
// unknown language name gives German, the language the program starts in.
QString ownText(std::string_view languageName, const OwnText& text);

// The reason of a failure, as a part of a sentence in the language ("permission denied",
// "Zugriff verweigert", "permesso negato").
QString describeError(std::string_view languageName, const std::error_code& error);

} // namespace dk3::app
