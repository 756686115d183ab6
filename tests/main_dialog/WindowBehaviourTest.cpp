#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"
#include "app/TuningApp.h"
#include "ui/ColourScheme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

using WindowBehaviour = MainDialogFixture;

TEST_F(WindowBehaviour, TheRequestForANumberAndQtsWordsFollowTheLanguage) {
    auto dialog = startDialog("deutsch");
    QComboBox* languages = combo(*dialog, id::kLanguage);
    auto* exit = control<QPushButton>(*dialog, id::kExit);
    const auto askedFor = [&] {
        const QString before = edit(*dialog, id::kMaxRagdolls)->text();
        edit(*dialog, id::kMaxRagdolls)->clear();
        prompter.clear();
        exit->click();
        edit(*dialog, id::kMaxRagdolls)->setText(before);
        return prompter.messageTexts();
    };
    const auto qtYes = [] {
        return QCoreApplication::translate("QPlatformTheme", "&Yes").remove(QLatin1Char('&'));
    };
    dialog->show();
    EXPECT_EQ(askedFor(), QStringList{QStringLiteral("Bitte eine Zahl eingeben.")});
    EXPECT_EQ(qtYes(), QStringLiteral("Ja"));
    userSelects(languages, 2);
    EXPECT_EQ(askedFor(), QStringList{QStringLiteral("Inserisci un numero.")});
    EXPECT_EQ(qtYes(), QStringLiteral("Sì"));
    userSelects(languages, 1);
    EXPECT_EQ(askedFor(), QStringList{QStringLiteral("Please enter a number.")});
    EXPECT_EQ(qtYes(), QStringLiteral("Yes"));
}

TEST_F(WindowBehaviour, ExitRefusesAFieldWithoutANumberWhileEscapeAndCloseEndAnyway) {
    const auto userBefore = readFile(userOptions());
    const auto engineBefore = readFile(engineIni());
    auto dialog = startDialog("english");
    auto* exit = control<QPushButton>(*dialog, id::kExit);
    QLineEdit* ragdolls = edit(*dialog, id::kMaxRagdolls);
    ragdolls->clear();

    dialog->show();
    exit->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Please enter a number.")});
    // The emptied field is an unsaved change: each way out asks about it first.
    prompter.answerDiscard();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    dialog->show();
    prompter.answerDiscard();
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(prompter.messageTexts().size(), 1) << "neither asks for a number";

    // Enter in a field presses Exit, which ends the dialog once every field holds a number.
    dialog->show();
    ragdolls->setText(QStringLiteral("30"));
    prompter.answerDiscard();
    QTest::keyClick(ragdolls, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(prompter.saveQuestions(), 3);

    EXPECT_EQ(readFile(userOptions()), userBefore);
    EXPECT_EQ(readFile(engineIni()), engineBefore);
}

TEST_F(WindowBehaviour, AmberOnDarkRedEverywhereAndAFixedWindowThatCannotBeMaximized) {
    auto dialog = startDialog("english");
    const auto expectScheme = [](const QWidget* widget, QPalette::ColorRole text,
                                 QPalette::ColorRole background, const char* what) {
        EXPECT_EQ(widget->palette().color(text), ui::kMainDialogText) << what;
        EXPECT_EQ(widget->palette().color(background), ui::kMainDialogBackground) << what;
    };
    expectScheme(dialog.get(), QPalette::WindowText, QPalette::Window, "dialog");
    expectScheme(control<QLabel>(*dialog, id::kResolutionLabel), QPalette::WindowText,
                 QPalette::Window, "label");
    expectScheme(edit(*dialog, id::kRoiViewRange), QPalette::Text, QPalette::Base, "edit");
    QComboBox* preset = combo(*dialog, id::kPreset);
    expectScheme(preset, QPalette::ButtonText, QPalette::Button, "combo box");
    // The drop-down list is a window of its own and inherits nothing from the dialog.
    expectScheme(preset->view(), QPalette::Text, QPalette::Base, "drop-down list");
    expectScheme(preset->view()->window(), QPalette::WindowText, QPalette::Window,
                 "drop-down window");
    EXPECT_TRUE(dialog->autoFillBackground());

    // The tips keep their own black on yellow.
    ASSERT_FALSE(tipOf(*dialog, combo(*dialog, id::kDistanceHigh)).isEmpty());
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->windowType() == Qt::ToolTip) {
            EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 255, 0));
        }

    EXPECT_EQ(dialog->parentWidget(), nullptr) << "a task bar entry of its own";
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << "else the maximize button returns";
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    // The program's icon, which the program sets for all its windows before the first one opens.
    EXPECT_TRUE(dialog->windowIcon().isNull()) << "the dialog has no icon of its own";
    QApplication::setWindowIcon(app::programIcon());
    EXPECT_EQ(dialog->windowIcon().availableSizes(), QList<QSize>{QSize(64, 64)});
    QApplication::setWindowIcon(QIcon());
}

} // namespace
} // namespace dk3::test
