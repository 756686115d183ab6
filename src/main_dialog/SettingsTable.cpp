#include "main_dialog/SettingsTable.h"

#include "app/GameRunning.h"
#include "app/OwnTexts.h"
#include "main_dialog/DisplayModeText.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/FileIO.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "ui/ComboHelpers.h"
#include "ui/Prompter.h"

#include <QPushButton>

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>
#include <vector>

// The settings table of the main dialog: loading and saving.

namespace dk3::main_dialog {
namespace {
namespace fs = std::filesystem;
using app::LevelScale;
using app::QualityWord;
using F = SettingForm;

constexpr SettingsFile kUser = SettingsFile::UserOptions;
constexpr SettingsFile kEngine = SettingsFile::Engine;
constexpr std::string_view kDetails = "Options.Details";
constexpr std::string_view kCustom = "Options.Custom";
constexpr std::string_view kSetup = "Engine.Setup";

// Text reads go into the profile service's usual 256-character buffer.
constexpr std::size_t kValueBuffer = 256;

constexpr std::array kRows = {
    SettingRow{id::kResolution, kUser, kResolutionSection, "", F::Resolution, "", 0},
    SettingRow{id::kPreset, kUser, kDetails, "Performance", F::PresetWord, "low", 0},
    SettingRow{id::kDistanceHigh, kUser, kCustom, "DistanceHigh", F::LevelWithoutOff, "", 1},
    SettingRow{id::kDistanceLow, kUser, kCustom, "DistanceLow", F::LevelWithOff, "", 1},
    SettingRow{id::kResourceCache, kUser, kCustom, "ResourceCache", F::LevelWithoutOff, "", 1},
    SettingRow{id::kObjectDetails, kUser, kCustom, "ObjectDetails", F::LevelWithoutOff, "", 1},
    SettingRow{id::kShaderQuality, kUser, kCustom, "ShaderQuality", F::ShaderVersion, "1.4", 0},
    SettingRow{id::kTextureQuality, kUser, kCustom, "TextureQuality", F::LevelWithoutOff, "", 1},
    SettingRow{id::kTextureFilter, kUser, kCustom, "TextureFilter", F::ItemIndex, "", 1},
    SettingRow{id::kVegetationQuality, kUser, kCustom, "VegetationQuality", F::LevelWithOff, "", 1},
    SettingRow{id::kVegetationQuality, kEngine, kSetup, "Render.EnableVegetationRendering",
               F::VegetationSwitch, "", 0},
    SettingRow{id::kShadowQuality, kUser, kCustom, "ShadowQuality", F::LevelWithOff, "", 1},
    SettingRow{id::kPostProcessing, kUser, kCustom, "PostProcessing", F::ItemIndex, "", 0},
    SettingRow{id::kVegetationDetails, kEngine, kSetup, "VegetationAdmin.Quality", F::QualityWord,
               "low", 0},
    SettingRow{id::kVegetationViewRange, kEngine, kSetup, "VegetationAdmin.ViewRange",
               F::WholeDistance, "", 0},
    SettingRow{id::kTreeShadows, kEngine, kSetup, "Shader.EnableTreeShadows", F::QualityWord,
               "false", 0},
    SettingRow{id::kStaticShadows, kEngine, kSetup, "Shader.EnableStaticShadows", F::QualityWord,
               "false", 0},
    SettingRow{id::kDetailedShadows, kEngine, kSetup, "Shader.EnableDetailShadows", F::QualityWord,
               "false", 0},
    SettingRow{id::kPhysicsViewRange, kEngine, kSetup, "AnimationBlending.PhysicControllerDistance",
               F::WholeDistance, "", 0},
    SettingRow{id::kMaxRagdolls, kEngine, kSetup, "Animation.MaxRagDolls", F::WholeCount, "", 0},
    SettingRow{id::kRoiViewRange, kEngine, kSetup, "Entity.ROI", F::WholeDistance, "", 0},
    SettingRow{id::kLowPolygons, kEngine, kSetup, "Render.EnableLowpolyRendering", F::QualityWord,
               "false", 0},
    SettingRow{id::kMeshQuality, kEngine, kSetup, "Render.MeshLoDQuality", F::DetailWord, "normal",
               0},
    SettingRow{id::kAnimationQuality, kEngine, kSetup, "Render.AnimationLoDQuality", F::DetailWord,
               "normal", 0},
    SettingRow{id::kImageQuality, kEngine, kSetup, "Render.ImageLoDQuality", F::DetailWord,
               "normal", 0},
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

template <typename Integer> std::string decimal(Integer value) {
    char digits[16];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// "%.1lf" in the C locale whatever the user's locale is: the game reads a point.
std::string oneDecimal(float value) {
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                   std::chars_format::fixed, 1)
                         .ptr;
    return std::string(digits, end);
}

std::string shownBytes(const QComboBox* combo) {
    return platform::toWindows1252(combo->currentText());
}

// Our own words: the translation file has none for a failed save.
constexpr app::OwnText kSaveFailedHeading{
    "Einige Einstellungen konnten nicht gespeichert werden:", "Some settings could not be saved:",
    "Alcune impostazioni non sono state salvate:"};

} // namespace

std::span<const SettingRow> settingsTable() {
    return kRows;
}

void MainSettingsDialog::connectSettingsHandlers() {
    ui::onUserSelection(comboBox(id::kResolution), this, [this] { updateAspectRatio(); });
    ui::onUserSelection(comboBox(id::kPreset), this, [this] { applyPreset(); });
    for (const int control : presetDetailControls())
        ui::onUserSelection(comboBox(control), this, [this] { switchToCustom(); });
    connect(ui::controlAs<QPushButton>(*this, id::kRestoreDefaults), &QPushButton::clicked, this,
            [this] { restoreDefaults(); });
    connect(ui::controlAs<QPushButton>(*this, id::kSave), &QPushButton::clicked, this,
            [this] { saveSettings(); });
}

QComboBox* MainSettingsDialog::comboBox(int id) const {
    return ui::controlAs<QComboBox>(*this, id);
}

void MainSettingsDialog::loadSettings() {
    for (const SettingRow& row : settingsTable())
        if (row.form != SettingForm::Resolution && row.form != SettingForm::VegetationSwitch)
            loadRow(row);
    selectStoredResolution();
    exchange_.membersToFields();
    updateAspectRatio();
    rememberShownSettingsAsSaved();
}

void MainSettingsDialog::loadRow(const SettingRow& row) {
    const fs::path& file =
        row.file == SettingsFile::UserOptions ? paths_.userOptionsPath : paths_.engineIniPath;
    const auto readText = [&] {
        return profile::readText(file, row.section, row.key, row.defaultText, kValueBuffer);
    };
    const auto readInt = [&] {
        return profile::readInt(file, row.section, row.key, row.defaultNumber);
    };
    QComboBox* combo = comboBox(row.control);

    switch (row.form) {
    case F::PresetWord: {
        const std::string word = readText();
        ui::selectIndex(combo, equalsIgnoringCase(word, "medium")
                                   ? 1
                                   : QualityWord::indexForIniWord(word, LevelScale::Quality));
        break;
    }
    case F::LevelWithoutOff:
    case F::LevelWithOff:
        // A level the list lacks (0 where there is no "disabled") keeps the selection.
        ui::selectByPrefix(combo, platform::fromWindows1252(words_.wordForIndex(readInt())));
        break;
    case F::ShaderVersion: {
        std::string version = readText();
        // Older versions of the game stored "2.0"; either form names the same item. A value too
        // short to be a version names none.
        if (version.size() >= 2) {
            version[1] = '.';
            ui::selectByPrefix(combo, platform::fromWindows1252(version));
        }
        break;
    }
    case F::ItemIndex:
        ui::selectIndex(combo, readInt());
        break;
    case F::QualityWord:
        ui::selectIndex(combo, QualityWord::indexForIniWord(readText(), LevelScale::Quality));
        break;
    case F::DetailWord:
        ui::selectIndex(combo, QualityWord::indexForIniWord(readText(), LevelScale::LevelOfDetail));
        break;
    case F::WholeDistance: {
        // Read as a signed whole number: a negative distance stays what it is instead of
        // turning into four billion.
        const float distance = static_cast<float>(readInt());
        if (row.control == id::kVegetationViewRange)
            vegetationViewRange_ = distance;
        else if (row.control == id::kPhysicsViewRange)
            physicsViewRange_ = distance;
        else
            roiViewRange_ = distance;
        break;
    }
    case F::WholeCount:
        maxRagdolls_ = static_cast<std::uint32_t>(readInt());
        break;
    case F::Resolution:
    case F::VegetationSwitch:
        break;
    }
}

bool MainSettingsDialog::saveSettings() {
    if (!app::confirmWriteWhileGameRuns(prompter(), this, languageName_))
        return false;
    // A field that holds no number has been reported by now; its member keeps the value it had,
    // and the save goes on with that. What that field shows is then still unsaved.
    const bool everyFieldTaken = exchange_.fieldsToMembers(prompter(), this);

    // Each file takes all of its keys in one write, so it holds either the whole save or its old
    // content; a read-only user options file does not cost the engine file its changes, and each
    // file that failed is named.
    profile::WriteBatch batch;
    for (const SettingRow& row : settingsTable())
        saveRow(row, batch);
    const auto failures = batch.commit();

    if (failures.empty()) {
        if (everyFieldTaken)
            rememberShownSettingsAsSaved();
        prompter().showMessage(this, QString(), message("MESSAGE_SETTINGSSAVED"));
        return everyFieldTaken;
    }
    QString text = app::ownText(languageName_, kSaveFailedHeading);
    for (const auto& [file, error] : failures)
        text += QStringLiteral("\n\n%1\n(%2)")
                    .arg(platform::pathToQString(file), app::describeError(languageName_, error));
    prompter().showMessage(this, QString(), text, ui::MessageIcon::Error);
    return false;
}

void MainSettingsDialog::saveRow(const SettingRow& row, profile::WriteBatch& batch) {
    const fs::path& file =
        row.file == SettingsFile::UserOptions ? paths_.userOptionsPath : paths_.engineIniPath;
    const auto write = [&](std::string_view value) {
        batch.add(file, row.section, row.key, value);
    };
    QComboBox* combo = comboBox(row.control);

    switch (row.form) {
    case F::Resolution: {
        // No mode chosen and none stored: the game keeps its own choice, and no key is written.
        if (combo->currentIndex() < 0 || combo->currentText().isEmpty())
            return;
        const ModeTextParts parts = splitModeText(shownBytes(combo));
        batch.add(file, row.section, kResolutionWidthKey, parts.width);
        batch.add(file, row.section, kResolutionHeightKey, parts.height);
        batch.add(file, row.section, kResolutionRateKey, parts.refreshRate);
        return;
    }
    case F::PresetWord: {
        std::string word = words_.iniWordForText(shownBytes(combo));
        // The preset is the one key that stores medium as "medium"; "med" is the word elsewhere.
        if (word == "med")
            word = "medium";
        return write(word);
    }
    case F::LevelWithoutOff:
        return write(decimal(combo->currentIndex() + 1));
    case F::LevelWithOff:
    case F::ItemIndex:
        return write(decimal(combo->currentIndex()));
    case F::ShaderVersion: {
        std::string version = shownBytes(combo);
        std::replace(version.begin(), version.end(), '.', '_');
        return write(version);
    }
    case F::QualityWord:
    case F::DetailWord:
        return write(words_.iniWordForText(shownBytes(combo)));
    case F::WholeDistance:
        return write(oneDecimal(row.control == id::kVegetationViewRange ? vegetationViewRange_
                                : row.control == id::kPhysicsViewRange  ? physicsViewRange_
                                                                        : roiViewRange_));
    case F::WholeCount:
        // Written as the signed number it was read as.
        return write(decimal(static_cast<std::int32_t>(maxRagdolls_)));
    case F::VegetationSwitch:
        return write(combo->currentIndex() == 0 ? "false" : "true");
    }
}

} // namespace dk3::main_dialog
