#pragma once

// The advanced settings dialog: view distances per detail level, prefetch cell size and camera
// distance, bloom strength, depth-of-field distances, frame-rate targets, the level-of-detail
// factor and two switches. Values the main dialog does not show and only experienced players
// should change.
//
// It reads the engine file, the debug file and the shader when it is built, and writes them only
// on Save. Each opening builds a new dialog, so nothing survives from an earlier one.

#include "advanced_dialog/AdvancedSettings.h"
#include "app/GamePaths.h"
#include "app/QualityWord.h"
#include "app/TranslationCatalogue.h"
#include "ui/FieldExchange.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>

class QComboBox;
class QLineEdit;

namespace dk3::ui {
class Prompter;
class TooltipControl;
} // namespace dk3::ui

namespace dk3::advanced {

class OtherSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // languageName is the section of the catalogue the texts come from; vocabulary turns the
    // switch lists' texts into the stored words. Prompter must outlive the dialog.
    OtherSettingsDialog(const app::GamePaths& paths, std::string languageName,
                        const app::TranslationCatalogue& catalogue,
                        const app::QualityWord& vocabulary, ui::Prompter& prompter,
                        QWidget* parent = nullptr);
    ~OtherSettingsDialog() override;

    // Button 1012: takes the fields, writes every value, then closes as Close does. Nothing is
    // written while a field holds no number. When a file cannot be written the others still
    // are, the user is told which failed, and the dialog stays open. True when it closed.
    bool save();

    // Button 1195: after the user confirms, shows the built-in defaults; writes nothing.
    void restoreDefaults();

    // Runs whenever the user changes the bloom strength: keeps it at most 200.
    void limitBloomStrength();

    // Close button and Enter: takes the fields and ends the dialog, unless a field holds no
    // number. Escape and the close box end it without taking the fields. Either asks first
    // whether unsaved changes are to be saved.
    void accept() override;
    void reject() override;
    // True when the fields differ from what was last loaded or saved.
    bool hasUnsavedChanges() const;

    // The values as last taken from or shown in the fields.
    const AdvancedValues& values() const { return values_; }
    ui::TooltipControl* tooltipControl() const;

private:
    QString caption(const char* key) const;
    void setTexts();
    void load();
    void showSwitch(QComboBox* list, const std::string& storedWord);
    std::string switchWord(const QComboBox* list) const;
    void reportToUser(const QString& text);
    // True when the dialog may end: nothing unsaved, or saved, or discarded.
    bool settleUnsavedChanges();

    app::GamePaths paths_;
    std::string languageName_;
    app::TranslationCatalogue catalogue_;
    app::QualityWord vocabulary_;
    ui::Prompter& prompter_;

    AdvancedValues values_;
    ui::FieldExchange exchange_;
    QPointer<ui::TooltipControl> tooltips_;
    QComboBox* playerMemory_ = nullptr;
    QComboBox* testMode_ = nullptr;
    QStringList savedValues_; // what the controls showed after the last load or save
};

} // namespace dk3::advanced
