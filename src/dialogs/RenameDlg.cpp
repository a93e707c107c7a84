#include "dialogs/RenameDlg.h"

#include <string.h>

#include "res/resource.h"

namespace {
bool EndsInDotOrSpace(const CString& s) {
    return !s.IsEmpty() && (s[s.GetLength() - 1] == '.' || s[s.GetLength() - 1] == ' ');
}

// The name as the system keeps it when it makes one: without trailing dots and spaces. A name of
// nothing else stays as it is.
CString KeptName(const char* pszFileName) {
    CString s(pszFileName);
    int n = s.GetLength();
    while (n > 0 && (s[n - 1] == '.' || s[n - 1] == ' '))
        --n;
    return n > 0 ? s.Left(n) : s;
}
}  // namespace

CString RenameSuffix(const char* pszFileName) {
    CString s = KeptName(pszFileName);
    int nDot = s.ReverseFind('.');
    return nDot >= 0 ? s.Mid(nDot) : CString();
}

CString RenameBase(const char* pszFileName) {
    CString s = KeptName(pszFileName);
    int nDot = s.ReverseFind('.');
    return nDot >= 0 ? s.Left(nDot) : s;
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
    return !EndsInDotOrSpace(full) && !IsDeviceName(full);
}

namespace {
// The longest name of one file the file systems keep.
const int kMaxNameLength = 255;
}  // namespace

int MaxRenameBaseLength(const char* pszFolder, const char* pszOldName) {
    // Counted in the system's characters, not in bytes: a name in another script takes two to
    // four bytes a character in UTF-8. A folder reached only through the long-path form already
    // lies past the ordinary limit: there only the name's own limit holds.
    int nRoom =
        AfxNeedsSystemForm(pszFolder) ? kMaxNameLength : MAX_PATH - 1 - AfxCharCount(pszFolder);  // without the NUL
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

CString RenameNotKeptText() {
    return "A file name cannot end with a dot or a space: the system would drop them. Type the name without them.";
}

RenameVerdict JudgeRenameText(const char* pszFolder, const char* pszOldName, const char* pszText, CString* pNewPath) {
    CString strSuffix = RenameSuffix(pszOldName);
    if (!IsAcceptableRenameText(pszText, strSuffix)) {
        // Refused only for the dots and spaces at its end: a name the user can be told about.
        CString strFull = CString(pszText) + strSuffix;
        return EndsInDotOrSpace(strFull) && IsAcceptableRenameText(KeptName(pszText)) ? kRenameNotKept : kRenameBadName;
    }
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
    ::EnableWindow(m_btnApply.m_hWnd,
                   verdict == kRenameAccepted || verdict == kRenameTooLong || verdict == kRenameNotKept);
    return verdict;
}

void CRenameDlg::OnChangeName() {
    CheckName();
}

void CRenameDlg::OnOK() {
    // Enter reaches here even while Apply is disabled: the name is judged once more.
    RenameVerdict verdict = CheckName();
    if (verdict == kRenameTooLong || verdict == kRenameNotKept) {
        MessageBox(verdict == kRenameTooLong ? RenameTooLongText(m_strFolder, m_strOldName) : RenameNotKeptText(),
                   nullptr, MB_OK | MB_ICONSTOP);
        ::SetFocus(m_editName.m_hWnd);
        return;
    }
    if (verdict != kRenameAccepted)
        return;
    m_strNewBase = m_editName.GetWindowText();
    EndDialog(IDOK);
}
