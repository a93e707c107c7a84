#include "dialogs/PreviewFrame.h"

BOOL CPreviewFrame::SetPicture(Gdiplus::Image* pImage, int x, int y, int cx, int cy) {
    Clear();
    if (!pImage || cx <= 0 || cy <= 0)
        return FALSE;
    CClientDC screen(m_hWnd);
    CBitmap bmp;
    if (!bmp.CreateCompatibleBitmap(screen, cx, cy))
        return FALSE;
    BOOL bDrawn = FALSE;
    {
        CMemDC mem(screen);
        mem.SelectObject(bmp);
        // Transparent parts of the picture show the dialog's face, as they would on the dialog.
        mem.FillSolidRect(CRect(0, 0, cx, cy), ::GetSysColor(COLOR_BTNFACE));
        Gdiplus::Graphics graphics(mem.GetSafeHdc());
        bDrawn = graphics.GetLastStatus() == Gdiplus::Ok && graphics.DrawImage(pImage, 0, 0, cx, cy) == Gdiplus::Ok;
    }
    if (!bDrawn)
        return FALSE;  // the bitmap goes with its wrapper
    m_bmpPicture.Attach(bmp.Detach());
    m_ptPicture = CPoint(x, y);
    Invalidate(FALSE);
    return TRUE;
}

void CPreviewFrame::Clear() {
    m_bmpPicture.DeleteObject();
    if (m_hWnd)
        Invalidate(FALSE);
}

BOOL CPreviewFrame::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return FALSE;
    const DRAWITEMSTRUCT* p = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    Draw(p->hDC, p->rcItem);
    *pResult = TRUE;
    return TRUE;
}

void CPreviewFrame::Draw(HDC hDC, const RECT& rc) {
    CDC dc(hDC);
    dc.FillSolidRect(rc, ::GetSysColor(COLOR_BTNFACE));
    // The frame a black-frame static draws, then the picture over it.
    ::FrameRect(hDC, &rc, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    if (!m_bmpPicture.GetSafeHandle())
        return;
    BITMAP bm = {};
    m_bmpPicture.GetBitmap(&bm);
    CMemDC mem(hDC);
    mem.SelectObject(m_bmpPicture);
    dc.BitBlt(rc.left + m_ptPicture.x, rc.top + m_ptPicture.y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
}
