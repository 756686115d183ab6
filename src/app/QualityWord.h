#pragma once

// The vocabulary between the game's files and the dialogs' drop-down lists. The game stores
// quality settings as a few English words or small integers; the lists show localized words.
// Texts are Windows-1252 bytes, as the translation file holds them.

#include <cstdint>
#include <string>
#include <string_view>

namespace dk3::app {

enum class LevelScale {
    Quality,       // low, med, high, custom; false, true
    LevelOfDetail, // normal, high, ultrahigh
};

class QualityWord {
public:
    // The localized words of the current language, filled whenever the main dialog loads its
    // texts; empty before that.
    std::string lowWord, mediumWord, highWord, customWord; // quality
    std::string disabledWord, enabledWord;                 // switch
    std::string normalWord, ultraHighWord;                 // level of detail

    // 0 disabled, 1 low, 2 medium, 3 high; any other level gives the empty text.
    std::string wordForIndex(std::int32_t level) const;

    // The stored word for a text shown in a list: compared with the localized words as whole
    // texts, case-sensitively, enabled first and normal last; no match gives the empty text.
    std::string iniWordForText(std::string_view text) const;

    // The list index for a stored word, in any letter case; unknown words give 0.
    static int indexForIniWord(std::string_view word, LevelScale scale);

    // first immediately followed by second; used to append a default value to a tooltip.
    static std::string joinTexts(std::string_view first, std::string_view second);
};

} // namespace dk3::app
