#include "framework/AfxPrint.h"

#include "framework/AfxApp.h"
#include "framework/AfxWin.h"

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : m_pd(), m_pParentWnd(pParentWnd) {
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    m_pd.nCopies = 1;
    m_pd.hInstance = AfxGetResourceHandle();
}

CPrintDialog::~CPrintDialog() {
    if (m_pd.hDC)
        ::DeleteDC(m_pd.hDC);
    if (m_pd.hDevMode)
        ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames)
        ::GlobalFree(m_pd.hDevNames);
}

INT_PTR CPrintDialog::DoModal() {
    if (!m_pd.hwndOwner) {
        if (m_pParentWnd)
            m_pd.hwndOwner = m_pParentWnd->m_hWnd;
        else if (CWnd* pMain = AfxGetMainWnd())
            m_pd.hwndOwner = pMain->m_hWnd;
    }
    // A second run must not lose the first one's context.
    if (m_pd.hDC) {
        ::DeleteDC(m_pd.hDC);
        m_pd.hDC = nullptr;
    }
    return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}
