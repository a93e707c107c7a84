#include "picture/DecodedImage.h"

#include <string.h>

std::unique_ptr<Gdiplus::Bitmap> MakeBitmap(const CDecodedImage& image, size_t nFrame) {
    if (nFrame >= image.frames.size() || image.nWidth == 0 || image.nHeight == 0)
        return nullptr;
    const CDecodedFrame& frame = image.frames[nFrame];
    const size_t nStride = static_cast<size_t>(image.nWidth) * 4;
    if (frame.pixels.size() < nStride * image.nHeight || image.nWidth > 0x7fffffff / 4 || image.nHeight > 0x7fffffff)
        return nullptr;
    Gdiplus::PixelFormat format = image.bHasAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB;
    std::unique_ptr<Gdiplus::Bitmap> pBitmap(
        new Gdiplus::Bitmap(static_cast<INT>(image.nWidth), static_cast<INT>(image.nHeight), format));
    if (!pBitmap || pBitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Rect rc(0, 0, static_cast<INT>(image.nWidth), static_cast<INT>(image.nHeight));
    Gdiplus::BitmapData data;
    if (pBitmap->LockBits(&rc, Gdiplus::ImageLockModeWrite, format, &data) != Gdiplus::Ok)
        return nullptr;
    for (UINT y = 0; y < image.nHeight; ++y)
        memcpy(static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
               frame.pixels.data() + nStride * y, nStride);
    pBitmap->UnlockBits(&data);
    return pBitmap;
}
