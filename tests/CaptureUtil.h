// Helpers of the capture tests: a window that shows a known pixel pattern, the capture file read
// back, and the clipboard helper program; the real mouse and keys are DesktopUtil's.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "DesktopUtil.h"

// ---- a known picture on the screen ----
// The colour the pattern has at (x, y) of its window: every pixel differs from its neighbours.
COLORREF PatternColour(int x, int y);
// A top-level window of this process, without border, that shows the pattern.
class PatternWindow {
public:
    PatternWindow(int x, int y, int cx, int cy);
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;
    HWND hwnd() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// ---- bitmap files ----
struct BmpFile {
    bool ok = false;  // read and the headers parse
    std::string bytes;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    // Colour of pixel (x, y), y from the top, for 16, 24 and 32 bits per pixel.
    COLORREF Pixel(int x, int y) const;
};
BmpFile ReadBmp(const std::string& path);

// ---- the clipboard from another program ----
// Runs clipboard_helper.exe (beside this test program) with the arguments; returns its exit
// code, or -1 when it could not run or did not end in time.
int RunClipboardHelper(const std::string& args, DWORD msTimeout = 60000);
// Starts the helper holding the clipboard open; it lets go when the object is destroyed.
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder();
    bool holding() const { return m_bHolding; }

private:
    HANDLE m_hReady = nullptr, m_hRelease = nullptr;
    PROCESS_INFORMATION m_pi = {};
    bool m_bHolding = false;
};
std::string HelperPath();

// For its lifetime the capture file's preferred place is one that cannot be written (a file
// stands where its folder would be, in folder); the capture file then goes to
// folder\Morvane\morvane.bmp, named by expected().
class ClosedCaptureRoot {
public:
    explicit ClosedCaptureRoot(const std::string& folder);
    ~ClosedCaptureRoot();
    ClosedCaptureRoot(const ClosedCaptureRoot&) = delete;
    ClosedCaptureRoot& operator=(const ClosedCaptureRoot&) = delete;
    const std::string& expected() const { return m_strExpected; }

private:
    std::string m_strExpected;
};
