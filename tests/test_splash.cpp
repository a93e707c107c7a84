// The splash screen in a real start: where it shows and what, what ends it, what it swallows,
// the command lines that leave it out, and its handles.
#include <gtest/gtest.h>

#include <vector>

#include "AppFixture.h"
#include "DesktopUtil.h"
#include "frame/Splash.h"
#include "res/resource.h"

namespace {
// Records which of the input messages reach a window of the program.
class MessageSpy {
public:
    explicit MessageSpy(HWND hWnd) : m_hWnd(hWnd) {
        s_pSpy = this;
        m_pfnOld = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageSpy::Proc)));
    }
    ~MessageSpy() {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOld));
        s_pSpy = nullptr;
    }
    bool Saw(UINT message) const {
        for (UINT m : m_seen)
            if (m == message)
                return true;
        return false;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
        MessageSpy* self = s_pSpy;
        if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
            message == WM_MOUSEMOVE)
            self->m_seen.push_back(message);
        return CallWindowProcA(self->m_pfnOld, h, message, wParam, lParam);
    }
    static MessageSpy* s_pSpy;
    HWND m_hWnd;
    WNDPROC m_pfnOld;
    std::vector<UINT> m_seen;
};
MessageSpy* MessageSpy::s_pSpy = nullptr;

// Takes the program's messages one at a time, as its loop does, until the condition holds. A
// posted message is taken before any timer message, so the splash's timer cannot come first.
bool PumpMessagesUntil(CWinApp& app, const std::function<bool()>& condition, int nMax = 200) {
    for (int i = 0; i < nMax; ++i) {
        if (condition())
            return true;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            return condition();
        app.PumpMessage();
    }
    return condition();
}

// The pixels of bitmap 141 as the screen shows them, top row first.
std::vector<COLORREF> SplashBitmapPixels(int* pWidth, int* pHeight) {
    HBITMAP hbm = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SPLASH));
    BITMAP bm = {};
    GetObjectA(hbm, sizeof bm, &bm);
    *pWidth = bm.bmWidth;
    *pHeight = bm.bmHeight;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> bits(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC hdc = GetDC(nullptr);
    GetDIBits(hdc, hbm, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hdc);
    DeleteObject(hbm);
    std::vector<COLORREF> out;
    for (DWORD v : bits)
        out.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    return out;
}

class SplashTest : public CleanRegistryTest {};
}  // namespace

TEST_F(SplashTest, ShowsTheBitmapCentredOverTheNewFrame) {
    RunningApp run("", true);
    ASSERT_TRUE(run.started());
    HWND hSplash = CSplashScreen::GetSplashWindow();
    ASSERT_NE(nullptr, hSplash);
    EXPECT_TRUE(IsWindowVisible(hSplash));
    // The messages of the start, up to the splash on top of the frame (before its timer can come).
    auto bAboveFrame = [&] {
        for (HWND z = GetWindow(hSplash, GW_HWNDNEXT); z; z = GetWindow(z, GW_HWNDNEXT))
            if (z == run.frame()->m_hWnd)
                return true;
        return false;
    };
    EXPECT_TRUE(PumpMessagesUntil(run.app(), bAboveFrame));
    EXPECT_EQ(run.frame()->m_hWnd, GetWindow(hSplash, GW_OWNER));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), GetWindowLongA(hSplash, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_EQ(0, GetWindowLongA(hSplash, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);

    CRect rcSplash, rcFrame;
    GetWindowRect(hSplash, &rcSplash);
    run.frame()->GetWindowRect(&rcFrame);
    EXPECT_EQ(228, rcSplash.Width());
    EXPECT_EQ(161, rcSplash.Height());
    EXPECT_NEAR(rcFrame.left + rcFrame.right, rcSplash.left + rcSplash.right, 1);
    EXPECT_NEAR(rcFrame.top + rcFrame.bottom, rcSplash.top + rcSplash.bottom, 1);

    int w = 0, h = 0;
    std::vector<COLORREF> expected = SplashBitmapPixels(&w, &h);
    ASSERT_EQ(228, w);
    ASSERT_EQ(161, h);
    std::vector<COLORREF> screen = ScreenColours(rcSplash);
    ASSERT_EQ(expected.size(), screen.size());
    int nDiffer = 0;
    for (size_t i = 0; i < screen.size(); ++i)
        nDiffer += screen[i] != expected[i];
    EXPECT_EQ(0, nDiffer) << "pixels that differ from bitmap 141";
}

TEST_F(SplashTest, MouseMovesKeepItAKeyEndsItAndIsSwallowed) {
    RunningApp run("", true);
    ASSERT_NE(nullptr, CSplashScreen::GetSplashWindow());
    HWND hView = run.view()->m_hWnd;
    MessageSpy spy(hView);
    PostMessageA(hView, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(PumpMessagesUntil(run.app(), [&] { return spy.Saw(WM_MOUSEMOVE); }));
    EXPECT_NE(nullptr, CSplashScreen::GetSplashWindow()) << "mouse movement alone ends nothing";

    PostMessageA(hView, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_TRUE(PumpMessagesUntil(run.app(), [] { return CSplashScreen::GetSplashWindow() == nullptr; }));
    PumpFor(100);
    EXPECT_FALSE(spy.Saw(WM_KEYDOWN)) << "the key that ended the splash reached the view";

    // Gone: the next key goes through.
    PostMessageA(hView, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_TRUE(PumpMessagesUntil(run.app(), [&] { return spy.Saw(WM_KEYDOWN); }));
}

TEST_F(SplashTest, AClickOnTheSplashOrTheFrameEndsItAndIsSwallowed) {
    {
        RunningApp run("", true);
        HWND hSplash = CSplashScreen::GetSplashWindow();
        ASSERT_NE(nullptr, hSplash);
        PostMessageA(hSplash, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
        EXPECT_TRUE(PumpMessagesUntil(run.app(), [] { return CSplashScreen::GetSplashWindow() == nullptr; }));
        EXPECT_FALSE(IsWindow(hSplash));
    }
    {
        RunningApp run("", true);
        ASSERT_NE(nullptr, CSplashScreen::GetSplashWindow());
        HWND hFrame = run.frame()->m_hWnd;
        MessageSpy spy(hFrame);
        CRect rc;
        GetWindowRect(hFrame, &rc);
        PostMessageA(hFrame, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(rc.left + 100, rc.top + 8));
        EXPECT_TRUE(PumpMessagesUntil(run.app(), [] { return CSplashScreen::GetSplashWindow() == nullptr; }));
        PumpFor(100);
        EXPECT_FALSE(spy.Saw(WM_NCLBUTTONDOWN));
    }
}

TEST_F(SplashTest, EndsByItselfAfterASecondAndTheFrameIsRepainted) {
    DWORD dwStart = GetTickCount();
    RunningApp run("", true);
    HWND hSplash = CSplashScreen::GetSplashWindow();
    ASSERT_NE(nullptr, hSplash);
    CRect rc;
    GetWindowRect(hSplash, &rc);
    EXPECT_TRUE(PumpUntil([] { return CSplashScreen::GetSplashWindow() == nullptr; }, 20000));
    EXPECT_GE(GetTickCount() - dwStart, 1000u);
    EXPECT_FALSE(IsWindow(hSplash));
    // The view shows again where the splash was: grey, without a pump of its own.
    POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ScreenToClient(run.view()->m_hWnd, &centre);
    EXPECT_EQ(RGB(128, 128, 128), ScreenPixel(run.view()->m_hWnd, centre.x, centre.y));
}

TEST_F(SplashTest, EmbeddingAndAutomationStartWithoutIt) {
    for (const char* cmdLine : {"/Embedding", "-Automation"}) {
        RunningApp run(cmdLine, true);
        ASSERT_TRUE(run.started()) << cmdLine;
        EXPECT_NE(nullptr, run.frame());
        EXPECT_EQ(nullptr, CSplashScreen::GetSplashWindow()) << cmdLine;
    }
    RunningApp plain("", true);
    EXPECT_NE(nullptr, CSplashScreen::GetSplashWindow());
}

TEST_F(SplashTest, FilterLetsEverythingThroughOnceItIsGone) {
    RunningApp run("", true);
    HWND hSplash = CSplashScreen::GetSplashWindow();
    ASSERT_NE(nullptr, hSplash);
    MSG mouseMove = {run.view()->m_hWnd, WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(CSplashScreen::FilterSplashMessage(&mouseMove));
    SendMessageA(hSplash, WM_TIMER, 1, 0);
    ASSERT_EQ(nullptr, CSplashScreen::GetSplashWindow());
    const UINT kPresses[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,    WM_LBUTTONDOWN,   WM_RBUTTONDOWN,
                             WM_MBUTTONDOWN, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
    for (UINT m : kPresses) {
        MSG msg = {run.view()->m_hWnd, m, 0, 0, 0, {0, 0}};
        EXPECT_FALSE(CSplashScreen::FilterSplashMessage(&msg)) << m;
    }
    // Nothing shows it a second time in the same start.
    PumpFor(200);
    EXPECT_EQ(nullptr, CSplashScreen::GetSplashWindow());
}

TEST_F(SplashTest, RepeatedShowsLeaveOneWindowAndLeakNothing) {
    RunningApp run("", true);
    ASSERT_NE(nullptr, CSplashScreen::GetSplashWindow());
    int nWindows = CountThreadWindows();
    CSplashScreen::ShowSplash(run.frame());  // one is shown: nothing more
    EXPECT_EQ(nWindows, CountThreadWindows());
    SendMessageA(CSplashScreen::GetSplashWindow(), WM_TIMER, 1, 0);
    PumpFor(50);
    int gdi = CountGdiObjects(), wnd = CountThreadWindows();
    for (int i = 0; i < 30; ++i) {
        CSplashScreen::ShowSplash(run.frame());
        HWND h = CSplashScreen::GetSplashWindow();
        ASSERT_NE(nullptr, h);
        if (i % 2) {
            SendMessageA(h, WM_TIMER, 1, 0);
        } else {
            PostMessageA(run.view()->m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
            PumpMessagesUntil(run.app(), [] { return CSplashScreen::GetSplashWindow() == nullptr; });
        }
        ASSERT_EQ(nullptr, CSplashScreen::GetSplashWindow());
    }
    PumpFor(50);
    EXPECT_LE(CountGdiObjects(), gdi + 1);
    EXPECT_EQ(wnd, CountThreadWindows());
}
