// Set as wallpaper (Center) and Print of the largest decodable JPEG, each beside the bare
// platform calls that do the same work.
#include <stdio.h>

#include <string>

#include "Bench.h"
#include "TestPrinter.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "res/resource.h"
#include "view/ImageExport.h"

namespace {
BOOL CALLBACK FindPrintDialog(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[32] = "";
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) &&
        strcmp(cls, "#32770") == 0 && GetDlgItem(w, 0x473)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// Presses Print in the print dialog as soon as it shows.
UINT_PTR g_nPressTimer = 0;
void CALLBACK PressPrint(HWND, UINT, UINT_PTR, DWORD) {
    HWND h = nullptr;
    EnumWindows(FindPrintDialog, reinterpret_cast<LPARAM>(&h));
    if (h)
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(h, IDOK)));
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 1200; ++i) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(50);
    }
    return false;
}
}  // namespace

void BenchWallpaperPrint(CNorvelView* view) {
    std::string folder = MakeTempFolder("benchoutput");
    CopyCorpusFile("large/Honeywave-5120x2880.jpg", folder, "big.jpg");
    std::string path = folder + "big.jpg";
    view->OpenChosenFile(path.c_str(), "big.jpg");
    view->UpdateWindow();
    HWND hFrame = AfxGetMainWnd()->m_hWnd;

    double center = Median(3, [&] { ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_WALLPAPER_CENTER, 0), 0); });
    double bare = Median(3, [&] {
        ExportPicture(path.c_str(), kCaptureFile, L"image/bmp");
        char buf[260];
        lstrcpynA(buf, kCaptureFile, sizeof buf);
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buf, SPIF_SENDWININICHANGE);
    });
    ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_WALLPAPER_NONE, 0), 0);
    printf("wallpaper Center of %d x %d, end to end:    %8.3f s\n", g_nImageWidth, g_nImageHeight, center);
    printf("bare export to bitmap and system call:     %8.3f s\n", bare);
    printf("ratio Center / bare:                       %8.2f\n", center / bare);

    std::string error;
    if (!EnsureTestPrinter(&error)) {
        printf("print: no test printer (%s)\n", error.c_str());
        return;
    }
    // Both jobs go to the same printer, whose port keeps the PostScript and renders it.
    double print = Median(3, [&] {
        ClearTestPrinterOutput();
        g_nPressTimer = SetTimer(nullptr, 0, 10, PressPrint);
        ::SendMessageA(hFrame, WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT, 0), 0);
        KillTimer(nullptr, g_nPressTimer);
        WaitForFile(TestPrinterPixelsPath());
    });
    int dw = static_cast<int>(g_nImageWidth * g_dZoom), dh = static_cast<int>(g_nImageHeight * g_dZoom);
    double barePrint = Median(3, [&] {
        ClearTestPrinterOutput();
        HDC hdc = CreateDCA(nullptr, "Morvane Test Printer", nullptr, nullptr);
        DOCINFOA di = {};
        di.cbSize = sizeof di;
        di.lpszDocName = "Morvane";
        StartDocA(hdc, &di);
        StartPage(hdc);
        {
            Gdiplus::Image image(ToWide(path.c_str()));
            Gdiplus::Graphics graphics(hdc);
            graphics.SetPageUnit(Gdiplus::UnitPixel);
            graphics.ScaleTransform(300.0f / 96, 300.0f / 96);
            graphics.DrawImage(&image, g_nDrawX, g_nDrawY, dw, dh);
        }
        EndPage(hdc);
        EndDoc(hdc);
        DeleteDC(hdc);
        WaitForFile(TestPrinterPixelsPath());
    });
    printf("Print of it (dialog pressed at once), job rendered: %8.3f s\n", print);
    printf("bare StartDoc .. DrawImage .. EndDoc, same printer: %8.3f s\n", barePrint);
    printf("ratio Print / bare:                                 %8.2f\n", print / barePrint);
}
