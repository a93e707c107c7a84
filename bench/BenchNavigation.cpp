// Opening a picture in a folder of 10,000 files, and stepping between large pictures.
#include <stdio.h>

#include <string>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"

namespace {
int BareEnumeration(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*.*").c_str(), &fd);
    int n = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return n;
}
}  // namespace

void BenchNavigation(CNorvelView* view) {
    // A folder of 10,000 files: pictures under the eight patterns and other files between them.
    std::string folder = MakeTempFolder("bench10000");
    static const char* const kExt[] = {"bmp", "jpg", "gif", "txt", "png", "tif", "ico", "dat", "jpg", "emf"};
    const std::string small = MakeBmp(4, 4, [](int, int) { return RGB(200, 10, 10); });
    for (int i = 0; i < 10000; ++i) {
        char name[40];
        snprintf(name, sizeof name, "f%05d.%s", (i * 7919) % 10000, kExt[i % 10]);
        WriteFile(folder + name, small);
    }
    const std::string opened = folder + "f05000.bmp";
    WriteFile(opened, small);

    int nBare = 0;
    double bare = Median(5, [&] { nBare = BareEnumeration(folder); });
    double open = Median(5, [&] {
        // What Open does after the dialog: measure the picture, then list and sort the folder.
        PictureState::Size picture;
        {
            Gdiplus::Image image(ToWide(opened.c_str()));
            picture = {static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight())};
        }
        CStringArray listing;
        CNorvelView::ListFolder(opened.c_str(), "f05000.bmp", listing);
        PictureState::Opened(AppFlags(), *view, opened.c_str(), "f05000.bmp", picture, listing);
    });
    printf("folder of %d files, %d pictures listed\n", nBare - 2, g_fileList.GetSize());
    printf("open: measure, list and sort:              %8.3f s\n", open);
    printf("bare enumeration of the same folder:       %8.3f s\n", bare);
    printf("ratio open / bare:                         %8.2f\n", open / bare);

    // Two copies of the largest decodable JPEG; each step measures and paints the next one.
    std::string pair = MakeTempFolder("benchpair");
    CopyCorpusFile("large/Honeywave-5120x2880.jpg", pair, "a.jpg");
    CopyCorpusFile("large/Honeywave-5120x2880.jpg", pair, "b.jpg");
    view->OpenChosenFile((pair + "a.jpg").c_str(), "a.jpg");
    view->UpdateWindow();
    double step = Median(5, [&] {
        view->StepInList(g_nFileIndex == 0 ? +1 : -1);
        view->UpdateWindow();
    });
    int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
    double bareStep = Median(5, [&] {
        HDC hdc = GetDC(view->m_hWnd);
        {
            Gdiplus::Image measured(ToWide(g_strFilePath));
            Gdiplus::Image image(ToWide(g_strFilePath));
            Gdiplus::Graphics graphics(hdc);
            graphics.DrawImage(&image, g_nDrawX, g_nDrawY, w, h);
        }
        ReleaseDC(view->m_hWnd, hdc);
    });
    printf("Previous/Next between two %d x %d JPEGs:   %8.3f s\n", g_nImageWidth, g_nImageHeight, step);
    printf("bare GDI+ measure, decode and draw:        %8.3f s\n", bareStep);
    printf("ratio step / bare:                         %8.2f\n", step / bareStep);
}
