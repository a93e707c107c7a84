// JPEG read by our own decoder: the whole picture, a picture reduced in the DCT (1/2, 1/4 or 1/8
// of each side) for a drawn size smaller than the picture, and a region of it at such a scale.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "picture/DecodedImage.h"

enum class JpegDecode {
    NotOurs,     // not a JPEG
    Decoded,     // *pOut holds the picture, opaque 32-bit BGRA
    Refused,     // a JPEG this decoder does not read (arithmetic coding, ...): GDI+'s turn
    Unreadable,  // malformed or truncated past reading
};

struct JpegInfo {
    UINT nWidth = 0;  // the full picture, as stored (before its orientation)
    UINT nHeight = 0;
    bool bCmyk = false;
    bool bProgressive = false;
};

// The header alone; false when pData is not a JPEG whose frame header can be read.
bool ReadJpegInfo(const void* pData, size_t nBytes, JpegInfo* pInfo);

// The scale 1/n (n 1, 2, 4 or 8) that gives the smallest picture at least nMinWidth x
// nMinHeight for a picture of nWidth x nHeight; 1 when either wanted side is 0.
int JpegScaleFor(UINT nWidth, UINT nHeight, UINT nMinWidth, UINT nMinHeight);

// Decodes at 1/nScale of each side (1, 2, 4 or 8; sides rounded up). The ICC profile and
// orientation are given with the picture as for other decoders; CMYK is converted to the
// display's colours (through its embedded CMYK profile, or naively as GDI+ does without one)
// and its icc left empty. Unreadable: a file that ends before its picture does (as GDI+ has it;
// one whose data ends early at an end marker decodes grey below, as in GDI+), an output past
// 2 GiB, working memory past the ceiling (a progressive file keeps every coefficient: 6 bytes a
// pixel; 1 GiB in 64-bit, 384 MiB in 32-bit), more than 500 scans. Refused: arithmetic coding,
// precisions other than 8 bits and processes or colour spaces the library does not read.
JpegDecode DecodeJpeg(const void* pData, size_t nBytes, int nScale, CDecodedImage* pOut);

// The part rcFull (in pixels of the full picture, clipped to it) decoded at 1/nScale: a picture
// of its sides divided by nScale, rounded up. Only the rows and blocks needed are decoded.
JpegDecode DecodeJpegRegion(const void* pData, size_t nBytes, const RECT& rcFull, int nScale, CDecodedImage* pOut);

// An area-averaged reduction of a 32-bit BGRA frame of nWidth x nHeight to nNewWidth x
// nNewHeight (each no larger than the source's).
void AreaDownscale(const CDecodedFrame& source,
                   UINT nWidth,
                   UINT nHeight,
                   UINT nNewWidth,
                   UINT nNewHeight,
                   CDecodedFrame* pOut);
