// The decoded picture the view draws, kept between paints for as long as its file is unchanged,
// and the drawing of only the part of a picture that a window shows.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Afx.h"
#include "framework/GdiPlus.h"
#include "picture/Picture.h"

class CPicturePreload;
class CRenderedPicture;
class CSharperDecode;

// One picture, opened once (OpenPicture) and kept with the file's path and identity, the file
// closed. Every Get checks the identity: unchanged, the kept picture is returned; changed, the
// file is decoded afresh; gone, undecodable or announced too large to decode (never handed to a
// decoder), nothing is kept and Get returns nullptr (what the view draws for a 0 x 0 picture).
// GDI+ must be running from the first Get until Clear or the destructor.
class CPictureCache {
public:
    // Pictures whose decoded pixels would take more than this are not kept (256 MB); a JPEG is
    // decoded within it instead, at a reduced scale or a part at a time.
    static const ULONGLONG kDefaultCeiling = 256ull << 20;
    // The drawn size of a W x H picture fitted into a client of cw x ch.
    typedef SIZE (*FitFn)(int W, int H, int cw, int ch);

    // bKeep false: every Get decodes the file afresh and nothing is kept between calls (the
    // comparison in tests and the benchmark).
    explicit CPictureCache(bool bKeep = true);
    ~CPictureCache();
    CPictureCache(const CPictureCache&) = delete;
    CPictureCache& operator=(const CPictureCache&) = delete;

    // The picture of pszPath, valid until the next Get, Release or Clear; nullptr for a file that
    // is gone or does not decode.
    Gdiplus::Image* Get(const char* pszPath);
    // After drawing: a picture over the ceiling (or any, while keeping is off) is dropped, so
    // it is decoded again next time.
    void Release();
    // Drops the kept picture and its file's bytes.
    void Clear();

    bool Holds() const { return m_picture.Image() != nullptr; }
    // The held picture (nullptr when none), which may have been replaced since the last Get.
    Gdiplus::Image* Held() const { return m_picture.Image(); }
    // The held picture's true size (0 x 0 when none): what sizes and zoom ratios mean.
    UINT Width() const { return m_picture.Width(); }
    UINT Height() const { return m_picture.Height(); }
    const CPicture& Picture() const { return m_picture; }

    // The client pictures are fitted into when first decoded: a picture is decoded with the
    // pixels fit gives it there, not more (0 x 0 or no fit: every pixel).
    void SetClient(int cw, int ch, FitFn fit);
    // The window told (nMessage posted) when more pixels decoded behind are ready: it calls
    // TakeSharper then.
    void SetNotify(HWND hWnd, UINT nMessage);
    // The picture is drawn at (x, y, w, h) in a client of cw x ch (bFull: as many pixels as the
    // picture has are wanted, for a printer). When the held pixels are fewer than that draw
    // shows, more are decoded: behind, on a thread, while the held ones are drawn; at once when
    // bNow or where no thread runs. A picture past the ceiling gets the part in view (with a
    // margin) as its detail. A fitted picture (bFitted) held with more pixels than drawn, by a
    // decoder that reduces, is decoded again at the drawn size: it then looks as its first draw.
    void Need(int x, int y, int w, int h, int cw, int ch, bool bFull, bool bNow, bool bFitted = false);
    // Takes the pixels decoded behind for the held picture: true when what is drawn changed.
    bool TakeSharper();
    // A decode behind is asked for, under way or ready to take.
    bool Sharpening();
    // Waits for the decode behind (for tests).
    void WaitSharper();
    // The detail held over the picture: a part of it (rcPart, in the true picture's pixels)
    // decoded with more pixels; nullptr when there is none.
    Gdiplus::Image* Detail(RECT* prcPart) const;
    // A picture is held and will be kept past Release.
    bool Keeps() const { return Holds() && !m_bTransient; }
    // Width x height x bytes per pixel of the kept picture (0 for a metafile or nothing kept).
    ULONGLONG DecodedBytes() const { return m_nDecodedBytes; }
    // Decodes done since construction, for tests and measurements.
    int Decodes() const { return m_nDecodes; }
    // Changes whenever another picture is held: what was drawn of the last one no longer is.
    int Generation() const { return m_nGeneration; }
    // Pictures decoded ahead are taken from pPreload when they are asked for (nullptr: none).
    void SetPreload(CPicturePreload* pPreload) { m_pPreload = pPreload; }
    // The rendering that came with a picture decoded ahead, keyed with its generation; nullptr
    // when none came or it was taken.
    std::unique_ptr<CRenderedPicture> TakeRendering();
    void SetCeiling(ULONGLONG nBytes) { m_nCeiling = nBytes; }
    // The kept picture lets nothing of the background through; found out once per picture.
    bool IsOpaque();

    // Pictures are kept between Gets (and may be decoded ahead).
    bool KeepsPictures() const { return m_bKeep; }

private:
    bool Decode(const char* pszPath);
    static SIZE FittedSize(UINT nWidth, UINT nHeight, const void* pContext);
    // Takes in a picture decoded with more pixels for the held one.
    bool Apply(CPicture picture);

    const bool m_bKeep;
    CString m_strPath;
    CPicture m_picture;
    bool m_bTransient;  // for one use only: too large to keep, not of a kept format, or keeping is off
    ULONGLONG m_nDecodedBytes;
    ULONGLONG m_nCeiling;
    int m_nDecodes;
    int m_nGeneration;
    int m_nOpaque;  // -1: not found out yet
    CPicturePreload* m_pPreload;
    std::unique_ptr<CRenderedPicture> m_pRenderedAhead;  // what came with the picture decoded ahead, not yet taken
    int m_nClientWidth, m_nClientHeight;
    FitFn m_fit;
    HWND m_hNotify;
    UINT m_nNotifyMessage;
    std::unique_ptr<CSharperDecode> m_pSharper;
    int m_nTicket;  // the last decode asked behind the held picture, 0 when none
    // What that decode asks: the whole drawn at nWantWidth x nWantHeight, or (rcWant not empty)
    // that part of it.
    UINT m_nWantWidth, m_nWantHeight;
    RECT m_rcWant;
    bool m_bWholeTooLarge;  // the whole picture at the size wanted passes the ceiling
    CPicture m_detail;      // a part of the held picture with more pixels
};

// Draws pImage into the rectangle (x, y, w, h), as DrawImage does, but hands GDI+ only the
// source pixels that can reach rcShown (with a margin for the interpolation), so a picture much
// larger than the window is not converted and scaled whole. A picture that lies inside rcShown,
// a metafile and a scale that cannot be split exactly (nDestSize / nSize with more than a power
// of two below the line, in lowest terms) are drawn whole. Returns GDI+'s status.
Gdiplus::Status
DrawPictureShown(Gdiplus::Graphics& graphics, Gdiplus::Image* pImage, int x, int y, int w, int h, const RECT& rcShown);

// No pixel of the picture lets the background through: its format has no alpha, or a palette
// whose entries are all opaque, or (bScanPixels) every pixel's alpha is full.
bool IsOpaquePicture(Gdiplus::Image* pImage, bool bScanPixels);

// A picture of nSize pixels drawn with nDestSize pixels can be cut, and drawn shifted by whole
// pixels, with every pixel as in a draw of the whole: the scale in lowest terms has a power of
// two below the line. At other scales GDI+'s placement depends on where the draw is clipped.
bool SplitsExactly(int nSize, int nDestSize);

// One axis of the split above: for a picture of nSize pixels drawn at nDest with nDestSize
// pixels, the source range [*pS0, *pS1) and its exact destination [*pD0, *pD1) that cover the
// window's [nShow0, nShow1) with nMargin source pixels to spare, cut only at multiples of
// nMinStep (a power of two) source pixels. False when the whole axis is needed.
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
               int* pD1);

// The picture as the window shows it, over the view's background, for an area around the window:
// a repaint, or a drag step that keeps the window inside the area, is one copy instead of a new
// scaled draw. It is made by the same GDI+ call as a draw on the window (the picture at the same
// scale, cut on the same whole source pixels, only shifted by whole pixels) into a 32-bit bitmap
// like the screen's, on the same solid background the view erases to, so its pixels are the
// window's; pictures that let the background through are composited over it exactly as there.
class CRenderedPicture {
public:
    // What the rendering depends on besides the picture's place: the picture (by its decode),
    // its drawn size and the background behind it.
    struct Key {
        int nDecode;
        int w, h;
        COLORREF crBackground;
        bool operator==(const Key& o) const {
            return nDecode == o.nDecode && w == o.w && h == o.h && crBackground == o.crBackground;
        }
    };

    CRenderedPicture();
    ~CRenderedPicture();
    CRenderedPicture(const CRenderedPicture&) = delete;
    CRenderedPicture& operator=(const CRenderedPicture&) = delete;

    // The rendering holds all of a client of cw x ch with the picture's corner at (x, y).
    bool Covers(const Key& key, int x, int y, int cw, int ch) const;
    // The picture it was made of is held under generation nDecode from now on.
    void SetGeneration(int nDecode) {
        if (m_key.nDecode != kFailed)
            m_key.nDecode = nDecode;
    }
    // Draws pImage with its corner at (x, y) and key's size over key's background, for rcArea
    // (window coordinates, which may reach beyond the client); false (and nothing kept) when a
    // bitmap or GDI+ fails.
    bool Render(Gdiplus::Image* pImage, const Key& key, int x, int y, const RECT& rcArea);
    // Copies a client of cw x ch with the picture's corner at (x, y) to hdc; Covers must hold.
    bool CopyTo(HDC hdc, int x, int y, int cw, int ch) const;
    void Clear();

private:
    static const int kFailed = -2;  // the last draw failed: nothing valid
    Key m_key;
    int m_nPicX, m_nPicY;     // the picture's corner in the bitmap
    int m_nWidth, m_nHeight;  // the bitmap's size
    // The bitmap, selected into the memory DC while there is one; the DC goes first (which
    // deselects the bitmap), then the bitmap.
    CBitmap m_bitmap;
    std::unique_ptr<CMemDC> m_pDC;
};

// The window area worth rendering for a picture at (x, y, w, h) in a client of cw x ch: the
// client, and on an axis where the picture reaches beyond it, up to nMargin pixels more on each
// side, as far as the picture goes.
RECT RenderArea(int x, int y, int w, int h, int cw, int ch, int nMargin);
