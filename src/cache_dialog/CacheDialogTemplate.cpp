#include "cache_dialog/CacheDialogTemplate.h"

#include <vector>

namespace dk3::cache {
namespace {

using ui::ControlSpec;
using K = ui::ControlKind;

// The four group boxes stand side by side and share one layout, so the table is made from the
// ID table of each column and the positions below (dialog units) instead of 160 hand-made rows.
constexpr int kWidth = 605;
constexpr int kHeight = 308;
constexpr int kMargin = 5;
constexpr int kBoxTop = 40;
constexpr int kBoxWidth = 147;
constexpr int kBoxStep = 149; // boxes 2 units apart
constexpr int kGeneralBoxHeight = 170;
constexpr int kLevelBoxHeight = 206;

constexpr int kFirstRow = 54;
constexpr int kRowStep = 16;
constexpr int kTotalRow = 168;
constexpr int kPercentageSeparator = 186;
constexpr int kPercentageRow = 191;
constexpr int kFinalCacheSeparator = 214;
// The final cache rows and the high-texture field share this row; the arrow stands just above.
constexpr int kFinalCacheRow = 226;
constexpr int kArrowRow = 213;

// Offsets inside a box: caption, value field, megabyte label.
// The widths hold the widest texts: "Gesamtcache:", "4294967295" and "-2048.00 MB".
constexpr int kCaptionX = 3;
constexpr int kCaptionWidth = 49;
constexpr int kValueX = 54;
constexpr int kValueWidth = 47;
constexpr int kMegabyteX = 102;
constexpr int kMegabyteWidth = 43;
constexpr int kFieldHeight = 12;
constexpr int kLabelHeight = 10;

// How a megabyte label reads until the dialog fills it.
constexpr const char* kUnfilledMegabytes = "0000.00 MB";

void addValueRow(std::vector<ControlSpec>& controls, int boxX, int y, int captionId,
                 const char* caption, int valueId, unsigned valueFlags, int megabyteId) {
    controls.push_back({captionId, K::Label, boxX + kCaptionX, y + 1, kCaptionWidth, kLabelHeight,
                        caption, ui::kNoWrap});
    controls.push_back({valueId, K::Edit, boxX + kValueX, y, kValueWidth, kFieldHeight, nullptr,
                        ui::kRightAligned | valueFlags});
    controls.push_back({megabyteId, K::Label, boxX + kMegabyteX, y + 1, kMegabyteWidth,
                        kLabelHeight, kUnfilledMegabytes, ui::kRightAligned | ui::kNoWrap});
}

void addColumn(std::vector<ControlSpec>& controls, CacheColumn column, const char* groupCaption) {
    // Captions stand in until the dialog puts in those of the user's language.
    static constexpr std::array<const char*, kCategoryCount> kRowCaptions = {
        "image:", "objects:", "sound:", "material:", "coll. objects:", "animation:", "speed tree:"};

    const ColumnControlIds& ids = columnControls(column);
    const int boxX = kMargin + static_cast<int>(column) * kBoxStep;
    const bool level = hasFinalCache(column);
    controls.push_back({ids.group, K::GroupBox, boxX, kBoxTop, kBoxWidth,
                        level ? kLevelBoxHeight : kGeneralBoxHeight, groupCaption});

    for (std::size_t row = 0; row < kCategoryCount; ++row) {
        addValueRow(controls, boxX, kFirstRow + static_cast<int>(row) * kRowStep, ids.captions[row],
                    kRowCaptions[row], ids.values[row], ui::kDigitsOnly, ids.megabytes[row]);
    }
    addValueRow(controls, boxX, kTotalRow, ids.totalCaption, "total:", ids.total, ui::kReadOnly,
                ids.totalMegabytes);

    controls.push_back(
        {-1, K::Separator, boxX + 5, kPercentageSeparator, kBoxWidth - 10, 1, nullptr});
    controls.push_back({ids.percentageCaption, K::Label, boxX + kCaptionX, kPercentageRow + 1,
                        kCaptionWidth, kLabelHeight, "modify:", ui::kNoWrap});
    controls.push_back({ids.percentage, K::Edit, boxX + kValueX, kPercentageRow, 22, kFieldHeight,
                        nullptr, ui::kRightAligned | ui::kDigitsOnly});
    controls.push_back(
        {-1, K::Label, boxX + 78, kPercentageRow + 1, 8, kLabelHeight, "%", ui::kNoWrap});
    controls.push_back({ids.increase, K::PushButton, boxX + 96, kPercentageRow - 1, 20, 14, "+"});
    controls.push_back({ids.decrease, K::PushButton, boxX + 120, kPercentageRow - 1, 20, 14, "-"});

    if (level) {
        controls.push_back(
            {-1, K::Separator, boxX + 5, kFinalCacheSeparator, kBoxWidth - 10, 1, nullptr});
        addValueRow(controls, boxX, kFinalCacheRow, ids.finalCacheCaption,
                    "final cache:", ids.finalCache, ui::kReadOnly, ids.finalCacheMegabytes);
    }
}

std::vector<ControlSpec> makeControls() {
    std::vector<ControlSpec> controls;
    controls.push_back({id::kTitle, K::Label, kMargin, 7, kWidth - 2 * kMargin, 13,
                        "CACHE SETTINGS", ui::kCentred | ui::kSunken});
    controls.push_back({id::kWarning, K::Label, kMargin, 24, kWidth - 2 * kMargin, 10,
                        "Use of this tool is at your own risk!", ui::kCentred | ui::kNoWrap});

    addColumn(controls, CacheColumn::General, "common");
    // Below the general box, level with the final cache rows it adds to.
    controls.push_back({id::kTextureHighCaption, K::Label, kMargin + kCaptionX, kArrowRow, 60,
                        kLabelHeight, "textures high:", ui::kNoWrap});
    controls.push_back({-1, K::Label, kMargin + 80, kArrowRow, 70, kLabelHeight,
                        "------------------>", ui::kRightAligned | ui::kNoWrap});
    controls.push_back({id::kTextureHigh, K::Edit, kMargin + kValueX, kFinalCacheRow, kValueWidth,
                        kFieldHeight, nullptr, ui::kRightAligned | ui::kDigitsOnly});
    controls.push_back({id::kTextureHighMegabytes, K::Label, kMargin + kMegabyteX,
                        kFinalCacheRow + 1, kMegabyteWidth, kLabelHeight, kUnfilledMegabytes,
                        ui::kRightAligned | ui::kNoWrap});

    addColumn(controls, CacheColumn::Low, "resource cache - low");
    addColumn(controls, CacheColumn::Medium, "resource cache - medium");
    addColumn(controls, CacheColumn::High, "resource Cache - high");

    controls.push_back(
        {id::kRestoreDefaults, K::PushButton, kMargin, 254, 120, 14, "restore settings"});
    controls.push_back({-1, K::Separator, kMargin, 276, kWidth - 2 * kMargin, 2, nullptr});
    controls.push_back({id::kSave, K::PushButton, kWidth - kMargin - 158, 284, 76, 14, "save"});
    controls.push_back(
        {id::kClose, K::DefaultPushButton, kWidth - kMargin - 76, 284, 76, 14, "close"});
    return controls;
}

} // namespace

const ui::DialogSpec& cacheDialogTemplate() {
    static const std::vector<ControlSpec> controls = makeControls();
    static const ui::DialogSpec layout{kWidth, kHeight, "MS Sans Serif", 8, "", controls};
    return layout;
}

} // namespace dk3::cache
