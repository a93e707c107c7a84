#include "view/GifPalette.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <new>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
inline const uint32_t* Row(const uint32_t* pPixels, int nStride, int y) {
    return reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pPixels) + ptrdiff_t(y) * nStride);
}
inline uint8_t* Row(uint8_t* pIndices, int nStride, int y) {
    return pIndices + ptrdiff_t(y) * nStride;
}

// The picture's own colours with each pixel's index, when there are no more than a palette
// holds; false (the indices written so far meaningless) as soon as one colour too many appears.
bool ExactPalette(const uint32_t* pPixels,
                  int nWidth,
                  int nHeight,
                  int nStride,
                  uint8_t* pIndices,
                  int nIndexStride,
                  int nMaxColours,
                  std::vector<uint32_t>* pPalette) {
    // Open addressing over twice the palette's size: a slot holds the colour with bit 24 set.
    const int kSlots = 2 * kGifPaletteMax;
    uint32_t keys[kSlots] = {};
    uint8_t values[kSlots] = {};
    pPalette->clear();
    uint32_t lastKey = 0;
    uint8_t lastIndex = 0;
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* src = Row(pPixels, nStride, y);
        uint8_t* dst = Row(pIndices, nIndexStride, y);
        for (int x = 0; x < nWidth; ++x) {
            uint32_t key = (src[x] & 0xFFFFFF) | 0x1000000;
            if (key != lastKey) {
                unsigned slot = ((key * 2654435761u) >> 23) % kSlots;
                while (keys[slot] != 0 && keys[slot] != key)
                    slot = (slot + 1) % kSlots;
                if (keys[slot] == 0) {
                    if (pPalette->size() == size_t(nMaxColours))
                        return false;
                    keys[slot] = key;
                    values[slot] = uint8_t(pPalette->size());
                    pPalette->push_back(0xFF000000 | (key & 0xFFFFFF));
                }
                lastKey = key;
                lastIndex = values[slot];
            }
            dst[x] = lastIndex;
        }
    }
    return true;
}

// The picture's colours gathered into cells of 6 bits per channel: how many pixels fell in each
// cell and their mean colour.
struct Cell {
    float c[3];
    double n;
};

const int kCellBits = 6;
const int kCellShift = 8 - kCellBits;
const int kCellsPerAxis = 1 << kCellBits;
const int kCells = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;

inline int CellOf(int r, int g, int b) {
    return ((r >> kCellShift) << (2 * kCellBits)) | ((g >> kCellShift) << kCellBits) | (b >> kCellShift);
}

std::vector<Cell> GatherCells(const uint32_t* pPixels, int nWidth, int nHeight, int nStride) {
    std::vector<uint32_t> count(kCells);
    std::vector<uint64_t> sum(size_t(kCells) * 3);
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* src = Row(pPixels, nStride, y);
        for (int x = 0; x < nWidth; ++x) {
            int r = (src[x] >> 16) & 0xFF, g = (src[x] >> 8) & 0xFF, b = src[x] & 0xFF;
            int i = CellOf(r, g, b);
            ++count[i];
            sum[3 * i] += r;
            sum[3 * i + 1] += g;
            sum[3 * i + 2] += b;
        }
    }
    std::vector<Cell> cells;
    for (int i = 0; i < kCells; ++i) {
        if (count[i] == 0)
            continue;
        Cell cell;
        for (int k = 0; k < 3; ++k)
            cell.c[k] = float(double(sum[3 * i + k]) / count[i]);
        cell.n = count[i];
        cells.push_back(cell);
    }
    return cells;
}

// A run of cells that one palette entry stands for, with the cut that would lower the squared
// error the most: after sorting the run along axis, the cells before split go to one half.
struct Box {
    size_t begin, end;
    double gain;  // how much the best cut lowers the squared error; 0 when the box cannot be cut
    int axis;
    size_t split;
};

// Squared error of cells represented by their mean, from the sums of weight, weighted colour
// and weighted squared colour.
inline double SquaredError(double n, const double s[3], double s2) {
    return n > 0 ? s2 - (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / n : 0;
}

Box MakeBox(std::vector<Cell>& cells, size_t begin, size_t end) {
    Box box = {begin, end, 0, 0, begin};
    if (end - begin < 2)
        return box;
    // Cut across the axis along which the colours spread the most.
    double n = 0, s[3] = {}, q[3] = {};
    for (size_t i = begin; i < end; ++i) {
        for (int k = 0; k < 3; ++k) {
            s[k] += cells[i].n * cells[i].c[k];
            q[k] += cells[i].n * cells[i].c[k] * cells[i].c[k];
        }
        n += cells[i].n;
    }
    double spread[3];
    for (int k = 0; k < 3; ++k)
        spread[k] = q[k] - s[k] * s[k] / n;
    int axis = int(std::max_element(spread, spread + 3) - spread);
    std::sort(cells.begin() + ptrdiff_t(begin), cells.begin() + ptrdiff_t(end),
              [axis](const Cell& a, const Cell& b) { return a.c[axis] < b.c[axis]; });
    double total = SquaredError(n, s, q[0] + q[1] + q[2]);
    double ln = 0, ls[3] = {}, lq = 0;
    double best = total;
    for (size_t i = begin; i + 1 < end; ++i) {
        const Cell& c = cells[i];
        ln += c.n;
        for (int k = 0; k < 3; ++k)
            ls[k] += c.n * c.c[k];
        lq += c.n * (c.c[0] * c.c[0] + c.c[1] * c.c[1] + c.c[2] * c.c[2]);
        double rs[3] = {s[0] - ls[0], s[1] - ls[1], s[2] - ls[2]};
        double e = SquaredError(ln, ls, lq) + SquaredError(n - ln, rs, q[0] + q[1] + q[2] - lq);
        if (e < best) {
            best = e;
            box.split = i + 1;
        }
    }
    box.axis = axis;
    box.gain = box.split > begin ? total - best : 0;
    return box;
}

// Up to nColours centres chosen by median cut with the cut that lowers the squared error most,
// then moved by a few rounds of weighted k-means over the cells.
std::vector<float> ChooseColours(std::vector<Cell>& cells, int nColours) {
    std::vector<Box> boxes;
    boxes.push_back(MakeBox(cells, 0, cells.size()));
    while (int(boxes.size()) < nColours) {
        auto it =
            std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.gain < b.gain; });
        if (it->gain <= 0)
            break;
        Box box = *it;
        // MakeBox left the run sorted along the box's own axis, where the split was found.
        *it = MakeBox(cells, box.begin, box.split);
        boxes.push_back(MakeBox(cells, box.split, box.end));
    }
    const size_t k = boxes.size();
    std::vector<float> centre(3 * k);
    std::vector<int> owner(cells.size());
    for (size_t j = 0; j < k; ++j) {
        double n = 0, s[3] = {};
        for (size_t i = boxes[j].begin; i < boxes[j].end; ++i) {
            n += cells[i].n;
            for (int a = 0; a < 3; ++a)
                s[a] += cells[i].n * cells[i].c[a];
            owner[i] = int(j);
        }
        for (int a = 0; a < 3; ++a)
            centre[3 * j + a] = float(s[a] / n);
    }
    const int kRounds = 4;
    std::vector<double> acc(4 * k);
    for (int round = 0; round < kRounds; ++round) {
        std::fill(acc.begin(), acc.end(), 0.0);
        for (size_t i = 0; i < cells.size(); ++i) {
            const float* c = cells[i].c;
            int best = owner[i];
            float dr = c[0] - centre[3 * best], dg = c[1] - centre[3 * best + 1], db = c[2] - centre[3 * best + 2];
            float bestD = dr * dr + dg * dg + db * db;
            for (size_t j = 0; j < k; ++j) {
                float d = c[0] - centre[3 * j];
                d *= d;
                if (d >= bestD)
                    continue;
                float e = c[1] - centre[3 * j + 1];
                d += e * e;
                if (d >= bestD)
                    continue;
                e = c[2] - centre[3 * j + 2];
                d += e * e;
                if (d < bestD) {
                    bestD = d;
                    best = int(j);
                }
            }
            owner[i] = best;
            acc[4 * best] += cells[i].n;
            for (int a = 0; a < 3; ++a)
                acc[4 * best + 1 + a] += cells[i].n * c[a];
        }
        for (size_t j = 0; j < k; ++j)
            if (acc[4 * j] > 0)
                for (int a = 0; a < 3; ++a)
                    centre[3 * j + a] = float(acc[4 * j + 1 + a] / acc[4 * j]);
    }
    return centre;
}

// The nearest palette entry to any colour, found among the entries that can be nearest for some
// colour of the colour's cube of kLookupSide levels a side; each cube's candidates are listed the
// first time it is asked, nearest to the cube first, so the search stops at the first candidate
// that cannot come closer than the best found.
const int kLookupBits = 5;
const int kLookupShift = 8 - kLookupBits;
const int kLookupSide = 1 << kLookupShift;
const int kLookupCubes = 1 << (3 * kLookupBits);

class NearestEntry {
public:
    explicit NearestEntry(const std::vector<uint32_t>& palette) : m_offset(kLookupCubes, -1) {
        for (uint32_t c : palette) {
            m_rgb.push_back(int((c >> 16) & 0xFF));
            m_rgb.push_back(int((c >> 8) & 0xFF));
            m_rgb.push_back(int(c & 0xFF));
        }
    }
    int operator()(int r, int g, int b) {
        int cube =
            ((r >> kLookupShift) << (2 * kLookupBits)) | ((g >> kLookupShift) << kLookupBits) | (b >> kLookupShift);
        if (m_offset[cube] < 0)
            ListCandidates(cube);
        const Candidate* cand = &m_pool[size_t(m_offset[cube])];
        int best = cand->index, bestD = 1 << 30;
        for (; cand->least < bestD; ++cand) {
            int d = (r - cand->r) * (r - cand->r) + (g - cand->g) * (g - cand->g) + (b - cand->b) * (b - cand->b);
            if (d < bestD) {
                bestD = d;
                best = cand->index;
            }
        }
        return best;
    }

private:
    struct Candidate {
        int least;  // the least squared distance from the cube to the entry
        int16_t r, g, b;
        uint8_t index;
    };

    void ListCandidates(int cube) {
        const int mask = (1 << kLookupBits) - 1;
        int lo[3] = {((cube >> (2 * kLookupBits)) & mask) << kLookupShift,
                     ((cube >> kLookupBits) & mask) << kLookupShift, (cube & mask) << kLookupShift};
        const int n = int(m_rgb.size() / 3);
        // An entry can be nearest only if its least distance to the cube is within the greatest
        // distance to the cube of the entry whose greatest distance is least.
        m_least.resize(size_t(n));
        int bound = 1 << 30;
        for (int j = 0; j < n; ++j) {
            int dNear = 0, dFar = 0;
            for (int a = 0; a < 3; ++a) {
                int v = m_rgb[3 * j + a], hi = lo[a] + kLookupSide - 1;
                int under = v < lo[a] ? lo[a] - v : (v > hi ? v - hi : 0);
                int outer = std::max(v - lo[a], hi - v);
                dNear += under * under;
                dFar += outer * outer;
            }
            m_least[size_t(j)] = dNear;
            bound = std::min(bound, dFar);
        }
        m_offset[cube] = int(m_pool.size());
        for (int j = 0; j < n; ++j)
            if (m_least[size_t(j)] <= bound)
                m_pool.push_back({m_least[size_t(j)], int16_t(m_rgb[3 * j]), int16_t(m_rgb[3 * j + 1]),
                                  int16_t(m_rgb[3 * j + 2]), uint8_t(j)});
        std::sort(m_pool.begin() + m_offset[cube], m_pool.end(),
                  [](const Candidate& a, const Candidate& b) { return a.least < b.least; });
        // The end of the list: no colour is that far from anything.
        m_pool.push_back({1 << 30, 0, 0, 0, 0});
    }

    std::vector<int> m_rgb;
    std::vector<int> m_offset;
    std::vector<Candidate> m_pool;
    std::vector<int> m_least;
};

inline int Clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Floyd-Steinberg error diffusion, left to right on even rows and right to left on odd ones.
// Errors are kept in sixteenths.
void Diffuse(const uint32_t* pPixels,
             int nWidth,
             int nHeight,
             int nStride,
             uint8_t* pIndices,
             int nIndexStride,
             const std::vector<uint32_t>& palette) {
    NearestEntry nearest(palette);
    // One guard column on each side, so the neighbours of the edge pixels need no test.
    std::vector<int> thisRow(3 * size_t(nWidth + 2)), nextRow(3 * size_t(nWidth + 2));
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* src = Row(pPixels, nStride, y);
        uint8_t* dst = Row(pIndices, nIndexStride, y);
        const bool forward = (y % 2) == 0;
        const int step = forward ? 1 : -1;
        std::fill(nextRow.begin(), nextRow.end(), 0);
        for (int i = 0; i < nWidth; ++i) {
            int x = forward ? i : nWidth - 1 - i;
            int* err = &thisRow[3 * size_t(x + 1)];
            int* below = &nextRow[3 * size_t(x + 1)];
            uint32_t p = src[x];
            int v[3] = {Clamp255(int((p >> 16) & 0xFF) + ((err[0] + 8) >> 4)),
                        Clamp255(int((p >> 8) & 0xFF) + ((err[1] + 8) >> 4)),
                        Clamp255(int(p & 0xFF) + ((err[2] + 8) >> 4))};
            int j = nearest(v[0], v[1], v[2]);
            dst[x] = uint8_t(j);
            uint32_t q = palette[size_t(j)];
            int e[3] = {v[0] - int((q >> 16) & 0xFF), v[1] - int((q >> 8) & 0xFF), v[2] - int(q & 0xFF)};
            for (int a = 0; a < 3; ++a) {
                err[3 * step + a] += 7 * e[a];
                below[-3 * step + a] += 3 * e[a];
                below[a] += 5 * e[a];
                below[3 * step + a] += e[a];
            }
        }
        thisRow.swap(nextRow);
    }
}
}  // namespace

std::vector<uint32_t> ReduceToPalette(const uint32_t* pPixels,
                                      int nWidth,
                                      int nHeight,
                                      int nStride,
                                      uint8_t* pIndices,
                                      int nIndexStride,
                                      int nMaxColours) {
    std::vector<uint32_t> palette;
    if (nWidth <= 0 || nHeight <= 0 || nMaxColours < 1 || nMaxColours > kGifPaletteMax)
        return palette;
    if (ExactPalette(pPixels, nWidth, nHeight, nStride, pIndices, nIndexStride, nMaxColours, &palette))
        return palette;
    std::vector<Cell> cells = GatherCells(pPixels, nWidth, nHeight, nStride);
    std::vector<float> centre = ChooseColours(cells, nMaxColours);
    palette.clear();
    for (size_t j = 0; j < centre.size() / 3; ++j) {
        int r = Clamp255(int(centre[3 * j] + 0.5f)), g = Clamp255(int(centre[3 * j + 1] + 0.5f)),
            b = Clamp255(int(centre[3 * j + 2] + 0.5f));
        palette.push_back(0xFF000000u | uint32_t(r << 16) | uint32_t(g << 8) | uint32_t(b));
    }
    Diffuse(pPixels, nWidth, nHeight, nStride, pIndices, nIndexStride, palette);
    return palette;
}

std::vector<uint32_t> OpaqueForGif(const uint32_t* pPixels,
                                   int nWidth,
                                   int nHeight,
                                   int nStride,
                                   std::vector<uint8_t>* pTransparent) {
    std::vector<uint32_t> out(size_t(nWidth) * size_t(nHeight));
    pTransparent->assign(out.size(), 0);
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* src = Row(pPixels, nStride, y);
        uint32_t* dst = &out[size_t(y) * size_t(nWidth)];
        uint8_t* clear = &(*pTransparent)[size_t(y) * size_t(nWidth)];
        // A fully transparent pixel takes the colour before it, which leaves the palette and
        // the diffused error as they would be without it.
        uint32_t last = 0xFFFFFFFF;
        for (int x = 0; x < nWidth; ++x) {
            const uint32_t p = src[x];
            const uint32_t a = p >> 24;
            if (a == 0) {
                clear[x] = 1;
                dst[x] = last;
                continue;
            }
            if (a < 255) {
                // Over white: c * a + 255 * (255 - a), rounded.
                uint32_t c = 0xFF000000u;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const uint32_t v = (p >> shift) & 0xFF;
                    c |= ((v * a + 255 * (255 - a) + 127) / 255) << shift;
                }
                dst[x] = last = c;
            } else {
                dst[x] = last = p;
            }
        }
    }
    return out;
}

GpBitmap* CreatePaletteBitmap(GpImage* pImage) {
    ImageType type = ImageTypeUnknown;
    UINT cx = 0, cy = 0;
    if (GdipGetImageType(pImage, &type) != Ok || type != ImageTypeBitmap || GdipGetImageWidth(pImage, &cx) != Ok ||
        GdipGetImageHeight(pImage, &cy) != Ok || cx == 0 || cy == 0)
        return nullptr;
    GpBitmap* pSource = static_cast<GpBitmap*>(pImage);
    GpRect rect(0, 0, INT(cx), INT(cy));
    BitmapData src = {};
    if (GdipBitmapLockBits(pSource, &rect, ImageLockModeRead, PixelFormat32bppARGB, &src) != Ok)
        return nullptr;
    GpBitmap* pIndexed = nullptr;
    std::vector<uint32_t> palette;
    if (GdipCreateBitmapFromScan0(INT(cx), INT(cy), 0, PixelFormat8bppIndexed, nullptr, &pIndexed) == Ok) {
        BitmapData dst = {};
        if (GdipBitmapLockBits(pIndexed, &rect, ImageLockModeWrite, PixelFormat8bppIndexed, &dst) == Ok) {
            // The working tables are small beside the picture, but the save must fail, not throw
            // into the command handler, when even they cannot be had.
            try {
                std::vector<uint8_t> transparent;
                const std::vector<uint32_t> opaque =
                    OpaqueForGif(static_cast<const uint32_t*>(src.Scan0), INT(cx), INT(cy), src.Stride, &transparent);
                const bool bAnyClear = std::find(transparent.begin(), transparent.end(), 1) != transparent.end();
                palette =
                    ReduceToPalette(opaque.data(), INT(cx), INT(cy), INT(cx) * 4, static_cast<uint8_t*>(dst.Scan0),
                                    dst.Stride, bAnyClear ? kGifPaletteMax - 1 : kGifPaletteMax);
                if (bAnyClear && !palette.empty()) {
                    // One more entry, after the colours: the transparent one.
                    const uint8_t nClear = uint8_t(palette.size());
                    palette.push_back(0x00FFFFFF);
                    for (UINT y = 0; y < cy; ++y) {
                        uint8_t* row = static_cast<uint8_t*>(dst.Scan0) + ptrdiff_t(y) * dst.Stride;
                        const uint8_t* clear = &transparent[size_t(y) * cx];
                        for (UINT x = 0; x < cx; ++x)
                            if (clear[x])
                                row[x] = nClear;
                    }
                }
            } catch (const std::bad_alloc&) {
                palette.clear();
            }
            if (GdipBitmapUnlockBits(pIndexed, &dst) != Ok)
                palette.clear();
        }
    }
    GdipBitmapUnlockBits(pSource, &src);
    if (!palette.empty()) {
        // ColorPalette ends in a one-entry array: room for the rest follows it.
        size_t bytes = sizeof(ColorPalette) + (palette.size() - 1) * sizeof(ARGB);
        ColorPalette* pPalette = static_cast<ColorPalette*>(malloc(bytes));
        if (pPalette) {
            pPalette->Flags = palette.back() >> 24 == 0 ? PaletteFlagsHasAlpha : 0;
            pPalette->Count = UINT(palette.size());
            memcpy(pPalette->Entries, palette.data(), palette.size() * sizeof(ARGB));
            if (GdipSetImagePalette(pIndexed, pPalette) != Ok)
                palette.clear();
            free(pPalette);
        } else {
            palette.clear();
        }
    }
    if (palette.empty() && pIndexed) {
        GdipDisposeImage(pIndexed);
        pIndexed = nullptr;
    }
    return pIndexed;
}
