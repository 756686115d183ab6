#include "platform/DisplayModes.h"

#include <QGuiApplication>

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
    EXPECT_EQ(refreshRateOf(65000000, 0, 806, false, false), 0u);
}

TEST(DisplayModes, ListsTheScreensModesOnlyWithAnXConnection) {
    const auto modes = XRandrModeSource().modes();
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        EXPECT_TRUE(modes.empty()); // offscreen and Wayland have no X connection to ask
        return;
    }
    ASSERT_FALSE(modes.empty()); // Xvfb offers one mode, with no refresh rate
    for (const auto& mode : modes)
        EXPECT_GT(mode.width * mode.height, 0u);
}

} // namespace
} // namespace dk3::platform
