#include "main_dialog/MainSettingsDialog.h"

// The settings table of the main dialog: loading, saving, display modes, presets and defaults.

namespace dk3::main_dialog {

void MainSettingsDialog::connectSettingsHandlers() {}

void MainSettingsDialog::loadSettings() {}

void MainSettingsDialog::saveSettings() {}

void MainSettingsDialog::fillResolutionList() {}

void MainSettingsDialog::updateAspectRatio() {}

void MainSettingsDialog::applyPreset() {}

void MainSettingsDialog::switchToCustom() {}

void MainSettingsDialog::restoreDefaults() {}

} // namespace dk3::main_dialog
