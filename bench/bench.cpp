// Prints how long the program takes to start, to paint a large picture and to take one step of
// dragging it at 100 % and 400 %, beside the bare platform work for the same result measured in
// the same run.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Bench.h"
#include "TestUtil.h"
#include "res/resource.h"
#include "framework/GdiPlus.h"

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
    // MORVANE_BENCH_ONLY=cache: the kept picture's figures alone; =decoders: our own decoders';
    // =jpeg: the fitted JPEG's quality.
    const char* only = getenv("MORVANE_BENCH_ONLY");
    if (only && strcmp(only, "cache") == 0) {
        BenchPictureCache(run);
        return 0;
    }
    if (only && strcmp(only, "jpeg") == 0) {
        BenchJpegQuality();
        return 0;
    }
    if (only && strcmp(only, "decoders") == 0) {
        BenchDecoders(run.view()->m_hWnd);
        return 0;
    }
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

    // Dragging: each mouse move of a drag decodes the file and draws it at the new origin.
    HWND hFrame = run.frame()->m_hWnd, hView = view->m_hWnd;
    view->m_bEnableZoomIn = 1;  // as Open leaves it
    run.frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_ZOOM_100, 0), 0);
    view->UpdateWindow();
    for (int nZoomIns = 0; nZoomIns <= 2; nZoomIns += 2) {
        for (int i = 0; i < nZoomIns; ++i)
            ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOMIN, 0), 0);
        view->UpdateWindow();
        int x = g_nClientWidth / 2, y = g_nClientHeight / 2;
        ::SendMessageA(hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        int nMoves = 0;
        double step = Median(3, [&] {
            ++nMoves;
            int dx = (nMoves % 2) ? -10 : 10;  // back and forth, never against an edge
            ::SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
        });
        ::SendMessageA(hView, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        int dw = static_cast<int>(g_nImageWidth * g_dZoom), dh = static_cast<int>(g_nImageHeight * g_dZoom);
        double bareStep = Median(3, [&] {
            HDC hdc = GetDC(hView);
            {
                Gdiplus::Image image(ToWide(picture.c_str()));
                Gdiplus::Graphics graphics(hdc);
                graphics.DrawImage(&image, g_nDrawX, g_nDrawY, dw, dh);
            }
            ReleaseDC(hView, hdc);
        });
        printf("drag step at %4.0f %% (%d x %d at %d,%d):\n", g_dZoom * 100, dw, dh, g_nDrawX, g_nDrawY);
        printf("  one drag step in the view (decode, draw): %8.3f s\n", step);
        printf("  bare GDI+ decode and draw, same rectangle:%8.3f s\n", bareStep);
        printf("  ratio view / bare:                        %8.2f\n", step / bareStep);
    }

    BenchNavigation(view);
    BenchWallpaperPrint(view);
    BenchMenus(run.frame(), view);
    BenchFullScreen(run.frame(), view, picture);
    BenchPictureCache(run);
    BenchDecoders(view->m_hWnd);
    BenchJpegQuality();
    return 0;
}
