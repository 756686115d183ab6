#pragma once

// Display modes as text, the one form the resolution list, the user options file and the save
// share ("1024x768@60Hz": width, 'x', height, '@', refresh rate, "Hz"), and the aspect ratio the
// main dialog shows beside the chosen mode. Plain C++, no widgets.

#include <cstdint>
#include <string>
#include <string_view>

namespace dk3::main_dialog {

// Modes narrower than this are not offered; the game does not run in them.
inline constexpr std::uint32_t kNarrowestMode = 640;

// The game's recommended mode: the resolution the dialog falls back to when none is selected.
inline constexpr std::string_view kRecommendedModeText = "1024x768@60Hz";

// "%ux%u@%uHz", as the resolution list shows a mode.
std::string modeText(std::uint32_t width, std::uint32_t height, std::uint32_t refreshRate);

// "%ix%i@%iHz", as a resolution read from the user options file is looked for in the list; a
// damaged file may hold negative numbers, which keep their sign.
std::string storedModeText(std::int32_t width, std::int32_t height, std::int32_t refreshRate);

// The parts of a mode text that the save writes: the width is everything before the first 'x',
// the height everything after it up to the next '@', the rate everything after that up to the
// next 'H'. A missing separator makes its part run to the end of the text (and the parts after
// it empty).
struct ModeTextParts {
    std::string width;
    std::string height;
    std::string refreshRate;
};
ModeTextParts splitModeText(std::string_view text);

// Width and height of a mode text: the leading decimal digits of its width and height parts,
// 0 where a part has none.
struct ModeSize {
    float width = 0;
    float height = 0;
};
ModeSize modeSizeOf(std::string_view text);

// "5:4" up to a ratio of 1.25, "4:3" up to 1.4, "16:10" up to 1.6, "16:9" above. The bounds are
// the single-precision values of 1.4 and 1.6 (1.39999998 and 1.60000002) while the ratio itself is
// divided in double precision, as the game's tools always did on the x87 unit: 1400 x 1000 (1.4
// exactly) is therefore above the bound and shows "16:10", 1280 x 800 (1.6 exactly) below its
// bound and shows "16:10" too.
//
// A width or height of 0 (a text without digits, or a mode with height 0) has no ratio and gives
// the empty text. The plain division would give infinity or NaN, which fail every comparison and
// would show "16:9" for something that is no screen at all.
std::string_view aspectRatioName(ModeSize size);

} // namespace dk3::main_dialog
