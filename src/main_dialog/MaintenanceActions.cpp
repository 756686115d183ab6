#include "app/GameRunning.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "main_dialog/MaintenanceMessages.h"
#include "maintenance/BackupFile.h"
#include "maintenance/StartLogos.h"
#include "platform/KeyValueStore.h"
#include "platform/TextCodec.h"
#include "ui/DialogTemplate.h"
#include "ui/Prompter.h"

#include <QDate>
#include <QPushButton>

// The start-logo and backup buttons of the main dialog. They change the game's files at once,
// without the save button, after the user's confirmation; they say nothing when they succeed.

namespace dk3::main_dialog {
namespace {

// Where the program remembers the folder of the last backup it wrote or read: its own section of
// its configuration, apart from the game's key.
constexpr std::string_view kToolKey = "Draskel3Tuning";
constexpr std::string_view kBackupFolder = "BACKUP_FOLDER";

// The choosers open in the folder last used for a backup while it exists, else in the
// documents folder.
ui::FileRequest backupChooser(const platform::KeyValueStore& store,
                              const std::filesystem::path& documentsFolder) {
    ui::FileRequest request;
    request.filter = QStringLiteral("Draskel III Ini BackUp (*.dkb)");
    const std::filesystem::path last = store.value(kToolKey, kBackupFolder);
    std::error_code error;
    if (!last.empty() && last.is_absolute() && std::filesystem::is_directory(last, error))
        request.startFolder = platform::pathToQString(last);
    else if (!documentsFolder.empty())
        request.startFolder = platform::pathToQString(documentsFolder);
    return request;
}

void rememberBackupFolder(platform::KeyValueStore& store, const std::filesystem::path& backup) {
    // Only a folder the store can hold whole; a cut one would lead nowhere.
    const std::string folder = backup.parent_path().string();
    if (!folder.empty() && folder.size() < 256)
        (void)store.setValue(kToolKey, kBackupFolder, folder);
}

} // namespace

void MainSettingsDialog::connectMaintenanceButtons() {
    const auto onClick = [this](int id, void (MainSettingsDialog::*action)()) {
        connect(ui::controlAs<QPushButton>(*this, id), &QPushButton::clicked, this,
                [this, action] { (this->*action)(); });
    };
    onClick(id::kRemoveStartLogos, &MainSettingsDialog::removeStartLogos);
    onClick(id::kRestoreStartLogos, &MainSettingsDialog::restoreStartLogos);
    onClick(id::kCreateBackup, &MainSettingsDialog::createBackup);
    onClick(id::kLoadBackup, &MainSettingsDialog::loadBackup);
}

void MainSettingsDialog::removeStartLogos() {
    if (!prompter().askYesNo(this, QString(), message("MESSAGE_REMOVESTARTLOGOS")) ||
        !app::confirmWriteWhileGameRuns(prompter(), this, languageName_))
        return;
    if (const auto error =
            maintenance::writeLogoList(paths_.engineIniPath, maintenance::StartLogoState::Removed))
        prompter().showMessage(this, QString(),
                               logoListFailureText(languageName_,
                                                   maintenance::logoListPath(paths_.engineIniPath),
                                                   error),
                               ui::MessageIcon::Error);
}

void MainSettingsDialog::restoreStartLogos() {
    if (!prompter().askYesNo(this, QString(), message("MESSAGE_RESTORESTARTLOGOS")) ||
        !app::confirmWriteWhileGameRuns(prompter(), this, languageName_))
        return;
    if (const auto error =
            maintenance::writeLogoList(paths_.engineIniPath, maintenance::StartLogoState::Restored))
        prompter().showMessage(this, QString(),
                               logoListFailureText(languageName_,
                                                   maintenance::logoListPath(paths_.engineIniPath),
                                                   error),
                               ui::MessageIcon::Error);
}

void MainSettingsDialog::createBackup() {
    ui::FileRequest request = backupChooser(*services_.store, services_.documentsFolder);
    // A name that tells the backups apart: the day it was made.
    request.initialName =
        QStringLiteral("draskel3-settings-%1.dkb").arg(QDate::currentDate().toString(Qt::ISODate));
    request.confirmOverwrite = true;
    // The chooser adds ".dkb" to a name without an extension itself, so that its overwrite
    // question is asked for the file that is really written.
    request.defaultSuffix = QStringLiteral("dkb");
    const auto chosen = prompter().chooseSaveFile(this, request);
    if (!chosen)
        return;
    const auto target = maintenance::backupTargetPath(platform::pathFromQString(*chosen));
    const auto result = maintenance::createBackup(paths_.engineIniPath, paths_.userOptionsPath,
                                                  paths_.shaderPath, target);
    if (!result.ok()) {
        prompter().showMessage(this, QString(), backupFailureText(languageName_, result),
                               ui::MessageIcon::Error);
        return;
    }
    rememberBackupFolder(*services_.store, target);
}

void MainSettingsDialog::loadBackup() {
    if (!prompter().askYesNo(this, QString(), message("MESSAGE_LOADBACKUP")))
        return;
    const auto chosen = prompter().chooseExistingFile(
        this, backupChooser(*services_.store, services_.documentsFolder));
    if (!chosen)
        return;
    const auto backup = platform::pathFromQString(*chosen);
    // A file that is no backup is refused before anything is asked about the running game.
    if (!maintenance::hasBackupExtension(backup)) {
        prompter().showMessage(this, QString(), message("MESSAGE_INVALIDFILE"));
        return;
    }
    if (!app::confirmWriteWhileGameRuns(prompter(), this, languageName_))
        return;
    const auto result = maintenance::loadBackup(backup, paths_.engineIniPath,
                                                paths_.userOptionsPath, paths_.shaderPath);
    if (result.problem == maintenance::BackupProblem::WrongExtension) {
        prompter().showMessage(this, QString(), message("MESSAGE_INVALIDFILE"));
        return;
    }
    if (!result.ok()) {
        prompter().showMessage(this, QString(), backupFailureText(languageName_, result),
                               ui::MessageIcon::Error);
        return;
    }
    rememberBackupFolder(*services_.store, backup);
    loadSettings();
}

} // namespace dk3::main_dialog
