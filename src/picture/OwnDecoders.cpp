#include "picture/OwnDecoders.h"

OwnDecode DecodeOwnFormat(const void*, size_t, CDecodedImage*) {
    return OwnDecode::NotOurs;
}
