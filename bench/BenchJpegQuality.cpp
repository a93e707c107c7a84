// The fitted JPEG's quality: for every JPEG of the corpus fitted into 1000 x 700, the PSNR of
// (a) our decode reduced in the DCT and area-averaged to the fitted size and (b) GDI+'s own fitted
// DrawImage at its default interpolation, each against the area-averaged reduction of the whole
// picture, all made upright and in the display's colours as the program shows them. Then the time
// of a region in view at 100 % of a large JPEG beside its whole decode.
#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "TestUtil.h"
#include "framework/GdiPlus.h"
#include "picture/DecodedImage.h"
#include "picture/JpegCodec.h"
#include "picture/ShownRight.h"

namespace {
const UINT kFitWidth = 1000, kFitHeight = 700;

// The bitmap's pixels as a frame of BGRA bytes.
CDecodedFrame FrameOf(Gdiplus::Bitmap* pBitmap) {
    CDecodedFrame frame;
    const UINT cx = pBitmap->GetWidth(), cy = pBitmap->GetHeight();
    frame.pixels.resize(size_t(cx) * cy * 4);
    Gdiplus::BitmapData data = {};
    data.Width = cx;
    data.Height = cy;
    data.Stride = INT(cx * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = frame.pixels.data();
    Gdiplus::Rect rc(0, 0, INT(cx), INT(cy));
    if (pBitmap->LockBits(&rc, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                          &data) == Gdiplus::Ok)
        pBitmap->UnlockBits(&data);
    else
        frame.pixels.clear();
    return frame;
}

std::vector<UINT> Argb(const CDecodedFrame& frame) {
    std::vector<UINT> argb(frame.pixels.size() / 4);
    memcpy(argb.data(), frame.pixels.data(), argb.size() * 4);
    return argb;
}

// Our decode at 1/nScale, upright and in the display's colours, as a frame of its size.
bool OursShown(const std::string& bytes, int nScale, CDecodedFrame* pFrame, UINT* pcx, UINT* pcy) {
    CDecodedImage image;
    if (DecodeJpeg(bytes.data(), bytes.size(), nScale, &image) != JpegDecode::Decoded)
        return false;
    std::unique_ptr<Gdiplus::Bitmap> pBitmap = MakeBitmap(image);
    if (!pBitmap)
        return false;
    CShowingInfo info;
    info.nOrientation = image.nOrientation;
    info.icc = image.icc;
    MakeShownRight(&pBitmap, info);
    *pcx = pBitmap->GetWidth();
    *pcy = pBitmap->GetHeight();
    *pFrame = FrameOf(pBitmap.get());
    return !pFrame->pixels.empty();
}

// The size the view fits an upright picture of cx x cy into kFitWidth x kFitHeight.
void FittedSize(UINT cx, UINT cy, UINT* pWidth, UINT* pHeight) {
    double k = 1.0;
    if (cx > kFitWidth || cy > kFitHeight)
        k = std::min(double(kFitWidth) / cx, double(kFitHeight) / cy);
    *pWidth = std::max(1u, static_cast<UINT>(cx * k));
    *pHeight = std::max(1u, static_cast<UINT>(cy * k));
}

// One file's row; true when (a) is at least (b).
bool Row(const std::string& path) {
    const std::string bytes = ReadAll(path);
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    JpegInfo info;
    if (!ReadJpegInfo(bytes.data(), bytes.size(), &info)) {
        printf("  %-44s not read\n", name.c_str());
        return false;
    }
    // The reference: the whole picture, area-averaged to the fitted size.
    CDecodedFrame whole;
    UINT cx = 0, cy = 0;
    if (!OursShown(bytes, 1, &whole, &cx, &cy)) {
        printf("  %-44s not decoded whole\n", name.c_str());
        return false;
    }
    UINT fw = 0, fh = 0;
    FittedSize(cx, cy, &fw, &fh);
    CDecodedFrame reference;
    AreaDownscale(whole, cx, cy, fw, fh, &reference);
    whole.pixels = std::vector<uint8_t>();

    // (a) Reduced in the DCT to the smallest scale at least the fitted size, then area-averaged.
    const bool bTurned = cx != info.nWidth;
    int nScale = 1;
    CDecodedFrame ours;
    const double dOursTime = Median(3, [&] {
        nScale =
            bTurned ? JpegScaleFor(info.nWidth, info.nHeight, fh, fw) : JpegScaleFor(info.nWidth, info.nHeight, fw, fh);
        CDecodedFrame reduced;
        UINT rx = 0, ry = 0;
        if (OursShown(bytes, nScale, &reduced, &rx, &ry))
            AreaDownscale(reduced, rx, ry, fw, fh, &ours);
    });

    // (b) GDI+: its decode, made shown right as the program makes it, drawn fitted; and its own
    // whole decode area-averaged, which leaves out how its library's decode differs from ours.
    CDecodedFrame gdiplus, gdiplusReference;
    const double dGdiplusTime = Median(3, [&] {
        IStream* pStream =
            SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
        if (!pStream)
            return;
        {
            std::unique_ptr<Gdiplus::Bitmap> pSource(new Gdiplus::Bitmap(pStream));
            if (pSource->GetLastStatus() == Gdiplus::Ok) {
                MakeShownRight(&pSource, ReadShowingInfo(bytes.data(), bytes.size()));
                if (gdiplusReference.pixels.empty())
                    AreaDownscale(FrameOf(pSource.get()), pSource->GetWidth(), pSource->GetHeight(), fw, fh,
                                  &gdiplusReference);
                Gdiplus::Bitmap target(INT(fw), INT(fh), PixelFormat32bppARGB);
                {
                    Gdiplus::Graphics graphics(&target);
                    graphics.DrawImage(pSource.get(), 0, 0, INT(fw), INT(fh));
                }
                gdiplus = FrameOf(&target);
            }
        }
        pStream->Release();
    });
    const std::vector<UINT> ref = Argb(reference);
    // 99 dB and more: the same pixels.
    const double dOurs = std::min(99.0, Psnr(ref, Argb(ours))), dGdiplus = std::min(99.0, Psnr(ref, Argb(gdiplus)));
    const double dGdiplusOwn = std::min(99.0, Psnr(Argb(gdiplusReference), Argb(gdiplus)));
    const bool bMet = dOurs >= dGdiplus && dOurs >= dGdiplusOwn;
    const char* pszKind = info.bProgressive ? " progressive" : info.bCmyk ? " CMYK" : "";
    printf("  %-44s %5u x %-5u %4u x %-4u 1/%d %7.2f %7.2f %7.2f  %s  %7.3f %7.3f%s\n", name.c_str(), cx, cy, fw, fh,
           nScale, dOurs, dGdiplus, dGdiplusOwn, bMet ? "met" : "NOT", dOursTime, dGdiplusTime, pszKind);
    return bMet;
}
}  // namespace

void BenchJpegQuality() {
    printf("fitted JPEG quality into %u x %u: PSNR in dB against the area-averaged whole picture,\n", kFitWidth,
           kFitHeight);
    printf("(a) ours: reduced in the DCT, area-averaged; (b) GDI+'s fitted DrawImage; (b') the same against GDI+'s\n");
    printf("own whole decode area-averaged; the bar: (a) >= (b) and (b'); seconds of (a) and (b), median of 3\n");
    printf("  %-44s %-13s %-11s %-3s %7s %7s %7s  %4s  %7s %7s\n", "file", "shown size", "fitted", "DCT", "(a)", "(b)",
           "(b')", "bar", "(a) s", "(b) s");
    int nRows = 0, nMet = 0;
    for (const char* folder : {"jpeg", "large", "orientation"})
        for (const std::string& path : CorpusFiles(folder)) {
            std::string ext = path.substr(path.find_last_of('.') + 1);
            for (char& c : ext)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            // The 749-megapixel progressive file: its coefficients alone pass the decoder's
            // working memory, and GDI+'s decode the program's ceiling.
            if ((ext != "jpg" && ext != "jpeg") || path.find("large.jpg") != std::string::npos)
                continue;
            nMet += Row(path);
            ++nRows;
        }
    printf("  bar met for %d of %d files\n", nMet, nRows);

    // A region in view at 100 %: only its rows and blocks decoded, beside the whole decode.
    for (const char* rel : {"large/Honeywave-5120x2880.jpg", "large/Volna-5120x2880.jpg", "large/issue70.jpg"}) {
        const std::string bytes = ReadAll(CorpusPath(rel));
        const RECT rc = {1500, 1200, 1500 + LONG(kFitWidth), 1200 + LONG(kFitHeight)};
        CDecodedImage image;
        const double dRegion = Median(3, [&] { DecodeJpegRegion(bytes.data(), bytes.size(), rc, 1, &image); });
        const double dWhole = Median(3, [&] { DecodeJpeg(bytes.data(), bytes.size(), 1, &image); });
        printf("  %-32s %u x %u region at 100 %%: %7.3f s; the whole decode %7.3f s; ratio %5.2f\n", rel, kFitWidth,
               kFitHeight, dRegion, dWhole, dRegion / dWhole);
    }
}
