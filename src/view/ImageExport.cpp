#include "view/ImageExport.h"

#include "capture/BitmapFile.h"
#include "capture/Capture.h"
#include "framework/AfxPictureSize.h"
#include "framework/GdiPlus.h"
#include "picture/ColourConvert.h"
#include "picture/ShownRight.h"
#include "view/ProfileWriter.h"
#include "view/GifPalette.h"

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

bool FindEncoderByMimeType(const wchar_t* pszMimeType, CLSID* pClsid) {
    UINT nEncoders = 0, nBytes = 0;
    if (GdipGetImageEncodersSize(&nEncoders, &nBytes) != Ok || nBytes == 0 || nEncoders == 0)
        return false;
    ImageCodecInfo* pInfo = static_cast<ImageCodecInfo*>(malloc(nBytes));
    if (!pInfo)
        return false;
    bool bFound = false;
    if (GdipGetImageEncoders(nEncoders, nBytes, pInfo) == Ok) {
        for (UINT i = 0; i < nEncoders; ++i) {
            if (pInfo[i].MimeType && wcscmp(pInfo[i].MimeType, pszMimeType) == 0) {
                *pClsid = pInfo[i].Clsid;
                bFound = true;
                break;
            }
        }
    }
    free(pInfo);
    return bFound;
}

CString PathExtension(const char* pszPath) {
    const char* pName = pszPath;
    for (const char* p = pszPath; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            pName = p + 1;
    const char* pDot = strrchr(pName, '.');
    return CString(pDot ? pDot + 1 : "");
}

const wchar_t* MimeTypeForExtension(const char* pszExtension) {
    static const struct {
        const char* pszExt;
        const wchar_t* pszMime;
    } kTable[] = {
        {"bmp", L"image/bmp"},   {"jpeg", L"image/jpeg"}, {"jpg", L"image/jpeg"}, {"jpe", L"image/jpeg"},
        {"tiff", L"image/tiff"}, {"tif", L"image/tiff"},  {"ico", L"image/ico"},  {"gif", L"image/gif"},
    };
    for (const auto& row : kTable)
        if (lstrcmpiA(pszExtension, row.pszExt) == 0)
            return row.pszMime;
    return L"image/png";
}

namespace {
const int kWideChars = 1024;

// Sets a bitmap file's size field to its real length. The platform's BMP encoder under Wine
// leaves the colour table out of that field for pictures with a palette, and strict readers
// then refuse the file.
bool FixBitmapFileSize(const char* pszPath) {
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool ok = false;
    BITMAPFILEHEADER bf;
    DWORD nRead = 0, nSizeHigh = 0;
    DWORD nSize = ::GetFileSize(hFile, &nSizeHigh);
    if (::ReadFile(hFile, &bf, sizeof bf, &nRead, nullptr) && nRead == sizeof bf && bf.bfType == 0x4D42 &&
        nSizeHigh == 0 && nSize != INVALID_FILE_SIZE) {
        ok = true;
        if (bf.bfSize != nSize) {
            bf.bfSize = nSize;
            DWORD nWritten = 0;
            ok = ::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN) == 0 &&
                 ::WriteFile(hFile, &bf, sizeof bf, &nWritten, nullptr) && nWritten == sizeof bf;
        }
    }
    ok = ::CloseHandle(hFile) && ok;
    return ok;
}

// The formats whose encoders keep an alpha channel or a transparent colour.
bool KeepsTransparency(const wchar_t* pszMimeType) {
    return wcscmp(pszMimeType, L"image/png") == 0 || wcscmp(pszMimeType, L"image/tiff") == 0 ||
           wcscmp(pszMimeType, L"image/gif") == 0;
}

// A raster picture that may let the background through: an alpha channel, or a palette with
// an entry that is not opaque.
bool HasTransparency(GpImage* pImage) {
    PixelFormat format = 0;
    if (GdipGetImagePixelFormat(pImage, &format) != Ok)
        return false;
    if (format & (PixelFormatAlpha | PixelFormatPAlpha))
        return true;
    INT nBytes = 0;
    if (!(format & PixelFormatIndexed) || GdipGetImagePaletteSize(pImage, &nBytes) != Ok ||
        nBytes < static_cast<INT>(sizeof(ColorPalette)))
        return false;
    std::string buffer(static_cast<size_t>(nBytes), '\0');
    ColorPalette* pPalette = reinterpret_cast<ColorPalette*>(&buffer[0]);
    if (GdipGetImagePalette(pImage, pPalette, nBytes) != Ok)
        return false;
    for (UINT i = 0; i < pPalette->Count; ++i)
        if ((pPalette->Entries[i] >> 24) != 0xFF)
            return true;
    return false;
}

// Replaces *ppImage by an image the encoder of the MIME type can take: metafiles, and pictures
// with transparency for a format without it, drawn on white into a bitmap (the encoders would
// drop the alpha and leave the colours beneath, black for the fully transparent); deep
// pictures reduced to a palette for GIF. False when that could not be made.
bool PrepareForEncoder(GpImage** ppImage, const wchar_t* pszMimeType) {
    ImageType type = ImageTypeUnknown;
    UINT cx = 0, cy = 0;
    GdipGetImageType(*ppImage, &type);
    GdipGetImageWidth(*ppImage, &cx);
    GdipGetImageHeight(*ppImage, &cy);
    if (cx == 0 || cy == 0)
        return false;
    bool bRaster = type != ImageTypeMetafile;
    if (!bRaster || (!KeepsTransparency(pszMimeType) && HasTransparency(*ppImage))) {
        GpBitmap* pBitmap = nullptr;
        if (GdipCreateBitmapFromScan0(static_cast<INT>(cx), static_cast<INT>(cy), 0, PixelFormat24bppRGB, nullptr,
                                      &pBitmap) != Ok)
            return false;
        GpGraphics* pGraphics = nullptr;
        bool ok = GdipGetImageGraphicsContext(pBitmap, &pGraphics) == Ok;
        if (ok) {
            GdipGraphicsClear(pGraphics, 0xFFFFFFFF);
            if (bRaster) {  // one to one: every pixel on its own place, none blended with its neighbours
                GdipSetInterpolationMode(pGraphics, InterpolationModeNearestNeighbor);
                GdipSetPixelOffsetMode(pGraphics, PixelOffsetModeHalf);
            }
            ok = GdipDrawImageRectI(pGraphics, *ppImage, 0, 0, static_cast<INT>(cx), static_cast<INT>(cy)) == Ok;
            GdipDeleteGraphics(pGraphics);
        }
        if (!ok) {
            GdipDisposeImage(pBitmap);
            return false;
        }
        GdipDisposeImage(*ppImage);
        *ppImage = pBitmap;
    }
    if (wcscmp(pszMimeType, L"image/gif") == 0) {
        PixelFormat format = 0;
        GdipGetImagePixelFormat(*ppImage, &format);
        if (!(format & PixelFormatIndexed)) {
            GpBitmap* pIndexed = CreatePaletteBitmap(*ppImage);
            if (!pIndexed)
                return false;
            GdipDisposeImage(*ppImage);
            *ppImage = pIndexed;
        }
    }
    return true;
}
}  // namespace

ExportResult ExportPicture(const char* pszSource, const char* pszTarget, const wchar_t* pszMimeType) {
    CLSID clsid;
    if (!FindEncoderByMimeType(pszMimeType, &clsid))
        return kExportNoEncoder;

    // A picture announced too large to decode is refused as unreadable, before the decoder
    // tries to allocate it.
    if (AfxPictureTooLarge(pszSource))
        return kExportNoSource;
    wchar_t wszSource[kWideChars];
    GpImage* pImage = nullptr;
    if (GdipLoadImageFromFile(AfxToWideBuffer(pszSource, wszSource, kWideChars), &pImage) != Ok || !pImage)
        return kExportNoSource;
    // Written upright: the target carries no orientation tag, so no reader turns it again. A
    // profile other than sRGB's goes with the pixels where the format carries one (JPEG, PNG);
    // elsewhere the pixels are converted to sRGB.
    const CShowingInfo info = ReadShowingInfoOfFile(pszSource);
    const bool bProfiled = !info.icc.empty() && !DrawsAsSrgb(info.icc);
    const bool bKeepsProfile = wcscmp(pszMimeType, L"image/jpeg") == 0 || wcscmp(pszMimeType, L"image/png") == 0;
    ImageType type = ImageTypeUnknown;
    GdipGetImageType(pImage, &type);
    if (!TurnImageUpright(&pImage, info.nOrientation) ||
        (bProfiled && !bKeepsProfile && type == ImageTypeBitmap &&
         !ConvertBitmapColours(reinterpret_cast<GpBitmap**>(&pImage), info.icc, std::vector<uint8_t>())) ||
        !PrepareForEncoder(&pImage, pszMimeType)) {
        GdipDisposeImage(pImage);
        return kExportNoSource;
    }

    // GetTempFileName makes the file, empty, under a name nobody uses; the encoder fills it.
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszTarget).c_str(), "mrv", &strTemp)) {
        GdipDisposeImage(pImage);
        return kExportWriteFailed;
    }
    const char* szTemp = strTemp.c_str();
    wchar_t wszTemp[kWideChars];
    bool ok = GdipSaveImageToFile(pImage, AfxToWideBuffer(szTemp, wszTemp, kWideChars), &clsid, nullptr) == Ok;
    // The source file stays open while its image lives: release it before the target (which
    // may be the source) is replaced.
    GdipDisposeImage(pImage);
    if (ok && wcscmp(pszMimeType, L"image/bmp") == 0)
        ok = FixBitmapFileSize(szTemp);
    if (ok && bProfiled && bKeepsProfile && type == ImageTypeBitmap)
        ok = AddProfileToFile(szTemp, pszMimeType, info.icc);
    if (ok)
        ok = MoveFileOver(szTemp, pszTarget);
    if (!ok) {
        ::DeleteFileA(szTemp);
        return kExportWriteFailed;
    }
    return kExportOk;
}

CString ExportFailureText(ExportResult result, const char* pszTarget) {
    CString s;
    switch (result) {
        case kExportOk:
            break;
        case kExportNoEncoder:
            s.Format("%s was not saved: no encoder writes the format \"%s\".", pszTarget,
                     static_cast<const char*>(PathExtension(pszTarget)));
            break;
        case kExportNoSource:
            s.Format("%s was not saved: the picture could not be read.", pszTarget);
            break;
        case kExportWriteFailed:
            s.Format("%s could not be written.", pszTarget);
            break;
    }
    return s;
}

namespace {
// A device-dependent copy of a DIB section, made with the display's format; null when the
// system cannot make one that size (or cannot fill it).
HBITMAP DeviceBitmapOf(HBITMAP hSection, const DIBSECTION& ds) {
    HDC hScreen = ::GetDC(nullptr);
    if (!hScreen)
        return nullptr;
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, ds.dsBm.bmWidth, ds.dsBm.bmHeight);
    if (hBitmap) {
        // The section's header with room for the colour table SetDIBits reads after it.
        struct {
            BITMAPINFOHEADER bi;
            RGBQUAD colours[256];
        } info = {};
        info.bi = ds.dsBmih;
        HDC hMem = ::CreateCompatibleDC(hScreen);
        bool ok = hMem != nullptr;
        if (ok && ds.dsBmih.biBitCount <= 8) {
            HGDIOBJ hOld = ::SelectObject(hMem, hSection);
            ok = ::GetDIBColorTable(hMem, 0, 256, info.colours) > 0;
            ::SelectObject(hMem, hOld);
        }
        if (ok)
            ok = ::SetDIBits(hScreen, hBitmap, 0, static_cast<UINT>(ds.dsBm.bmHeight), ds.dsBm.bmBits,
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == ds.dsBm.bmHeight;
        if (hMem)
            ::DeleteDC(hMem);
        if (!ok) {
            ::DeleteObject(hBitmap);
            hBitmap = nullptr;
        }
    }
    ::ReleaseDC(nullptr, hScreen);
    return hBitmap;
}

// The DIB section as a packed device-independent bitmap (header, colour table, rows) in
// movable global memory, as the clipboard takes CF_DIB; null without the memory for it.
HGLOBAL PackedDibOf(HBITMAP hSection, const DIBSECTION& ds) {
    BITMAPINFOHEADER bi = ds.dsBmih;
    bi.biHeight = ds.dsBm.bmHeight;  // bottom-up, as the section's rows are
    bi.biCompression = BI_RGB;
    bi.biSizeImage = static_cast<DWORD>(BitmapImageSize(ds.dsBm.bmWidth, ds.dsBm.bmHeight, bi.biBitCount));
    RGBQUAD colours[256];
    UINT nColours = 0;
    if (bi.biBitCount <= 8) {
        HDC hMem = ::CreateCompatibleDC(nullptr);
        if (!hMem)
            return nullptr;
        HGDIOBJ hOld = ::SelectObject(hMem, hSection);
        nColours = ::GetDIBColorTable(hMem, 0, 256, colours);
        ::SelectObject(hMem, hOld);
        ::DeleteDC(hMem);
        if (nColours == 0)
            return nullptr;
    } else if (bi.biBitCount == 16 || bi.biBitCount == 32) {
        // A section with other masks than the default ones is not described by BI_RGB.
        const DWORD* m = ds.dsBitfields;
        bool bDefault = ds.dsBmih.biCompression != BI_BITFIELDS ||
                        (bi.biBitCount == 16 ? m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F
                                             : m[0] == 0xFF0000 && m[1] == 0x00FF00 && m[2] == 0x0000FF);
        if (!bDefault)
            return nullptr;
    }
    bi.biClrUsed = nColours;
    bi.biClrImportant = 0;
    SIZE_T nHeader = sizeof bi + nColours * sizeof(RGBQUAD);
    HGLOBAL hDib = ::GlobalAlloc(GMEM_MOVEABLE, nHeader + bi.biSizeImage);
    if (!hDib)
        return nullptr;
    BYTE* p = static_cast<BYTE*>(::GlobalLock(hDib));
    if (!p) {
        ::GlobalFree(hDib);
        return nullptr;
    }
    memcpy(p, &bi, sizeof bi);
    memcpy(p + sizeof bi, colours, nColours * sizeof(RGBQUAD));
    memcpy(p + nHeader, ds.dsBm.bmBits, bi.biSizeImage);
    ::GlobalUnlock(hDib);
    return hDib;
}
}  // namespace

ClipboardCopyResult CopyBitmapFileToClipboard(const char* pszPath, HWND hOwner, bool bDeviceBitmap) {
    // Loaded as a section, whose rows lie in this process's memory: a device-dependent bitmap of
    // a large picture may be refused, or made and then left unfilled, by the system.
    HBITMAP hSection =
        static_cast<HBITMAP>(::LoadImageA(nullptr, pszPath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!hSection)
        return kClipboardNoBitmap;
    DIBSECTION ds;
    HBITMAP hBitmap = nullptr;
    HGLOBAL hDib = nullptr;
    if (::GetObjectA(hSection, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
        if (bDeviceBitmap)
            hBitmap = DeviceBitmapOf(hSection, ds);
        if (!hBitmap)
            hDib = PackedDibOf(hSection, ds);
    }
    ::DeleteObject(hSection);
    if (!hBitmap && !hDib)
        return kClipboardNoBitmap;

    const bool bGiven = hBitmap ? GiveToClipboard(hOwner, CF_BITMAP, hBitmap) : GiveToClipboard(hOwner, CF_DIB, hDib);
    if (!bGiven) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        if (hDib)
            ::GlobalFree(hDib);
        return kClipboardBusy;
    }
    return kClipboardCopied;
}

bool EmptyClipboardOf(HWND hOwner) {
    if (!::OpenClipboard(hOwner))
        return false;
    bool ok = ::EmptyClipboard() != FALSE;
    ::CloseClipboard();
    return ok;
}
