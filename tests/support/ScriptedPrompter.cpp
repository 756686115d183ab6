#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace dk3::test {

QStringList ScriptedPrompter::messageTexts() const {
    QStringList texts;
    for (const auto& s : shown_)
        if (s.kind == Shown::Kind::Message || s.kind == Shown::Kind::Question)
            texts << s.text;
    return texts;
}

std::optional<ScriptedPrompter::Answer> ScriptedPrompter::next(const char* what) {
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected " << what << " with no scripted answer";
        return std::nullopt;
    }
    Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedPrompter::showMessage(QWidget*, const QString& caption, const QString& text,
                                   ui::MessageIcon icon) {
    shown_.push_back({Shown::Kind::Message, caption, text, icon, {}, false, {}, {}});
}

bool ScriptedPrompter::askYesNo(QWidget*, const QString& caption, const QString& text) {
    shown_.push_back(
        {Shown::Kind::Question, caption, text, ui::MessageIcon::None, {}, false, {}, {}});
    const auto answer = next("question");
    return answer && answer->yes;
}

int ScriptedPrompter::saveQuestions() const {
    int count = 0;
    for (const auto& s : shown_)
        count += s.kind == Shown::Kind::SaveQuestion ? 1 : 0;
    return count;
}

ui::SaveChoice ScriptedPrompter::askSaveDiscardCancel(QWidget*, const QString& caption,
                                                      const QString& text) {
    shown_.push_back(
        {Shown::Kind::SaveQuestion, caption, text, ui::MessageIcon::None, {}, false, {}, {}});
    const auto answer = next("save, discard or cancel question");
    if (!answer || !answer->saveChoice) {
        if (answer)
            ADD_FAILURE() << "the save question was given another kind of answer";
        return ui::SaveChoice::Cancel;
    }
    return *answer->saveChoice;
}

std::optional<QString> ScriptedPrompter::chooseExistingFile(QWidget*,
                                                            const ui::FileRequest& request) {
    shown_.push_back({Shown::Kind::OpenFile,
                      request.title,
                      request.filter,
                      ui::MessageIcon::None,
                      request.initialName,
                      request.confirmOverwrite,
                      {},
                      request});
    const auto answer = next("open-file chooser");
    return answer ? answer->file : std::nullopt;
}

std::optional<QString> ScriptedPrompter::chooseSaveFile(QWidget*, const ui::FileRequest& request) {
    shown_.push_back({Shown::Kind::SaveFile,
                      request.title,
                      request.filter,
                      ui::MessageIcon::None,
                      request.initialName,
                      request.confirmOverwrite,
                      {},
                      request});
    const auto answer = next("save-file chooser");
    return answer ? answer->file : std::nullopt;
}

std::optional<int> ScriptedPrompter::chooseItem(QWidget*, const QString& caption,
                                                const QString& text, const QStringList& items) {
    shown_.push_back(
        {Shown::Kind::Choice, caption, text, ui::MessageIcon::None, {}, false, items, {}});
    const auto answer = next("choice");
    if (!answer || !answer->choice)
        return std::nullopt;
    return answer->choice;
}

} // namespace dk3::test
