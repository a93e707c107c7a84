#include "picture/ShownRight.h"

CShowingInfo ReadShowingInfo(const void*, size_t) {
    return CShowingInfo();
}

void MakeShownRight(std::unique_ptr<Gdiplus::Bitmap>*, const CShowingInfo&) {}
