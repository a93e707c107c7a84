// Copy to Clipboard and Clear Clipboard: what another program reads, what stays when the export
// or the clipboard is not available, and no handle left behind.
#include <gtest/gtest.h>

#include "framework/GdiPlus.h"

#include <stdio.h>

#include "OutputFixture.h"

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

class ClipboardTest : public OutputTest {};

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
    DeleteFileA(kCaptureFile);
}

TEST_F(ClipboardTest, AFailedExportLeavesTheClipboardAndTheOldFileAlone) {
    std::string folder = MakeTempFolder("clip-gone");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "gone.jpeg");
    Open(folder + "gone.jpeg");
    WriteFile(kCaptureFile, MakeBmp(4, 4, [](int, int) { return RGB(1, 2, 3); }));
    std::string oldCapture = ReadAll(kCaptureFile);
    PutText("still here");
    ASSERT_TRUE(DeleteFileA((folder + "gone.jpeg").c_str()));
    Command(ID_IMAGE_COPY);
    EXPECT_EQ("still here", ClipboardText());
    EXPECT_FALSE(ClipboardHas(CF_BITMAP));
    EXPECT_EQ(oldCapture, ReadAll(kCaptureFile));
    DeleteFileA(kCaptureFile);
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
        Command(ID_IMAGE_COPY);
        Command(ID_IMAGE_CLEARCLIPBOARD);
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
