// Capture Region: the rectangle a selection captures, the label, and the overlay driven with
// the real mouse and keyboard over a known picture on the screen.
#include <gtest/gtest.h>

#include <string>

#include "AppFixture.h"
#include "capture/RegionGeometry.h"

namespace {
const COLORREF kLine = RGB(217, 146, 84);
const COLORREF kYellow = RGB(255, 255, 0);

// Bounding box of the yellow pixels of a screen rectangle; empty when there is none.
CRect YellowBox(const RECT& area) {
    std::vector<COLORREF> c = ScreenColours(area);
    int w = area.right - area.left, h = area.bottom - area.top;
    CRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c[static_cast<size_t>(y) * w + x] == kYellow) {
                box.left = std::min<int>(box.left, area.left + x);
                box.top = std::min<int>(box.top, area.top + y);
                box.right = std::max<int>(box.right, area.left + x + 1);
                box.bottom = std::max<int>(box.bottom, area.top + y + 1);
            }
    return box.left == INT_MAX ? CRect() : box;
}

// The pattern window of these tests and where it sits.
const int kPatX = 20, kPatY = 20, kPatW = 180, kPatH = 130;

class RegionTest : public AppTest {
protected:
    RegionTest() : AppTest(CaptureStart()) {}
    void SetUp() override {
        AppTest::SetUp();
        pattern.reset(new PatternWindow(kPatX, kPatY, kPatW, kPatH));
        SetForegroundWindow(frame->m_hWnd);
        PumpFor(50);
    }
    void TearDown() override {
        AppTest::TearDown();
        pattern.reset();
    }
    // Runs Capture Region and waits for the overlay.
    void Start() {
        Command(ID_TOOLS_CAPTUREREGION);
        PumpFor(150);
        ASSERT_NE(nullptr, frame->m_wndTarget.GetSafeHwnd());
        ASSERT_TRUE(frame->m_wndTarget.IsWindowVisible());
    }
    // Checks that the capture file holds the pattern's pixels of the screen rectangle rc.
    void ExpectPatternCaptured(const CRect& rc) {
        BmpFile f = ReadBmp(CaptureFilePath());
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(rc.Width(), f.info.biWidth);
        EXPECT_EQ(rc.Height(), f.info.biHeight);
        int wrong = 0;
        for (int y = 0; y < rc.Height(); ++y)
            for (int x = 0; x < rc.Width(); ++x)
                wrong += f.Pixel(x, y) != PatternColour(rc.left + x - kPatX, rc.top + y - kPatY);
        EXPECT_EQ(0, wrong) << "pixels differing from the screen";
    }
    std::unique_ptr<PatternWindow> pattern;
};
}  // namespace

// ---- geometry ----

TEST(RegionGeometry, SelectionsInEveryDirectionCaptureTheInsideOfTheirLines) {
    // (100, 100) then (200, 150), dragged right and down: 98 x 48 at (101, 101).
    EXPECT_EQ(CRect(101, 101, 199, 149), NormaliseRegion(CPoint(100, 100), 98, 48));
    // The same corners clicked the other way round, or crosswise: the same rectangle.
    EXPECT_EQ(CRect(101, 101, 199, 149), NormaliseRegion(CPoint(200, 150), -102, -52));
    EXPECT_EQ(CRect(101, 101, 199, 149), NormaliseRegion(CPoint(100, 150), 98, -52));
    EXPECT_EQ(CRect(101, 101, 199, 149), NormaliseRegion(CPoint(200, 100), -102, 48));
    // (100, 200) then (150, 100), dragged right and up.
    EXPECT_EQ(CRect(101, 101, 149, 199), NormaliseRegion(CPoint(100, 200), 48, -102));

    // Every selection with an inside: strictly inside both lines on both axes, whatever the
    // direction, and the same rectangle for both orders of the corners.
    for (int dx = -12; dx <= 12; ++dx)
        for (int dy = -12; dy <= 12; ++dy) {
            if (abs(dx) < 3 || abs(dy) < 3)
                continue;
            CPoint s(300, 300), e(300 + dx, 300 + dy);
            CRect rc = NormaliseRegion(s, e.x - s.x - 2, e.y - s.y - 2);
            EXPECT_GT(rc.left, std::min(s.x, e.x));
            EXPECT_LT(rc.right - 1, std::max(s.x, e.x));
            EXPECT_GT(rc.top, std::min(s.y, e.y));
            EXPECT_LT(rc.bottom - 1, std::max(s.y, e.y));
            EXPECT_EQ(rc, NormaliseRegion(e, s.x - e.x - 2, s.y - e.y - 2)) << dx << "," << dy;
        }
}

TEST(RegionGeometry, SelectionsWithoutAnInsideStillCaptureASmallSquare) {
    // Second corner exactly two pixels right of (or below) the first: 2 x 2 at the first + (1, 1).
    EXPECT_EQ(CRect(101, 101, 103, 103), NormaliseRegion(CPoint(100, 100), 0, 48));
    EXPECT_EQ(CRect(101, 101, 103, 103), NormaliseRegion(CPoint(100, 100), 98, 0));
    // Both clicks on one point: 2 x 2 at that point minus (1, 1).
    EXPECT_EQ(CRect(99, 99, 101, 101), NormaliseRegion(CPoint(100, 100), -2, -2));
    // Never an empty or upside-down rectangle.
    for (int w = -6; w <= 6; ++w)
        for (int h = -6; h <= 6; ++h) {
            CRect rc = NormaliseRegion(CPoint(50, 50), w, h);
            EXPECT_GT(rc.Width(), 0) << w << "," << h;
            EXPECT_GT(rc.Height(), 0) << w << "," << h;
        }
}

TEST(RegionGeometry, LabelTextAndPlace) {
    EXPECT_EQ(CString("X=500 Y=300"), RegionLabelText(FALSE, CPoint(500, 300), CPoint(1, 2), 3, 4));
    EXPECT_EQ(CString("X=100 Y=100 W=198 H=148"), RegionLabelText(TRUE, CPoint(300, 250), CPoint(100, 100), 198, 148));
    EXPECT_EQ(CString("X=400 Y=400 W=-102 H=-52"),
              RegionLabelText(TRUE, CPoint(300, 350), CPoint(400, 400), -102, -52));

    EXPECT_EQ(CPoint(520, 320), RegionLabelOrigin(CPoint(500, 300), CSize(60, 14), 1024, 768));
    // 1024 - 900 = 124 <= 120 + 25: to the left of the cursor.
    EXPECT_EQ(CPoint(760, 320), RegionLabelOrigin(CPoint(900, 300), CSize(120, 14), 1024, 768));
    // Exactly at the edge of flipping, and one pixel before it.
    EXPECT_EQ(CPoint(1024 - 145 - 140, 320), RegionLabelOrigin(CPoint(1024 - 145, 300), CSize(120, 14), 1024, 768));
    EXPECT_EQ(CPoint(1024 - 146 + 20, 320), RegionLabelOrigin(CPoint(1024 - 146, 300), CSize(120, 14), 1024, 768));
    // Near the bottom: above the cursor; in the corner: both.
    EXPECT_EQ(CPoint(520, 740 - 54 + 20), RegionLabelOrigin(CPoint(500, 740), CSize(60, 14), 1024, 768));
    EXPECT_EQ(CPoint(1000 - 100 + 20, 760 - 54 + 20), RegionLabelOrigin(CPoint(1000, 760), CSize(60, 14), 1024, 768));
}

// ---- the overlay ----

TEST_F(RegionTest, OverlayShowsTheScreenAsItWasWithCrosshairAndLabel) {
    Start();
    CTargetWnd& t = frame->m_wndTarget;
    EXPECT_FALSE(frame->IsWindowVisible());
    CRect rc;
    t.GetWindowRect(&rc);
    EXPECT_EQ(CRect(0, 0, 1024, 768), rc);
    EXPECT_TRUE(GetWindowLongA(t.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(CString("Target"), t.GetWindowText());
    EXPECT_EQ(1, app().m_bRegionCaptured);
    EXPECT_EQ(1, app().m_bCaptureRefitPending);

    MouseTo(500, 300);
    // The frozen screen under the overlay, the crosshair through the cursor.
    EXPECT_EQ(PatternColour(30, 40), ScreenPixel(nullptr, kPatX + 30, kPatY + 40));
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 500, 10));
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 500, 700));
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 10, 300));
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 1000, 300));
    // The label: 20 pixels right of and below the cursor.
    CRect label = YellowBox(CRect(480, 280, 760, 400));
    EXPECT_EQ(520, label.left);
    EXPECT_EQ(320, label.top);
    int tw = label.Width();
    EXPECT_GT(tw, 30);

    // Near the right edge it flips to the left of the cursor: within tw + 25 of the edge.
    MouseTo(900, 300);
    EXPECT_EQ(920, YellowBox(CRect(600, 280, 1024, 400)).left);  // 124 pixels left: still right of it
    MouseTo(960, 300);
    CRect flipped = YellowBox(CRect(600, 280, 1024, 400));
    EXPECT_EQ(940, flipped.right);
    EXPECT_EQ(320, flipped.top);
    EXPECT_NEAR(tw, flipped.Width(), 3);                              // "X=960 Y=300" against "X=500 Y=300"
    EXPECT_TRUE(YellowBox(CRect(480, 280, 760, 400)).IsRectEmpty());  // the old label is gone

    // A repaint shows the frozen copy and the marks again.
    ::InvalidateRect(t.m_hWnd, nullptr, TRUE);
    t.UpdateWindow();
    EXPECT_EQ(PatternColour(30, 40), ScreenPixel(nullptr, kPatX + 30, kPatY + 40));
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 960, 10));

    // After the first corner: the long label and the rectangle from the corner to the cursor.
    LeftClickAt(300, 200);
    EXPECT_TRUE(YellowBox(CRect(300, 200, 1024, 400)).IsRectEmpty());  // gone until the mouse moves
    MouseTo(400, 260);
    EXPECT_EQ(98, t.m_nWidth);
    EXPECT_EQ(58, t.m_nHeight);
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 350, 200));  // top side
    EXPECT_EQ(kLine, ScreenPixel(nullptr, 300, 230));  // left side
    CRect longLabel = YellowBox(CRect(400, 260, 1024, 400));
    EXPECT_EQ(420, longLabel.left);
    EXPECT_GT(longLabel.Width(), tw);  // "X=300 Y=200 W=98 H=58" is longer
    RightClickAt(400, 260);
}

TEST_F(RegionTest, TwoClicksCaptureTheInsideOfTheSelection) {
    Start();
    LeftClickAt(40, 40);
    MouseTo(140, 100);
    LeftClickAt(140, 100);
    Settle();
    EXPECT_EQ(nullptr, frame->m_wndTarget.GetSafeHwnd());
    EXPECT_TRUE(frame->IsWindowVisible());
    ExpectPatternCaptured(CRect(41, 41, 139, 99));

    EXPECT_EQ(1, app().m_bRegionCaptured);
    EXPECT_EQ(0, app().m_bObjectCaptured);
    EXPECT_EQ(0, app().m_bScreenCaptured);
    EXPECT_EQ(0, app().m_bImageLoaded);
    EXPECT_EQ(CString(CaptureFilePath()), g_strFilePath);
    EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
    EXPECT_EQ(CString(" [98,58] "), Pane(3));
    EXPECT_EQ(98, g_nImageWidth);

    // The clipboard holds the same picture, readable by another program.
    std::string out = MakeTempFolder("region-clip") + "clip.txt";
    ASSERT_EQ(0, RunClipboardHelper("read \"" + out + "\" 0 0 97 57"));
    char expected[128];
    COLORREF a = PatternColour(41 - kPatX, 41 - kPatY), b = PatternColour(138 - kPatX, 98 - kPatY);
    snprintf(expected, sizeof expected, "bitmap 98 58\n0 0 %02X%02X%02X\n97 57 %02X%02X%02X\n", GetRValue(a),
             GetGValue(a), GetBValue(a), GetRValue(b), GetGValue(b), GetBValue(b));
    EXPECT_EQ(expected, ReadAll(out));
}

TEST_F(RegionTest, CornersClickedTheOtherWayRoundCaptureTheSameRectangle) {
    Start();
    LeftClickAt(140, 100);
    MouseTo(40, 40);
    LeftClickAt(40, 40);
    Settle();
    ExpectPatternCaptured(CRect(41, 41, 139, 99));
}

TEST_F(RegionTest, RightButtonCancelsBeforeAndAfterTheFirstClick) {
    // A picture was shown.
    std::string folder = MakeTempFolder("region-cancel");
    WriteFile(folder + "shown.bmp", MakeBmp(100, 80, [](int, int) { return RGB(255, 0, 0); }));
    view->OpenChosenFile((folder + "shown.bmp").c_str(), "shown.bmp");
    Settle();

    for (bool bAfterFirst : {false, true}) {
        SCOPED_TRACE(bAfterFirst);
        Start();
        if (bAfterFirst)
            LeftClickAt(60, 60);
        RightClickAt(120, 90);
        Settle();
        EXPECT_EQ(nullptr, frame->m_wndTarget.GetSafeHwnd());
        EXPECT_TRUE(frame->IsWindowVisible());
        EXPECT_FALSE(FileExists(CaptureFilePath()));
        EXPECT_EQ(0, app().m_bRegionCaptured);
        EXPECT_EQ(0, app().m_bImageLoaded);
        EXPECT_EQ(CString("Capture is canceled!"), Pane(1));
        for (int i = 2; i <= 5; ++i)
            EXPECT_EQ(CString(""), Pane(i)) << i;
        CRect rc;
        view->GetClientRect(&rc);
        EXPECT_EQ(COLORREF(RGB(128, 128, 128)), ScreenPixel(view->m_hWnd, rc.Width() / 2, rc.Height() / 2));
    }
}

TEST_F(RegionTest, KeysDoNothingWhileTheOverlayIsUp) {
    Start();
    int windows = CountThreadWindows();
    LeftClickAt(60, 60);
    PressKey(VK_ESCAPE);
    PressKey(VK_RETURN);
    PressKey('N', true);  // Capture Screen's key
    PressKey('R', true);  // Capture Region's key
    PressKey('B', true);  // Capture Object's key
    PressKey(VK_F4, false, true);
    EXPECT_TRUE(frame->m_wndTarget.IsWindowVisible());
    EXPECT_FALSE(frame->IsWindowVisible());
    EXPECT_EQ(windows, CountThreadWindows());
    EXPECT_EQ(nullptr, frame->m_wndTarget2.GetSafeHwnd());
    EXPECT_FALSE(FileExists(CaptureFilePath()));
    EXPECT_TRUE(frame->m_wndTarget.m_bStarted);
    // The selection goes on where it was.
    MouseTo(160, 110);
    LeftClickAt(160, 110);
    Settle();
    ExpectPatternCaptured(CRect(61, 61, 159, 109));
}

TEST_F(RegionTest, AnOverlayClosedFromOutsideBringsTheFrameBack) {
    Start();
    int gdi = CountGdiObjects();
    frame->m_wndTarget.SendMessage(WM_CLOSE);
    Settle();
    EXPECT_EQ(nullptr, frame->m_wndTarget.GetSafeHwnd());
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(CString("Capture is canceled!"), Pane(1));
    EXPECT_EQ(nullptr, frame->m_wndTarget.m_pen.GetSafeHandle());
    EXPECT_LT(CountGdiObjects(), gdi);  // the frozen copy and the pen are gone
    // And a new capture starts from scratch.
    Start();
    RightClickAt(300, 300);
    Settle();
    EXPECT_TRUE(frame->IsWindowVisible());
}
