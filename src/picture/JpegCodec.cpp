#include "picture/JpegCodec.h"

#include <limits.h>
#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <new>

// The library's boolean is the platform's (jconfig.h for Windows).
#include <jpeglib.h>
// After the library's types.
#include <jerror.h>

#include "picture/ColourConvert.h"
#include "picture/PictureSize.h"
#include "picture/ShownRight.h"

namespace {
// A progressive file of more scans than any writer makes is taken as made to keep a decoder busy.
const int kMaxScans = 500;

// What the library reports, and where it goes back to when it gives up.
struct CJpegErrors {
    jpeg_error_mgr mgr;  // first: the library's pointer to it is a pointer to this
    jmp_buf jump;
    bool bTruncated = false;
};

void OnError(j_common_ptr pInfo) {
    longjmp(reinterpret_cast<CJpegErrors*>(pInfo->err)->jump, 1);
}

// Warnings (corrupt data the library reads past) are silent, but a file that ends before its
// picture does is unreadable, as GDI+ has it.
void OnMessage(j_common_ptr pInfo, int nLevel) {
    CJpegErrors* pErrors = reinterpret_cast<CJpegErrors*>(pInfo->err);
    if (nLevel < 0 && pErrors->mgr.msg_code == JWRN_JPEG_EOF) {
        pErrors->bTruncated = true;
        longjmp(pErrors->jump, 1);
    }
}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr pInfo) {
    if (!pInfo->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(pInfo)->input_scan_number > kMaxScans) {
        pInfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        longjmp(reinterpret_cast<CJpegErrors*>(pInfo->err)->jump, 1);
    }
}

// Errors that say the file is of a kind this library does not read, rather than broken.
bool IsRefusal(int nCode) {
    return nCode == JERR_ARITH_NOTIMPL || nCode == JERR_BAD_PRECISION || nCode == JERR_SOF_UNSUPPORTED ||
           nCode == JERR_NOT_COMPILED || nCode == JERR_CONVERSION_NOTIMPL || nCode == JERR_BAD_J_COLORSPACE;
}

// The working memory the library may take besides the output: the whole-picture coefficients of
// a progressive file are the large part.
size_t WorkCeiling() {
    return sizeof(void*) >= 8 ? size_t(1) << 30 : size_t(384) << 20;
}

bool Reserve(std::vector<uint8_t>* pBytes, size_t nBytes) {
    try {
        pBytes->resize(nBytes);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// One decode: in, the file and what to decode; out, the pixels (BGRA, or CMYK as stored) and
// what the header said. Plain data, so the library's jump back past the decoding frames
// leaves nothing undone.
struct CJpegJob {
    const uint8_t* pData = nullptr;
    size_t nBytes = 0;
    int nScale = 1;
    bool bRegion = false;
    RECT rcFull = {};
    bool bHeaderOnly = false;
    // Out.
    JpegInfo info;
    UINT nOutWidth = 0, nOutHeight = 0;
    bool bAdobe = false;
    std::vector<uint8_t>* pPixels = nullptr;
};

// The region of the picture scaled by 1/nScale that rcFull (clipped) covers: its origin is the
// scaled picture's pixel under rcFull's top-left corner, its sides rcFull's divided by nScale and
// rounded up, within the scaled picture. False when nothing is left.
bool ScaledRegion(const RECT& rcFull,
                  UINT nFullWidth,
                  UINT nFullHeight,
                  int nScale,
                  UINT nScaledWidth,
                  UINT nScaledHeight,
                  UINT* px,
                  UINT* py,
                  UINT* pcx,
                  UINT* pcy) {
    const LONG left = rcFull.left < 0 ? 0 : rcFull.left, top = rcFull.top < 0 ? 0 : rcFull.top;
    const LONG right = rcFull.right > static_cast<LONG>(nFullWidth) ? static_cast<LONG>(nFullWidth) : rcFull.right;
    const LONG bottom = rcFull.bottom > static_cast<LONG>(nFullHeight) ? static_cast<LONG>(nFullHeight) : rcFull.bottom;
    if (right <= left || bottom <= top)
        return false;
    const UINT n = static_cast<UINT>(nScale);
    *px = static_cast<UINT>(left) / n;
    *py = static_cast<UINT>(top) / n;
    if (*px >= nScaledWidth || *py >= nScaledHeight)
        return false;
    *pcx = (static_cast<UINT>(right - left) + n - 1) / n;
    *pcy = (static_cast<UINT>(bottom - top) + n - 1) / n;
    if (*pcx > nScaledWidth - *px)
        *pcx = nScaledWidth - *px;
    if (*pcy > nScaledHeight - *py)
        *pcy = nScaledHeight - *py;
    return true;
}

// Runs the library over the job. Nothing here has a destructor to run: the library's error
// jumps back to the setjmp below from inside its own frames.
JpegDecode RunJob(CJpegJob* pJob) {
    jpeg_decompress_struct cinfo;
    CJpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = OnError;
    errors.mgr.emit_message = OnMessage;
    errors.mgr.output_message = OnOutput;
    jpeg_progress_mgr progress = {};
    progress.progress_monitor = OnProgress;
    if (setjmp(errors.jump)) {
        const int nCode = errors.mgr.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return !errors.bTruncated && IsRefusal(nCode) ? JpegDecode::Refused : JpegDecode::Unreadable;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = static_cast<long>(WorkCeiling());
    jpeg_mem_src(&cinfo, pJob->pData, static_cast<unsigned long>(pJob->nBytes));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return JpegDecode::Unreadable;
    }
    pJob->info.nWidth = cinfo.image_width;
    pJob->info.nHeight = cinfo.image_height;
    pJob->info.bCmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    pJob->info.bProgressive = cinfo.progressive_mode != 0;
    pJob->bAdobe = cinfo.saw_Adobe_marker != 0;
    if (pJob->bHeaderOnly) {
        jpeg_destroy_decompress(&cinfo);
        return JpegDecode::Decoded;
    }
    // The library reads arithmetic coding, but this program leaves it to GDI+, as it always has.
    if (cinfo.arith_code) {
        jpeg_destroy_decompress(&cinfo);
        return JpegDecode::Refused;
    }
    cinfo.out_color_space = pJob->info.bCmyk ? JCS_CMYK : JCS_EXT_BGRA;
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(pJob->nScale);
    jpeg_calc_output_dimensions(&cinfo);
    UINT x = 0, y = 0, cx = cinfo.output_width, cy = cinfo.output_height;
    if (pJob->bRegion && !ScaledRegion(pJob->rcFull, cinfo.image_width, cinfo.image_height, pJob->nScale,
                                       cinfo.output_width, cinfo.output_height, &x, &y, &cx, &cy)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegDecode::Unreadable;
    }
    if (PixelsPass2GiB(cx, cy) || !Reserve(pJob->pPixels, size_t(cx) * cy * 4)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegDecode::Unreadable;
    }
    pJob->nOutWidth = cx;
    pJob->nOutHeight = cy;
    jpeg_start_decompress(&cinfo);
    uint8_t* pOut = pJob->pPixels->data();
    const size_t nRowBytes = size_t(cx) * 4;
    if (!pJob->bRegion) {
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[16];
            const JDIMENSION nFirst = cinfo.output_scanline;
            JDIMENSION n = 0;
            for (; n < 16 && nFirst + n < cinfo.output_height; ++n)
                rows[n] = pOut + (nFirst + n) * nRowBytes;
            if (jpeg_read_scanlines(&cinfo, rows, n) == 0)
                break;  // cannot happen with the whole file in memory
        }
    } else {
        // Whole blocks of the columns wanted (the library moves the left edge to a block's), and
        // only the rows wanted: the rows above are skipped, the ones below never decoded.
        JDIMENSION nLeft = x, nWidth = cx;
        if (cx < cinfo.output_width)
            jpeg_crop_scanline(&cinfo, &nLeft, &nWidth);
        if (y > 0)
            jpeg_skip_scanlines(&cinfo, y);
        JSAMPARRAY row =
            (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1);
        for (UINT i = 0; i < cy; ++i) {
            if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
                break;
            memcpy(pOut + i * nRowBytes, row[0] + (x - nLeft) * 4, nRowBytes);
        }
    }
    // Not finished (the rest of the file, to its end marker, is of no use here): destroyed.
    jpeg_destroy_decompress(&cinfo);
    return JpegDecode::Decoded;
}

// The naive conversion of CMYK without a profile, as GDI+ makes it: each of red, green and blue
// is the light its ink and the black let through.
void NaiveCmykToBgra(uint8_t* pPixels, size_t nPixels, bool bInverted) {
    for (size_t i = 0; i < nPixels; ++i) {
        uint8_t* p = pPixels + i * 4;
        // As light: 255 where there is no ink.
        const unsigned c = bInverted ? p[0] : 255u - p[0], m = bInverted ? p[1] : 255u - p[1];
        const unsigned yl = bInverted ? p[2] : 255u - p[2], k = bInverted ? p[3] : 255u - p[3];
        p[0] = static_cast<uint8_t>((yl * k + 127) / 255);
        p[1] = static_cast<uint8_t>((m * k + 127) / 255);
        p[2] = static_cast<uint8_t>((c * k + 127) / 255);
        p[3] = 255;
    }
}

JpegDecode Decode(const void* pData, size_t nBytes, int nScale, const RECT* pRegion, CDecodedImage* pOut) {
    *pOut = CDecodedImage();
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    if (!p || nBytes < 3 || p[0] != 0xFF || p[1] != 0xD8 || p[2] != 0xFF)
        return JpegDecode::NotOurs;
    if (nScale != 1 && nScale != 2 && nScale != 4 && nScale != 8)
        return JpegDecode::Unreadable;
    if (nBytes > ULONG_MAX)
        return JpegDecode::Unreadable;  // past what the library's memory source takes
    CDecodedImage image;
    image.frames.resize(1);
    CJpegJob job;
    job.pData = p;
    job.nBytes = nBytes;
    job.nScale = nScale;
    job.bRegion = pRegion != nullptr;
    if (pRegion)
        job.rcFull = *pRegion;
    job.pPixels = &image.frames[0].pixels;
    const JpegDecode result = RunJob(&job);
    if (result != JpegDecode::Decoded)
        return result;
    image.nWidth = job.nOutWidth;
    image.nHeight = job.nOutHeight;
    const CShowingInfo showing = ReadShowingInfo(pData, nBytes);
    image.nOrientation = showing.nOrientation;
    if (job.info.bCmyk) {
        // Made display colours here: the profile has been used, and no other conversion follows.
        uint8_t* pPixels = image.frames[0].pixels.data();
        if (showing.icc.empty() ||
            !ConvertCmykRows(pPixels, job.bAdobe, image.nWidth, image.nHeight, showing.icc, DisplayProfile()))
            NaiveCmykToBgra(pPixels, size_t(image.nWidth) * image.nHeight, job.bAdobe);
    } else {
        image.icc = showing.icc;
    }
    *pOut = std::move(image);
    return JpegDecode::Decoded;
}
}  // namespace

bool ReadJpegInfo(const void* pData, size_t nBytes, JpegInfo* pInfo) {
    *pInfo = JpegInfo();
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    if (!p || nBytes < 3 || p[0] != 0xFF || p[1] != 0xD8 || p[2] != 0xFF || nBytes > ULONG_MAX)
        return false;
    CJpegJob job;
    job.pData = p;
    job.nBytes = nBytes;
    job.bHeaderOnly = true;
    if (RunJob(&job) != JpegDecode::Decoded)
        return false;
    *pInfo = job.info;
    return true;
}

int JpegScaleFor(UINT nWidth, UINT nHeight, UINT nMinWidth, UINT nMinHeight) {
    if (nMinWidth == 0 || nMinHeight == 0)
        return 1;
    for (UINT n = 8; n > 1; n /= 2) {
        // The library's scaled sides: rounded up.
        const UINT cx = nWidth / n + (nWidth % n != 0), cy = nHeight / n + (nHeight % n != 0);
        if (cx >= nMinWidth && cy >= nMinHeight)
            return static_cast<int>(n);
    }
    return 1;
}

JpegDecode DecodeJpeg(const void* pData, size_t nBytes, int nScale, CDecodedImage* pOut) {
    return Decode(pData, nBytes, nScale, nullptr, pOut);
}

JpegDecode DecodeJpegRegion(const void* pData, size_t nBytes, const RECT& rcFull, int nScale, CDecodedImage* pOut) {
    return Decode(pData, nBytes, nScale, &rcFull, pOut);
}

namespace {
// Which source pixels make each of nNew output pixels of an axis of nOld, and by how much: output
// pixel i covers [i * nOld / nNew, (i + 1) * nOld / nNew) of the source, each source pixel
// weighted by the part of it inside, the weights of one output pixel summing to 1.
struct CCoverage {
    std::vector<UINT> first;     // per output pixel, its first source pixel
    std::vector<UINT> count;     // and how many
    std::vector<size_t> offset;  // where its weights start in weights
    std::vector<float> weights;
};

CCoverage CoverageOf(UINT nOld, UINT nNew) {
    CCoverage c;
    c.first.resize(nNew);
    c.count.resize(nNew);
    c.offset.resize(nNew);
    const double dStep = static_cast<double>(nOld) / nNew;
    for (UINT i = 0; i < nNew; ++i) {
        const double a = i * dStep, b = (i + 1) * dStep;
        UINT j0 = static_cast<UINT>(a), j1 = static_cast<UINT>(b);
        if (j1 >= nOld || static_cast<double>(j1) == b)
            j1 = j1 > 0 ? j1 - 1 : 0;  // b on a pixel's edge: that pixel is not in
        if (j1 >= nOld)
            j1 = nOld - 1;
        if (j0 > j1)
            j0 = j1;
        c.first[i] = j0;
        c.count[i] = j1 - j0 + 1;
        c.offset[i] = c.weights.size();
        for (UINT j = j0; j <= j1; ++j) {
            const double lo = j > a ? j : a, hi = j + 1.0 < b ? j + 1.0 : b;
            c.weights.push_back(static_cast<float>((hi - lo) / dStep));
        }
    }
    return c;
}
}  // namespace

void AreaDownscale(const CDecodedFrame& source,
                   UINT nWidth,
                   UINT nHeight,
                   UINT nNewWidth,
                   UINT nNewHeight,
                   CDecodedFrame* pOut) {
    pOut->nDelayMs = source.nDelayMs;
    pOut->pixels.clear();
    if (nNewWidth == 0 || nNewHeight == 0 || nWidth == 0 || nHeight == 0 || nNewWidth > nWidth ||
        nNewHeight > nHeight || source.pixels.size() < size_t(nWidth) * nHeight * 4)
        return;
    pOut->pixels.resize(size_t(nNewWidth) * nNewHeight * 4);
    const CCoverage across = CoverageOf(nWidth, nNewWidth), down = CoverageOf(nHeight, nNewHeight);
    // Colours weighted by their alpha, so a transparent pixel gives none of its colour; per output
    // row, the weighted sums of blue, green, red (premultiplied) and alpha.
    std::vector<float> sums(size_t(nNewWidth) * 4);
    for (UINT yOut = 0; yOut < nNewHeight; ++yOut) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (UINT k = 0; k < down.count[yOut]; ++k) {
            const UINT ySrc = down.first[yOut] + k;
            const float wy = down.weights[down.offset[yOut] + k];
            const uint8_t* pSrc = source.pixels.data() + size_t(ySrc) * nWidth * 4;
            for (UINT xOut = 0; xOut < nNewWidth; ++xOut) {
                float b = 0, g = 0, r = 0, a = 0;
                const uint8_t* px = pSrc + size_t(across.first[xOut]) * 4;
                const float* pw = across.weights.data() + across.offset[xOut];
                for (UINT j = 0; j < across.count[xOut]; ++j, px += 4) {
                    const float wa = pw[j] * px[3];
                    b += wa * px[0];
                    g += wa * px[1];
                    r += wa * px[2];
                    a += wa;
                }
                float* s = sums.data() + size_t(xOut) * 4;
                s[0] += wy * b;
                s[1] += wy * g;
                s[2] += wy * r;
                s[3] += wy * a;
            }
        }
        uint8_t* pDst = pOut->pixels.data() + size_t(yOut) * nNewWidth * 4;
        for (UINT xOut = 0; xOut < nNewWidth; ++xOut) {
            const float* s = sums.data() + size_t(xOut) * 4;
            uint8_t* d = pDst + size_t(xOut) * 4;
            if (s[3] <= 0.0f) {
                d[0] = d[1] = d[2] = d[3] = 0;
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const float v = s[c] / s[3] + 0.5f;
                d[c] = static_cast<uint8_t>(v >= 255.0f ? 255 : v);
            }
            const float alpha = s[3] + 0.5f;
            d[3] = static_cast<uint8_t>(alpha >= 255.0f ? 255 : alpha);
        }
    }
}
