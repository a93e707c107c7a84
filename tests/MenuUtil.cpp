#include "MenuUtil.h"

#include <algorithm>

#include "TestUtil.h"

namespace {
struct MenuSession {
    std::vector<MenuStep> steps;
    size_t next = 0;
    int idleTicks = 0;
    int stepTicks = 0;  // ticks the current step has asked to wait
};
MenuSession* s_pSession = nullptr;

BOOL CALLBACK FindMenu(HWND h, LPARAM lp) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

// A window's drawing can sit in an off-screen surface until its thread finds its queue empty; a
// look for a message that is never sent makes it reach the screen, where the steps read it.
void PutDrawingOnScreen() {
    GdiFlush();
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_APP + 0x3FF0, WM_APP + 0x3FF0, PM_NOREMOVE);
}

void CALLBACK OnMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
    MenuSession* s = s_pSession;
    if (!s)
        return;
    HWND hMenu = FindMenuWindow();
    if (!hMenu) {
        // No menu yet, or it closed early: give up after a while so the test cannot hang.
        if (++s->idleTicks > 200)
            EndMenu();
        return;
    }
    if (s->next < s->steps.size()) {
        // A menu window can be up with its items not yet drawn (seen after the desktop changed its
        // wallpaper): a window of one colour is drawn again, and read at a later tick.
        RedrawWindow(hMenu, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        PutDrawingOnScreen();
        RECT rc;
        GetClientRect(hMenu, &rc);
        MapWindowPoints(hMenu, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        std::vector<COLORREF> pixels = ScreenColours(rc);
        bool bBlank = std::all_of(pixels.begin(), pixels.end(), [&](COLORREF c) { return c == pixels.front(); });
        if (bBlank && ++s->stepTicks <= 100) {
            RedrawWindow(hMenu, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            PutDrawingOnScreen();
            return;
        }
        if (s->steps[s->next](hMenu)) {
            ++s->next;
            s->stepTicks = 0;
        } else if (++s->stepTicks > 100) {
            s->next = s->steps.size() + 1;  // a step that never came true: give up, reported as not run
            EndMenu();
        }
    } else {
        EndMenu();
    }
}
}  // namespace

HWND FindMenuWindow() {
    HWND h = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&h));
    return h;
}

bool WithOpenMenu(const std::function<void()>& open, std::vector<MenuStep> steps) {
    MenuSession session;
    session.steps = std::move(steps);
    s_pSession = &session;
    UINT_PTR timer = SetTimer(nullptr, 0, 40, OnMenuTimer);
    open();
    KillTimer(nullptr, timer);
    s_pSession = nullptr;
    PumpNow();
    return session.next == session.steps.size();
}

void MenuKey(HWND hMenuWnd, WPARAM vk) {
    PostMessageA(hMenuWnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hMenuWnd, WM_KEYUP, vk, 0xC0000001);
}

MenuColours::MenuColours() {
    const struct {
        int id;
        COLORREF cr;
    } kColours[] = {
        {COLOR_MENU, RGB(200, 200, 200)},        {COLOR_3DFACE, RGB(200, 200, 200)},
        {COLOR_MENUTEXT, RGB(10, 10, 90)},       {COLOR_HIGHLIGHT, RGB(0, 0, 160)},
        {COLOR_HIGHLIGHTTEXT, RGB(250, 250, 0)}, {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
        {COLOR_BTNSHADOW, RGB(100, 100, 100)},   {COLOR_3DLIGHT, RGB(230, 230, 180)},
        {COLOR_GRAYTEXT, RGB(150, 110, 110)},
    };
    std::vector<COLORREF> values;
    for (const auto& c : kColours) {
        m_ids.push_back(c.id);
        m_old.push_back(GetSysColor(c.id));
        values.push_back(c.cr);
    }
    SetSysColors(static_cast<int>(m_ids.size()), m_ids.data(), values.data());
}

MenuColours::~MenuColours() {
    SetSysColors(static_cast<int>(m_ids.size()), m_ids.data(), m_old.data());
}
