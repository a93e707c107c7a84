// What the three captures share: the capture file, the screen copy, the clipboard copy and the
// private messages the overlays send to the main frame.
#pragma once

#include "framework/AfxWin.h"

// The file every capture writes and the view draws while a capture is shown.
extern const char kCaptureFile[];

// Posted by the overlays to the main frame, wParam 0 and lParam 0.
enum : UINT {
    WM_REGION_CAPTURED = WM_USER + 1000,   // the region overlay's second click
    WM_CAPTURE_CANCELED = WM_USER + 1001,  // the region overlay's right button, or an overlay closed from outside
    WM_OBJECT_CAPTURED = WM_USER + 1002,   // the window overlay's click
    // Sent by the main frame to the active view before a capture hides the frame, so that
    // the view can stop what would replace the capture (the slide show's timer).
    WM_CAPTURE_STARTING = WM_USER + 1003,
};

// How long a capture waits, with the main frame hidden, for the windows beneath to repaint.
const DWORD kCaptureSettleMs = 100;

// Copies the screen rectangle at (x, y), cx x cy, into a new bitmap and writes it to the
// capture file (silently keeping the old file when it cannot be replaced). Returns the bitmap,
// which the caller owns, or null when no bitmap could be made (an empty rectangle, or no
// memory for it).
HBITMAP CaptureScreenToFile(int x, int y, int cx, int cy);
// Puts the bitmap on the clipboard as CF_BITMAP, opened by the owner window. The clipboard
// then owns it; when the clipboard cannot be opened or refuses it, it is deleted and the
// clipboard keeps what it held. Accepts null (does nothing).
void PutBitmapOnClipboard(HBITMAP hBitmap, CWnd* pOwner);
// Both of the above: the shared end of every capture.
void CaptureScreenRect(int x, int y, int cx, int cy, CWnd* pOwner);
