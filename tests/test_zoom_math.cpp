// The zoom and drag arithmetic without windows: step limits, centring, the pane text, the fixed
// ratios, the drag clamp, and the integer exchange of the Zoom dialog.
#include <gtest/gtest.h>

#include <vector>

#include "dialogs/ZoomDlg.h"
#include "res/resource.h"
#include "state/Zoom.h"

TEST(ZoomSteps, InFromOneStopsAtSixteen) {
    std::vector<double> seen;
    double z = 1.0;
    for (int i = 0; i < 6; ++i) {
        if (ZoomInAllowed(z))
            z /= 0.5;
        seen.push_back(z);
    }
    EXPECT_EQ((std::vector<double>{2, 4, 8, 16, 16, 16}), seen);
    EXPECT_TRUE(ZoomInAllowed(8.0));  // exactly 800 % still doubles
    EXPECT_FALSE(ZoomInAllowed(8.0001));
}

TEST(ZoomSteps, OutFromOneStopsBelowTenPercent) {
    std::vector<double> seen;
    double z = 1.0;
    for (int i = 0; i < 6; ++i) {
        if (ZoomOutAllowed(z))
            z *= 0.5;
        seen.push_back(z);
    }
    EXPECT_EQ((std::vector<double>{0.5, 0.25, 0.125, 0.0625, 0.0625, 0.0625}), seen);
    EXPECT_TRUE(ZoomOutAllowed(0.1));
    EXPECT_FALSE(ZoomOutAllowed(0.0999));
    // A fitted 15 % halves once, to 7.5 %, and no further.
    EXPECT_TRUE(ZoomOutAllowed(0.15));
    EXPECT_FALSE(ZoomOutAllowed(0.075));
}

TEST(ZoomSteps, CentredOriginTruncatesTowardZero) {
    EXPECT_EQ(-400, CentredOrigin(800, 2000, 0.8));
    EXPECT_EQ(-100, CentredOrigin(600, 1000, 0.8));
    EXPECT_EQ(-150, CentredOrigin(500, 801, 1.0));  // -150.5
    EXPECT_EQ(0, CentredOrigin(500, 501, 1.0));     // -0.5
    EXPECT_EQ(150, CentredOrigin(500, 199, 1.0));   // 150.5
    EXPECT_EQ(300, CentredOrigin(600, 0, 2.0));     // no picture: the middle of the window
}

TEST(ZoomSteps, PaneTextHasNoBlanksAndDropsTheFraction) {
    EXPECT_EQ(CString("80.00%"), ZoomCommandText(0.8));
    EXPECT_EQ(CString("1600.00%"), ZoomCommandText(16.0));
    EXPECT_EQ(CString("7.00%"), ZoomCommandText(0.075));
    EXPECT_EQ(CString("33.00%"), ZoomCommandText(0.3333));
    EXPECT_EQ(CString("6.00%"), ZoomCommandText(0.0625));
    // 600 / 2000 is 0.29999... in binary; it still reads 30.
    EXPECT_EQ(CString("30.00%"), ZoomCommandText(600.0 / 2000));
    EXPECT_EQ(CString("57.00%"), ZoomCommandText(0.57));
    EXPECT_EQ(CString("99.00%"), ZoomCommandText(0.99999));
}

TEST(ZoomSteps, FixedRatiosByCommand) {
    EXPECT_DOUBLE_EQ(0.25, PresetZoom(32809));
    EXPECT_DOUBLE_EQ(0.5, PresetZoom(32816));  // 50 % keeps its odd id
    EXPECT_DOUBLE_EQ(0.75, PresetZoom(32810));
    EXPECT_DOUBLE_EQ(1.0, PresetZoom(32811));
    EXPECT_DOUBLE_EQ(1.25, PresetZoom(32812));
    EXPECT_DOUBLE_EQ(1.5, PresetZoom(32813));
    EXPECT_DOUBLE_EQ(1.75, PresetZoom(32814));
    EXPECT_DOUBLE_EQ(2.0, PresetZoom(32815));
    EXPECT_DOUBLE_EQ(0.0, PresetZoom(ID_VIEW_ZOOMIN));
}

TEST(ZoomSteps, TypedRatioRange) {
    EXPECT_FALSE(ZoomPercentInRange(0));
    EXPECT_FALSE(ZoomPercentInRange(4));
    EXPECT_TRUE(ZoomPercentInRange(5));
    EXPECT_TRUE(ZoomPercentInRange(1600));
    EXPECT_FALSE(ZoomPercentInRange(1601));
    EXPECT_FALSE(ZoomPercentInRange(-20));
}

TEST(DragClamp, StaysWithinTwiceTheCentreAndZero) {
    // A view 500 wide and a picture 801 wide: centre -150, the origin runs from -300 to 0.
    EXPECT_EQ(-250, DragOrigin(-150, -100, -150));
    EXPECT_EQ(-300, DragOrigin(-250, -100, -150));
    EXPECT_EQ(-300, DragOrigin(-300, -1, -150));
    EXPECT_EQ(0, DragOrigin(-150, 200, -150));
    EXPECT_EQ(0, DragOrigin(0, 30, -150));  // the left edge stays at the view's left edge
    EXPECT_EQ(-149, DragOrigin(-150, 1, -150));
}

TEST(IntegerExchange, ParsesWhatTheBoxCanHold) {
    int n = 7;
    EXPECT_TRUE(AfxParseInt("250", &n));
    EXPECT_EQ(250, n);
    EXPECT_TRUE(AfxParseInt("  42 ", &n));
    EXPECT_EQ(42, n);
    EXPECT_TRUE(AfxParseInt("-5", &n));
    EXPECT_EQ(-5, n);
    EXPECT_TRUE(AfxParseInt("0", &n));
    EXPECT_EQ(0, n);
    // Too large for an int: the nearest end of the range, which no check lets through.
    EXPECT_TRUE(AfxParseInt("99999999999999999999", &n));
    EXPECT_EQ(2147483647, n);
    n = 7;
    EXPECT_FALSE(AfxParseInt("", &n));
    EXPECT_FALSE(AfxParseInt("   ", &n));
    EXPECT_FALSE(AfxParseInt("12a", &n));
    EXPECT_FALSE(AfxParseInt("-", &n));
    EXPECT_FALSE(AfxParseInt("x1", &n));
    EXPECT_EQ(7, n);  // a refused text leaves the value alone
}
