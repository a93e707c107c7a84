// Rename on real folders through the real dialog, driven from a timer inside its modal loop as
// a user would drive it: what Apply allows, what the file, the list, pane 1 and Next/Previous
// show afterwards, and a failed rename.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "OutputFixture.h"
#include "dialogs/RenameDlg.h"

namespace {
BOOL CALLBACK FindRenameProc(HWND h, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[32] = "", text[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, text, sizeof text);
    if (pid == GetCurrentProcessId() && IsWindowVisible(h) && strcmp(cls, "#32770") == 0 &&
        strcmp(text, "Rename") == 0) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}
HWND FindRenameDialog() {
    HWND found = nullptr;
    EnumWindows(FindRenameProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs one step per timer tick while the dialog is up; cancels it when the steps are done.
class RenameDriver {
public:
    typedef std::function<void(HWND)> Step;
    explicit RenameDriver(std::vector<Step> steps) : m_steps(std::move(steps)) {
        s_pActive = this;
        m_nTimer = SetTimer(nullptr, 0, 60, OnTimer);
    }
    ~RenameDriver() {
        KillTimer(nullptr, m_nTimer);
        s_pActive = nullptr;
    }
    size_t stepsRun() const { return m_nNext; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        RenameDriver* d = s_pActive;
        HWND hDlg = d ? FindRenameDialog() : nullptr;
        if (!hDlg)
            return;
        if (d->m_nNext < d->m_steps.size())
            d->m_steps[d->m_nNext++](hDlg);
        else
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    static RenameDriver* s_pActive;
    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    UINT_PTR m_nTimer = 0;
};
RenameDriver* RenameDriver::s_pActive = nullptr;

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

class RenameTest : public OutputTest {
protected:
    std::string MakeFolder(const char* name, std::initializer_list<const char*> files) {
        std::string folder = MakeTempFolder(name);
        for (const char* f : files)
            CopyCorpusFile("jpeg/video-001.jpeg", folder, f);
        return folder;
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
