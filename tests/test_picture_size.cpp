// The pixel size a picture file announces in its header: equal to GDI+'s measure on every corpus
// picture, safe on malformed and mutated headers, and a decompression bomb refused by the view
// and by Save As exactly as an unreadable picture is, without a decode.
#include "AppFixture.h"

#include "framework/AfxGdiPlus.h"
#include "picture/PictureSize.h"
#include "framework/GdiPlus.h"
#include "view/ImageExport.h"
#include "picture/PictureCache.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
std::string LE16(UINT v) {
    return {char(v), char(v >> 8)};
}
std::string LE32(UINT v) {
    return LE16(v & 0xFFFF) + LE16(v >> 16);
}
std::string BE16(UINT v) {
    return {char(v >> 8), char(v)};
}
std::string BE32(UINT v) {
    return BE16(v >> 16) + BE16(v & 0xFFFF);
}

UINT Crc32(const std::string& bytes) {
    UINT c = 0xFFFFFFFF;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}
std::string PngChunk(const char* type, const std::string& data) {
    std::string body = type + data;
    return BE32(static_cast<UINT>(data.size())) + body + BE32(Crc32(body));
}
const std::string kPngSig = "\x89PNG\r\n\x1a\n";
std::string PngHeader(UINT w, UINT h) {
    return kPngSig + PngChunk("IHDR", BE32(w) + BE32(h) + "\x08\x06" + std::string(3, '\0'));
}

// A PNG that announces 25200 x 33300 RGBA pixels (3.4 GB) in a few hundred bytes: its data is a
// zlib stream of one stored block of zeros, the start of the first row.
std::string BombPng() {
    std::string zeros(256, '\0'), z = "\x78\x01\x01" + LE16(256) + LE16(0xFEFF) + zeros;
    z += BE32(256u << 16 | 1);  // Adler-32 of 256 zero bytes
    return PngHeader(25200, 33300) + PngChunk("IDAT", z) + PngChunk("IEND", "");
}

std::string Bmp(UINT nHeader, UINT w, UINT h) {
    std::string info = nHeader == 12 ? LE32(12) + LE16(w) + LE16(h) + LE16(1) + LE16(24)
                                     : LE32(nHeader) + LE32(w) + LE32(h) + std::string(nHeader - 12, '\0');
    return "BM" + LE32(0) + LE32(0) + LE32(14 + nHeader) + info;
}
std::string Tiff(bool bMotorola, UINT wType, UINT w, UINT hType, UINT h) {
    auto u16 = bMotorola ? BE16 : LE16;
    auto u32 = bMotorola ? BE32 : LE32;
    auto value = [&](UINT type, UINT v) { return type == 3 ? u16(v) + u16(0) : u32(v); };
    return (bMotorola ? "MM" : "II") + u16(42) + u32(8) + u16(2) + u16(256) + u16(wType) + u32(1) + value(wType, w) +
           u16(257) + u16(hType) + u32(1) + value(hType, h) + u32(0);
}
std::string IcoEntry(int w, int h, UINT nBytes, UINT nOffset) {
    return std::string{char(w), char(h), 0, 0} + LE16(1) + LE16(32) + LE32(nBytes) + LE32(nOffset);
}
const std::string kSoi = "\xFF\xD8", kApp0 = std::string("\xFF\xE0") + BE16(16) + "JFIF" + std::string(10, '\0');
std::string Sof(char marker, UINT w, UINT h) {
    return std::string("\xFF") + marker + BE16(11) + "\x08" + BE16(h) + BE16(w) + "\x01\x01\x11\x00";
}

struct Case {
    const char* what;
    std::string bytes;
    UINT cx, cy;  // 0 x 0: not known
};

// GDI+'s size of a file: the largest of its frames (an icon's images, a GIF's frames, pages).
UINT Measured(const std::string& path, UINT* pcy) {
    Gdiplus::Image image(ToWide(path.c_str()));
    UINT cx = image.GetWidth(), cy = image.GetHeight();
    GUID dims[4];
    UINT nDims = std::min(image.GetFrameDimensionsCount(), 4u);
    if (nDims && image.GetFrameDimensionsList(dims, nDims) == Gdiplus::Ok) {
        for (UINT d = 0; d < nDims; ++d) {
            for (UINT i = 0, n = image.GetFrameCount(&dims[d]); i < n; ++i) {
                if (image.SelectActiveFrame(&dims[d], i) != Gdiplus::Ok)
                    continue;
                cx = std::max(cx, image.GetWidth());
                cy = std::max(cy, image.GetHeight());
            }
        }
    }
    *pcy = cy;
    return cx;
}
std::string Described(const std::string& path, UINT cx, UINT cy) {
    return path.substr(path.rfind('\\') + 1) + " " + std::to_string(cx) + "x" + std::to_string(cy);
}
}  // namespace

TEST(PictureSize, HeadersOfEveryFormat) {
    const Case cases[] = {
        {"BMP OS/2 core header", Bmp(12, 300, 200), 300, 200},
        {"BMP top-down", Bmp(40, 640, static_cast<UINT>(-480)), 640, 480},
        {"BMP V5 header", Bmp(124, 7, 9), 7, 9},
        {"BMP no width", Bmp(40, 0, 5), 0, 0},
        {"BMP negative width", Bmp(40, static_cast<UINT>(-5), 5), 0, 0},
        {"BMP unknown header", Bmp(200, 5, 5), 0, 0},
        {"GIF image past the screen",
         "GIF89a" + LE16(10) + LE16(10) + std::string("\x80\0\0", 3) + std::string(6, '\x7f') + "\x21\xF9\x04" +
             std::string(4, '\0') + '\0' + "\x2C" + LE16(5) + LE16(5) + LE16(20) + LE16(30),
         25, 35},
        {"GIF screen only", "GIF87a" + LE16(65535) + LE16(65535) + std::string(3, '\0'), 65535, 65535},
        {"PNG", PngHeader(25200, 33300), 25200, 33300},
        {"PNG first chunk not IHDR", kPngSig + PngChunk("IDAT", std::string(13, '\x40')), 0, 0},
        {"JPEG fill bytes and standalone markers",
         kSoi + kApp0 + "\xFF\xFF\xFF\xD0\xFF\x01" + Sof('\xC2', 22500, 33300), 22500, 33300},
        {"JPEG tables are no frame", kSoi + "\xFF\xC4" + BE16(7) + "\x08\x11\x11\x22\x22" + Sof('\xC0', 3, 4), 3, 4},
        {"JPEG scan before a frame", kSoi + kApp0 + "\xFF\xDA" + BE16(2) + Sof('\xC0', 3, 4), 0, 0},
        {"JPEG segment past the end", kSoi + "\xFF\xE1" + BE16(60000) + Sof('\xC0', 3, 4), 0, 0},
        {"TIFF Intel, LONG x SHORT", Tiff(false, 4, 70000, 3, 500), 70000, 500},
        {"TIFF Motorola, SHORT x LONG", Tiff(true, 3, 3, 4, 100000), 3, 100000},
        {"TIFF IFD past the end", "II" + LE16(42) + LE32(0xFFFFFFF0), 0, 0},
        {"TIFF IFD without sizes", "MM" + BE16(42) + BE32(8) + BE16(1) + BE16(259) + BE16(3) + BE32(1) + BE32(0), 0, 0},
        {"ICO largest entry, 0 is 256", LE16(0) + LE16(1) + LE16(2) + IcoEntry(16, 16, 0, 0) + IcoEntry(0, 0, 0, 0),
         256, 256},
        {"CUR PNG entry", LE16(0) + LE16(2) + LE16(1) + IcoEntry(32, 32, 24, 22) + PngHeader(40000, 30000), 40000,
         30000},
        {"EMF", LE32(1) + LE32(108) + std::string(32, '\0') + " EMF" + std::string(64, '\0'), 0, 0},
        {"placeable WMF", "\xD7\xCD\xC6\x9A" + std::string(40, '\0'), 0, 0},
        {"empty", "", 0, 0},
    };
    for (const Case& c : cases) {
        UINT cx = 1, cy = 1;
        EXPECT_EQ(c.cx != 0, ReadPictureSize(c.bytes.data(), c.bytes.size(), &cx, &cy)) << c.what;
        EXPECT_EQ(c.cx, cx) << c.what;
        EXPECT_EQ(c.cy, cy) << c.what;
    }
}

TEST(PictureSize, TwoGibibytesOfPixels) {
    EXPECT_FALSE(PixelsPass2GiB(16384, 32768));  // exactly 2^31 bytes
    EXPECT_TRUE(PixelsPass2GiB(16384, 32769));
    EXPECT_FALSE(PixelsPass2GiB(65535, 8192));
    EXPECT_TRUE(PixelsPass2GiB(25200, 33300));
    EXPECT_TRUE(PixelsPass2GiB(0xFFFFFFFF, 0xFFFFFFFF));  // no overflow
    EXPECT_FALSE(PixelsPass2GiB(0, 0xFFFFFFFF));
}

// Every corpus picture: the announced size is GDI+'s largest frame, but for the few files named
// below. Only the corpus's own bomb is refused.
TEST(PictureSize, CorpusSizesAreWhatGdiPlusMeasures) {
    CGdiPlusSession gdiplus;
    ASSERT_TRUE(gdiplus.Started());
    int nSame = 0;
    std::vector<std::string> blocked, unreadable, differing;
    for (const char* folder : {"bmp", "gif", "ico", "jpeg", "png", "tiff", "large"}) {
        std::vector<std::string> files = CorpusFiles(folder);
        ASSERT_FALSE(files.empty()) << folder;
        for (const std::string& f : files) {
            UINT cx, cy;
            ASSERT_TRUE(ReadPictureSize(f.c_str(), &cx, &cy)) << f;
            if (PixelsPass2GiB(cx, cy)) {
                blocked.push_back(Described(f, cx, cy));
                continue;
            }
            UINT gcy, gcx = Measured(f, &gcy);
            if (gcx == 0)
                unreadable.push_back(Described(f, cx, cy));
            else if (gcx != cx || gcy != cy)
                differing.push_back(Described(f, cx, cy) + " measured " + std::to_string(gcx) + "x" +
                                    std::to_string(gcy));
            else
                ++nSame;
        }
    }
    EXPECT_GT(nSame, 140);
    EXPECT_EQ(std::vector<std::string>{"large.jpg 22500x33300"}, blocked);
    // Pictures this platform's GDI+ does not read (bit fields in a 56-byte header, a cursor,
    // 12-bit samples): their headers still announce a size.
    EXPECT_EQ((std::vector<std::string>{"mandatory-bitmasks.bmp 350x400", "sample.cur 23x42",
                                        "minimal_valid_12bit.tiff 20x10"}),
              unreadable);
    // Its GIF frames measure their own 1 x 1 here, not the 2 x 2 logical screen they are drawn on.
    EXPECT_EQ(std::vector<std::string>{"dispose-restore-background.gif 2x2 measured 1x1"}, differing);
}

TEST(PictureSize, MalformedFilesAreReadSafely) {
    std::vector<std::string> files = CorpusFiles("malformed"), blocked;
    ASSERT_GT(files.size(), 25u);
    for (const std::string& f : files) {
        UINT cx = 1, cy = 1, mx = 1, my = 1;
        const bool bKnown = ReadPictureSize(f.c_str(), &cx, &cy);
        if (PixelsPass2GiB(cx, cy))
            blocked.push_back(Described(f, cx, cy));
        EXPECT_EQ(bKnown ? 2 : 0, (cx != 0) + (cy != 0)) << f;  // both sides known, or neither
        // The file's prefix and reads past it say what the whole file in memory says.
        const std::string bytes = ReadAll(f);
        EXPECT_EQ(bKnown, ReadPictureSize(bytes.data(), bytes.size(), &mx, &my)) << f;
        EXPECT_EQ(cx, mx) << f;
        EXPECT_EQ(cy, my) << f;
    }
    // Headers that announce more than any decode could hold: refused before a decoder sees them.
    EXPECT_EQ((std::vector<std::string>{"bug776694.bmp 131168x4096", "bug777315.bmp 1073741826x1",
                                        "bug780269.tif 1073741824x32", "bug784903-overflow-dimensions.tiff 32800x65527",
                                        "cve-2015-4491.bmp 1x1509949441", "invalid.1.gif 46565x23539",
                                        "issue205.jpg 64250x64250"}),
              blocked);
}

// Thousands of mutated headers, each placed against a page no one may read: any read past the
// end faults. Seeded, so every run reads the same bytes.
TEST(PictureSize, MutatedHeadersNeverReadPastTheEnd) {
    std::vector<std::string> files = CorpusFiles();
    const size_t kMax = 16 * 1024, kPage = 4096;
    BYTE* pBlock = static_cast<BYTE*>(VirtualAlloc(nullptr, kMax + kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, pBlock);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(pBlock + kMax, kPage, PAGE_NOACCESS, &old));
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    int nRuns = 0, nKnown = 0;
    auto run = [&](const std::string& bytes) {
        BYTE* p = pBlock + kMax - bytes.size();
        memcpy(p, bytes.data(), bytes.size());
        UINT cx = 1, cy = 1;
        const bool bKnown = ReadPictureSize(p, bytes.size(), &cx, &cy);
        EXPECT_EQ(bKnown ? 2 : 0, (cx != 0) + (cy != 0));
        ++nRuns;
        nKnown += bKnown;
    };
    std::vector<std::string> heads;
    for (const std::string& f : files)
        heads.push_back(ReadAll(f).substr(0, kMax));
    const DWORD start = GetTickCount();
    for (const std::string& head : heads) {
        for (size_t n = 0; n <= 64 && n <= head.size(); ++n)
            run(head.substr(0, n));
        for (int i = 0; i < 20; ++i) {
            std::string m = head;
            for (int k = 0, nFlips = 1 + next() % 4; k < nFlips && !m.empty(); ++k)
                m[next() % std::min<size_t>(m.size(), i < 10 ? 32 : 512)] = static_cast<char>(next());
            run(m);
        }
        for (size_t at = 0; at + 4 <= std::min<size_t>(head.size(), 40); at += 2) {
            std::string m = head;
            m.replace(at, 4, "\xFF\xFF\xFF\x7F");
            run(m);
        }
    }
    const DWORD elapsed = GetTickCount() - start;
    VirtualFree(pBlock, 0, MEM_RELEASE);
    EXPECT_GT(nRuns, 15000);
    EXPECT_GT(nKnown, 3000);
    EXPECT_LT(elapsed, 5000u);
}

TEST(PictureSize, FileSharedAndClosedAtOnce) {
    const std::string path = MakeTempFolder("size") + "bomb.png";
    WriteFile(path, BombPng());
    // Another program writing the file does not keep it from being read.
    HANDLE hWriter = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hWriter);
    UINT cx, cy;
    EXPECT_TRUE(ReadPictureSize(path.c_str(), &cx, &cy));
    CloseHandle(hWriter);
    EXPECT_EQ(25200u, cx);
    EXPECT_EQ(33300u, cy);
    EXPECT_TRUE(PictureTooLarge(path.c_str()));
    // Nothing holds the file afterwards: it opens with no sharing at all.
    HANDLE hOnly = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, hOnly);
    CloseHandle(hOnly);
    EXPECT_FALSE(PictureTooLarge((path + ".missing").c_str()));
}

using BombOpenTest = AppTest;

TEST_F(BombOpenTest, OpenAndSaveAsTreatTheBombAsUnreadable) {
    const std::string folder = MakeTempFolder("bomb");
    WriteFile(folder + "a.png", "not a picture at all");
    WriteFile(folder + "b.png", BombPng());
    Open(folder + "a.png");
    ASSERT_EQ(0, g_nImageWidth);
    const CString unreadable3 = Pane(3), unreadable4 = Pane(4);
    const COLORREF unreadableCentre = ScreenPixel(view->m_hWnd, g_nClientWidth / 2, g_nClientHeight / 2);
    const int nDecodes = view->m_pPicture->Decodes();

    Open(folder + "b.png");
    EXPECT_EQ(CString("b.png"), Pane(1));
    EXPECT_EQ(CString(" [0,0] "), Pane(3));
    EXPECT_EQ(unreadable3, Pane(3));
    EXPECT_EQ(unreadable4, Pane(4));
    EXPECT_EQ(CString("2 in 2"), Pane(5));
    EXPECT_EQ(0, g_nImageWidth);
    EXPECT_EQ(0, g_nImageHeight);
    EXPECT_EQ(COLORREF(RGB(128, 128, 128)), unreadableCentre);
    EXPECT_EQ(unreadableCentre, ScreenPixel(view->m_hWnd, g_nClientWidth / 2, g_nClientHeight / 2));
    // The decoder never saw it.
    EXPECT_EQ(nDecodes, view->m_pPicture->Decodes());
    EXPECT_FALSE(view->m_pPicture->Holds());

    // Save As refuses it as it refuses an unreadable source, writing nothing.
    EXPECT_EQ(kExportNoSource, ExportPicture((folder + "a.png").c_str(), (folder + "a.bmp").c_str(), L"image/bmp"));
    EXPECT_EQ(kExportNoSource, ExportPicture((folder + "b.png").c_str(), (folder + "b.bmp").c_str(), L"image/bmp"));
    std::vector<std::string> left;
    ListFiles(folder.substr(0, folder.size() - 1), &left);
    EXPECT_EQ(2u, left.size());
}
