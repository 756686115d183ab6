#include "cache_dialog/CacheBudgets.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>

namespace dk3::cache {
namespace {

using Col = CacheColumn;
using Cat = CacheCategory;
constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

// The budgets the restore-defaults button puts in, column by column, rows in category order.
constexpr std::array<std::array<const char*, kCategoryCount>, kColumnCount> kDefaults = {{
    {"128000000", "70000000", "80000000", "40000000", "40000000", "40000000", "10000000"},
    {"32000000", "30000000", "10000000", "18000", "13000000", "25000000", "500000"},
    {"70000000", "40000000", "15000000", "20000", "16000000", "30000000", "750000"},
    {"96000000", "96000000", "20000000", "21000", "18000000", "40000000", "1000000"},
}};

CacheBudgets defaultBudgets() {
    CacheBudgets b;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        for (std::size_t r = 0; r < kCategoryCount; ++r) {
            b.setBudgetText(kAllColumns[c], kAllCategories[r], kDefaults[c][r]);
        }
        b.recompute(kAllColumns[c]);
    }
    b.setTextureHighText("350000000");
    b.recomputeForTextureHigh();
    return b;
}

void setColumn(CacheBudgets& b, Col column, const std::string& text) {
    for (const Cat category : kAllCategories) {
        b.setBudgetText(column, category, text);
    }
}

TEST(CacheBudgets, DefaultAndEmptyBudgetsGiveTheKnownFigures) {
    struct Figures {
        std::uint32_t total;
        const char* totalMb;
        std::uint32_t finalCache;
        const char* finalMb;
    };
    const Figures expected[] = {{408000000, "389.10 MB", 0, ""},
                                {110518000, "105.40 MB", 460518000, "439.18 MB"},
                                {171770000, "163.81 MB", 521770000, "497.60 MB"},
                                {271021000, "258.47 MB", 621021000, "592.25 MB"}};
    CacheBudgets b = defaultBudgets();
    for (const Col c : kAllColumns) {
        const Figures& e = expected[static_cast<int>(c)];
        EXPECT_EQ(b.total(c), e.total);
        EXPECT_EQ(b.totalMegabyteText(c), e.totalMb);
        EXPECT_EQ(b.finalCache(c), e.finalCache);
        EXPECT_EQ(b.finalCacheMegabyteText(c), e.finalMb);
    }
    EXPECT_EQ(b.totalText(Col::High), "271021000");
    EXPECT_EQ(b.finalCacheText(Col::High), "621021000");
    EXPECT_EQ(b.finalCacheText(Col::General), "");
    EXPECT_EQ(b.textureHighMegabyteText(), "333.79 MB");
    EXPECT_EQ(b.budgetMegabyteText(Col::General, Cat::Image), "122.07 MB");
    EXPECT_EQ(b.budgetMegabyteText(Col::Low, Cat::Material), "0.02 MB");

    b.setBudgetText(Col::Low, Cat::Image, "");
    b.setBudgetText(Col::Low, Cat::Mesh, "abc");
    b.setTextureHighText("");
    b.recomputeForTextureHigh();
    EXPECT_EQ(b.total(Col::Low), 110518000u - 62000000u);
    EXPECT_EQ(b.finalCache(Col::Low), b.total(Col::Low));
    EXPECT_EQ(b.budgetMegabyteText(Col::Low, Cat::Mesh), "0.00 MB");
    EXPECT_EQ(b.textureHighMegabyteText(), "0.00 MB");

    const CacheBudgets fresh;
    EXPECT_EQ(fresh.percentageText(Col::Medium), "0");
    EXPECT_EQ(fresh.budgetText(Col::Low, Cat::Sound), "");
    EXPECT_EQ(fresh.budgetMegabyteText(Col::High, Cat::SpeedTree), "0.00 MB");
    EXPECT_EQ(fresh.finalCacheMegabyteText(Col::Low), "0.00 MB");
}

TEST(CacheBudgets, MegabyteTextsAndSumsUseThirtyTwoBits) {
    EXPECT_EQ(megabyteText(0, Signedness::Signed), "0.00 MB");
    // 0.125 MB is an exact half: printf rounds it to the even digit.
    EXPECT_EQ(megabyteText(131072, Signedness::Signed), "0.12 MB");
    EXPECT_EQ(megabyteText(0xFFF00000u, Signedness::Signed), "-1.00 MB");
    EXPECT_EQ(megabyteText(0xFFF00000u, Signedness::Unsigned), "4095.00 MB");
    EXPECT_EQ(megabyteText(0xFFFFFFFFu, Signedness::Unsigned), "4096.00 MB");

    CacheBudgets b;
    setColumn(b, Col::High, "2000000000");
    setColumn(b, Col::Low, "0");
    b.setBudgetText(Col::Low, Cat::Sound, "-1048576");
    b.setTextureHighText("2147483647");
    b.recomputeForTextureHigh();
    EXPECT_EQ(b.total(Col::High), 1115098112u); // 14000000000 mod 2^32
    EXPECT_EQ(b.finalCache(Col::High), 3262581759u);
    EXPECT_EQ(b.total(Col::Low), 4293918720u); // a negative budget adds its 32-bit pattern
    EXPECT_EQ(b.budgetMegabyteText(Col::Low, Cat::Sound), "-1.00 MB");
    EXPECT_EQ(b.finalCache(Col::Low), 2146435071u);
}

TEST(CacheBudgets, OperationsTouchOnlyTheirOwnColumns) {
    CacheBudgets b = defaultBudgets();
    // Edits not yet recomputed show whether a column was recomputed when it should not be.
    setColumn(b, Col::General, "1");
    setColumn(b, Col::Medium, "1");
    b.setTextureHighText("0");
    b.recomputeForTextureHigh();
    EXPECT_EQ(b.totalMegabyteText(Col::General), "389.10 MB");
    EXPECT_EQ(b.budgetMegabyteText(Col::General, Cat::Image), "122.07 MB");
    EXPECT_EQ(b.finalCache(Col::Low), 110518000u);
    EXPECT_EQ(b.total(Col::Medium), 7u);

    b = defaultBudgets();
    b.setPercentageText(Col::Low, "50");
    b.scale(Col::Low, ScaleDirection::Increase);
    EXPECT_EQ(b.budgetText(Col::Low, Cat::Image), "48000000");
    for (const Col other : {Col::General, Col::Medium, Col::High}) {
        for (std::size_t r = 0; r < kCategoryCount; ++r) {
            EXPECT_EQ(b.budgetText(other, kAllCategories[r]),
                      kDefaults[static_cast<int>(other)][r]);
        }
    }
    EXPECT_EQ(b.finalCache(Col::High), 621021000u);
}

TEST(CacheBudgets, ScalingMultipliesTruncatesAndRecomputes) {
    CacheBudgets b = defaultBudgets();
    b.setPercentageText(Col::General, "10");
    b.setBudgetText(Col::General, Cat::Mesh, "33");
    b.setBudgetText(Col::General, Cat::Sound, "100");
    b.scale(Col::General, ScaleDirection::Increase);
    EXPECT_EQ(b.budgetText(Col::General, Cat::Image), "140800000");
    EXPECT_EQ(b.budgetText(Col::General, Cat::Mesh), "36");
    EXPECT_EQ(b.total(Col::General), 140800000u + 36u + 110u + 3u * 44000000u + 11000000u);
    EXPECT_EQ(b.percentageText(Col::General), "10");
    b.scale(Col::General, ScaleDirection::Decrease);
    EXPECT_EQ(b.budgetText(Col::General, Cat::Sound), "99"); // not back to 100

    const std::tuple<const char*, const char*, ScaleDirection, const char*> cases[] = {
        {"128000000", "10", ScaleDirection::Decrease, "115200000"},
        {"1000000", "12.5", ScaleDirection::Increase, "1125000"},
        {"100", "-10", ScaleDirection::Increase, "90"},
        {"18000", "0", ScaleDirection::Increase, "18000"},
        {"18000", "100", ScaleDirection::Increase, "36000"},
        {"20000", "150", ScaleDirection::Decrease, "-10000"},
        {"12.9", "0", ScaleDirection::Decrease, "12"}};
    for (const auto& [budget, percent, direction, expected] : cases) {
        b.setBudgetText(Col::High, Cat::Image, budget);
        b.setPercentageText(Col::High, percent);
        b.scale(Col::High, direction);
        EXPECT_EQ(b.budgetText(Col::High, Cat::Image), expected) << budget << " by " << percent;
    }

    b = defaultBudgets();
    b.setPercentageText(Col::Low, "100");
    b.scale(Col::Low, ScaleDirection::Decrease);
    for (const Cat category : kAllCategories) {
        EXPECT_EQ(b.budgetText(Col::Low, category), "0");
    }
    EXPECT_EQ(b.finalCache(Col::Low), 350000000u);
}

TEST(CacheBudgets, ReadingsTakeLeadingDigitsSaturateAndStayFinite) {
    // clang-format off
    const std::pair<const char*, std::int32_t> budgets[] = {
        {" 12", 12}, {"+5", 5}, {"-7", -7}, {"1e3", 1}, {"12abc", 12}, {"0x10", 0}, {"", 0},
        {"-", 0}, {"0000000000000000000012", 12}, {"2147483648", kMax},
        {"99999999999999999999", kMax}, {"-2147483648", kMin}, {"-2147483649", kMin}};
    // clang-format on
    for (const auto& [text, expected] : budgets) {
        EXPECT_EQ(readBudget(text), expected) << text;
    }
    const std::string huge = "1" + std::string(400, '0');
    // clang-format off
    const std::pair<std::string, double> decimals[] = {
        {"12.5", 12.5}, {"-10", -10.0}, {" +.5", 0.5}, {"1e3", 1.0}, {"12,5", 12.0}, {"abc", 0.0},
        {"", 0.0}, {"inf", 0.0}, {"nan", 0.0}, {"0x1p4", 0.0},
        {huge, std::numeric_limits<double>::max()}, {"-" + huge, -std::numeric_limits<double>::max()},
        {"0." + std::string(400, '0') + "1", 0.0}};
    // clang-format on
    for (const auto& [text, expected] : decimals) {
        EXPECT_EQ(readDecimal(text), expected) << text;
    }
}

TEST(CacheBudgets, OutOfRangeBudgetsSaturateWhenReadAndScaled) {
    CacheBudgets b;
    b.setBudgetText(Col::General, Cat::Image, "2000000000");
    b.setBudgetText(Col::General, Cat::Mesh, "-2000000000");
    b.setBudgetText(Col::General, Cat::Sound, "99999999999");
    b.recompute(Col::General);
    EXPECT_EQ(b.budgetMegabyteText(Col::General, Cat::Sound), "2048.00 MB");
    b.setPercentageText(Col::General, "100");
    b.scale(Col::General, ScaleDirection::Increase);
    EXPECT_EQ(b.budgetText(Col::General, Cat::Image), "2147483647");
    EXPECT_EQ(b.budgetText(Col::General, Cat::Mesh), "-2147483648");
    // A field beyond the range scales from the value it shows, not from its digits.
    b.setBudgetText(Col::General, Cat::Sound, "99999999999");
    b.setPercentageText(Col::General, "50");
    b.scale(Col::General, ScaleDirection::Decrease);
    EXPECT_EQ(b.budgetText(Col::General, Cat::Sound), "1073741823");
    // A percentage too large for a double must neither reach a cast nor turn 0 into NaN.
    b.setBudgetText(Col::General, Cat::Image, "1");
    b.setBudgetText(Col::General, Cat::Mesh, "0");
    b.setPercentageText(Col::General, std::string(400, '9'));
    b.scale(Col::General, ScaleDirection::Decrease);
    EXPECT_EQ(b.budgetText(Col::General, Cat::Image), "-2147483648");
    EXPECT_EQ(b.budgetText(Col::General, Cat::Mesh), "0");
}

} // namespace
} // namespace dk3::cache
