// The capture file's format: an uncompressed, bottom-up Windows bitmap with no colour table,
// its sizes, its headers, and a write that replaces the file whole or not at all.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

// Bytes of one pixel row: width x bits per pixel rounded up to a multiple of 32 bits.
uint64_t BitmapRowSize(int nWidth, int nBitsPerPixel);
// Bytes of all rows.
uint64_t BitmapImageSize(int nWidth, int nHeight, int nBitsPerPixel);
// Offset of the pixels: the file header (14 bytes) and the information header (40 bytes).
const uint32_t kBitmapHeadersSize = 54;
static_assert(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) == kBitmapHeadersSize, "packed headers");

// The depth a capture is stored at for a screen of the given depth. Screens of 8 bits or
// fewer need a colour table, which the file has no room for: they are stored at 24 bits, so
// the file stays a plain colour-table-free bitmap every program opens.
int CaptureBitsPerPixel(int nScreenBitsPerPixel);

// Both headers for a bitmap of the given size and depth (bottom-up, BI_RGB, no colour table).
// False when the size cannot be described (not positive, or the file would pass 2 GB).
bool FillBitmapHeaders(int nWidth, int nHeight, int nBitsPerPixel, BITMAPFILEHEADER* pFile, BITMAPINFOHEADER* pInfo);

// Writes the parts, in order, to a new file in the target's folder and then puts it in the
// target's place. On any failure the temporary file is removed and the target is left as it
// was: never truncated, never half written. The temporary name is one the system picks as
// unused, so no other file is overwritten.
struct FilePart {
    const void* pData;
    DWORD nSize;
};
bool WriteFileReplacing(const char* pszPath, const FilePart* pParts, int nParts);
// The folder part of a path with its separator ("." for a bare name): where a temporary file
// that is to replace the path goes.
std::string FolderOf(const char* pszPath);
// Puts the finished file pszFrom in pszTo's place, replacing what is there in one move.
bool MoveFileOver(const char* pszFrom, const char* pszTo);

// Reads a bitmap's pixels at the depth CaptureBitsPerPixel chooses for it (through a device
// context of the display) and writes them as a bitmap file to pszPath. The bitmap must not be
// selected into a device context. False when nothing was written.
bool WriteBitmapFile(HDC hScreenDC, HBITMAP hBitmap, const char* pszPath);
