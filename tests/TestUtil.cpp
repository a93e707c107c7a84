#include "TestUtil.h"

#include <psapi.h>
#include <shlwapi.h>

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/GdiPlus.h"
#include "picture/PicturePreload.h"
#include "frame/Splash.h"
#include "res/resource.h"

void PumpNow() {
    if (CWinApp* pApp = AfxGetApp())
        pApp->PumpWaitingMessages();
}

void PumpFor(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        PumpNow();
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    PumpNow();
}

std::string CorpusPath(const char* relative) {
    const char* root = getenv("MORVANE_CORPUS");
    std::string path = std::string("Z:") + (root ? root : "/work/shared/corpus") + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string TestPicture(const char* name) {
    const char* root = getenv("MORVANE_TEST_PICTURES");
    std::string path = std::string("Z:") + (root ? root : "") + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

namespace {
// A name the system gives in UTF-16, in the program's code page.
std::string Narrow(const wchar_t* psz) {
    int n = WideCharToMultiByte(CP_ACP, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n) : 1u, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, psz, -1, &s[0], n, nullptr, nullptr);
    s.resize(strlen(s.c_str()));
    return s;
}
}  // namespace

void ListFiles(const std::string& folder, std::vector<std::string>* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(AfxSystemPath((folder + "\\*").c_str()).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = Narrow(fd.cFileName);
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + "\\" + name, out);
        else
            out->push_back(folder + "\\" + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::vector<std::string> CorpusFiles(const char* folder) {
    std::string path = CorpusPath(folder);
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    std::vector<std::string> files;
    ListFiles(path, &files);
    return files;
}

std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(AfxSystemPath((folder + pattern).c_str()).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(Narrow(fd.cFileName));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

namespace {
// Removes a folder and everything in it, read-only files included.
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(AfxSystemPath((folder + "\\*").c_str()).c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(fd.cFileName);
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(AfxSystemPath(path.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(AfxSystemPath(path.c_str()).c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(AfxSystemPath(folder.c_str()).c_str());
}
}  // namespace

namespace {
// The folders this process made, removed when it ends.
struct TempFolders {
    std::vector<std::string> made;
    ~TempFolders() {
        for (const std::string& f : made)
            RemoveTree(f);
    }
} s_tempFolders;
}  // namespace

int SoakSteps(int nShort, int nLong) {
    char soak[8] = "";
    return GetEnvironmentVariableA("MORVANE_SOAK", soak, sizeof soak) && soak[0] == '1' ? nLong : nShort;
}

std::string MakeTempFolder(const char* name) {
    // Under Wine the folders live on the host's drive (Z:): the open dialog, sent into a folder of
    // drive C: here, stops for good. Elsewhere the temporary folder.
    std::string base;
    if (GetFileAttributesA("Z:\\tmp") != INVALID_FILE_ATTRIBUTES) {
        base = "Z:\\tmp\\";
    } else {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        base = tmp;
    }
    // One folder per process and test slot: test programs of other slots (each with a Wine
    // server of its own, so process ids repeat) and other build trees may run at the same time
    // on the same host drive.
    char slot[16] = "0";
    GetEnvironmentVariableA("MORVANE_SLOT", slot, sizeof slot);
    std::string folder = base + "morvane-test-" + name + "-" + slot + "-" + std::to_string(GetCurrentProcessId());
    RemoveTree(folder);  // start empty: remove what an earlier test left
    CreateDirectoryA(folder.c_str(), nullptr);
    if (std::find(s_tempFolders.made.begin(), s_tempFolders.made.end(), folder) == s_tempFolders.made.end())
        s_tempFolders.made.push_back(folder);
    return folder + "\\";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(AfxSystemPath(path.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string MakeBmp(int w, int h, const std::function<COLORREF(int x, int y)>& colourAt) {
    int row = (w * 3 + 3) & ~3;
    std::string bytes(54 + row * h, '\0');
    auto put32 = [&](int off, uint32_t v) { memcpy(&bytes[off], &v, 4); };
    auto put16 = [&](int off, uint16_t v) { memcpy(&bytes[off], &v, 2); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, 24);
    put32(34, row * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = colourAt(x, h - 1 - y);  // rows are stored bottom-up
            char* p = &bytes[54 + y * row + x * 3];
            p[0] = static_cast<char>(GetBValue(c));
            p[1] = static_cast<char>(GetGValue(c));
            p[2] = static_cast<char>(GetRValue(c));
        }
    }
    return bytes;
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE h = CreateFileW(AfxSystemPath(path.c_str()).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    bytes.resize(size);
    if (size && !ReadFile(h, &bytes[0], size, &got, nullptr))
        got = 0;
    bytes.resize(got);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(AfxSystemPath(path.c_str()).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyCorpusFile(const char* relative, const std::string& folder, const char* name) {
    const std::string target = folder + name;
    // Through the long-path form where the name or the path needs it, so the name stays as given.
    const std::wstring wide = AfxSystemPath(target.c_str());
    CopyFileW(AfxSystemPath(CorpusPath(relative).c_str()).c_str(), wide.c_str(), FALSE);
    // The corpus is read-only and the copy keeps that; the tests' copies are theirs to change.
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void DeleteMorvaneRegistry() {
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Morvane of ZENTARO");
}

static bool ReadMorvaneValue(const char* section, const char* entry, DWORD* type, BYTE* data, DWORD* size) {
    std::string key = std::string("Software\\Morvane of ZENTARO\\Morvane\\") + section;
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    LONG rc = RegQueryValueExA(h, entry, nullptr, type, data, size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool ReadMorvaneString(const char* section, const char* entry, std::string* value) {
    char buf[1024] = {};
    DWORD type = 0, size = sizeof buf - 1;
    if (!ReadMorvaneValue(section, entry, &type, reinterpret_cast<BYTE*>(buf), &size) || type != REG_SZ)
        return false;
    *value = buf;
    return true;
}

bool ReadMorvaneDword(const char* section, const char* entry, DWORD* value) {
    DWORD type = 0, size = sizeof *value;
    return ReadMorvaneValue(section, entry, &type, reinterpret_cast<BYTE*>(value), &size) && type == REG_DWORD;
}

bool WriteMorvaneDword(const char* section, const char* entry, DWORD value) {
    std::string key = std::string("Software\\Morvane of ZENTARO\\Morvane\\") + section;
    HKEY h;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key.c_str(), &h) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(h, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

// ---- RunningApp ---------------------------------------------------------------------------------

RunningApp::RunningApp(const char* cmdLine, bool bKeepSplash) : m_app(new CNorvelApp) {
    m_app->m_hInstance = GetModuleHandleA(nullptr);
    m_app->m_strCmdLine = cmdLine;
    m_app->m_nCmdShow = SW_SHOWNORMAL;
    m_bStarted = m_app->InitInstance() != FALSE;
    if (!m_bStarted) {
        if (m_app->m_pMainWnd)
            m_app->m_pMainWnd->DestroyWindow();
        m_app->ExitInstance();
        m_bExited = true;
    }
    // A splash kept for the test stays until the test pumps: its timer may be due already.
    if (bKeepSplash && CSplashScreen::GetSplashWindow())
        return;
    if (HWND hSplash = CSplashScreen::GetSplashWindow())
        ::SendMessageA(hSplash, WM_TIMER, 1, 0);
    PumpFor(50);
}

RunningApp::~RunningApp() {
    Exit();
}

CMainFrame* RunningApp::frame() const {
    return dynamic_cast<CMainFrame*>(m_app->m_pMainWnd);
}

CNorvelView* RunningApp::view() const {
    CMainFrame* f = frame();
    return f ? dynamic_cast<CNorvelView*>(f->GetActiveView()) : nullptr;
}

void RunningApp::Exit() {
    if (m_bExited)
        return;
    m_bExited = true;
    if (m_app->m_pMainWnd)
        m_app->m_pMainWnd->SendMessage(WM_CLOSE);
    PumpNow();
    m_app->ExitInstance();
}

// ---- MessageBoxWatcher -----------------------------------------------------------------------
// A thread timer of the test's own thread: it fires inside the message box's modal loop. (A
// watching thread would do as well on Windows, but under the emulated Wine here an exception
// raised anywhere in a process with a second thread can take the process down.)

MessageBoxWatcher* MessageBoxWatcher::s_pActive = nullptr;

MessageBoxWatcher::MessageBoxWatcher() {
    s_pActive = this;
    m_nTimer = SetTimer(nullptr, 0, 50, OnTimer);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    KillTimer(nullptr, m_nTimer);
    if (s_pActive == this)
        s_pActive = nullptr;
}

void CALLBACK MessageBoxWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    MessageBoxWatcher* w = s_pActive;
    if (!w)
        return;
    HWND hBox = FindProcessDialog([](HWND) { return true; });
    if (!hBox || hBox == w->m_hLastBox)
        return;
    char text[1024] = "", caption[256] = "";
    GetDlgItemTextA(hBox, 0xFFFF, text, sizeof text);
    GetWindowTextA(hBox, caption, sizeof caption);
    w->m_text = text;
    w->m_caption = caption;
    w->m_hLastBox = hBox;
    ++w->m_nSeen;
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
}

// ---- DialogDriver -----------------------------------------------------------------------------

namespace {
BOOL CALLBACK FindPanelProc(HWND h, LPARAM lp) {
    if (GetDlgItem(h, 1011)) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

bool IsFileDialog(HWND h) {
    return GetDlgItem(h, 0x480) || GetDlgItem(h, 0x47C);
}
}  // namespace

DialogDriver* DialogDriver::s_pActive = nullptr;

DialogDriver::DialogDriver(std::vector<Step> steps, Wanted dialog, DWORD msTimeout)
    : m_steps(std::move(steps)),
      m_dialog(dialog ? std::move(dialog) : Wanted(IsFileDialog)),
      m_nTimeout(msTimeout),
      m_nStarted(GetTickCount()) {
    s_pActive = this;
    m_nTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, OnTimer);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, m_nTimer);
    if (s_pActive == this)
        s_pActive = nullptr;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* d = s_pActive;
    if (!d)
        return;
    if (GetTickCount() - d->m_nStarted > d->m_nTimeout) {
        // Given up: every dialog of this process is ended, boxes over the file dialog first, so
        // that the command that showed them returns and the test fails instead of hanging.
        d->m_bTimedOut = true;
        if (HWND h = FindProcessDialog([](HWND hDlg) { return IsWindowEnabled(hDlg) != FALSE; }))
            EndDialog(h, IDCANCEL);
        return;
    }
    if (d->m_nNext >= d->m_steps.size()) {
        if (HWND hDialog = FindReadyDialog(d->m_dialog))
            DialogCancel(hDialog);
        return;
    }
    // Copied: a step that opens a box runs the ticks of the box's loop before it returns.
    Step step = d->m_steps[d->m_nNext];
    if (!FindReadyDialog(step.wanted ? step.wanted : d->m_dialog))
        return;
    HWND hPanel = nullptr;
    HWND hDialog = FindProcessDialog(d->m_dialog);
    if (hDialog)
        EnumChildWindows(hDialog, FindPanelProc, reinterpret_cast<LPARAM>(&hPanel));
    ++d->m_nNext;
    d->m_bRan = true;
    if (step.run)
        step.run(hDialog, hPanel);
}

DialogDriver::Wanted FileDialogInFolder(const std::string& folder) {
    std::string wanted = folder;
    if (!wanted.empty() && wanted.back() == '\\')
        wanted.pop_back();
    return [wanted](HWND hDialog) {
        char now[MAX_PATH] = "";
        if (!IsFileDialog(hDialog) ||
            SendMessageA(hDialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(now)) <= 0)
            return false;
        std::string s = now;
        if (!s.empty() && s.back() == '\\')
            s.pop_back();
        return _stricmp(s.c_str(), wanted.c_str()) == 0;
    };
}

bool WaitGone(HWND hWnd, DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (IsWindow(hWnd) && IsWindowVisible(hWnd)) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return false;
        Sleep(10);
    }
    return true;
}

void DialogSetFileName(HWND hDialog, const std::string& text) {
    // The file name box: an edit (edt1) or a combo box (cmb13), depending on the system.
    HWND hName = GetDlgItem(hDialog, 0x480);
    if (!hName)
        hName = GetDlgItem(hDialog, 0x47C);
    SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogPressOk(HWND hDialog) {
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDialog, IDOK)));
}

void DialogCancel(HWND hDialog) {
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void DialogNotifyPanel(HWND hDialog, HWND hPanel) {
    NMHDR nm = {hDialog, 0, static_cast<UINT>(CDN_SELCHANGE)};
    SendMessageA(hPanel, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
}

std::string DialogItemText(HWND hPanel, int nID) {
    char buf[256] = "";
    GetDlgItemTextA(hPanel, nID, buf, sizeof buf);
    return buf;
}

void OpenThroughDialog(CNorvelView* view, const std::string& path) {
    DialogDriver driver({[path](HWND hDialog, HWND) {
        if (path.empty()) {
            DialogCancel(hDialog);
            return;
        }
        DialogSetFileName(hDialog, path);
        DialogPressOk(hDialog);
    }});
    view->GetParentFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
    PumpNow();
}

// ---- handle and memory counts ---------------------------------------------------------------

int CountGdiObjects() {
    // Pictures decoded ahead hold GDI bitmaps: counted once their decodes are done.
    CPicturePreload::WaitAllIdle();
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n)
        return static_cast<int>(n);
    // This system keeps no count: walk the handle table, where the low word of a handle is its
    // slot and a handle without its generation still names the object in the slot.
    int count = 0;
    for (UINT_PTR i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i)))
            ++count;
    return count;
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    return TRUE;
}
BOOL CALLBACK CountTop(HWND h, LPARAM lp) {
    ++*reinterpret_cast<int*>(lp);
    EnumChildWindows(h, CountChild, lp);
    return TRUE;
}
}  // namespace

int CountThreadWindows() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&n));
    return n;
}

size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        return 0;
    return pmc.PagefileUsage;
}

bool ReadPixels(const std::string& path, std::vector<UINT>* pixels, UINT* width, UINT* height) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    std::wstring wide(path.begin(), path.end());
    GpBitmap* pBitmap = nullptr;
    if (GdipCreateBitmapFromFile(wide.c_str(), &pBitmap) != Ok || !pBitmap)
        return false;
    UINT cx = 0, cy = 0;
    GdipGetImageWidth(pBitmap, &cx);
    GdipGetImageHeight(pBitmap, &cy);
    std::vector<UINT> out(size_t(cx) * cy);
    // The pixels are converted straight into our own buffer.
    BitmapData data = {};
    data.Width = cx;
    data.Height = cy;
    data.Stride = INT(cx * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = out.data();
    GpRect rect(0, 0, INT(cx), INT(cy));
    bool ok = cx > 0 && cy > 0 &&
              GdipBitmapLockBits(pBitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                                 &data) == Ok;
    if (ok)
        GdipBitmapUnlockBits(pBitmap, &data);
    GdipDisposeImage(pBitmap);
    if (!ok)
        return false;
    pixels->swap(out);
    *width = cx;
    *height = cy;
    return true;
}

double Psnr(const std::vector<UINT>& a, const std::vector<UINT>& b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            int d = int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF);
            sum += d * d;
        }
    if (sum == 0)
        return 99;
    return 10 * log10(255.0 * 255.0 * 3.0 * double(a.size()) / sum);
}

namespace {
struct DialogSearch {
    const std::function<bool(HWND)>* pIsWanted;
    DWORD pid;
    HWND hFound;
};
BOOL CALLBACK FindProcessDialogProc(HWND h, LPARAM lp) {
    DialogSearch* pSearch = reinterpret_cast<DialogSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[32] = "";
    if (pid == pSearch->pid && IsWindowVisible(h) && GetClassNameA(h, cls, sizeof cls) && strcmp(cls, "#32770") == 0 &&
        (*pSearch->pIsWanted)(h)) {
        pSearch->hFound = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindProcessDialog(const std::function<bool(HWND hDialog)>& isWanted, DWORD pid) {
    DialogSearch search = {&isWanted, pid ? pid : GetCurrentProcessId(), nullptr};
    EnumWindows(FindProcessDialogProc, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

HWND FindDialogCaptioned(const std::string& caption, DWORD pid) {
    return FindProcessDialog([&](HWND h) { return WindowCaption(h) == caption; }, pid);
}

HWND FindReadyDialog(const std::function<bool(HWND hDialog)>& isWanted) {
    HWND h = FindProcessDialog([&](HWND hDlg) { return IsWindowEnabled(hDlg) && isWanted(hDlg); });
    if (!h || GetWindowThreadProcessId(h, nullptr) != GetCurrentThreadId())
        return h;
    // On its own thread the dialog is ready once its loop has nothing left to do (the timer that
    // asks does not count).
    return HIWORD(GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) == 0 ? h : nullptr;
}

HWND WaitForDialog(const std::function<bool(HWND hDialog)>& isWanted, DWORD ms) {
    // The program's thread pumps while it waits; another thread (a user of its own) looks again
    // as soon as a window of the program's changes, or after a moment.
    CWnd* pMain = AfxGetMainWnd();
    bool bPump = pMain && GetWindowThreadProcessId(pMain->m_hWnd, nullptr) == GetCurrentThreadId();
    DWORD end = GetTickCount() + ms;
    for (;;) {
        if (bPump)
            PumpNow();
        if (HWND h = FindReadyDialog(isWanted))
            return h;
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return nullptr;
        if (bPump)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        else
            Sleep(10);
    }
}

std::string WindowCaption(HWND hWnd) {
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    return text;
}
