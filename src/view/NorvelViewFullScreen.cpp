// The view's part of full-screen mode: Esc leaves it.
#include "view/NorvelView.h"

#include "frame/MainFrm.h"

void CNorvelView::OnKeyDown(UINT nChar, UINT, UINT) {
    if (AppFlags().m_bFullScreen && nChar == VK_ESCAPE) {
        if (CMainFrame* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd()))
            pFrame->LeaveFullScreen();
    }
    Default();
}
