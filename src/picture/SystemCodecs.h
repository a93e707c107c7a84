// The last resort for a file no other decoder reads: the system's imaging codecs, loaded at run
// time. Where they are missing nothing is decoded.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "picture/DecodedImage.h"

// The first frame of the picture in the nBytes at pData, as 32-bit BGRA; strFormat is the
// codec's own name. False when no codec of the system reads it, the system has none, or the
// picture's 32-bit pixels would pass 2 GiB (refused before any pixel is decoded).
bool DecodeWithSystemCodecs(const void* pData, size_t nBytes, CDecodedImage* pOut);

// The same for a file, read whole into memory first (the file closed at once); false also for a
// file that is gone, empty or larger than nMaxBytes.
bool DecodeFileWithSystemCodecs(const char* pszPath, unsigned long long nMaxBytes, CDecodedImage* pOut);

// The file extensions (".dds", lower case, each once, in the system's order) of the installed
// decoders, without those of the formats GDI+ reads and of WebP and AVIF. Asked of the system
// once per process; empty where it has no imaging codecs.
const std::vector<std::string>& SystemCodecExtensions();

// The extensions of the formats GDI+ reads (".jpeg", ".tif", ".dib", ...), and ".webp", ".avif"
// and ".avifs": the system's decoders for those are never listed above.
bool IsExtensionReadElsewhere(const std::string& strExt);

// The folder patterns of the formats beyond GDI+'s: "*.webp", "*.avif", "*.avifs", then one per
// extension of the system's decoders above.
std::vector<std::string> ExtraPicturePatterns();
