// The JPEG decoder: every corpus JPEG decoded whole as GDI+ decodes it (within a PSNR bound), and
// reduced in the DCT as close to an area-averaged reduction of the whole as the bounds say; the
// scale chosen for a drawn size; the area average itself; arithmetic coding left to GDI+;
// truncated files as GDI+ has them; seeded mutations met without a crash or a hang.
#include "GdiPlusFixture.h"
#include "TestUtil.h"

#include <math.h>
#include <shlwapi.h>
#include <stdio.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/GdiPlus.h"
#include "picture/JpegCodec.h"
#include "picture/ShownRight.h"

namespace {

bool IsJpegName(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return ext == "jpg" || ext == "jpeg";
}

// Every JPEG of the corpus but the 749-megapixel one (its own row below).
std::vector<std::string> CorpusJpegs() {
    std::vector<std::string> files;
    for (const char* folder : {"jpeg", "large", "orientation"})
        for (const std::string& path : CorpusFiles(folder))
            if (IsJpegName(path) && path.find("large.jpg") == std::string::npos)
                files.push_back(path);
    return files;
}

// The first frame's pixels as 0xAARRGGBB (the BGRA bytes read as numbers).
std::vector<UINT> AsArgb(const CDecodedFrame& frame) {
    std::vector<UINT> argb(frame.pixels.size() / 4);
    memcpy(argb.data(), frame.pixels.data(), argb.size() * 4);
    return argb;
}

// Whether GDI+ reads the picture in the bytes (from memory, as the program hands them on).
bool GdiplusReads(const std::string& bytes) {
    IStream* pStream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!pStream)
        return false;
    bool bRead;
    {
        Gdiplus::Bitmap bitmap(pStream);
        bRead = bitmap.GetLastStatus() == Gdiplus::Ok && bitmap.GetWidth() > 0;
    }
    pStream->Release();
    return bRead;
}

// The pixels of the rectangle (x, y, cx, cy) of a decoded picture's first frame.
CDecodedFrame Cut(const CDecodedImage& image, UINT x, UINT y, UINT cx, UINT cy) {
    CDecodedFrame frame;
    for (UINT row = y; row < y + cy; ++row) {
        const uint8_t* p = image.frames[0].pixels.data() + (size_t(row) * image.nWidth + x) * 4;
        frame.pixels.insert(frame.pixels.end(), p, p + size_t(cx) * 4);
    }
    return frame;
}

// The picture in the bytes as GDI+ decodes it, as 0xAARRGGBB; empty when it cannot.
std::vector<UINT> GdiplusPixels(const std::string& bytes, UINT* pcx, UINT* pcy) {
    std::vector<UINT> pixels;
    *pcx = *pcy = 0;
    IStream* pStream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!pStream)
        return pixels;
    {
        Gdiplus::Bitmap bitmap(pStream);
        const UINT cx = bitmap.GetWidth(), cy = bitmap.GetHeight();
        Gdiplus::Rect rc(0, 0, INT(cx), INT(cy));
        Gdiplus::BitmapData data;
        if (bitmap.GetLastStatus() == Gdiplus::Ok && cx > 0 &&
            bitmap.LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
            for (UINT y = 0; y < cy; ++y) {
                const UINT* row = reinterpret_cast<const UINT*>(static_cast<const uint8_t*>(data.Scan0) +
                                                                static_cast<ptrdiff_t>(y) * data.Stride);
                pixels.insert(pixels.end(), row, row + cx);
            }
            bitmap.UnlockBits(&data);
            *pcx = cx;
            *pcy = cy;
        }
    }
    pStream->Release();
    return pixels;
}

// ImageMagick's decode of a corpus file (tests/CMakeLists.txt makes them), as 0xAARRGGBB.
std::vector<UINT> ReferencePixels(const std::string& corpusFile, UINT* pcx, UINT* pcy) {
    const char* root = getenv("MORVANE_REFERENCES");
    std::string path =
        std::string("Z:") + (root ? root : "") + "/" + corpusFile.substr(corpusFile.find_last_of('\\') + 1) + ".png";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return GdiplusPixels(ReadAll(path), pcx, pcy);
}

// GDI+'s library fills in subsampled colour (4:2:0 and coarser) in a way of its own; on small
// pictures of strong colours (icc-profile.jpeg: 48 x 48) or a subsampled red (video-001.rgb.jpeg)
// the two decodes part further. ImageMagick, on Debian's libjpeg-turbo, gives our pixels.
double MinPsnrAgainstGdiplus(const std::string& path) {
    if (path.find("icc-profile.jpeg") != std::string::npos)
        return 32;
    if (path.find("video-001.rgb.jpeg") != std::string::npos)
        return 30;
    if (path.find("cmyk") != std::string::npos)
        return 35;
    return 40;
}

// A reduction of a picture whose colour is subsampled further than 2 x 2 (4:1:1, 4:1:0, the odd
// sampling of video-001.221212), or of subsampled red, keeps less colour than the area average of
// the whole: at an eighth, one colour sample spans four output pixels. CMYK's conversion is not
// linear, so the average of converted pixels is not the conversion of averaged ones.
double MinReducedPsnr(const std::string& path) {
    const struct {
        const char* pszName;
        double dMin;
    } rows[] = {{"video-001.q50.411", 25}, {"video-001.q50.410", 30}, {"video-001.rgb", 29},
                {"icc-profile", 30},       {"video-001.221212", 31},  {"video-001.cmyk", 31}};
    for (const auto& row : rows)
        if (path.find(row.pszName) != std::string::npos)
            return row.dMin;
    return 36;
}

UINT Reduced(UINT n, int nScale) {
    return (n + static_cast<UINT>(nScale) - 1) / static_cast<UINT>(nScale);
}

class JpegTest : public GdiPlusTest {};

TEST_F(JpegTest, EveryCorpusJpegDecodesAsGdiplusDoes) {
    const std::vector<std::string> files = CorpusJpegs();
    ASSERT_GE(files.size(), 30u);
    int nProgressive = 0, nCmyk = 0;
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const std::string bytes = ReadAll(path);
        JpegInfo info;
        ASSERT_TRUE(ReadJpegInfo(bytes.data(), bytes.size(), &info));
        nProgressive += info.bProgressive;
        nCmyk += info.bCmyk;
        CDecodedImage image;
        ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), 1, &image));
        EXPECT_EQ(info.nWidth, image.nWidth);
        EXPECT_EQ(info.nHeight, image.nHeight);
        ASSERT_EQ(1u, image.frames.size());
        EXPECT_FALSE(image.bHasAlpha);
        EXPECT_FALSE(image.bLossless);
        // What the file says about showing it, as for every other decoder; a CMYK picture's
        // profile is used up in its conversion.
        const CShowingInfo showing = ReadShowingInfo(bytes.data(), bytes.size());
        EXPECT_EQ(showing.nOrientation, image.nOrientation);
        EXPECT_EQ(info.bCmyk ? std::vector<uint8_t>() : showing.icc, image.icc);
        UINT cx = 0, cy = 0;
        const std::vector<UINT> reference = GdiplusPixels(bytes, &cx, &cy);
        ASSERT_EQ(cx, image.nWidth);
        ASSERT_EQ(cy, image.nHeight);
        const std::vector<UINT> ours = AsArgb(image.frames[0]);
        for (UINT px : ours)
            ASSERT_EQ(0xFF000000u, px & 0xFF000000u);
        EXPECT_GE(Psnr(reference, ours), MinPsnrAgainstGdiplus(path));
        if (!info.bCmyk) {
            const std::vector<UINT> magick = ReferencePixels(path, &cx, &cy);
            ASSERT_EQ(ours.size(), magick.size());
            EXPECT_GE(Psnr(magick, ours), 50.0);
        }
    }
    EXPECT_GE(nProgressive, 5);
    EXPECT_GE(nCmyk, 1);
}

TEST_F(JpegTest, EachReductionInTheDctIsCloseToTheAreaAverageOfTheWhole) {
    for (const std::string& path : CorpusJpegs()) {
        SCOPED_TRACE(path);
        const std::string bytes = ReadAll(path);
        CDecodedImage whole;
        ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), 1, &whole));
        for (int nScale : {2, 4, 8}) {
            SCOPED_TRACE(nScale);
            const UINT cx = Reduced(whole.nWidth, nScale), cy = Reduced(whole.nHeight, nScale);
            CDecodedImage reduced;
            ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), nScale, &reduced));
            ASSERT_EQ(cx, reduced.nWidth);
            ASSERT_EQ(cy, reduced.nHeight);
            EXPECT_EQ(whole.nOrientation, reduced.nOrientation);
            EXPECT_EQ(whole.icc, reduced.icc);
            // Compared where the two cover the same pixels: the whole blocks of nScale x nScale.
            const UINT nFullWidth = whole.nWidth / nScale, nFullHeight = whole.nHeight / nScale;
            if (nFullWidth == 0 || nFullHeight == 0)
                continue;
            CDecodedFrame average;
            AreaDownscale(Cut(whole, 0, 0, nFullWidth * nScale, nFullHeight * nScale), nFullWidth * nScale,
                          nFullHeight * nScale, nFullWidth, nFullHeight, &average);
            const double dPsnr = Psnr(AsArgb(average), AsArgb(Cut(reduced, 0, 0, nFullWidth, nFullHeight)));
            EXPECT_GE(dPsnr, MinReducedPsnr(path));
        }
    }
}

TEST_F(JpegTest, TheScaleForADrawnSizeIsTheSmallestReductionAtLeastAsLarge) {
    const struct {
        UINT cx, cy, nMinWidth, nMinHeight;
        int nScale;
    } rows[] = {
        {5120, 2880, 1000, 563, 4},  // 1280 x 720 is the smallest at least 1000 x 563
        {5120, 2880, 640, 360, 8},   // exactly an eighth
        {5120, 2880, 641, 360, 4},   // one pixel more than an eighth
        {5120, 2880, 1280, 721, 2},
        {5120, 2880, 2561, 100, 1},
        {5120, 2880, 6000, 4000, 1},  // larger than the picture: never enlarged, the whole
        {5120, 2880, 0, 300, 1},      // a side not wanted: the whole
        {5120, 2880, 300, 0, 1},
        {150, 103, 19, 13, 8},  // sides rounded up: 19 x 13 at an eighth
        {150, 103, 19, 14, 4},
        {3120, 4208, 468, 632, 4},  // a portrait fitted in 1000 x 632 after its turn
        {1, 1, 1, 1, 8},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.nScale, JpegScaleFor(row.cx, row.cy, row.nMinWidth, row.nMinHeight))
            << row.cx << " x " << row.cy << " for " << row.nMinWidth << " x " << row.nMinHeight;
}

// A frame of BGRA pixels given as 0xAARRGGBB.
CDecodedFrame FrameOf(const std::vector<UINT>& argb) {
    CDecodedFrame frame;
    frame.pixels.resize(argb.size() * 4);
    memcpy(frame.pixels.data(), argb.data(), frame.pixels.size());
    return frame;
}

TEST(AreaDownscaleTest, EachPixelIsTheMeanOfTheAreaItCovers) {
    const struct {
        UINT cx, cy;
        std::vector<UINT> in;
        UINT nNewWidth, nNewHeight;
        std::vector<UINT> out;
    } rows[] = {
        // Halves: each output pixel the mean of two by two.
        {4,
         2,
         {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFFFFFF, 0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFFFFFF},
         2,
         1,
         {0xFF000080, 0xFF80FF80}},
        // Three to two: each output pixel covers one and a half, the middle one shared half and half:
        // (0 + 90 / 2) / 1.5 = 30, (90 / 2 + 180) / 1.5 = 150.
        {3, 1, {0xFF000000, 0xFF5A5A5A, 0xFFB4B4B4}, 2, 1, {0xFF1E1E1E, 0xFF969696}},
        // Three to one, a column: the plain mean.
        {1, 3, {0xFF030303, 0xFF060606, 0xFF0C0C0C}, 1, 1, {0xFF070707}},
        // The same size: unchanged.
        {2, 1, {0xFF123456, 0xFF654321}, 2, 1, {0xFF123456, 0xFF654321}},
        // A transparent pixel gives none of its colour, only its share of the alpha.
        {2, 1, {0x00FF0000, 0xFF0000FF}, 1, 1, {0x800000FF}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.cx << " x " << row.cy << " to " << row.nNewWidth << " x "
                                        << row.nNewHeight);
        CDecodedFrame out;
        AreaDownscale(FrameOf(row.in), row.cx, row.cy, row.nNewWidth, row.nNewHeight, &out);
        ASSERT_EQ(row.out.size() * 4, out.pixels.size());
        std::vector<UINT> argb(row.out.size());
        memcpy(argb.data(), out.pixels.data(), out.pixels.size());
        for (size_t i = 0; i < argb.size(); ++i)
            EXPECT_EQ(row.out[i], argb[i]) << std::hex << i;
    }
    // Larger than the source: nothing.
    CDecodedFrame out;
    AreaDownscale(FrameOf({1, 2}), 2, 1, 3, 1, &out);
    EXPECT_TRUE(out.pixels.empty());
}

TEST_F(JpegTest, ArithmeticCodingIsLeftToGdiplus) {
    const std::string path = TestPicture("arithmetic.jpg");
    const std::string bytes = ReadAll(path);
    ASSERT_FALSE(bytes.empty()) << path;
    JpegInfo info;
    ASSERT_TRUE(ReadJpegInfo(bytes.data(), bytes.size(), &info));
    EXPECT_EQ(150u, info.nWidth);
    CDecodedImage image;
    for (int nScale : {1, 8})
        EXPECT_EQ(JpegDecode::Refused, DecodeJpeg(bytes.data(), bytes.size(), nScale, &image));
    EXPECT_TRUE(image.frames.empty());
    // And GDI+ does read it.
    EXPECT_TRUE(GdiplusReads(bytes));
}

TEST_F(JpegTest, ATruncatedFileIsUnreadableAsGdiplusHasIt) {
    int nRows = 0;
    for (const char* name : {"jpeg/video-001.jpeg", "jpeg/video-001.progressive.jpeg", "jpeg/video-005.gray.jpeg",
                             "jpeg/video-001.cmyk.jpeg"}) {
        const std::string whole = ReadAll(CorpusPath(name));
        ASSERT_FALSE(whole.empty()) << name;
        for (double dPart : {0.1, 0.3, 0.6, 0.9, 0.99}) {
            const std::string bytes = whole.substr(0, static_cast<size_t>(whole.size() * dPart));
            SCOPED_TRACE(testing::Message() << name << " cut to " << bytes.size() << " bytes");
            CDecodedImage image;
            const JpegDecode result = DecodeJpeg(bytes.data(), bytes.size(), 1, &image);
            EXPECT_EQ(GdiplusReads(bytes), result == JpegDecode::Decoded);
            EXPECT_EQ(JpegDecode::Unreadable, result);
            ++nRows;
        }
    }
    EXPECT_EQ(20, nRows);
    // Not a JPEG at all: the next decoder's.
    CDecodedImage image;
    EXPECT_EQ(JpegDecode::NotOurs, DecodeJpeg("\x89PNG\r\n\x1a\n", 8, 1, &image));
    EXPECT_EQ(JpegDecode::NotOurs, DecodeJpeg("\xFF\xD8", 2, 1, &image));
    JpegInfo info;
    EXPECT_FALSE(ReadJpegInfo("\xFF\xD8\xFF\xE0", 4, &info));
}

TEST_F(JpegTest, ARegionIsThatRectangleOfTheWholeDecodeAtItsScale) {
    const struct {
        const char* pszFile;
        RECT rc;  // in pixels of the full picture
    } rows[] = {
        {"jpeg/flower.png.im_q85_420_R13B.jpg", {0, 0, 300, 200}},          // a corner, 4:2:0 with restarts
        {"jpeg/flower.png.im_q85_420_R13B.jpg", {333, 517, 1021, 911}},     // off every block edge
        {"jpeg/flower.png.im_q85_420_progr.jpg", {1000, 700, 2268, 1512}},  // to the far corner, progressive
        {"jpeg/tower_progressive.jpg", {100, 3, 101, 500}},                 // one column
        {"jpeg/video-001.q50.411.jpeg", {37, 41, 149, 60}},                 // 4:1:1
        {"jpeg/video-001.221212.jpeg", {8, 16, 72, 88}},                    // odd sampling, on block edges
        {"jpeg/video-005.gray.jpeg", {-20, -20, 500, 60}},                  // clipped to the picture
        {"jpeg/video-001.cmyk.jpeg", {30, 20, 120, 90}},
        {"jpeg/wide-8000x50.jpg", {7000, 10, 7999, 50}},
    };
    for (const auto& row : rows) {
        const std::string bytes = ReadAll(CorpusPath(row.pszFile));
        ASSERT_FALSE(bytes.empty()) << row.pszFile;
        for (int nScale : {1, 2, 4, 8}) {
            SCOPED_TRACE(testing::Message() << row.pszFile << " (" << row.rc.left << ", " << row.rc.top << ", "
                                            << row.rc.right << ", " << row.rc.bottom << ") at 1/" << nScale);
            CDecodedImage whole, region;
            ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), nScale, &whole));
            ASSERT_EQ(JpegDecode::Decoded, DecodeJpegRegion(bytes.data(), bytes.size(), row.rc, nScale, &region));
            JpegInfo info;
            ASSERT_TRUE(ReadJpegInfo(bytes.data(), bytes.size(), &info));
            const LONG left = std::max<LONG>(row.rc.left, 0), top = std::max<LONG>(row.rc.top, 0);
            const LONG right = std::min<LONG>(row.rc.right, LONG(info.nWidth));
            const LONG bottom = std::min<LONG>(row.rc.bottom, LONG(info.nHeight));
            const UINT x = UINT(left) / nScale, y = UINT(top) / nScale;
            const UINT cx = std::min(Reduced(UINT(right - left), nScale), whole.nWidth - x);
            const UINT cy = std::min(Reduced(UINT(bottom - top), nScale), whole.nHeight - y);
            ASSERT_EQ(cx, region.nWidth);
            ASSERT_EQ(cy, region.nHeight);
            EXPECT_EQ(whole.nOrientation, region.nOrientation);
            EXPECT_EQ(whole.icc, region.icc);
            const std::vector<UINT> cut = AsArgb(Cut(whole, x, y, cx, cy)), ours = AsArgb(region.frames[0]);
            // The library fills in subsampled colour at the region's right edge as at the picture's
            // (documented for its cropping): the last column may differ a little, nothing else.
            for (size_t i = 0; i < cut.size(); ++i) {
                const bool bEdge = i % cx == cx - 1;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = abs(int((cut[i] >> shift) & 0xFF) - int((ours[i] >> shift) & 0xFF));
                    ASSERT_LE(d, bEdge ? 6 : 0) << "pixel " << i % cx << ", " << i / cx;
                }
            }
        }
    }
    // Nothing of the picture inside: nothing to decode.
    const std::string bytes = ReadAll(CorpusPath("jpeg/video-001.jpeg"));
    CDecodedImage none;
    for (const RECT& rc : {RECT{150, 0, 300, 50}, RECT{10, 10, 10, 50}, RECT{40, 30, 20, 60}})
        EXPECT_EQ(JpegDecode::Unreadable, DecodeJpegRegion(bytes.data(), bytes.size(), rc, 1, &none));
    EXPECT_TRUE(none.frames.empty());
}

// Root-mean-square difference of red, green and blue, in levels.
double Rmse(const std::vector<UINT>& a, const std::vector<UINT>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double d = double((a[i] >> shift) & 0xFF) - double((b[i] >> shift) & 0xFF);
            sum += d * d;
        }
    return sqrt(sum / (3.0 * a.size()));
}

TEST_F(JpegTest, ACmykPictureIsConvertedThroughItsProfile) {
    const std::string path = TestPicture("cmyk-profiled.jpg");
    const std::string bytes = ReadAll(path);
    ASSERT_FALSE(bytes.empty()) << path;
    JpegInfo info;
    ASSERT_TRUE(ReadJpegInfo(bytes.data(), bytes.size(), &info));
    EXPECT_TRUE(info.bCmyk);
    ASSERT_FALSE(ReadShowingInfo(bytes.data(), bytes.size()).icc.empty());
    UINT cx = 0, cy = 0;
    const std::vector<UINT> reference = ReferencePixels(path, &cx, &cy);
    ASSERT_EQ(150u, cx);
    // GDI+ ignores the profile: its naive colours are as far from the reference as a profile
    // makes them, which the bound below would not let through.
    UINT gx = 0, gy = 0;
    const std::vector<UINT> naive = GdiplusPixels(bytes, &gx, &gy);
    ASSERT_EQ(reference.size(), naive.size());
    EXPECT_GT(Rmse(reference, naive), 10.0);
    for (int nScale : {1, 2}) {
        SCOPED_TRACE(nScale);
        CDecodedImage image;
        ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), nScale, &image));
        EXPECT_TRUE(image.icc.empty());  // used up: the pixels are the display's now
        std::vector<UINT> ours = AsArgb(image.frames[0]);
        for (UINT px : ours)
            ASSERT_EQ(0xFF000000u, px & 0xFF000000u);
        if (nScale == 1) {
            ASSERT_EQ(reference.size(), ours.size());
            // The engine's precalculated table against ImageMagick's conversion: 4.4 levels.
            EXPECT_LE(Rmse(reference, ours), 5.0);
        } else {
            // The region through the same conversion.
            CDecodedImage region;
            ASSERT_EQ(JpegDecode::Decoded,
                      DecodeJpegRegion(bytes.data(), bytes.size(), RECT{20, 10, 100, 90}, nScale, &region));
            EXPECT_EQ(AsArgb(Cut(image, 10, 5, 40, 40)), AsArgb(region.frames[0]));
        }
    }
}

// The frame header of a copy of the file announcing another size.
std::string WithSize(std::string bytes, UINT cx, UINT cy) {
    const size_t sof = bytes.find("\xFF\xC0", 2);
    if (sof == std::string::npos || sof + 9 > bytes.size())
        return std::string();
    bytes[sof + 5] = static_cast<char>(cy >> 8);
    bytes[sof + 6] = static_cast<char>(cy);
    bytes[sof + 7] = static_cast<char>(cx >> 8);
    bytes[sof + 8] = static_cast<char>(cx);
    return bytes;
}

TEST_F(JpegTest, APictureWhoseOutputWouldPass2GiBIsUnreadableButDecodesReduced) {
    // 30000 x 20000 is 2.4 GB at 32 bits a pixel; an eighth of each side is 37.5 MB. The data is
    // the small picture's: the rest decodes grey, as GDI+ decodes a file whose data ends early.
    const std::string bytes = WithSize(ReadAll(CorpusPath("jpeg/video-001.jpeg")), 30000, 20000);
    ASSERT_FALSE(bytes.empty());
    CDecodedImage image;
    EXPECT_EQ(JpegDecode::Unreadable, DecodeJpeg(bytes.data(), bytes.size(), 1, &image));
    EXPECT_TRUE(image.frames.empty());
    ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(bytes.data(), bytes.size(), 8, &image));
    EXPECT_EQ(3750u, image.nWidth);
    EXPECT_EQ(2500u, image.nHeight);
    // The picture's own corner is there, and the bottom right is the grey of no data.
    const uint8_t* pLast = image.frames[0].pixels.data() + image.frames[0].pixels.size() - 4;
    EXPECT_NEAR(128, pLast[1], 2);
    const std::string small = ReadAll(CorpusPath("jpeg/video-001.jpeg"));
    CDecodedImage reduced;
    ASSERT_EQ(JpegDecode::Decoded, DecodeJpeg(small.data(), small.size(), 8, &reduced));
    EXPECT_EQ(0, memcmp(reduced.frames[0].pixels.data(), image.frames[0].pixels.data(), 4 * 8));
}

TEST_F(JpegTest, TheWorkingMemoryOfAHugeProgressiveFileIsRefusedAsUnreadable) {
    // 22500 x 33300, progressive: its coefficients alone take 4.5 GB whatever the scale.
    const std::string bytes = ReadAll(CorpusPath("large/large.jpg"));
    ASSERT_FALSE(bytes.empty());
    JpegInfo info;
    ASSERT_TRUE(ReadJpegInfo(bytes.data(), bytes.size(), &info));
    EXPECT_EQ(22500u, info.nWidth);
    EXPECT_EQ(33300u, info.nHeight);
    EXPECT_TRUE(info.bProgressive);
    CDecodedImage image;
    EXPECT_EQ(JpegDecode::Unreadable, DecodeJpeg(bytes.data(), bytes.size(), 1, &image));
    EXPECT_EQ(JpegDecode::Unreadable, DecodeJpeg(bytes.data(), bytes.size(), 8, &image));
    EXPECT_TRUE(image.frames.empty());
}

TEST_F(JpegTest, TheMalformedCorpusGivesNoCrash) {
    for (const std::string& path : CorpusFiles("malformed")) {
        SCOPED_TRACE(path);
        const std::string bytes = ReadAll(path);
        CDecodedImage image;
        const JpegDecode result = DecodeJpeg(bytes.data(), bytes.size(), 1, &image);
        if (!IsJpegName(path)) {
            EXPECT_EQ(JpegDecode::NotOurs, result);
        } else if (result == JpegDecode::Decoded) {
            EXPECT_EQ(size_t(image.nWidth) * image.nHeight * 4, image.frames[0].pixels.size());
        }
    }
}

struct XorShift {
    uint32_t s;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

TEST_F(JpegTest, SeededMutationsGiveASanePictureOrAnError) {
    XorShift rng = {20261210};
    int nDecoded = 0, nFailed = 0;
    for (const char* name : {"jpeg/video-001.jpeg", "jpeg/video-001.progressive.jpeg", "jpeg/video-001.cmyk.jpeg",
                             "jpeg/video-005.gray.jpeg", "jpeg/video-001.q50.410.jpeg", "jpeg/video-001.rgb.jpeg",
                             "jpeg/video-001.separate.dc.progression.jpeg", "jpeg/orientation_6.jpg"}) {
        const std::string original = ReadAll(CorpusPath(name));
        ASSERT_FALSE(original.empty()) << name;
        for (int m = 0; m < 250; ++m) {
            std::string bytes = original;
            switch (rng.Next() % 4) {
                case 0:
                    bytes.resize(3 + rng.Next() % (bytes.size() - 3));
                    break;
                case 1:
                    for (uint32_t k = 1 + rng.Next() % 8; k > 0; --k)
                        bytes[rng.Next() % bytes.size()] = static_cast<char>(rng.Next());
                    break;
                case 2:  // the headers: sizes, tables, the scan's components
                    bytes[2 + rng.Next() % std::min<size_t>(bytes.size() - 2, 700)] = static_cast<char>(rng.Next());
                    break;
                default:
                    for (uint32_t k = 1 + rng.Next() % 16; k > 0; --k)
                        bytes[rng.Next() % bytes.size()] ^= static_cast<char>(1u << (rng.Next() % 8));
                    break;
            }
            const int nScale = 1 << (rng.Next() % 4);
            CDecodedImage image;
            JpegDecode result;
            if (rng.Next() % 2) {
                result = DecodeJpeg(bytes.data(), bytes.size(), nScale, &image);
            } else {
                const RECT rc = {LONG(rng.Next() % 160), LONG(rng.Next() % 110), LONG(rng.Next() % 200),
                                 LONG(rng.Next() % 140)};
                result = DecodeJpegRegion(bytes.data(), bytes.size(), rc, nScale, &image);
            }
            if (bytes.compare(0, 3, "\xFF\xD8\xFF") != 0) {
                EXPECT_EQ(JpegDecode::NotOurs, result);
                continue;
            }
            ASSERT_NE(JpegDecode::NotOurs, result) << name << " mutation " << m;
            if (result != JpegDecode::Decoded) {
                ++nFailed;
                EXPECT_TRUE(image.frames.empty());
                continue;
            }
            ++nDecoded;
            ASSERT_GE(image.nWidth, 1u);
            ASSERT_GE(image.nHeight, 1u);
            ASSERT_EQ(1u, image.frames.size());
            ASSERT_EQ(size_t(image.nWidth) * image.nHeight * 4, image.frames[0].pixels.size());
        }
    }
    EXPECT_GT(nDecoded, 300);
    EXPECT_GT(nFailed, 300);
}
}  // namespace
