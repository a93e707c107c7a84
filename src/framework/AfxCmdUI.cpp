#include "framework/AfxCmdUI.h"

void CCmdUI::Enable(BOOL bOn) {
    if (m_pMenu) {
        ::EnableMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        HWND hTool = m_pOther->m_hWnd;
        LRESULT state = ::SendMessageA(hTool, TB_GETSTATE, m_nID, 0);
        if (state != -1) {
            LRESULT wanted = bOn ? (state | TBSTATE_ENABLED) : (state & ~TBSTATE_ENABLED);
            if (!bOn)
                wanted &= ~TBSTATE_PRESSED;
            if (wanted != state)
                ::SendMessageA(hTool, TB_SETSTATE, m_nID, MAKELONG(wanted, 0));
        }
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
    if (m_pMenu) {
        ::CheckMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther) {
        HWND hTool = m_pOther->m_hWnd;
        LRESULT state = ::SendMessageA(hTool, TB_GETSTATE, m_nID, 0);
        if (state != -1) {
            LRESULT wanted = nCheck ? (state | TBSTATE_CHECKED) : (state & ~TBSTATE_CHECKED);
            if (wanted != state)
                ::SendMessageA(hTool, TB_SETSTATE, m_nID, MAKELONG(wanted, 0));
        }
    }
}

void CCmdUI::SetText(const char* lpszText) {
    if (!m_pMenu || !lpszText)
        return;
    UINT state = ::GetMenuState(m_pMenu, m_nIndex, MF_BYPOSITION);
    ::ModifyMenuA(m_pMenu, m_nIndex, MF_BYPOSITION | MF_STRING | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)),
                  m_nID, lpszText);
}

void CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    m_bEnableChanged = FALSE;
    pTarget->OnCmdMsg(m_nID, WM_COMMAND, CN_UPDATE_COMMAND_UI, this);
    if (bDisableIfNoHndler && !m_bEnableChanged)
        Enable(pTarget->OnCmdMsg(m_nID, WM_COMMAND, CN_COMMAND, nullptr, TRUE));
}
