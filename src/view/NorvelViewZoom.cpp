// The view's zoom commands and the dragging of a picture larger than the window.
#include "view/NorvelView.h"

#include "app/Norvel.h"
#include "dialogs/ZoomDlg.h"
#include "framework/GdiPlus.h"
#include "view/PictureCache.h"
#include "view/Zoom.h"

// ---- zoom ----

void CNorvelView::ApplyCentredZoom(double z) {
    CNorvelApp* pApp = GetNorvelApp();
    g_nDrawX = CentredOrigin(g_nClientWidth, g_nImageWidth, z);
    g_nDrawY = CentredOrigin(g_nClientHeight, g_nImageHeight, z);
    SetStatusText(4, ZoomCommandText(z));
    g_nCentreX = g_nDrawX;
    g_nCentreY = g_nDrawY;
    pApp->m_bPanX = g_nDrawX < 0 ? 1 : 0;
    pApp->m_bPanY = g_nDrawY < 0 ? 1 : 0;
}

void CNorvelView::SetZoom(double z) {
    CNorvelApp* pApp = GetNorvelApp();
    pApp->m_bRefitPending = 0;
    pApp->m_bCaptureRefitPending = 0;
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    ApplyCentredZoom(z);
}

void CNorvelView::StepZoom(int nStep) {
    CNorvelApp* pApp = GetNorvelApp();
    g_bManualZoom = 1;
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    pApp->m_bRefitPending = 0;
    pApp->m_bCaptureRefitPending = 0;
    if (nStep < 0) {
        if (!ZoomOutAllowed(g_dZoom))
            return;
        g_dZoom *= 0.5;
    } else {
        if (!ZoomInAllowed(g_dZoom))
            return;
        g_dZoom /= 0.5;
    }
    ApplyCentredZoom(g_dZoom);
    Invalidate(TRUE);
}

void CNorvelView::OnZoomOut() {
    StepZoom(-1);
}

void CNorvelView::OnZoomIn() {
    StepZoom(+1);
}

void CNorvelView::OnZoomPreset(UINT nID) {
    g_bManualZoom = 1;
    g_dZoom = PresetZoom(nID);
    SetZoom(g_dZoom);
    Invalidate(TRUE);
}

void CNorvelView::OnAutoZoom() {
    CNorvelApp* pApp = GetNorvelApp();
    g_bManualZoom = 0;
    // A fitted picture is never dragged, a capture's included (its paint keeps these flags).
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    FitToWindow();
    SetStatusText(4, ZoomCommandText(g_dZoom));
    Invalidate(TRUE);
}

void CNorvelView::OnZoomDialog() {
    CNorvelApp* pApp = GetNorvelApp();
    CZoomDlg dlg;
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    INT_PTR nResult = dlg.DoModal();
    // The ratio typed last counts however the dialog was closed.
    if (dlg.RatioTaken())
        pApp->m_nZoomPercent = dlg.m_nRatio;
    if (nResult == 0)
        return;
    g_bManualZoom = 1;
    int nPercent = pApp->m_nZoomPercent;
    if (ZoomPercentInRange(nPercent)) {
        g_dZoom = nPercent / 100.0;
        SetZoom(g_dZoom);
        pApp->m_bPanX = g_nDrawX < 0 ? 1 : 0;
        pApp->m_bPanY = g_nDrawY < 0 ? 1 : 0;
        Invalidate(TRUE);
    }
}

// ---- dragging ----

void CNorvelView::OnLButtonDown(UINT nFlags, CPoint point) {
    CNorvelApp* pApp = GetNorvelApp();
    m_ptDragLast = point;
    g_bDragging = 1;
    // The drag ends with the button's release, wherever that happens.
    ::SetCapture(m_hWnd);
    if (pApp->m_bPanX || pApp->m_bPanY)
        ::SetCursor(m_hCursorClosedHand);
    else
        ::SetCursor(AfxGetApp()->LoadStandardCursor(IDC_ARROW));
    CView::OnLButtonDown(nFlags, point);
}

void CNorvelView::OnMouseMove(UINT nFlags, CPoint point) {
    CNorvelApp* pApp = GetNorvelApp();
    const bool bPannable = pApp->m_bPanX || pApp->m_bPanY;
    if (bPannable)
        ::SetCursor(g_bDragging ? m_hCursorClosedHand : m_hCursorOpenHand);
    if (g_bDragging && bPannable) {
        CPoint delta = point - m_ptDragLast;
        if (pApp->m_bPanX)
            g_nDrawX = DragOrigin(g_nDrawX, delta.x, g_nCentreX);
        if (pApp->m_bPanY)
            g_nDrawY = DragOrigin(g_nDrawY, delta.y, g_nCentreY);
        g_bManualZoom = 1;
        m_ptDragLast = point;
        DrawDragStep();
    }
    CView::OnMouseMove(nFlags, point);
}

void CNorvelView::OnLButtonUp(UINT nFlags, CPoint point) {
    CNorvelApp* pApp = GetNorvelApp();
    if (pApp->m_bPanX || pApp->m_bPanY)
        ::SetCursor(m_hCursorOpenHand);
    else
        ::SetCursor(AfxGetApp()->LoadStandardCursor(IDC_ARROW));
    g_bDragging = 0;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    CView::OnLButtonUp(nFlags, point);
}

BOOL CNorvelView::OnSetCursor(HWND hWnd, UINT nHitTest, UINT message) {
    // The class cursor (the arrow) unless the picture can be dragged; then the hands, so the
    // pointer does not flash the arrow between the mouse handlers' settings.
    CNorvelApp* pApp = GetNorvelApp();
    if (nHitTest == HTCLIENT && (pApp->m_bPanX || pApp->m_bPanY)) {
        ::SetCursor(g_bDragging ? m_hCursorClosedHand : m_hCursorOpenHand);
        return TRUE;
    }
    return CView::OnSetCursor(hWnd, nHitTest, message);
}

void CNorvelView::OnCaptureChanged(HWND hNewCapture) {
    // Another window took the mouse (a dialog, a menu): the drag is over.
    if (hNewCapture != m_hWnd)
        g_bDragging = 0;
    CView::OnCaptureChanged(hNewCapture);
}

void CNorvelView::DrawDragStep() {
    CClientDC dc(m_hWnd);
    Gdiplus::Graphics graphics(dc.GetSafeHdc());
    if (graphics.GetLastStatus() != Gdiplus::Ok)
        return;
    CRect rcClient;
    GetClientRect(&rcClient);
    // The kept picture unless its file changed; a file gone draws nothing and the view keeps
    // its last content. The size stays as the last paint measured it.
    Gdiplus::Image* pImage = m_pPicture->Get(g_strFilePath);
    DrawShownPicture(graphics, dc.GetSafeHdc(), pImage, &rcClient, true);
}
