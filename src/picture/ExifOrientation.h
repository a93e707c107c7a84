// The orientation an EXIF block (a TIFF header and its first IFD) gives its picture.
#pragma once

#include <stddef.h>

// Orientation 1-8 from tag 0x0112 of the first IFD of the TIFF-structured block at pData
// (an optional "Exif\0\0" prefix is skipped); 1 when the block has none or is malformed. Reads
// nothing outside the block.
int ReadExifOrientation(const void* pData, size_t nBytes);
