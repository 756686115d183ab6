#pragma once

// Layout of the main settings dialog (template 102) and the numeric IDs of its controls.

#include "ui/DialogTemplate.h"

namespace dk3::main_dialog {

namespace id {
// Banner, version line and notices.
inline constexpr int kBanner = 1086;
inline constexpr int kVersion = 1120;
inline constexpr int kRisk = 1117;
inline constexpr int kNotice = 1053;
// Common settings group.
inline constexpr int kCommonGroup = 1114;
inline constexpr int kLanguageLabel = 1116;
inline constexpr int kLanguage = 1054;
inline constexpr int kResolutionLabel = 1089;
inline constexpr int kResolution = 1052;
inline constexpr int kAspectRatioLabel = 1090;
inline constexpr int kAspectRatio = 1088;
inline constexpr int kPresetLabel = 1121;
inline constexpr int kPreset = 1024;
inline constexpr int kDistanceHigh = 1002;
inline constexpr int kDistanceLow = 1003;
inline constexpr int kResourceCache = 1004;
inline constexpr int kObjectDetails = 1005;
inline constexpr int kShaderQuality = 1006;
inline constexpr int kTextureQuality = 1007;
inline constexpr int kTextureFilter = 1008;
inline constexpr int kVegetationQuality = 1009;
inline constexpr int kShadowQuality = 1010;
inline constexpr int kPostProcessing = 1011;
// Advanced settings group.
inline constexpr int kAdvancedGroup = 1115;
inline constexpr int kVegetationDetails = 1014;
inline constexpr int kVegetationViewRange = 1015;
inline constexpr int kTreeShadows = 1016;
inline constexpr int kStaticShadows = 1018;
inline constexpr int kDetailedShadows = 1019;
inline constexpr int kPhysicsViewRange = 1020;
inline constexpr int kMaxRagdolls = 1021;
inline constexpr int kRoiViewRange = 1022;
inline constexpr int kLowPolygons = 1023;
inline constexpr int kMeshQuality = 1026;
inline constexpr int kAnimationQuality = 1027;
inline constexpr int kImageQuality = 1028;
// Buttons.
inline constexpr int kRemoveStartLogos = 1032;
inline constexpr int kRestoreStartLogos = 1034;
inline constexpr int kCacheSettings = 1063;
inline constexpr int kOtherSettings = 1025;
inline constexpr int kRestoreDefaults = 1119;
inline constexpr int kLoadBackup = 1033;
inline constexpr int kCreateBackup = 1013;
inline constexpr int kCredits = 1029;
inline constexpr int kSave = 1012;
inline constexpr int kExit = 1118;
} // namespace id

// Template 102: 417 x 407 dialog units, Arial 8, title "Draskel 3 Tuning Utility".
const ui::DialogSpec& mainDialogTemplate();

} // namespace dk3::main_dialog
