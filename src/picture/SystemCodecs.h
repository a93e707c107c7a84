// The last resort for a file no other decoder reads: the system's imaging codecs, loaded at run
// time. Where they are missing nothing is decoded.
#pragma once

#include <stddef.h>

#include "picture/DecodedImage.h"

bool DecodeWithSystemCodecs(const void* pData, size_t nBytes, CDecodedImage* pOut);
