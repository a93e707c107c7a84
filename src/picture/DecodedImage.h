// A picture as a decoder of our own (or the system's codecs) hands it back: every frame as 32-bit
// BGRA rows, with what the file says about showing it. GDI+ keeps decoding the formats it reads;
// this is the shape every other decoder fills.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/GdiPlus.h"

struct CDecodedFrame {
    // nWidth x nHeight pixels of the canvas, top-down rows without padding, bytes B, G, R, A, the
    // alpha straight (not premultiplied): the frame as it is shown, disposal and blending done.
    std::vector<uint8_t> pixels;
    UINT nDelayMs = 0;  // as the file gives it; 0 for a still picture
};

struct CDecodedImage {
    UINT nWidth = 0;
    UINT nHeight = 0;
    bool bHasAlpha = false;    // some pixel may let the background through
    bool bLossless = false;    // the file's coding keeps every pixel (a WebP written from it is lossless)
    int nLoopCount = 0;        // plays of an animation; 0: for ever
    int nOrientation = 1;      // EXIF orientation 1-8 still to be applied; 1 when upright as decoded
    std::vector<uint8_t> icc;  // the embedded ICC profile; empty when there is none
    std::string strFormat;     // for the preview's format line: "WEBP", "AVIF" or the codec's name
    std::vector<CDecodedFrame> frames;
    // False when the file has frames after the last one kept: their pixels would have passed the
    // memory the decoded frames may take (kOwnFramesCeiling), so a player decodes them as it goes.
    bool bAllFrames = true;
};

// The first frame of a decoded picture as a GDI+ bitmap that owns its pixels (32 bits per pixel,
// ARGB; PixelFormat32bppRGB when nothing lets the background through); nullptr when the picture
// has no frame or GDI+ cannot make the bitmap.
std::unique_ptr<Gdiplus::Bitmap> MakeBitmap(const CDecodedImage& image, size_t nFrame = 0);
