// The view's slide show: Start/Stop on timer 1, each tick showing the next picture of the folder
// (the first after the last), and the set-up dialog for the delay.
#include "view/NorvelView.h"

#include "dialogs/SlideSetupDlg.h"

namespace {
const UINT_PTR kSlideTimer = 1;
}  // namespace

void CNorvelView::OnSlideShow() {
    UINT nDelay = ReadSlideDelay();
    if (g_bSlideStopped) {
        m_nSlideIntervalMs = SlideIntervalMs(nDelay);
        if (SetTimer(kSlideTimer, m_nSlideIntervalMs))
            g_bSlideStopped = 0;
    } else {
        StopSlideShow();
    }
}

void CNorvelView::StopSlideShow() {
    KillTimer(kSlideTimer);
    g_bSlideStopped = 1;
}

void CNorvelView::HoldSlideShow() {
    if (m_nSlideHolds++ == 0 && !g_bSlideStopped)
        KillTimer(kSlideTimer);
}

void CNorvelView::ResumeSlideShow() {
    if (m_nSlideHolds <= 0 || --m_nSlideHolds > 0 || g_bSlideStopped)
        return;
    if (!SetTimer(kSlideTimer, m_nSlideIntervalMs))
        g_bSlideStopped = 1;
}

void CNorvelView::OnSlideSetup() {
    // No parent given: the main window owns the dialog. The show goes on while it is open.
    CSlideSetupDlg dlg;
    dlg.DoModal();
}

void CNorvelView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kSlideTimer) {
        if (g_bSlideStopped) {
            KillTimer(kSlideTimer);  // a tick that was already on its way
        } else if (m_nSlideHolds > 0) {
            // Held: the picture stays; the show's timer starts again when the hold ends.
        } else if (!m_bEnableSlideShow || g_fileList.GetSize() < 2) {
            // A folder of one picture or a capture took the show's place: Start/Stop is disabled
            // now, so the show ends here rather than running on beyond the user's reach.
            StopSlideShow();
        } else {
            if (g_nFileIndex >= g_fileList.GetSize() - 1)
                g_nFileIndex = -1;
            StepInList(+1);
        }
    }
    Default();
}
