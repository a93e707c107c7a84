// The frame window: menu, accelerators, docked control bars, the prompt line and the command
// route (active view, then the frame itself, then the application).
#pragma once

#include "framework/AfxBars.h"
#include "framework/AfxDoc.h"
#include "framework/AfxHandles.h"
#include "framework/AfxView.h"

enum : DWORD { FWS_ADDTOTITLE = 0x00008000 };

class CFrameWnd : public CWnd {
public:
    ~CFrameWnd() override;
    // Creates the frame from the resources of nIDResource: caption (first field of the string),
    // icon, menu and accelerator table; the context names the view to create.
    BOOL LoadFrame(UINT nIDResource,
                   DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr,
                   CCreateContext* pContext = nullptr);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew);
    CDocument* GetActiveDocument() const;
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockControlBar(CControlBar* pBar);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);

    // Writes the prompt pane (pane 0 of the status bar).
    void SetMessageText(const char* lpszText);
    void SetMessageText(UINT nID);
    CStatusBar* GetMessageBar() const;
    // The prompt (before the newline) or the tooltip (after it) of a command's string.
    static CString GetPromptString(UINT nID, bool bTooltip);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe = FALSE) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CAcceleratorHandle m_hAccelTable;  // the frame's keys, owned
    CMenuHandle m_hMenuDefault;        // the frame's menu, owned (taken off the window as it goes)
    BOOL m_bAutoMenuEnable = TRUE;
    CString m_strTitle;

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CView* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    void PostNcDestroy() override;

    CView* m_pViewActive = nullptr;
    DWORD m_dwDockStyle = 0;
    UINT m_nIDTracking = AFX_IDS_IDLEMESSAGE;  // prompt the status bar should show
    UINT m_nIDLastMessage = 0;                 // prompt it shows

    DECLARE_MESSAGE_MAP()
};
