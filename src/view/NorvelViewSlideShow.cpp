// The view's slide show: Start/Stop on timer 1, each tick showing the next picture of the folder
// that can be shown (the first after the last), and the set-up dialog for the delay.
#include "view/NorvelView.h"

#include "dialogs/SlideSetupDlg.h"
#include "picture/PictureCache.h"

namespace {
const UINT_PTR kSlideTimer = 1;
}  // namespace

void CNorvelView::OnSlideShow() {
    UINT nDelay = ReadSlideDelay();
    if (g_bSlideStopped) {
        m_nSlideIntervalMs = SlideIntervalMs(nDelay);
        if (SetTimer(kSlideTimer, m_nSlideIntervalMs))
            PictureState::ShowStarted(TRUE);
    } else {
        StopSlideShow();
    }
}

void CNorvelView::StopSlideShow() {
    KillTimer(kSlideTimer);
    PictureState::ShowStarted(FALSE);
}

void CNorvelView::HoldSlideShow() {
    if (m_nSlideHolds++ == 0 && !g_bSlideStopped)
        KillTimer(kSlideTimer);
}

void CNorvelView::ResumeSlideShow() {
    if (m_nSlideHolds <= 0 || --m_nSlideHolds > 0 || g_bSlideStopped)
        return;
    if (!SetTimer(kSlideTimer, m_nSlideIntervalMs))
        StopSlideShow();
}

void CNorvelView::OnSlideSetup() {
    // No parent given: the main window owns the dialog. The show goes on while it is open.
    CSlideSetupDlg dlg;
    dlg.DoModal();
}

namespace {
// The file is not there any more (as against there but unreadable).
bool IsFileGone(const char* pszPath) {
    if (::GetFileAttributesW(AfxSystemPath(pszPath).c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD dwError = ::GetLastError();
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
}
}  // namespace

int CNorvelView::NextShowableEntry(std::vector<int>* pGone) {
    const int n = g_fileList.GetSize();
    for (int i = 1; i <= n; ++i) {
        const int nPos = (g_nFileIndex + i) % n;
        if (IsFileGone(g_fileList[nPos]))
            pGone->push_back(nPos);
        else if (m_pPicture->Get(g_fileList[nPos]))
            return nPos;
    }
    return -1;
}

void CNorvelView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kAnimationTimer)
        OnAnimationTick();
    if (nIDEvent == kSlideTimer) {
        if (g_bSlideStopped) {
            StopSlideShow();  // a tick that was already on its way
        } else if (m_nSlideHolds > 0) {
            // Held: the picture stays; the show's timer starts again when the hold ends.
        } else if (!m_bEnableSlideShow || g_fileList.GetSize() < 2) {
            // A folder of one picture or a capture took the show's place: Start/Stop is disabled
            // now, so the show ends here rather than running on beyond the user's reach.
            StopSlideShow();
        } else {
            std::vector<int> gone;
            const int nNext = NextShowableEntry(&gone);
            PictureState::Size picture = {0, 0};
            if (nNext >= 0) {
                picture = MeasurePicture(g_fileList[nNext]);
                m_pPicture->Release();
            }
            const PictureState::Changes changes = PictureState::ShowTicked(AppFlags(), *this, gone, nNext, picture);
            if (changes & PictureState::kShowStopped)
                KillTimer(kSlideTimer);
            Present(changes);
            if (nNext >= 0) {
                m_nTravel = +1;
                RequestNeighbours();
            }
        }
    }
    Default();
}
