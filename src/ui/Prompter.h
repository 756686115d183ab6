#pragma once

// Every message box and file chooser of the program goes through a Prompter, so that tests can
// answer them with a script instead of blocking on a real window.

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace dk3::ui {

enum class MessageIcon { None, Information, Warning, Error };

// The answer to the question what becomes of unsaved changes.
enum class SaveChoice { Save, Discard, Cancel };

struct FileRequest {
    QString title;
    QString filter;      // Qt filter text, e.g. "Draskel III Ini BackUp (*.dkb)"
    QString initialName; // file name (or path) the chooser starts with
    bool confirmOverwrite = false;
    // Added to a chosen name without an extension before the overwrite question is asked, so
    // the question concerns the file that will really be written.
    QString defaultSuffix;
    // The folder the chooser opens in; empty: the chooser's own choice.
    QString startFolder;
    // Lists hidden folders too (~/.steam, ~/.wine), where games under Wine usually are.
    bool showHidden = false;
    // An open chooser that returns the typed name even when no file of exactly that spelling
    // exists, so that the caller can match it without regard to letter case.
    bool acceptAnyName = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message with an OK button. An empty caption shows an empty title bar.
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text,
                             MessageIcon icon = MessageIcon::None) = 0;

    // A question with Yes and No buttons; true on Yes.
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;

    // A question with Save, Discard and Cancel buttons (Qt's words, in the language of Qt's
    // installed translation). Escape and the title bar's close answer Cancel, and so does Enter:
    // a reflex key keeps everything as it is.
    virtual SaveChoice askSaveDiscardCancel(QWidget* parent, const QString& caption,
                                            const QString& text) = 0;

    // File choosers: the chosen file's full path, or nothing when the user cancels.
    virtual std::optional<QString> chooseExistingFile(QWidget* parent,
                                                      const FileRequest& request) = 0;
    virtual std::optional<QString> chooseSaveFile(QWidget* parent, const FileRequest& request) = 0;

    // One entry of a list, picked by the user: its index, or nothing when the user cancels. A
    // prompter that shows no lists cancels.
    virtual std::optional<int> chooseItem(QWidget* /*parent*/, const QString& /*caption*/,
                                          const QString& /*text*/, const QStringList& /*items*/) {
        return std::nullopt;
    }
};

// The real thing: QMessageBox and QFileDialog.
class QtPrompter final : public Prompter {
public:
    void showMessage(QWidget* parent, const QString& caption, const QString& text,
                     MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override;
    SaveChoice askSaveDiscardCancel(QWidget* parent, const QString& caption,
                                    const QString& text) override;
    std::optional<QString> chooseExistingFile(QWidget* parent, const FileRequest& request) override;
    std::optional<QString> chooseSaveFile(QWidget* parent, const FileRequest& request) override;
    std::optional<int> chooseItem(QWidget* parent, const QString& caption, const QString& text,
                                  const QStringList& items) override;
};

} // namespace dk3::ui
