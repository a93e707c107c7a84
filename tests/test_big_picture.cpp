// Pictures larger than they are shown: decoded for the drawn size, with more pixels decoded
// behind the view when a zoom shows more, and pictures past the memory ceiling shown a part at a
// time.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include "AppFixture.h"
#include "framework/GdiPlus.h"
#include "picture/JpegCodec.h"
#include "picture/PictureCache.h"
#include "picture/PicturePreload.h"
#include "picture/ScaledJpeg.h"

#include <string>
#include <vector>

namespace {
// ---- a JPEG of any size, written here: grey, baseline, every block one flat level ----------------

class CBitWriter {
public:
    explicit CBitWriter(std::string* pOut) : m_pOut(pOut) {}
    void Put(unsigned nCode, int nBits) {
        for (int i = nBits - 1; i >= 0; --i) {
            m_nAcc = (m_nAcc << 1) | ((nCode >> i) & 1);
            if (++m_nBits == 8) {
                m_pOut->push_back(static_cast<char>(m_nAcc));
                if (m_nAcc == 0xFF)
                    m_pOut->push_back(0);  // stuffed
                m_nAcc = 0;
                m_nBits = 0;
            }
        }
    }
    void Flush() {
        while (m_nBits != 0)
            Put(1, 1);
    }

private:
    std::string* m_pOut;
    unsigned m_nAcc = 0;
    int m_nBits = 0;
};

void PutMarker(std::string* p, int nMarker, const std::string& body) {
    const size_t n = body.size() + 2;
    *p += static_cast<char>(0xFF);
    *p += static_cast<char>(nMarker);
    *p += static_cast<char>(n >> 8);
    *p += static_cast<char>(n & 0xFF);
    *p += body;
}

// The level of block (bx, by): neighbours differ, and no shift of a few blocks repeats them.
int BlockLevel(int bx, int by) {
    return ((bx * 7) ^ (by * 13)) & 0xFF;
}

// A w x h grey JPEG whose 8 x 8 blocks are each flat at BlockLevel; with bHeaderOnly, the
// headers and no pixel data (a file that only announces its size).
std::string FlatBlocksJpeg(int w, int h, bool bHeaderOnly = false) {
    std::string out("\xFF\xD8", 2);
    PutMarker(&out, 0xDB, std::string(1, '\0') + std::string(64, '\1'));  // every quantiser 1
    std::string sof;
    sof += '\x08';
    sof += static_cast<char>(h >> 8);
    sof += static_cast<char>(h & 0xFF);
    sof += static_cast<char>(w >> 8);
    sof += static_cast<char>(w & 0xFF);
    sof += std::string("\x01\x01\x11\x00", 4);
    PutMarker(&out, 0xC0, sof);
    // The usual table of DC categories, and an AC table of one code: the end of the block.
    const unsigned char dcBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    std::string dht(1, '\0');
    dht.append(reinterpret_cast<const char*>(dcBits), 16);
    for (int v = 0; v < 12; ++v)
        dht += static_cast<char>(v);
    dht += '\x10';
    dht += '\x01';
    dht.append(15, '\0');
    dht += '\0';
    PutMarker(&out, 0xC4, dht);
    PutMarker(&out, 0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6));
    if (!bHeaderOnly) {
        // Canonical codes of the DC table.
        unsigned codes[12], lengths[12];
        unsigned code = 0;
        int k = 0;
        for (int len = 1; len <= 16; ++len, code <<= 1)
            for (int i = 0; i < dcBits[len - 1]; ++i, ++k) {
                codes[k] = code++;
                lengths[k] = len;
            }
        CBitWriter bits(&out);
        int nPrev = 0;
        for (int by = 0; by < (h + 7) / 8; ++by)
            for (int bx = 0; bx < (w + 7) / 8; ++bx) {
                const int dc = (BlockLevel(bx, by) - 128) * 8;
                const int diff = dc - nPrev;
                nPrev = dc;
                int s = 0;
                for (int a = diff < 0 ? -diff : diff; a; a >>= 1)
                    ++s;
                bits.Put(codes[s], static_cast<int>(lengths[s]));
                if (s)
                    bits.Put(static_cast<unsigned>(diff < 0 ? diff - 1 : diff) & ((1u << s) - 1), s);
                bits.Put(0, 1);  // the end of the block
            }
        bits.Flush();
    }
    out += "\xFF\xD9";
    return out;
}

// The memory the process has committed for itself.
SIZE_T PrivateBytes() {
    typedef BOOL(WINAPI * InfoFn)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    InfoFn info = reinterpret_cast<InfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!info || !info(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage > counters.PagefileUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

class BigPictureTest : public AppTest {
protected:
    BigPictureTest() : AppTest(AppStart().Folder("big")) {}
    // The client as a draw of image at the view's origin and scale over the grey gives it.
    std::vector<COLORREF> DrawnAtTheView(Gdiplus::Image* pImage, int x, int y, int w, int h) {
        const int cw = g_nClientWidth, ch = g_nClientHeight;
        Gdiplus::Bitmap canvas(cw, ch, PixelFormat32bppRGB);
        {
            Gdiplus::Graphics g(&canvas);
            g.Clear(Gdiplus::Color(128, 128, 128));
            RECT rc = {0, 0, cw, ch};
            DrawPictureShown(g, pImage, x, y, w, h, rc);
        }
        std::vector<COLORREF> out;
        for (int py = 0; py < ch; ++py)
            for (int px = 0; px < cw; ++px) {
                Gdiplus::Color c;
                canvas.GetPixel(px, py, &c);
                out.push_back(RGB(c.GetR(), c.GetG(), c.GetB()));
            }
        return out;
    }
};
}  // namespace

TEST(ScaledJpeg, PartsAsStoredAndScalesWithinTheCeiling) {
    // A 40 x 30 upright picture's part (1, 2)-(5, 9) in the stored picture, by orientation.
    const RECT part = {1, 2, 5, 9};
    const struct {
        int nOrientation;
        RECT stored;
    } turns[] = {
        {1, {1, 2, 5, 9}}, {2, {35, 2, 39, 9}}, {3, {35, 21, 39, 28}}, {4, {1, 21, 5, 28}},
        {5, {2, 1, 9, 5}}, {6, {2, 35, 9, 39}}, {7, {21, 35, 28, 39}}, {8, {21, 1, 28, 5}},
    };
    for (const auto& row : turns) {
        const RECT s = StoredPart(part, 40, 30, row.nOrientation);
        EXPECT_TRUE(EqualRect(&s, &row.stored))
            << row.nOrientation << ": " << s.left << "," << s.top << "," << s.right << "," << s.bottom;
    }
    const struct {
        UINT w, h, dw, dh, pw, ph;
        ULONGLONG ceiling;
        int nScale;
        bool bReduced;
    } scales[] = {
        {5120, 2880, 600, 337, 5120, 2880, 256ull << 20, 8, false},  // fitted: 640 x 360 is enough
        {5120, 2880, 1280, 720, 5120, 2880, 256ull << 20, 4, false},
        {5120, 2880, 0, 0, 5120, 2880, 256ull << 20, 1, false},     // every pixel, 59 MB
        {30000, 20000, 0, 0, 30000, 20000, 256ull << 20, 4, true},  // 2.4 GB whole: 150 MB at 1/4
        {30000, 20000, 0, 0, 2000, 1500, 256ull << 20, 1, false},   // a part of it at every pixel
        {30000, 20000, 600, 400, 30000, 20000, 0, 8, false},        // no ceiling
        {70000, 70000, 0, 0, 70000, 70000, 256ull << 20, 0, true},  // even 1/8 passes
    };
    for (const auto& row : scales) {
        bool bReduced = !row.bReduced;
        EXPECT_EQ(row.nScale, JpegScaleWithin(row.w, row.h, row.dw, row.dh, row.pw, row.ph, row.ceiling, &bReduced))
            << row.w << "x" << row.h << " for " << row.dw << "x" << row.dh;
        EXPECT_EQ(row.bReduced, bReduced) << row.w << "x" << row.h;
    }
}

TEST_F(BigPictureTest, AZoomToFullSizeShowsTheWholeDecodeOnceReadyWithNothingGreyBetween) {
    ASSERT_TRUE(CPicturePreload::Available());
    SizeView(600, 400);
    CopyCorpusFile("large/Honeywave-5120x2880.jpg", m_strFolder, "wide.jpg");
    const std::string path = m_strFolder + "wide.jpg";
    Open(path);
    EXPECT_EQ(" [5120,2880] ", std::string(Pane(3)));
    // Fitted: only the pixels the fitted draw shows were decoded.
    const CPicture& held = view->m_pPicture->Picture();
    EXPECT_EQ(5120u, held.Width());
    EXPECT_EQ(static_cast<UINT>(5120 * g_dZoom), held.DecodedWidth());

    const std::vector<COLORREF> fitted = Shown();
    CPicture whole = OpenPicture(path.c_str());
    ASSERT_TRUE(whole);
    AppTest::Command(ID_ZOOM_100);
    EXPECT_EQ("100.00%", std::string(Pane(4)));
    EXPECT_EQ(5120, g_nImageWidth);
    const std::vector<COLORREF> expected =
        DrawnAtTheView(whole.Image(), g_nDrawX, g_nDrawY, g_nImageWidth, g_nImageHeight);
    // The view is read until it shows the whole decode; on the way it shows the reduced
    // picture, never the grey background.
    int nFrames = 0;
    const DWORD nStart = GetTickCount();
    for (;;) {
        const std::vector<COLORREF> shown = Shown();
        ++nFrames;
        size_t nGrey = 0;
        for (COLORREF c : shown)
            nGrey += c == kViewGrey;
        ASSERT_LT(nGrey, shown.size() / 100) << "frame " << nFrames << " is grey";
        if (shown == expected)
            break;
        ASSERT_LT(GetTickCount() - nStart, 120000u) << "the whole decode never showed";
        PumpFor(20);
    }
    EXPECT_FALSE(view->m_pPicture->Picture().IsReduced());
    EXPECT_EQ(5120u, view->m_pPicture->Picture().DecodedWidth());
    // Back to the fit: the picture is decoded again at the fitted size, and looks as it did.
    const int nDecodes = view->m_pPicture->Decodes();
    AppTest::Command(ID_VIEW_AUTOZOOM);
    Sharpen();
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());
    EXPECT_EQ(static_cast<UINT>(5120 * g_dZoom), view->m_pPicture->Picture().DecodedWidth());
    EXPECT_TRUE(Shown() == fitted);
}

TEST_F(BigPictureTest, A600MegapixelJpegOpensAndPansAtFullSizeWithinTheCeiling) {
    SizeView(600, 400);
    const std::string path = m_strFolder + "huge.jpg";
    WriteFile(path, FlatBlocksJpeg(30000, 20000));
    const SIZE_T nBefore = PrivateBytes();
    ASSERT_GT(nBefore, 0u);
    Open(path);
    EXPECT_EQ(" [30000,20000] ", std::string(Pane(3)));
    EXPECT_EQ(30000, g_nImageWidth);
    EXPECT_EQ(20000, g_nImageHeight);
    EXPECT_LT(PrivateBytes(), SIZE_T(1) << 30);

    const std::string bytes = ReadAll(path);
    CDecodedImage region;
    for (int nStep = 0; nStep < 2; ++nStep) {
        if (nStep == 0) {
            AppTest::Command(ID_ZOOM_100);
        } else {
            // A drag to the left and up, past the part decoded for the first view.
            const int x = g_nClientWidth / 2, y = g_nClientHeight / 2;
            SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            SendMessageA(view->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 450, y - 350));
            SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x - 450, y - 350));
            PumpNow();
        }
        Sharpen();
        ASSERT_EQ(1.0, g_dZoom);
        RECT rcPart;
        ASSERT_NE(nullptr, view->m_pPicture->Detail(&rcPart)) << nStep;
        EXPECT_LT(PrivateBytes(), SIZE_T(1) << 30) << nStep;
        // What the view shows is that region of the picture, decoded alone.
        const RECT rcView = {-g_nDrawX, -g_nDrawY, -g_nDrawX + g_nClientWidth, -g_nDrawY + g_nClientHeight};
        ASSERT_EQ(JpegDecode::Decoded, DecodeJpegRegion(bytes.data(), bytes.size(), rcView, 1, &region));
        ASSERT_EQ(static_cast<UINT>(g_nClientWidth), region.nWidth);
        const std::vector<COLORREF> shown = Shown();
        int nWrong = 0;
        for (int py = 0; py < g_nClientHeight; ++py)
            for (int px = 0; px < g_nClientWidth; ++px) {
                const uint8_t* p = &region.frames[0].pixels[(static_cast<size_t>(py) * region.nWidth + px) * 4];
                nWrong += shown[static_cast<size_t>(py) * g_nClientWidth + px] != RGB(p[2], p[1], p[0]);
            }
        EXPECT_EQ(0, nWrong) << "at " << g_nDrawX << "," << g_nDrawY;
        // The levels are the blocks' own: the region is where the picture has it.
        const int bx = (-g_nDrawX) / 8 + 1, by = (-g_nDrawY) / 8 + 1;
        const int level = BlockLevel(bx, by);
        EXPECT_EQ(RGB(level, level, level),
                  shown[static_cast<size_t>(by * 8 + g_nDrawY) * g_nClientWidth + (bx * 8 + g_nDrawX)]);
    }
    EXPECT_LT(g_nDrawX, -14000);  // dragged from the centre
    printf("600 megapixels: %.0f MB private after the pan, %.0f MB before the open\n", PrivateBytes() / 1048576.0,
           nBefore / 1048576.0);
}

TEST_F(BigPictureTest, AFileThatOnlyAnnouncesAHugeJpegStaysUnreadable) {
    SizeView(400, 300);
    const std::string path = m_strFolder + "bomb.jpg";
    WriteFile(path, FlatBlocksJpeg(60000, 60000, true));
    Open(path);
    EXPECT_EQ(" [0,0] ", std::string(Pane(3)));
    EXPECT_EQ(kViewGrey, At(200, 150));
}

TEST_F(BigPictureTest, FittedJpegsAreAtLeastAsCloseToAnAreaAverageAsAScaledDrawOfTheWholeIs) {
    SizeView(600, 400);
    std::vector<std::string> files = CorpusFiles("jpeg");
    files.push_back(CorpusPath("large/Honeywave-5120x2880.jpg"));
    files.push_back(CorpusPath("large/Volna-5120x2880.jpg"));
    int nReduced = 0;
    for (const std::string& f : files) {
        Open(f);
        const CPicture& held = view->m_pPicture->Picture();
        if (!held || !held.IsReduced())
            continue;  // shown at its full size: drawn from every pixel
        ++nReduced;
        const int x = g_nDrawX, y = g_nDrawY, w = static_cast<int>(g_nImageWidth * g_dZoom),
                  h = static_cast<int>(g_nImageHeight * g_dZoom);
        // The reference: the whole decode, area-averaged to the drawn size.
        CPicture whole = OpenPicture(f.c_str());
        ASSERT_TRUE(whole) << f;
        Gdiplus::Bitmap* pWhole = static_cast<Gdiplus::Bitmap*>(whole.Image());
        const UINT W = whole.Width(), H = whole.Height();
        CDecodedFrame full, area;
        full.pixels.resize(static_cast<size_t>(W) * H * 4);
        Gdiplus::Rect rc(0, 0, static_cast<INT>(W), static_cast<INT>(H));
        Gdiplus::BitmapData data;
        data.Width = W;
        data.Height = H;
        data.Stride = static_cast<INT>(W * 4);
        data.PixelFormat = PixelFormat32bppARGB;
        data.Scan0 = full.pixels.data();
        ASSERT_EQ(Gdiplus::Ok, pWhole->LockBits(&rc, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                                PixelFormat32bppARGB, &data));
        pWhole->UnlockBits(&data);
        AreaDownscale(full, W, H, static_cast<UINT>(w), static_cast<UINT>(h), &area);
        const std::vector<COLORREF> shown = Shown();
        const std::vector<COLORREF> drawn = DrawnAtTheView(whole.Image(), x, y, w, h);
        std::vector<UINT> ref, ours, theirs;
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                const uint8_t* p = &area.pixels[(static_cast<size_t>(py) * w + px) * 4];
                ref.push_back(RGB(p[2], p[1], p[0]));
                const size_t i = static_cast<size_t>(py + y) * g_nClientWidth + (px + x);
                ours.push_back(shown[i]);
                theirs.push_back(drawn[i]);
            }
        const double dOurs = Psnr(ref, ours), dTheirs = Psnr(ref, theirs);
        RecordProperty(f.substr(f.find_last_of('\\') + 1), std::to_string(dOurs) + " vs " + std::to_string(dTheirs));
        printf("fitted %s: %.2f dB, a scaled draw of the whole %.2f dB\n", f.c_str(), dOurs, dTheirs);
        EXPECT_GE(dOurs, dTheirs) << f;
    }
    EXPECT_GE(nReduced, 5);
}
