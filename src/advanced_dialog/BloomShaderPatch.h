#pragma once

// The bloom strength of the game is not a setting of its INI files: the bloom picture is added by
// one statement of the depth-of-field shader source (IP_DOF.fx). We change the strength by putting
// a constant factor at the end of that statement, or replacing the factor an earlier save put
// there, and read the factor back to show the strength as a percentage (100 = the game's own
// statement without a factor, 0 = bloom off, 200 = twice as strong).
//
// The shader is bytes: line ends, 8-bit characters and zero bytes are kept as they are, and only
// the factor (or the added statement) changes. No Qt Widgets here, so the logic is tested without
// a window.
//
// Which statement is the bloom statement: the game's statement ("cOut.rgb += tex2D( BloomImage,
// ...) * ( 1.0f -cOut.rgb )") when the text holds it exactly once, wherever it stands and whatever
// stands before it; otherwise the one at the second "BloomImage" (the first being the texture's
// declaration, as in the game's file). A text with neither gets the statement added above its
// "return cOut", and holds it exactly once from then on, so saves never add a second one.
//
// How an unusual statement end is treated (the game's own file never has one):
// - Blanks (code 32) inside the factor are dropped when reading: "0.5 0" reads as 0.50. A save
//   replaces everything from the factor's first to its last non-blank character and keeps blanks
//   around it, so "* 1.00 ;" becomes "* 0.60 ;".
// - Only the text behind the last ')' or '*' is the factor: "* 0.5 * 2;" reads as 200, and a save
//   replaces only the "2".
// - A factor that does not start with a decimal number (letters, "inf", hex) reads as 0; one that
//   starts with a number reads as that number ("2x" reads as 200). A save replaces it whole.
// - When the text in front of the statement's ';' holds neither ')' nor '*' back to the marker,
//   the marker is not part of a bloom statement we understand: nothing is read from it (100) and
//   nothing is written into it, since the "factor" would then swallow the marker and whatever
//   stands between it and the ';'. The same holds for a "factor" that runs over a line end, as
//   for a statement that lost its ';': the walk would take the following lines for the factor.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace dk3::advanced {

// Strength of the game's own statement, which carries no factor.
inline constexpr int kUneditedBloomPercent = 100;
// Reads above this are capped; the dialog keeps its field at or below it too.
inline constexpr int kMaxBloomPercent = 200;

// The factor text written for a strength: strength times 0.01 (a single-precision constant, the
// product in double precision) with two decimals and a point, whatever the user's locale:
// 50 gives "0.50", 100 "1.00", 200 "2.00".
std::string bloomFactorText(int percent);

// The strength the shader text holds, capped at 200 (no lower limit). A text without the bloom
// statement reads as 100, the strength a save establishes when it adds the statement.
int bloomPercentOfText(std::string_view shader);

// The shader text after saving percent: the factor appended to the bloom statement or replacing
// the old one, or the statement added (with its factor) in front of the shader's "return cOut"
// when the text lacks it. Nothing when there is no bloom statement to change and no place to add
// one; the text must then stay as it is.
std::optional<std::string> patchBloomText(std::string_view shader, int percent);

enum class BloomStatus {
    Done,             // read or written
    NoBloomStatement, // the shader has no bloom statement and no "return cOut" to add one at
    ReadFailed,       // the shader file could not be read; error and file say why
    WriteFailed,      // the new shader text could not be written; the file is as it was
};

struct BloomFileResult {
    BloomStatus status = BloomStatus::Done;
    // Read: the strength the file holds (100 for NoBloomStatement and ReadFailed).
    // Write: the strength saved.
    int percent = kUneditedBloomPercent;
    std::error_code error;      // set for ReadFailed and WriteFailed
    std::filesystem::path file; // the shader file concerned

    bool ok() const { return status == BloomStatus::Done; }
};

// Reads the strength from the shader file. A file that cannot be read gives ReadFailed (percent
// 100, so a dialog can still open with it); one without a bloom statement and without a place to
// add one gives NoBloomStatement (percent 100).
BloomFileResult readBloomPercent(const std::filesystem::path& shaderFile);

// Saves the strength into the shader file. The whole file is replaced atomically, so a failed
// save never leaves a cut shader behind; on ReadFailed, NoBloomStatement and WriteFailed the file
// is left exactly as it was (and a missing file is not created).
BloomFileResult writeBloomPercent(const std::filesystem::path& shaderFile, int percent);

// One sentence for the user about a result that is not Done, naming the file and the reason.
std::string describeBloomResult(const BloomFileResult& result);

} // namespace dk3::advanced
