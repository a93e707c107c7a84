#include "view/ImageExport.h"

#include "capture/BitmapFile.h"
#include "capture/Capture.h"
#include "framework/AfxFile.h"
#include "framework/AfxPictureSize.h"
#include "framework/GdiPlus.h"
#include "view/GifPalette.h"

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
// The encoder record of a MIME type: its class identifier and the format it writes.
bool FindEncoder(const wchar_t* pszMimeType, CLSID* pClsid, GUID* pFormat) {
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
                if (pFormat)
                    *pFormat = pInfo[i].FormatID;
                bFound = true;
                break;
            }
        }
    }
    free(pInfo);
    return bFound;
}
}  // namespace

bool FindEncoderByMimeType(const wchar_t* pszMimeType, CLSID* pClsid) {
    return FindEncoder(pszMimeType, pClsid, nullptr);
}

CString PathExtension(const char* pszPath) {
    const char* pName = pszPath;
    for (const char* p = pszPath; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            pName = p + 1;
    const char* pDot = strrchr(pName, '.');
    return CString(pDot ? pDot + 1 : "");
}

CString StoredName(const char* pszPath) {
    std::string path(pszPath);
    size_t nName = path.find_last_of("\\/:");
    nName = nName == std::string::npos ? 0 : nName + 1;
    size_t n = path.size();
    while (n > nName && (path[n - 1] == '.' || path[n - 1] == ' '))
        --n;
    if (n == nName)
        return CString(pszPath);  // dots and spaces only: no name the system would store
    return CString(path.substr(0, n).c_str());
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
// Sets a bitmap's size field to its real length. The platform's BMP encoder under Wine leaves
// the colour table out of that field for pictures with a palette, and strict readers then
// refuse the file.
void FixBitmapFileSize(std::string* pBytes) {
    BITMAPFILEHEADER bf;
    if (pBytes->size() < sizeof bf || pBytes->compare(0, 2, "BM") != 0)
        return;
    memcpy(&bf, pBytes->data(), sizeof bf);
    bf.bfSize = static_cast<DWORD>(pBytes->size());
    memcpy(&(*pBytes)[0], &bf, sizeof bf);
}

// The picture encoded into memory. The platform's encoders, writing to a file, report success
// on a short write (the TIFF one on a full disk): here they write nothing to the disk at all.
bool EncodeToMemory(GpImage* pImage, const CLSID& clsid, std::string* pBytes) {
    IStream* pStream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &pStream)) || !pStream)
        return false;
    bool ok = GdipSaveImageToStream(pImage, pStream, &clsid, nullptr) == Ok;
    STATSTG stat = {};
    ok = ok && SUCCEEDED(pStream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart > 0 &&
         stat.cbSize.QuadPart < 0x7FFFFFFF;
    HGLOBAL hMemory = nullptr;
    if (ok && SUCCEEDED(::GetHGlobalFromStream(pStream, &hMemory))) {
        const void* p = ::GlobalLock(hMemory);
        if (p) {
            pBytes->assign(static_cast<const char*>(p), static_cast<size_t>(stat.cbSize.QuadPart));
            ::GlobalUnlock(hMemory);
        } else {
            ok = false;
        }
    } else {
        ok = false;
    }
    pStream->Release();
    return ok;
}

bool IsDiskFullError(DWORD dwError) {
    return dwError == ERROR_DISK_FULL || dwError == ERROR_HANDLE_DISK_FULL;
}

// Writes the bytes into the existing empty file, every byte checked and flushed to the disk.
// False with the system's error when the file does not hold them all.
bool WriteWhole(const char* pszPath, const std::string& bytes) {
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const char* p = bytes.data();
    size_t nLeft = bytes.size();
    bool ok = true;
    while (ok && nLeft > 0) {
        DWORD nChunk = nLeft > 0x100000 ? 0x100000 : static_cast<DWORD>(nLeft), nWritten = 0;
        ok = ::WriteFile(hFile, p, nChunk, &nWritten, nullptr) != FALSE;
        if (ok && nWritten == 0) {
            ::SetLastError(ERROR_DISK_FULL);  // nothing taken and no error: no room for the rest
            ok = false;
        }
        p += nWritten;
        nLeft -= nWritten;
    }
    ok = ok && ::FlushFileBuffers(hFile);
    DWORD dwError = ::GetLastError();
    ok = ::CloseHandle(hFile) && ok;
    ::SetLastError(ok ? NO_ERROR : dwError);
    return ok;
}

// Whether the file holds the picture: as long as the bytes, decoded by the platform in the
// format of the encoder, at the picture's size, every pixel readable.
bool HoldsPicture(const char* pszPath, size_t nBytes, const GUID& format, UINT cx, UINT cy) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    std::wstring path = AfxSystemPath(pszPath);
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0 ||
        data.nFileSizeLow != nBytes)
        return false;
    GpImage* pImage = nullptr;
    if (GdipLoadImageFromFile(path.c_str(), &pImage) != Ok || !pImage)
        return false;
    GUID raw = {};
    UINT w = 0, h = 0;
    bool ok = GdipGetImageRawFormat(pImage, &raw) == Ok && IsEqualGUID(raw, format) &&
              GdipGetImageWidth(pImage, &w) == Ok && GdipGetImageHeight(pImage, &h) == Ok && w == cx && h == cy;
    if (ok) {
        GpRect rect(0, 0, static_cast<INT>(cx), static_cast<INT>(cy));
        BitmapData bits = {};
        ok = GdipBitmapLockBits(static_cast<GpBitmap*>(pImage), &rect, ImageLockModeRead, PixelFormat32bppARGB,
                                &bits) == Ok;
        if (ok)
            GdipBitmapUnlockBits(static_cast<GpBitmap*>(pImage), &bits);
    }
    GdipDisposeImage(pImage);
    return ok;
}

// Whether the volume of the path has no room left for the caller.
bool IsVolumeFull(const char* pszPath) {
    std::string folder = FolderOf(pszPath);
    ULARGE_INTEGER nFree = {};
    return ::GetDiskFreeSpaceExW(AfxSystemPath(folder.c_str()).c_str(), &nFree, nullptr, nullptr) &&
           nFree.QuadPart < 64 * 1024;
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
    GUID format;
    if (!FindEncoder(pszMimeType, &clsid, &format))
        return kExportNoEncoder;

    // A picture announced too large to decode is refused as unreadable, before the decoder
    // tries to allocate it.
    if (AfxPictureTooLarge(pszSource))
        return kExportNoSource;
    GpImage* pImage = nullptr;
    if (GdipLoadImageFromFile(AfxSystemPath(pszSource).c_str(), &pImage) != Ok || !pImage)
        return kExportNoSource;
    if (!PrepareForEncoder(&pImage, pszMimeType)) {
        GdipDisposeImage(pImage);
        return kExportNoSource;
    }
    UINT cx = 0, cy = 0;
    GdipGetImageWidth(pImage, &cx);
    GdipGetImageHeight(pImage, &cy);
    std::string bytes;
    bool bEncoded = EncodeToMemory(pImage, clsid, &bytes);
    // The source file stays open while its image lives: release it before the target (which
    // may be the source) is replaced.
    GdipDisposeImage(pImage);
    if (!bEncoded)
        return kExportWriteFailed;
    if (wcscmp(pszMimeType, L"image/bmp") == 0)
        FixBitmapFileSize(&bytes);

    // A read-only file is not replaced, as Windows refuses (this Wine would let the move through).
    DWORD dwAttributes = ::GetFileAttributesW(AfxSystemPath(pszTarget).c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) &&
        !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return kExportReadOnly;

    // The bytes go into a new file in the target's folder, which replaces the target only when
    // it decodes as the picture at its size.
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszTarget).c_str(), "mrv", &strTemp))
        return IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget) ? kExportDiskFull : kExportWriteFailed;
    const char* szTemp = strTemp.c_str();
    bool bWritten = WriteWhole(szTemp, bytes);
    bool bDiskFull = !bWritten && (IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget));
    bool ok = bWritten && HoldsPicture(szTemp, bytes.size(), format, cx, cy);
    if (ok)
        ok = MoveFileOver(szTemp, pszTarget);
    if (!ok) {
        ::DeleteFileW(AfxSystemPath(szTemp).c_str());
        return bDiskFull ? kExportDiskFull : kExportWriteFailed;
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
        case kExportDiskFull:
            s.Format(
                "%s could not be written: the disk is full. The file is as it was; make room on the disk and "
                "save again.",
                pszTarget);
            break;
        case kExportReadOnly:
            s.Format("%s could not be written: the file is read-only.", pszTarget);
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
