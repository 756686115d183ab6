#include "app/QualityWord.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dk3::app {

std::string QualityWord::wordForIndex(std::int32_t level) const {
    switch (level) {
    case 0:
        return disabledWord;
    case 1:
        return lowWord;
    case 2:
        return mediumWord;
    case 3:
        return highWord;
    default:
        return {};
    }
}

std::string QualityWord::iniWordForText(std::string_view text) const {
    // The order matters where two languages' words coincide: the first equal word wins.
    const std::array<std::pair<const std::string*, const char*>, 8> words = {{
        {&enabledWord, "true"},
        {&disabledWord, "false"},
        {&lowWord, "low"},
        {&mediumWord, "med"},
        {&highWord, "high"},
        {&customWord, "custom"},
        {&ultraHighWord, "ultrahigh"},
        {&normalWord, "normal"},
    }};
    for (const auto& [localized, stored] : words)
        if (*localized == text)
            return stored;
    return {};
}

int QualityWord::indexForIniWord(std::string_view word, LevelScale scale) {
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (scale == LevelScale::LevelOfDetail) {
        if (lower == "high")
            return 1;
        if (lower == "ultrahigh")
            return 2;
        return 0; // "normal" and anything unknown
    }
    if (lower == "med" || lower == "true")
        return 1;
    if (lower == "high")
        return 2;
    if (lower == "custom")
        return 3;
    return 0; // "low", "false" and anything unknown, "medium" included
}

std::string QualityWord::joinTexts(std::string_view first, std::string_view second) {
    std::string joined;
    joined.reserve(first.size() + second.size());
    joined.append(first).append(second);
    return joined;
}

} // namespace dk3::app
