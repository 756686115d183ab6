#include "advanced_dialog/OtherSettingsDialog.h"

#include "advanced_dialog/OtherSettingsLayout.h"
#include "platform/ProfileFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "ui/DialogTemplate.h"
#include "ui/TooltipControl.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace dk3::advanced {
namespace {
namespace fs = std::filesystem;
using test::readFile;

const int kViewRanges[] = {id::kLowObjects,    id::kLowHighQuality,    id::kLowLowQuality,
                           id::kMediumObjects, id::kMediumHighQuality, id::kMediumLowQuality,
                           id::kHighObjects,   id::kHighHighQuality,   id::kHighLowQuality};

struct OtherSettings : ::testing::Test {
    test::TempDir dir;
    app::GamePaths paths;
    app::TranslationCatalogue catalogue{DK3_SOURCE_DIR "/resources/vorlix_translation.ini"};
    test::ScriptedPrompter prompter;

    OtherSettings() {
        test::copyDemoInstallation(dir / "game");
        paths.setInstallation(dir / "game");
    }

    std::unique_ptr<OtherSettingsDialog> open(const std::string& language = "english") {
        // The switch words the main dialog holds for the language.
        app::QualityWord words;
        words.disabledWord = catalogue.lookupText(language, "TEXT_DISABLED");
        words.enabledWord = catalogue.lookupText(language, "TEXT_ENABLED");
        return std::make_unique<OtherSettingsDialog>(paths, language, catalogue, words, prompter);
    }

    void setEngineKey(const char* section, const char* key, const char* value) {
        ASSERT_FALSE(profile::writeText(paths.engineIniPath, section, key, value));
    }
    std::string engineKey(const char* section, const char* key) const {
        return profile::readText(paths.engineIniPath, section, key, "<missing>");
    }
    std::vector<std::optional<std::string>> files() const {
        return {readFile(paths.engineIniPath), readFile(paths.debugIniPath),
                readFile(paths.shaderPath)};
    }

    static QLineEdit* field(const QWidget& dialog, int id) {
        return ui::controlAs<QLineEdit>(dialog, id);
    }
    static QString shown(const QWidget& dialog, int id) { return field(dialog, id)->text(); }
    static QComboBox* list(const QWidget& dialog, int id) {
        return ui::controlAs<QComboBox>(dialog, id);
    }
    // As the user does it: the whole text replaced by typing, one key at a time.
    static void type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
    }
    static QString tipOf(OtherSettingsDialog& dialog, int id) {
        QWidget* control = ui::controlById(dialog, id);
        const QPoint inside(control->width() / 2, control->height() / 2);
        QHelpEvent event(QEvent::ToolTip, inside, control->mapToGlobal(inside));
        QApplication::sendEvent(control, &event);
        const QString text = dialog.tooltipControl()->visibleTipText();
        dialog.tooltipControl()->hideTip();
        return text;
    }
};

TEST_F(OtherSettings, TextsListsAndTooltipsOfTheLanguage) {
    auto english = open("english");
    EXPECT_EQ(english->windowTitle(), QString());
    english->show(); // the title bar shows a blank, not the program's name
    ASSERT_NE(english->windowHandle(), nullptr);
    EXPECT_EQ(english->windowHandle()->title(), QStringLiteral(" "));
    EXPECT_EQ(ui::controlAs<QLabel>(*english, id::kTitle)->text(),
              QStringLiteral("OTHER SETTINGS"));
    EXPECT_EQ(ui::controlAs<QLabel>(*english, 1135)->text(),
              QStringLiteral("view range high quality;"));
    EXPECT_TRUE(ui::controlAs<QPushButton>(*english, id::kClose)->isDefault());
    for (const int id : {id::kPlayerMemory, id::kTestMode})
        EXPECT_EQ(QStringList({list(*english, id)->itemText(0), list(*english, id)->itemText(1)}),
                  QStringList({QStringLiteral("disabled"), QStringLiteral("enabled")}));
    EXPECT_EQ(tipOf(*english, id::kFpsMax), QStringLiteral("max frames per second\ndefault:120"));
    EXPECT_EQ(tipOf(*english, id::kLowObjects),
              QStringLiteral("view range objects\ndefault:-300.0"));
    EXPECT_EQ(tipOf(*english, id::kPrefetchCellSize),
              QStringLiteral("prefetch cell size\ndefault:10000"));
    EXPECT_EQ(tipOf(*english, id::kTestMode), QStringLiteral("test mode\ndefault:disabled"));

    auto german = open("deutsch");
    EXPECT_EQ(list(*german, id::kPlayerMemory)->itemText(0), QStringLiteral("deaktiviert"));
    EXPECT_TRUE(
        tipOf(*german, id::kPlayerMemory).endsWith(QStringLiteral("\nStandard:deaktiviert")));
    EXPECT_TRUE(tipOf(*german, id::kTestMode).endsWith(QStringLiteral("\nStandard:deaktiviert")));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(OtherSettings, EveryTranslationFitsItsControl) {
    for (const char* language : {"deutsch", "english", "italiano"}) {
        auto dialog = open(language);
        if (QFontInfo(dialog->font()).family() != QStringLiteral("Liberation Sans"))
            GTEST_SKIP() << "the widths are those of the dialog font's stand-in";
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->wordWrap() || label->windowType() == Qt::ToolTip)
                continue;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width())
                << language << ": " << label->text().toStdString();
        }
        // A list's text is drawn a pixel inside the part the arrow leaves it.
        for (const int id : {id::kPlayerMemory, id::kTestMode}) {
            QComboBox* switches = list(*dialog, id);
            QStyleOptionComboBox option;
            option.initFrom(switches);
            const int room = switches->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, switches)
                                 .width() -
                             2;
            for (int item = 0; item < switches->count(); ++item)
                EXPECT_LE(switches->fontMetrics().horizontalAdvance(switches->itemText(item)), room)
                    << language << ": " << switches->itemText(item).toStdString();
        }
    }
}

TEST_F(OtherSettings, MissingViewRangesShowZeroAndRestoreShowsTheDefaultsWithoutWriting) {
    test::writeFile(paths.engineIniPath, "[Engine.Setup]\r\nRender.DOFStart=1500.0\r\n");
    auto dialog = open();
    for (const int id : kViewRanges)
        EXPECT_EQ(shown(*dialog, id), QStringLiteral("0")) << id;
    EXPECT_EQ(shown(*dialog, id::kDofStart), QStringLiteral("1500"));
    EXPECT_EQ(shown(*dialog, id::kMaxCameraDistance), QStringLiteral("500"));
    EXPECT_EQ(shown(*dialog, id::kLevelOfDetailFactor), QStringLiteral("0.01"));

    // No keeps everything, even what the user typed.
    type(field(*dialog, id::kFpsMin), QStringLiteral("12"));
    prompter.answerNo();
    dialog->restoreDefaults();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Do you really want to restore the settings?")});
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    EXPECT_EQ(shown(*dialog, id::kFpsMin), QStringLiteral("12"));

    list(*dialog, id::kPlayerMemory)->setCurrentIndex(1);
    prompter.answerYes();
    const auto before = files();
    dialog->restoreDefaults();
    const char* const expected[] = {"-300",  "6000", "20000", "0",     "8000",
                                    "45000", "300",  "10000", "100000"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(shown(*dialog, kViewRanges[i]), QString::fromLatin1(expected[i]));
    EXPECT_EQ(shown(*dialog, id::kFpsMin), QStringLiteral("10"));
    EXPECT_EQ(shown(*dialog, id::kFpsMax), QStringLiteral("120"));
    EXPECT_EQ(shown(*dialog, id::kBloomStrength), QStringLiteral("100"));
    EXPECT_EQ(shown(*dialog, id::kDofStart), QStringLiteral("1000"));
    EXPECT_EQ(list(*dialog, id::kPlayerMemory)->currentIndex(), 0);

    prompter.answerDiscard(); // the restored values are unsaved
    dialog->accept();         // Close takes the values and ends; only Save writes
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->values().lowObjects, -300);
    EXPECT_EQ(files(), before);
}

TEST_F(OtherSettings, ValuesRoundTripInTheGamesForms) {
    setEngineKey("Engine.Setup", "Render.PrefetchGridCellSize", "20000.0");
    setEngineKey("Engine.Setup", "Render.GlobalVisualLoDFactor", "0.015");
    auto dialog = open();
    EXPECT_EQ(shown(*dialog, id::kMaxCameraDistance), QStringLiteral("750")); // stored 750.0
    EXPECT_EQ(shown(*dialog, id::kPrefetchCellSize), QStringLiteral("20000"));
    EXPECT_EQ(shown(*dialog, id::kLevelOfDetailFactor), QStringLiteral("0.015"));
    EXPECT_EQ(shown(*dialog, id::kLowObjects), QStringLiteral("-300"));
    EXPECT_TRUE(dialog->save());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.shown().empty()) << "no message after a save that worked";
    EXPECT_EQ(engineKey("Camera", "fMaxDistToPlayer"), "750.0");
    EXPECT_EQ(engineKey("Engine.Setup", "Render.PrefetchGridCellSize"), "20000");
    EXPECT_EQ(engineKey("Engine.Setup", "Render.GlobalVisualLoDFactor"), "0.01");
    EXPECT_EQ(engineKey("Option.Sliders", "ObjectDetails.fRangedBaseLoDOffset_Low"), "-300.0");
    EXPECT_EQ(engineKey("Game", "TestMode"), "false");
    EXPECT_EQ(readFile(paths.engineIniPath)->find("PlayerMemory"), std::string::npos);
    EXPECT_NE(readFile(paths.shaderPath)->find(") * 1.00;"), std::string::npos);

    setEngineKey("Engine.Setup", "Render.GlobalVisualLoDFactor", "0.025");
    EXPECT_TRUE(open()->save());
    EXPECT_EQ(engineKey("Engine.Setup", "Render.GlobalVisualLoDFactor"), "0.03");
}

TEST_F(OtherSettings, SwitchesReadAnyCaseAndSaveTheirWords) {
    test::writeFile(paths.debugIniPath, "[PropertySets]\nPlayerMemory.Enabled=TRUE\n");
    setEngineKey("Game", "TestMode", "yes");
    auto dialog = open("italiano");
    EXPECT_EQ(list(*dialog, id::kPlayerMemory)->currentText(), QStringLiteral("attivato"));
    EXPECT_EQ(list(*dialog, id::kTestMode)->currentText(), QStringLiteral("disattivato"));
    list(*dialog, id::kTestMode)->setCurrentIndex(1);
    list(*dialog, id::kPlayerMemory)->setCurrentIndex(0);
    EXPECT_TRUE(dialog->save());
    EXPECT_EQ(engineKey("Game", "TestMode"), "true");
    EXPECT_EQ(readFile(paths.debugIniPath), "[PropertySets]\nPlayerMemory.Enabled=false\n");

    // Without the debug file player memory shows off, and Save makes the file.
    fs::remove(paths.debugIniPath);
    dialog = open();
    EXPECT_EQ(list(*dialog, id::kPlayerMemory)->currentIndex(), 0);
    EXPECT_TRUE(dialog->save());
    EXPECT_EQ(readFile(paths.debugIniPath), "[PropertySets]\r\nPlayerMemory.Enabled=false\r\n");
}

TEST_F(OtherSettings, BloomStrengthIsLimitedWhileTyping) {
    auto dialog = open();
    QLineEdit* bloom = field(*dialog, id::kBloomStrength);
    type(bloom, QStringLiteral("250"));
    EXPECT_EQ(bloom->text(), QStringLiteral("200"));
    type(bloom, QStringLiteral("0"));
    EXPECT_EQ(bloom->text(), QStringLiteral("0"));
    EXPECT_TRUE(prompter.shown().empty());

    // An empty field anywhere is reported at the next change, and what was typed stays.
    type(field(*dialog, id::kLowObjects), QString());
    type(field(*dialog, id::kDofStart), QStringLiteral("1234"));
    type(bloom, QStringLiteral("5"));
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Please enter a number.")});
    EXPECT_EQ(shown(*dialog, id::kLowObjects), QString());
    EXPECT_EQ(shown(*dialog, id::kDofStart), QStringLiteral("1234"));
    EXPECT_EQ(bloom->text(), QStringLiteral("5"));
}

TEST_F(OtherSettings, EnterClosesWithoutSavingUnlessAFieldIsInvalid) {
    const auto before = files();
    auto dialog = open();
    dialog->show();
    type(field(*dialog, id::kFpsAverage), QStringLiteral("-5")); // no sign on a frame rate
    EXPECT_FALSE(dialog->save());
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Please enter a number.")});
    EXPECT_EQ(dialog->focusWidget(), field(*dialog, id::kFpsAverage));
    QTest::keyClick(field(*dialog, id::kFpsMin), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(files(), before) << "nothing is written while a field is invalid";

    type(field(*dialog, id::kFpsAverage), QStringLiteral("25"));
    prompter.answerDiscard();
    QTest::keyClick(field(*dialog, id::kFpsMin), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->values().fpsAverage, 25u);
    EXPECT_EQ(files(), before);

    // Escape ends it whatever the fields hold, once the player discards them.
    dialog = open();
    dialog->show();
    type(field(*dialog, id::kFpsAverage), QString());
    prompter.answerDiscard();
    QTest::keyClick(field(*dialog, id::kFpsMin), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(OtherSettings, AFileThatCannotBeWrittenIsNamedAndTheDialogStaysOpen) {
    // A folder where the debug file belongs fails for every user, root included.
    fs::remove(paths.debugIniPath);
    fs::create_directories(paths.debugIniPath);
    auto dialog = open();
    type(field(*dialog, id::kDofEnd), QStringLiteral("9500"));
    type(field(*dialog, id::kBloomStrength), QStringLiteral("50"));
    EXPECT_FALSE(dialog->save());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const QString message = prompter.shown()[0].text;
    EXPECT_TRUE(message.contains(QString::fromStdString(paths.debugIniPath.string())));
    EXPECT_FALSE(message.contains(QStringLiteral("dk3e.ini")));
    // Everything else was saved.
    EXPECT_EQ(engineKey("Engine.Setup", "Render.DOFEnd"), "9500.0");
    EXPECT_NE(readFile(paths.shaderPath)->find(") * 0.50;"), std::string::npos);
}

TEST_F(OtherSettings, AReadOnlyEngineFileIsNamed) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    fs::permissions(paths.engineIniPath, fs::perms::owner_read | fs::perms::group_read);
    const auto engine = readFile(paths.engineIniPath);
    auto dialog = open();
    type(field(*dialog, id::kDofEnd), QStringLiteral("9500")); // a key already right is not written
    list(*dialog, id::kPlayerMemory)->setCurrentIndex(1);
    EXPECT_FALSE(dialog->save());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text.count(QString::fromStdString(paths.engineIniPath.string())),
              1);
    EXPECT_EQ(readFile(paths.engineIniPath), engine);
    EXPECT_EQ(profile::readText(paths.debugIniPath, "PropertySets", "PlayerMemory.Enabled", ""),
              "true");
}

TEST_F(OtherSettings, AnUnreadableShaderStillOpensWithTheIniValues) {
    fs::remove(paths.shaderPath);
    fs::create_directories(paths.shaderPath); // unreadable for root as well
    auto dialog = open("italiano");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("IP_DOF.fx")));
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(
        QStringLiteral("Impossibile leggere il file dello shader")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(
        prompter.shown()[0].text.endsWith(QStringLiteral(": al posto del file c'è una cartella.")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_EQ(shown(*dialog, id::kBloomStrength), QStringLiteral("100"));
    EXPECT_EQ(shown(*dialog, id::kDofStart), QStringLiteral("1500"));

    // Save stores the INI values, then tells about the shader and stays open.
    prompter.clear();
    type(field(*dialog, id::kFpsMax), QStringLiteral("75"));
    EXPECT_FALSE(dialog->save());
    EXPECT_EQ(engineKey("Engine.Setup", "FpS.Max"), "75.0");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("IP_DOF.fx")));
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(
        QStringLiteral("Non è stato possibile salvare tutte le impostazioni.\n\nImpossibile "
                       "leggere il file dello shader")))
        << prompter.shown()[0].text.toStdString();
}

} // namespace
} // namespace dk3::advanced
