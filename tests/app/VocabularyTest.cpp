#include "app/QualityWord.h"

#include <gtest/gtest.h>

namespace dk3::app {
namespace {

QualityWord german() {
    QualityWord words;
    words.lowWord = "niedrig";
    words.mediumWord = "mittel";
    words.highWord = "hoch";
    words.customWord = "angepasst";
    words.disabledWord = "deaktiviert";
    words.enabledWord = "aktiviert";
    words.normalWord = "normal";
    words.ultraHighWord = "sehr hoch";
    return words;
}

TEST(QualityWord, LevelsBecomeLocalizedWords) {
    const QualityWord words = german();
    EXPECT_EQ(words.wordForIndex(0), "deaktiviert");
    EXPECT_EQ(words.wordForIndex(1), "niedrig");
    EXPECT_EQ(words.wordForIndex(2), "mittel");
    EXPECT_EQ(words.wordForIndex(3), "hoch");
    EXPECT_EQ(words.wordForIndex(4), "");
    EXPECT_EQ(words.wordForIndex(-1), "");
    EXPECT_EQ(QualityWord().wordForIndex(1), ""); // before any texts are loaded
}

TEST(QualityWord, ShownTextsBecomeStoredWordsAsWholeCaseSensitiveTexts) {
    const QualityWord words = german();
    EXPECT_EQ(words.iniWordForText("aktiviert"), "true");
    EXPECT_EQ(words.iniWordForText("deaktiviert"), "false");
    EXPECT_EQ(words.iniWordForText("mittel"), "med");
    EXPECT_EQ(words.iniWordForText("angepasst"), "custom");
    EXPECT_EQ(words.iniWordForText("hoch"), "high");
    EXPECT_EQ(words.iniWordForText("sehr hoch"), "ultrahigh");
    EXPECT_EQ(words.iniWordForText("normal"), "normal");
    EXPECT_EQ(words.iniWordForText("Hoch"), "");
    EXPECT_EQ(words.iniWordForText("anisotrop"), "");
    EXPECT_EQ(words.iniWordForText(""), "");
}

TEST(QualityWord, StoredWordsBecomeListIndexesInAnyCase) {
    using S = LevelScale;
    EXPECT_EQ(QualityWord::indexForIniWord("low", S::Quality), 0);
    EXPECT_EQ(QualityWord::indexForIniWord("MED", S::Quality), 1);
    EXPECT_EQ(QualityWord::indexForIniWord("TRUE", S::Quality), 1);
    EXPECT_EQ(QualityWord::indexForIniWord("High", S::Quality), 2);
    EXPECT_EQ(QualityWord::indexForIniWord("custom", S::Quality), 3);
    EXPECT_EQ(QualityWord::indexForIniWord("medium", S::Quality), 0);
    EXPECT_EQ(QualityWord::indexForIniWord("ultrahigh", S::Quality), 0);
    EXPECT_EQ(QualityWord::indexForIniWord("", S::Quality), 0);
    EXPECT_EQ(QualityWord::indexForIniWord("UltraHigh", S::LevelOfDetail), 2);
    EXPECT_EQ(QualityWord::indexForIniWord("high", S::LevelOfDetail), 1);
    EXPECT_EQ(QualityWord::indexForIniWord("custom", S::LevelOfDetail), 0);
}

TEST(QualityWord, EveryWrittenWordReadsBackIntoTheSameItem) {
    const QualityWord words = german();
    // Items of each list kind, index 0 first, with the scale that reads them back.
    const std::vector<std::pair<std::vector<std::string>, LevelScale>> lists = {
        {{"niedrig", "mittel", "hoch"}, LevelScale::Quality},
        {{"deaktiviert", "aktiviert"}, LevelScale::Quality},
        {{"normal", "hoch", "sehr hoch"}, LevelScale::LevelOfDetail},
        {{"niedrig", "mittel", "hoch", "angepasst"}, LevelScale::Quality},
    };
    for (const auto& [items, scale] : lists)
        for (int i = 0; i < static_cast<int>(items.size()); ++i)
            EXPECT_EQ(QualityWord::indexForIniWord(words.iniWordForText(items[i]), scale), i)
                << items[i];
    EXPECT_EQ(QualityWord::joinTexts("default:", "2.0"), "default:2.0");
}

} // namespace
} // namespace dk3::app
