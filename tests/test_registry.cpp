// Settings written at exit, files named on the command line or dropped on the frame.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "AppFixture.h"

namespace {
class RegistryTest : public CleanRegistryTest {};

// A drop of one file, as the shell hands it to a window.
HDROP MakeDrop(const std::string& path) {
    size_t size = sizeof(DROPFILES) + path.size() + 2;
    HGLOBAL h = GlobalAlloc(GHND, size);
    DROPFILES* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(h);
    return static_cast<HDROP>(h);
}
}  // namespace

TEST_F(RegistryTest, ProfileValuesWrittenAtExit) {
    {
        RunningApp run;
        ASSERT_TRUE(run.started());
        run.Exit();
    }
    DWORD pages = 99;
    EXPECT_TRUE(ReadMorvaneDword("Settings", "PreviewPages", &pages));
    EXPECT_EQ(0u, pages);
    std::string file1;
    EXPECT_FALSE(ReadMorvaneString("Recent File List", "File1", &file1));
}

TEST_F(RegistryTest, PictureNamedOnTheCommandLineJoinsTheRecentFilesButIsNotShown) {
    std::string folder = MakeTempFolder("cmdline");
    CopyCorpusFile("bmp/image.bmp", folder, "shown.bmp");
    std::string path = folder + "shown.bmp";
    {
        RunningApp run(("\"" + path + "\"").c_str());
        ASSERT_TRUE(run.started());
        EXPECT_EQ(0, run.app().m_bImageLoaded);
        EXPECT_TRUE(g_strFilePath.IsEmpty());
        EXPECT_EQ(CString("Morvane 1.52"), run.frame()->GetWindowText());
        EXPECT_EQ(COLORREF(RGB(128, 128, 128)), ScreenPixel(run.view()->m_hWnd, 100, 100));
        run.Exit();
    }
    std::string file1;
    ASSERT_TRUE(ReadMorvaneString("Recent File List", "File1", &file1));
    EXPECT_EQ(0, _stricmp(path.c_str(), file1.c_str())) << file1;
}

TEST_F(RegistryTest, MissingFileOnTheCommandLineEndsAfterTheMessage) {
    MessageBoxWatcher watcher;
    RunningApp run("Z:\\no\\such\\picture.bmp");
    EXPECT_FALSE(run.started());
    EXPECT_EQ(1, watcher.count());
    EXPECT_NE(std::string::npos, watcher.lastText().find("Z:\\no\\such\\picture.bmp")) << watcher.lastText();
    EXPECT_NE(std::string::npos, watcher.lastText().find("Cannot find this file.")) << watcher.lastText();
    EXPECT_EQ("Morvane", watcher.lastCaption());
    EXPECT_EQ(nullptr, run.app().m_pMainWnd);
}

TEST_F(RegistryTest, DroppedFileGoesThroughTheDocumentPath) {
    std::string folder = MakeTempFolder("drop");
    CopyCorpusFile("gif/horse.gif", folder, "dropped.gif");
    RunningApp run;
    ASSERT_TRUE(run.started());
    EXPECT_TRUE(GetWindowLongA(run.frame()->m_hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    run.frame()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(folder + "dropped.gif")));
    PumpNow();
    EXPECT_EQ(0, run.app().m_bImageLoaded);
    ASSERT_NE(nullptr, run.app().m_pRecentFileList);
    EXPECT_EQ(0, (*run.app().m_pRecentFileList)[0].CompareNoCase((folder + "dropped.gif").c_str()));
    EXPECT_EQ(CString("Morvane 1.52"), run.frame()->GetWindowText());

    // A dropped file that vanished meanwhile gives the framework's message; the program goes on.
    MessageBoxWatcher watcher;
    run.frame()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(folder + "gone.gif")));
    EXPECT_EQ(1, watcher.count());
    EXPECT_TRUE(IsWindow(run.frame()->m_hWnd));
}
