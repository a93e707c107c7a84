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

class CWnd;

// Creates wnd as a hidden topmost pop-up over the whole screen (cx x cy from (0, 0)) and
// freezes the screen, as it looks before the overlay shows, into frozen. FALSE when either
// fails; a failed freeze destroys the window again and sets *pbReported (the caller learns of it
// from the result, not from a report). *ppFreezingDC, when given, is the window's device
// context while the screen is copied.
BOOL CreateFrozenOverlay(CWnd& wnd,
                         CFrozenScreen& frozen,
                         int cx,
                         int cy,
                         BOOL* pbReported,
                         CDC** ppFreezingDC = nullptr);
