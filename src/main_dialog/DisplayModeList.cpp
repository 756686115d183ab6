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

platform::ModeRules modeRulesFor(const discovery::Installation& installation) {
    // Proton keeps its prefix in steamapps/compatdata/<app id>/pfx.
    const bool protonPrefix =
        installation.prefix && installation.prefix->filename() == "pfx" &&
        installation.prefix->parent_path().parent_path().filename() == "compatdata";
    return installation.source == discovery::Source::Steam || protonPrefix
               ? platform::ModeRules::Proton
               : platform::ModeRules::Wine;
}

void MainSettingsDialog::fillResolutionList() {
    QComboBox* list = comboBox(id::kResolution);
    list->clear();
    storedModeItem_ = -1;

    std::vector<platform::DisplayMode> modes;
    std::optional<platform::DisplayMode> current;
    if (services_.displayModes) {
        modes = services_.displayModes->modes();
        current = services_.displayModes->currentMode();
    }
    // Without an X server (Wayland without XWayland, a headless session) nothing lists the
    // modes; the screen's own mode stands for them.
    if (modes.empty()) {
        current = currentScreenMode();
        if (current)
            modes.push_back(*current);
    }
    // Every mode in the order the game's Direct3D lists them: duplicates included under plain
    // Wine, because the player may want exactly that entry.
    for (const platform::DisplayMode& mode :
         platform::modesOfferedToGame(modeRulesFor(installation_), modes, current))
        if (mode.width >= kNarrowestMode)
            ui::appendItem(
                list, QString::fromLatin1(modeText(mode.width, mode.height, mode.refreshRate)));
}

void MainSettingsDialog::selectStoredResolution() {
    const std::filesystem::path& file = paths_.userOptionsPath;
    const std::string_view section = kResolutionSection;
    storedWidth_ = profile::readInt(file, section, kResolutionWidthKey, 0);
    storedHeight_ = profile::readInt(file, section, kResolutionHeightKey, 0);
    storedRefreshRate_ = profile::readInt(file, section, kResolutionRateKey, 0);

    QComboBox* list = comboBox(id::kResolution);
    // The item an earlier load added for a mode the list lacked belongs to that load only.
    if (storedModeItem_ >= 0 && storedModeItem_ < list->count()) {
        list->removeItem(storedModeItem_);
        storedModeItem_ = -1;
    }
    // Nothing stored (or nothing that is a size): nothing is selected here; see
    // updateAspectRatio() for what is shown then.
    if (storedWidth_ <= 0 || storedHeight_ <= 0) {
        ui::selectIndex(list, -1);
        return;
    }
    const QString stored =
        QString::fromLatin1(storedModeText(storedWidth_, storedHeight_, storedRefreshRate_));
    if (ui::selectByPrefix(list, stored) >= 0)
        return;
    // A stored size without a rate takes the first rate listed for it: Direct3D forgives a
    // rate, and 0 is not one to write back.
    if (storedRefreshRate_ <= 0 &&
        ui::selectByPrefix(list, QStringLiteral("%1x%2@").arg(storedWidth_).arg(storedHeight_)) >=
            0)
        return;
    // The player's mode is kept as it is, even one this screen does not offer: the game may run
    // on another screen, and nothing here may write a mode the player did not choose.
    ui::appendItem(list, stored);
    storedModeItem_ = list->count() - 1;
    ui::selectIndex(list, storedModeItem_);
}

void MainSettingsDialog::updateAspectRatio() {
    (void)exchange_.fieldsToMembers(prompter(), this);

    // Nothing stored: the recommended mode, when the screen offers it, is shown and so would be
    // saved; the ratio shown is the recommended one's in any case.
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
