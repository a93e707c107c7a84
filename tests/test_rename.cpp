// Rename on real folders through the real dialog, driven from a timer inside its modal loop as
// a user would drive it: what Apply allows, what the file, the list, pane 1 and Next/Previous
// show afterwards, and a failed rename; long paths and names ending in a dot or a space met
// everywhere a picture is opened, stepped to, saved and renamed.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "AppFixture.h"
#include "dialogs/RenameDlg.h"
#include "picture/Picture.h"

namespace {
// Steps on the Rename dialog, each once the dialog (or the box a step names) is ready; the dialog
// is cancelled when they are done.
class RenameDriver : public DialogDriver {
public:
    explicit RenameDriver(std::vector<Step> steps) : DialogDriver(std::move(steps), IsRenameDialog) {}
    static bool IsRenameDialog(HWND h) { return WindowCaption(h) == "Rename"; }
};

std::string EditText(HWND hDlg) {
    char buf[256] = "";
    GetDlgItemTextA(hDlg, IDC_RENAME_NAME, buf, sizeof buf);
    return buf;
}
bool ApplyEnabled(HWND hDlg) {
    return IsWindowEnabled(GetDlgItem(hDlg, IDOK)) != FALSE;
}
void Type(HWND hDlg, const char* text) {
    SetDlgItemTextA(hDlg, IDC_RENAME_NAME, text);  // the edit box notifies EN_CHANGE
}
void PressApply(HWND hDlg) {
    SendMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
}
void PressEnter(HWND hDlg) {
    // What Enter in the dialog sends, even while Apply is disabled.
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// A message box over the dialog: its caption and text are kept, and it is answered with OK.
struct SeenBox {
    bool seen = false;
    std::string caption, text;
};
bool IsBox(HWND h) {
    return WindowCaption(h) != "Rename" && GetDlgItem(h, 0xFFFF);
}
void AnswerBox(SeenBox* box) {
    HWND h = FindProcessDialog(IsBox);
    box->seen = h != nullptr;
    if (!h)
        return;
    char caption[256] = "", text[1024] = "";
    GetWindowTextA(h, caption, sizeof caption);
    GetDlgItemTextA(h, 0xFFFF, text, sizeof text);
    box->caption = caption;
    box->text = text;
    PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
// The names in a folder, as the folder spells them.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& n : FilesMatching(folder, "*"))
        if (n != "." && n != "..")
            names.push_back(n);
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(RenameRules, SuffixBaseAndRefusedNames) {
    EXPECT_EQ(CString(".jpg"), RenameSuffix("img001.jpg"));
    EXPECT_EQ(CString("img001"), RenameBase("img001.jpg"));
    EXPECT_EQ(CString(".tiff"), RenameSuffix("scan.tiff"));
    EXPECT_EQ(CString("scan"), RenameBase("scan.tiff"));
    EXPECT_EQ(CString(""), RenameSuffix("ab"));
    EXPECT_EQ(CString("ab"), RenameBase("ab"));
    EXPECT_EQ(CString(".b"), RenameSuffix("a.b"));
    EXPECT_EQ(CString("x.y"), RenameBase("x.y.png"));
    // Names the system would not make are judged as it would keep them.
    EXPECT_EQ(CString(".png"), RenameSuffix("space.png "));
    EXPECT_EQ(CString("space"), RenameBase("space.png "));
    EXPECT_EQ(CString(".png"), RenameSuffix("dot.png. ."));
    EXPECT_EQ(CString("dot"), RenameBase("dot.png. ."));
    for (const char* bad : {"", "..\\x", "a/b", "c:x", "...", "  ", ". .", "a*", "a?", "a\"b", "a<b", "a>b", "a|b",
                            "tab\there", "con", "NUL", "com1", "Lpt9", "aux "})
        EXPECT_FALSE(IsAcceptableRenameText(bad, ".jpg")) << bad;
    for (const char* good : {"holiday", "holiday.png", "a", ".hidden", "x y", "con1", "COM0", "console"})
        EXPECT_TRUE(IsAcceptableRenameText(good, ".jpg")) << good;
    // Without a suffix, a trailing dot or space would be dropped by the system.
    EXPECT_FALSE(IsAcceptableRenameText("name.", ""));
    EXPECT_FALSE(IsAcceptableRenameText("name ", ""));
    EXPECT_TRUE(IsAcceptableRenameText("name.", ".jpg"));
}

// The limits count the system's characters: a Cyrillic folder of 8 characters leaves 251 as an
// ASCII one does, though it takes 12 bytes; a name of 247 Cyrillic letters (494 bytes) fits.
TEST(RenameRules, LimitsCountCharactersNotBytes) {
    const char folder[] = "C:\\Фото\\";
    EXPECT_EQ(247, MaxRenameBaseLength(folder, "img.jpg"));
    EXPECT_EQ(246, MaxRenameBaseLength(folder, "img.фото"));  // a suffix of 5 characters
    EXPECT_EQ(246, MaxRenameBaseLength(folder, "a.🌴🌴"));      // the dot and two surrogate pairs: 5
    std::string fits, over;
    for (int i = 0; i < 247; ++i)
        fits += "Ж";
    over = fits + "Ж";
    CString path;
    EXPECT_EQ(kRenameAccepted, JudgeRenameText(folder, "img.jpg", fits.c_str(), &path));
    EXPECT_EQ(259, AfxCharCount(path));
    EXPECT_EQ(kRenameTooLong, JudgeRenameText(folder, "img.jpg", over.c_str()));
    EXPECT_NE(std::string::npos, std::string(RenameTooLongText(folder, "img.jpg")).find(" at most 247 characters"));
    // Letters of any script are names; the refused characters stay refused among them.
    for (const char* good : {"Привет", "日本の桜", "holiday 🌴", "cafe\xcc\x81", "Ελληνικά.v2"})
        EXPECT_TRUE(IsAcceptableRenameText(good, ".jpg")) << good;
    for (const char* bad : {"Привет?", "日本/桜", "🌴:", "Ελληνικά."})
        EXPECT_FALSE(IsAcceptableRenameText(bad, "")) << bad;
    EXPECT_EQ(CString(".фото"), RenameSuffix("снимок.фото"));
    EXPECT_EQ(CString("снимок"), RenameBase("снимок.фото"));
    EXPECT_TRUE(IsSameFileName("Привет.jpg", "ПРИВЕТ.JPG"));
    EXPECT_FALSE(IsSameFileName("Привет.jpg", "Привес.jpg"));
}

// The dialog and the rename judge a name by the same rule: the whole new name, suffix included,
// and the whole new path.
TEST(RenameRules, OneVerdictForTheDialogAndTheRename) {
    const char folder[] = "C:\\pics\\";  // 8 characters: 251 are left for the name
    EXPECT_EQ(247, MaxRenameBaseLength(folder, "img.jpg"));
    EXPECT_EQ(246, MaxRenameBaseLength(folder, "scan.tiff"));
    EXPECT_EQ(251, MaxRenameBaseLength(folder, "ab"));
    EXPECT_EQ(251, MaxRenameBaseLength("Z:\\", "a.jpg"));  // one name holds at most 255
    // A folder already past the ordinary limit takes any name its file system takes.
    EXPECT_EQ(251, MaxRenameBaseLength(("Z:\\" + std::string(260, 'f') + "\\").c_str(), "a.jpg"));
    struct {
        const char* oldName;
        std::string typed;
        RenameVerdict verdict;
        const char* path;
    } rows[] = {{"img.jpg", "holiday", kRenameAccepted, "C:\\pics\\holiday.jpg"},
                {"img.jpg", "name.", kRenameAccepted, "C:\\pics\\name..jpg"},
                {"img.jpg", "x ", kRenameAccepted, "C:\\pics\\x .jpg"},
                {"ab", "name.", kRenameNotKept, ""},
                {"ab", "x ", kRenameNotKept, ""},
                {"ab", "con.", kRenameBadName, ""},
                {"space.png ", "space", kRenameAccepted, "C:\\pics\\space.png"},
                {"img.jpg", "a/b", kRenameBadName, ""},
                {"img.jpg", std::string(300, '/'), kRenameBadName, ""},
                {"img.jpg", std::string(247, 'n'), kRenameAccepted, nullptr},
                {"img.jpg", std::string(248, 'n'), kRenameTooLong, ""},
                {"img.jpg", std::string(300, 'n'), kRenameTooLong, ""}};
    for (const auto& r : rows) {
        CString path;
        EXPECT_EQ(r.verdict, JudgeRenameText(folder, r.oldName, r.typed.c_str(), &path)) << r.typed;
        if (r.path)
            EXPECT_EQ(CString(r.path), path) << r.typed;
        else
            EXPECT_EQ(259, path.GetLength()) << r.typed;
    }
    EXPECT_TRUE(IsSameFileName("taken.jpg", "TAKEN.jpg"));
    EXPECT_FALSE(IsSameFileName("taken.jpg", "taker.jpg"));
    EXPECT_NE(std::string::npos, std::string(RenameTooLongText(folder, "img.jpg")).find(" at most 247 characters"));
}

TEST(RenameRules, FileErrorMessagesFromTheStringTable) {
    struct {
        LONG error;
        const char* text;
    } rows[] = {{ERROR_ACCESS_DENIED, "Access to an unnamed file was denied."},
                {ERROR_ALREADY_EXISTS, "Access to an unnamed file was denied."},
                {ERROR_FILE_NOT_FOUND, "an unnamed file was not found."},
                {ERROR_SHARING_VIOLATION, "A sharing violation occurred while accessing an unnamed file."},
                {ERROR_DISK_FULL, "Disk full while accessing an unnamed file."},
                {12345, "An unknown error occurred while accessing an unnamed file."}};
    for (const auto& r : rows)
        EXPECT_EQ(CString(r.text),
                  CFileException(CFileException::OsErrorToException(r.error), r.error).GetErrorMessage());
    EXPECT_EQ(CString("x.jpg was not found."),
              CFileException(CFileException::fileNotFound, 2, "x.jpg").GetErrorMessage());
    CFileException e;
    EXPECT_FALSE(CFile::Rename("Z:\\no\\such\\file.jpg", "Z:\\no\\such\\other.jpg", &e));
    EXPECT_EQ(CFileException::badPath, e.m_cause);
}

class RenameTest : public AppTest {
protected:
    std::string MakeFolder(const char* name, std::initializer_list<const char*> files) {
        std::string made = MakeTempFolder(name);
        for (const char* f : files)
            CopyCorpusFile("jpeg/video-001.jpeg", made, f);
        return made;
    }
};

TEST_F(RenameTest, ApplyRenamesInPlaceAndTheListGoesOnFromTheSamePosition) {
    std::string folder = MakeFolder("rename-basic", {"a.jpg", "img001.jpg", "taken.jpg", "z.jpg"});
    Open(folder + "img001.jpg");
    ASSERT_EQ(1, g_nFileIndex);
    ASSERT_TRUE(view->m_bEnableRename);
    std::vector<std::string> texts;
    std::vector<bool> enabled;
    auto look = [&](HWND h) {
        texts.push_back(EditText(h));
        enabled.push_back(ApplyEnabled(h));
    };
    {
        RenameDriver driver(
            {look, [](HWND h) { Type(h, "taken"); }, look, [](HWND h) { Type(h, "holiday"); }, look, PressApply});
        Command(ID_IMAGE_RENAME);
        EXPECT_EQ(6u, driver.stepsRun());
    }
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("img001", texts[0]);
    EXPECT_FALSE(enabled[0]);  // the file's own name exists
    EXPECT_FALSE(enabled[1]);  // another file of the folder has it
    EXPECT_EQ("holiday", texts[2]);
    EXPECT_TRUE(enabled[2]);

    EXPECT_FALSE(Exists(folder + "img001.jpg"));
    EXPECT_TRUE(Exists(folder + "holiday.jpg"));
    EXPECT_EQ(CString((folder + "holiday.jpg").c_str()), g_strFilePath);
    EXPECT_EQ(CString((folder + "holiday.jpg").c_str()), g_fileList[1]);
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_EQ(CString("holiday.jpg"), Pane(1));
    EXPECT_EQ(CString("2 in 4"), Pane(5));
    EXPECT_EQ(CString("holiday"), run->app().m_strRenameTo);

    Command(ID_VIEW_NEXT);
    EXPECT_EQ(CString((folder + "taken.jpg").c_str()), g_strFilePath);
    Command(ID_VIEW_PREVIOUS);
    EXPECT_EQ(CString((folder + "holiday.jpg").c_str()), g_strFilePath);
    EXPECT_EQ(CString("holiday.jpg"), Pane(1));
}

TEST_F(RenameTest, TheOldExtensionIsAlwaysKept) {
    std::string folder = MakeFolder("rename-ext", {"img001.jpg", "scan.tiff", "ab"});
    struct Case {
        const char* from;
        const char* typed;
        const char* shownFirst;
        const char* result;
    } cases[] = {{"img001.jpg", "holiday.png", "img001", "holiday.png.jpg"},
                 {"scan.tiff", "x", "scan", "x.tiff"},
                 {"ab", "cd", "ab", "cd"}};
    for (const Case& c : cases) {
        Open(folder + c.from);
        std::string first;
        {
            RenameDriver driver({[&](HWND h) { first = EditText(h); }, [&](HWND h) { Type(h, c.typed); }, PressApply});
            Command(ID_IMAGE_RENAME);
        }
        EXPECT_EQ(c.shownFirst, first);
        EXPECT_TRUE(Exists(folder + c.result)) << c.result;
        EXPECT_FALSE(Exists(folder + c.from)) << c.from;
        EXPECT_EQ(CString(c.result), Pane(1));
    }
}

TEST_F(RenameTest, RefusedNamesKeepApplyDisabledAndEnterDoesNothing) {
    std::string folder = MakeFolder("rename-refused", {"img001.jpg"});
    Open(folder + "img001.jpg");
    const char* refused[] = {"..\\x", "a/b", "c:x", "", "...", " ", "con"};
    std::vector<bool> enabled;
    std::vector<RenameDriver::Step> steps;
    for (const char* r : refused) {
        steps.push_back([r](HWND h) { Type(h, r); });
        steps.push_back([&](HWND h) { enabled.push_back(ApplyEnabled(h)); });
        steps.push_back(PressEnter);
        steps.push_back([&](HWND h) { enabled.push_back(IsWindowVisible(h) == FALSE); });
    }
    {
        RenameDriver driver(steps);  // then Cancel
        Command(ID_IMAGE_RENAME);
        EXPECT_EQ(steps.size(), driver.stepsRun());
    }
    ASSERT_EQ(2 * (sizeof refused / sizeof refused[0]), enabled.size());
    for (size_t i = 0; i < enabled.size(); ++i)
        EXPECT_FALSE(enabled[i]) << refused[i / 2] << (i % 2 ? ": Enter closed the dialog" : ": Apply enabled");
    EXPECT_TRUE(Exists(folder + "img001.jpg"));
    EXPECT_EQ(CString((folder + "img001.jpg").c_str()), g_strFilePath);
    EXPECT_EQ(CString("img001.jpg"), Pane(1));
    // Only the one file: nothing was made beside it either.
    std::vector<std::string> names;
    for (const std::string& n : FilesMatching(folder, "*"))
        if (n != "." && n != "..")
            names.push_back(n);
    EXPECT_EQ(std::vector<std::string>{"img001.jpg"}, names);
}

TEST_F(RenameTest, CancelRenamesNothing) {
    std::string folder = MakeFolder("rename-cancel", {"img001.jpg"});
    Open(folder + "img001.jpg");
    ViewSnapshot before = Snapshot();
    {
        RenameDriver driver({[](HWND h) { Type(h, "holiday"); },
                             [](HWND h) { SendMessageA(GetDlgItem(h, IDCANCEL), BM_CLICK, 0, 0); }});
        Command(ID_IMAGE_RENAME);
    }
    EXPECT_TRUE(Exists(folder + "img001.jpg"));
    EXPECT_FALSE(Exists(folder + "holiday.jpg"));
    EXPECT_TRUE(before == Snapshot());
}

TEST_F(RenameTest, ANameTakenAfterTypingIsRefusedAtApply) {
    std::string folder = MakeFolder("rename-taken", {"img001.jpg"});
    Open(folder + "img001.jpg");
    ViewSnapshot before = Snapshot();
    // The name is free when typed, and taken by another program before Apply.
    bool stillOpen = false, applyEnabled = true;
    {
        RenameDriver driver({[](HWND h) { Type(h, "holiday"); },
                             [&](HWND h) {
                                 WriteFile(folder + "holiday.jpg", "someone else's");
                                 PressApply(h);
                             },
                             [&](HWND h) {
                                 stillOpen = IsWindowVisible(h) != FALSE;
                                 applyEnabled = ApplyEnabled(h);
                             }});
        Command(ID_IMAGE_RENAME);
    }
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(applyEnabled);
    EXPECT_EQ("someone else's", ReadAll(folder + "holiday.jpg"));
    EXPECT_TRUE(Exists(folder + "img001.jpg"));
    EXPECT_TRUE(before == Snapshot());
}

TEST_F(RenameTest, AFileHeldOpenElsewhereIsNotRenamed) {
    std::string folder = MakeFolder("rename-held", {"img001.jpg"});
    Open(folder + "img001.jpg");
    ViewSnapshot before = Snapshot();
    // Opened without sharing deletion: the system refuses to move it.
    HANDLE hHeld =
        CreateFileA((folder + "img001.jpg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    std::unique_ptr<MessageBoxWatcher> boxes;
    {
        RenameDriver driver({[](HWND h) { Type(h, "holiday"); },
                             [&](HWND h) {
                                 boxes.reset(new MessageBoxWatcher);
                                 PressApply(h);
                             }});
        Command(ID_IMAGE_RENAME);
        PumpFor(300);
    }
    CloseHandle(hHeld);
    ASSERT_TRUE(boxes);
    EXPECT_EQ(1, boxes->count());
    EXPECT_EQ("A sharing violation occurred while accessing an unnamed file.", boxes->lastText());
    EXPECT_TRUE(Exists(folder + "img001.jpg"));
    EXPECT_FALSE(Exists(folder + "holiday.jpg"));
    EXPECT_TRUE(before == Snapshot());
}

// Names the system keeps as typed are renamed to exactly that: a dot or a space before the
// extension, and a change of letter case alone (the file itself has the name without case).
TEST_F(RenameTest, NamesTheSystemKeepsAreRenamedAsTyped) {
    std::string folder = MakeFolder("rename-kept", {"img001.jpg", "z.jpg"});
    struct Case {
        const char* from;
        const char* typed;
        const char* result;
    } cases[] = {{"img001.jpg", "name.", "name..jpg"}, {"name..jpg", "x ", "x .jpg"}, {"x .jpg", "X ", "X .jpg"}};
    for (const Case& c : cases) {
        Open(folder + c.from);
        bool enabled = false, sameNameEnabled = true;
        {
            RenameDriver driver({[&](HWND h) { sameNameEnabled = ApplyEnabled(h); }, [&](HWND h) { Type(h, c.typed); },
                                 [&](HWND h) { enabled = ApplyEnabled(h); }, PressApply});
            Command(ID_IMAGE_RENAME);
        }
        EXPECT_FALSE(sameNameEnabled) << c.from;  // its own name, case and all, is no change
        EXPECT_TRUE(enabled) << c.typed;
        EXPECT_EQ((std::vector<std::string>{c.result, "z.jpg"}), Names(folder)) << c.typed;
        EXPECT_EQ(CString((folder + c.result).c_str()), g_strFilePath);
        EXPECT_EQ(CString((folder + c.result).c_str()), g_fileList[g_nFileIndex]);
        EXPECT_EQ(CString(c.result), Pane(1));
    }
    // A name of another file, in another case, stays refused.
    Open(folder + "X .jpg");
    bool enabled = true;
    {
        RenameDriver driver({[](HWND h) { Type(h, "Z"); }, [&](HWND h) { enabled = ApplyEnabled(h); }});
        Command(ID_IMAGE_RENAME);
    }
    EXPECT_FALSE(enabled);
}

// Names in another script: renamed to and back, the case-only change included, with the status
// text and the list following.
TEST_F(RenameTest, ToNamesInAnyScriptAndBack) {
    std::string folder = MakeFolder("rename-Привет", {"img001.jpg", "z.jpg"});
    struct Case {
        const char* from;
        const char* typed;
        const char* result;
    } cases[] = {{"img001.jpg", "Привет 🌴 日本", "Привет 🌴 日本.jpg"},
                 {"Привет 🌴 日本.jpg", "ПРИВЕТ 🌴 日本", "ПРИВЕТ 🌴 日本.jpg"},
                 {"ПРИВЕТ 🌴 日本.jpg", "Ελληνικά cafe\xcc\x81", "Ελληνικά cafe\xcc\x81.jpg"},
                 {"Ελληνικά cafe\xcc\x81.jpg", "img001", "img001.jpg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Open(folder + c.from);
        std::string first;
        bool enabled = false;
        {
            RenameDriver driver({[&](HWND h) { first = EditText(h); }, [&](HWND h) { Type(h, c.typed); },
                                 [&](HWND h) { enabled = ApplyEnabled(h); }, PressApply});
            Command(ID_IMAGE_RENAME);
            EXPECT_EQ(4u, driver.stepsRun());
        }
        EXPECT_EQ(std::string(RenameBase(c.from)), first);
        EXPECT_TRUE(enabled);
        std::vector<std::string> expected = {c.result, "z.jpg"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, Names(folder));
        EXPECT_EQ(CString((folder + c.result).c_str()), g_strFilePath);
        EXPECT_EQ(CString((folder + c.result).c_str()), g_fileList[g_nFileIndex]);
        EXPECT_EQ(CString(c.result), Pane(1));
    }
}

// A picture whose name the system would not make ("space.png ", "dot.png.", made elsewhere) is
// renamed to an ordinary name; a typed name that would end in a dot or a space is refused at
// Apply with a message saying why.
TEST_F(RenameTest, NamesTheSystemCannotKeepAreRenamedOrExplained) {
    std::string folder = MakeFolder("rename-dropped", {"space.png ", "dot.png.", "ab"});
    struct {
        const char* from;
        const char* typed;  // null: the text the dialog starts with
        const char* result;
    } rows[] = {{"space.png ", nullptr, "space.png"}, {"dot.png.", "dot2", "dot2.png"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.from);
        Open(folder + r.from);
        std::string first;
        bool enabled = false;
        {
            RenameDriver driver({[&](HWND h) { first = EditText(h); },
                                 [&](HWND h) {
                                     if (r.typed)
                                         Type(h, r.typed);
                                 },
                                 [&](HWND h) { enabled = ApplyEnabled(h); }, PressApply});
            Command(ID_IMAGE_RENAME);
            EXPECT_EQ(4u, driver.stepsRun());
        }
        EXPECT_EQ(std::string(RenameBase(r.from)), first);
        EXPECT_TRUE(enabled);
        EXPECT_FALSE(FileExists(folder + r.from));
        EXPECT_EQ(CString((folder + r.result).c_str()), g_strFilePath);
        EXPECT_EQ(CString(r.result), Pane(1));
    }
    EXPECT_EQ((std::vector<std::string>{"ab", "dot2.png", "space.png"}), Names(folder));

    // No extension to end the name: its dot or space would be dropped, and the dialog says so.
    Open(folder + "ab");
    ViewSnapshot before = Snapshot();
    SeenBox box;
    bool enabled = false, open = false;
    {
        RenameDriver driver({[](HWND h) { Type(h, "cd."); },
                             [&](HWND h) {
                                 enabled = ApplyEnabled(h);
                                 PressEnter(h);
                             },
                             {IsBox, [&](HWND) { AnswerBox(&box); }},
                             [&](HWND h) { open = IsWindowVisible(h) != FALSE; }});
        Command(ID_IMAGE_RENAME);
        EXPECT_EQ(4u, driver.stepsRun());
    }
    EXPECT_TRUE(enabled);
    ASSERT_TRUE(box.seen);
    EXPECT_EQ("Morvane", box.caption);
    EXPECT_EQ(std::string(RenameNotKeptText()), box.text);
    EXPECT_NE(std::string::npos, box.text.find("cannot end with a dot or a space"));
    EXPECT_TRUE(open);
    EXPECT_EQ((std::vector<std::string>{"ab", "dot2.png", "space.png"}), Names(folder));
    EXPECT_TRUE(before == Snapshot());
}

// A name whose path would not fit is refused in the dialog, with a message that says so; the
// longest name that fits is renamed.
TEST_F(RenameTest, ANameTooLongForTheFolderIsRefusedWithAMessage) {
    std::string folder = MakeFolder("rename-long", {"img001.jpg"});
    Open(folder + "img001.jpg");
    ViewSnapshot before = Snapshot();
    const int nMax = MaxRenameBaseLength(folder.c_str(), "img001.jpg");
    ASSERT_EQ(259 - static_cast<int>(folder.size()) - 4, nMax);
    ASSERT_LT(nMax, 240);
    const std::string tooLong[] = {std::string(nMax + 1, 'n'), std::string(240, 'n'), std::string(300, 'n')};
    SeenBox boxes[3];
    bool enabled[3] = {}, open[3] = {};
    std::vector<RenameDriver::Step> steps;
    for (int i = 0; i < 3; ++i) {
        steps.push_back([&, i](HWND h) { Type(h, tooLong[i].c_str()); });
        steps.push_back([&, i](HWND h) {
            enabled[i] = ApplyEnabled(h);
            PressEnter(h);  // Apply, answered from the dialog's own loop
        });
        steps.push_back({IsBox, [&, i](HWND) { AnswerBox(&boxes[i]); }});
        steps.push_back([&, i](HWND h) { open[i] = IsWindowVisible(h) != FALSE; });
    }
    {
        RenameDriver driver(steps);
        Command(ID_IMAGE_RENAME);
        EXPECT_EQ(steps.size(), driver.stepsRun());
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(enabled[i]) << tooLong[i].size();
        ASSERT_TRUE(boxes[i].seen) << tooLong[i].size();
        EXPECT_EQ("Morvane", boxes[i].caption);
        EXPECT_EQ(std::string(RenameTooLongText(folder.c_str(), "img001.jpg")), boxes[i].text);
        EXPECT_TRUE(open[i]) << tooLong[i].size();
    }
    EXPECT_EQ(std::vector<std::string>{"img001.jpg"}, Names(folder));
    EXPECT_TRUE(before == Snapshot());

    const std::string longest(nMax, 'n');
    {
        RenameDriver driver({[&](HWND h) { Type(h, longest.c_str()); }, PressApply});
        Command(ID_IMAGE_RENAME);
    }
    EXPECT_EQ(std::vector<std::string>{longest + ".jpg"}, Names(folder));
    EXPECT_EQ(259, g_strFilePath.GetLength());
    EXPECT_EQ(CString((longest + ".jpg").c_str()), Pane(1));
    EXPECT_EQ(CString((folder + longest + ".jpg").c_str()), g_strFilePath);
    g_nImageWidth = 0;  // the next paint measures the picture from its new path
    view->Invalidate(TRUE);
    view->UpdateWindow();
    EXPECT_LT(0, g_nImageWidth);
}

// The show steps on behind the dialog; the file renamed is the one shown when Rename began.
TEST_F(RenameTest, RenameDuringASlideShowRenamesThePictureShownWhenItBegan) {
    std::string folder = MakeFolder("rename-show", {"a.jpg", "b.jpg", "c.jpg"});
    ASSERT_TRUE(WriteMorvaneDword("SLIDE", "timer", 100));  // 10 s: the test gives the ticks
    Open(folder + "b.jpg");
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_EQ(0, g_bSlideStopped);
    std::string shownAtApply;
    {
        RenameDriver driver({[](HWND h) { Type(h, "holiday"); }, [&](HWND) { view->SendMessage(WM_TIMER, 1, 0); },
                             [&](HWND h) {
                                 shownAtApply = g_strFilePath.GetString();
                                 PressApply(h);
                             }});
        Command(ID_IMAGE_RENAME);
    }
    EXPECT_EQ(folder + "c.jpg", shownAtApply);
    EXPECT_EQ((std::vector<std::string>{"a.jpg", "c.jpg", "holiday.jpg"}), Names(folder));
    EXPECT_EQ(CString((folder + "holiday.jpg").c_str()), g_fileList[1]);
    EXPECT_EQ(CString((folder + "c.jpg").c_str()), g_fileList[2]);
    EXPECT_EQ(CString((folder + "c.jpg").c_str()), g_strFilePath);
    EXPECT_EQ(CString("c.jpg"), Pane(1));
    // The show goes on through the renamed file.
    view->SendMessage(WM_TIMER, 1, 0);
    view->SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(CString((folder + "holiday.jpg").c_str()), g_strFilePath);
    EXPECT_EQ(CString("holiday.jpg"), Pane(1));
    EXPECT_EQ(0, g_bSlideStopped);
    Command(ID_TOOLS_SLIDESTARTSTOP);
}

// A folder past the ordinary path limit (made through the long-path form) and names the system
// would not make ("dots.bmp.", "space.png ", made elsewhere): each picture opened, listed,
// measured, stepped to with Next and Previous, saved beside itself and renamed, as the status
// bar and the files show. One table, one program.
TEST_F(RenameTest, LongPathsAndNamesEndingInADotOrASpaceWorkThroughout) {
    std::string deep = MakeTempFolder("reach");
    while (deep.size() < 262) {
        deep += std::string(60, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryW(AfxSystemPath(deep.c_str()).c_str(), nullptr)) << deep.size();
    }
    const std::string odd = MakeTempFolder("reach-odd");
    for (const std::string& f : {deep, odd}) {
        const bool bDeep = f == deep;
        CopyCorpusFile("bmp/image.bmp", f, bDeep ? "a.bmp" : "dots.bmp.");
        CopyCorpusFile("jpeg/video-001.jpeg", f, bDeep ? "b.jpg" : "plain.jpg");
        CopyCorpusFile("png/basn0g08.png", f, bDeep ? "c.png" : "space.png ");
    }
    enum What { kOpen, kNext, kPrevious, kSaveAs, kRename };
    struct {
        What what;
        std::string arg;     // the file opened or saved; the base a rename is given (empty: the dialog's own)
        const char* shown;   // pane 1 afterwards: the file shown
        const char* size;    // pane 3
        const char* where;   // pane 5
        const char* stored;  // a save or a rename: the name the folder then has
    } rows[] = {
        {kOpen, deep + "a.bmp", "a.bmp", " [80,80] ", "1 in 3", nullptr},
        {kNext, "", "b.jpg", " [150,103] ", "2 in 3", nullptr},
        {kNext, "", "c.png", " [32,32] ", "3 in 3", nullptr},
        {kPrevious, "", "b.jpg", " [150,103] ", "2 in 3", nullptr},
        {kSaveAs, deep + "saved.gif", "b.jpg", " [150,103] ", "2 in 3", "saved.gif"},
        {kRename, "renamed", "renamed.jpg", " [150,103] ", "2 in 3", "renamed.jpg"},
        {kPrevious, "", "a.bmp", " [80,80] ", "1 in 3", nullptr},
        {kOpen, odd + "dots.bmp.", "dots.bmp.", " [80,80] ", "1 in 3", nullptr},
        {kNext, "", "plain.jpg", " [150,103] ", "2 in 3", nullptr},
        {kNext, "", "space.png ", " [32,32] ", "3 in 3", nullptr},
        {kPrevious, "", "plain.jpg", " [150,103] ", "2 in 3", nullptr},
        {kNext, "", "space.png ", " [32,32] ", "3 in 3", nullptr},
        {kSaveAs, odd + "copy.bmp. ", "space.png ", " [32,32] ", "3 in 3", "copy.bmp"},
        {kRename, "", "space.png", " [32,32] ", "3 in 3", "space.png"},
        {kOpen, odd + "dots.bmp.", "dots.bmp.", " [80,80] ", "2 in 4", nullptr},  // the copy listed first
        {kRename, "dots", "dots.bmp", " [80,80] ", "2 in 4", "dots.bmp"},
    };
    int nRow = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE("row " + std::to_string(++nRow) + ": " + r.shown);
        switch (r.what) {
            case kOpen:
                Open(r.arg);
                break;
            case kNext:
                Command(ID_VIEW_NEXT);
                break;
            case kPrevious:
                Command(ID_VIEW_PREVIOUS);
                break;
            case kSaveAs: {
                MessageBoxWatcher boxes;
                view->SaveChosenFile(g_strFilePath, r.arg.c_str());
                PumpNow();
                EXPECT_EQ(0, boxes.count()) << boxes.lastText();
                break;
            }
            case kRename: {
                bool enabled = false;
                RenameDriver driver({[&](HWND h) {
                                         if (!r.arg.empty())
                                             Type(h, r.arg.c_str());
                                     },
                                     [&](HWND h) { enabled = ApplyEnabled(h); }, PressApply});
                Command(ID_IMAGE_RENAME);
                EXPECT_EQ(3u, driver.stepsRun());
                EXPECT_TRUE(enabled);
                break;
            }
        }
        PumpNow();
        const std::string folder = static_cast<const char*>(g_strFolder);
        EXPECT_EQ(CString(r.shown), Pane(1));
        EXPECT_EQ(CString(r.size), Pane(3));
        EXPECT_EQ(CString(r.where), Pane(5));
        const std::string kB = static_cast<const char*>(Pane(2));
        EXPECT_TRUE(kB.size() > 3 && kB.compare(kB.size() - 3, 3, " kB") == 0 && kB[0] != '?') << kB;
        EXPECT_EQ(CString((folder + r.shown).c_str()), g_strFilePath);
        if (r.stored) {
            // The file as its folder has it: the picture at its size.
            CPicture written = OpenPicture((folder + r.stored).c_str());
            EXPECT_EQ(static_cast<UINT>(atoi(r.size + 2)), written.Width()) << r.stored;
        }
    }
    EXPECT_EQ((std::vector<std::string>{"a.bmp", "c.png", "renamed.jpg", "saved.gif"}), Names(deep));
    EXPECT_EQ((std::vector<std::string>{"copy.bmp", "dots.bmp", "plain.jpg", "space.png"}), Names(odd));
}
