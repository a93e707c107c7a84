#include "frame/MainFrm.h"

#include <htmlhelp.h>

#include "state/PictureState.h"
#include "capture/Capture.h"
#include "capture/RegionGeometry.h"
#include "frame/Splash.h"
#include "framework/AfxDpi.h"
#include "res/resource.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_INITMENUPOPUP()
ON_COMMAND(ID_HELP_INDEX, OnHelpIndex)
ON_COMMAND(ID_TOOLS_CAPTUREREGION, OnCaptureRegion)
ON_COMMAND(ID_TOOLS_CAPTUREOBJECT, OnCaptureObject)
ON_MESSAGE(WM_REGION_CAPTURED, OnRegionCaptured)
ON_MESSAGE(WM_CAPTURE_CANCELED, OnCaptureCanceled)
ON_MESSAGE(WM_OBJECT_CAPTURED, OnObjectCaptured)
ON_COMMAND(ID_VIEW_FULLSCREEN, OnFullScreen)
ON_WM_DESTROY()
ON_MESSAGE(WM_SETFOCUS, OnSetFocusMessage)
ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
END_MESSAGE_MAP()

namespace {
const int kFrameWidth = 600;
const int kFrameHeight = 450;

// Six panes written by index, none bound to a keyboard indicator; widths at 96 dpi.
const UINT kIndicators[] = {ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR, ID_SEPARATOR};
const int kPaneWidths[] = {200, 100, 60, 65, 65, 110};
// The toolbar's buttons are their image plus this much, at 96 dpi.
const int kButtonMargin = 7;

// System commands a fixed-size window does not offer, zero-terminated.
const UINT kRemovedSysCommands[] = {SC_SIZE, SC_MAXIMIZE, SC_RESTORE, 0};
}  // namespace

CRect MainFrameRect(int cxScreen, int cyScreen, UINT nDpi) {
    int cx = AfxScaleByDpi(kFrameWidth, nDpi), cy = AfxScaleByDpi(kFrameHeight, nDpi);
    int x = (cxScreen - cx) / 2;
    int y = (cyScreen - cy) / 2;
    return CRect(x, y, x + cx, y + cy);
}

int MainFramePaneWidth(int nPane, UINT nDpi) {
    return nPane >= 0 && nPane < 6 ? AfxScaleByDpi(kPaneWidths[nPane], nDpi) : 0;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // No window yet: the DPI of the system, which is the primary monitor's, where it opens.
    CRect rc =
        MainFrameRect(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), AfxGetWindowDpi(nullptr));
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

    const UINT nDpi = AfxGetWindowDpi(m_hWnd);
    if (!m_wndToolBar.CreateEx(
            this, TBSTYLE_FLAT,
            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
            CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !LoadToolBarImages(nDpi)) {
        TRACE("Failed to create toolbar\n");
        return -1;
    }

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0])) {
        TRACE("Failed to create status bar\n");
        return -1;
    }

    m_wndToolBar.GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);

    HMENU hSysMenu = GetSystemMenu(FALSE);
    for (const UINT* p = kRemovedSysCommands; *p; ++p)
        ::DeleteMenu(hSysMenu, *p, MF_BYCOMMAND);

    SetPaneWidths(nDpi);

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    // The splash screen shows over the new frame here.
    CSplashScreen::ShowSplash(this);
    return 0;
}

BOOL CMainFrame::LoadToolBarImages(UINT nDpi) {
    const int nImage = 16 * AfxDpiImagePercent(nDpi) / 100;
    if (!m_wndToolBar.LoadToolBar(IDR_MAINFRAME, AfxDpiBitmapId(IDR_MAINFRAME, nDpi), CSize(nImage, nImage),
                                  AfxScaleByDpi(kButtonMargin, nDpi)))
        return FALSE;
    // Zoom...: its face sends the command, its arrow opens the zoom-ratio menu.
    int nIndex = m_wndToolBar.CommandToIndex(ID_VIEW_ZOOM);
    if (nIndex >= 0) {
        UINT nID, nStyle;
        int iImage;
        m_wndToolBar.GetButtonInfo(nIndex, nID, nStyle, iImage);
        m_wndToolBar.SetButtonInfo(nIndex, ID_VIEW_ZOOM, TBSTYLE_DROPDOWN, iImage);
    }
    return TRUE;
}

void CMainFrame::SetPaneWidths(UINT nDpi) {
    for (int i = 0; i < 6; ++i)
        m_wndStatusBar.SetPaneInfo(i, 0, 0, MainFramePaneWidth(i, nDpi));
}

// Moved to a monitor of another DPI (or that monitor's scale changed): the rectangle the system
// suggests keeps the frame's size in proportion; the panes follow, the toolbar and the menu take
// the images drawn for the new DPI, and the windows inside (the view's hands and pop-ups) are
// told the DPI.
LRESULT CMainFrame::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const UINT nDpi = LOWORD(wParam);
    if (m_wndToolBar.m_hWnd)
        LoadToolBarImages(nDpi);
    m_menu.ReloadImages(nDpi);
    AfxTellChildrenDpi(m_hWnd, nDpi);
    const RECT* pSuggested = reinterpret_cast<const RECT*>(lParam);
    if (pSuggested)
        ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                       pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_wndStatusBar.m_hWnd)
        SetPaneWidths(nDpi);
    RecalcLayout();
    return 0;
}

void CMainFrame::OnHelpIndex() {
    ::HtmlHelpA(nullptr, "Morvane.chm", HH_DISPLAY_TOPIC, 0);
}

// ---- region and window captures ----

BOOL CMainFrame::BeginOverlayCapture() {
    if (m_wndTarget.GetSafeHwnd() || m_wndTarget2.GetSafeHwnd())
        return FALSE;
    if (CView* pView = GetActiveView())
        pView->SendMessage(WM_CAPTURE_STARTING);
    ShowWindow(SW_HIDE);
    ::Sleep(kCaptureSettleMs);
    return TRUE;
}

BOOL CMainFrame::ShowOverlay(CWnd& overlay, BOOL bCreated) {
    if (!bCreated) {
        ShowWindow(SW_SHOW);
        return FALSE;
    }
    overlay.ShowWindow(SW_SHOWNORMAL);
    ::SetWindowPos(overlay.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    return TRUE;
}

void CMainFrame::OnCaptureRegion() {
    if (!BeginOverlayCapture())
        return;
    if (ShowOverlay(m_wndTarget, m_wndTarget.CreateOverlay()))
        PictureState::CaptureBegun(AppFlags(), PictureState::kCaptureRegion, nullptr);
}

void CMainFrame::OnCaptureObject() {
    if (!BeginOverlayCapture())
        return;
    if (ShowOverlay(m_wndTarget2, m_wndTarget2.CreateOverlay()))
        PictureState::CaptureBegun(AppFlags(), PictureState::kCaptureObject, nullptr);
}

LRESULT CMainFrame::OnRegionCaptured(WPARAM, LPARAM) {
    CRect rc = NormaliseRegion(m_wndTarget.m_ptStart, m_wndTarget.m_nWidth, m_wndTarget.m_nHeight);
    CaptureScreenRect(rc.left, rc.top, rc.Width(), rc.Height(), this);
    ShowWindow(SW_SHOW);
    return 0;
}

LRESULT CMainFrame::OnCaptureCanceled(WPARAM, LPARAM) {
    const PictureState::Changes changes = PictureState::CaptureCanceled(AppFlags());
    ShowWindow(SW_SHOW);
    if (changes & PictureState::kCanceledPanes) {
        const PictureState::PaneTexts texts = PictureState::CaptureCanceledPanes();
        for (int i = 1; i <= 5; ++i)
            m_wndStatusBar.SetPaneText(i, texts.pane[i], TRUE);
    }
    return 0;
}

LRESULT CMainFrame::OnObjectCaptured(WPARAM, LPARAM) {
    CRect rc = m_wndTarget2.m_rcWindow;
    CaptureScreenRect(rc.left, rc.top, rc.Width(), rc.Height(), this);
    ShowWindow(SW_SHOW);
    return 0;
}

// ---- the owner-drawn main menu ----

HMENU CMainFrame::BuildMainMenu() {
    // Commands without a toolbar button that still show an image, and their bitmaps.
    static const struct {
        UINT nID;
        int nBitmap;
    } kSingleImages[] = {
        {ID_HELP_UPDATE, IDB_UPDATE},
        {ID_APP_ABOUT, IDB_ABOUT},
        {ID_IMAGE_EDIT, IDB_IMAGEEDIT},
        {ID_WALLPAPER_CENTER, IDB_WALLCENTER},
        {ID_WALLPAPER_STRETCH, IDB_WALLSTRETCH},
        {ID_WALLPAPER_TILE, IDB_WALLTILE},
        {ID_WALLPAPER_NONE, IDB_WALLNONE},
    };
    m_menu.SetImageDpi(AfxGetWindowDpi(m_hWnd));
    m_menu.LoadMenu(IDR_MAINFRAME);
    for (const auto& image : kSingleImages)
        m_menu.SetItemImage(nullptr, image.nID, image.nBitmap);
    m_menu.AttachToolBarImages(IDR_MAINFRAME);
    return m_menu.Detach();
}

void CMainFrame::OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CFrameWnd::OnInitMenuPopup(hPopupMenu, nIndex, bSysMenu);
    if (!bSysMenu && CBitmapMenu::IsBitmapPopup(hPopupMenu))
        CBitmapMenu::RefreshPopup(CMenu::FromHandlePermanent(hPopupMenu));
}

// ---- full-screen mode ----

void CMainFrame::OnFullScreen() {
    // F11 toggles: pressed again while the frame covers the screen, it leaves full-screen mode
    // (the menu is never taken off twice).
    if (AppFlags().m_bFullScreen) {
        LeaveFullScreen();
        return;
    }
    // The bars' own visibility, which holds also while the frame itself is hidden.
    m_bToolBarWasVisible = (m_wndToolBar.GetStyle() & WS_VISIBLE) != 0;
    m_wndToolBar.ShowWindow(SW_HIDE);
    m_bStatusBarWasVisible = (m_wndStatusBar.GetStyle() & WS_VISIBLE) != 0;
    m_wndStatusBar.ShowWindow(SW_HIDE);
    GetWindowRect(&m_rcRestore);
    ModifyStyle(WS_CAPTION, 0);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                   SWP_NOZORDER | SWP_FRAMECHANGED);
    // Whatever menu is installed goes, and the very same handle comes back on leaving.
    m_menuSaved = GetMenu();
    ::SetMenu(m_hWnd, nullptr);
    ShowWindow(SW_SHOW);
    // The next paint fits the picture to the view's new size, and nothing is dragged until a
    // zoom command measures the picture again.
    if (PictureState::FullScreenChanged(AppFlags(), 1) & PictureState::kRepaint)
        RefitView();
}

void CMainFrame::LeaveFullScreen() {
    if (!AppFlags().m_bFullScreen)
        return;
    ::SetMenu(m_hWnd, m_menuSaved);
    m_menuSaved = nullptr;
    ModifyStyle(0, WS_CAPTION);
    if (m_bToolBarWasVisible)
        m_wndToolBar.ShowWindow(SW_SHOW);
    if (m_bStatusBarWasVisible)
        m_wndStatusBar.ShowWindow(SW_SHOW);
    ::SetWindowPos(m_hWnd, nullptr, m_rcRestore.left, m_rcRestore.top, m_rcRestore.Width(), m_rcRestore.Height(),
                   SWP_NOZORDER | SWP_FRAMECHANGED);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    RecalcLayout(TRUE);
    if (PictureState::FullScreenChanged(AppFlags(), 0) & PictureState::kRepaint)
        RefitView();
}

void CMainFrame::RefitView() {
    // The view's window class does not repaint all of it on a resize: ask for the whole.
    if (CView* pView = GetActiveView())
        pView->Invalidate(TRUE);
}

void CMainFrame::OnDestroy() {
    // Closed while full screen: the menu goes back on the frame, which then disposes of it as
    // it always does.
    if (AppFlags().m_bFullScreen) {
        if (m_menuSaved)
            ::SetMenu(m_hWnd, m_menuSaved);
        m_menuSaved = nullptr;
        PictureState::FullScreenChanged(AppFlags(), 0);
    }
    CFrameWnd::OnDestroy();
}

LRESULT CMainFrame::OnSetFocusMessage(WPARAM, LPARAM) {
    // The keyboard goes on to the view, wherever the focus came back from (a dialog, a menu, a
    // click on the frame): the view's keys, Esc out of full screen among them, keep working.
    if (CView* pView = GetActiveView()) {
        if (::IsWindowVisible(pView->m_hWnd)) {
            ::SetFocus(pView->m_hWnd);
            return 0;
        }
    }
    return Default();
}
