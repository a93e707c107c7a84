// The real program on a screen of 144 or 192 dpi (tests/dpi_prefix.sh starts this program in a
// prefix of that DPI): every size given in pixels grows by DPI / 96, the images are the ones drawn
// for that size, and a picture at 100 % is still one picture pixel per screen pixel.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "AppFixture.h"
#include "capture/RegionGeometry.h"
#include "controls/IconButton.h"
#include "frame/MainFrm.h"
#include "frame/Splash.h"
#include "framework/AfxDpi.h"

namespace {
// What one DPI gives, worked out by hand from the sizes at 96 dpi (MulDiv rounds halves away
// from zero: 65 x 1.5 = 97.5 gives 98, -15 x 1.5 = -22.5 gives -23).
struct DpiRow {
    UINT nDpi;
    int cxScreen, cyScreen;  // the display dpi_prefix.sh gives this DPI
    CRect rcFrame;
    int panes[6];
    int nImage;         // toolbar and menu images: 16 x 16 at 96 dpi
    int cyMenuImage;    // the menu's image column: 15 high at 96 dpi
    int cxButton;       // a toolbar button: its image plus 7 at 96 dpi
    CPoint ptZoomMenu;  // (301, -15) at 96 dpi
    CSize sizeSplash;   // 228 x 161 at 96 dpi
    int nCursor;        // 32 at 96 dpi, hot spot (15, 15)
    int nHotSpot;
    CPoint ptLabel;         // the region label for a cursor at (500, 300): (520, 320) at 96 dpi
    CPoint ptLabelFlipped;  // 24 and 8 from the bottom-right corner, label 60 x 14, at 96 dpi
};

const DpiRow kRows[] = {
    {144,
     1024,
     768,
     CRect(62, 46, 962, 721),
     {300, 150, 90, 98, 98, 165},
     24,
     22,
     35,
     CPoint(452, -23),
     CSize(342, 242),
     48,
     22,
     CPoint(530, 330),
     CPoint(868, 705)},
    {192,
     2048,
     1536,
     CRect(424, 318, 1624, 1218),
     {400, 200, 120, 130, 130, 220},
     32,
     30,
     46,
     CPoint(602, -30),
     CSize(456, 322),
     64,
     30,
     CPoint(540, 340),
     CPoint(1840, 1452)},
};

const DpiRow* RowForThisRun() {
    const char* pszDpi = getenv("MORVANE_TEST_DPI");
    UINT nDpi = pszDpi ? static_cast<UINT>(atoi(pszDpi)) : 0;
    for (const DpiRow& row : kRows)
        if (row.nDpi == nDpi)
            return &row;
    return nullptr;
}

// The test process is aware of the DPI as the program is through its manifest, before any window.
class DpiAwareProcess : public ::testing::Environment {
public:
    void SetUp() override { AfxEnableDpiAwareness(); }
};
::testing::Environment* const g_pAware = ::testing::AddGlobalTestEnvironment(new DpiAwareProcess);

// Pixels of a bitmap resource as the test reads them itself.
std::vector<COLORREF> BitmapPixels(UINT nID, int* pcx, int* pcy) {
    std::vector<COLORREF> pixels;
    HBITMAP hbm = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!hbm)
        return pixels;
    BITMAP bm = {};
    ::GetObject(hbm, sizeof bm, &bm);
    *pcx = bm.bmWidth;
    *pcy = bm.bmHeight;
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            pixels.push_back(::GetPixel(hdc, x, y));
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);
    ::DeleteObject(hbm);
    return pixels;
}

// Pixels of picture nImage of an image list drawn on white, cx x cy.
std::vector<COLORREF> ImageListPixels(HIMAGELIST hList, int nImage, int cx, int cy) {
    std::vector<COLORREF> pixels;
    HDC hScreen = ::GetDC(nullptr);
    HDC hdc = ::CreateCompatibleDC(hScreen);
    HBITMAP hbm = ::CreateCompatibleBitmap(hScreen, cx, cy);
    ::ReleaseDC(nullptr, hScreen);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    RECT rc = {0, 0, cx, cy};
    ::FillRect(hdc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(hList, nImage, hdc, 0, 0, ILD_TRANSPARENT);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            pixels.push_back(::GetPixel(hdc, x, y));
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hdc);
    return pixels;
}

// Pixels of the resource's strip cell nImage (cell size n) that the image list shows unchanged:
// those of a colour that is neither masked nor mapped to a system colour.
int CellDifferences(const std::vector<COLORREF>& strip,
                    int cxStrip,
                    int nImage,
                    int n,
                    const std::vector<COLORREF>& shown,
                    int* pnCompared) {
    int nDiff = 0;
    *pnCompared = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            COLORREF c = strip[y * cxStrip + nImage * n + x];
            if (c == RGB(192, 192, 192) || c == RGB(128, 128, 128) || c == RGB(0, 0, 0) || c == RGB(255, 255, 255))
                continue;
            ++*pnCompared;
            if (shown[y * n + x] != c)
                ++nDiff;
        }
    return nDiff;
}

// Bounding box of the yellow (label) pixels of a screen rectangle; empty when there is none.
CRect YellowBox(const RECT& area) {
    std::vector<COLORREF> c = ScreenColours(area);
    int w = area.right - area.left, h = area.bottom - area.top;
    RECT box = {};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c[static_cast<size_t>(y) * w + x] == RGB(255, 255, 0)) {
                RECT pixel = {area.left + x, area.top + y, area.left + x + 1, area.top + y + 1};
                ::UnionRect(&box, &box, &pixel);
            }
    return CRect(box);
}

// The icon button's icon and the size it draws it at.
struct IconButtonProbe : CIconButton {
    using CIconButton::m_cxIcon;
    using CIconButton::m_cyIcon;
    using CIconButton::m_hIconIn;
    using CIconButton::m_hIconOut;
};

// The About box, told inside its modal loop that it moved to s_nDialogDpi: the size its Exit
// button's icon is then loaded at (0 when the box did not show).
UINT s_nDialogDpi = 0;
int s_cxDialogIcon = 0;
void CALLBACK MoveAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND hDlg = FindReadyDialog([](HWND d) { return WindowCaption(d) == "About Morvane"; });
    if (!hDlg)
        return;
    KillTimer(nullptr, id);
    RECT rc;
    GetWindowRect(hDlg, &rc);
    SendMessageA(hDlg, kAfxWmDpiChanged, MAKEWPARAM(s_nDialogDpi, s_nDialogDpi), reinterpret_cast<LPARAM>(&rc));
    const IconButtonProbe* pExit =
        static_cast<const IconButtonProbe*>(CWnd::FromHandlePermanent(GetDlgItem(hDlg, IDOK)));
    ICONINFO ii = {};
    if (pExit && GetIconInfo(pExit->m_hIconIn, &ii)) {
        BITMAP bm = {};
        GetObject(ii.hbmColor, sizeof bm, &bm);
        s_cxDialogIcon = pExit->m_cxIcon == bm.bmWidth ? bm.bmWidth : -1;
        DeleteObject(ii.hbmMask);
        DeleteObject(ii.hbmColor);
    }
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

class DpiTest : public AppTest {
protected:
    DpiTest() : AppTest(AppStart().Folder("dpi")) {}
    void SetUp() override {
        row = RowForThisRun();
        ASSERT_NE(nullptr, row) << "run through tests/dpi_prefix.sh, which sets MORVANE_TEST_DPI";
        // The prefix really is at that DPI: nothing below could pass at 96.
        HDC hdc = ::GetDC(nullptr);
        int nScreenDpi = ::GetDeviceCaps(hdc, LOGPIXELSX);
        ::ReleaseDC(nullptr, hdc);
        ASSERT_EQ(static_cast<int>(row->nDpi), nScreenDpi);
        AppTest::SetUp();
    }
    const DpiRow* row = nullptr;
};
}  // namespace

TEST_F(DpiTest, FrameAndPanesGrowAndStayCentred) {
    EXPECT_EQ(row->nDpi, AfxGetWindowDpi(frame->m_hWnd));
    EXPECT_EQ(row->cxScreen, GetSystemMetrics(SM_CXSCREEN));
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_EQ(row->rcFrame, rc);
    EXPECT_EQ(row->rcFrame, MainFrameRect(row->cxScreen, row->cyScreen, row->nDpi));
    int edges[8] = {};
    ASSERT_EQ(6, frame->m_wndStatusBar.SendMessage(SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    for (int i = 0, left = 0; i < 6; left = edges[i], ++i)
        EXPECT_EQ(row->panes[i], edges[i] - left) << "pane " << i;
}

// The toolbar's buttons are nButton square and its pictures the cells of the strip drawn for
// nDpi, nImage square, pixel for pixel.
void ExpectToolbarDrawnFor(CToolBar& tb, UINT nDpi, int nImage, int nButton) {
    DWORD size = static_cast<DWORD>(tb.SendMessage(TB_GETBUTTONSIZE));
    EXPECT_EQ(nButton, LOWORD(size));
    EXPECT_EQ(nButton, HIWORD(size));
    RECT rcButton = {};
    tb.SendMessage(TB_GETITEMRECT, tb.CommandToIndex(ID_FILE_OPEN), reinterpret_cast<LPARAM>(&rcButton));
    EXPECT_EQ(nButton, rcButton.bottom - rcButton.top);
    HIMAGELIST hList = reinterpret_cast<HIMAGELIST>(tb.SendMessage(TB_GETIMAGELIST));
    ASSERT_NE(nullptr, hList);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(hList, &cx, &cy);
    EXPECT_EQ(nImage, cx);
    EXPECT_EQ(nImage, cy);
    EXPECT_EQ(17, ImageList_GetImageCount(hList));
    int cxStrip = 0, cyStrip = 0;
    std::vector<COLORREF> strip = BitmapPixels(AfxDpiBitmapId(IDR_MAINFRAME, nDpi), &cxStrip, &cyStrip);
    ASSERT_EQ(17 * nImage, cxStrip);
    for (int i = 0; i < 17; ++i) {
        int nCompared = 0;
        EXPECT_EQ(0, CellDifferences(strip, cxStrip, i, nImage, ImageListPixels(hList, i, nImage, nImage), &nCompared))
            << "button image " << i;
        EXPECT_GT(nCompared, 0) << "button image " << i;
    }
}

TEST_F(DpiTest, ToolbarShowsTheImagesDrawnForTheDpi) {
    // The pictures of the toolbar's list are the 150 % or 200 % strip's cells, pixel for pixel.
    ExpectToolbarDrawnFor(frame->m_wndToolBar, row->nDpi, row->nImage, row->cxButton);
}

TEST_F(DpiTest, StraightStrokesStayStraightInTheLargerImages) {
    // Zoom In's plus: a bar across x 4..9, y 6..7 and one down x 6..7, y 4..9 at 96 dpi. In the
    // larger strip both bars, grown by the scale, are black to their square ends, and the pixels
    // in the four inner corners between the arms (5, 5), (8, 5), (5, 8), (8, 8) stay clear.
    const int nPercent = AfxDpiImagePercent(row->nDpi);
    int cxStrip = 0, cyStrip = 0;
    std::vector<COLORREF> strip = BitmapPixels(AfxDpiBitmapId(IDR_MAINFRAME, row->nDpi), &cxStrip, &cyStrip);
    ASSERT_EQ(17 * row->nImage, cxStrip);
    // The black pixels of the scaled area x0..x1, y0..y1 (inclusive, at 96 dpi) and its size.
    auto countBlack = [&](int x0, int y0, int x1, int y1, int* pnAll) {
        int nBlack = 0;
        *pnAll = 0;
        for (int y = y0 * nPercent / 100; y < (y1 + 1) * nPercent / 100; ++y)
            for (int x = x0 * nPercent / 100; x < (x1 + 1) * nPercent / 100; ++x) {
                ++*pnAll;
                nBlack += strip[y * cxStrip + 10 * row->nImage + x] == RGB(0, 0, 0);
            }
        return nBlack;
    };
    int nAll = 0;
    EXPECT_EQ(countBlack(4, 6, 9, 7, &nAll), nAll);
    EXPECT_GT(nAll, 0);
    EXPECT_EQ(countBlack(6, 4, 7, 9, &nAll), nAll);
    for (int corner : {5 * 16 + 5, 8 * 16 + 5, 5 * 16 + 8, 8 * 16 + 8})
        EXPECT_EQ(0, countBlack(corner % 16, corner / 16, corner % 16, corner / 16, &nAll)) << corner;
}

TEST_F(DpiTest, MenuImagesAreTheBitmapsDrawnForTheDpi) {
    HMENU hTools = GetSubMenu(frame->GetMenu(), 3);
    CBitmapMenu* pTools = dynamic_cast<CBitmapMenu*>(CMenu::FromHandlePermanent(hTools));
    ASSERT_NE(nullptr, pTools);
    EXPECT_EQ(row->nImage, pTools->m_cxImage);
    EXPECT_EQ(row->cyMenuImage, pTools->m_cyImage);
    // Wallpaper > Center: a single bitmap; Capture Region: the toolbar's picture.
    struct {
        UINT nID;
        UINT nBitmap;
        int nCell;
    } kItems[] = {{ID_WALLPAPER_CENTER, IDB_WALLCENTER, 0}, {ID_TOOLS_CAPTUREREGION, IDR_MAINFRAME, 13}};
    for (const auto& item : kItems) {
        int nPos = -1;
        CBitmapMenu* pOwner = pTools->FindItemByCommand(item.nID, &nPos);
        ASSERT_NE(nullptr, pOwner) << item.nID;
        EXPECT_EQ(row->nImage, pOwner->m_cxImage);
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoA(pOwner->m_hMenu, nPos, TRUE, &mii));
        const CBitmapMenuItem* pRecord = reinterpret_cast<const CBitmapMenuItem*>(mii.dwItemData);
        ASSERT_TRUE(pRecord && pRecord->m_pImages) << item.nID;
        HIMAGELIST hList = pRecord->m_pImages->GetSafeHandle();
        int cx = 0, cy = 0;
        ImageList_GetIconSize(hList, &cx, &cy);
        EXPECT_EQ(row->nImage, cx);
        EXPECT_EQ(row->cyMenuImage, cy);
        int cxBitmap = 0, cyBitmap = 0;
        std::vector<COLORREF> bitmap = BitmapPixels(AfxDpiBitmapId(item.nBitmap, row->nDpi), &cxBitmap, &cyBitmap);
        ASSERT_EQ(row->nImage, cyBitmap);
        std::vector<COLORREF> shown = ImageListPixels(hList, pRecord->m_nImage, row->nImage, row->nImage);
        // The column is shorter than the bitmap: its bottom rows are not shown.
        for (int y = row->cyMenuImage; y < row->nImage; ++y)
            for (int x = 0; x < row->nImage; ++x)
                shown[y * row->nImage + x] = bitmap[y * cxBitmap + item.nCell * row->nImage + x];
        int nCompared = 0;
        EXPECT_EQ(0, CellDifferences(bitmap, cxBitmap, item.nCell, row->nImage, shown, &nCompared)) << item.nID;
        EXPECT_GT(nCompared, 0);
    }
}

TEST_F(DpiTest, HandCursorsAndIconButtonsTakeTheirLargerImages) {
    for (HCURSOR hCursor : {view->m_hCursorOpenHand.Get(), view->m_hCursorClosedHand.Get()}) {
        ICONINFO ii = {};
        ASSERT_TRUE(GetIconInfo(hCursor, &ii));
        BITMAP bm = {};
        GetObject(ii.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(row->nCursor, bm.bmWidth);
        EXPECT_EQ(2 * row->nCursor, bm.bmHeight);  // monochrome: the AND and XOR halves
        EXPECT_EQ(static_cast<DWORD>(row->nHotSpot), ii.xHotspot);
        EXPECT_EQ(static_cast<DWORD>(row->nHotSpot), ii.yHotspot);
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
    }
    IconButtonProbe button;
    ASSERT_TRUE(button.Create("Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 150, 80), view, 7));
    button.SetIcons(IDI_APPLY, 0, 32, 32);
    EXPECT_EQ(row->nCursor, button.m_cxIcon);
    EXPECT_EQ(row->nCursor, button.m_cyIcon);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(button.m_hIconIn, &ii));
    BITMAP bm = {};
    GetObject(ii.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(row->nCursor, bm.bmWidth);
    EXPECT_EQ(row->nCursor, bm.bmHeight);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    button.DestroyWindow();
}

TEST_F(DpiTest, PopupPlacesSplashAndRegionLabel) {
    EXPECT_EQ(row->ptZoomMenu, ZoomMenuOffset(AfxGetWindowDpi(view->m_hWnd)));
    EXPECT_EQ(row->ptLabel, RegionLabelOrigin(CPoint(500, 300), CSize(AfxScaleByDpi(60, row->nDpi), 21), row->cxScreen,
                                              row->cyScreen, AfxGetWindowDpi(frame->m_hWnd)));
    CSize sizeLabel(AfxScaleByDpi(60, row->nDpi), AfxScaleByDpi(14, row->nDpi));
    CPoint ptNearCorner(row->cxScreen - AfxScaleByDpi(24, row->nDpi), row->cyScreen - AfxScaleByDpi(8, row->nDpi));
    EXPECT_EQ(row->ptLabelFlipped, RegionLabelOrigin(ptNearCorner, sizeLabel, row->cxScreen, row->cyScreen, row->nDpi));

    CSplashScreen::EnableSplash(TRUE);
    CSplashScreen::ShowSplash(frame);
    HWND hSplash = CSplashScreen::GetSplashWindow();
    ASSERT_NE(nullptr, hSplash);
    CRect rc;
    ::GetWindowRect(hSplash, &rc);
    EXPECT_EQ(row->sizeSplash, rc.Size());
    ::DestroyWindow(hSplash);
    EXPECT_EQ(nullptr, CSplashScreen::GetSplashWindow());
    CSplashScreen::EnableSplash(FALSE);
}

TEST_F(DpiTest, TheRegionOverlayCoversThePhysicalScreenWithALargerLabel) {
    SetCursorPos(row->cxScreen - 10, 5);
    Command(ID_TOOLS_CAPTUREREGION);
    PumpFor(150);
    CTargetWnd& target = frame->m_wndTarget;
    ASSERT_NE(nullptr, target.GetSafeHwnd());
    CRect rc;
    target.GetWindowRect(&rc);
    EXPECT_EQ(CRect(0, 0, row->cxScreen, row->cyScreen), rc);
    MouseTo(500, 300);
    CRect label = YellowBox(CRect(480, 280, 900, 500));
    EXPECT_EQ(row->ptLabel, label.TopLeft());
    EXPECT_EQ(AfxScaleByDpi(14, row->nDpi), label.Height());  // the font's cell, 14 high at 96 dpi
    RightClickAt(500, 300);                                   // cancels
    EXPECT_TRUE(PumpUntil([&] { return !target.GetSafeHwnd() && frame->IsWindowVisible(); }));
}

TEST_F(DpiTest, APictureAtOneHundredPercentIsPixelExact) {
    std::string path = WritePicture("pattern.bmp", 211, 157, PatternColour);
    Open(path);
    Command(ID_ZOOM_100);
    Settle();
    EXPECT_EQ(1.0, g_dZoom);
    CRect rcClient;
    view->GetClientRect(&rcClient);
    ASSERT_GT(rcClient.Width(), 211);
    ScreenGrab grab(view->m_hWnd, rcClient);
    int nDiff = 0;
    for (int y = 0; y < 157; ++y)
        for (int x = 0; x < 211; ++x)
            nDiff += grab.at(g_nDrawX + x, g_nDrawY + y) != PatternColour(x, y);
    EXPECT_EQ(0, nDiff);
    // Just outside the picture: the view's grey.
    EXPECT_EQ(kViewGrey, grab.at(g_nDrawX - 1, g_nDrawY));
    EXPECT_EQ(kViewGrey, grab.at(g_nDrawX + 211, g_nDrawY + 156));
}

TEST_F(DpiTest, AMoveToAnotherDpiTakesTheSuggestedRectangle) {
    // A smaller DPI, whose frame fits on either screen.
    const UINT nOther = row->nDpi == 144 ? 120 : 144;
    RECT rcSuggested = {30, 20, 30 + AfxScaleByDpi(600, nOther), 20 + AfxScaleByDpi(450, nOther)};
    frame->SendMessage(0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(nOther, nOther), reinterpret_cast<LPARAM>(&rcSuggested));
    PumpNow();
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_EQ(rcSuggested.left, rc.left);
    EXPECT_EQ(rcSuggested.top, rc.top);
    EXPECT_EQ(rcSuggested.right, rc.right);
    EXPECT_EQ(rcSuggested.bottom, rc.bottom);
    int edges[8] = {};
    ASSERT_EQ(6, frame->m_wndStatusBar.SendMessage(SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(MainFramePaneWidth(0, nOther), edges[0]);
    EXPECT_EQ(MainFramePaneWidth(5, nOther), edges[5] - edges[4]);
}

TEST_F(DpiTest, ADpiChangeReloadsTheImagesWithoutLeaking) {
    // A DPI whose images are drawn at another size than this run's.
    const UINT nOther = row->nDpi == 144 ? 192 : 96;
    auto changeTo = [&](UINT nDpi) {
        RECT rc = {20, 10, 20 + AfxScaleByDpi(600, nDpi), 10 + AfxScaleByDpi(450, nDpi)};
        frame->SendMessage(0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(nDpi, nDpi), reinterpret_cast<LPARAM>(&rc));
        PumpNow();
    };
    // An icon button inside the frame, as the dialogs have them.
    IconButtonProbe button;
    ASSERT_TRUE(button.Create("Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 150, 80), view, 7));
    button.SetIcons(IDI_APPLY, IDI_CANCEL, 32, 32);
    changeTo(nOther);
    changeTo(row->nDpi);
    const int nGdi = CountGdiObjects();
    for (int i = 0; i < 3; ++i) {
        changeTo(nOther);
        changeTo(row->nDpi);
    }
    EXPECT_EQ(nGdi, CountGdiObjects());
    ExpectToolbarDrawnFor(frame->m_wndToolBar, row->nDpi, row->nImage, row->cxButton);

    changeTo(nOther);
    const int nImage = 16 * AfxDpiImagePercent(nOther) / 100;
    ExpectToolbarDrawnFor(frame->m_wndToolBar, nOther, nImage, nImage + AfxScaleByDpi(7, nOther));
    // The menu's column and an item's pictures, in a popup of a popup too.
    HMENU hTools = GetSubMenu(frame->GetMenu(), 3);
    CBitmapMenu* pTools = dynamic_cast<CBitmapMenu*>(CMenu::FromHandlePermanent(hTools));
    ASSERT_NE(nullptr, pTools);
    EXPECT_EQ(nImage, pTools->m_cxImage);
    for (UINT nID : {ID_WALLPAPER_CENTER, ID_TOOLS_CAPTUREREGION}) {
        int nPos = -1;
        CBitmapMenu* pOwner = pTools->FindItemByCommand(nID, &nPos);
        ASSERT_NE(nullptr, pOwner) << nID;
        EXPECT_EQ(nImage, pOwner->m_cxImage) << nID;
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoA(pOwner->m_hMenu, nPos, TRUE, &mii));
        const CBitmapMenuItem* pRecord = reinterpret_cast<const CBitmapMenuItem*>(mii.dwItemData);
        ASSERT_TRUE(pRecord && pRecord->m_pImages) << nID;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(pRecord->m_pImages->GetSafeHandle(), &cx, &cy);
        EXPECT_EQ(nImage, cx) << nID;
        EXPECT_EQ(15 * AfxDpiImagePercent(nOther) / 100, cy) << nID;
    }
    // The hands at the new size; the view's pop-ups are built for it.
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(view->m_hCursorOpenHand, &ii));
    BITMAP bm = {};
    GetObject(ii.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(AfxScaleByDpi(32, nOther), bm.bmWidth);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor)
        DeleteObject(ii.hbmColor);
    EXPECT_EQ(nOther, view->GetDpi());
    // The icon button's icons, both, at the new size.
    EXPECT_EQ(AfxScaleByDpi(32, nOther), button.m_cxIcon);
    EXPECT_EQ(AfxScaleByDpi(32, nOther), button.m_cyIcon);
    for (HICON hIcon : {button.m_hIconIn.Get(), button.m_hIconOut.Get()}) {
        ASSERT_TRUE(GetIconInfo(hIcon, &ii));
        GetObject(ii.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(AfxScaleByDpi(32, nOther), bm.bmWidth);
        EXPECT_EQ(AfxScaleByDpi(32, nOther), bm.bmHeight);
        DeleteObject(ii.hbmMask);
        DeleteObject(ii.hbmColor);
    }
    button.DestroyWindow();
    // A dialog moved to another DPI: its icon buttons too.
    s_nDialogDpi = nOther;
    const UINT_PTR nTimer = SetTimer(nullptr, 0, 30, MoveAboutBox);
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    KillTimer(nullptr, nTimer);
    EXPECT_EQ(AfxScaleByDpi(32, nOther), s_cxDialogIcon);
}

// The program itself, started as a user starts it: its manifest makes it aware of the DPI.
TEST_F(DpiTest, TheProgramsManifestMakesItAware) {
    // Built beside the tests' folder: build/win64/src/Morvane.exe.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self);
    exe = exe.substr(0, exe.find_last_of('\\'));
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "src\\Morvane.exe";
    ASSERT_TRUE(FileExists(exe)) << exe;
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND hFrame = nullptr;
    PumpUntil(
        [&] {
            hFrame = FindWindowA(nullptr, "Morvane 1.52");
            while (hFrame) {
                DWORD pid = 0;
                GetWindowThreadProcessId(hFrame, &pid);
                if (pid == pi.dwProcessId && IsWindowVisible(hFrame))
                    return true;
                hFrame = FindWindowExA(nullptr, hFrame, nullptr, "Morvane 1.52");
            }
            return false;
        },
        30000);
    ASSERT_NE(nullptr, hFrame);
    CRect rc;
    GetWindowRect(hFrame, &rc);
    EXPECT_EQ(row->rcFrame, rc);
    PostMessageA(hFrame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
