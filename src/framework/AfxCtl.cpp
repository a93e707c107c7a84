#include "framework/AfxCtl.h"

// ---- CButton -------------------------------------------------------------------------------------

BOOL CButton::Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return FALSE;
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult)
        *pResult = TRUE;
    return TRUE;
}

// ---- CToolTipCtrl --------------------------------------------------------------------------------

namespace {
// The tool record every version of the control understands.
TOOLINFOA MakeToolInfo(CWnd* pWnd, UINT_PTR nIDTool) {
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = pWnd ? pWnd->m_hWnd : nullptr;
    ti.uId = nIDTool;
    return ti;
}
}  // namespace

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    TOOLINFOA ti = MakeToolInfo(pWnd, nIDTool);
    if (lpRectTool) {
        ti.rect = *lpRectTool;
    } else {
        ti.uFlags |= TTF_IDISHWND;
        ti.uId = reinterpret_cast<UINT_PTR>(ti.hwnd);
    }
    ti.lpszText = lpszText ? const_cast<char*>(lpszText) : LPSTR_TEXTCALLBACKA;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
    TOOLINFOA ti = MakeToolInfo(pWnd, nIDTool);
    ti.lpszText = lpszText ? const_cast<char*>(lpszText) : LPSTR_TEXTCALLBACKA;
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

CString CToolTipCtrl::GetText(CWnd* pWnd, UINT_PTR nIDTool) const {
    char buf[1024] = "";
    TOOLINFOA ti = MakeToolInfo(pWnd, nIDTool);
    ti.lpszText = buf;
    SendMessage(TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
    return CString(buf);
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg) {
    if (m_hWnd)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg));
}

void CToolTipCtrl::Activate(BOOL bActivate) {
    SendMessage(TTM_ACTIVATE, bActivate);
}
