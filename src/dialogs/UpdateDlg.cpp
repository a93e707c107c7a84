#include "dialogs/UpdateDlg.h"

#include "dialogs/Download.h"
#include "res/resource.h"

const char kBuiltInVersion[] = "1.52";
const char kUpToDateMessage[] = "It is not essential to be updated!";
const char kShouldUpdateMessage[] =
    "You should update Morvane.\nPlease download the latest version from http://morvane.zentaro.example/";
const char kServerBusyMessage[] = "The server is busy, please try after\na few minutes!";
const char kDownloadErrorVersion[] = "Error";
const char kDefaultUpdateURL[] = "http://morvane.zentaro.example/update.txt";

namespace {
const char kSettingsSection[] = "Settings";
const char kUpdateURLEntry[] = "UpdateURL";
const int kVersionLabelId = -1;  // the first static without an id of its own
const UINT kLastFrame = 0xFFFF;
const UINT kRepeatForever = static_cast<UINT>(-1);
}  // namespace

CString UpdateURL() {
    CString strURL;
    if (CWinApp* pApp = AfxGetApp())
        strURL = pApp->GetProfileString(kSettingsSection, kUpdateURLEntry, "");
    return strURL.IsEmpty() ? CString(kDefaultUpdateURL) : strURL;
}

const char* UpdateVerdict(const CString& strVersion) {
    return strVersion == kBuiltInVersion ? kUpToDateMessage : kShouldUpdateMessage;
}

CUpdateDlg::CUpdateDlg(CWnd* pParent) : CDialog(IDD_UPDATE, pParent) {}

void CUpdateDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UPDATE_MESSAGE, m_stMessage);
    DDX_Control(pDX, kVersionLabelId, m_lblVersion);
    DDX_Control(pDX, IDC_UPDATE_ANIMATION, m_animUpdate);
    DDX_Control(pDX, IDOK, m_btnExit);
}

BOOL CUpdateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_btnExit.SetIcons(IDI_APPLY, IDI_APPLY, 32, 32);
    m_btnExit.SetToolTipText("Apply");
    if (m_animUpdate.Open(IDR_UPDATEAVI))
        m_animUpdate.Play(0, kLastFrame, kRepeatForever);
    m_lblVersion.SetTextColor(RGB(0, 0, 255)).SetFontSize(14).SetFontBold(TRUE);

    // The copy goes to a file of its own in the temporary folder, never over a file of the user's.
    // Text that is no version (an empty answer, bytes of no text) is an error answer too.
    CString strVersion;
    bool bFetched = false;
    {
        // Bounded in redirects, time and bytes; only the first four bytes are the version.
        CDownloadBounds bounds;
        bounds.dwEnoughBytes = 4;
        CDownloadTempFile local;
        bFetched = !local.Path().IsEmpty() && DownloadFile(UpdateURL(), local.Path(), bounds) == kDownloadSucceeded &&
                   ReadPublishedVersion(local.Path(), strVersion) && IsVersionText(strVersion);
    }
    if (bFetched) {
        m_lblVersion.SetWindowText(strVersion);
        m_stMessage.SetWindowText(UpdateVerdict(strVersion));
    } else {
        m_lblVersion.SetWindowText(kDownloadErrorVersion);
        m_stMessage.SetWindowText(kServerBusyMessage);
    }
    return TRUE;
}
