#include "main_dialog/DisplayModeText.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "main_dialog/SettingsTable.h"
#include "platform/DisplayModes.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "ui/ComboHelpers.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <optional>

// The resolution list and the aspect ratio shown beside it.

namespace dk3::main_dialog {
namespace {

// The mode the primary screen runs in now, in device pixels; the rate is 0 when the platform
// does not know it.
std::optional<platform::DisplayMode> currentScreenMode() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QSizeF size = QSizeF(screen->size()) * screen->devicePixelRatio();
    const double rate = screen->refreshRate();
    return platform::DisplayMode{
        static_cast<std::uint32_t>(std::lround(size.width())),
        static_cast<std::uint32_t>(std::lround(size.height())),
        std::isfinite(rate) && rate > 0 ? static_cast<std::uint32_t>(std::lround(rate)) : 0u};
}

} // namespace

void MainSettingsDialog::fillResolutionList() {
    QComboBox* list = comboBox(id::kResolution);
    const std::vector<platform::DisplayMode> modes = services_.displayModes
                                                         ? services_.displayModes->modes()
                                                         : std::vector<platform::DisplayMode>{};
    // Every mode in the platform's order: duplicates and unknown rates included, because the
    // player may want exactly that entry.
    for (const platform::DisplayMode& mode : modes)
        if (mode.width >= kNarrowestMode)
            ui::appendItem(
                list, QString::fromLatin1(modeText(mode.width, mode.height, mode.refreshRate)));

    // Without an X server (Wayland without XWayland, a headless session) nothing lists the
    // modes. An empty list would make a save write empty texts over the stored resolution, so
    // the list offers at least the mode the screen is in, and the stored one once it is loaded.
    resolutionListIsFallback_ = list->count() == 0;
    if (resolutionListIsFallback_)
        if (const auto mode = currentScreenMode())
            ui::appendItem(
                list, QString::fromLatin1(modeText(mode->width, mode->height, mode->refreshRate)));
}

void MainSettingsDialog::selectStoredResolution() {
    const std::filesystem::path& file = paths_.userOptionsPath;
    const std::string_view section = kResolutionSection;
    storedWidth_ = profile::readInt(file, section, kResolutionWidthKey, 0);
    storedHeight_ = profile::readInt(file, section, kResolutionHeightKey, 0);
    storedRefreshRate_ = profile::readInt(file, section, kResolutionRateKey, 0);

    QComboBox* list = comboBox(id::kResolution);
    const QString stored =
        QString::fromLatin1(storedModeText(storedWidth_, storedHeight_, storedRefreshRate_));
    if (ui::selectByPrefix(list, stored) >= 0)
        return;
    // Not listed: the selection stays as it was. Only a list that could not ask the platform
    // takes the stored mode in, since there the stored mode may well be a real one.
    if (resolutionListIsFallback_ && storedWidth_ >= static_cast<std::int32_t>(kNarrowestMode)) {
        ui::appendItem(list, stored);
        ui::selectIndex(list, list->count() - 1);
    }
}

void MainSettingsDialog::updateAspectRatio() {
    (void)exchange_.fieldsToMembers(prompter(), this);

    QComboBox* list = comboBox(id::kResolution);
    QString text = list->currentText();
    if (text.isEmpty()) {
        text = QString::fromLatin1(kRecommendedModeText);
        // Searched from the second item on, so the first one is examined last.
        ui::selectByPrefix(list, text, 0);
    }
    aspectRatioText_ =
        QString::fromLatin1(aspectRatioName(modeSizeOf(platform::toWindows1252(text))));
    exchange_.membersToFields();
}

} // namespace dk3::main_dialog
