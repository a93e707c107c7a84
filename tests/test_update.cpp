// The update check against a local HTTP server of the tests' own (http_helper, a process of its
// own): every published text, error answers, a server that never answers and a closed port, as
// the dialog shows them; the download itself; where the local copy goes.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "DesktopUtil.h"
#include "TestUtil.h"
#include "dialogs/Download.h"
#include "dialogs/UpdateDlg.h"
#include "res/resource.h"

namespace {
// ---- the server ----------------------------------------------------------------------------
class LocalServer {
public:
    LocalServer() {
        char exe[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string helper(exe);
        helper = helper.substr(0, helper.find_last_of('\\') + 1) + "http_helper.exe";
        char tmp[MAX_PATH] = "";
        GetTempPathA(sizeof tmp, tmp);
        m_portFile = std::string(tmp) + "morvane_http_port_" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(m_portFile.c_str());
        std::string cmd = "\"" + helper + "\" \"" + m_portFile + "\" " + std::to_string(GetCurrentProcessId());
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            return;
        for (int i = 0; i < 600 && m_port == 0; ++i) {
            if (FILE* f = fopen(m_portFile.c_str(), "r")) {
                unsigned port = 0;
                if (fscanf(f, "%u", &port) == 1)
                    m_port = port;
                fclose(f);
            }
            if (m_port == 0)
                Sleep(50);
        }
    }
    ~LocalServer() {
        if (m_port) {
            CDownloadTempFile local;
            DownloadFile(Url("/quit"), local.Path());  // ends the server
        }
        if (m_pi.hProcess) {
            if (WaitForSingleObject(m_pi.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(m_pi.hProcess, 1);
            CloseHandle(m_pi.hThread);
            CloseHandle(m_pi.hProcess);
        }
        DeleteFileA(m_portFile.c_str());
    }
    unsigned port() const { return m_port; }
    CString Url(const char* path) const {
        CString s;
        s.Format("http://127.0.0.1:%u%s", m_port, path);
        return s;
    }

private:
    std::string m_portFile;
    PROCESS_INFORMATION m_pi = {};
    unsigned m_port = 0;
};

// A port on which nothing listens.
unsigned ClosedPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

// ---- the dialog as a user sees it -------------------------------------------------------------
struct Seen {
    bool bShown = false;
    DWORD dwMsToShow = 0;  // from DoModal until the dialog was on the screen
    std::string strCaption, strVersion, strMessage, strLatest;
    bool bAnimationPlays = false;
};

std::string ItemText(HWND hDlg, int nID) {
    char buf[256] = "";
    GetDlgItemTextA(hDlg, nID, buf, sizeof buf);
    return buf;
}

// Runs the dialog; once it shows, reads what it shows, then closes it with the key or button
// given (the dialog's own OK button when nCloseKey is 0).
class UpdateRun {
public:
    explicit UpdateRun(UINT nCloseKey = 0, bool bWatchAnimation = false)
        : m_nCloseKey(nCloseKey), m_bWatchAnimation(bWatchAnimation) {}

    INT_PTR Run(CDialog& dlg, CLabel* pVersion) {
        s_pActive = this;
        m_pVersion = pVersion;
        m_dwStart = GetTickCount();
        UINT_PTR timer = SetTimer(nullptr, 0, 20, OnTimer);
        INT_PTR r = dlg.DoModal();
        KillTimer(nullptr, timer);
        s_pActive = nullptr;
        return r;
    }
    // Sends the command to the frame; the dialog it opens is read and closed.
    void RunCommand(CWnd* pFrame, UINT nID) {
        s_pActive = this;
        m_dwStart = GetTickCount();
        UINT_PTR timer = SetTimer(nullptr, 0, 20, OnTimer);
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        KillTimer(nullptr, timer);
        s_pActive = nullptr;
    }
    Seen seen;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        UpdateRun* self = s_pActive;
        if (!self || self->m_bDone)
            return;
        HWND h = FindDialogCaptioned("Update");
        if (!h)
            return;
        self->m_bDone = true;
        KillTimer(nullptr, id);
        Seen& s = self->seen;
        s.bShown = true;
        s.dwMsToShow = GetTickCount() - self->m_dwStart;
        char caption[64] = "";
        GetWindowTextA(h, caption, sizeof caption);
        s.strCaption = caption;
        s.strMessage = ItemText(h, IDC_UPDATE_MESSAGE);
        s.strLatest = ItemText(h, IDC_UPDATE_LATEST);
        // The first static without an id: -1 in 16 bits.
        HWND hVersion = GetDlgItem(h, 0xFFFF);
        char v[64] = "";
        GetWindowTextA(hVersion, v, sizeof v);
        s.strVersion = v;
        if (self->m_bWatchAnimation) {
            // The clip changes the control's pixels from frame to frame.
            HWND hAnim = GetDlgItem(h, IDC_UPDATE_ANIMATION);
            RECT rc;
            GetWindowRect(hAnim, &rc);
            PumpFor(100);
            std::vector<COLORREF> first = ScreenColours(rc);
            for (int i = 0; i < 10 && !s.bAnimationPlays; ++i) {
                PumpFor(150);
                s.bAnimationPlays = ScreenColours(rc) != first;
            }
        }
        if (self->m_nCloseKey) {
            HWND hFocus = GetFocus();
            PostMessageA(hFocus ? hFocus : h, WM_KEYDOWN, self->m_nCloseKey, 1);
            PostMessageA(hFocus ? hFocus : h, WM_KEYUP, self->m_nCloseKey, 0xC0000001);
        } else {
            PostMessageA(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
        }
    }

    static UpdateRun* s_pActive;
    UINT m_nCloseKey;
    bool m_bWatchAnimation;
    bool m_bDone = false;
    CLabel* m_pVersion = nullptr;
    DWORD m_dwStart = 0;
};
UpdateRun* UpdateRun::s_pActive = nullptr;

const std::string kShouldUpdate = kShouldUpdateMessage;
const std::string kUpToDate = kUpToDateMessage;
const std::string kBusy = kServerBusyMessage;

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempFolder() {
    char tmp[MAX_PATH] = "";
    GetTempPathA(sizeof tmp, tmp);
    return tmp;
}

// Files of the user's temporary folder that the download's unique names look like.
std::set<std::string> DownloadTempFiles() {
    std::vector<std::string> names = FilesMatching(TempFolder(), "upd*.tmp");
    return std::set<std::string>(names.begin(), names.end());
}
int CountDownloadTempFiles() {
    return static_cast<int>(DownloadTempFiles().size());
}

// The process shows its Update dialog: its check is over.
bool ShowsUpdateDialog(DWORD pid) {
    return FindDialogCaptioned("Update", pid) != nullptr;
}

class UpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DeleteMorvaneRegistry();
        s_server = new LocalServer;
        s_run = new RunningApp;
    }
    static void TearDownTestSuite() {
        delete s_run;
        s_run = nullptr;
        delete s_server;
        s_server = nullptr;
        DeleteMorvaneRegistry();
    }
    void SetUp() override {
        ASSERT_NE(0u, s_server->port()) << "the local server did not start";
        ASSERT_TRUE(s_run->started());
    }
    void PointAt(const CString& url) { s_run->app().WriteProfileString("Settings", "UpdateURL", url); }
    Seen Check(const char* path, UINT nCloseKey = 0) {
        PointAt(s_server->Url(path));
        CUpdateDlg dlg;
        UpdateRun run(nCloseKey);
        m_nLastResult = run.Run(dlg, &dlg.m_lblVersion);
        return run.seen;
    }

    static LocalServer* s_server;
    static RunningApp* s_run;
    INT_PTR m_nLastResult = 0;
};
LocalServer* UpdateTest::s_server = nullptr;
RunningApp* UpdateTest::s_run = nullptr;
}  // namespace

TEST_F(UpdateTest, PublishedVersionsGiveTheirVerdicts) {
    struct Case {
        const char* path;
        const char* version;
        const std::string& message;
    } cases[] = {
        {"/v152/update.txt", "1.52", kUpToDate},     {"/v16/update.txt", "1.6", kShouldUpdate},
        {"/v151/update.txt", "1.51", kShouldUpdate}, {"/v1/update.txt", "1", kShouldUpdate},
        {"/big/update.txt", "1.6", kShouldUpdate},
    };
    for (const Case& c : cases) {
        Seen s = Check(c.path);
        ASSERT_TRUE(s.bShown) << c.path;
        EXPECT_EQ("Update", s.strCaption);
        EXPECT_EQ("The latest version is:", s.strLatest);
        EXPECT_EQ(c.version, s.strVersion) << c.path;
        EXPECT_EQ(c.message, s.strMessage) << c.path;
        EXPECT_EQ(IDOK, m_nLastResult);
    }
    EXPECT_EQ("You should update Morvane.", kShouldUpdate.substr(0, kShouldUpdate.find('\n')));
    EXPECT_EQ(1, std::count(kShouldUpdate.begin(), kShouldUpdate.end(), '\n'));
}

TEST_F(UpdateTest, ErrorAnswersAndClosedPortShowError) {
    // Error pages, and answers whose first bytes are no version (digits and dots): nothing, bytes
    // of no text, a page of markup.
    for (const char* path : {"/missing/update.txt", "/proxyerror/update.txt", "/nothing/here.txt", "/empty/update.txt",
                             "/garbage/update.txt", "/html/update.txt"}) {
        Seen s = Check(path);
        ASSERT_TRUE(s.bShown) << path;
        EXPECT_EQ("Error", s.strVersion) << path;
        EXPECT_EQ(kBusy, s.strMessage) << path;
    }
    CString closed;
    closed.Format("http://127.0.0.1:%u/update.txt", ClosedPort());
    PointAt(closed);
    CUpdateDlg dlg;
    UpdateRun run;
    run.Run(dlg, &dlg.m_lblVersion);
    ASSERT_TRUE(run.seen.bShown);
    EXPECT_EQ("Error", run.seen.strVersion);
    EXPECT_EQ("The server is busy, please try after\na few minutes!", run.seen.strMessage);
}

TEST_F(UpdateTest, SilentServerEndsInErrorWithinTheTimeOut) {
    Seen s = Check("/silent/update.txt");
    ASSERT_TRUE(s.bShown);
    EXPECT_EQ("Error", s.strVersion);
    EXPECT_EQ(kBusy, s.strMessage);
    // The time-out is five seconds; the rest is slack for a slow machine, far below the minutes
    // the server would hold the connection.
    EXPECT_LT(s.dwMsToShow, 30000u);
    printf("silent server: dialog shown after %lu ms\n", static_cast<unsigned long>(s.dwMsToShow));
}

TEST_F(UpdateTest, AnswerOfAnnouncedLengthOnAConnectionKeptOpenEndsAtItsLength) {
    Seen s = Check("/keepopen/update.txt");
    ASSERT_TRUE(s.bShown);
    EXPECT_EQ("1.52", s.strVersion);
    EXPECT_EQ(kUpToDate, s.strMessage);
    // Read up to its length the answer is complete at once; read until the server closes, the
    // check would wait for the time-out of five seconds or more.
    EXPECT_LT(s.dwMsToShow, 4000u);
    printf("connection kept open: dialog shown after %lu ms\n", static_cast<unsigned long>(s.dwMsToShow));

    std::string folder = MakeTempFolder("update_keepopen");
    std::string local = folder + "copy.txt";
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(CString("YES"), DownloadFile(s_server->Url("/keepopen/update.txt"), local.c_str()));
    EXPECT_LT(GetTickCount() - dwStart, 4000u);
    EXPECT_EQ("1.52\r\n", ReadAll(local));
}

TEST_F(UpdateTest, NoFileWrittenToTheCurrentDirectory) {
    std::string folder = MakeTempFolder("update_cwd");
    std::string user = folder + "update.txt";
    WriteFile(user, "the user's own notes");
    char old[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof old, old);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    int nTempBefore = CountDownloadTempFiles();
    Seen s = Check("/v16/update.txt");
    Seen s2 = Check("/missing/update.txt");
    SetCurrentDirectoryA(old);
    EXPECT_EQ("1.6", s.strVersion);
    EXPECT_EQ("Error", s2.strVersion);
    EXPECT_EQ("the user's own notes", ReadAll(user));
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    int nFiles = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do
            nFiles += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(1, nFiles);
    EXPECT_EQ(nTempBefore, CountDownloadTempFiles()) << "the temporary copy is removed";
}

TEST_F(UpdateTest, TemporaryCopyGoesWhenTheProgramIsEndedMidCheck) {
    // The program in a process of its own, checking against the server that never answers; it is
    // ended while the check hangs, as the system ends a hung program whose window is closed.
    std::set<std::string> before = DownloadTempFiles();
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string helper(exe);
    helper = helper.substr(0, helper.find_last_of('\\') + 1) + "update_check_helper.exe";
    std::string cmd = "\"" + helper + "\" \"" + std::string(s_server->Url("/silent/update.txt")) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    std::string name;
    bool bBegun = PumpUntil(
        [&] {
            for (const std::string& n : DownloadTempFiles())
                if (!before.count(n))
                    name = n;
            return !name.empty() || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
        },
        30000);
    bool bMidCheck = WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT && !ShowsUpdateDialog(pi.dwProcessId);
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(bBegun && !name.empty()) << "the check did not begin";
    EXPECT_TRUE(bMidCheck) << "the process was not ended in the middle of its check";
    std::string path = TempFolder() + name;
    EXPECT_TRUE(PumpUntil([&] { return !Exists(path); }, 5000)) << path << " stays";
    DeleteFileA(path.c_str());
}

TEST_F(UpdateTest, DownloadCopiesTheWholeAnswerAndNothingOnFailure) {
    std::string folder = MakeTempFolder("update_download");
    std::string local = folder + "copy.txt";
    EXPECT_EQ(CString("YES"), DownloadFile(s_server->Url("/big/update.txt"), local.c_str()));
    std::string data = ReadAll(local);
    ASSERT_EQ(1500u, data.size());
    EXPECT_EQ("1.6\r\nabcdefghij", data.substr(0, 15));
    EXPECT_EQ('a' + (1499 - 5) % 26, data[1499]);

    // A 404 page neither counts nor stays.
    std::string local404 = folder + "missing.txt";
    CString r = DownloadFile(s_server->Url("/missing/update.txt"), local404.c_str());
    EXPECT_NE(CString("YES"), r);
    EXPECT_FALSE(r.IsEmpty());
    EXPECT_FALSE(Exists(local404));
    // A local file that cannot be created.
    r = DownloadFile(s_server->Url("/v152/update.txt"), (folder + "no\\such\\folder\\u.txt").c_str());
    EXPECT_NE(CString("YES"), r);
    EXPECT_FALSE(r.IsEmpty());
    EXPECT_LE(r.GetLength(), 254);
}

// The check is bounded in redirects, bytes and time. The server counts what it was asked and what
// it sent, so the bounds are seen without a clock: a redirect loop and an answer that trickles (a
// byte every 250 ms for 50 s) end, having taken what the bounds allow; answers of 64 MB and 1 GB
// give their version, and the check leaves them long before their end (closing the request alone
// would read the rest of the answer first).
TEST_F(UpdateTest, ChecksAreBoundedInRedirectsBytesAndTime) {
    auto seen = [](const char* name) {
        CDownloadTempFile local;
        EXPECT_EQ(CString("YES"), DownloadFile(s_server->Url((std::string("/seen/") + name).c_str()), local.Path()));
        return ReadAll(static_cast<const char*>(local.Path()));
    };
    struct {
        const char* path;
        const char* version;
    } rows[] = {{"/hop/10/update.txt", "1.52"},
                {"/hop/11/update.txt", "Error"},
                {"/loop/update.txt", "Error"},
                {"/huge/update.txt", "1.52"},
                {"/endless/update.txt", "1.52"}};
    for (const auto& r : rows) {
        Seen s = Check(r.path);
        ASSERT_TRUE(s.bShown) << r.path;
        EXPECT_EQ(r.version, s.strVersion) << r.path;
        EXPECT_EQ(std::string(r.version) == "Error" ? kBusy : kUpToDate, s.strMessage) << r.path;
    }
    EXPECT_EQ("11 ", seen("loop").substr(0, 3)) << "the first request and ten redirects";
    // hop/10 takes eleven requests; hop/11 as many, its eleventh answer a redirect not followed.
    EXPECT_EQ(11 + 11, atoi(seen("hop").c_str()));
    for (const char* name : {"huge", "endless"}) {
        const std::string counts = seen(name);
        EXPECT_EQ("1 ", counts.substr(0, 2)) << name;
        EXPECT_EQ("0", counts.substr(counts.size() - 1))
            << name << ": the check read the answer to its end: " << counts;
        // Four bytes were read: what was sent beyond them lay in the connection's buffers (a few
        // megabytes), not read by the close.
        EXPECT_LT(strtoull(counts.c_str() + 2, nullptr, 10), 32ull << 20) << name << ": " << counts;
    }

    // The whole download's time, lowered here from the program's 15 s.
    CDownloadBounds bounds;
    EXPECT_EQ(15000u, bounds.dwTotalMs);
    EXPECT_EQ(10, bounds.nMaxRedirects);
    EXPECT_EQ(64u * 1024, bounds.dwMaxBytes);
    bounds.dwTotalMs = 1000;
    CDownloadTempFile local;
    EXPECT_NE(CString("YES"), DownloadFile(s_server->Url("/trickle/update.txt"), local.Path(), bounds));
    std::string trickle = seen("trickle");
    EXPECT_EQ("1 ", trickle.substr(0, 2));
    EXPECT_EQ("0", trickle.substr(trickle.size() - 1)) << "the client left before the end: " << trickle;
    // A whole answer longer than the byte bound is refused.
    bounds.dwTotalMs = 15000;
    bounds.dwMaxBytes = 1000;
    EXPECT_NE(CString("YES"), DownloadFile(s_server->Url("/big/update.txt"), local.Path(), bounds));
}

TEST_F(UpdateTest, VersionIsTheFirstFourBytesUpToALineBreakOrZero) {
    std::string folder = MakeTempFolder("update_version");
    struct {
        std::string bytes;
        const char* version;
    } cases[] = {{"1.52\r\n", "1.52"},
                 {"1.6\r\n", "1.6"},
                 {"1.6\n", "1.6"},
                 {"12345", "1234"},
                 {std::string("1\0"
                              "23",
                              4),
                  "1"},
                 {"", ""},
                 {"\r\n1.52", ""}};
    for (const auto& c : cases) {
        std::string path = folder + "v.txt";
        WriteFile(path, c.bytes);
        CString v = "unchanged";
        ASSERT_TRUE(ReadPublishedVersion(path.c_str(), v));
        EXPECT_EQ(CString(c.version), v);
    }
    CString v;
    EXPECT_FALSE(ReadPublishedVersion((folder + "absent.txt").c_str(), v));
    for (const char* text : {"1.52", "1.6", "1", "10.0"})
        EXPECT_TRUE(IsVersionText(text)) << text;
    for (const char* text : {"", "<htm", ".5", "1.6x", " 1.5", "\xFF\xD8\xFF\xE0"})
        EXPECT_FALSE(IsVersionText(text)) << text;
    EXPECT_STREQ(kUpToDateMessage, UpdateVerdict("1.52"));
    EXPECT_STREQ(kShouldUpdateMessage, UpdateVerdict("1.5"));
    EXPECT_STREQ(kShouldUpdateMessage, UpdateVerdict("1.520"));
}

TEST_F(UpdateTest, AddressComesFromTheProfileOrTheMaker) {
    HKEY hKey = s_run->app().GetSectionKey("Settings");
    RegDeleteValueA(hKey, "UpdateURL");
    RegCloseKey(hKey);
    EXPECT_EQ(CString("http://morvane.zentaro.example/update.txt"), UpdateURL());
    PointAt("http://127.0.0.1:1/elsewhere/update.txt");
    EXPECT_EQ(CString("http://127.0.0.1:1/elsewhere/update.txt"), UpdateURL());
}

TEST_F(UpdateTest, CommandShowsTheDialogWithItsLookAndPlayingAnimation) {
    PointAt(s_server->Url("/v152/update.txt"));
    UpdateRun run(0, true);
    run.RunCommand(s_run->frame(), ID_HELP_UPDATE);
    ASSERT_TRUE(run.seen.bShown);
    EXPECT_EQ("1.52", run.seen.strVersion);
    EXPECT_TRUE(run.seen.bAnimationPlays);

    // The version's look, and Escape closes the dialog.
    CUpdateDlg dlg;
    UpdateRun esc(VK_ESCAPE);
    EXPECT_EQ(IDCANCEL, esc.Run(dlg, &dlg.m_lblVersion));
    EXPECT_EQ(RGB(0, 0, 255), dlg.m_lblVersion.GetTextColor());
    EXPECT_EQ(-14, dlg.m_lblVersion.GetLogFont().lfHeight);
    EXPECT_EQ(FW_BOLD, dlg.m_lblVersion.GetLogFont().lfWeight);
}

TEST_F(UpdateTest, RepeatedChecksLeakNothing) {
    Check("/v152/update.txt");
    int gdi = CountGdiObjects(), wnd = CountThreadWindows();
    for (int i = 0; i < 10; ++i)
        Check(i % 2 ? "/v16/update.txt" : "/missing/update.txt");
    PumpFor(50);
    EXPECT_LE(CountGdiObjects(), gdi + 2);
    EXPECT_EQ(wnd, CountThreadWindows());
}
