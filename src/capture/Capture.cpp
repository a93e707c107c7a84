#include "capture/Capture.h"

#include "capture/BitmapFile.h"

const char kCaptureFile[] = "c:\\morvane.bmp";

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
        ::BitBlt(hMem, 0, 0, cx, cy, hScreen, x, y, SRCCOPY);
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
