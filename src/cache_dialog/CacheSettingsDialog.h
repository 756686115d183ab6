#pragma once

// The resource cache dialog: the 29 memory budgets of the engine's resource caches in the engine
// configuration file, in four columns (general, and the low, medium and high cache levels) plus
// the extra image budget for high texture quality. Each value shows in megabytes beside its
// field, with a total per column and, for the levels, the final cache that adds the high-texture
// budget. The arithmetic is CacheBudgets'; this class binds it to the file and the controls.
//
// The dialog reads the file when it is made (the main dialog makes a new one at every opening)
// and writes it only on save. The fields hold texts, and a budget is written as the text its
// field holds: leading zeros stay, an emptied field is written empty.
//
// Budgets are 32-bit unsigned numbers to the engine, so a file may hold one above 2147483647. A
// stored whole number that does not fit a signed 32-bit integer is shown as it is stored and so
// written back unchanged, instead of as the negative number a 32-bit reading wraps it to; the
// figures then count it as 2147483647 (see CacheBudgets). Any other stored text shows as its
// integer reading, as the game's own tools read it ("12abc" shows 12, "0x10" shows 16).

#include "app/TranslationCatalogue.h"
#include "cache_dialog/CacheBudgets.h"

#include <QDialog>
#include <QStringList>

#include <filesystem>
#include <string>

class QLineEdit;

namespace dk3::ui {
class Prompter;
class TooltipControl;
} // namespace dk3::ui

namespace dk3::cache {

class CacheSettingsDialog final : public QDialog {
    Q_OBJECT

public:
    // languageName is the section of the translation file that holds the user's language.
    CacheSettingsDialog(std::filesystem::path engineIniPath, std::string languageName,
                        app::TranslationCatalogue catalogue, ui::Prompter& prompter,
                        QWidget* parent = nullptr);
    ~CacheSettingsDialog() override;

    // The figures as last shown.
    const CacheBudgets& budgets() const { return budgets_; }
    ui::TooltipControl* tooltipControl() const { return tooltips_; }

    // The buttons' actions; the buttons call them, tests may too.
    // Asks first; on Yes puts the built-in defaults into the 29 fields. Writes nothing.
    void restoreDefaults();
    // Writes the 29 fields and closes. When a write fails, tells the user why and stays open
    // with every edit intact; returns false then.
    bool save();
    // Raises or lowers a column by its percentage.
    void scaleColumn(CacheColumn column, ScaleDirection direction);

    // The close button and Enter: takes the fields' texts, then ends. Nothing is written unless
    // the player answers Save to the question about unsaved changes, which this and Escape (or
    // the close box) ask first when a field differs from what was last loaded or saved.
    void accept() override;
    void reject() override;
    bool hasUnsavedChanges() const;

private:
    void setCaptions();
    void addTooltips();
    void loadBudgets();
    void connectHandlers();

    // Copies every field's text into the model, and every text of the model into its control.
    void fieldsToModel();
    void modelToFields();

    QLineEdit* valueField(CacheColumn column, CacheCategory category) const;
    QLineEdit* percentageField(CacheColumn column) const;
    QLineEdit* textureHighField() const;
    // True when the dialog may end: nothing unsaved, or saved, or discarded.
    bool settleUnsavedChanges();
    QStringList shownBudgets() const;

    std::filesystem::path engineIniPath_;
    std::string languageName_;
    app::TranslationCatalogue catalogue_;
    ui::Prompter& prompter_;
    ui::TooltipControl* tooltips_ = nullptr; // a child of the dialog
    CacheBudgets budgets_;
    QStringList savedValues_; // what the fields showed after the last load or save
};

} // namespace dk3::cache
