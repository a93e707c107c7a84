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

// ---- names in any script: the program runs with UTF-8 as its active code page ----

namespace {
// A drop as the shell hands it today: the names in UTF-16.
HDROP MakeWideDrop(const std::wstring& path) {
    size_t size = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL h = GlobalAlloc(GHND, size);
    DROPFILES* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(h);
    return static_cast<HDROP>(h);
}
std::wstring Wide(const std::string& utf8) {
    wchar_t buf[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buf, 1024);
    return buf;
}
// A value of the recent-file list as a program in any code page reads it: in UTF-16.
std::wstring ReadRecentWide(const wchar_t* entry) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Morvane of ZENTARO\\Morvane\\Recent File List", entry,
                     RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"";
    return buf;
}
// Names of one script each; the last one has eighty characters of three bytes each, so its path
// is longer in bytes than MAX_PATH though well within it in characters.
std::vector<std::string> ScriptNames() {
    std::string longName;
    for (int i = 0; i < 80; ++i)
        longName += "日";
    return {"Привет.bmp", "Ελληνικά.bmp", "日本の桜.bmp", "holiday 🌴.bmp", "cafe\xcc\x81.bmp", longName + ".bmp"};
}
}  // namespace

TEST_F(RegistryTest, NamesInAnyScriptFromTheCommandLineAndByDropReachTheRecentFiles) {
    std::string folder = MakeTempFolder("scripts-cmdline");
    for (const std::string& name : ScriptNames()) {
        SCOPED_TRACE(name);
        DeleteMorvaneRegistry();
        CopyCorpusFile("bmp/image.bmp", folder, name.c_str());
        std::string path = folder + name;
        {
            MessageBoxWatcher watcher;
            RunningApp run(("\"" + path + "\"").c_str());
            ASSERT_TRUE(run.started());
            EXPECT_EQ(0, watcher.count()) << watcher.lastText();
            ASSERT_NE(nullptr, run.app().m_pRecentFileList);
            EXPECT_EQ(CString(path.c_str()), (*run.app().m_pRecentFileList)[0]);

            // Dropped in UTF-16 by the shell: the same name comes through whole.
            std::string dropped = folder + "dropped " + name;
            CopyCorpusFile("bmp/image.bmp", folder, ("dropped " + name).c_str());
            run.frame()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeWideDrop(Wide(dropped))));
            PumpNow();
            EXPECT_EQ(0, watcher.count()) << watcher.lastText();
            EXPECT_EQ(CString(dropped.c_str()), (*run.app().m_pRecentFileList)[0]);
            EXPECT_EQ(CString(path.c_str()), (*run.app().m_pRecentFileList)[1]);
            run.Exit();
        }
        // Stored in UTF-16: a build that keeps an older code page reads back what it can spell.
        EXPECT_TRUE(Wide(folder + "dropped " + name) == ReadRecentWide(L"File1"));
        EXPECT_TRUE(Wide(path) == ReadRecentWide(L"File2"));

        // And read back at the next start.
        RunningApp again;
        ASSERT_TRUE(again.started());
        EXPECT_EQ(CString((folder + "dropped " + name).c_str()), (*again.app().m_pRecentFileList)[0]);
        EXPECT_EQ(CString(path.c_str()), (*again.app().m_pRecentFileList)[1]);
        // The same name in another letter case is the same entry.
        if (name == "Привет.bmp") {
            again.app().AddToRecentFileList((folder + "ПРИВЕТ.bmp").c_str());
            EXPECT_EQ(CString((folder + "ПРИВЕТ.bmp").c_str()), (*again.app().m_pRecentFileList)[0]);
            EXPECT_EQ(CString((folder + "dropped " + name).c_str()), (*again.app().m_pRecentFileList)[1]);
            EXPECT_TRUE((*again.app().m_pRecentFileList)[2].IsEmpty());
        }
    }
}
