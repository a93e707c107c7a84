// The view's zoom commands and the dragging of a picture larger than the window.
#include "view/NorvelView.h"

#include "app/Norvel.h"
#include "dialogs/ZoomDlg.h"
#include "framework/GdiPlus.h"
#include "picture/PictureCache.h"
#include "view/Zoom.h"

// ---- zoom ----

void CNorvelView::SetZoom(double z) {
    PictureState::ZoomChosen(*GetNorvelApp(), z);
    SetStatusText(4, ZoomCommandText(z));
}

void CNorvelView::StepZoom(int nStep) {
    if (!PictureState::ZoomStepped(*GetNorvelApp(), nStep))
        return;
    SetStatusText(4, ZoomCommandText(g_dZoom));
    Invalidate(TRUE);
}

void CNorvelView::OnZoomOut() {
    StepZoom(-1);
}

void CNorvelView::OnZoomIn() {
    StepZoom(+1);
}

void CNorvelView::OnZoomPreset(UINT nID) {
    SetZoom(PresetZoom(nID));
    Invalidate(TRUE);
}

void CNorvelView::OnAutoZoom() {
    PictureState::AutoZoomChosen(*GetNorvelApp());
    SetStatusText(4, ZoomCommandText(g_dZoom));
    Invalidate(TRUE);
}

void CNorvelView::OnZoomDialog() {
    CNorvelApp* pApp = GetNorvelApp();
    CZoomDlg dlg;
    PictureState::PanningReset(*pApp);
    INT_PTR nResult = dlg.DoModal();
    // The ratio typed last counts however the dialog was closed.
    if (dlg.RatioTaken())
        PictureState::ZoomRatioTyped(*pApp, dlg.m_nRatio);
    if (nResult == 0)
        return;
    if (PictureState::ZoomDialogEnded(*pApp)) {
        SetStatusText(4, ZoomCommandText(g_dZoom));
        Invalidate(TRUE);
    }
}

// ---- dragging ----

void CNorvelView::OnLButtonDown(UINT nFlags, CPoint point) {
    CNorvelApp* pApp = GetNorvelApp();
    m_ptDragLast = point;
    PictureState::DragHeld(TRUE);
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
        PictureState::Dragged(*pApp, delta.x, delta.y);
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
    PictureState::DragHeld(FALSE);
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
        PictureState::DragHeld(FALSE);
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
