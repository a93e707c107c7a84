// A second program for the clipboard tests.
//   clipboard_helper read OUT [X Y]...   writes "bitmap W H" and "X Y RRGGBB" per point for the
//                                        clipboard's CF_BITMAP to OUT; exit 0, or 2 without one
//   clipboard_helper hold READY RELEASE  puts a text on the clipboard, opens it again and keeps
//                                        it open from signalling event READY until event RELEASE
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {
bool OpenWithRetry() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(50);
    }
    return false;
}

int Read(int argc, char** argv) {
    FILE* out = fopen(argv[2], "wb");
    if (!out)
        return 3;
    if (!OpenWithRetry()) {
        fprintf(out, "cannot open\n");
        fclose(out);
        return 4;
    }
    int rc = 2;
    HBITMAP hbm = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP bm;
    if (hbm && GetObjectA(hbm, sizeof bm, &bm)) {
        rc = 0;
        fprintf(out, "bitmap %ld %ld\n", bm.bmWidth, bm.bmHeight);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<unsigned> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        HDC screen = GetDC(nullptr);
        int lines = GetDIBits(screen, hbm, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        for (int i = 3; i + 1 < argc && lines == bm.bmHeight; i += 2) {
            int x = atoi(argv[i]), y = atoi(argv[i + 1]);
            if (x >= 0 && y >= 0 && x < bm.bmWidth && y < bm.bmHeight)
                fprintf(out, "%d %d %06X\n", x, y, pixels[static_cast<size_t>(y) * bm.bmWidth + x] & 0xFFFFFF);
        }
    } else {
        fprintf(out, "none\n");
    }
    CloseClipboard();
    fclose(out);
    return rc;
}

int Hold(char** argv) {
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release || !OpenWithRetry())
        return 3;
    EmptyClipboard();
    const char text[] = "held elsewhere";
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    memcpy(GlobalLock(h), text, sizeof text);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    if (!OpenWithRetry())
        return 4;
    SetEvent(ready);
    WaitForSingleObject(release, 120000);
    CloseClipboard();
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && strcmp(argv[1], "read") == 0)
        return Read(argc, argv);
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return Hold(argv);
    fprintf(stderr, "usage: clipboard_helper read OUT [X Y]... | hold READY RELEASE\n");
    return 1;
}
