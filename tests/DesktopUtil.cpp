#include "DesktopUtil.h"

#include "TestUtil.h"

namespace {
void SendMouse(DWORD dwFlags, LONG dx = 0, LONG dy = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = dwFlags;
    in.mi.dx = dx;
    in.mi.dy = dy;
    SendInput(1, &in, sizeof in);
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
}  // namespace

namespace {
// Moves the pointer to screen point p and returns once it is there and the move handled.
void PointerTo(POINT p) {
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto there = [&] {
        POINT now;
        GetCursorPos(&now);
        return now.x == p.x && now.y == p.y;
    };
    // The display may still report an older pointer position after windows moved under it,
    // which puts the pointer back: then the move is sent again.
    for (int attempt = 0; attempt < 6; ++attempt) {
        // Absolute positions are in 1/65536 of the screen and map back rounding down: round up.
        s_bPlaced = true;
        s_dxPlaced = (p.x * 65536 + cx - 1) / cx;
        s_dyPlaced = (p.y * 65536 + cy - 1) / cy;
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
}  // namespace

void MouseMoveTo(HWND hWnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hWnd, &p);
    // A pointer already there (left by an earlier test, or a window made under it) moves
    // nothing, and the window under it hears of no move: it goes a pixel aside first.
    POINT now;
    if (GetCursorPos(&now) && now.x == p.x && now.y == p.y)
        PointerTo(POINT{p.x > 0 ? p.x - 1 : p.x + 1, p.y});
    PointerTo(p);
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

ClientPixels::ClientPixels(HWND hWnd, const RECT& rcClient) : m_rc(rcClient) {
    POINT p = {m_rc.left, m_rc.top};
    ClientToScreen(hWnd, &p);
    RECT rcScreen = {p.x, p.y, p.x + width(), p.y + height()};
    m_pixels = ScreenColours(rcScreen);
}

COLORREF ClientPixels::at(int x, int y) const {
    int i = (y - m_rc.top) * width() + (x - m_rc.left);
    if (x < m_rc.left || x >= m_rc.right || y < m_rc.top || y >= m_rc.bottom)
        return CLR_INVALID;
    return m_pixels[i];
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

int CountDifferences(const ClientPixels& screen, const ReferenceImage& ref, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (screen.at(x, y) != ref.at(x, y))
                ++n;
    return n;
}
