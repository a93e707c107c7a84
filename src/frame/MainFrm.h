// The main frame: fixed-size window with the toolbar, the six-pane status bar and the menu.
#pragma once

#include "capture/Target.h"
#include "capture/Target2.h"
#include "controls/BitmapMenu.h"
#include "framework/Afx.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // The owner-drawn main menu built from menu 128; the caller installs the returned handle.
    HMENU BuildMainMenu();

    CTargetWnd m_wndTarget;    // region-capture overlay
    CTarget2Wnd m_wndTarget2;  // window-capture overlay
    CBitmapMenu m_menu;        // owns the main menu's popups and records once the handle is installed
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

    // Full-screen mode: what entering took away, for LeaveFullScreen to put back.
    HMENU m_menuSaved = nullptr;  // the menu bar taken off; null while full-screen mode is off
    bool m_bStatusBarWasVisible = false;
    bool m_bToolBarWasVisible = false;
    CRect m_rcRestore;  // the frame's window rectangle, screen coordinates

    // Puts back the menu, the caption, the bars that were visible and the window rectangle;
    // nothing unless full-screen mode is on.
    void LeaveFullScreen();

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnHelpIndex();
    void OnCaptureRegion();
    void OnCaptureObject();
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    LRESULT OnRegionCaptured(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureCanceled(WPARAM wParam, LPARAM lParam);
    LRESULT OnObjectCaptured(WPARAM wParam, LPARAM lParam);
    void OnFullScreen();
    void OnDestroy();
    LRESULT OnSetFocusMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

private:
    // Tells the view a capture starts, hides the frame and lets the windows beneath repaint.
    // FALSE when a capture's overlay is already up.
    BOOL BeginOverlayCapture();
    // Shows the overlay above everything, or brings the frame back when it cannot be made.
    BOOL ShowOverlay(CWnd& overlay, BOOL bCreated);
    // Has the view repainted whole after full-screen mode changed its size.
    void RefitView();
    // The toolbar's buttons with the images drawn for the DPI, Zoom... with its arrow.
    BOOL LoadToolBarImages(UINT nDpi);
    // The six panes at their widths for the DPI.
    void SetPaneWidths(UINT nDpi);

    DECLARE_MESSAGE_MAP()
};

// Window size, 600 x 450 at 96 dpi scaled by nDpi / 96, and the centred position on a screen of
// the given size (integer division truncating toward zero, so a screen smaller than the window
// gives a negative position).
CRect MainFrameRect(int cxScreen, int cyScreen, UINT nDpi = 96);
// Width of status-bar pane 0 to 5 at the DPI.
int MainFramePaneWidth(int nPane, UINT nDpi);
