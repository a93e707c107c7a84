// The view's playing of a picture that moves: one timer, the next frame when it is due, and only
// the picture's part of the window repainted.
#include "view/NorvelView.h"

#include "view/Animation.h"

void CNorvelView::StartAnimation() {
    EndAnimation();
    const CAppFlags& app = AppFlags();
    if (!app.m_bImageLoaded || PictureState::IsCaptureShown(app))
        return;
    if (!m_pAnimation->Load(g_strFilePath) || !m_pAnimation->IsRunning())
        return;
    m_bAnimating = SetTimer(kAnimationTimer, m_pAnimation->DelayShown()) != 0;
}

void CNorvelView::StopAnimation() {
    if (m_bAnimating)
        KillTimer(kAnimationTimer);
    m_bAnimating = false;
}

void CNorvelView::EndAnimation() {
    StopAnimation();
    if (m_pAnimation->FrameShown() > 0)
        Invalidate(TRUE);
    m_pAnimation->Clear();
}

void CNorvelView::OnAnimationTick() {
    // A tick that was already on its way when the animation stopped changes nothing.
    if (!m_bAnimating)
        return;
    StopAnimation();
    if (!m_pAnimation->Advance())
        return;  // the last play has ended: its last frame stays
    const int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
    RECT rcPicture = {g_nDrawX, g_nDrawY, g_nDrawX + w, g_nDrawY + h}, rcClient, rcShown;
    ::GetClientRect(m_hWnd, &rcClient);
    if (::IntersectRect(&rcShown, &rcPicture, &rcClient))
        ::InvalidateRect(m_hWnd, &rcShown, TRUE);
    m_bAnimating = SetTimer(kAnimationTimer, m_pAnimation->DelayShown()) != 0;
}
