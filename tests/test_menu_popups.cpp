// The view's pop-up menus in the running program: the context menu under a right click and the
// zoom-ratio menu under the arrow of the Zoom... button, where they open, their images, what
// choosing an item does (a disabled command nothing), and that their menus are destroyed.
#include "DesktopUtil.h"
#include <map>

#include "MenuUtil.h"

namespace {
class MenuPopupTest : public MenuFixture {
protected:
    // Right button down at a point of the view; the steps run while the context menu is up.
    bool RightClick(int x, int y, std::vector<MenuStep> steps) {
        return WithOpenMenu([&] { view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }, std::move(steps));
    }
    // Chooses the item reached with n presses of the down key.
    static std::vector<MenuStep> Choose(int nDowns) {
        return {[nDowns](HWND hMenuWnd) {
            for (int i = 0; i < nDowns; ++i)
                MenuKey(hMenuWnd, VK_DOWN);
            MenuKey(hMenuWnd, VK_RETURN);  // handled before the next tick could close the menu
            return true;
        }};
    }
    void Pump() {
        PumpFor(100);
        view->UpdateWindow();
        PumpNow();
    }
    // The Zoom... button's rectangle in the toolbar's client area.
    RECT ZoomButton() {
        RECT rc = {};
        int nIndex = frame->m_wndToolBar.CommandToIndex(ID_VIEW_ZOOM);
        frame->m_wndToolBar.SendMessage(TB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }
};

// Closes the first visible dialog box of this thread, keeping its caption.
std::string s_dialogCaption;
void CALLBACK CloseDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND h = FindWindowA("#32770", nullptr);
    if (h && IsWindowVisible(h) && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) {
        char buf[64] = {};
        GetWindowTextA(h, buf, sizeof buf);
        s_dialogCaption = buf;
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
}
}  // namespace

TEST_F(MenuPopupTest, ContextMenuOpensAtTheClickWithImagesAndIsDestroyedAfterwards) {
    const int popupsBefore = CBitmapMenu::GetPopupCount();
    POINT click = {70, 40};
    ClientToScreen(view->m_hWnd, &click);
    HMENU hShown = nullptr, hWallpaper = nullptr;
    RECT rcMenu = {};
    std::map<UINT, std::pair<int, int>> images;  // command -> image source, index
    int nRecords = 0;
    bool ran = RightClick(70, 40, {[&](HWND hMenuWnd) {
                              GetWindowRect(hMenuWnd, &rcMenu);
                              CMenu* pSub = view->m_menuPopup.GetSubMenu(0);
                              hShown = pSub ? pSub->m_hMenu : nullptr;
                              if (!hShown)
                                  return true;
                              EXPECT_TRUE(CBitmapMenu::IsBitmapPopup(hShown));
                              hWallpaper = GetSubMenu(hShown, GetMenuItemCount(hShown) - 1);
                              // A second request while this one is up leaves the menu being tracked alone.
                              view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
                              EXPECT_TRUE(IsMenu(hShown));
                              EXPECT_EQ(hShown, GetSubMenu(view->m_menuPopup.m_hMenu, 0));
                              for (HMENU h : {hShown, hWallpaper}) {
                                  for (int i = 0; i < GetMenuItemCount(h); ++i) {
                                      CBitmapMenuItem* pItem = RecordAt(h, i);
                                      if (!pItem)
                                          continue;
                                      ++nRecords;
                                      if (pItem->m_nImageSource != -1)
                                          images[GetMenuItemID(h, i)] = {pItem->m_nImageSource, pItem->m_nImage};
                                  }
                              }
                              return true;
                          }});
    ASSERT_TRUE(ran);
    EXPECT_EQ(click.x, rcMenu.left);
    EXPECT_EQ(click.y, rcMenu.top);
    ASSERT_NE(nullptr, hShown);
    EXPECT_EQ(11 + 4, nRecords);  // every item of both popups is owner-drawn
    const std::map<UINT, std::pair<int, int>> expected = {
        {ID_FILE_OPEN, {IDR_MAINFRAME, 0}},
        {ID_VIEW_ZOOMOUT, {IDR_MAINFRAME, 9}},
        {ID_VIEW_ZOOMIN, {IDR_MAINFRAME, 10}},
        {ID_VIEW_ZOOM, {IDR_MAINFRAME, 11}},
        {ID_VIEW_PREVIOUS, {IDR_MAINFRAME, 6}},
        {ID_VIEW_NEXT, {IDR_MAINFRAME, 7}},
        {ID_TOOLS_SLIDESTARTSTOP, {IDR_MAINFRAME, 8}},
        {ID_WALLPAPER_CENTER, {IDB_WALLCENTER, 0}},
        {ID_WALLPAPER_STRETCH, {IDB_WALLSTRETCH, 0}},
        {ID_WALLPAPER_TILE, {IDB_WALLTILE, 0}},
        {ID_WALLPAPER_NONE, {IDB_WALLNONE, 0}},
    };
    EXPECT_EQ(expected, images);
    // Gone as soon as it closed.
    EXPECT_FALSE(IsMenu(hShown));
    EXPECT_FALSE(IsMenu(hWallpaper));
    EXPECT_EQ(nullptr, view->m_menuPopup.m_hMenu);
    EXPECT_TRUE(view->m_menuPopup.m_items.empty());
    EXPECT_TRUE(view->m_menuPopup.m_popups.empty());
    EXPECT_EQ(popupsBefore, CBitmapMenu::GetPopupCount());
}

TEST_F(MenuPopupTest, ZoomInAndOutChosenThereActAsInTheMainMenu) {
    ShowPicture();
    const double fitted = g_dZoom;
    ASSERT_GT(fitted, 0.0);
    ASSERT_TRUE(RightClick(50, 50, Choose(2)));  // Open, Zoom in
    Pump();
    EXPECT_DOUBLE_EQ(2 * fitted, g_dZoom);
    EXPECT_EQ(1, g_bManualZoom);
    ASSERT_TRUE(RightClick(50, 50, Choose(3)));  // Open, Zoom in, Zoom out
    Pump();
    EXPECT_DOUBLE_EQ(fitted, g_dZoom);
    ASSERT_TRUE(RightClick(50, 50, Choose(3)));
    Pump();
    EXPECT_DOUBLE_EQ(fitted / 2, g_dZoom);
}

TEST_F(MenuPopupTest, PreviousOnTheFirstPictureDoesNothingWhileNextSteps) {
    std::string folder = MakeTempFolder("menu-nav");
    for (const char* name : {"a.bmp", "b.bmp"})
        WriteFile(folder + name, MakeBmp(40, 30, [](int, int) { return RGB(20, 200, 20); }));
    view->OpenChosenFile((folder + "a.bmp").c_str(), "a.bmp");
    Pump();
    ASSERT_EQ(2, g_fileList.GetSize());
    ASSERT_EQ(0, g_nFileIndex);
    const CString first = g_strFilePath;

    ASSERT_TRUE(RightClick(50, 50, Choose(5)));  // Open, Zoom in, Zoom out, Zoom..., Previous
    Pump();
    EXPECT_EQ(0, g_nFileIndex);
    EXPECT_EQ(first, g_strFilePath);

    ASSERT_TRUE(RightClick(50, 50, Choose(6)));  // ..., Next
    Pump();
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_NE(first, g_strFilePath);
}

TEST_F(MenuPopupTest, ZoomButtonArrowOpensTheRatioMenuBelowItsFaceTheDialog) {
    ShowPicture();
    HWND hTool = frame->m_wndToolBar.m_hWnd;
    RECT rcButton = ZoomButton();
    const int yMid = (rcButton.top + rcButton.bottom) / 2;
    POINT origin = {0, 0};
    ClientToScreen(view->m_hWnd, &origin);

    // The arrow: menu 147 at 301 right of and 15 above the view's client origin; 50% chosen.
    RECT rcMenu = {};
    HMENU hShown = nullptr;
    int nZoomImage = -1;
    MouseMoveTo(hTool, rcButton.right - 4, yMid);
    bool ran = WithOpenMenu([&] { MouseLeftDown(); }, {[&](HWND hMenuWnd) {
                                GetWindowRect(hMenuWnd, &rcMenu);
                                if (CMenu* pSub = view->m_menuPopup.GetSubMenu(0)) {
                                    hShown = pSub->m_hMenu;
                                    int pos = PositionOf(hShown, ID_VIEW_ZOOM);
                                    if (CBitmapMenuItem* pItem = pos >= 0 ? RecordAt(hShown, pos) : nullptr)
                                        nZoomImage = pItem->m_nImage;
                                }
                                MenuKey(hMenuWnd, VK_DOWN);
                                MenuKey(hMenuWnd, VK_DOWN);
                                MenuKey(hMenuWnd, VK_RETURN);
                                return true;
                            }});
    MouseLeftUp();
    Pump();
    EXPECT_TRUE(ran);
    EXPECT_EQ(origin.x + 301, rcMenu.left);
    EXPECT_EQ(origin.y - 15, rcMenu.top);
    EXPECT_EQ(11, nZoomImage);
    EXPECT_DOUBLE_EQ(0.5, g_dZoom);
    EXPECT_NE(nullptr, hShown);
    EXPECT_FALSE(IsMenu(hShown));
    EXPECT_EQ(nullptr, view->m_menuPopup.m_hMenu);

    // The face: the Zoom dialog, and no menu.
    s_dialogCaption.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseDialog);
    MouseMoveTo(hTool, rcButton.left + 8, yMid);
    MouseLeftDown();
    MouseLeftUp();
    PumpUntil([] { return !s_dialogCaption.empty(); }, 5000);
    KillTimer(nullptr, timer);
    Pump();
    EXPECT_EQ("Zoom", s_dialogCaption);
    EXPECT_EQ(nullptr, FindMenuWindow());
}
