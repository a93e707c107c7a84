// The main frame: fixed-size window with the toolbar, the six-pane status bar and the menu.
#pragma once

#include "framework/Afx.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnHelpIndex();

    DECLARE_MESSAGE_MAP()
};

// Window size and the centred position on a screen of the given size (integer division
// truncating toward zero, so a screen smaller than the window gives a negative position).
CRect MainFrameRect(int cxScreen, int cyScreen);
