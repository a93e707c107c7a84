#include "framework/AfxApp.h"

#include <commctrl.h>

namespace {
CWinApp* g_pApp = nullptr;

// Splits a command line the way the runtime does: blanks separate arguments, double quotes
// group, a backslash before a quote escapes it.
std::vector<CString> SplitCommandLine(const char* p) {
    std::vector<CString> args;
    while (p && *p) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            break;
        std::string arg;
        bool inQuotes = false;
        while (*p && (inQuotes || (*p != ' ' && *p != '\t'))) {
            if (*p == '\\') {
                int n = 0;
                while (p[n] == '\\')
                    ++n;
                if (p[n] == '"') {
                    arg.append(n / 2, '\\');
                    p += n;
                    if (n % 2) {
                        arg += '"';
                        ++p;
                    }
                } else {
                    arg.append(n, '\\');
                    p += n;
                }
            } else if (*p == '"') {
                inQuotes = !inQuotes;
                ++p;
            } else {
                arg += *p++;
            }
        }
        args.push_back(CString(arg));
    }
    return args;
}
}  // namespace

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    return (g_pApp && g_pApp->m_hInstance) ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetInstanceHandle();
}

void AfxMainWindowDestroyed(CWinApp* pApp, CWnd* pWnd) {
    if (pApp->m_pMainWnd == pWnd) {
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT) {
    HWND hOwner = nullptr;
    if (CWnd* pMain = AfxGetMainWnd()) {
        if (::IsWindowVisible(pMain->m_hWnd))
            hOwner = pMain->m_hWnd;
    }
    if (hOwner)
        hOwner = ::GetLastActivePopup(hOwner);
    CString title = g_pApp ? g_pApp->m_strAppName : CString();
    return ::MessageBoxA(hOwner, lpszText, title, nType);
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    CString title = lpszCaption ? CString(lpszCaption) : (g_pApp ? g_pApp->m_strAppName : CString());
    return ::MessageBoxA(m_hWnd, lpszText, title, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString s;
    s.LoadString(nIDPrompt);
    return AfxMessageBox(s, nType, nIDHelp);
}

// ---- CCommandLineInfo ---------------------------------------------------------------------------

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL) {
    if (bFlag) {
        if (lstrcmpiA(pszParam, "pt") == 0)
            m_nShellCommand = FilePrintTo;
        else if (lstrcmpiA(pszParam, "p") == 0)
            m_nShellCommand = FilePrint;
        else if (lstrcmpiA(pszParam, "dde") == 0)
            m_nShellCommand = FileDDE;
        else if (lstrcmpiA(pszParam, "Register") == 0 || lstrcmpiA(pszParam, "Regserver") == 0)
            m_nShellCommand = AppRegister;
        else if (lstrcmpiA(pszParam, "Unregister") == 0 || lstrcmpiA(pszParam, "Unregserver") == 0)
            m_nShellCommand = AppUnregister;
        else if (lstrcmpiA(pszParam, "Embedding") == 0) {
            m_bRunEmbedded = TRUE;
            m_bShowSplash = FALSE;
        } else if (lstrcmpiA(pszParam, "Automation") == 0) {
            m_bRunAutomated = TRUE;
            m_bShowSplash = FALSE;
        }
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = pszParam;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
}

// ---- CWinApp ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) {
    if (lpszAppName)
        m_strAppName = lpszAppName;
    else
        m_strAppName.LoadString(AFX_IDS_APP_TITLE);
    g_pApp = this;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

CWinApp::~CWinApp() {
    for (CDocTemplate* pTemplate : m_templates)
        delete pTemplate;
    m_templates.clear();
    delete m_pRecentFileList;
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return m_nExitCode;
}

BOOL CWinApp::PumpMessage() {
    MSG msg;
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
        m_nExitCode = static_cast<int>(msg.wParam);
        m_msgCur = msg;
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // Copied once handled: a handler may pump messages of its own meanwhile.
    m_msgCur = msg;
    return TRUE;
}

BOOL CWinApp::IsIdleMessage(const MSG* pMsg) {
    // Mouse moves and the caret's timer do not change what the commands show. A paint may: a
    // view can settle its commands' states as it draws, and a window shown again is painted
    // only when the system gets round to it, after the command that showed it.
    UINT m = pMsg->message;
    return m != WM_MOUSEMOVE && m != WM_NCMOUSEMOVE && m != 0x0118;
}

void CWinApp::PumpWaitingMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
            break;
        }
        PumpMessage();
    }
    for (LONG n = 0; OnIdle(n); ++n) {
    }
}

int CWinApp::Run() {
    bool bIdle = true;
    LONG lIdleCount = 0;
    MSG peeked;
    for (;;) {
        while (bIdle && !::PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = false;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            // Judged on the message just handled (the one PumpMessage took), never on the one
            // peeked at: after a blocking wait that one is stale.
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = true;
                lIdleCount = 0;
            }
        } while (::PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    HWND hMain = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* pWnd = CWnd::FromHandlePermanent(h)) {
            if (pWnd->PreTranslateMessage(pMsg))
                return TRUE;
        }
        if (h == hMain)
            return FALSE;
    }
    // A window outside the main window's family (a modeless dialog): the main window's keys still work.
    return m_pMainWnd && pMsg->hwnd && m_pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount <= 0 && m_pMainWnd && m_pMainWnd->m_hWnd && ::IsWindowVisible(m_pMainWnd->m_hWnd)) {
        m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
        m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    }
    return FALSE;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    std::vector<CString> args = SplitCommandLine(m_strCmdLine);
    for (size_t i = 0; i < args.size(); ++i) {
        const char* p = args[i];
        BOOL bFlag = (*p == '-' || *p == '/');
        if (bFlag)
            ++p;
        rCmdInfo.ParseParam(p, bFlag, i + 1 == args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
        case CCommandLineInfo::FileNew:
            OnFileNew();
            return m_pMainWnd != nullptr;
        case CCommandLineInfo::FileOpen:
            return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
        case CCommandLineInfo::FileNothing:
            return TRUE;
        default:
            // Printing from the shell, DDE and registration are not offered.
            return FALSE;
    }
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    m_templates.push_back(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const char* lpszFileName) {
    CDocTemplate* pTemplate = GetFirstDocTemplate();
    if (!pTemplate || !lpszFileName)
        return nullptr;
    char full[AFX_MAX_PATH_BYTES];
    DWORD n = ::GetFullPathNameA(lpszFileName, sizeof full, full, nullptr);
    const char* path = (n > 0 && n < sizeof full) ? full : lpszFileName;
    if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        CString msg;
        msg.Format("%s\nCannot find this file.\nPlease verify that the correct path and file name are given.", path);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        return nullptr;
    }
    return pTemplate->OpenDocumentFile(path);
}

void CWinApp::AddToRecentFileList(const char* lpszPathName) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::CloseAllDocuments() {
    for (CDocTemplate* pTemplate : m_templates)
        pTemplate->CloseAllDocuments();
}

void CWinApp::OnFileNew() {
    if (CDocTemplate* pTemplate = GetFirstDocTemplate())
        pTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    char path[AFX_MAX_PATH_BYTES] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (::GetOpenFileNameA(&ofn))
        OpenDocumentFile(path);
}

void CWinApp::OnFilePrintSetup() {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    pd.Flags = PD_PRINTSETUP;
    if (::PrintDlgA(&pd)) {
        if (pd.hDevMode)
            ::GlobalFree(pd.hDevMode);
        if (pd.hDevNames)
            ::GlobalFree(pd.hDevNames);
    }
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
    return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HCURSOR CWinApp::LoadStandardCursor(const char* lpszCursorName) const {
    return ::LoadCursorA(nullptr, lpszCursorName);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

int AfxWinMain(HINSTANCE hInstance, const char* lpCmdLine, int nCmdShow) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    pApp->m_hInstance = hInstance;
    pApp->m_strCmdLine = lpCmdLine ? lpCmdLine : "";
    pApp->m_nCmdShow = nCmdShow;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        pApp->ExitInstance();
        return 1;
    }
    return pApp->Run();
}
