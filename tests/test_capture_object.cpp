// Capture Object driven with the real mouse: the window under the click, found after the
// overlay has gone, is captured as its rectangle on the screen.
#include <gtest/gtest.h>

#include <string>

#include "AppFixture.h"

namespace {
// Another top-level window with a push button, away from the main frame.
class ButtonWindow {
public:
    explicit ButtonWindow(int x = 20, int y = 20) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "MorvaneTestHost";
        RegisterClassA(&wc);  // fails harmlessly when already registered
        m_hWnd = CreateWindowExA(0, wc.lpszClassName, "Another window", WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, 180,
                                 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        m_hButton = CreateWindowExA(0, "BUTTON", "Push me", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 30, 30, 110, 30,
                                    m_hWnd, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), nullptr);
        UpdateWindow(m_hWnd);
        PumpFor(150);
    }
    ~ButtonWindow() {
        DestroyWindow(m_hWnd);
        PumpNow();
    }
    HWND button() const { return m_hButton; }
    HWND hwnd() const { return m_hWnd; }

private:
    HWND m_hWnd;
    HWND m_hButton;
};

class ObjectTest : public AppTest {
protected:
    ObjectTest() : AppTest(CaptureStart()) {}
    void Start() {
        Command(ID_TOOLS_CAPTUREOBJECT);
        PumpFor(150);
        ASSERT_NE(nullptr, frame->m_wndTarget2.GetSafeHwnd());
        ASSERT_TRUE(frame->m_wndTarget2.IsWindowVisible());
    }
};
}  // namespace

TEST_F(ObjectTest, AClickOnAPushButtonCapturesJustTheButton) {
    ButtonWindow other;
    SetForegroundWindow(frame->m_hWnd);
    PumpFor(100);
    CRect rcButton;
    GetWindowRect(other.button(), &rcButton);
    std::vector<COLORREF> before = ScreenColours(rcButton);

    Start();
    CTarget2Wnd& t = frame->m_wndTarget2;
    EXPECT_FALSE(frame->IsWindowVisible());
    CRect rc;
    t.GetWindowRect(&rc);
    EXPECT_EQ(CRect(0, 0, 1024, 768), rc);
    EXPECT_TRUE(GetWindowLongA(t.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(1, app().m_bObjectCaptured);
    EXPECT_EQ(0, app().m_bRegionCaptured);
    // The screen looks as it did, under the hand cursor.
    EXPECT_EQ(before, ScreenColours(rcButton));
    MouseTo(rcButton.left + 10, rcButton.top + 10);
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());

    LeftClickAt(rcButton.CenterPoint().x, rcButton.CenterPoint().y);
    Settle();
    EXPECT_EQ(nullptr, t.GetSafeHwnd());
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(rcButton, t.m_rcWindow);
    BmpFile f = ReadBmp(CaptureFilePath());
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(rcButton.Width(), f.info.biWidth);
    ASSERT_EQ(rcButton.Height(), f.info.biHeight);
    int wrong = 0;
    for (int y = 0; y < rcButton.Height(); ++y)
        for (int x = 0; x < rcButton.Width(); ++x)
            wrong += f.Pixel(x, y) != before[static_cast<size_t>(y) * rcButton.Width() + x];
    EXPECT_EQ(0, wrong) << "pixels differing from the button on the screen";
    EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
    EXPECT_EQ(CString(" [110,30] "), Pane(3));

    std::string out = MakeTempFolder("object-clip") + "clip.txt";
    EXPECT_EQ(0, RunClipboardHelper("read \"" + out + "\""));
    EXPECT_EQ("bitmap 110 30\n", ReadAll(out));
}

TEST_F(ObjectTest, RightClicksAndKeysDoNothingAndTheDesktopCanBeTaken) {
    Start();
    int windows = CountThreadWindows();
    RightClickAt(600, 400);
    PressKey(VK_ESCAPE);
    PressKey('B', true);
    PressKey('R', true);
    PressKey(VK_F4, false, true);
    EXPECT_TRUE(frame->m_wndTarget2.IsWindowVisible());
    EXPECT_FALSE(frame->IsWindowVisible());
    EXPECT_EQ(windows, CountThreadWindows());
    EXPECT_EQ(nullptr, frame->m_wndTarget.GetSafeHwnd());
    EXPECT_FALSE(FileExists(CaptureFilePath()));

    // The hand shows as soon as the system asks for a cursor.
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_TRUE(frame->m_wndTarget2.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(frame->m_wndTarget2.m_hWnd),
                                                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());

    // An empty part of the desktop: the rectangle of the window the system finds there.
    LeftClickAt(1000, 740);
    Settle();
    CRect desktop;
    GetWindowRect(WindowFromPoint(CPoint(1000, 740)), &desktop);
    EXPECT_EQ(desktop, frame->m_wndTarget2.m_rcWindow);
    BmpFile f = ReadBmp(CaptureFilePath());
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(desktop.Width(), f.info.biWidth);
    EXPECT_EQ(desktop.Height(), f.info.biHeight);
}

TEST_F(ObjectTest, AnOverlayClosedFromOutsideBringsTheFrameBack) {
    Start();
    frame->m_wndTarget2.SendMessage(WM_CLOSE);
    Settle();
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(0, app().m_bObjectCaptured);
    EXPECT_EQ(CString("Capture is canceled!"), Pane(1));
    EXPECT_FALSE(FileExists(CaptureFilePath()));
}

TEST_F(ObjectTest, AWindowPartlyOffTheScreenIsTakenWithItsWholeRectangle) {
    ButtonWindow other(-70, 600);
    SetForegroundWindow(frame->m_hWnd);
    PumpFor(100);
    CRect rcWindow;
    GetWindowRect(other.hwnd(), &rcWindow);
    ASSERT_LT(rcWindow.left, 0);
    Start();
    LeftClickAt(rcWindow.right - 8, rcWindow.bottom - 8);  // the window's own face, below its button
    Settle();
    EXPECT_EQ(rcWindow, frame->m_wndTarget2.m_rcWindow);
    BmpFile f = ReadBmp(CaptureFilePath());
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(rcWindow.Width(), f.info.biWidth);
    EXPECT_EQ(rcWindow.Height(), f.info.biHeight);
    // The part on the screen is the window's face; the part off it is black.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), f.Pixel(rcWindow.Width() - 8, rcWindow.Height() - 8));
    EXPECT_EQ(RGB(0, 0, 0), f.Pixel(-rcWindow.left - 10, rcWindow.Height() - 8));
}
