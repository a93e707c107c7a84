// Measuring and drawing the owner-drawn items of a bitmap menu: a 16 x 15 image column, check
// marks drawn here, embossed images for disabled items, right-aligned shortcut labels.
#include "controls/BitmapMenu.h"

#include <string>

namespace {
const DWORD kRopDestWhereWhiteBrushWhereBlack = 0xE20746;  // source mono: white keeps, black paints
const DWORD kRopBrushWhereBlack = 0xB8074A;

// A one-pixel frame: top and left in one colour, bottom and right in the other.
void Draw3dRect(HDC hDC, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight) {
    CDC dc(hDC);
    int x = rc.left, y = rc.top, cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    dc.FillSolidRect(CRect(x, y, x + cx - 1, y + 1), crTopLeft);
    dc.FillSolidRect(CRect(x, y, x + 1, y + cy - 1), crTopLeft);
    dc.FillSolidRect(CRect(x + cx - 1, y, x + cx, y + cy), crBottomRight);
    dc.FillSolidRect(CRect(x, y + cy - 1, x + cx, y + cy), crBottomRight);
}

void DrawParts(HDC hDC, const std::wstring& left, const std::wstring* pRight, RECT rc, COLORREF cr) {
    ::SetTextColor(hDC, cr);
    ::DrawTextW(hDC, left.c_str(), static_cast<int>(left.size()), &rc, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    if (pRight)
        ::DrawTextW(hDC, pRight->c_str(), static_cast<int>(pRight->size()), &rc, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
}

// What both disabled looks draw with: a one-bit mask of the image's size selected into one
// memory DC, the source bitmap into another, and the face, highlight and shadow brushes. The
// mask is a device bitmap (a colour copied onto it turns white where it is the source DC's
// background colour, black elsewhere) or, bNearest, a black-and-white DIB section (each colour
// turns into the nearer of the two). Members go in reverse order: the DCs first, which puts back
// what they had selected, then the brushes and the mask. Ready() is false when anything could
// not be made or selected, and then nothing is to be drawn.
class CDisabledImageTools {
public:
    CDisabledImageTools(HDC hCompatible, int nWidth, int nHeight, HBITMAP hbmSource, bool bNearest)
        : m_brFace(::GetSysColor(CBitmapMenu::IsNewLook() ? COLOR_3DFACE : COLOR_MENU)),
          m_brHighlight(::GetSysColor(COLOR_BTNHIGHLIGHT)),
          m_brShadow(::GetSysColor(COLOR_BTNSHADOW)),
          m_dcMask(hCompatible),
          m_dcSource(hCompatible) {
        if (bNearest) {
            struct {
                BITMAPINFOHEADER header;
                RGBQUAD colours[2];
            } bmi = {};
            bmi.header.biSize = sizeof bmi.header;
            bmi.header.biWidth = nWidth;
            bmi.header.biHeight = nHeight;
            bmi.header.biPlanes = 1;
            bmi.header.biBitCount = 1;
            bmi.colours[1].rgbRed = bmi.colours[1].rgbGreen = bmi.colours[1].rgbBlue = 255;
            void* pBits = nullptr;
            m_bmpMask.Attach(::CreateDIBSection(hCompatible, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS,
                                                &pBits, nullptr, 0));
        } else {
            m_bmpMask.CreateBitmap(nWidth, nHeight, 1, 1, nullptr);
        }
        m_bReady = m_bmpMask.GetSafeHandle() && m_brFace.GetSafeHandle() && m_brHighlight.GetSafeHandle() &&
                   m_brShadow.GetSafeHandle() && m_dcMask.GetSafeHdc() && m_dcSource.GetSafeHdc() &&
                   m_dcMask.SelectObject(m_bmpMask) && m_dcSource.SelectObject(hbmSource);
    }
    bool Ready() const { return m_bReady; }

    CBitmap m_bmpMask;
    CBrush m_brFace, m_brHighlight, m_brShadow;
    CMemDC m_dcMask, m_dcSource;

private:
    bool m_bReady = false;
};
}  // namespace

void CBitmapMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMIS) {
    const CBitmapMenuItem* pItem = reinterpret_cast<const CBitmapMenuItem*>(lpMIS->itemData);
    if (pItem && (pItem->m_nFlags & MF_SEPARATOR)) {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) >> 1);
        return;
    }
    CFont font;  // declared first: the DC lets it go before it is deleted
    font.Attach(CreateMenuFont());
    CWnd* pMain = AfxGetMainWnd();
    CClientDC dc(pMain ? pMain->m_hWnd : nullptr);
    HDC hDC = dc;
    if (IsNewLook())
        dc.SelectObject(font);

    const wchar_t* pszText = pItem && pItem->m_pwszText ? pItem->m_pwszText : L"";
    int nChars = static_cast<int>(wcslen(pszText));
    int cxText = 0;
    if (s_nWinClass != 0) {
        SIZE size = {0, 0};
        if (nChars > 0)
            ::GetTextExtentPoint32W(hDC, pszText, nChars, &size);
        cxText = size.cx;
    } else {
        RECT rc = {0, 0, 0, 0};
        ::DrawTextW(hDC, pszText, nChars, &rc, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_CALCRECT);
        unsigned w = static_cast<unsigned>(rc.right + 3);
        if (nChars > 0)  // an empty text keeps the measured width plus 3
            w += 3 * (w / static_cast<unsigned>(nChars));
        cxText = static_cast<int>(w);
    }

    lpMIS->itemWidth = static_cast<UINT>(m_cxImage + cxText + 1 + m_cxImage);
    int cyMenu = ::GetSystemMetrics(SM_CYMENU);
    lpMIS->itemHeight = static_cast<UINT>(cyMenu > m_cyImage + 4 ? cyMenu : m_cyImage + 4);
}

void CBitmapMenu::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    const CBitmapMenuItem* pItem = reinterpret_cast<const CBitmapMenuItem*>(lpDIS->itemData);
    const CRect rcItem(lpDIS->rcItem);
    if (pItem && (pItem->m_nFlags & MF_SEPARATOR)) {
        CRect rc = rcItem;
        rc.top += rc.Height() / 2;
        ::DrawEdge(lpDIS->hDC, &rc, EDGE_ETCHED, BF_TOP);
        return;
    }

    // The GDI objects outlive the DC wrapper, which deselects them as it goes.
    COLORREF crText = ::GetSysColor(COLOR_MENUTEXT);
    const COLORREF crBack = ::GetSysColor(COLOR_MENU);
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    CBrush brBack(crBack);
    CBrush brHighlight(::GetSysColor(COLOR_HIGHLIGHT));
    CPen pen(PS_SOLID, 1, crBack);
    CFont font;
    font.Attach(CreateMenuFont());
    CDC dc(lpDIS->hDC);
    dc.SelectObject(pen);

    int nSource = -1, nImage = -1;
    CImageList* pImages = nullptr;
    std::wstring text;
    if (pItem) {
        nSource = pItem->m_nImageSource;
        nImage = pItem->m_nImage;
        pImages = pItem->m_pImages;
        if (pItem->m_pwszText)
            text = pItem->m_pwszText;
    }
    const UINT state = lpDIS->itemState;
    const bool bSelected = (state & ODS_SELECTED) != 0;
    const bool bChecked = (state & ODS_CHECKED) != 0;
    const bool bGrayed = (state & ODS_GRAYED) != 0;

    bool bCheckImageItem = false, bImageItem = false, bImageSelected = false, bImageDisabled = false;
    if (pItem) {
        bool bCheckImages = bSelected ? m_nSelectedCheckId > 0 : m_nUnselectedCheckId > 0;
        if (bChecked && nSource < 0 && bCheckImages) {
            bCheckImageItem = true;
        } else if (nSource != -1) {
            bImageItem = true;
            bImageSelected = bSelected && !bGrayed;
            bImageDisabled = bGrayed;
        }
    }

    if (bSelected) {
        CRect rc = rcItem;
        if (bCheckImageItem || bImageItem || bChecked)
            rc.left += m_cxImage + 5;
        ::FillRect(dc, &rc, brHighlight);
        crText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        ::FillRect(dc, &rcItem, brBack);
        Draw3dRect(dc, rcItem, crBack, crBack);
    }

    int dy = (rcItem.Height() - 4 - m_cyImage) / 2;
    if (dy < 0)
        dy = 0;
    const int L = rcItem.left, T = rcItem.top;

    if (bCheckImageItem || bImageItem) {
        CRect rcInner(L + 1, T + 1 + dy, L + m_cxImage + 3, T + m_cyImage + 3 + dy);
        Draw3dRect(dc, rcInner, crBack, crBack);
        CRect rcOuter(L, T + dy, L + m_cxImage + 4, T + m_cyImage + 4 + dy);
        POINT ptImage = {L + 2, T + 2 + dy};
        bool bDrawImage = false;
        if (bCheckImageItem) {
            if (m_pCheckImages) {
                ::FillRect(dc, &rcInner, brBack);
                Draw3dRect(dc, rcOuter, crBack, crBack);
                m_pCheckImages->Draw(dc, bSelected ? 1 : 0, ptImage, ILD_TRANSPARENT);
            }
        } else if (bImageDisabled && !bSelected) {
            CBitmap bitmap;
            if (pImages)
                RenderImage(dc, *pImages, nImage, bitmap);
            Draw3dRect(dc, rcOuter, crBack, crBack);
            if (bitmap.GetSafeHandle()) {
                if (m_bOldDisabledStyle)
                    DrawDithered(dc, ptImage.x, ptImage.y, m_cxImage, m_cyImage, bitmap, 0, 0);
                else
                    DrawEmbossed(dc, ptImage.x, ptImage.y, m_cxImage, m_cyImage, bitmap, 0, 0);
            }
        } else if (bImageSelected) {
            ::FillRect(dc, &rcInner, brBack);
            if (IsNewLook()) {
                if (bChecked)
                    Draw3dRect(dc, rcOuter, crShadow, crHighlight);
                else
                    Draw3dRect(dc, rcOuter, crHighlight, crShadow);
            }
            bDrawImage = true;
        } else {
            if (bChecked) {
                CBrush brLight(::GetSysColor(COLOR_3DLIGHT));
                ::FillRect(dc, &rcInner, brLight);
                if (IsNewLook())
                    Draw3dRect(dc, rcOuter, crShadow, crHighlight);
            } else {
                ::FillRect(dc, &rcInner, brBack);
                Draw3dRect(dc, rcOuter, crBack, crBack);
            }
            bDrawImage = true;
        }
        if (bDrawImage && pImages)
            pImages->Draw(dc, nImage, ptImage, ILD_TRANSPARENT);
    }

    if (nSource < 0 && bChecked && !bCheckImageItem) {
        MENUITEMINFOA mii = {};
        mii.cbSize = 48;
        mii.fMask = MIIM_CHECKMARKS;
        ::GetMenuItemInfoA(reinterpret_cast<HMENU>(lpDIS->hwndItem), lpDIS->itemID, FALSE, &mii);
        DrawCheckArea(dc, CRect(L + 1, T + 2 + dy, L + m_cxImage + 1, T + m_cyImage + 2 + dy), bSelected,
                      mii.hbmpChecked);
    }

    if (!text.empty()) {
        CRect rcText(L + m_cxImage + 9, T - 1, rcItem.right, rcItem.bottom - 1);
        std::wstring left = text, right;
        size_t tab = text.find(L'\t');
        bool bRight = tab != std::wstring::npos;
        if (bRight) {
            left = text.substr(0, tab);
            right = text.substr(text.rfind(L'\t') + 1);
            rcText.right -= m_cxImage;
        }
        dc.SelectObject(font);
        ::SetBkMode(dc, TRANSPARENT);
        const std::wstring* pRight = bRight ? &right : nullptr;
        if (!bGrayed) {
            DrawParts(dc, left, pRight, rcText, crText);
        } else if (!bSelected) {
            CRect rcShadow = rcText;
            rcShadow.OffsetRect(1, 1);
            DrawParts(dc, left, pRight, rcShadow, crHighlight);
            DrawParts(dc, left, pRight, rcText, ::GetSysColor(COLOR_GRAYTEXT));
        } else {
            DrawParts(dc, left, pRight, rcText, crBack);
        }
    }
}

BOOL CBitmapMenu::DrawCheckArea(HDC hDC, const RECT& rc, BOOL bSelected, HBITMAP hbmCheck) {
    CBrush brush(!bSelected && IsNewLook() ? ::GetSysColor(COLOR_3DLIGHT) : ::GetSysColor(COLOR_MENU));
    ::FillRect(hDC, &rc, brush);
    if (IsNewLook()) {
        RECT r = rc;
        ::DrawEdge(hDC, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    COLORREF cr = ::GetSysColor(COLOR_MENUTEXT);
    if (!hbmCheck)
        DrawCheckGlyph(hDC, rc.left + 4, rc.top + 4, cr);
    else
        DrawRadioGlyph(hDC, rc.left + 5, rc.top + 4, cr);
    return TRUE;
}

void CBitmapMenu::DrawCheckGlyph(HDC hDC, int x, int y, COLORREF cr) {
    static const int kFirstRow[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int col = 0; col < 7; ++col) {
        for (int k = 0; k < 3; ++k)
            ::SetPixel(hDC, x + col, y + kFirstRow[col] + k, cr);
    }
}

void CBitmapMenu::DrawRadioGlyph(HDC hDC, int x, int y, COLORREF cr) {
    CBrush brush(cr);
    CPen pen(PS_SOLID, 0, cr);
    CDC dc(hDC);  // borrowed: its pen and brush come back before these go
    dc.SelectObject(brush);
    dc.SelectObject(pen);
    ::Ellipse(hDC, x, y, x + 6, y + 6);
}

BOOL CBitmapMenu::RenderImage(HDC hDC, CImageList& images, int nImage, CBitmap& bitmap) {
    HICON hIcon = images.ExtractIcon(nImage);
    CBrush brush(::GetSysColor(COLOR_MENU));
    bitmap.CreateCompatibleBitmap(hDC, m_cxImage, m_cyImage);
    {
        CMemDC mem(hDC);
        mem.SelectObject(bitmap);
        if (hIcon)
            ::DrawIconEx(mem, 0, 0, hIcon, m_cxImage, m_cyImage, 0, brush, DI_NORMAL);
    }  // the memory DC lets the bitmap go and is deleted
    if (hIcon)
        ::DestroyIcon(hIcon);
    return TRUE;
}

void CBitmapMenu::DrawEmbossed(HDC hDest,
                               int x,
                               int y,
                               int nWidth,
                               int nHeight,
                               HBITMAP hbmSource,
                               int xSource,
                               int ySource) {
    CDisabledImageTools tools(nullptr, nWidth, nHeight, hbmSource, false);
    if (!tools.Ready())
        return;
    CDC& a = tools.m_dcMask;
    CDC& b = tools.m_dcSource;

    // A: white where the picture shows the face or highlight colour, black where it has a shape.
    a.PatBlt(0, 0, nWidth, nHeight, WHITENESS);
    ::SetBkColor(b, ::GetSysColor(COLOR_3DFACE));
    a.BitBlt(0, 0, nWidth, nHeight, b, xSource, ySource, SRCCOPY);
    ::SetBkColor(b, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    a.BitBlt(0, 0, nWidth, nHeight, b, xSource, ySource, SRCPAINT);

    RECT rcB = {0, 0, nWidth, nHeight};
    ::FillRect(b, &rcB, tools.m_brFace);
    ::SetBkColor(b, RGB(0, 0, 0));
    ::SetTextColor(b, RGB(255, 255, 255));

    b.SelectObject(tools.m_brHighlight);
    b.BitBlt(0, 0, nWidth, nHeight, a, 0, 0, kRopDestWhereWhiteBrushWhereBlack);
    ::BitBlt(hDest, x + 1, y + 1, nWidth, nHeight, b, 0, 0, SRCCOPY);
    b.BitBlt(1, 1, nWidth, nHeight, a, 0, 0, kRopDestWhereWhiteBrushWhereBlack);

    b.SelectObject(tools.m_brShadow);
    b.BitBlt(0, 0, nWidth, nHeight, a, 0, 0, kRopDestWhereWhiteBrushWhereBlack);
    ::BitBlt(hDest, x, y, nWidth, nHeight, b, 0, 0, SRCCOPY);
}

void CBitmapMenu::DrawDithered(HDC hDest,
                               int x,
                               int y,
                               int nWidth,
                               int nHeight,
                               HBITMAP hbmSource,
                               int xSource,
                               int ySource) {
    CDisabledImageTools tools(hDest, nWidth, nHeight, hbmSource, true);
    if (!tools.Ready())
        return;
    CDC& m = tools.m_dcMask;
    m.BitBlt(0, 0, nWidth, nHeight, tools.m_dcSource, xSource, ySource, SRCCOPY);

    RECT rc = {x, y, x + nWidth, y + nHeight};
    ::FillRect(hDest, &rc, tools.m_brFace);
    CDC dest(hDest);  // the destination's colours and brush come back when it goes
    ::SetBkColor(dest, RGB(255, 255, 255));
    ::SetTextColor(dest, RGB(0, 0, 0));
    dest.SelectObject(tools.m_brHighlight);
    dest.BitBlt(x + 1, y + 1, nWidth, nHeight, m, 0, 0, kRopBrushWhereBlack);
    dest.SelectObject(tools.m_brShadow);
    dest.BitBlt(x, y, nWidth, nHeight, m, 0, 0, kRopBrushWhereBlack);
}
