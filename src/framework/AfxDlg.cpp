#include "framework/AfxDlg.h"

#include "framework/AfxApp.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd)
        return;
    HWND hCtl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (hCtl)
        rControl.SubclassWindow(hCtl);
}

// ---- CDialog ------------------------------------------------------------------------------------

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        return pDlg ? pDlg->HandleInitDialog(hWnd) : TRUE;
    }
    return FALSE;
}

BOOL CDialog::HandleInitDialog(HWND hWnd) {
    SubclassWindow(hWnd);
    return OnInitDialog();
}

INT_PTR CDialog::DoModal() {
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hParent) {
        if (CWnd* pMain = AfxGetMainWnd())
            hParent = pMain->m_hWnd;
    }
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent, AfxDlgProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        // A dialog reports a notification's result through its window data as well.
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result)) {
            ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
            return result;
        }
        return DefWindowProc(message, wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- CFileDialog --------------------------------------------------------------------------------

UINT_PTR CALLBACK AfxFileDlgHookProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // The hook is the child template's dialog procedure; after WM_INITDIALOG the object
    // receives the child's messages through its window procedure.
    if (message == WM_INITDIALOG) {
        const OPENFILENAMEA* pOfn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        CFileDialog* pDlg = pOfn ? reinterpret_cast<CFileDialog*>(pOfn->lCustData) : nullptr;
        return pDlg ? pDlg->HandleInitDialog(hWnd) : TRUE;
    }
    return 0;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog,
                         const char* lpszDefExt,
                         const char* lpszFileName,
                         DWORD dwFlags,
                         const char* lpszFilter,
                         CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt) {
    memset(&m_ofn, 0, sizeof m_ofn);
    m_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = AfxFileDlgHookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.hInstance = AfxGetResourceHandle();
    if (lpszFileName)
        lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    if (!m_strDefExt.IsEmpty())
        m_ofn.lpstrDefExt = m_strDefExt;
    SetFilter(lpszFilter);
}

void CFileDialog::SetFilter(const char* lpszFilter) {
    m_strFilter.clear();
    m_ofn.lpstrFilter = nullptr;
    if (!lpszFilter || !*lpszFilter)
        return;
    m_strFilter = lpszFilter;
    for (char& c : m_strFilter)
        if (c == '|')
            c = '\0';
    m_strFilter.push_back('\0');
    m_ofn.lpstrFilter = m_strFilter.data();
}

INT_PTR CFileDialog::DoModal() {
    if (!m_ofn.hwndOwner) {
        if (m_pParentWnd)
            m_ofn.hwndOwner = m_pParentWnd->m_hWnd;
        else if (CWnd* pMain = AfxGetMainWnd())
            m_ofn.hwndOwner = pMain->m_hWnd;
    }
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    if (m_hWnd)
        UnsubclassWindow();
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
    const char* p = m_ofn.lpstrFile;
    return CString(p + (m_ofn.nFileOffset < strlen(p) ? m_ofn.nFileOffset : strlen(p)));
}
