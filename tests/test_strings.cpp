// The string type and the wide path conversion.
#include <gtest/gtest.h>

#include <string.h>

#include "view/NorvelView.h"

TEST(CStringTest, PartsAndSearch) {
    CString s("c:\\pictures\\a.bmp");
    EXPECT_EQ(CString("c:\\pic"), s.Left(6));
    EXPECT_EQ(CString("a.bmp"), s.Right(5));
    EXPECT_EQ(CString("pictures"), s.Mid(3, 8));
    EXPECT_EQ(CString(""), s.Left(-3));
    EXPECT_EQ(s, s.Right(100));
    EXPECT_EQ(11, s.ReverseFind('\\'));
    EXPECT_EQ(-1, s.Find('z'));
    EXPECT_EQ(12, s.Find("a.b"));
}

TEST(CStringTest, FormatHandlesLongOutput) {
    CString s;
    s.Format("%.2f kB", 1536 / 1024.0);
    EXPECT_EQ(CString("1.50 kB"), s);
    std::string big(5000, 'x');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(5002, s.GetLength());
    s.Format(" [%d,%d] ", 640, 480);
    EXPECT_EQ(CString(" [640,480] "), s);
}

TEST(CStringTest, CompareIsCaseSensitiveUpperFirst) {
    EXPECT_LT(CString("B.gif").Compare("a.bmp"), 0);
    EXPECT_GT(CString("c.JPG").Compare("a.bmp"), 0);
    EXPECT_EQ(0, CString("same").Compare("same"));
    EXPECT_EQ(0, CString("SAME").CompareNoCase("same"));
}

TEST(ToWideTest, ConvertsAndTerminates) {
    const wchar_t* w = ToWide("c:\\pictures\\a.bmp");
    EXPECT_EQ(w, g_wszPath);
    EXPECT_STREQ(L"c:\\pictures\\a.bmp", w);
}

TEST(ToWideTest, ShortAfterLongLeavesNoTrace) {
    std::string longPath(900, 'L');
    ToWide(longPath.c_str());
    ToWide("short");
    EXPECT_STREQ(L"short", g_wszPath);
    for (int i = 5; i < kWidePathChars; ++i)
        ASSERT_EQ(0, g_wszPath[i]) << "at " << i;
}

TEST(ToWideTest, PathOf1023BytesConvertsWhole) {
    std::string path(1023, 'p');
    ToWide(path.c_str());
    EXPECT_EQ(1023u, wcslen(g_wszPath));
    EXPECT_EQ(0, g_wszPath[1023]);
}

TEST(ToWideTest, TooLongPathIsCutAndTerminated) {
    for (int n : {1024, 1025, 4000}) {
        std::string path(n, 'q');
        path[0] = 'A';
        const wchar_t* w = ToWide(path.c_str());
        EXPECT_EQ(1023u, wcslen(w)) << n;
        EXPECT_EQ(L'A', w[0]);
        EXPECT_EQ(0, g_wszPath[kWidePathChars - 1]);
    }
    // A short path afterwards is whole and clean.
    ToWide("x");
    EXPECT_STREQ(L"x", g_wszPath);
}

TEST(ToWideTest, UsesTheActiveCodePage) {
    // "café" in the active code page (1252 here): é is 0xE9.
    char cafe[] = {'c', 'a', 'f', static_cast<char>(0xE9), 0};
    wchar_t expected[8] = {};
    MultiByteToWideChar(CP_ACP, 0, cafe, -1, expected, 8);
    EXPECT_STREQ(expected, ToWide(cafe));
    EXPECT_EQ(4u, wcslen(g_wszPath));
    if (GetACP() == 1252) {
        EXPECT_EQ(0x00E9, g_wszPath[3]);
    }
}

TEST(ToWideTest, NullAndEmpty) {
    ToWide("something");
    EXPECT_STREQ(L"", ToWide(""));
    EXPECT_STREQ(L"", ToWide(nullptr));
}

TEST(ToWideTest, NoBufferOrNoRoomWritesNothing) {
    wchar_t buf[4] = {L'x', L'y', L'z', L'w'};
    EXPECT_EQ(buf, AfxToWideBuffer("abc", buf, 0));
    EXPECT_EQ(buf, AfxToWideBuffer("abc", buf, -1));
    EXPECT_EQ(0, wmemcmp(buf, L"xyzw", 4));
    EXPECT_EQ(nullptr, AfxToWideBuffer("abc", nullptr, 16));
    EXPECT_STREQ(L"ab", AfxToWideBuffer("abc", buf, 3));
}
