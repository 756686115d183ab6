#include "main_dialog/MainSettingsDialog.h"

#include "app/GameLocator.h"
#include "app/OwnTexts.h"
#include "app/QtTranslations.h"
#include "app/UnsavedChanges.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/StartupRecovery.h"
#include "platform/KeyValueStore.h"
#include "platform/RaiseRequests.h"
#include "platform/ResourceExtractor.h"
#include "platform/SingleInstance.h"
#include "platform/TextCodec.h"
#include "ui/ColourScheme.h"
#include "ui/ComboHelpers.h"
#include "ui/DialogState.h"
#include "ui/DialogTemplate.h"
#include "ui/Prompter.h"
#include "ui/TooltipControl.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

namespace dk3::main_dialog {
namespace fs = std::filesystem;
using app::TranslationCatalogue;
using platform::fromWindows1252;

namespace {

const char* const kLanguages[] = {"deutsch", "english", "italiano"};

// The name the already-started message carries as its caption: the program file's base name.
QString applicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

// When the player starts the program again, the window of the copy that runs comes forward,
// out of the task bar if it was minimized. A question or dialog open over it stays on top, and
// during the start-up, before the window is shown, only such a question comes forward.
void bringToFront(QWidget* window) {
    if (window->isVisible()) {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace

MainSettingsDialog::MainSettingsDialog(MainDialogServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
    ui::buildFromTemplate(*this, mainDialogTemplate());
    // A window of fixed size that can be minimized but not maximized. Without a parent it gets a
    // task bar entry of its own, which matters since it is the program's only window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // Every control and every drop-down list exists by now; the tooltips keep their own colours.
    ui::applyColourScheme(this, ui::kMainDialogText, ui::kMainDialogBackground);
    languageCombo_ = ui::controlAs<QComboBox>(*this, id::kLanguage);

    exchange_.bind(ui::controlAs<QLineEdit>(*this, id::kVegetationViewRange), vegetationViewRange_);
    exchange_.bind(ui::controlAs<QLineEdit>(*this, id::kPhysicsViewRange), physicsViewRange_);
    exchange_.bind(ui::controlAs<QLineEdit>(*this, id::kMaxRagdolls), maxRagdolls_);
    exchange_.bind(ui::controlAs<QLineEdit>(*this, id::kRoiViewRange), roiViewRange_);
    exchange_.bind(ui::controlAs<QLabel>(*this, id::kAspectRatio), aspectRatioText_);

    ui::onUserSelection(languageCombo_, this, [this] { onLanguageChanged(); });
    connectSettingsHandlers();
    connectMaintenanceButtons();
    connectChildDialogButtons();
    connect(ui::controlAs<QPushButton>(*this, id::kExit), &QPushButton::clicked, this,
            &MainSettingsDialog::accept);
    ui::ignoreWheelWithoutFocus(*this);
    ui::keepEscapeInDropDownLists(*this);
}

MainSettingsDialog::~MainSettingsDialog() {
    delete tooltipControl_;
    releaseBanner(); // before its picture file goes
    deleteTemporaryFiles();
}

void MainSettingsDialog::runModal() {
    if (startUp() == StartupOutcome::Run)
        exec();
}

MainSettingsDialog::StartupOutcome MainSettingsDialog::startUp() {
    StartupOutcome outcome = StartupOutcome::Run;
    exchange_.membersToFields();
    duplicateInstance_ = false;

    // The translation file: without it the program could not say anything, so a temporary
    // folder that cannot be used ends the program, with a message in the player's language.
    platform::TempFolderProblem problem = services_.tempFolderProblem;
    std::optional<fs::path> translationFile;
    if (services_.tempFolder) {
        tempFolder_ = *services_.tempFolder;
        auto extracted = platform::extractResourceToTemp(
            QString::fromLatin1(TranslationCatalogue::kResourcePath),
            TranslationCatalogue::kFileName, tempFolder_);
        translationFile = extracted.path;
        if (!translationFile)
            problem = {platform::TempFolderProblem::Kind::CannotWriteFile, tempFolder_,
                       extracted.code ? extracted.code : std::make_error_code(std::errc::io_error)};
    }
    if (!translationFile) {
        prompter().showMessage(this, QString(), temporaryFolderMessage(problem),
                               ui::MessageIcon::Error);
        return StartupOutcome::Quit;
    }
    paths_.translationPath = *translationFile;
    catalogue_.setFile(paths_.translationPath);

    singleInstance_ = std::make_unique<platform::SingleInstance>(tempFolder_);
    if (singleInstance_->anotherCopyRuns()) {
        prompter().showMessage(
            this, applicationName(),
            catalogue_.message(TranslationCatalogue::kGeneralSection, "MESSAGE_ALREADYSTARTED"));
        duplicateInstance_ = true;
        (void)platform::requestRaise(tempFolder_);
        // The rest of the sequence still runs; the dialog just never opens its loop.
        outcome = StartupOutcome::EndAfterStartup;
    } else if (const QString lockProblem =
                   lockUnavailableMessage(storedLanguage(), *singleInstance_);
               !lockProblem.isEmpty()) {
        // The program runs all the same; it only cannot keep a second copy away.
        prompter().showMessage(this, QString(), lockProblem, ui::MessageIcon::Warning);
    }
    if (auto* listener = singleInstance_->listenForRaiseRequests())
        connect(listener, &platform::RaiseRequestListener::raiseRequested, this,
                [this] { bringToFront(this); });

    setUpBanner();
    tooltipControl_ = nullptr;
    for (const char* language : kLanguages)
        ui::appendItem(languageCombo_, QString::fromLatin1(language));

    // The installation decides where the game keeps its per-user options: inside its Wine
    // prefix, or the XDG documents folder when it runs in none.
    // The list of installations and the file chooser may open before the language is restored:
    // their buttons speak the stored language already, as the texts above them do.
    app::switchQtTranslations(storedLanguage());
    discovery::Installation installation;
    const app::LocateOutcome located = gameLocator().locate(services_.locateRequest, installation);
    if (located != app::LocateOutcome::Found) {
        // A folder named on the command line that does not hold the game is an error of the
        // call, which a script that started the program should see.
        if (located == app::LocateOutcome::Invalid && services_.locateRequest.gameFolder)
            exitCode_ = 1;
        return StartupOutcome::Quit;
    }
    useInstallation(installation);
    // What a killed earlier run left half done is settled before any setting is read; a copy
    // that is turned away leaves that to the copy that runs.
    if (!duplicateInstance_) {
        const StartupRecovery recovery =
            recoverAfterInterruptedRun(paths_, services_.store->file());
        if (const QString note = restoreRecoveryMessage(storedLanguage(), recovery.restore);
            !note.isEmpty())
            prompter().showMessage(this, QString(), note, ui::MessageIcon::Warning);
    }

    const std::string language = app::restoreLanguage(*services_.store);
    ui::selectByPrefix(languageCombo_, fromWindows1252(language));
    onLanguageChanged();
    startBannerTimer();
    return outcome;
}

std::string MainSettingsDialog::storedLanguage() const {
    if (!languageName_.empty())
        return languageName_;
    return services_.store->value(platform::KeyValueStore::kGameKey,
                                  platform::KeyValueStore::kLanguage);
}

QString MainSettingsDialog::startupText(const app::OwnText& text) const {
    const std::string language = storedLanguage();
    if (!language.empty())
        return app::ownText(language, text);
    // No language has been chosen yet: German and English, as the game's start-up messages.
    return app::ownText("deutsch", text) + QStringLiteral("\n\n") + app::ownText("english", text);
}

QString
MainSettingsDialog::temporaryFolderMessage(const platform::TempFolderProblem& problem) const {
    using Kind = platform::TempFolderProblem::Kind;
    constexpr app::OwnText kUnusable{"Der Ordner für temporäre Dateien kann nicht benutzt werden.",
                                     "The folder for temporary files cannot be used.",
                                     "La cartella dei file temporanei non può essere usata."};
    constexpr app::OwnText kNotAFolder{"An Stelle von „%1“ steht eine Verknüpfung oder eine Datei.",
                                       "A link or a file stands where \"%1\" belongs.",
                                       "Al posto di \"%1\" c'è un collegamento o un file."};
    constexpr app::OwnText kOtherOwner{"„%1“ gehört einem anderen Benutzer.",
                                       "\"%1\" belongs to another user.",
                                       "\"%1\" appartiene a un altro utente."};
    constexpr app::OwnText kWithReason{"„%1“: %2.", "\"%1\": %2.", "\"%1\": %2."};
    constexpr app::OwnText kOpenToOthers{
        "„%1“ ist für andere Benutzer offen und lässt sich nicht schließen: %2.",
        "\"%1\" is open to other users and cannot be closed: %2.",
        "\"%1\" è aperta ad altri utenti e non si può chiudere: %2."};
    const std::string language = storedLanguage();
    const QString folder = platform::pathToQString(problem.folder);
    const auto reason = [&](const app::OwnText& text) {
        return app::ownText(language.empty() ? "english" : language, text)
            .arg(folder,
                 app::describeError(language.empty() ? "english" : language, problem.error));
    };
    QString detail;
    switch (problem.kind) {
    case Kind::None:
        break;
    case Kind::NotAFolder:
        detail = startupText(kNotAFolder).arg(folder);
        break;
    case Kind::OtherOwner:
        detail = startupText(kOtherOwner).arg(folder);
        break;
    case Kind::OpenToOthers:
        detail = reason(kOpenToOthers);
        break;
    case Kind::CannotCreate:
    case Kind::NotWritable:
    case Kind::CannotWriteFile:
        detail = reason(kWithReason);
        break;
    }
    QString text = startupText(kUnusable);
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    return text;
}

app::GameLocator MainSettingsDialog::gameLocator() {
    discovery::Environment environment = services_.environment;
    environment.documentsFolder = services_.documentsFolder;
    // Before the language is restored, the program's own texts follow the stored one (read, not
    // yet written); with none stored they are shown in German and English.
    return app::GameLocator(*services_.store, catalogue_, prompter(), std::move(environment), this,
                            storedLanguage(), services_.discover);
}

void MainSettingsDialog::useInstallation(const discovery::Installation& installation) {
    installation_ = installation;
    // The game's per-user folder; that it exists already is the usual case. Nothing is made in
    // a prefix Proton has not made yet: Proton copies in only what is missing.
    const fs::path userFolder = app::GamePaths::userFolderIn(installation.documentsFolder);
    if (!installation.prefixNotMadeYet)
        ::mkdir(userFolder.c_str(), 0755);
    paths_.setInstallation(installation);
    // Proton and plain Wine offer the game different modes.
    fillResolutionList();
    showInstallationTip();
}

void MainSettingsDialog::chooseAnotherInstallation() {
    if (!settleUnsavedChanges())
        return;
    discovery::Installation installation;
    if (gameLocator().chooseAnother(installation) != app::LocateOutcome::Found)
        return;
    useInstallation(installation);
    loadSettings();
}

void MainSettingsDialog::accept() {
    // Exit saves nothing by itself; it refuses to end while a field holds no number, and asks
    // before unsaved changes are dropped.
    if (!exchange_.fieldsToMembers(prompter(), this))
        return;
    if (!settleUnsavedChanges())
        return;
    QDialog::accept();
}

void MainSettingsDialog::reject() {
    // Closing the window or Escape ends it whatever the fields hold, once the unsaved changes
    // are settled.
    if (!settleUnsavedChanges())
        return;
    QDialog::reject();
}

bool MainSettingsDialog::hasUnsavedChanges() const {
    return !savedSettings_.isEmpty() && ui::shownValues(*this, {languageCombo_}) != savedSettings_;
}

void MainSettingsDialog::rememberShownSettingsAsSaved() {
    savedSettings_ = ui::shownValues(*this, {languageCombo_});
}

bool MainSettingsDialog::settleUnsavedChanges() {
    return app::settleUnsavedChanges(prompter(), this, languageName_, hasUnsavedChanges(),
                                     [this] { return saveSettings(); });
}

QString MainSettingsDialog::text(std::string_view key) const {
    return catalogue_.caption(languageName_, key);
}

QString MainSettingsDialog::message(std::string_view key) const {
    return catalogue_.message(languageName_, key);
}

void MainSettingsDialog::onLanguageChanged() {
    // The reload shows the files' values: what is not saved yet is settled first, in the
    // language the player has been reading. Kept editing: the language stays as it was.
    if (!settleUnsavedChanges()) {
        if (languageName_.empty())
            ui::selectIndex(languageCombo_, -1);
        else
            ui::selectByPrefix(languageCombo_, fromWindows1252(languageName_));
        return;
    }
    exchange_.fieldsToMembers(prompter(), this);
    languageName_ = platform::toWindows1252(languageCombo_->currentText());
    app::switchQtTranslations(languageName_);
    (void)services_.store->setValue(platform::KeyValueStore::kGameKey,
                                    platform::KeyValueStore::kLanguage, languageName_);
    reloadTexts();
}

void MainSettingsDialog::reloadTexts() {
    // A translation file deleted while the program runs is unpacked again.
    if (catalogue_.lookupText(languageName_, "TEXT_RISK").empty()) {
        const auto extracted = platform::extractResourceToTemp(
            QString::fromLatin1(TranslationCatalogue::kResourcePath),
            TranslationCatalogue::kFileName, tempFolder_);
        if (extracted.path) {
            paths_.translationPath = *extracted.path;
            catalogue_.setFile(paths_.translationPath);
        }
    }
    loadTextsOfLanguage();
    exchange_.setInvalidNumberMessage(app::ownText(languageName_, app::kEnterNumber));
    exchange_.membersToFields();
    loadSettings();
}

void MainSettingsDialog::deleteTemporaryFiles() {
    // A second copy shares these files with the first one, which still uses them.
    if (duplicateInstance_)
        return;
    std::error_code ignored;
    if (!paths_.translationPath.empty())
        fs::remove(paths_.translationPath, ignored);
    if (!bannerTexturePath_.empty())
        fs::remove(bannerTexturePath_, ignored);
}

} // namespace dk3::main_dialog
