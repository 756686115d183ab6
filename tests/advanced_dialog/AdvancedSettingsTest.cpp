#include "advanced_dialog/AdvancedSettings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>

namespace dk3::advanced {
namespace {

TEST(AdvancedSettings, StoredFormsAndReadNumbersDoNotDependOnTheLocale) {
    EXPECT_EQ(storedText(StoredForm::OneDecimal, -300), "-300.0");
    EXPECT_EQ(storedText(StoredForm::OneDecimal, 4294967295.0), "4294967295.0");
    EXPECT_EQ(storedText(StoredForm::WholeNumber, 20000), "20000");
    // The factor is a float widened to double: 0.015f lies just below 0.015, 0.025f just above.
    EXPECT_EQ(storedText(StoredForm::TwoDecimals, 0.015f), "0.01");
    EXPECT_EQ(storedText(StoredForm::TwoDecimals, 0.025f), "0.03");
    EXPECT_EQ(storedText(StoredForm::TwoDecimals, 3.4e38f).substr(0, 4), "3399");

    EXPECT_DOUBLE_EQ(leadingDecimal(" \t0.015"), 0.015);
    EXPECT_DOUBLE_EQ(leadingDecimal("+2.5x"), 2.5);
    EXPECT_DOUBLE_EQ(leadingDecimal("-1e-2;"), -0.01);
    for (const char* noNumber : {"abc", "", "+-1", "1e999", "nan", "inf"})
        EXPECT_DOUBLE_EQ(leadingDecimal(noNumber), 0) << noNumber;
}

TEST(AdvancedSettings, ReadsAsTheGameDoesAndWritesNewKeysInOrder) {
    test::TempDir dir;
    app::GamePaths paths;
    paths.engineIniPath = dir / "dk3e.ini";
    paths.debugIniPath = dir / "debug.ini";
    dir.write("dk3e.ini", "[Option.Sliders]\n"
                          "DistanceHigh.fFarClippingPlane_Low=6000.7\n"
                          "[Engine.Setup]\nFpS.Min=-1.0\nRender.GlobalVisualLoDFactor=1e39\n");
    const AdvancedValues read = loadAdvancedSettings(paths);
    EXPECT_EQ(read.lowHighQuality, 6000);
    EXPECT_EQ(read.fpsMin, 4294967295u); // the game's integer read wraps
    // Beyond the float range the field would show "inf", which it could never take back.
    EXPECT_EQ(read.levelOfDetailFactor, std::numeric_limits<float>::max());
    EXPECT_EQ(read.prefetchCellSize, 10000);
    EXPECT_EQ(read.maxCameraDistance, 500);
    EXPECT_EQ(read.testMode, "false");

    test::writeFile(paths.engineIniPath, "");
    ASSERT_TRUE(saveAdvancedSettings(paths, restoredAdvancedSettings()).empty());
    EXPECT_EQ(test::readFile(paths.engineIniPath),
              "[Option.Sliders]\r\n"
              "ObjectDetails.fRangedBaseLoDOffset_Low=-300.0\r\n"
              "DistanceHigh.fFarClippingPlane_Low=6000.0\r\n"
              "DistanceLow.fFarClippingPlaneLowPolyMesh_Low=20000.0\r\n"
              "ObjectDetails.fRangedBaseLoDOffset_Medium=0.0\r\n"
              "DistanceHigh.fFarClippingPlane_Medium=8000.0\r\n"
              "DistanceLow.fFarClippingPlaneLowPolyMesh_Medium=45000.0\r\n"
              "ObjectDetails.fRangedBaseLoDOffset_High=300.0\r\n"
              "DistanceHigh.fFarClippingPlane_High=10000.0\r\n"
              "DistanceLow.fFarClippingPlaneLowPolyMesh_High=100000.0\r\n"
              "[Engine.Setup]\r\n"
              "FpS.Average=30.0\r\nFpS.Min=10.0\r\nFpS.Max=120.0\r\n"
              "Render.PrefetchGridCellSize=10000\r\n"
              "Render.DOFStart=1000.0\r\nRender.DOFEnd=8000.0\r\n"
              "Render.GlobalVisualLoDFactor=0.01\r\n"
              "[Camera]\r\nfMaxDistToPlayer=500.0\r\n"
              "[Game]\r\nTestMode=false\r\n");
    EXPECT_EQ(test::readFile(paths.debugIniPath),
              "[PropertySets]\r\nPlayerMemory.Enabled=false\r\n");
}

} // namespace
} // namespace dk3::advanced
