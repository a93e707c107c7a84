// A menu whose popup items are owner-drawn: each item may show a small image (from the toolbar
// bitmap or a single bitmap resource) in a column left of its text, a check mark drawn here,
// and an embossed image when it is disabled. The menu bar itself stays plain text.
#pragma once

#include <vector>

#include "framework/Afx.h"

// One record per owner-drawn item; its address is the item's data.
class CBitmapMenuItem {
public:
    CBitmapMenuItem() = default;
    CBitmapMenuItem(const CBitmapMenuItem&) = delete;
    CBitmapMenuItem& operator=(const CBitmapMenuItem&) = delete;
    ~CBitmapMenuItem();

    const wchar_t* GetWideText() const { return m_pwszText; }
    // Frees the old text and keeps a copy; a null text stores nothing.
    void SetWideText(const wchar_t* pszText);
    // Narrow text in the system code page.
    void SetText(const char* pszText);
    CString GetText() const;

    wchar_t* m_pwszText = nullptr;  // item text with its tab and shortcut label; null when empty
    int m_nImage = -1;              // image index in m_pImages; -1 none
    int m_nImageSource = -1;        // bitmap or toolbar resource the list was built from; -1 none
    UINT m_nFlags = 0;              // the item's menu flags
    UINT m_nId = 0;                 // command; a popup item's menu handle; 0 for a separator
    BOOL m_bSynced = 0;             // mark used by SyncItems
    CImageList* m_pImages = nullptr;
};

class CBitmapMenu : public CMenu {
public:
    CBitmapMenu();
    ~CBitmapMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    // Loads a menu template: the menu bar stays plain, every popup item becomes owner-drawn.
    virtual BOOL LoadMenu(UINT nIDResource);
    virtual BOOL LoadMenu(const char* lpszResourceName);
    // Destroys the popups this menu created, its records and its menu.
    virtual BOOL DestroyMenu();

    // Appends an owner-drawn item (a separator for id 0) with an optional image resource.
    BOOL AppendImageItem(const wchar_t* pszText, UINT nFlags, UINT_PTR nID, int nImageId = -1);
    // Gives the item of a command (searched in every popup) an image resource and, when a text
    // is given, that text.
    BOOL SetItemImage(const wchar_t* pszText, UINT nID, int nImageId);
    // Every toolbar button whose command is in this menu lends its image to that item.
    BOOL AttachToolBarImages(UINT nToolBarId);
    // The popup holding a command and its position there; null and -1 when absent.
    CBitmapMenu* FindItemByCommand(UINT nID, int* pnPosition);

    // Whether a popup was created by a bitmap menu.
    static BOOL IsBitmapPopup(CMenu* pPopup);
    static BOOL IsBitmapPopup(HMENU hPopup);
    // Images drawn for the DPI (the bitmaps at 100, 150 or 200 %, in a column as wide); before
    // LoadMenu, whose popups take it over.
    void SetImageDpi(UINT nDpi);
    // After LoadMenu: every image of this menu and its popups again, drawn for another DPI.
    void ReloadImages(UINT nDpi);
    // Brings a popup's records in step with its items after the update handlers ran.
    static void RefreshPopup(CMenu* pPopup);
    void SyncItems();
    // Pads the left parts of the texts with a tab to one measured width.
    void AlignShortcutTexts();

    // Drawing helpers.
    BOOL DrawCheckArea(HDC hDC, const RECT& rc, BOOL bSelected, HBITMAP hbmCheck);
    static void DrawCheckGlyph(HDC hDC, int x, int y, COLORREF cr);
    static void DrawRadioGlyph(HDC hDC, int x, int y, COLORREF cr);
    BOOL RenderImage(HDC hDC, CImageList& images, int nImage, CBitmap& bitmap);
    void DrawEmbossed(HDC hDest, int x, int y, int nWidth, int nHeight, HBITMAP hbmSource, int xSource, int ySource);
    void DrawDithered(HDC hDest, int x, int y, int nWidth, int nHeight, HBITMAP hbmSource, int xSource, int ySource);

    // The platform class (0 Win32s, 1 Windows 95 family, 2 NT before 4, 3 NT 4 and later).
    static int GetWinClass() { return s_nWinClass; }
    static BOOL IsNewLook() { return s_nWinClass == 1 || s_nWinClass == 3; }
    // Popups created through any bitmap menu and not yet destroyed.
    static int GetPopupCount() { return static_cast<int>(s_allPopups.size()); }

    std::vector<CBitmapMenuItem*> m_items;  // records of this menu's items, in item order after SyncItems
    std::vector<HMENU> m_popups;            // popups this menu created and owns
    CImageList* m_pCheckImages = nullptr;
    BOOL m_bSharedCheckImages = 0;
    int m_nSelectedCheckId = -1;
    int m_nUnselectedCheckId = -1;
    BOOL m_bIconHandles = 0;
    static const int kImageWidth = 16;  // at 96 dpi
    static const int kImageHeight = 15;
    int m_cxImage = kImageWidth;
    int m_cyImage = kImageHeight;
    UINT m_nImageDpi = 96;  // the images are the bitmaps drawn nearest to this DPI
    COLORREF m_crImageMask = RGB(192, 192, 192);
    BOOL m_bUseImageMask = 0;
    BOOL m_bOldDisabledStyle = 0;

private:
    // Builds the record's one-image list from a resource; FALSE leaves the record without image.
    BOOL SetRecordImage(CBitmapMenuItem* pItem, UINT nCommand, int nImageId);
    BOOL AddResourceImage(CImageList& images, int nResourceId);
    // The toolbar image index of a command when nToolBarId is a toolbar resource.
    static void FindToolBarImage(UINT nCommand, int nToolBarId, int* pnImage);
    CBitmapMenuItem* TakeRecord(UINT_PTR nID);
    CBitmapMenuItem* MakeOwnerDrawn(int nPosition, UINT nFlags, UINT_PTR nID, const wchar_t* pszText);

    static int ComputeWinClass();
    static int s_nWinClass;

public:
    // Every popup created through any bitmap menu; what is left goes at program exit.
    static std::vector<HMENU> s_allPopups;
};

// The menu font of the system's non-client metrics; the caller deletes it.
HFONT CreateMenuFont();
// The command ids of a toolbar resource's buttons with their image indices (separators skipped).
std::vector<std::pair<UINT, int>> ReadToolBarButtons(UINT nToolBarId);
