// Tests that use GDI+ without a window: GDI+ runs for each suite of them.
#pragma once

#include <gtest/gtest.h>

#include "framework/GdiPlus.h"

class GdiPlusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_token); }
    static inline ULONG_PTR s_token = 0;
};
