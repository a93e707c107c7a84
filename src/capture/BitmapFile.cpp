#include "capture/BitmapFile.h"

#include <string.h>

#include <string>

#include "framework/AfxFile.h"
#include "framework/AfxStr.h"

uint64_t BitmapRowSize(int nWidth, int nBitsPerPixel) {
    if (nWidth <= 0 || nBitsPerPixel <= 0)
        return 0;
    uint64_t bits = static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nBitsPerPixel);
    return (bits + 31) / 32 * 4;
}

uint64_t BitmapImageSize(int nWidth, int nHeight, int nBitsPerPixel) {
    if (nHeight <= 0)
        return 0;
    return BitmapRowSize(nWidth, nBitsPerPixel) * static_cast<uint64_t>(nHeight);
}

int CaptureBitsPerPixel(int nScreenBitsPerPixel) {
    switch (nScreenBitsPerPixel) {
        case 16:
        case 24:
        case 32:
            return nScreenBitsPerPixel;
        case 15:
            return 16;  // stored as 5-5-5 in 16 bits either way
        default:
            return 24;  // 1, 4 and 8 bits need a colour table; anything unknown gets full colour
    }
}

bool FillBitmapHeaders(int nWidth, int nHeight, int nBitsPerPixel, BITMAPFILEHEADER* pFile, BITMAPINFOHEADER* pInfo) {
    uint64_t image = BitmapImageSize(nWidth, nHeight, nBitsPerPixel);
    if (image == 0 || image > 0x7FFFFFFFu - kBitmapHeadersSize)
        return false;
    memset(pFile, 0, sizeof *pFile);
    memset(pInfo, 0, sizeof *pInfo);
    pFile->bfType = 0x4D42;  // "BM"
    pFile->bfSize = static_cast<DWORD>(kBitmapHeadersSize + image);
    pFile->bfOffBits = kBitmapHeadersSize;
    pInfo->biSize = sizeof(BITMAPINFOHEADER);
    pInfo->biWidth = nWidth;
    pInfo->biHeight = nHeight;  // positive: rows bottom-up
    pInfo->biPlanes = 1;
    pInfo->biBitCount = static_cast<WORD>(nBitsPerPixel);
    pInfo->biCompression = BI_RGB;
    pInfo->biSizeImage = static_cast<DWORD>(image);
    return true;
}

namespace {
bool WriteAll(HANDLE hFile, const FilePart* pParts, int nParts) {
    for (int i = 0; i < nParts; ++i) {
        const char* p = static_cast<const char*>(pParts[i].pData);
        DWORD nLeft = pParts[i].nSize;
        while (nLeft > 0) {
            DWORD nWritten = 0;
            if (!::WriteFile(hFile, p, nLeft, &nWritten, nullptr) || nWritten == 0)
                return false;
            p += nWritten;
            nLeft -= nWritten;
        }
    }
    return ::FlushFileBuffers(hFile) != FALSE;
}
}  // namespace

bool MoveFileOver(const char* pszFrom, const char* pszTo) {
    std::wstring from = AfxSystemPath(pszFrom), to = AfxSystemPath(pszTo);
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    // Systems without MoveFileEx: make room, then move.
    ::DeleteFileA(pszTo);
    return ::MoveFileA(pszFrom, pszTo) != FALSE;
}

std::string FolderOf(const char* pszPath) {
    std::string folder(pszPath);
    size_t cut = folder.find_last_of("\\/:");
    return cut == std::string::npos ? std::string(".") : folder.substr(0, cut + 1);
}

bool WriteFileReplacing(const char* pszPath, const FilePart* pParts, int nParts) {
    std::string strTemp;
    if (!AfxMakeTempFile(FolderOf(pszPath).c_str(), "mrv", &strTemp))
        return false;  // the folder is missing or cannot take a new file
    const char* szTemp = strTemp.c_str();
    // GetTempFileName has made the file, empty; it is ours to fill.
    HANDLE hFile = ::CreateFileA(szTemp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(szTemp);
        return false;
    }
    bool ok = WriteAll(hFile, pParts, nParts);
    ok = ::CloseHandle(hFile) && ok;
    if (ok)
        ok = MoveFileOver(szTemp, pszPath);
    if (!ok)
        ::DeleteFileA(szTemp);
    return ok;
}

bool WriteBitmapFile(HDC hScreenDC, HBITMAP hBitmap, const char* pszPath) {
    BITMAP bm;
    if (!::GetObjectA(hBitmap, sizeof bm, &bm))
        return false;
    int nBits = CaptureBitsPerPixel(bm.bmBitsPixel * bm.bmPlanes);
    BITMAPFILEHEADER bf;
    // Room for the masks or colours GetDIBits may add after the header.
    struct {
        BITMAPINFOHEADER bi;
        RGBQUAD colours[256];
    } info;
    if (!FillBitmapHeaders(bm.bmWidth, bm.bmHeight, nBits, &bf, &info.bi))
        return false;
    BITMAPINFOHEADER header = info.bi;  // as written, whatever GetDIBits does to its copy

    void* pBits = ::GlobalAlloc(GPTR, header.biSizeImage);
    if (!pBits)
        return false;
    bool ok = ::GetDIBits(hScreenDC, hBitmap, 0, static_cast<UINT>(bm.bmHeight), pBits,
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == bm.bmHeight;
    if (ok) {
        const FilePart parts[] = {{&bf, sizeof bf}, {&header, sizeof header}, {pBits, header.biSizeImage}};
        ok = WriteFileReplacing(pszPath, parts, 3);
    }
    ::GlobalFree(pBits);
    return ok;
}
