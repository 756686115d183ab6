#pragma once

// The main window: the game's 24 main settings in two groups, the language, the buttons for the
// maintenance actions and the child dialogs, and the banner. Its initialisation is the program's
// start-up sequence.

#include "app/GameLocator.h"
#include "app/GamePaths.h"
#include "app/QualityWord.h"
#include "app/TranslationCatalogue.h"
#include "app/TuningApp.h"
#include "discovery/Installation.h"
#include "platform/DisplayModes.h"
#include "platform/SpecialFolders.h"
#include "presentation/MusicPlayback.h"
#include "ui/FieldExchange.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

class QComboBox;

namespace dk3::profile {
class WriteBatch;
} // namespace dk3::profile

namespace dk3::platform {
class KeyValueStore;
class SingleInstance;
} // namespace dk3::platform

namespace dk3::presentation {
class BannerWidget;
class LinkOpener;
} // namespace dk3::presentation

namespace dk3::ui {
class Prompter;
class TooltipControl;
} // namespace dk3::ui

namespace dk3::main_dialog {

struct SettingRow;

// How the game's Direct3D lists the screen's modes for this installation: Proton's rules for a
// game in a Proton prefix, plain Wine's otherwise.
platform::ModeRules modeRulesFor(const discovery::Installation& installation);

// What the main dialog takes from its surroundings; tests pass fakes and scratch folders.
struct MainDialogServices {
    ui::Prompter* prompter = nullptr;
    platform::KeyValueStore* store = nullptr;
    platform::DisplayModeSource* displayModes = nullptr;
    // The XDG documents folder: the game's documents folder when it runs in no Wine prefix.
    std::filesystem::path documentsFolder;
    // Where discovery looks for the game (the home folder and the XDG folders). An empty home
    // looks nowhere.
    discovery::Environment environment;
    // What the command line asks: a game folder for this run, or to choose again.
    app::LocateRequest locateRequest;
    // Looks for installations; empty: the real search of the machine.
    app::DiscoverFunction discover;
    // The private temporary folder, or nothing and why there is none.
    std::optional<std::filesystem::path> tempFolder;
    platform::TempFolderProblem tempFolderProblem;
    // A player for each opening of the credits; none, or an empty factory, means silence.
    presentation::MusicPlayerFactory musicPlayers;
    // Where the credits' web links are opened; without one they lead nowhere.
    presentation::LinkOpener* linkOpener = nullptr;
};

class MainSettingsDialog : public QDialog, public app::ModalMainWindow {
    Q_OBJECT

public:
    enum class StartupOutcome {
        Run,             // show the dialog and run its loop
        EndAfterStartup, // another copy runs: this one ends without its loop
        Quit,            // the program ends at once (no installation chosen, no temporary folder)
    };

    explicit MainSettingsDialog(MainDialogServices services, QWidget* parent = nullptr);
    ~MainSettingsDialog() override;

    // Start-up sequence, then the modal loop when the sequence allows it.
    void runModal() override;
    // 1 when the game folder named on the command line does not hold the game, else 0.
    int exitCode() const override { return exitCode_; }
    StartupOutcome startUp();

    // What the child dialogs take from the main dialog.
    const app::GamePaths& paths() const { return paths_; }
    const discovery::Installation& installation() const { return installation_; }
    const std::string& languageName() const { return languageName_; }
    const app::TranslationCatalogue& catalogue() const { return catalogue_; }
    const app::QualityWord& vocabulary() const { return words_; }
    ui::Prompter& prompter() const { return *services_.prompter; }
    const std::filesystem::path& tempFolder() const { return tempFolder_; }
    bool isDuplicateInstance() const { return duplicateInstance_; }

    // Exit and Enter: takes the fields into the members and ends the dialog, unless a field holds
    // no number. Nothing is saved unless the player answers Save to the question about unsaved
    // changes.
    void accept() override;
    // Escape and the title bar's close button: ends the dialog without taking the fields, after
    // the same question when something is not saved.
    void reject() override;

    // True when the settings the dialog shows differ from what it last loaded or saved.
    bool hasUnsavedChanges() const;

    // A caption of the current language, and a message with its '|' turned into line breaks.
    QString text(std::string_view key) const;
    QString message(std::string_view key) const;

    // Runs when the user picks another language, and once at start-up.
    void onLanguageChanged();
    // Puts the dialog into the current language and reloads every setting.
    void reloadTexts();
    // Reads every setting of the table afresh from the game's files into the controls.
    void loadSettings();
    // Writes every setting of the table into the game's files and confirms. True when every
    // setting shown was written.
    bool saveSettings();
    // Shows the aspect ratio of the selected resolution.
    void updateAspectRatio();

    // Quality presets and built-in defaults.
    void applyPreset();
    void switchToCustom();
    void restoreDefaults();

    // Maintenance of the game's files.
    void removeStartLogos();
    void restoreStartLogos();
    void createBackup();
    void loadBackup();

    // Lets the player pick another installation of the game and shows its settings.
    void chooseAnotherInstallation();
    // The game folder, where it was found and the game's documents folder, with the way to choose
    // another installation, in the current language: the banner's tip.
    QString installationDescription() const;

    // The child dialogs.
    void openCacheSettings();
    void openOtherSettings();
    void openCredits();

private:
    // Each feature connects its own controls; called once by the constructor.
    void connectSettingsHandlers();
    void connectMaintenanceButtons();
    void connectChildDialogButtons();

    void setUpBanner();
    app::GameLocator gameLocator();
    // The language of the program's own texts before and after the language is restored.
    std::string storedLanguage() const;
    QString startupText(const app::OwnText& text) const;
    QString temporaryFolderMessage(const platform::TempFolderProblem& problem) const;
    void useInstallation(const discovery::Installation& installation);
    void fillResolutionList();
    void selectStoredResolution();
    void loadTextsOfLanguage();
    void loadRow(const SettingRow& row);
    void saveRow(const SettingRow& row, profile::WriteBatch& batch);
    QComboBox* comboBox(int id) const;
    void startBannerTimer();
    void releaseBanner();
    void deleteTemporaryFiles();
    // Asks what becomes of unsaved changes, when there are any: true when the dialog may go on
    // (saved, discarded, or nothing to ask about), false when the player keeps editing or the
    // save did not write everything.
    bool settleUnsavedChanges();
    void rememberShownSettingsAsSaved();
    void showInstallationTip();

    MainDialogServices services_;

    bool duplicateInstance_ = false;
    int exitCode_ = 0;
    std::filesystem::path tempFolder_;
    std::filesystem::path bannerTexturePath_;
    presentation::BannerWidget* banner_ = nullptr;
    std::unique_ptr<platform::SingleInstance> singleInstance_;
    app::GamePaths paths_;
    discovery::Installation installation_;
    app::TranslationCatalogue catalogue_;
    std::string languageName_;
    app::QualityWord words_;
    QPointer<ui::TooltipControl> tooltipControl_;

    // Values of the four numeric edit fields and the aspect-ratio text, exchanged with the fields.
    float vegetationViewRange_ = 0;
    float physicsViewRange_ = 0;
    std::uint32_t maxRagdolls_ = 0;
    float roiViewRange_ = 0;
    std::int32_t storedRefreshRate_ = 0;
    std::int32_t storedHeight_ = 0;
    std::int32_t storedWidth_ = 0;
    QString aspectRatioText_;
    ui::FieldExchange exchange_;
    // The item the last load added to the resolution list for a stored mode the list lacks.
    int storedModeItem_ = -1;

    QComboBox* languageCombo_ = nullptr;
    // What the settings' controls showed after the last load or save; empty before the first.
    QStringList savedSettings_;
};

} // namespace dk3::main_dialog
