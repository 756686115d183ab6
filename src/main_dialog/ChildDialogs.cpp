#include "advanced_dialog/OtherSettingsDialog.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "ui/DialogTemplate.h"

#include <QPushButton>

// The banner and the buttons that open the child dialogs.

namespace dk3::main_dialog {

void MainSettingsDialog::connectChildDialogButtons() {
    connect(ui::controlAs<QPushButton>(*this, id::kCacheSettings), &QPushButton::clicked, this,
            &MainSettingsDialog::openCacheSettings);
    connect(ui::controlAs<QPushButton>(*this, id::kOtherSettings), &QPushButton::clicked, this,
            &MainSettingsDialog::openOtherSettings);
}

void MainSettingsDialog::openCacheSettings() {
    // The dialog reads the engine file when it is made, so every opening shows the file as it
    // is now; what it changes is only in that file, so nothing here needs reloading afterwards.
    cache::CacheSettingsDialog dialog(paths().engineIniPath, languageName(), catalogue(),
                                      prompter(), this);
    dialog.exec();
}

void MainSettingsDialog::openOtherSettings() {
    // A new dialog for every opening, so that it reads the game's files afresh; nothing here
    // depends on how it ended.
    advanced::OtherSettingsDialog dialog(paths(), languageName(), catalogue(), vocabulary(),
                                         prompter(), this);
    dialog.exec();
}

void MainSettingsDialog::openCredits() {}

void MainSettingsDialog::setUpBanner() {}

void MainSettingsDialog::startBannerTimer() {}

} // namespace dk3::main_dialog
