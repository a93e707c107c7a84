// Pictures shown as their files say: the orientation tag and the embedded colour profile read from
// real and made files, never outside their bytes; photos of every orientation upright in the
// program's decode, in the view with their upright size, and in what Save As writes.
#include "GdiPlusFixture.h"
#include "AppFixture.h"
#include "framework/AfxFile.h"
#include "framework/GdiPlus.h"
#include "picture/Inflate.h"
#include "picture/ShownRight.h"
#include "view/ImageExport.h"
#include "view/ProfileWriter.h"
#include "picture/Picture.h"
#include "picture/PictureCache.h"

#include <math.h>

#include <memory>
#include <string>
#include <vector>

namespace {

CShowingInfo InfoOf(const std::string& bytes) {
    return ReadShowingInfo(bytes.data(), bytes.size());
}

// The pixels of a decoded picture, 0xAARRGGBB row by row from the top.
std::vector<UINT> PixelsOf(Gdiplus::Image* pImage) {
    Gdiplus::Bitmap* pBitmap = static_cast<Gdiplus::Bitmap*>(pImage);
    const UINT w = pImage->GetWidth(), h = pImage->GetHeight();
    std::vector<UINT> out(size_t(w) * h);
    Gdiplus::BitmapData data = {};
    data.Width = w;
    data.Height = h;
    data.Stride = INT(w * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = out.data();
    Gdiplus::Rect rc(0, 0, INT(w), INT(h));
    if (pBitmap->LockBits(&rc, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                          &data) != Gdiplus::Ok)
        return {};
    pBitmap->UnlockBits(&data);
    return out;
}

std::string Be16(unsigned v) {
    return std::string{char(v >> 8), char(v)};
}
std::string Be32(unsigned v) {
    return Be16(v >> 16) + Be16(v & 0xFFFF);
}
std::string Le16(unsigned v) {
    return std::string{char(v), char(v >> 8)};
}
std::string Le32(unsigned v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A TIFF of 2 x 2 RGB pixels, red and green above blue and white, uncompressed, with the
// orientation given.
std::string FourPixelTiff(bool bLittle, unsigned nOrientation) {
    auto u16 = [bLittle](unsigned v) { return bLittle ? Le16(v) : Be16(v); };
    auto u32 = [bLittle](unsigned v) { return bLittle ? Le32(v) : Be32(v); };
    struct Entry {
        unsigned tag, type, count, value;
    };
    const Entry entries[] = {{256, 3, 1, 2}, {257, 3, 1, 2},  {258, 3, 3, 0}, {259, 3, 1, 1},
                             {262, 3, 1, 2}, {273, 4, 1, 0},  {274, 3, 1, 0}, {277, 3, 1, 3},
                             {278, 3, 1, 2}, {279, 4, 1, 12}, {284, 3, 1, 1}};
    const unsigned nEntries = sizeof entries / sizeof entries[0];
    const unsigned nDir = 8, nBits = nDir + 2 + 12 * nEntries + 4, nPixels = nBits + 6;
    std::string s = bLittle ? "II" : "MM";
    s += u16(42) + u32(nDir) + u16(nEntries);
    for (const Entry& e : entries) {
        s += u16(e.tag) + u16(e.type) + u32(e.count);
        unsigned v = e.tag == 258 ? nBits : e.tag == 273 ? nPixels : e.tag == 274 ? nOrientation : e.value;
        s += e.type == 3 && e.count == 1 ? u16(v) + u16(0) : u32(v);
    }
    s += u32(0) + u16(8) + u16(8) + u16(8);
    s += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    return s;
}

// An EXIF block (a TIFF structure) holding only an orientation.
std::string ExifBlock(unsigned nOrientation) {
    return "MM" + Be16(42) + Be32(8) + Be16(1) + Be16(0x0112) + Be16(3) + Be32(1) + Be16(nOrientation) + Be16(0) +
           Be32(0);
}

// The PNG beside the tests whose eXIf chunk (orientation 6) follows the picture's data, with the
// chunk moved in front of the data, where the newer PNG standard asks for it.
std::string PngWithExifFirst() {
    std::string png = ReadAll(TestPicture("f-orientation-6.png"));
    const size_t at = png.find("eXIf");
    if (png.size() < 33 || at == std::string::npos || at < 37)
        return {};
    const size_t nChunk = 12 + ((unsigned char)png[at - 4] << 24 | (unsigned char)png[at - 3] << 16 |
                                (unsigned char)png[at - 2] << 8 | (unsigned char)png[at - 1]);
    const std::string chunk = png.substr(at - 4, nChunk);
    png.erase(at - 4, nChunk);
    return png.insert(33, chunk);
}

// A made profile of n bytes: its size in the header and the signature where readers look.
std::string MadeProfile(size_t n) {
    std::string icc(n, '\0');
    for (size_t i = 0; i < n; ++i)
        icc[i] = char(i * 7 + 3);
    icc.replace(0, 4, Be32(unsigned(n)));
    icc.replace(36, 4, "acsp");
    return icc;
}

// A JPEG with APP2 pieces of the profile inserted after its start marker, in the order given
// (numbers from 1).
std::string JpegWithProfilePieces(const std::string& jpeg,
                                  const std::string& icc,
                                  unsigned nTotal,
                                  const std::vector<unsigned>& order) {
    std::string out = jpeg.substr(0, 2);
    const size_t nPiece = (icc.size() + nTotal - 1) / nTotal;
    for (unsigned n : order) {
        std::string piece = icc.substr((n - 1) * nPiece, nPiece);
        std::string body = std::string("ICC_PROFILE\0", 12) + char(n) + char(nTotal) + piece;
        out += "\xFF\xE2" + Be16(unsigned(body.size() + 2)) + body;
    }
    return out + jpeg.substr(2);
}

// A WebP made extended, with these chunks after the original's.
std::string WebpWith(const std::string& webp, const std::string& chunks) {
    std::string vp8x = "VP8X" + Le32(10) + std::string("\x2C\0\0\0", 4) + std::string(6, '\0');
    std::string body = "WEBP" + vp8x + webp.substr(12) + chunks;
    return "RIFF" + Le32(unsigned(body.size())) + body;
}
std::string Chunk(const char* fourcc, const std::string& data) {
    return std::string(fourcc, 4) + Le32(unsigned(data.size())) + data + (data.size() & 1 ? std::string(1, '\0') : "");
}

// The bytes at the very end of a page followed by one that cannot be read: a read past them
// faults.
class CGuardedBytes {
public:
    explicit CGuardedBytes(const std::string& bytes) {
        const size_t nPage = 4096, nPages = (bytes.size() + nPage - 1) / nPage + 1;
        m_pBase = static_cast<char*>(VirtualAlloc(nullptr, nPages * nPage, MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(m_pBase + (nPages - 1) * nPage, nPage, PAGE_NOACCESS, &old);
        m_p = m_pBase + (nPages - 1) * nPage - bytes.size();
        memcpy(m_p, bytes.data(), bytes.size());
    }
    ~CGuardedBytes() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    CGuardedBytes(const CGuardedBytes&) = delete;
    CGuardedBytes& operator=(const CGuardedBytes&) = delete;
    const char* data() const { return m_p; }

private:
    char* m_pBase;
    char* m_p;
};
}  // namespace

TEST(ShowingInfo, OrientationOfRealPhotos) {
    const struct {
        const char* file;
        int n;
    } rows[] = {
        {"orientation/Landscape_1.jpg", 1},
        {"orientation/Landscape_2.jpg", 2},
        {"orientation/Landscape_3.jpg", 3},
        {"orientation/Landscape_4.jpg", 4},
        {"orientation/Landscape_5.jpg", 5},
        {"orientation/Landscape_6.jpg", 6},
        {"orientation/Landscape_7.jpg", 7},
        {"orientation/Landscape_8.jpg", 8},
        {"jpeg/orientation_0.jpg", 1},
        {"jpeg/orientation_3.jpg", 3},
        {"jpeg/orientation_6.jpg", 6},
        {"jpeg/orientation_8.jpg", 8},
        {"jpeg/bug725582-testrotate.jpg", 6},
        {"malformed/infinite_loop_exif.jpg", 1},
        {"tiff/sample.tif", 1},
        {"png/basn2c08.png", 1},
        {"png/exif2c08.png", 1},
        {"bmp/image.bmp", 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.n, ReadShowingInfoOfFile(CorpusPath(row.file).c_str()).nOrientation) << row.file;
    EXPECT_EQ(1, ReadShowingInfoOfFile(CorpusPath("no such file.jpg").c_str()).nOrientation);
    // A PNG's eXIf chunk, after the picture's data and before it.
    EXPECT_EQ(6, ReadShowingInfoOfFile(TestPicture("f-orientation-6.png").c_str()).nOrientation);
    EXPECT_EQ(6, InfoOf(PngWithExifFirst()).nOrientation);
}

TEST(ShowingInfo, OrientationOfMadeTiffsAndWebps) {
    for (bool bLittle : {true, false})
        for (unsigned n : {1u, 5u, 6u, 8u})
            EXPECT_EQ(int(n), InfoOf(FourPixelTiff(bLittle, n)).nOrientation) << bLittle << " " << n;
    // Values outside 1-8 say nothing.
    EXPECT_EQ(1, InfoOf(FourPixelTiff(true, 9)).nOrientation);
    EXPECT_EQ(1, InfoOf(FourPixelTiff(true, 0)).nOrientation);
    const std::string webp = ReadAll(CorpusPath("webp/test.webp"));
    EXPECT_EQ(1, InfoOf(webp).nOrientation);
    EXPECT_EQ(8, InfoOf(WebpWith(webp, Chunk("EXIF", ExifBlock(8)))).nOrientation);
    EXPECT_EQ(3, InfoOf(WebpWith(webp, Chunk("EXIF", std::string("Exif\0\0", 6) + ExifBlock(3)))).nOrientation);
    // A chunk longer than the file: nothing read from it.
    std::string cut = WebpWith(webp, Chunk("EXIF", ExifBlock(6)));
    EXPECT_EQ(1, InfoOf(cut.substr(0, cut.size() - 4)).nOrientation);
}

TEST(ShowingInfo, ProfilesOfRealPictures) {
    const struct {
        const char* file;
        bool bProfile;
    } rows[] = {
        {"jpeg/icc-profile.jpeg", true},
        {"png/icc-profile.png", true},
        {"png/P3-sRGB-color-ring.png", true},
        {"png/DJI-FC6310-16bit_709_v4_krita.png", true},
        {"tiff/minimal_valid_with_icc.tiff", true},
        {"jpeg/video-001.jpeg", false},
        {"png/basn2c08.png", false},
        {"tiff/sample.tif", false},
        {"webp/test.webp", false},
        {"gif/horse.gif", false},
    };
    for (const auto& row : rows) {
        const CShowingInfo info = ReadShowingInfoOfFile(CorpusPath(row.file).c_str());
        ASSERT_EQ(row.bProfile, !info.icc.empty()) << row.file;
        if (!row.bProfile)
            continue;
        // Whole: the length its header gives, the signature in its place.
        const uint8_t* p = info.icc.data();
        EXPECT_EQ(info.icc.size(), size_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]) << row.file;
        EXPECT_EQ(0, memcmp(p + 36, "acsp", 4)) << row.file;
    }
}

TEST(ShowingInfo, JpegProfilesInPiecesInAnyOrder) {
    const std::string jpeg = ReadAll(CorpusPath("jpeg/video-001.jpeg"));
    const std::string icc = MadeProfile(3001);
    for (const std::vector<unsigned>& order : std::vector<std::vector<unsigned>>{{1, 2, 3}, {3, 1, 2}, {2, 3, 1}}) {
        CShowingInfo info = InfoOf(JpegWithProfilePieces(jpeg, icc, 3, order));
        EXPECT_EQ(icc, std::string(info.icc.begin(), info.icc.end())) << order[0];
    }
    EXPECT_EQ(icc.size(), InfoOf(JpegWithProfilePieces(jpeg, icc, 1, {1})).icc.size());
    // A piece missing, twice, or numbered beyond the count: no profile.
    EXPECT_TRUE(InfoOf(JpegWithProfilePieces(jpeg, icc, 3, {1, 3})).icc.empty());
    EXPECT_TRUE(InfoOf(JpegWithProfilePieces(jpeg, icc, 3, {1, 2, 2})).icc.empty());
    // The profile of a WebP's ICCP chunk.
    const std::string webp = ReadAll(CorpusPath("webp/test.webp"));
    CShowingInfo info = InfoOf(WebpWith(webp, Chunk("ICCP", icc)));
    EXPECT_EQ(icc, std::string(info.icc.begin(), info.icc.end()));
}

TEST(ShowingInfo, InflatesWhatPngKeepsAndRefusesDamage) {
    // Stored blocks, as the simplest writer makes them.
    const std::string text = "a profile that is only stored";
    std::string z = std::string("\x78\x01", 2) + char(1) + Le16(unsigned(text.size())) +
                    Le16(unsigned(~text.size() & 0xFFFF)) + text;
    uint32_t a = 1, b = 0;
    for (unsigned char c : text) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    z += Be32(b << 16 | a);
    std::vector<uint8_t> out;
    ASSERT_TRUE(InflateZlib(reinterpret_cast<const uint8_t*>(z.data()), z.size(), 1000, &out));
    EXPECT_EQ(text, std::string(out.begin(), out.end()));
    EXPECT_FALSE(InflateZlib(reinterpret_cast<const uint8_t*>(z.data()), z.size(), 10, &out));  // over the bound
    std::string bad = z;
    bad.back() ^= 1;  // the check
    EXPECT_FALSE(InflateZlib(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), 1000, &out));
    // A real PNG's compressed profile with a byte of its stream changed: refused (or, should the
    // change still inflate, caught by the check), never a profile.
    std::string png = ReadAll(CorpusPath("png/icc-profile.png"));
    size_t at = png.find("iCCP");
    ASSERT_NE(std::string::npos, at);
    for (size_t i = 0; i < 64; ++i) {
        std::string damaged = png;
        damaged[at + 4 + strlen(damaged.c_str() + at + 4) + 2 + 2 + i * 3] ^= 0x5A;
        EXPECT_TRUE(InfoOf(damaged).icc.empty()) << i;
    }
}

TEST(ShowingInfo, NeverReadsBeyondTheBytes) {
    // Every length of each file, the last byte against an unreadable page.
    const char* files[] = {"jpeg/icc-profile.jpeg", "png/icc-profile.png", "tiff/minimal_valid_with_icc.tiff",
                           "orientation/Landscape_6.jpg", "malformed/infinite_loop_exif.jpg"};
    int nRead = 0;
    for (const char* f : files) {
        std::string bytes = ReadAll(CorpusPath(f));
        ASSERT_FALSE(bytes.empty()) << f;
        const size_t nMax = bytes.size() < 20000 ? bytes.size() : 20000;  // past every tag of these files
        for (size_t n = 0; n <= nMax; n += n < 4096 ? 1 : 13) {
            CGuardedBytes guarded(bytes.substr(0, n));
            CShowingInfo info = ReadShowingInfo(guarded.data(), n);
            EXPECT_TRUE(info.nOrientation >= 1 && info.nOrientation <= 8);
            ++nRead;
        }
    }
    // Made files, each of their lengths, and each of their bytes set to the values that hurt most.
    const std::string webp = ReadAll(CorpusPath("webp/test.webp"));
    const std::string made[] = {FourPixelTiff(true, 6), FourPixelTiff(false, 8), PngWithExifFirst(),
                                ReadAll(TestPicture("f-orientation-6.png")),
                                WebpWith(webp, Chunk("EXIF", ExifBlock(6)) + Chunk("ICCP", MadeProfile(200)))};
    for (const std::string& m : made)
        for (size_t i = 0; i < m.size(); ++i)
            for (char v : {'\0', '\x7F', '\x80', '\xFF'}) {
                std::string changed = m;
                changed[i] = v;
                CGuardedBytes guarded(changed);
                ReadShowingInfo(guarded.data(), changed.size());
                ++nRead;
            }
    EXPECT_GT(nRead, 1000);
}

namespace {
class UprightTest : public GdiPlusTest {};
}  // namespace

TEST_F(UprightTest, EveryOrientationDecodesUprightLikeTheUntaggedPhoto) {
    CPicture uprightPicture = OpenPicture(CorpusPath("orientation/Landscape_1.jpg").c_str());
    Gdiplus::Image* upright = uprightPicture.Image();
    ASSERT_TRUE(upright);
    const std::vector<UINT> reference = PixelsOf(upright);
    for (int k = 2; k <= 8; ++k) {
        const std::string path = CorpusPath(("orientation/Landscape_" + std::to_string(k) + ".jpg").c_str());
        CPicture imagePicture = OpenPicture(path.c_str());
        Gdiplus::Image* image = imagePicture.Image();
        ASSERT_TRUE(image) << k;
        EXPECT_EQ(1800u, image->GetWidth()) << k;
        EXPECT_EQ(1200u, image->GetHeight()) << k;
        // The same photo coded again: within JPEG's loss (a wrong turn or mirror gives ~9 dB).
        EXPECT_GT(Psnr(reference, PixelsOf(image)), 27.0) << k;
    }
    // A PNG turned by its eXIf chunk, wherever the chunk is, against the untagged JPEG of the same F.
    CPicture fPicture = OpenPicture(CorpusPath("jpeg/orientation_0.jpg").c_str());
    ASSERT_TRUE(fPicture.Image());
    const std::vector<UINT> f = PixelsOf(fPicture.Image());
    const std::string folder = MakeTempFolder("upright-png");
    WriteFile(folder + "first.png", PngWithExifFirst());
    for (const std::string& path : {TestPicture("f-orientation-6.png"), folder + "first.png"}) {
        CPicture imagePicture = OpenPicture(path.c_str());
        Gdiplus::Image* image = imagePicture.Image();
        ASSERT_TRUE(image) << path;
        EXPECT_EQ(50u, image->GetWidth()) << path;
        EXPECT_EQ(70u, image->GetHeight()) << path;
        EXPECT_GT(Psnr(f, PixelsOf(image)), 27.0) << path;
    }
}

TEST_F(UprightTest, MadeTiffsTurnEachPixelToItsPlace) {
    const std::string folder = MakeTempFolder("upright");
    // Stored a b / c d; upright as each orientation moves them, row by row from the top left.
    const UINT a = 0xFFFF0000, b = 0xFF00FF00, c = 0xFF0000FF, d = 0xFFFFFFFF;
    const struct {
        unsigned n;
        UINT px[4];
    } rows[] = {
        {1, {a, b, c, d}}, {2, {b, a, d, c}}, {3, {d, c, b, a}}, {4, {c, d, a, b}},
        {5, {a, c, b, d}}, {6, {c, a, d, b}}, {7, {d, b, c, a}}, {8, {b, d, a, c}},
    };
    for (const auto& row : rows) {
        const std::string path = folder + "t" + std::to_string(row.n) + ".tif";
        WriteFile(path, FourPixelTiff(row.n % 2 == 0, row.n));
        CPicture imagePicture = OpenPicture(path.c_str());
        Gdiplus::Image* image = imagePicture.Image();
        ASSERT_TRUE(image) << row.n;
        EXPECT_EQ(std::vector<UINT>(row.px, row.px + 4), PixelsOf(image)) << row.n;
    }
}

TEST_F(UprightTest, ProfileGoesIntoATiffOfEitherByteOrderLeavingTheRestAsItWas) {
    const std::string folder = MakeTempFolder("tiff-profile");
    for (bool bLittle : {true, false}) {
        const std::string tiff = FourPixelTiff(bLittle, 6);
        std::string patched = tiff;
        const std::string first = MadeProfile(301), second = MadeProfile(400);  // odd: padded after
        ASSERT_TRUE(InsertTiffProfile(&patched, std::vector<uint8_t>(first.begin(), first.end())));
        ASSERT_TRUE(InsertTiffProfile(&patched, std::vector<uint8_t>(second.begin(), second.end())));
        const CShowingInfo info = InfoOf(patched);
        EXPECT_EQ(second, std::string(info.icc.begin(), info.icc.end())) << bLittle;  // the second replaced the first
        EXPECT_EQ(6, info.nOrientation) << bLittle;
        WriteFile(folder + "plain.tif", tiff);
        WriteFile(folder + "patched.tif", patched);
        std::vector<UINT> plain, px;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPixels(folder + "plain.tif", &plain, &w, &h));
        ASSERT_TRUE(ReadPixels(folder + "patched.tif", &px, &w, &h)) << bLittle;
        EXPECT_EQ(plain, px) << bLittle;
        // Bytes cut before the end of the directory: refused as they are.
        std::string cut = tiff.substr(0, 30);
        EXPECT_FALSE(InsertTiffProfile(&cut, std::vector<uint8_t>(first.begin(), first.end())));
        EXPECT_EQ(tiff.substr(0, 30), cut);
    }
}

TEST_F(UprightTest, SaveAsWritesUprightPixelsWithoutATurnLeft) {
    const std::string folder = MakeTempFolder("upright-save");
    const std::string landscape = CorpusPath("orientation/Landscape_1.jpg"), f = CorpusPath("jpeg/orientation_0.jpg");
    const struct {
        std::string source, upright;  // the upright picture has no tag
        const char* ext;
        const wchar_t* mime;
    } rows[] = {
        {CorpusPath("orientation/Landscape_6.jpg"), landscape, "png", L"image/png"},
        {CorpusPath("orientation/Landscape_5.jpg"), landscape, "jpg", L"image/jpeg"},
        {CorpusPath("orientation/Landscape_3.jpg"), landscape, "bmp", L"image/bmp"},
        {CorpusPath("orientation/Landscape_8.jpg"), landscape, "tif", L"image/tiff"},
        {TestPicture("f-orientation-6.png"), f, "png", L"image/png"},
        {TestPicture("f-orientation-6.png"), f, "jpg", L"image/jpeg"},
    };
    for (const auto& row : rows) {
        std::vector<UINT> reference;
        UINT cx = 0, cy = 0;
        ASSERT_TRUE(ReadPixels(row.upright, &reference, &cx, &cy));
        const std::string target = folder + "saved." + row.ext;
        ASSERT_EQ(kExportOk, ExportPicture(row.source.c_str(), target.c_str(), row.mime)) << row.source << row.ext;
        // Read back by the platform's bare decode, which turns nothing.
        std::vector<UINT> px;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPixels(target, &px, &w, &h)) << row.source << row.ext;
        EXPECT_EQ(cx, w) << row.source << row.ext;
        EXPECT_EQ(cy, h) << row.source << row.ext;
        EXPECT_GT(Psnr(reference, px), 27.0) << row.source << row.ext;
        EXPECT_EQ(1, ReadShowingInfoOfFile(target.c_str()).nOrientation) << row.source << row.ext;
    }
}

namespace {
class UprightViewTest : public AppTest {
protected:
    UprightViewTest() : AppTest(AppStart().Folder("upright-view")) {}
};
}  // namespace

TEST_F(UprightViewTest, PhotosOfEachOrientationOpenUprightWithTheirUprightSize) {
    for (int k = 1; k <= 8; ++k) {
        std::string name = "Landscape_" + std::to_string(k) + ".jpg";
        CopyCorpusFile(("orientation/" + name).c_str(), m_strFolder, name.c_str());
    }
    CopyCorpusFile("jpeg/orientation_6.jpg", m_strFolder, "small_6.jpg");
    CopyFileA(TestPicture("f-orientation-6.png").c_str(), (m_strFolder + "small_6.png").c_str(), FALSE);
    SizeView(600, 400);
    std::vector<COLORREF> first;
    for (int k = 1; k <= 8; ++k) {
        Open(m_strFolder + "Landscape_" + std::to_string(k) + ".jpg");
        Settle();
        EXPECT_EQ(CString(" [1800,1200] "), Pane(3)) << k;
        // Fitted the same way, so the middle of the view shows the same part of the photo (a wrong turn
        // or mirror: ~10 dB).
        std::vector<COLORREF> shown;
        for (int y = 100; y < 300; y += 10)
            for (int x = 150; x < 450; x += 10) {
                COLORREF c = At(x, y);
                shown.push_back(0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
            }
        if (k == 1)
            first = shown;
        else
            EXPECT_GT(
                Psnr(std::vector<UINT>(first.begin(), first.end()), std::vector<UINT>(shown.begin(), shown.end())),
                18.0)
                << k;
    }
    for (const char* name : {"small_6.jpg", "small_6.png"}) {
        Open(m_strFolder + name);
        Settle();
        EXPECT_EQ(CString(" [50,70] "), Pane(3)) << name;
    }
}

// ---- colour ------------------------------------------------------------------------------------

namespace {
class ColourTest : public GdiPlusTest {};

// Root-mean-square over red, green and blue, in levels of 255, of how far the change from b to a
// is from the change from d to c (with d and c black: of a against b).
double Rmse(const std::vector<UINT>& a,
            const std::vector<UINT>& b,
            const std::vector<UINT>& c = {},
            const std::vector<UINT>& d = {}) {
    if (a.size() != b.size() || a.empty() || c.size() != d.size() || (!c.empty() && c.size() != a.size()))
        return 255;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            int e = int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF);
            if (!c.empty())
                e -= int((c[i] >> shift) & 0xFF) - int((d[i] >> shift) & 0xFF);
            sum += e * e;
        }
    return sqrt(sum / (3.0 * double(a.size())));
}

// The pixels the program decodes the file to, 0xAARRGGBB.
std::vector<UINT> ProgramPixels(const std::string& path) {
    CPicture imagePicture = OpenPicture(path.c_str());
    Gdiplus::Image* image = imagePicture.Image();
    return image ? PixelsOf(image) : std::vector<UINT>();
}
}  // namespace

TEST_F(ColourTest, PicturesWithoutAProfileOrWithAnSrgbOneAreDecodedAsBefore) {
    const char* files[] = {"jpeg/video-001.jpeg", "png/basn2c08.png", "png/basn6a16.png", "tiff/video-001.tiff",
                           "png/basn3p08.png", "gif/horse.gif", "bmp/image.bmp",
                           // Profiles that draw as sRGB does.
                           "jpeg/icc-profile.jpeg", "png/icc-profile.png", "tiff/minimal_valid_with_icc.tiff"};
    for (const char* f : files) {
        const std::string path = CorpusPath(f);
        std::vector<UINT> bare;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPixels(path, &bare, &w, &h)) << f;
        // JPEGs are decoded by our own decoder, whose rounding is not GDI+'s: a quality bound.
        if (strncmp(f, "jpeg/", 5) == 0)
            EXPECT_GT(Psnr(bare, ProgramPixels(path)), 30.0) << f;
        else
            EXPECT_TRUE(bare == ProgramPixels(path)) << f;
    }
}

// The colour-managed references come from tests/colour_references.sh: ImageMagick's decode of
// each file converted with Debian's sRGB profile, and the same decode left as stored. The change
// the program's conversion makes is held against the change ImageMagick's makes, so the two
// decoders' own differences (JPEG's rounding) do not count.
TEST_F(ColourTest, ProfiledPicturesMatchTheColourManagedReference) {
    const char* pszRefs = getenv("MORVANE_COLOUR_REFERENCES");
    if (!pszRefs)
        GTEST_SKIP() << "run by tests/colour_references.sh with the references";
    const struct {
        const char* file;
        double dMaxRmse;  // in levels of 255
    } rows[] = {
        {"png/P3-sRGB-color-ring.png", 1.5},             // the reference's own change: 44 levels
        {"png/DJI-FC6310-16bit_709_v4_krita.png", 1.5},  // 12 levels
        {"jpeg/icc-profile.jpeg", 1.0},
        {"png/icc-profile.png", 1.0},
    };
    for (const auto& row : rows) {
        std::string name = row.file;
        for (char& c : name)
            if (c == '/')
                c = '_';
        const std::string folder = std::string("Z:") + pszRefs + "\\";
        std::vector<UINT> reference, stored, bare;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPixels(folder + "converted_" + name + ".png", &reference, &w, &h)) << name;
        ASSERT_TRUE(ReadPixels(folder + "stored_" + name + ".png", &stored, &w, &h)) << name;
        ASSERT_TRUE(ReadPixels(CorpusPath(row.file), &bare, &w, &h)) << name;
        // A JPEG is decoded by our own decoder, not GDI+: its change is from our decode as stored.
        if (strncmp(row.file, "jpeg/", 5) == 0) {
            PictureOptions asStored;
            asStored.bShownRight = false;
            CPicture picture = OpenPicture(CorpusPath(row.file).c_str(), asStored);
            ASSERT_TRUE(picture) << name;
            bare = PixelsOf(picture.Image());
        }
        const std::vector<UINT> ours = ProgramPixels(CorpusPath(row.file));
        EXPECT_LT(Rmse(ours, bare, reference, stored), row.dMaxRmse) << row.file;
        // Where the profile is not sRGB's, the reference's change is well beyond the bound.
        if (row.dMaxRmse > 1.0) {
            EXPECT_GT(Rmse(reference, stored), 4 * row.dMaxRmse) << row.file;
        }
    }
}

TEST_F(ColourTest, SaveAsKeepsPixelsAndProfileWhereTheFormatCarriesOneAndConvertsElsewhere) {
    // Left in the references' folder when there is one, for ImageMagick to read (colour_references.sh).
    const char* pszRefs = getenv("MORVANE_COLOUR_REFERENCES");
    const std::string folder = pszRefs ? std::string("Z:") + pszRefs + "\\" : MakeTempFolder("colour-save");
    const std::string ring = CorpusPath("png/P3-sRGB-color-ring.png");
    // A photo in Adobe RGB (1998), under a name the test's own readers take.
    const std::string adobe = folder + "adobe.jpg";
    ASSERT_TRUE(CopyFileW(AfxSystemPath(CorpusPath("jpeg/photo caf\xc3\xa9 au lait.jpg").c_str()).c_str(),
                          AfxSystemPath(adobe.c_str()).c_str(), FALSE));
    const struct {
        const std::string& source;
        const char* name;
        const wchar_t* mime;
        bool bProfile;
        // RMSE in levels of 255 of the file as stored, and as the program reads it back
        double dMaxFromStored, dMaxFromConverted, dMaxReadBack;
    } rows[] = {
        {ring, "ring.png", L"image/png", true, 0.0, 255, 0.6},
        {ring, "ring.jpg", L"image/jpeg", true, 3.0, 255, 5.0},  // with JPEG's loss
        {ring, "ring.bmp", L"image/bmp", false, 255, 0.6, 0.6},
        {ring, "ring.tif", L"image/tiff", true, 0.0, 255, 0.6},
        // A JPEG as GDI+ reads it, beside our decoder's pixels: a level apart in a few pixels.
        {adobe, "adobe.tif", L"image/tiff", true, 0.05, 255, 0.6},
        {adobe, "adobe.bmp", L"image/bmp", false, 255, 0.6, 0.6},
    };
    for (const auto& row : rows) {
        const CShowingInfo info = ReadShowingInfoOfFile(row.source.c_str());
        ASSERT_FALSE(info.icc.empty()) << row.name;
        std::vector<UINT> stored;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPixels(row.source, &stored, &w, &h)) << row.name;
        // The pixels the view shows: converted for this display, whose profile is sRGB's here.
        const std::vector<UINT> converted = ProgramPixels(row.source);
        // Wide-gamut sources: what is kept and what is converted differ well beyond the bounds.
        EXPECT_GT(Rmse(stored, converted), 3.0) << row.name;
        const std::string target = folder + row.name;
        ASSERT_EQ(kExportOk, ExportPicture(row.source.c_str(), target.c_str(), row.mime)) << row.name;
        const CShowingInfo written = ReadShowingInfoOfFile(target.c_str());
        if (row.bProfile)
            EXPECT_TRUE(written.icc == info.icc) << row.name;
        else
            EXPECT_TRUE(written.icc.empty()) << row.name;
        std::vector<UINT> px;
        ASSERT_TRUE(ReadPixels(target, &px, &w, &h)) << row.name;
        // Alpha aside: the formats without it are drawn on white.
        EXPECT_LE(Rmse(px, stored), row.dMaxFromStored) << row.name;
        EXPECT_LE(Rmse(px, converted), row.dMaxFromConverted) << row.name;
        // Read back by the program: the same colours whichever format it went through.
        EXPECT_LE(Rmse(ProgramPixels(target), converted), row.dMaxReadBack) << row.name;
    }
    // A CMYK JPEG is decoded into the display's colours through its profile: saved, those pixels
    // go without the CMYK profile, which no RGB picture can carry, and look as the source did.
    const std::string cmyk = TestPicture("cmyk-profiled.jpg");
    ASSERT_FALSE(ReadShowingInfoOfFile(cmyk.c_str()).icc.empty());
    const std::vector<UINT> shown = ProgramPixels(cmyk);
    for (const char* name : {"cmyk.png", "cmyk.bmp"}) {
        const std::string target = folder + name;
        ASSERT_EQ(kExportOk,
                  ExportPicture(cmyk.c_str(), target.c_str(), strstr(name, ".png") ? L"image/png" : L"image/bmp"))
            << name;
        EXPECT_TRUE(ReadShowingInfoOfFile(target.c_str()).icc.empty()) << name;
        EXPECT_LE(Rmse(ProgramPixels(target), shown), 0.6) << name;
    }
}
