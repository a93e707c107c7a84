// The view's zoom commands and the dragging of a picture larger than the window.
#include "view/NorvelView.h"

#include "dialogs/ZoomDlg.h"
#include "framework/GdiPlus.h"
#include "picture/PictureCache.h"
#include "state/Zoom.h"

// ---- zoom ----

void CNorvelView::SetZoom(double z) {
    Present(PictureState::ZoomPreset(AppFlags(), z));
}

void CNorvelView::StepZoom(int nStep) {
    Present(PictureState::ZoomStepped(AppFlags(), nStep));
}

void CNorvelView::OnZoomOut() {
    StepZoom(-1);
}

void CNorvelView::OnZoomIn() {
    StepZoom(+1);
}

void CNorvelView::OnZoomPreset(UINT nID) {
    SetZoom(PresetZoom(nID));
}

void CNorvelView::OnAutoZoom() {
    Present(PictureState::AutoZoom(AppFlags()));
}

void CNorvelView::OnZoomDialog() {
    CZoomDlg dlg;
    const INT_PTR nResult = dlg.DoModal();
    // The ratio typed last counts however the dialog was closed.
    Present(PictureState::ZoomTyped(AppFlags(), dlg.RatioTaken() != 0, dlg.m_nRatio, nResult != 0));
}

// ---- dragging ----

void CNorvelView::OnLButtonDown(UINT nFlags, CPoint point) {
    const CAppFlags& app = AppFlags();
    m_ptDragLast = point;
    PictureState::DragHeld(TRUE);
    // The drag ends with the button's release, wherever that happens.
    ::SetCapture(m_hWnd);
    if (app.m_bPanX || app.m_bPanY)
        ::SetCursor(m_hCursorClosedHand);
    else
        ::SetCursor(AfxGetApp()->LoadStandardCursor(IDC_ARROW));
    CView::OnLButtonDown(nFlags, point);
}

void CNorvelView::OnMouseMove(UINT nFlags, CPoint point) {
    CAppFlags& app = AppFlags();
    if (app.m_bPanX || app.m_bPanY)
        ::SetCursor(g_bDragging ? m_hCursorClosedHand : m_hCursorOpenHand);
    const CPoint delta = point - m_ptDragLast;
    const PictureState::Changes changes = PictureState::Dragged(app, delta.x, delta.y);
    if (changes & PictureState::kDragStep)
        m_ptDragLast = point;
    Present(changes);
    CView::OnMouseMove(nFlags, point);
}

void CNorvelView::OnLButtonUp(UINT nFlags, CPoint point) {
    const CAppFlags& app = AppFlags();
    if (app.m_bPanX || app.m_bPanY)
        ::SetCursor(m_hCursorOpenHand);
    else
        ::SetCursor(AfxGetApp()->LoadStandardCursor(IDC_ARROW));
    PictureState::DragHeld(FALSE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    // Steps that left the rendering rendered the window alone: the area around it is rendered
    // for the next drag once this one is over.
    if (app.m_bPanX || app.m_bPanY)
        ::PostMessageA(m_hWnd, WM_RENDER_AHEAD, 0, 0);
    CView::OnLButtonUp(nFlags, point);
}

BOOL CNorvelView::OnSetCursor(HWND hWnd, UINT nHitTest, UINT message) {
    // The class cursor (the arrow) unless the picture can be dragged; then the hands, so the
    // pointer does not flash the arrow between the mouse handlers' settings.
    const CAppFlags& app = AppFlags();
    if (nHitTest == HTCLIENT && (app.m_bPanX || app.m_bPanY)) {
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
