#include "framework/AfxGdiPlus.h"

#include "framework/GdiPlus.h"

CGdiPlusSession::CGdiPlusSession() : m_token(0), m_bStarted(false) {
    Gdiplus::GdiplusStartupInput input;  // version 1, nothing suppressed
    m_bStarted = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
}

CGdiPlusSession::~CGdiPlusSession() {
    if (m_bStarted)
        Gdiplus::GdiplusShutdown(m_token);
}
