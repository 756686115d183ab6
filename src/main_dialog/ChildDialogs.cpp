#include "main_dialog/MainSettingsDialog.h"

// The banner and the buttons that open the child dialogs.

namespace dk3::main_dialog {

void MainSettingsDialog::connectChildDialogButtons() {}

void MainSettingsDialog::openCacheSettings() {}

void MainSettingsDialog::openOtherSettings() {}

void MainSettingsDialog::openCredits() {}

void MainSettingsDialog::setUpBanner() {}

void MainSettingsDialog::startBannerTimer() {}

} // namespace dk3::main_dialog
