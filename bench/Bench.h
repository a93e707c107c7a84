// Timing helpers shared by the benchmark's parts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

class CNorvelView;
class RunningApp;
class CMainFrame;

inline double Seconds() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / freq.QuadPart;
}

// Median wall time of a number of runs, in seconds.
template <class F>
double Median(int runs, F f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        double t0 = Seconds();
        f();
        t.push_back(Seconds() - t0);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Opening in a large folder and stepping between large pictures.
void BenchNavigation(CNorvelView* view);
// The kept picture against decoding every time: repaints, drag steps, Next, identity check.
void BenchPictureCache(RunningApp& run);
// Set as wallpaper (Center) and Print of the largest JPEG beside the bare platform calls.
void BenchWallpaperPrint(CNorvelView* view);
// Opening the largest main-menu popup and the context menu, beside plain copies of them.
void BenchMenus(CMainFrame* frame, CNorvelView* view);
// WebP pictures through the program's load path and drawn, beside libwebp's own decode.
void BenchDecoders(HWND hView);
// The fitted JPEG's PSNR, ours reduced in the DCT and area-averaged beside GDI+'s fitted draw.
void BenchJpegQuality();
// Entering and leaving full screen on a large picture, beside a bare decode-and-draw.
void BenchFullScreen(CMainFrame* frame, CNorvelView* view, const std::string& picture);
