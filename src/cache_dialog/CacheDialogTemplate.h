#pragma once

// Layout of the resource cache dialog (template 137) and the numeric IDs of its controls.

#include "cache_dialog/CacheBudgets.h"
#include "ui/DialogTemplate.h"

#include <array>

namespace dk3::cache {

namespace id {
inline constexpr int kTitle = 1148;
inline constexpr int kWarning = 1149;
inline constexpr int kTextureHighCaption = 1163;
inline constexpr int kTextureHigh = 1135;
inline constexpr int kTextureHighMegabytes = 1142;
inline constexpr int kRestoreDefaults = 1024;
inline constexpr int kSave = 1012;
inline constexpr int kClose = 1194;
} // namespace id

// The controls of one column (one group box). Rows are in the order of kAllCategories.
struct ColumnControlIds {
    int group;
    std::array<int, kCategoryCount> captions;
    std::array<int, kCategoryCount> values;
    std::array<int, kCategoryCount> megabytes;
    int totalCaption, total, totalMegabytes;
    int percentageCaption, percentage, increase, decrease;
    int finalCacheCaption, finalCache, finalCacheMegabytes; // -1 in the general column
};

// In the order of kAllColumns.
// clang-format off
inline constexpr std::array<ColumnControlIds, kColumnCount> kColumnControls = {{
    {1150,
     {1154, 1155, 1156, 1157, 1158, 1159, 1160},
     {1067, 1070, 1071, 1072, 1073, 1074, 1075},
     {1068, 1069, 1077, 1078, 1079, 1080, 1081},
     1161, 1076, 1082,
     1162, 1131, 1013, 1014,
     -1, -1, -1},
    {1151,
     {1165, 1166, 1167, 1168, 1169, 1170, 1171},
     {1083, 1084, 1085, 1086, 1087, 1088, 1089},
     {1091, 1092, 1093, 1094, 1095, 1096, 1097},
     1172, 1090, 1098,
     1173, 1132, 1015, 1016,
     1164, 1136, 1137},
    {1152,
     {1174, 1175, 1176, 1177, 1178, 1179, 1180},
     {1099, 1100, 1101, 1102, 1103, 1104, 1105},
     {1107, 1108, 1109, 1110, 1111, 1112, 1113},
     1181, 1106, 1114,
     1182, 1133, 1017, 1018,
     1183, 1138, 1139},
    {1153,
     {1184, 1185, 1186, 1187, 1188, 1189, 1190},
     {1115, 1116, 1117, 1118, 1119, 1120, 1121},
     {1123, 1124, 1125, 1126, 1127, 1128, 1129},
     1191, 1122, 1130,
     1192, 1134, 1019, 1020,
     1193, 1140, 1141},
}};
// clang-format on

inline const ColumnControlIds& columnControls(CacheColumn column) {
    return kColumnControls[static_cast<std::size_t>(column)];
}

// Template 137: 605 x 308 dialog units, "MS Sans Serif" 8, no title.
const ui::DialogSpec& cacheDialogTemplate();

} // namespace dk3::cache
