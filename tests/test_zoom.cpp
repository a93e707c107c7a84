// Zoom out, Zoom in, the fixed ratios and Auto Zoom in the running program: ratio, origin, the
// zoom pane, the drag permissions, the Auto Zoom check mark and the picture on the screen.
#include "AppFixture.h"

namespace {
// 100-pixel blocks whose colour names the block: red counts columns, green rows.
COLORREF Blocks(int x, int y) {
    return RGB((x / 100) * 12, (y / 100) * 25, 128);
}

class ZoomTest : public AppTest {
protected:
    ZoomTest() : AppTest(AppStart().Folder("zoom")) {}
};
}  // namespace

TEST_F(ZoomTest, WidePictureFitsThenZoomInCentresAndAllowsDragging) {
    SizeView(800, 600);
    Show(WritePicture("blocks.bmp", 2000, 1000, Blocks));
    EXPECT_DOUBLE_EQ(0.4, g_dZoom);
    EXPECT_EQ(0, g_nDrawX);
    EXPECT_EQ(100, g_nDrawY);
    EXPECT_TRUE(AutoZoomChecked());

    Command(ID_VIEW_ZOOMIN);
    EXPECT_DOUBLE_EQ(0.8, g_dZoom);
    EXPECT_EQ(-400, g_nDrawX);
    EXPECT_EQ(-100, g_nDrawY);
    EXPECT_EQ(-400, g_nCentreX);
    EXPECT_EQ(-100, g_nCentreY);
    EXPECT_EQ(CString("80.00%"), Pane(4));
    EXPECT_TRUE(PanX());
    EXPECT_TRUE(PanY());
    EXPECT_EQ(1, g_bManualZoom);
    EXPECT_FALSE(AutoZoomChecked());

    // The paint keeps the ratio and draws 1600 x 800 at (-400, -100): block (i, j)'s middle
    // lands at (0.8 (100 i + 50) - 400, 0.8 (100 j + 50) - 100).
    for (int i = 5; i <= 14; i += 3) {
        for (int j = 1; j <= 8; j += 3) {
            int sx = static_cast<int>(0.8 * (100 * i + 50)) - 400, sy = static_cast<int>(0.8 * (100 * j + 50)) - 100;
            EXPECT_EQ(Blocks(100 * i, 100 * j), At(sx, sy)) << i << "," << j;
        }
    }
    EXPECT_DOUBLE_EQ(0.8, g_dZoom);
}

TEST_F(ZoomTest, ZoomOutFromAFittedFifteenPercentHalvesOnce) {
    SizeView(600, 400);
    Show(WritePicture("strip.bmp", 4000, 100, Blocks));
    ASSERT_DOUBLE_EQ(0.15, g_dZoom);
    Command(ID_VIEW_ZOOMOUT);
    EXPECT_DOUBLE_EQ(0.075, g_dZoom);
    EXPECT_EQ(CString("7.00%"), Pane(4));
    EXPECT_EQ(static_cast<int>((600 - 4000 * 0.075) / 2.0), g_nDrawX);
    run->frame()->m_wndStatusBar.SetPaneText(4, "untouched");
    Command(ID_VIEW_ZOOMOUT);
    EXPECT_DOUBLE_EQ(0.075, g_dZoom);
    EXPECT_EQ(CString("untouched"), Pane(4));  // no status text either
    EXPECT_EQ(1, g_bManualZoom);
}

TEST_F(ZoomTest, KeypadKeysZoom) {
    SizeView(600, 400);
    Show(WritePicture("small.bmp", 100, 80, Blocks));
    Key(VK_ADD);
    EXPECT_DOUBLE_EQ(2.0, g_dZoom);
    Key(VK_SUBTRACT);
    Key(VK_SUBTRACT);
    EXPECT_DOUBLE_EQ(0.5, g_dZoom);
    EXPECT_EQ(CString("50.00%"), Pane(4));
    // The drawn picture follows: 50 x 40 in the middle, grey around it.
    EXPECT_EQ(Blocks(0, 0), At(300, 200));
    EXPECT_EQ(kViewGrey, At(300 - 27, 200));
    EXPECT_EQ(kViewGrey, At(300, 200 + 22));
}

TEST_F(ZoomTest, ZoomCommandsRefusedBeforeAPictureIsShown) {
    SizeView(600, 400);
    double before = g_dZoom;
    Command(ID_VIEW_ZOOMIN);
    Command(ID_VIEW_ZOOMOUT);
    Key(VK_ADD);
    EXPECT_DOUBLE_EQ(before, g_dZoom);
    EXPECT_EQ(0, g_bManualZoom);
}

TEST_F(ZoomTest, PresetOnALargePictureDropsTheCheckAndAutoZoomRestoresIt) {
    SizeView(600, 400);
    Show(WritePicture("blocks.bmp", 2000, 1000, Blocks));
    double fitted = g_dZoom;
    ASSERT_DOUBLE_EQ(0.3, fitted);
    EXPECT_TRUE(AutoZoomChecked());
    Command(ID_ZOOM_100);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_EQ(-700, g_nDrawX);
    EXPECT_EQ(-300, g_nDrawY);
    EXPECT_EQ(CString("100.00%"), Pane(4));
    EXPECT_FALSE(AutoZoomChecked());
    // Block (7, 3) at 100 % sits under (50, 50) + (700, 300) - (700, 300).
    EXPECT_EQ(Blocks(700, 300), At(50, 50));

    Command(ID_VIEW_AUTOZOOM);
    EXPECT_TRUE(AutoZoomChecked());
    EXPECT_DOUBLE_EQ(fitted, g_dZoom);
    EXPECT_EQ(0, g_nDrawX);
    EXPECT_EQ(50, g_nDrawY);
    EXPECT_EQ(CString("30.00%"), Pane(4));  // no leading blanks after a command
    EXPECT_FALSE(PanX() || PanY());
    EXPECT_EQ(kViewGrey, At(300, 20));
    EXPECT_EQ(Blocks(0, 0), At(10, 60));
}

TEST_F(ZoomTest, EveryFixedRatioFromItsMenu) {
    SizeView(600, 400);
    Show(WritePicture("small.bmp", 100, 80, Blocks));
    HMENU hMenu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ZOOMRATIO));
    HMENU hPopup = GetSubMenu(hMenu, 0);
    const double ratios[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0};
    for (int i = 0; i < 8; ++i) {
        UINT nID = GetMenuItemID(hPopup, i);
        Command(nID);
        EXPECT_DOUBLE_EQ(ratios[i], g_dZoom) << nID;
        EXPECT_EQ((600 - static_cast<int>(100 * ratios[i])) / 2, g_nDrawX) << nID;
        EXPECT_EQ(ZoomCommandText(ratios[i]), Pane(4));
    }
    EXPECT_EQ(32816u, GetMenuItemID(hPopup, 1));
    DestroyMenu(hMenu);
}

TEST_F(ZoomTest, PresetsAndAutoZoomWithNoPicture) {
    SizeView(600, 400);
    Command(ID_ZOOM_200);
    EXPECT_DOUBLE_EQ(2.0, g_dZoom);
    EXPECT_EQ(300, g_nDrawX);  // a 0 x 0 picture: the middle of the window
    EXPECT_EQ(200, g_nDrawY);
    EXPECT_EQ(CString("200.00%"), Pane(4));
    EXPECT_FALSE(PanX() || PanY());
    EXPECT_EQ(kViewGrey, At(300, 200));
    Command(ID_VIEW_AUTOZOOM);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_EQ(300, g_nDrawX);
    EXPECT_EQ(CString("100.00%"), Pane(4));
    EXPECT_TRUE(AutoZoomChecked());
    EXPECT_EQ(kViewGrey, At(300, 200));
}

TEST_F(ZoomTest, ZoomedCaptureKeepsItsRatioAcrossPaints) {
    SizeView(600, 400);
    WriteFile(CaptureFilePath(), MakeBmp(400, 300, Blocks));
    PictureState::CaptureBegun(run->app(), PictureState::kCaptureScreen, CaptureFilePath());
    Repaint();
    ASSERT_DOUBLE_EQ(1.0, g_dZoom);
    Command(ID_VIEW_ZOOMIN);
    EXPECT_DOUBLE_EQ(2.0, g_dZoom);
    EXPECT_TRUE(PanY() && PanX());
    Repaint();
    EXPECT_DOUBLE_EQ(2.0, g_dZoom);
    // Auto Zoom fits it again and takes the drag permissions away, capture or not.
    Command(ID_VIEW_AUTOZOOM);
    Repaint();
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_FALSE(PanX() || PanY());
    DeleteFileA(CaptureFilePath());
}
