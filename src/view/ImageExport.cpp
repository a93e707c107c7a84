#include "view/ImageExport.h"

#include "capture/BitmapFile.h"
#include "capture/Capture.h"
#include "framework/AfxFile.h"
#include "framework/GdiPlus.h"
#include "picture/Picture.h"
#include "picture/WebpCodec.h"
#include "picture/ColourConvert.h"
#include "picture/ShownRight.h"
#include "view/ProfileWriter.h"
#include "view/GifPalette.h"

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

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
        {"bmp", L"image/bmp"},  {"jpeg", L"image/jpeg"}, {"jpg", L"image/jpeg"},
        {"jpe", L"image/jpeg"}, {"tiff", L"image/tiff"}, {"tif", L"image/tiff"},
        {"ico", L"image/ico"},  {"gif", L"image/gif"},   {"webp", L"image/webp"},
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
bool WriteWhole(const char* pszPath, const void* pData, size_t nBytes) {
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const char* p = static_cast<const char*>(pData);
    size_t nLeft = nBytes;
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

// The first palette entry of an indexed picture that is fully transparent; -1 when none is.
int TransparentEntry(GpImage* pImage) {
    PixelFormat format = 0;
    INT nBytes = 0;
    if (GdipGetImagePixelFormat(pImage, &format) != Ok || !(format & PixelFormatIndexed) ||
        GdipGetImagePaletteSize(pImage, &nBytes) != Ok || nBytes < static_cast<INT>(sizeof(ColorPalette)))
        return -1;
    std::string buffer(static_cast<size_t>(nBytes), '\0');
    ColorPalette* pPalette = reinterpret_cast<ColorPalette*>(&buffer[0]);
    if (GdipGetImagePalette(pImage, pPalette, nBytes) != Ok)
        return -1;
    for (UINT i = 0; i < pPalette->Count && i < 256; ++i)
        if ((pPalette->Entries[i] >> 24) == 0)
            return static_cast<int>(i);
    return -1;
}

// Marks palette entry nIndex transparent in the GIF file at pszPath (the platform's encoder
// writes no transparency): the graphic control extension before the first image gets the flag
// and the index, or one is put there.
bool MarkGifTransparent(const char* pszPath, int nIndex) {
    std::string gif;
    {
        HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER size;
        bool ok = ::GetFileSizeEx(hFile, &size) && size.QuadPart >= 13 && size.QuadPart < (1 << 30);
        if (ok) {
            gif.resize(static_cast<size_t>(size.QuadPart));
            DWORD nRead = 0;
            ok = ::ReadFile(hFile, &gif[0], static_cast<DWORD>(gif.size()), &nRead, nullptr) && nRead == gif.size();
        }
        ::CloseHandle(hFile);
        if (!ok)
            return false;
    }
    if (gif.compare(0, 3, "GIF") != 0)
        return false;
    gif[4] = '9';  // transparency needs the 89a version
    const BYTE packed = static_cast<BYTE>(gif[10]);
    size_t at = 13 + ((packed & 0x80) ? 3u * (2u << (packed & 7)) : 0u);
    bool bDone = false;
    while (at < gif.size() && !bDone) {
        const BYTE kind = static_cast<BYTE>(gif[at]);
        if (kind == 0x2C) {
            // The first image and no control extension before it: one goes here.
            const char gce[] = {'\x21', '\xF9', 4, 1, 0, 0, static_cast<char>(nIndex), 0};
            gif.insert(at, gce, sizeof gce);
            bDone = true;
        } else if (kind == 0x21 && at + 1 < gif.size()) {
            if (static_cast<BYTE>(gif[at + 1]) == 0xF9 && at + 6 < gif.size() && gif[at + 2] == 4) {
                gif[at + 3] = static_cast<char>(gif[at + 3] | 1);
                gif[at + 6] = static_cast<char>(nIndex);
                bDone = true;
                break;
            }
            // Another extension: its sub-blocks up to the empty one.
            at += 2;
            while (at < gif.size() && gif[at] != 0)
                at += 1 + static_cast<BYTE>(gif[at]);
            ++at;
        } else {
            return false;
        }
    }
    if (!bDone)
        return false;
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    bool ok =
        ::WriteFile(hFile, gif.data(), static_cast<DWORD>(gif.size()), &nWritten, nullptr) && nWritten == gif.size();
    ok = ::CloseHandle(hFile) && ok;
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

// A read-only file, which Windows refuses to replace (this Wine would let the move through).
bool IsReadOnlyFile(const char* pszPath) {
    DWORD dwAttributes = ::GetFileAttributesW(AfxSystemPath(pszPath).c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) &&
           !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the file holds the WebP picture: as long as the bytes, and decoded by our own decoder
// at the picture's size.
bool HoldsWebp(const char* pszPath, size_t nBytes, UINT cx, UINT cy) {
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    std::vector<uint8_t> data;
    bool ok = ::GetFileSizeEx(hFile, &size) && size.QuadPart == static_cast<LONGLONG>(nBytes) && nBytes > 0;
    if (ok) {
        data.resize(nBytes);
        DWORD nRead = 0;
        ok = ::ReadFile(hFile, data.data(), static_cast<DWORD>(nBytes), &nRead, nullptr) && nRead == nBytes;
    }
    ::CloseHandle(hFile);
    CDecodedImage image;
    return ok && DecodeWebp(data.data(), data.size(), &image) == OwnDecode::Decoded && image.nWidth == cx &&
           image.nHeight == cy;
}

// The formats whose encoders keep an alpha channel or a transparent colour.
bool KeepsTransparency(const wchar_t* pszMimeType) {
    return wcscmp(pszMimeType, L"image/png") == 0 || wcscmp(pszMimeType, L"image/tiff") == 0 ||
           wcscmp(pszMimeType, L"image/gif") == 0 || wcscmp(pszMimeType, L"image/webp") == 0;
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
        // A palette of its own may hold entries partly transparent, which a GIF cannot.
        if (!(format & PixelFormatIndexed) || HasTransparency(*ppImage)) {
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
    if (wcscmp(pszMimeType, L"image/webp") == 0)
        return ExportWebp(pszSource, pszTarget);
    CLSID clsid;
    GUID format;
    if (!FindEncoder(pszMimeType, &clsid, &format))
        return kExportNoEncoder;

    // A picture announced too large to decode is refused as unreadable, before any decoder
    // tries to allocate it. Nothing holds the source file once it is read.
    // Decoded as stored: it is turned and its colours handled below, for the target's format.
    PictureOptions options;
    options.bShownRight = false;
    CPicture picture = OpenPicture(pszSource, options);
    if (!picture)
        return kExportNoSource;
    // The profile the decoded pixels are in: none for a CMYK JPEG, converted as it was decoded.
    const std::vector<uint8_t> icc = picture.ColourProfile();
    // The flat functions below own the image from here; the bytes it may read stay till the end.
    CPictureBytes source;
    GpImage* pImage = ReleaseNativeImage(picture.TakeImage(&source));
    if (!pImage)
        return kExportNoSource;
    // Written upright: the target carries no orientation tag, so no reader turns it again. A
    // profile other than sRGB's goes with the pixels where the format carries one (JPEG, PNG,
    // TIFF); elsewhere the pixels are converted to sRGB.
    CShowingInfo info = ReadShowingInfoOfFile(pszSource);
    info.icc = icc;
    const bool bProfiled = !info.icc.empty() && !DrawsAsSrgb(info.icc);
    const bool bKeepsProfile = wcscmp(pszMimeType, L"image/jpeg") == 0 || wcscmp(pszMimeType, L"image/png") == 0 ||
                               wcscmp(pszMimeType, L"image/tiff") == 0;
    ImageType type = ImageTypeUnknown;
    GdipGetImageType(pImage, &type);
    if (!TurnImageUpright(&pImage, info.nOrientation) ||
        (bProfiled && !bKeepsProfile && type == ImageTypeBitmap &&
         !ConvertBitmapColours(reinterpret_cast<GpBitmap**>(&pImage), info.icc, std::vector<uint8_t>())) ||
        !PrepareForEncoder(&pImage, pszMimeType)) {
        GdipDisposeImage(pImage);
        return kExportNoSource;
    }
    UINT cx = 0, cy = 0;
    GdipGetImageWidth(pImage, &cx);
    GdipGetImageHeight(pImage, &cy);
    std::string bytes;
    bool bEncoded = EncodeToMemory(pImage, clsid, &bytes);
    const int nTransparent = wcscmp(pszMimeType, L"image/gif") == 0 ? TransparentEntry(pImage) : -1;
    GdipDisposeImage(pImage);
    if (!bEncoded)
        return kExportWriteFailed;
    if (wcscmp(pszMimeType, L"image/bmp") == 0)
        FixBitmapFileSize(&bytes);

    if (IsReadOnlyFile(pszTarget))
        return kExportReadOnly;

    // The bytes go into a new file in the target's folder, which replaces the target only when
    // it decodes as the picture at its size.
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszTarget).c_str(), "mrv", &strTemp))
        return IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget) ? kExportDiskFull : kExportWriteFailed;
    const char* szTemp = strTemp.c_str();
    bool bWritten = WriteWhole(szTemp, bytes.data(), bytes.size());
    // What the encoder cannot write (GIF's transparent entry, a colour profile) is put into the
    // written file; each checks its own writes, and the file's length is then what they left.
    size_t nLength = bytes.size();
    const bool bPatched = nTransparent >= 0 || (bProfiled && bKeepsProfile && type == ImageTypeBitmap);
    if (bWritten && nTransparent >= 0)
        bWritten = MarkGifTransparent(szTemp, nTransparent);
    if (bWritten && bProfiled && bKeepsProfile && type == ImageTypeBitmap)
        bWritten = AddProfileToFile(szTemp, pszMimeType, info.icc);
    if (bWritten && bPatched) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        bWritten = ::GetFileAttributesExW(AfxSystemPath(szTemp).c_str(), GetFileExInfoStandard, &data) &&
                   data.nFileSizeHigh == 0;
        nLength = bWritten ? data.nFileSizeLow : 0;
    }
    bool bDiskFull = !bWritten && (IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget));
    bool ok = bWritten && HoldsPicture(szTemp, nLength, format, cx, cy);
    if (ok)
        ok = MoveFileOver(szTemp, pszTarget);
    if (!ok) {
        ::DeleteFileW(AfxSystemPath(szTemp).c_str());
        return bDiskFull ? kExportDiskFull : kExportWriteFailed;
    }
    return kExportOk;
}

ExportResult ExportWebp(const char* pszSource, const char* pszTarget) {
    CPicture picture = OpenPicture(pszSource);
    if (!picture)
        return kExportNoSource;
    const bool bLossless = picture.Lossless();
    CPictureBytes bytes;
    GpImage* pImage = ReleaseNativeImage(picture.TakeImage(&bytes));
    if (!pImage)
        return kExportNoSource;
    const bool bAlpha = HasTransparency(pImage);
    if (!PrepareForEncoder(&pImage, L"image/webp")) {
        GdipDisposeImage(pImage);
        return kExportNoSource;
    }
    // Its pixels as straight-alpha BGRA rows, then the source released.
    UINT cx = 0, cy = 0;
    GdipGetImageWidth(pImage, &cx);
    GdipGetImageHeight(pImage, &cy);
    GpRect rc(0, 0, static_cast<INT>(cx), static_cast<INT>(cy));
    BitmapData data;
    std::vector<uint8_t> written;
    bool ok =
        GdipBitmapLockBits(static_cast<GpBitmap*>(pImage), &rc, ImageLockModeRead, PixelFormat32bppARGB, &data) == Ok;
    if (ok) {
        ok = data.Stride > 0 && EncodeWebp(static_cast<const uint8_t*>(data.Scan0), cx, cy,
                                           static_cast<size_t>(data.Stride), bAlpha, bLossless, &written);
        GdipBitmapUnlockBits(static_cast<GpBitmap*>(pImage), &data);
    }
    GdipDisposeImage(pImage);
    if (!ok)
        return kExportWriteFailed;

    if (IsReadOnlyFile(pszTarget))
        return kExportReadOnly;
    // Into a new file beside the target, which replaces it only when it decodes as the picture.
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszTarget).c_str(), "mrv", &strTemp))
        return IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget) ? kExportDiskFull : kExportWriteFailed;
    const char* szTemp = strTemp.c_str();
    const bool bWritten = WriteWhole(szTemp, written.data(), written.size());
    const bool bDiskFull = !bWritten && (IsDiskFullError(::GetLastError()) || IsVolumeFull(pszTarget));
    ok = bWritten && HoldsWebp(szTemp, written.size(), cx, cy) && MoveFileOver(szTemp, pszTarget);
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
// The colour table of a DIB section of 8 bits per pixel or fewer; the number of entries, 0 when
// it cannot be read.
UINT ColourTableOf(HBITMAP hSection, RGBQUAD* pColours) {
    CMemDC mem(static_cast<HDC>(nullptr));
    if (!mem.GetSafeHdc())
        return 0;
    mem.SelectObject(hSection);  // the wrapper restores the DC before deleting it
    return ::GetDIBColorTable(mem, 0, 256, pColours);
}

// A device-dependent copy of a DIB section, made with the display's format; null when the
// system cannot make one that size (or cannot fill it).
CBitmap* DeviceBitmapOf(HBITMAP hSection, const DIBSECTION& ds, CBitmap* pBitmap) {
    CClientDC screen(nullptr);
    if (!screen.GetSafeHdc() || !pBitmap->CreateCompatibleBitmap(screen, ds.dsBm.bmWidth, ds.dsBm.bmHeight))
        return nullptr;
    // The section's header with room for the colour table SetDIBits reads after it.
    struct {
        BITMAPINFOHEADER bi;
        RGBQUAD colours[256];
    } info = {};
    info.bi = ds.dsBmih;
    if (ds.dsBmih.biBitCount <= 8 && ColourTableOf(hSection, info.colours) == 0)
        return nullptr;
    if (::SetDIBits(screen, *pBitmap, 0, static_cast<UINT>(ds.dsBm.bmHeight), ds.dsBm.bmBits,
                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != ds.dsBm.bmHeight) {
        pBitmap->DeleteObject();
        return nullptr;
    }
    return pBitmap;
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
        nColours = ColourTableOf(hSection, colours);
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
    CBitmap section;
    section.Attach(hSection);
    DIBSECTION ds;
    CBitmap bitmap;
    HBITMAP hBitmap = nullptr;
    HGLOBAL hDib = nullptr;
    if (::GetObjectA(hSection, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
        if (bDeviceBitmap && DeviceBitmapOf(hSection, ds, &bitmap))
            hBitmap = bitmap;
        if (!hBitmap)
            hDib = PackedDibOf(hSection, ds);
    }
    section.DeleteObject();
    if (!hBitmap && !hDib)
        return kClipboardNoBitmap;

    const bool bGiven = hBitmap ? GiveToClipboard(hOwner, CF_BITMAP, hBitmap) : GiveToClipboard(hOwner, CF_DIB, hDib);
    if (!bGiven) {
        if (hDib)
            ::GlobalFree(hDib);
        return kClipboardBusy;  // the bitmap is deleted with its wrapper
    }
    bitmap.Detach();  // the clipboard's now
    return kClipboardCopied;
}

bool EmptyClipboardOf(HWND hOwner) {
    if (!::OpenClipboard(hOwner))
        return false;
    bool ok = ::EmptyClipboard() != FALSE;
    ::CloseClipboard();
    return ok;
}
