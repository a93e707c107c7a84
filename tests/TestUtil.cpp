#include "TestUtil.h"

#include <shlwapi.h>

#include <stdlib.h>

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

std::string MakeTempFolder(const char* name) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string folder = std::string(tmp) + "morvane-test-" + name;
    // Start empty: remove what an earlier run left.
    std::string from = folder + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void CopyCorpusFile(const char* relative, const std::string& folder, const char* name) {
    CopyFileA(CorpusPath(relative).c_str(), (folder + name).c_str(), FALSE);
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

void ResetViewState() {
    g_strFilePath.Empty();
    g_strFileName.Empty();
    g_strFolder.Empty();
    g_fileList.RemoveAll();
    g_nFileIndex = 0;
    g_nClientWidth = g_nClientHeight = 0;
    g_nImageWidth = g_nImageHeight = 0;
    g_dZoom = 0.0;
    g_nDrawX = g_nDrawY = 0;
    g_nCentreX = g_nCentreY = 0;
    g_bManualZoom = 0;
    g_bDragging = 0;
    g_bEnableZoomDialog = 0;
    g_bEnableImageEdit = 0;
    g_bSlideStopped = 1;
}

// ---- RunningApp ---------------------------------------------------------------------------------

RunningApp::RunningApp(const char* cmdLine) : m_app(new CNorvelApp) {
    ResetViewState();
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

MessageBoxWatcher::MessageBoxWatcher() {
    InitializeCriticalSection(&m_cs);
    m_thread = std::thread([this] { Run(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    m_bStop = true;
    m_thread.join();
    DeleteCriticalSection(&m_cs);
}

std::string MessageBoxWatcher::lastText() const {
    EnterCriticalSection(&m_cs);
    std::string s = m_text;
    LeaveCriticalSection(&m_cs);
    return s;
}

std::string MessageBoxWatcher::lastCaption() const {
    EnterCriticalSection(&m_cs);
    std::string s = m_caption;
    LeaveCriticalSection(&m_cs);
    return s;
}

namespace {
struct FindBox {
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindBoxProc(HWND h, LPARAM lp) {
    FindBox* f = reinterpret_cast<FindBox*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[32];
    if (pid == f->pid && IsWindowVisible(h) && GetClassNameA(h, cls, sizeof cls) && strcmp(cls, "#32770") == 0) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

void MessageBoxWatcher::Run() {
    while (!m_bStop) {
        FindBox f = {GetCurrentProcessId(), nullptr};
        EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&f));
        if (f.found) {
            char text[1024] = "", caption[256] = "";
            GetDlgItemTextA(f.found, 0xFFFF, text, sizeof text);
            GetWindowTextA(f.found, caption, sizeof caption);
            EnterCriticalSection(&m_cs);
            m_text = text;
            m_caption = caption;
            LeaveCriticalSection(&m_cs);
            ++m_nSeen;
            PostMessageA(f.found, WM_COMMAND, IDOK, 0);
            // Wait for it to go before looking again.
            for (int i = 0; i < 200 && IsWindow(f.found); ++i)
                Sleep(10);
        }
        Sleep(20);
    }
}

COLORREF ScreenPixel(HWND hWnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hWnd, &p);
    HDC hdc = GetDC(nullptr);
    COLORREF c = GetPixel(hdc, p.x, p.y);
    ReleaseDC(nullptr, hdc);
    return c;
}
