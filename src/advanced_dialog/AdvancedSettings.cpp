#include "advanced_dialog/AdvancedSettings.h"

#include "platform/ProfileFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace dk3::advanced {
namespace {

using V = AdvancedValues;
using F = StoredForm;
constexpr SettingFile kEngine = SettingFile::Engine;

constexpr const char* kSliders = "Option.Sliders";
constexpr const char* kSetup = "Engine.Setup";

// Written in this order; new keys are appended to their section in it.
constexpr std::array<AdvancedSetting, 20> kSettings = {{
    {1050, kEngine, kSliders, "ObjectDetails.fRangedBaseLoDOffset_Low", &V::lowObjects, "0",
     "-300.0", F::OneDecimal},
    {1051, kEngine, kSliders, "DistanceHigh.fFarClippingPlane_Low", &V::lowHighQuality, "0",
     "6000.0", F::OneDecimal},
    {1052, kEngine, kSliders, "DistanceLow.fFarClippingPlaneLowPolyMesh_Low", &V::lowLowQuality,
     "0", "20000.0", F::OneDecimal},
    {1053, kEngine, kSliders, "ObjectDetails.fRangedBaseLoDOffset_Medium", &V::mediumObjects, "0",
     "0.0", F::OneDecimal},
    {1054, kEngine, kSliders, "DistanceHigh.fFarClippingPlane_Medium", &V::mediumHighQuality, "0",
     "8000.0", F::OneDecimal},
    {1055, kEngine, kSliders, "DistanceLow.fFarClippingPlaneLowPolyMesh_Medium",
     &V::mediumLowQuality, "0", "45000.0", F::OneDecimal},
    {1056, kEngine, kSliders, "ObjectDetails.fRangedBaseLoDOffset_High", &V::highObjects, "0",
     "300.0", F::OneDecimal},
    {1057, kEngine, kSliders, "DistanceHigh.fFarClippingPlane_High", &V::highHighQuality, "0",
     "10000.0", F::OneDecimal},
    {1058, kEngine, kSliders, "DistanceLow.fFarClippingPlaneLowPolyMesh_High", &V::highLowQuality,
     "0", "100000.0", F::OneDecimal},
    {1060, kEngine, kSetup, "FpS.Average", &V::fpsAverage, "0", "30.0", F::OneDecimal},
    {1061, kEngine, kSetup, "FpS.Min", &V::fpsMin, "0", "10.0", F::OneDecimal},
    {1062, kEngine, kSetup, "FpS.Max", &V::fpsMax, "0", "120", F::OneDecimal},
    {1063, kEngine, kSetup, "Render.PrefetchGridCellSize", &V::prefetchCellSize, "10000", "10000",
     F::WholeNumber},
    {1064, kEngine, "Camera", "fMaxDistToPlayer", &V::maxCameraDistance, "500.0", "500.0",
     F::OneDecimal},
    {1065, kEngine, kSetup, "Render.DOFStart", &V::dofStart, "1000.0", "1000.0", F::OneDecimal},
    {1066, kEngine, kSetup, "Render.DOFEnd", &V::dofEnd, "8000.0", "8000.0", F::OneDecimal},
    {1059, kEngine, kSetup, "Render.GlobalVisualLoDFactor", &V::levelOfDetailFactor, "0.01", "0.01",
     F::TwoDecimals},
    // The player memory switch is the debug file's, never the engine file's.
    {1087, SettingFile::Debug, "PropertySets", "PlayerMemory.Enabled", &V::playerMemory, "false",
     nullptr, F::Word},
    {1088, kEngine, "Game", "TestMode", &V::testMode, "false", nullptr, F::Word},
    {1067, SettingFile::Shader, nullptr, nullptr, &V::bloomPercent, "100", "100", F::ShaderFactor},
}};

// The leading whole number of a default text, as the game's INI reads take it ("-300.0" -> -300).
std::int32_t wholeNumberOf(const char* text) {
    std::string_view view(text);
    std::int32_t value = 0;
    std::from_chars(view.data(), view.data() + view.size(), value);
    return value;
}

template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

std::span<const AdvancedSetting> advancedSettings() {
    return kSettings;
}

const AdvancedSetting* advancedSettingFor(int control) {
    for (const AdvancedSetting& setting : kSettings)
        if (setting.control == control)
            return &setting;
    return nullptr;
}

std::filesystem::path fileOf(const AdvancedSetting& setting, const app::GamePaths& paths) {
    switch (setting.file) {
    case SettingFile::Engine:
        return paths.engineIniPath;
    case SettingFile::Debug:
        return paths.debugIniPath;
    case SettingFile::Shader:
        return paths.shaderPath;
    }
    return {};
}

double leadingDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    // from_chars takes a '-' but not the '+' that atof allows.
    if (at < text.size() && text[at] == '+' && at + 1 < text.size() && text[at + 1] != '-')
        ++at;
    double value = 0;
    const auto result = std::from_chars(text.data() + at, text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

std::string storedText(StoredForm form, double value) {
    char buffer[400]; // the longest double in fixed notation with two decimals fits
    std::to_chars_result result{};
    switch (form) {
    case StoredForm::WholeNumber:
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
        break;
    case StoredForm::TwoDecimals:
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
        break;
    case StoredForm::OneDecimal:
    case StoredForm::Word:
    case StoredForm::ShaderFactor:
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
        break;
    }
    return std::string(buffer, result.ptr);
}

AdvancedValues loadAdvancedSettings(const app::GamePaths& paths) {
    AdvancedValues values;
    for (const AdvancedSetting& setting : kSettings) {
        if (setting.file == SettingFile::Shader)
            continue;
        const auto file = fileOf(setting, paths);
        std::visit(
            Overloaded{
                [&](std::int32_t V::*member) {
                    values.*member = profile::readInt(file, setting.section, setting.key,
                                                      wholeNumberOf(setting.readDefault));
                },
                [&](std::uint32_t V::*member) {
                    // The game's integer read wraps a negative number modulo 2^32.
                    values.*member = static_cast<std::uint32_t>(profile::readInt(
                        file, setting.section, setting.key, wholeNumberOf(setting.readDefault)));
                },
                [&](float V::*member) {
                    const double value = leadingDecimal(
                        profile::readText(file, setting.section, setting.key, setting.readDefault));
                    // Beyond the float range the field would show "inf", which it
                    // could never take back.
                    constexpr double kMax = std::numeric_limits<float>::max();
                    values.*member = static_cast<float>(std::clamp(value, -kMax, kMax));
                },
                [&](std::string V::*member) {
                    values.*member =
                        profile::readText(file, setting.section, setting.key, setting.readDefault);
                }},
            setting.member);
    }
    return values;
}

AdvancedValues restoredAdvancedSettings() {
    AdvancedValues values;
    for (const AdvancedSetting& setting : kSettings) {
        std::visit(Overloaded{[&](std::int32_t V::*member) {
                                  values.*member = wholeNumberOf(setting.restoreDefault);
                              },
                              [&](std::uint32_t V::*member) {
                                  values.*member = static_cast<std::uint32_t>(
                                      wholeNumberOf(setting.restoreDefault));
                              },
                              [&](float V::*member) {
                                  values.*member =
                                      static_cast<float>(leadingDecimal(setting.restoreDefault));
                              },
                              [&](std::string V::*member) {
                                  values.*member = "false";
                              }},
                   setting.member);
    }
    return values;
}

std::vector<SettingWriteFailure> saveAdvancedSettings(const app::GamePaths& paths,
                                                      const AdvancedValues& values) {
    profile::WriteBatch batch;
    for (const AdvancedSetting& setting : kSettings) {
        if (setting.file == SettingFile::Shader)
            continue;
        const std::string text = std::visit(
            Overloaded{[&](std::string V::*member) { return values.*member; },
                       [&](auto V::*member) {
                           return storedText(setting.form, static_cast<double>(values.*member));
                       }},
            setting.member);
        batch.add(fileOf(setting, paths), setting.section, setting.key, text);
    }
    std::vector<SettingWriteFailure> failures;
    for (const auto& [file, error] : batch.commit())
        failures.push_back({file, error});
    return failures;
}

} // namespace dk3::advanced
