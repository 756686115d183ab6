#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <array>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

constexpr std::array kDetails = {
    id::kDistanceHigh,  id::kDistanceLow,    id::kResourceCache, id::kObjectDetails,
    id::kShaderQuality, id::kTextureQuality, id::kTextureFilter, id::kVegetationQuality,
    id::kShadowQuality, id::kPostProcessing,
};

enum Preset { kLow = 0, kMedium = 1, kHigh = 2, kCustom = 3 };

struct PresetsAndDefaults : MainDialogFixture {
    void setPreset(std::string_view section, std::string_view key, std::string_view value) {
        ASSERT_FALSE(profile::writeText(engineIni(), section, key, value));
    }
    static QStringList detailsShown(const QWidget& dialog) {
        QStringList shown;
        for (const int list : kDetails)
            shown << combo(dialog, list)->currentText();
        return shown;
    }
    // What every list and field of the dialog shows.
    static QStringList everythingShown(const QWidget& dialog) {
        QStringList shown;
        for (const QComboBox* list : dialog.findChildren<QComboBox*>())
            shown << list->objectName() + QLatin1Char('=') + list->currentText();
        for (const QLineEdit* field : dialog.findChildren<QLineEdit*>())
            shown << field->objectName() + QLatin1Char('=') + field->text();
        shown << control<QLabel>(dialog, id::kAspectRatio)->text();
        return shown;
    }
    void clickRestore(const QWidget& dialog) {
        control<QPushButton>(dialog, id::kRestoreDefaults)->click();
    }
};

TEST_F(PresetsAndDefaults, GamePresetFillsTheDetailListsAndAHandChangeMakesItCustom) {
    for (const auto& [key, value] : {std::pair{"DistanceHigh", "3"},
                                     {"DistanceLow", "2"},
                                     {"ResourceCache", "3"},
                                     {"ObjectDetails", "3"},
                                     {"ShaderQuality", "2"},
                                     {"TextureQuality", "3"},
                                     {"TextureFilter", "4"},
                                     {"VegetationQuality", "3"},
                                     {"ShadowQuality", "3"},
                                     {"PostProcessing", "1"}})
        setPreset("Options.High", key, value);
    const auto userBefore = readFile(userOptions());
    const auto engineBefore = readFile(engineIni());
    auto dialog = startDialog("english");
    QComboBox* preset = combo(*dialog, id::kPreset);
    const QStringList high = {QStringLiteral("high"),
                              QStringLiteral("medium"),
                              QStringLiteral("high"),
                              QStringLiteral("high"),
                              QStringLiteral("3.0"),
                              QStringLiteral("high"),
                              QStringLiteral("anisotropic 16x"),
                              QStringLiteral("high"),
                              QStringLiteral("high"),
                              QStringLiteral("bloom effect")};

    userSelects(preset, kHigh);
    EXPECT_EQ(detailsShown(*dialog), high);
    EXPECT_EQ(preset->currentText(), QStringLiteral("high"));

    // Custom, picked directly, keeps the mix; a hand change switches to it; the same preset
    // again brings the game's values back.
    userSelects(preset, kCustom);
    EXPECT_EQ(detailsShown(*dialog), high);
    userSelects(combo(*dialog, id::kTextureFilter), 0);
    EXPECT_EQ(preset->currentIndex(), kCustom);
    userSelects(preset, kHigh);
    EXPECT_EQ(detailsShown(*dialog), high);
    EXPECT_EQ(preset->currentIndex(), kHigh);
    EXPECT_EQ(readFile(userOptions()), userBefore);
    EXPECT_EQ(readFile(engineIni()), engineBefore);
    EXPECT_TRUE(prompter.shown().empty());

    // The game's file is read afresh at every choice.
    setPreset("Options.High", "PostProcessing", "2");
    userSelects(preset, kHigh);
    EXPECT_EQ(combo(*dialog, id::kPostProcessing)->currentText(),
              QStringLiteral("horizontal blur"));
}

TEST_F(PresetsAndDefaults, MissingPresetGivesLowAndValuesOutsideTheListsKeepOrClear) {
    writeFile(engineIni(), "[Options.Low]\r\nDistanceHigh=0\r\nDistanceLow=0\r\n"
                           "TextureFilter=9\r\nShaderQuality=1\r\n");
    auto dialog = startDialog("deutsch");
    QComboBox* preset = combo(*dialog, id::kPreset);

    userSelects(preset, kMedium);
    EXPECT_EQ(detailsShown(*dialog),
              QStringList({QStringLiteral("niedrig"), QStringLiteral("niedrig"),
                           QStringLiteral("niedrig"), QStringLiteral("niedrig"),
                           QStringLiteral("1.4"), QStringLiteral("niedrig"),
                           QStringLiteral("anisotrop"), QStringLiteral("niedrig"),
                           QStringLiteral("niedrig"), QStringLiteral("deaktiviert")}));

    combo(*dialog, id::kDistanceHigh)->setCurrentIndex(2);
    userSelects(preset, kLow);
    EXPECT_EQ(combo(*dialog, id::kDistanceHigh)->currentText(), QStringLiteral("hoch"))
        << "level 0 names no item of this list";
    EXPECT_EQ(combo(*dialog, id::kDistanceLow)->currentText(), QStringLiteral("deaktiviert"));
    EXPECT_EQ(combo(*dialog, id::kTextureFilter)->currentIndex(), -1);
    EXPECT_EQ(combo(*dialog, id::kShaderQuality)->currentText(), QStringLiteral("2.0"));
    EXPECT_EQ(preset->currentIndex(), kLow);
}

TEST_F(PresetsAndDefaults, OnlyTheDetailListsAndTheAnimationQualitySwitchToCustom) {
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Details", "Performance", "high"));
    auto dialog = startDialog("english");
    QComboBox* preset = combo(*dialog, id::kPreset);
    EXPECT_EQ(preset->currentIndex(), kHigh) << "loading selects without switching";

    std::vector<int> switching(kDetails.begin(), kDetails.end());
    switching.push_back(id::kAnimationQuality);
    for (const int list : switching) {
        preset->setCurrentIndex(kLow);
        userSelects(combo(*dialog, list), 1);
        EXPECT_EQ(preset->currentIndex(), kCustom) << list;
    }
    preset->setCurrentIndex(kLow);
    for (const int list :
         {id::kVegetationDetails, id::kTreeShadows, id::kStaticShadows, id::kDetailedShadows,
          id::kLowPolygons, id::kMeshQuality, id::kImageQuality, id::kResolution})
        userSelects(combo(*dialog, list), 1);
    for (const int field :
         {id::kVegetationViewRange, id::kPhysicsViewRange, id::kMaxRagdolls, id::kRoiViewRange})
        QTest::keyClicks(edit(*dialog, field), QStringLiteral("5"));
    EXPECT_EQ(preset->currentIndex(), kLow);
}

TEST_F(PresetsAndDefaults, RestoreAsksFirstAndOnNoChangesNothing) {
    auto dialog = startDialog("english");
    edit(*dialog, id::kPhysicsViewRange)->setText(QStringLiteral("12x"));
    const QStringList before = everythingShown(*dialog);
    prompter.answerNo();
    clickRestore(*dialog);
    EXPECT_EQ(everythingShown(*dialog), before);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Shown::Kind::Question);
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Do you really want to restore the settings?"));
}

TEST_F(PresetsAndDefaults, RestoreShowsTheRecommendedSettingsAndWritesNothing) {
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Video", "Resolution.Width", "1920"));
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Video", "Resolution.Height", "1080"));
    const auto userBefore = readFile(userOptions());
    const auto engineBefore = readFile(engineIni());
    auto dialog = startDialog("english");
    EXPECT_EQ(control<QLabel>(*dialog, id::kAspectRatio)->text(), QStringLiteral("16:9"));
    // Replaced by the recommended number before anything reads the fields: no complaint.
    edit(*dialog, id::kPhysicsViewRange)->setText(QStringLiteral("12x"));

    prompter.answerYes();
    clickRestore(*dialog);
    const auto shown = [&](int list) {
        return combo(*dialog, list)->currentText();
    };
    // Medium goes with details that are not the game's medium preset, and stays.
    EXPECT_EQ(shown(id::kPreset), QStringLiteral("medium"));
    EXPECT_EQ(
        detailsShown(*dialog),
        QStringList({QStringLiteral("medium"), QStringLiteral("medium"), QStringLiteral("medium"),
                     QStringLiteral("medium"), QStringLiteral("2.0"), QStringLiteral("medium"),
                     QStringLiteral("anisotropic"), QStringLiteral("low"), QStringLiteral("low"),
                     QStringLiteral("bloom effect")}));
    EXPECT_EQ(shown(id::kVegetationDetails), QStringLiteral("high"));
    for (const int onOff :
         {id::kTreeShadows, id::kStaticShadows, id::kDetailedShadows, id::kLowPolygons})
        EXPECT_EQ(shown(onOff), QStringLiteral("enabled")) << onOff;
    for (const int detail : {id::kMeshQuality, id::kAnimationQuality, id::kImageQuality})
        EXPECT_EQ(shown(detail), QStringLiteral("ultra high")) << detail;
    EXPECT_EQ(edit(*dialog, id::kVegetationViewRange)->text(), QStringLiteral("3500"));
    EXPECT_EQ(edit(*dialog, id::kPhysicsViewRange)->text(), QStringLiteral("1200"));
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("999"));
    EXPECT_EQ(edit(*dialog, id::kRoiViewRange)->text(), QStringLiteral("4000"));
    EXPECT_EQ(shown(id::kResolution), QStringLiteral("1024x768@60Hz"));
    EXPECT_EQ(control<QLabel>(*dialog, id::kAspectRatio)->text(), QStringLiteral("4:3"));
    EXPECT_EQ(shown(id::kLanguage), QStringLiteral("english"));
    EXPECT_EQ(prompter.shown().size(), 1u) << "the question only";

    dialog.reset();
    EXPECT_EQ(readFile(userOptions()), userBefore);
    EXPECT_EQ(readFile(engineIni()), engineBefore);
}

TEST_F(PresetsAndDefaults, RestoreKeepsTheResolutionWhenTheDisplayLacksTheRecommendedOne) {
    modes.list = {{800, 600, 60}, {1024, 768, 75}, {1280, 1024, 60}};
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Video", "Resolution.Width", "1280"));
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Video", "Resolution.Height", "1024"));
    auto dialog = startDialog("english");
    prompter.answerYes();
    clickRestore(*dialog);
    EXPECT_EQ(combo(*dialog, id::kResolution)->currentText(), QStringLiteral("1280x1024@60Hz"));
    EXPECT_EQ(control<QLabel>(*dialog, id::kAspectRatio)->text(), QStringLiteral("5:4"));
}

} // namespace
} // namespace dk3::test
