#include "capture/Capture.h"

#include "capture/BitmapFile.h"

const char kCaptureFile[] = "c:\\morvane.bmp";

namespace {
// The area the display's device context shows: every monitor, or the primary screen where the
// system knows of no others.
CRect ScreenRect() {
    int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx <= 0 || cy <= 0)
        return CRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return CRect(x, y, x + cx, y + cy);
}
}  // namespace

HBITMAP CaptureScreenToFile(int x, int y, int cx, int cy) {
    if (cx <= 0 || cy <= 0)
        return nullptr;
    HDC hScreen = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!hScreen)
        return nullptr;
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, cx, cy);
    HDC hMem = hBitmap ? ::CreateCompatibleDC(hScreen) : nullptr;
    if (hMem) {
        HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
        // Only the part on the screen is copied, the rest stays black: some systems copy
        // nothing at all from a source rectangle that reaches past the screen's edge.
        ::PatBlt(hMem, 0, 0, cx, cy, BLACKNESS);
        CRect rcOnScreen;
        if (::IntersectRect(&rcOnScreen, CRect(x, y, x + cx, y + cy), ScreenRect()))
            ::BitBlt(hMem, rcOnScreen.left - x, rcOnScreen.top - y, rcOnScreen.Width(), rcOnScreen.Height(), hScreen,
                     rcOnScreen.left, rcOnScreen.top, SRCCOPY);
        ::SelectObject(hMem, hOld);
        ::DeleteDC(hMem);
        WriteBitmapFile(hScreen, hBitmap, kCaptureFile);
    } else if (hBitmap) {
        ::DeleteObject(hBitmap);
        hBitmap = nullptr;
    }
    ::DeleteDC(hScreen);
    return hBitmap;
}

void PutBitmapOnClipboard(HBITMAP hBitmap, CWnd* pOwner) {
    if (!hBitmap)
        return;
    bool bGiven = false;
    if (::OpenClipboard(pOwner ? pOwner->GetSafeHwnd() : nullptr)) {
        if (::EmptyClipboard())
            bGiven = ::SetClipboardData(CF_BITMAP, hBitmap) != nullptr;
        ::CloseClipboard();
    }
    if (!bGiven)
        ::DeleteObject(hBitmap);
}

void CaptureScreenRect(int x, int y, int cx, int cy, CWnd* pOwner) {
    PutBitmapOnClipboard(CaptureScreenToFile(x, y, cx, cy), pOwner);
}
