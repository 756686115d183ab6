#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"
#include "advanced_dialog/OtherSettingsDialog.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <functional>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

struct UnsavedChanges : MainDialogFixture {
    // Every way out of the main dialog, as the player takes it.
    struct WayOut {
        const char* name;
        std::function<void(main_dialog::MainSettingsDialog&)> take;
        QDialog::DialogCode result;
    };
    static std::vector<WayOut> waysOut() {
        return {
            {"exit button", [](auto& d) { ui::controlAs<QPushButton>(d, id::kExit)->click(); },
             QDialog::Accepted},
            {"title bar", [](auto& d) { d.close(); }, QDialog::Rejected},
            {"escape", [](auto& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
            {"enter in a list",
             [](auto& d) {
                 QComboBox* list = ui::controlAs<QComboBox>(d, id::kLanguage);
                 list->setFocus();
                 QTest::keyClick(list, Qt::Key_Return);
             },
             QDialog::Accepted},
        };
    }
    std::string shadows() const {
        return profile::readText(userOptions(), "Options.Custom", "ShadowQuality", "");
    }
};

TEST_F(UnsavedChanges, WithoutChangesEveryWayOutEndsAtOnceAndAsksNothing) {
    for (const WayOut& way : waysOut()) {
        auto dialog = startDialog("english");
        dialog->show();
        prompter.clear();
        way.take(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << way.name;
        EXPECT_EQ(dialog->result(), way.result) << way.name;
        EXPECT_TRUE(prompter.shown().empty()) << way.name;
    }
}

TEST_F(UnsavedChanges, EveryWayOutAsksAndKeepsEditingSavesOrDiscardsAsAnswered) {
    const std::string stored = shadows();
    for (const WayOut& way : waysOut()) {
        auto dialog = startDialog("english");
        dialog->show();
        QComboBox* shadowList = combo(*dialog, id::kShadowQuality);
        const int changed = shadowList->currentIndex() == 3 ? 2 : 3;
        userSelects(shadowList, changed);
        ASSERT_TRUE(dialog->hasUnsavedChanges());
        prompter.clear();

        prompter.answerKeepEditing();
        way.take(*dialog);
        EXPECT_TRUE(dialog->isVisible()) << way.name;
        EXPECT_EQ(shadowList->currentIndex(), changed) << way.name;

        prompter.answerDiscard();
        way.take(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << way.name;
        EXPECT_EQ(dialog->result(), way.result) << way.name;
        EXPECT_EQ(shadows(), stored) << way.name;
        EXPECT_EQ(prompter.saveQuestions(), 2) << way.name;
        EXPECT_EQ(prompter.shown()[0].text,
                  QStringLiteral("The changes have not been saved yet. Do you want to save them?"));

        dialog->show();
        prompter.clear();
        prompter.answerSave();
        way.take(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << way.name;
        EXPECT_EQ(shadows(), std::to_string(changed)) << way.name;
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Settings saved!")});
        EXPECT_FALSE(dialog->hasUnsavedChanges());
        // Back to what was stored, for the next way out.
        ASSERT_FALSE(profile::writeText(userOptions(), "Options.Custom", "ShadowQuality", stored));
    }
}

TEST_F(UnsavedChanges, ASaveThatCannotWriteEverythingKeepsTheDialogOpen) {
    auto dialog = startDialog("deutsch");
    dialog->show();
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("many"));
    // The field holds no number: the save writes the rest, says so, and the dialog stays.
    prompter.answerSave();
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompter.messageTexts(), QStringList({QStringLiteral("Bitte eine Zahl eingeben."),
                                                    QStringLiteral("Einstellungen gespeichert!")}));
    EXPECT_EQ(prompter.shown()[0].text,
              QString::fromUtf8(
                  "Die Änderungen sind noch nicht gespeichert. Sollen sie gespeichert werden?"));
    EXPECT_TRUE(dialog->hasUnsavedChanges());
}

TEST_F(UnsavedChanges, ALanguageChangeAsksFirstAndKeepEditingKeepsLanguageAndEdits) {
    auto dialog = startDialog("english");
    QComboBox* languages = combo(*dialog, id::kLanguage);
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("44"));

    prompter.answerKeepEditing();
    userSelects(languages, 0);
    EXPECT_EQ(languages->currentText(), QStringLiteral("english"));
    EXPECT_EQ(dialog->languageName(), "english");
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("44"));

    prompter.answerSave();
    userSelects(languages, 2);
    EXPECT_EQ(dialog->languageName(), "italiano");
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("44"));
    EXPECT_EQ(profile::readText(engineIni(), "Engine.Setup", "Animation.MaxRagDolls", ""), "44");
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
}

TEST_F(UnsavedChanges, TheAdvancedDialogAsksBeforeClosingOverAnEdit) {
    auto dialog = startDialog("english");
    advanced::OtherSettingsDialog other(dialog->paths(), "english", dialog->catalogue(),
                                        dialog->vocabulary(), prompter);
    other.show();
    QLineEdit* field = other.findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_FALSE(other.isVisible()) << "nothing changed, nothing asked";
    EXPECT_EQ(prompter.saveQuestions(), 0);

    other.show();
    field->setText(field->text() + QStringLiteral("1"));
    prompter.answerKeepEditing();
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_TRUE(other.isVisible());
    prompter.answerDiscard();
    other.close();
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(prompter.saveQuestions(), 2);
}

TEST_F(UnsavedChanges, AWheelChangesOnlyTheListThatHasTheFocus) {
    auto dialog = startDialog("english");
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QComboBox* preset = combo(*dialog, id::kResolution);
    const auto turnWheelOver = [](QComboBox* list) {
        const QPointF at = list->rect().center();
        QWheelEvent event(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &event);
    };
    const int before = preset->currentIndex();
    edit(*dialog, id::kMaxRagdolls)->setFocus();
    turnWheelOver(preset);
    EXPECT_EQ(preset->currentIndex(), before);
    EXPECT_FALSE(preset->hasFocus()) << "the wheel gives no focus either";
    EXPECT_FALSE(dialog->hasUnsavedChanges());

    preset->setFocus();
    turnWheelOver(preset);
    EXPECT_NE(preset->currentIndex(), before);
}

} // namespace
} // namespace dk3::test
