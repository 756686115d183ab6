#pragma once

// The settings the main dialog shows: which control holds which key of which file, what is
// assumed when the key is missing, and how the stored value and the control's content turn into
// each other. Loading and saving each walk this one table.

#include <cstdint>
#include <span>
#include <string_view>

namespace dk3::main_dialog {

enum class SettingsFile {
    UserOptions, // the player's UserOptions.ini in the documents folder
    Engine,      // the installation's Ini/dk3e.ini
};

enum class SettingForm {
    // Preset word "low", "medium", "high", "custom" -> item index. The preset is the one key
    // that stores medium as "medium"; "med", the word of every other key, reads as medium too.
    PresetWord,
    // Level 1..3 shown by its localized word in a list without "disabled"; saved as index + 1.
    LevelWithoutOff,
    // Level 0..3 shown by its localized word in a list that starts with "disabled"; saved as the
    // index.
    LevelWithOff,
    // "2_0" shown as "2.0": the second character becomes '.'; saved with '.' made '_' again.
    ShaderVersion,
    // An integer that is the item index itself.
    ItemIndex,
    // A word of the quality scale ("low", "med", "high", "false", "true") -> item index.
    QualityWord,
    // A level-of-detail word ("normal", "high", "ultrahigh") -> item index.
    DetailWord,
    // A distance stored with one decimal ("3500.0"), read as its whole part into a float field.
    WholeDistance,
    // A whole count into an unsigned field.
    WholeCount,
    // The three keys of the resolution, shown as one mode text of the resolution list.
    Resolution,
    // Not shown: written from the vegetation density list ("false" when it shows disabled) so
    // that the engine stops rendering vegetation the player switched off. Never read.
    VegetationSwitch,
};

struct SettingRow {
    int control;
    SettingsFile file;
    std::string_view section;
    std::string_view key;
    SettingForm form;
    std::string_view defaultText; // for the forms read as text
    std::int32_t defaultNumber;   // for the forms read as an integer
};

// The section and keys of SettingForm::Resolution, whose row names no key of its own.
inline constexpr std::string_view kResolutionSection = "Options.Video";
inline constexpr std::string_view kResolutionWidthKey = "Resolution.Width";
inline constexpr std::string_view kResolutionHeightKey = "Resolution.Height";
inline constexpr std::string_view kResolutionRateKey = "Resolution.RefreshRate";

// The rows in the order a save writes them: the resolution first, the derived vegetation switch
// right after the vegetation density. A load reads them in the same order, except that it skips
// the derived switch and takes the resolution last, once every list and field is set.
std::span<const SettingRow> settingsTable();

// The lists whose change by the player makes the preset list show custom.
std::span<const int> presetDetailControls();

} // namespace dk3::main_dialog
