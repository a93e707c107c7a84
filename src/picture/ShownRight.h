// What a file says about showing its pixels, and the decoded picture turned and converted by it:
// upright by its orientation tag, in the display's colours by its embedded profile.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <vector>

#include "framework/GdiPlus.h"

struct CShowingInfo {
    int nOrientation = 1;      // EXIF orientation 1-8; 1: as stored
    std::vector<uint8_t> icc;  // the embedded ICC profile; empty: none (drawn as sRGB)
};

// Read from a file's bytes; the defaults when the file says nothing.
CShowingInfo ReadShowingInfo(const void* pData, size_t nBytes);

// The same, read from the file at the path (in the active code page); the defaults when it
// cannot be read.
CShowingInfo ReadShowingInfoOfFile(const char* pszPath);

// The orientation 1-8 of an EXIF block (a TIFF structure, after an optional "Exif\0\0" lead-in,
// as JPEG keeps it); 1 when the block gives none or is malformed. Reads nothing outside it.
int ReadExifOrientation(const void* pData, size_t nBytes);

// Turns *ppBitmap upright and converts it to the display's colours, once per decode; the bitmap
// may be replaced. A picture whose info is the default is left exactly as it is.
void MakeShownRight(std::unique_ptr<Gdiplus::Bitmap>* ppBitmap, const CShowingInfo& info);

// The steps that put a picture of an EXIF orientation upright, in order: none for 1 and for values
// outside 1-8. Each is a plain turn or a plain mirror: this platform's combined values mirror
// before they turn, where the documentation turns first.
std::vector<Gdiplus::RotateFlipType> UprightTurns(int nOrientation);

// The steps on an image of the flat interface (raster only; a metafile is left as it is), which
// may be replaced by a turned 32-bit copy; false when it could not be turned.
bool TurnImageUpright(Gdiplus::GpImage** ppImage, int nOrientation);
