#include "main_dialog/DisplayModeText.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "main_dialog/SettingsTable.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "ui/ComboHelpers.h"
#include "ui/Prompter.h"

#include <QComboBox>

#include <array>
#include <cstdint>
#include <string_view>

// The game's own quality presets, and the settings this program recommends.

namespace dk3::main_dialog {
namespace {
using app::LevelScale;
using app::QualityWord;

// The preset list's items in order; custom, the last, names no section.
constexpr std::array<std::string_view, 3> kPresetSections = {"Options.Low", "Options.Medium",
                                                             "Options.High"};
constexpr int kCustomPreset = 3;

enum class PresetValue {
    Level,     // a level 0..3, shown by its localized word
    ItemIndex, // the item index itself
};

struct PresetKey {
    std::string_view key;
    std::int32_t fallback; // when the game's file lacks the key
    int control;
    PresetValue value;
};

// In the order the game's preset sections are read and applied. The shader quality is an item
// index here, unlike the version text a save writes for the same key into the user options.
constexpr std::array kPresetKeys = {
    PresetKey{"DistanceHigh", 1, id::kDistanceHigh, PresetValue::Level},
    PresetKey{"DistanceLow", 1, id::kDistanceLow, PresetValue::Level},
    PresetKey{"ResourceCache", 1, id::kResourceCache, PresetValue::Level},
    PresetKey{"ObjectDetails", 1, id::kObjectDetails, PresetValue::Level},
    PresetKey{"ShaderQuality", 0, id::kShaderQuality, PresetValue::ItemIndex},
    PresetKey{"TextureQuality", 1, id::kTextureQuality, PresetValue::Level},
    PresetKey{"TextureFilter", 1, id::kTextureFilter, PresetValue::ItemIndex},
    PresetKey{"VegetationQuality", 1, id::kVegetationQuality, PresetValue::Level},
    PresetKey{"ShadowQuality", 1, id::kShadowQuality, PresetValue::Level},
    PresetKey{"PostProcessing", 0, id::kPostProcessing, PresetValue::ItemIndex},
};

// A change by hand in one of these lists makes the preset the player's own mix: the ten lists a
// preset sets, and the animation quality. The other advanced lists and the fields leave it be.
constexpr std::array kPresetDetails = {
    id::kDistanceHigh,  id::kDistanceLow,    id::kResourceCache,    id::kObjectDetails,
    id::kShaderQuality, id::kTextureQuality, id::kTextureFilter,    id::kVegetationQuality,
    id::kShadowQuality, id::kPostProcessing, id::kAnimationQuality,
};

enum class Pick {
    ItemIndex,  // number: the item index
    Level,      // number: a level 0..3, selected by its localized word
    ItemText,   // text: the item that begins with it
    StoredWord, // text: a word of the quality scale, as the game stores it
    DetailWord, // text: a level-of-detail word, as the game stores it
};

struct Recommended {
    int control;
    Pick pick;
    int number;
    std::string_view text;
};

// The recommended settings, in the order they are shown. The language is not among them.
constexpr std::array kRecommendedChoices = {
    Recommended{id::kPreset, Pick::ItemIndex, 1, {}},
    Recommended{id::kDistanceHigh, Pick::Level, 2, {}},
    Recommended{id::kDistanceLow, Pick::Level, 2, {}},
    Recommended{id::kResourceCache, Pick::Level, 2, {}},
    Recommended{id::kObjectDetails, Pick::Level, 2, {}},
    Recommended{id::kShaderQuality, Pick::ItemText, 0, "2.0"},
    Recommended{id::kTextureQuality, Pick::Level, 2, {}},
    Recommended{id::kTextureFilter, Pick::ItemIndex, 1, {}},
    Recommended{id::kVegetationQuality, Pick::Level, 1, {}},
    Recommended{id::kShadowQuality, Pick::Level, 1, {}},
    Recommended{id::kPostProcessing, Pick::ItemIndex, 1, {}},
    Recommended{id::kVegetationDetails, Pick::StoredWord, 0, "high"},
    Recommended{id::kTreeShadows, Pick::StoredWord, 0, "true"},
    Recommended{id::kStaticShadows, Pick::StoredWord, 0, "true"},
    Recommended{id::kDetailedShadows, Pick::StoredWord, 0, "true"},
    Recommended{id::kLowPolygons, Pick::StoredWord, 0, "true"},
    Recommended{id::kMeshQuality, Pick::DetailWord, 0, "ultrahigh"},
    Recommended{id::kAnimationQuality, Pick::DetailWord, 0, "ultrahigh"},
    Recommended{id::kImageQuality, Pick::DetailWord, 0, "ultrahigh"},
};

// The recommended numbers of the four edit fields; the game stores the distances as "3500.0".
constexpr float kRecommendedVegetationViewRange = 3500;
constexpr float kRecommendedPhysicsViewRange = 1200;
constexpr std::uint32_t kRecommendedMaxRagdolls = 999;
constexpr float kRecommendedRoiViewRange = 4000;

} // namespace

std::span<const int> presetDetailControls() {
    return kPresetDetails;
}

void MainSettingsDialog::applyPreset() {
    const int preset = comboBox(id::kPreset)->currentIndex();
    if (preset < 0 || preset >= static_cast<int>(kPresetSections.size()))
        return; // custom keeps the player's mix as it is
    // Read afresh each time: the player may have edited the game's file meanwhile.
    const std::string_view section = kPresetSections[static_cast<std::size_t>(preset)];
    for (const PresetKey& key : kPresetKeys) {
        const std::int32_t value =
            profile::readInt(paths_.engineIniPath, section, key.key, key.fallback);
        QComboBox* combo = comboBox(key.control);
        // Program selections raise no handler, so the preset list keeps showing this preset.
        if (key.value == PresetValue::ItemIndex)
            ui::selectIndex(combo, value);
        else
            ui::selectByPrefix(combo, platform::fromWindows1252(words_.wordForIndex(value)));
    }
}

void MainSettingsDialog::switchToCustom() {
    ui::selectIndex(comboBox(id::kPreset), kCustomPreset);
}

void MainSettingsDialog::restoreDefaults() {
    if (!prompter().askYesNo(this, QString(), message("MESSAGE_RESTORESETTINGS")))
        return;

    // Medium in the preset list goes with these details whether or not they match the game's own
    // medium preset: nothing here raises the handlers that would apply it or switch to custom.
    for (const Recommended& choice : kRecommendedChoices) {
        QComboBox* combo = comboBox(choice.control);
        switch (choice.pick) {
        case Pick::ItemIndex:
            ui::selectIndex(combo, choice.number);
            break;
        case Pick::Level:
            ui::selectByPrefix(combo,
                               platform::fromWindows1252(words_.wordForIndex(choice.number)));
            break;
        case Pick::ItemText:
            ui::selectByPrefix(combo, QString::fromLatin1(choice.text));
            break;
        case Pick::StoredWord:
            ui::selectIndex(combo, QualityWord::indexForIniWord(choice.text, LevelScale::Quality));
            break;
        case Pick::DetailWord:
            ui::selectIndex(combo,
                            QualityWord::indexForIniWord(choice.text, LevelScale::LevelOfDetail));
            break;
        }
    }
    vegetationViewRange_ = kRecommendedVegetationViewRange;
    physicsViewRange_ = kRecommendedPhysicsViewRange;
    maxRagdolls_ = kRecommendedMaxRagdolls;
    roiViewRange_ = kRecommendedRoiViewRange;
    exchange_.membersToFields();

    // A display without this mode keeps the resolution the player had.
    ui::selectByPrefix(comboBox(id::kResolution), QString::fromLatin1(kRecommendedModeText), 0);
    updateAspectRatio();
}

} // namespace dk3::main_dialog
