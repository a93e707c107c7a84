// What the three captures share: the capture file, the screen copy, the clipboard copy and the
// private messages the overlays send to the main frame.
#pragma once

#include "framework/AfxWin.h"

#include <string>

// Where the capture file goes when a file can be made there: the root of drive C:.
extern const char kCaptureFile[];

// The file every capture writes and the view draws while a capture is shown; the clipboard copy
// and the wallpaper use it as their scratch bitmap. kCaptureFile where a file can be created and
// written there (the systems the program was made for), otherwise "morvane.bmp" in the folder
// Morvane under the user's local application data folder, made when missing (a standard user
// of later systems cannot create files at the root of C:). Decided on the first call by
// creating a file in each place, then kept for the process.
const char* CaptureFilePath();
// The decision itself: pszPreferred when a file can be created beside it and pszPreferred
// itself, if it exists, opened for writing; otherwise pszFallbackFolder's "Morvane\morvane.bmp",
// the folder made when missing, when the same holds there; pszPreferred when neither works.
std::string ChooseCaptureFile(const char* pszPreferred, const char* pszFallbackFolder);
// Makes CaptureFilePath choose again among the given places (null: the system's own), as on
// the first call. Tests stand for a system whose root of C: is closed with it.
void ResetCaptureFilePath(const char* pszPreferred = nullptr, const char* pszFallbackFolder = nullptr);

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
// Hands hData to the clipboard as nFormat, the clipboard opened by hOwner and emptied first.
// True when the clipboard owns hData now; otherwise the caller still owns it and the clipboard
// keeps what it held (also when it could not be opened).
bool GiveToClipboard(HWND hOwner, UINT nFormat, HANDLE hData);
// Puts the bitmap on the clipboard as CF_BITMAP, opened by the owner window. The clipboard
// then owns it; when the clipboard cannot be opened or refuses it, it is deleted and the
// clipboard keeps what it held. Accepts null (does nothing).
void PutBitmapOnClipboard(HBITMAP hBitmap, CWnd* pOwner);
// Both of the above: the shared end of every capture.
void CaptureScreenRect(int x, int y, int cx, int cy, CWnd* pOwner);
