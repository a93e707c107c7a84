#include "picture/ExifOrientation.h"

#include <stdint.h>
#include <string.h>

int ReadExifOrientation(const void* pData, size_t nBytes) {
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    if (nBytes >= 6 && memcmp(p, "Exif\0\0", 6) == 0) {
        p += 6;
        nBytes -= 6;
    }
    if (nBytes < 8)
        return 1;
    bool bIntel;
    if (p[0] == 'I' && p[1] == 'I')
        bIntel = true;
    else if (p[0] == 'M' && p[1] == 'M')
        bIntel = false;
    else
        return 1;
    auto u16 = [&](size_t at) -> uint32_t { return bIntel ? p[at] | (p[at + 1] << 8) : (p[at] << 8) | p[at + 1]; };
    auto u32 = [&](size_t at) -> uint32_t {
        return bIntel ? u16(at) | (u16(at + 2) << 16) : (u16(at) << 16) | u16(at + 2);
    };
    if (u16(2) != 42)
        return 1;
    const size_t nIfd = u32(4);
    if (nIfd > nBytes - 2)
        return 1;
    const size_t nEntries = u16(nIfd);
    for (size_t i = 0; i < nEntries; ++i) {
        const size_t at = nIfd + 2 + i * 12;
        if (at + 12 > nBytes)
            break;
        if (u16(at) == 0x0112 && u16(at + 2) == 3) {  // SHORT, stored in the entry itself
            const uint32_t v = u16(at + 8);
            return v >= 1 && v <= 8 ? static_cast<int>(v) : 1;
        }
    }
    return 1;
}
