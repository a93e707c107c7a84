// Helpers for tests that act as a user at the desktop: real mouse input through the system's
// input queue, and pixels of a window as they are on the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// ---- input, sent through the system's input queue as a user's would be; each call pumps until
// the program has handled it ----
// Moves the pointer to a screen point, or to a point of a window's client area; the window
// under it gets WM_MOUSEMOVE even when the pointer was there already.
void MouseTo(int x, int y);
void MouseMoveTo(HWND hWnd, int x, int y);
// Presses or releases the left button where the pointer is.
void MouseLeftDown();
void MouseLeftUp();
// Presses and releases a button at a screen point.
void LeftClickAt(int x, int y);
void RightClickAt(int x, int y);
// Presses and releases a key, with Ctrl or Alt held when asked.
void PressKey(WORD vk, bool bCtrl = false, bool bAlt = false);
// For a user on a thread of its own while the program's thread pumps: the pointer sent to a
// screen point with the button flags given (MOUSEEVENTF_LEFTDOWN...) pressed or released there;
// nothing waited for.
void SendPointer(int x, int y, DWORD dwButtons = 0);

// Pumps the application's messages until the condition holds or the time is up; the result is
// the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 3000);

// ---- the screen as it is now ----
// Colours of a screen rectangle, row by row from the top.
std::vector<COLORREF> ScreenColours(const RECT& rc);
// The screen's pixels under a rectangle, read once: a rectangle of the screen, or of a window's
// client area (hWnd null: of the screen); at() takes the rectangle's own coordinates.
class ScreenGrab {
public:
    explicit ScreenGrab(const RECT& rcScreen) : ScreenGrab(nullptr, rcScreen) {}
    ScreenGrab(HWND hWnd, const RECT& rc);
    COLORREF at(int x, int y) const;  // CLR_INVALID outside the rectangle
    const RECT& rect() const { return m_rc; }
    int width() const { return m_rc.right - m_rc.left; }
    int height() const { return m_rc.bottom - m_rc.top; }

private:
    RECT m_rc;
    std::vector<COLORREF> m_pixels;
};
// Colour of a pixel of a window's client area (hWnd null: of the screen) as it is on the screen.
COLORREF ScreenPixel(HWND hWnd, int x, int y);

// A picture drawn by the test itself, to compare with what a window shows.
class ReferenceImage {
public:
    ReferenceImage(int width, int height, COLORREF background);
    ~ReferenceImage();
    ReferenceImage(const ReferenceImage&) = delete;
    ReferenceImage& operator=(const ReferenceImage&) = delete;
    HDC dc() const { return m_hdc; }
    COLORREF at(int x, int y) const;

private:
    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
    int m_width;
    int m_height;
};

// Pixels of the window's region (x0..x1, y0..y1, client coordinates, ends excluded) that differ
// from the reference's pixels at the same coordinates.
int CountDifferences(const ScreenGrab& screen, const ReferenceImage& ref, int x0, int y0, int x1, int y1);
