// The image object over the real picture corpus: every file measures without crashing or
// hanging, unreadable ones as 0 x 0; and every one is drawn through the real view.
#include <gtest/gtest.h>

#include "GdiPlusFixture.h"
#include "picture/PictureSize.h"
#include "framework/GdiPlus.h"

#include <string>
#include <vector>

#include "TestUtil.h"

namespace {
struct Measured {
    int w, h;
};

// As the program measures: a picture whose header announces more than it may decode is never
// handed to the platform (whose 64-bit decoder would try, and take the process down).
Measured Measure(const std::string& path) {
    if (PictureTooLarge(path.c_str()))
        return {0, 0};
    Gdiplus::Image image(ToWide(path.c_str()));
    return {static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight())};
}

class CorpusTest : public GdiPlusTest {};

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}
}  // namespace

TEST_F(CorpusTest, EveryFileMeasuresSanely) {
    std::vector<std::string> files = CorpusFiles();
    ASSERT_GT(files.size(), 100u) << "corpus not found at " << CorpusPath("");
    int readable = 0;
    for (const std::string& f : files) {
        if (EndsWith(f, "large.jpg"))
            continue;  // measured on its own below
        Measured m = Measure(f);
        // Both sides known, or neither.
        EXPECT_EQ(m.w == 0, m.h == 0) << f;
        if (EndsWith(f, ".tsv") || EndsWith(f, ".txt")) {
            EXPECT_EQ(0, m.w) << f;
        }
        if (m.w > 0)
            ++readable;
    }
    EXPECT_GT(readable, 80);
}

TEST_F(CorpusTest, KnownSizes) {
    Measured m = Measure(CorpusPath("bmp/yellow_rose-small.bmp"));  // top-down
    EXPECT_EQ(16, m.w);
    EXPECT_EQ(12, m.h);
    m = Measure(CorpusPath("gif/max-width.gif"));
    EXPECT_EQ(65535, m.w);
    EXPECT_EQ(1, m.h);
    m = Measure(CorpusPath("jpeg/photo caf\xc3\xa9 au lait.jpg"));  // the name on disk, in UTF-8 as the program runs
    EXPECT_GT(m.w, 0);
    m = Measure(CorpusPath("large/Honeywave-5120x2880.jpg"));  // about 59 MB decoded
    EXPECT_EQ(5120, m.w);
    EXPECT_EQ(2880, m.h);
    m = Measure(CorpusPath("large/issue70.jpg"));
    EXPECT_EQ(3120, m.w);
    EXPECT_EQ(4208, m.h);
}

TEST_F(CorpusTest, MissingAndNonPictureFilesAreZeroByZero) {
    Measured m = Measure("Z:\\no\\such\\file.bmp");
    EXPECT_EQ(0, m.w);
    EXPECT_EQ(0, m.h);
    std::string folder = MakeTempFolder("corpus");
    WriteFile(folder + "text.bmp", "this is not a bitmap at all");
    WriteFile(folder + "empty.jpg", "");
    EXPECT_EQ(0, Measure(folder + "text.bmp").w);
    EXPECT_EQ(0, Measure(folder + "empty.jpg").w);
}

TEST_F(CorpusTest, PictureTooBigForThisProcessFailsCleanly) {
    // 22500 x 33300 needs about 3 GB decoded: refused from its header in both widths.
    Measured m = Measure(CorpusPath("large/large.jpg"));
    EXPECT_EQ(0, m.w);
    EXPECT_EQ(0, m.h);
    // The process goes on working afterwards.
    Measured small = Measure(CorpusPath("bmp/image.bmp"));
    EXPECT_EQ(80, small.w);
}

TEST(CorpusView, EveryFileIsDrawnThroughTheView) {
    std::vector<std::string> files = CorpusFiles();
    RunningApp run;
    ASSERT_TRUE(run.started());
    CNorvelView* view = run.view();
    run.app().m_bImageLoaded = 1;
    for (const std::string& f : files) {
        g_strFilePath = f.c_str();
        view->Invalidate(TRUE);
        view->UpdateWindow();
        EXPECT_EQ(g_nImageWidth == 0, g_nImageHeight == 0) << f;
    }
    EXPECT_TRUE(IsWindow(view->m_hWnd));
}
