// Full screen on a large JPEG: from F11 until the full-screen picture is painted, and from Esc
// until the frame is painted as before, beside a bare decode-and-draw at the screen's size.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "res/resource.h"
#include "state/Fit.h"

namespace {
// Everything waiting to be painted in the frame and its children, painted now.
void PaintAll(HWND hFrame) {
    ::RedrawWindow(hFrame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}
}  // namespace

void BenchFullScreen(CMainFrame* frame, CNorvelView* view, const std::string& picture) {
    HWND hFrame = frame->m_hWnd, hView = view->m_hWnd;
    GetNorvelApp()->m_bImageLoaded = 1;
    g_strFilePath = picture.c_str();
    g_bManualZoom = 0;
    view->Invalidate(TRUE);
    PaintAll(hFrame);

    std::vector<double> enters, leaves;
    for (int i = 0; i < 3; ++i) {
        double t0 = Seconds();
        ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_VIEW_FULLSCREEN, 0), 0);
        PaintAll(hFrame);
        double t1 = Seconds();
        ::SendMessageA(hView, WM_KEYDOWN, VK_ESCAPE, 1);
        PaintAll(hFrame);
        enters.push_back(t1 - t0);
        leaves.push_back(Seconds() - t1);
    }
    std::sort(enters.begin(), enters.end());
    std::sort(leaves.begin(), leaves.end());
    double enter = enters[1], leave = leaves[1];

    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    FitResult fit = FitPicture(g_nImageWidth, g_nImageHeight, cx, cy);
    int w = static_cast<int>(g_nImageWidth * fit.dZoom), h = static_cast<int>(g_nImageHeight * fit.dZoom);
    double bare = Median(3, [&] {
        HDC hdc = ::GetDC(nullptr);
        {
            Gdiplus::Image image(ToWide(picture.c_str()));
            Gdiplus::Graphics graphics(hdc);
            graphics.DrawImage(&image, fit.nDrawX, fit.nDrawY, w, h);
        }
        ::ReleaseDC(nullptr, hdc);
    });
    printf("full screen on %s (%d x %d), drawn %d x %d:\n", picture.c_str(), g_nImageWidth, g_nImageHeight, w, h);
    printf("  F11 to the full-screen picture painted:   %8.3f s (median of 3)\n", enter);
    printf("  Esc to the frame painted again:           %8.3f s (median of 3)\n", leave);
    printf("  bare GDI+ decode and draw at screen size: %8.3f s\n", bare);
    printf("  ratio F11 / bare:                         %8.2f\n", enter / bare);
}
