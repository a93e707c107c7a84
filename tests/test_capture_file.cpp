// The capture file: sizes, the headers byte by byte, the depth chosen for each screen depth,
// the pixels as written, and a write that never leaves a broken or foreign file behind.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

#include "CaptureUtil.h"
#include "TestUtil.h"
#include "capture/BitmapFile.h"
#include "capture/Capture.h"

namespace {
uint32_t U32(const std::string& b, size_t at) {
    uint32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t U16(const std::string& b, size_t at) {
    uint16_t v;
    memcpy(&v, b.data() + at, 2);
    return v;
}

// A DIB section of the given depth filled from the pattern (through GDI, so every depth
// holds the pattern as that depth can).
HBITMAP MakeSection(int w, int h, int bits) {
    struct {
        BITMAPINFOHEADER bi;
        RGBQUAD colours[256];
    } info = {};
    info.bi.biSize = sizeof info.bi;
    info.bi.biWidth = w;
    info.bi.biHeight = h;
    info.bi.biPlanes = 1;
    info.bi.biBitCount = static_cast<WORD>(bits);
    for (int i = 0; i < 256; ++i)  // 8 bits: a grey ramp
        info.colours[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    info.bi.biClrUsed = bits <= 8 ? 256 : 0;
    void* pBits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP hbm = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pBits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    unsigned char* row = static_cast<unsigned char*>(pBits);
    int stride = ((w * bits + 31) / 32) * 4;
    for (int y = 0; y < h; ++y, row += stride) {
        int top = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            COLORREF c = PatternColour(x, top);
            if (bits == 32 || bits == 24) {
                unsigned char* p = row + x * (bits / 8);
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
            } else if (bits == 16) {
                uint16_t v = static_cast<uint16_t>(((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) |
                                                   (GetBValue(c) >> 3));
                memcpy(row + x * 2, &v, 2);
            } else {
                row[x] = GetGValue(c);
            }
        }
    }
    return hbm;
}

// What the pattern looks like after a trip through the given depth.
COLORREF Through(int bits, int x, int y) {
    COLORREF c = PatternColour(x, y);
    if (bits == 16) {
        auto cut = [](BYTE v) { return static_cast<BYTE>(((v >> 3) << 3) | (v >> 5)); };
        return RGB(cut(GetRValue(c)), cut(GetGValue(c)), cut(GetBValue(c)));
    }
    if (bits == 8)
        return RGB(GetGValue(c), GetGValue(c), GetGValue(c));
    return c;
}

class CaptureFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTempFolder("capture-file"); }
    std::string folder;
};
}  // namespace

TEST(CaptureFileSizes, RowsArePaddedToWholeDwords) {
    EXPECT_EQ(4096u, BitmapRowSize(1024, 32));
    EXPECT_EQ(3145728u, BitmapImageSize(1024, 768, 32));
    EXPECT_EQ(100u, BitmapRowSize(33, 24));  // 99 rounded up
    EXPECT_EQ(1000u, BitmapImageSize(33, 10, 24));
    EXPECT_EQ(36u, BitmapRowSize(17, 16));  // 34 rounded up
    EXPECT_EQ(180u, BitmapImageSize(17, 5, 16));
    EXPECT_EQ(4u, BitmapRowSize(1, 24));
    EXPECT_EQ(4u, BitmapRowSize(1, 1));
    EXPECT_EQ(0u, BitmapImageSize(0, 10, 32));
    EXPECT_EQ(0u, BitmapImageSize(10, -1, 32));
    // No overflow on absurd sizes.
    EXPECT_EQ(uint64_t(0x7FFFFFFF) * 4 + 4, BitmapRowSize(0x7FFFFFFF, 32) + 4);
}

TEST(CaptureFileSizes, ScreensOfEightBitsOrFewerAreStoredInFullColour) {
    EXPECT_EQ(32, CaptureBitsPerPixel(32));
    EXPECT_EQ(24, CaptureBitsPerPixel(24));
    EXPECT_EQ(16, CaptureBitsPerPixel(16));
    EXPECT_EQ(16, CaptureBitsPerPixel(15));
    EXPECT_EQ(24, CaptureBitsPerPixel(8));
    EXPECT_EQ(24, CaptureBitsPerPixel(4));
    EXPECT_EQ(24, CaptureBitsPerPixel(1));
    EXPECT_EQ(24, CaptureBitsPerPixel(0));
}

TEST(CaptureFileSizes, HeadersFieldByField) {
    BITMAPFILEHEADER bf;
    BITMAPINFOHEADER bi;
    ASSERT_TRUE(FillBitmapHeaders(1024, 768, 32, &bf, &bi));
    std::string b(reinterpret_cast<char*>(&bf), sizeof bf);
    b.append(reinterpret_cast<char*>(&bi), sizeof bi);
    ASSERT_EQ(54u, b.size());
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    EXPECT_EQ(3145782u, U32(b, 2));
    EXPECT_EQ(0u, U16(b, 6));
    EXPECT_EQ(0u, U16(b, 8));
    EXPECT_EQ(54u, U32(b, 10));
    EXPECT_EQ(40u, U32(b, 14));
    EXPECT_EQ(1024u, U32(b, 18));
    EXPECT_EQ(768u, U32(b, 22));
    EXPECT_EQ(1u, U16(b, 26));
    EXPECT_EQ(32u, U16(b, 28));
    EXPECT_EQ(0u, U32(b, 30));
    EXPECT_EQ(3145728u, U32(b, 34));
    for (size_t at = 38; at < 54; at += 4)
        EXPECT_EQ(0u, U32(b, at)) << at;

    ASSERT_TRUE(FillBitmapHeaders(33, 10, 24, &bf, &bi));
    EXPECT_EQ(1054u, bf.bfSize);
    EXPECT_EQ(1000u, bi.biSizeImage);
    ASSERT_TRUE(FillBitmapHeaders(17, 5, 16, &bf, &bi));
    EXPECT_EQ(234u, bf.bfSize);
    EXPECT_EQ(180u, bi.biSizeImage);

    // Sizes a file cannot describe.
    EXPECT_FALSE(FillBitmapHeaders(0, 5, 32, &bf, &bi));
    EXPECT_FALSE(FillBitmapHeaders(5, 0, 32, &bf, &bi));
    EXPECT_FALSE(FillBitmapHeaders(-3, 5, 32, &bf, &bi));
    EXPECT_FALSE(FillBitmapHeaders(30000, 30000, 32, &bf, &bi));  // 3.6 GB
}

TEST_F(CaptureFileTest, EveryDepthIsWrittenWithItsPixelsBottomUp) {
    HDC screen = GetDC(nullptr);
    for (int bits : {32, 24, 16, 8}) {
        SCOPED_TRACE(bits);
        HBITMAP hbm = MakeSection(33, 10, bits);
        ASSERT_NE(nullptr, hbm);
        std::string path = folder + "depth" + std::to_string(bits) + ".bmp";
        ASSERT_TRUE(WriteBitmapFile(screen, hbm, path.c_str()));
        DeleteObject(hbm);
        BmpFile f = ReadBmp(path);
        ASSERT_TRUE(f.ok);
        int stored = bits == 8 ? 24 : bits;
        EXPECT_EQ(stored, f.info.biBitCount);
        EXPECT_EQ(33, f.info.biWidth);
        EXPECT_EQ(10, f.info.biHeight);
        EXPECT_EQ(static_cast<DWORD>(BitmapImageSize(33, 10, stored)), f.info.biSizeImage);
        EXPECT_EQ(54 + f.info.biSizeImage, f.file.bfSize);
        EXPECT_EQ(f.file.bfSize, f.bytes.size());
        EXPECT_EQ(0u, f.info.biClrUsed);
        int wrong = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 33; ++x)
                wrong += f.Pixel(x, y) != Through(bits, x, y);
        EXPECT_EQ(0, wrong);
        // Row padding is zero: 33 pixels of 24 bits leave one byte per row.
        if (stored == 24) {
            for (int y = 0; y < 10; ++y)
                EXPECT_EQ(0, f.bytes[54 + y * 100 + 99]) << y;
        }
    }
    ReleaseDC(nullptr, screen);
}

TEST_F(CaptureFileTest, ReplacingKeepsNothingButTheNewFile) {
    std::string path = folder + "target.bmp";
    WriteFile(path, "old contents");
    WriteFile(folder + "mrv1234.tmp", "a file of the user's that looks like ours");
    const char data[] = "new contents, longer than the old ones";
    FilePart parts[] = {{data, 4}, {data + 4, sizeof data - 4}};
    ASSERT_TRUE(WriteFileReplacing(path.c_str(), parts, 2));
    EXPECT_EQ(std::string(data, sizeof data), ReadAll(path));
    EXPECT_EQ("a file of the user's that looks like ours", ReadAll(folder + "mrv1234.tmp"));
    EXPECT_EQ(1u, FilesMatching(folder, "*.tmp").size());
    EXPECT_EQ(4u, FilesMatching(folder, "*").size());  // ".", "..", the target and the user's file
}

TEST_F(CaptureFileTest, AFailedWriteLeavesTheOldFileWhole) {
    const char data[] = "0123456789";
    FilePart part = {data, sizeof data};

    // The folder does not exist: nothing is made anywhere.
    std::string missing = folder + "no-such-folder\\target.bmp";
    EXPECT_FALSE(WriteFileReplacing(missing.c_str(), &part, 1));
    EXPECT_FALSE(FileExists(missing));

    // The target is held open by someone else: it keeps its bytes, and no temporary stays.
    std::string path = folder + "held.bmp";
    WriteFile(path, "the previous capture");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(WriteFileReplacing(path.c_str(), &part, 1));
    CloseHandle(h);
    EXPECT_EQ("the previous capture", ReadAll(path));
    EXPECT_TRUE(FilesMatching(folder, "*.tmp").empty());

    // The target is a folder: it stays one.
    std::string dir = folder + "a-folder.bmp";
    CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(dir.c_str(), &part, 1));
    EXPECT_TRUE(GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FilesMatching(folder, "*.tmp").empty());
}

TEST_F(CaptureFileTest, ABitmapThatCannotBeReadWritesNothing) {
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(WriteBitmapFile(screen, nullptr, (folder + "null.bmp").c_str()));
    HBITMAP hbm = MakeSection(8, 8, 32);
    EXPECT_TRUE(WriteBitmapFile(screen, hbm, (folder + "live.bmp").c_str()));
    DeleteObject(hbm);
    EXPECT_FALSE(WriteBitmapFile(screen, hbm, (folder + "deleted.bmp").c_str()));
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(FileExists(folder + "null.bmp"));
    EXPECT_TRUE(FileExists(folder + "live.bmp"));
    EXPECT_FALSE(FileExists(folder + "deleted.bmp"));
    EXPECT_TRUE(FilesMatching(folder, "*.tmp").empty());
}

// Where the capture file goes: the preferred place when a file can be made there, otherwise
// Morvane\morvane.bmp under the fallback folder (made when missing), and the preferred place
// again when neither can be written.
TEST(CaptureFilePlace, ThePreferredPlaceWhereItCanBeWrittenOtherwiseTheUsersFolder) {
    std::string root = MakeTempFolder("capture-place");
    WriteFile(root + "blocker", "a file, so no folder of that name can be made");
    CreateDirectoryA((root + "open").c_str(), nullptr);
    CreateDirectoryA((root + "user").c_str(), nullptr);
    CreateDirectoryA((root + "user2").c_str(), nullptr);
    CreateDirectoryA((root + "user2\\Morvane").c_str(), nullptr);
    struct Case {
        std::string preferred, fallback, expected;
    } cases[] = {
        {root + "open\\morvane.bmp", root + "user", root + "open\\morvane.bmp"},
        {root + "blocker\\morvane.bmp", root + "user", root + "user\\Morvane\\morvane.bmp"},
        {root + "missing\\morvane.bmp", root + "user\\", root + "user\\Morvane\\morvane.bmp"},
        {root + "missing\\morvane.bmp", root + "user2", root + "user2\\Morvane\\morvane.bmp"},  // folder there already
        {root + "blocker\\morvane.bmp", root + "blocker", root + "blocker\\morvane.bmp"},
        {root + "blocker\\morvane.bmp", "", root + "blocker\\morvane.bmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ChooseCaptureFile(c.preferred.c_str(), c.fallback.c_str()))
            << c.preferred << " | " << c.fallback;
        // Nothing of the trials is left behind.
        for (const char* sub : {"open", "user\\Morvane", "user2\\Morvane"})
            EXPECT_TRUE(FilesMatching(root + sub + "\\", "mrv*.tmp").empty()) << sub;
    }
    EXPECT_FALSE(FileExists(root + "open\\morvane.bmp"));  // tried, not written
}
