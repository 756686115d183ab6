// Our own texts and Qt's words follow the player's language.

#include "app/OwnTexts.h"
#include "app/QtTranslations.h"
#include "ui/Prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cerrno>
#include <gtest/gtest.h>
#include <set>
#include <system_error>

namespace dk3::app {
namespace {

TEST(OwnTexts, LanguageNamesInAnyCaseAndGermanForAnythingElse) {
    constexpr OwnText kText{"Hallo „Welt“", "hello", "ciao è"};
    EXPECT_EQ(ownText("deutsch", kText), QStringLiteral("Hallo „Welt“"));
    EXPECT_EQ(ownText("English", kText), QStringLiteral("hello"));
    EXPECT_EQ(ownText("ITALIANO", kText), QStringLiteral("ciao è"));
    EXPECT_EQ(ownText("", kText), QStringLiteral("Hallo „Welt“"));
    EXPECT_EQ(ownText("englis", kText), QStringLiteral("Hallo „Welt“"));
    EXPECT_EQ(ownText("francais", kText), QStringLiteral("Hallo „Welt“"));
}

TEST(OwnTexts, ReasonsAPlayerMeetsAreTranslatedAndTellApart) {
    const int reasons[] = {EACCES,  EROFS,  ENOSPC, ENOENT, EISDIR,       EFBIG,
                           ENOTDIR, EDQUOT, EPERM,  ELOOP,  ENAMETOOLONG, EINVAL};
    for (const char* language : {"deutsch", "english", "italiano"}) {
        std::set<QString> seen;
        for (const int code : reasons) {
            const QString text =
                describeError(language, std::error_code(code, std::generic_category()));
            EXPECT_FALSE(text.isEmpty()) << language << " " << code;
            EXPECT_TRUE(seen.insert(text).second)
                << language << ": two reasons read " << text.toStdString();
            // A reason ends up inside a sentence: no full stop of its own.
            EXPECT_FALSE(text.endsWith(QLatin1Char('.'))) << text.toStdString();
        }
    }
    const std::error_code full = std::make_error_code(std::errc::no_space_on_device);
    EXPECT_EQ(describeError("deutsch", full),
              QStringLiteral("kein Platz mehr auf dem Datenträger"));
    EXPECT_EQ(describeError("italiano", full), QStringLiteral("spazio esaurito sul disco"));
    EXPECT_EQ(describeError("english", full), QStringLiteral("no space left on the disk"));
    // The errors of the system's own calls come in its category and read the same.
    EXPECT_EQ(describeError("italiano", std::error_code(EACCES, std::system_category())),
              QStringLiteral("permesso negato"));
    EXPECT_EQ(describeError("deutsch", std::make_error_code(std::errc::read_only_file_system)),
              QStringLiteral("das Dateisystem ist schreibgeschützt"));
    // Something rare keeps the system's words rather than saying nothing.
    EXPECT_FALSE(describeError("deutsch", std::make_error_code(std::errc::timed_out)).isEmpty());
}

// The texts of the buttons of a Yes/No question shown by the real prompter.
QStringList questionButtons() {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton* button : box->buttons())
            texts << button->text().remove(QLatin1Char('&'));
        box->reject();
    });
    ui::QtPrompter prompter;
    prompter.askYesNo(nullptr, QString(), QStringLiteral("?"));
    texts.sort();
    return texts;
}

QString chooserCancelText() {
    QString text;
    QTimer::singleShot(0, [&text] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        for (QPushButton* button : chooser->findChildren<QPushButton*>())
            if (button->isVisible() && !button->text().isEmpty())
                text += button->text().remove(QLatin1Char('&')) + QLatin1Char('|');
        chooser->reject();
    });
    ui::QtPrompter prompter;
    prompter.chooseExistingFile(nullptr, ui::FileRequest{});
    return text;
}

TEST(QtTranslations, MessageBoxButtonsAndTheChooserSwitchWithTheLanguage) {
    ASSERT_TRUE(switchQtTranslations("deutsch")) << "Qt's translations are not installed";
    EXPECT_EQ(questionButtons(), (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
    EXPECT_TRUE(chooserCancelText().contains(QStringLiteral("Abbrechen")));

    ASSERT_TRUE(switchQtTranslations("Italiano"));
    EXPECT_EQ(questionButtons(), (QStringList{QStringLiteral("No"), QStringLiteral("Sì")}));
    EXPECT_TRUE(chooserCancelText().contains(QStringLiteral("Annulla")));

    ASSERT_TRUE(switchQtTranslations("english"));
    EXPECT_EQ(questionButtons(), (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));

    // Back and forth, and once more the same: one translation at a time, never two stacked.
    ASSERT_TRUE(switchQtTranslations("italiano"));
    ASSERT_TRUE(switchQtTranslations("deutsch"));
    ASSERT_TRUE(switchQtTranslations("deutsch"));
    EXPECT_EQ(questionButtons(), (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
    ASSERT_TRUE(switchQtTranslations("english"));
    EXPECT_EQ(questionButtons(), (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
}

} // namespace
} // namespace dk3::app
