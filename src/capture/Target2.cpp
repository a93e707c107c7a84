#include "capture/Target2.h"

#include "capture/Capture.h"
#include "framework/AfxApp.h"

BEGIN_MESSAGE_MAP(CTarget2Wnd, CWnd)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CTarget2Wnd::CTarget2Wnd()
    : m_cyScreen(0), m_cxScreen(0), m_pNotifyWnd(nullptr), m_hCursorHand(nullptr), m_bReported(FALSE) {
    CWinApp* pApp = AfxGetApp();
    m_hCursorHand = pApp ? pApp->LoadStandardCursor(IDC_HAND) : ::LoadCursor(nullptr, IDC_HAND);
}

CTarget2Wnd::~CTarget2Wnd() {
    m_bReported = TRUE;  // going with the frame: nobody to tell
    DestroyWindow();
    m_dcFrozen.Release();
}

BOOL CTarget2Wnd::CreateOverlay() {
    if (m_hWnd)
        return FALSE;
    m_cxScreen = ::GetSystemMetrics(SM_CXSCREEN);
    m_cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    m_bReported = FALSE;
    if (!CreateFrozenOverlay(*this, m_dcFrozen, m_cxScreen, m_cyScreen, &m_bReported))
        return FALSE;
    m_pNotifyWnd = AfxGetMainWnd();
    return TRUE;
}

BOOL CTarget2Wnd::PreTranslateMessage(MSG* pMsg) {
    return pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
}

void CTarget2Wnd::OnMouseMove(UINT, CPoint) {
    Default();
    ::SetCursor(m_hCursorHand);
}

BOOL CTarget2Wnd::OnSetCursor(HWND, UINT nHitTest, UINT) {
    // The hand from the moment the overlay shows, not only from the first move.
    if (nHitTest == HTCLIENT) {
        ::SetCursor(m_hCursorHand);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CTarget2Wnd::OnLButtonDown(UINT, CPoint point) {
    Default();
    m_ptClick = point;
    POINT ptScreen = point;
    ::ClientToScreen(m_hWnd, &ptScreen);
    // Gone first, so that the window beneath is the one found; the screen keeps showing the
    // frozen copy until the windows beneath repaint. What this overlay reports is the pick,
    // not the cancel its going would otherwise report.
    m_bReported = TRUE;
    DestroyWindow();
    HWND hFound = ::WindowFromPoint(ptScreen);
    if (!hFound || !::GetWindowRect(hFound, &m_rcWindow))
        m_rcWindow.SetRectEmpty();
    if (m_pNotifyWnd && ::IsWindow(m_pNotifyWnd->GetSafeHwnd()))
        m_pNotifyWnd->PostMessage(WM_OBJECT_CAPTURED);
}

void CTarget2Wnd::OnPaint() {
    CPaintDC dc(m_hWnd);
    m_dcFrozen.PaintOnto(dc);
}

void CTarget2Wnd::OnDestroy() {
    m_dcFrozen.Release();
    // Closed by something else than its click: the frame must still come back.
    Report(WM_CAPTURE_CANCELED);
    Default();
}

void CTarget2Wnd::Report(UINT nMessage) {
    if (m_bReported)
        return;
    m_bReported = TRUE;
    if (m_pNotifyWnd && ::IsWindow(m_pNotifyWnd->GetSafeHwnd()))
        m_pNotifyWnd->PostMessage(nMessage);
}
