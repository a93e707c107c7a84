#include "picture/ShownRight.h"

#include "framework/AfxFile.h"

#include <string.h>

#include "picture/ColourConvert.h"
#include "picture/Inflate.h"

namespace {
// No real profile comes near this; a file claiming more is taken to have none.
const size_t kMaxProfileBytes = 16u << 20;

uint16_t U16(const uint8_t* p, bool bLittle) {
    return static_cast<uint16_t>(bLittle ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]);
}

uint32_t U32(const uint8_t* p, bool bLittle) {
    return bLittle ? static_cast<uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24)
                   : (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The first directory of a TIFF structure (a TIFF file, or the EXIF block of a JPEG or WebP):
// its orientation, and its profile when asked for (EXIF blocks carry none).
void ReadTiffDirectory(const uint8_t* p, size_t n, bool bProfile, CShowingInfo* pInfo) {
    if (n < 8)
        return;
    bool bLittle;
    if (p[0] == 'I' && p[1] == 'I')
        bLittle = true;
    else if (p[0] == 'M' && p[1] == 'M')
        bLittle = false;
    else
        return;
    if (U16(p + 2, bLittle) != 42)
        return;
    const uint32_t nDir = U32(p + 4, bLittle);
    if (nDir > n - 2)
        return;
    const unsigned nEntries = U16(p + nDir, bLittle);
    size_t pos = nDir + 2;
    for (unsigned i = 0; i < nEntries && n - pos >= 12; ++i, pos += 12) {
        const uint16_t nTag = U16(p + pos, bLittle), nType = U16(p + pos + 2, bLittle);
        const uint32_t nCount = U32(p + pos + 4, bLittle);
        if (nTag == 0x0112 && (nType == 3 || nType == 4 || nType == 9) && nCount >= 1) {
            // A short (as the standard has it) or a long, both at the start of the value field.
            const uint32_t v = nType == 3 ? U16(p + pos + 8, bLittle) : U32(p + pos + 8, bLittle);
            if (v >= 1 && v <= 8)
                pInfo->nOrientation = static_cast<int>(v);
        } else if (nTag == 0x8773 && bProfile && (nType == 7 || nType == 1) && nCount > 4 &&
                   nCount <= kMaxProfileBytes) {
            const uint32_t nOffset = U32(p + pos + 8, bLittle);
            if (nCount <= n && nOffset <= n - nCount)
                pInfo->icc.assign(p + nOffset, p + nOffset + nCount);
        }
    }
}

// JPEG: the first EXIF block (APP1) and the profile in its numbered APP2 pieces, all before the
// first scan.
void ReadJpeg(const uint8_t* p, size_t n, CShowingInfo* pInfo) {
    std::vector<std::vector<uint8_t>> pieces;
    bool bExif = false;
    size_t pos = 2;
    while (n - pos >= 4 && p[pos] == 0xFF) {
        const uint8_t nMarker = p[pos + 1];
        if (nMarker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD8)) {  // without a length
            pos += 2;
            continue;
        }
        if (nMarker == 0xD9 || nMarker == 0xDA)
            break;
        const size_t nLen = U16(p + pos + 2, false);
        if (nLen < 2 || nLen > n - pos - 2)
            break;
        const uint8_t* seg = p + pos + 4;
        const size_t nSeg = nLen - 2;
        if (nMarker == 0xE1 && !bExif && nSeg >= 6 && memcmp(seg, "Exif\0\0", 6) == 0) {
            bExif = true;
            ReadTiffDirectory(seg + 6, nSeg - 6, false, pInfo);
        } else if (nMarker == 0xE2 && nSeg > 14 && memcmp(seg, "ICC_PROFILE\0", 12) == 0) {
            const unsigned nSeq = seg[12], nTotal = seg[13];
            if (nTotal == 0 || nSeq == 0 || nSeq > nTotal || (!pieces.empty() && pieces.size() != nTotal))
                return;  // pieces that do not fit together: no profile
            pieces.resize(nTotal);
            if (!pieces[nSeq - 1].empty())
                return;
            pieces[nSeq - 1].assign(seg + 14, seg + nSeg);
        }
        pos += 2 + nLen;
    }
    size_t nTotalBytes = 0;
    for (const auto& piece : pieces) {
        if (piece.empty())
            return;  // a piece missing
        nTotalBytes += piece.size();
    }
    if (nTotalBytes > kMaxProfileBytes)
        return;
    for (const auto& piece : pieces)
        pInfo->icc.insert(pInfo->icc.end(), piece.begin(), piece.end());
}

// PNG: the compressed profile of the iCCP chunk, which comes before the picture's data, and the
// orientation of the eXIf chunk, which writers put before or after it.
void ReadPng(const uint8_t* p, size_t n, CShowingInfo* pInfo) {
    bool bData = false, bExif = false;
    size_t pos = 8;
    while (n - pos >= 12) {
        const uint32_t nLen = U32(p + pos, false);
        const uint8_t* type = p + pos + 4;
        if (nLen > n - pos - 12 || memcmp(type, "IEND", 4) == 0)
            return;
        const uint8_t* data = p + pos + 8;
        if (memcmp(type, "IDAT", 4) == 0) {
            bData = true;
        } else if (memcmp(type, "eXIf", 4) == 0 && !bExif) {
            bExif = true;
            ReadTiffDirectory(data, nLen, false, pInfo);
        } else if (memcmp(type, "iCCP", 4) == 0 && !bData && pInfo->icc.empty()) {
            const uint8_t* pEnd = static_cast<const uint8_t*>(memchr(data, 0, nLen < 80 ? nLen : 80));
            // A name of 1-79 bytes, its terminator, method 0 (zlib), the stream.
            const size_t nHead = pEnd ? static_cast<size_t>(pEnd - data) + 2 : 0;
            if (pEnd && pEnd != data && nHead <= nLen && pEnd[1] == 0 &&
                !InflateZlib(data + nHead, nLen - nHead, kMaxProfileBytes, &pInfo->icc))
                pInfo->icc.clear();
        }
        pos += 12 + nLen;
    }
}

// WebP: the ICCP and EXIF chunks of an extended file.
void ReadWebp(const uint8_t* p, size_t n, CShowingInfo* pInfo) {
    size_t pos = 12;
    while (n - pos >= 8) {
        const uint32_t nLen = U32(p + pos + 4, true);
        if (nLen > n - pos - 8)
            return;
        const uint8_t* data = p + pos + 8;
        if (memcmp(p + pos, "ICCP", 4) == 0 && nLen <= kMaxProfileBytes) {
            pInfo->icc.assign(data, data + nLen);
        } else if (memcmp(p + pos, "EXIF", 4) == 0) {
            // Some writers keep the JPEG block's "Exif" lead-in.
            pInfo->nOrientation = ReadExifOrientation(data, nLen);
        }
        pos += 8 + nLen + (nLen & 1);
    }
}
}  // namespace

int ReadExifOrientation(const void* pData, size_t nBytes) {
    CShowingInfo info;
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    if (!p)
        return 1;
    const size_t nSkip = nBytes >= 6 && memcmp(p, "Exif\0\0", 6) == 0 ? 6 : 0;
    ReadTiffDirectory(p + nSkip, nBytes - nSkip, false, &info);
    return info.nOrientation;
}

CShowingInfo ReadShowingInfo(const void* pData, size_t nBytes) {
    CShowingInfo info;
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    if (!p || nBytes < 12)
        return info;
    if (p[0] == 0xFF && p[1] == 0xD8)
        ReadJpeg(p, nBytes, &info);
    else if (memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0)
        ReadPng(p, nBytes, &info);
    else if (memcmp(p, "II*\0", 4) == 0 || memcmp(p, "MM\0*", 4) == 0)
        ReadTiffDirectory(p, nBytes, true, &info);
    else if (memcmp(p, "RIFF", 4) == 0 && memcmp(p + 8, "WEBP", 4) == 0)
        ReadWebp(p, nBytes, &info);
    // A profile too short for its own header is no profile.
    if (info.icc.size() < 132)
        info.icc.clear();
    return info;
}

CShowingInfo ReadShowingInfoOfFile(const char* pszPath) {
    CShowingInfo info;
    HANDLE hFile =
        ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return info;
    LARGE_INTEGER size;
    // Mapped, not read: only the pages the readers touch come from the disk.
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 && static_cast<ULONGLONG>(size.QuadPart) <= SIZE_MAX) {
        HANDLE hMap = ::CreateFileMappingA(hFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (hMap) {
            const void* pView = ::MapViewOfFile(hMap, FILE_MAP_READ, 0, 0, 0);
            if (pView) {
                info = ReadShowingInfo(pView, static_cast<size_t>(size.QuadPart));
                ::UnmapViewOfFile(pView);
            }
            ::CloseHandle(hMap);
        }
    }
    ::CloseHandle(hFile);
    return info;
}

std::vector<Gdiplus::RotateFlipType> UprightTurns(int nOrientation) {
    switch (nOrientation) {
        case 2:
            return {Gdiplus::RotateNoneFlipX};  // mirrored left to right
        case 3:
            return {Gdiplus::Rotate180FlipNone};
        case 4:
            return {Gdiplus::RotateNoneFlipY};  // mirrored top to bottom
        case 5:
            return {Gdiplus::Rotate90FlipNone, Gdiplus::RotateNoneFlipX};  // mirrored along the main diagonal
        case 6:
            return {Gdiplus::Rotate90FlipNone};  // stored a quarter turn anticlockwise
        case 7:
            return {Gdiplus::Rotate270FlipNone, Gdiplus::RotateNoneFlipX};  // mirrored along the other diagonal
        case 8:
            return {Gdiplus::Rotate270FlipNone};
        default:
            return {};
    }
}

bool TurnImageUpright(Gdiplus::GpImage** ppImage, int nOrientation) {
    using namespace Gdiplus::DllExports;
    const std::vector<Gdiplus::RotateFlipType> turns = UprightTurns(nOrientation);
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (turns.empty() || GdipGetImageType(*ppImage, &type) != Gdiplus::Ok || type != Gdiplus::ImageTypeBitmap)
        return true;
    if (GdipImageRotateFlip(*ppImage, turns[0]) != Gdiplus::Ok) {
        // This platform turns no picture of fewer than 8 bits per pixel: a 32-bit copy is turned.
        UINT w = 0, h = 0;
        GdipGetImageWidth(*ppImage, &w);
        GdipGetImageHeight(*ppImage, &h);
        Gdiplus::GpBitmap* pCopy = nullptr;
        if (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat32bppARGB,
                                 static_cast<Gdiplus::GpBitmap*>(*ppImage), &pCopy) != Gdiplus::Ok ||
            !pCopy)
            return false;
        if (GdipImageRotateFlip(pCopy, turns[0]) != Gdiplus::Ok) {
            GdipDisposeImage(pCopy);
            return false;
        }
        GdipDisposeImage(*ppImage);
        *ppImage = pCopy;
    }
    for (size_t i = 1; i < turns.size(); ++i)
        if (GdipImageRotateFlip(*ppImage, turns[i]) != Gdiplus::Ok)
            return false;
    return true;
}

namespace {
// The bitmap's colours from its profile to the display's; an sRGB picture stays as it is.
void ConvertToDisplay(std::unique_ptr<Gdiplus::Bitmap>* ppBitmap, const std::vector<uint8_t>& icc) {
    if (icc.empty() || DrawsAsSrgb(icc))
        return;
    const Gdiplus::PixelFormat format = (*ppBitmap)->GetPixelFormat();
    const INT w = static_cast<INT>((*ppBitmap)->GetWidth()), h = static_cast<INT>((*ppBitmap)->GetHeight());
    if (format != PixelFormat24bppRGB && format != PixelFormat32bppRGB && format != PixelFormat32bppARGB) {
        // Palettes and deeper pixels cannot take the converted colours back: a 32-bit copy does.
        std::unique_ptr<Gdiplus::Bitmap> copy((*ppBitmap)->Clone(0, 0, w, h, PixelFormat32bppARGB));
        if (!copy || copy->GetLastStatus() != Gdiplus::Ok)
            return;
        *ppBitmap = std::move(copy);
    }
    Gdiplus::Rect rc(0, 0, w, h);
    Gdiplus::BitmapData data;
    if ((*ppBitmap)->LockBits(&rc, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                              &data) != Gdiplus::Ok)
        return;
    ConvertRows(static_cast<uint8_t*>(data.Scan0), data.Stride, data.Width, data.Height, icc, DisplayProfile());
    (*ppBitmap)->UnlockBits(&data);
}
}  // namespace

void MakeShownRight(std::unique_ptr<Gdiplus::Bitmap>* ppBitmap, const CShowingInfo& info) {
    if (!*ppBitmap)
        return;
    ConvertToDisplay(ppBitmap, info.icc);
    const std::vector<Gdiplus::RotateFlipType> turns = UprightTurns(info.nOrientation);
    if (!turns.empty() && (*ppBitmap)->RotateFlip(turns[0]) != Gdiplus::Ok) {
        // This platform turns no picture of fewer than 8 bits per pixel: a 32-bit copy is turned.
        Gdiplus::Bitmap& bitmap = **ppBitmap;
        std::unique_ptr<Gdiplus::Bitmap> copy(bitmap.Clone(0, 0, static_cast<INT>(bitmap.GetWidth()),
                                                           static_cast<INT>(bitmap.GetHeight()), PixelFormat32bppARGB));
        if (!copy || copy->GetLastStatus() != Gdiplus::Ok || copy->RotateFlip(turns[0]) != Gdiplus::Ok)
            return;
        *ppBitmap = std::move(copy);
    }
    for (size_t i = 1; i < turns.size(); ++i)
        (*ppBitmap)->RotateFlip(turns[i]);
}
