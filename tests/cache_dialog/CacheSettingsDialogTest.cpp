#include "cache_dialog/CacheSettingsDialog.h"

#include "cache_dialog/CacheDialogTemplate.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "ui/ColourScheme.h"
#include "ui/TooltipControl.h"

#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Failures show texts rather than bytes.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace dk3::test {
namespace {

namespace fs = std::filesystem;
using cache::CacheColumn;
using cache::CacheSettingsDialog;
using cache::columnControls;

// The 29 keys in the order a save writes them, with the built-in defaults.
const std::array<std::array<const char*, 3>, 29> kDefaultsInWriteOrder = {{
    {"Engine.Setup", "Cache.SizeImage", "128000000"},
    {"Engine.Setup", "Cache.SizeMaterial", "40000000"},
    {"Engine.Setup", "Cache.SizeMesh", "70000000"},
    {"Engine.Setup", "Cache.SizeSound", "80000000"},
    {"Engine.Setup", "Cache.SizeCollisionMesh", "40000000"},
    {"Engine.Setup", "Cache.SizeAnimation", "40000000"},
    {"Engine.Setup", "Cache.SizeSpeedTree", "10000000"},
    {"Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Low", "32000000"},
    {"Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Low", "18000"},
    {"Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Low", "30000000"},
    {"Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Low", "10000000"},
    {"Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Low", "13000000"},
    {"Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Low", "25000000"},
    {"Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Low", "500000"},
    {"Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_Medium", "70000000"},
    {"Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_Medium", "20000"},
    {"Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_Medium", "40000000"},
    {"Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_Medium", "15000000"},
    {"Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_Medium", "16000000"},
    {"Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_Medium", "30000000"},
    {"Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_Medium", "750000"},
    {"Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_High", "96000000"},
    {"Option.Sliders", "ResourceCache.u32MaterialMaxMemUsage_High", "21000"},
    {"Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_High", "96000000"},
    {"Option.Sliders", "ResourceCache.u32SoundMaxMemUsage_High", "20000000"},
    {"Option.Sliders", "ResourceCache.u32CollisionMeshMaxMemUsage_High", "18000000"},
    {"Option.Sliders", "ResourceCache.u32AnimationMaxMemUsage_High", "40000000"},
    {"Option.Sliders", "ResourceCache.u32SpeedTreeMaxMemUsage_High", "1000000"},
    {"Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh", "350000000"},
}};

// Value fields and their megabyte labels by column (general, low, medium, high).
constexpr int kTotals[] = {1076, 1090, 1106, 1122};
constexpr int kTotalMegabytes[] = {1082, 1098, 1114, 1130};
constexpr int kFinalCaches[] = {1136, 1138, 1140};
constexpr int kFinalCacheMegabytes[] = {1137, 1139, 1141};

QString q(const char* text) {
    return QString::fromUtf8(text);
}

struct CacheDialog : ::testing::Test {
    TempDir dir;
    fs::path engine = dir / "Ini/dk3e.ini";
    app::TranslationCatalogue catalogue{DK3_SOURCE_DIR "/resources/vorlix_translation.ini"};
    ScriptedPrompter prompter;

    CacheDialog() { fs::create_directories(engine.parent_path()); }

    void useDemoFile() { fs::copy_file(DK3_DEMO_DIR "/game/Ini/dk3e.ini", engine); }

    std::unique_ptr<CacheSettingsDialog> open(const std::string& language = "english") {
        auto dialog = std::make_unique<CacheSettingsDialog>(engine, language, catalogue, prompter);
        dialog->show();
        return dialog;
    }

    static QLineEdit* edit(const QWidget& dialog, int id) {
        auto* field = ui::controlAs<QLineEdit>(dialog, id);
        EXPECT_NE(field, nullptr) << id;
        return field;
    }
    static QString text(const QWidget& dialog, int id) {
        const QWidget* control = ui::controlById(dialog, id);
        if (const auto* field = qobject_cast<const QLineEdit*>(control))
            return field->text();
        if (const auto* label = qobject_cast<const QLabel*>(control))
            return label->text();
        if (const auto* button = qobject_cast<const QPushButton*>(control))
            return button->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(control))
            return group->title();
        ADD_FAILURE() << "no text control " << id;
        return {};
    }
    static void click(const QWidget& dialog, int id) {
        ui::controlAs<QPushButton>(dialog, id)->click();
    }
    // Every text the dialog shows, by control ID.
    static std::map<int, QString> allTexts(const QWidget& dialog) {
        std::map<int, QString> texts;
        for (const auto& control : cache::cacheDialogTemplate().controls)
            if (control.id != -1)
                texts[control.id] = text(dialog, control.id);
        return texts;
    }
    static QString tipOf(const CacheSettingsDialog& dialog, int id) {
        QWidget* control = ui::controlById(dialog, id);
        dialog.tooltipControl()->hideTip();
        const QPoint at = control->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &event);
        return dialog.tooltipControl()->visibleTipText();
    }
    // Types at the start of a field and checks that the caret stays where the typing left it.
    static void typeAtStart(QLineEdit* field, const QString& keys) {
        field->setFocus();
        field->setCursorPosition(0);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QTest::keyClick(field, keys[i].toLatin1());
            EXPECT_EQ(field->cursorPosition(), i + 1);
        }
    }
    std::string stored(const char* section, const char* key) const {
        return profile::readText(engine, section, key, "<missing>");
    }
};

TEST_F(CacheDialog, RestoredDefaultsShowTheKnownFiguresAndWriteNothing) {
    useDemoFile();
    const auto before = readFile(engine);
    auto dialog = open();
    EXPECT_TRUE(dialog->windowTitle().isEmpty());
    ASSERT_NE(dialog->windowHandle(), nullptr);
    EXPECT_EQ(dialog->windowHandle()->title(), q(" ")); // a blank, not the program's name
    QTest::keyClicks(edit(*dialog, 1132), q("5"));      // a percentage survives the restore
    prompter.answerYes();
    click(*dialog, cache::id::kRestoreDefaults);

    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Shown::Kind::Question);
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    EXPECT_EQ(prompter.shown()[0].text, q("Do you really want to restore the settings?"));

    const char* totals[] = {"408000000", "110518000", "171770000", "271021000"};
    const char* totalMegabytes[] = {"389.10 MB", "105.40 MB", "163.81 MB", "258.47 MB"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(text(*dialog, kTotals[c]), q(totals[c]));
        EXPECT_EQ(text(*dialog, kTotalMegabytes[c]), q(totalMegabytes[c]));
    }
    const char* finals[] = {"460518000", "521770000", "621021000"};
    const char* finalMegabytes[] = {"439.18 MB", "497.60 MB", "592.25 MB"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(text(*dialog, kFinalCaches[c]), q(finals[c]));
        EXPECT_EQ(text(*dialog, kFinalCacheMegabytes[c]), q(finalMegabytes[c]));
    }
    EXPECT_EQ(text(*dialog, cache::id::kTextureHigh), q("350000000"));
    EXPECT_EQ(text(*dialog, cache::id::kTextureHighMegabytes), q("333.79 MB"));
    EXPECT_EQ(text(*dialog, 1086), q("18000"));
    EXPECT_EQ(text(*dialog, 1078), q("38.15 MB")); // general material, 40000000
    EXPECT_EQ(text(*dialog, 1132), q("05"));
    EXPECT_EQ(text(*dialog, 1131), q("0"));
    EXPECT_EQ(readFile(engine), before);

    // The restored figures are not saved: closing asks, and Discard writes nothing.
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    prompter.answerDiscard();
    click(*dialog, cache::id::kClose);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), QDialog::Accepted);
    EXPECT_EQ(prompter.saveQuestions(), 1);
    EXPECT_EQ(readFile(engine), before);
}

TEST_F(CacheDialog, FileWithoutTheKeysOpensWithZerosAndSaveWritesTheDefaultsInOrder) {
    writeFile(engine, "[Engine.Setup]\r\nOther=1\r\n");
    auto dialog = open();
    for (const CacheColumn column : cache::kAllColumns) {
        const auto& ids = columnControls(column);
        for (std::size_t row = 0; row < cache::kCategoryCount; ++row) {
            EXPECT_EQ(text(*dialog, ids.values[row]), q("0")) << ids.values[row];
            EXPECT_EQ(text(*dialog, ids.megabytes[row]), q("0.00 MB")) << ids.megabytes[row];
        }
        EXPECT_EQ(text(*dialog, ids.total), q("0"));
        EXPECT_EQ(text(*dialog, ids.totalMegabytes), q("0.00 MB"));
        EXPECT_EQ(text(*dialog, ids.percentage), q("0"));
        if (cache::hasFinalCache(column)) {
            EXPECT_EQ(text(*dialog, ids.finalCache), q("0"));
            EXPECT_EQ(text(*dialog, ids.finalCacheMegabytes), q("0.00 MB"));
        }
    }
    EXPECT_EQ(text(*dialog, cache::id::kTextureHigh), q("0"));
    EXPECT_EQ(text(*dialog, cache::id::kTextureHighMegabytes), q("0.00 MB"));
    EXPECT_TRUE(prompter.shown().empty());

    prompter.answerYes();
    click(*dialog, cache::id::kRestoreDefaults);
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    click(*dialog, cache::id::kSave);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), QDialog::Accepted);
    EXPECT_EQ(prompter.shown().size(), 1u); // the question only: a save confirms nothing

    // New keys are appended to their section, so the file shows the order of the writes.
    std::string expected = "[Engine.Setup]\r\nOther=1\r\n";
    for (const auto& [section, key, value] : kDefaultsInWriteOrder) {
        if (std::string(section) == "Option.Sliders" &&
            expected.find("[Option.Sliders]") == std::string::npos)
            expected += "[Option.Sliders]\r\n";
        expected += std::string(key) + "=" + value + "\r\n";
    }
    EXPECT_EQ(readFile(engine), expected);

    // The next opening reads what was saved, with the percentages back at 0.
    auto reopened = open();
    EXPECT_EQ(text(*reopened, 1086), q("18000"));
    EXPECT_EQ(text(*reopened, 1122), q("271021000"));
    EXPECT_EQ(text(*reopened, 1132), q("0"));
}

TEST_F(CacheDialog, TypingRecomputesItsColumnAtEveryKeystrokeAndKeepsTheCaret) {
    useDemoFile();
    auto dialog = open();
    const auto before = allTexts(*dialog);

    // Low material 18000 -> 118000 -> 1218000.
    QLineEdit* material = edit(*dialog, 1086);
    typeAtStart(material, q("1"));
    EXPECT_EQ(material->text(), q("118000"));
    EXPECT_EQ(text(*dialog, 1094), q("0.11 MB"));
    EXPECT_EQ(text(*dialog, 1090), q("109618000")); // 109518000 + 100000
    EXPECT_EQ(text(*dialog, 1136), q("409618000"));
    typeAtStart(material, q("12"));
    EXPECT_EQ(material->text(), q("12118000"));
    EXPECT_EQ(text(*dialog, 1094), q("11.56 MB"));
    EXPECT_EQ(text(*dialog, 1098), q("115.98 MB"));
    EXPECT_EQ(text(*dialog, 1137), q("402.09 MB"));

    // Emptied, the field counts 0.
    material->selectAll();
    QTest::keyClick(material, Qt::Key_Backspace);
    EXPECT_EQ(material->text(), QString());
    EXPECT_EQ(text(*dialog, 1094), q("0.00 MB"));
    EXPECT_EQ(text(*dialog, 1090), q("109500000"));

    // Only the low column moved.
    for (const int id : {1067, 1076, 1082, 1106, 1138, 1122, 1140, 1135, 1142})
        EXPECT_EQ(text(*dialog, id), before.at(id)) << id;

    // The high-texture budget changes the three final caches, never the general column.
    const auto beforeTexture = allTexts(*dialog);
    QLineEdit* texture = edit(*dialog, cache::id::kTextureHigh);
    typeAtStart(texture, q("1"));
    EXPECT_EQ(texture->text(), q("1300000000"));
    EXPECT_EQ(text(*dialog, cache::id::kTextureHighMegabytes), q("1239.78 MB"));
    EXPECT_EQ(text(*dialog, 1136), q("1409500000"));
    EXPECT_EQ(text(*dialog, 1138), q("1465770000"));
    EXPECT_EQ(text(*dialog, 1140), q("1603021000"));
    for (const int id : {1067, 1068, 1076, 1082, 1090, 1106, 1122})
        EXPECT_EQ(text(*dialog, id), beforeTexture.at(id)) << id;
}

TEST_F(CacheDialog, PlusAndMinusScaleOneColumnByItsPercentage) {
    useDemoFile();
    auto dialog = open();
    const auto before = allTexts(*dialog);
    // With the percentage at 0 nothing moves.
    click(*dialog, 1013);
    EXPECT_EQ(allTexts(*dialog), before);

    edit(*dialog, 1067)->setText(q("128000000"));
    edit(*dialog, 1131)->clear();
    QTest::keyClicks(edit(*dialog, 1131), q("10"));
    click(*dialog, 1013);
    EXPECT_EQ(text(*dialog, 1067), q("140800000"));
    EXPECT_EQ(text(*dialog, 1070), q("77000000"));
    EXPECT_EQ(text(*dialog, 1068), q("134.28 MB"));
    click(*dialog, 1014);
    EXPECT_EQ(text(*dialog, 1067), q("126720000"));
    EXPECT_EQ(text(*dialog, 1070), q("69300000"));
    EXPECT_EQ(text(*dialog, 1131), q("10"));
    EXPECT_EQ(text(*dialog, 1076), q("380160000")); // each row x 1.1, truncated, x 0.9
    for (const int id : {1083, 1090, 1136, 1099, 1115, 1135})
        EXPECT_EQ(text(*dialog, id), before.at(id)) << id;

    // A decrease by more than 100 % leaves the digits-only fields with negative numbers.
    QLineEdit* highPercentage = edit(*dialog, 1134);
    highPercentage->clear();
    QTest::keyClicks(highPercentage, q("200"));
    click(*dialog, 1020);
    EXPECT_EQ(text(*dialog, 1115), q("-128000000"));
    EXPECT_EQ(text(*dialog, 1123), q("-122.07 MB"));
}

TEST_F(CacheDialog, SaveWritesEachFieldAsTyped) {
    useDemoFile();
    auto dialog = open();
    QLineEdit* image = edit(*dialog, 1067);
    image->selectAll();
    QTest::keyClicks(image, q("007"));
    QLineEdit* mesh = edit(*dialog, 1116);
    mesh->selectAll();
    QTest::keyClick(mesh, Qt::Key_Backspace);
    EXPECT_EQ(text(*dialog, 1068), q("0.00 MB"));
    ASSERT_TRUE(dialog->save());

    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeImage"), "007");
    EXPECT_EQ(stored("Option.Sliders", "ResourceCache.u32MeshMaxMemUsage_High"), "");
    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeSound"), "64000000");
}

TEST_F(CacheDialog, ClosingOverAnEditedBudgetAsksAndOnlySaveWrites) {
    useDemoFile();
    const auto file = readFile(engine);
    auto dialog = open();
    dialog->show();
    // A percentage alone is no setting: closing asks nothing.
    QTest::keyClicks(edit(*dialog, 1133), q("3"));
    EXPECT_FALSE(dialog->hasUnsavedChanges());
    typeAtStart(edit(*dialog, 1099), q("9"));
    ASSERT_TRUE(dialog->hasUnsavedChanges());

    // Keep editing: the dialog stays, with the edit.
    prompter.answerKeepEditing();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    prompter.answerKeepEditing();
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    prompter.answerKeepEditing();
    click(*dialog, cache::id::kClose);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(readFile(engine), file);
    EXPECT_EQ(prompter.saveQuestions(), 3);
    EXPECT_EQ(prompter.shown().back().text,
              q("The changes have not been saved yet. Do you want to save them?"));

    // Save writes the edit and ends the dialog.
    prompter.answerSave();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_NE(readFile(engine), file);
    EXPECT_EQ(prompter.unusedAnswers(), 0u);
}

TEST_F(CacheDialog, NoToTheRestoreQuestionAndClosingChangeNothing) {
    useDemoFile();
    const auto file = readFile(engine);
    auto dialog = open();
    typeAtStart(edit(*dialog, 1099), q("9"));
    const auto shown = allTexts(*dialog);
    prompter.answerNo();
    click(*dialog, cache::id::kRestoreDefaults);
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(allTexts(*dialog), shown);

    // Escape ends without taking the fields (the percentage has no handler of its own) ...
    QTest::keyClicks(edit(*dialog, 1133), q("3"));
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    prompter.answerDiscard(); // the budget typed at the start
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), QDialog::Rejected);
    EXPECT_EQ(dialog->budgets().percentageText(CacheColumn::Medium), "0");
    EXPECT_EQ(readFile(engine), file);

    // ... the close button takes them, and writes nothing either.
    auto closed = open();
    edit(*closed, 1133)->clear();
    QTest::keyClicks(edit(*closed, 1133), q("3"));
    typeAtStart(edit(*closed, 1099), q("9"));
    prompter.answerDiscard();
    click(*closed, cache::id::kClose);
    EXPECT_EQ(closed->result(), QDialog::Accepted);
    EXPECT_EQ(closed->budgets().percentageText(CacheColumn::Medium), "3");
    EXPECT_EQ(readFile(engine), file);
}

TEST_F(CacheDialog, CaptionsTooltipsAndColoursOfTheLanguage) {
    useDemoFile();
    auto dialog = open();
    EXPECT_EQ(text(*dialog, 1153), q("resource Cache - high"));
    EXPECT_EQ(text(*dialog, 1193), q("final cache:"));
    EXPECT_TRUE(ui::controlAs<QPushButton>(*dialog, 1194)->isDefault());

    EXPECT_EQ(tipOf(*dialog, 1086), q("default:18000"));
    EXPECT_EQ(tipOf(*dialog, 1135), q("default:350000000"));
    EXPECT_EQ(tipOf(*dialog, 1015), q("increase cache"));
    EXPECT_EQ(tipOf(*dialog, 1140), q("total + high texture cache"));
    for (const int id : {1076, 1082, 1131, 1154, 1024, 1012, 1194})
        EXPECT_EQ(tipOf(*dialog, id), QString()) << id;

    const QPalette palette = dialog->palette();
    EXPECT_EQ(palette.color(QPalette::Window), ui::kChildDialogBackground);
    EXPECT_EQ(palette.color(QPalette::WindowText), ui::kChildDialogText);
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(dialog->windowType(), Qt::Tool);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), QString());

    auto german = open("deutsch");
    EXPECT_EQ(text(*german, 1194), q("schließen"));
    EXPECT_EQ(tipOf(*german, 1116), q("Standard:96000000"));
    EXPECT_EQ(tipOf(*german, 1013), q("Cachewerte um den eingegebenen Prozentsatz erhöhen"));
}

TEST_F(CacheDialog, LineBreaksOnlyInTipsAndTextsCutAtTheBuffer) {
    useDemoFile();
    const std::string longCaption(300, 'x');
    catalogue.setFile(dir.write("translation.ini", "[english]\r\n"
                                                   "TEXT_CACHEIMAGE=image|shown\r\n"
                                                   "TEXT_TOTAL=" +
                                                       longCaption +
                                                       "\r\n"
                                                       "TOOLTIP_CACHEMESH=objects|default:\r\n"
                                                       "TOOLTIP_FINALCACHE=sum|of two\r\n"
                                                       "MESSAGE_RESTORESETTINGS=sure|really?\r\n"));
    auto dialog = open();
    EXPECT_EQ(text(*dialog, 1165), q("image|shown"));
    EXPECT_EQ(text(*dialog, 1161), QString::fromStdString(longCaption.substr(0, 255)));
    EXPECT_EQ(tipOf(*dialog, 1100), q("objects\ndefault:40000000"));
    EXPECT_EQ(tipOf(*dialog, 1136), q("sum\nof two"));
    EXPECT_EQ(tipOf(*dialog, 1083), q("32000000")); // a missing text leaves the default alone
    EXPECT_EQ(text(*dialog, 1149), QString());
    prompter.answerNo();
    click(*dialog, cache::id::kRestoreDefaults);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(prompter.messageTexts()[0], q("sure|really?"));
}

TEST_F(CacheDialog, NumbersBeyond32BitsAreKeptAsStored) {
    writeFile(engine, "[Engine.Setup]\r\n"
                      "Cache.SizeImage=3000000000\r\n"
                      "Cache.SizeMesh=-3000000000\r\n"
                      "Cache.SizeSound=4294967297abc\r\n"
                      "Cache.SizeMaterial=0x10\r\n"
                      "Cache.SizeCollisionMesh=+0002147483647\r\n"
                      "Cache.SizeAnimation=-2147483648\r\n"
                      "Cache.SizeSpeedTree=123456789012345678901234567890123\r\n"
                      "[Option.Sliders]\r\n"
                      "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh=2147483648\r\n");
    auto dialog = open();
    EXPECT_EQ(text(*dialog, 1067), q("3000000000"));
    EXPECT_EQ(text(*dialog, 1068), q("2048.00 MB")); // counted as the largest 32-bit budget
    EXPECT_EQ(text(*dialog, 1070), q("-3000000000"));
    EXPECT_EQ(text(*dialog, 1071), q("1")); // not a whole number: the integer reading, wrapped
    EXPECT_EQ(text(*dialog, 1072), q("16"));
    EXPECT_EQ(text(*dialog, 1073), q("2147483647")); // fits: shown as read
    EXPECT_EQ(text(*dialog, 1074), q("-2147483648"));
    EXPECT_EQ(text(*dialog, 1075), q("123456789012345678901234567890123"));
    EXPECT_EQ(text(*dialog, cache::id::kTextureHigh), q("2147483648"));

    ASSERT_TRUE(dialog->save());
    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeImage"), "3000000000");
    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeMesh"), "-3000000000");
    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeSound"), "1");
    EXPECT_EQ(stored("Engine.Setup", "Cache.SizeSpeedTree"), "123456789012345678901234567890123");
    EXPECT_EQ(stored("Option.Sliders", "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh"),
              "2147483648");
}

struct CacheDialogWriteFailure : CacheDialog {
    // Saves after an edit; the dialog must stay open with the edit and name the file.
    void expectRefusedSave(CacheSettingsDialog& dialog) {
        QLineEdit* field = edit(dialog, 1117);
        typeAtStart(field, q("4"));
        const QString typed = field->text();
        QSignalSpy finished(&dialog, &QDialog::finished);
        EXPECT_FALSE(dialog.save());
        click(dialog, cache::id::kSave);
        EXPECT_TRUE(finished.isEmpty());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(field->text(), typed);
        ASSERT_EQ(prompter.shown().size(), 2u);
        for (const auto& message : prompter.shown()) {
            EXPECT_EQ(message.kind, ScriptedPrompter::Shown::Kind::Message);
            EXPECT_EQ(message.icon, ui::MessageIcon::Error);
            EXPECT_TRUE(message.text.contains(platform::pathToQString(engine)))
                << message.text.toStdString();
        }
    }
};

TEST_F(CacheDialogWriteFailure, DirectoryInPlaceOfTheFile) {
    fs::create_directories(engine);
    auto dialog = open("deutsch");
    expectRefusedSave(*dialog);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(
        q("Die Cache-Einstellungen konnten nicht gespeichert werden.")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(prompter.shown()[0].text.endsWith(q(":\nan Stelle der Datei steht ein Ordner")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(fs::is_directory(engine));
    EXPECT_TRUE(fs::is_empty(engine));
}

TEST_F(CacheDialogWriteFailure, ReadOnlyFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    useDemoFile();
    const auto before = readFile(engine);
    ::chmod(engine.c_str(), 0444);
    auto dialog = open();
    expectRefusedSave(*dialog);
    EXPECT_TRUE(prompter.shown()[0].text.contains(q("permission denied")));
    EXPECT_EQ(readFile(engine), before);
}

} // namespace
} // namespace dk3::test
