#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"
#include "ui/ComboHelpers.h"

#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace id = main_dialog::id;
using Kind = ScriptedPrompter::Shown::Kind;

const fs::path kDemoUserOptions = fs::path(DK3_DEMO_DIR) / "documents/draskel3/UserOptions.ini";
const fs::path kDemoEngineIni = fs::path(DK3_DEMO_DIR) / "game/Ini/dk3e.ini";

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

struct SettingsSave : MainDialogFixture {
    std::string user(std::string_view section, std::string_view key) const {
        return storedValue(userOptions(), section, key);
    }
    std::string custom(std::string_view key) const { return user("Options.Custom", key); }
    std::string engine(std::string_view key) const {
        return storedValue(engineIni(), "Engine.Setup", key);
    }
    void clickSave(const QWidget& dialog) { control<QPushButton>(dialog, id::kSave)->click(); }
};

TEST_F(SettingsSave, LoadThenSaveKeepsBothFilesByteForByteApartFromTheGamesOwnForms) {
    auto dialog = startDialog("english");
    clickSave(*dialog);
    EXPECT_EQ(readFile(userOptions()), readFile(kDemoUserOptions));
    EXPECT_EQ(readFile(engineIni()), readFile(kDemoEngineIni));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Settings saved!"));
    EXPECT_EQ(prompter.shown()[0].caption, QString());
    EXPECT_EQ(prompter.shown()[0].kind, Kind::Message);

    // Forms other tools leave, and distances with a fraction or without the decimal place.
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Details", "Performance", "med"));
    ASSERT_FALSE(profile::writeText(userOptions(), "Options.Custom", "ShaderQuality", "2.0"));
    ASSERT_FALSE(
        profile::writeText(engineIni(), "Engine.Setup", "VegetationAdmin.ViewRange", "3500.7"));
    ASSERT_FALSE(profile::writeText(engineIni(), "Engine.Setup",
                                    "AnimationBlending.PhysicControllerDistance", "1000"));
    const std::string userBefore = *readFile(userOptions());
    const std::string engineBefore = *readFile(engineIni());
    dialog->loadSettings();
    EXPECT_EQ(combo(*dialog, id::kPreset)->currentText(), QStringLiteral("medium"));
    clickSave(*dialog);

    EXPECT_EQ(readFile(userOptions()),
              replaced(replaced(userBefore, "Performance=med\r\n", "Performance=medium\r\n"),
                       "ShaderQuality=2.0\r\n", "ShaderQuality=2_0\r\n"));
    EXPECT_EQ(readFile(engineIni()),
              replaced(replaced(engineBefore, "ViewRange=3500.7\r\n", "ViewRange=3500.0\r\n"),
                       "PhysicControllerDistance=1000\r\n", "PhysicControllerDistance=1000.0\r\n"));
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({QStringLiteral("Settings saved!"), QStringLiteral("Settings saved!")}));
}

TEST_F(SettingsSave, WritesWhatTheListsShowInTheGamesForms) {
    auto dialog = startDialog("deutsch");
    QComboBox* resolution = combo(*dialog, id::kResolution);
    ASSERT_GE(ui::selectByPrefix(resolution, QStringLiteral("1280x1024@75Hz")), 0);
    combo(*dialog, id::kPreset)->setCurrentIndex(1);            // "mittel"
    combo(*dialog, id::kDistanceHigh)->setCurrentIndex(2);      // "hoch"
    combo(*dialog, id::kDistanceLow)->setCurrentIndex(-1);      // nothing selected
    combo(*dialog, id::kShaderQuality)->setCurrentIndex(2);     // "3.0"
    combo(*dialog, id::kVegetationQuality)->setCurrentIndex(0); // disabled
    combo(*dialog, id::kVegetationDetails)->setCurrentIndex(1); // "mittel"
    combo(*dialog, id::kImageQuality)->setCurrentIndex(2);      // "sehr hoch"
    combo(*dialog, id::kAnimationQuality)->setCurrentIndex(1);  // "hoch"
    combo(*dialog, id::kTextureFilter)->setCurrentIndex(-1);
    edit(*dialog, id::kVegetationViewRange)->setText(QStringLiteral("3500"));
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("999"));
    dialog->saveSettings();

    EXPECT_EQ(user("Options.Video", "Resolution.Width"), "1280");
    EXPECT_EQ(user("Options.Video", "Resolution.Height"), "1024");
    EXPECT_EQ(user("Options.Video", "Resolution.RefreshRate"), "75");
    EXPECT_EQ(user("Options.Details", "Performance"), "medium");
    EXPECT_EQ(custom("DistanceHigh"), "3");
    EXPECT_EQ(custom("DistanceLow"), "-1");
    EXPECT_EQ(custom("ShaderQuality"), "3_0");
    EXPECT_EQ(custom("TextureFilter"), "-1");
    EXPECT_EQ(custom("VegetationQuality"), "0");
    EXPECT_EQ(engine("Render.EnableVegetationRendering"), "false");
    EXPECT_EQ(engine("VegetationAdmin.Quality"), "med");
    EXPECT_EQ(engine("Render.ImageLoDQuality"), "ultrahigh");
    EXPECT_EQ(engine("Render.AnimationLoDQuality"), "high");
    EXPECT_EQ(engine("VegetationAdmin.ViewRange"), "3500.0");
    EXPECT_EQ(engine("Animation.MaxRagDolls"), "999");
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Einstellungen gespeichert!")});

    // Any other density, and none at all, keeps the vegetation on.
    for (const int density : {1, 3, -1}) {
        combo(*dialog, id::kVegetationQuality)->setCurrentIndex(density);
        dialog->saveSettings();
        EXPECT_EQ(engine("Render.EnableVegetationRendering"), "true") << density;
        EXPECT_EQ(custom("VegetationQuality"), std::to_string(density));
    }

    // Without a selected resolution none is written: no mode the player never saw, and no key
    // at all where there was none.
    writeFile(userOptions(), "[Options.Details]\r\nPerformance=low\r\n");
    resolution->setCurrentIndex(-1);
    EXPECT_TRUE(dialog->saveSettings());
    EXPECT_EQ(resolution->currentIndex(), -1);
    EXPECT_EQ(readFile(userOptions())->find("Options.Video"), std::string::npos);
    EXPECT_EQ(custom("VegetationQuality"), "-1") << "the rest is written as before";
}

TEST_F(SettingsSave, FieldThatHoldsNoNumberIsSavedWithItsPreviousValueAsAreTheFieldsAfterIt) {
    auto dialog = startDialog("english");
    edit(*dialog, id::kVegetationViewRange)->setText(QStringLiteral("4000"));
    edit(*dialog, id::kPhysicsViewRange)->setText(QStringLiteral("12x"));
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("7"));
    edit(*dialog, id::kRoiViewRange)->setText(QStringLiteral("5"));
    dialog->saveSettings();

    EXPECT_EQ(prompter.messageTexts(), QStringList({QStringLiteral("Please enter a number."),
                                                    QStringLiteral("Settings saved!")}));
    EXPECT_EQ(engine("VegetationAdmin.ViewRange"), "4000.0");
    EXPECT_EQ(engine("AnimationBlending.PhysicControllerDistance"), "1000.0");
    EXPECT_EQ(engine("Animation.MaxRagDolls"), "20");
    EXPECT_EQ(engine("Entity.ROI"), "3000.0");
    EXPECT_EQ(edit(*dialog, id::kPhysicsViewRange)->text(), QStringLiteral("12x"));
}

TEST_F(SettingsSave, ReadOnlyUserOptionsAreReportedAndTheEngineFileIsStillWritten) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    auto dialog = startDialog("english");
    const std::string userBefore = *readFile(userOptions());
    ASSERT_EQ(::chmod(userOptions().c_str(), 0444), 0);
    combo(*dialog, id::kShadowQuality)->setCurrentIndex(3);
    combo(*dialog, id::kTreeShadows)->setCurrentIndex(0);
    dialog->saveSettings();
    ::chmod(userOptions().c_str(), 0644);

    EXPECT_EQ(readFile(userOptions()), userBefore);
    EXPECT_EQ(engine("Shader.EnableTreeShadows"), "false");
    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto& shown = prompter.shown()[0];
    EXPECT_EQ(shown.icon, ui::MessageIcon::Error);
    EXPECT_TRUE(shown.text.contains(platform::pathToQString(userOptions())))
        << shown.text.toStdString();
    EXPECT_FALSE(shown.text.contains(platform::pathToQString(engineIni())))
        << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(QStringLiteral("permission denied")))
        << shown.text.toStdString();
    EXPECT_FALSE(shown.text.contains(QStringLiteral("Settings saved!")));
}

TEST_F(SettingsSave, FilesThatCannotBeWrittenAreEachNamedOnceAndNothingIsConfirmed) {
    // A folder standing where a file should be defeats every write, root's included.
    fs::remove(userOptions());
    fs::create_directory(userOptions());
    auto dialog = startDialog("italiano");
    dialog->saveSettings();
    ASSERT_EQ(prompter.shown().size(), 1u);
    QString text = prompter.shown()[0].text;
    EXPECT_EQ(text.count(platform::pathToQString(userOptions())), 1) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Impostazioni salvate!")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Alcune impostazioni"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("(al posto del file c'è una cartella)")))
        << text.toStdString();
    EXPECT_EQ(engine("Shader.EnableTreeShadows"), "true") << "the engine file is intact";

    // Both files unwritable: both named, in the order they failed.
    combo(*dialog, id::kTreeShadows)->setCurrentIndex(0);
    const fs::path engineBackup = dir / "dk3e.ini";
    fs::rename(engineIni(), engineBackup);
    fs::create_directory(engineIni());
    prompter.clear();
    dialog->saveSettings();
    ASSERT_EQ(prompter.shown().size(), 1u);
    text = prompter.shown()[0].text;
    const auto userAt = text.indexOf(platform::pathToQString(userOptions()));
    const auto engineAt = text.indexOf(platform::pathToQString(engineIni()));
    EXPECT_GE(userAt, 0) << text.toStdString();
    EXPECT_GT(engineAt, userAt) << text.toStdString();
}

} // namespace
} // namespace dk3::test
