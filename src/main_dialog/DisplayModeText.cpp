#include "main_dialog/DisplayModeText.h"

#include <charconv>

namespace dk3::main_dialog {
namespace {

template <typename Number> std::string joinModeText(Number width, Number height, Number rate) {
    std::string text;
    char digits[16];
    for (const auto& [number, suffix] : {std::pair{width, "x"}, {height, "@"}, {rate, "Hz"}}) {
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        text.append(digits, end).append(suffix);
    }
    return text;
}

// The part of text before the first separator, or all of it; rest becomes what follows the
// separator (empty when there is none).
std::string_view cutAt(std::string_view text, char separator, std::string_view& rest) {
    const auto at = text.find(separator);
    if (at == std::string_view::npos) {
        rest = {};
        return text;
    }
    rest = text.substr(at + 1);
    return text.substr(0, at);
}

float leadingNumber(std::string_view text) {
    double value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return static_cast<float>(value);
}

} // namespace

std::string modeText(std::uint32_t width, std::uint32_t height, std::uint32_t refreshRate) {
    return joinModeText(width, height, refreshRate);
}

std::string storedModeText(std::int32_t width, std::int32_t height, std::int32_t refreshRate) {
    return joinModeText(width, height, refreshRate);
}

ModeTextParts splitModeText(std::string_view text) {
    std::string_view rest = text;
    ModeTextParts parts;
    parts.width = cutAt(rest, 'x', rest);
    parts.height = cutAt(rest, '@', rest);
    parts.refreshRate = cutAt(rest, 'H', rest);
    return parts;
}

ModeSize modeSizeOf(std::string_view text) {
    const ModeTextParts parts = splitModeText(text);
    return {leadingNumber(parts.width), leadingNumber(parts.height)};
}

std::string_view aspectRatioName(ModeSize size) {
    if (!(size.width > 0) || !(size.height > 0))
        return {};
    const double ratio = static_cast<double>(size.width) / static_cast<double>(size.height);
    if (ratio <= 1.25f)
        return "5:4";
    if (ratio <= 1.4f)
        return "4:3";
    if (ratio <= 1.6f)
        return "16:10";
    return "16:9";
}

} // namespace dk3::main_dialog
