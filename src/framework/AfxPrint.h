// The platform's print dialog, handing back a device context for the printer the user chose.
#pragma once

#include <windows.h>

#include <commdlg.h>

class CWnd;

class CPrintDialog {
public:
    // bPrintSetupOnly: the set-up dialog instead of the print dialog (no device context then).
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    // Frees the device mode and names, and the printer's device context.
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // IDOK when the user chose a printer, IDCANCEL when the dialog was cancelled or failed.
    INT_PTR DoModal();
    // The printer's device context after IDOK; the dialog keeps owning it.
    HDC GetPrinterDC() const { return m_pd.hDC; }

    PRINTDLGA m_pd;

private:
    CWnd* m_pParentWnd;
};
