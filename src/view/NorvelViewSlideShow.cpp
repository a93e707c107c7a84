// The view's slide show: Start/Stop on timer 1, each tick showing the next picture of the folder
// that can be shown (the first after the last), and the set-up dialog for the delay.
#include "view/NorvelView.h"

#include "dialogs/SlideSetupDlg.h"
#include "view/PictureCache.h"

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

namespace {
// The file is not there any more (as against there but unreadable).
bool IsFileGone(const char* pszPath) {
    if (::GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD dwError = ::GetLastError();
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
}
}  // namespace

int CNorvelView::NextShowableEntry() {
    const int nTries = g_fileList.GetSize();
    int nPos = g_nFileIndex + 1;
    for (int i = 0; i < nTries && g_fileList.GetSize() > 0; ++i) {
        if (nPos >= g_fileList.GetSize())
            nPos = 0;
        if (IsFileGone(g_fileList[nPos])) {
            g_fileList.RemoveAt(nPos);
            if (nPos < g_nFileIndex)
                --g_nFileIndex;
            continue;  // nPos is now the entry after the one removed
        }
        if (m_pPicture->Get(g_fileList[nPos]))
            return nPos;
        ++nPos;
    }
    return -1;
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
            int nNext = NextShowableEntry();
            if (nNext >= 0) {
                g_nFileIndex = nNext - 1;
                StepInList(+1);
            }
            // Entries that left the list may leave too few for a show, or none that can be shown.
            m_bEnableSlideShow = g_fileList.GetSize() >= 2 ? 1 : 0;
            if (nNext < 0 || !m_bEnableSlideShow) {
                StopSlideShow();
                if (g_nFileIndex >= g_fileList.GetSize())
                    g_nFileIndex = g_fileList.GetSize() > 0 ? g_fileList.GetSize() - 1 : 0;
                ApplyEnableRule();
                CString s;
                s.Format("%d in %d", g_nFileIndex + 1, g_fileList.GetSize());
                SetStatusText(5, s);
            }
        }
    }
    Default();
}
