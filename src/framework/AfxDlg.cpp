#include "framework/AfxDlg.h"

#include "framework/AfxApp.h"
#include "framework/AfxDpi.h"

#include <commctrl.h>
#include <dlgs.h>
#include <limits.h>
#include <exception>
#include <stdio.h>
#include <stdlib.h>

namespace {
const char kParseIntMessage[] = "Please enter an integer.";
}  // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(nIDC);
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND h = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    m_bFailed = TRUE;
    if (!m_bSaveAndValidate || !m_hWndLastControl)
        return;
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl)
        ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd)
        return;
    HWND hCtl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    // A DIALOG template keeps ids in 16 bits: a static's -1 comes back as 0xFFFF.
    if (!hCtl && nIDC < 0)
        hCtl = pDX->m_pDlgWnd->GetDlgItem(static_cast<WORD>(nIDC));
    if (hCtl)
        rControl.SubclassWindow(hCtl);
}

BOOL AfxParseInt(const char* lpszText, int* pValue) {
    const char* p = lpszText;
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* pDigits = (*p == '-' || *p == '+') ? p + 1 : p;
    if (*pDigits < '0' || *pDigits > '9')
        return FALSE;
    char* pEnd = nullptr;
    long long n = strtoll(p, &pEnd, 10);
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    if (*pEnd)
        return FALSE;
    if (n > INT_MAX)
        n = INT_MAX;
    if (n < INT_MIN)
        n = INT_MIN;
    *pValue = static_cast<int>(n);
    return TRUE;
}

void AfxSetWindowText(HWND hWnd, const char* lpszNew) {
    int nNew = lstrlenA(lpszNew);
    char old[256];
    // Short texts are compared first; a long one is always set.
    if (nNew < static_cast<int>(sizeof old) && ::GetWindowTextLengthA(hWnd) == nNew) {
        ::GetWindowTextA(hWnd, old, sizeof old);
        if (lstrcmpA(old, lpszNew) == 0)
            return;
    }
    ::SetWindowTextA(hWnd, lpszNew);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bFailed)
        return;
    HWND hCtl = pDX->PrepareEditCtrl(nIDC);
    if (!hCtl)
        return;
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthA(hCtl);
        std::string text(static_cast<size_t>(n) + 1, '\0');
        ::GetWindowTextA(hCtl, &text[0], n + 1);
        int parsed = 0;
        if (!AfxParseInt(text.c_str(), &parsed)) {
            AfxMessageBox(kParseIntMessage);
            pDX->Fail();
            return;
        }
        value = parsed;
    } else {
        char buf[16];
        snprintf(buf, sizeof buf, "%d", value);
        AfxSetWindowText(hCtl, buf);
    }
}

// ---- CDialog ------------------------------------------------------------------------------------

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return AfxCallbackGuard<INT_PTR>("a dialog procedure", TRUE, [&]() -> INT_PTR {
            CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
            return pDlg ? pDlg->HandleInitDialog(hWnd) : TRUE;
        });
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
    // The owner takes no input while the dialog runs, as with the system's modal dialogs.
    BOOL bEnableParent = FALSE;
    if (hParent && ::IsWindowEnabled(hParent)) {
        ::EnableWindow(hParent, FALSE);
        bEnableParent = TRUE;
    }
    m_nModalResult = -1;
    m_bModalLoop = TRUE;
    HWND hDlg = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent, AfxDlgProc,
                                     reinterpret_cast<LPARAM>(this));
    if (hDlg && m_bModalLoop) {
        if (!::IsWindowVisible(hDlg))
            ::ShowWindow(hDlg, SW_SHOWNORMAL);
        RunModalLoop();
    }
    m_bModalLoop = FALSE;

    if (hDlg && ::IsWindow(hDlg))
        ::SetWindowPos(hDlg, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableParent)
        ::EnableWindow(hParent, TRUE);
    if (hParent && hDlg && ::GetActiveWindow() == hDlg)
        ::SetActiveWindow(hParent);
    if (hDlg && ::IsWindow(hDlg))
        ::DestroyWindow(hDlg);
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (m_bModalLoop && m_hWnd) {
        BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot == -1)
            break;
        if (!bGot) {
            // The application is quitting: end the dialog and leave the quit to the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateModal(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

BOOL CDialog::PreTranslateModal(MSG* pMsg) {
    if (!m_hWnd || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* pWnd = FromHandlePermanent(h)) {
            if (pWnd->PreTranslateMessage(pMsg))
                return TRUE;
        }
        if (h == m_hWnd)
            break;
    }
    return FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    bool bKey = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    bool bMouse = pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST;
    if (!bKey && !bMouse)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    // The controls' notifications while their values are exchanged are not the user's doing.
    BOOL bOldLockout = m_bLockoutNotify;
    m_bLockoutNotify = TRUE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    m_bLockoutNotify = bOldLockout;
    return !dx.m_bFailed;
}

void CDialog::EndDialog(int nResult) {
    if (m_bModalLoop) {
        m_nModalResult = nResult;
        m_bModalLoop = FALSE;
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
        return;
    }
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
    if (lParam && m_bLockoutNotify)
        return TRUE;  // a control's notification while UpdateData runs
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
    if (message == kAfxWmDpiChanged) {
        // Moved to a monitor of another DPI: the system scales the dialog, and its controls
        // take their images for the new DPI.
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        AfxTellChildrenDpi(m_hWnd, LOWORD(wParam));
        return result;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- CFileDialog --------------------------------------------------------------------------------

UINT_PTR CALLBACK AfxFileDlgHookProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // The hook is the child template's dialog procedure; after WM_INITDIALOG the object
    // receives the child's messages through its window procedure.
    if (message == WM_INITDIALOG) {
        return AfxCallbackGuard<UINT_PTR>("a file dialog's hook", TRUE, [&]() -> UINT_PTR {
            const OPENFILENAMEA* pOfn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
            CFileDialog* pDlg = pOfn ? reinterpret_cast<CFileDialog*>(pOfn->lCustData) : nullptr;
            AfxGuardFileDialogPath(::GetParent(hWnd));
            return pDlg ? pDlg->HandleInitDialog(hWnd) : TRUE;
        });
    }
    return 0;
}

namespace {
// The longest path, in characters, the system's file dialog is given to take. This platform's
// dialog code faults on a typed path much longer than MAX_PATH, whatever the buffer and whether
// the 8-bit or the UTF-16 call opened it; the system's paths end below MAX_PATH anyway.
const int kLongestDialogPath = MAX_PATH - 1;

std::wstring WindowTextW(HWND hWnd) {
    int n = hWnd ? ::GetWindowTextLengthW(hWnd) : 0;
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    if (n > 0)
        n = ::GetWindowTextW(hWnd, &text[0], n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

// The length of the path OK would hand the system: the typed name, put after the dialog's
// folder unless it starts from a drive or a root of its own.
int TypedPathLength(HWND hDlg) {
    HWND hName = ::GetDlgItem(hDlg, cmb13);
    if (!hName)
        hName = ::GetDlgItem(hDlg, edt1);
    std::wstring text = WindowTextW(hName);
    int n = static_cast<int>(text.size());
    bool bAbsolute = (n >= 2 && text[1] == L':') || (n >= 1 && (text[0] == L'\\' || text[0] == L'/'));
    if (bAbsolute || n == 0)
        return n;
    wchar_t szFolder[MAX_PATH * 4] = L"";
    LRESULT nFolder = ::SendMessageW(hDlg, CDM_GETFOLDERPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(szFolder));
    return nFolder > 1 ? static_cast<int>(wcslen(szFolder)) + 1 + n : n;
}

// The system dialog's window, subclassed: OK with a path longer than the dialog can take is
// refused with a message before the system's code sees it.
LRESULT CALLBACK LongPathGuardProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR uId, DWORD_PTR) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        int n = TypedPathLength(hWnd);
        if (n > kLongestDialogPath) {
            char text[400];
            snprintf(text, sizeof text,
                     "The path is too long: it has %d characters, and a file dialog takes at most %d.\n"
                     "Choose a shorter name, or a folder nearer the top of the drive.",
                     n, kLongestDialogPath);
            AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hWnd, LongPathGuardProc, uId);
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}
}  // namespace

void AfxGuardFileDialogPath(HWND hSystemDialog) {
    if (hSystemDialog)
        ::SetWindowSubclass(hSystemDialog, LongPathGuardProc, 1, 0);
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
    if (!bOpenFileDialog && (dwFlags & OFN_OVERWRITEPROMPT)) {
        m_bAskBeforeReplace = TRUE;
        m_ofn.Flags &= ~static_cast<DWORD>(OFN_OVERWRITEPROMPT);
    }
    m_ofn.lpfnHook = AfxFileDlgHookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.hInstance = AfxGetResourceHandle();
    if (lpszFileName)
        AfxCopyText(m_szFileName, lpszFileName, sizeof m_szFileName);
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

namespace {
// The system's own words for the question.
const char kReplaceFileQuestion[] = "File already exists.\nDo you want to replace it?";
}  // namespace

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const OFNOTIFYA* pNotify = reinterpret_cast<const OFNOTIFYA*>(lParam);
    if (m_bAskBeforeReplace && pNotify && pNotify->hdr.code == static_cast<UINT>(CDN_FILEOK)) {
        const OPENFILENAMEA* pOfn = pNotify->lpOFN ? pNotify->lpOFN : &m_ofn;
        DWORD dwAttributes = pOfn->lpstrFile ? ::GetFileAttributesA(pOfn->lpstrFile) : INVALID_FILE_ATTRIBUTES;
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            MessageBox(kReplaceFileQuestion, nullptr, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            *pResult = 1;  // the dialog stays open for another name
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

CString CFileDialog::GetPathName() const {
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
    const char* p = m_ofn.lpstrFile;
    return CString(p + (m_ofn.nFileOffset < strlen(p) ? m_ofn.nFileOffset : strlen(p)));
}
