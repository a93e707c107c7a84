// Owner-drawn menus as they appear on the screen in the running program, read pixel by pixel:
// check marks with and without image, embossed disabled images and greyed text with its
// shadow, the highlight bar, the shortcut labels and separators; then the view's context and
// zoom-ratio menus: where they open, what choosing an item does, and that they are destroyed.
#include "DesktopUtil.h"
#include "MenuUtil.h"

namespace {
class MenuDrawingTest : public MenuFixture {
protected:
    // The item's rectangle on the screen and the vertical offset of its image column.
    static RECT ItemRect(HMENU hMenu, int nPos) {
        RECT rc = {};
        GetMenuItemRect(nullptr, hMenu, static_cast<UINT>(nPos), &rc);
        return rc;
    }
    static int Dy(const RECT& rc) { return std::max(0, static_cast<int>(rc.bottom - rc.top - 4 - 15) / 2); }
    static int Count(const ScreenGrab& g, const RECT& rc, COLORREF cr) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += g.at(x, y) == cr;
        return n;
    }
    static RECT TextRect(const RECT& rc) { return {rc.left + 25, rc.top, rc.right, rc.bottom}; }

    void SetUp() override {
        MenuFixture::SetUp();
        menu = GetSysColor(COLOR_MENU);
        text = GetSysColor(COLOR_MENUTEXT);
        bar = GetSysColor(COLOR_HIGHLIGHT);
        barText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        light = GetSysColor(COLOR_3DLIGHT);
        shadow = GetSysColor(COLOR_BTNSHADOW);
        hilite = GetSysColor(COLOR_BTNHIGHLIGHT);
        grey = GetSysColor(COLOR_GRAYTEXT);
    }
    // The test's colours, all different (menu and 3D face alike).
    COLORREF menu = 0, text = 0, bar = 0, barText = 0, light = 0, shadow = 0, hilite = 0, grey = 0;
};

}  // namespace

TEST_F(MenuDrawingTest, ChecksDisabledImagesSeparatorAndHighlightBarOfTheViewMenu) {
    // Nothing shown: Previous is disabled (image), Auto Zoom checked (no image).
    HMENU hView = Popup(2);
    const int nPrev = PositionOf(hView, ID_VIEW_PREVIOUS), nAuto = PositionOf(hView, ID_VIEW_AUTOZOOM);
    ASSERT_EQ(0, nPrev);
    ASSERT_EQ(GetMenuItemCount(hView) - 1, nAuto);
    bool bAutoChecked = false, bDisabled = false, bSeparator = false, bPrevBar = false, bAutoBar = false;
    bool ran = OpenPopup(hView, 300, 150,
                         {
                             [&](HWND hMenuWnd) {
                                 RECT rcWnd;
                                 GetWindowRect(hMenuWnd, &rcWnd);
                                 ScreenGrab g(rcWnd);
                                 // Auto Zoom: light box with a sunken edge at (L+1, T+2+dy) and the 21-pixel tick.
                                 RECT rc = ItemRect(hView, nAuto);
                                 int L = rc.left, T = rc.top + 2 + Dy(rc);
                                 const int kFirstRow[7] = {2, 3, 4, 3, 2, 1, 0};
                                 int nTick = 0, nWrong = 0;
                                 for (int c = 0; c < 7; ++c)
                                     for (int r = 0; r < 7; ++r) {
                                         bool in = r >= kFirstRow[c] && r < kFirstRow[c] + 3;
                                         COLORREF px = g.at(L + 5 + c, T + 4 + r);
                                         nTick += in && px == text;
                                         nWrong += px != (in ? text : light);
                                     }
                                 EXPECT_EQ(21, nTick);
                                 EXPECT_EQ(0, nWrong);
                                 EXPECT_EQ(shadow, g.at(L + 1, T + 5));   // sunken: dark left edge
                                 EXPECT_EQ(hilite, g.at(L + 16, T + 5));  // light right edge
                                 EXPECT_EQ(light, g.at(L + 3, T + 12));
                                 EXPECT_GT(Count(g, TextRect(rc), text), 20);
                                 bAutoChecked = nTick == 21 && nWrong == 0;

                                 // Previous, disabled: its image embossed in shadow and highlight on the face colour,
                                 // its text grey with a highlight copy one pixel right and down.
                                 rc = ItemRect(hView, nPrev);
                                 RECT rcImage = {rc.left + 2, rc.top + 2 + Dy(rc), rc.left + 18, rc.top + 17 + Dy(rc)};
                                 int nShadow = Count(g, rcImage, shadow), nHilite = Count(g, rcImage, hilite),
                                     nFace = Count(g, rcImage, menu);
                                 EXPECT_GT(nShadow, 15);
                                 EXPECT_GT(nHilite, 5);
                                 EXPECT_EQ(16 * 15, nShadow + nHilite + nFace);  // nothing of the picture's own colours
                                 RECT rcText = TextRect(rc);
                                 int nGrey = 0, nShadowed = 0;
                                 for (int y = rcText.top; y < rcText.bottom; ++y)
                                     for (int x = rcText.left; x < rcText.right; ++x)
                                         if (g.at(x, y) == grey) {
                                             ++nGrey;
                                             COLORREF below = g.at(x + 1, y + 1);
                                             nShadowed += below == hilite || below == grey;
                                         }
                                 EXPECT_GT(nGrey, 30);
                                 EXPECT_EQ(nGrey, nShadowed);
                                 EXPECT_GT(Count(g, rcText, hilite), 20);
                                 EXPECT_EQ(0, Count(g, rcText, text));
                                 bDisabled = nShadow > 15 && nGrey > 30 && nGrey == nShadowed;

                                 // The separator after Next: an etched line across its middle.
                                 rc = ItemRect(hView, 2);
                                 int yMid = rc.top + (rc.bottom - rc.top) / 2;
                                 EXPECT_EQ(static_cast<LONG>(GetSystemMetrics(SM_CYMENU) / 2), rc.bottom - rc.top);
                                 int nLine = 0;
                                 for (int x = rc.left + 2; x < rc.right - 2; ++x)
                                     nLine += g.at(x, yMid) == shadow && g.at(x, yMid + 1) == hilite;
                                 EXPECT_EQ(rc.right - rc.left - 4, nLine);
                                 bSeparator = nLine == rc.right - rc.left - 4;
                                 MenuKey(hMenuWnd, VK_DOWN);  // Previous under the keyboard's highlight
                                 return true;
                             },
                             [&](HWND hMenuWnd) {
                                 RECT rc = ItemRect(hView, nPrev);
                                 ScreenGrab g(rc);
                                 int yMid = (rc.top + rc.bottom) / 2;
                                 // A disabled item with image: the bar starts 21 pixels in; its text in the menu
                                 // colour.
                                 EXPECT_EQ(bar, g.at(rc.left + 21, yMid));
                                 EXPECT_NE(bar, g.at(rc.left + 20, yMid));
                                 EXPECT_EQ(bar, g.at(rc.right - 1, yMid));
                                 EXPECT_GT(Count(g, TextRect(rc), menu), 20);
                                 EXPECT_EQ(0, Count(g, TextRect(rc), grey));
                                 bPrevBar = g.at(rc.left + 21, yMid) == bar;
                                 MenuKey(hMenuWnd, VK_UP);  // round to the last item, Auto Zoom
                                 return true;
                             },
                             [&](HWND) {
                                 RECT rc = ItemRect(hView, nAuto);
                                 ScreenGrab g(rc);
                                 int yMid = (rc.top + rc.bottom) / 2, T = rc.top + 2 + Dy(rc);
                                 // A checked item without image: the bar also starts 21 in, the box takes the menu
                                 // colour.
                                 EXPECT_EQ(bar, g.at(rc.left + 21, yMid));
                                 EXPECT_NE(bar, g.at(rc.left + 20, yMid));
                                 EXPECT_EQ(menu, g.at(rc.left + 3, T + 12));
                                 EXPECT_EQ(text, g.at(rc.left + 5 + 2, T + 4 + 6));  // the tick's low point
                                 EXPECT_GT(Count(g, TextRect(rc), barText), 20);
                                 bAutoBar = g.at(rc.left + 21, yMid) == bar && g.at(rc.left + 3, T + 12) == menu;
                                 return true;
                             },
                         });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(bAutoChecked && bDisabled && bSeparator && bPrevBar && bAutoBar);
}

TEST_F(MenuDrawingTest, ShortcutRightAlignedAndPlainItemBarAcrossTheFileMenu) {
    HMENU hFile = Popup(0);
    const int nExit = PositionOf(hFile, ID_APP_EXIT);
    int nRightmost = -1, nRight = 0;
    bool bExitBar = false;
    bool ran = OpenPopup(hFile, 300, 150,
                         {
                             [&](HWND hMenuWnd) {
                                 // "Open..." and its label "Ctrl+O", enabled: the label ends 16 pixels before the
                                 // item's right edge (the glyph's own side bearing aside).
                                 RECT rc = ItemRect(hFile, 0);
                                 nRight = rc.right;
                                 ScreenGrab g(rc);
                                 for (int x = rc.left; x < rc.right; ++x)
                                     for (int y = rc.top; y < rc.bottom; ++y)
                                         if (g.at(x, y) == text)
                                             nRightmost = x;
                                 MenuKey(hMenuWnd, VK_UP);  // the last item, Exit
                                 return true;
                             },
                             [&](HWND) {
                                 RECT rc = ItemRect(hFile, nExit);
                                 ScreenGrab g(rc);
                                 int yMid = (rc.top + rc.bottom) / 2;
                                 // No image and no check: the bar covers the whole item.
                                 EXPECT_EQ(bar, g.at(rc.left, yMid));
                                 EXPECT_EQ(bar, g.at(rc.left + 10, rc.top));
                                 EXPECT_EQ(bar, g.at(rc.right - 1, rc.bottom - 1));
                                 EXPECT_GT(Count(g, TextRect(rc), barText), 15);
                                 bExitBar = g.at(rc.left, yMid) == bar;
                                 return true;
                             },
                         });
    EXPECT_TRUE(ran);
    // The same label right-aligned at x = 100 in the menu font: its last pixel's distance from
    // the edge it was aligned to.
    ReferenceImage ref(100, 30, RGB(255, 255, 255));
    HFONT hFont = CreateMenuFont();
    HGDIOBJ hOld = SelectObject(ref.dc(), hFont);
    SetTextColor(ref.dc(), RGB(0, 0, 0));
    SetBkMode(ref.dc(), TRANSPARENT);
    RECT rcRef = {0, 0, 100, 30};
    DrawTextW(ref.dc(), L"Ctrl+O", -1, &rcRef, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(ref.dc(), hOld);
    DeleteObject(hFont);
    int nRefRightmost = -1;
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 30; ++y)
            if (ref.at(x, y) == RGB(0, 0, 0))
                nRefRightmost = x;
    ASSERT_GT(nRefRightmost, 80);
    EXPECT_EQ(nRight - 16 - (100 - nRefRightmost), nRightmost);
    EXPECT_TRUE(bExitBar);
}

TEST_F(MenuDrawingTest, CheckedItemWithImageSitsInASunkenFrame) {
    // Start/Stop while the slide show runs: enabled and checked.
    view->m_bEnableSlideShow = 1;
    g_bSlideStopped = 0;
    HMENU hTools = Popup(3);
    const int nStart = PositionOf(hTools, ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_EQ(5, nStart);
    int nChecks = 0;
    auto frameIsSunken = [&](const ScreenGrab& g, const RECT& rc, COLORREF inner) {
        int L = rc.left, T = rc.top + Dy(rc);
        EXPECT_EQ(shadow, g.at(L, T + 8));
        EXPECT_EQ(shadow, g.at(L + 8, T));
        EXPECT_EQ(hilite, g.at(L + 19, T + 8));
        EXPECT_EQ(hilite, g.at(L + 8, T + 18));
        EXPECT_EQ(inner, g.at(L + 1, T + 1));
        return g.at(L, T + 8) == shadow && g.at(L + 19, T + 8) == hilite && g.at(L + 1, T + 1) == inner;
    };
    bool ran = OpenPopup(hTools, 300, 150,
                         {
                             [&](HWND hMenuWnd) {
                                 RECT rc = ItemRect(hTools, nStart);
                                 ScreenGrab g(rc);
                                 nChecks += frameIsSunken(g, rc, light);
                                 // The picture itself, in its own colours, inside the frame.
                                 int nPicture = 0;
                                 for (int y = rc.top + Dy(rc) + 2; y < rc.top + Dy(rc) + 17; ++y)
                                     for (int x = rc.left + 2; x < rc.left + 18; ++x) {
                                         COLORREF px = g.at(x, y);
                                         nPicture += px != light && px != shadow && px != hilite && px != menu;
                                     }
                                 EXPECT_GT(nPicture, 20);
                                 for (int i = 0; i < 5; ++i)
                                     MenuKey(hMenuWnd, VK_DOWN);
                                 return true;
                             },
                             [&](HWND) {
                                 RECT rc = ItemRect(hTools, nStart);
                                 ScreenGrab g(rc);
                                 if (g.at(rc.left + 21, (rc.top + rc.bottom) / 2) != bar)
                                     return false;                       // the keys are still on their way
                                 nChecks += frameIsSunken(g, rc, menu);  // under the highlight the frame stays sunken
                                 EXPECT_NE(bar, g.at(rc.left + 20, (rc.top + rc.bottom) / 2));
                                 return true;
                             },
                         });
    EXPECT_TRUE(ran);
    EXPECT_EQ(2, nChecks);
}

namespace {
// One disabled-look draw straight onto a picture: the style, the width asked for, whether the
// source bitmap is still selected into a DC of its own (which no other DC can then select), and
// whether anything is to be drawn.
struct DisabledLookCase {
    const char* pszName;
    bool bDithered;
    int nWidth;
    bool bSourceHeld;
    bool bDraws;
};
const DisabledLookCase kDisabledLooks[] = {
    {"embossed", false, 16, false, true},
    {"dithered", true, 16, false, true},
    // Wider than any bitmap the system makes: no mask.
    {"embossed, no mask", false, 0x8000000, false, false},
    {"embossed, source held", false, 16, true, false},
    {"dithered, source held", true, 16, true, false},
};
}  // namespace

// A 16 x 15 picture of the face colour with a black block comes out in shadow, highlight and
// face only, within the image and the one-pixel highlight beyond it; when the mask cannot be
// made or the source selected, nothing at all is drawn. Either way the destination keeps its
// brush and colours, the source is left selected nowhere, and no GDI object stays behind.
TEST(MenuDisabledImageTest, DrawsInShadowAndHighlightOrNothingAndKeepsNoHandle) {
    MenuColours colours;
    const COLORREF face = GetSysColor(COLOR_3DFACE), shadow = GetSysColor(COLOR_BTNSHADOW),
                   hilite = GetSysColor(COLOR_BTNHIGHLIGHT), background = RGB(1, 2, 3);
    ASSERT_EQ(face, GetSysColor(COLOR_MENU));  // whichever the look paints the face with
    CBitmapMenu menu;
    for (const DisabledLookCase& c : kDisabledLooks) {
        SCOPED_TRACE(c.pszName);
        HDC hScreen = GetDC(nullptr);
        HBITMAP hSource = CreateCompatibleBitmap(hScreen, 16, 15);
        HDC hHolder = CreateCompatibleDC(hScreen);
        ReleaseDC(nullptr, hScreen);
        ASSERT_NE(nullptr, hSource);
        HGDIOBJ hOldHolder = SelectObject(hHolder, hSource);
        HBRUSH hFace = CreateSolidBrush(face), hBlack = CreateSolidBrush(RGB(0, 0, 0));
        RECT rcAll = {0, 0, 16, 15}, rcBlock = {4, 4, 12, 11};
        ReferenceImage dest(40, 40, background);
        HBRUSH hDestBrush = CreateSolidBrush(RGB(9, 8, 7));
        HGDIOBJ hOldDestBrush = SelectObject(dest.dc(), hDestBrush);
        SetBkColor(dest.dc(), RGB(11, 12, 13));
        SetTextColor(dest.dc(), RGB(21, 22, 23));

        const int gdi = CountGdiObjects();
        for (int i = 0; i < 10; ++i) {  // the look takes the source's pixels: the picture is made afresh
            if (!c.bSourceHeld)
                SelectObject(hHolder, hSource);
            FillRect(hHolder, &rcAll, hFace);
            FillRect(hHolder, &rcBlock, hBlack);
            if (!c.bSourceHeld)
                SelectObject(hHolder, hOldHolder);
            if (c.bDithered)
                menu.DrawDithered(dest.dc(), 10, 10, c.nWidth, 15, hSource, 0, 0);
            else
                menu.DrawEmbossed(dest.dc(), 10, 10, c.nWidth, 15, hSource, 0, 0);
        }
        EXPECT_EQ(gdi, CountGdiObjects());
        EXPECT_EQ(hDestBrush, GetCurrentObject(dest.dc(), OBJ_BRUSH));
        EXPECT_EQ(RGB(11, 12, 13), GetBkColor(dest.dc()));
        EXPECT_EQ(RGB(21, 22, 23), GetTextColor(dest.dc()));

        int nShadow = 0, nHilite = 0, nOther = 0, nOutside = 0, nTouched = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const COLORREF px = dest.at(x, y);
                nTouched += px != background;
                if (x >= 10 && x < 26 && y >= 10 && y < 25) {
                    nShadow += px == shadow;
                    nHilite += px == hilite;
                    nOther += px != shadow && px != hilite && px != face;
                } else if (x < 10 || y < 10 || x > 26 || y > 25) {
                    nOutside += px != background;
                } else {
                    nOutside += px != background && px != hilite && px != face;
                }
            }
        if (c.bDraws) {
            EXPECT_GE(nShadow, 8 * 7);  // the block, and for the dithered look nothing else
            EXPECT_GT(nHilite, 5);
            EXPECT_EQ(0, nOther);
            EXPECT_EQ(0, nOutside);
        } else {
            EXPECT_EQ(0, nTouched);
        }

        SelectObject(dest.dc(), hOldDestBrush);
        DeleteObject(hDestBrush);
        DeleteObject(hFace);
        DeleteObject(hBlack);
        SelectObject(hHolder, hOldHolder);
        DeleteDC(hHolder);
        EXPECT_TRUE(DeleteObject(hSource));  // selected nowhere
    }
}
