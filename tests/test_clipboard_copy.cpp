// Copy to Clipboard and Clear Clipboard: what another program reads, what stays when the export
// or the clipboard is not available, and no handle left behind.
#include <gtest/gtest.h>

#include "framework/GdiPlus.h"

#include <stdio.h>

#include "AppFixture.h"
#include "view/ImageExport.h"

namespace {
void PutText(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t n = strlen(text) + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    memcpy(GlobalLock(h), text, n);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}
std::string ClipboardText() {
    std::string s = "<none>";
    if (!OpenClipboard(nullptr))
        return "<cannot open>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        s = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
}
bool ClipboardHas(UINT format) {
    if (!OpenClipboard(nullptr))
        return false;
    bool b = IsClipboardFormatAvailable(format) != FALSE;
    CloseClipboard();
    return b;
}
// The colour GDI+ decodes at (x, y) of a picture file, as "RRGGBB".
std::string DecodedColour(const std::string& path, int x, int y) {
    std::wstring w(path.begin(), path.end());
    Gdiplus::Bitmap bitmap(w.c_str());
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    char s[8];
    snprintf(s, sizeof s, "%02X%02X%02X", c.GetR(), c.GetG(), c.GetB());
    return s;
}
}  // namespace

class ClipboardTest : public AppTest {};

TEST_F(ClipboardTest, AnotherProgramReadsTheJpegAsABitmapWithItsPixels) {
    std::string src = CorpusPath("jpeg/video-001.jpeg");  // 150 x 103
    Open(src);
    ASSERT_TRUE(view->m_bEnableCopy);
    PutText("before");
    ViewSnapshot before = Snapshot();
    Command(ID_IMAGE_COPY);
    EXPECT_TRUE(before == Snapshot());
    std::string out = MakeTempFolder("clip-jpeg") + "clip.txt";
    ASSERT_EQ(0, RunClipboardHelper("read \"" + out + "\" 0 0 149 102 75 51 3 90"));
    std::string expected = "bitmap 150 103\n";
    for (auto p : {std::make_pair(0, 0), std::make_pair(149, 102), std::make_pair(75, 51), std::make_pair(3, 90)})
        expected += std::to_string(p.first) + " " + std::to_string(p.second) + " " +
                    DecodedColour(src, p.first, p.second) + "\n";
    EXPECT_EQ(expected, ReadAll(out));
    EXPECT_FALSE(ClipboardHas(CF_TEXT));
}

TEST_F(ClipboardTest, MetafilesArriveAsBitmapsOnly) {
    for (const char* rel : {"emf/fish.emf", "wmf/fish.wmf"}) {
        Open(CorpusPath(rel));
        int w = g_nImageWidth, h = g_nImageHeight;
        ASSERT_GT(w, 0) << rel;
        Command(ID_IMAGE_COPY);
        std::string out = MakeTempFolder("clip-meta") + "clip.txt";
        ASSERT_EQ(0, RunClipboardHelper("read \"" + out + "\"")) << rel;
        EXPECT_EQ("bitmap " + std::to_string(w) + " " + std::to_string(h) + "\n", ReadAll(out)) << rel;
        EXPECT_FALSE(ClipboardHas(CF_ENHMETAFILE)) << rel;
        EXPECT_FALSE(ClipboardHas(CF_METAFILEPICT)) << rel;
    }
}

TEST_F(ClipboardTest, CopyIsRefusedBeforeAnyOpenAndWhileACaptureIsShown) {
    PutText("keep me");
    EXPECT_FALSE(view->m_bEnableCopy);
    Command(ID_IMAGE_COPY);
    EXPECT_EQ("keep me", ClipboardText());
    EXPECT_FALSE(view->ExportToTempBitmap());  // nothing shown: nothing to export

    Command(ID_TOOLS_CAPTURESCREEN);
    PumpFor(300);
    EXPECT_FALSE(view->m_bEnableCopy);
    PutText("keep me too");
    Command(ID_IMAGE_COPY);
    EXPECT_EQ("keep me too", ClipboardText());
    DeleteFileA(CaptureFilePath());
}

TEST_F(ClipboardTest, AFailedExportLeavesTheClipboardAndTheOldFileAlone) {
    std::string folder = MakeTempFolder("clip-gone");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "gone.jpeg");
    Open(folder + "gone.jpeg");
    WriteFile(CaptureFilePath(), MakeBmp(4, 4, [](int, int) { return RGB(1, 2, 3); }));
    std::string oldCapture = ReadAll(CaptureFilePath());
    PutText("still here");
    ASSERT_TRUE(DeleteFileA((folder + "gone.jpeg").c_str()));
    MessageBoxWatcher boxes;
    Command(ID_IMAGE_COPY);
    EXPECT_EQ(0, boxes.count());  // silent, as the clipboard's failures are
    EXPECT_EQ("still here", ClipboardText());
    EXPECT_FALSE(ClipboardHas(CF_BITMAP));
    EXPECT_EQ(oldCapture, ReadAll(CaptureFilePath()));
    DeleteFileA(CaptureFilePath());
}

TEST_F(ClipboardTest, ClearEmptiesAlsoWithoutAPicture) {
    PutText("to be cleared");
    Command(ID_IMAGE_CLEARCLIPBOARD);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(0, CountClipboardFormats());
    CloseClipboard();
}

TEST_F(ClipboardTest, AClipboardHeldElsewhereIsLeftUntouched) {
    Open(CorpusPath("jpeg/video-001.jpeg"));
    int gdi = CountGdiObjects();
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.holding());
        MessageBoxWatcher boxes;
        Command(ID_IMAGE_COPY);
        Command(ID_IMAGE_CLEARCLIPBOARD);
        EXPECT_EQ(0, boxes.count());  // nothing changes, silently
    }
    PumpFor(100);
    EXPECT_LE(CountGdiObjects(), gdi);  // the bitmap nobody took is deleted
    EXPECT_EQ("held elsewhere", ClipboardText());
    EXPECT_FALSE(ClipboardHas(CF_BITMAP));
}

TEST_F(ClipboardTest, AHundredCopiesLeaveNoHandles) {
    Open(CorpusPath("png/basn2c08.png"));
    Command(ID_IMAGE_COPY);  // the first copy may set up what the clipboard keeps for good
    Command(ID_IMAGE_CLEARCLIPBOARD);
    int gdi = CountGdiObjects();
    size_t mem = CommittedBytes();
    for (int i = 0; i < 100; ++i)
        Command(ID_IMAGE_COPY);
    Command(ID_IMAGE_CLEARCLIPBOARD);
    PumpNow();
    EXPECT_LE(CountGdiObjects(), gdi + 2);
    EXPECT_LT(CommittedBytes(), mem + 4 * 1024 * 1024);
}

// A picture too large for a device-dependent bitmap goes on the clipboard device-independent;
// another program still reads it as a bitmap, the system converting.
TEST_F(ClipboardTest, WithoutADeviceBitmapTheClipboardGetsADibThatReadsTheSame) {
    std::string path = MakeTempFolder("clip-dib") + "squares.bmp";
    WriteFile(path, MakeBmp(33, 10, [](int x, int y) { return RGB(x * 7, y * 20, 200); }));
    PutText("before");
    int gdi = CountGdiObjects();
    ASSERT_EQ(kClipboardCopied, CopyBitmapFileToClipboard(path.c_str(), view->m_hWnd, false));
    EXPECT_LE(CountGdiObjects(), gdi);  // the section it was read through is gone
    ASSERT_TRUE(OpenClipboard(nullptr));
    UINT first = EnumClipboardFormats(0);
    CloseClipboard();
    EXPECT_EQ(static_cast<UINT>(CF_DIB), first);  // the format given; the others are converted
    EXPECT_FALSE(ClipboardHas(CF_TEXT));
    std::string out = MakeTempFolder("clip-dib-read") + "clip.txt";
    ASSERT_EQ(0, RunClipboardHelper("read \"" + out + "\" 0 0 32 9 5 3"));
    EXPECT_EQ("bitmap 33 10\n0 0 0000C8\n32 9 E0B4C8\n5 3 233CC8\n", ReadAll(out));
}

// Transparent and half-transparent pixels arrive drawn on white, not on black, and a copy of
// an opaque picture is unchanged.
TEST_F(ClipboardTest, TransparencyArrivesDrawnOnWhite) {
    std::string src = CorpusPath("png/basn6a08.png");  // 32 x 32, alpha from 0 to 255
    Gdiplus::Bitmap decoded(std::wstring(src.begin(), src.end()).c_str());
    ASSERT_EQ(32u, decoded.GetWidth());
    Open(src);
    MessageBoxWatcher boxes;
    Command(ID_IMAGE_COPY);
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    std::string out = MakeTempFolder("clip-alpha") + "clip.txt";
    std::string args = "read \"" + out + "\"";
    const int points[][2] = {{0, 0}, {31, 0}, {0, 31}, {31, 31}, {16, 16}, {8, 24}};
    for (auto& p : points)
        args += " " + std::to_string(p[0]) + " " + std::to_string(p[1]);
    ASSERT_EQ(0, RunClipboardHelper(args));
    std::string got = ReadAll(out);
    ASSERT_EQ(0u, got.find("bitmap 32 32\n")) << got;
    int nTransparent = 0;
    size_t at = got.find('\n') + 1;
    for (auto& p : points) {
        Gdiplus::Color c;
        decoded.GetPixel(p[0], p[1], &c);
        int a = c.GetA();
        nTransparent += a < 255;
        int x = -1, y = -1;
        unsigned rgb = 0;
        ASSERT_EQ(3, sscanf(got.c_str() + at, "%d %d %06X", &x, &y, &rgb)) << got;
        at = got.find('\n', at) + 1;
        EXPECT_EQ(p[0], x);
        EXPECT_EQ(p[1], y);
        int want[3] = {c.GetR(), c.GetG(), c.GetB()};
        int have[3] = {static_cast<int>(rgb >> 16), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF)};
        for (int k = 0; k < 3; ++k)  // one step of rounding either way
            EXPECT_NEAR((want[k] * a + 255 * (255 - a)) / 255.0, have[k], 1.5)
                << "(" << x << ", " << y << ") channel " << k << " alpha " << a;
    }
    ASSERT_GE(nTransparent, 3);  // the points do test transparency
}

// The largest picture the program expects to copy: all of it arrives, to its last pixel.
TEST_F(ClipboardTest, An8000By5000PictureArrivesWhole) {
    std::string path = MakeTempFolder("clip-large") + "large.png";
    {
        Gdiplus::Bitmap bitmap(8000, 5000, PixelFormat24bppRGB);
        bitmap.SetPixel(7999, 4999, Gdiplus::Color(255, 10, 20, 30));
        bitmap.SetPixel(0, 0, Gdiplus::Color(255, 200, 100, 50));
        CLSID clsid;
        ASSERT_TRUE(FindEncoderByMimeType(L"image/png", &clsid));
        ASSERT_EQ(Gdiplus::Ok, bitmap.Save(std::wstring(path.begin(), path.end()).c_str(), &clsid, nullptr));
    }
    Open(path);
    ASSERT_EQ(8000, g_nImageWidth);
    MessageBoxWatcher boxes;
    Command(ID_IMAGE_COPY);
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    std::string out = MakeTempFolder("clip-large-read") + "clip.txt";
    ASSERT_EQ(0, RunClipboardHelper("read \"" + out + "\" 7999 4999 0 0 4000 2500"));
    EXPECT_EQ("bitmap 8000 5000\n7999 4999 0A141E\n0 0 C86432\n4000 2500 000000\n", ReadAll(out));
    Command(ID_IMAGE_CLEARCLIPBOARD);
}
