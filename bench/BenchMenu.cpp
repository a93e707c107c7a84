// Opening menus: the main menu's largest popup and the view's context menu, owner-drawn (every
// item measured and drawn by the bitmap menu) beside plain copies of the same resource menus
// opened the same way in the same run.
#include <stdio.h>

#include "Bench.h"
#include "TestUtil.h"
#include "res/resource.h"

namespace {
// Shows a popup with the window as owner; the key waiting in the queue closes it once it has
// been laid out and drawn.
void OpenAndClose(HMENU hPopup, HWND hOwner) {
    PostMessageA(hOwner, WM_KEYDOWN, VK_ESCAPE, 1);
    TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, 300, 250, 0, hOwner, nullptr);
    PumpNow();
}
}  // namespace

void BenchMenus(CMainFrame* frame, CNorvelView* view) {
    HWND hFrame = frame->m_hWnd, hView = view->m_hWnd;
    HMENU hBar = frame->GetMenu();
    // The largest popup of the main menu.
    int nLargest = 0, nItems = 0;
    for (int i = 0; i < GetMenuItemCount(hBar); ++i) {
        int n = GetMenuItemCount(GetSubMenu(hBar, i));
        if (n > nItems) {
            nItems = n;
            nLargest = i;
        }
    }
    HMENU hPlainBar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    HMENU hOwnerDrawn = GetSubMenu(hBar, nLargest), hPlain = GetSubMenu(hPlainBar, nLargest);
    OpenAndClose(hOwnerDrawn, hFrame);
    OpenAndClose(hPlain, hFrame);
    const int kRuns = 15;
    double ownerDrawn = Median(kRuns, [&] { OpenAndClose(hOwnerDrawn, hFrame); });
    double plain = Median(kRuns, [&] { OpenAndClose(hPlain, hFrame); });
    DestroyMenu(hPlainBar);
    printf("open the largest main-menu popup (%d items), update handlers and drawing included:\n", nItems);
    printf("  owner-drawn:                              %8.4f s\n", ownerDrawn);
    printf("  plain copy of the same menu:              %8.4f s\n", plain);
    printf("  ratio owner-drawn / plain:                %8.2f\n", ownerDrawn / plain);

    // The context menu: loaded, given its images, shown and destroyed on every right click.
    auto contextMenu = [&] {
        PostMessageA(hView, WM_KEYDOWN, VK_ESCAPE, 1);
        SendMessageA(hView, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
        PumpNow();
    };
    auto plainContextMenu = [&] {
        HMENU hMenu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXTMENU));
        POINT pt = {60, 60};
        ClientToScreen(hView, &pt);
        PostMessageA(hView, WM_KEYDOWN, VK_ESCAPE, 1);
        TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hView, nullptr);
        DestroyMenu(hMenu);
        PumpNow();
    };
    contextMenu();
    plainContextMenu();
    double context = Median(kRuns, contextMenu);
    double plainContext = Median(kRuns, plainContextMenu);
    printf("context menu on a right click (load, images, show, destroy):\n");
    printf("  owner-drawn with images:                  %8.4f s\n", context);
    printf("  plain copy of the same menu:              %8.4f s\n", plainContext);
    printf("  ratio owner-drawn / plain:                %8.2f\n", context / plainContext);
}
