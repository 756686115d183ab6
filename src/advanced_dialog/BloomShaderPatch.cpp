#include "advanced_dialog/BloomShaderPatch.h"

#include "platform/FileIO.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace dk3::advanced {
namespace {

constexpr std::string_view kMarker = "BloomImage";
constexpr std::string_view kAnchor = "return cOut";
constexpr std::string_view kStatement =
    "cOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb );";
static_assert(kStatement.size() == 70);
// The statement as the game writes it, without its ';' (behind which a save puts the factor).
constexpr std::string_view kStatementStem = kStatement.substr(0, kStatement.size() - 1);
constexpr std::size_t kMarkerInStatement = kStatement.find(kMarker);

std::string insertedBlock() {
    std::string block = "\t";
    block += kStatement;
    block += "\r\n\r\n";
    return block;
}

// Where the factor of the bloom statement stands.
struct FactorSpan {
    std::size_t end = 0;       // the statement's ';', or the end of the text
    std::size_t first = 0;     // first and one past the last non-blank character of the factor;
    std::size_t last = 0;      // equal when the factor is empty
    bool statementEnd = false; // the walk stopped at ')' or '*'
};

std::size_t secondMarker(std::string_view text) {
    const std::size_t p = text.find(kMarker);
    if (p == std::string_view::npos)
        return std::string_view::npos;
    return text.find(kMarker, p + kMarker.size());
}

// Where the marker of the bloom statement stands, or npos when the text lacks the statement.
// A text that holds the game's statement exactly once has it there, whatever stands before it
// (no declaration, a marker in a comment, the declaration behind the return). Otherwise the
// statement is taken to start at the second "BloomImage", the first one being the texture's
// declaration, as in the game's own file.
std::size_t statementMarker(std::string_view text) {
    const std::size_t stem = text.find(kStatementStem);
    if (stem != std::string_view::npos &&
        text.find(kStatementStem, stem + kStatementStem.size()) == std::string_view::npos)
        return stem + kMarkerInStatement;
    return secondMarker(text);
}

FactorSpan locateFactor(std::string_view text, std::size_t s) {
    FactorSpan span;
    span.end = text.find(';', s);
    if (span.end == std::string_view::npos)
        span.end = text.size();
    span.first = span.last = span.end;
    bool seenFactor = false;
    for (std::size_t i = span.end; i > s;) {
        const char c = text[--i];
        if (c == ' ')
            continue;
        if (c == ')' || c == '*') {
            span.statementEnd = true;
            break;
        }
        if (!seenFactor)
            span.last = i + 1;
        seenFactor = true;
        span.first = i;
    }
    return span;
}

// The factor of the statement whose marker stands at s, or nothing when the statement does not end
// in a way we understand: neither ')' nor '*' between the marker and the ';', or a "factor" that
// runs over a line end (a statement without its ';' would otherwise take the following lines for
// its factor, and a save would replace them).
std::optional<FactorSpan> factorAt(std::string_view text, std::size_t s) {
    const FactorSpan span = locateFactor(text, s);
    if (!span.statementEnd)
        return std::nullopt;
    const std::string_view factor = text.substr(span.first, span.last - span.first);
    if (factor.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    return span;
}

std::string factorOf(std::string_view text, const FactorSpan& span) {
    std::string factor;
    for (std::size_t i = span.first; i < span.last; ++i) {
        if (text[i] != ' ')
            factor += text[i];
    }
    return factor;
}

bool isNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

bool isLeadingSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal number of the factor, as the C library reads it in the "C" locale: the
// program runs in the user's locale, where the decimal separator may be a comma. Only decimal
// notation counts: "inf", "nan" and hexadecimal texts read as 0, as other words do.
double leadingNumber(std::string_view factor) {
    std::size_t i = 0;
    while (i < factor.size() && isLeadingSpace(factor[i]))
        ++i;
    std::string number;
    while (i < factor.size() && isNumberCharacter(factor[i]))
        number += factor[i++];
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale == locale_t{})
        return 0.0;
    return ::strtod_l(number.c_str(), nullptr, cLocale);
}

int percentOfFactor(std::string_view factor) {
    if (factor.empty())
        return kUneditedBloomPercent;
    // Rounding, not cutting: 0.29, 0.57, 1.13 ... times 100 lie just below the whole number.
    const double percent = std::round(leadingNumber(factor) * 100.0);
    if (percent > kMaxBloomPercent)
        return kMaxBloomPercent;
    if (percent < static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(percent);
}

bool canAddStatement(std::string_view text) {
    const std::size_t r = text.find(kAnchor);
    return r != std::string_view::npos && r > 0;
}

} // namespace

std::string bloomFactorText(int percent) {
    // The same digits as "%.2lf" gives in the "C" locale; printf would write a comma in a German
    // locale, which the shader compiler rejects.
    const double factor = static_cast<double>(percent) * static_cast<double>(0.01f);
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), factor,
                                         std::chars_format::fixed, 2);
    if (ec != std::errc{})
        return "1.00"; // cannot happen for an int times 0.01
    return std::string(buffer.data(), end);
}

int bloomPercentOfText(std::string_view shader) {
    const std::size_t s = statementMarker(shader);
    if (s == std::string_view::npos)
        return kUneditedBloomPercent;
    const auto span = factorAt(shader, s);
    if (!span)
        return kUneditedBloomPercent;
    return percentOfFactor(factorOf(shader, *span));
}

std::optional<std::string> patchBloomText(std::string_view shader, int percent) {
    std::string text(shader);
    std::size_t s = statementMarker(text);
    if (s == std::string::npos) {
        // The statement is missing: add it on its own line just above "return cOut", in front of
        // the character before the anchor (the tab that indents it in the game's file). The text
        // then holds the statement once, so the next read and save find this one.
        const std::size_t r = text.find(kAnchor);
        if (r == std::string::npos || r == 0)
            return std::nullopt;
        text.insert(r - 1, insertedBlock());
        s = r + kMarkerInStatement; // behind the inserted tab
    }
    const auto span = factorAt(text, s);
    if (!span)
        return std::nullopt;
    const std::string factor = bloomFactorText(percent);
    if (span->first == span->last)
        text.insert(span->end, " * " + factor);
    else
        text.replace(span->first, span->last - span->first, factor);
    return text;
}

BloomFileResult readBloomPercent(const std::filesystem::path& shaderFile) {
    BloomFileResult result;
    result.file = shaderFile;
    const auto text = platform::readWholeFile(shaderFile, result.error);
    if (!text) {
        result.status = BloomStatus::ReadFailed;
        return result;
    }
    const std::size_t s = statementMarker(*text);
    const bool hasStatement =
        s != std::string::npos ? factorAt(*text, s).has_value() : canAddStatement(*text);
    if (!hasStatement) {
        result.status = BloomStatus::NoBloomStatement;
        return result;
    }
    result.percent = bloomPercentOfText(*text);
    return result;
}

BloomFileResult writeBloomPercent(const std::filesystem::path& shaderFile, int percent) {
    BloomFileResult result;
    result.file = shaderFile;
    result.percent = percent;
    const auto text = platform::readWholeFile(shaderFile, result.error);
    if (!text) {
        result.status = BloomStatus::ReadFailed;
        return result;
    }
    const auto patched = patchBloomText(*text, percent);
    if (!patched) {
        result.status = BloomStatus::NoBloomStatement;
        return result;
    }
    result.error = platform::writeFileAtomically(shaderFile, *patched);
    if (result.error)
        result.status = BloomStatus::WriteFailed;
    return result;
}

std::string describeBloomResult(const BloomFileResult& result) {
    const std::string file = "\"" + result.file.string() + "\"";
    switch (result.status) {
    case BloomStatus::Done:
        return {};
    case BloomStatus::NoBloomStatement:
        return "The shader file " + file +
               " holds no bloom statement, so the bloom strength cannot be changed there.";
    case BloomStatus::ReadFailed:
        return "Cannot read the shader file " + file + ": " +
               platform::describeError(result.error) + ".";
    case BloomStatus::WriteFailed:
        return "Cannot write the shader file " + file + ": " +
               platform::describeError(result.error) + ". The file was left as it was.";
    }
    return {};
}

} // namespace dk3::advanced
