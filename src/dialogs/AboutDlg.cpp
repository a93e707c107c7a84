#include "dialogs/AboutDlg.h"

#include "res/resource.h"

namespace {
const COLORREF kLinkBlue = RGB(0, 0, 255);
const int kValueFontSize = 12;
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_HOMEPAGE, m_lblHomePage);
    DDX_Control(pDX, IDC_ABOUT_SUPPORT, m_lblSupport);
    DDX_Control(pDX, IDC_ABOUT_TELEPHONE, m_lblTelephone);
    DDX_Control(pDX, IDC_ABOUT_FACSIMILE, m_lblFacsimile);
    DDX_Control(pDX, IDOK, m_btnExit);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CWinApp* pApp = AfxGetApp();
    HCURSOR hHand = pApp ? pApp->LoadStandardCursor(IDC_HAND) : ::LoadCursorA(nullptr, IDC_HAND);
    for (CLabel* pLink : {&m_lblHomePage, &m_lblSupport}) {
        pLink->SetLink(TRUE)
            .SetTextColor(kLinkBlue)
            .SetFontUnderline(TRUE)
            .SetFontSize(kValueFontSize)
            .SetLinkCursor(hHand);
    }
    for (CLabel* pValue : {&m_lblTelephone, &m_lblFacsimile})
        pValue->SetTextColor(kLinkBlue).SetFontUnderline(TRUE).SetFontSize(kValueFontSize);
    m_btnExit.SetIcons(IDI_CANCEL, IDI_CANCEL, 32, 32);
    m_btnExit.SetToolTipText("Exit");
    return TRUE;
}
