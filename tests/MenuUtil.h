// Helpers for tests of the owner-drawn menus: a user at an open menu (a thread timer that runs
// one step per tick inside the menu's modal loop), the menu window and its items on the screen,
// system colours chosen so that every colour a menu item uses is told apart, and the fixture of
// the menu tests.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "AppFixture.h"
#include "controls/BitmapMenu.h"

// A step sees the open menu's window; it returns false to be run again at the next tick.
typedef std::function<bool(HWND hMenuWnd)> MenuStep;

// Runs open() (which shows a menu modally) while the steps run one per tick once a menu window
// is visible; a menu still up after the last step is closed. False when a step never ran.
bool WithOpenMenu(const std::function<void()>& open, std::vector<MenuStep> steps);
// A key for the menu that is up.
void MenuKey(HWND hMenuWnd, WPARAM vk);
// The visible menu window of this thread, or null.
HWND FindMenuWindow();

// Sets distinct menu colours (menu and 3D face alike, as in the classic scheme) for the life
// of the object and puts the old ones back afterwards.
class MenuColours {
public:
    MenuColours();
    ~MenuColours();
    MenuColours(const MenuColours&) = delete;
    MenuColours& operator=(const MenuColours&) = delete;

private:
    std::vector<int> m_ids;
    std::vector<COLORREF> m_old;
};

// The running application with distinct menu colours, and the main menu's popups as the
// bitmap menu holds them.
class MenuFixture : public AppTest {
protected:
    MenuFixture() : AppTest(AppStart().Folder("menu").Settle(50)) {}
    void BeforeStart() override { colours.reset(new MenuColours); }
    void AfterEnd() override { colours.reset(); }
    // Popup nIndex of the menu bar (0 File .. 4 Help) and the bitmap menu that owns it.
    HMENU Popup(int nIndex) const { return GetSubMenu(frame->GetMenu(), nIndex); }
    CBitmapMenu* MenuOf(HMENU hMenu) const { return dynamic_cast<CBitmapMenu*>(CMenu::FromHandlePermanent(hMenu)); }
    static CBitmapMenuItem* RecordAt(HMENU hMenu, int nPos) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        GetMenuItemInfoW(hMenu, static_cast<UINT>(nPos), TRUE, &mii);
        return reinterpret_cast<CBitmapMenuItem*>(mii.dwItemData);
    }
    static int PositionOf(HMENU hMenu, UINT nID) {
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
            if (GetMenuItemID(hMenu, i) == nID)
                return i;
        return -1;
    }
    // Opens a popup of the main menu as the menu bar would (the frame owns it and gets its
    // initialisation message), runs the steps and closes it.
    bool OpenPopup(HMENU hPopup, int x, int y, std::vector<MenuStep> steps) {
        return WithOpenMenu(
            [&] { TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_LEFTBUTTON, x, y, 0, frame->m_hWnd, nullptr); },
            std::move(steps));
    }
    // A picture shown as Open leaves it, with the zoom commands enabled.
    void ShowPicture() {
        Show(WritePicture("a.bmp", 300, 200, [](int x, int) { return RGB(x % 256, 90, 40); }));
    }

    std::unique_ptr<MenuColours> colours;
};
