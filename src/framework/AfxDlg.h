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
};

// Binds a control of the dialog to a window object, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

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

protected:
    virtual void OnOK();
    virtual void OnCancel();
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    // Called by the dialog procedure when the dialog is created: routes the dialog's messages
    // through this object and runs OnInitDialog.
    BOOL HandleInitDialog(HWND hWnd);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

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

    OPENFILENAMEA m_ofn;

protected:
    // The filter: description and pattern pairs separated by '|', ending with "||".
    void SetFilter(const char* lpszFilter);
    friend UINT_PTR CALLBACK AfxFileDlgHookProc(HWND, UINT, WPARAM, LPARAM);

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    std::string m_strFilter;  // NUL-separated, as the system wants it
    char m_szFileName[1024] = "";
    char m_szFileTitle[MAX_PATH] = "";
};
