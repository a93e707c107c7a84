#include "picture/SystemCodecs.h"

bool DecodeWithSystemCodecs(const void*, size_t, CDecodedImage*) {
    return false;
}
