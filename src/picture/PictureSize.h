// The pixel size a raster picture file announces in its own header, read without decoding it:
// a decoder allocates the whole picture before it looks at the pixel data, so a small file that
// announces a huge picture has to be refused before any decoder sees it.
#pragma once

#include <windows.h>

#include <stddef.h>

// The size announced by a BMP (core and info headers), GIF (logical screen, widened to the
// first image descriptor's extent), PNG (IHDR), JPEG (the first SOFn marker), TIFF (the first
// IFD) or ICO/CUR (the largest entry, a PNG entry by its own IHDR) in nBytes at pData. False,
// and 0 x 0, when the bytes do not tell: another format (metafiles included), truncated or
// malformed. Reads nothing outside the block and ends after a bounded number of steps.
bool ReadPictureSize(const void* pData, size_t nBytes, UINT* pcx, UINT* pcy);

// The same for a file: a bounded prefix and a bounded number of reads at other offsets. The file
// is shared for reading, writing and deletion and closed before the call returns.
bool ReadPictureSize(const char* pszPath, UINT* pcx, UINT* pcy);

// The picture's pixels at 32 bits each would take more than 2 GiB.
bool PixelsPass2GiB(UINT cx, UINT cy);

// The file announces a picture whose 32-bit pixels would pass 2 GiB. A size not known is not too
// large: such a file is left to the decoder.
bool PictureTooLarge(const char* pszPath);
