// The kept picture: the split of a picture into the part a window shows, the cache's identity
// check against files edited, replaced, renamed and deleted by others, and the view drawing
// exactly what a bare decode and draw gives for every corpus picture, with no growth over a
// thousand Next steps.
#include "AppFixture.h"

#include "framework/GdiPlus.h"
#include "picture/JpegCodec.h"
#include "picture/OwnDecoders.h"
#include "picture/SystemCodecs.h"
#include "picture/ShownRight.h"
#include "view/ImageExport.h"
#include "picture/PictureCache.h"
#include "picture/PicturePreload.h"

#include <math.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {
COLORREF Diagonal(int x, int y) {
    return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3) & 0xFF);
}
COLORREF Solid(int, int) {
    return RGB(10, 200, 30);
}
COLORREF OtherSolid(int, int) {
    return RGB(220, 20, 160);
}

COLORREF PixelOf(Gdiplus::Image* p, int x, int y) {
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(p)->GetPixel(x, y, &c);
    return RGB(c.GetR(), c.GetG(), c.GetB());
}

// A file's size and times, as an attribute query gives them.
struct FileTimes {
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool operator==(const FileTimes& o) const {
        return data.nFileSizeLow == o.data.nFileSizeLow && data.nFileSizeHigh == o.data.nFileSizeHigh &&
               CompareFileTime(&data.ftCreationTime, &o.data.ftCreationTime) == 0 &&
               CompareFileTime(&data.ftLastWriteTime, &o.data.ftLastWriteTime) == 0;
    }
};
FileTimes TimesOf(const std::string& path) {
    FileTimes t = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &t.data);
    return t;
}
void SetTimes(const std::string& path, const FileTimes& t) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_TRUE(SetFileTime(h, &t.data.ftCreationTime, &t.data.ftLastAccessTime, &t.data.ftLastWriteTime));
    CloseHandle(h);
}

class PictureCacheTest : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTempFolder("cache"); }
    std::string Write(const char* name, int w, int h, COLORREF (*colourAt)(int, int)) {
        std::string path = folder + name;
        WriteFile(path, MakeBmp(w, h, colourAt));
        return path;
    }
    CGdiPlusSession gdiplus;
    std::string folder;
};
}  // namespace

TEST(ShownSpan, CutsOnlyWhereTheScaleStaysExact) {
    int s0, s1, d0, d1;
    // Inside the window on this axis: drawn whole.
    EXPECT_FALSE(ShownSpan(100, 10, 100, 0, 500, 2, 1, &s0, &s1, &d0, &d1));
    // 100 %: 5120 pixels at -2000 in a window 1000 wide: pixels 2000..3000, two spare each side.
    // Cuts on whole bytes of a 1-bit picture: every 8 source pixels.
    ASSERT_TRUE(ShownSpan(5120, -2000, 5120, 0, 1000, 2, 8, &s0, &s1, &d0, &d1));
    EXPECT_EQ(1992, s0);
    EXPECT_EQ(3008, s1);
    EXPECT_EQ(-8, d0);
    EXPECT_EQ(1008, d1);
    // 400 %: each source pixel is four.
    ASSERT_TRUE(ShownSpan(5120, -8001, 20480, 0, 1000, 2, 8, &s0, &s1, &d0, &d1));
    EXPECT_EQ(1992, s0);
    EXPECT_EQ(-8001 + 4 * 1992, d0);
    EXPECT_EQ(-8001 + 4 * s1, d1);
    EXPECT_EQ(0, s1 % 8);
    EXPECT_GE(d1, 1000 + 4);
    // Any pixel of a 24-bit picture at 100 %.
    ASSERT_TRUE(ShownSpan(5120, -2000, 5120, 0, 1000, 2, 1, &s0, &s1, &d0, &d1));
    EXPECT_EQ(1998, s0);
    EXPECT_EQ(-2, d0);
    EXPECT_EQ(3002, s1);
    // 1000 pixels drawn 1500 wide: exact only every 2 source (3 destination) pixels.
    ASSERT_TRUE(ShownSpan(1000, -700, 1500, 0, 400, 2, 8, &s0, &s1, &d0, &d1));
    EXPECT_EQ(0, s0 % 8);
    EXPECT_EQ(0, s1 % 8);
    EXPECT_EQ(-700 + s0 / 2 * 3, d0);
    EXPECT_EQ(-700 + s1 / 2 * 3, d1);
    EXPECT_LE(d0, -2);
    EXPECT_GE(d1, 402);
    // A width with no common factor, or 7/10: no exact cut inside, drawn whole.
    EXPECT_FALSE(ShownSpan(1009, -300, 2000, 0, 400, 2, 1, &s0, &s1, &d0, &d1));
    EXPECT_FALSE(ShownSpan(1000, -300, 700, 0, 200, 2, 1, &s0, &s1, &d0, &d1));
    // Nothing of the axis in the window: an empty span.
    ASSERT_TRUE(ShownSpan(100, 900, 100, 0, 500, 2, 1, &s0, &s1, &d0, &d1));
    EXPECT_EQ(s0, s1);
}

TEST_F(PictureCacheTest, KeepsThePictureUntilItsFileChanges) {
    std::string path = Write("a.bmp", 40, 30, Solid);
    CPictureCache cache;
    Gdiplus::Image* p = cache.Get(path.c_str());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(40u, p->GetWidth());
    EXPECT_EQ(1, cache.Decodes());
    EXPECT_EQ(40ull * 30 * 3, cache.DecodedBytes());
    EXPECT_EQ(p, cache.Get(path.c_str()));
    cache.Release();
    EXPECT_EQ(p, cache.Get(path.c_str()));
    EXPECT_EQ(1, cache.Decodes());

    // Held: others can rename, rewrite and delete the file.
    std::string moved = folder + "moved.bmp";
    ASSERT_TRUE(MoveFileA(path.c_str(), moved.c_str()));
    EXPECT_EQ(nullptr, cache.Get(path.c_str()));  // gone under its name: nothing kept
    EXPECT_FALSE(cache.Holds());
    ASSERT_NE(nullptr, cache.Get(moved.c_str()));
    EXPECT_TRUE(DeleteFileA(moved.c_str()));
    EXPECT_EQ(nullptr, cache.Get(moved.c_str()));
    EXPECT_FALSE(cache.Holds());

    // Rewritten with the same size in bytes and another picture, then with another size.
    Write("a.bmp", 40, 30, Solid);
    ASSERT_NE(nullptr, cache.Get(path.c_str()));
    EXPECT_EQ(RGB(10, 200, 30), PixelOf(cache.Get(path.c_str()), 5, 5));
    int nDecodes = cache.Decodes();
    Sleep(20);  // a later write time even on coarse clocks
    Write("a.bmp", 40, 30, OtherSolid);
    Gdiplus::Image* q = cache.Get(path.c_str());
    ASSERT_NE(nullptr, q);
    EXPECT_EQ(nDecodes + 1, cache.Decodes());
    EXPECT_EQ(RGB(220, 20, 160), PixelOf(q, 5, 5));
    Write("a.bmp", 64, 10, Solid);
    q = cache.Get(path.c_str());
    ASSERT_NE(nullptr, q);
    EXPECT_EQ(64u, q->GetWidth());
    EXPECT_EQ(10u, q->GetHeight());

    // Another path is another picture; a file that does not decode is none.
    std::string other = Write("b.bmp", 8, 8, OtherSolid);
    EXPECT_EQ(8u, cache.Get(other.c_str())->GetWidth());
    WriteFile(folder + "c.bmp", "not a picture at all");
    EXPECT_EQ(nullptr, cache.Get((folder + "c.bmp").c_str()));
    EXPECT_FALSE(cache.Holds());
    EXPECT_EQ(nullptr, cache.Get(folder.c_str()));  // a folder
}

TEST_F(PictureCacheTest, PicturesOverTheCeilingAreDecodedForOneUse) {
    std::string path = Write("big.bmp", 100, 100, Diagonal);
    CPictureCache cache;
    cache.SetCeiling(100 * 100 * 3 - 1);
    ASSERT_NE(nullptr, cache.Get(path.c_str()));
    EXPECT_EQ(RGB(7 * 9, 5 * 4, 3 * 13), PixelOf(cache.Get(path.c_str()), 9, 4));
    cache.Release();
    EXPECT_FALSE(cache.Holds());
    ASSERT_NE(nullptr, cache.Get(path.c_str()));
    cache.Release();
    EXPECT_GE(cache.Decodes(), 2);
    // The file is free again once the picture is released.
    EXPECT_TRUE(DeleteFileA(path.c_str()));

    // Keeping switched off: every Get decodes.
    path = Write("small.bmp", 10, 10, Solid);
    CPictureCache off(false);
    off.Get(path.c_str());
    off.Release();
    off.Get(path.c_str());
    off.Release();
    EXPECT_EQ(2, off.Decodes());
    EXPECT_FALSE(off.Holds());
}

TEST_F(PictureCacheTest, OtherProgramsOpenAPictureForWritingWhileItIsDecoded) {
    const std::string path = folder + "large.jpg";
    ASSERT_TRUE(CopyFileA(CorpusPath("large/Honeywave-5120x2880.jpg").c_str(), path.c_str(), FALSE));
    char ready[64], stop[64];
    snprintf(ready, sizeof ready, "MorvaneOpenReady%lu", GetCurrentProcessId());
    snprintf(stop, sizeof stop, "MorvaneOpenStop%lu", GetCurrentProcessId());
    HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, ready), hStop = CreateEventA(nullptr, TRUE, FALSE, stop);
    std::string helper = HelperPath();
    helper = helper.substr(0, helper.find_last_of('\\') + 1) + "file_open_helper.exe";
    std::string cmd = "\"" + helper + "\" \"" + path + "\" " + ready + " " + stop;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hReady, 60000));
    // The other program tries all along: while the picture is read ahead, and while it is decoded
    // for the view.
    {
        CPicturePreload ahead;
        ahead.Request({path}, 1ull << 30, CPicturePreload::Window{0, 0, 0, nullptr});
        FileIdentity id;
        ASSERT_TRUE(QueryFileIdentity(path.c_str(), &id));
        ahead.WaitIdle();  // the read-ahead's decode is over (a decode not yet started would be forgotten)
        CPicturePreload::Ready taken = ahead.Take(path.c_str(), id);
        EXPECT_EQ(CPicturePreload::Available(), static_cast<bool>(taken.picture));
        CPictureCache cache;
        ASSERT_NE(nullptr, cache.Get(path.c_str()));
        EXPECT_EQ(5120u, cache.Get(path.c_str())->GetWidth());
    }
    SetEvent(hStop);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code) << "the other program was refused";
    for (HANDLE h : {pi.hThread, pi.hProcess, hReady, hStop})
        CloseHandle(h);
}

TEST_F(PictureCacheTest, MetafilesStayVector) {
    CPictureCache cache;
    Gdiplus::Image* p = cache.Get(CorpusPath("emf/").c_str());
    EXPECT_EQ(nullptr, p);
    std::vector<std::string> emf = FilesMatching(CorpusPath("emf/"), "*.emf");
    ASSERT_FALSE(emf.empty());
    p = cache.Get((CorpusPath("emf/") + emf[0]).c_str());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(Gdiplus::ImageTypeMetafile, p->GetType());
    EXPECT_EQ(0ull, cache.DecodedBytes());
}

TEST_F(PictureCacheTest, OpaqueOnlyWhenNoPixelLetsTheBackgroundThrough) {
    Gdiplus::Bitmap rgb(20, 10, PixelFormat24bppRGB);
    EXPECT_TRUE(IsOpaquePicture(&rgb, false));
    Gdiplus::Bitmap argb(20, 10, PixelFormat32bppARGB);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            argb.SetPixel(x, y, Gdiplus::Color(255, 10, 20, 30));
    EXPECT_FALSE(IsOpaquePicture(&argb, false));  // not without looking at the pixels
    EXPECT_TRUE(IsOpaquePicture(&argb, true));
    argb.SetPixel(19, 9, Gdiplus::Color(254, 10, 20, 30));
    EXPECT_FALSE(IsOpaquePicture(&argb, true));
    // A palette with a transparent entry, as transparent GIFs have.
    CPictureCache cache;
    ASSERT_NE(nullptr, cache.Get(CorpusPath("gif/transparent-image.gif").c_str()));
    EXPECT_FALSE(cache.IsOpaque());
    ASSERT_NE(nullptr, cache.Get(CorpusPath("jpeg/photo caf\xc3\xa9 au lait.jpg").c_str()));
    EXPECT_TRUE(cache.IsOpaque());
}

TEST(GdiPlusSession, SessionsNestAndEachKeepsGdiPlusRunning) {
    std::unique_ptr<CGdiPlusSession> outer(new CGdiPlusSession);
    ASSERT_TRUE(outer->Started());
    {
        CGdiPlusSession inner;
        EXPECT_TRUE(inner.Started());
    }
    Gdiplus::Image image(ToWide(CorpusPath("bmp/image.bmp").c_str()));
    EXPECT_EQ(80u, image.GetWidth());
}

// ---- the view ----------------------------------------------------------------------------------

namespace {
// How close a reduced picture's draw comes to a scaled draw of the whole picture, at the least.
// The two reduce differently (an area average against GDI+'s own filter), so this is a bound on
// looking the same; how close each comes to the picture is held in test_big_picture.cpp.
const double kReducedPsnr = 25.0;

class ViewCacheTest : public AppTest {
protected:
    ViewCacheTest() : AppTest(AppStart().Folder("zoom")) {}
    // What a bare decode and draw of the file gives at the view's current origin and scale,
    // on the grey background, in the same window.
    // The view's client filled with its grey, as an erase leaves it.
    void FillGrey() {
        CRect rc;
        view->GetClientRect(&rc);
        HDC hdc = GetDC(view->m_hWnd);
        HBRUSH hBrush = CreateSolidBrush(kViewGrey);
        FillRect(hdc, &rc, hBrush);
        DeleteObject(hBrush);
        ReleaseDC(view->m_hWnd, hdc);
    }
    std::vector<COLORREF> Bare(const std::string& path) {
        FillGrey();
        HDC hdc = GetDC(view->m_hWnd);
        {
            // A JPEG: its whole decode as the program makes it, upright and in the display's colours.
            CPicture whole = OpenPicture(path.c_str());
            CPictureBytes wholeBytes;
            const std::string head = ReadAll(path);
            JpegInfo jpeg;
            const bool bOurs = ReadJpegInfo(head.data(), head.size(), &jpeg) && whole;
            std::unique_ptr<Gdiplus::Image> image(bOurs ? whole.TakeImage(&wholeBytes).release()
                                                        : new Gdiplus::Image(ToWide(path.c_str())));
            // What GDI+ does not read, our own decoders or the system's codecs may: their first
            // frame as a bitmap.
            CDecodedImage decoded;
            if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) {
                const std::string bytes = ReadAll(path);
                if (DecodeOwnFormat(bytes.data(), bytes.size(), &decoded) == OwnDecode::Decoded ||
                    DecodeFileWithSystemCodecs(path.c_str(), CPictureCache::kDefaultCeiling, &decoded))
                    image = MakeBitmap(decoded);
            }
            // Turned upright and in the display's colours as the file says: the turns and the
            // conversion are each held against their own references in image_tests.
            const CShowingInfo info = ReadShowingInfoOfFile(path.c_str());
            if (image && !bOurs && image->GetType() == Gdiplus::ImageTypeBitmap &&
                (info.nOrientation != 1 || !info.icc.empty())) {
                std::unique_ptr<Gdiplus::Bitmap> bitmap(static_cast<Gdiplus::Bitmap*>(image.release()));
                MakeShownRight(&bitmap, info);
                image = std::move(bitmap);
            }
            if (image) {
                Gdiplus::Graphics graphics(hdc);
                graphics.DrawImage(image.get(), g_nDrawX, g_nDrawY, static_cast<int>(g_nImageWidth * g_dZoom),
                                   static_cast<int>(g_nImageHeight * g_dZoom));
            }
        }
        ReleaseDC(view->m_hWnd, hdc);
        PumpNow();  // the window's pixels reach the screen
        return Shown();
    }
    // Zoom commands end once the pixels the view decodes behind them are drawn.
    void Command(UINT nID) {
        AppTest::Command(nID);
        Sharpen();
    }
    // The first differing pixel, or "" when the view shows what the bare draw gives. A picture
    // the view holds reduced is drawn from fewer pixels: it is held to a quality bound instead,
    // against the whole picture's draw.
    std::string Compare(const std::string& path, const char* when) {
        std::vector<COLORREF> shown = Shown();
        std::vector<COLORREF> bare = Bare(path);
        int cw = g_nClientWidth;
        const CPicture& held = view->m_pPicture->Picture();
        RECT rcPart;
        if (held && (held.IsReduced() || view->m_pPicture->Detail(&rcPart))) {
            const double dPsnr =
                Psnr(std::vector<UINT>(shown.begin(), shown.end()), std::vector<UINT>(bare.begin(), bare.end()));
            if (dPsnr >= kReducedPsnr)
                return "";
            char buf[200];
            snprintf(buf, sizeof buf, "%s: reduced to %ux%u, PSNR %.2f dB, zoom %.4f at %d,%d", when,
                     held.DecodedWidth(), held.DecodedHeight(), dPsnr, g_dZoom, g_nDrawX, g_nDrawY);
            return buf;
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            if (shown[i] != bare[i]) {
                char buf[200];
                snprintf(buf, sizeof buf, "%s: (%d,%d) view %06lx bare %06lx, zoom %.4f at %d,%d", when,
                         static_cast<int>(i % cw), static_cast<int>(i / cw), shown[i], bare[i], g_dZoom, g_nDrawX,
                         g_nDrawY);
                return buf;
            }
        }
        return "";
    }
    // How close the view is to what the bare draw gives: the peak signal-to-noise ratio over the
    // client's colour channels, in dB (1000 for identical pixels).
    double PsnrToBare(const std::string& path) {
        std::vector<COLORREF> shown = Shown();
        std::vector<COLORREF> bare = Bare(path);
        double dSum = 0;
        for (size_t i = 0; i < shown.size(); ++i) {
            for (int nShift : {0, 8, 16}) {
                const double d = static_cast<double>((shown[i] >> nShift) & 0xFF) - ((bare[i] >> nShift) & 0xFF);
                dSum += d * d;
            }
        }
        if (dSum == 0)
            return 1000;
        return 10 * log10(255.0 * 255.0 / (dSum / (3.0 * shown.size())));
    }
    // Compare, or for a picture the view keeps widened from fewer than 8 bits per pixel (whose
    // draw GDI+ rounds apart from its draw of the file at some scales), a bound of 45 dB.
    std::string CompareOrBound(const std::string& path, bool bWidened, const char* when) {
        if (!bWidened)
            return Compare(path, when);
        const double dPsnr = PsnrToBare(path);
        if (dPsnr >= 45)
            return "";
        char buf[120];
        snprintf(buf, sizeof buf, "%s: %.1f dB, zoom %.4f at %d,%d", when, dPsnr, g_dZoom, g_nDrawX, g_nDrawY);
        return buf;
    }
    // A drag step by (dx, dy) from the middle, by default on a view erased to grey first so the
    // step's own pixels are what is compared; otherwise over what the last step left.
    void DragStep(int dx, int dy, bool bEraseFirst = true) {
        int x = g_nClientWidth / 2, y = g_nClientHeight / 2;
        SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        if (bEraseFirst)
            FillGrey();
        SendMessageA(view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y + dy));
        SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y + dy));
        PumpNow();
    }
};

}  // namespace

TEST_F(ViewCacheTest, EveryCorpusPictureLooksAsABareDecodeAndDrawDrawsIt) {
    std::vector<std::string> files = CorpusFiles();
    // The listing, and the picture too large to decode, are no pictures to compare.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const std::string& f) {
                                   size_t slash = f.find_last_of('\\');
                                   std::string name = f.substr(slash + 1);
                                   return name == "SOURCES.tsv" || name == "large.jpg";
                               }),
                files.end());
    ASSERT_GT(files.size(), 150u);
    SizeView(600, 400);
    int nCompared = 0, nDragged = 0;
    for (const std::string& f : files) {
        Show(f);
        if (g_nImageWidth == 0)
            continue;
        ++nCompared;
        EXPECT_EQ("", Compare(f, "fitted")) << f;
        Command(ID_ZOOM_100);
        if (PanX() || PanY()) {
            ++nDragged;
            DragStep(-37, -23);
            EXPECT_EQ("", Compare(f, "100 % drag step")) << f;
            Repaint();
            EXPECT_EQ("", Compare(f, "100 % dragged, repainted")) << f;
        }
        Command(ID_VIEW_ZOOMIN);
        Command(ID_VIEW_ZOOMIN);
        if (PanX() || PanY()) {
            DragStep(45, 31);
            EXPECT_EQ("", Compare(f, "400 % drag step")) << f;
            Repaint();
            EXPECT_EQ("", Compare(f, "400 % dragged, repainted")) << f;
        }
        if (HasFailure())
            break;  // one picture's report is enough
    }
    EXPECT_GT(nCompared, 150);
    EXPECT_GT(nDragged, 20);
}

TEST_F(ViewCacheTest, ScalesOfTheZoomDialogAndZoomStepsLookTheSame) {
    SizeView(600, 400);
    const char* pictures[] = {"png/coffee.png", "jpeg/photo caf\xc3\xa9 au lait.jpg", "bmp/llama.bmp",
                              "tiff/sample1.tif"};
    const double ratios[] = {0.37, 0.5, 0.75, 1.5, 2.0, 3.3, 8.0, 16.0};
    for (const char* rel : pictures) {
        std::string f = CorpusPath(rel);
        Show(f);
        ASSERT_GT(g_nImageWidth, 0) << f;
        // The 1-bit page is kept at 32 bits per pixel.
        const bool bWidened = strstr(rel, "sample1") != nullptr;
        if (bWidened) {
            EXPECT_EQ(32u, (view->m_pPicture->Get(g_strFilePath)->GetPixelFormat() >> 8) & 0xFF);
        }
        for (double z : ratios) {
            g_bManualZoom = 1;
            g_dZoom = z;
            view->SetZoom(z);
            Repaint();
            Sharpen();
            EXPECT_EQ("", CompareOrBound(f, bWidened, "zoomed")) << f;
            if (PanX() || PanY()) {
                DragStep(-19, -13);
                EXPECT_EQ("", CompareOrBound(f, bWidened, "dragged")) << f;
            }
        }
        // Zoom in from the fitted ratio, which is no round number.
        Show(f);
        Command(ID_VIEW_ZOOMIN);
        Command(ID_VIEW_ZOOMIN);
        Command(ID_VIEW_ZOOMIN);
        if (PanX() || PanY()) {
            DragStep(-23, -17);
            EXPECT_EQ("", CompareOrBound(f, bWidened, "zoomed in from the fit, dragged")) << f;
        }
    }
}

TEST_F(ViewCacheTest, EditsRenamesAndDeletionsByOthersShowAtTheNextPaint) {
    SizeView(400, 300);
    std::string path = WritePicture("shown.bmp", 100, 80, Solid);
    Show(path);
    EXPECT_EQ(RGB(10, 200, 30), At(200, 150));

    // Another program writes another picture of the same size in bytes, then of another size.
    Sleep(20);
    WriteFile(path, MakeBmp(100, 80, OtherSolid));
    Repaint();
    EXPECT_EQ(RGB(220, 20, 160), At(200, 150));
    // Once more with its times set back, as tools that keep file dates leave it.
    const FileTimes before = TimesOf(path);
    WriteFile(path, MakeBmp(100, 80, Solid));
    SetTimes(path, before);
    ASSERT_TRUE(before == TimesOf(path));
    Repaint();
    EXPECT_EQ(RGB(10, 200, 30), At(200, 150));
    WriteFile(path, MakeBmp(200, 20, Solid));
    Repaint();
    EXPECT_EQ(200, g_nImageWidth);
    EXPECT_EQ(RGB(10, 200, 30), At(200, 150));
    EXPECT_EQ(kViewGrey, At(200, 100));

    // Renamed while shown (nothing holds it open), then deleted: grey, 0 x 0.
    std::string moved = m_strFolder + "moved.bmp";
    ASSERT_TRUE(MoveFileA(path.c_str(), moved.c_str()));
    Repaint();
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(kViewGrey, At(200, 150));
    ASSERT_TRUE(MoveFileA(moved.c_str(), path.c_str()));
    Repaint();
    EXPECT_EQ(RGB(10, 200, 30), At(200, 150));
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    Repaint();
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(0, g_nImageHeight);
    EXPECT_EQ(kViewGrey, At(200, 150));

    // A drag step over a file that vanished draws nothing: the view keeps what it showed.
    std::string wide = WritePicture("wide.bmp", 900, 100, Solid);
    Show(wide);
    Command(ID_ZOOM_100);
    ASSERT_TRUE(PanX());
    EXPECT_EQ(RGB(10, 200, 30), At(200, 150));
    ASSERT_TRUE(DeleteFileA(wide.c_str()));
    HDC hdc = GetDC(view->m_hWnd);
    SetPixel(hdc, 200, 150, RGB(1, 2, 3));
    ReleaseDC(view->m_hWnd, hdc);
    PumpNow();
    ASSERT_EQ(RGB(1, 2, 3), At(200, 150));
    SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
    SendMessageA(view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(190, 150));
    SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(190, 150));
    PumpNow();
    EXPECT_EQ(RGB(1, 2, 3), At(200, 150));
}

TEST_F(ViewCacheTest, TheCaptureFileIsSeenThroughTheSameCheck) {
    SizeView(400, 300);
    view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTURESCREEN, 0), 0);
    Repaint();
    ASSERT_EQ(CString(" Capture is ok!"), Pane(1));
    ASSERT_GT(g_nImageWidth, 0);
    // Nothing holds the capture file: it can be renamed while shown.
    std::string moved = m_strFolder + "capture.bmp";
    ASSERT_TRUE(MoveFileA(CaptureFilePath(), moved.c_str()));
    Repaint();
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
    // A new capture file of the same size, written by another program, shows at the next paint.
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Sleep(20);
    WriteFile(CaptureFilePath(), MakeBmp(w, h, OtherSolid));
    Repaint();
    EXPECT_EQ(w, g_nImageWidth);
    EXPECT_EQ(RGB(220, 20, 160), At(200, 150));
    // And the next capture replaces it again.
    view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_CAPTURESCREEN, 0), 0);
    Repaint();
    EXPECT_NE(RGB(220, 20, 160), At(200, 150));
    DeleteFileA(moved.c_str());
}

TEST_F(ViewCacheTest, AThousandNextStepsLeaveNoGrowth) {
    SizeView(400, 300);
    const int kPictures = 4;
    for (int i = 0; i < kPictures; ++i) {
        char name[20];
        snprintf(name, sizeof name, "p%d.bmp", i);
        WritePicture(name, 800, 600, i % 2 ? Diagonal : Solid);  // 1.4 MB each
    }
    WritePicture("z.bmp", 4, 4, Solid);
    view->OpenChosenFile((m_strFolder + "z.bmp").c_str(), "z.bmp");
    ASSERT_EQ(kPictures + 1, g_fileList.GetSize());
    ASSERT_EQ(kPictures, g_nFileIndex);
    Repaint();
    Repaint();  // the view keeps a rendering of what it shows from the second paint on
    // The thread that decodes ahead is started once, before the counting.
    view->RequestNeighbours();
    view->m_pPreload->WaitIdle();
    view->m_pPreload->Clear();
    const int nGdi = CountGdiObjects();
    const size_t nBytes = CommittedBytes();

    int nSteps = 0, nDir = -1;
    const int nWanted = SoakSteps(40, 1000);
    for (int i = 0; i < nWanted; ++i) {
        // Back and forth over the large pictures only.
        if (g_nFileIndex == 0)
            nDir = +1;
        else if (g_nFileIndex == kPictures - 1 && nDir > 0)
            nDir = -1;
        view->StepInList(nDir);
        view->UpdateWindow();
        ++nSteps;
        ASSERT_EQ(800, g_nImageWidth) << "step " << i;
    }
    EXPECT_EQ(nWanted, nSteps);
    view->m_pPreload->WaitIdle();
    view->m_pPreload->Clear();
    EXPECT_EQ(nGdi, CountGdiObjects());
    // Back on the small picture: the large one is no longer kept.
    while (g_nFileIndex < kPictures)
        view->StepInList(+1);
    view->UpdateWindow();
    PumpNow();
    EXPECT_EQ(4, g_nImageWidth);
    // The large neighbour decoded ahead is held by design; without it nothing stays.
    view->m_pPreload->WaitIdle();
    view->m_pPreload->Clear();
    EXPECT_EQ(nGdi, CountGdiObjects());
    EXPECT_LT(CommittedBytes(), nBytes + (1u << 20)) << "committed before " << nBytes << ", now " << CommittedBytes();
}

TEST_F(ViewCacheTest, DragStepsAndRepaintsDrawTheKeptPicture) {
    SizeView(400, 300);
    Show(WritePicture("big.bmp", 1000, 800, Diagonal));
    const int nDecodes = view->m_pPicture->Decodes();
    for (UINT nZoom : {ID_ZOOM_100, ID_VIEW_ZOOMIN, ID_VIEW_ZOOMIN}) {
        Command(nZoom);
        ASSERT_TRUE(PanX() && PanY());
        for (int i = 0; i < 4; ++i)
            DragStep(i % 2 ? 15 : -15, 7);
        Repaint();
        EXPECT_EQ(nDecodes, view->m_pPicture->Decodes()) << g_dZoom;
        EXPECT_TRUE(view->m_pPicture->Keeps());
    }
}

TEST_F(ViewCacheTest, TheDragAreaIsRenderedBetweenTheUsersActionsNotInADragStep) {
    SizeView(400, 300);
    const std::string path = WritePicture("big.bmp", 1000, 800, Diagonal);
    Show(path);
    Command(ID_ZOOM_100);
    ASSERT_TRUE(PanX() && PanY());
    // The rendering holds the window with the picture's corner moved by (dx, dy).
    auto rendered = [&](int dx, int dy) {
        CRect rc;
        view->GetClientRect(&rc);
        const CRenderedPicture::Key key = {view->m_pPicture->Generation(), g_nImageWidth, g_nImageHeight,
                                           kViewBackground};
        return view->m_pRendered->Covers(key, g_nDrawX + dx, g_nDrawY + dy, rc.Width(), rc.Height());
    };
    // Another program writes another picture of the same size: its first paint draws it
    // straight, and the area a drag can reach is rendered once the view is idle, before any step.
    Sleep(20);
    WriteFile(path, MakeBmp(1000, 800, [](int x, int y) { return Diagonal(y, x); }));
    view->Invalidate(TRUE);
    view->UpdateWindow();
    EXPECT_FALSE(rendered(0, 0));
    PumpNow();
    EXPECT_TRUE(rendered(0, 0));
    EXPECT_TRUE(rendered(-150, -100));
    DragStep(-40, -30);
    EXPECT_EQ("", Compare(path, "the first drag step"));

    // A drag beyond the rendering renders the window alone at each step, with the pixels of a
    // fresh draw, and the area around is rendered once the button is released.
    const int x = g_nClientWidth / 2, y = g_nClientHeight / 2;
    SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (int i = 1; i <= 3; ++i) {
        SendMessageA(view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 90 * i, y - 60 * i));
        EXPECT_EQ("", Compare(path, "a step beyond the rendering")) << i;
    }
    // (Dragged to the picture's far corner: the area a drag can reach lies back the other way.)
    ASSERT_EQ(-600, g_nDrawX);
    EXPECT_FALSE(rendered(40, 30));
    SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x - 270, y - 180));
    PumpNow();
    EXPECT_TRUE(rendered(150, 100));
    Repaint();
    EXPECT_EQ("", Compare(path, "repainted after the drag"));
}

TEST_F(ViewCacheTest, PicturesThatLetTheBackgroundThroughAreDraggedOverTheBackground) {
    // Bands from clear to opaque over a pattern: each step shows them over the view's grey, as
    // a fresh paint does, never over the last step's pixels; steps far enough to leave any
    // rendering too.
    SizeView(600, 400);
    const std::string f = m_strFolder + "alpha.png";
    {
        Gdiplus::Bitmap bitmap(1000, 800, PixelFormat32bppARGB);
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 1000; ++x)
                bitmap.SetPixel(x, y,
                                Gdiplus::Color(static_cast<BYTE>((x / 50) * 13), static_cast<BYTE>(x * 7),
                                               static_cast<BYTE>(y * 3), static_cast<BYTE>((x + y) / 4)));
        CLSID png;
        ASSERT_TRUE(FindEncoderByMimeType(L"image/png", &png));
        ASSERT_EQ(Gdiplus::Ok, bitmap.Save(ToWide(f.c_str()), &png, nullptr));
    }
    Show(f);
    ASSERT_FALSE(IsOpaquePicture(view->m_pPicture->Get(g_strFilePath), true));
    for (UINT nZoom : {ID_ZOOM_100, ID_VIEW_ZOOMIN, ID_VIEW_ZOOMIN}) {
        Command(nZoom);
        ASSERT_TRUE(PanX() && PanY());
        for (int step : {-9, 40, -160, 330, -700}) {
            DragStep(step, step / 3, false);
            EXPECT_EQ("", Compare(f, "dragged over the last step")) << g_dZoom << " by " << step;
        }
        Repaint();
        EXPECT_EQ("", Compare(f, "repainted")) << g_dZoom;
    }
}

TEST(NeighboursToDecode, OneInTheDirectionOfTravelThenOneBehind) {
    struct Row {
        int nIndex, nCount, nTravel;
        bool bWraps;
        std::vector<int> entries;
    };
    const Row rows[] = {
        {3, 10, +1, false, {4, 2}},  // forward: the next, then the previous
        {3, 10, -1, false, {2, 4}},  // back: the one before, then the next
        {0, 10, +1, false, {1}},     // nothing behind the first
        {0, 10, -1, false, {1}},     // nothing before it either
        {9, 10, +1, false, {8}},     // the last: only the one behind
        {9, 10, +1, true, {0, 8}},   // a running show goes on to the first
        {1, 10, -1, true, {0, 2}},   // backwards a show does not wrap
        {0, 2, +1, true, {1}},       // two pictures: the other one, once
        {2, 3, +1, true, {0, 1}},    // three: never the shown one
        {0, 1, +1, true, {}},        // one picture: nothing
        {5, 3, +1, false, {}},       // an index outside the list
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.entries, NeighboursToDecode(r.nIndex, r.nCount, r.nTravel, r.bWraps))
            << r.nIndex << " of " << r.nCount << " travelling " << r.nTravel << (r.bWraps ? ", wrapping" : "");
}

TEST_F(ViewCacheTest, NeighboursAreDecodedAheadAndTakenOnlyWhileTheirFilesAreUnchanged) {
    ASSERT_TRUE(CPicturePreload::Available());
    SizeView(400, 300);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "g.bmp", "h.bmp"})
        WritePicture(name, 300, 200, name[0] == 'b' ? Diagonal : Solid);
    CopyCorpusFile("jpeg/photo caf\xc3\xa9 au lait.jpg", m_strFolder, "e.jpg");
    CopyCorpusFile("png/coffee.png", m_strFolder, "f.png");
    auto entry = [](int i) { return std::string(g_fileList[i]); };
    view->OpenChosenFile((m_strFolder + "a.bmp").c_str(), "a.bmp");
    Repaint();
    CPicturePreload& ahead = *view->m_pPreload;
    ahead.WaitIdle();
    // The next picture; there is no previous one.
    EXPECT_EQ((std::vector<std::string>{entry(1)}), ahead.HeldPaths());
    // Nothing holds a file decoded ahead open: others may rename or delete it meanwhile.
    const std::string b = m_strFolder + "b.bmp", moved = m_strFolder + "moved.bmp";
    ASSERT_TRUE(MoveFileA(b.c_str(), moved.c_str()));
    ASSERT_TRUE(MoveFileA(moved.c_str(), b.c_str()));

    // Next takes it: no decode, and the view shows the file as a fresh decode draws it.
    int nDecodes = view->m_pPicture->Decodes();
    Command(ID_VIEW_NEXT);
    ASSERT_EQ(1, g_nFileIndex);
    Repaint();
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());
    EXPECT_EQ(300, g_nImageWidth);
    EXPECT_EQ("", Compare(b, "decoded ahead"));
    ahead.WaitIdle();
    // The one ahead and the one left behind.
    EXPECT_EQ((std::vector<std::string>{entry(2), entry(0)}), ahead.HeldPaths());
    Command(ID_VIEW_NEXT);
    ahead.WaitIdle();
    Command(ID_VIEW_NEXT);
    ASSERT_EQ(3, g_nFileIndex);
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());
    ahead.WaitIdle();
    EXPECT_EQ((std::vector<std::string>{entry(4), entry(2)}), ahead.HeldPaths());
    // Turning back: the direction follows the last step.
    Command(ID_VIEW_PREVIOUS);
    ASSERT_EQ(2, g_nFileIndex);
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());
    ahead.WaitIdle();
    EXPECT_EQ((std::vector<std::string>{entry(1), entry(3)}), ahead.HeldPaths());
    for (UINT nID : {ID_VIEW_PREVIOUS, ID_VIEW_NEXT, ID_VIEW_NEXT}) {
        ahead.WaitIdle();
        Command(nID);
    }
    ASSERT_EQ(3, g_nFileIndex);
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());

    // Compressed pictures too, each with the decoder of its kind.
    for (const char* name : {"e.jpg", "f.png"}) {
        ahead.WaitIdle();
        Command(ID_VIEW_NEXT);
        EXPECT_EQ(nDecodes, view->m_pPicture->Decodes()) << name;
        EXPECT_GT(g_nImageWidth, 0) << name;
        EXPECT_EQ("", Compare(m_strFolder + name, "decoded ahead")) << name;
    }

    // A file rewritten after it was decoded ahead is decoded anew.
    ahead.WaitIdle();
    ASSERT_EQ(m_strFolder + "g.bmp", entry(6));
    EXPECT_EQ((std::vector<std::string>{entry(6), entry(4)}), ahead.HeldPaths());
    const std::string g = WritePicture("g.bmp", 500, 250, Diagonal);
    Command(ID_VIEW_NEXT);
    EXPECT_EQ(nDecodes + 1, view->m_pPicture->Decodes());
    EXPECT_EQ(500, g_nImageWidth);
    EXPECT_EQ("", Compare(g, "rewritten after it was decoded ahead"));

    // A file deleted after it was decoded ahead is gone for the view too.
    ahead.WaitIdle();
    ASSERT_TRUE(DeleteFileA((m_strFolder + "h.bmp").c_str()));
    Command(ID_VIEW_NEXT);
    EXPECT_EQ(0, g_nImageWidth);

    // With keeping off, nothing is decoded ahead.
    view->m_pPicture.reset(new CPictureCache(false));
    view->m_pPicture->SetPreload(view->m_pPreload.get());
    view->StepInList(-1);
    ahead.WaitIdle();
    EXPECT_EQ(0, ahead.Held());
}
