#include "CaptureUtil.h"

#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include "TestUtil.h"
#include "capture/Capture.h"

// ---- input ----

namespace {
void SendMouse(DWORD dwFlags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = dwFlags;
    SendInput(1, &in, sizeof in);
}

void SendKey(WORD vk, bool bUp) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}
}  // namespace

void MouseTo(int x, int y) {
    SetCursorPos(x, y);
    SendMouse(MOUSEEVENTF_MOVE);  // a move of nothing: one more WM_MOUSEMOVE at the new place
    PumpFor(60);
    // A loaded machine delivers the move late: go on pumping, within bounds, until the cursor is
    // there and no input is left in the queue, so the window has handled and drawn the move.
    DWORD start = GetTickCount();
    for (;;) {
        POINT pt = {};
        GetCursorPos(&pt);
        bool bArrived = pt.x == x && pt.y == y && HIWORD(GetQueueStatus(QS_INPUT)) == 0;
        if (bArrived || GetTickCount() - start > 3000)
            break;
        PumpFor(20);
    }
    PumpNow();
}

namespace {
// A press and release at screen point (x, y), each in the same input as a move there: a late
// report of an earlier pointer position from the display cannot put the click elsewhere.
void ClickAt(int x, int y, DWORD dwDown, DWORD dwUp) {
    MouseTo(x, y);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    for (DWORD dwButton : {dwDown, dwUp}) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = dwButton | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        // Absolute positions are in 1/65536 of the screen and map back rounding down: round up.
        in.mi.dx = (x * 65536 + cx - 1) / cx;
        in.mi.dy = (y * 65536 + cy - 1) / cy;
        SendInput(1, &in, sizeof in);
    }
    PumpFor(120);
}
}  // namespace

void LeftClickAt(int x, int y) {
    ClickAt(x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(int x, int y) {
    ClickAt(x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void PressKey(WORD vk, bool bCtrl, bool bAlt) {
    if (bCtrl)
        SendKey(VK_CONTROL, false);
    if (bAlt)
        SendKey(VK_MENU, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (bAlt)
        SendKey(VK_MENU, true);
    if (bCtrl)
        SendKey(VK_CONTROL, true);
    PumpFor(120);
}

// ---- pattern ----

COLORREF PatternColour(int x, int y) {
    return RGB((x * 5 + y) & 0xFF, (y * 7 + 3 * x) & 0xFF, ((x ^ y) * 3 + 17) & 0xFF);
}

namespace {
LRESULT CALLBACK PatternProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        RECT rc;
        GetClientRect(hWnd, &rc);
        int w = rc.right, h = rc.bottom;
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                COLORREF c = PatternColour(x, y);
                pixels[static_cast<size_t>(y) * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            }
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        SetDIBitsToDevice(hdc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
        EndPaint(hWnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
}  // namespace

PatternWindow::PatternWindow(int x, int y, int cx, int cy) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "MorvaneTestPattern";
    RegisterClassA(&wc);  // fails harmlessly when already registered
    m_hWnd = CreateWindowExA(0, wc.lpszClassName, "pattern", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr, nullptr,
                             wc.hInstance, nullptr);
    UpdateWindow(m_hWnd);
    PumpFor(100);
}

PatternWindow::~PatternWindow() {
    DestroyWindow(m_hWnd);
    PumpNow();
}

// ---- files ----

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    bytes.resize(size);
    if (size && !ReadFile(h, &bytes[0], size, &got, nullptr))
        got = 0;
    bytes.resize(got);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

BmpFile ReadBmp(const std::string& path) {
    BmpFile f;
    f.bytes = ReadAll(path);
    if (f.bytes.size() < sizeof f.file + sizeof f.info)
        return f;
    memcpy(&f.file, f.bytes.data(), sizeof f.file);
    memcpy(&f.info, f.bytes.data() + sizeof f.file, sizeof f.info);
    f.ok = f.file.bfType == 0x4D42 && f.info.biSize == sizeof f.info;
    return f;
}

COLORREF BmpFile::Pixel(int x, int y) const {
    int bits = info.biBitCount;
    size_t row = ((static_cast<size_t>(info.biWidth) * bits + 31) / 32) * 4;
    int fromBottom = info.biHeight > 0 ? info.biHeight - 1 - y : y;
    size_t at = file.bfOffBits + row * fromBottom + static_cast<size_t>(x) * bits / 8;
    if (at + bits / 8 > bytes.size())
        return CLR_INVALID;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    if (bits == 32 || bits == 24)
        return RGB(p[2], p[1], p[0]);
    if (bits == 16) {
        unsigned v = p[0] | (p[1] << 8);
        auto scale = [](unsigned c) { return static_cast<BYTE>((c << 3) | (c >> 2)); };
        return RGB(scale((v >> 10) & 31), scale((v >> 5) & 31), scale(v & 31));
    }
    return CLR_INVALID;
}

// ---- clipboard helper ----

std::string HelperPath() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    return path.substr(0, path.find_last_of('\\') + 1) + "clipboard_helper.exe";
}

namespace {
bool Start(const std::string& args, PROCESS_INFORMATION* pi) {
    std::string cmd = "\"" + HelperPath() + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != FALSE;
}
}  // namespace

int RunClipboardHelper(const std::string& args, DWORD msTimeout) {
    PROCESS_INFORMATION pi = {};
    if (!Start(args, &pi))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, msTimeout) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

ClipboardHolder::ClipboardHolder() {
    char ready[64], release[64];
    snprintf(ready, sizeof ready, "MorvaneClipReady%lu", GetCurrentProcessId());
    snprintf(release, sizeof release, "MorvaneClipRelease%lu", GetCurrentProcessId());
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, ready);
    m_hRelease = CreateEventA(nullptr, TRUE, FALSE, release);
    if (!Start(std::string("hold ") + ready + " " + release, &m_pi))
        return;
    m_bHolding = WaitForSingleObject(m_hReady, 60000) == WAIT_OBJECT_0;
}

ClipboardHolder::~ClipboardHolder() {
    SetEvent(m_hRelease);
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(m_pi.hProcess, 1);
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    CloseHandle(m_hReady);
    CloseHandle(m_hRelease);
}

ClosedCaptureRoot::ClosedCaptureRoot(const std::string& folder) : m_strExpected(folder + "Morvane\\morvane.bmp") {
    WriteFile(folder + "closed", "a file where the folder would be");
    ResetCaptureFilePath((folder + "closed\\morvane.bmp").c_str(), folder.c_str());
}

ClosedCaptureRoot::~ClosedCaptureRoot() {
    ResetCaptureFilePath();
}
