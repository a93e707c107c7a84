// Our own decoders: the program's decode and draw of WebP pictures (its load path, drawn fitted
// into the view) beside the library's own decode of the same file, in the same run.
#include <stdio.h>

#include <string>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "picture/Picture.h"

namespace {
std::string FileBytes(const std::string& path) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

// libwebp alone: every frame composed (the animation decoder), or the one still picture.
int LibraryDecode(const std::string& bytes) {
    const WebPData data = {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    WebPAnimDecoder* pDecoder = WebPAnimDecoderNew(&data, &options);
    int nFrames = 0;
    while (pDecoder && WebPAnimDecoderHasMoreFrames(pDecoder)) {
        uint8_t* pCanvas = nullptr;
        int nTimestamp = 0;
        if (!WebPAnimDecoderGetNext(pDecoder, &pCanvas, &nTimestamp))
            break;
        ++nFrames;
    }
    WebPAnimDecoderDelete(pDecoder);
    return nFrames;
}
}  // namespace

void BenchDecoders(HWND hView) {
    RECT rc;
    GetClientRect(hView, &rc);
    for (const char* rel : {"webp/blue-purple-pink-large.normal-filter.lossy.webp", "webp/tux.lossless.webp",
                            "webp/yellow_rose.lossy-with-alpha.webp", "webp/anim-aero.webp"}) {
        const std::string path = CorpusPath(rel), bytes = FileBytes(path);
        int nFrames = 0;
        const double library = Median(5, [&] { nFrames = LibraryDecode(bytes); });
        UINT cx = 0, cy = 0;
        const double program = Median(5, [&] {
            CPicture picture = OpenPicture(path.c_str());
            Gdiplus::Image* pImage = picture.Image();
            if (!pImage)
                return;
            cx = pImage->GetWidth();
            cy = pImage->GetHeight();
            HDC hdc = GetDC(hView);
            {
                Gdiplus::Graphics graphics(hdc);
                const double k = std::min(1.0, std::min(double(rc.right) / cx, double(rc.bottom) / cy));
                graphics.DrawImage(pImage, 0, 0, static_cast<INT>(cx * k), static_cast<INT>(cy * k));
            }
            ReleaseDC(hView, hdc);
        });
        printf("%s (%u x %u, %d frame%s):\n", rel, cx, cy, nFrames, nFrames == 1 ? "" : "s");
        printf("  program: decode (every frame) and draw:   %8.4f s (median of 5)\n", program);
        printf("  libwebp alone: decode of every frame:     %8.4f s\n", library);
        printf("  ratio program / library:                  %8.2f\n", program / library);
    }
}
