#include "controls/Label.h"

#include <shellapi.h>

const char CLabel::s_szHomePage[] = "http://morvane.zentaro.example/";

namespace {
const UINT_PTR kFlashTimer = 1;
const UINT kFlashMs = 500;
enum { kFlashNone = 0, kFlashText = 1, kFlashBackground = 2 };
}  // namespace

BEGIN_MESSAGE_MAP(CLabel, CStatic)
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CLabel::CLabel()
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_hBackBrush(::GetSysColor(COLOR_3DFACE)),
      m_hFaceBrush(::GetSysColor(COLOR_3DFACE)),
      m_lf(),
      m_bFlashState(0),
      m_bTimerOn(0),
      m_nFlashType(kFlashNone),
      m_hCursor(nullptr) {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_lf, &m_lf);
    m_font.CreateFontIndirect(&m_lf);
}

CLabel::~CLabel() {
    if (m_bTimerOn && m_hWnd)
        KillTimer(kFlashTimer);
}

void CLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), FALSE);
}

void CLabel::ReconstructFont() {
    // The control is given the font too: some static controls select their own font after they
    // have asked for their colours. The old font goes only once the control no longer has it.
    CFont old;
    old.Attach(m_font.Detach());
    m_font.CreateFontIndirect(&m_lf);
    if (m_hWnd)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), FALSE);
}

void CLabel::RedrawNow() {
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

CLabel& CLabel::SetText(const CString& strText) {
    if (m_hWnd)
        SetWindowText(strText);
    return *this;
}

CLabel& CLabel::SetTextColor(COLORREF crText) {
    m_crText = crText;
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetFontBold(BOOL bBold) {
    m_lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    ReconstructFont();
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetFontUnderline(BOOL bSet) {
    m_lf.lfUnderline = static_cast<BYTE>(bSet ? 1 : 0);
    ReconstructFont();
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetFontItalic(BOOL bSet) {
    m_lf.lfItalic = static_cast<BYTE>(bSet ? 1 : 0);
    ReconstructFont();
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetFontSize(int nSize) {
    m_lf.lfHeight = -nSize;
    ReconstructFont();
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetFontName(const CString& strFont) {
    lstrcpynA(m_lf.lfFaceName, strFont, LF_FACESIZE);
    ReconstructFont();
    RedrawNow();
    return *this;
}

CLabel& CLabel::SetBkColor(COLORREF crBkgnd) {
    m_hBackBrush.CreateSolidBrush(crBkgnd);  // the previous brush is deleted
    return *this;
}

CLabel& CLabel::SetSunken(BOOL bSet) {
    if (!m_hWnd)
        return *this;
    LONG ex = ::GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    LONG exNew = bSet ? (ex | WS_EX_STATICEDGE) : (ex & ~WS_EX_STATICEDGE);
    if (exNew != ex) {
        ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, exNew);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return *this;
}

CLabel& CLabel::SetBorder(BOOL bSet) {
    if (m_hWnd)
        ModifyStyle(bSet ? 0 : WS_BORDER, bSet ? WS_BORDER : 0, SWP_FRAMECHANGED);
    return *this;
}

CLabel& CLabel::SetLink(BOOL bLink) {
    if (m_hWnd)
        ModifyStyle(bLink ? 0 : SS_NOTIFY, bLink ? SS_NOTIFY : 0);
    return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR hCursor) {
    m_hCursor = hCursor;
    return *this;
}

CLabel& CLabel::FlashText(BOOL bActivate) {
    if (m_bTimerOn) {
        SetWindowText(m_strSaved);
        KillTimer(kFlashTimer);
        m_bTimerOn = 0;
        m_nFlashType = kFlashNone;
    }
    if (bActivate && m_hWnd) {
        m_strSaved = GetWindowText();
        m_bFlashState = 0;
        m_bTimerOn = 1;
        SetTimer(kFlashTimer, kFlashMs);
        m_nFlashType = kFlashText;
    }
    return *this;
}

CLabel& CLabel::FlashBackground(BOOL bActivate) {
    if (m_bTimerOn) {
        KillTimer(kFlashTimer);
        m_bTimerOn = 0;
        m_nFlashType = kFlashNone;
        RedrawNow();
    }
    if (bActivate && m_hWnd) {
        m_bFlashState = 0;
        m_bTimerOn = 1;
        SetTimer(kFlashTimer, kFlashMs);
        m_nFlashType = kFlashBackground;
    }
    return *this;
}

BOOL CLabel::OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT* pResult) {
    if (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC)
        return CStatic::OnChildNotify(message, wParam, 0, pResult);
    // The DC belongs to the control's paint; what is selected here must stay selected for it.
    HDC hdc = reinterpret_cast<HDC>(wParam);
    if (message == WM_CTLCOLORSTATIC) {
        ::SelectObject(hdc, m_font);
        ::SetTextColor(hdc, m_crText);
        ::SetBkMode(hdc, TRANSPARENT);
    }
    HBRUSH hBrush = (m_nFlashType == kFlashBackground && !m_bFlashState) ? static_cast<HBRUSH>(m_hFaceBrush)
                                                                         : static_cast<HBRUSH>(m_hBackBrush);
    if (pResult)
        *pResult = reinterpret_cast<LRESULT>(hBrush);
    return TRUE;
}

void CLabel::OnTimer(UINT_PTR nIDEvent) {
    m_bFlashState = !m_bFlashState;
    if (m_nFlashType == kFlashText) {
        SetWindowText(m_bFlashState ? "" : static_cast<const char*>(m_strSaved));
    } else if (m_nFlashType == kFlashBackground) {
        Invalidate(FALSE);
        UpdateWindow();
    }
    CStatic::OnTimer(nIDEvent);
}

void CLabel::OnLButtonDown(UINT nFlags, CPoint point) {
    CString strText = GetWindowText();
    if (strText == s_szHomePage) {
        ::ShellExecuteA(nullptr, "open", strText, nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        CString strMail = "mailto:";
        strMail += strText;
        ::ShellExecuteA(nullptr, "open", strMail, nullptr, nullptr, SW_SHOWNORMAL);
    }
    CStatic::OnLButtonDown(nFlags, point);
}

BOOL CLabel::OnSetCursor(HWND hWnd, UINT nHitTest, UINT message) {
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(hWnd, nHitTest, message);
}
