// Menus and image lists. A CMenu owns the menu handle it holds (destroyed with the object);
// Detach hands the handle over. Menus attached to an object are found again from their
// handle, which is how owner-drawn menu items reach the object that measures and draws them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/AfxStr.h"

class CWnd;

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    virtual ~CMenu();

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // The object a handle is attached to, or null.
    static CMenu* FromHandlePermanent(HMENU hMenu);

    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr) {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr) {
        return ::ModifyMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    // The text of an item as the system reports it (empty for an owner-drawn item).
    CString GetMenuString(UINT nIDItem, UINT nFlags) const;
    // The sub-menu at a position, when an object holds it; null otherwise.
    CMenu* GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    // Owner-drawn items of this menu are measured and drawn here.
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
};

// Routes WM_MEASUREITEM and WM_DRAWITEM of owner-drawn menu items to the menu object that
// holds the item; FALSE when the message is not about a menu of ours.
BOOL AfxOwnerDrawMenuMessage(UINT message, LPARAM lParam);

// An image list, destroyed with the object.
class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }

    HIMAGELIST m_hImageList = nullptr;
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL DeleteImageList();
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    // Adds the images of a bitmap; pixels of the mask colour become transparent.
    int Add(HBITMAP hbmImage, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hbmImage, crMask); }
    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    BOOL RemoveAll() { return ImageList_RemoveAll(m_hImageList); }
    // The image as a new icon; the caller destroys it.
    HICON ExtractIcon(int nImage) const { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }
    BOOL Draw(HDC hDC, int nImage, POINT pt, UINT nStyle) const {
        return ImageList_Draw(m_hImageList, nImage, hDC, pt.x, pt.y, nStyle);
    }
};

// Loads a 16-colour bitmap resource with its black, dark grey, light grey and white turned into
// the system's button text, shadow, face and highlight colours. The caller deletes it.
HBITMAP AfxLoadSysColorBitmap(HINSTANCE hInst, UINT nIDResource);
