// A still copy of the screen in a memory device context, which the overlays show in place of
// the live screen. (A window that draws nothing does not reliably show what lies beneath it:
// with composited or surface-backed window systems it shows black.)
#pragma once

#include "framework/AfxGdi.h"

class CFrozenScreen : public CDC {
public:
    CFrozenScreen() = default;
    ~CFrozenScreen() override { Release(); }

    // Copies the screen's area from (0, 0), cx x cy, into a bitmap compatible with hCompatible.
    BOOL Freeze(HDC hCompatible, int cx, int cy);
    BOOL IsFrozen() const { return m_hDC != nullptr; }
    // Draws the copy onto hDC at (0, 0).
    void PaintOnto(HDC hDC) const;
    // Deletes the memory context and its bitmap; nothing when not frozen.
    void Release();

private:
    CBitmap m_bitmap;
    int m_cx = 0;
    int m_cy = 0;
};
