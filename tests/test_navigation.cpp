// Open of a chosen file (what follows the dialog), the sorted folder list, Previous and Next, and
// their status texts. The dialog itself is driven in dialog_tests and end to end.
#include <gtest/gtest.h>

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

TEST_F(NavigationTest, StepsSwitchAutoZoomBackOnAndClearCaptures) {
    std::string folder = MakeTempFolder("auto");
    MakePictures(folder, {"a.bmp", "b.bmp"});
    Open(folder + "a.bmp");
    g_bManualZoom = 1;
    g_dZoom = 2.0;
    run->app().m_bScreenCaptured = 1;
    Command(ID_VIEW_NEXT);
    EXPECT_EQ(0, g_bManualZoom);
    EXPECT_EQ(0, run->app().m_bScreenCaptured);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);  // refitted by the paint
}

TEST_F(NavigationTest, SinglePictureDisablesBothSteps) {
    std::string folder = MakeTempFolder("single");
    MakePictures(folder, {"only.bmp"});
    Open(folder + "only.bmp");
    EXPECT_EQ(CString("1 in 1"), Pane(5));
    EXPECT_FALSE(view->m_bEnablePrevious);
    EXPECT_FALSE(view->m_bEnableNext);
    EXPECT_FALSE(view->m_bEnableSlideShow);
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
