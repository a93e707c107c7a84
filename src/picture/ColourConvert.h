// Pixels converted from the colours of an embedded ICC profile to the display's (or to sRGB),
// through the colour engine (lcms2).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "framework/GdiPlus.h"

// The profile the system names for the screen (GetICMProfile on the screen's DC), read whole;
// empty when it names none or the file cannot be read.
std::vector<uint8_t> DisplayProfile();

// Whether the profile draws its pixels as sRGB does (within one level in every channel): such
// pictures need no conversion. False for a profile the engine cannot read.
bool DrawsAsSrgb(const std::vector<uint8_t>& icc);

// Converts the 32-bit ARGB rows (B, G, R, A bytes) in place from the source profile to the target
// profile (sRGB when the target is empty); the alpha stays. False, and the rows unchanged, when
// either profile cannot be read or has no conversion to the other.
bool ConvertRows(uint8_t* pRows,
                 int nStride,
                 UINT nWidth,
                 UINT nHeight,
                 const std::vector<uint8_t>& source,
                 const std::vector<uint8_t>& target);

// Converts nWidth x nHeight CMYK pixels in place (four bytes each, C, M, Y, K, rows without
// padding; bInverted: 0 is full ink, as Adobe's writers store them) through the CMYK profile
// source to opaque B, G, R, A pixels in the target profile (sRGB when the target is empty).
// False, and the pixels unchanged, when the source is no CMYK profile the engine can read.
bool ConvertCmykRows(uint8_t* pPixels,
                     bool bInverted,
                     UINT nWidth,
                     UINT nHeight,
                     const std::vector<uint8_t>& source,
                     const std::vector<uint8_t>& target);

// The bitmap of the flat interface converted likewise, replaced by a 32-bit ARGB copy when its
// own format cannot be written back without loss (palettes, fewer than 24 or more than 32 bits).
bool ConvertBitmapColours(Gdiplus::GpBitmap** ppBitmap,
                          const std::vector<uint8_t>& source,
                          const std::vector<uint8_t>& target);
