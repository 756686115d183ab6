#pragma once

// The arithmetic behind the resource cache dialog: the 29 memory budgets of the engine's resource
// caches as the texts the user edits, each column's total, each cache level's final cache size and
// the megabyte form of every figure. No widget and no file is involved: the dialog copies its field
// texts in, runs one operation and shows the texts back.
//
// How texts are read
// ------------------
// Budget texts (the 28 cells and the texture-high budget) are read as a signed 32-bit integer:
// leading blanks are skipped, then an optional "+" or "-" and the decimal digits up to the first
// other character. Anything else reads 0. So " 12" is 12, "+5" is 5, "12abc" is 12, "1e3" is 1,
// "0x10" is 0, "", "-" and "abc" are 0. A number beyond the 32-bit range reads saturated at the
// nearest limit ("3000000000" is 2147483647, "-9999999999" is -2147483648), as the game's own C
// runtime reads such texts; no digit string, however long, overflows anything.
//
// Totals and final caches are 32-bit unsigned sums of those readings and wrap modulo 2^32, since
// that is how the engine adds its u32 budgets: seven budgets of 2000000000 total 1115098112.
//
// Percentage texts, and budget texts when a column is scaled, are read as a decimal number: the
// same leading blanks, sign and digits, then optionally "." and more digits ("12.5", ".5", "-10").
// There is no exponent, no hexadecimal form and no "inf" or "nan": "1e3" reads 1 and "nan" reads 0,
// so a reading is always finite and agrees with the integer reading on the digits before the point.
// A percentage too large for a double reads as the largest finite double of its sign. A budget's
// decimal reading is held to the signed 32-bit range before scaling, so that scaling starts from
// the value the dialog shows for the field. A scaled result is truncated toward zero and held to
// the signed 32-bit range as well, so "+100" on 2000000000 gives 2147483647, not a wrapped number.
//
// Megabyte texts are "<value> MB" with exactly two decimals, value = bytes * 2^-20 in double
// precision, rounded as printf's "%.2f" rounds (exact halves go to the even digit) and always with
// a decimal point, whatever the program's locale.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace dk3::cache {

// Left to right in the dialog.
enum class CacheColumn { General, Low, Medium, High };

// Top to bottom in every column.
enum class CacheCategory { Image, Mesh, Sound, Material, CollisionMesh, Animation, SpeedTree };

enum class ScaleDirection { Increase, Decrease };

// Whether a 32-bit byte count is a signed budget or an unsigned sum.
enum class Signedness { Signed, Unsigned };

inline constexpr std::size_t kColumnCount = 4;
inline constexpr std::size_t kCategoryCount = 7;

inline constexpr std::array<CacheColumn, kColumnCount> kAllColumns = {
    CacheColumn::General, CacheColumn::Low, CacheColumn::Medium, CacheColumn::High};
inline constexpr std::array<CacheCategory, kCategoryCount> kAllCategories = {
    CacheCategory::Image,    CacheCategory::Mesh,          CacheCategory::Sound,
    CacheCategory::Material, CacheCategory::CollisionMesh, CacheCategory::Animation,
    CacheCategory::SpeedTree};

// Only the three cache levels get the texture-high budget added; the general budgets do not.
constexpr bool hasFinalCache(CacheColumn column) {
    return column != CacheColumn::General;
}

// The budget reading described above: signed 32-bit, saturated.
std::int32_t readBudget(std::string_view text);

// The decimal reading described above: always finite.
double readDecimal(std::string_view text);

// "<bytes * 2^-20 with two decimals> MB"; bits is taken as a signed or an unsigned 32-bit number.
std::string megabyteText(std::uint32_t bits, Signedness signedness);

class CacheBudgets {
public:
    // Every budget text empty, every percentage "0", every figure 0 and every megabyte text the
    // one of 0, so the figures already match the (empty) texts.
    CacheBudgets();

    const std::string& budgetText(CacheColumn column, CacheCategory category) const;
    void setBudgetText(CacheColumn column, CacheCategory category, std::string text);
    const std::string& textureHighText() const { return textureHighText_; }
    void setTextureHighText(std::string text) { textureHighText_ = std::move(text); }
    const std::string& percentageText(CacheColumn column) const;
    void setPercentageText(CacheColumn column, std::string text);

    // Figures as of the last recompute of their column.
    std::uint32_t total(CacheColumn column) const { return totals_[index(column)]; }
    // 0 for General, which has no final cache.
    std::uint32_t finalCache(CacheColumn column) const { return finalCaches_[index(column)]; }
    // Unsigned decimal, as the read-only total and final-cache fields show them; empty for the
    // final cache of General.
    std::string totalText(CacheColumn column) const;
    std::string finalCacheText(CacheColumn column) const;

    const std::string& budgetMegabyteText(CacheColumn column, CacheCategory category) const;
    const std::string& textureHighMegabyteText() const { return textureHighMegabyte_; }
    const std::string& totalMegabyteText(CacheColumn column) const;
    // Empty for General.
    const std::string& finalCacheMegabyteText(CacheColumn column) const;

    // Total, final cache (cache levels only) and the megabyte texts of one column, from its
    // current texts. Run it after any of the column's budget texts changed.
    void recompute(CacheColumn column);
    // After the texture-high budget changed: the three cache levels and the texture-high
    // megabyte text. The general column does not depend on it and is left alone.
    void recomputeForTextureHigh();
    // Multiplies the column's seven budgets by 1 + p/100 (Increase) or 1 - p/100 (Decrease),
    // p being the column's percentage, writes them back as integers and recomputes the column.
    // The percentage stays, so every further click applies the same factor again.
    void scale(CacheColumn column, ScaleDirection direction);

private:
    static constexpr std::size_t index(CacheColumn column) {
        return static_cast<std::size_t>(column);
    }
    static constexpr std::size_t index(CacheCategory category) {
        return static_cast<std::size_t>(category);
    }

    using ColumnTexts = std::array<std::string, kCategoryCount>;

    std::array<ColumnTexts, kColumnCount> budgetTexts_;
    std::array<ColumnTexts, kColumnCount> budgetMegabytes_;
    std::string textureHighText_;
    std::string textureHighMegabyte_;
    std::array<std::string, kColumnCount> percentageTexts_;
    std::array<std::uint32_t, kColumnCount> totals_{};
    std::array<std::string, kColumnCount> totalMegabytes_;
    std::array<std::uint32_t, kColumnCount> finalCaches_{};
    std::array<std::string, kColumnCount> finalCacheMegabytes_;
};

} // namespace dk3::cache
