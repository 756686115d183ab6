#pragma once

// Layout of the advanced settings dialog (template 133), the numeric IDs of its controls, and
// the translation keys of its captions and tooltips.

#include "ui/DialogTemplate.h"

#include <span>

namespace dk3::advanced {

namespace id {
inline constexpr int kTitle = 1123;
inline constexpr int kWarning = 1124;
// View distances: low, medium and high settings (objects, high quality, low quality).
inline constexpr int kLowObjects = 1050;
inline constexpr int kLowHighQuality = 1051;
inline constexpr int kLowLowQuality = 1052;
inline constexpr int kMediumObjects = 1053;
inline constexpr int kMediumHighQuality = 1054;
inline constexpr int kMediumLowQuality = 1055;
inline constexpr int kHighObjects = 1056;
inline constexpr int kHighHighQuality = 1057;
inline constexpr int kHighLowQuality = 1058;
inline constexpr int kPrefetchCellSize = 1063;
inline constexpr int kMaxCameraDistance = 1064;
inline constexpr int kBloomStrength = 1067;
inline constexpr int kDofStart = 1065;
inline constexpr int kDofEnd = 1066;
inline constexpr int kFpsAverage = 1060;
inline constexpr int kFpsMin = 1061;
inline constexpr int kFpsMax = 1062;
inline constexpr int kLevelOfDetailFactor = 1059;
inline constexpr int kPlayerMemory = 1087;
inline constexpr int kTestMode = 1088;
// Buttons.
inline constexpr int kRestoreDefaults = 1195;
inline constexpr int kSave = 1012;
inline constexpr int kClose = 1194;
} // namespace id

// Template 133: 351 x 374 dialog units, "MS Sans Serif" 8, no title.
const ui::DialogSpec& otherSettingsTemplate();

struct ControlText {
    int control;
    const char* key; // translation key
};

// The captions of the labels, group boxes and buttons, in the order they are set.
std::span<const ControlText> otherSettingsCaptions();

// The tooltip of each field, in the order the tools are added. Each tip ends with the field's
// default: the restore default of its setting, or the disabled word for the two switches.
std::span<const ControlText> otherSettingsTooltips();

} // namespace dk3::advanced
