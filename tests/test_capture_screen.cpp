// Capture Screen end to end: the file, the pixels, the view, the clipboard (also when another
// program holds it), a capture file that cannot be replaced, the slide show, and handles.
#include <gtest/gtest.h>

#include <string>

#include "AppFixture.h"
#include "capture/BitmapFile.h"
#include "picture/PictureCache.h"
#include "state/Fit.h"

namespace {
const int kPatX = 40, kPatY = 620, kPatW = 300, kPatH = 120;

class ScreenTest : public AppTest {
protected:
    ScreenTest() : AppTest(CaptureStart()) {}
    void Capture() {
        Command(ID_TOOLS_CAPTURESCREEN);
        Settle();
    }
};
}  // namespace

TEST_F(ScreenTest, TheWholeScreenIsWrittenShownAndPutOnTheClipboard) {
    PatternWindow pattern(kPatX, kPatY, kPatW, kPatH);
    SetForegroundWindow(frame->m_hWnd);
    PumpFor(50);
    app().m_bImageLoaded = 1;
    app().m_bPanX = app().m_bPanY = 1;
    g_bManualZoom = 1;
    Capture();
    EXPECT_TRUE(frame->IsWindowVisible());

    BmpFile f = ReadBmp(CaptureFilePath());
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(3145782u, f.file.bfSize);
    EXPECT_EQ(3145782u, f.bytes.size());
    EXPECT_EQ(54u, f.file.bfOffBits);
    EXPECT_EQ(1024, f.info.biWidth);
    EXPECT_EQ(768, f.info.biHeight);
    EXPECT_EQ(32, f.info.biBitCount);
    EXPECT_EQ(3145728u, f.info.biSizeImage);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), f.info.biCompression);
    // The pattern on the screen comes back pixel for pixel.
    int wrong = 0;
    for (int y = 0; y < kPatH; ++y)
        for (int x = 0; x < kPatW; ++x)
            wrong += f.Pixel(kPatX + x, kPatY + y) != PatternColour(x, y);
    EXPECT_EQ(0, wrong);

    // The flags of a screen capture; the view draws it, refitted.
    EXPECT_EQ(1, app().m_bScreenCaptured);
    EXPECT_EQ(0, app().m_bRegionCaptured);
    EXPECT_EQ(0, app().m_bObjectCaptured);
    EXPECT_EQ(0, app().m_bImageLoaded);
    EXPECT_EQ(1, app().m_bCaptureRefitPending);
    EXPECT_EQ(0, app().m_bPanX);
    EXPECT_EQ(0, app().m_bPanY);
    EXPECT_EQ(CString(CaptureFilePath()), g_strFilePath);
    EXPECT_EQ(1024, g_nImageWidth);
    EXPECT_DOUBLE_EQ(FitPicture(1024, 768, g_nClientWidth, g_nClientHeight).dZoom, g_dZoom);
    EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
    EXPECT_EQ(CString(""), Pane(2));
    EXPECT_EQ(CString(" [1024,768] "), Pane(3));
    EXPECT_EQ(CString(""), Pane(5));
    EXPECT_TRUE(view->m_bEnableSave);
    EXPECT_FALSE(view->m_bEnableCopy);

    // Another program reads the same picture from the clipboard.
    std::string out = MakeTempFolder("screen-clip") + "clip.txt";
    ASSERT_EQ(
        0, RunClipboardHelper("read \"" + out + "\" " + std::to_string(kPatX + 7) + " " + std::to_string(kPatY + 9)));
    COLORREF c = PatternColour(7, 9);
    char expected[128];
    snprintf(expected, sizeof expected, "bitmap 1024 768\n%d %d %02X%02X%02X\n", kPatX + 7, kPatY + 9, GetRValue(c),
             GetGValue(c), GetBValue(c));
    EXPECT_EQ(expected, ReadAll(out));
}

TEST_F(ScreenTest, AClipboardHeldElsewhereIsLeftAsItWas) {
    // A capture shown before: what the view keeps of a shown picture is counted in.
    Capture();
    PumpFor(100);
    int gdi = CountGdiObjects();
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.holding());
        Capture();
        // The file is written and shown all the same.
        BmpFile f = ReadBmp(CaptureFilePath());
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(1024, f.info.biWidth);
        EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
        EXPECT_EQ(1024, g_nImageWidth);
        EXPECT_TRUE(frame->IsWindowVisible());
    }
    PumpFor(100);
    EXPECT_LE(CountGdiObjects(), gdi);  // the bitmap nobody took is deleted
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    HANDLE h = GetClipboardData(CF_TEXT);
    ASSERT_NE(nullptr, h);
    EXPECT_STREQ("held elsewhere", static_cast<const char*>(GlobalLock(h)));
    GlobalUnlock(h);
    CloseClipboard();
}

TEST_F(ScreenTest, ACaptureFileThatCannotBeReplacedIsLeftWhole) {
    WriteFile(CaptureFilePath(), "the previous capture");
    HANDLE h = CreateFileA(CaptureFilePath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    size_t tempsBefore = FilesMatching(FolderOf(CaptureFilePath()), "mrv*.tmp").size();
    {
        MessageBoxWatcher watcher;
        Capture();
        EXPECT_EQ(0, watcher.count());
    }
    CloseHandle(h);
    EXPECT_EQ("the previous capture", ReadAll(CaptureFilePath()));
    EXPECT_EQ(tempsBefore, FilesMatching(FolderOf(CaptureFilePath()), "mrv*.tmp").size());
    // The capture went on: frame back, flags set, bitmap on the clipboard.
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(1, app().m_bScreenCaptured);
    std::string out = MakeTempFolder("locked-clip") + "clip.txt";
    EXPECT_EQ(0, RunClipboardHelper("read \"" + out + "\""));
    EXPECT_EQ("bitmap 1024 768\n", ReadAll(out));
}

TEST_F(ScreenTest, ACaptureStopsARunningSlideShow) {
    for (UINT nID : {ID_TOOLS_CAPTURESCREEN, ID_TOOLS_CAPTUREREGION}) {
        SCOPED_TRACE(nID);
        ASSERT_NE(0u, view->SetTimer(1, 60000));
        PictureState::ShowStarted(TRUE);
        Command(nID);
        if (nID == ID_TOOLS_CAPTUREREGION)
            RightClickAt(500, 500);
        Settle();
        EXPECT_EQ(1, g_bSlideStopped);
        EXPECT_FALSE(view->KillTimer(1));  // already gone
        EXPECT_TRUE(frame->IsWindowVisible());
    }
}

TEST_F(ScreenTest, AHundredCapturesLeakNothing) {
    Capture();
    Capture();
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    size_t memory = CommittedBytes();
    for (int i = 0; i < SoakSteps(20, 100); ++i) {
        view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTURESCREEN, 0), 0);
        view->UpdateWindow();
        PumpNow();
    }
    Settle();
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
    // Each capture holds 3 MB twice while it runs; a leak of either would show a hundredfold.
    EXPECT_LT(CommittedBytes(), memory + 32u * 1024 * 1024);
    EXPECT_GT(memory, 0u);
    EXPECT_TRUE(ReadBmp(CaptureFilePath()).ok);
    EXPECT_TRUE(DeleteFileA(CaptureFilePath()));  // no handle left open on it
}

TEST_F(ScreenTest, RegionAndObjectCapturesLeakNothing) {
    auto region = [&] {
        Command(ID_TOOLS_CAPTUREREGION);
        PumpFor(100);
        LeftClickAt(300, 300);
        MouseTo(420, 380);
        LeftClickAt(420, 380);
    };
    auto object = [&] {
        Command(ID_TOOLS_CAPTUREOBJECT);
        PumpFor(100);
        LeftClickAt(1000, 740);
    };
    region();
    object();
    Settle();
    // What the view keeps of the picture it shows (made on a later paint) is not the captures'.
    auto dropKept = [&] {
        view->m_pPicture->Clear();
        view->m_pRendered->Clear();
    };
    dropKept();
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    for (int i = 0; i < 10; ++i) {
        region();
        Settle();
        EXPECT_EQ(118, g_nImageWidth);
        object();
        Settle();
        Command(ID_TOOLS_CAPTUREREGION);
        RightClickAt(500, 500);
        Settle();
    }
    dropKept();
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
}

// Where the preferred place of the capture file cannot be written, the capture goes to the
// user's own folder, and the view, Save and the clipboard export follow it.
TEST_F(ScreenTest, WhereTheRootCannotBeWrittenTheCaptureGoesToTheUsersFolder) {
    std::string folder = MakeTempFolder("capture-closed-root");
    ClosedCaptureRoot closed(folder);
    const std::string expected = closed.expected();
    Capture();
    EXPECT_STREQ(expected.c_str(), CaptureFilePath());
    BmpFile f = ReadBmp(expected);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(1024, f.info.biWidth);
    EXPECT_FALSE(FileExists(kCaptureFile));
    EXPECT_EQ(1, app().m_bScreenCaptured);
    EXPECT_EQ(CString(expected.c_str()), g_strFilePath);
    EXPECT_EQ(1024, g_nImageWidth);  // the view drew it
    EXPECT_EQ(768, g_nImageHeight);
    EXPECT_TRUE(view->ExportToTempBitmap());
    view->SaveChosenFile(CaptureFilePath(), (folder + "saved.bmp").c_str());
    EXPECT_EQ(1024, ReadBmp(folder + "saved.bmp").info.biWidth);
}
