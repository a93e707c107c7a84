// Open of a chosen file (what follows the dialog), the sorted folder list, Previous and Next, and
// their status texts. The dialog itself is driven in dialog_tests and end to end.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <map>

#include <string>

#include "AppFixture.h"
#include "res/resource.h"

namespace {
class NavigationTest : public AppTest {
protected:
    std::string ListText() {
        std::string s;
        for (int i = 0; i < g_fileList.GetSize(); ++i)
            s += std::string(g_fileList[i].Mid(g_strFolder.GetLength())) + ";";
        return s;
    }
    void MakePictures(const std::string& where, std::initializer_list<const char*> names) {
        for (const char* n : names)
            CopyCorpusFile("bmp/image.bmp", where, n);
    }
};
}  // namespace

TEST_F(NavigationTest, UpperCaseSortsFirstAndTheOpenedPictureIsFound) {
    std::string folder = MakeTempFolder("abc");
    MakePictures(folder, {"a.bmp", "B.gif", "c.JPG"});
    WriteFile(folder + "notes.txt", "not a picture");
    Open(folder + "a.bmp");
    EXPECT_EQ("B.gif;a.bmp;c.JPG;", ListText());
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_EQ(CString("2 in 3"), Pane(5));
    EXPECT_TRUE(view->m_bEnablePrevious);
    EXPECT_TRUE(view->m_bEnableNext);
    EXPECT_TRUE(view->m_bEnableSlideShow);
    EXPECT_EQ(CString(folder.c_str()), g_strFolder);
    EXPECT_EQ(CString("a.bmp"), g_strFileName);
    EXPECT_EQ(1, run->app().m_bImageLoaded);
}

TEST_F(NavigationTest, StatusTextsAfterOpenAndSteps) {
    std::string folder = MakeTempFolder("texts");
    MakePictures(folder, {"one.bmp", "two.bmp"});
    CopyCorpusFile("png/basn0g08.png", folder, "zz.png");
    Open(folder + "one.bmp");
    EXPECT_EQ(CString("one.bmp"), Pane(1));
    EXPECT_EQ(CString("18.80 kB"), Pane(2));  // 19254 bytes
    EXPECT_EQ(CString(" [80,80] "), Pane(3));
    EXPECT_EQ(CString("    100.00%"), Pane(4));
    EXPECT_EQ(CString("1 in 3"), Pane(5));
    EXPECT_FALSE(view->m_bEnablePrevious);
    EXPECT_TRUE(view->m_bEnableNext);

    Command(ID_VIEW_NEXT);
    Command(ID_VIEW_NEXT);
    EXPECT_EQ(CString("zz.png"), Pane(1));
    EXPECT_EQ(CString(" [32,32] "), Pane(3));
    EXPECT_EQ(CString("3 in 3"), Pane(5));
    EXPECT_TRUE(view->m_bEnablePrevious);
    EXPECT_FALSE(view->m_bEnableNext);
    Command(ID_VIEW_NEXT);  // refused: nothing moves
    EXPECT_EQ(2, g_nFileIndex);

    Command(ID_VIEW_PREVIOUS);
    Command(ID_VIEW_PREVIOUS);
    EXPECT_EQ(CString("1 in 3"), Pane(5));
    EXPECT_FALSE(view->m_bEnablePrevious);
    EXPECT_TRUE(view->m_bEnableNext);
    Command(ID_VIEW_PREVIOUS);
    EXPECT_EQ(0, g_nFileIndex);
}

TEST_F(NavigationTest, PageDownAndPageUpStepThroughTheLoop) {
    std::string folder = MakeTempFolder("keys");
    MakePictures(folder, {"a.bmp", "b.bmp", "c.bmp"});
    Open(folder + "a.bmp");
    HWND hView = view->m_hWnd;
    for (WPARAM key : {VK_NEXT, VK_NEXT, VK_NEXT, VK_PRIOR}) {
        PostMessageA(hView, WM_KEYDOWN, key, 1);
        PostMessageA(hView, WM_KEYUP, key, 0xC0000001);
        PumpNow();
    }
    EXPECT_EQ(1, g_nFileIndex);  // the third Page Down was refused at the end
    EXPECT_EQ(CString("2 in 3"), Pane(5));
}

TEST_F(NavigationTest, NameNoPatternMatchesStaysAtIndexZero) {
    std::string folder = MakeTempFolder("jpeg");
    MakePictures(folder, {"a.bmp", "b.bmp", "c.bmp"});
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.jpeg");
    Open(folder + "photo.jpeg");
    EXPECT_EQ(0, g_nFileIndex);
    EXPECT_EQ(CString("1 in 3"), Pane(5));
    EXPECT_FALSE(view->m_bEnablePrevious);
    EXPECT_TRUE(view->m_bEnableNext);
    EXPECT_EQ(CString(" [150,103] "), Pane(3));
    Command(ID_VIEW_NEXT);  // shows entry 1, skipping entry 0
    EXPECT_EQ(CString("b.bmp"), Pane(1));
    EXPECT_EQ(1, g_nFileIndex);
}

TEST_F(NavigationTest, EmptyMatchSet) {
    std::string folder = MakeTempFolder("empty");
    CopyCorpusFile("tiff/horse.tif", folder, "x.tif");
    CopyCorpusFile("bmp/image.bmp", folder, "scan.tif");
    Open(folder + "scan.tif");
    EXPECT_EQ(0, g_fileList.GetSize());
    EXPECT_EQ(CString("1 in 0"), Pane(5));
    EXPECT_FALSE(view->m_bEnablePrevious || view->m_bEnableNext || view->m_bEnableSlideShow);
}

TEST_F(NavigationTest, FolderNamedLikeAPictureIsListedAndShowsUnreadable) {
    std::string folder2 = MakeTempFolder("dirs");
    MakePictures(folder2, {"a.bmp"});
    CreateDirectoryA((folder2 + "b.bmp").c_str(), nullptr);
    Open(folder2 + "a.bmp");
    EXPECT_EQ("a.bmp;b.bmp;", ListText());
    Command(ID_VIEW_NEXT);  // a folder behaves like an unreadable picture
    EXPECT_EQ(CString(" [0,0] "), Pane(3));
    EXPECT_EQ(COLORREF(RGB(128, 128, 128)), ScreenPixel(view->m_hWnd, g_nClientWidth / 2, g_nClientHeight / 2));
}

TEST_F(NavigationTest, DifferentlyCasedNameIsNotFound) {
    std::string folder = MakeTempFolder("case");
    MakePictures(folder, {"a.bmp", "b.bmp"});
    Open(folder + "B.BMP");
    EXPECT_EQ(0, g_nFileIndex);
    EXPECT_EQ(CString("1 in 2"), Pane(5));
    EXPECT_EQ(80, g_nImageWidth);  // the file itself opens all the same
}

TEST_F(NavigationTest, VanishedEntryShowsAnUnknownSize) {
    std::string folder = MakeTempFolder("vanish");
    MakePictures(folder, {"a.bmp", "b.bmp"});
    Open(folder + "a.bmp");
    ASSERT_EQ(2, g_fileList.GetSize());
    ASSERT_TRUE(DeleteFileA((folder + "b.bmp").c_str()));
    MessageBoxWatcher watcher;
    Command(ID_VIEW_NEXT);
    EXPECT_EQ(CString("? kB"), Pane(2));
    EXPECT_EQ(CString(" [0,0] "), Pane(3));
    EXPECT_EQ(0, watcher.count());
}

TEST_F(NavigationTest, FolderOfThreeThousandFiles) {
    std::string folder = MakeTempFolder("many");
    std::string bytes(100, 'x');
    for (int i = 0; i < 3000; ++i) {
        char name[32];
        snprintf(name, sizeof name, "p%04d.%s", (i * 7919) % 3000, i % 2 ? "bmp" : "gif");
        WriteFile(folder + name, bytes);
    }
    CopyCorpusFile("bmp/image.bmp", folder, "p1500.bmp");
    Open(folder + "p1500.bmp");
    ASSERT_EQ(3001, g_fileList.GetSize());  // p1500.gif is one of the 3000
    for (int i = 1; i < g_fileList.GetSize(); ++i)
        ASSERT_LT(g_fileList[i - 1].Compare(g_fileList[i]), 0) << i;
    EXPECT_EQ(g_strFilePath, g_fileList[g_nFileIndex]);
    EXPECT_EQ(CString("p1500.bmp"), g_fileList[g_nFileIndex].Mid(g_strFolder.GetLength()));
}

TEST(MalformedNavigation, OpenedAndSteppedOverWithNext) {
    RunningApp run;
    ASSERT_TRUE(run.started());
    CNorvelView* view = run.view();
    view->OpenChosenFile(CorpusPath("malformed/bug776694.bmp").c_str(), "bug776694.bmp");
    ASSERT_GT(g_fileList.GetSize(), 5);
    CStatusBar& bar = run.frame()->m_wndStatusBar;
    int unreadable = 0;
    for (int i = 0; i < 60 && view->m_bEnableNext; ++i) {
        run.frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, 1), 0);
        view->UpdateWindow();
        PumpNow();
        if (g_nImageWidth == 0) {
            ++unreadable;
            EXPECT_EQ(CString(" [0,0] "), bar.GetPaneText(3)) << g_strFilePath;
            EXPECT_EQ(COLORREF(RGB(128, 128, 128)), ScreenPixel(view->m_hWnd, g_nClientWidth / 2, g_nClientHeight / 2))
                << g_strFilePath;
        }
    }
    EXPECT_EQ(g_fileList.GetSize() - 1, g_nFileIndex);
    EXPECT_GT(unreadable, 0);
    EXPECT_TRUE(IsWindow(view->m_hWnd));
}

// Names in any script, in a folder whose own name is Greek: listed in code-point order (ASCII
// first, as before), each shown with its name, size and dimensions while stepping.
TEST_F(NavigationTest, NamesInAnyScriptAreListedSortedAndSteppedThrough) {
    std::string folder = MakeTempFolder("Φάκελος 日本");
    const char* names[] = {"Z.bmp",      "a.bmp",        "cafe\xcc\x81.bmp", "Ελληνικά.png",
                           "Привет.bmp", "日本の桜.bmp", "🌴 holiday.bmp"};
    for (const char* n : names)
        CopyCorpusFile(strstr(n, ".png") ? "png/basn0g08.png" : "bmp/image.bmp", folder, n);
    Open(folder + "a.bmp");
    std::string expected;
    for (const char* n : names)
        expected += std::string(n) + ";";
    EXPECT_EQ(expected, ListText());
    ASSERT_EQ(1, g_nFileIndex);
    EXPECT_EQ(CString("a.bmp"), Pane(1));
    for (int i = 2; i < 7; ++i) {
        Command(ID_VIEW_NEXT);
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(i, g_nFileIndex);
        EXPECT_EQ(CString((folder + names[i]).c_str()), g_strFilePath);
        EXPECT_EQ(CString(names[i]), Pane(1));
        bool png = strstr(names[i], ".png") != nullptr;
        EXPECT_EQ(CString(png ? "0.13 kB" : "18.80 kB"), Pane(2));
        EXPECT_EQ(CString(png ? " [32,32] " : " [80,80] "), Pane(3));
        CString pos;
        pos.Format("%d in 7", i + 1);
        EXPECT_EQ(pos, Pane(5));
    }
    EXPECT_FALSE(view->m_bEnableNext);
    Command(ID_VIEW_PREVIOUS);
    EXPECT_EQ(CString("日本の桜.bmp"), Pane(1));
}

// The open dialog hands back names in any script whole, also a name of eighty three-byte
// characters, whose path is longer in bytes than MAX_PATH (the host's file system holds no name
// over 255 bytes).
TEST_F(NavigationTest, TheOpenDialogOpensNamesInAnyScript) {
    std::string folder = MakeTempFolder("Открыть");
    std::string longName;
    for (int i = 0; i < 80; ++i)
        longName += "日";
    longName += ".bmp";
    const std::string names[] = {"Привет.bmp", "日本の桜.bmp", "holiday 🌴.bmp", longName};
    for (const std::string& n : names)
        CopyCorpusFile("bmp/image.bmp", folder, n.c_str());
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        OpenThroughDialog(view, folder + n);
        EXPECT_EQ(CString((folder + n).c_str()), g_strFilePath);
        EXPECT_EQ(CString(n.c_str()), g_strFileName);
        EXPECT_EQ(CString(n.c_str()), Pane(1));
        EXPECT_EQ(CString(" [80,80] "), Pane(3));
        EXPECT_EQ(4, g_fileList.GetSize());
    }
}

// ---- names drawn with real glyphs ----
// The test set-up gives Wine a font with CJK glyphs and links it to the interface faces. A pane
// or a list label showing a name is compared with the same place showing another name and a
// name of an unassigned code point (U+0378), which the font draws as its missing-glyph box: two
// different characters drawn differently, and neither as that box, are real glyphs.

namespace {
// The pixels of a screen rectangle.
struct Shot {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
};
Shot Grab(HWND hWnd, RECT rc) {
    MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    Shot s;
    s.w = rc.right - rc.left;
    s.h = rc.bottom - rc.top;
    s.px = ScreenColours(rc);
    return s;
}
// Pixels that differ between two shots, over the part both cover from the top left corner.
int Differences(const Shot& a, const Shot& b) {
    int w = std::min(a.w, b.w), h = std::min(a.h, b.h), n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            n += a.px[y * a.w + x] != b.px[y * b.w + x];
    return n + (a.w * a.h - w * h) + (b.w * b.h - w * h);
}
// Pixels of a shot that are not of its most common colour (the background).
int Ink(const Shot& s) {
    std::map<COLORREF, int> count;
    for (COLORREF c : s.px)
        ++count[c];
    int most = 0;
    for (const auto& c : count)
        most = std::max(most, c.second);
    return static_cast<int>(s.px.size()) - most;
}
// The characters looked at, one name each; the last is an unassigned code point.
const char* const kGlyphNames[] = {"日.bmp", "本.bmp", "Ж.bmp", "\xcd\xb8.bmp"};
const int kBox = 3;
void ExpectRealGlyphs(const Shot (&shots)[4]) {
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(Ink(shots[i]), 20) << kGlyphNames[i];
    // A glyph differs from the next character's by more than a few pixels of its edge.
    EXPECT_GT(Differences(shots[0], shots[1]), 15) << "日 and 本 drawn alike";
    for (int i = 0; i < kBox; ++i)
        EXPECT_GT(Differences(shots[i], shots[kBox]), 15) << kGlyphNames[i] << " drawn as the missing-glyph box";
}
struct ClassSearch {
    const char* cls;
    HWND found;
};
BOOL CALLBACK FindClassProc(HWND h, LPARAM lp) {
    ClassSearch* s = reinterpret_cast<ClassSearch*>(lp);
    char cls[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpiA(cls, s->cls) != 0 || !IsWindowVisible(h))
        return TRUE;
    s->found = h;
    return FALSE;
}
HWND FindChildOfClass(HWND hParent, const char* pszClass) {
    ClassSearch search = {pszClass, nullptr};
    EnumChildWindows(hParent, FindClassProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
std::wstring WideOf(const char* utf8) {
    wchar_t buf[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buf, 256);
    return buf;
}
}  // namespace

TEST_F(NavigationTest, TheStatusBarDrawsNamesInAnyScriptWithRealGlyphs) {
    std::string folder = MakeTempFolder("glyphs-pane");
    MakePictures(folder, {kGlyphNames[0], kGlyphNames[1], kGlyphNames[2], kGlyphNames[3]});
    CStatusBar& bar = run->frame()->m_wndStatusBar;
    Shot shots[4];
    for (int i = 0; i < 4; ++i) {
        Open(folder + kGlyphNames[i]);
        ASSERT_EQ(CString(kGlyphNames[i]), Pane(1));
        RECT rc;
        ASSERT_TRUE(bar.SendMessage(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&rc)));
        bar.UpdateWindow();
        shots[i] = Grab(bar.m_hWnd, rc);
    }
    ExpectRealGlyphs(shots);
}

TEST_F(NavigationTest, TheOpenDialogListsNamesInAnyScriptWithRealGlyphs) {
    std::string folder = MakeTempFolder("glyphs-dialog");
    MakePictures(folder, {kGlyphNames[0], kGlyphNames[1], kGlyphNames[2], kGlyphNames[3]});
    Shot shots[4];
    int found = 0;
    {
        DialogDriver driver({[&](HWND h, HWND) {
                                 DialogSetFileName(h, folder);  // into the folder
                                 DialogPressOk(h);
                             },
                             nullptr,
                             [&](HWND h, HWND) {
                                 HWND hList = FindChildOfClass(h, "SysListView32");
                                 if (!hList)
                                     return;
                                 UpdateWindow(hList);
                                 for (int i = 0; i < 4; ++i) {
                                     std::wstring name = WideOf(kGlyphNames[i]);
                                     LVFINDINFOW find = {};
                                     find.flags = LVFI_STRING;
                                     find.psz = name.c_str();
                                     int item =
                                         static_cast<int>(SendMessageW(hList, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                                       reinterpret_cast<LPARAM>(&find)));
                                     if (item < 0)
                                         continue;
                                     RECT rc = {};
                                     rc.left = LVIR_LABEL;
                                     SendMessageW(hList, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
                                     shots[i] = Grab(hList, rc);
                                     ++found;
                                 }
                             }});
        Command(ID_FILE_OPEN);
        EXPECT_TRUE(driver.ran());
    }
    ASSERT_EQ(4, found);
    ExpectRealGlyphs(shots);
}
