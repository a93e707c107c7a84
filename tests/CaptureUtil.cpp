#include "CaptureUtil.h"

#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include "TestUtil.h"
#include "capture/Capture.h"

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
