#include "cache_dialog/CacheBudgets.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace dk3::cache {
namespace {

constexpr std::int32_t kMinBudget = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxBudget = std::numeric_limits<std::int32_t>::max();

// The blanks the C runtime skips before a number.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The parts of "<blanks><sign><digits>[.<digits>]" at the start of a text.
struct NumberParts {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

NumberParts scanNumber(std::string_view text, bool withFraction) {
    NumberParts parts;
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        parts.negative = text[at] == '-';
        ++at;
    }
    const std::size_t wholeStart = at;
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    parts.whole = text.substr(wholeStart, at - wholeStart);
    if (withFraction && at < text.size() && text[at] == '.') {
        const std::size_t fractionStart = ++at;
        while (at < text.size() && isDigit(text[at])) {
            ++at;
        }
        parts.fraction = text.substr(fractionStart, at - fractionStart);
    }
    return parts;
}

std::string formatInteger(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Truncates toward zero and holds the result to the signed 32-bit range; the comparisons come
// before any conversion, so no value (not even an infinity) reaches an out-of-range cast.
std::int32_t truncateToBudget(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(kMaxBudget)) {
        return kMaxBudget;
    }
    if (value <= static_cast<double>(kMinBudget)) {
        return kMinBudget;
    }
    return static_cast<std::int32_t>(std::trunc(value));
}

const std::string kNoText;

} // namespace

std::int32_t readBudget(std::string_view text) {
    const NumberParts parts = scanNumber(text, false);
    // One past the largest magnitude either sign can hold; growing stops there.
    constexpr std::int64_t kCap = std::int64_t{kMaxBudget} + 1;
    std::int64_t magnitude = 0;
    for (const char digit : parts.whole) {
        magnitude = magnitude * 10 + (digit - '0');
        if (magnitude >= kCap) {
            magnitude = kCap;
            break;
        }
    }
    if (parts.negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(magnitude < kCap ? magnitude : kMaxBudget);
}

double readDecimal(std::string_view text) {
    const NumberParts parts = scanNumber(text, true);
    if (parts.whole.empty() && parts.fraction.empty()) {
        return 0.0;
    }
    // from_chars rather than strtod: the program runs under the user's locale, where strtod may
    // expect a decimal comma.
    std::string digits;
    digits.reserve(parts.whole.size() + parts.fraction.size() + 3);
    digits.append(parts.whole.empty() ? std::string_view("0") : parts.whole);
    digits.push_back('.');
    digits.append(parts.fraction.empty() ? std::string_view("0") : parts.fraction);
    double magnitude = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large, or so small it is indistinguishable from zero.
        const bool large = parts.whole.find_first_not_of('0') != std::string_view::npos;
        magnitude = large ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc()) {
        magnitude = 0.0;
    }
    return parts.negative ? -magnitude : magnitude;
}

std::string megabyteText(std::uint32_t bits, Signedness signedness) {
    constexpr double kMegabytesPerByte = 1.0 / 1048576.0;
    const double bytes = signedness == Signedness::Signed
                             ? static_cast<double>(static_cast<std::int32_t>(bits))
                             : static_cast<double>(bits);
    // to_chars rounds exactly like printf's "%.2f" but never uses the locale's decimal comma.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, bytes * kMegabytesPerByte,
                                      std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    text += " MB";
    return text;
}

CacheBudgets::CacheBudgets() {
    percentageTexts_.fill("0");
    const std::string zero = megabyteText(0, Signedness::Signed);
    for (ColumnTexts& column : budgetMegabytes_) {
        column.fill(zero);
    }
    textureHighMegabyte_ = zero;
    totalMegabytes_.fill(zero);
    for (const CacheColumn column : kAllColumns) {
        if (hasFinalCache(column)) {
            finalCacheMegabytes_[index(column)] = zero;
        }
    }
}

const std::string& CacheBudgets::budgetText(CacheColumn column, CacheCategory category) const {
    return budgetTexts_[index(column)][index(category)];
}

void CacheBudgets::setBudgetText(CacheColumn column, CacheCategory category, std::string text) {
    budgetTexts_[index(column)][index(category)] = std::move(text);
}

const std::string& CacheBudgets::percentageText(CacheColumn column) const {
    return percentageTexts_[index(column)];
}

void CacheBudgets::setPercentageText(CacheColumn column, std::string text) {
    percentageTexts_[index(column)] = std::move(text);
}

std::string CacheBudgets::totalText(CacheColumn column) const {
    return formatInteger(totals_[index(column)]);
}

std::string CacheBudgets::finalCacheText(CacheColumn column) const {
    return hasFinalCache(column) ? formatInteger(finalCaches_[index(column)]) : std::string();
}

const std::string& CacheBudgets::budgetMegabyteText(CacheColumn column,
                                                    CacheCategory category) const {
    return budgetMegabytes_[index(column)][index(category)];
}

const std::string& CacheBudgets::totalMegabyteText(CacheColumn column) const {
    return totalMegabytes_[index(column)];
}

const std::string& CacheBudgets::finalCacheMegabyteText(CacheColumn column) const {
    return hasFinalCache(column) ? finalCacheMegabytes_[index(column)] : kNoText;
}

void CacheBudgets::recompute(CacheColumn column) {
    const std::size_t c = index(column);
    // Unsigned arithmetic: the sums wrap modulo 2^32 as the engine's u32 budgets do, and never
    // overflow a signed type.
    std::uint32_t total = 0;
    for (std::size_t row = 0; row < kCategoryCount; ++row) {
        const auto bits = static_cast<std::uint32_t>(readBudget(budgetTexts_[c][row]));
        total += bits;
        budgetMegabytes_[c][row] = megabyteText(bits, Signedness::Signed);
    }
    totals_[c] = total;
    totalMegabytes_[c] = megabyteText(total, Signedness::Unsigned);
    if (hasFinalCache(column)) {
        const auto textureHigh = static_cast<std::uint32_t>(readBudget(textureHighText_));
        finalCaches_[c] = textureHigh + total;
        finalCacheMegabytes_[c] = megabyteText(finalCaches_[c], Signedness::Unsigned);
    }
}

void CacheBudgets::recomputeForTextureHigh() {
    recompute(CacheColumn::Low);
    recompute(CacheColumn::Medium);
    recompute(CacheColumn::High);
    textureHighMegabyte_ =
        megabyteText(static_cast<std::uint32_t>(readBudget(textureHighText_)), Signedness::Signed);
}

void CacheBudgets::scale(CacheColumn column, ScaleDirection direction) {
    const std::size_t c = index(column);
    // The percentage reading is finite, so the factor is too, and a finite budget times a
    // finite factor is never NaN (at worst an infinity, which truncateToBudget holds).
    const double step = readDecimal(percentageTexts_[c]) * 0.01;
    const double factor = direction == ScaleDirection::Increase ? 1.0 + step : 1.0 - step;
    for (std::string& text : budgetTexts_[c]) {
        double budget = readDecimal(text);
        budget = std::fmin(std::fmax(budget, static_cast<double>(kMinBudget)),
                           static_cast<double>(kMaxBudget));
        text = formatInteger(truncateToBudget(budget * factor));
    }
    recompute(column);
}

} // namespace dk3::cache
