// The string type and the wide path conversion.
#include <gtest/gtest.h>

#include <string.h>

#include "view/NorvelView.h"

namespace {
// Привет 日本 🌴
const char kMixedName[] = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8c\xb4";
}  // namespace

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
    // The test programs carry the program's manifest: the active code page is UTF-8, as in the
    // program on today's systems.
    ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP());
    EXPECT_STREQ(L"caf\u00e9", ToWide("caf\xc3\xa9"));
    EXPECT_STREQ(L"\u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c \U0001F334", ToWide(kMixedName));
}

TEST(ToWideTest, ACutNeverKeepsHalfASurrogatePair) {
    // 1022 letters and an emoji: its first half would be the last character that fits.
    std::string path(1022, 'a');
    path += "\xf0\x9f\x8c\xb4";
    ToWide(path.c_str());
    EXPECT_EQ(1022u, wcslen(g_wszPath));
    path = std::string(1021, 'a') + "\xf0\x9f\x8c\xb4";  // exactly fits
    ToWide(path.c_str());
    EXPECT_EQ(1023u, wcslen(g_wszPath));
    EXPECT_EQ(0xDF34, g_wszPath[1022]);
}

// Characters as the system counts them, and cuts that keep whole characters, in UTF-8.
TEST(CharTest, CountsCharactersNotBytes) {
    struct {
        const char* text;
        int chars;
    } cases[] = {
        {"", 0},
        {"plain.jpg", 9},
        {"caf\xc3\xa9", 4},               // two-byte sequence
        {"\xe6\x97\xa5\xe6\x9c\xac", 2},  // three-byte sequences
        {"\xf0\x9f\x8c\xb4", 2},          // four bytes, a surrogate pair
        {"e\xcc\x81", 2},                 // e and a combining acute accent
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.chars, AfxCharCount(c.text)) << c.text;
    EXPECT_EQ(0, AfxCharCount(nullptr));
}

TEST(CharTest, CutsEndOnACharacterBoundary) {
    const char* emoji = "ab\xf0\x9f\x8c\xb4z";  // a b, four bytes, z
    struct {
        int bytes, expected;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 6}, {7, 7}, {100, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, AfxCharBoundary(emoji, c.bytes)) << c.bytes;
    EXPECT_EQ(2, AfxCharBoundary("\xd0\x9f\xd1\x80", 3));

    char buf[6];
    EXPECT_STREQ("ab", AfxCopyText(buf, emoji, sizeof buf));  // room for five bytes: not the emoji
    char big[8];
    EXPECT_STREQ(emoji, AfxCopyText(big, emoji, sizeof big));
    EXPECT_STREQ("", AfxCopyText(buf, nullptr, sizeof buf));
}

TEST(CStringTest, NonAsciiNamesCompareWithoutCaseAsTheFileSystemDoes) {
    // Cyrillic, Greek and Latin letters outside ASCII, upper against lower case.
    EXPECT_EQ(0, CString("\xd0\x9f\xd0\xa0\xd0\x98\xd0\x92\xd0\x95\xd0\xa2.jpg")
                     .CompareNoCase("\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.JPG"));
    EXPECT_EQ(0, CString("\xce\x91\xce\x98\xce\x97\xce\x9d\xce\x91.png")
                     .CompareNoCase("\xce\xb1\xce\xb8\xce\xb7\xce\xbd\xce\xb1.png"));
    EXPECT_EQ(0, CString("CAF\xc3\x89").CompareNoCase("caf\xc3\xa9"));
    EXPECT_NE(0, CString("caf\xc3\xa9").CompareNoCase("cafe"));
    EXPECT_NE(0, CString("\xe6\x97\xa5").CompareNoCase("\xe6\x9c\xac"));
    // Well defined: opposite signs both ways.
    int ab = CString("\xd0\xb0").CompareNoCase("\xd0\xb1"), ba = CString("\xd0\xb1").CompareNoCase("\xd0\xb0");
    EXPECT_LT(ab, 0);
    EXPECT_GT(ba, 0);
}

TEST(CStringTest, NonAsciiNamesSortInCodePointOrderAfterAscii) {
    // ASCII first (upper case before lower case, as before), then Latin-1, Greek, Cyrillic, CJK,
    // and a character outside the basic plane last.
    const char* ordered[] = {"B.jpg",
                             "a.jpg",
                             "z.jpg",
                             "\xc3\xa9t\xc3\xa9.jpg",
                             "\xce\xb1.jpg",
                             "\xd0\x9f.jpg",
                             "\xe6\x97\xa5.jpg",
                             "\xf0\x9f\x8c\xb4.jpg"};
    for (size_t i = 1; i < sizeof ordered / sizeof ordered[0]; ++i) {
        EXPECT_LT(CString(ordered[i - 1]).Compare(ordered[i]), 0) << ordered[i - 1] << " " << ordered[i];
        EXPECT_GT(CString(ordered[i]).Compare(ordered[i - 1]), 0) << ordered[i];
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
