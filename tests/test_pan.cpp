// Dragging a zoomed picture with real mouse input: which axes move, the clamp, the hand
// cursors, the end of a drag outside the view, the pixels drawn, and no leaks over a long drag.
#include "AppFixture.h"

#include <psapi.h>

namespace {
// Bands 20 pixels wide, each its own colour.
COLORREF Band(int b) {
    return RGB((b * 37) % 200 + 20, (b * 91 + 40) % 200 + 10, (b * 53 + 80) % 200 + 30);
}
COLORREF Bands(int x, int) {
    return Band(x / 20);
}
// Blocks of 50 pixels in both directions.
COLORREF Checks(int x, int y) {
    return RGB((x / 50) * 20, (y / 50) * 20, 200);
}

SIZE_T PrivateBytes() {
    typedef BOOL(WINAPI * Fn)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    static Fn fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!fn || !fn(GetCurrentProcess(), &pmc, sizeof pmc))
        return 0;
    return pmc.PagefileUsage;
}

class PanTest : public AppTest {
protected:
    PanTest() : AppTest(AppStart().Folder("zoom")) {}
    // A picture 801 wide and 100 high at 100 % in a view 500 x 300: centred at (-150, 100),
    // wider than the view only.
    void ShowWideAtFullSize() {
        SizeView(500, 300);
        Show(WritePicture("bands.bmp", 801, 100, Bands));
        ASSERT_EQ(801, g_nImageWidth) << g_nClientWidth << "x" << g_nClientHeight;
        Command(ID_ZOOM_100);
        ASSERT_EQ(-150, g_nCentreX);
        ASSERT_EQ(100, g_nCentreY);
        ASSERT_TRUE(PanX());
        ASSERT_FALSE(PanY());
    }
    // The band under each sampled point of the picture's row matches the origin.
    void ExpectBandsAt(int nDrawX) {
        ScreenGrab row(view->m_hWnd, CRect(0, 150, 500, 151));
        for (int sx = 0; sx < 500; ++sx) {
            int px = sx - nDrawX;
            if (px % 20 == 10) {
                EXPECT_EQ(Band(px / 20), row.at(sx, 150)) << "x " << sx << " origin " << nDrawX;
            }
        }
    }
    HCURSOR Arrow() { return LoadCursor(nullptr, IDC_ARROW); }
};
}  // namespace

TEST_F(PanTest, WidePictureMovesSidewaysOnlyAndStopsAtItsEdges) {
    ShowWideAtFullSize();
    MouseMoveTo(view->m_hWnd, 250, 150);
    EXPECT_EQ(view->m_hCursorOpenHand, GetCursor());
    MouseLeftDown();
    EXPECT_TRUE(g_bDragging);
    EXPECT_EQ(view->m_hCursorClosedHand, GetCursor());

    MouseMoveTo(view->m_hWnd, 150, 190);  // 100 left, 40 down: only the left counts
    EXPECT_EQ(-250, g_nDrawX);
    EXPECT_EQ(100, g_nDrawY);
    EXPECT_EQ(view->m_hCursorClosedHand, GetCursor());
    ExpectBandsAt(-250);

    MouseMoveTo(view->m_hWnd, 0, 150);  // 150 further left: stops at twice the centre
    EXPECT_EQ(-300, g_nDrawX);
    ExpectBandsAt(-300);
    // Drawn without erasing, the grey above and below the picture stays as it was.
    EXPECT_EQ(kViewGrey, At(250, 50));
    EXPECT_EQ(kViewGrey, At(250, 250));

    MouseMoveTo(view->m_hWnd, 499, 150);  // far right: the left edge stops at the view's edge
    EXPECT_EQ(0, g_nDrawX);
    ExpectBandsAt(0);
    MouseMoveTo(view->m_hWnd, 499, 20);
    EXPECT_EQ(0, g_nDrawX);
    EXPECT_EQ(100, g_nDrawY);

    MouseLeftUp();
    EXPECT_FALSE(g_bDragging);
    EXPECT_EQ(view->m_hCursorOpenHand, GetCursor());
    EXPECT_EQ(1, g_bManualZoom);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);  // a drag never changes the ratio
    // A repaint draws the picture where the drag left it.
    Repaint();
    EXPECT_EQ(0, g_nDrawX);
    ExpectBandsAt(0);
}

TEST_F(PanTest, ReleaseOutsideTheViewEndsTheDrag) {
    ShowWideAtFullSize();
    MouseMoveTo(view->m_hWnd, 250, 150);
    MouseLeftDown();
    MouseMoveTo(view->m_hWnd, 200, 150);
    EXPECT_EQ(-200, g_nDrawX);
    // Released over the status bar, below the view.
    MouseMoveTo(view->m_hWnd, 220, 300 + 8);
    ASSERT_EQ(run->frame()->m_wndStatusBar.m_hWnd, WindowFromPoint([] {
                  POINT p;
                  GetCursorPos(&p);
                  return p;
              }()));
    MouseLeftUp();
    EXPECT_FALSE(g_bDragging);
    int x = g_nDrawX;
    // Coming back over the view moves nothing.
    MouseMoveTo(view->m_hWnd, 100, 150);
    MouseMoveTo(view->m_hWnd, 50, 160);
    EXPECT_EQ(x, g_nDrawX);
    EXPECT_EQ(view->m_hCursorOpenHand, GetCursor());

    // The same out of the main window altogether.
    MouseLeftDown();
    MouseMoveTo(view->m_hWnd, 80, 150);
    CRect rcFrame;
    run->frame()->GetWindowRect(&rcFrame);
    POINT outside = {rcFrame.right + 40, rcFrame.top + 100};
    ScreenToClient(view->m_hWnd, &outside);
    MouseMoveTo(view->m_hWnd, outside.x, outside.y);
    MouseLeftUp();
    EXPECT_FALSE(g_bDragging);
    x = g_nDrawX;
    MouseMoveTo(view->m_hWnd, 200, 150);
    MouseMoveTo(view->m_hWnd, 100, 150);
    EXPECT_EQ(x, g_nDrawX);
}

TEST_F(PanTest, TallAndWidePictureClampsEachAxis) {
    SizeView(500, 300);
    Show(WritePicture("checks.bmp", 600, 700, Checks));
    Command(ID_ZOOM_100);
    ASSERT_EQ(-50, g_nCentreX);
    ASSERT_EQ(-200, g_nCentreY);
    ASSERT_TRUE(PanX() && PanY());
    MouseMoveTo(view->m_hWnd, 100, 100);
    MouseLeftDown();
    MouseMoveTo(view->m_hWnd, 130, 290);  // 30 right, 190 down
    EXPECT_EQ(-20, g_nDrawX);
    EXPECT_EQ(-10, g_nDrawY);
    MouseMoveTo(view->m_hWnd, 300, 320);  // past both near edges (below the view, still held)
    EXPECT_EQ(0, g_nDrawX);
    EXPECT_EQ(0, g_nDrawY);
    MouseMoveTo(view->m_hWnd, 5, 0);  // back: the left part stops at the far edge
    EXPECT_EQ(-100, g_nDrawX);
    EXPECT_EQ(-320, g_nDrawY);
    MouseLeftUp();
    // A second drag upwards: the bottom part stops at the far edge too.
    MouseMoveTo(view->m_hWnd, 5, 299);
    MouseLeftDown();
    MouseMoveTo(view->m_hWnd, 0, 100);
    EXPECT_EQ(-100, g_nDrawX);
    EXPECT_EQ(-400, g_nDrawY);
    MouseLeftUp();
    // Picture pixel (x, y) is on the screen at (x - 100, y - 400).
    EXPECT_EQ(Checks(125, 425), At(25, 25));
    EXPECT_EQ(Checks(575, 675), At(475, 275));
}

TEST_F(PanTest, AutoZoomedPictureIsNeverDraggedAndKeepsTheArrow) {
    SizeView(500, 300);
    Show(WritePicture("bands.bmp", 801, 100, Bands));
    int x = g_nDrawX, y = g_nDrawY;
    MouseMoveTo(view->m_hWnd, 250, 150);
    EXPECT_EQ(Arrow(), GetCursor());
    MouseLeftDown();
    EXPECT_EQ(Arrow(), GetCursor());
    MouseMoveTo(view->m_hWnd, 100, 120);
    EXPECT_EQ(Arrow(), GetCursor());
    EXPECT_EQ(x, g_nDrawX);
    EXPECT_EQ(y, g_nDrawY);
    MouseLeftUp();
    EXPECT_EQ(0, g_bManualZoom);
    EXPECT_EQ(Arrow(), GetCursor());

    // After a zoom that leaves the picture inside the view there is nothing to drag either.
    Command(ID_ZOOM_25);
    MouseMoveTo(view->m_hWnd, 240, 140);
    EXPECT_EQ(Arrow(), GetCursor());
}

TEST_F(PanTest, VanishedFileDrawsNothingAndSaysNothing) {
    ShowWideAtFullSize();
    COLORREF before = At(250, 150);
    DeleteFileA(g_strFilePath);
    MessageBoxWatcher watcher;
    MouseMoveTo(view->m_hWnd, 250, 150);
    MouseLeftDown();
    MouseMoveTo(view->m_hWnd, 180, 150);
    MouseLeftUp();
    EXPECT_EQ(-220, g_nDrawX);
    EXPECT_EQ(before, At(250, 150));  // the view keeps its last content
    PumpFor(100);
    EXPECT_EQ(0, watcher.count());
}

TEST_F(PanTest, AThousandDragStepsAndZoomCommandsLeakNothing) {
    SizeView(200, 120);  // a small view keeps the thousand draws quick
    Show(WritePicture("small.bmp", 150, 100, Checks));
    Command(ID_ZOOM_200);  // 300 x 200 in 200 x 120
    ASSERT_TRUE(PanX() && PanY());
    HWND h = view->m_hWnd;
    auto step = [h](int i) {
        int dx = (i % 20 < 10) ? -7 : 7, dy = (i % 14 < 7) ? 5 : -5;
        SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100 + dx * (i % 10), 60 + dy * (i % 7)));
    };
    const UINT zooms[] = {ID_VIEW_ZOOMOUT, ID_VIEW_ZOOMIN, ID_ZOOM_200, ID_VIEW_AUTOZOOM, ID_ZOOM_175};
    // Warm up: whatever GDI+ and the view keep for the process is made once, at every zoom.
    for (UINT nZoom : zooms) {
        Command(nZoom);
        if (!PanX() && !PanY())
            Command(ID_ZOOM_200);
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
        for (int i = 0; i < 20; ++i)
            step(i);
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
        PumpNow();
    }

    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    ASSERT_GT(gdi, 0);
    SIZE_T bytes = PrivateBytes();
    int nSteps = 0;
    const int nRounds = SoakSteps(2, 50);
    for (int round = 0; round < nRounds; ++round) {
        Command(zooms[round % 5]);
        if (!PanX() && !PanY())
            Command(ID_ZOOM_200);
        ASSERT_TRUE(PanX() && PanY());
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
        for (int i = 0; i < 20; ++i, ++nSteps)
            step(i);
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
        PumpNow();
    }
    EXPECT_EQ(nRounds * 20, nSteps);
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
    // A decoded picture kept per step would be 60 kB a step.
    EXPECT_LT(PrivateBytes(), bytes + 16 * 1024 * 1024);
    EXPECT_EQ(nullptr, GetCapture());
}
