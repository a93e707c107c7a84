// The wallpaper commands in the running program: the style values exactly as written, the
// "Wallpaper" value naming the capture file, that file decoded by the platform with the
// picture's size, the picture on the virtual desktop centred, tiled or stretched, None, the
// corpus's JPEG, PNG with alpha and EMF, the commands refusing stale content, and COM balance.
#include "CaptureUtil.h"
#include "AppFixture.h"

#include <objbase.h>

#include "view/Wallpaper.h"

namespace {
// 10-pixel blocks of colours found nowhere on a plain desktop.
COLORREF Squares(int x, int y) {
    int i = x / 10, j = y / 10;
    return RGB(40 + i * 17, 250 - j * 23, (i + j) % 2 ? 30 : 220);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 10) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

const char kDesktopKey[] = "Control Panel\\Desktop";

struct RegValue {
    bool exists = false;
    DWORD type = 0;
    std::string data;
};

RegValue ReadDesktopValue(const char* name) {
    RegValue v;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return v;
    char buf[1024];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(h, name, nullptr, &v.type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
        v.exists = true;
        v.data.assign(buf, size);
    }
    RegCloseKey(h);
    return v;
}

void WriteDesktopValue(const char* name, const RegValue& v) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_WRITE, &h) != ERROR_SUCCESS)
        return;
    if (v.exists)
        RegSetValueExA(h, name, 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                       static_cast<DWORD>(v.data.size()));
    else
        RegDeleteValueA(h, name);
    RegCloseKey(h);
}

RegValue Sz(const char* text) {
    RegValue v;
    v.exists = true;
    v.type = REG_SZ;
    v.data.assign(text, strlen(text) + 1);
    return v;
}

// The style value as the commands write it: REG_SZ, four bytes, the digit and three zeros.
::testing::AssertionResult IsStyle(const char* name, char digit) {
    RegValue v = ReadDesktopValue(name);
    if (!v.exists)
        return ::testing::AssertionFailure() << name << " missing";
    if (v.type != REG_SZ || v.data != std::string(1, digit) + std::string(3, '\0'))
        return ::testing::AssertionFailure() << name << " type " << v.type << " size " << v.data.size() << " first "
                                             << (v.data.empty() ? '?' : v.data[0]);
    return ::testing::AssertionSuccess();
}

// The wallpaper the platform holds now.
std::string CurrentWallpaper() {
    char buf[MAX_PATH] = "?";
    if (!SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof buf, buf, 0))
        return "(failed)";
    return buf;
}

// Width and height of a bitmap file as the platform's own loader reads it.
SIZE PlatformBitmapSize(const char* path) {
    SIZE s = {0, 0};
    HBITMAP h =
        static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP bm = {};
    if (h && GetObjectA(h, sizeof bm, &bm)) {
        s.cx = bm.bmWidth;
        s.cy = bm.bmHeight;
    }
    if (h)
        DeleteObject(h);
    return s;
}

class WallpaperTest : public AppTest {
protected:
    WallpaperTest() : AppTest(AppStart().Folder("wallpaper")) {}
    void SetUp() override {
        saved[0] = ReadDesktopValue("WallpaperStyle");
        saved[1] = ReadDesktopValue("TileWallpaper");
        saved[2] = ReadDesktopValue("Wallpaper");
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), SPIF_SENDWININICHANGE);
        AppTest::SetUp();
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
    }
    void TearDown() override {
        AppTest::TearDown();
        // Other test programs read this desktop's pixels: leave it plain, as it was.
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), SPIF_SENDWININICHANGE);
        WriteDesktopValue("WallpaperStyle", saved[0]);
        WriteDesktopValue("TileWallpaper", saved[1]);
        WriteDesktopValue("Wallpaper", saved[2]);
    }
    void Open(const std::string& path, const char* name) {
        view->OpenChosenFile(path.c_str(), name);
        Repaint();
    }
    // A screen point with the frame out of the way, once the desktop has painted what it should.
    bool DesktopShows(const std::function<bool(const std::vector<COLORREF>&)>& looksRight) {
        run->frame()->ShowWindow(SW_HIDE);
        RECT rc = {0, 0, screenW, screenH};
        std::vector<COLORREF> px;
        bool ok = PumpUntil(
            [&] {
                px = ScreenColours(rc);
                return looksRight(px);
            },
            8000);
        run->frame()->ShowWindow(SW_SHOW);
        PumpNow();
        return ok;
    }
    COLORREF Pixel(const std::vector<COLORREF>& px, int x, int y) const { return px[y * screenW + x]; }
    // The desktop's look with no wallpaper: one colour.
    bool Plain(const std::vector<COLORREF>& px) const {
        for (int y = 0; y < screenH; y += 37)
            for (int x = 0; x < screenW; x += 41)
                if (Pixel(px, x, y) != Pixel(px, 0, 0))
                    return false;
        return true;
    }
    // A w x h picture of Squares centred, drawn one to one.
    bool Centred(const std::vector<COLORREF>& px, int w, int h) const {
        int x0 = (screenW - w) / 2, y0 = (screenH - h) / 2;
        for (int y = 5; y < h; y += 10)
            for (int x = 5; x < w; x += 10)
                if (!Near(Pixel(px, x0 + x, y0 + y), Squares(x, y)))
                    return false;
        return !Near(Pixel(px, x0 - 3, y0 + 5), Squares(0, 5)) && !Near(Pixel(px, x0 + 5, y0 - 3), Squares(5, 0));
    }
    bool Tiled(const std::vector<COLORREF>& px, int w, int h) const {
        for (int y = 5; y < screenH; y += 30)
            for (int x = 5; x < screenW; x += 30)
                if (!Near(Pixel(px, x, y), Squares(x % w, y % h)))
                    return false;
        return true;
    }
    bool Stretched(const std::vector<COLORREF>& px, int w, int h) const {
        for (int j = 0; j < h / 10; ++j)
            for (int i = 0; i < w / 10; ++i) {
                int x = (i * 10 + 5) * screenW / w, y = (j * 10 + 5) * screenH / h;
                if (!Near(Pixel(px, x, y), Squares(i * 10, j * 10)))
                    return false;
            }
        return true;
    }

    RegValue saved[3];
    int screenW = 0, screenH = 0;
};

TEST_F(WallpaperTest, CenterStretchAndTileWriteTheirStylesAndShowThePictureOnTheDesktop) {
    const int w = 120, h = 90;
    Open(WritePicture("squares.bmp", w, h, Squares), "squares.bmp");
    ASSERT_TRUE(DesktopShows([&](const std::vector<COLORREF>& px) { return Plain(px); }));
    MessageBoxWatcher boxes;

    struct Case {
        UINT nID;
        char style, tile;
    } cases[] = {{ID_WALLPAPER_TILE, '0', '1'}, {ID_WALLPAPER_CENTER, '0', '0'}, {ID_WALLPAPER_STRETCH, '2', '0'}};
    for (const Case& c : cases) {
        DeleteFileA(CaptureFilePath());
        WriteDesktopValue("WallpaperStyle", Sz("9"));
        WriteDesktopValue("TileWallpaper", Sz("9"));
        Command(c.nID);
        EXPECT_TRUE(IsStyle("WallpaperStyle", c.style)) << c.nID;
        EXPECT_TRUE(IsStyle("TileWallpaper", c.tile)) << c.nID;
        EXPECT_STRCASEEQ(CaptureFilePath(), CurrentWallpaper().c_str()) << c.nID;
        // Stored where the next session finds it.
        RegValue stored = ReadDesktopValue("Wallpaper");
        EXPECT_TRUE(stored.exists) << c.nID;
        EXPECT_STRCASEEQ(CaptureFilePath(), stored.data.c_str()) << c.nID;
        SIZE s = PlatformBitmapSize(CaptureFilePath());
        EXPECT_EQ(w, s.cx) << c.nID;
        EXPECT_EQ(h, s.cy) << c.nID;
        bool shown = DesktopShows([&](const std::vector<COLORREF>& px) {
            // A desktop that cannot stretch (the virtual desktop of the test prefix) centres.
            return c.nID == ID_WALLPAPER_TILE     ? Tiled(px, w, h)
                   : c.nID == ID_WALLPAPER_CENTER ? Centred(px, w, h)
                                                  : Stretched(px, w, h) || Centred(px, w, h);
        });
        EXPECT_TRUE(shown) << c.nID;
    }
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
}

TEST_F(WallpaperTest, NoneRemovesTheWallpaperAndKeepsTheStyleValues) {
    Open(WritePicture("squares.bmp", 120, 90, Squares), "squares.bmp");
    MessageBoxWatcher boxes;
    Command(ID_WALLPAPER_TILE);
    ASSERT_TRUE(DesktopShows([&](const std::vector<COLORREF>& px) { return Tiled(px, 120, 90); }));
    Command(ID_WALLPAPER_NONE);
    EXPECT_EQ("", CurrentWallpaper());
    EXPECT_EQ("", std::string(ReadDesktopValue("Wallpaper").data.c_str()));  // and none in the next session
    EXPECT_TRUE(IsStyle("WallpaperStyle", '0'));
    EXPECT_TRUE(IsStyle("TileWallpaper", '1'));
    EXPECT_TRUE(DesktopShows([&](const std::vector<COLORREF>& px) { return Plain(px); }));
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
}

TEST_F(WallpaperTest, JpegPngWithAlphaAndEmfBecomeBitmapsOfTheirSize) {
    MessageBoxWatcher boxes;
    const char* files[] = {"jpeg/video-001.jpeg", "png/basn4a08.png", "emf/fish.emf"};
    for (const char* rel : files) {
        std::string name = std::string(rel).substr(std::string(rel).find('/') + 1);
        CopyCorpusFile(rel, m_strFolder, name.c_str());
        Open(m_strFolder + name, name.c_str());
        ASSERT_GT(g_nImageWidth, 0) << rel;
        DeleteFileA(CaptureFilePath());
        Command(ID_WALLPAPER_CENTER);
        SIZE s = PlatformBitmapSize(CaptureFilePath());
        EXPECT_EQ(g_nImageWidth, s.cx) << rel;
        EXPECT_EQ(g_nImageHeight, s.cy) << rel;
        EXPECT_STRCASEEQ(CaptureFilePath(), CurrentWallpaper().c_str()) << rel;
    }
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
}

// An older picture in the capture file is never made the wallpaper.
TEST_F(WallpaperTest, NothingToExportLeavesDesktopAndStylesAsTheyWereAndSaysWhy) {
    WriteFile(CaptureFilePath(), MakeBmp(20, 20, [](int, int) { return RGB(255, 0, 0); }));
    WriteDesktopValue("WallpaperStyle", Sz("9"));
    WriteDesktopValue("TileWallpaper", Sz("9"));
    std::string before = WritePicture("old.bmp", 30, 30, [](int, int) { return RGB(0, 0, 255); });
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(before.c_str()), SPIF_SENDWININICHANGE);
    ASSERT_EQ(before, CurrentWallpaper());
    // The four commands have no update handlers: always enabled, also with nothing shown.
    HMENU hTools = GetSubMenu(run->frame()->GetMenu(), 3);
    ASSERT_NE(nullptr, hTools);
    HMENU hWallpaper = GetSubMenu(hTools, GetMenuItemCount(hTools) - 1);
    ASSERT_NE(nullptr, hWallpaper);
    run->frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hWallpaper), GetMenuItemCount(hTools) - 1);
    for (UINT nID : {ID_WALLPAPER_CENTER, ID_WALLPAPER_STRETCH, ID_WALLPAPER_TILE, ID_WALLPAPER_NONE})
        EXPECT_EQ(0u, GetMenuState(hWallpaper, nID, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) << nID;
    {
        MessageBoxWatcher boxes;  // nothing shown yet
        Command(ID_WALLPAPER_CENTER);
        EXPECT_EQ(1, boxes.count());
        EXPECT_EQ("Error Returned by SystemParametersInfo() in UpdateClassicDesktop", boxes.lastText());
        EXPECT_EQ("Morvane", boxes.lastCaption());
    }
    std::string path = WritePicture("gone.bmp", 60, 40, Squares);
    Open(path, "gone.bmp");
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    {
        MessageBoxWatcher boxes;  // the file shown has vanished
        Command(ID_WALLPAPER_TILE);
        EXPECT_EQ(1, boxes.count());
        EXPECT_EQ("The picture could not be read: the wallpaper was not changed.", boxes.lastText());
    }
    WriteFile(m_strFolder + "broken.jpeg", "\xFF\xD8\xFF\xE0 this is no picture at all");
    Open(m_strFolder + "broken.jpeg", "broken.jpeg");
    {
        MessageBoxWatcher boxes;  // the file shown does not decode
        Command(ID_WALLPAPER_STRETCH);
        EXPECT_EQ(1, boxes.count());
        EXPECT_EQ("The picture could not be read: the wallpaper was not changed.", boxes.lastText());
    }
    EXPECT_EQ(before, CurrentWallpaper());
    RegValue style = ReadDesktopValue("WallpaperStyle"), tile = ReadDesktopValue("TileWallpaper");
    EXPECT_EQ(std::string("9", 2), style.data);
    EXPECT_EQ(std::string("9", 2), tile.data);
    EXPECT_EQ(20, PlatformBitmapSize(CaptureFilePath()).cx);
}

TEST_F(WallpaperTest, ACaptureShownIsTheWallpaper) {
    Command(ID_TOOLS_CAPTURESCREEN);
    Repaint();
    ASSERT_EQ(1, run->app().m_bScreenCaptured);
    MessageBoxWatcher boxes;
    Command(ID_WALLPAPER_CENTER);
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    EXPECT_STRCASEEQ(CaptureFilePath(), CurrentWallpaper().c_str());
    EXPECT_TRUE(IsStyle("WallpaperStyle", '0'));
    SIZE s = PlatformBitmapSize(CaptureFilePath());
    EXPECT_EQ(screenW, s.cx);
    EXPECT_EQ(screenH, s.cy);
}

// Where the preferred place of the capture file cannot be written, the export, the wallpaper
// and the stored setting all name the file in the user's own folder.
TEST_F(WallpaperTest, TheWallpaperFollowsTheCaptureFileToTheUsersFolder) {
    ClosedCaptureRoot closed(m_strFolder);
    const std::string expected = closed.expected();
    Open(WritePicture("squares.bmp", 120, 90, Squares), "squares.bmp");
    MessageBoxWatcher boxes;
    Command(ID_WALLPAPER_CENTER);
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    EXPECT_STRCASEEQ(expected.c_str(), CurrentWallpaper().c_str());
    EXPECT_STRCASEEQ(expected.c_str(), ReadDesktopValue("Wallpaper").data.c_str());
    EXPECT_EQ(120, PlatformBitmapSize(expected.c_str()).cx);
    EXPECT_TRUE(DesktopShows([&](const std::vector<COLORREF>& px) { return Centred(px, 120, 90); }));
}

// Each route initialises COM and uninitialises it again: the thread can still choose its own
// apartment afterwards, and a second command works like the first.
TEST_F(WallpaperTest, ComIsLeftAsItWasAndASecondCommandWorks) {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_EQ(S_OK, hr) << "the thread already has an apartment";
    CoUninitialize();
    Open(WritePicture("squares.bmp", 120, 90, Squares), "squares.bmp");
    MessageBoxWatcher boxes;
    Command(ID_WALLPAPER_CENTER);
    Command(ID_WALLPAPER_TILE);
    EXPECT_TRUE(IsStyle("TileWallpaper", '1'));
    EXPECT_TRUE(DesktopShows([&](const std::vector<COLORREF>& px) { return Tiled(px, 120, 90); }));
    Command(ID_WALLPAPER_NONE);
    EXPECT_EQ("", CurrentWallpaper());
    EXPECT_EQ(0, boxes.count()) << boxes.lastText();
    hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(S_OK, hr);
    if (SUCCEEDED(hr))
        CoUninitialize();
}
}  // namespace

// A capture file whose path is in other scripts and longer in bytes than MAX_PATH (UTF-8 takes
// three bytes for each of these characters) becomes the wallpaper whole: the stored value, read
// in UTF-16 as the shell reads it, names that very file.
TEST_F(WallpaperTest, APathInAnyScriptLongerInBytesThanMaxPathIsSetWhole) {
    std::string sub = m_strFolder + "Обои 日本\\";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    std::string name;
    while (AfxCharCount((sub + name).c_str()) < MAX_PATH - 10)
        name += "壁";
    std::string path = sub + name + ".bmp";
    ASSERT_GT(path.size(), static_cast<size_t>(MAX_PATH));
    WriteFile(path, MakeBmp(20, 20, Squares));
    ASSERT_TRUE(SetClassicWallpaper(path.c_str()));
    wchar_t stored[1024] = {}, expected[1024] = {};
    DWORD size = sizeof stored - sizeof(wchar_t);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ,
                                          nullptr, stored, &size));
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, expected, 1024);
    EXPECT_TRUE(wcscmp(expected, stored) == 0);
}
