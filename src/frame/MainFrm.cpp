#include "frame/MainFrm.h"

#include <htmlhelp.h>

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_HELP_INDEX, OnHelpIndex)
END_MESSAGE_MAP()

namespace {
const int kFrameWidth = 600;
const int kFrameHeight = 450;

// Six panes written by index, none bound to a keyboard indicator.
const UINT kIndicators[] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
const int kPaneWidths[] = {200, 100, 60, 65, 65, 110};

// System commands a fixed-size window does not offer, zero-terminated.
const UINT kRemovedSysCommands[] = {SC_SIZE, SC_MAXIMIZE, SC_RESTORE, 0};
}  // namespace

CRect MainFrameRect(int cxScreen, int cyScreen) {
    int x = (cxScreen - kFrameWidth) / 2;
    int y = (cyScreen - kFrameHeight) / 2;
    return CRect(x, y, x + kFrameWidth, y + kFrameHeight);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    CRect rc = MainFrameRect(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    cs.cx = rc.Width();
    cs.cy = rc.Height();
    cs.x = rc.left;
    cs.y = rc.top;
    cs.style &= ~(WS_MAXIMIZEBOX | WS_THICKFRAME);
    cs.style |= WS_DLGFRAME;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;

    if (!m_wndToolBar.CreateEx(
            this, TBSTYLE_FLAT,
            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
            CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
        TRACE("Failed to create toolbar\n");
        return -1;
    }

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0])) {
        TRACE("Failed to create status bar\n");
        return -1;
    }

    m_wndToolBar.GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);

    // Zoom...: its face sends the command, its arrow opens the zoom-ratio menu.
    int nIndex = m_wndToolBar.CommandToIndex(ID_VIEW_ZOOM);
    if (nIndex >= 0) {
        UINT nID, nStyle;
        int iImage;
        m_wndToolBar.GetButtonInfo(nIndex, nID, nStyle, iImage);
        m_wndToolBar.SetButtonInfo(nIndex, ID_VIEW_ZOOM, TBSTYLE_DROPDOWN, iImage);
    }

    HMENU hSysMenu = GetSystemMenu(FALSE);
    for (const UINT* p = kRemovedSysCommands; *p; ++p)
        ::DeleteMenu(hSysMenu, *p, MF_BYCOMMAND);

    for (int i = 0; i < 6; ++i)
        m_wndStatusBar.SetPaneInfo(i, 0, 0, kPaneWidths[i]);

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    // The splash screen shows over the new frame here.
    return 0;
}

void CMainFrame::OnHelpIndex() {
    ::HtmlHelpA(nullptr, "Morvane.chm", HH_DISPLAY_TOPIC, 0);
}
