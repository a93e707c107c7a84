// The formats this program decodes with decoders of its own, told by the file's leading bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "picture/DecodedImage.h"

enum class OwnDecode {
    NotOurs,     // none of our decoders reads this format: the next decoder's turn
    Decoded,     // *pOut holds the picture
    Unreadable,  // ours, but malformed, truncated or announcing a size too large to decode
};

OwnDecode DecodeOwnFormat(const void* pData, size_t nBytes, CDecodedImage* pOut);

// The leading bytes tell a format one of our decoders reads; kOwnFormatLeadBytes of them tell.
const size_t kOwnFormatLeadBytes = 12;
bool IsOwnFormat(const void* pData, size_t nBytes);

// The memory the frames of one decoded animation may take: the frames after it are left to a
// player that decodes as it goes. The first frame is kept whatever its size (within 2 GiB).
const uint64_t kOwnFramesCeiling = 256ull << 20;
