#include "picture/PictureCache.h"

#include "picture/PicturePreload.h"
#include "picture/SharperDecode.h"

#include <math.h>
#include <string.h>

#include <vector>

CPictureCache::CPictureCache(bool bKeep)
    : m_bKeep(bKeep),
      m_bTransient(false),
      m_nDecodedBytes(0),
      m_nCeiling(kDefaultCeiling),
      m_nDecodes(0),
      m_nGeneration(0),
      m_nOpaque(-1),
      m_pPreload(nullptr),
      m_nClientWidth(0),
      m_nClientHeight(0),
      m_fit(nullptr),
      m_hNotify(nullptr),
      m_nNotifyMessage(0),
      m_pSharper(new CSharperDecode),
      m_nTicket(0),
      m_nWantWidth(0),
      m_nWantHeight(0),
      m_rcWant(),
      m_bWholeTooLarge(false) {}

CPictureCache::~CPictureCache() {
    Clear();
}

std::unique_ptr<CRenderedPicture> CPictureCache::TakeRendering() {
    return std::move(m_pRenderedAhead);
}

void CPictureCache::Clear() {
    m_pSharper->Cancel();
    m_nTicket = 0;
    m_bWholeTooLarge = false;
    m_detail = CPicture();
    m_pRenderedAhead.reset();
    m_picture = CPicture();
    m_bTransient = false;
    m_nDecodedBytes = 0;
    m_nOpaque = -1;
    m_strPath.Empty();
}

bool CPictureCache::IsOpaque() {
    if (!Holds())
        return false;
    if (m_nOpaque < 0)
        m_nOpaque = IsOpaquePicture(m_picture.Image(), true) ? 1 : 0;
    return m_nOpaque == 1;
}

void CPictureCache::Release() {
    if (!m_bKeep || m_bTransient)
        Clear();
}

Gdiplus::Image* CPictureCache::Get(const char* pszPath) {
    FileIdentity id;
    if (!QueryFileIdentity(pszPath, &id)) {
        Clear();
        return nullptr;
    }
    if (m_bKeep && Keeps() && m_strPath == pszPath && SameIdentity(id, m_picture.Identity()))
        return m_picture.Image();
    // The picture shown until now stays ready for a step back.
    if (m_bKeep && m_pPreload && Keeps() && m_picture.IsRaster() && m_strPath != pszPath)
        m_pPreload->Keep(m_strPath, std::move(m_picture), m_nDecodedBytes);
    Clear();
    // Decoded ahead while the last picture was shown, the file unchanged since.
    if (m_bKeep && m_pPreload) {
        CPicturePreload::Ready ready = m_pPreload->Take(pszPath, id);
        if (ready.picture && ready.picture.DecodedBytes() <= m_nCeiling) {
            ++m_nGeneration;
            if (ready.pRendered)
                ready.pRendered->SetGeneration(m_nGeneration);
            m_pRenderedAhead = std::move(ready.pRendered);
            m_nDecodedBytes = ready.picture.DecodedBytes();
            m_picture = std::move(ready.picture);
            m_strPath = pszPath;
            return m_picture.Image();
        }
    }
    if (!Decode(pszPath))
        Clear();
    return m_picture.Image();
}

SIZE CPictureCache::FittedSize(UINT nWidth, UINT nHeight, const void* pContext) {
    const CPictureCache* pThis = static_cast<const CPictureCache*>(pContext);
    SIZE none = {0, 0};
    if (!pThis->m_fit || pThis->m_nClientWidth <= 0 || pThis->m_nClientHeight <= 0 || nWidth > 0x7FFFFFFF ||
        nHeight > 0x7FFFFFFF)
        return none;
    return pThis->m_fit(static_cast<int>(nWidth), static_cast<int>(nHeight), pThis->m_nClientWidth,
                        pThis->m_nClientHeight);
}

void CPictureCache::SetClient(int cw, int ch, FitFn fit) {
    m_nClientWidth = cw;
    m_nClientHeight = ch;
    m_fit = fit;
}

void CPictureCache::SetNotify(HWND hWnd, UINT nMessage) {
    m_hNotify = hWnd;
    m_nNotifyMessage = nMessage;
}

bool CPictureCache::Decode(const char* pszPath) {
    PictureOptions options;
    // Kept pictures are decoded for the fitted draw, within the ceiling; the bare comparison
    // decodes every pixel as a plain decode does.
    if (m_bKeep) {
        options.nCeiling = m_nCeiling;
        options.pfnDrawnSize = &CPictureCache::FittedSize;
        options.pDrawnSizeContext = this;
    }
    CPicture picture = OpenPicture(pszPath, options);
    if (picture.Status() == PictureStatus::TooLarge)
        return false;
    ++m_nDecodes;
    ++m_nGeneration;
    if (!picture)
        return false;
    // A still picture of fewer than 8 bits per pixel is kept widened.
    if (m_bKeep && !picture.Keepable())
        picture.WidenForKeeping(m_nCeiling);
    m_nDecodedBytes = picture.DecodedBytes();
    m_bWholeTooLarge = picture.ReducedByCeiling();
    // Not to be kept: used once, and dropped by Release.
    m_bTransient =
        !m_bKeep || picture.Identity().nSize > m_nCeiling || m_nDecodedBytes > m_nCeiling || !picture.Keepable();
    m_picture = std::move(picture);
    m_strPath = pszPath;
    return true;
}

namespace {
// The part of a picture of W x H (true pixels) drawn at (x, y, w, h) that a client of cw x ch
// shows, widened by nMargin client pixels on each side.
RECT PartInView(UINT W, UINT H, int x, int y, int w, int h, int cw, int ch, int nMargin) {
    const double sx = static_cast<double>(W) / w, sy = static_cast<double>(H) / h;
    RECT rc;
    rc.left = static_cast<LONG>(floor((-nMargin - x) * sx));
    rc.top = static_cast<LONG>(floor((-nMargin - y) * sy));
    rc.right = static_cast<LONG>(ceil((cw + nMargin - x) * sx));
    rc.bottom = static_cast<LONG>(ceil((ch + nMargin - y) * sy));
    RECT whole = {0, 0, static_cast<LONG>(W), static_cast<LONG>(H)};
    if (!IntersectRect(&rc, &rc, &whole))
        SetRectEmpty(&rc);
    return rc;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The pixels of picture show its part at least at nWant x nWantH for the whole of W x H.
bool DenseEnough(const CPicture& picture, UINT nWantW, UINT nWantH) {
    const RECT& rc = picture.Part();
    const ULONGLONG pw = static_cast<ULONGLONG>(rc.right - rc.left), ph = static_cast<ULONGLONG>(rc.bottom - rc.top);
    // decoded / part >= want / whole, in whole numbers; one pixel short on a side is the
    // rounding of a reduced part.
    return (static_cast<ULONGLONG>(picture.DecodedWidth()) + 1) * picture.Width() >= pw * nWantW &&
           (static_cast<ULONGLONG>(picture.DecodedHeight()) + 1) * picture.Height() >= ph * nWantH;
}
}  // namespace

void CPictureCache::Need(int x, int y, int w, int h, int cw, int ch, bool bFull, bool bNow, bool bFitted) {
    if (!m_bKeep || !Holds() || !m_picture.IsRaster() || w <= 0 || h <= 0 || cw <= 0 || ch <= 0)
        return;
    const UINT W = m_picture.Width(), H = m_picture.Height();
    const UINT nWantW = bFull || static_cast<UINT>(w) > W ? W : static_cast<UINT>(w);
    const UINT nWantH = bFull || static_cast<UINT>(h) > H ? H : static_cast<UINT>(h);
    const bool bBaseEnough =
        m_picture.IsWhole() && m_picture.DecodedWidth() >= nWantW && m_picture.DecodedHeight() >= nWantH;
    // Fitted, with more pixels than drawn (after a zoom or a larger window): the drawn size's
    // own decode replaces them behind the draw.
    const bool bRefit = bBaseEnough && bFitted && !bFull && m_picture.Reducible() &&
                        (m_picture.DecodedWidth() > nWantW || m_picture.DecodedHeight() > nWantH);
    if (bBaseEnough && !bRefit) {
        if (m_detail) {
            m_detail = CPicture();
            ++m_nGeneration;
        }
        m_pSharper->Cancel();
        m_nTicket = 0;
        return;
    }
    const RECT rcView = PartInView(W, H, x, y, w, h, cw, ch, 0);
    if (IsRectEmpty(&rcView))
        return;
    if (!bRefit && m_detail && Contains(m_detail.Part(), rcView) && DenseEnough(m_detail, nWantW, nWantH))
        return;
    // The whole picture at the size wanted, unless it passes the ceiling: then the part in view,
    // with half a client to spare on every side for the drag that follows.
    const bool bPart = !bRefit && (m_bWholeTooLarge || static_cast<ULONGLONG>(nWantW) * nWantH * 4 > m_nCeiling);
    RECT rcWant = {0, 0, 0, 0};
    if (bPart)
        rcWant = PartInView(W, H, x, y, w, h, cw, ch, (cw > ch ? cw : ch) / 2);
    // Asked already: the decode under way will do.
    if (m_nTicket && m_nWantWidth == nWantW && m_nWantHeight == nWantH &&
        (!bPart ? IsRectEmpty(&m_rcWant) : !IsRectEmpty(&m_rcWant) && Contains(m_rcWant, rcView)) &&
        m_pSharper->Pending(m_nTicket) && !bNow)
        return;
    CSharperDecode::Request request;
    request.strPath = static_cast<const char*>(m_strPath);
    request.options.nCeiling = m_nCeiling;
    request.options.nDrawWidth = nWantW < W ? nWantW : 0;
    request.options.nDrawHeight = nWantW < W ? nWantH : 0;
    request.options.rcPart = rcWant;
    static int s_nTickets = 0;
    request.nTicket = ++s_nTickets;
    m_nTicket = request.nTicket;
    m_nWantWidth = nWantW;
    m_nWantHeight = nWantH;
    m_rcWant = rcWant;
    if (!bNow && m_pSharper->Start(request, m_hNotify, m_nNotifyMessage))
        return;
    // No thread here, or wanted at once: decoded now.
    m_pSharper->Cancel();
    m_nTicket = 0;
    Apply(OpenPicture(request.strPath.c_str(), request.options));
}

bool CPictureCache::Apply(CPicture picture) {
    if (!picture || !Holds() || !SameIdentity(picture.Identity(), m_picture.Identity()) ||
        picture.Width() != m_picture.Width() || picture.Height() != m_picture.Height())
        return false;
    if (picture.IsWhole()) {
        // Still reduced by the ceiling: the part in view is asked for next (a repaint asks).
        const bool bNowTooLarge = picture.ReducedByCeiling() && !m_bWholeTooLarge;
        if (picture.ReducedByCeiling())
            m_bWholeTooLarge = true;
        // Fewer pixels replace more only at the drawn size asked for, never by the ceiling's cut.
        if (picture.DecodedWidth() <= m_picture.DecodedWidth() &&
            (picture.ReducedByCeiling() || picture.DecodedWidth() == m_picture.DecodedWidth()))
            return bNowTooLarge;
        m_detail = CPicture();
        m_nDecodedBytes = picture.DecodedBytes();
        m_nOpaque = -1;
        m_picture = std::move(picture);
    } else {
        m_detail = std::move(picture);
    }
    ++m_nGeneration;
    return true;
}

bool CPictureCache::TakeSharper() {
    if (!m_nTicket)
        return false;
    CPicture picture = m_pSharper->Take(m_nTicket);
    if (!picture)
        return false;
    m_nTicket = 0;
    return Apply(std::move(picture));
}

bool CPictureCache::Sharpening() {
    return m_nTicket != 0 && m_pSharper->Pending(m_nTicket);
}

void CPictureCache::WaitSharper() {
    m_pSharper->WaitIdle();
}

Gdiplus::Image* CPictureCache::Detail(RECT* prcPart) const {
    if (!m_detail)
        return nullptr;
    *prcPart = m_detail.Part();
    return m_detail.Image();
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
    return !(fmt & PixelFormatIndexed) || OpaquePalette(pImage);
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
