// A JPEG decoded for the draw that shows it: at the DCT scale of its drawn size, within a ceiling
// on its decoded pixels, whole or one part of it, and brought to the drawn size by an area
// average.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "picture/DecodedImage.h"
#include "picture/JpegCodec.h"

struct PictureOptions;

enum class ScaledJpeg {
    Decoded,
    Refused,     // the decoder does not read this JPEG: GDI+'s turn
    Unreadable,  // malformed or truncated past reading
    TooLarge,    // even its smallest scale would pass the ceiling
};

// A file far too short for the picture it announces: fewer bytes than one for every 1024
// pixels, where a JPEG's coding needs at least one bit for every block of each component.
bool JpegIsBomb(const JpegInfo& info, size_t nBytes);

// The scale 1/n (1, 2, 4 or 8) for the drawn size of a part of nPartWidth x nPartHeight pixels
// (as stored) that gives at least nDrawWidth x nDrawHeight for the whole of nWidth x nHeight
// (0: every pixel), made smaller where the part's pixels would pass nCeiling bytes (0: none).
// 0 when even 1/8 passes; *pbReduced tells that the ceiling chose.
int JpegScaleWithin(UINT nWidth,
                    UINT nHeight,
                    UINT nDrawWidth,
                    UINT nDrawHeight,
                    UINT nPartWidth,
                    UINT nPartHeight,
                    ULONGLONG nCeiling,
                    bool* pbReduced);

// The JPEG of info in nBytes at pData as options ask (drawn size, ceiling, part; upright by
// nOrientation when options turn pictures upright): *pOut as stored, *prcPart the part of the
// true, upright picture it shows.
ScaledJpeg DecodeJpegAsAsked(const void* pData,
                             size_t nBytes,
                             const JpegInfo& info,
                             int nOrientation,
                             const PictureOptions& options,
                             CDecodedImage* pOut,
                             RECT* prcPart,
                             bool* pbCeilingReduced);
