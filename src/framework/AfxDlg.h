// Dialogs: modal dialogs from a template, data exchange with their controls, and the system's
// file dialog with a child template of the program's own.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "framework/AfxWin.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;  // a value was refused; the rest of the exchange is skipped

    // The control about to be exchanged (remembered for Fail).
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Ends the exchange after a refused value: focus returns to that control, an edit box
    // with its text selected.
    void Fail();

private:
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Binds a control of the dialog to a window object, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// A whole number in an edit box. Text that is not one is refused with the framework's message
// "Please enter an integer." and leaves the member as it was; a number beyond the range of int
// is taken as the nearest end of the range.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
// Reads a whole number the way the exchange does: blanks around it, an optional sign, digits.
BOOL AfxParseInt(const char* lpszText, int* pValue);
// Sets a window's text only when it differs, so an unchanged control does not flicker.
void AfxSetWindowText(HWND hWnd, const char* lpszNew);

class CStatic : public CWnd {};

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Dialog keys (Tab, Enter, Escape, mnemonics) for the dialog's controls.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual void OnOK();
    virtual void OnCancel();
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    // Called by the dialog procedure when the dialog is created: routes the dialog's messages
    // through this object and runs OnInitDialog.
    BOOL HandleInitDialog(HWND hWnd);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    // Runs the messages of the thread until EndDialog; each message for the dialog or one of
    // its controls first goes through their PreTranslateMessage.
    void RunModalLoop();
    BOOL PreTranslateModal(MSG* pMsg);

    BOOL m_bModalLoop = FALSE;      // DoModal's loop runs until EndDialog clears this
    INT_PTR m_nModalResult = -1;    // what DoModal returns
    BOOL m_bLockoutNotify = FALSE;  // UpdateData is writing or reading the controls
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Makes the system's file dialog refuse, with a message, an OK whose typed path is longer than
// the dialog can take (this platform's dialog code faults on such paths). Called for every
// CFileDialog; for a bare GetOpenFileName/GetSaveFileName, from its hook's WM_INITDIALOG with
// the hook window's parent.
void AfxGuardFileDialogPath(HWND hSystemDialog);

class CFileDialog : public CDialog {
public:
    CFileDialog(BOOL bOpenFileDialog,
                const char* lpszDefExt = nullptr,
                const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const char* lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;
    // A save dialog given OFN_OVERWRITEPROMPT asks this itself when the chosen file exists, in a
    // message box with the application's caption (the system's question would carry none).
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    OPENFILENAMEA m_ofn;

protected:
    // The filter: description and pattern pairs separated by '|', ending with "||".
    void SetFilter(const char* lpszFilter);
    friend UINT_PTR CALLBACK AfxFileDlgHookProc(HWND, UINT, WPARAM, LPARAM);

private:
    BOOL m_bOpenFileDialog;
    BOOL m_bAskBeforeReplace = FALSE;
    CString m_strDefExt;
    std::string m_strFilter;       // NUL-separated, as the system wants it
    char m_szFileName[1024] = "";  // above AFX_MAX_PATH_BYTES
    char m_szFileTitle[AFX_MAX_PATH_BYTES] = "";
};
