// The update check's dialog: while it initialises it downloads the version text the maker
// publishes, then shows it with a verdict, or "Error" when the download failed.
#pragma once

#include "controls/IconButton.h"
#include "controls/Label.h"
#include "framework/Afx.h"

class CUpdateDlg : public CDialog {
public:
    explicit CUpdateDlg(CWnd* pParent = nullptr);

    CStatic m_stMessage;        // 1010: the verdict, up to three lines
    CLabel m_lblVersion;        // the first static with id -1: the published version, or "Error"
    CAnimateCtrl m_animUpdate;  // 1008: loops beside the version line
    CIconButton m_btnExit;      // IDOK

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// The version built into the program, and the texts of the verdict.
extern const char kBuiltInVersion[];        // "1.52"
extern const char kUpToDateMessage[];       // "It is not essential to be updated!"
extern const char kShouldUpdateMessage[];   // "You should update Morvane." and where to get it
extern const char kServerBusyMessage[];     // "The server is busy, please try after\na few minutes!"
extern const char kDownloadErrorVersion[];  // "Error"
// The maker's published file, unless the profile's "Settings" value "UpdateURL" names another.
extern const char kDefaultUpdateURL[];

// Where the check looks: the profile's "UpdateURL" under "Settings", else kDefaultUpdateURL.
CString UpdateURL();
// The verdict for a published version: only the built-in version itself is up to date.
const char* UpdateVerdict(const CString& strVersion);
