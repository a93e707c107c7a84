// The Rename dialog: the new name of the picture file, typed without its extension. Apply is
// enabled only while the name is one the file can take in its folder and no file there has it.
#pragma once

#include "controls/IconButton.h"
#include "framework/Afx.h"

class CRenameDlg : public CDialog {
public:
    explicit CRenameDlg(CWnd* pParent = nullptr);

    CEdit m_editName;
    CIconButton m_btnCancel;
    CIconButton m_btnApply;
    CString m_strOldName;  // the file's name with its extension, from m_strRenameTo
    CString m_strFolder;   // the file's folder with its trailing backslash, set by the caller

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnChangeName();
    // Enables Apply for an acceptable, unused name, and remembers the candidate.
    BOOL CheckName();

    DECLARE_MESSAGE_MAP()
};

// The part of a file name that a rename keeps: its last dot and what follows ("img.jpg" ->
// ".jpg", "scan.tiff" -> ".tiff"); empty for a name without a dot.
CString RenameSuffix(const char* pszFileName);
// The file name without that part: the text the dialog starts with.
CString RenameBase(const char* pszFileName);
// Whether typed text can be the new name's base in the same folder, given the suffix it gets:
// not empty, none of \ / : * ? " < > | or control characters, not only dots and spaces, not
// ending in a dot or space (the system would drop them), and not a device name (CON, NUL,
// COM1 ...).
bool IsAcceptableRenameText(const char* pszText, const char* pszSuffix = "");
