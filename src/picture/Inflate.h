// Inflate of zlib streams (a deflate stream in a two-byte header and an Adler-32 check), as PNG
// keeps its embedded colour profile: bounded in what it writes, safe on any input.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

// The stream's bytes inflated into *pOut; false (and *pOut undefined) when the stream is not
// whole and valid, its check fails, or it would inflate to more than nMaxOut bytes.
bool InflateZlib(const uint8_t* pData, size_t nBytes, size_t nMaxOut, std::vector<uint8_t>* pOut);
