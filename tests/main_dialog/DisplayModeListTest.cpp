#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

struct DisplayModeList : MainDialogFixture {
    static QString aspect(const QWidget& dialog) {
        return control<QLabel>(dialog, id::kAspectRatio)->text();
    }
    void storeResolution(const char* width, const char* height, const char* rate) {
        for (const auto& [key, value] : {std::pair{"Resolution.Width", width},
                                         {"Resolution.Height", height},
                                         {"Resolution.RefreshRate", rate}})
            ASSERT_FALSE(profile::writeText(userOptions(), "Options.Video", key, value));
    }
};

TEST_F(DisplayModeList, UnderWineEveryWideEnoughModeInRandROrderAndTheStoredOneKeptAsItIs) {
    modes.list = {{1280, 1024, 60}, {639, 480, 60},  {640, 480, 60},   {1280, 1024, 75},
                  {320, 240, 60},   {1920, 1080, 0}, {1280, 1024, 60}, {1400, 1000, 60}};
    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    // A mode without timings is listed at 60 Hz, as Wine offers it; the stored 1024x768@60Hz is
    // not offered and is kept as an item of its own, selected.
    EXPECT_EQ(itemsOf(list),
              QStringList({QStringLiteral("1280x1024@60Hz"), QStringLiteral("640x480@60Hz"),
                           QStringLiteral("1280x1024@75Hz"), QStringLiteral("1920x1080@60Hz"),
                           QStringLiteral("1280x1024@60Hz"), QStringLiteral("1400x1000@60Hz"),
                           QStringLiteral("1024x768@60Hz")}));
    EXPECT_EQ(list->currentIndex(), 6);
    EXPECT_EQ(aspect(*dialog), QStringLiteral("4:3"));

    for (const auto& [index, ratio] :
         {std::pair{2, "5:4"}, {3, "16:9"}, {0, "5:4"}, {5, "16:10"}, {1, "4:3"}}) {
        userSelects(list, index);
        EXPECT_EQ(aspect(*dialog), QString::fromLatin1(ratio)) << index;
    }
}

TEST_F(DisplayModeList, AStoredModeTheScreenLacksIsShownAndSavedUnchanged) {
    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    const QStringList offered = itemsOf(list);
    EXPECT_EQ(list->currentText(), QStringLiteral("1024x768@60Hz"));

    storeResolution("1280", "1024", "75");
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1280x1024@75Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("5:4"));
    EXPECT_EQ(itemsOf(list), offered);

    // Unknown to this screen: one item of its own, replaced by the next load's.
    storeResolution("1600", "900", "144");
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1600x900@144Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("16:9"));
    storeResolution("2560", "1440", "120");
    dialog->loadSettings();
    EXPECT_EQ(itemsOf(list), offered + QStringList{QStringLiteral("2560x1440@120Hz")});
    EXPECT_FALSE(dialog->hasUnsavedChanges());

    // Saving other settings writes the player's mode back as it was.
    combo(*dialog, id::kShadowQuality)->setCurrentIndex(1);
    EXPECT_TRUE(dialog->saveSettings());
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.Width"), "2560");
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.Height"), "1440");
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.RefreshRate"), "120");

    // A stored size without a rate takes the first rate listed for that size, never 0.
    storeResolution("1280", "1024", "");
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1280x1024@60Hz"));
    EXPECT_EQ(itemsOf(list), offered);
}

TEST_F(DisplayModeList, WithoutModesFromThePlatformTheScreenModeAndTheStoredOneAreListed) {
    modes.list.clear();
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QSize size = screen->size() * screen->devicePixelRatio();
    const int rate = screen->refreshRate() > 0 ? qRound(screen->refreshRate()) : 60;
    const QString screenMode =
        QStringLiteral("%1x%2@%3Hz").arg(size.width()).arg(size.height()).arg(rate);

    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    EXPECT_EQ(itemsOf(list), QStringList({screenMode, QStringLiteral("1024x768@60Hz")}));
    EXPECT_EQ(list->currentText(), QStringLiteral("1024x768@60Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("4:3"));

    dialog->saveSettings();
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.Width"), "1024");
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.RefreshRate"), "60");
}

TEST_F(DisplayModeList, AGameInAProtonPrefixIsOfferedProtonsSizesNoLargerThanTheDesktop) {
    // A Steam Deck in game mode: gamescope's one mode, without timings.
    modes.list = {{1280, 800, 0}};
    modes.current = platform::DisplayMode{1280, 800, 0};
    // The game in Proton's prefix of a Steam library.
    const std::filesystem::path prefix = dir / "steamapps/compatdata/42/pfx";
    const std::filesystem::path protonGame = prefix / "drive_c/Games/Draskel 3";
    std::filesystem::create_directories(protonGame.parent_path());
    writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n");
    std::filesystem::copy(game, protonGame, std::filesystem::copy_options::recursive);
    ASSERT_FALSE(store.setValue(platform::KeyValueStore::kGameKey,
                                platform::KeyValueStore::kInstallDir, protonGame.string()));
    auto dialog = startDialog("english");
    EXPECT_EQ(itemsOf(combo(*dialog, id::kResolution)),
              QStringList({QStringLiteral("640x480@60Hz"), QStringLiteral("800x600@60Hz"),
                           QStringLiteral("960x540@60Hz"), QStringLiteral("1024x768@60Hz"),
                           QStringLiteral("1280x720@60Hz"), QStringLiteral("1280x800@60Hz")}));
    EXPECT_EQ(dialog->installation().prefix, prefix);
}

TEST_F(DisplayModeList, ResolutionChangeWithAFieldThatHoldsNoNumberShowsThePreviousValues) {
    auto dialog = startDialog("english");
    edit(*dialog, id::kVegetationViewRange)->setText(QStringLiteral("4000"));
    edit(*dialog, id::kPhysicsViewRange)->setText(QStringLiteral("abc"));
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("7"));
    QComboBox* list = combo(*dialog, id::kResolution);
    userSelects(list, list->findText(QStringLiteral("1680x1050@60Hz")));

    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Please enter a number.")});
    EXPECT_EQ(aspect(*dialog), QStringLiteral("16:10"));
    EXPECT_EQ(edit(*dialog, id::kVegetationViewRange)->text(), QStringLiteral("4000"));
    EXPECT_EQ(edit(*dialog, id::kPhysicsViewRange)->text(), QStringLiteral("1000"));
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("20"));
    EXPECT_EQ(edit(*dialog, id::kRoiViewRange)->text(), QStringLiteral("3000"));
}

} // namespace
} // namespace dk3::test
