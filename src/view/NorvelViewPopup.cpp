// The view's two pop-up menus: the context menu under a right click and the zoom-ratio menu
// under the arrow of the Zoom... button. Both show images, are tracked with the view as owner
// (a command that is disabled at that moment is dropped by the command route) and are destroyed
// as soon as they close.
#include "view/NorvelView.h"

#include "framework/AfxDpi.h"
#include "res/resource.h"

namespace {
// Context-menu commands that show their toolbar image.
const UINT kContextToolBarCommands[] = {ID_FILE_OPEN,     ID_VIEW_ZOOMOUT, ID_VIEW_ZOOMIN,         ID_VIEW_ZOOM,
                                        ID_VIEW_PREVIOUS, ID_VIEW_NEXT,    ID_TOOLS_SLIDESTARTSTOP};
// The wallpaper items and their bitmaps.
const struct {
    UINT nID;
    int nBitmap;
} kWallpaperImages[] = {
    {ID_WALLPAPER_CENTER, IDB_WALLCENTER},
    {ID_WALLPAPER_STRETCH, IDB_WALLSTRETCH},
    {ID_WALLPAPER_TILE, IDB_WALLTILE},
    {ID_WALLPAPER_NONE, IDB_WALLNONE},
};
// Where the zoom-ratio menu opens, from the view's client origin: under the Zoom... button (at 96
// dpi).
const int kZoomMenuDx = 301;
const int kZoomMenuDy = -15;
}  // namespace

CPoint ZoomMenuOffset(UINT nDpi) {
    return CPoint(AfxScaleByDpi(kZoomMenuDx, nDpi), AfxScaleByDpi(kZoomMenuDy, nDpi));
}

BOOL CNorvelView::LoadPopup(UINT nIDResource) {
    m_menuPopup.SetImageDpi(GetDpi());
    return m_menuPopup.LoadMenu(nIDResource);
}

void CNorvelView::OnRButtonDown(UINT, CPoint point) {
    // One pop-up at a time: a request that arrives while one is up (a message sent from inside
    // its modal loop) must not destroy the menu being tracked.
    if (!m_menuPopup.GetSafeHmenu() && LoadPopup(IDR_CONTEXTMENU)) {
        for (UINT nID : kContextToolBarCommands)
            m_menuPopup.SetItemImage(nullptr, nID, IDR_MAINFRAME);
        for (const auto& image : kWallpaperImages)
            m_menuPopup.SetItemImage(nullptr, image.nID, image.nBitmap);
        POINT pt = {point.x, point.y};
        ::ClientToScreen(m_hWnd, &pt);
        if (CMenu* pPopup = m_menuPopup.GetSubMenu(0))
            pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, this);
        m_menuPopup.DestroyMenu();
    }
    Default();
}

void CNorvelView::OnToolbarDropDown(NMHDR*, LRESULT* pResult) {
    if (!m_menuPopup.GetSafeHmenu() && LoadPopup(IDR_ZOOMRATIO)) {
        m_menuPopup.SetItemImage(nullptr, ID_VIEW_ZOOM, IDR_MAINFRAME);
        const UINT nDpi = GetDpi();
        POINT pt = {0, 0};
        ::ClientToScreen(m_hWnd, &pt);
        if (CMenu* pPopup = m_menuPopup.GetSubMenu(0))
            pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x + ZoomMenuOffset(nDpi).x,
                                   pt.y + ZoomMenuOffset(nDpi).y, this);
        m_menuPopup.DestroyMenu();
    }
    *pResult = TBDDRET_DEFAULT;
}
