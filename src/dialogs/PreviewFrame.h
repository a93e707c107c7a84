// The open dialog's preview frame: an owner-drawn static that paints itself, through the
// WM_DRAWITEM its parent reflects to it, as a black frame with the last picture given to it.
// The picture is kept as a bitmap already scaled, so a repaint needs no decoding.
#pragma once

#include "framework/Afx.h"
#include "framework/GdiPlus.h"

class CPreviewFrame : public CStatic {
public:
    // Draws the picture scaled to cx x cy with its top-left corner at (x, y) of the client area,
    // and repaints. FALSE, with the frame left empty, when GDI+ cannot draw it.
    BOOL SetPicture(Gdiplus::Image* pImage, int x, int y, int cx, int cy);
    // An empty frame.
    void Clear();
    BOOL HasPicture() const { return m_bmpPicture.GetSafeHandle() != nullptr; }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void Draw(HDC hDC, const RECT& rc);

    CBitmap m_bmpPicture;  // the scaled picture, or none
    CPoint m_ptPicture;    // where it goes in the client area
};
