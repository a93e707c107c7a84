// Full-screen mode in the running program: F11 takes caption, menu and bars away and covers the
// screen, Esc in the view puts back exactly what was there; the picture is refitted both ways
// (ratio, origin and the pixels on the screen), keys keep working, and nothing leaks.
#include "AppFixture.h"

#include "state/Fit.h"

namespace {
// 100-pixel blocks whose colour names the block.
COLORREF Blocks(int x, int y) {
    return RGB((x / 100) * 12, (y / 100) * 25, 128);
}

struct FrameState {
    CRect rcWindow;
    CRect rcView;  // the view's window rectangle, screen coordinates
    LONG nStyle;
    HMENU hMenu;
    bool bToolBar;
    bool bStatusBar;
};

class FullScreenTest : public AppTest {
protected:
    // A folder of this program's own: test programs of other areas may run at the same time and
    // empty theirs.
    FullScreenTest() : AppTest(AppStart().Folder("fullscreen")) {}
    CMainFrame* Frame() { return run->frame(); }
    FrameState State() {
        FrameState s;
        Frame()->GetWindowRect(&s.rcWindow);
        view->GetWindowRect(&s.rcView);
        s.nStyle = GetWindowLongA(Frame()->m_hWnd, GWL_STYLE);
        s.hMenu = Frame()->GetMenu();
        s.bToolBar = Frame()->m_wndToolBar.IsWindowVisible() != FALSE;
        s.bStatusBar = Frame()->m_wndStatusBar.IsWindowVisible() != FALSE;
        return s;
    }
    void ExpectSame(const FrameState& a, const FrameState& b) {
        EXPECT_EQ(a.rcWindow, b.rcWindow);
        EXPECT_EQ(a.rcView, b.rcView);
        EXPECT_EQ(a.nStyle, b.nStyle);
        EXPECT_EQ(a.hMenu, b.hMenu);
        EXPECT_EQ(a.bToolBar, b.bToolBar);
        EXPECT_EQ(a.bStatusBar, b.bStatusBar);
    }
    // The picture of Blocks (w x h) shown whole and centred in the view as it is now: the ratio and
    // origin the fit gives, block colours where the blocks land, grey beside the picture.
    void ExpectFitted(int w, int h) {
        CRect rc;
        view->GetClientRect(&rc);
        FitResult fit = FitPicture(w, h, rc.Width(), rc.Height());
        EXPECT_DOUBLE_EQ(fit.dZoom, g_dZoom);
        EXPECT_EQ(fit.nDrawX, g_nDrawX);
        EXPECT_EQ(fit.nDrawY, g_nDrawY);
        EXPECT_EQ(rc.Width(), g_nClientWidth);
        EXPECT_EQ(rc.Height(), g_nClientHeight);
        const int cols[] = {0, w / 100 - 1}, rows[] = {0, h / 100 - 1};
        for (int i : cols) {
            for (int j : rows) {
                int x = fit.nDrawX + static_cast<int>(fit.dZoom * (100 * i + 50));
                int y = fit.nDrawY + static_cast<int>(fit.dZoom * (100 * j + 50));
                EXPECT_EQ(Blocks(100 * i, 100 * j), At(x, y)) << "block " << i << "," << j;
            }
        }
        if (fit.nDrawY > 4) {
            EXPECT_EQ(kViewGrey, At(rc.Width() / 2, fit.nDrawY / 2));
        }
        if (fit.nDrawX > 4) {
            EXPECT_EQ(kViewGrey, At(fit.nDrawX / 2, rc.Height() / 2));
        }
    }
    bool FullScreen() { return run->app().m_bFullScreen != 0; }
};
}  // namespace

TEST_F(FullScreenTest, F11CoversTheScreenAndEscPutsEverythingBack) {
    Show(WritePicture("blocks.bmp", 2000, 1000, Blocks));
    ExpectFitted(2000, 1000);
    FrameState before = State();
    ASSERT_TRUE(before.hMenu != nullptr);
    ASSERT_TRUE(before.bToolBar && before.bStatusBar);
    ASSERT_NE(0, before.nStyle & WS_CAPTION);

    Key(VK_F11);
    EXPECT_TRUE(FullScreen());
    FrameState full = State();
    EXPECT_EQ(CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), full.rcWindow);
    EXPECT_EQ(0, full.nStyle & WS_CAPTION);
    EXPECT_TRUE(full.hMenu == nullptr);
    EXPECT_FALSE(full.bToolBar);
    EXPECT_FALSE(full.bStatusBar);
    EXPECT_TRUE(Frame()->IsWindowVisible());
    // The view takes the whole frame, and the picture is fitted to it.
    CRect rcClient;
    Frame()->GetClientRect(&rcClient);
    EXPECT_EQ(full.rcWindow, rcClient);
    EXPECT_EQ(full.rcWindow, full.rcView);
    ExpectFitted(2000, 1000);
    EXPECT_GT(g_dZoom, 0.45);  // larger than in the 600 x 450 frame

    Key(VK_ESCAPE);
    EXPECT_FALSE(FullScreen());
    ExpectSame(before, State());
    EXPECT_TRUE(IsMenu(before.hMenu));
    ExpectFitted(2000, 1000);
}

TEST_F(FullScreenTest, AHiddenStatusBarStaysHiddenAndEscWhenOffDoesNothing) {
    Show(WritePicture("blocks.bmp", 800, 600, Blocks));
    Frame()->ShowControlBar(&Frame()->m_wndStatusBar, FALSE, FALSE);
    Command(ID_ZOOM_100);  // clears the refit request
    ASSERT_EQ(0, run->app().m_bRefitPending);
    FrameState before = State();
    double dZoom = g_dZoom;

    // Esc with full-screen mode off: nothing moves, no refit is asked for.
    Key(VK_ESCAPE);
    ExpectSame(before, State());
    EXPECT_EQ(0, run->app().m_bRefitPending);
    EXPECT_DOUBLE_EQ(dZoom, g_dZoom);

    Command(ID_VIEW_FULLSCREEN);
    EXPECT_FALSE(State().bStatusBar);
    Key(VK_ESCAPE);
    FrameState after = State();
    ExpectSame(before, after);
    EXPECT_TRUE(after.bToolBar);
    EXPECT_FALSE(after.bStatusBar);
    ExpectFitted(800, 600);
}

TEST_F(FullScreenTest, TwoHundredPercentBeforeF11IsFittedAfterAndZoomInDoublesTheFit) {
    Show(WritePicture("blocks.bmp", 2000, 1000, Blocks));
    Command(ID_ZOOM_200);
    ASSERT_DOUBLE_EQ(2.0, g_dZoom);
    Key(VK_F11);
    ExpectFitted(2000, 1000);
    double fitted = g_dZoom;
    EXPECT_LT(fitted, 1.0);
    EXPECT_FALSE(PanX() || PanY());
    Key(VK_ADD);
    EXPECT_DOUBLE_EQ(2 * fitted, g_dZoom);
    EXPECT_EQ(0, run->app().m_bRefitPending);
    EXPECT_TRUE(PanX());  // twice the fit is wider than the screen
    Key(VK_ESCAPE);
    ExpectFitted(2000, 1000);
}

TEST_F(FullScreenTest, PageDownStepsWhileFullScreenAndF11Toggles) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        WritePicture(name, 300, 200, Blocks);
    view->OpenChosenFile((m_strFolder + "a.bmp").c_str(), "a.bmp");
    PumpNow();
    HMENU hMenu = Frame()->GetMenu();

    Key(VK_F11);
    ASSERT_TRUE(FullScreen());
    Key(VK_NEXT);
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_EQ(CString("2 in 3"), Pane(5));
    EXPECT_EQ(CString("b.bmp"), Pane(1));
    ExpectFitted(300, 200);

    // F11 again leaves, and a third time enters again: the menu is taken off once and comes back.
    Key(VK_F11);
    EXPECT_FALSE(FullScreen());
    EXPECT_EQ(hMenu, Frame()->GetMenu());
    EXPECT_NE(0, Frame()->GetStyle() & WS_CAPTION);
    Key(VK_F11);
    EXPECT_TRUE(FullScreen());
    EXPECT_TRUE(Frame()->GetMenu() == nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(hMenu, Frame()->GetMenu());
}

TEST_F(FullScreenTest, EscReachesTheViewWhereverTheFocusCameBackTo) {
    Show(WritePicture("blocks.bmp", 800, 600, Blocks));
    Command(ID_VIEW_FULLSCREEN);
    ASSERT_TRUE(FullScreen());
    // A dialog or a click on the frame gives the focus back to the frame: it passes it on.
    SetFocus(Frame()->m_hWnd);
    EXPECT_EQ(view->m_hWnd, GetFocus());
    HWND hFocus = GetFocus();
    PostMessageA(hFocus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(hFocus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    PumpNow();
    EXPECT_FALSE(FullScreen());
    EXPECT_NE(0, Frame()->GetStyle() & WS_CAPTION);
}

TEST_F(FullScreenTest, AHundredRoundTripsLeakNothing) {
    Show(WritePicture("small.bmp", 200, 100, Blocks));
    FrameState before = State();
    // One trip first, so that whatever is made once is counted in the baseline.
    Key(VK_F11);
    Key(VK_ESCAPE);
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    for (int i = 0; i < SoakSteps(20, 100); ++i) {
        Key(VK_F11);
        Key(VK_ESCAPE);
    }
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
    ExpectSame(before, State());
    ExpectFitted(200, 100);
}

TEST_F(FullScreenTest, ClosingWhileFullScreenGivesTheMenuBackToTheFrame) {
    // Whatever menu is installed (not only the resource menu) is the one taken off and disposed of.
    HMENU hInstalled = CreateMenu();
    AppendMenuA(hInstalled, MF_STRING, ID_FILE_OPEN, "Open");
    HMENU hResource = Frame()->GetMenu();
    SetMenu(Frame()->m_hWnd, hInstalled);
    Key(VK_F11);
    ASSERT_TRUE(FullScreen());
    EXPECT_TRUE(Frame()->GetMenu() == nullptr);
    run->Exit();
    // The frame destroyed the installed menu with itself, and the resource menu as its own.
    EXPECT_FALSE(IsMenu(hInstalled));
    EXPECT_FALSE(IsMenu(hResource));
    EXPECT_FALSE(FullScreen());
}
