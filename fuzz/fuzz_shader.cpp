// libFuzzer target for the bloom shader patch: any shader text and any strength from 0 to 200.
// fuzz-sources: src/advanced_dialog/BloomShaderPatch.cpp src/platform/FileIO.cpp
//
// Input: one byte for the strength (taken modulo 201), then the shader text. A save of p must
// read back as p and save again to the same text; it changes nothing but the factor, or adds the
// statement above "return cOut" when the text has none, and never adds a second statement.

#include "advanced_dialog/BloomShaderPatch.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
using namespace dk3::advanced;

constexpr std::string_view kStem =
    "cOut.rgb += tex2D( BloomImage, input.TexCoord0 ) * ( 1.0f -cOut.rgb )";

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_shader: %s\n", what);
        std::abort();
    }
}

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + 1))
        ++found;
    return found;
}

// A save that found its statement: outside the longest common start and end of both texts, the
// old text held only (a piece of) the factor and the new one only factor characters.
void checkOnlyTheFactorChanged(std::string_view before, std::string_view after) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    for (std::size_t at = head; at < before.size() - tail; ++at)
        check(before[at] != '\r' && before[at] != '\n' && before[at] != ';',
              "a save changed more than the factor");
    for (std::size_t at = head; at < after.size() - tail; ++at)
        check(std::string_view(" *0123456789.").find(after[at]) != std::string_view::npos,
              "a save wrote more than a factor");
}

// Saves percent into text, which must already hold its statement.
std::string resave(const std::string& text, int percent) {
    const auto again = patchBloomText(text, percent);
    check(again.has_value(), "a saved text cannot be saved again");
    check(bloomPercentOfText(*again) == percent, "a second save does not read back");
    checkOnlyTheFactorChanged(text, *again);
    return *again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int percent = data[0] % 201;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    check(bloomPercentOfText(text) <= kMaxBloomPercent, "a read above the cap");
    const auto saved = patchBloomText(text, percent);
    if (!saved)
        return 0;
    check(bloomPercentOfText(*saved) == percent, "a save does not read back");
    check(patchBloomText(*saved, percent) == saved, "the same save changes the text again");

    const std::string factor = bloomFactorText(percent);
    if (saved->size() > text.size() + 3 + factor.size()) {
        // The statement was added: only a text without it gets it, in one place only.
        check(count(text, kStem) == 0, "a save added a second statement");
        const std::size_t anchor = text.find("return cOut");
        check(anchor != std::string::npos && anchor > 0, "a statement added without a return");
        std::string expected = text;
        expected.insert(anchor - 1, "\t" + std::string(kStem) + " * " + factor + ";\r\n\r\n");
        check(*saved == expected, "the statement was added in the wrong form or place");
    } else {
        checkOnlyTheFactorChanged(text, *saved);
    }
    resave(resave(*saved, (percent + 73) % 201), percent);
    return 0;
}
