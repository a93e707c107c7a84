#include "controls/IconButton.h"

#include "framework/AfxDpi.h"

namespace {
const UINT_PTR kToolId = 1;

// Two lines from (x0, y0) through (x1, y1) to (x2, y2), in one pen.
void Polyline3(CDC* pDC, COLORREF cr, int x0, int y0, int x1, int y1, int x2, int y2) {
    CPen pen(PS_SOLID, 0, cr);
    HGDIOBJ hOld = pDC->SelectObject(pen);
    ::MoveToEx(*pDC, x0, y0, nullptr);
    ::LineTo(*pDC, x1, y1);
    ::LineTo(*pDC, x2, y2);
    pDC->SelectObject(hOld);
}

void FrameWithColour(CDC* pDC, const CRect& rc, COLORREF cr) {
    CBrush brush(cr);
    ::FrameRect(*pDC, &rc, brush);
}
}  // namespace

// ---- layout --------------------------------------------------------------------------------------

IconButtonLayout LayoutIconButton(const CRect& rcItem,
                                  bool bHasIcon,
                                  bool bHasCaption,
                                  int nAlign,
                                  int cxIcon,
                                  int cyIcon,
                                  bool bPressed) {
    IconButtonLayout layout;
    layout.rcCaption = rcItem;
    layout.rcIcon = rcItem;
    if (bHasIcon) {
        CRect& rcIcon = layout.rcIcon;
        int width = rcItem.Width(), height = rcItem.Height();
        if (nAlign == 0) {
            if (!bHasCaption) {
                rcIcon.left += (width - cxIcon) / 2;
            } else {
                rcIcon.left += 3;
                layout.rcCaption.left += cxIcon + 3;
            }
            rcIcon.top += (height - cyIcon) / 2;
        } else {
            rcIcon.left += (width - cxIcon) / 2;
            if (!bHasCaption)
                rcIcon.top += (height - cyIcon) / 2;
            else
                layout.rcCaption.top += cyIcon;
        }
        if (bPressed)
            rcIcon.OffsetRect(1, 1);
    }
    if (bPressed && bHasCaption)
        layout.rcCaption.OffsetRect(1, 1);
    return layout;
}

CRect CentreCaption(const CRect& rcCaption, const CSize& sizeText) {
    CRect rc(rcCaption.left, rcCaption.top, rcCaption.left + sizeText.cx, rcCaption.top + sizeText.cy);
    rc.OffsetRect((rcCaption.Width() - sizeText.cx) / 2, (rcCaption.Height() - sizeText.cy) / 2);
    return rc;
}

// ---- CIconButton ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CIconButton, CButton)
ON_WM_MOUSEMOVE()
ON_WM_KILLFOCUS()
ON_WM_CAPTURECHANGED()
ON_WM_SETCURSOR()
ON_MESSAGE(kAfxWmDpiChangedAfterParent, OnDpiChangedAfterParent)
END_MESSAGE_MAP()

CIconButton::CIconButton()
    : m_nAlign(0),
      m_bShowText(1),
      m_bDrawBorder(1),
      m_bFlat(1),
      m_bMouseOver(0),
      m_bDrawFlatFocus(0),
      m_nIconIn(0),
      m_nIconOut(0),
      m_cxIcon96(0),
      m_cyIcon96(0),
      m_nIconDpi(0),
      m_cyIcon(0),
      m_cxIcon(0) {
    ResetInactiveBgColor(FALSE);
    ResetInactiveFgColor(FALSE);
    ResetActiveBgColor(FALSE);
    ResetActiveFgColor(FALSE);
}

CIconButton::~CIconButton() = default;

void CIconButton::DestroyIcons() {
    m_hIconIn.Destroy();
    m_hIconOut.Destroy();
}

void CIconButton::SetIcons(int nIconIn, int nIconOut, BYTE cx, BYTE cy) {
    m_nIconIn = nIconIn;
    m_nIconOut = nIconOut;
    m_cxIcon96 = cx;
    m_cyIcon96 = cy;
    LoadIcons(AfxGetWindowDpi(m_hWnd));
}

void CIconButton::LoadIcons(UINT nDpi) {
    DestroyIcons();  // a second load replaces the icons
    // The icon resource's image nearest to the size at the button's DPI.
    m_nIconDpi = nDpi;
    m_cxIcon = static_cast<BYTE>(AfxScaleByDpi(m_cxIcon96, nDpi));
    m_cyIcon = static_cast<BYTE>(AfxScaleByDpi(m_cyIcon96, nDpi));
    HINSTANCE hRes = AfxGetResourceHandle();
    m_hIconIn.Attach(static_cast<HICON>(
        ::LoadImageA(hRes, MAKEINTRESOURCEA(m_nIconIn), IMAGE_ICON, m_cxIcon, m_cyIcon, LR_DEFAULTCOLOR)));
    // Without a normal icon of its own the button shows the one icon in both states.
    if (m_nIconOut != 0)
        m_hIconOut.Attach(static_cast<HICON>(
            ::LoadImageA(hRes, MAKEINTRESOURCEA(m_nIconOut), IMAGE_ICON, m_cxIcon, m_cyIcon, LR_DEFAULTCOLOR)));
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CIconButton::OnDpiChangedAfterParent(WPARAM wParam, LPARAM) {
    const UINT nDpi = wParam ? static_cast<UINT>(wParam) : AfxGetWindowDpi(m_hWnd);
    // The system and the dialog may both tell of one change: the icons are loaded once.
    if (m_nIconIn != 0 && nDpi != m_nIconDpi)
        LoadIcons(nDpi);
    return 0;
}

void CIconButton::SetToolTipText(CString strText) {
    m_strToolText = strText;
    if (m_toolTip.m_hWnd)
        m_toolTip.UpdateTipText(m_strToolText, this, kToolId);
}

void CIconButton::SetButtonCursor(int nCursorId) {
    m_hCursor.Destroy();
    if (nCursorId != -1)
        m_hCursor.Attach(static_cast<HCURSOR>(
            ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nCursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR)));
}

void CIconButton::Repaint(BOOL bRepaint) {
    if (bRepaint && m_hWnd)
        Invalidate();
}

void CIconButton::SetFlat(BOOL bState) {
    m_bFlat = bState;
    Repaint(TRUE);
}

void CIconButton::SetIconAlign(int nAlign) {
    if (nAlign != 0 && nAlign != 1)
        return;
    m_nAlign = nAlign;
    Repaint(TRUE);
}

void CIconButton::SetShowText(BOOL bShow) {
    m_bShowText = bShow;
    Repaint(TRUE);
}

void CIconButton::SetDrawFlatFocus(BOOL bDrawFlatFocus, BOOL bRepaint) {
    m_bDrawFlatFocus = bDrawFlatFocus;
    Repaint(bRepaint);
}

void CIconButton::ResetInactiveBgColor(BOOL bRepaint) {
    m_crInactiveBg = ::GetSysColor(COLOR_BTNFACE);
    Repaint(bRepaint);
}
void CIconButton::SetInactiveBgColor(COLORREF crNew, BOOL bRepaint) {
    m_crInactiveBg = crNew;
    Repaint(bRepaint);
}
void CIconButton::ResetInactiveFgColor(BOOL bRepaint) {
    m_crInactiveFg = ::GetSysColor(COLOR_BTNTEXT);
    Repaint(bRepaint);
}
void CIconButton::SetInactiveFgColor(COLORREF crNew, BOOL bRepaint) {
    m_crInactiveFg = crNew;
    Repaint(bRepaint);
}
void CIconButton::ResetActiveBgColor(BOOL bRepaint) {
    m_crActiveBg = ::GetSysColor(COLOR_BTNFACE);
    Repaint(bRepaint);
}
void CIconButton::SetActiveBgColor(COLORREF crNew, BOOL bRepaint) {
    m_crActiveBg = crNew;
    Repaint(bRepaint);
}
void CIconButton::ResetActiveFgColor(BOOL bRepaint) {
    m_crActiveFg = ::GetSysColor(COLOR_BTNTEXT);
    Repaint(bRepaint);
}
void CIconButton::SetActiveFgColor(COLORREF crNew, BOOL bRepaint) {
    m_crActiveFg = crNew;
    Repaint(bRepaint);
}

void CIconButton::PreSubclassWindow() {
    CRect rc;
    GetClientRect(&rc);
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
    if (m_toolTip.Create(this))
        m_toolTip.AddTool(this, m_strToolText, &rc, kToolId);
    CButton::PreSubclassWindow();
}

BOOL CIconButton::PreTranslateMessage(MSG* pMsg) {
    m_toolTip.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

void CIconButton::OnMouseMove(UINT nFlags, CPoint point) {
    CButton::OnMouseMove(nFlags, point);
    // A press that started elsewhere does not light the button up.
    if ((nFlags & MK_LBUTTON) && !m_bMouseOver)
        return;
    if (!m_bFlat)
        return;
    // The capture taken on entry is how the button notices that the mouse has left.
    if (::GetCapture() != m_hWnd && ::GetParent(m_hWnd)) {
        m_bMouseOver = TRUE;
        ::SetCapture(m_hWnd);
        Invalidate();
        return;
    }
    CRect rc;
    GetClientRect(&rc);
    if (!rc.PtInRect(point)) {
        if (m_bMouseOver) {
            m_bMouseOver = FALSE;
            Invalidate();
        }
        if (!(nFlags & MK_LBUTTON))
            ::ReleaseCapture();
    }
}

void CIconButton::OnKillFocus(HWND hNewWnd) {
    CButton::OnKillFocus(hNewWnd);
    if (m_bFlat && m_bMouseOver) {
        m_bMouseOver = FALSE;
        Invalidate();
    }
}

void CIconButton::OnCaptureChanged(HWND hNewCapture) {
    if (m_bMouseOver) {
        // The button taking the capture again for a press keeps it; a capture that went to
        // another window is that window's to release.
        if (hNewCapture != m_hWnd && ::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        Invalidate();
    }
    CButton::OnCaptureChanged(hNewCapture);
}

BOOL CIconButton::OnSetCursor(HWND hWnd, UINT nHitTest, UINT message) {
    if (m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CButton::OnSetCursor(hWnd, nHitTest, message);
}

void CIconButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC target(lpDIS->hDC);
    CMemDC dc(&target);
    CDC* pDC = &dc;

    const bool bPressed = (lpDIS->itemState & ODS_SELECTED) != 0;
    const bool bFocused = (lpDIS->itemState & ODS_FOCUS) != 0;
    const bool bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;
    const bool bActive = m_bMouseOver || bPressed;
    CRect rcItem = lpDIS->rcItem;

    // 1. A raised button with the focus gets a black frame.
    if (!m_bFlat && bFocused) {
        FrameWithColour(pDC, rcItem, RGB(0, 0, 0));
        rcItem.DeflateRect(1, 1);
    }

    // 2. Background.
    pDC->FillSolidRect(rcItem, bActive ? m_crActiveBg : m_crInactiveBg);

    // 3. Border.
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int l = rcItem.left, t = rcItem.top, r = rcItem.right, b = rcItem.bottom;
    if (bPressed) {
        if (m_bFlat) {
            if (m_bDrawBorder) {
                Polyline3(pDC, crShadow, l, b - 1, l, t, r, t);
                Polyline3(pDC, crHighlight, l, b - 1, r - 1, b - 1, r - 1, t - 1);
            }
        } else {
            FrameWithColour(pDC, rcItem, crShadow);
        }
    } else if (m_bFlat) {
        if (m_bMouseOver && m_bDrawBorder) {
            Polyline3(pDC, crHighlight, l, b - 1, l, t, r, t);
            Polyline3(pDC, crShadow, l, b - 1, r - 1, b - 1, r - 1, t - 1);
        }
    } else {
        Polyline3(pDC, crHighlight, l, b - 1, l, t, r, t);
        Polyline3(pDC, ::GetSysColor(COLOR_3DLIGHT), l + 1, b - 1, l + 1, t + 1, r, t + 1);
        Polyline3(pDC, ::GetSysColor(COLOR_3DDKSHADOW), l, b - 1, r - 1, b - 1, r - 1, t - 1);
        Polyline3(pDC, crShadow, l + 1, b - 2, r - 2, b - 2, r - 2, t);
    }

    // 4.-5. Caption and icon places.
    CString strCaption = m_bShowText ? GetWindowText() : CString();
    IconButtonLayout layout =
        LayoutIconButton(rcItem, m_hIconIn != nullptr, !strCaption.IsEmpty(), m_nAlign, m_cxIcon, m_cyIcon, bPressed);
    if (m_hIconIn) {
        HICON hIcon = (bActive || !m_hIconOut) ? m_hIconIn : m_hIconOut;
        const CRect& rc = layout.rcIcon;
        ::DrawStateA(*pDC, nullptr, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, rc.left, rc.top, rc.Width(),
                     rc.Height(), DST_ICON | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
    }

    // 6. Caption, centred in what the icon leaves.
    if (!strCaption.IsEmpty()) {
        HGDIOBJ hOldFont = pDC->SelectObject(GetFont());
        ::SetTextColor(*pDC, bActive ? m_crActiveFg : m_crInactiveFg);
        ::SetBkColor(*pDC, bActive ? m_crActiveBg : m_crInactiveBg);
        CRect rcMeasure = layout.rcCaption;
        ::DrawTextA(*pDC, strCaption, -1, &rcMeasure, DT_SINGLELINE | DT_CALCRECT | DT_LEFT);
        CRect rcText = CentreCaption(layout.rcCaption, rcMeasure.Size());
        ::DrawStateA(*pDC, nullptr, nullptr, reinterpret_cast<LPARAM>(strCaption.GetString()), strCaption.GetLength(),
                     rcText.left, rcText.top, rcText.Width(), rcText.Height(),
                     DST_PREFIXTEXT | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
        pDC->SelectObject(hOldFont);
    }

    // 7. Focus rectangle.
    if (bFocused && (!m_bFlat || m_bDrawFlatFocus)) {
        CRect rcFocus = rcItem;
        rcFocus.DeflateRect(3, 3);
        ::DrawFocusRect(*pDC, &rcFocus);
    }
    // 8. The memory context copies the result to the screen as it goes.
}
