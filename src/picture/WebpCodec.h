// WebP pictures, still and animated: decoded and written with libwebp (its demuxer composes an
// animation's frames on the canvas, with the disposal and blending the format defines).
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "picture/OwnDecoders.h"

// A RIFF container of the form "WEBP".
bool IsWebp(const void* pData, size_t nBytes);

// Every frame of the WebP file in the block, as the canvas shows it, with its delay, the loop
// count, the ICC profile (ICCP), the EXIF orientation, alpha and whether every frame is lossless.
// Unreadable when it is malformed or truncated, or announces a canvas wider or taller than
// kWebpMaxSide or whose pixels pass 2 GiB.
OwnDecode DecodeWebp(const void* pData, size_t nBytes, CDecodedImage* pOut);

// The largest width and height a WebP file can hold.
const UINT kWebpMaxSide = 16383;

// Writes nWidth x nHeight pixels (rows nStride bytes apart, bytes B, G, R, A, the alpha straight)
// as a still WebP file into *pOut: lossless, or lossy at quality 90 with the alpha kept; bAlpha
// false takes every pixel as opaque. False when the size passes kWebpMaxSide or the encoder fails.
bool EncodeWebp(const uint8_t* pBgra,
                UINT nWidth,
                UINT nHeight,
                size_t nStride,
                bool bAlpha,
                bool bLossless,
                std::vector<uint8_t>* pOut);
