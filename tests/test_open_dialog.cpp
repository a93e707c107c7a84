// The open dialog's preview panel: geometry, the three text lines, and robustness.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"
#include "PanelSteps.h"
#include "dialogs/SpecFileDlg.h"

TEST(FitPreviewTest, TheSevenSizesInA100By80Box) {
    const Expect cases[] = {
        {50, 40, 25, 20, 50, 40, 1.0f},      {200, 100, 4, 15, 100, 50, 0.5f},
        {300, 60, 4, 29, 100, 20, 1.0f / 3}, {60, 300, 41, 4, 16, 80, 80.0f / 300},
        {99, 200, 30, 4, 39, 80, 0.4f},      {100, 80, 0, 0, 100, 80, 1.0f},
        {0, 0, 50, 40, 0, 0, 1.0f},
    };
    for (const Expect& c : cases) {
        FitPreview(c.w, c.h, 100, 80);
        EXPECT_EQ(c.scale, g_fPreviewScale) << c.w << "x" << c.h;
        EXPECT_EQ(c.x, g_nPreviewX) << c.w << "x" << c.h;
        EXPECT_EQ(c.y, g_nPreviewY) << c.w << "x" << c.h;
        double s = g_fPreviewScale;
        EXPECT_EQ(c.dw, static_cast<int>(c.w * s)) << c.w << "x" << c.h;
        EXPECT_EQ(c.dh, static_cast<int>(c.h * s)) << c.w << "x" << c.h;
    }
    FitPreview(300, 60, 100, 80);
    EXPECT_FLOAT_EQ(0.33333334f, g_fPreviewScale);
}

TEST(FitPreviewTest, FormatLineIsCaseSensitive) {
    EXPECT_STREQ("Format: BITMAP", PreviewFormatText("c:\\a.bmp"));
    EXPECT_STREQ("Format: JPEG", PreviewFormatText("c:\\a.jpg"));
    EXPECT_STREQ("Format: TIFF", PreviewFormatText("c:\\a.tif"));
    EXPECT_STREQ("Format: ICON", PreviewFormatText("x.ico"));
    EXPECT_STREQ("Format: WMF", PreviewFormatText("x.wmf"));
    EXPECT_EQ(nullptr, PreviewFormatText("PHOTO.JPG"));
    EXPECT_EQ(nullptr, PreviewFormatText("scan.tiff"));
    EXPECT_EQ(nullptr, PreviewFormatText("photo.jpeg"));
    EXPECT_EQ(nullptr, PreviewFormatText(""));
}

TEST(FitPreviewTest, NoRoomInTheBoxDrawsNothing) {
    // A frame smaller than its margins (or missing: a 0 x 0 client area) leaves -6 x -6.
    FitPreview(0, 0, -6, -6);
    EXPECT_EQ(0.0f, g_fPreviewScale);
    FitPreview(50, 40, -6, -6);
    EXPECT_EQ(0.0f, g_fPreviewScale);
    EXPECT_EQ(0, g_nPreviewX);
    EXPECT_EQ(0, g_nPreviewY);
}
