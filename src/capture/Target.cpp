#include "capture/Target.h"

#include "capture/Capture.h"
#include "capture/RegionGeometry.h"
#include "framework/AfxDpi.h"

namespace {
const COLORREF kLineColour = RGB(217, 146, 84);
const COLORREF kLabelBack = RGB(255, 255, 0);
const COLORREF kLabelText = RGB(0, 0, 0);
const UINT kNeverSent = WM_APP + 0x3FF0;

// The label font, 14 x 6 at 96 dpi; the font mapper picks the face it finds closest.
void MakeLabelFont(CFont& font, UINT nDpi) {
    LOGFONTA lf = {};
    lf.lfHeight = AfxScaleByDpi(14, nDpi);
    lf.lfWidth = AfxScaleByDpi(6, nDpi);
    lf.lfWeight = 100;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, "times new man", LF_FACESIZE);
    font.CreateFontIndirect(&lf);
}

void Line(HDC hDC, int x1, int y1, int x2, int y2) {
    ::MoveToEx(hDC, x1, y1, nullptr);
    ::LineTo(hDC, x2, y2);
}
}  // namespace

BEGIN_MESSAGE_MAP(CTargetWnd, CWnd)
ON_WM_RBUTTONUP()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CTargetWnd::CTargetWnd()
    : m_nWidth(0),
      m_nHeight(0),
      m_cyScreen(0),
      m_cxScreen(0),
      m_pDC(nullptr),
      m_pNotifyWnd(nullptr),
      m_bStarted(FALSE),
      m_bMarks(FALSE),
      m_bReported(FALSE) {}

CTargetWnd::~CTargetWnd() {
    m_bReported = TRUE;  // going with the frame: nobody to tell
    DestroyWindow();
    ReleaseOverlay();
}

BOOL CTargetWnd::CreateOverlay() {
    if (m_hWnd)
        return FALSE;
    m_cxScreen = ::GetSystemMetrics(SM_CXSCREEN);
    m_cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    m_bStarted = FALSE;
    m_bMarks = FALSE;
    m_bReported = FALSE;
    // The window is not shown yet: the screen is copied as it looks with the frame hidden.
    if (!CreateFrozenOverlay(*this, m_dcFrozen, m_cxScreen, m_cyScreen, &m_bReported, &m_pDC))
        return FALSE;
    m_pNotifyWnd = AfxGetMainWnd();
    m_pen.CreatePen(PS_SOLID, 1, kLineColour);
    return TRUE;
}

BOOL CTargetWnd::PreTranslateMessage(MSG* pMsg) {
    return pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
}

void CTargetWnd::DrawMarks(HDC hDC, CPoint point) {
    const UINT nDpi = AfxGetWindowDpi(m_hWnd);
    CFont font;  // declared first: the DC's state, which selects it, is restored before it goes
    MakeLabelFont(font, nDpi);
    CDC dc(hDC);  // borrowed; the pen, font and colours it had come back when it goes
    dc.SelectObject(m_pen.GetSafeHandle() ? m_pen.GetSafeHandle() : ::GetStockObject(BLACK_PEN));
    Line(hDC, 0, point.y, m_cxScreen, point.y);
    Line(hDC, point.x, 0, point.x, m_cyScreen);

    ::SetBkColor(hDC, kLabelBack);
    ::SetTextColor(hDC, kLabelText);
    ::SetBkMode(hDC, OPAQUE);
    dc.SelectObject(font);
    CString text = RegionLabelText(m_bStarted, point, m_ptStart, m_nWidth, m_nHeight);
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(hDC, text, text.GetLength(), &size);
    CPoint at = RegionLabelOrigin(point, size, m_cxScreen, m_cyScreen, nDpi);
    ::TextOutA(hDC, at.x, at.y, text, text.GetLength());

    if (m_bStarted) {
        CPoint s = m_ptStart, p = point;
        Line(hDC, s.x, s.y, s.x, p.y);
        Line(hDC, s.x, s.y, p.x, s.y);
        Line(hDC, p.x, p.y, s.x, p.y);
        Line(hDC, p.x, s.y, p.x, p.y);
    }
}

void CTargetWnd::OnMouseMove(UINT, CPoint point) {
    Default();
    if (!m_dcFrozen.IsFrozen())
        return;
    CClientDC dc(m_hWnd);
    m_dcFrozen.PaintOnto(dc);  // wipes the previous marks
    if (m_bStarted) {
        m_nWidth = point.x - m_ptStart.x - 2;
        m_nHeight = point.y - m_ptStart.y - 2;
    }
    m_ptCursor = point;
    m_bMarks = TRUE;
    DrawMarks(dc, point);
}

void CTargetWnd::OnLButtonDown(UINT, CPoint point) {
    Default();
    if (!m_dcFrozen.IsFrozen())
        return;
    {
        CClientDC dc(m_hWnd);
        m_dcFrozen.PaintOnto(dc);  // the marks vanish until the mouse moves again
    }
    m_bMarks = FALSE;
    if (!m_bStarted) {
        m_ptStart = point;
        m_bStarted = TRUE;
        return;
    }
    m_ptEnd = point;
    m_nWidth = m_ptEnd.x - m_ptStart.x - 2;
    m_nHeight = m_ptEnd.y - m_ptStart.y - 2;
    // The screen keeps the overlay's last picture until the windows beneath repaint, and the
    // frame copies the screen before they do: that picture must be the clean frozen copy, not
    // the marks (the label may lie inside the selection). Window systems that draw through
    // off-screen surfaces put it on the screen when the thread finds its queue empty: a look
    // for a message that is never sent does that, and changes nothing elsewhere.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, kNeverSent, kNeverSent, PM_NOREMOVE);
    End(WM_REGION_CAPTURED);
}

void CTargetWnd::OnRButtonUp(UINT, CPoint) {
    Default();
    End(WM_CAPTURE_CANCELED);
}

void CTargetWnd::OnPaint() {
    CPaintDC dc(m_hWnd);
    m_dcFrozen.PaintOnto(dc);
    if (m_bMarks)
        DrawMarks(dc, m_ptCursor);
}

void CTargetWnd::OnDestroy() {
    ReleaseOverlay();
    // Closed by something else than its own clicks: the frame must still come back.
    Report(WM_CAPTURE_CANCELED);
    Default();
}

void CTargetWnd::ReleaseOverlay() {
    m_dcFrozen.Release();
    m_pen.DeleteObject();
}

void CTargetWnd::Report(UINT nMessage) {
    if (m_bReported)
        return;
    m_bReported = TRUE;
    if (m_pNotifyWnd && ::IsWindow(m_pNotifyWnd->GetSafeHwnd()))
        m_pNotifyWnd->PostMessage(nMessage);
}

void CTargetWnd::End(UINT nMessage) {
    ReleaseOverlay();
    Report(nMessage);
    DestroyWindow();
}
