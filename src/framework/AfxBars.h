// Control bars docked in a frame: the toolbar and the status bar over the common controls.
#pragma once

#include "framework/AfxWin.h"

// Control-bar style bits (kept by the bar object, not in the window style).
enum : DWORD {
    CBRS_ALIGN_LEFT = 0x1000,
    CBRS_ALIGN_TOP = 0x2000,
    CBRS_ALIGN_RIGHT = 0x4000,
    CBRS_ALIGN_BOTTOM = 0x8000,
    CBRS_ALIGN_ANY = 0xF000,
    CBRS_BORDER_LEFT = 0x0100,
    CBRS_BORDER_TOP = 0x0200,
    CBRS_BORDER_RIGHT = 0x0400,
    CBRS_BORDER_BOTTOM = 0x0800,
    CBRS_TOOLTIPS = 0x0010,
    CBRS_FLYBY = 0x0020,
    CBRS_FLOAT_MULTI = 0x0040,
    CBRS_SIZE_DYNAMIC = 0x0004,
    CBRS_SIZE_FIXED = 0x0008,
    CBRS_GRIPPER = 0x00400000,
    CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM,
    CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP,
    CBRS_ALL = 0x0040FFFF,
};

// Status-bar pane styles.
enum : UINT {
    SBPS_NORMAL = 0x0000,
    SBPS_NOBORDERS = SBT_NOBORDERS,
    SBPS_POPOUT = SBT_POPOUT,
    SBPS_STRETCH = 0x08000000,
};

class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    // Height (horizontal bars) the bar needs at the given width.
    virtual int CalcHeight(int cxAvailable) = 0;

protected:
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
};

// A handle on the toolbar control for the control's own settings.
class CToolBarCtrl {
public:
    explicit CToolBarCtrl(HWND hWnd) : m_hWnd(hWnd) {}
    DWORD SetExtendedStyle(DWORD dwExStyle) {
        return static_cast<DWORD>(::SendMessageA(m_hWnd, TB_SETEXTENDEDSTYLE, 0, dwExStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(::SendMessageA(m_hWnd, TB_GETEXTENDEDSTYLE, 0, 0)); }
    HWND m_hWnd;
};

class CToolBar : public CControlBar {
public:
    ~CToolBar() override;
    BOOL CreateEx(CWnd* pParentWnd,
                  DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);
    // Buttons from the toolbar resource and pictures from the bitmap of the same id.
    BOOL LoadToolBar(UINT nIDResource);
    // The layout of toolbar resource nIDResource with the images of bitmap nIDBitmap, each
    // sizeImage, in buttons nMargin pixels larger than their image. Called again, it replaces the
    // buttons and images (at another size for another DPI).
    BOOL LoadToolBar(UINT nIDResource, UINT nIDBitmap, CSize sizeImage, int nMargin);

    int GetCount() const;
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    CToolBarCtrl GetToolBarCtrl() const { return CToolBarCtrl(m_hWnd); }

    int CalcHeight(int cxAvailable) override;
    // Enables, disables and checks the buttons through the target's update handlers.
    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawGripper();
    HBITMAP m_hbmImageWell = nullptr;
    HIMAGELIST m_hImageList = nullptr;  // the images of a second load, owned
    SIZE m_sizeImage = {16, 15};
};

class CStatusBar : public CControlBar {
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    BOOL SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    int CalcHeight(int cxAvailable) override;

private:
    struct Pane {
        UINT nID = 0;
        UINT nStyle = 0;
        int cxWidth = 0;
        CString strText;
    };
    void UpdateParts();
    std::vector<Pane> m_panes;
};
