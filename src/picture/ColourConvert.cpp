#include "picture/ColourConvert.h"

// The library's own build gives its functions the calling convention of its DLL build, __stdcall,
// even in the static library: declared the same way here, or the 32-bit names do not match.
#ifndef CMS_DLL_BUILD
#define CMS_DLL_BUILD 1
#endif
#include <lcms2.h>

#include <string.h>

#include <memory>

namespace {
struct CProfileCloser {
    void operator()(void* h) const { cmsCloseProfile(h); }
};
using ProfilePtr = std::unique_ptr<void, CProfileCloser>;
struct CTransformDeleter {
    void operator()(void* h) const { cmsDeleteTransform(h); }
};
using TransformPtr = std::unique_ptr<void, CTransformDeleter>;

ProfilePtr OpenProfile(const std::vector<uint8_t>& icc) {
    if (icc.empty())
        return ProfilePtr(cmsCreate_sRGBProfile());
    return ProfilePtr(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
}

// The input format of pixels held as B, G, R, A for a source of this colour space; 0 when the
// space is none that such pixels can stand for.
cmsUInt32Number InputFormatFor(cmsColorSpaceSignature space) {
    if (space == cmsSigRgbData)
        return TYPE_BGRA_8;
    if (space == cmsSigGrayData)
        return TYPE_GRAY_8;  // fed one channel of the grey pixels
    return 0;
}

TransformPtr MakeTransform(const std::vector<uint8_t>& source,
                           const std::vector<uint8_t>& target,
                           cmsUInt32Number* pInput) {
    ProfilePtr in = OpenProfile(source), out = OpenProfile(target);
    if (!in || !out || cmsGetColorSpace(out.get()) != cmsSigRgbData)
        return TransformPtr();
    *pInput = InputFormatFor(cmsGetColorSpace(in.get()));
    if (*pInput == 0)
        return TransformPtr();
    const cmsUInt32Number nFlags = *pInput == TYPE_BGRA_8 ? cmsFLAGS_COPY_ALPHA : 0;
    return TransformPtr(cmsCreateTransform(in.get(), *pInput, out.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL, nFlags));
}

bool Transform(void* hTransform, cmsUInt32Number nInput, uint8_t* pRows, int nStride, UINT nWidth, UINT nHeight) {
    std::vector<uint8_t> grey(nInput == TYPE_GRAY_8 ? nWidth : 0);
    for (UINT y = 0; y < nHeight; ++y) {
        uint8_t* row = pRows + static_cast<ptrdiff_t>(y) * nStride;
        if (nInput == TYPE_GRAY_8) {
            for (UINT x = 0; x < nWidth; ++x)
                grey[x] = row[4 * x + 1];
            std::vector<uint8_t> alpha(nWidth);
            for (UINT x = 0; x < nWidth; ++x)
                alpha[x] = row[4 * x + 3];
            cmsDoTransform(hTransform, grey.data(), row, nWidth);
            for (UINT x = 0; x < nWidth; ++x)
                row[4 * x + 3] = alpha[x];
        } else {
            cmsDoTransform(hTransform, row, row, nWidth);
        }
    }
    return true;
}
}  // namespace

std::vector<uint8_t> DisplayProfile() {
    std::vector<uint8_t> icc;
    HDC hdc = ::GetDC(nullptr);
    if (!hdc)
        return icc;
    char szPath[MAX_PATH] = "";
    DWORD nChars = MAX_PATH;
    const BOOL bNamed = ::GetICMProfileA(hdc, &nChars, szPath);
    ::ReleaseDC(nullptr, hdc);
    if (!bNamed)
        return icc;
    HANDLE hFile = ::CreateFileA(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return icc;
    LARGE_INTEGER size;
    // No display profile comes near this.
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 && size.QuadPart < (16 << 20)) {
        icc.resize(static_cast<size_t>(size.QuadPart));
        DWORD nRead = 0;
        if (!::ReadFile(hFile, icc.data(), static_cast<DWORD>(icc.size()), &nRead, nullptr) || nRead != icc.size())
            icc.clear();
    }
    ::CloseHandle(hFile);
    return icc;
}

bool DrawsAsSrgb(const std::vector<uint8_t>& icc) {
    cmsUInt32Number nInput = 0;
    TransformPtr transform = MakeTransform(icc, std::vector<uint8_t>(), &nInput);
    if (!transform || nInput != TYPE_BGRA_8)
        return false;
    // Every level of each primary and of grey, and a coarse grid of mixtures.
    std::vector<uint8_t> in, out;
    for (int v = 0; v < 256; ++v) {
        const uint8_t c = static_cast<uint8_t>(v);
        const uint8_t px[] = {c, 0, 0, 255, 0, c, 0, 255, 0, 0, c, 255, c, c, c, 255};
        in.insert(in.end(), px, px + sizeof px);
    }
    for (int b = 0; b < 256; b += 51)
        for (int g = 0; g < 256; g += 51)
            for (int r = 0; r < 256; r += 51) {
                const uint8_t px[] = {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 255};
                in.insert(in.end(), px, px + 4);
            }
    out.resize(in.size());
    cmsDoTransform(transform.get(), in.data(), out.data(), static_cast<cmsUInt32Number>(in.size() / 4));
    for (size_t i = 0; i < in.size(); ++i)
        if (in[i] - out[i] > 1 || out[i] - in[i] > 1)
            return false;
    return true;
}

bool ConvertRows(uint8_t* pRows,
                 int nStride,
                 UINT nWidth,
                 UINT nHeight,
                 const std::vector<uint8_t>& source,
                 const std::vector<uint8_t>& target) {
    cmsUInt32Number nInput = 0;
    TransformPtr transform = MakeTransform(source, target, &nInput);
    if (!transform)
        return false;
    return Transform(transform.get(), nInput, pRows, nStride, nWidth, nHeight);
}

bool ConvertCmykRows(uint8_t* pPixels,
                     bool bInverted,
                     UINT nWidth,
                     UINT nHeight,
                     const std::vector<uint8_t>& source,
                     const std::vector<uint8_t>& target) {
    if (source.empty())
        return false;
    ProfilePtr in = OpenProfile(source), out = OpenProfile(target);
    if (!in || !out || cmsGetColorSpace(in.get()) != cmsSigCmykData || cmsGetColorSpace(out.get()) != cmsSigRgbData)
        return false;
    // The engine's finer table: its default one is a few levels off on a steep CMYK profile.
    TransformPtr transform(cmsCreateTransform(in.get(), bInverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, out.get(),
                                              TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_HIGHRESPRECALC));
    if (!transform)
        return false;
    std::vector<uint8_t> row(size_t(nWidth) * 4);
    for (UINT y = 0; y < nHeight; ++y) {
        uint8_t* p = pPixels + size_t(y) * nWidth * 4;
        memcpy(row.data(), p, row.size());
        cmsDoTransform(transform.get(), row.data(), p, nWidth);
        for (UINT x = 0; x < nWidth; ++x)
            p[4 * x + 3] = 255;
    }
    return true;
}

bool ConvertBitmapColours(Gdiplus::GpBitmap** ppBitmap,
                          const std::vector<uint8_t>& source,
                          const std::vector<uint8_t>& target) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    cmsUInt32Number nInput = 0;
    TransformPtr transform = MakeTransform(source, target, &nInput);
    if (!transform)
        return false;
    PixelFormat format = 0;
    UINT w = 0, h = 0;
    if (GdipGetImagePixelFormat(*ppBitmap, &format) != Ok || GdipGetImageWidth(*ppBitmap, &w) != Ok ||
        GdipGetImageHeight(*ppBitmap, &h) != Ok || w == 0 || h == 0)
        return false;
    const bool bInPlace =
        format == PixelFormat24bppRGB || format == PixelFormat32bppRGB || format == PixelFormat32bppARGB;
    GpBitmap* pTarget = *ppBitmap;
    if (!bInPlace && (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB,
                                           *ppBitmap, &pTarget) != Ok ||
                      !pTarget))
        return false;
    GpRect rc(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    BitmapData data = {};
    bool ok =
        GdipBitmapLockBits(pTarget, &rc, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &data) == Ok;
    if (ok) {
        Transform(transform.get(), nInput, static_cast<uint8_t*>(data.Scan0), data.Stride, w, h);
        ok = GdipBitmapUnlockBits(pTarget, &data) == Ok;
    }
    if (pTarget != *ppBitmap) {
        if (!ok) {
            GdipDisposeImage(pTarget);
            return false;
        }
        GdipDisposeImage(*ppBitmap);
        *ppBitmap = pTarget;
    }
    return ok;
}
