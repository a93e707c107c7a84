// Helpers of the capture tests: real mouse and key input, a window that shows a known pixel
// pattern, the capture file read back, handle counts, and the clipboard helper program.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

// ---- input, sent through the system's input queue as a user's would be ----
// Moves the pointer to a screen point (the window under it gets WM_MOUSEMOVE) and pumps.
void MouseTo(int x, int y);
// Presses and releases a button at a screen point and pumps.
void LeftClickAt(int x, int y);
void RightClickAt(int x, int y);
// Presses and releases a key, with Ctrl or Alt held when asked, and pumps.
void PressKey(WORD vk, bool bCtrl = false, bool bAlt = false);

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
std::string ReadAll(const std::string& path);
bool FileExists(const std::string& path);
// Names of the files of a folder that match a pattern such as "mrv*.tmp".
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern);

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
