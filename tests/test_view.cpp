// The view draws what its state names: fitted, at the right place, grey around it; captures
// rewrite their status texts on every paint; no handle leaks.
#include <gtest/gtest.h>

#include <string>

#include "AppFixture.h"

namespace {
// A picture whose left half is red and right half blue, top row green.
std::string MakeBmp(int w, int h) {
    return ::MakeBmp(w, h, [w](int x, int y) {
        return y == 0 ? RGB(0, 255, 0) : x < w / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255);
    });
}

const COLORREF kGrey = RGB(128, 128, 128);

class ViewTest : public AppTest {
protected:
    ViewTest() : AppTest(AppStart().Folder("view").NoCaptureFile()) {}
    // Only the picture named: the paint itself sets the rest.
    void Show(const std::string& path) {
        run->app().m_bImageLoaded = 1;
        g_strFilePath = path.c_str();
        Repaint();
    }
};
}  // namespace

TEST_F(ViewTest, EmptyViewIsGreyAndMeasured) {
    Repaint();
    CRect rc;
    view->GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), g_nClientWidth);
    EXPECT_EQ(rc.Height(), g_nClientHeight);
    EXPECT_GT(g_nClientWidth, 500);
    EXPECT_EQ(kGrey, At(0, 0));
    EXPECT_EQ(kGrey, At(rc.Width() / 2, rc.Height() / 2));
    EXPECT_EQ(kGrey, At(rc.Width() - 1, rc.Height() - 1));
}

TEST_F(ViewTest, SmallPictureDrawnUnscaledAtTheCentre) {
    WriteFile(m_strFolder + "small.bmp", MakeBmp(100, 80));
    Show(m_strFolder + "small.bmp");
    EXPECT_EQ(100, g_nImageWidth);
    EXPECT_EQ(80, g_nImageHeight);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_EQ((g_nClientWidth - 100) / 2, g_nDrawX);
    EXPECT_EQ((g_nClientHeight - 80) / 2, g_nDrawY);
    int x = g_nDrawX, y = g_nDrawY;
    EXPECT_EQ(COLORREF(RGB(0, 255, 0)), At(x, y));            // top row
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), At(x + 10, y + 40));  // left half
    EXPECT_EQ(COLORREF(RGB(0, 0, 255)), At(x + 90, y + 79));  // right half, bottom row
    EXPECT_EQ(kGrey, At(x - 1, y + 40));
    EXPECT_EQ(kGrey, At(x + 100, y + 40));
    EXPECT_EQ(kGrey, At(x + 50, y - 1));
    EXPECT_EQ(kGrey, At(x + 50, y + 80));
}

TEST_F(ViewTest, LargePictureIsFittedAndDrawnInTheFittedRectangle) {
    WriteFile(m_strFolder + "wide.bmp", MakeBmp(2000, 500));
    Show(m_strFolder + "wide.bmp");
    double zoom = static_cast<double>(g_nClientWidth) / 2000;
    if (500 * zoom > g_nClientHeight)
        zoom = static_cast<double>(g_nClientHeight) / 500;
    EXPECT_DOUBLE_EQ(zoom, g_dZoom);
    int w = static_cast<int>(2000 * g_dZoom), h = static_cast<int>(500 * g_dZoom);
    EXPECT_EQ(0, g_nDrawX);
    EXPECT_EQ(static_cast<int>((g_nClientHeight - 500 * g_dZoom) / 2.0), g_nDrawY);
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), At(w / 4, g_nDrawY + h / 2));
    EXPECT_EQ(COLORREF(RGB(0, 0, 255)), At(3 * w / 4, g_nDrawY + h / 2));
    EXPECT_EQ(kGrey, At(w / 2, g_nDrawY - 2));
    EXPECT_EQ(kGrey, At(w / 2, g_nDrawY + h + 1));
}

TEST_F(ViewTest, AutoZoomRefitsAfterTheWindowChangesSize) {
    WriteFile(m_strFolder + "wide.bmp", MakeBmp(2000, 500));
    Show(m_strFolder + "wide.bmp");
    double before = g_dZoom;
    CStatusBar& bar = run->frame()->m_wndStatusBar;
    bar.SetPaneText(4, "kept");
    run->frame()->ShowControlBar(&bar, FALSE, FALSE);  // the view grows
    Repaint();
    EXPECT_DOUBLE_EQ(before, g_dZoom);  // width-bound: same ratio
    EXPECT_EQ(static_cast<int>((g_nClientHeight - 500 * g_dZoom) / 2.0), g_nDrawY);
    EXPECT_EQ(CString("kept"), bar.GetPaneText(4));  // painting a file writes no pane
}

TEST_F(ViewTest, UnreadablePictureLeavesTheViewGrey) {
    WriteFile(m_strFolder + "broken.png", "not a png");
    Show(m_strFolder + "broken.png");
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(0, g_nImageHeight);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_EQ(g_nClientWidth / 2, g_nDrawX);
    EXPECT_EQ(kGrey, At(g_nClientWidth / 2, g_nClientHeight / 2));
    // A shown file deleted behind the program's back: grey at the next paint, no message.
    WriteFile(m_strFolder + "gone.bmp", MakeBmp(100, 80));
    Show(m_strFolder + "gone.bmp");
    EXPECT_EQ(100, g_nImageWidth);
    DeleteFileA((m_strFolder + "gone.bmp").c_str());
    MessageBoxWatcher watcher;
    Repaint();
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(kGrey, At(g_nClientWidth / 2, g_nClientHeight / 2));
    EXPECT_EQ(0, watcher.count());
}

TEST_F(ViewTest, CaptureIsDrawnWithItsStatusTextsOnEveryPaint) {
    WriteFile(CaptureFilePath(), MakeBmp(120, 60));
    PictureState::CaptureBegun(run->app(), PictureState::kCaptureScreen, CaptureFilePath());
    Repaint();
    CStatusBar& bar = run->frame()->m_wndStatusBar;
    EXPECT_EQ(CString(CaptureFilePath()), g_strFilePath);
    EXPECT_EQ(CString(" Capture is ok!"), bar.GetPaneText(1));
    EXPECT_EQ(CString(""), bar.GetPaneText(2));
    EXPECT_EQ(CString(" [120,60] "), bar.GetPaneText(3));
    EXPECT_EQ(CString("    100.00%"), bar.GetPaneText(4));
    EXPECT_EQ(CString(""), bar.GetPaneText(5));
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), At(g_nDrawX + 10, g_nDrawY + 30));
    // The capture's enable flags.
    EXPECT_TRUE(view->m_bEnableZoomOut && view->m_bEnableZoomIn && view->m_bEnableSave && g_bEnableZoomDialog &&
                g_bEnableImageEdit);
    EXPECT_FALSE(view->m_bEnableSaveAs || view->m_bEnableSlideShow || view->m_bEnablePrevious || view->m_bEnableNext ||
                 view->m_bEnableCopy || view->m_bEnablePrint || view->m_bEnableRename);

    // Every repaint rewrites them.
    bar.SetPaneText(1, "x");
    bar.SetPaneText(2, "y");
    bar.SetPaneText(5, "z");
    view->m_bEnableNext = 1;
    Repaint();
    EXPECT_EQ(CString(" Capture is ok!"), bar.GetPaneText(1));
    EXPECT_EQ(CString(""), bar.GetPaneText(2));
    EXPECT_EQ(CString(""), bar.GetPaneText(5));
    EXPECT_FALSE(view->m_bEnableNext);
}

TEST_F(ViewTest, MissingCaptureFileDrawsNothingButWritesTheTexts) {
    PictureState::CaptureBegun(run->app(), PictureState::kCaptureRegion, nullptr);
    Repaint();
    CStatusBar& bar = run->frame()->m_wndStatusBar;
    EXPECT_EQ(CString(" [0,0] "), bar.GetPaneText(3));
    EXPECT_EQ(CString("    100.00%"), bar.GetPaneText(4));
    EXPECT_EQ(kGrey, At(g_nClientWidth / 2, g_nClientHeight / 2));
}

TEST_F(ViewTest, ZoomTextIsTheFlooredPercentage) {
    WriteFile(CaptureFilePath(), MakeBmp(3000, 10));
    PictureState::CaptureBegun(run->app(), PictureState::kCaptureObject, nullptr);
    Repaint();
    view->SetZoom(0.3333);
    Repaint();
    EXPECT_EQ(CString("    33.00%"), run->frame()->m_wndStatusBar.GetPaneText(4));
    // A new capture refits even under manual zoom.
    PictureState::CaptureBegun(run->app(), PictureState::kCaptureObject, nullptr);
    Repaint();
    EXPECT_DOUBLE_EQ(static_cast<double>(g_nClientWidth) / 3000, g_dZoom);
}

TEST_F(ViewTest, AThousandPaintsLeakNoHandles) {
    WriteFile(m_strFolder + "small.bmp", MakeBmp(64, 48));
    Show(m_strFolder + "small.bmp");
    Repaint();
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < 1000; ++i) {
        view->Invalidate(TRUE);
        view->UpdateWindow();
    }
    PumpNow();
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
}
