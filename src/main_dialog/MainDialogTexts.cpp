#include "main_dialog/DisplayModeText.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/TextCodec.h"
#include "ui/ComboHelpers.h"
#include "ui/ControlText.h"
#include "ui/TooltipControl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

// The main dialog's texts in the chosen language: list items, vocabulary, captions, tooltips.
// The language list and its label stay as they are in every language, so that a player who
// picked a language they cannot read still finds the way back.

namespace dk3::main_dialog {
namespace {
using app::QualityWord;
using app::TranslationCatalogue;
namespace c = id;

// Lists that hold translated words; the language and resolution lists are not among them.
constexpr std::array kTranslatedLists = {
    c::kPreset,         c::kDistanceHigh,   c::kDistanceLow,
    c::kResourceCache,  c::kObjectDetails,  c::kShaderQuality,
    c::kTextureQuality, c::kTextureFilter,  c::kVegetationQuality,
    c::kShadowQuality,  c::kPostProcessing, c::kVegetationDetails,
    c::kTreeShadows,    c::kStaticShadows,  c::kDetailedShadows,
    c::kLowPolygons,    c::kMeshQuality,    c::kAnimationQuality,
    c::kImageQuality,
};

// One word appended to several lists. The order of this table makes the item orders every
// conversion relies on: "disabled" first, then "enabled"; low before medium before high; the
// level-of-detail lists normal, high, ultra high.
struct ListWord {
    std::string_view key;       // looked up in the language's section ...
    std::string_view fixedText; // ... or this text, the same in every language
    std::string QualityWord::*word;
    std::vector<int> lists;
};

const std::vector<ListWord>& listWords() {
    static const std::vector<ListWord> table = {
        {"TEXT_DISABLED",
         {},
         &QualityWord::disabledWord,
         {c::kDistanceLow, c::kShadowQuality, c::kVegetationQuality, c::kPostProcessing,
          c::kTreeShadows, c::kStaticShadows, c::kDetailedShadows, c::kLowPolygons}},
        {"TEXT_ENABLED",
         {},
         &QualityWord::enabledWord,
         {c::kTreeShadows, c::kStaticShadows, c::kDetailedShadows, c::kLowPolygons}},
        {"TEXT_LOWQUALITY",
         {},
         &QualityWord::lowWord,
         {c::kPreset, c::kDistanceHigh, c::kDistanceLow, c::kResourceCache, c::kObjectDetails,
          c::kTextureQuality, c::kVegetationQuality, c::kShadowQuality, c::kVegetationDetails}},
        {"TEXT_NORMALQUALITY",
         {},
         &QualityWord::normalWord,
         {c::kMeshQuality, c::kAnimationQuality, c::kImageQuality}},
        {"TEXT_MEDIUMQUALITY",
         {},
         &QualityWord::mediumWord,
         {c::kPreset, c::kDistanceHigh, c::kDistanceLow, c::kResourceCache, c::kObjectDetails,
          c::kTextureQuality, c::kVegetationQuality, c::kShadowQuality, c::kVegetationDetails}},
        {"TEXT_HIGHQUALITY",
         {},
         &QualityWord::highWord,
         {c::kPreset, c::kDistanceHigh, c::kDistanceLow, c::kResourceCache, c::kObjectDetails,
          c::kTextureQuality, c::kVegetationQuality, c::kShadowQuality, c::kVegetationDetails,
          c::kMeshQuality, c::kAnimationQuality, c::kImageQuality}},
        {"TEXT_ULTRAHIGHQUALITY",
         {},
         &QualityWord::ultraHighWord,
         {c::kMeshQuality, c::kAnimationQuality, c::kImageQuality}},
        {"TEXT_CUSTOMQUALITY", {}, &QualityWord::customWord, {c::kPreset}},
        {{}, "1.4", nullptr, {c::kShaderQuality}},
        {{}, "2.0", nullptr, {c::kShaderQuality}},
        {{}, "3.0", nullptr, {c::kShaderQuality}},
        {"TEXT_TEXTUREFILTERLINEAR", {}, nullptr, {c::kTextureFilter}},
        {"TEXT_TEXTUREFILTERANISOTROPIC", {}, nullptr, {c::kTextureFilter}},
        {"TEXT_TEXTUREFILTERANISOTROPIC4X", {}, nullptr, {c::kTextureFilter}},
        {"TEXT_TEXTUREFILTERANISOTROPIC8X", {}, nullptr, {c::kTextureFilter}},
        {"TEXT_TEXTUREFILTERANISOTROPIC16X", {}, nullptr, {c::kTextureFilter}},
        {"TEXT_POSTPROCESSINGBLOOM", {}, nullptr, {c::kPostProcessing}},
        {"TEXT_POSTPROCESSINGHORIZONTALBLUR", {}, nullptr, {c::kPostProcessing}},
    };
    return table;
}

struct Caption {
    int control;
    std::string_view key;
};

constexpr std::array kCaptions = {
    Caption{c::kVersion, "TEXT_VERSION"},
    Caption{c::kRisk, "TEXT_RISK"},
    Caption{c::kCommonGroup, "TEXT_COMMONSETTINGS"},
    Caption{c::kAdvancedGroup, "TEXT_ADVANCEDSETTINGS"},
    Caption{c::kResolutionLabel, "TEXT_RESOLUTION"},
    Caption{c::kPresetLabel, "TEXT_VIDEOSETTINGS"},
    Caption{c::kAspectRatioLabel, "TEXT_ASPECTRATIO"},
    Caption{1091, "TEXT_VIEWRANGEHIGH"},
    Caption{1092, "TEXT_VIEWRANGELOW"},
    Caption{1093, "TEXT_RESOURCECACHE"},
    Caption{1094, "TEXT_OBJECTDETAILS"},
    Caption{1095, "TEXT_SHADERQUALITY"},
    Caption{1096, "TEXT_TEXTUREQUALITY"},
    Caption{1097, "TEXT_TEXTUREFILTER"},
    Caption{1098, "TEXT_VEGETATIONQUALITY"},
    Caption{1099, "TEXT_SHADOWQUALITY"},
    Caption{1100, "TEXT_POSTPROCESSING"},
    Caption{1102, "TEXT_VEGETATIONDETAILS"},
    Caption{1103, "TEXT_VEGETATIONVIEWRANGE"},
    Caption{1104, "TEXT_TREESHADOWS"},
    Caption{1105, "TEXT_STATICSHADOWS"},
    Caption{1106, "TEXT_DETAILEDSHADOWS"},
    Caption{1107, "TEXT_PHYSICSVIEWRANGE"},
    Caption{1108, "TEXT_MAXRAGDOLLS"},
    Caption{1109, "TEXT_ROIVIEWRANGE"},
    Caption{1110, "TEXT_LOWPOLYGONS"},
    Caption{1111, "TEXT_MESHQUALITY"},
    Caption{1112, "TEXT_ANIMATIONQUALITY"},
    Caption{1113, "TEXT_IMAGEQUALITY"},
    Caption{c::kRestoreStartLogos, "TEXT_RESTORESTARTLOGOS"},
    Caption{c::kRemoveStartLogos, "TEXT_REMOVESTARTLOGOS"},
    Caption{c::kRestoreDefaults, "TEXT_RESTORESETTINGS"},
    Caption{c::kCacheSettings, "TEXT_CACHESETTINGS"},
    Caption{c::kOtherSettings, "TEXT_OTHERSETTINGS"},
    Caption{c::kLoadBackup, "TEXT_LOADBACKUP"},
    Caption{c::kCreateBackup, "TEXT_CREATEBACKUP"},
    Caption{c::kCredits, "TEXT_CREDITS"},
    Caption{c::kSave, "TEXT_SAVESETTINGS"},
    Caption{c::kExit, "TEXT_EXIT"},
};

// What a tooltip ends with: most name the setting's recommended value.
enum class TipDefault {
    None,
    Resolution, // the recommended mode text
    Level,      // the localized word of a level (argument: the level)
    Fixed,      // a text that is the same in every language
    Key,        // the text of another key, looked up afresh
};

struct Tip {
    int control;
    std::string_view key;
    TipDefault kind = TipDefault::None;
    std::string_view text = {}; // Fixed and Key
    int level = 0;              // Level
};

constexpr std::array kTips = {
    Tip{c::kLanguage, "TOOLTIP_LANGUAGE"},
    Tip{c::kResolution, "TOOLTIP_RESOLUTION", TipDefault::Resolution},
    Tip{c::kPreset, "TOOLTIP_VIDEOSETTINGS"},
    Tip{c::kDistanceHigh, "TOOLTIP_VIEWRANGEHIGH", TipDefault::Level, {}, 2},
    Tip{c::kDistanceLow, "TOOLTIP_VIEWRANGELOW", TipDefault::Level, {}, 2},
    Tip{c::kResourceCache, "TOOLTIP_RESOURCECACHE", TipDefault::Level, {}, 2},
    Tip{c::kShadowQuality, "TOOLTIP_SHADOWQUALITY", TipDefault::Level, {}, 1},
    Tip{c::kObjectDetails, "TOOLTIP_OBJECTDETAILS", TipDefault::Level, {}, 2},
    Tip{c::kShaderQuality, "TOOLTIP_SHADERQUALITY", TipDefault::Fixed, "2.0"},
    Tip{c::kTextureQuality, "TOOLTIP_TEXTUREQUALITY", TipDefault::Level, {}, 2},
    Tip{c::kTextureFilter, "TOOLTIP_TEXTUREFILTER", TipDefault::Key,
        "TEXT_TEXTUREFILTERANISOTROPIC"},
    Tip{c::kVegetationQuality, "TOOLTIP_VEGETATIONQUALITY", TipDefault::Level, {}, 1},
    Tip{c::kPostProcessing, "TOOLTIP_POSTPROCESSING", TipDefault::Key, "TEXT_POSTPROCESSINGBLOOM"},
    Tip{c::kRemoveStartLogos, "TOOLTIP_REMOVESTARTLOGOS"},
    Tip{c::kRestoreStartLogos, "TOOLTIP_RESTORESTARTLOGOS"},
    Tip{c::kVegetationDetails, "TOOLTIP_VEGETATIONDETAILS", TipDefault::Key, "TEXT_HIGHQUALITY"},
    Tip{c::kVegetationViewRange, "TOOLTIP_VEGETATIONVIEWRANGE", TipDefault::Fixed, "3500.0"},
    Tip{c::kTreeShadows, "TOOLTIP_TREESHADOWS", TipDefault::Key, "TEXT_ENABLED"},
    Tip{c::kStaticShadows, "TOOLTIP_STATICSHADOWS", TipDefault::Key, "TEXT_ENABLED"},
    Tip{c::kDetailedShadows, "TOOLTIP_DETAILEDSHADOWS", TipDefault::Key, "TEXT_ENABLED"},
    Tip{c::kPhysicsViewRange, "TOOLTIP_PHYSICSVIEWRANGE", TipDefault::Fixed, "1200.0"},
    Tip{c::kMaxRagdolls, "TOOLTIP_MAXRAGDOLLS", TipDefault::Fixed, "999"},
    Tip{c::kRoiViewRange, "TOOLTIP_ROIVIEWRANGE", TipDefault::Fixed, "4000.0"},
    Tip{c::kLowPolygons, "TOOLTIP_LOWPOLYGONS", TipDefault::Key, "TEXT_ENABLED"},
    Tip{c::kMeshQuality, "TOOLTIP_MESHQUALITY", TipDefault::Key, "TEXT_ULTRAHIGHQUALITY"},
    Tip{c::kAnimationQuality, "TOOLTIP_ANIMATIONQUALITY", TipDefault::Key, "TEXT_ULTRAHIGHQUALITY"},
    Tip{c::kImageQuality, "TOOLTIP_IMAGEQUALITY", TipDefault::Key, "TEXT_ULTRAHIGHQUALITY"},
    Tip{c::kCacheSettings, "TOOLTIP_CACHESETTINGS"},
    Tip{c::kOtherSettings, "TOOLTIP_OTHERSETTINGS"},
    Tip{c::kLoadBackup, "TOOLTIP_LOADBACKUP"},
    Tip{c::kCreateBackup, "TOOLTIP_CREATEBACKUP"},
    Tip{c::kSave, "TOOLTIP_SAVE"},
    Tip{c::kCredits, "TOOLTIP_CREDITS"},
};

} // namespace

void MainSettingsDialog::loadTextsOfLanguage() {
    const auto lookup = [this](std::string_view key) {
        return catalogue_.lookupText(languageName_, key, TranslationCatalogue::kLongBuffer);
    };

    for (const int list : kTranslatedLists)
        comboBox(list)->clear();
    // Every item is added even when its text is missing, so the item orders stay as they are.
    for (const ListWord& entry : listWords()) {
        const std::string word =
            entry.key.empty() ? std::string(entry.fixedText) : lookup(entry.key);
        const QString item = platform::fromWindows1252(word);
        for (const int list : entry.lists)
            ui::appendItem(comboBox(list), item);
        if (entry.word)
            words_.*entry.word = word;
    }

    for (const Caption& caption : kCaptions)
        ui::setCaption(ui::controlById(*this, caption.control),
                       platform::fromWindows1252(lookup(caption.key)));

    delete tooltipControl_;
    tooltipControl_ = new ui::TooltipControl(this);
    for (const Tip& tip : kTips) {
        std::string appended;
        switch (tip.kind) {
        case TipDefault::None:
            break;
        case TipDefault::Resolution:
            appended = kRecommendedModeText;
            break;
        case TipDefault::Level:
            appended = words_.wordForIndex(tip.level);
            break;
        case TipDefault::Fixed:
            appended = tip.text;
            break;
        case TipDefault::Key:
            appended = lookup(tip.text);
            break;
        }
        const std::string text = QualityWord::joinTexts(
            TranslationCatalogue::replaceWithNewlines(lookup(tip.key)), appended);
        tooltipControl_->addTool(ui::controlById(*this, tip.control),
                                 platform::fromWindows1252(text));
    }
    showInstallationTip();
    tooltipControl_->activate();
}

} // namespace dk3::main_dialog
