// Helpers for tests of the owner-drawn menus: a user at an open menu (a thread timer that runs
// one step per tick inside the menu's modal loop), the menu window and its items on the screen,
// and system colours chosen so that every colour a menu item uses is told apart.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// A step sees the open menu's window; it returns false to be run again at the next tick.
typedef std::function<bool(HWND hMenuWnd)> MenuStep;

// Runs open() (which shows a menu modally) while the steps run one per tick once a menu window
// is visible; a menu still up after the last step is closed. False when a step never ran.
bool WithOpenMenu(const std::function<void()>& open, std::vector<MenuStep> steps);
// A key for the menu that is up.
void MenuKey(HWND hMenuWnd, WPARAM vk);
// The visible menu window of this thread, or null.
HWND FindMenuWindow();

// Screen pixels of a rectangle, read once.
class ScreenGrab {
public:
    explicit ScreenGrab(const RECT& rc);
    COLORREF at(int x, int y) const;  // screen coordinates
    const RECT& rect() const { return m_rc; }

private:
    RECT m_rc;
    std::vector<COLORREF> m_pixels;
};

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
