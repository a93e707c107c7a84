// Print: the picture as the view shows it, drawn by the view's own drawing routine on the
// printer the user picks.
#include "view/NorvelView.h"

#include "view/PrintJob.h"

void CNorvelView::OnPrintImage() {
    CPrintDialog dlg(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                     nullptr);
    if (dlg.DoModal() != IDOK || !dlg.GetPrinterDC())
        return;
    CDC dc(dlg.GetPrinterDC());

    CString strTitle;
    strTitle.LoadString(AFX_IDS_APP_TITLE);
    BOOL bStarted = StartPrintJob(dc, strTitle) > 0;

    CPrintInfo info;
    info.m_rectDraw.SetRect(0, 0, ::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES));

    // The paper shows what the window shows: the same origin and scale in screen pixels of
    // their physical size, cut at the window's edges.
    CRect rcClient;
    GetClientRect(&rcClient);
    ClipPrinterToScreenArea(dc, rcClient.Width(), rcClient.Height());

    OnBeginPrinting(&dc, &info);
    OnPrint(&dc, &info);
    OnEndPrinting(&dc, &info);

    FinishPrintJob(dc, bStarted);
    dc.Detach();
}
