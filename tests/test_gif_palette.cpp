// The palette a GIF is written with: a picture of few colours keeps exactly its own, a
// photograph-like one gets colours chosen from it and its error diffused, and no picture gets
// more entries than a GIF holds or an index outside its palette.
#include <gtest/gtest.h>

#include <stdint.h>

#include <algorithm>
#include <set>
#include <vector>

#include "TestUtil.h"
#include "view/GifPalette.h"

namespace {
// A picture in rows of nStride bytes (at least 4 per pixel), its indices in rows of nIndexStride.
struct Picture {
    int w, h, stride, indexStride;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> indices;
    Picture(int width, int height, int padPixels = 0, int padIndices = 0)
        : w(width),
          h(height),
          stride(4 * (width + padPixels)),
          indexStride(width + padIndices),
          pixels(size_t(width + padPixels) * height, 0xDEADBEEF),
          indices(size_t(width + padIndices) * height, 0xEE) {}
    uint32_t& at(int x, int y) { return pixels[size_t(y) * (stride / 4) + x]; }
    uint8_t index(int x, int y) const { return indices[size_t(y) * indexStride + x]; }
    std::vector<uint32_t> Reduce() { return ReduceToPalette(pixels.data(), w, h, stride, indices.data(), indexStride); }
    // The pixels as the palette gives them back, and as they are, both opaque, without padding.
    std::vector<UINT> Rebuilt(const std::vector<uint32_t>& palette) const {
        std::vector<UINT> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.push_back(palette.at(index(x, y)));
        return out;
    }
    std::vector<UINT> Original() const {
        std::vector<UINT> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.push_back(0xFF000000 | (pixels[size_t(y) * (stride / 4) + x] & 0xFFFFFF));
        return out;
    }
};

// A small deterministic noise source, so every run sees the same picture.
struct Lcg {
    uint32_t s = 12345;
    int Next(int range) {
        s = s * 1664525u + 1013904223u;
        return int((s >> 8) % uint32_t(range));
    }
};

uint32_t Rgb(int r, int g, int b, int a = 255) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// A photograph-like picture: smooth gradients in three directions, a soft round highlight and a
// little grain, some tens of thousands of colours.
Picture GradientPhoto() {
    Picture p(320, 240);
    Lcg noise;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            int dx = x - 200, dy = y - 90;
            int glow = std::max(0, 90 - (dx * dx + dy * dy) / 60);
            int r = std::min(255, x * 255 / 319 * 3 / 4 + glow + noise.Next(5));
            int g = std::min(255, y * 255 / 239 * 2 / 3 + glow / 2 + noise.Next(5));
            int b = std::min(255, 255 - (x + y) * 255 / 558 + noise.Next(5));
            p.at(x, y) = Rgb(r, g, b);
        }
    return p;
}
}  // namespace

TEST(GifPalette, FewColoursComeBackExactly) {
    // {colours, width, height, row padding of pixels and of indices, alpha varies}
    struct Case {
        int colours, w, h, pad, indexPad;
        bool alphaVaries;
    } cases[] = {{1, 1, 1, 0, 0, false},     {2, 7, 5, 1, 3, false},    {17, 33, 9, 0, 3, true},
                 {255, 40, 40, 2, 1, false}, {256, 64, 32, 0, 0, true}, {256, 1, 256, 0, 3, false}};
    for (const Case& c : cases) {
        Picture p(c.w, c.h, c.pad, c.indexPad);
        // Colours spread over the whole cube, none of them on a regular grid.
        std::vector<uint32_t> colours;
        for (int i = 0; i < c.colours; ++i)
            colours.push_back(Rgb((i * 37 + 11) % 256, (i * 101 + 3) % 256, (i * 13 + i / 16 * 7 + 5) % 256));
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                int i = (x * 7 + y * 3) % c.colours;
                if (y * c.w + x < c.colours)
                    i = y * c.w + x;  // every colour appears at least once
                p.at(x, y) =
                    (colours[size_t(i)] & 0xFFFFFF) | (c.alphaVaries ? uint32_t((x * 40) & 0xFF) << 24 : 0xFF000000);
            }
        std::vector<uint32_t> palette = p.Reduce();
        EXPECT_EQ(size_t(c.colours), palette.size()) << c.colours << " colours";
        EXPECT_EQ(palette.size(), std::set<uint32_t>(palette.begin(), palette.end()).size()) << c.colours;
        EXPECT_EQ(p.Original(), p.Rebuilt(palette)) << c.colours << " colours, " << c.w << " x " << c.h;
    }
}

TEST(GifPalette, PhotographLikePictureStaysClose) {
    Picture p = GradientPhoto();
    std::vector<UINT> original = p.Original();
    ASSERT_GT(std::set<UINT>(original.begin(), original.end()).size(), 10000u);
    std::vector<uint32_t> palette = p.Reduce();
    ASSERT_EQ(size_t(kGifPaletteMax), palette.size());
    // 256 fixed, evenly spread colours (3 bits of red and green, 2 of blue) give 24 dB here, and
    // 21 dB with the error diffused.
    EXPECT_GT(Psnr(original, p.Rebuilt(palette)), 30.0);
}

TEST(GifPalette, NeverMoreEntriesThanAGifHolds) {
    struct Case {
        const char* name;
        int w, h, colourRange;  // noise with colourRange levels per channel
    } cases[] = {
        {"257 colours", 257, 1, 0}, {"every pixel its own colour", 256, 256, 256}, {"coarse noise", 99, 71, 7}};
    for (const Case& c : cases) {
        Picture p(c.w, c.h, 1, 2);
        Lcg noise;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                p.at(x, y) = c.colourRange == 0 ? Rgb(x % 256, x / 256, 0)
                                                : Rgb(noise.Next(c.colourRange) * 255 / (c.colourRange - 1),
                                                      noise.Next(c.colourRange) * 255 / (c.colourRange - 1),
                                                      noise.Next(c.colourRange) * 255 / (c.colourRange - 1));
        std::vector<uint32_t> palette = p.Reduce();
        EXPECT_LE(palette.size(), size_t(kGifPaletteMax)) << c.name;
        EXPECT_GE(palette.size(), 2u) << c.name;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_LT(size_t(p.index(x, y)), palette.size()) << c.name << " at " << x << ", " << y;
        for (uint32_t entry : palette)
            EXPECT_EQ(0xFF000000u, entry & 0xFF000000u) << c.name;
    }
    // Nothing to reduce: no palette, nothing written.
    uint32_t pixel = 0xFF102030;
    uint8_t index = 0xEE;
    EXPECT_TRUE(ReduceToPalette(&pixel, 0, 1, 4, &index, 1).empty());
    EXPECT_EQ(0xEE, index);
}
