// Our own decoders: every WebP of the corpus decoded to the size, frames, coding and pixels that
// ImageMagick's references give; the malformed corpus and thousands of seeded mutations of the
// WebP files met without a crash or a hang, each result a sane picture or unreadable; a still
// WebP written and read back.
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "framework/AfxGdiPlus.h"
#include "framework/GdiPlus.h"
#include "picture/OwnDecoders.h"
#include "picture/WebpCodec.h"

namespace {
std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

std::string ReferencePath(const std::string& corpusFile) {
    const char* root = getenv("MORVANE_REFERENCES");
    std::string name = corpusFile.substr(corpusFile.find_last_of('\\') + 1);
    std::string path = std::string("Z:") + (root ? root : "") + "/" + name + ".png";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// BGRA rows of a picture file as GDI+ reads it, or empty.
std::vector<uint8_t> PixelsOf(const std::string& path, UINT* pcx, UINT* pcy) {
    std::vector<uint8_t> pixels;
    std::wstring wide(path.begin(), path.end());
    Gdiplus::Bitmap bitmap(wide.c_str());
    *pcx = bitmap.GetWidth();
    *pcy = bitmap.GetHeight();
    Gdiplus::Rect rc(0, 0, static_cast<INT>(*pcx), static_cast<INT>(*pcy));
    Gdiplus::BitmapData data;
    if (*pcx == 0 || bitmap.LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return pixels;
    for (UINT y = 0; y < *pcy; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        pixels.insert(pixels.end(), row, row + *pcx * 4);
    }
    bitmap.UnlockBits(&data);
    return pixels;
}

// Peak signal-to-noise ratio of two equal-sized BGRA pictures, each composed on white first.
double PsnrOnWhite(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i + 3 < a.size(); i += 4)
        for (int c = 0; c < 3; ++c) {
            const double va = (a[i + c] * a[i + 3] + 255.0 * (255 - a[i + 3])) / 255.0;
            const double vb = (b[i + c] * b[i + 3] + 255.0 * (255 - b[i + 3])) / 255.0;
            sum += (va - vb) * (va - vb);
        }
    const double mse = sum / (a.size() / 4 * 3);
    return mse == 0 ? 99.0 : 10.0 * log10(255.0 * 255.0 / mse);
}

struct WebpRow {
    const char* pszFile;
    UINT cx, cy;
    size_t nFrames;
    bool bLossless, bAlpha;
    double dMinPsnr;  // against ImageMagick's decode of the first frame
};
const WebpRow kWebpRows[] = {
    {"webp/blue-purple-pink.lossless.webp", 150, 100, 1, true, false, 99},
    {"webp/blue-purple-pink.lossy.webp", 150, 100, 1, false, false, 45},
    {"webp/blue-purple-pink-large.normal-filter.lossy.webp", 600, 400, 1, false, false, 45},
    {"webp/yellow_rose.lossy-with-alpha.webp", 400, 301, 1, false, true, 45},
    {"webp/gopher-doc.1bpp.lossless.webp", 75, 100, 1, true, false, 99},
    {"webp/tux.lossless.webp", 386, 395, 1, true, true, 99},
    {"webp/video-001.lossy.webp", 150, 103, 1, false, false, 45},
    {"webp/test.webp", 128, 128, 1, false, false, 45},
    {"webp/anim-aero.webp", 350, 189, 56, true, true, 99},
    {"webp/anim-throbber.webp", 32, 32, 8, true, true, 99},
    {"webp/anim-traffic_light.webp", 60, 105, 4, false, true, 45},
};

class OwnDecoderTest : public ::testing::Test {
protected:
    CGdiPlusSession m_gdiplus;
};

TEST_F(OwnDecoderTest, EveryCorpusWebpDecodesAsImageMagickDoes) {
    for (const WebpRow& row : kWebpRows) {
        SCOPED_TRACE(row.pszFile);
        const std::string path = CorpusPath(row.pszFile);
        const std::vector<uint8_t> bytes = ReadAll(path);
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(IsOwnFormat(bytes.data(), kOwnFormatLeadBytes));
        CDecodedImage image;
        ASSERT_EQ(OwnDecode::Decoded, DecodeOwnFormat(bytes.data(), bytes.size(), &image));
        EXPECT_EQ("WEBP", image.strFormat);
        EXPECT_EQ(row.cx, image.nWidth);
        EXPECT_EQ(row.cy, image.nHeight);
        ASSERT_EQ(row.nFrames, image.frames.size());
        EXPECT_TRUE(image.bAllFrames);
        EXPECT_EQ(row.bLossless, image.bLossless);
        EXPECT_EQ(row.bAlpha, image.bHasAlpha);
        if (row.nFrames > 1) {
            for (const CDecodedFrame& frame : image.frames)
                EXPECT_GT(frame.nDelayMs, 0u);
        } else {
            EXPECT_EQ(0u, image.frames[0].nDelayMs);
        }
        UINT cx = 0, cy = 0;
        const std::vector<uint8_t> reference = PixelsOf(ReferencePath(path), &cx, &cy);
        ASSERT_EQ(row.cx, cx) << ReferencePath(path);
        ASSERT_EQ(row.cy, cy);
        EXPECT_GE(PsnrOnWhite(image.frames[0].pixels, reference), row.dMinPsnr);
        // As the view gets it: a GDI+ bitmap of the first frame, opaque pictures without alpha.
        std::unique_ptr<Gdiplus::Bitmap> pBitmap = MakeBitmap(image);
        ASSERT_TRUE(pBitmap);
        EXPECT_EQ(row.bAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB, pBitmap->GetPixelFormat());
    }
}

TEST_F(OwnDecoderTest, AnAnimationKeepsItsDelaysAndComposesItsFrames) {
    const std::vector<uint8_t> bytes = ReadAll(CorpusPath("webp/anim-traffic_light.webp"));
    CDecodedImage image;
    ASSERT_EQ(OwnDecode::Decoded, DecodeOwnFormat(bytes.data(), bytes.size(), &image));
    ASSERT_EQ(4u, image.frames.size());
    // Each frame is a whole canvas, and the lights change from frame to frame.
    for (size_t i = 0; i < image.frames.size(); ++i) {
        EXPECT_EQ(size_t(60) * 105 * 4, image.frames[i].pixels.size());
        if (i > 0) {
            EXPECT_NE(image.frames[i - 1].pixels, image.frames[i].pixels) << i;
        }
    }
}

TEST_F(OwnDecoderTest, ACanvasAnnouncedWiderThanAWebpSideIsUnreadable) {
    // The animation's VP8X header holds its canvas width less one in the 24 bits at offset 24;
    // the frames fit on any wider canvas.
    const std::vector<uint8_t> original = ReadAll(CorpusPath("webp/anim-traffic_light.webp"));
    ASSERT_GT(original.size(), 30u);
    ASSERT_EQ(0, memcmp(original.data() + 12, "VP8X", 4));
    const struct {
        UINT cx;
        OwnDecode result;
    } rows[] = {
        {kWebpMaxSide, OwnDecode::Decoded}, {kWebpMaxSide + 1, OwnDecode::Unreadable}, {20000, OwnDecode::Unreadable}};
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes = original;
        bytes[24] = static_cast<uint8_t>(row.cx - 1);
        bytes[25] = static_cast<uint8_t>((row.cx - 1) >> 8);
        bytes[26] = static_cast<uint8_t>((row.cx - 1) >> 16);
        CDecodedImage image;
        EXPECT_EQ(row.result, DecodeOwnFormat(bytes.data(), bytes.size(), &image)) << row.cx;
        EXPECT_EQ(row.result == OwnDecode::Decoded ? row.cx : 0u, image.nWidth);
    }
}

TEST_F(OwnDecoderTest, TheMalformedCorpusIsNeverTakenForOurs) {
    for (const std::string& path : CorpusFiles("malformed")) {
        SCOPED_TRACE(path);
        const std::vector<uint8_t> bytes = ReadAll(path);
        CDecodedImage image;
        EXPECT_EQ(OwnDecode::NotOurs, DecodeOwnFormat(bytes.data(), bytes.size(), &image));
        EXPECT_TRUE(image.frames.empty());
    }
}

// A small deterministic generator, so every run meets the same mutations.
struct XorShift {
    uint32_t s;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

TEST_F(OwnDecoderTest, SeededMutationsOfEveryWebpGiveASanePictureOrUnreadable) {
    XorShift rng = {20261210};
    int nDecoded = 0, nUnreadable = 0;
    for (const WebpRow& row : kWebpRows) {
        const std::vector<uint8_t> original = ReadAll(CorpusPath(row.pszFile));
        ASSERT_FALSE(original.empty());
        // Fewer of the long animations: each of their mutations decodes dozens of frames.
        const int nMutations = row.nFrames > 10 ? 60 : 300;
        for (int m = 0; m < nMutations; ++m) {
            std::vector<uint8_t> bytes = original;
            switch (rng.Next() % 4) {
                case 0:  // truncated
                    bytes.resize(rng.Next() % bytes.size());
                    break;
                case 1:  // a few bytes anywhere
                    for (uint32_t k = 1 + rng.Next() % 8; k > 0; --k)
                        bytes[rng.Next() % bytes.size()] = static_cast<uint8_t>(rng.Next());
                    break;
                case 2:  // a byte of the headers, where the sizes and chunk lengths are
                    bytes[rng.Next() % std::min<size_t>(bytes.size(), 64)] = static_cast<uint8_t>(rng.Next());
                    break;
                default:  // bits flipped anywhere
                    for (uint32_t k = 1 + rng.Next() % 16; k > 0; --k)
                        bytes[rng.Next() % bytes.size()] ^= static_cast<uint8_t>(1u << (rng.Next() % 8));
                    break;
            }
            CDecodedImage image;
            const OwnDecode result = DecodeOwnFormat(bytes.data(), bytes.size(), &image);
            if (!IsWebp(bytes.data(), bytes.size())) {
                EXPECT_EQ(OwnDecode::NotOurs, result);
                continue;
            }
            ASSERT_NE(OwnDecode::NotOurs, result) << row.pszFile << " mutation " << m;
            if (result == OwnDecode::Unreadable) {
                ++nUnreadable;
                EXPECT_TRUE(image.frames.empty());
                continue;
            }
            ++nDecoded;
            ASSERT_GE(image.nWidth, 1u);
            ASSERT_LE(image.nWidth, kWebpMaxSide);
            ASSERT_GE(image.nHeight, 1u);
            ASSERT_LE(image.nHeight, kWebpMaxSide);
            ASSERT_FALSE(image.frames.empty());
            for (const CDecodedFrame& frame : image.frames)
                ASSERT_EQ(size_t(image.nWidth) * image.nHeight * 4, frame.pixels.size());
        }
    }
    // Both outcomes were met: the mutations reached the decoder, not only the header checks.
    EXPECT_GT(nDecoded, 100);
    EXPECT_GT(nUnreadable, 100);
}

TEST_F(OwnDecoderTest, AStillWebpWrittenReadsBackLosslessOrAtQuality90) {
    const std::vector<uint8_t> bytes = ReadAll(CorpusPath("webp/tux.lossless.webp"));
    CDecodedImage source;
    ASSERT_EQ(OwnDecode::Decoded, DecodeOwnFormat(bytes.data(), bytes.size(), &source));
    for (bool bLossless : {true, false}) {
        SCOPED_TRACE(bLossless);
        std::vector<uint8_t> written;
        ASSERT_TRUE(EncodeWebp(source.frames[0].pixels.data(), source.nWidth, source.nHeight, source.nWidth * 4, true,
                               bLossless, &written));
        CDecodedImage back;
        ASSERT_EQ(OwnDecode::Decoded, DecodeOwnFormat(written.data(), written.size(), &back));
        EXPECT_EQ(bLossless, back.bLossless);
        EXPECT_TRUE(back.bHasAlpha);
        ASSERT_EQ(source.nWidth, back.nWidth);
        ASSERT_EQ(source.nHeight, back.nHeight);
        const double psnr = PsnrOnWhite(source.frames[0].pixels, back.frames[0].pixels);
        if (bLossless)
            EXPECT_EQ(99.0, psnr);
        else
            EXPECT_GT(psnr, 30.0);
    }
    std::vector<uint8_t> none;
    EXPECT_FALSE(
        EncodeWebp(source.frames[0].pixels.data(), kWebpMaxSide + 1, 1, (kWebpMaxSide + 1) * 4, true, true, &none));
}
}  // namespace
