// The fit routine: the four cases, their boundaries, and the frame's centring.
#include <gtest/gtest.h>

#include "frame/MainFrm.h"
#include "framework/AfxDpi.h"
#include "res/resource.h"
#include "state/Fit.h"

namespace {
void ExpectFit(int W, int H, int CW, int CH, double zoom, int x, int y) {
    FitResult r = FitPicture(W, H, CW, CH);
    EXPECT_DOUBLE_EQ(zoom, r.dZoom) << W << "x" << H << " in " << CW << "x" << CH;
    EXPECT_EQ(x, r.nDrawX) << W << "x" << H << " in " << CW << "x" << CH;
    EXPECT_EQ(y, r.nDrawY) << W << "x" << H << " in " << CW << "x" << CH;
}
}  // namespace

TEST(Fit, SmallPictureIsCentredUnscaled) {
    ExpectFit(100, 80, 600, 400, 1.0, 250, 160);
    ExpectFit(101, 81, 600, 400, 1.0, 249, 159);  // halves truncate
    ExpectFit(600, 400, 600, 400, 1.0, 0, 0);     // exactly the client's size
}

TEST(Fit, UnreadablePictureSitsAtTheCentre) {
    ExpectFit(0, 0, 600, 400, 1.0, 300, 200);
    ExpectFit(0, 0, 0, 0, 1.0, 0, 0);
}

TEST(Fit, WideButNotTallScalesToTheWidth) {
    ExpectFit(1200, 300, 600, 400, 0.5, 0, 125);
    ExpectFit(601, 400, 600, 400, 600.0 / 601, 0, 0);  // one pixel too wide, height then fits
    // y = (CH - H * zoom) / 2 truncated toward zero
    ExpectFit(2000, 100, 600, 400, 0.3, 0, 185);
}

TEST(Fit, TallButNarrowerScalesToTheHeight) {
    ExpectFit(300, 800, 600, 400, 0.5, 225, 0);
    ExpectFit(599, 401, 600, 400, 400.0 / 401, 1, 0);  // (600 - 597.50...) / 2 = 1.24 -> 1
}

TEST(Fit, BothLargerTakesTheSmallerRatio) {
    // Height ratio 0.4 is not greater than width ratio 0.6: fit to the height.
    ExpectFit(1000, 1000, 600, 400, 0.4, 100, 0);
    // Height ratio 0.8 is greater than width ratio 0.3: fit to the width.
    ExpectFit(2000, 500, 600, 400, 0.3, 0, 125);
    // Equal ratios fit to the height.
    ExpectFit(1200, 800, 600, 400, 0.5, 0, 0);
}

TEST(Fit, ExactlyAsWideAndTallerFallsIntoTheLastCase) {
    // Not the width case (W > CW fails) nor the height case (W < CW fails): the height ratio
    // (0.5) is not greater than the width ratio (1.0), so the picture fits to the height.
    ExpectFit(600, 800, 600, 400, 0.5, 150, 0);
}

TEST(Fit, TheIssueExample) {
    // 2000 x 1000 in 800 x 600: width ratio 0.4, height ratio 0.6.
    ExpectFit(2000, 1000, 800, 600, 0.4, 0, 100);
}

TEST(FrameGeometry, CentredOnTheScreen) {
    EXPECT_EQ(CRect(212, 159, 812, 609), MainFrameRect(1024, 768));
    EXPECT_EQ(CRect(100, 75, 700, 525), MainFrameRect(800, 600));
    // A screen smaller than the window: negative position, truncated toward zero.
    EXPECT_EQ(CRect(-49, -24, 551, 426), MainFrameRect(501, 401));
    // Other DPIs: 600 x 450 scaled by DPI / 96, halves rounded away from zero, then centred.
    EXPECT_EQ(CRect(212, 159, 812, 609), MainFrameRect(1024, 768, 96));
    EXPECT_EQ(CRect(137, 102, 887, 665), MainFrameRect(1024, 768, 120));  // 750 x 562.5
    EXPECT_EQ(CRect(62, 46, 962, 721), MainFrameRect(1024, 768, 144));
    EXPECT_EQ(CRect(-88, -66, 1112, 834), MainFrameRect(1024, 768, 192));
}

TEST(FrameGeometry, ImagesDrawnNearestToTheDpi) {
    const struct {
        UINT nDpi;
        int nPercent;
        UINT nToolbar;
    } kRows[] = {{72, 100, IDR_MAINFRAME},
                 {96, 100, IDR_MAINFRAME},
                 {119, 100, IDR_MAINFRAME},
                 {120, 150, AFX_ID_SCALED_150(IDR_MAINFRAME)},
                 {144, 150, AFX_ID_SCALED_150(IDR_MAINFRAME)},
                 {167, 150, AFX_ID_SCALED_150(IDR_MAINFRAME)},
                 {168, 200, AFX_ID_SCALED_200(IDR_MAINFRAME)},
                 {192, 200, AFX_ID_SCALED_200(IDR_MAINFRAME)},
                 {288, 200, AFX_ID_SCALED_200(IDR_MAINFRAME)}};
    for (const auto& row : kRows) {
        EXPECT_EQ(row.nPercent, AfxDpiImagePercent(row.nDpi)) << row.nDpi;
        EXPECT_EQ(row.nToolbar, AfxDpiBitmapId(IDR_MAINFRAME, row.nDpi)) << row.nDpi;
    }
    // Every pane at 96 dpi is its width as given; at 120 dpi 65 x 1.25 = 81.25.
    const int kWidths[] = {200, 100, 60, 65, 65, 110};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(kWidths[i], MainFramePaneWidth(i, 96)) << i;
    EXPECT_EQ(81, MainFramePaneWidth(3, 120));
    EXPECT_EQ(-23, AfxScaleByDpi(-15, 144));
}
