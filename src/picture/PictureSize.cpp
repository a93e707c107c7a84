#include "picture/PictureSize.h"

#include "framework/AfxFile.h"

#include <string.h>

namespace {
// What is read of a file at once; every header but a JPEG's with large metadata, or a TIFF's
// whose first IFD sits at the end, lies within it.
const DWORD kPrefixBytes = 16 * 1024;
// Reads of a file outside the prefix, for all walks of one file together.
const int kMaxFileReads = 256;
// Walks over markers, blocks and entries: malformed files may chain them for ever.
const int kMaxJpegSegments = 1024;
const int kMaxJpegFillBytes = 4096;
const int kMaxGifBlocks = 4096;
const UINT kMaxTiffEntries = 1024;
const UINT kMaxIconEntries = 256;
const int kMaxIconPngProbes = 16;

const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

UINT U16LE(const BYTE* p) {
    return p[0] | (p[1] << 8);
}
UINT U16BE(const BYTE* p) {
    return (p[0] << 8) | p[1];
}
UINT U32LE(const BYTE* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<UINT>(p[3]) << 24);
}
UINT U32BE(const BYTE* p) {
    return (static_cast<UINT>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The bytes of a picture at any offset: a block in memory (a file's prefix), and behind it, for
// a file, positioned reads under a budget.
class CHeaderSource {
public:
    CHeaderSource(const BYTE* pData, size_t nData, HANDLE hFile, ULONGLONG nFileSize)
        : m_pData(pData),
          m_nData(nData),
          m_hFile(hFile),
          m_nSize(hFile ? nFileSize : nData),
          m_nReadsLeft(kMaxFileReads) {}

    ULONGLONG Size() const { return m_nSize; }

    // All n bytes at nOffset, or false.
    bool Read(ULONGLONG nOffset, void* pBuffer, DWORD n) {
        if (nOffset > m_nSize || n > m_nSize - nOffset)
            return false;
        if (nOffset <= m_nData && n <= m_nData - nOffset) {
            memcpy(pBuffer, m_pData + nOffset, n);
            return true;
        }
        if (!m_hFile || m_nReadsLeft <= 0)
            return false;
        --m_nReadsLeft;
        LARGE_INTEGER pos;
        pos.QuadPart = static_cast<LONGLONG>(nOffset);
        DWORD nRead = 0;
        return ::SetFilePointerEx(m_hFile, pos, nullptr, FILE_BEGIN) &&
               ::ReadFile(m_hFile, pBuffer, n, &nRead, nullptr) && nRead == n;
    }
    bool ReadByte(ULONGLONG nOffset, BYTE* pb) { return Read(nOffset, pb, 1); }

private:
    const BYTE* m_pData;
    size_t m_nData;
    HANDLE m_hFile;
    ULONGLONG m_nSize;
    int m_nReadsLeft;
};

bool Known(UINT cx, UINT cy, UINT* pcx, UINT* pcy) {
    if (cx == 0 || cy == 0)
        return false;
    *pcx = cx;
    *pcy = cy;
    return true;
}

bool BmpSize(const BYTE* h, size_t n, UINT* pcx, UINT* pcy) {
    if (n < 26)
        return false;
    const UINT nHeader = U32LE(h + 14);
    if (nHeader == 12)  // OS/2 core header: unsigned 16-bit sizes
        return Known(U16LE(h + 18), U16LE(h + 20), pcx, pcy);
    if (nHeader < 16 || nHeader > 124)
        return false;
    const LONG cx = static_cast<LONG>(U32LE(h + 18));
    const LONG cy = static_cast<LONG>(U32LE(h + 22));
    if (cx <= 0)
        return false;
    // A negative height is a top-down picture of that many rows.
    const LONGLONG rows = cy < 0 ? -static_cast<LONGLONG>(cy) : cy;
    return Known(static_cast<UINT>(cx), static_cast<UINT>(rows), pcx, pcy);
}

bool GifSize(CHeaderSource& src, const BYTE* h, size_t n, UINT* pcx, UINT* pcy) {
    if (n < 13)
        return false;
    UINT cx = U16LE(h + 6), cy = U16LE(h + 8);
    ULONGLONG pos = 13;
    if (h[10] & 0x80)
        pos += 3u << ((h[10] & 7) + 1);
    // A decoder makes room for the first image wherever it reaches, screen or not.
    for (int nBlocks = 0; nBlocks < kMaxGifBlocks; ++nBlocks) {
        BYTE b;
        if (!src.ReadByte(pos, &b))
            break;
        if (b == 0x2C) {
            BYTE d[8];
            if (src.Read(pos + 1, d, sizeof d)) {
                const UINT right = U16LE(d) + U16LE(d + 4), bottom = U16LE(d + 2) + U16LE(d + 6);
                if (right > cx)
                    cx = right;
                if (bottom > cy)
                    cy = bottom;
            }
            break;
        }
        if (b != 0x21)
            break;
        // An extension: its label, then sub-blocks up to an empty one.
        pos += 2;
        for (;;) {
            if (++nBlocks >= kMaxGifBlocks || !src.ReadByte(pos, &b))
                return Known(cx, cy, pcx, pcy);
            pos += 1 + b;
            if (b == 0)
                break;
        }
    }
    return Known(cx, cy, pcx, pcy);
}

bool PngSize(const BYTE* h, size_t n, UINT* pcx, UINT* pcy) {
    if (n < 24 || memcmp(h, kPngSignature, 8) != 0 || U32BE(h + 8) != 13 || memcmp(h + 12, "IHDR", 4) != 0)
        return false;
    return Known(U32BE(h + 16), U32BE(h + 20), pcx, pcy);
}

bool IsJpegFrameMarker(BYTE m) {
    // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool JpegSize(CHeaderSource& src, UINT* pcx, UINT* pcy) {
    ULONGLONG pos = 2;  // past SOI
    int nFill = 0;
    for (int nSegments = 0; nSegments < kMaxJpegSegments; ++nSegments) {
        BYTE b;
        if (!src.ReadByte(pos, &b) || b != 0xFF)
            return false;
        BYTE m;
        // Any number of 0xFF may stand before a marker.
        do {
            ++pos;
            if (!src.ReadByte(pos, &m) || ++nFill > kMaxJpegFillBytes)
                return false;
        } while (m == 0xFF);
        ++pos;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8))
            continue;  // standalone: TEM, RSTn, SOI
        if (m == 0x00 || m == 0xD9 || m == 0xDA)
            return false;  // no marker, or the end or the scan before any frame header
        BYTE seg[7];
        if (!src.Read(pos, seg, 2))
            return false;
        const UINT nLength = U16BE(seg);
        if (nLength < 2)
            return false;
        if (IsJpegFrameMarker(m)) {
            if (nLength < 7 || !src.Read(pos, seg, 7))
                return false;
            return Known(U16BE(seg + 5), U16BE(seg + 3), pcx, pcy);
        }
        pos += nLength;
    }
    return false;
}

bool TiffSize(CHeaderSource& src, const BYTE* h, size_t n, UINT* pcx, UINT* pcy) {
    if (n < 8)
        return false;
    const bool bBig = h[0] == 'M';
    UINT (*u16)(const BYTE*) = bBig ? U16BE : U16LE;
    UINT (*u32)(const BYTE*) = bBig ? U32BE : U32LE;
    if (u16(h + 2) != 42)
        return false;
    const ULONGLONG ifd = u32(h + 4);
    BYTE count[2];
    if (ifd < 8 || !src.Read(ifd, count, 2))
        return false;
    // As many entries as the count says, the cap allows and the file holds.
    ULONGLONG nEntries = u16(count);
    if (nEntries > kMaxTiffEntries)
        nEntries = kMaxTiffEntries;
    const ULONGLONG nFit = (src.Size() - ifd - 2) / 12;
    if (nEntries > nFit)
        nEntries = nFit;
    BYTE entries[kMaxTiffEntries * 12];
    if (nEntries == 0 || !src.Read(ifd + 2, entries, static_cast<DWORD>(nEntries * 12)))
        return false;
    UINT cx = 0, cy = 0;
    for (ULONGLONG i = 0; i < nEntries && (cx == 0 || cy == 0); ++i) {
        const BYTE* e = entries + i * 12;
        const UINT tag = u16(e), type = u16(e + 2);
        if ((tag != 256 && tag != 257) || u32(e + 4) == 0)
            continue;
        // SHORT or LONG, its first value at the start of the value field.
        UINT v = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : 0;
        (tag == 256 ? cx : cy) = v;
    }
    return Known(cx, cy, pcx, pcy);
}

bool IconSize(CHeaderSource& src, const BYTE* h, size_t n, UINT* pcx, UINT* pcy) {
    if (n < 6)
        return false;
    ULONGLONG nEntries = U16LE(h + 4);
    if (nEntries > kMaxIconEntries)
        nEntries = kMaxIconEntries;
    BYTE dir[kMaxIconEntries * 16];
    if (nEntries == 0 || !src.Read(6, dir, static_cast<DWORD>(nEntries * 16)))
        return false;
    UINT cx = 0, cy = 0;
    int nProbes = 0;
    for (ULONGLONG i = 0; i < nEntries; ++i) {
        const BYTE* e = dir + i * 16;
        UINT w = e[0] ? e[0] : 256, hgt = e[1] ? e[1] : 256;  // 0 stands for 256
        // A PNG entry may announce any size in its own header.
        BYTE png[24];
        if (nProbes < kMaxIconPngProbes && U32LE(e + 8) >= sizeof png) {
            ++nProbes;
            UINT pw, ph;
            if (src.Read(U32LE(e + 12), png, sizeof png) && PngSize(png, sizeof png, &pw, &ph)) {
                w = pw;
                hgt = ph;
            }
        }
        if (static_cast<ULONGLONG>(w) * hgt > static_cast<ULONGLONG>(cx) * cy) {
            cx = w;
            cy = hgt;
        }
    }
    return Known(cx, cy, pcx, pcy);
}

bool ReadSize(CHeaderSource& src, UINT* pcx, UINT* pcy) {
    *pcx = *pcy = 0;
    BYTE h[32];
    DWORD n = src.Size() < sizeof h ? static_cast<DWORD>(src.Size()) : static_cast<DWORD>(sizeof h);
    if (!src.Read(0, h, n) || n < 4)
        return false;
    if (h[0] == 'B' && h[1] == 'M')
        return BmpSize(h, n, pcx, pcy);
    if (n >= 6 && (memcmp(h, "GIF87a", 6) == 0 || memcmp(h, "GIF89a", 6) == 0))
        return GifSize(src, h, n, pcx, pcy);
    if (h[0] == 0x89 && h[1] == 'P')
        return PngSize(h, n, pcx, pcy);
    if (h[0] == 0xFF && h[1] == 0xD8)
        return JpegSize(src, pcx, pcy);
    if ((h[0] == 'I' && h[1] == 'I') || (h[0] == 'M' && h[1] == 'M'))
        return TiffSize(src, h, n, pcx, pcy);
    if (h[0] == 0 && h[1] == 0 && (h[2] == 1 || h[2] == 2) && h[3] == 0)
        return IconSize(src, h, n, pcx, pcy);
    return false;
}
}  // namespace

bool ReadPictureSize(const void* pData, size_t nBytes, UINT* pcx, UINT* pcy) {
    CHeaderSource src(static_cast<const BYTE*>(pData), nBytes, nullptr, 0);
    if (ReadSize(src, pcx, pcy))
        return true;
    *pcx = *pcy = 0;
    return false;
}

bool ReadPictureSize(const char* pszPath, UINT* pcx, UINT* pcy) {
    *pcx = *pcy = 0;
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool bKnown = false;
    LARGE_INTEGER size;
    BYTE prefix[kPrefixBytes];
    DWORD nRead = 0;
    if (::GetFileSizeEx(hFile, &size) && ::ReadFile(hFile, prefix, sizeof prefix, &nRead, nullptr)) {
        CHeaderSource src(prefix, nRead, hFile, static_cast<ULONGLONG>(size.QuadPart));
        bKnown = ReadSize(src, pcx, pcy);
    }
    ::CloseHandle(hFile);
    if (!bKnown)
        *pcx = *pcy = 0;
    return bKnown;
}

bool PixelsPass2GiB(UINT cx, UINT cy) {
    // cx * cy * 4 > 2^31, without the overflow of the product times four.
    return static_cast<ULONGLONG>(cx) * cy > (1ull << 29);
}

bool PictureTooLarge(const char* pszPath) {
    UINT cx, cy;
    return ReadPictureSize(pszPath, &cx, &cy) && PixelsPass2GiB(cx, cy);
}
