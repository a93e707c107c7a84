#include "picture/OwnDecoders.h"

#include <new>

#include "picture/WebpCodec.h"

bool IsOwnFormat(const void* pData, size_t nBytes) {
    return IsWebp(pData, nBytes);
}

OwnDecode DecodeOwnFormat(const void* pData, size_t nBytes, CDecodedImage* pOut) {
    try {
        if (IsWebp(pData, nBytes))
            return DecodeWebp(pData, nBytes, pOut);
    } catch (const std::bad_alloc&) {
        // A picture whose frames do not fit in this process's memory is one it cannot read.
        *pOut = CDecodedImage();
        return OwnDecode::Unreadable;
    }
    return OwnDecode::NotOurs;
}
