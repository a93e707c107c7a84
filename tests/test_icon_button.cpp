// The icon button in a real window: where it draws its icon and caption, the pressed and hover
// looks under real mouse input, the tooltip, the disabled look, the cursor, and its handles.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "AppFixture.h"
#include "controls/IconButton.h"
#include "res/resource.h"

namespace {
const UINT kButtonId = 1;
const int kWidth = 75, kHeight = 23;  // a 32 x 32 icon on a lower button

// Opens the button's state to the test.
class CTestButton : public CIconButton {
public:
    using CIconButton::m_bMouseOver;
    using CIconButton::m_hIconIn;
    using CIconButton::m_hIconOut;
    using CIconButton::m_toolTip;
};

// The button's parent: reflects the drawing back to it and counts its clicks.
class CButtonHost : public CWnd {
public:
    int m_nClicks = 0;

protected:
    void OnClicked() { ++m_nClicks; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CButtonHost, CWnd)
ON_COMMAND(kButtonId, OnClicked)
END_MESSAGE_MAP()

COLORREF Face() {
    return GetSysColor(COLOR_BTNFACE);
}
COLORREF Highlight() {
    return GetSysColor(COLOR_BTNHIGHLIGHT);
}
COLORREF Shadow() {
    return GetSysColor(COLOR_BTNSHADOW);
}

class IconButtonTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        host.reset(new CButtonHost);
        button.reset(new CTestButton);
        ASSERT_TRUE(
            host->CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 630, 260, 100, nullptr, nullptr));
        ASSERT_TRUE(button->Create("Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                   CRect(20, 20, 20 + kWidth, 20 + kHeight), host.get(), kButtonId));
        button->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        button->SetIcons(IDI_APPLY, 0, 32, 32);
        button->SetToolTipText("Apply");
        SetForegroundWindow(host->m_hWnd);
        Park();
    }
    void TearDown() override {
        MouseLeftUp();
        button.reset();
        host.reset();
        AppTest::TearDown();
    }
    // The pointer on the host, away from the button.
    void Park() { MouseMoveTo(host->m_hWnd, 200, 80); }
    void Over(int x = kWidth / 2, int y = kHeight / 2) { MouseMoveTo(button->m_hWnd, x, y); }
    void Redraw() {
        button->RedrawWindow();
        PumpNow();
    }
    ScreenGrab Screen() { return ScreenGrab(button->m_hWnd, CRect(0, 0, kWidth, kHeight)); }
    // What the button should show: its icon at (x, y), "Apply" centred in the rectangle that
    // starts at xCaption, in the normal or the disabled look.
    void DrawExpected(ReferenceImage& ref, int x, int y, int xCaption, int yCaption, UINT state) {
        HICON hIcon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPLY), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
        ASSERT_NE(nullptr, hIcon);
        if (state == DSS_NORMAL)
            DrawIconEx(ref.dc(), x, y, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
        else
            DrawStateA(ref.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, x, y, kWidth - x, kHeight - y,
                       DST_ICON | state);
        DestroyIcon(hIcon);
        HGDIOBJ hOld = SelectObject(ref.dc(), GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(ref.dc(), GetSysColor(COLOR_BTNTEXT));
        SetBkColor(ref.dc(), Face());
        RECT m = {0, 0, 100, 100};
        DrawTextA(ref.dc(), "Apply", -1, &m, DT_SINGLELINE | DT_CALCRECT | DT_LEFT);
        int w = m.right - m.left, h = m.bottom - m.top;
        int xText = xCaption + (kWidth - xCaption - w) / 2, yText = yCaption + (kHeight - yCaption - h) / 2;
        DrawStateA(ref.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>("Apply"), 5, xText, yText, w, h,
                   DST_PREFIXTEXT | state);
        SelectObject(ref.dc(), hOld);
    }

    std::unique_ptr<CButtonHost> host;
    std::unique_ptr<CTestButton> button;
};
}  // namespace

TEST(IconButtonLayout, IconLeftOfTheCaption) {
    // 32 x 32 on a 75 x 23 button: 3 pixels in, (23 - 32) / 2 = -4 from the top.
    IconButtonLayout l = LayoutIconButton(CRect(0, 0, 75, 23), true, true, 0, 32, 32, false);
    EXPECT_EQ(CRect(3, -4, 75, 23), l.rcIcon);
    EXPECT_EQ(CRect(35, 0, 75, 23), l.rcCaption);
    // Pressed: both move one pixel right and down.
    l = LayoutIconButton(CRect(0, 0, 75, 23), true, true, 0, 32, 32, true);
    EXPECT_EQ(CRect(4, -3, 76, 24), l.rcIcon);
    EXPECT_EQ(CRect(36, 1, 76, 24), l.rcCaption);
    // Without a caption the icon is centred both ways.
    l = LayoutIconButton(CRect(10, 10, 60, 50), true, false, 0, 16, 16, false);
    EXPECT_EQ(CPoint(27, 22), l.rcIcon.TopLeft());
    // Without an icon the caption keeps the whole button.
    l = LayoutIconButton(CRect(0, 0, 75, 23), false, true, 0, 32, 32, false);
    EXPECT_EQ(CRect(0, 0, 75, 23), l.rcCaption);
}

TEST(IconButtonLayout, IconAboveTheCaption) {
    IconButtonLayout l = LayoutIconButton(CRect(0, 0, 80, 60), true, true, 1, 32, 32, false);
    EXPECT_EQ(CPoint(24, 0), l.rcIcon.TopLeft());
    EXPECT_EQ(CRect(0, 32, 80, 60), l.rcCaption);
    l = LayoutIconButton(CRect(0, 0, 80, 60), true, false, 1, 32, 32, false);
    EXPECT_EQ(CPoint(24, 14), l.rcIcon.TopLeft());
    // Odd differences truncate toward zero, also when negative.
    l = LayoutIconButton(CRect(0, 0, 21, 21), true, false, 1, 32, 32, false);
    EXPECT_EQ(CPoint(-5, -5), l.rcIcon.TopLeft());
}

TEST(IconButtonLayout, CaptionCentredInItsRectangle) {
    EXPECT_EQ(CRect(42, 5, 68, 18), CentreCaption(CRect(35, 0, 75, 23), CSize(26, 13)));
    EXPECT_EQ(CRect(35, 0, 75, 23), CentreCaption(CRect(35, 0, 75, 23), CSize(40, 23)));
    // A caption wider than its room overhangs both sides.
    EXPECT_EQ(CRect(30, 0, 80, 23), CentreCaption(CRect(35, 0, 75, 23), CSize(50, 23)));
}

TEST_F(IconButtonTest, OwnerDrawnWithTheIconAndTheCentredCaption) {
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button->GetStyle() & BS_TYPEMASK);
    Redraw();
    ReferenceImage expected(kWidth, kHeight, Face());
    DrawExpected(expected, 3, -4, 35, 0, DSS_NORMAL);
    ScreenGrab screen = Screen();
    EXPECT_EQ(0, CountDifferences(screen, expected, 0, 0, kWidth, kHeight));
    // Both parts are really there: the icon's green and the caption's ink.
    bool bGreen = false, bInk = false;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            COLORREF c = screen.at(x, y);
            if (x < 35 && GetGValue(c) > 100 && GetRValue(c) < 60 && GetBValue(c) < 60)
                bGreen = true;
            if (x >= 35 && c == GetSysColor(COLOR_BTNTEXT))
                bInk = true;
        }
    }
    EXPECT_TRUE(bGreen);
    EXPECT_TRUE(bInk);
    // Flat and not hovered: no border anywhere on the edges the icon leaves free.
    EXPECT_EQ(Face(), screen.at(0, 11));
    EXPECT_EQ(Face(), screen.at(kWidth - 1, 11));
    EXPECT_EQ(Face(), screen.at(50, kHeight - 1));
}

TEST_F(IconButtonTest, HoverBorderComesAndGoesWithTheMouse) {
    Over();
    EXPECT_TRUE(button->m_bMouseOver);
    EXPECT_EQ(button->m_hWnd, GetCapture());
    PumpUntil([&] { return Screen().at(0, 11) == Highlight(); });
    ScreenGrab raised = Screen();
    EXPECT_EQ(Highlight(), raised.at(0, 11));         // left edge lit
    EXPECT_EQ(Highlight(), raised.at(50, 0));         // top edge lit
    EXPECT_EQ(Shadow(), raised.at(kWidth - 1, 11));   // right edge shaded
    EXPECT_EQ(Shadow(), raised.at(50, kHeight - 1));  // bottom edge shaded

    Park();
    EXPECT_FALSE(button->m_bMouseOver);
    EXPECT_EQ(nullptr, GetCapture());
    PumpUntil([&] { return Screen().at(0, 11) == Face(); });
    ScreenGrab flat = Screen();
    EXPECT_EQ(Face(), flat.at(0, 11));
    EXPECT_EQ(Face(), flat.at(kWidth - 1, 11));

    // Entering with the left button already down from elsewhere does not raise it.
    MouseLeftDown();
    Over();
    EXPECT_FALSE(button->m_bMouseOver);
    Redraw();
    EXPECT_EQ(Face(), Screen().at(0, 11));
    MouseLeftUp();
}

TEST_F(IconButtonTest, PressedLookMovesIconAndCaptionAndSinks) {
    Over();
    MouseLeftDown();
    EXPECT_TRUE(button->GetState() & BST_PUSHED);
    Redraw();
    ReferenceImage expected(kWidth, kHeight, Face());
    DrawExpected(expected, 4, -3, 36, 1, DSS_NORMAL);
    ScreenGrab screen = Screen();
    // Inside the border the picture is the one moved by (1, 1).
    EXPECT_EQ(0, CountDifferences(screen, expected, 1, 1, kWidth - 1, kHeight - 1));
    EXPECT_EQ(Shadow(), screen.at(0, 11));               // sunken: left edge shaded
    EXPECT_EQ(Shadow(), screen.at(50, 0));               // top edge shaded
    EXPECT_EQ(Highlight(), screen.at(kWidth - 1, 11));   // right edge lit
    EXPECT_EQ(Highlight(), screen.at(50, kHeight - 1));  // bottom edge lit

    // Released over the button: one click.
    MouseLeftUp();
    EXPECT_EQ(1, host->m_nClicks);
    EXPECT_FALSE(button->GetState() & BST_PUSHED);
}

TEST_F(IconButtonTest, ReleasedOutsideLeavesItUnpressedUnmarkedAndUnclicked) {
    Over();
    MouseLeftDown();
    ASSERT_TRUE(button->GetState() & BST_PUSHED);
    MouseMoveTo(button->m_hWnd, -15, 50);
    MouseLeftUp();
    EXPECT_EQ(0, host->m_nClicks);
    EXPECT_FALSE(button->GetState() & BST_PUSHED);
    EXPECT_FALSE(button->m_bMouseOver);
    Redraw();
    ReferenceImage expected(kWidth, kHeight, Face());
    DrawExpected(expected, 3, -4, 35, 0, DSS_NORMAL);
    EXPECT_EQ(0, CountDifferences(Screen(), expected, 0, 0, kWidth, kHeight));
}

TEST_F(IconButtonTest, TooltipShowsItsTextWhileHovering) {
    ASSERT_NE(nullptr, button->m_toolTip.m_hWnd);
    EXPECT_EQ(CString("Apply"), button->m_toolTip.GetText(button.get(), 1));
    Over(10, 10);
    Over(12, 11);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(button->m_toolTip.m_hWnd) != FALSE; }, 5000));
    char text[64] = "";
    GetWindowTextA(button->m_toolTip.m_hWnd, text, sizeof text);
    EXPECT_STREQ("Apply", text);
    Park();
    // A new text reaches the tool.
    button->SetToolTipText("Cancel");
    EXPECT_EQ(CString("Cancel"), button->m_toolTip.GetText(button.get(), 1));
}

TEST_F(IconButtonTest, DisabledButtonDrawsEmbossed) {
    ::EnableWindow(button->m_hWnd, FALSE);
    Redraw();
    ReferenceImage expected(kWidth, kHeight, Face());
    DrawExpected(expected, 3, -4, 35, 0, DSS_DISABLED);
    ScreenGrab screen = Screen();
    EXPECT_EQ(0, CountDifferences(screen, expected, 0, 0, kWidth, kHeight));
    ReferenceImage normal(kWidth, kHeight, Face());
    DrawExpected(normal, 3, -4, 35, 0, DSS_NORMAL);
    EXPECT_GT(CountDifferences(screen, normal, 0, 0, kWidth, kHeight), 50);
}

TEST_F(IconButtonTest, SettersAndTheButtonCursor) {
    EXPECT_TRUE(button->IsFlat());
    EXPECT_EQ(0, button->GetIconAlign());
    button->SetIconAlign(2);  // refused
    EXPECT_EQ(0, button->GetIconAlign());
    button->SetIconAlign(1);
    EXPECT_EQ(1, button->GetIconAlign());
    button->SetIconAlign(0);
    EXPECT_TRUE(button->GetShowText());
    EXPECT_FALSE(button->GetDrawFlatFocus());
    button->SetDrawFlatFocus(TRUE, FALSE);
    EXPECT_TRUE(button->GetDrawFlatFocus());

    EXPECT_EQ(Face(), button->GetInactiveBgColor());
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), button->GetActiveFgColor());
    button->SetActiveBgColor(RGB(255, 255, 0), TRUE);
    EXPECT_EQ(COLORREF(RGB(255, 255, 0)), button->GetActiveBgColor());
    // Hovered, the active background fills the button.
    Over();
    PumpUntil([&] { return Screen().at(60, 3) == RGB(255, 255, 0); });
    EXPECT_EQ(COLORREF(RGB(255, 255, 0)), Screen().at(60, 3));
    Park();
    button->ResetActiveBgColor(TRUE);
    EXPECT_EQ(Face(), button->GetActiveBgColor());

    // Without a caption the icon is centred: (75 - 32) / 2 = 21 from the left.
    button->SetShowText(FALSE);
    Redraw();
    ReferenceImage iconOnly(kWidth, kHeight, Face());
    HICON hIcon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPLY), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    DrawIconEx(iconOnly.dc(), 21, -4, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(hIcon);
    EXPECT_EQ(0, CountDifferences(Screen(), iconOnly, 0, 0, kWidth, kHeight));
    button->SetShowText(TRUE);

    // A cursor of the button's own over it; -1 gives the normal one back.
    HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    button->SetButtonCursor(IDC_OPENHAND);
    Over(30, 8);
    Over(31, 9);
    HCURSOR hShown = GetCursor();
    EXPECT_NE(hArrow, hShown);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(hShown, &ii));
    EXPECT_EQ(15u, ii.xHotspot);
    EXPECT_EQ(15u, ii.yHotspot);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor)
        DeleteObject(ii.hbmColor);
    button->SetButtonCursor(-1);
    Park();
    Over(30, 8);
    EXPECT_EQ(hArrow, GetCursor());
}

TEST_F(IconButtonTest, IconsAreDestroyedWithTheButtonAndWhenReplaced) {
    HICON hFirst = button->m_hIconIn;
    ASSERT_NE(nullptr, hFirst);
    EXPECT_EQ(nullptr, button->m_hIconOut.Get());  // no separate normal icon: the one serves both
    button->SetIcons(IDI_APPLY, IDI_CANCEL, 32, 32);
    ICONINFO ii;
    EXPECT_FALSE(GetIconInfo(hFirst, &ii));
    HICON hIn = button->m_hIconIn, hOut = button->m_hIconOut;
    ASSERT_TRUE(hIn && hOut && hIn != hOut);
    button.reset();
    EXPECT_FALSE(GetIconInfo(hIn, &ii));
    EXPECT_FALSE(GetIconInfo(hOut, &ii));
}

TEST_F(IconButtonTest, AHundredButtonsLeaveNoHandles) {
    Redraw();
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < 100; ++i) {
        CIconButton b;
        ASSERT_TRUE(b.Create("OK", WS_CHILD | WS_VISIBLE, CRect(120, 20, 200, 60), host.get(), 2));
        b.SetIcons(IDI_CANCEL, IDI_APPLY, 32, 32);
        b.SetButtonCursor(IDC_CLOSEDHAND);
        b.SetToolTipText("Cancel");
        b.RedrawWindow();
    }
    PumpNow();
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
}
