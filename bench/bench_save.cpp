// Prints how long Save As takes for the corpus's largest decodable JPEG, to PNG and to JPEG,
// beside the bare GDI+ load and save of the same picture in the same run; then how close
// photographs saved as GIF come to themselves (MORVANE_BENCH_ONLY=gif: that part alone).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "view/GifPalette.h"
#include "view/ImageExport.h"

namespace {
void BareSave(const std::wstring& source, const std::wstring& target, const CLSID& clsid) {
    Gdiplus::Image image(source.c_str());
    image.Save(target.c_str(), &clsid, nullptr);
}
std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// Save As GIF of corpus photographs: the time, and the PSNR of what the GIF decodes to against
// what the original decodes to; then the palette reduction alone on the largest photograph.
void BenchGif(CNorvelView* view, const std::string& folder) {
    const char* photos[] = {"png/coffee.png",      "tiff/kodim02-lzw.tif",      "jpeg/tower_progressive.jpg",
                            "png/yellow_rose.png", "large/Altai-5120x2880.png", "large/Honeywave-5120x2880.jpg"};
    printf("Save As GIF of photographs: PSNR of the GIF against the original\n");
    for (const char* rel : photos) {
        std::string source = CorpusPath(rel), target = folder + "photo.gif";
        std::vector<UINT> original, saved;
        UINT w = 0, h = 0, w2 = 0, h2 = 0;
        if (!ReadPixels(source, &original, &w, &h)) {
            printf("%-32s cannot be read\n", rel);
            continue;
        }
        double t0 = Seconds();
        view->SaveChosenFile(source.c_str(), target.c_str());
        double t = Seconds() - t0;
        if (!ReadPixels(target, &saved, &w2, &h2) || w2 != w || h2 != h) {
            printf("%-32s %5u x %-5u no GIF written\n", rel, w, h);
            continue;
        }
        printf("%-32s %5u x %-5u PSNR %6.2f dB   Save As %7.3f s\n", rel, w, h, Psnr(original, saved), t);
    }
    const std::string largest = CorpusPath("large/Honeywave-5120x2880.jpg");
    Gdiplus::GpImage* pImage = nullptr;
    if (Gdiplus::DllExports::GdipLoadImageFromFile(Wide(largest).c_str(), &pImage) != Gdiplus::Ok)
        return;
    double tReduce = Median(3, [&] {
        Gdiplus::GpBitmap* pIndexed = CreatePaletteBitmap(pImage);
        if (pIndexed)
            Gdiplus::DllExports::GdipDisposeImage(pIndexed);
    });
    Gdiplus::DllExports::GdipDisposeImage(pImage);
    printf("palette and error diffusion of large/Honeywave-5120x2880.jpg alone, median of 3: %7.3f s\n", tReduce);
}
}  // namespace

int main() {
    RunningApp run;  // the program's own start-up, GDI+ included
    if (!run.started())
        return 1;
    CNorvelView* view = run.view();
    const std::string source = CorpusPath("large/Honeywave-5120x2880.jpg");
    const std::string folder = MakeTempFolder("benchsave");
    const char* only = getenv("MORVANE_BENCH_ONLY");
    if (only && strcmp(only, "gif") == 0) {
        BenchGif(view, folder);
        return 0;
    }
    const int kRuns = 3;
    printf("Save As of %s (5120 x 2880), median of %d runs\n", "large/Honeywave-5120x2880.jpg", kRuns);
    struct {
        const char* name;
        const char* ext;
        const wchar_t* mime;
    } formats[] = {{"PNG", "png", L"image/png"}, {"JPEG", "jpg", L"image/jpeg"}};
    for (const auto& f : formats) {
        CLSID clsid;
        if (!FindEncoderByMimeType(f.mime, &clsid))
            return 2;
        std::string ours = folder + "ours." + f.ext, bare = folder + "bare." + f.ext;
        view->SaveChosenFile(source.c_str(), ours.c_str());  // warm-up: file cache, codec set-up
        double tOurs = Median(kRuns, [&] { view->SaveChosenFile(source.c_str(), ours.c_str()); });
        double tBare = Median(kRuns, [&] { BareSave(Wide(source), Wide(bare), clsid); });
        printf("Save As to %-4s %8.3f s   bare GDI+ load and save %8.3f s   ratio %5.2f\n", f.name, tOurs, tBare,
               tOurs / tBare);
    }
    BenchGif(view, folder);
    return 0;
}
