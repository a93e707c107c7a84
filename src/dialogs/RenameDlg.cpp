#include "dialogs/RenameDlg.h"

#include <string.h>

#include "app/Norvel.h"
#include "res/resource.h"

CString RenameSuffix(const char* pszFileName) {
    const char* pDot = strrchr(pszFileName, '.');
    return CString(pDot ? pDot : "");
}

CString RenameBase(const char* pszFileName) {
    const char* pDot = strrchr(pszFileName, '.');
    CString s(pszFileName);
    return pDot ? s.Left(static_cast<int>(pDot - pszFileName)) : s;
}

namespace {
bool IsDeviceName(const char* pszName) {
    // The system takes these as devices whatever extension follows.
    CString base(pszName);
    int nDot = base.Find('.');
    if (nDot >= 0)
        base = base.Left(nDot);
    while (!base.IsEmpty() && base[base.GetLength() - 1] == ' ')
        base = base.Left(base.GetLength() - 1);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
    for (const char* pszDevice : kDevices)
        if (lstrcmpiA(base, pszDevice) == 0)
            return true;
    if (base.GetLength() == 4 && base[3] >= '1' && base[3] <= '9') {
        CString prefix = base.Left(3);
        if (lstrcmpiA(prefix, "COM") == 0 || lstrcmpiA(prefix, "LPT") == 0)
            return true;
    }
    return false;
}
}  // namespace

bool IsAcceptableRenameText(const char* pszText, const char* pszSuffix) {
    if (!pszText || !*pszText)
        return false;
    bool bOnlyDotsAndSpaces = true;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText); *p; ++p) {
        if (*p < 32 || strchr("\\/:*?\"<>|", *p))
            return false;
        if (*p != '.' && *p != ' ')
            bOnlyDotsAndSpaces = false;
    }
    if (bOnlyDotsAndSpaces)
        return false;
    CString full = CString(pszText) + (pszSuffix ? pszSuffix : "");
    char last = full[full.GetLength() - 1];
    if (last == '.' || last == ' ')
        return false;
    return !IsDeviceName(full);
}

BEGIN_MESSAGE_MAP(CRenameDlg, CDialog)
ON_EN_CHANGE(IDC_RENAME_NAME, OnChangeName)
END_MESSAGE_MAP()

CRenameDlg::CRenameDlg(CWnd* pParent) : CDialog(IDD_RENAME, pParent) {}

void CRenameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RENAME_NAME, m_editName);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnApply);
}

BOOL CRenameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_btnApply.SetIcons(IDI_APPLY, 0, 32, 32);
    m_btnApply.SetToolTipText("Apply");
    ::EnableWindow(m_btnApply.m_hWnd, FALSE);
    m_btnCancel.SetIcons(IDI_CANCEL, 0, 32, 32);
    m_btnCancel.SetToolTipText("Cancel");
    m_strOldName = GetNorvelApp()->m_strRenameTo;
    // Setting the text runs OnChangeName, which judges the old name (it exists: Apply stays off).
    m_editName.SetWindowText(RenameBase(m_strOldName));
    return TRUE;
}

BOOL CRenameDlg::CheckName() {
    CString strText = m_editName.GetWindowText();
    CString strSuffix = RenameSuffix(m_strOldName);
    BOOL bAcceptable = IsAcceptableRenameText(strText, strSuffix);
    if (bAcceptable) {
        CString strCandidate = strText + strSuffix;
        WIN32_FIND_DATAA fd;
        HANDLE hFind = ::FindFirstFileA(m_strFolder + strCandidate, &fd);
        if (hFind != INVALID_HANDLE_VALUE) {
            ::FindClose(hFind);
            bAcceptable = FALSE;
        } else {
            GetNorvelApp()->m_strRenameTo = strCandidate;
        }
    }
    ::EnableWindow(m_btnApply.m_hWnd, bAcceptable);
    return bAcceptable;
}

void CRenameDlg::OnChangeName() {
    CheckName();
}

void CRenameDlg::OnOK() {
    // Enter reaches here even while Apply is disabled: the name is judged once more.
    if (!CheckName())
        return;
    GetNorvelApp()->m_strRenameTo = m_editName.GetWindowText();
    EndDialog(IDOK);
}
