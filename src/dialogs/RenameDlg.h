// The Rename dialog: the new name of the picture file, typed without its extension. Apply is
// enabled only while the name is one the file can take in its folder and no other file there
// has it; a name too long for the folder, or one ending in a dot or a space, is refused at Apply
// with a message saying why.
#pragma once

#include "controls/IconButton.h"
#include "framework/Afx.h"

enum RenameVerdict {
    kRenameAccepted,  // the file can take the name
    kRenameBadName,   // the name is not one the system keeps as typed (IsAcceptableRenameText)
    kRenameTooLong,   // the new path, or the name itself, would be longer than the system allows
    kRenameNotKept,   // the new name would end in a dot or a space, which the system drops
    kRenameTaken      // another file of the folder has the name (the dialog's own check)
};

class CRenameDlg : public CDialog {
public:
    explicit CRenameDlg(CWnd* pParent = nullptr);

    CEdit m_editName;
    CIconButton m_btnCancel;
    CIconButton m_btnApply;
    CString m_strOldName;  // the file's name with its extension, set by the caller
    CString m_strFolder;   // the file's folder with its trailing backslash, set by the caller
    CString m_strNewBase;  // after Apply: the new name as typed, without the extension

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnChangeName();
    // Judges the typed name, enables Apply for a name free in the folder (or one refused only
    // for its length, which Apply then explains), and remembers an acceptable candidate.
    RenameVerdict CheckName();

    DECLARE_MESSAGE_MAP()
};

// The part of a file name that a rename keeps: its last dot and what follows ("img.jpg" ->
// ".jpg", "scan.tiff" -> ".tiff"); empty for a name without a dot. A name the system could not
// make ("space.png ", "dot.png.") is judged without its trailing dots and spaces (".png").
CString RenameSuffix(const char* pszFileName);
// The file name without that part: the text the dialog starts with.
CString RenameBase(const char* pszFileName);
// Whether typed text can be the new name's base in the same folder, given the suffix it gets:
// not empty, none of \ / : * ? " < > | or control characters, not only dots and spaces, not
// ending in a dot or space (the system would drop them), and not a device name (CON, NUL,
// COM1 ...).
bool IsAcceptableRenameText(const char* pszText, const char* pszSuffix = "");

// The rule of a rename, the same for the dialog and the rename itself: the file pszOldName of
// pszFolder (with its trailing backslash) given the base pszText keeps its suffix. When the
// verdict is kRenameAccepted, *pNewPath (when given) holds the new full path. Whether a file of
// that name exists is not judged here.
RenameVerdict JudgeRenameText(const char* pszFolder,
                              const char* pszOldName,
                              const char* pszText,
                              CString* pNewPath = nullptr);
// The longest base a file of pszFolder with pszOldName's suffix can take: its full path must
// stay under MAX_PATH characters (unless the folder is already past it) and its name within 255.
int MaxRenameBaseLength(const char* pszFolder, const char* pszOldName);
// What the dialog says to a name over that length.
CString RenameTooLongText(const char* pszFolder, const char* pszOldName);
// What the dialog says to a name ending in a dot or a space.
CString RenameNotKeptText();
// Whether the file newName of a folder that has oldName would be the file itself: the same name
// in another letter case (the system compares names without case).
bool IsSameFileName(const char* pszOldName, const char* pszNewName);
