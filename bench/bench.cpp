// Prints how long the program takes to start and to paint a large picture, beside the bare
// platform work for the same result measured in the same run.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Bench.h"
#include "TestUtil.h"
#include "view/GdiPlus.h"

namespace {
// From CreateProcess until the frame is shown, painted and the program waits for input.
double StartToFirstPaint(const std::string& exe) {
    return Median(3, [&] {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::string cmd = "\"" + exe + "\"";
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        WaitForInputIdle(pi.hProcess, 120000);
        HWND h = nullptr;
        for (int i = 0; i < 12000 && !(h = FindWindowA(nullptr, "Morvane 1.52")); ++i)
            Sleep(5);
        if (h)
            PostMessageA(h, WM_CLOSE, 0, 0);
        WaitForSingleObject(pi.hProcess, 60000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    });
}
}  // namespace

int main(int argc, char** argv) {
    const std::string picture = CorpusPath("large/Honeywave-5120x2880.jpg");
    if (argc > 1)
        printf("start to first paint of the frame:         %8.3f s\n", StartToFirstPaint(argv[1]));

    RunningApp run;
    if (!run.started())
        return 1;
    CNorvelView* view = run.view();
    run.app().m_bImageLoaded = 1;
    g_strFilePath = picture.c_str();
    view->Invalidate(TRUE);
    view->UpdateWindow();
    if (g_nImageWidth == 0) {
        printf("cannot read %s\n", picture.c_str());
        return 1;
    }
    printf("picture: %s (%d x %d), drawn at %.4f into %d x %d\n", picture.c_str(), g_nImageWidth, g_nImageHeight,
           g_dZoom, g_nClientWidth, g_nClientHeight);

    double viewPaint = Median(5, [&] {
        view->Invalidate(TRUE);
        view->UpdateWindow();
    });
    int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
    double bare = Median(5, [&] {
        HDC hdc = GetDC(view->m_hWnd);
        {
            Gdiplus::Image image(ToWide(picture.c_str()));
            Gdiplus::Graphics graphics(hdc);
            graphics.DrawImage(&image, g_nDrawX, g_nDrawY, w, h);
        }
        ReleaseDC(view->m_hWnd, hdc);
    });
    printf("one paint of the picture in the view:      %8.3f s\n", viewPaint);
    printf("bare GDI+ decode and draw, same rectangle: %8.3f s\n", bare);
    printf("ratio view / bare:                         %8.2f\n", viewPaint / bare);

    BenchNavigation(view);
    return 0;
}
