#include "capture/FrozenScreen.h"

#include "framework/AfxWin.h"

BOOL CFrozenScreen::Freeze(HDC hCompatible, int cx, int cy) {
    Release();
    HDC hMem = ::CreateCompatibleDC(hCompatible);
    if (!hMem)
        return FALSE;
    if (!m_bitmap.CreateCompatibleBitmap(hCompatible, cx, cy)) {
        ::DeleteDC(hMem);
        return FALSE;
    }
    Attach(hMem);
    SelectObject(m_bitmap);  // stays selected until Release restores the context
    m_cx = cx;
    m_cy = cy;
    HDC hScreen = ::GetDC(nullptr);
    BitBlt(0, 0, cx, cy, hScreen, 0, 0, SRCCOPY);
    ::ReleaseDC(nullptr, hScreen);
    return TRUE;
}

void CFrozenScreen::PaintOnto(HDC hDC) const {
    if (m_hDC)
        ::BitBlt(hDC, 0, 0, m_cx, m_cy, m_hDC, 0, 0, SRCCOPY);
}

void CFrozenScreen::Release() {
    if (HDC hMem = Detach())
        ::DeleteDC(hMem);
    m_bitmap.DeleteObject();
    m_cx = m_cy = 0;
}

BOOL CreateFrozenOverlay(CWnd& wnd, CFrozenScreen& frozen, int cx, int cy, BOOL* pbReported, CDC** ppFreezingDC) {
    const char* pszClass = AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    if (!wnd.CreateEx(WS_EX_TOPMOST, pszClass, "Target", WS_POPUP, 0, 0, cx, cy, nullptr, nullptr))
        return FALSE;
    BOOL bFrozen;
    {
        CClientDC dc(wnd.m_hWnd);
        if (ppFreezingDC)
            *ppFreezingDC = &dc;
        bFrozen = frozen.Freeze(dc, cx, cy);
        if (ppFreezingDC)
            *ppFreezingDC = nullptr;
    }
    if (!bFrozen) {
        *pbReported = TRUE;
        wnd.DestroyWindow();
        return FALSE;
    }
    return TRUE;
}
