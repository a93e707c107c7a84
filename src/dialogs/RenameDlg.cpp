#include "dialogs/RenameDlg.h"

#include <string.h>

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
    // In UTF-8 every byte of a character outside ASCII is 0x80 or above; in a double-byte code
    // page the second byte of a character can look like a refused one and is skipped with it.
    const bool bDoubleByte = !AfxIsUtf8CodePage();
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText); *p; ++p) {
        if (bDoubleByte && ::IsDBCSLeadByte(*p) && p[1]) {
            ++p;
            bOnlyDotsAndSpaces = false;
            continue;
        }
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

namespace {
// The longest name of one file the file systems keep.
const int kMaxNameLength = 255;
}  // namespace

int MaxRenameBaseLength(const char* pszFolder, const char* pszOldName) {
    // Counted in the system's characters, not in bytes: a name in another script takes two to
    // four bytes a character in UTF-8.
    int nRoom = MAX_PATH - 1 - AfxCharCount(pszFolder);  // the path's characters without its NUL
    if (nRoom > kMaxNameLength)
        nRoom = kMaxNameLength;
    nRoom -= AfxCharCount(RenameSuffix(pszOldName));
    return nRoom > 0 ? nRoom : 0;
}

CString RenameTooLongText(const char* pszFolder, const char* pszOldName) {
    CString s;
    s.Format(
        "The name is too long: the file's full path would be longer than the system allows. "
        "Here the name can have at most %d characters.",
        MaxRenameBaseLength(pszFolder, pszOldName));
    return s;
}

RenameVerdict JudgeRenameText(const char* pszFolder, const char* pszOldName, const char* pszText, CString* pNewPath) {
    CString strSuffix = RenameSuffix(pszOldName);
    if (!IsAcceptableRenameText(pszText, strSuffix))
        return kRenameBadName;
    if (AfxCharCount(pszText) > MaxRenameBaseLength(pszFolder, pszOldName))
        return kRenameTooLong;
    if (pNewPath)
        *pNewPath = CString(pszFolder) + pszText + strSuffix;
    return kRenameAccepted;
}

bool IsSameFileName(const char* pszOldName, const char* pszNewName) {
    // The framework's comparison: defined for letters of any script in UTF-8 as well.
    return CString(pszOldName).CompareNoCase(pszNewName) == 0;
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
    // Setting the text runs OnChangeName, which judges the old name (it exists: Apply stays off).
    m_editName.SetWindowText(RenameBase(m_strOldName));
    return TRUE;
}

RenameVerdict CRenameDlg::CheckName() {
    CString strText = m_editName.GetWindowText();
    RenameVerdict verdict = JudgeRenameText(m_strFolder, m_strOldName, strText);
    CString strCandidate = strText + RenameSuffix(m_strOldName);
    if (verdict == kRenameAccepted) {
        WIN32_FIND_DATAW fd;
        HANDLE hFind = ::FindFirstFileW(AfxSystemPath(m_strFolder + strCandidate).c_str(), &fd);
        if (hFind != INVALID_HANDLE_VALUE) {
            ::FindClose(hFind);
            // The file itself is found under a name that differs only in case: that change is
            // a rename like any other. Its very own name is no change at all.
            if (!IsSameFileName(m_strOldName, strCandidate) || m_strOldName == strCandidate)
                verdict = kRenameTaken;
        }
    }
    ::EnableWindow(m_btnApply.m_hWnd, verdict == kRenameAccepted || verdict == kRenameTooLong);
    return verdict;
}

void CRenameDlg::OnChangeName() {
    CheckName();
}

void CRenameDlg::OnOK() {
    // Enter reaches here even while Apply is disabled: the name is judged once more.
    RenameVerdict verdict = CheckName();
    if (verdict == kRenameTooLong) {
        MessageBox(RenameTooLongText(m_strFolder, m_strOldName), nullptr, MB_OK | MB_ICONSTOP);
        ::SetFocus(m_editName.m_hWnd);
        return;
    }
    if (verdict != kRenameAccepted)
        return;
    m_strNewBase = m_editName.GetWindowText();
    EndDialog(IDOK);
}
