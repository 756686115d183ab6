#include "advanced_dialog/OtherSettingsLayout.h"

#include <array>

namespace dk3::advanced {
namespace {

using ui::ControlSpec;
using K = ui::ControlKind;

constexpr unsigned kField = ui::kRightAligned;

// Positions in dialog units; the lists' heights include the dropped-down part. The German
// captions are placeholders until the texts of the current language are set.
constexpr std::array kControls = {
    ControlSpec{id::kTitle, K::Label, 7, 7, 337, 24, "SONSTIGE EINSTELLUNGEN",
                ui::kCentred | ui::kSunken},
    ControlSpec{id::kWarning, K::Label, 7, 35, 337, 20,
                "Diese Werte sollten nur von erfahrenen Anwendern geändert werden!", ui::kCentred},
    ControlSpec{1125, K::GroupBox, 7, 59, 165, 67, "Sichtweite - niedrige Einstellungen"},
    ControlSpec{1126, K::Label, 20, 75, 92, 11, "Sichtweite Objekte:"},
    ControlSpec{id::kLowObjects, K::Edit, 117, 73, 44, 14, nullptr, kField},
    ControlSpec{1127, K::Label, 20, 90, 94, 11, "Sichtweite hohe Qualität:"},
    ControlSpec{id::kLowHighQuality, K::Edit, 117, 89, 44, 14, nullptr, kField},
    ControlSpec{1128, K::Label, 20, 106, 91, 11, "Sichtweite niedrige Qualität"},
    ControlSpec{id::kLowLowQuality, K::Edit, 117, 105, 44, 14, nullptr, kField},
    ControlSpec{1129, K::GroupBox, 7, 135, 165, 68, "Sichtweite - mittlere Einstellungen"},
    ControlSpec{1130, K::Label, 20, 151, 93, 11, "Sichtweite Objekte:"},
    ControlSpec{id::kMediumObjects, K::Edit, 117, 149, 44, 14, nullptr, kField},
    ControlSpec{1131, K::Label, 20, 166, 92, 11, "Sichtweite hohe Qualität:"},
    ControlSpec{id::kMediumHighQuality, K::Edit, 117, 165, 44, 14, nullptr, kField},
    ControlSpec{1132, K::Label, 20, 182, 91, 11, "Sichtweite niedrige Qualität"},
    ControlSpec{id::kMediumLowQuality, K::Edit, 117, 181, 44, 14, nullptr, kField},
    ControlSpec{1133, K::GroupBox, 7, 212, 165, 67, "Sichtweite - hohe Einstellungen"},
    ControlSpec{1134, K::Label, 20, 227, 93, 11, "Sichtweite Objekte:"},
    ControlSpec{id::kHighObjects, K::Edit, 117, 226, 44, 14, nullptr, kField},
    ControlSpec{1135, K::Label, 20, 243, 92, 11, "Sichtweite hohe Qualität:"},
    ControlSpec{id::kHighHighQuality, K::Edit, 117, 242, 44, 14, nullptr, kField},
    ControlSpec{1136, K::Label, 20, 259, 91, 11, "Sichtweite niedrige Qualität"},
    ControlSpec{id::kHighLowQuality, K::Edit, 117, 258, 44, 14, nullptr, kField},
    ControlSpec{1137, K::GroupBox, 7, 286, 165, 48, "Sichtweite - Sonstiges"},
    ControlSpec{1138, K::Label, 21, 301, 91, 11, "Prefetch-Cell-Size:"},
    ControlSpec{id::kPrefetchCellSize, K::Edit, 117, 298, 44, 14, nullptr, kField},
    ControlSpec{1139, K::Label, 21, 317, 90, 11, "max. Kamera-Entfernung:"},
    ControlSpec{id::kMaxCameraDistance, K::Edit, 117, 314, 44, 14, nullptr, kField},
    ControlSpec{1151, K::GroupBox, 179, 59, 165, 38, "Überstrahl-Effekt"},
    ControlSpec{1152, K::Label, 191, 77, 90, 11, "Effektstärke in % (0 = aus):"},
    ControlSpec{id::kBloomStrength, K::Edit, 286, 74, 47, 14, nullptr, kField | ui::kDigitsOnly},
    ControlSpec{1196, K::GroupBox, 179, 103, 165, 48, "Tiefenunschärfe:"},
    ControlSpec{1148, K::Label, 197, 117, 79, 11, "Startdistanz::"},
    ControlSpec{id::kDofStart, K::Edit, 286, 114, 47, 14, nullptr, kField},
    ControlSpec{1149, K::Label, 197, 133, 81, 11, "Enddistanz:"},
    ControlSpec{id::kDofEnd, K::Edit, 286, 130, 47, 14, nullptr, kField},
    ControlSpec{1140, K::GroupBox, 179, 158, 165, 67, "FPS"},
    ControlSpec{1141, K::Label, 191, 174, 90, 11, "durchschnittliche FPS:"},
    ControlSpec{id::kFpsAverage, K::Edit, 285, 172, 49, 14, nullptr, kField},
    ControlSpec{1142, K::Label, 191, 190, 88, 11, "min. FPS:"},
    ControlSpec{id::kFpsMin, K::Edit, 285, 188, 49, 14, nullptr, kField},
    ControlSpec{1143, K::Label, 191, 206, 89, 11, "max. FPS:"},
    ControlSpec{id::kFpsMax, K::Edit, 285, 204, 49, 14, nullptr, kField},
    ControlSpec{1144, K::GroupBox, 179, 230, 165, 66, "Sonstiges"},
    ControlSpec{1145, K::Label, 191, 246, 89, 11, "Level-Detail-Faktor:"},
    ControlSpec{id::kLevelOfDetailFactor, K::Edit, 285, 244, 49, 14, nullptr, kField},
    ControlSpec{1146, K::Label, 191, 262, 88, 13, "Player-Memory:"},
    ControlSpec{id::kPlayerMemory, K::ComboBox, 285, 260, 50, 72, nullptr},
    ControlSpec{1147, K::Label, 191, 278, 89, 13, "Test-Modus:"},
    ControlSpec{id::kTestMode, K::ComboBox, 285, 276, 50, 72, nullptr},
    ControlSpec{id::kRestoreDefaults, K::PushButton, 203, 310, 109, 15,
                "Standardwerte wiederherstellen"},
    ControlSpec{-1, K::Separator, 7, 343, 337, 2, nullptr},
    ControlSpec{id::kSave, K::PushButton, 120, 352, 50, 15, "speichern"},
    ControlSpec{id::kClose, K::DefaultPushButton, 180, 352, 50, 15, "schließen"},
};

constexpr ui::DialogSpec kTemplate{351, 374, "MS Sans Serif", 8, "", kControls};

constexpr std::array<ControlText, 33> kCaptions = {{
    {id::kTitle, "TEXT_TITLEOTHERSETTINGS"},
    {id::kWarning, "TEXT_WARNING"},
    {1125, "TEXT_LOWVIEWRANGE"},
    {1126, "TEXT_LOWVIEWRANGEOBJECTS"},
    {1127, "TEXT_LOWVIEWRANGEHIGH"},
    {1128, "TEXT_LOWVIEWRANGELOW"},
    {1129, "TEXT_MEDIUMVIEWRANGE"},
    {1130, "TEXT_MEDIUMVIEWRANGEOBJECTS"},
    {1131, "TEXT_MEDIUMVIEWRANGEHIGH"},
    {1132, "TEXT_MEDIUMVIEWRANGELOW"},
    {1133, "TEXT_HIGHVIEWRANGE"},
    {1134, "TEXT_HIGHVIEWRANGEOBJECTS"},
    {1135, "TEXT_HIGHVIEWRANGEHIGH"},
    {1136, "TEXT_HIGHVIEWRANGELOW"},
    {1137, "TEXT_OTHERVIEWRANGE"},
    {1138, "TEXT_PREFETCHCELLSIZE"},
    {1139, "TEXT_MAXDISTTOPLAYER"},
    {1151, "TEXT_BLOOMEFFECT"},
    // The group of the depth-of-field distances; its key is named after the blur it frames.
    {1196, "TEXT_HORIZONTALBLUR"},
    {1148, "TEXT_DOFSTART"},
    {1149, "TEXT_DOFEND"},
    // The bloom strength's label, although its key speaks of depth of field.
    {1152, "TEXT_DOFPOWER"},
    {1140, "TEXT_FPS"},
    {1141, "TEXT_FPSAVERAGE"},
    {1142, "TEXT_FPSMIN"},
    {1143, "TEXT_FPSMAX"},
    {1144, "TEXT_MISCELLANEOUS"},
    {1145, "TEXT_LEVELOFDETAIL"},
    {1146, "TEXT_PLAYERMEMORY"},
    {1147, "TEXT_TESTMODE"},
    {id::kRestoreDefaults, "TEXT_RESTORESETTINGS"},
    {id::kSave, "TEXT_SAVE"},
    {id::kClose, "TEXT_CLOSE"},
}};

constexpr std::array<ControlText, 20> kTooltips = {{
    {id::kLowObjects, "TOOLTIP_VIEWRANGEOBJECTS"},
    {id::kMediumObjects, "TOOLTIP_VIEWRANGEOBJECTS"},
    {id::kHighObjects, "TOOLTIP_VIEWRANGEOBJECTS"},
    {id::kLowLowQuality, "TOOLTIP_VIEWRANGELOW2"},
    {id::kMediumLowQuality, "TOOLTIP_VIEWRANGELOW2"},
    {id::kHighLowQuality, "TOOLTIP_VIEWRANGELOW2"},
    {id::kLowHighQuality, "TOOLTIP_VIEWRANGEHIGH2"},
    {id::kMediumHighQuality, "TOOLTIP_VIEWRANGEHIGH2"},
    {id::kHighHighQuality, "TOOLTIP_VIEWRANGEHIGH2"},
    {id::kFpsAverage, "TOOLTIP_FPSAVERAGE"},
    {id::kFpsMin, "TOOLTIP_FPSMIN"},
    {id::kFpsMax, "TOOLTIP_FPSMAX"},
    {id::kPrefetchCellSize, "TOOLTIP_PREFETCHCELLSIZE"},
    {id::kMaxCameraDistance, "TOOLTIP_MAXDISTTOPLAYER"},
    {id::kDofStart, "TOOLTIP_DOFSTART"},
    {id::kDofEnd, "TOOLTIP_DOFEND"},
    {id::kBloomStrength, "TOOLTIP_DOFPOWER"},
    {id::kLevelOfDetailFactor, "TOOLTIP_LEVELOFDETAIL"},
    {id::kPlayerMemory, "TOOLTIP_PLAYERMEMORY"},
    {id::kTestMode, "TOOLTIP_TESTMODE"},
}};

} // namespace

const ui::DialogSpec& otherSettingsTemplate() {
    return kTemplate;
}

std::span<const ControlText> otherSettingsCaptions() {
    return kCaptions;
}

std::span<const ControlText> otherSettingsTooltips() {
    return kTooltips;
}

} // namespace dk3::advanced
