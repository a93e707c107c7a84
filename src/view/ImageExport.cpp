#include "view/ImageExport.h"

#include "capture/BitmapFile.h"
#include "framework/AfxPictureSize.h"
#include "framework/GdiPlus.h"
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

// Replaces *ppImage by an image the encoder of the MIME type can take: metafiles drawn into a
// bitmap, deep pictures reduced to a palette for GIF. False when that could not be made.
bool PrepareForEncoder(GpImage** ppImage, const wchar_t* pszMimeType) {
    ImageType type = ImageTypeUnknown;
    UINT cx = 0, cy = 0;
    GdipGetImageType(*ppImage, &type);
    GdipGetImageWidth(*ppImage, &cx);
    GdipGetImageHeight(*ppImage, &cy);
    if (cx == 0 || cy == 0)
        return false;
    if (type == ImageTypeMetafile) {
        GpBitmap* pBitmap = nullptr;
        if (GdipCreateBitmapFromScan0(static_cast<INT>(cx), static_cast<INT>(cy), 0, PixelFormat24bppRGB, nullptr,
                                      &pBitmap) != Ok)
            return false;
        GpGraphics* pGraphics = nullptr;
        bool ok = GdipGetImageGraphicsContext(pBitmap, &pGraphics) == Ok;
        if (ok) {
            GdipGraphicsClear(pGraphics, 0xFFFFFFFF);
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
    if (!PrepareForEncoder(&pImage, pszMimeType)) {
        GdipDisposeImage(pImage);
        return kExportNoSource;
    }

    // GetTempFileName makes the file, empty, under a name nobody uses; the encoder fills it.
    char szTemp[MAX_PATH];
    if (!::GetTempFileNameA(FolderOf(pszTarget).c_str(), "mrv", 0, szTemp)) {
        GdipDisposeImage(pImage);
        return kExportWriteFailed;
    }
    wchar_t wszTemp[kWideChars];
    bool ok = GdipSaveImageToFile(pImage, AfxToWideBuffer(szTemp, wszTemp, kWideChars), &clsid, nullptr) == Ok;
    // The source file stays open while its image lives: release it before the target (which
    // may be the source) is replaced.
    GdipDisposeImage(pImage);
    if (ok && wcscmp(pszMimeType, L"image/bmp") == 0)
        ok = FixBitmapFileSize(szTemp);
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

bool CopyBitmapFileToClipboard(const char* pszPath, HWND hOwner) {
    HBITMAP hBitmap = static_cast<HBITMAP>(::LoadImageA(nullptr, pszPath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!hBitmap)
        return false;
    bool bGiven = false;
    if (::OpenClipboard(hOwner)) {
        if (::EmptyClipboard())
            bGiven = ::SetClipboardData(CF_BITMAP, hBitmap) != nullptr;
        ::CloseClipboard();
    }
    if (!bGiven)
        ::DeleteObject(hBitmap);
    return bGiven;
}

bool EmptyClipboardOf(HWND hOwner) {
    if (!::OpenClipboard(hOwner))
        return false;
    bool ok = ::EmptyClipboard() != FALSE;
    ::CloseClipboard();
    return ok;
}
