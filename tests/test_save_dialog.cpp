// Save and Save As through the system's save dialog, driven from inside its modal loop: the
// filter the user sees, the type selected first, the default extension, what Save writes after
// a capture, and the question before a file is replaced, under the program's caption.
#include <gtest/gtest.h>

#include <vector>

#include "AppFixture.h"

namespace {
std::vector<std::string> TypeList(HWND hDialog, int* pSelected) {
    HWND hCombo = GetDlgItem(hDialog, 0x470);  // cmb1, the file type box
    std::vector<std::string> items;
    int n = static_cast<int>(SendMessageA(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[256] = "";
        SendMessageA(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        items.push_back(buf);
    }
    *pSelected = static_cast<int>(SendMessageA(hCombo, CB_GETCURSEL, 0, 0));
    return items;
}
// The replace question over the save dialog.
bool IsQuestion(HWND h) {
    return !GetDlgItem(h, 0x480) && !GetDlgItem(h, 0x47C) && GetDlgItem(h, IDNO);
}
// A message box over the file dialog (one button).
bool IsMessage(HWND h) {
    return !GetDlgItem(h, 0x480) && !GetDlgItem(h, 0x47C) && GetDlgItem(h, 0xFFFF) && GetDlgItem(h, IDOK);
}
std::string Magic(const std::string& path) {
    return ReadAll(path).substr(0, 4);
}
}  // namespace

class SaveDialogTest : public AppTest {};

TEST_F(SaveDialogTest, SaveAsOffersTheSixTypesBitmapFirstAndAddsBmp) {
    std::string folder = MakeTempFolder("savedlg-asis");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.jpeg");
    Open(folder + "photo.jpeg");
    ViewSnapshot before = Snapshot();
    std::vector<std::string> types;
    int selected = -1;
    std::string initialName = "?";
    {
        DialogDriver driver({[&](HWND h, HWND) {
                                 types = TypeList(h, &selected);
                                 char buf[MAX_PATH] = "?";
                                 GetDlgItemTextA(h, GetDlgItem(h, 0x480) ? 0x480 : 0x47C, buf, sizeof buf);
                                 initialName = buf;
                             },
                             [&](HWND h, HWND) {
                                 DialogSetFileName(h, folder + "typed");
                                 DialogPressOk(h);
                             }});
        Command(ID_FILE_SAVE_AS);
        EXPECT_TRUE(driver.ran());
    }
    std::vector<std::string> expected = {"Bitmap Files (*.bmp)", "Jpeg Files (*.jpg)", "Tiff Files (*.tiff)",
                                         "Giff Fiels (*.gif)",   "Png Fiels (*.png)",  "ICO Fiels (*.ico)"};
    EXPECT_EQ(expected, types);
    EXPECT_EQ(0, selected);
    EXPECT_EQ("", initialName);
    EXPECT_EQ("BM", Magic(folder + "typed.bmp").substr(0, 2));
    EXPECT_TRUE(before == Snapshot());
}

TEST_F(SaveDialogTest, SaveWritesTheCaptureWithItsOwnFilter) {
    std::string folder = MakeTempFolder("savedlg-capture");
    Command(ID_TOOLS_CAPTURESCREEN);
    PumpFor(300);
    ASSERT_TRUE(view->m_bEnableSave);
    std::vector<std::string> types;
    int selected = -1;
    {
        DialogDriver driver({[&](HWND h, HWND) { types = TypeList(h, &selected); },
                             [&](HWND h, HWND) {
                                 DialogSetFileName(h, folder + "shot.png");
                                 DialogPressOk(h);
                             }});
        Command(ID_FILE_SAVE);
        EXPECT_TRUE(driver.ran());
    }
    std::vector<std::string> expected = {"Bitmap Files (*.bmp)", "Jpeg Files (*.jpg)", "Tiff Files (*.tiff)",
                                         "Giff Files (*.gif)",   "Png Files (*.png)",  "ICO Files (*.ico)"};
    EXPECT_EQ(expected, types);
    EXPECT_EQ(0, selected);
    EXPECT_EQ("\x89PNG", Magic(folder + "shot.png"));
    EXPECT_TRUE(FileExists(CaptureFilePath()));
    DeleteFileA(CaptureFilePath());
}

TEST_F(SaveDialogTest, ReplacingAFileIsAskedFirst) {
    std::string folder = MakeTempFolder("savedlg-replace");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.jpeg");
    WriteFile(folder + "exists.png", "the user's file");
    Open(folder + "photo.jpeg");
    WriteFile(folder + "exists.bmp", "the user's bitmap");
    struct Case {
        const char* typed;
        const char* file;  // with the extension the dialog adds
        int answer;
        const char* after;  // the file's first bytes afterwards
    } cases[] = {{"exists.png", "exists.png", IDNO, "the "},
                 {"exists.png", "exists.png", IDYES, "\x89PNG"},
                 {"exists", "exists.bmp", IDYES, "BM"}};
    for (const Case& c : cases) {
        const int answer = c.answer;
        bool asked = false;
        std::string caption, text;
        {
            DialogDriver driver({[&](HWND h, HWND) {
                                     DialogSetFileName(h, folder + c.typed);
                                     DialogPressOk(h);
                                 },
                                 {IsQuestion,
                                  [&](HWND, HWND) {
                                      HWND q = FindProcessDialog(IsQuestion);
                                      asked = q != nullptr;
                                      if (!q)
                                          return;
                                      char buf[256] = "";
                                      GetWindowTextA(q, buf, sizeof buf);
                                      caption = buf;
                                      GetDlgItemTextA(q, 0xFFFF, buf, sizeof buf);
                                      text = buf;
                                      PostMessageA(q, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                                  }},
                                 nullptr});  // a round to settle; then the dialog is cancelled if still open
            Command(ID_FILE_SAVE_AS);
        }
        EXPECT_TRUE(asked) << c.typed << " " << answer;
        EXPECT_EQ("Morvane", caption);  // the program's caption, as on every one of its boxes
        EXPECT_EQ("File already exists.\nDo you want to replace it?", text);
        EXPECT_EQ(c.after, ReadAll(folder + c.file).substr(0, strlen(c.after))) << c.typed << " " << answer;
    }
}

// Save As into a folder named in other scripts, under names in other scripts: the dialog hands
// back the whole path, also one far longer in bytes than MAX_PATH, and the file is written.
TEST_F(SaveDialogTest, SaveAsIntoAFolderAndUnderNamesInAnyScript) {
    std::string base = MakeTempFolder("savedlg-scripts");
    std::string folder = base + "Снимки 日本 🌴\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    CopyCorpusFile("jpeg/video-001.jpeg", base, "photo.jpeg");
    Open(base + "photo.jpeg");
    std::string longName;
    for (int i = 0; i < 80; ++i)
        longName += "桜";
    struct Case {
        std::string typed, file;
        const char* magic;
    } cases[] = {{"Привет", "Привет.bmp", "BM"},
                 {"Ελληνικά cafe\xcc\x81.png", "Ελληνικά cafe\xcc\x81.png", "\x89PNG"},
                 {longName, longName + ".bmp", "BM"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        {
            DialogDriver driver({[&](HWND h, HWND) {
                DialogSetFileName(h, folder + c.typed);
                DialogPressOk(h);
            }});
            Command(ID_FILE_SAVE_AS);
            EXPECT_TRUE(driver.ran());
        }
        EXPECT_EQ(c.magic, Magic(folder + c.file).substr(0, strlen(c.magic)));
    }
}

// A path longer than the system's file dialogs take, typed into Open or Save As: this platform's
// dialog code would fault on it and end the program. It is refused with a message instead, the
// dialog stays for another name, and nothing is written.
TEST_F(SaveDialogTest, PathsTooLongForTheDialogAreRefusedWithAMessage) {
    std::string folder = MakeTempFolder("savedlg-long");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.jpeg");
    Open(folder + "photo.jpeg");
    std::string typed = folder;
    while (typed.size() < 300)
        typed += "long" + std::to_string(typed.size()) + "\\";
    typed += "name.png";
    for (UINT nCommand : {ID_FILE_SAVE_AS, ID_FILE_OPEN}) {
        std::string text;
        {
            DialogDriver driver({[&](HWND h, HWND) {
                                     DialogSetFileName(h, typed);
                                     DialogPressOk(h);
                                 },
                                 {IsMessage,
                                  [&](HWND, HWND) {
                                      HWND q = FindProcessDialog(IsMessage);
                                      char buf[512] = "";
                                      GetDlgItemTextA(q, 0xFFFF, buf, sizeof buf);
                                      text = buf;
                                      PostMessageA(q, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                                  }},
                                 nullptr});  // then the dialog, still open, is cancelled
            Command(nCommand);
            EXPECT_TRUE(driver.ran()) << nCommand;
        }
        EXPECT_EQ(0u, text.find("The path is too long: it has " + std::to_string(typed.size()) +
                                " characters, and a file dialog takes at most 259."))
            << text;
        EXPECT_TRUE(IsWindow(frame->m_hWnd));
    }
    EXPECT_EQ(std::vector<std::string>({".", "..", "photo.jpeg"}), FilesMatching(folder, "*"));
}

TEST_F(SaveDialogTest, AStepWhoseWindowNeverComesIsGivenUpAndTheDialogEnded) {
    std::string folder = MakeTempFolder("savedlg-given-up");
    CopyCorpusFile("jpeg/video-001.jpeg", folder, "photo.jpeg");
    Open(folder + "photo.jpeg");
    bool bRan = false;
    std::vector<DialogDriver::Step> steps = {{[](HWND) { return false; }, [&](HWND, HWND) { bRan = true; }}};
    DWORD nStart = GetTickCount();
    {
        DialogDriver driver(steps, nullptr, 3000);
        Command(ID_FILE_SAVE_AS);
        EXPECT_TRUE(driver.timedOut());
        EXPECT_FALSE(driver.ran());
    }
    EXPECT_FALSE(bRan);
    EXPECT_LT(GetTickCount() - nStart, 30000u);
    EXPECT_EQ(nullptr, FindProcessDialog([](HWND) { return true; }));
    // Nothing saved: the folder holds the picture alone.
    std::vector<std::string> names;
    for (const std::string& n : FilesMatching(folder, "*"))
        if (n != "." && n != "..")
            names.push_back(n);
    EXPECT_EQ(std::vector<std::string>{"photo.jpeg"}, names);
}
