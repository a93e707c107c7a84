#include "framework/AfxMenu.h"

#include <map>
#include <vector>

#include "framework/AfxWin.h"

namespace {
// Menu handles attached to objects; there is one user-interface thread.
std::map<HMENU, CMenu*>& PermanentMenus() {
    static std::map<HMENU, CMenu*> s_map;
    return s_map;
}

// The menu object holding an owner-drawn item with this item data (each item's data is unique:
// the address of its record).
CMenu* FindMenuOfItem(ULONG_PTR itemData) {
    for (const auto& entry : PermanentMenus()) {
        HMENU hMenu = entry.first;
        int n = ::GetMenuItemCount(hMenu);
        for (int i = 0; i < n; ++i) {
            MENUITEMINFOA mii = {};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_DATA | MIIM_FTYPE;
            if (::GetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &mii) && (mii.fType & MFT_OWNERDRAW) &&
                mii.dwItemData == itemData)
                return entry.second;
        }
    }
    return nullptr;
}
}  // namespace

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) {
    auto it = PermanentMenus().find(hMenu);
    return it == PermanentMenus().end() ? nullptr : it->second;
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (!hMenu)
        return FALSE;
    Detach();
    m_hMenu = hMenu;
    PermanentMenus()[hMenu] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h) {
        auto it = PermanentMenus().find(h);
        if (it != PermanentMenus().end() && it->second == this)
            PermanentMenus().erase(it);
    }
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
    return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CMenu::DestroyMenu() {
    HMENU h = Detach();
    return h ? ::DestroyMenu(h) : FALSE;
}

CString CMenu::GetMenuString(UINT nIDItem, UINT nFlags) const {
    CString s;
    int n = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (n > 0) {
        ::GetMenuStringA(m_hMenu, nIDItem, s.GetBuffer(n + 1), n + 1, nFlags);
        s.ReleaseBuffer();
    }
    return s;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    return FromHandlePermanent(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL AfxOwnerDrawMenuMessage(UINT message, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        DRAWITEMSTRUCT* p = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!p || p->CtlType != ODT_MENU)
            return FALSE;
        CMenu* pMenu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(p->hwndItem));
        if (!pMenu)
            return FALSE;
        pMenu->DrawItem(p);
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* p = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!p || p->CtlType != ODT_MENU)
            return FALSE;
        CMenu* pMenu = FindMenuOfItem(p->itemData);
        if (!pMenu)
            return FALSE;
        pMenu->MeasureItem(p);
        return TRUE;
    }
    return FALSE;
}

// ---- CImageList ------------------------------------------------------------------------------

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList)
        return FALSE;
    BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return ok;
}

HBITMAP AfxLoadSysColorBitmap(HINSTANCE hInst, UINT nIDResource) {
    if (!::FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(2)))  // RT_BITMAP
        return nullptr;
    return ::CreateMappedBitmap(hInst, static_cast<INT_PTR>(nIDResource), 0, nullptr, 0);
}
