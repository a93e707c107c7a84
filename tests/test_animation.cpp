// Pictures that move: the frames as GDI+ composes them or our decoders hand them over, the
// delays as played, loop counts; and the real view playing them on its timer, repainting only
// the picture, ending on a step, a capture or Open, while output commands keep the first frame.
#include <gtest/gtest.h>

#include <string>

#include "GdiPlusFixture.h"
#include "AppFixture.h"
#include "view/Animation.h"

namespace {

// Pixel (x, y) of the frame shown, as 0xRRGGBB (alpha dropped).
UINT FramePixel(CAnimation& a, int x, int y) {
    Gdiplus::Image* p = a.Shown();
    if (!p)
        return 0xDEAD;
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(p)->GetPixel(x, y, &c);
    return c.GetValue() & 0xFFFFFF;
}

// traffic_light.gif: frames smaller than the picture at offsets, each kept on the ones before;
// the red, amber and green lamps at (30, 15), (30, 50), (30, 90) in each frame, as a decoder of
// another make composes them (grey 0x767676: the lamp is off).
const UINT kLamps[4][3] = {
    {0xEC1818, 0x767676, 0x767676},
    {0xEC1818, 0xF59238, 0x767676},
    {0x767676, 0x767676, 0x47B850},
    {0x767676, 0xF59238, 0x767676},
};

class AnimationTest : public GdiPlusTest {};
}  // namespace

TEST(AnimationDelay, UnderTwentyMillisecondsPlaysAtAHundred) {
    const UINT cases[][2] = {{0, 100}, {10, 100}, {19, 100}, {20, 20}, {50, 50}, {100, 100}, {3000, 3000}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], CAnimation::PlayedDelay(c[0])) << c[0];
}

// Every frame as composed, each delay as the file gives it, for ever; kept whole or, over the
// ceiling, decoded when due: the same pixels.
TEST_F(AnimationTest, GifFramesComposedDelaysAndWrap) {
    for (ULONGLONG ceiling : {CAnimation::kDefaultCeiling, 60ull * 105 * 4}) {
        CAnimation a;
        ASSERT_TRUE(a.Load(CorpusPath("gif/traffic_light.gif").c_str(), ceiling));
        EXPECT_EQ(ceiling == CAnimation::kDefaultCeiling, a.KeepsAllFrames());
        ASSERT_EQ(4u, a.FrameCount());
        EXPECT_EQ(0, a.Plays());
        const UINT delays[4] = {3000, 1000, 3000, 1000};
        for (int round = 0; round < 2; ++round) {
            for (int f = 0; f < 4; ++f) {
                ASSERT_EQ(static_cast<size_t>(f), a.FrameShown());
                EXPECT_EQ(delays[f], a.DelayShown());
                EXPECT_EQ(kLamps[f][0], FramePixel(a, 30, 15)) << f;
                EXPECT_EQ(kLamps[f][1], FramePixel(a, 30, 50)) << f;
                EXPECT_EQ(kLamps[f][2], FramePixel(a, 30, 90)) << f;
                EXPECT_TRUE(a.Advance());
            }
        }
        EXPECT_TRUE(a.IsRunning());
    }
}

// A loop count of 2 repeats the first play twice; without one the animation plays once. The
// last frame stays.
TEST_F(AnimationTest, LoopCountsAreHonoured) {
    CAnimation a;
    ASSERT_TRUE(a.Load(TestPicture("loop-2.gif").c_str()));
    EXPECT_EQ(3, a.Plays());
    EXPECT_EQ(50u, a.DelayShown());
    int advances = 0;
    while (a.Advance() && advances < 100)
        ++advances;
    EXPECT_EQ(5, advances);
    EXPECT_FALSE(a.IsRunning());
    EXPECT_EQ(1u, a.FrameShown());
    EXPECT_EQ(0x0000FFu, FramePixel(a, 1, 1));
    EXPECT_FALSE(a.Advance());

    ASSERT_TRUE(a.Load(TestPicture("no-loop.gif").c_str()));
    EXPECT_EQ(1, a.Plays());
    EXPECT_EQ(100u, a.DelayShown());  // 10 ms in the file
    EXPECT_EQ(0xFF0000u, FramePixel(a, 0, 0));
    EXPECT_TRUE(a.Advance());
    EXPECT_EQ(0x00FF00u, FramePixel(a, 0, 0));
    EXPECT_TRUE(a.Advance());
    EXPECT_EQ(0x0000FFu, FramePixel(a, 0, 0));
    EXPECT_FALSE(a.Advance());
    EXPECT_EQ(2u, a.FrameShown());
}

// Frames our own decoders hand over (WebP and AVIF): each frame's pixels and delay, the plays.
TEST_F(AnimationTest, DecodedFramesPlay) {
    CDecodedImage image;
    image.nWidth = 3;
    image.nHeight = 2;
    image.nLoopCount = 2;
    const UINT colours[3] = {0xFF0000, 0x00FF00, 0x0000FF}, delays[3] = {40, 5, 200};
    for (int i = 0; i < 3; ++i) {
        CDecodedFrame f;
        for (int p = 0; p < 6; ++p) {
            f.pixels.push_back(static_cast<uint8_t>(colours[i]));
            f.pixels.push_back(static_cast<uint8_t>(colours[i] >> 8));
            f.pixels.push_back(static_cast<uint8_t>(colours[i] >> 16));
            f.pixels.push_back(0xFF);
        }
        f.nDelayMs = delays[i];
        image.frames.push_back(f);
    }
    CAnimation a;
    ASSERT_TRUE(a.Load(image));
    EXPECT_EQ(2, a.Plays());
    const UINT played[3] = {40, 100, 200};
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(played[n % 3], a.DelayShown()) << n;
        EXPECT_EQ(colours[n % 3], FramePixel(a, 2, 1)) << n;
        EXPECT_EQ(n < 5, a.Advance()) << n;
    }
    // One frame is no animation.
    image.frames.resize(1);
    EXPECT_FALSE(a.Load(image));
    EXPECT_FALSE(a.Holds());
    EXPECT_EQ(nullptr, a.Shown());
}

// Still pictures and a one-frame GIF do not move; malformed GIFs neither crash nor hang it.
TEST_F(AnimationTest, StillAndBrokenPicturesDoNotMove) {
    CAnimation a;
    for (const char* f : {"gif/horse.gif", "gif/loop-once.gif", "bmp/yellow_rose-small.bmp", "png/basn0g08.png"})
        EXPECT_FALSE(a.Load(CorpusPath(f).c_str())) << f;
    EXPECT_FALSE(a.Load(TestPicture("halves.tga").c_str()));
    EXPECT_FALSE(a.Load("Z:\\no\\such\\file.gif"));
    const std::vector<std::string> broken = FilesMatching(CorpusPath("malformed\\"), "*.gif");
    EXPECT_GE(broken.size(), 3u);
    for (const std::string& f : broken) {
        a.Load(CorpusPath(("malformed/" + f).c_str()).c_str());
        for (int i = 0; i < 1000 && a.Advance(); ++i) {
        }
    }
    a.Clear();
    EXPECT_FALSE(a.Holds());
}

namespace {
class AnimationViewTest : public AppTest {
protected:
    AnimationViewTest() : AppTest(AppStart().Folder("animation").NoCaptureFile()) {}
    void SetUp() override {
        AppTest::SetUp();
        CopyCorpusFile("gif/traffic_light.gif", m_strFolder, "traffic.gif");
        CopyFileA(TestPicture("loop-2.gif").c_str(), (m_strFolder + "loop.gif").c_str(), FALSE);
        WriteFile(m_strFolder + "t.bmp", MakeBmp(8, 8, [](int, int) { return RGB(0, 255, 0); }));
    }
    // The timer's message as the system sends it when the frame is due.
    void Tick() {
        view->SendMessage(WM_TIMER, CNorvelView::kAnimationTimer, 0);
        view->UpdateWindow();
        PumpNow();
    }
    // The colour of picture pixel (x, y) on the screen.
    COLORREF Shown(int x, int y) {
        return At(g_nDrawX + static_cast<int>(x * g_dZoom), g_nDrawY + static_cast<int>(y * g_dZoom));
    }
};

COLORREF Colour(UINT rgb) {
    return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
}  // namespace

// Each tick shows the next frame as composed; only the picture's part of the window is
// repainted; a step to a still picture ends it, and a late tick then changes nothing.
TEST_F(AnimationViewTest, FramesChangeOnTicksAndAStepEndsIt) {
    Open(m_strFolder + "traffic.gif");
    ASSERT_TRUE(view->m_bAnimating);
    ASSERT_DOUBLE_EQ(1.0, g_dZoom);
    for (int f = 0; f < 6; ++f) {
        for (int lamp = 0; lamp < 3; ++lamp)
            EXPECT_EQ(Colour(kLamps[f % 4][lamp]), Shown(30, lamp == 0 ? 15 : lamp == 1 ? 50 : 90)) << f;
        // The next tick invalidates the picture and nothing else.
        view->SendMessage(WM_TIMER, CNorvelView::kAnimationTimer, 0);
        RECT rcUpdate;
        ASSERT_TRUE(GetUpdateRect(view->m_hWnd, &rcUpdate, FALSE));
        EXPECT_EQ(g_nDrawX, rcUpdate.left);
        EXPECT_EQ(g_nDrawY, rcUpdate.top);
        EXPECT_EQ(g_nDrawX + 60, rcUpdate.right);
        EXPECT_EQ(g_nDrawY + 105, rcUpdate.bottom);
        view->UpdateWindow();
        PumpNow();
    }
    EXPECT_TRUE(view->m_bAnimating);
    EXPECT_EQ(CString(" [60,105] "), Pane(3));  // the pane texts keep their forms
    Command(ID_VIEW_PREVIOUS);                  // loop.gif, t.bmp, traffic.gif
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_FALSE(view->m_bAnimating);
    EXPECT_EQ(COLORREF(RGB(0, 255, 0)), Shown(4, 4));
    Tick();
    EXPECT_EQ(COLORREF(RGB(0, 255, 0)), Shown(4, 4));
    // Stepping back to it plays it from its first frame.
    Command(ID_VIEW_NEXT);
    EXPECT_TRUE(view->m_bAnimating);
    EXPECT_EQ(Colour(kLamps[0][1]), Shown(30, 50));
    Tick();
    EXPECT_EQ(Colour(kLamps[1][1]), Shown(30, 50));
}

// The view's own timer plays the file's three plays and stops on the last frame.
TEST_F(AnimationViewTest, TheTimerPlaysTheLoopCountAndStops) {
    Open(m_strFolder + "loop.gif");
    ASSERT_TRUE(view->m_bAnimating);
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), Shown(1, 1));
    // Real ticks, 50 ms apart: five frame changes, then the timer is gone.
    EXPECT_TRUE(PumpUntil([this] { return !view->m_bAnimating; }, 10000));
    view->UpdateWindow();
    PumpNow();
    EXPECT_EQ(1u, view->m_pAnimation->FrameShown());
    EXPECT_EQ(COLORREF(RGB(0, 0, 255)), Shown(1, 1));
    Tick();
    EXPECT_EQ(COLORREF(RGB(0, 0, 255)), Shown(1, 1));
}

// A capture and the Open command end it; the output commands take the first frame.
TEST_F(AnimationViewTest, CaptureAndOpenEndItOutputTakesTheFirstFrame) {
    Open(m_strFolder + "loop.gif");
    Tick();
    ASSERT_EQ(1u, view->m_pAnimation->FrameShown());
    ASSERT_EQ(COLORREF(RGB(0, 0, 255)), Shown(1, 1));
    ASSERT_TRUE(view->ExportToTempBitmap());
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), ReadBmp(CaptureFilePath()).Pixel(1, 1));

    {
        DialogDriver driver({[](HWND hDialog) { DialogCancel(hDialog); }});
        Command(ID_FILE_OPEN);
        EXPECT_TRUE(driver.ran());
    }
    EXPECT_FALSE(view->m_bAnimating);
    Tick();
    EXPECT_EQ(1u, view->m_pAnimation->FrameShown());

    Open(m_strFolder + "loop.gif");
    ASSERT_TRUE(view->m_bAnimating);
    view->SendMessage(WM_CAPTURE_STARTING);
    EXPECT_FALSE(view->m_bAnimating);
    EXPECT_FALSE(view->m_pAnimation->Holds());
}
