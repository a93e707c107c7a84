#include "dialogs/ZoomDlg.h"

#include "res/resource.h"
#include "state/Zoom.h"

const char kZoomRangeMessage[] = "Zoom ratio is between 5% and 1600%";

BEGIN_MESSAGE_MAP(CZoomDlg, CDialog)
ON_EN_CHANGE(IDC_ZOOM_RATIO, OnChangeRatio)
END_MESSAGE_MAP()

CZoomDlg::CZoomDlg(CWnd* pParent) : CDialog(IDD_ZOOM, pParent), m_nRatio(0), m_bRatioTaken(FALSE) {}

void CZoomDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnApply);
    DDX_Text(pDX, IDC_ZOOM_RATIO, m_nRatio);
}

BOOL CZoomDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_btnApply.SetIcons(IDI_APPLY, 0, 32, 32);
    m_btnApply.SetToolTipText("Apply");
    return TRUE;
}

void CZoomDlg::OnChangeRatio() {
    // An empty box is refused by the exchange, with its message; the ratio then stays.
    UpdateData(TRUE);
    m_bRatioTaken = TRUE;
}

void CZoomDlg::OnOK() {
    UpdateData(TRUE);
    m_bRatioTaken = TRUE;
    if (!ZoomPercentInRange(m_nRatio))
        AfxMessageBox(kZoomRangeMessage, MB_OK);
    EndDialog(IDOK);
}
