#include "platform/DisplayModes.h"

#include <QGuiApplication>

#include <algorithm>
#include <gtest/gtest.h>

namespace dk3::platform {
namespace {

TEST(DisplayModes, RefreshRateFromTimingsNeverDividesByZero) {
    EXPECT_EQ(refreshRateOf(65000000, 1344, 806, false, false), 60u); // 1024x768@60
    EXPECT_EQ(refreshRateOf(108000000, 1688, 1066, false, false), 60u);
    EXPECT_EQ(refreshRateOf(135000000, 1688, 1066, false, false), 75u);
    EXPECT_EQ(refreshRateOf(25175000, 800, 525, true, false), 30u);
    EXPECT_EQ(refreshRateOf(74250000, 2200, 1125, false, true), 60u);
    EXPECT_EQ(refreshRateOf(0, 0, 0, false, false), 0u); // what Xvfb reports
    // Half a hertz and more rounds up: 59.94 is 60, 143.98 is 144, 59.5 is 60, 59.49 is 59.
    EXPECT_EQ(refreshRateOf(148350000, 2200, 1125, false, false), 60u);
    EXPECT_EQ(refreshRateOf(1190000, 100, 200, false, false), 60u);
    EXPECT_EQ(refreshRateOf(1189800, 100, 200, false, false), 59u);
    EXPECT_EQ(refreshRateOf(65000000, 0, 806, false, false), 0u);
}

TEST(DisplayModes, WineListsRandRsModesAsTheyComeWithSixtyHertzForAModeWithoutTimings) {
    const std::vector<DisplayMode> randr = {
        {1920, 1080, 60}, {1920, 1080, 0}, {800, 600, 75}, {2560, 1440, 144}, {1920, 1080, 60}};
    EXPECT_EQ(modesOfferedToGame(ModeRules::Wine, randr, DisplayMode{1920, 1080, 60}),
              (std::vector<DisplayMode>{{1920, 1080, 60},
                                        {1920, 1080, 60},
                                        {800, 600, 75},
                                        {2560, 1440, 144},
                                        {1920, 1080, 60}}));
    EXPECT_TRUE(modesOfferedToGame(ModeRules::Wine, {}, std::nullopt).empty());
}

TEST(DisplayModes, ProtonOffersItsTableNoLargerThanTheDesktopInDxvksOrder) {
    // A 2560x1440 desktop at 144 Hz whose monitor also offers larger and odd modes.
    const std::vector<DisplayMode> randr = {{3840, 2160, 60},  {2560, 1440, 144}, {2560, 1440, 60},
                                            {1920, 1080, 120}, {1366, 768, 0},    {720, 400, 70}};
    const auto offered = modesOfferedToGame(ModeRules::Proton, randr, DisplayMode{2560, 1440, 144});
    const std::vector<DisplayMode> expected = {
        {640, 480, 60},   {720, 400, 70},   {800, 600, 60},   {960, 540, 60},   {1024, 768, 60},
        {1280, 720, 60},  {1280, 1024, 60}, {1366, 768, 60},  {1440, 900, 60},  {1440, 960, 60},
        {1600, 900, 60},  {1600, 1200, 60}, {1680, 1050, 60}, {1920, 800, 60},  {1920, 1080, 120},
        {1920, 1080, 60}, {1920, 1200, 60}, {1920, 1280, 60}, {2560, 1080, 60}, {2560, 1440, 144},
        {2560, 1440, 60}};
    EXPECT_EQ(offered, expected);

    // Without a known current mode the first of the output's modes stands for the desktop; a
    // desktop without timings runs at 60 Hz.
    EXPECT_EQ(modesOfferedToGame(ModeRules::Proton, {{800, 600, 0}, {640, 480, 0}}, std::nullopt),
              (std::vector<DisplayMode>{{640, 480, 60}, {800, 600, 60}}));
    EXPECT_TRUE(modesOfferedToGame(ModeRules::Proton, {}, std::nullopt).empty());
}

TEST(DisplayModes, ListsTheScreensModesOnlyWithAnXConnection) {
    const auto modes = XRandrModeSource().modes();
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        EXPECT_TRUE(modes.empty()); // offscreen and Wayland have no X connection to ask
        EXPECT_FALSE(XRandrModeSource().currentMode().has_value());
        return;
    }
    ASSERT_FALSE(modes.empty()); // Xvfb offers one mode, with no refresh rate
    for (const auto& mode : modes)
        EXPECT_GT(mode.width * mode.height, 0u);
    // The mode the screen is in is one of them.
    const auto current = XRandrModeSource().currentMode();
    ASSERT_TRUE(current.has_value());
    EXPECT_NE(std::find(modes.begin(), modes.end(), *current), modes.end());
}

} // namespace
} // namespace dk3::platform
