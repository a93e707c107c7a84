// The main menu as the bitmap menu builds it from menu 128: a plain menu bar, owner-drawn
// records that match the resource, images on exactly the right commands, aligned shortcut
// labels, the item measures, the check drawn at the right height, records kept in step with
// the update handlers, and no handle left behind by a thousand openings.
#include <map>

#include "DesktopUtil.h"
#include "MenuUtil.h"

namespace {
class BitmapMenuTest : public MenuFixture {};

std::wstring ItemText(HMENU hMenu, int nPos) {
    wchar_t buf[256] = {};
    GetMenuStringW(hMenu, static_cast<UINT>(nPos), buf, 256, MF_BYPOSITION);
    return buf;
}

int Width(HDC hDC, const std::wstring& s) {
    SIZE size = {0, 0};
    GetTextExtentPoint32W(hDC, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
}

// Toolbar image index (button number - 1) of each command with a button, and the seven
// single bitmaps.
const std::map<UINT, int> kToolBarImage = {
    {ID_FILE_OPEN, 0},
    {ID_FILE_SAVE, 1},
    {ID_FILE_SAVE_AS, 2},
    {ID_FILE_PRINT, 3},
    {ID_IMAGE_COPY, 4},
    {ID_IMAGE_RENAME, 5},
    {ID_VIEW_PREVIOUS, 6},
    {ID_VIEW_NEXT, 7},
    {ID_TOOLS_SLIDESTARTSTOP, 8},
    {ID_VIEW_ZOOMOUT, 9},
    {ID_VIEW_ZOOMIN, 10},
    {ID_VIEW_ZOOM, 11},
    {ID_VIEW_FULLSCREEN, 12},
    {ID_TOOLS_CAPTUREREGION, 13},
    {ID_TOOLS_CAPTUREOBJECT, 14},
    {ID_TOOLS_CAPTURESCREEN, 15},
    {ID_HELP_INDEX, 16},
};
const std::map<UINT, int> kSingleImage = {
    {ID_HELP_UPDATE, 185},       {ID_APP_ABOUT, 206},      {ID_IMAGE_EDIT, 186},     {ID_WALLPAPER_CENTER, 193},
    {ID_WALLPAPER_STRETCH, 194}, {ID_WALLPAPER_TILE, 196}, {ID_WALLPAPER_NONE, 195},
};

// Whether image nImage of a list shows the 16 x 15 top of picture nSlice of a bitmap resource
// (after the button colours are mapped), on every pixel the picture does not leave transparent.
bool ImageShows(CImageList* pImages, int nImage, UINT nBitmap, int nSlice) {
    HBITMAP hbm = AfxLoadSysColorBitmap(GetModuleHandleA(nullptr), nBitmap);
    if (!hbm)
        return false;
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen), dst = CreateCompatibleDC(screen);
    HBITMAP hDst = CreateCompatibleBitmap(screen, 16, 15);
    HGDIOBJ o1 = SelectObject(src, hbm), o2 = SelectObject(dst, hDst);
    RECT rc = {0, 0, 16, 15};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dst, &rc, magenta);
    POINT pt = {0, 0};
    pImages->Draw(dst, nImage, pt, ILD_TRANSPARENT);
    bool same = true;
    int nOpaque = 0;
    COLORREF face = GetSysColor(COLOR_3DFACE);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 16; ++x) {
            COLORREF want = GetPixel(src, nSlice * 16 + x, y);
            if (want == face) {
                same = same && GetPixel(dst, x, y) == RGB(255, 0, 255);  // transparent
            } else {
                ++nOpaque;
                same = same && GetPixel(dst, x, y) == want;
            }
        }
    }
    SelectObject(src, o1);
    SelectObject(dst, o2);
    DeleteObject(magenta);
    DeleteObject(hDst);
    DeleteDC(src);
    DeleteDC(dst);
    ReleaseDC(nullptr, screen);
    DeleteObject(hbm);
    return same && nOpaque > 10;
}
}  // namespace

TEST_F(BitmapMenuTest, MainMenuIsPlainBarOverOwnerDrawnPopupsMatchingTheResource) {
    HMENU hBar = frame->GetMenu();
    ASSERT_NE(nullptr, hBar);
    EXPECT_EQ(hBar, frame->m_hMenuDefault);
    HMENU hRef = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_EQ(5, GetMenuItemCount(hBar));
    const wchar_t* kBar[] = {L"&File", L"&Image", L"&View", L"&Tools", L"&Help"};
    int nItems = 0, nImages = 0;
    // Walks a popup beside its resource twin.
    std::function<void(HMENU, HMENU)> walk = [&](HMENU hMenu, HMENU hTwin) {
        ASSERT_TRUE(CBitmapMenu::IsBitmapPopup(hMenu));
        ASSERT_NE(nullptr, MenuOf(hMenu));
        ASSERT_EQ(GetMenuItemCount(hTwin), GetMenuItemCount(hMenu));
        EXPECT_EQ(static_cast<size_t>(GetMenuItemCount(hMenu)), MenuOf(hMenu)->m_items.size());
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
            ++nItems;
            MENUITEMINFOW mii = {};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
            ASSERT_TRUE(GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &mii));
            EXPECT_TRUE(mii.fType & MFT_OWNERDRAW) << i;
            CBitmapMenuItem* pItem = reinterpret_cast<CBitmapMenuItem*>(mii.dwItemData);
            ASSERT_NE(nullptr, pItem);
            EXPECT_EQ(MenuOf(hMenu)->m_items[static_cast<size_t>(i)], pItem);
            EXPECT_TRUE(pItem->m_nFlags & MF_OWNERDRAW);
            std::wstring want = ItemText(hTwin, i);
            std::wstring got = pItem->m_pwszText ? pItem->m_pwszText : L"";
            size_t tab = want.find(L'\t');
            if (tab == std::wstring::npos) {
                EXPECT_EQ(want, got);
            } else {
                // The left part may be padded with spaces; the label after the tab is the same.
                size_t gotTab = got.find(L'\t');
                ASSERT_NE(std::wstring::npos, gotTab);
                std::wstring left = got.substr(0, gotTab);
                EXPECT_EQ(want.substr(0, tab), left.substr(0, left.find_last_not_of(L' ') + 1));
                EXPECT_EQ(want.substr(tab), got.substr(gotTab));
            }
            HMENU hSub = GetSubMenu(hMenu, i);
            if (hSub) {
                EXPECT_EQ(reinterpret_cast<UINT_PTR>(hSub), pItem->m_nId);
                EXPECT_TRUE(pItem->m_nFlags & MF_POPUP);
                walk(hSub, GetSubMenu(hTwin, i));
                continue;
            }
            UINT nID = GetMenuItemID(hTwin, i);
            EXPECT_EQ(nID, mii.wID);
            EXPECT_EQ(nID, pItem->m_nId);
            EXPECT_EQ(nID == 0, (pItem->m_nFlags & MF_SEPARATOR) != 0) << nID;
            auto tb = kToolBarImage.find(nID);
            auto single = kSingleImage.find(nID);
            if (tb != kToolBarImage.end()) {
                ++nImages;
                EXPECT_EQ(IDR_MAINFRAME, pItem->m_nImageSource) << nID;
                EXPECT_EQ(tb->second, pItem->m_nImage) << nID;
                ASSERT_NE(nullptr, pItem->m_pImages);
                EXPECT_EQ(17, pItem->m_pImages->GetImageCount());
                EXPECT_TRUE(ImageShows(pItem->m_pImages, pItem->m_nImage, IDR_MAINFRAME, tb->second)) << nID;
            } else if (single != kSingleImage.end()) {
                ++nImages;
                EXPECT_EQ(single->second, pItem->m_nImageSource) << nID;
                EXPECT_EQ(0, pItem->m_nImage) << nID;
                ASSERT_NE(nullptr, pItem->m_pImages);
                EXPECT_EQ(1, pItem->m_pImages->GetImageCount());
                EXPECT_TRUE(ImageShows(pItem->m_pImages, 0, static_cast<UINT>(single->second), 0)) << nID;
            } else {
                EXPECT_EQ(-1, pItem->m_nImageSource) << nID;
                EXPECT_EQ(-1, pItem->m_nImage) << nID;
                EXPECT_EQ(nullptr, pItem->m_pImages) << nID;
            }
        }
    };
    for (int i = 0; i < 5; ++i) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(hBar, static_cast<UINT>(i), TRUE, &mii));
        EXPECT_FALSE(mii.fType & MFT_OWNERDRAW) << i;
        EXPECT_EQ(std::wstring(kBar[i]), ItemText(hBar, i));
        walk(GetSubMenu(hBar, i), GetSubMenu(hRef, i));
    }
    DestroyMenu(hRef);
    EXPECT_EQ(39, nItems);  // 35 items in the five popups, 4 in the wallpaper popup
    EXPECT_EQ(static_cast<int>(kToolBarImage.size() + kSingleImage.size()), nImages);
}

TEST_F(BitmapMenuTest, ShortcutLabelsAlignedToOneMeasuredWidth) {
    HFONT hFont = CreateMenuFont();
    HDC hDC = GetDC(frame->m_hWnd);
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    int nChecked = 0;
    for (int p = 0; p < 5; ++p) {
        CBitmapMenu* pMenu = MenuOf(Popup(p));
        ASSERT_NE(nullptr, pMenu);
        int nLargest = 0, nSpace = Width(hDC, L" ");
        for (CBitmapMenuItem* pItem : pMenu->m_items) {
            std::wstring t = pItem->m_pwszText ? pItem->m_pwszText : L"";
            std::wstring left = t.substr(0, t.find(L'\t'));
            if (t.find(L'\t') != std::wstring::npos)
                left = left.substr(0, left.find_last_not_of(L' ') + 1);
            nLargest = std::max(nLargest, Width(hDC, left + L" "));
        }
        for (CBitmapMenuItem* pItem : pMenu->m_items) {
            std::wstring t = pItem->m_pwszText ? pItem->m_pwszText : L"";
            size_t tab = t.find(L'\t');
            if (tab == std::wstring::npos)
                continue;
            ++nChecked;
            std::wstring left = t.substr(0, tab);
            // Padded just far enough: one space less would fall short.
            EXPECT_GE(Width(hDC, left), nLargest) << p;
            EXPECT_LT(Width(hDC, left.substr(0, left.size() - 1)), nLargest) << p;
            EXPECT_GT(nSpace, 0);
        }
    }
    EXPECT_EQ(14, nChecked);  // every item with a shortcut label
    SelectObject(hDC, hOld);
    ReleaseDC(frame->m_hWnd, hDC);
    DeleteObject(hFont);
}

TEST_F(BitmapMenuTest, MeasuresSeparatorsHalfTheBarAndItemsImageTextImage) {
    HMENU hFile = Popup(0);
    CBitmapMenu* pMenu = MenuOf(hFile);
    ASSERT_NE(nullptr, pMenu);
    const int cyMenu = GetSystemMetrics(SM_CYMENU);

    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemData = reinterpret_cast<ULONG_PTR>(RecordAt(hFile, 3));  // separator after Save As...
    mis.itemWidth = mis.itemHeight = 999;
    pMenu->MeasureItem(&mis);
    EXPECT_EQ(0u, mis.itemWidth);
    EXPECT_EQ(static_cast<UINT>(cyMenu / 2), mis.itemHeight);

    HFONT hFont = CreateMenuFont();
    HDC hDC = GetDC(frame->m_hWnd);
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    for (int pos : {0, 6}) {  // "Open..." with its padded label, "Exit"
        CBitmapMenuItem* pItem = RecordAt(hFile, pos);
        mis.itemData = reinterpret_cast<ULONG_PTR>(pItem);
        pMenu->MeasureItem(&mis);
        EXPECT_EQ(static_cast<UINT>(16 + Width(hDC, pItem->m_pwszText) + 1 + 16), mis.itemWidth) << pos;
        EXPECT_EQ(static_cast<UINT>(std::max(cyMenu, 19)), mis.itemHeight) << pos;
    }
    SelectObject(hDC, hOld);
    ReleaseDC(frame->m_hWnd, hDC);
    DeleteObject(hFont);
}

TEST_F(BitmapMenuTest, CheckSitsTwoPixelsLowerInATwentyFourPixelItem) {
    // Auto Zoom (no image) drawn checked into 20- and 24-pixel items: its tick's top pixel is
    // at row 2 + dy + 4 of the item, dy being 0 and 2.
    HMENU hView = Popup(2);
    CBitmapMenu* pMenu = MenuOf(hView);
    int pos = PositionOf(hView, ID_VIEW_AUTOZOOM);
    ASSERT_GE(pos, 0);
    const COLORREF text = GetSysColor(COLOR_MENUTEXT), light = GetSysColor(COLOR_3DLIGHT);
    const int kFirstRow[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int height : {20, 24}) {
        const int dy = height == 24 ? 2 : 0;
        ReferenceImage image(160, height, RGB(1, 2, 3));
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = ID_VIEW_AUTOZOOM;
        dis.itemState = ODS_CHECKED;
        dis.hwndItem = reinterpret_cast<HWND>(hView);
        dis.hDC = image.dc();
        dis.rcItem = {0, 0, 160, height};
        dis.itemData = reinterpret_cast<ULONG_PTR>(RecordAt(hView, pos));
        pMenu->DrawItem(&dis);
        // The 7 x 7 box of the tick at (1 + 4, 2 + dy + 4): exactly 21 pixels in the text colour.
        int nTick = 0;
        for (int c = 0; c < 7; ++c) {
            for (int r = 0; r < 7; ++r) {
                bool inTick = r >= kFirstRow[c] && r < kFirstRow[c] + 3;
                COLORREF got = image.at(5 + c, 6 + dy + r);
                EXPECT_EQ(inTick ? text : light, got) << height << ": " << c << "," << r;
                nTick += got == text;
            }
        }
        EXPECT_EQ(21, nTick);
        // The light box with its sunken edge: (1, 2 + dy) to (17, 17 + dy).
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), image.at(1, 2 + dy)) << height;
        EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), image.at(16, 16 + dy)) << height;
        EXPECT_EQ(light, image.at(3, 4 + dy)) << height;
        EXPECT_NE(light, image.at(3, 1 + dy)) << height;
    }
}

TEST_F(BitmapMenuTest, RefreshFollowsChecksRenamesAndRemovals) {
    // The update handlers check Auto Zoom while the picture is fitted: a refresh keeps the item
    // owner-drawn and its record carries the check.
    HMENU hView = Popup(2);
    int pos = PositionOf(hView, ID_VIEW_AUTOZOOM);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
    CBitmapMenuItem* pAuto = RecordAt(hView, pos);
    ASSERT_NE(nullptr, pAuto);
    EXPECT_TRUE(pAuto->m_nFlags & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(hView, ID_VIEW_AUTOZOOM, MF_BYCOMMAND) & MF_OWNERDRAW);
    PictureState::ZoomPreset(AppFlags(), 1.0);  // the zoom is the user's
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
    EXPECT_EQ(pAuto, RecordAt(hView, pos));
    EXPECT_FALSE(pAuto->m_nFlags & MF_CHECKED);

    // What an update handler does to items: check one, rename one (which makes it a plain
    // string item again), remove one.
    HMENU hFile = Popup(0);
    CBitmapMenu* pFile = MenuOf(hFile);
    const size_t nBefore = pFile->m_items.size();
    CBitmapMenuItem* pSaveAs = RecordAt(hFile, 2);
    CCmdUI ui;
    ui.m_pMenu = hFile;
    ui.m_nIndex = 2;
    ui.m_nID = ID_FILE_SAVE_AS;
    ui.SetText("Save Copy...");
    ui.SetCheck(1);
    EXPECT_FALSE(GetMenuState(hFile, 2, MF_BYPOSITION) & MF_OWNERDRAW);
    ASSERT_TRUE(DeleteMenu(hFile, ID_FILE_PRINT, MF_BYCOMMAND));
    CBitmapMenu::RefreshPopup(pFile);

    ASSERT_EQ(static_cast<size_t>(GetMenuItemCount(hFile)), pFile->m_items.size());
    EXPECT_EQ(nBefore - 1, pFile->m_items.size());
    for (int i = 0; i < GetMenuItemCount(hFile); ++i) {
        EXPECT_EQ(pFile->m_items[static_cast<size_t>(i)], RecordAt(hFile, i)) << i;
        EXPECT_TRUE(GetMenuState(hFile, static_cast<UINT>(i), MF_BYPOSITION) & MF_OWNERDRAW) << i;
        EXPECT_NE(static_cast<UINT>(ID_FILE_PRINT), pFile->m_items[static_cast<size_t>(i)]->m_nId);
    }
    EXPECT_EQ(pSaveAs, RecordAt(hFile, 2));  // the same record, image and all
    EXPECT_EQ(std::wstring(L"Save Copy..."), pSaveAs->m_pwszText);
    EXPECT_TRUE(pSaveAs->m_nFlags & MF_CHECKED);
    EXPECT_EQ(2, pSaveAs->m_nImage);
    // The separators keep their records in order: the one before Print and the one before Exit.
    EXPECT_TRUE(RecordAt(hFile, 3)->m_nFlags & MF_SEPARATOR);
    EXPECT_TRUE(RecordAt(hFile, 4)->m_nFlags & MF_SEPARATOR);
    EXPECT_EQ(static_cast<UINT>(ID_APP_EXIT), RecordAt(hFile, 5)->m_nId);
}

TEST_F(BitmapMenuTest, AThousandPopupsAndContextMenusLeaveNoHandles) {
    HMENU hView = Popup(2);
    CBitmapMenu* pView = MenuOf(hView);
    // The menu window closes as soon as it has been shown and drawn: the key waits in the queue.
    auto openView = [&] {
        PostMessageA(frame->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        TrackPopupMenu(hView, TPM_LEFTALIGN, 300, 300, 0, frame->m_hWnd, nullptr);
        PumpNow();
    };
    auto openContext = [&] {
        PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
        PumpNow();
    };
    for (int i = 0; i < 10; ++i) {  // what the system keeps for menus once is made here
        openView();
        openContext();
    }
    const int gdi = CountGdiObjects(), windows = CountThreadWindows(), popups = CBitmapMenu::GetPopupCount();
    const size_t records = pView->m_items.size();
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < SoakSteps(40, 1000); ++i) {
        openView();
        openContext();
    }
    // Anything kept per opening would be an object or more for each (each drawing makes some
    // fifteen); the system may make one or two of its own on the way.
    EXPECT_LE(CountGdiObjects(), gdi + 2);
    EXPECT_EQ(windows, CountThreadWindows());
    EXPECT_EQ(popups, CBitmapMenu::GetPopupCount());
    EXPECT_EQ(records, pView->m_items.size());
    EXPECT_EQ(nullptr, view->m_menuPopup.m_hMenu);
    EXPECT_TRUE(view->m_menuPopup.m_items.empty());
}

TEST_F(BitmapMenuTest, MenuSurvivesBeingTakenOffAndPutBackAndGoesWithTheFrame) {
    // Full screen takes the menu bar off and puts the same handle back.
    HMENU hBar = frame->GetMenu();
    HMENU hView = Popup(2);
    ASSERT_TRUE(SetMenu(frame->m_hWnd, nullptr));
    PumpNow();
    PictureState::ZoomPreset(AppFlags(), 1.0);  // the zoom is the user's
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
    ASSERT_TRUE(SetMenu(frame->m_hWnd, hBar));
    PumpNow();
    EXPECT_EQ(hView, Popup(2));
    EXPECT_TRUE(CBitmapMenu::IsBitmapPopup(hView));
    PictureState::AutoZoom(AppFlags());
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
    int pos = PositionOf(hView, ID_VIEW_AUTOZOOM);
    EXPECT_TRUE(RecordAt(hView, pos)->m_nFlags & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(hView, pos, MF_BYPOSITION) & MF_OWNERDRAW);

    // Whole programs, one ending with its menu bar on, one with it off: each leaves the same
    // number of GDI objects and no popups of its menus.
    run.reset();
    const int popupsNone = CBitmapMenu::GetPopupCount();
    EXPECT_EQ(0, popupsNone);
    auto startAndExit = [](bool bTakeMenuOff) {
        RunningApp app;
        if (bTakeMenuOff)
            SetMenu(app.frame()->m_hWnd, nullptr);
        EXPECT_EQ(6, CBitmapMenu::GetPopupCount());  // five popups and the wallpaper popup
    };
    startAndExit(false);
    const int gdi = CountGdiObjects();
    startAndExit(false);
    EXPECT_EQ(gdi, CountGdiObjects());
    startAndExit(true);
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(0, CBitmapMenu::GetPopupCount());
}

TEST_F(BitmapMenuTest, MissingResourcesAndCommandsLeaveNothingHalfDone) {
    const int popups = CBitmapMenu::GetPopupCount();
    CBitmapMenu menu;
    EXPECT_FALSE(menu.LoadMenu(9999));  // no such menu
    EXPECT_EQ(nullptr, menu.m_hMenu);
    EXPECT_TRUE(menu.m_items.empty());
    EXPECT_EQ(popups, CBitmapMenu::GetPopupCount());

    ASSERT_TRUE(menu.LoadMenu(IDR_ZOOMRATIO));
    EXPECT_EQ(popups + 1, CBitmapMenu::GetPopupCount());
    HMENU hPopup = GetSubMenu(menu.m_hMenu, 0);
    // A bitmap that does not exist: the item stays without image.
    menu.SetItemImage(nullptr, ID_ZOOM_25, 4321);
    CBitmapMenuItem* p25 = RecordAt(hPopup, 0);
    EXPECT_EQ(-1, p25->m_nImage);
    EXPECT_EQ(-1, p25->m_nImageSource);
    EXPECT_EQ(nullptr, p25->m_pImages);
    EXPECT_TRUE(GetMenuState(hPopup, 0, MF_BYPOSITION) & MF_OWNERDRAW);
    // A command the menu does not have: one more record in the menu's own list, no item changed.
    const size_t nRoot = menu.m_items.size();
    EXPECT_FALSE(menu.SetItemImage(L"x", ID_FILE_OPEN, IDR_MAINFRAME));
    EXPECT_EQ(nRoot + 1, menu.m_items.size());
    EXPECT_EQ(10, GetMenuItemCount(hPopup));
    // A plain bitmap where a toolbar is expected: image 0 of a one-image list.
    EXPECT_TRUE(menu.SetItemImage(nullptr, ID_ZOOM_50, IDB_ABOUT));
    CBitmapMenuItem* p50 = RecordAt(hPopup, 1);
    EXPECT_EQ(0, p50->m_nImage);
    ASSERT_NE(nullptr, p50->m_pImages);
    EXPECT_EQ(1, p50->m_pImages->GetImageCount());

    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(IsMenu(hPopup));
    EXPECT_TRUE(menu.m_items.empty());
    EXPECT_EQ(popups, CBitmapMenu::GetPopupCount());
}
