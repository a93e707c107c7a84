// Writes capture files for a decoder that is not ours (e2e_capture.sh runs ImageMagick on
// them), with a manifest of what each must decode to:
//   capture_decoder OUT_FOLDER
// OUT_FOLDER\manifest.txt holds "FILE W H" and "FILE X Y RRGGBB" lines; the files are the real
// Capture Screen and Capture Region commands' output over a known pattern, and the pattern
// written by the file writer at 24, 16 and 8 (stored as 24) bits per pixel.
#include <stdio.h>

#include <string>

#include "CaptureUtil.h"
#include "DesktopUtil.h"
#include "TestUtil.h"
#include "capture/BitmapFile.h"
#include "res/resource.h"

namespace {
FILE* g_manifest;

void Size(const char* name, int w, int h) {
    fprintf(g_manifest, "%s %d %d\n", name, w, h);
}
void Pixel(const char* name, int x, int y, COLORREF c) {
    fprintf(g_manifest, "%s %d %d %02X%02X%02X\n", name, x, y, GetRValue(c), GetGValue(c), GetBValue(c));
}

// The pattern at 16 bits: each channel keeps its top five bits, widened as decoders do.
COLORREF Cut16(COLORREF c) {
    auto cut = [](BYTE v) { return static_cast<BYTE>(((v >> 3) << 3) | (v >> 5)); };
    return RGB(cut(GetRValue(c)), cut(GetGValue(c)), cut(GetBValue(c)));
}

bool WriteSection(HDC screen, const std::string& path, int w, int h, int bits) {
    struct {
        BITMAPINFOHEADER bi;
        RGBQUAD colours[256];
    } info = {};
    info.bi.biSize = sizeof info.bi;
    info.bi.biWidth = w;
    info.bi.biHeight = -h;  // top-down, so rows below are written from the top
    info.bi.biPlanes = 1;
    info.bi.biBitCount = static_cast<WORD>(bits);
    for (int i = 0; i < 256; ++i)
        info.colours[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    info.bi.biClrUsed = bits == 8 ? 256 : 0;
    void* p = nullptr;
    HBITMAP hbm = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
    if (!hbm)
        return false;
    int stride = ((w * bits + 31) / 32) * 4;
    for (int y = 0; y < h; ++y) {
        unsigned char* row = static_cast<unsigned char*>(p) + y * stride;
        for (int x = 0; x < w; ++x) {
            COLORREF c = PatternColour(x, y);
            if (bits == 24) {
                row[x * 3] = GetBValue(c);
                row[x * 3 + 1] = GetGValue(c);
                row[x * 3 + 2] = GetRValue(c);
            } else if (bits == 16) {
                unsigned v = ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
                row[x * 2] = static_cast<unsigned char>(v);
                row[x * 2 + 1] = static_cast<unsigned char>(v >> 8);
            } else {
                row[x] = static_cast<unsigned char>((x + y) & 0xFF);
            }
        }
    }
    bool ok = WriteBitmapFile(screen, hbm, path.c_str());
    DeleteObject(hbm);
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: capture_decoder OUT_FOLDER\n");
        return 2;
    }
    std::string out = std::string(argv[1]) + "\\";
    g_manifest = fopen((out + "manifest.txt").c_str(), "wb");
    if (!g_manifest)
        return 3;
    DeleteFileA(CaptureFilePath());
    SetCursorPos(1010, 5);

    RunningApp run;
    if (!run.started())
        return 4;
    const int px = 40, py = 620, pw = 300, ph = 120;
    {
        PatternWindow pattern(px, py, pw, ph);
        SetForegroundWindow(run.frame()->m_hWnd);
        PumpFor(100);

        // Capture Screen, as the menu sends it.
        run.frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTURESCREEN, 0), 0);
        PumpFor(200);
        if (!CopyFileA(CaptureFilePath(), (out + "screen.bmp").c_str(), FALSE))
            return 5;
        Size("screen.bmp", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        for (int i = 0; i < 12; ++i) {
            int x = (i * 37) % pw, y = (i * 29) % ph;
            Pixel("screen.bmp", px + x, py + y, PatternColour(x, y));
        }

        // Capture Region over the pattern with the real mouse.
        // Each step waits for what it needs: the overlay over the pattern, then the overlay gone.
        run.frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTUREREGION, 0), 0);
        HWND hTarget = nullptr;
        POINT first = {px + 10, py + 10};
        if (!PumpUntil(
                [&] {
                    hTarget = run.frame()->m_wndTarget.GetSafeHwnd();
                    return hTarget && IsWindowVisible(hTarget) && WindowFromPoint(first) == hTarget;
                },
                20000))
            return 7;
        LeftClickAt(px + 10, py + 10);
        MouseTo(px + 110, py + 70);
        LeftClickAt(px + 110, py + 70);
        if (!PumpUntil([&] { return !IsWindowVisible(hTarget); }, 20000))
            return 8;
        if (!CopyFileA(CaptureFilePath(), (out + "region.bmp").c_str(), FALSE))
            return 6;
        Size("region.bmp", 98, 58);
        Pixel("region.bmp", 0, 0, PatternColour(11, 11));
        Pixel("region.bmp", 97, 57, PatternColour(108, 68));
        Pixel("region.bmp", 50, 20, PatternColour(61, 31));
    }
    run.Exit();

    HDC screen = GetDC(nullptr);
    bool ok = WriteSection(screen, out + "depth24.bmp", 33, 10, 24) &&
              WriteSection(screen, out + "depth16.bmp", 17, 5, 16) && WriteSection(screen, out + "depth8.bmp", 9, 7, 8);
    ReleaseDC(nullptr, screen);
    if (!ok)
        return 7;
    Size("depth24.bmp", 33, 10);
    Pixel("depth24.bmp", 0, 0, PatternColour(0, 0));
    Pixel("depth24.bmp", 32, 9, PatternColour(32, 9));
    Pixel("depth24.bmp", 17, 4, PatternColour(17, 4));
    Size("depth16.bmp", 17, 5);
    Pixel("depth16.bmp", 16, 0, Cut16(PatternColour(16, 0)));
    Pixel("depth16.bmp", 3, 4, Cut16(PatternColour(3, 4)));
    Size("depth8.bmp", 9, 7);
    const POINT points8[] = {{0, 0}, {8, 6}, {3, 2}};
    for (POINT p : points8) {  // index x + y through the colour table
        int index = p.x + p.y;
        Pixel("depth8.bmp", p.x, p.y, RGB(index / 2, 255 - index, index));
    }
    fclose(g_manifest);
    DeleteFileA(CaptureFilePath());
    return 0;
}
