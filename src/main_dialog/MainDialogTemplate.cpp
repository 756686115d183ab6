#include "main_dialog/MainDialogTemplate.h"

#include <array>

namespace dk3::main_dialog {
namespace {

using ui::ControlKind;
using ui::ControlSpec;
using K = ui::ControlKind;

// Positions in dialog units; combo heights include the dropped-down list. The German captions
// are placeholders until the texts of the chosen language are loaded, except the language label
// and the notice, which are never translated.
constexpr std::array kControls = {
    ControlSpec{id::kBanner, K::Frame, 7, 7, 403, 92, nullptr, ui::kSunken},
    ControlSpec{id::kVersion, K::Label, 7, 101, 46, 9, "Version 1.1"},
    ControlSpec{id::kRisk, K::Label, 140, 101, 118, 11, "Benutzung auf eigene Gefahr!",
                ui::kCentred},
    ControlSpec{id::kNotice, K::Label, 313, 101, 97, 10, "Linux-Ausgabe / Linux edition",
                ui::kRightAligned},
    ControlSpec{id::kCommonGroup, K::GroupBox, 7, 116, 179, 230, "Allgemeine Einstellungen"},
    ControlSpec{id::kLanguageLabel, K::Label, 19, 133, 69, 9, "Sprache / language:"},
    ControlSpec{id::kLanguage, K::ComboBox, 92, 131, 80, 171, nullptr},
    ControlSpec{id::kResolutionLabel, K::Label, 19, 147, 54, 9, "Auflösung:"},
    ControlSpec{id::kResolution, K::ComboBox, 92, 146, 80, 171, nullptr},
    ControlSpec{id::kAspectRatioLabel, K::Label, 20, 161, 54, 9, "Seitenverhältnis:"},
    ControlSpec{id::kAspectRatio, K::Label, 95, 162, 64, 9, "16:10", ui::kCentred},
    ControlSpec{id::kPresetLabel, K::Label, 20, 179, 65, 10, "Grafikeinstellungen:", ui::kNoWrap},
    ControlSpec{id::kPreset, K::ComboBox, 92, 178, 80, 72, nullptr},
    ControlSpec{1091, K::Label, 20, 197, 66, 10, "Sichtweite Hoch:", ui::kNoWrap},
    ControlSpec{id::kDistanceHigh, K::ComboBox, 92, 196, 80, 72, nullptr},
    ControlSpec{1092, K::Label, 20, 212, 69, 10, "Sichtweite Niedrig:"},
    ControlSpec{id::kDistanceLow, K::ComboBox, 92, 211, 80, 72, nullptr},
    ControlSpec{1093, K::Label, 20, 227, 70, 10, "Resource Cache:"},
    ControlSpec{id::kResourceCache, K::ComboBox, 92, 225, 80, 72, nullptr},
    ControlSpec{1094, K::Label, 20, 241, 67, 10, "Objektdetails:"},
    ControlSpec{id::kObjectDetails, K::ComboBox, 92, 240, 80, 72, nullptr},
    ControlSpec{1095, K::Label, 20, 256, 68, 10, "Shaderqualität:"},
    ControlSpec{id::kShaderQuality, K::ComboBox, 92, 254, 80, 72, nullptr},
    ControlSpec{1096, K::Label, 20, 270, 71, 10, "Texturqualität:"},
    ControlSpec{id::kTextureQuality, K::ComboBox, 92, 268, 80, 72, nullptr},
    ControlSpec{1097, K::Label, 20, 284, 69, 10, "Texturfilter:"},
    ControlSpec{id::kTextureFilter, K::ComboBox, 92, 282, 80, 72, nullptr},
    ControlSpec{1098, K::Label, 20, 297, 71, 10, "Vegetationsdichte:"},
    ControlSpec{id::kVegetationQuality, K::ComboBox, 92, 296, 80, 72, nullptr},
    ControlSpec{1099, K::Label, 20, 311, 69, 10, "Schattenqualität:"},
    ControlSpec{id::kShadowQuality, K::ComboBox, 92, 310, 80, 72, nullptr},
    ControlSpec{1100, K::Label, 20, 326, 69, 10, "Post-Processing:"},
    ControlSpec{id::kPostProcessing, K::ComboBox, 92, 324, 80, 72, nullptr},
    ControlSpec{id::kAdvancedGroup, K::GroupBox, 193, 116, 217, 230, "Erweiterte Einstellungen"},
    ControlSpec{1102, K::Label, 208, 132, 109, 10, "Vegetationsqualität:"},
    ControlSpec{id::kVegetationDetails, K::ComboBox, 320, 131, 75, 72, nullptr},
    ControlSpec{1103, K::Label, 208, 147, 108, 10, "Sichtweite Vegetation:"},
    ControlSpec{id::kVegetationViewRange, K::Edit, 320, 145, 74, 13, nullptr, ui::kDigitsOnly},
    ControlSpec{1104, K::Label, 208, 162, 105, 10, "Baumschatten:"},
    ControlSpec{id::kTreeShadows, K::ComboBox, 320, 161, 75, 72, nullptr},
    ControlSpec{1105, K::Label, 208, 177, 106, 10, "Statische Schatten:"},
    ControlSpec{id::kStaticShadows, K::ComboBox, 320, 175, 75, 72, nullptr},
    ControlSpec{1106, K::Label, 208, 191, 107, 10, "Detaillierte Schatten:"},
    ControlSpec{id::kDetailedShadows, K::ComboBox, 320, 190, 75, 72, nullptr},
    ControlSpec{1107, K::Label, 208, 207, 110, 10, "Sichtweite Physik:"},
    ControlSpec{id::kPhysicsViewRange, K::Edit, 320, 204, 74, 13, nullptr, ui::kDigitsOnly},
    ControlSpec{1108, K::Label, 208, 222, 107, 10, "Max. Ragdoll-Effekte:"},
    ControlSpec{id::kMaxRagdolls, K::Edit, 320, 219, 74, 13, nullptr, ui::kDigitsOnly},
    ControlSpec{1109, K::Label, 208, 237, 109, 10, "Sichtweite NPC's, Tiere, etc.:"},
    ControlSpec{id::kRoiViewRange, K::Edit, 320, 234, 74, 13, nullptr, ui::kDigitsOnly},
    ControlSpec{1110, K::Label, 208, 251, 109, 10, "Geringe Horizont-Polygonanzahl:"},
    ControlSpec{id::kLowPolygons, K::ComboBox, 320, 249, 75, 72, nullptr},
    ControlSpec{1111, K::Label, 208, 264, 108, 10, "Objektqualität:"},
    ControlSpec{id::kMeshQuality, K::ComboBox, 320, 263, 75, 72, nullptr},
    ControlSpec{1112, K::Label, 208, 278, 107, 10, "Animationsqualität:"},
    ControlSpec{id::kAnimationQuality, K::ComboBox, 320, 277, 75, 72, nullptr},
    ControlSpec{1113, K::Label, 208, 293, 107, 10, "Bildqualität:"},
    ControlSpec{id::kImageQuality, K::ComboBox, 320, 291, 75, 72, nullptr},
    ControlSpec{id::kRemoveStartLogos, K::PushButton, 203, 308, 97, 14, "Startlo&gos entfernen"},
    ControlSpec{id::kRestoreStartLogos, K::PushButton, 303, 308, 97, 14,
                "S&tartlogos wiederherstellen"},
    ControlSpec{id::kCacheSettings, K::PushButton, 203, 327, 97, 14, "&Cache Einstellungen..."},
    ControlSpec{id::kOtherSettings, K::PushButton, 303, 327, 97, 14, "Sonstige &Einstellungen..."},
    ControlSpec{id::kRestoreDefaults, K::PushButton, 145, 352, 124, 14,
                "Standardwerte &wiederherstellen"},
    ControlSpec{-1, K::Separator, 7, 371, 403, 2, nullptr},
    ControlSpec{id::kLoadBackup, K::PushButton, 7, 380, 83, 21, "BackUp &laden..."},
    ControlSpec{id::kCreateBackup, K::PushButton, 93, 380, 83, 21, "&BackUp erstellen..."},
    ControlSpec{id::kCredits, K::PushButton, 184, 381, 47, 16, "&Credits"},
    ControlSpec{id::kSave, K::PushButton, 239, 380, 82, 21, "Einstellungen &speichern"},
    ControlSpec{id::kExit, K::DefaultPushButton, 324, 380, 86, 21, "B&eenden"},
};

} // namespace

const ui::DialogSpec& mainDialogTemplate() {
    static const ui::DialogSpec layout{417, 407, "Arial", 8, "Draskel 3 Tuning Utility", kControls};
    return layout;
}

} // namespace dk3::main_dialog
