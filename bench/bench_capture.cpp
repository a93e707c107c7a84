// Prints how long Capture Screen takes from the command to the repainted view, without its
// fixed pause for the windows beneath, beside the bare platform work of copying the screen to
// a bitmap and reading its pixels with GetDIBits, measured in the same run.
#include <stdio.h>

#include "Bench.h"
#include "TestUtil.h"
#include "capture/Capture.h"
#include "res/resource.h"

namespace {
// The screen into a compatible bitmap, then its pixels at 32 bits into memory.
void BareCopy(int cx, int cy) {
    HDC hScreen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP hbm = CreateCompatibleBitmap(hScreen, cx, cy);
    HDC hMem = CreateCompatibleDC(hScreen);
    HGDIOBJ hOld = SelectObject(hMem, hbm);
    BitBlt(hMem, 0, 0, cx, cy, hScreen, 0, 0, SRCCOPY);
    SelectObject(hMem, hOld);
    DeleteDC(hMem);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* p = GlobalAlloc(GPTR, static_cast<SIZE_T>(cx) * cy * 4);
    GetDIBits(hScreen, hbm, 0, cy, p, &bi, DIB_RGB_COLORS);
    GlobalFree(p);
    DeleteObject(hbm);
    DeleteDC(hScreen);
}
}  // namespace

int main() {
    RunningApp run;
    if (!run.started())
        return 1;
    CNorvelView* view = run.view();
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto capture = [&] {
        view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTURESCREEN, 0), 0);
        view->UpdateWindow();  // the view decodes the capture file and draws it
    };
    capture();  // first use: file creation, clipboard set-up, GDI+ warm-up
    PumpFor(100);

    const int kRuns = 7;
    double pause = kCaptureSettleMs / 1000.0;
    double endToEnd = Median(kRuns, [&] {
        capture();
        PumpNow();
    });
    double pipeline = Median(kRuns, [&] { CaptureScreenRect(0, 0, cx, cy, view); });
    double repaint = Median(kRuns, [&] {
        view->Invalidate(TRUE);
        view->UpdateWindow();
    });
    double bare = Median(kRuns, [&] { BareCopy(cx, cy); });
    DeleteFileA(kCaptureFile);

    printf("screen %d x %d, median of %d runs\n", cx, cy, kRuns);
    printf("Capture Screen end to end, minus its %3lu ms pause: %8.3f s\n", kCaptureSettleMs, endToEnd - pause);
    printf("  of which screen copy, file and clipboard:       %8.3f s\n", pipeline);
    printf("  of which the view's repaint of the capture:     %8.3f s\n", repaint);
    printf("bare screen copy to a bitmap and GetDIBits:       %8.3f s\n", bare);
    printf("ratio Capture Screen / bare:                      %8.2f\n", (endToEnd - pause) / bare);
    return 0;
}
