// Helpers for tests that act as a user at the desktop: real mouse input through the system's
// input queue, and pixels of a window as they are on the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Moves the pointer to a point of a window's client area, as the mouse would.
void MouseMoveTo(HWND hWnd, int x, int y);
// Presses or releases the left button where the pointer is.
void MouseLeftDown();
void MouseLeftUp();

// Pumps the application's messages until the condition holds or the time is up; the result is
// the condition's last value.
bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 3000);

// The screen's pixels under a rectangle of a window's client area, row by row.
class ClientPixels {
public:
    ClientPixels(HWND hWnd, const RECT& rcClient);
    COLORREF at(int x, int y) const;  // client coordinates
    int width() const { return m_rc.right - m_rc.left; }
    int height() const { return m_rc.bottom - m_rc.top; }

private:
    RECT m_rc;
    std::vector<COLORREF> m_pixels;
};

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
int CountDifferences(const ClientPixels& screen, const ReferenceImage& ref, int x0, int y0, int x1, int y1);
