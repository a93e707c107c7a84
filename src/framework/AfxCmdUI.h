// Update handlers' view of a user-interface element: a menu item, a toolbar button, or a probe
// that only records the state (used to refuse disabled commands).
#pragma once

#include "framework/AfxWin.h"

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    HMENU m_pMenu = nullptr;   // menu whose item m_nIndex is updated, or null
    CWnd* m_pOther = nullptr;  // control bar whose element is updated, or null

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    virtual void SetText(const char* lpszText);

    // Asks the target's update handler; without one, and with bDisableIfNoHndler, the element is
    // enabled exactly when the target has a command handler for it.
    void DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    BOOL m_bEnableChanged = FALSE;
};

// Records what the update handler decided, without touching any element.
class CTestCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn = TRUE) override {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck = 1) override { m_nCheck = nCheck; }
    void SetText(const char*) override {}

    BOOL m_bEnabled = TRUE;
    int m_nCheck = -1;
};
