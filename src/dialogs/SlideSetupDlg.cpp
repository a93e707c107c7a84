#include "dialogs/SlideSetupDlg.h"

#include <string>

#include "res/resource.h"

namespace {
const char kSlideKey[] = "Software\\Morvane of ZENTARO\\Morvane\\SLIDE";
// The largest interval a timer accepts (0x7FFFFFFF ms, about 24.8 days).
const unsigned long long kMaxTimerMs = 0x7FFFFFFF;
}  // namespace

UINT ReadSlideDelay() {
    UINT nDelay = AfxGetApp()->GetProfileInt("SLIDE", "timer", 0);
    return nDelay == 0 ? kSlideDelayMin : nDelay;
}

UINT SlideIntervalMs(UINT nDelay) {
    unsigned long long ms = static_cast<unsigned long long>(nDelay) * 100;
    if (ms == 0)
        ms = static_cast<unsigned long long>(kSlideDelayMin) * 100;
    return static_cast<UINT>(ms > kMaxTimerMs ? kMaxTimerMs : ms);
}

CString SlideDelayText(UINT nDelay) {
    return CString(std::to_string(static_cast<unsigned long long>(nDelay) * 100).c_str());
}

int SlideSliderPos(UINT nDelay) {
    if (nDelay < static_cast<UINT>(kSlideDelayMin))
        return kSlideDelayMin;
    if (nDelay > static_cast<UINT>(kSlideDelayMax))
        return kSlideDelayMax;
    return static_cast<int>(nDelay);
}

BOOL StoreSlideDelay(DWORD nDelay) {
    HKEY hCreated = nullptr;
    if (::RegCreateKeyA(HKEY_CURRENT_USER, kSlideKey, &hCreated) != ERROR_SUCCESS)
        return FALSE;
    ::RegCloseKey(hCreated);
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSlideKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return FALSE;
    LONG rc = ::RegSetValueExA(hKey, "timer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nDelay), sizeof nDelay);
    ::RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

BEGIN_MESSAGE_MAP(CSlideSetupDlg, CDialog)
ON_WM_HSCROLL()
END_MESSAGE_MAP()

CSlideSetupDlg::CSlideSetupDlg(CWnd* pParent) : CDialog(IDD_SLIDESETUP, pParent), m_nSliderPos(0) {}

void CSlideSetupDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SLIDE_DELAY, m_editDelay);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnApply);
    DDX_Slider(pDX, IDC_SLIDE_SLIDER, m_nSliderPos);
}

BOOL CSlideSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_btnApply.SetIcons(IDI_APPLY, 0, 32, 32);
    m_btnApply.SetToolTipText("Apply");
    m_btnCancel.SetIcons(IDI_CANCEL, 0, 32, 32);
    m_btnCancel.SetToolTipText("Cancel");

    HWND hSlider = GetDlgItem(IDC_SLIDE_SLIDER);
    ::SendMessageA(hSlider, TBM_SETRANGE, FALSE, MAKELPARAM(kSlideDelayMin, kSlideDelayMax));
    UINT nDelay = ReadSlideDelay();
    ::SendMessageA(hSlider, TBM_SETPOS, TRUE, SlideSliderPos(nDelay));
    ShowDelayText(SlideDelayText(nDelay));
    return TRUE;
}

void CSlideSetupDlg::ShowDelayText(const CString& strText) {
    m_editDelay.SetSel(0, -1);
    m_editDelay.Clear();
    m_editDelay.ReplaceSel(strText);
}

void CSlideSetupDlg::OnHScroll(UINT, UINT, CWnd*) {
    m_nSliderPos = static_cast<int>(::SendMessageA(GetDlgItem(IDC_SLIDE_SLIDER), TBM_GETPOS, 0, 0));
    ShowDelayText(SlideDelayText(static_cast<UINT>(m_nSliderPos)));
    Default();
}

void CSlideSetupDlg::OnOK() {
    int nPos = static_cast<int>(::SendMessageA(GetDlgItem(IDC_SLIDE_SLIDER), TBM_GETPOS, 0, 0));
    StoreSlideDelay(static_cast<DWORD>(nPos));
    CDialog::OnOK();
}
