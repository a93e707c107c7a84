#include "picture/ScaledJpeg.h"

#include "picture/Picture.h"

bool JpegIsBomb(const JpegInfo& info, size_t nBytes) {
    const ULONGLONG nPixels = static_cast<ULONGLONG>(info.nWidth) * info.nHeight;
    return nPixels / 1024 > nBytes;
}

int JpegScaleWithin(UINT nWidth,
                    UINT nHeight,
                    UINT nDrawWidth,
                    UINT nDrawHeight,
                    UINT nPartWidth,
                    UINT nPartHeight,
                    ULONGLONG nCeiling,
                    bool* pbReduced) {
    *pbReduced = false;
    int n = nDrawWidth && nDrawHeight ? JpegScaleFor(nWidth, nHeight, nDrawWidth, nDrawHeight) : 1;
    if (nCeiling == 0)
        return n;
    for (;; n *= 2) {
        const ULONGLONG nBytes = static_cast<ULONGLONG>((nPartWidth + n - 1) / n) * ((nPartHeight + n - 1) / n) * 4;
        if (nBytes <= nCeiling)
            return n;
        if (n == 8)
            return 0;
        *pbReduced = true;
    }
}

RECT StoredPart(const RECT& rc, UINT nWidth, UINT nHeight, int nOrientation) {
    // nWidth x nHeight is the upright picture; as stored it is turned for 5-8.
    const LONG W = static_cast<LONG>(nWidth), H = static_cast<LONG>(nHeight);
    RECT s = rc;
    switch (nOrientation) {
        case 2:  // mirrored left to right
            SetRect(&s, W - rc.right, rc.top, W - rc.left, rc.bottom);
            break;
        case 3:  // turned half round
            SetRect(&s, W - rc.right, H - rc.bottom, W - rc.left, H - rc.top);
            break;
        case 4:  // mirrored top to bottom
            SetRect(&s, rc.left, H - rc.bottom, rc.right, H - rc.top);
            break;
        case 5:  // mirrored about the diagonal: upright x is stored y
            SetRect(&s, rc.top, rc.left, rc.bottom, rc.right);
            break;
        case 6:  // shown turned a quarter clockwise: upright x counts stored rows from the bottom
            SetRect(&s, rc.top, W - rc.right, rc.bottom, W - rc.left);
            break;
        case 7:  // about the other diagonal
            SetRect(&s, H - rc.bottom, W - rc.right, H - rc.top, W - rc.left);
            break;
        case 8:  // shown turned a quarter anticlockwise
            SetRect(&s, H - rc.bottom, rc.left, H - rc.top, rc.right);
            break;
        default:
            break;
    }
    return s;
}

ScaledJpeg DecodeJpegAsAsked(const void* pData,
                             size_t nBytes,
                             const JpegInfo& info,
                             int nOrientation,
                             const PictureOptions& options,
                             CDecodedImage* pOut,
                             RECT* prcPart,
                             bool* pbCeilingReduced) {
    const int nTurn = options.bShownRight && nOrientation >= 1 && nOrientation <= 8 ? nOrientation : 1;
    const bool bSwap = nTurn >= 5;
    const UINT W = bSwap ? info.nHeight : info.nWidth, H = bSwap ? info.nWidth : info.nHeight;
    UINT dw = options.nDrawWidth, dh = options.nDrawHeight;
    if (dw == 0 && options.pfnDrawnSize) {
        const SIZE drawn = options.pfnDrawnSize(W, H, options.pDrawnSizeContext);
        dw = drawn.cx > 0 ? static_cast<UINT>(drawn.cx) : 0;
        dh = drawn.cy > 0 ? static_cast<UINT>(drawn.cy) : 0;
    }
    if (dw >= W || dh >= H || dw == 0 || dh == 0)
        dw = dh = 0;  // every pixel
    RECT part = options.rcPart;
    RECT whole = {0, 0, static_cast<LONG>(W), static_cast<LONG>(H)};
    if (!IntersectRect(&part, &part, &whole))
        part = whole;
    // As stored, the drawn size and the part.
    const UINT sdw = bSwap ? dh : dw, sdh = bSwap ? dw : dh;
    bool bWholePart = EqualRect(&part, &whole) != FALSE;
    int n = JpegScaleWithin(info.nWidth, info.nHeight, sdw, sdh, static_cast<UINT>(part.right - part.left),
                            static_cast<UINT>(part.bottom - part.top), options.nCeiling, pbCeilingReduced);
    if (n == 0)
        return ScaledJpeg::TooLarge;
    if (!bWholePart) {
        // Cut on whole blocks of the scale, so the part's pixels fall on whole reduced pixels.
        const LONG a = 8 * n;
        part.left -= part.left % a;
        part.top -= part.top % a;
        part.right = part.right % a ? part.right + a - part.right % a : part.right;
        part.bottom = part.bottom % a ? part.bottom + a - part.bottom % a : part.bottom;
        IntersectRect(&part, &part, &whole);
        bWholePart = EqualRect(&part, &whole) != FALSE;
        if (bWholePart)
            n = JpegScaleWithin(info.nWidth, info.nHeight, sdw, sdh, W, H, options.nCeiling, pbCeilingReduced);
        if (n == 0)
            return ScaledJpeg::TooLarge;
    }
    *prcPart = part;
    const JpegDecode decoded = bWholePart ? DecodeJpeg(pData, nBytes, n, pOut)
                                          : DecodeJpegRegion(pData, nBytes, StoredPart(part, W, H, nTurn), n, pOut);
    if (decoded == JpegDecode::Refused || decoded == JpegDecode::NotOurs)
        return ScaledJpeg::Refused;
    if (decoded != JpegDecode::Decoded || pOut->frames.empty())
        return ScaledJpeg::Unreadable;
    if (bWholePart && sdw > 0 && pOut->nWidth >= sdw && pOut->nHeight >= sdh &&
        (pOut->nWidth > sdw || pOut->nHeight > sdh)) {
        // The DCT's reduction is the smallest at least as large as the draw: an area average
        // brings it to the drawn size, which the view then draws pixel for pixel.
        CDecodedFrame reduced;
        AreaDownscale(pOut->frames[0], pOut->nWidth, pOut->nHeight, sdw, sdh, &reduced);
        pOut->frames[0] = std::move(reduced);
        pOut->nWidth = sdw;
        pOut->nHeight = sdh;
    }
    return ScaledJpeg::Decoded;
}
