#include "picture/WebpCodec.h"

#include <string.h>

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

#include "picture/PictureSize.h"
#include "picture/ShownRight.h"

namespace {
struct DemuxDeleter {
    void operator()(WebPDemuxer* p) const { WebPDemuxDelete(p); }
};
struct AnimDeleter {
    void operator()(WebPAnimDecoder* p) const { WebPAnimDecoderDelete(p); }
};

// Every frame's own bitstream is lossless (VP8L): a file written from the picture may be too.
bool AllFramesLossless(const WebPDemuxer* pDemux) {
    WebPIterator it;
    if (!WebPDemuxGetFrame(pDemux, 1, &it))
        return false;
    bool bLossless = true;
    do {
        WebPBitstreamFeatures f;
        if (WebPGetFeatures(it.fragment.bytes, it.fragment.size, &f) != VP8_STATUS_OK || f.format != 2)
            bLossless = false;
    } while (bLossless && WebPDemuxNextFrame(&it));
    WebPDemuxReleaseIterator(&it);
    return bLossless;
}

std::vector<uint8_t> ChunkOf(const WebPDemuxer* pDemux, const char* pszFourCC) {
    std::vector<uint8_t> bytes;
    WebPChunkIterator it;
    if (WebPDemuxGetChunk(pDemux, pszFourCC, 1, &it)) {
        bytes.assign(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
        WebPDemuxReleaseChunkIterator(&it);
    }
    return bytes;
}
}  // namespace

bool IsWebp(const void* pData, size_t nBytes) {
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    return nBytes >= 12 && memcmp(p, "RIFF", 4) == 0 && memcmp(p + 8, "WEBP", 4) == 0;
}

OwnDecode DecodeWebp(const void* pData, size_t nBytes, CDecodedImage* pOut) {
    *pOut = CDecodedImage();
    const uint8_t* pBytes = static_cast<const uint8_t*>(pData);
    // The size the headers announce (VP8X canvas, VP8 or VP8L frame), before any pixel is allocated.
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(pBytes, nBytes, &features) != VP8_STATUS_OK || features.width <= 0 || features.height <= 0 ||
        PixelsPass2GiB(static_cast<UINT>(features.width), static_cast<UINT>(features.height)))
        return OwnDecode::Unreadable;
    const WebPData webp = {pBytes, nBytes};
    std::unique_ptr<WebPDemuxer, DemuxDeleter> pDemux(WebPDemux(&webp));
    if (!pDemux)
        return OwnDecode::Unreadable;
    const UINT nWidth = WebPDemuxGetI(pDemux.get(), WEBP_FF_CANVAS_WIDTH);
    const UINT nHeight = WebPDemuxGetI(pDemux.get(), WEBP_FF_CANVAS_HEIGHT);
    const uint32_t nFlags = WebPDemuxGetI(pDemux.get(), WEBP_FF_FORMAT_FLAGS);
    // A canvas may announce more than a frame's 16383 pixels a side; no writer makes one.
    if (nWidth == 0 || nHeight == 0 || nWidth > kWebpMaxSide || nHeight > kWebpMaxSide ||
        PixelsPass2GiB(nWidth, nHeight))
        return OwnDecode::Unreadable;

    CDecodedImage image;
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    image.strFormat = "WEBP";
    image.bHasAlpha = features.has_alpha != 0;
    image.bLossless = AllFramesLossless(pDemux.get());
    if (nFlags & ICCP_FLAG)
        image.icc = ChunkOf(pDemux.get(), "ICCP");
    if (nFlags & EXIF_FLAG) {
        const std::vector<uint8_t> exif = ChunkOf(pDemux.get(), "EXIF");
        image.nOrientation = ReadExifOrientation(exif.data(), exif.size());
    }
    pDemux.reset();

    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return OwnDecode::Unreadable;
    options.color_mode = MODE_BGRA;  // straight alpha
    options.use_threads = 0;         // a second thread is not safe everywhere this program runs
    std::unique_ptr<WebPAnimDecoder, AnimDeleter> pDecoder(WebPAnimDecoderNew(&webp, &options));
    WebPAnimInfo info;
    if (!pDecoder || !WebPAnimDecoderGetInfo(pDecoder.get(), &info) || info.canvas_width != nWidth ||
        info.canvas_height != nHeight)
        return OwnDecode::Unreadable;
    image.nLoopCount = static_cast<int>(info.loop_count);
    const bool bAnimated = (nFlags & ANIMATION_FLAG) != 0;
    const size_t nFrameBytes = static_cast<size_t>(nWidth) * nHeight * 4;
    uint64_t nKept = 0;
    int nLastTimestamp = 0;
    while (WebPAnimDecoderHasMoreFrames(pDecoder.get())) {
        if (!image.frames.empty() && nKept + nFrameBytes > kOwnFramesCeiling) {
            image.bAllFrames = false;
            break;
        }
        uint8_t* pCanvas = nullptr;
        int nTimestamp = 0;
        if (!WebPAnimDecoderGetNext(pDecoder.get(), &pCanvas, &nTimestamp)) {
            // A damaged frame ends the animation; the frames before it still play.
            if (image.frames.empty())
                return OwnDecode::Unreadable;
            image.bAllFrames = false;
            break;
        }
        CDecodedFrame frame;
        frame.pixels.assign(pCanvas, pCanvas + nFrameBytes);
        frame.nDelayMs = bAnimated && nTimestamp > nLastTimestamp ? static_cast<UINT>(nTimestamp - nLastTimestamp) : 0;
        nLastTimestamp = nTimestamp;
        image.frames.push_back(std::move(frame));
        nKept += nFrameBytes;
    }
    if (image.frames.empty())
        return OwnDecode::Unreadable;
    *pOut = std::move(image);
    return OwnDecode::Decoded;
}

bool EncodeWebp(const uint8_t* pBgra,
                UINT nWidth,
                UINT nHeight,
                size_t nStride,
                bool bAlpha,
                bool bLossless,
                std::vector<uint8_t>* pOut) {
    pOut->clear();
    if (nWidth == 0 || nHeight == 0 || nWidth > kWebpMaxSide || nHeight > kWebpMaxSide || nStride > 0x7fffffff)
        return false;
    WebPConfig config;
    if (!WebPConfigInit(&config))
        return false;
    config.lossless = bLossless ? 1 : 0;
    config.quality = bLossless ? 75.0f : 90.0f;  // lossless: the effort; lossy: the quality
    config.thread_level = 0;
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        return false;
    picture.use_argb = 1;
    picture.width = static_cast<int>(nWidth);
    picture.height = static_cast<int>(nHeight);
    const int nRowBytes = static_cast<int>(nStride);
    bool ok = bAlpha ? WebPPictureImportBGRA(&picture, pBgra, nRowBytes) != 0
                     : WebPPictureImportBGRX(&picture, pBgra, nRowBytes) != 0;
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    ok = ok && WebPEncode(&config, &picture) != 0;
    WebPPictureFree(&picture);
    if (ok)
        pOut->assign(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    return ok;
}
