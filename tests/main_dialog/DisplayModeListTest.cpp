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

TEST_F(DisplayModeList, ListsEveryWideEnoughModeInThePlatformsOrderDuplicatesIncluded) {
    modes.list = {{1280, 1024, 60}, {639, 480, 60},  {640, 480, 60},   {1280, 1024, 75},
                  {320, 240, 60},   {1920, 1080, 0}, {1280, 1024, 60}, {1400, 1000, 60}};
    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    EXPECT_EQ(itemsOf(list),
              QStringList({QStringLiteral("1280x1024@60Hz"), QStringLiteral("640x480@60Hz"),
                           QStringLiteral("1280x1024@75Hz"), QStringLiteral("1920x1080@0Hz"),
                           QStringLiteral("1280x1024@60Hz"), QStringLiteral("1400x1000@60Hz")}));
    // The stored 1024x768@60Hz is not offered, so nothing matches and the list shows none.
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(aspect(*dialog), QStringLiteral("4:3"));

    for (const auto& [index, ratio] :
         {std::pair{2, "5:4"}, {3, "16:9"}, {0, "5:4"}, {5, "16:10"}, {1, "4:3"}}) {
        userSelects(list, index);
        EXPECT_EQ(aspect(*dialog), QString::fromLatin1(ratio)) << index;
    }
}

TEST_F(DisplayModeList, StoredResolutionIsSelectedAndOneNotListedFallsBackToTheRecommended) {
    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    EXPECT_EQ(list->currentText(), QStringLiteral("1024x768@60Hz"));

    storeResolution("1280", "1024", "75");
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1280x1024@75Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("5:4"));

    // Unknown to this screen: the selection stays; only with none, the recommended one.
    const int count = list->count();
    storeResolution("1600", "900", "60");
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1280x1024@75Hz"));
    list->setCurrentIndex(-1);
    dialog->loadSettings();
    EXPECT_EQ(list->currentText(), QStringLiteral("1024x768@60Hz"));
    EXPECT_EQ(list->count(), count) << "a real mode list takes nothing in";
}

TEST_F(DisplayModeList, WithoutModesFromThePlatformTheScreenModeAndTheStoredOneAreListed) {
    modes.list.clear();
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QSize size = screen->size() * screen->devicePixelRatio();
    const int rate = screen->refreshRate() > 0 ? qRound(screen->refreshRate()) : 0;
    const QString screenMode =
        QStringLiteral("%1x%2@%3Hz").arg(size.width()).arg(size.height()).arg(rate);

    auto dialog = startDialog("english");
    QComboBox* list = combo(*dialog, id::kResolution);
    EXPECT_EQ(itemsOf(list), QStringList({screenMode, QStringLiteral("1024x768@60Hz")}));
    EXPECT_EQ(list->currentText(), QStringLiteral("1024x768@60Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("4:3"));

    // The save keeps the stored resolution instead of writing empty texts over it.
    dialog->saveSettings();
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.Width"), "1024");
    EXPECT_EQ(storedValue(userOptions(), "Options.Video", "Resolution.RefreshRate"), "60");

    // Another language, another stored mode: taken in once; too narrow ones are not.
    storeResolution("1280", "800", "0");
    dialog->onLanguageChanged();
    dialog->onLanguageChanged();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentText(), QStringLiteral("1280x800@0Hz"));
    EXPECT_EQ(aspect(*dialog), QStringLiteral("16:10"));
    storeResolution("320", "200", "60");
    dialog->loadSettings();
    EXPECT_EQ(list->count(), 3);
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
