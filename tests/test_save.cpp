// Save and Save As without their dialog: the encoder lookup, the choice by extension, every
// corpus format written in every target format (also read back by ImageMagick in e2e_save),
// failures that leave the target whole and say so, a save onto the shown file, and the capture.
#include <gtest/gtest.h>

#include "framework/GdiPlus.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "AppFixture.h"
#include "view/ImageExport.h"
#include "picture/OwnDecoders.h"
#include "picture/Picture.h"

using namespace Gdiplus;

namespace {
struct PictureSize {
    UINT cx = 0, cy = 0;
};
PictureSize SizeOf(const std::string& path) {
    PictureSize s;
    std::wstring w(path.begin(), path.end());
    GpImage* p = nullptr;
    if (DllExports::GdipLoadImageFromFile(w.c_str(), &p) == Ok) {
        DllExports::GdipGetImageWidth(p, &s.cx);
        DllExports::GdipGetImageHeight(p, &s.cy);
        DllExports::GdipDisposeImage(p);
    } else {  // a format GDI+ does not read: through our own decoders
        CPicture picture = OpenPicture(path.c_str());
        s.cx = picture.Width();
        s.cy = picture.Height();
    }
    return s;
}
// The format a file's first bytes announce.
std::string Signature(const std::string& path) {
    std::string b = ReadAll(path).substr(0, 12);
    if (b.compare(0, 2, "BM") == 0)
        return "BMP";
    if (b.size() >= 3 && b.compare(0, 3, "\xFF\xD8\xFF") == 0)
        return "JPEG";
    if (b.compare(0, 4, "GIF8") == 0)
        return "GIF";
    if (b.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0)
        return "PNG";
    if (b.compare(0, 4, std::string("II*\0", 4)) == 0 || b.compare(0, 4, std::string("MM\0*", 4)) == 0)
        return "TIFF";
    if (b.size() == 12 && b.compare(0, 4, "RIFF") == 0 && b.compare(8, 4, "WEBP") == 0)
        return "WEBP";
    return "?";
}

// The frames of a file our own decoders read; false for any other.
bool DecodeOwn(const std::string& path, CDecodedImage* pOut) {
    const std::string bytes = ReadAll(path);
    return DecodeOwnFormat(bytes.data(), bytes.size(), pOut) == OwnDecode::Decoded;
}
}  // namespace

TEST(EncoderLookup, EveryListedMimeTypeAndNoOther) {
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    ASSERT_EQ(Ok, GdiplusStartup(&token, &input, nullptr));
    UINT n = 0, bytes = 0;
    DllExports::GdipGetImageEncodersSize(&n, &bytes);
    ASSERT_GT(n, 0u);
    std::vector<char> block(bytes);
    ImageCodecInfo* info = reinterpret_cast<ImageCodecInfo*>(block.data());
    ASSERT_EQ(Ok, DllExports::GdipGetImageEncoders(n, bytes, info));
    std::vector<std::wstring> listed;
    for (UINT i = 0; i < n; ++i) {
        CLSID clsid = {};
        EXPECT_TRUE(FindEncoderByMimeType(info[i].MimeType, &clsid));
        EXPECT_TRUE(IsEqualCLSID(clsid, info[i].Clsid));
        listed.push_back(info[i].MimeType);
    }
    for (const wchar_t* mime : {L"image/bmp", L"image/jpeg", L"image/gif", L"image/tiff", L"image/png"})
        EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), mime));

    CLSID untouched;
    memset(&untouched, 0xAB, sizeof untouched);
    const CLSID before = untouched;
    for (const wchar_t* mime : {L"image/ico", L"IMAGE/PNG", L"image/Jpeg", L"image/jpg", L"image/png ", L""})
        EXPECT_FALSE(FindEncoderByMimeType(mime, &untouched));
    EXPECT_TRUE(IsEqualCLSID(before, untouched));
    GdiplusShutdown(token);
}

TEST(EncoderLookup, ExtensionChoosesTheMimeTypeWithoutRegardToCase) {
    EXPECT_EQ(CString("jpg"), PathExtension("C:\\a.b\\photo.jpg"));
    EXPECT_EQ(CString(""), PathExtension("C:\\a.b\\photo"));
    EXPECT_EQ(CString("tiff"), PathExtension("scan.x.tiff"));
    EXPECT_EQ(CString(""), PathExtension("name."));
    // The name as the system stores it: trailing dots and spaces of the file name dropped.
    EXPECT_EQ(CString("C:\\d\\dot2.jpg"), StoredName("C:\\d\\dot2.jpg."));
    EXPECT_EQ(CString("C:\\d\\dot.bmp"), StoredName("C:\\d\\dot.bmp. . "));
    EXPECT_EQ(CString("C:\\d.\\a.png"), StoredName("C:\\d.\\a.png"));
    EXPECT_EQ(CString("C:\\d\\..."), StoredName("C:\\d\\..."));
    struct {
        const char* ext;
        const wchar_t* mime;
    } rows[] = {{"bmp", L"image/bmp"},  {"BMP", L"image/bmp"},   {"jpeg", L"image/jpeg"}, {"JPG", L"image/jpeg"},
                {"jpe", L"image/jpeg"}, {"tiff", L"image/tiff"}, {"Tif", L"image/tiff"},  {"gif", L"image/gif"},
                {"ico", L"image/ico"},  {"png", L"image/png"},   {"xyz", L"image/png"},   {"", L"image/png"},
                {"bmpx", L"image/png"}, {"jp", L"image/png"},    {"webp", L"image/webp"}, {"WebP", L"image/webp"},
                {"web", L"image/png"}};
    for (const auto& r : rows)
        EXPECT_STREQ(r.mime, MimeTypeForExtension(r.ext)) << r.ext;
}

class SaveTest : public AppTest {};

// Writes every source in every target format through the view; the files stay in the folder
// named by MORVANE_SAVE_OUT (when set) with a manifest for ImageMagick: "name width height FORMAT".
// A folder in other scripts whose path is longer in bytes than MAX_PATH, though not in
// characters: the picture is encoded into a new file beside the target and moved over it, and
// neither step cuts the path, nor is anything left behind.
TEST(ExportInAnyScript, IntoAFolderLongerInBytesThanMaxPath) {
    std::string folder = MakeTempFolder("export-scripts");
    std::string sub;
    while (AfxCharCount((folder + sub).c_str()) < MAX_PATH - 40)
        sub += "写";
    folder += sub + "\\";
    ASSERT_GT(folder.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string target = folder + "Привет.png";
    EXPECT_EQ(kExportOk, ExportPicture(CorpusPath("bmp/image.bmp").c_str(), target.c_str(), L"image/png"));
    EXPECT_EQ("\x89PNG", ReadAll(target).substr(0, 4));
    std::vector<std::string> names;
    ListFiles(folder, &names);
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ("\\Привет.png", names[0].substr(folder.size()));
}

TEST_F(SaveTest, EveryFormatToEveryTargetLeavesTheViewAsItWas) {
    std::string folder = MakeTempFolder("save-sources");
    const char* sources[] = {"jpeg/video-001.jpeg",   "png/basn2c08.png", "gif/horse.gif",
                             "tiff/video-001.tiff",   "ico/horse.ico",    "emf/fish.emf",
                             "wmf/fish.wmf",          "png/basn6a08.png", "webp/yellow_rose.lossy-with-alpha.webp",
                             "webp/tux.lossless.webp"};
    struct Target {
        const char* ext;
        const char* format;
    } targets[] = {{"bmp", "BMP"},  {"jpg", "JPEG"},  {"jpeg", "JPEG"}, {"gif", "GIF"}, {"png", "PNG"},
                   {"tif", "TIFF"}, {"tiff", "TIFF"}, {"BMP", "BMP"},   {"xyz", "PNG"}, {"webp", "WEBP"}};
    char outEnv[MAX_PATH] = "";
    std::string out = GetEnvironmentVariableA("MORVANE_SAVE_OUT", outEnv, sizeof outEnv) ? std::string(outEnv) + "\\"
                                                                                         : MakeTempFolder("save-out");
    std::string manifest;
    MessageBoxWatcher boxes;
    for (const char* rel : sources) {
        std::string name = rel + std::string(rel).find('/') + 1;
        CopyCorpusFile(rel, folder, name.c_str());
        Open(folder + name);
        PictureSize size = SizeOf(folder + name);
        ASSERT_GT(size.cx, 0u) << rel;
        ViewSnapshot before = Snapshot();
        int nTarget = 0;
        for (const Target& t : targets) {
            // Names differ by more than case ("x.BMP" would replace "x.bmp"): a number each.
            std::string target = out + name.substr(0, name.find('.')) + "-" + name.substr(name.find('.') + 1) + "-" +
                                 std::to_string(++nTarget) + "." + t.ext;
            view->SaveChosenFile(g_strFilePath, target.c_str());
            EXPECT_EQ(t.format, Signature(target)) << target;
            if (Signature(target) == "BMP") {
                std::string bytes = ReadAll(target);
                EXPECT_EQ(bytes.size(), *reinterpret_cast<const DWORD*>(bytes.data() + 2)) << target;
            }
            PictureSize got = SizeOf(target);
            EXPECT_EQ(size.cx, got.cx) << target;
            EXPECT_EQ(size.cy, got.cy) << target;
            manifest += target.substr(out.size()) + " " + std::to_string(size.cx) + " " + std::to_string(size.cy) +
                        " " + t.format + "\n";
        }
        PumpNow();
        EXPECT_TRUE(before == Snapshot()) << rel;
    }
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    EXPECT_TRUE(FilesMatching(out, "mrv*.tmp").empty());
    WriteFile(out + "manifest.txt", manifest);
}

TEST_F(SaveTest, FailuresSayWhichFileAndLeaveItWhole) {
    std::string folder = MakeTempFolder("save-fail");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "a.jpeg");
    Open(folder + "a.jpeg");
    ViewSnapshot before = Snapshot();
    const std::string old = "the user's own file, not to be lost";
    struct Case {
        std::string target;
        const char* expectedText;
    } cases[] = {
        {folder + "old.ico", "no encoder"},                                   // the platform has no ICO encoder
        {folder + "missing\\x.png", "could not be written"},                  // no such folder
        {folder + "dir.png", "could not be written"},                         // a folder of that name is in the way
        {folder + "ro.png", "could not be written: the file is read-only"},   // Windows refuses to replace it
        {folder + "ro.webp", "could not be written: the file is read-only"},  // our own encoder's path
    };
    CreateDirectoryA((folder + "dir.png").c_str(), nullptr);
    WriteFile(folder + "old.ico", old);
    for (const char* ro : {"ro.png", "ro.webp"}) {
        WriteFile(folder + ro, old);
        SetFileAttributesA((folder + ro).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    for (const Case& c : cases) {
        MessageBoxWatcher boxes;
        view->SaveChosenFile(g_strFilePath, c.target.c_str());
        PumpFor(300);
        EXPECT_EQ(1, boxes.count()) << c.target;
        EXPECT_NE(std::string::npos, boxes.lastText().find(c.target)) << boxes.lastText();
        EXPECT_NE(std::string::npos, boxes.lastText().find(c.expectedText)) << boxes.lastText();
    }
    EXPECT_EQ(old, ReadAll(folder + "old.ico"));
    for (const char* ro : {"ro.png", "ro.webp"}) {
        EXPECT_EQ(old, ReadAll(folder + ro)) << ro;
        EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesA((folder + ro).c_str()) & FILE_ATTRIBUTE_READONLY) << ro;
        SetFileAttributesA((folder + ro).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((folder + "dir.png").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // A source that no longer decodes: the existing target stays as it was.
    WriteFile(folder + "keep.png", old);
    WriteFile(folder + "a.jpeg", "not a picture any more");
    {
        MessageBoxWatcher boxes;
        view->SaveChosenFile(g_strFilePath, (folder + "keep.png").c_str());
        PumpFor(300);
        EXPECT_EQ(1, boxes.count());
        EXPECT_NE(std::string::npos, boxes.lastText().find("could not be read")) << boxes.lastText();
    }
    EXPECT_EQ(old, ReadAll(folder + "keep.png"));
    EXPECT_TRUE(FilesMatching(folder, "mrv*.tmp").empty());
    EXPECT_TRUE(before == Snapshot());
}

TEST_F(SaveTest, SaveAsOntoTheShownFileReplacesIt) {
    std::string folder = MakeTempFolder("save-self");
    CopyCorpusFile("png/basn2c08.png", folder, "self.png");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.bmp");  // a JPEG under a bitmap's name
    for (const char* name : {"self.png", "photo.bmp"}) {
        std::string path = folder + name;
        Open(path);
        PictureSize size = SizeOf(path);
        std::string oldBytes = ReadAll(path);
        MessageBoxWatcher boxes;
        view->SaveChosenFile(g_strFilePath, path.c_str());
        PumpNow();
        EXPECT_EQ(0, boxes.count()) << boxes.lastText();
        EXPECT_NE(oldBytes, ReadAll(path)) << name;
        EXPECT_EQ(std::string(strrchr(name, '.') + 1) == "png" ? "PNG" : "BMP", Signature(path));
        EXPECT_EQ(size.cx, SizeOf(path).cx);
        EXPECT_EQ(size.cy, SizeOf(path).cy);
        EXPECT_TRUE(FilesMatching(folder, "mrv*.tmp").empty());
    }
}

// Names the system stores without their trailing dots and spaces are judged as stored: the format
// follows the extension that remains, and the file is written under that name.
TEST_F(SaveTest, TrailingDotsAndSpacesAreDroppedBeforeTheFormatIsChosen) {
    std::string folder = MakeTempFolder("save-dots");
    struct {
        const char* chosen;
        const char* stored;
        const char* format;
    } rows[] = {{"dot2.jpg.", "dot2.jpg", "JPEG"}, {"dot.bmp.", "dot.bmp", "BMP"}, {"sp.gif . ", "sp.gif", "GIF"}};
    std::string src = CorpusPath("png/basn2c08.png");
    for (const auto& r : rows) {
        MessageBoxWatcher boxes;
        view->SaveChosenFile(src.c_str(), (folder + r.chosen).c_str());
        EXPECT_EQ(0, boxes.count()) << boxes.lastText();
        EXPECT_EQ(r.format, Signature(folder + r.stored)) << r.chosen;
    }
    std::vector<std::string> names;
    ListFiles(folder, &names);
    EXPECT_EQ(3u, names.size());
}

// A nearly full disk: the RAM disk tests/small_disk.sh mounts as a drive of the prefix, filled up
// to its last page. In every format the save fails whole: the user's file stays as it was and the
// message says the disk is full (this platform's TIFF encoder reports success on a short write).
TEST_F(SaveTest, NearlyFullDiskKeepsTheTargetWholeInEveryFormat) {
    char drive[8] = "";
    if (!GetEnvironmentVariableA("MORVANE_SMALL_DISK", drive, sizeof drive)) {
        char why[512] = "it is mounted by tests/small_disk.sh";
        GetEnvironmentVariableA("MORVANE_SMALL_DISK_UNAVAILABLE", why, sizeof why);
        GTEST_SKIP() << "no small disk: " << why;
    }
    const std::string disk = std::string(drive) + "\\", filler = disk + "filler.bin";
    // 150 x 103: more than a page in the platform's formats; the lossless WebP of 30 KB for ours.
    const char* kPhoto = "jpeg/video-001.jpeg";
    struct {
        const char* usersFile;
        const char* name;
        const char* format;
        const char* saved;
    } rows[] = {{"bmp/sample.bmp", "user.bmp", "BMP", kPhoto},
                {"jpeg/video-001.q50.410.jpeg", "user.jpeg", "JPEG", kPhoto},
                {"gif/traffic_light.gif", "user.gif", "GIF", kPhoto},
                {"tiff/sample.tif", "user.tiff", "TIFF", kPhoto},
                {"png/basn2c08.png", "user.png", "PNG", kPhoto},
                {"webp/video-001.lossy.webp", "user.webp", "WEBP", "webp/tux.lossless.webp"}};
    for (const auto& r : rows) {
        const std::string source = CorpusPath(r.saved);
        const std::string target = disk + r.name;
        WriteFile(target, ReadAll(CorpusPath(r.usersFile)));
        const std::string before = ReadAll(target);
        ASSERT_FALSE(before.empty()) << target;
        // Filled page by page until the disk refuses, then one page given back.
        HANDLE h = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        std::string page(4096, 'x');
        DWORD n = 0, nTotal = 0;
        while (nTotal < (1u << 30) && WriteFile(h, page.data(), 4096, &n, nullptr) && n == 4096)
            nTotal += n;
        ASSERT_GT(nTotal, 4096u);
        SetFilePointer(h, static_cast<LONG>(nTotal - 4096), nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        CloseHandle(h);

        MessageBoxWatcher boxes;
        view->SaveChosenFile(source.c_str(), target.c_str());
        PumpFor(300);
        EXPECT_EQ(1, boxes.count()) << target;
        EXPECT_NE(std::string::npos, boxes.lastText().find(target + " could not be written: the disk is full"))
            << boxes.lastText();
        EXPECT_EQ(before, ReadAll(target)) << target;
        EXPECT_TRUE(FilesMatching(disk, "mrv*.tmp").empty()) << target;
        DeleteFileA(filler.c_str());

        // With room again, the same save writes the picture: the disk was the cause.
        view->SaveChosenFile(source.c_str(), target.c_str());
        EXPECT_EQ(SizeOf(source).cx, SizeOf(target).cx) << target;
        EXPECT_EQ(r.format, Signature(target));
        DeleteFileA(target.c_str());
    }
}

TEST_F(SaveTest, GifFromDeepPicturesOpensElsewhere) {
    // 24-bit JPEG and 32-bit PNG with alpha: the platform's GIF encoder needs a palette first.
    std::string folder = MakeTempFolder("save-gif");
    for (const char* rel : {"jpeg/video-001.jpeg", "png/basn6a08.png"}) {
        std::string src = CorpusPath(rel);
        view->SaveChosenFile(src.c_str(), (folder + "out.gif").c_str());
        EXPECT_GT(ReadAll(folder + "out.gif").size(), 200u) << rel;
        EXPECT_EQ(SizeOf(src).cx, SizeOf(folder + "out.gif").cx) << rel;
    }
    // A photograph comes back close to itself: its palette is chosen from it and the error
    // diffused (a fixed palette without diffusion stays near 25 dB here).
    std::vector<UINT> original, saved;
    UINT w = 0, h = 0, w2 = 0, h2 = 0;
    std::string photo = CorpusPath("png/coffee.png");
    ASSERT_TRUE(ReadPixels(photo, &original, &w, &h));
    view->SaveChosenFile(photo.c_str(), (folder + "photo.gif").c_str());
    EXPECT_EQ("GIF", Signature(folder + "photo.gif"));
    ASSERT_TRUE(ReadPixels(folder + "photo.gif", &saved, &w2, &h2));
    EXPECT_EQ(w, w2);
    EXPECT_EQ(h, h2);
    EXPECT_GT(Psnr(original, saved), 34.0);
    // A 24-bit picture of a few hundred colours or fewer keeps every pixel exactly.
    std::string few = folder + "few.bmp";
    WriteFile(few, MakeBmp(61, 37, [](int x, int y) {
                  int i = (x * 5 + y * 11) % 200;
                  return RGB((i * 37 + 11) % 256, (i * 101 + 3) % 256, (i * 13 + 5) % 256);
              }));
    ASSERT_TRUE(ReadPixels(few, &original, &w, &h));
    view->SaveChosenFile(few.c_str(), (folder + "few.gif").c_str());
    ASSERT_TRUE(ReadPixels(folder + "few.gif", &saved, &w2, &h2));
    ASSERT_EQ(original.size(), saved.size());
    size_t nChanged = 0;
    for (size_t i = 0; i < original.size(); ++i)
        nChanged += original[i] != saved[i];
    EXPECT_EQ(0u, nChanged) << "of " << original.size() << " pixels";
}

TEST_F(SaveTest, SaveWritesTheLastCaptureAndLeavesItInPlace) {
    std::string folder = MakeTempFolder("save-capture");
    Command(ID_TOOLS_CAPTURESCREEN);
    PumpFor(300);
    ASSERT_TRUE(run->app().m_bScreenCaptured);
    EXPECT_TRUE(view->m_bEnableSave);
    EXPECT_FALSE(view->m_bEnableSaveAs);
    std::string capture = ReadAll(CaptureFilePath());
    ASSERT_FALSE(capture.empty());
    view->SaveChosenFile(CaptureFilePath(), (folder + "shot.png").c_str());
    EXPECT_EQ("PNG", Signature(folder + "shot.png"));
    EXPECT_EQ(1024u, SizeOf(folder + "shot.png").cx);
    EXPECT_EQ(768u, SizeOf(folder + "shot.png").cy);
    EXPECT_EQ(capture, ReadAll(CaptureFilePath()));
    // The export for the clipboard and the wallpaper has nothing to do: the file is the capture.
    EXPECT_TRUE(view->ExportToTempBitmap());
    EXPECT_EQ(capture, ReadAll(CaptureFilePath()));
    DeleteFileA(CaptureFilePath());
}

// A format without transparency gets the picture drawn on white: transparent areas white, half
// transparent ones half way to white. PNG and TIFF keep every pixel's alpha; GIF keeps the fully
// transparent pixels transparent and draws the others on white.
TEST_F(SaveTest, TransparencyIsDrawnOnWhiteWhereTheFormatHasNone) {
    std::string folder = MakeTempFolder("save-alpha");
    enum Kept { kNoAlpha, kEveryAlpha, kFullyTransparent };
    struct Target {
        const char* name;
        Kept kept;
        double tolerance;  // per channel, pixel by pixel, for the flattened formats (JPEG blurs sharp colour
                           // edges, a GIF's palette is dithered)
    } targets[] = {{"out.bmp", kNoAlpha, 1.5},
                   {"out.jpeg", kNoAlpha, 100},
                   {"out.png", kEveryAlpha, 0},
                   {"out.tiff", kEveryAlpha, 0},
                   {"out.gif", kFullyTransparent, 64}};
    for (const char* rel : {"png/basn6a08.png", "png/basn4a08.png", "png/basn3p08-trns.png"}) {
        std::string src = CorpusPath(rel);
        Bitmap source(std::wstring(src.begin(), src.end()).c_str());
        ASSERT_GT(source.GetWidth(), 0u) << rel;
        for (const Target& t : targets) {
            std::string out = folder + t.name;
            DeleteFileA(out.c_str());
            view->SaveChosenFile(src.c_str(), out.c_str());
            Bitmap written(std::wstring(out.begin(), out.end()).c_str());
            ASSERT_EQ(source.GetWidth(), written.GetWidth()) << rel << " " << t.name;
            int nTransparent = 0, nWrong = 0;
            double sumWant = 0, sumHave = 0;
            for (UINT y = 0; y < source.GetHeight(); ++y)
                for (UINT x = 0; x < source.GetWidth(); ++x) {
                    Color s, w;
                    source.GetPixel(x, y, &s);
                    written.GetPixel(x, y, &w);
                    int a = s.GetA();
                    nTransparent += a < 255;
                    if (t.kept == kEveryAlpha || (t.kept == kFullyTransparent && a == 0)) {
                        nWrong += w.GetA() != a;
                        continue;
                    }
                    nWrong += w.GetA() != 255;
                    int want[3] = {s.GetR(), s.GetG(), s.GetB()}, have[3] = {w.GetR(), w.GetG(), w.GetB()};
                    for (int k = 0; k < 3; ++k) {
                        double v = (want[k] * a + 255.0 * (255 - a)) / 255;
                        nWrong += fabs(v - have[k]) > t.tolerance;
                        sumWant += v;
                        sumHave += have[k];
                    }
                }
            EXPECT_GT(nTransparent, 0) << rel;
            EXPECT_EQ(0, nWrong) << rel << " " << t.name;
            // JPEG's and the palette's losses even out: the picture as a whole is as light as it
            // should be.
            if (sumWant > 0) {
                double n = 3.0 * source.GetWidth() * source.GetHeight();
                EXPECT_NEAR(sumWant / n, sumHave / n, 3) << rel << " " << t.name;
            }
        }
    }
}

// Save As to WebP: lossless from a source whose coding is (every pixel and its alpha come back),
// quality 90 from JPEG and lossy WebP; alpha kept either way.
TEST_F(SaveTest, WebpIsLosslessFromLosslessSourcesAndKeepsTheAlpha) {
    std::string folder = MakeTempFolder("save-webp");
    const struct {
        const char* rel;
        bool bLossless, bAlpha;
    } rows[] = {{"png/basn6a08.png", true, true},
                {"png/basn2c08.png", true, false},
                {"jpeg/video-001.jpeg", false, false},
                {"webp/yellow_rose.lossy-with-alpha.webp", false, true},
                {"webp/tux.lossless.webp", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rel);
        const std::string src = CorpusPath(row.rel), out = folder + "out.webp";
        DeleteFileA(out.c_str());
        view->SaveChosenFile(src.c_str(), out.c_str());
        CDecodedImage source, back;
        ASSERT_TRUE(DecodeOwn(out, &back));
        EXPECT_EQ(row.bLossless, back.bLossless);
        EXPECT_EQ(row.bAlpha, back.bHasAlpha);
        const PictureSize size = SizeOf(src);
        ASSERT_EQ(size.cx, back.nWidth);
        ASSERT_EQ(size.cy, back.nHeight);
        if (!row.bLossless)
            continue;
        // The source's pixels as GDI+ or our decoder gives them; equal where they show.
        std::vector<uint8_t> want;
        if (DecodeOwn(src, &source)) {
            want = source.frames[0].pixels;
        } else {
            Bitmap bitmap(std::wstring(src.begin(), src.end()).c_str());
            Rect rc(0, 0, static_cast<INT>(size.cx), static_cast<INT>(size.cy));
            BitmapData data;
            ASSERT_EQ(Ok, bitmap.LockBits(&rc, ImageLockModeRead, PixelFormat32bppARGB, &data));
            for (UINT y = 0; y < size.cy; ++y) {
                const uint8_t* p = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
                want.insert(want.end(), p, p + size.cx * 4);
            }
            bitmap.UnlockBits(&data);
        }
        const std::vector<uint8_t>& have = back.frames[0].pixels;
        ASSERT_EQ(want.size(), have.size());
        int nWrong = 0;
        for (size_t i = 0; i < want.size(); i += 4)
            nWrong += want[i + 3] != have[i + 3] || (want[i + 3] != 0 && memcmp(&want[i], &have[i], 3) != 0);
        EXPECT_EQ(0, nWrong);
    }
    EXPECT_TRUE(FilesMatching(folder, "mrv*.tmp").empty());
}
