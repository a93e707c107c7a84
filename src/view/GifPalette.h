// Reducing a true-colour picture to the 8-bit palette a GIF holds: the colours chosen from the
// picture itself and the rounding error diffused to the neighbours, or the picture's own colours
// when it has few enough. Plain functions over pixel buffers, and the GDI+ bitmap made from them.
#pragma once

#include <stdint.h>

#include <vector>

#include "framework/GdiPlus.h"

// The most entries a GIF palette holds.
const int kGifPaletteMax = 256;

// Reduces nWidth x nHeight pixels, rows of 0xAARRGGBB words nStride bytes apart (GDI+'s
// 32-bit ARGB layout), to at most kGifPaletteMax colours, writing one palette index per pixel
// into rows nIndexStride bytes apart. Returns the palette, opaque 0xFFRRGGBB entries. A picture
// of kGifPaletteMax colours or fewer keeps exactly its colours, each pixel its own. Any other is
// given the colours that best represent it (median cut over its colours, refined by a few
// k-means rounds) and Floyd-Steinberg error diffusion, serpentine. Alpha is not looked at.
// nMaxColours (1 to kGifPaletteMax) takes the place of kGifPaletteMax when given.
std::vector<uint32_t> ReduceToPalette(const uint32_t* pPixels,
                                      int nWidth,
                                      int nHeight,
                                      int nStride,
                                      uint8_t* pIndices,
                                      int nIndexStride,
                                      int nMaxColours = kGifPaletteMax);

// The pixels as a GIF can hold them, rows of nWidth opaque 0xFFRRGGBB words: partly transparent
// pixels drawn over white; fully transparent ones flagged in *pTransparent (one byte per pixel,
// 1 for transparent) and given a colour that leaves the palette as the others choose it.
std::vector<uint32_t> OpaqueForGif(const uint32_t* pPixels,
                                   int nWidth,
                                   int nHeight,
                                   int nStride,
                                   std::vector<uint8_t>* pTransparent);

// An 8-bit indexed copy of a picture, with the palette ReduceToPalette chooses for the pixels
// OpaqueForGif gives, and when some pixel is fully transparent, one transparent entry more
// (0x00FFFFFF, the last) that those pixels take; null when the picture cannot be read or the
// copy cannot be made. The caller disposes of it.
Gdiplus::GpBitmap* CreatePaletteBitmap(Gdiplus::GpImage* pImage);
