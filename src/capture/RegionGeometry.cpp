#include "capture/RegionGeometry.h"

#include <stdlib.h>

#include "framework/AfxDpi.h"

#include <algorithm>

namespace {
// The selection's corners on one axis, start and start + size + 2, as the captured span.
struct Span {
    int nOrigin;
    int nSize;
};
Span InsideSpan(int nStart, int nSize) {
    int nEnd = nStart + nSize + 2;
    int nLow = std::min(nStart, nEnd), nHigh = std::max(nStart, nEnd);
    return {nLow + 1, nHigh - nLow - 2};
}
}  // namespace

CRect NormaliseRegion(CPoint ptStart, int nWidth, int nHeight) {
    Span x = InsideSpan(ptStart.x, nWidth), y = InsideSpan(ptStart.y, nHeight);
    if (x.nSize > 0 && y.nSize > 0)
        return CRect(x.nOrigin, y.nOrigin, x.nOrigin + x.nSize, y.nOrigin + y.nSize);

    // No inside: the rectangle the signs of the size select, next to the first corner.
    int w = nWidth, h = nHeight;
    int left = ptStart.x + 1, top = ptStart.y + 1;
    if (w < 0 && h < 0) {
        w = abs(w);
        h = abs(h);
        left -= w;
        top -= h;
    } else if (w > 0 && h < 0) {
        h = abs(h);
        top -= h;
    } else if (w < 0 && h > 0) {
        w = abs(w);
        left -= w;
    }
    if (w == 0 || h == 0)
        w = h = 2;
    return CRect(left, top, left + w, top + h);
}

CString RegionLabelText(BOOL bStarted, CPoint ptCursor, CPoint ptStart, int nWidth, int nHeight) {
    CString s;
    if (bStarted)
        s.Format("X=%d Y=%d W=%d H=%d", ptStart.x, ptStart.y, nWidth, nHeight);
    else
        s.Format("X=%d Y=%d", ptCursor.x, ptCursor.y);
    return s;
}

CPoint RegionLabelOrigin(CPoint ptCursor, CSize sizeText, int cxScreen, int cyScreen, UINT nDpi) {
    const int nGap = AfxScaleByDpi(20, nDpi), nNear = AfxScaleByDpi(25, nDpi), nFlip = AfxScaleByDpi(40, nDpi);
    int dx = 0, dy = 0;
    if (cxScreen - ptCursor.x <= sizeText.cx + nNear)
        dx = -(sizeText.cx + nFlip);
    if (cyScreen - ptCursor.y <= sizeText.cy + nNear)
        dy = -(sizeText.cy + nFlip);
    return CPoint(ptCursor.x + dx + nGap, ptCursor.y + dy + nGap);
}
