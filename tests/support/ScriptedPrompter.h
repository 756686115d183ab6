#pragma once

// A Prompter that answers from a script and records everything it was shown. An unexpected
// question fails the test and is answered No / Cancel, so no test ever blocks on a window.

#include "ui/Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace dk3::test {

class ScriptedPrompter final : public ui::Prompter {
public:
    struct Shown {
        enum class Kind { Message, Question, OpenFile, SaveFile, Choice, SaveQuestion } kind;
        QString caption; // caption or chooser title
        QString text;    // message text or chooser filter
        ui::MessageIcon icon = ui::MessageIcon::None;
        QString initialName;
        bool confirmOverwrite = false;
        QStringList items;       // the entries of a choice
        ui::FileRequest request; // the whole request of a file chooser
    };

    // Answers, used in the order they were queued.
    void answerYes() { answers_.push_back(Answer{true, std::nullopt}); }
    void answerNo() { answers_.push_back(Answer{false, std::nullopt}); }
    void answerFile(const QString& path) { answers_.push_back(Answer{true, path}); }
    void answerCancel() { answers_.push_back(Answer{false, std::nullopt}); }
    void answerChoice(int index) { answers_.push_back(Answer{true, std::nullopt, index}); }
    // Answers to the question what becomes of unsaved changes.
    void answerSave() {
        answers_.push_back(Answer{true, std::nullopt, std::nullopt, ui::SaveChoice::Save});
    }
    void answerDiscard() {
        answers_.push_back(Answer{false, std::nullopt, std::nullopt, ui::SaveChoice::Discard});
    }
    void answerKeepEditing() {
        answers_.push_back(Answer{false, std::nullopt, std::nullopt, ui::SaveChoice::Cancel});
    }
    // How many times the unsaved-changes question was asked.
    int saveQuestions() const;

    const std::vector<Shown>& shown() const { return shown_; }
    QStringList messageTexts() const; // texts of messages and Yes/No questions, in order
    std::size_t unusedAnswers() const { return answers_.size(); }
    void clear() {
        shown_.clear();
        answers_.clear();
    }

    void showMessage(QWidget* parent, const QString& caption, const QString& text,
                     ui::MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override;
    ui::SaveChoice askSaveDiscardCancel(QWidget* parent, const QString& caption,
                                        const QString& text) override;
    std::optional<QString> chooseExistingFile(QWidget* parent,
                                              const ui::FileRequest& request) override;
    std::optional<QString> chooseSaveFile(QWidget* parent, const ui::FileRequest& request) override;
    std::optional<int> chooseItem(QWidget* parent, const QString& caption, const QString& text,
                                  const QStringList& items) override;

private:
    struct Answer {
        bool yes;
        std::optional<QString> file;
        std::optional<int> choice = std::nullopt;
        std::optional<ui::SaveChoice> saveChoice = std::nullopt;
    };
    std::optional<Answer> next(const char* what);

    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
};

} // namespace dk3::test
