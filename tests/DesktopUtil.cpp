#include "DesktopUtil.h"

#include <stdint.h>

#include "TestUtil.h"

// ---- input ---------------------------------------------------------------------------------------

namespace {
void SendMouse(DWORD dwFlags, LONG dx = 0, LONG dy = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = dwFlags;
    in.mi.dx = dx;
    in.mi.dy = dy;
    SendInput(1, &in, sizeof in);
}

void SendKey(WORD vk, bool bUp) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

// Absolute positions are in 1/65536 of the screen and map back rounding down: round up.
LONG AbsoluteX(int x) {
    int cx = GetSystemMetrics(SM_CXSCREEN);
    return (x * 65536 + cx - 1) / cx;
}
LONG AbsoluteY(int y) {
    int cy = GetSystemMetrics(SM_CYSCREEN);
    return (y * 65536 + cy - 1) / cy;
}

// Where the last move sent the pointer, in absolute input units. A button is pressed and released
// there in the same input as a move to it: a late motion report of the display, which can put
// the pointer back for a moment, cannot move a press elsewhere.
bool s_bPlaced = false;
LONG s_dxPlaced = 0, s_dyPlaced = 0;

void SendButton(DWORD dwButton) {
    if (s_bPlaced)
        SendMouse(dwButton | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, s_dxPlaced, s_dyPlaced);
    else
        SendMouse(dwButton);
}

// Moves the pointer to screen point p and returns once it is there and the move handled.
void PointerTo(POINT p) {
    auto there = [&] {
        POINT now;
        GetCursorPos(&now);
        return now.x == p.x && now.y == p.y;
    };
    // The display may still report an older pointer position after windows moved under it,
    // which puts the pointer back: then the move is sent again.
    for (int attempt = 0; attempt < 6; ++attempt) {
        s_bPlaced = true;
        s_dxPlaced = AbsoluteX(p.x);
        s_dyPlaced = AbsoluteY(p.y);
        SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, s_dxPlaced, s_dyPlaced);
        if (PumpUntil(there, 500)) {
            PumpFor(40);
            if (there()) {
                // The window handles the move before the caller reads what it did.
                PumpUntil([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; });
                return;
            }
        }
    }
}

void ClickAt(int x, int y, DWORD dwDown, DWORD dwUp) {
    MouseTo(x, y);
    SendButton(dwDown);
    SendButton(dwUp);
    PumpFor(120);
}
}  // namespace

void MouseTo(int x, int y) {
    // A pointer already there (left by an earlier test, or a window made under it) moves
    // nothing, and the window under it hears of no move: it goes a pixel aside first.
    POINT now;
    if (GetCursorPos(&now) && now.x == x && now.y == y)
        PointerTo(POINT{x > 0 ? x - 1 : x + 1, y});
    PointerTo(POINT{x, y});
}

void MouseMoveTo(HWND hWnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hWnd, &p);
    MouseTo(p.x, p.y);
}

void MouseLeftDown() {
    SendButton(MOUSEEVENTF_LEFTDOWN);
    PumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; });
    PumpFor(30);
}

void MouseLeftUp() {
    SendButton(MOUSEEVENTF_LEFTUP);
    PumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; });
    PumpFor(30);
}

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

void SendPointer(int x, int y, DWORD dwButtons) {
    SendMouse(dwButtons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, AbsoluteX(x), AbsoluteY(y));
}

bool PumpUntil(const std::function<bool()>& condition, DWORD ms) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
        PumpNow();
        if (condition())
            return true;
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return false;
        Sleep(10);
    }
}

// ---- pixels -------------------------------------------------------------------------------------

namespace {
// A 32-bit top-down DIB section selected into a memory DC.
HBITMAP MakeDib(HDC hdc, int w, int h, void** ppBits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, ppBits, nullptr, 0);
}
}  // namespace

namespace {
// What this thread's windows drew reaches the screen when the thread waits for messages; Wine
// copies it otherwise only when the thread has not waited for 50 ms. A wait of no time, which
// dispatches nothing, brings the screen up to date before it is read.
void CatchUpScreen() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}
}  // namespace

std::vector<COLORREF> ScreenColours(const RECT& rc) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<COLORREF> out;
    if (w <= 0 || h <= 0)
        return out;
    CatchUpScreen();
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = MakeDib(screen, w, h, &bits);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    out.reserve(static_cast<size_t>(w) * h);
    for (int i = 0; i < w * h; ++i)
        out.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return out;
}

ScreenGrab::ScreenGrab(HWND hWnd, const RECT& rc) : m_rc(rc) {
    POINT p = {m_rc.left, m_rc.top};
    if (hWnd)
        ClientToScreen(hWnd, &p);
    RECT rcScreen = {p.x, p.y, p.x + width(), p.y + height()};
    m_pixels = ScreenColours(rcScreen);
}

COLORREF ScreenGrab::at(int x, int y) const {
    if (x < m_rc.left || x >= m_rc.right || y < m_rc.top || y >= m_rc.bottom)
        return CLR_INVALID;
    return m_pixels[static_cast<size_t>(y - m_rc.top) * width() + (x - m_rc.left)];
}

COLORREF ScreenPixel(HWND hWnd, int x, int y) {
    return ScreenGrab(hWnd, RECT{x, y, x + 1, y + 1}).at(x, y);
}

ReferenceImage::ReferenceImage(int width, int height, COLORREF background) : m_width(width), m_height(height) {
    HDC hScreen = GetDC(nullptr);
    m_hdc = CreateCompatibleDC(hScreen);
    void* pBits = nullptr;
    m_hbm = MakeDib(hScreen, width, height, &pBits);
    ReleaseDC(nullptr, hScreen);
    m_hOld = SelectObject(m_hdc, m_hbm);
    HBRUSH hBrush = CreateSolidBrush(background);
    RECT rc = {0, 0, width, height};
    FillRect(m_hdc, &rc, hBrush);
    DeleteObject(hBrush);
}

ReferenceImage::~ReferenceImage() {
    SelectObject(m_hdc, m_hOld);
    DeleteObject(m_hbm);
    DeleteDC(m_hdc);
}

COLORREF ReferenceImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    GdiFlush();
    return GetPixel(m_hdc, x, y);
}

int CountDifferences(const ScreenGrab& screen, const ReferenceImage& ref, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (screen.at(x, y) != ref.at(x, y))
                ++n;
    return n;
}
