// The application object: start-up, the message loop with idle work, profile settings in the
// registry, the recent-file list, and the document templates.
#pragma once

#include <vector>

#include "framework/AfxDoc.h"
#include "framework/AfxFrame.h"

class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;
    // One argument of the command line; bFlag when it started with '-' or '/' (removed).
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
    int m_nShellCommand = FileNew;
    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    CString m_strFileName;
};

// The most recently opened documents, kept in the profile as "File1".."FileN".
class CRecentFileList {
public:
    CRecentFileList(UINT nStart, const char* lpszSection, const char* lpszEntryFormat, int nSize);
    void Add(const char* lpszPathName);
    void Remove(int nIndex);
    int GetSize() const { return static_cast<int>(m_arrNames.size()); }
    const CString& operator[](int nIndex) const { return m_arrNames.at(nIndex); }
    void ReadList();
    void WriteList();

private:
    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    std::vector<CString> m_arrNames;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);
    // Takes one message from the queue and dispatches it; FALSE on WM_QUIT.
    BOOL PumpMessage();
    // Whether handling this message may have changed what the commands show (idle work due).
    virtual BOOL IsIdleMessage(const MSG* pMsg);
    // Dispatches every message waiting in the queue, then does the idle work.
    void PumpWaitingMessages();

    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    void SetRegistryKey(const char* lpszRegistryKey);
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    // HKEY_CURRENT_USER\Software\<registry key>\<profile name>[\<section>], created when missing;
    // the caller closes it.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(const char* lpszSection);
    UINT GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault);
    BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);
    CString GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault = nullptr);
    BOOL WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue);

    void AddDocTemplate(CDocTemplate* pTemplate);
    CDocTemplate* GetFirstDocTemplate() const { return m_templates.empty() ? nullptr : m_templates.front(); }
    virtual CDocument* OpenDocumentFile(const char* lpszFileName);
    virtual void AddToRecentFileList(const char* lpszPathName);
    void CloseAllDocuments();

    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(const char* lpszCursorName) const;
    HICON LoadIcon(UINT nIDResource) const;

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CString m_strCmdLine;  // the command line after the program name
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_strAppName;      // string AFX_IDS_APP_TITLE unless given
    CString m_strRegistryKey;  // company key under HKEY_CURRENT_USER\Software
    CString m_strProfileName;  // application key under it
    CRecentFileList* m_pRecentFileList = nullptr;
    UINT m_nNumPreviewPages = 0;

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();

    std::vector<CDocTemplate*> m_templates;
    int m_nExitCode = 0;
    MSG m_msgCur = {};  // the message PumpMessage took last

    DECLARE_MESSAGE_MAP()
};

// Framework set-up calls of the start-up sequence. Nothing here hosts OLE controls and the
// dialogs draw with the system's look, so both only report success.
inline void AfxEnableControlContainer() {}
inline BOOL Enable3dControlsStatic() {
    return TRUE;
}

// The entry point's body: runs the application object's start-up and message loop.
int AfxWinMain(HINSTANCE hInstance, const char* lpCmdLine, int nCmdShow);
