// The formats this program decodes with decoders of its own, told by the file's leading bytes.
#pragma once

#include <stddef.h>

#include "picture/DecodedImage.h"

enum class OwnDecode {
    NotOurs,     // none of our decoders reads this format: the next decoder's turn
    Decoded,     // *pOut holds the picture
    Unreadable,  // ours, but malformed, truncated or announcing a size too large to decode
};

OwnDecode DecodeOwnFormat(const void* pData, size_t nBytes, CDecodedImage* pOut);
