#include "view/PictureCache.h"

#include "framework/AfxPictureSize.h"
#include "view/PicturePreload.h"

#include <string.h>

#include <vector>

BOOL CPictureCache::s_bEnabled = 1;

bool QueryFileIdentity(const char* pszPath, FileIdentity* pId) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(AfxSystemPath(pszPath).c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    pId->nSize = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    pId->ftLastWrite = data.ftLastWriteTime;
    pId->ftCreation = data.ftCreationTime;
    return true;
}

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.nSize == b.nSize && ::CompareFileTime(&a.ftLastWrite, &b.ftLastWrite) == 0 &&
           ::CompareFileTime(&a.ftCreation, &b.ftCreation) == 0;
}

HGLOBAL ReadFileToGlobal(const char* pszPath, ULONGLONG nMaxBytes, DWORD* pnBytes) {
    // Others may rename, delete or rewrite the file while it is read; it is closed at once.
    HANDLE hFile = ::CreateFileW(AfxSystemPath(pszPath).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return nullptr;
    HGLOBAL hMem = nullptr;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(hFile, &size) && size.QuadPart > 0 && static_cast<ULONGLONG>(size.QuadPart) <= nMaxBytes &&
        size.QuadPart < 0x7FFFFFFF) {
        DWORD n = static_cast<DWORD>(size.QuadPart);
        hMem = ::GlobalAlloc(GMEM_MOVEABLE, n);
        void* p = hMem ? ::GlobalLock(hMem) : nullptr;
        if (p) {
            DWORD nRead = 0;
            BOOL bOk = ::ReadFile(hFile, p, n, &nRead, nullptr) && nRead == n;
            ::GlobalUnlock(hMem);
            if (!bOk) {
                ::GlobalFree(hMem);
                hMem = nullptr;
            } else {
                *pnBytes = n;
            }
        } else if (hMem) {
            ::GlobalFree(hMem);
            hMem = nullptr;
        }
    }
    ::CloseHandle(hFile);
    return hMem;
}

Gdiplus::Image* LoadPictureFile(const char* pszPath, bool* pbTooLarge) {
    // A picture announced too large for any decode is unreadable: this platform's decoder
    // allocates it whole and can take the process down with it. Nothing is decoded.
    const bool bTooLarge = AfxPictureTooLarge(pszPath);
    if (pbTooLarge)
        *pbTooLarge = bTooLarge;
    if (bTooLarge)
        return nullptr;
    // Loaded from the file exactly as a bare GDI+ load does, so the platform's decoders meet
    // every file, malformed ones included, as they always did. (Fed a stream on a memory copy
    // instead, some decoders of this platform crash on malformed files they otherwise refuse.)
    Gdiplus::Image* pImage = new Gdiplus::Image(AfxSystemPath(pszPath).c_str());
    if (pImage->GetLastStatus() != Gdiplus::Ok || pImage->GetWidth() == 0 || pImage->GetHeight() == 0) {
        delete pImage;
        return nullptr;
    }
    return pImage;
}

Gdiplus::Bitmap* CopyLoadedBitmap(Gdiplus::Image* pLoaded) {
    Gdiplus::Bitmap* pBitmap = static_cast<Gdiplus::Bitmap*>(pLoaded);
    Gdiplus::Bitmap* pCopy = pBitmap->Clone(0, 0, static_cast<INT>(pBitmap->GetWidth()),
                                            static_cast<INT>(pBitmap->GetHeight()), pBitmap->GetPixelFormat());
    if (pCopy && pCopy->GetLastStatus() != Gdiplus::Ok) {
        delete pCopy;
        pCopy = nullptr;
    }
    return pCopy;
}

CPictureCache::CPictureCache()
    : m_id(),
      m_pStream(nullptr),
      m_pImage(nullptr),
      m_bTransient(false),
      m_nDecodedBytes(0),
      m_nCeiling(kDefaultCeiling),
      m_nDecodes(0),
      m_nGeneration(0),
      m_nOpaque(-1),
      m_pPreload(nullptr),
      m_pRenderedAhead(nullptr) {}

CPictureCache::~CPictureCache() {
    Clear();
}

CRenderedPicture* CPictureCache::TakeRendering() {
    CRenderedPicture* p = m_pRenderedAhead;
    m_pRenderedAhead = nullptr;
    return p;
}

void CPictureCache::Clear() {
    delete m_pRenderedAhead;
    m_pRenderedAhead = nullptr;
    delete m_pImage;
    m_pImage = nullptr;
    if (m_pStream)
        m_pStream->Release();
    m_pStream = nullptr;
    m_bTransient = false;
    m_nDecodedBytes = 0;
    m_nOpaque = -1;
    m_strPath.Empty();
}

bool CPictureCache::IsOpaque() {
    if (!m_pImage)
        return false;
    if (m_nOpaque < 0)
        m_nOpaque = IsOpaquePicture(m_pImage, true) ? 1 : 0;
    return m_nOpaque == 1;
}

void CPictureCache::Release() {
    if (!s_bEnabled || m_bTransient)
        Clear();
}

Gdiplus::Image* CPictureCache::Get(const char* pszPath) {
    FileIdentity id;
    if (!QueryFileIdentity(pszPath, &id)) {
        Clear();
        return nullptr;
    }
    if (s_bEnabled && m_pImage && !m_bTransient && m_strPath == pszPath && SameIdentity(id, m_id))
        return m_pImage;
    // The picture shown until now stays ready for a step back.
    if (s_bEnabled && m_pPreload && m_pImage && !m_bTransient && m_pImage->GetType() == Gdiplus::ImageTypeBitmap &&
        m_strPath != pszPath) {
        m_pPreload->Keep(m_strPath, m_id, static_cast<Gdiplus::Bitmap*>(m_pImage), m_nDecodedBytes);
        m_pImage = nullptr;
    }
    Clear();
    // Decoded ahead while the last picture was shown, the file unchanged since.
    ULONGLONG nBytes = 0;
    CRenderedPicture* pRendered = nullptr;
    Gdiplus::Bitmap* pReady = (s_bEnabled && m_pPreload) ? m_pPreload->Take(pszPath, id, &nBytes, &pRendered) : nullptr;
    if (pReady) {
        if (nBytes <= m_nCeiling) {
            ++m_nGeneration;
            if (pRendered)
                pRendered->SetGeneration(m_nGeneration);
            m_pRenderedAhead = pRendered;
            m_pImage = pReady;
            m_nDecodedBytes = nBytes;
            m_strPath = pszPath;
            m_id = id;
            return m_pImage;
        }
        delete pRendered;
        delete pReady;
    }
    if (!Decode(pszPath, id))
        Clear();
    return m_pImage;
}

bool CPictureCache::Decode(const char* pszPath, const FileIdentity& id) {
    bool bTooLarge = false;
    m_pImage = LoadPictureFile(pszPath, &bTooLarge);
    if (bTooLarge)
        return false;
    ++m_nDecodes;
    ++m_nGeneration;
    if (!m_pImage)
        return false;
    const bool bBitmap = m_pImage->GetType() == Gdiplus::ImageTypeBitmap;
    UINT nBits = 0;
    if (bBitmap) {
        nBits = (static_cast<UINT>(m_pImage->GetPixelFormat()) >> 8) & 0xFF;
        m_nDecodedBytes = static_cast<ULONGLONG>(m_pImage->GetWidth()) * m_pImage->GetHeight() * ((nBits + 7) / 8);
    }
    // Pictures of 1, 2 or 4 bits per pixel are not copied: this platform's GDI+ copies them with
    // pixels changed (seen on a 1-bit TIFF), so they are drawn from the file every time.
    if (!s_bEnabled || id.nSize > m_nCeiling || m_nDecodedBytes > m_nCeiling || (bBitmap && nBits < 8)) {
        // Not to be kept: drawn once from the file, as it always was, and dropped by Release.
        m_bTransient = true;
    } else if (bBitmap) {
        // The loaded picture holds its file open: its pixels are copied, in their own format,
        // and the file is closed, so others can rename, delete or rewrite it while it is shown.
        Gdiplus::Bitmap* pCopy = CopyLoadedBitmap(m_pImage);
        delete m_pImage;
        m_pImage = pCopy;
        if (!m_pImage)
            return false;
    } else {
        // A metafile stays vector: read again from a copy of the file's bytes, which GDI+ may go
        // back to while the picture lives (the stream is kept with it).
        delete m_pImage;
        m_pImage = nullptr;
        DWORD nBytes = 0;
        HGLOBAL hMem = ReadFileToGlobal(pszPath, m_nCeiling, &nBytes);
        if (!hMem)
            return false;
        // The stream owns the memory from here on and frees it with its last release.
        if (FAILED(::CreateStreamOnHGlobal(hMem, TRUE, &m_pStream))) {
            ::GlobalFree(hMem);
            m_pStream = nullptr;
            return false;
        }
        // A stream on a memory block starts as long as the block, which the allocator may have
        // rounded up: the rounding's leftover bytes are no part of the file.
        ULARGE_INTEGER size;
        size.QuadPart = nBytes;
        if (FAILED(m_pStream->SetSize(size)))
            return false;
        m_pImage = Gdiplus::Image::FromStream(m_pStream, FALSE);
        if (!m_pImage || m_pImage->GetLastStatus() != Gdiplus::Ok || m_pImage->GetWidth() == 0 ||
            m_pImage->GetHeight() == 0)
            return false;
    }
    m_strPath = pszPath;
    m_id = id;
    return true;
}

namespace {
unsigned Gcd(unsigned a, unsigned b) {
    while (b) {
        unsigned t = a % b;
        a = b;
        b = t;
    }
    return a;
}

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

bool IsOpaquePicture(Gdiplus::Image* pImage, bool bScanPixels) {
    if (pImage->GetType() != Gdiplus::ImageTypeBitmap)
        return false;
    const Gdiplus::PixelFormat fmt = pImage->GetPixelFormat();
    if (fmt & (PixelFormatAlpha | PixelFormatPAlpha)) {
        if (!bScanPixels)
            return false;
        // Many pictures carry an alpha channel that is full everywhere.
        Gdiplus::Bitmap* pBitmap = static_cast<Gdiplus::Bitmap*>(pImage);
        Gdiplus::Rect rc(0, 0, static_cast<INT>(pImage->GetWidth()), static_cast<INT>(pImage->GetHeight()));
        Gdiplus::BitmapData data;
        if (pBitmap->LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
            return false;
        bool bOpaque = true;
        for (UINT y = 0; y < data.Height && bOpaque; ++y) {
            const BYTE* p = static_cast<const BYTE*>(data.Scan0) + static_cast<INT_PTR>(y) * data.Stride;
            for (UINT x = 0; x < data.Width; ++x) {
                if (p[4 * x + 3] != 0xFF) {
                    bOpaque = false;
                    break;
                }
            }
        }
        pBitmap->UnlockBits(&data);
        return bOpaque;
    }
    if (!(fmt & PixelFormatIndexed))
        return true;
    const INT nBytes = pImage->GetPaletteSize();
    if (nBytes < static_cast<INT>(sizeof(Gdiplus::ColorPalette)))
        return false;
    std::vector<BYTE> buffer(nBytes);
    Gdiplus::ColorPalette* pPalette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    if (pImage->GetPalette(pPalette, nBytes) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < pPalette->Count; ++i) {
        if ((pPalette->Entries[i] >> 24) != 0xFF)
            return false;
    }
    return true;
}

bool SplitsExactly(int nSize, int nDestSize) {
    if (nSize <= 0 || nDestSize <= 0)
        return false;
    // GDI+ works the placement out in floating point from the part's corner: only a scale with
    // a power of two below the line keeps every product exact, and the pixels the same.
    const unsigned nStep =
        static_cast<unsigned>(nSize) / Gcd(static_cast<unsigned>(nSize), static_cast<unsigned>(nDestSize));
    return (nStep & (nStep - 1)) == 0;
}

bool ShownSpan(int nSize,
               int nDest,
               int nDestSize,
               int nShow0,
               int nShow1,
               int nMargin,
               int nMinStep,
               int* pS0,
               int* pS1,
               int* pD0,
               int* pD1) {
    if (nSize <= 0 || nDestSize <= 0 || (nDest >= nShow0 && static_cast<long long>(nDest) + nDestSize <= nShow1))
        return false;
    // Source pixel s starts at nDest + s * nDestSize / nSize. Cuts only at multiples of nStep
    // source pixels, which land on whole destination pixels (multiples of nDestStep), so the
    // part's scale and placement are the whole picture's.
    if (!SplitsExactly(nSize, nDestSize))
        return false;
    const unsigned g = Gcd(static_cast<unsigned>(nSize), static_cast<unsigned>(nDestSize));
    long long nStep = nSize / g, nDestStep = nDestSize / g;
    while (nStep < nMinStep) {
        nStep *= 2;
        nDestStep *= 2;
    }
    long long s0 = FloorDiv((static_cast<long long>(nShow0) - nDest) * nSize, nDestSize) - nMargin;
    long long s1 = FloorDiv((static_cast<long long>(nShow1) - nDest) * nSize + nDestSize - 1, nDestSize) + nMargin;
    s0 = FloorDiv(s0, nStep) * nStep;
    s1 = FloorDiv(s1 + nStep - 1, nStep) * nStep;
    if (s0 < 0)
        s0 = 0;
    if (s1 > nSize)
        s1 = nSize;
    if (s0 == 0 && s1 == nSize)
        return false;
    if (s1 <= s0) {
        // Nothing of this axis is shown: an empty span.
        s0 = s1 = 0;
    }
    *pS0 = static_cast<int>(s0);
    *pS1 = static_cast<int>(s1);
    *pD0 = static_cast<int>(nDest + s0 / nStep * nDestStep);
    *pD1 = static_cast<int>(nDest + s1 / nStep * nDestStep);
    return true;
}

Gdiplus::Status
DrawPictureShown(Gdiplus::Graphics& graphics, Gdiplus::Image* pImage, int x, int y, int w, int h, const RECT& rcShown) {
    const int W = static_cast<int>(pImage->GetWidth()), H = static_cast<int>(pImage->GetHeight());
    // Bilinear sampling reaches one source pixel beyond the point sampled; two spare.
    const int kMargin = 2;
    int sx0 = 0, sx1 = W, dx0 = x, dx1 = x + w;
    int sy0 = 0, sy1 = H, dy0 = y, dy1 = y + h;
    bool bSplitX = false, bSplitY = false;
    if (pImage->GetType() == Gdiplus::ImageTypeBitmap) {
        // GDI+ reads parts of pictures of 1, 2 and 4 bits per pixel wrongly (a pixel early, or
        // with the colours of a 1-bit picture swapped): those are always drawn whole.
        const UINT nBits = (static_cast<UINT>(pImage->GetPixelFormat()) >> 8) & 0xFF;
        if (nBits >= 8) {
            bSplitX = ShownSpan(W, x, w, rcShown.left, rcShown.right, kMargin, 1, &sx0, &sx1, &dx0, &dx1);
            bSplitY = ShownSpan(H, y, h, rcShown.top, rcShown.bottom, kMargin, 1, &sy0, &sy1, &dy0, &dy1);
        }
    }
    if (!bSplitX && !bSplitY)
        return graphics.DrawImage(pImage, x, y, w, h);
    if (sx1 <= sx0 || sy1 <= sy0)
        return Gdiplus::Ok;  // nothing of the picture is in view
    return graphics.DrawImage(pImage, Gdiplus::Rect(dx0, dy0, dx1 - dx0, dy1 - dy0), sx0, sy0, sx1 - sx0, sy1 - sy0,
                              Gdiplus::UnitPixel);
}

CRenderedPicture::CRenderedPicture() : m_key(), m_nPicX(0), m_nPicY(0), m_nWidth(0), m_nHeight(0) {}

CRenderedPicture::~CRenderedPicture() {
    Clear();
}

void CRenderedPicture::Clear() {
    m_pDC.reset();  // lets the bitmap go
    m_bitmap.DeleteObject();
    m_nWidth = m_nHeight = 0;
}

bool CRenderedPicture::Covers(const Key& key, int x, int y, int cw, int ch) const {
    if (!m_pDC || !(m_key == key))
        return false;
    const long long bx = static_cast<long long>(m_nPicX) - x, by = static_cast<long long>(m_nPicY) - y;
    return bx >= 0 && by >= 0 && bx + cw <= m_nWidth && by + ch <= m_nHeight;
}

bool CRenderedPicture::Render(Gdiplus::Image* pImage, const Key& key, int x, int y, const RECT& rcArea) {
    const int aw = rcArea.right - rcArea.left, ah = rcArea.bottom - rcArea.top;
    if (!m_pDC || m_nWidth != aw || m_nHeight != ah) {
        Clear();
        if (aw <= 0 || ah <= 0)
            return false;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = aw;
        bi.bmiHeader.biHeight = -ah;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* pBits = nullptr;
        if (!m_bitmap.Attach(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0)))
            return false;
        m_pDC.reset(new CMemDC(static_cast<HDC>(nullptr)));
        if (!m_pDC->GetSafeHdc()) {
            Clear();
            return false;
        }
        m_pDC->SelectObject(m_bitmap);
        m_nWidth = aw;
        m_nHeight = ah;
    }
    m_key = key;
    m_key.nDecode = kFailed;  // nothing valid until the draw succeeded
    m_nPicX = x - rcArea.left;
    m_nPicY = y - rcArea.top;
    RECT rc = {0, 0, aw, ah};
    {
        CBrush brush(key.crBackground);
        if (!brush.GetSafeHandle()) {
            Clear();
            return false;
        }
        ::FillRect(*m_pDC, &rc, brush);
    }
    Gdiplus::Status status;
    {
        Gdiplus::Graphics graphics(*m_pDC);
        status = graphics.GetLastStatus();
        if (status == Gdiplus::Ok)
            status = DrawPictureShown(graphics, pImage, m_nPicX, m_nPicY, key.w, key.h, rc);
    }
    if (status != Gdiplus::Ok) {
        Clear();
        return false;
    }
    m_key.nDecode = key.nDecode;
    return true;
}

bool CRenderedPicture::CopyTo(HDC hdc, int x, int y, int cw, int ch) const {
    if (!m_pDC)
        return false;
    return ::BitBlt(hdc, 0, 0, cw, ch, *m_pDC, m_nPicX - x, m_nPicY - y, SRCCOPY) != FALSE;
}

namespace {
// One axis of RenderArea.
void AreaSpan(int nPos, int nSize, int nClient, int nMargin, LONG* pLo, LONG* pHi) {
    const long long lo = nPos, hi = static_cast<long long>(nPos) + nSize;
    const int m = (lo < 0 || hi > nClient) ? nMargin : 0;
    *pLo = static_cast<LONG>(lo < 0 ? (lo > -m ? lo : -m) : 0);
    *pHi = static_cast<LONG>(hi > nClient ? (hi < static_cast<long long>(nClient) + m ? hi : nClient + m) : nClient);
}
}  // namespace

RECT RenderArea(int x, int y, int w, int h, int cw, int ch, int nMargin) {
    RECT rc;
    AreaSpan(x, w, cw, nMargin, &rc.left, &rc.right);
    AreaSpan(y, h, ch, nMargin, &rc.top, &rc.bottom);
    return rc;
}
