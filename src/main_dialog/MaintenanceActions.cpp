#include "main_dialog/MainSettingsDialog.h"

// The start-logo and backup buttons of the main dialog.

namespace dk3::main_dialog {

void MainSettingsDialog::connectMaintenanceButtons() {}

void MainSettingsDialog::removeStartLogos() {}

void MainSettingsDialog::restoreStartLogos() {}

void MainSettingsDialog::createBackup() {}

void MainSettingsDialog::loadBackup() {}

} // namespace dk3::main_dialog
