#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"

#include <QLabel>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace id = main_dialog::id;

struct SettingsLoad : MainDialogFixture {
    void setUser(std::string_view section, std::string_view key, std::string_view value) {
        ASSERT_FALSE(profile::writeText(userOptions(), section, key, value));
    }
    void setEngine(std::string_view key, std::string_view value) {
        ASSERT_FALSE(profile::writeText(engineIni(), "Engine.Setup", key, value));
    }
    static QString shown(const QWidget& dialog, int id) { return combo(dialog, id)->currentText(); }
};

TEST_F(SettingsLoad, EmptyOrMissingFilesShowTheDefaultOfEverySetting) {
    for (const bool missing : {false, true}) {
        SCOPED_TRACE(missing ? "missing files" : "empty files");
        if (missing) {
            fs::remove(userOptions());
            fs::remove(engineIni());
        } else {
            writeFile(userOptions(), "");
            writeFile(engineIni(), "");
        }
        auto dialog = startDialog("english");
        EXPECT_EQ(shown(*dialog, id::kPreset), QStringLiteral("low"));
        for (const int level : {id::kDistanceHigh, id::kDistanceLow, id::kResourceCache,
                                id::kObjectDetails, id::kTextureQuality, id::kVegetationQuality,
                                id::kShadowQuality, id::kVegetationDetails})
            EXPECT_EQ(shown(*dialog, level), QStringLiteral("low")) << level;
        EXPECT_EQ(shown(*dialog, id::kShaderQuality), QStringLiteral("1.4"));
        EXPECT_EQ(shown(*dialog, id::kTextureFilter), QStringLiteral("anisotropic"));
        EXPECT_EQ(shown(*dialog, id::kPostProcessing), QStringLiteral("disabled"));
        for (const int onOff :
             {id::kTreeShadows, id::kStaticShadows, id::kDetailedShadows, id::kLowPolygons})
            EXPECT_EQ(shown(*dialog, onOff), QStringLiteral("disabled")) << onOff;
        for (const int detail : {id::kMeshQuality, id::kAnimationQuality, id::kImageQuality})
            EXPECT_EQ(shown(*dialog, detail), QStringLiteral("normal")) << detail;
        for (const int field :
             {id::kVegetationViewRange, id::kPhysicsViewRange, id::kMaxRagdolls, id::kRoiViewRange})
            EXPECT_EQ(edit(*dialog, field)->text(), QStringLiteral("0")) << field;
        // No stored resolution: the recommended one, which the list has.
        EXPECT_EQ(shown(*dialog, id::kResolution), QStringLiteral("1024x768@60Hz"));
        EXPECT_EQ(control<QLabel>(*dialog, id::kAspectRatio)->text(), QStringLiteral("4:3"));
        if (missing) {
            EXPECT_FALSE(fs::exists(userOptions())) << "loading never writes";
        }
    }
}

TEST_F(SettingsLoad, StoredWordsInEveryFormTheGameAndOlderToolsLeave) {
    auto dialog = startDialog("english");
    const auto reload = [&] {
        dialog->loadSettings();
    };

    for (const char* medium : {"medium", "med", "MEDIUM", "Med"}) {
        setUser("Options.Details", "Performance", medium);
        reload();
        EXPECT_EQ(shown(*dialog, id::kPreset), QStringLiteral("medium")) << medium;
    }
    // Mixed letter case counts; a word the list does not know is its first item.
    setEngine("Render.MeshLoDQuality", "HiGh");
    setEngine("Render.AnimationLoDQuality", "ULTRAHIGH");
    setEngine("Render.ImageLoDQuality", "ultra");
    setEngine("Shader.EnableTreeShadows", "TRUE");
    setEngine("VegetationAdmin.Quality", "medium"); // "med" is this key's word
    reload();
    EXPECT_EQ(shown(*dialog, id::kMeshQuality), QStringLiteral("high"));
    EXPECT_EQ(shown(*dialog, id::kAnimationQuality), QStringLiteral("ultra high"));
    EXPECT_EQ(shown(*dialog, id::kImageQuality), QStringLiteral("normal"));
    EXPECT_EQ(shown(*dialog, id::kTreeShadows), QStringLiteral("enabled"));
    EXPECT_EQ(shown(*dialog, id::kVegetationDetails), QStringLiteral("low"));

    // The shader version in either form; a value too short to be one changes nothing.
    for (const auto& [stored, expected] :
         {std::pair{"3_0", "3.0"}, {"2.0", "2.0"}, {"3", "2.0"}, {"", "2.0"}, {"1_4", "1.4"}}) {
        setUser("Options.Custom", "ShaderQuality", stored);
        reload();
        EXPECT_EQ(shown(*dialog, id::kShaderQuality), QString::fromLatin1(expected)) << stored;
    }
}

TEST_F(SettingsLoad, LevelsAndIndexesOutsideTheirListsKeepOrClearTheSelection) {
    auto dialog = startDialog("english");
    EXPECT_EQ(shown(*dialog, id::kDistanceHigh), QStringLiteral("medium"));

    setUser("Options.Custom", "DistanceHigh", "0"); // no "disabled" in this list
    setUser("Options.Custom", "DistanceLow", "0");
    setUser("Options.Custom", "TextureFilter", "7");
    setUser("Options.Custom", "PostProcessing", "2");
    dialog->loadSettings();
    EXPECT_EQ(shown(*dialog, id::kDistanceHigh), QStringLiteral("medium")) << "kept";
    EXPECT_EQ(shown(*dialog, id::kDistanceLow), QStringLiteral("disabled"));
    EXPECT_EQ(combo(*dialog, id::kTextureFilter)->currentIndex(), -1) << "cleared";
    EXPECT_EQ(shown(*dialog, id::kPostProcessing), QStringLiteral("horizontal blur"));

    // After a text reload the lists start without a selection, and a level 0 finds nothing.
    dialog->onLanguageChanged();
    EXPECT_EQ(combo(*dialog, id::kDistanceHigh)->currentIndex(), -1);
}

TEST_F(SettingsLoad, DistancesShowTheirWholePartAndLoadingTwiceChangesNothing) {
    setEngine("VegetationAdmin.ViewRange", "3500.7");
    setEngine("AnimationBlending.PhysicControllerDistance", "-300.0");
    setEngine("Animation.MaxRagDolls", "12 ; a comment is part of the value");
    setEngine("Entity.ROI", "abc");
    const auto userBefore = readFile(userOptions());
    const auto engineBefore = readFile(engineIni());

    auto dialog = startDialog("english");
    EXPECT_EQ(edit(*dialog, id::kVegetationViewRange)->text(), QStringLiteral("3500"));
    EXPECT_EQ(edit(*dialog, id::kPhysicsViewRange)->text(), QStringLiteral("-300"));
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("12"));
    EXPECT_EQ(edit(*dialog, id::kRoiViewRange)->text(), QStringLiteral("0"));

    const auto selections = [&] {
        std::vector<int> indexes;
        for (const QComboBox* list : dialog->findChildren<QComboBox*>())
            indexes.push_back(list->currentIndex());
        return indexes;
    };
    const std::vector<int> first = selections();
    dialog->loadSettings();
    const std::vector<int> second = selections();
    EXPECT_EQ(first, second);
    EXPECT_EQ(readFile(userOptions()), userBefore);
    EXPECT_EQ(readFile(engineIni()), engineBefore);
    EXPECT_TRUE(prompter.shown().empty());
}

} // namespace
} // namespace dk3::test
