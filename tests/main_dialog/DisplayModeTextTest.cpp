#include "main_dialog/DisplayModeText.h"

#include <gtest/gtest.h>

namespace dk3::main_dialog {
namespace {

std::string_view ratioOf(std::string_view text) {
    return aspectRatioName(modeSizeOf(text));
}

TEST(DisplayModeText, ModeTextsInTheOneFormEveryoneShares) {
    EXPECT_EQ(modeText(1024, 768, 60), "1024x768@60Hz");
    EXPECT_EQ(modeText(1920, 1080, 0), "1920x1080@0Hz");
    EXPECT_EQ(modeText(4294967295u, 1, 2), "4294967295x1@2Hz");
    EXPECT_EQ(storedModeText(0, 0, 0), "0x0@0Hz");
    EXPECT_EQ(storedModeText(-1, 768, -60), "-1x768@-60Hz");
}

TEST(DisplayModeText, SplitTakesEachPartUpToItsSeparatorOrTheEnd) {
    const auto parts = splitModeText("1280x1024@75Hz");
    EXPECT_EQ(parts.width, "1280");
    EXPECT_EQ(parts.height, "1024");
    EXPECT_EQ(parts.refreshRate, "75");

    const auto noRate = splitModeText("1280x1024");
    EXPECT_EQ(noRate.width, "1280");
    EXPECT_EQ(noRate.height, "1024");
    EXPECT_EQ(noRate.refreshRate, "");

    const auto noX = splitModeText("1024@60Hz"); // the width runs to the end
    EXPECT_EQ(noX.width, "1024@60Hz");
    EXPECT_EQ(noX.height, "");
    EXPECT_EQ(noX.refreshRate, "");

    const auto secondX = splitModeText("1x2x3@4H5Hz"); // first 'x', next '@', next 'H'
    EXPECT_EQ(secondX.width, "1");
    EXPECT_EQ(secondX.height, "2x3");
    EXPECT_EQ(secondX.refreshRate, "4");
}

TEST(DisplayModeText, AspectRatioThresholdsAreSinglePrecisionBounds) {
    EXPECT_EQ(ratioOf("1280x1024@60Hz"), "5:4"); // exactly 1.25
    EXPECT_EQ(ratioOf("720x576@50Hz"), "5:4");
    EXPECT_EQ(ratioOf("1024x768@60Hz"), "4:3");
    EXPECT_EQ(ratioOf("800x600@60Hz"), "4:3");
    EXPECT_EQ(ratioOf("1280x960@60Hz"), "4:3");
    EXPECT_EQ(ratioOf("1400x1000@60Hz"), "16:10"); // 1.4 is above the float 1.39999998
    EXPECT_EQ(ratioOf("1280x800@60Hz"), "16:10");  // 1.6 is below the float 1.60000002
    EXPECT_EQ(ratioOf("1680x1050@60Hz"), "16:10");
    EXPECT_EQ(ratioOf("1280x768@60Hz"), "16:9");
    EXPECT_EQ(ratioOf("1920x1080@60Hz"), "16:9");
    EXPECT_EQ(ratioOf("1280x720@0Hz"), "16:9");
    EXPECT_EQ(ratioOf("640x480"), "4:3"); // the rate plays no part
}

TEST(DisplayModeText, TextsWithoutASizeHaveNoRatioAndDoNotDivideByZero) {
    EXPECT_EQ(ratioOf("1024x0@60Hz"), "");
    EXPECT_EQ(ratioOf("0x0@0Hz"), "");
    EXPECT_EQ(ratioOf(""), "");
    EXPECT_EQ(ratioOf("abc"), "");
    EXPECT_EQ(ratioOf("widexhigh@60Hz"), "");
    const ModeSize size = modeSizeOf("1024x 768@60Hz"); // digits up to the first other character
    EXPECT_EQ(size.width, 1024.0f);
    EXPECT_EQ(size.height, 0.0f);
    EXPECT_EQ(modeSizeOf("99999999999x1@1Hz").width, 99999999999.0f);
}

} // namespace
} // namespace dk3::main_dialog
