// Print: the picture as the view shows it, drawn by the view's own drawing routine on the
// printer the user picks.
#include "view/NorvelView.h"

#include "picture/PictureCache.h"
#include "view/PrintJob.h"

namespace {
// A running slide show stays on the picture shown while the print dialog and the job run: the
// job prints what the user saw when choosing Print.
class CSlideShowHold {
public:
    explicit CSlideShowHold(CNorvelView* pView) : m_pView(pView) { m_pView->HoldSlideShow(); }
    ~CSlideShowHold() { m_pView->ResumeSlideShow(); }
    CSlideShowHold(const CSlideShowHold&) = delete;
    CSlideShowHold& operator=(const CSlideShowHold&) = delete;

private:
    CNorvelView* m_pView;
};
}  // namespace

void CNorvelView::OnPrintImage() {
    CSlideShowHold hold(this);
    CPrintDialog dlg(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                     nullptr);
    if (dlg.DoModal() != IDOK || !dlg.GetPrinterDC())
        return;
    // A picture that no longer decodes would come out as a blank page: no job then.
    if (!m_pPicture->Get(g_strFilePath)) {
        AfxMessageBox(PrintFailureText(g_strFilePath), MB_OK | MB_ICONSTOP);
        return;
    }
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
