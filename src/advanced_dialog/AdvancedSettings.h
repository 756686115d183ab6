#pragma once

// The values of the advanced settings dialog and where the game keeps each of them: one table,
// read by one loop when the dialog opens and written by one loop when the user saves. No Qt
// here, so loading and saving are tested without a window.
//
// The game keeps most distances as reals with one decimal ("6000.0") but the dialog edits them as
// whole numbers: they are read as the leading whole number of the stored text and written back
// with ".0". The bloom strength is no INI value at all; it lives in the depth-of-field shader
// (BloomShaderPatch.h) and its row only carries its defaults.

#include "app/GamePaths.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

namespace dk3::advanced {

struct AdvancedValues {
    // View distances of the three detail levels: object range offset, far plane of the detailed
    // geometry, far plane of the low-polygon geometry.
    std::int32_t lowObjects = 0, lowHighQuality = 0, lowLowQuality = 0;
    std::int32_t mediumObjects = 0, mediumHighQuality = 0, mediumLowQuality = 0;
    std::int32_t highObjects = 0, highHighQuality = 0, highLowQuality = 0;
    std::int32_t prefetchCellSize = 0;
    std::int32_t maxCameraDistance = 0;
    std::int32_t bloomPercent = 0;
    std::int32_t dofStart = 0, dofEnd = 0;
    std::uint32_t fpsAverage = 0, fpsMin = 0, fpsMax = 0;
    float levelOfDetailFactor = 0;
    // The two switches as the game stores them: "true" or "false" (any letter case when read).
    std::string playerMemory, testMode;
};

enum class SettingFile { Engine, Debug, Shader };

// How a value is written back.
enum class StoredForm {
    OneDecimal,   // a whole number with ".0": -300 -> "-300.0"
    WholeNumber,  // "10000"
    TwoDecimals,  // the real with two decimals: 0.01f -> "0.01"
    Word,         // the switch word as it stands
    ShaderFactor, // the bloom factor of the shader (not an INI value)
};

using ValueMember = std::variant<std::int32_t AdvancedValues::*, std::uint32_t AdvancedValues::*,
                                 float AdvancedValues::*, std::string AdvancedValues::*>;

struct AdvancedSetting {
    int control; // the dialog's field or list
    SettingFile file;
    const char* section; // nullptr for the shader row
    const char* key;
    ValueMember member;
    // Shown when the file, section or key is missing. Whole-number rows take the leading whole
    // number of this text ("500.0" -> 500).
    const char* readDefault;
    // What "restore settings" puts in, and the default the field's tooltip names: whole-number
    // rows take the leading whole number of it, the factor its value; nullptr for the switches,
    // whose default is the disabled item.
    const char* restoreDefault;
    StoredForm form;
};

// Every setting of the dialog, in the order Save writes them (the shader last).
std::span<const AdvancedSetting> advancedSettings();

// The row of a control, or nullptr.
const AdvancedSetting* advancedSettingFor(int control);

std::filesystem::path fileOf(const AdvancedSetting& setting, const app::GamePaths& paths);

// The leading decimal number of text, read as the C library's atof reads it but in the C locale
// whatever the user's locale is: blanks skipped, reading stops at the first character that does
// not belong to the number, no number (or one that is not finite) gives 0.
double leadingDecimal(std::string_view text);

// The stored text of a value in the given form, independent of the locale.
std::string storedText(StoredForm form, double value);

// Every INI value of the table, read afresh from the engine and debug files; the bloom strength
// stays 0 (it is read from the shader by readBloomPercent).
AdvancedValues loadAdvancedSettings(const app::GamePaths& paths);

// The values "restore settings" shows: the restore defaults of the table, both switches "false".
AdvancedValues restoredAdvancedSettings();

struct SettingWriteFailure {
    std::filesystem::path file;
    std::error_code error;
};

// Writes every INI value of the table, in table order (a missing file or section is created).
// Each file takes its keys in one atomic write, so it holds all of them or its old content; a
// file that fails does not stop the other. Returns the files that failed. The shader is not
// touched.
std::vector<SettingWriteFailure> saveAdvancedSettings(const app::GamePaths& paths,
                                                      const AdvancedValues& values);

} // namespace dk3::advanced
