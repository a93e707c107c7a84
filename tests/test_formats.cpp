// The formats beyond GDI+'s: the system's imaging codecs as the last decoder, the patterns that
// list such files with their folder, the open dialog's filter and preview for them, and such a
// picture shown by the real view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppFixture.h"
#include "PanelSteps.h"
#include "dialogs/SpecFileDlg.h"
#include "picture/SystemCodecs.h"

namespace {

// Pixel (x, y) of a decoded first frame as 0xAARRGGBB.
UINT PixelAt(const CDecodedImage& image, UINT x, UINT y) {
    const uint8_t* p = image.frames[0].pixels.data() + (static_cast<size_t>(y) * image.nWidth + x) * 4;
    return (static_cast<UINT>(p[3]) << 24) | (static_cast<UINT>(p[2]) << 16) | (static_cast<UINT>(p[1]) << 8) | p[0];
}

const char* const kSystemOnly[] = {"halves.dds", "halves.tga", "halves.jxr"};

class SystemCodecsTest : public ::testing::TestWithParam<const char*> {};
}  // namespace

// Each picture as the system's codecs decode it from memory: its size, both halves' colours
// everywhere, no alpha, and the codec's own name.
TEST_P(SystemCodecsTest, DecodesFromMemoryToBgra) {
    std::string bytes = ReadAll(TestPicture(GetParam()));
    ASSERT_FALSE(bytes.empty()) << TestPicture(GetParam());
    CDecodedImage image;
    ASSERT_TRUE(DecodeWithSystemCodecs(bytes.data(), bytes.size(), &image));
    EXPECT_EQ(8u, image.nWidth);
    EXPECT_EQ(6u, image.nHeight);
    ASSERT_EQ(1u, image.frames.size());
    ASSERT_EQ(8u * 6u * 4u, image.frames[0].pixels.size());
    EXPECT_FALSE(image.bHasAlpha);
    EXPECT_FALSE(image.strFormat.empty());
    int wrong = 0;
    for (UINT y = 0; y < 6; ++y) {
        for (UINT x = 0; x < 8; ++x)
            wrong += PixelAt(image, x, y) != (x < 4 ? 0xFFFF0000u : 0xFF0000FFu);
    }
    EXPECT_EQ(0, wrong);
    // The same through the file.
    CDecodedImage fromFile;
    ASSERT_TRUE(DecodeFileWithSystemCodecs(TestPicture(GetParam()).c_str(), 1 << 20, &fromFile));
    EXPECT_EQ(image.frames[0].pixels, fromFile.frames[0].pixels);
    EXPECT_EQ(image.strFormat, fromFile.strFormat);
    // Not read whole when larger than allowed.
    EXPECT_FALSE(DecodeFileWithSystemCodecs(TestPicture(GetParam()).c_str(), bytes.size() - 1, &fromFile));
}

INSTANTIATE_TEST_SUITE_P(Formats, SystemCodecsTest, ::testing::ValuesIn(kSystemOnly));

TEST(SystemCodecs, WhatNoCodecReadsIsNotDecoded) {
    CDecodedImage image;
    const std::string text = "not a picture at all, only words";
    EXPECT_FALSE(DecodeWithSystemCodecs(text.data(), text.size(), &image));
    EXPECT_FALSE(DecodeWithSystemCodecs(nullptr, 0, &image));
    EXPECT_FALSE(DecodeFileWithSystemCodecs("Z:\\no\\such\\file.dds", 1 << 20, &image));
    EXPECT_TRUE(image.frames.empty());
    // Every truncation of a real picture: decoded whole or refused, never a crash.
    std::string dds = ReadAll(TestPicture("halves.dds"));
    for (size_t n = 1; n < dds.size(); n += 7)
        DecodeWithSystemCodecs(dds.data(), n, &image);
}

// The installed decoders' extensions, without those of the formats GDI+ and our own decoders
// read: this system's DDS, TGA and JPEG XR codecs, and none of .jpeg, .tif, .dib or .rle.
TEST(SystemCodecs, ExtensionsOfTheOtherFormats) {
    const std::vector<std::string>& exts = SystemCodecExtensions();
    auto has = [&exts](const char* e) { return std::find(exts.begin(), exts.end(), e) != exts.end(); };
    EXPECT_TRUE(has(".dds"));
    EXPECT_TRUE(has(".tga"));
    EXPECT_TRUE(has(".jxr"));
    for (const char* e : {".jpeg", ".jpg", ".jfif", ".tif", ".tiff", ".dib", ".rle", ".bmp", ".png", ".gif", ".ico"})
        EXPECT_FALSE(has(e)) << e;
    for (size_t i = 0; i < exts.size(); ++i) {
        EXPECT_EQ(1, std::count(exts.begin(), exts.end(), exts[i])) << exts[i];
        EXPECT_EQ('.', exts[i][0]);
    }
    std::vector<std::string> patterns = ExtraPicturePatterns();
    ASSERT_EQ(exts.size() + 3, patterns.size());
    EXPECT_EQ("*.webp", patterns[0]);
    EXPECT_EQ("*.avif", patterns[1]);
    EXPECT_EQ("*.avifs", patterns[2]);
    EXPECT_EQ("*" + exts[0], patterns[3]);
}

// The nine pairs exactly as they always were, then one pair of the other formats.
TEST(OpenFilter, NinePairsThenTheOtherFormats) {
    const std::string nine =
        "All surported files (*.bmp;*.jpg;*.tiff;*.ico;*.png;*.gif;*.emf;*.wmf)|"
        "*.bmp;*.jpg;*.tiff;*.ico;*.png;*.gif;*.emf;*.wmf|"
        "Bitmap Files (*.bmp)|*.bmp|Jpeg Files (*.jpg)|*.jpg|Tiff Files (*.tiff)|*.tif|Giff Files (*.gif)|*.gif|"
        "Png Files (*.png)|*.png|ICO Files (*.ico)|*.ico|Emf Files (*.emf)|*.emf|Wmf Files (*.wmf)|*.wmf|";
    const std::string filter = OpenDialogFilter();
    ASSERT_EQ(nine, filter.substr(0, nine.size()));
    std::string tenth = filter.substr(nine.size());
    ASSERT_GE(tenth.size(), 2u);
    EXPECT_EQ("||", tenth.substr(tenth.size() - 2));
    tenth.resize(tenth.size() - 2);
    const size_t bar = tenth.find('|');
    ASSERT_NE(std::string::npos, bar);
    const std::string description = tenth.substr(0, bar), pattern = tenth.substr(bar + 1);
    EXPECT_EQ(std::string::npos, pattern.find('|'));
    EXPECT_EQ(0u, pattern.find("*.webp;*.avif;*.avifs;"));
    EXPECT_NE(std::string::npos, pattern.find(";*.dds"));
    EXPECT_NE(std::string::npos, description.find("(" + pattern + ")"));
    EXPECT_EQ(std::string::npos, pattern.find("*.jpeg"));
}

namespace {
class FormatsViewTest : public AppTest {
protected:
    FormatsViewTest() : AppTest(AppStart().Folder("formats").NoCaptureFile()) {}
};
}  // namespace

// A picture only the system's codecs read opens as any other: measured, fitted, drawn, listed
// with its folder after the eight patterns' files, stepped to and from.
TEST_F(FormatsViewTest, SystemCodecPicturesOpenListAndStep) {
    for (const char* name : kSystemOnly)
        CopyFileA(TestPicture(name).c_str(), (m_strFolder + name).c_str(), FALSE);
    WriteFile(m_strFolder + "a.bmp", MakeBmp(4, 4, [](int, int) { return RGB(0, 255, 0); }));
    WriteFile(m_strFolder + "notes.txt", "words");
    Open(m_strFolder + "halves.tga");
    EXPECT_EQ(8, g_nImageWidth);
    EXPECT_EQ(6, g_nImageHeight);
    EXPECT_EQ(CString(" [8,6] "), Pane(3));
    ASSERT_EQ(4, g_fileList.GetSize());
    EXPECT_EQ(CString((m_strFolder + "a.bmp").c_str()), g_fileList[0]);
    EXPECT_EQ(CString((m_strFolder + "halves.dds").c_str()), g_fileList[1]);
    EXPECT_EQ(CString((m_strFolder + "halves.jxr").c_str()), g_fileList[2]);
    EXPECT_EQ(3, g_nFileIndex);
    Repaint();
    const int x = g_nDrawX, y = g_nDrawY, s = static_cast<int>(g_dZoom);
    ASSERT_GE(s, 1);
    EXPECT_EQ(COLORREF(RGB(255, 0, 0)), At(x + s, y + 3 * s));
    EXPECT_EQ(COLORREF(RGB(0, 0, 255)), At(x + 7 * s - 1, y + 3 * s));
    // Stepping back through the others shows each at its size.
    for (int i = 2; i >= 1; --i) {
        Command(ID_VIEW_PREVIOUS);
        EXPECT_EQ(i, g_nFileIndex);
        EXPECT_EQ(8, g_nImageWidth) << i;
        EXPECT_EQ(CString(" [8,6] "), Pane(3)) << i;
        EXPECT_EQ(COLORREF(RGB(0, 0, 255)), At(g_nDrawX + 7 * s - 1, g_nDrawY + 3 * s)) << i;
    }
}

// The preview measures and draws such a picture and names its codec; WebP and AVIF names give
// their format lines.
TEST_F(FormatsViewTest, PreviewNamesTheCodec) {
    CDecodedImage dds;
    ASSERT_TRUE(DecodeFileWithSystemCodecs(TestPicture("halves.dds").c_str(), 1 << 20, &dds));
    PanelRun r;
    r.folder = m_strFolder;
    CopyFileA(TestPicture("halves.dds").c_str(), (m_strFolder + "halves.dds").c_str(), FALSE);
    WriteFile(m_strFolder + "a.bmp", MakeBmp(4, 4, [](int, int) { return RGB(0, 255, 0); }));
    r.names = {"halves.dds", "a.bmp", "x.webp", "y.avif", "z.avifs"};
    {
        DialogDriver driver(PanelSteps(&r, false));
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
        EXPECT_TRUE(driver.ran());
    }
    ASSERT_EQ(5u, r.lines.size());
    EXPECT_EQ("Width:  8|Height: 6|Format: " + dds.strFormat, r.lines[0]);
    EXPECT_GT(r.seen[0].scale, 0.0f);
    EXPECT_EQ("Width:  4|Height: 4|Format: BITMAP", r.lines[1]);
    EXPECT_EQ("Width:  0|Height: 0|Format: WEBP", r.lines[2]);
    EXPECT_EQ("Width:  0|Height: 0|Format: AVIF", r.lines[3]);
    EXPECT_EQ("Width:  0|Height: 0|Format: AVIF", r.lines[4]);
}
