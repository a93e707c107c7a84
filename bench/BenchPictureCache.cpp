// The kept picture against decoding on every paint: a repaint of the fitted picture (in the
// process and as a user causes it, the window uncovered and painted through the message loop),
// drag steps at 100 %, 400 % and 1600 % (the first after a pause, the median and the slowest),
// Next to a picture not seen yet (after a pause and pressed repeatedly), a scanned 1-bit page,
// and the identity check alone, each beside the bare GDI+ decode and draw of the same rectangle.
#include <stdio.h>

#include <string>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "res/resource.h"
#include "picture/PictureCache.h"
#include "picture/PicturePreload.h"
#include "view/ImageExport.h"
#include "view/NorvelView.h"

namespace {
// The view's picture kept between paints, or decoded for every paint (the comparison): a cache
// of that kind in place of the view's own.
void KeepPictures(CNorvelView* view, bool bKeep) {
    if (view->m_pPicture->KeepsPictures() == bKeep)
        return;
    view->m_pPicture.reset(new CPictureCache(bKeep));
    view->m_pPicture->SetPreload(view->m_pPreload.get());
}
// What a repaint through the message loop did: its time up to the end of the last paint, and
// the paints the view and all windows received.
struct LoopRepaint {
    double dSeconds;
    int nViewPaints;
    int nPaints;
};

// Dispatches messages until the queue has been quiet for nQuietMs; the time runs from t0 to the
// end of the last paint seen.
LoopRepaint PumpUntilQuiet(HWND hView, double t0, DWORD nQuietMs) {
    LoopRepaint r = {0, 0, 0};
    double tLast = t0;
    DWORD nQuietSince = GetTickCount();
    while (GetTickCount() - nQuietSince < nQuietMs) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (!AfxGetApp()->PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (msg.message == WM_PAINT) {
            ++r.nPaints;
            if (msg.hwnd == hView)
                ++r.nViewPaints;
            tLast = Seconds();
        }
        nQuietSince = GetTickCount();
    }
    r.dSeconds = tLast - t0;
    return r;
}

// The frame covered by a window of another size and uncovered again: the time from the
// uncovering until every window has painted.
LoopRepaint Uncover(CFrameWnd* pFrame, HWND hView) {
    CRect rc;
    pFrame->GetWindowRect(&rc);
    HWND hCover =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, rc.left, rc.top,
                        rc.Width(), rc.Height(), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpUntilQuiet(hView, Seconds(), 150);
    double t0 = Seconds();
    DestroyWindow(hCover);
    return PumpUntilQuiet(hView, t0, 300);
}

// Invalidated as Windows does for any reason (erase included), painted through the loop.
LoopRepaint InvalidateAndLoop(HWND hView) {
    double t0 = Seconds();
    InvalidateRect(hView, nullptr, TRUE);
    return PumpUntilQuiet(hView, t0, 150);
}

double MedianLoop(int runs, const std::function<LoopRepaint()>& f, int* pViewPaints, int* pPaints) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        LoopRepaint r = f();
        t.push_back(r.dSeconds);
        *pViewPaints = r.nViewPaints;
        *pPaints = r.nPaints;
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The bare platform work for one picture: decode the file and draw it into the rectangle.
double BareDecodeAndDraw(HWND hView, const std::string& path, int x, int y, int w, int h, int runs) {
    return Median(runs, [&] {
        HDC hdc = GetDC(hView);
        {
            Gdiplus::Image image(ToWide(path.c_str()));
            Gdiplus::Graphics graphics(hdc);
            graphics.DrawImage(&image, x, y, w, h);
        }
        ReleaseDC(hView, hdc);
    });
}

void Line(const char* what, double t, double bare, const char* target) {
    printf("  %-44s %8.4f s   bare %8.4f s   ratio %7.4f   (target %s)\n", what, t, bare, t / bare, target);
}

// A user who looks at the window for as long as one bare decode and draw takes: the program
// waits in its message loop meanwhile.
void Pause(double bare) {
    const double tEnd = Seconds() + bare;
    while (Seconds() < tEnd) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (!AfxGetApp()->PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void BenchPicture(RunningApp& run, const std::string& picture, const char* repaintTarget) {
    CNorvelView* view = run.view();
    CFrameWnd* frame = run.frame();
    HWND hView = view->m_hWnd, hFrame = frame->m_hWnd;
    CNorvelApp& app = run.app();

    // Shown as Open leaves it: fitted, Auto Zoom.
    app.m_bImageLoaded = 1;
    app.m_bRegionCaptured = app.m_bObjectCaptured = app.m_bScreenCaptured = 0;
    app.m_bPanX = app.m_bPanY = 0;
    g_bManualZoom = 0;
    view->m_bEnableZoomIn = view->m_bEnableZoomOut = 1;
    g_strFilePath = picture.c_str();
    KeepPictures(view, 1);
    view->Invalidate(TRUE);
    view->UpdateWindow();
    if (g_nImageWidth == 0) {
        printf("cannot read %s\n", picture.c_str());
        return;
    }
    const int fx = g_nDrawX, fy = g_nDrawY;
    const int fw = static_cast<int>(g_nImageWidth * g_dZoom), fh = static_cast<int>(g_nImageHeight * g_dZoom);
    printf("%s (%d x %d), fitted at %.4f into %d x %d\n", picture.c_str(), g_nImageWidth, g_nImageHeight, g_dZoom,
           g_nClientWidth, g_nClientHeight);

    const double bareFit = BareDecodeAndDraw(hView, picture, fx, fy, fw, fh, 5);
    printf("  bare GDI+ decode and draw of the fitted rectangle: %.4f s\n", bareFit);

    // Repaint of the fitted picture, kept and not kept.
    for (int nKept = 1; nKept >= 0; --nKept) {
        KeepPictures(view, nKept);
        const char* how = nKept ? "kept" : "decoded every paint";
        view->Invalidate(TRUE);
        view->UpdateWindow();
        double paint = Median(nKept ? 15 : 3, [&] {
            view->Invalidate(TRUE);
            view->UpdateWindow();
        });
        int nView = 0, nAll = 0;
        double loop = MedianLoop(
            nKept ? 9 : 3, [&] { return InvalidateAndLoop(hView); }, &nView, &nAll);
        int nViewU = 0, nAllU = 0;
        double uncover = MedianLoop(
            nKept ? 5 : 3, [&] { return Uncover(frame, hView); }, &nViewU, &nAllU);
        printf(" repaint of the fitted picture, %s:\n", how);
        Line("Invalidate + UpdateWindow", paint, bareFit, nKept ? repaintTarget : "-");
        Line("invalidated, painted through the loop", loop, bareFit, nKept ? repaintTarget : "-");
        printf("    (view paints %d, all paints %d)\n", nView, nAll);
        Line("uncovered, painted through the loop", uncover, bareFit, nKept ? repaintTarget : "-");
        printf("    (view paints %d, all paints %d)\n", nViewU, nAllU);
    }
    KeepPictures(view, 1);

    // Drag steps at 100 %, 400 % and 1600 %, centred, back and forth by 10 pixels: the first
    // after the zoom's paint and a pause, the median and the slowest (one that has to render its
    // surroundings).
    view->m_bEnableZoomIn = 1;
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_ZOOM_100, 0), 0);
    view->UpdateWindow();
    for (int nZoomIns : {0, 2, 2}) {
        for (int i = 0; i < nZoomIns; ++i)
            ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_VIEW_ZOOMIN, 0), 0);
        view->UpdateWindow();
        const int x = g_nClientWidth / 2, y = g_nClientHeight / 2;
        const int dw = static_cast<int>(g_nImageWidth * g_dZoom), dh = static_cast<int>(g_nImageHeight * g_dZoom);
        double steps[2], slowest = 0, first = 0;
        for (int nKept = 1; nKept >= 0; --nKept) {
            KeepPictures(view, nKept);
            ::SendMessageA(hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            int nMoves = 0;
            if (nKept) {
                Pause(bareFit);
                const double t0 = Seconds();
                ::SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 10, y));
                first = Seconds() - t0;
                ++nMoves;
            }
            steps[nKept] = Median(nKept ? 21 : 3, [&] {
                ++nMoves;
                int dx = (nMoves % 2) ? -10 : 10;
                double t0 = Seconds();
                ::SendMessageA(hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
                if (nKept)
                    slowest = std::max(slowest, Seconds() - t0);
            });
            ::SendMessageA(hView, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        }
        KeepPictures(view, 1);
        double bare = BareDecodeAndDraw(hView, picture, g_nDrawX, g_nDrawY, dw, dh, 3);
        printf(" drag step at %.0f %% (%d x %d at %d,%d):\n", g_dZoom * 100, dw, dh, g_nDrawX, g_nDrawY);
        Line("kept picture, first step after a pause", first, bare, "<= 0.05");
        Line("kept picture, median step", steps[1], bare, "<= 0.05");
        Line("kept picture, slowest step", std::max(slowest, first), bare, "<= 0.05");
        Line("decoded every step (as before)", steps[0], bare, "-");
    }
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_AUTOZOOM, 0), 0);
    view->UpdateWindow();
}

// Next between copies of the picture, each step to a file not seen before.
void BenchNext(RunningApp& run, const std::string& picture, const char* ext) {
    CNorvelView* view = run.view();
    const int kCopies = 8;
    std::string folder = MakeTempFolder("benchnext");
    for (int i = 0; i < kCopies; ++i) {
        std::string name = std::string(1, static_cast<char>('a' + i)) + "." + ext;
        std::string bytes;
        {
            HANDLE h = CreateFileA(picture.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            LARGE_INTEGER size;
            GetFileSizeEx(h, &size);
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD n = 0;
            ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
            CloseHandle(h);
        }
        WriteFile(folder + name, bytes);
    }
    view->OpenChosenFile((folder + "a." + ext).c_str(), (std::string("a.") + ext).c_str());
    view->UpdateWindow();

    int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
    const double bare = BareDecodeAndDraw(view->m_hWnd, std::string(g_strFilePath), g_nDrawX, g_nDrawY, w, h, 3);
    const size_t nAtStart = CommittedBytes();
    // Every step goes to another file, so the kept picture never serves it; the step from the
    // last back to the first is no neighbour's.
    auto step = [&] {
        view->StepInList(g_nFileIndex < kCopies - 1 ? +1 : -(kCopies - 1));
        view->UpdateWindow();
    };
    // A user who looks at each picture for as long as a decode takes, then presses Next.
    std::vector<double> paused;
    for (int i = 0; i < kCopies - 1; ++i) {
        Pause(bare);
        double t0 = Seconds();
        step();
        paused.push_back(Seconds() - t0);
    }
    printf("  steps after a pause:");
    for (double t : paused)
        printf(" %.3f", t);
    printf(" s\n");
    std::sort(paused.begin(), paused.end());
    const double next = Median(kCopies - 1, step);
    view->m_pPreload->WaitIdle();
    const size_t nAtRest = CommittedBytes();
    KeepPictures(view, 0);
    const double uncached = Median(3, step);
    KeepPictures(view, 1);
    printf(" Next to a picture not seen yet (%d x %d):\n", g_nImageWidth, g_nImageHeight);
    Line("after a pause of one decode (decoded ahead)", paused[paused.size() / 2], bare, "<= 0.05");
    Line("after a pause of one decode, slowest", paused.back(), bare, "-");
    Line("pressed repeatedly", next, bare, "<= 0.3");
    Line("decoded for the measure and the paint", uncached, bare, "-");
    printf("  memory at rest: %.1f MB committed, %.1f MB more than before the steps (ceiling %.0f MB)\n",
           nAtRest / 1048576.0, (static_cast<double>(nAtRest) - nAtStart) / 1048576.0,
           CPictureCache::kDefaultCeiling / 1048576.0);
}

// A scanned page of 2480 x 3508 pixels (A4 at 300 dpi) at 1 bit per pixel: lines of "text"
// in margins, saved by GDI+ as TIFF into a folder of the run's own. "" when it cannot be made.
std::string MakeScannedPage() {
    const int W = 2480, H = 3508;
    Gdiplus::Bitmap page(W, H, PixelFormat1bppIndexed);
    Gdiplus::Rect rc(0, 0, W, H);
    Gdiplus::BitmapData data;
    if (page.LockBits(&rc, Gdiplus::ImageLockModeWrite, PixelFormat1bppIndexed, &data) != Gdiplus::Ok)
        return "";
    for (int y = 0; y < H; ++y) {
        BYTE* row = static_cast<BYTE*>(data.Scan0) + static_cast<INT_PTR>(y) * data.Stride;
        for (int x = 0; x < W; ++x) {
            // Index 1 (white) but for strokes of letters on every third band of 40 rows.
            const bool bText = x > 200 && x < W - 200 && y > 250 && y < H - 250 && (y / 40) % 3 == 0 &&
                               ((x / 3 + y / 5) % 7 < 2 || (x / 23) % 5 == 0) && (x / 180) % 6 != 5;
            if (bText)
                row[x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
            else
                row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    page.UnlockBits(&data);
    CLSID tiff;
    const std::string path = MakeTempFolder("benchscan") + "page.tif";
    if (!FindEncoderByMimeType(L"image/tiff", &tiff) || page.Save(ToWide(path.c_str()), &tiff, nullptr) != Gdiplus::Ok)
        return "";
    Gdiplus::Image saved(ToWide(path.c_str()));
    printf("scanned page made: %u x %u at %u bits per pixel\n", saved.GetWidth(), saved.GetHeight(),
           (static_cast<UINT>(saved.GetPixelFormat()) >> 8) & 0xFF);
    return path;
}
}  // namespace

void BenchPictureCache(RunningApp& run) {
    const std::string jpeg = CorpusPath("large/Honeywave-5120x2880.jpg");
    const std::string png = CorpusPath("large/Patak-5120x2880.png");
    printf("\n== kept picture ==\n");
    BenchPicture(run, jpeg, "<= 0.1");
    BenchNext(run, jpeg, "jpg");
    BenchPicture(run, png, "<= 0.1");
    BenchNext(run, png, "png");
    // Pictures of 1 bit per pixel: a small one of the corpus and a scanned page.
    BenchPicture(run, CorpusPath("tiff/sample1.tif"), "<= 0.05");
    const std::string scan = MakeScannedPage();
    if (!scan.empty())
        BenchPicture(run, scan, "<= 0.05");

    FileIdentity id;
    double identity = Median(9, [&] {
        for (int i = 0; i < 100; ++i)
            QueryFileIdentity(jpeg.c_str(), &id);
    });
    printf(" identity check alone (one attribute query):   %8.6f s per paint\n", identity / 100);
}
