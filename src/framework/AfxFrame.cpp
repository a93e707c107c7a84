#include "framework/AfxFrame.h"

#include <shellapi.h>

#include <utility>

#include "framework/AfxApp.h"
#include "framework/AfxCmdUI.h"

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_MENUSELECT()
ON_WM_INITMENUPOPUP()
ON_WM_DROPFILES()
ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CFrameWnd::~CFrameWnd() {
    // A menu still on a window is the window's to destroy.
    if (m_hMenuDefault && m_hWnd && ::GetMenu(m_hWnd) == m_hMenuDefault)
        m_hMenuDefault.Detach();
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
    HINSTANCE hInst = AfxGetResourceHandle();
    CString strFull;
    strFull.LoadString(nIDResource);
    int nl = strFull.Find('\n');
    m_strTitle = nl >= 0 ? strFull.Left(nl) : strFull;

    HICON hIcon = ::LoadIconA(hInst, MAKEINTRESOURCEA(nIDResource));
    const char* lpszClass =
        AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), hIcon);
    // Owned here until the frame holds them: a failed creation has deleted the frame object.
    CMenuHandle menu(::LoadMenuA(hInst, MAKEINTRESOURCEA(nIDResource)));
    CAcceleratorHandle accel(::LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nIDResource)));
    HMENU hMenu = menu;
    m_hMenuDefault.Attach(menu.Detach());

    if (!CreateEx(0, lpszClass, m_strTitle, dwDefaultStyle & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu, pContext)) {
        // The frame object is gone (PostNcDestroy) and its menu with it; the keys go with accel.
        return FALSE;
    }
    m_hAccelTable = std::move(accel);
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    return CWnd::PreCreateWindow(cs);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (!OnCreateClient(lpcs, pContext))
        return -1;
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (pContext && pContext->m_pNewViewClass)
        return CreateView(pContext) != nullptr;
    return TRUE;
}

CView* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
    CView* pView = static_cast<CView*>(pContext->m_pNewViewClass->CreateObject());
    if (!pView)
        return nullptr;
    // A view that fails to be created deletes itself.
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
        return nullptr;
    return pView;
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}

void CFrameWnd::SetActiveView(CView* pViewNew) {
    m_pViewActive = pViewNew;
    if (pViewNew && ::GetFocus() != pViewNew->m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetFocus(pViewNew->m_hWnd);
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
    CView* pView = m_pViewActive;
    if (!pView) {
        if (CWnd* p = FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)))
            pView = dynamic_cast<CView*>(p);
    }
    if (pView)
        pView->OnInitialUpdate();
    m_pViewActive = pView;
    RecalcLayout();
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    if (bMakeVisible) {
        CWinApp* pApp = AfxGetApp();
        int nCmdShow = SW_SHOW;
        if (pApp && pApp->m_pMainWnd == this && pApp->m_nCmdShow != -1) {
            nCmdShow = pApp->m_nCmdShow;
            pApp->m_nCmdShow = -1;  // only the first show uses the start-up request
        }
        ShowWindow(nCmdShow);
        if (pView)
            SetActiveView(pView);
        UpdateWindow();
    }
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd)
        return;
    CRect rc;
    GetClientRect(&rc);
    // Bars along the top, then along the bottom, in window order; the view takes the rest.
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        CControlBar* pBar = dynamic_cast<CControlBar*>(FromHandlePermanent(h));
        if (!pBar || !::IsWindowVisible(h))
            continue;
        DWORD align = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
        if (align & CBRS_ALIGN_TOP) {
            int cy = pBar->CalcHeight(rc.Width());
            ::MoveWindow(h, rc.left, rc.top, rc.Width(), cy, TRUE);
            rc.top += cy;
        } else if (align & CBRS_ALIGN_BOTTOM) {
            ::SendMessageA(h, WM_SIZE, 0, 0);  // the status control places itself at the bottom
            int cy = pBar->CalcHeight(rc.Width());
            ::MoveWindow(h, rc.left, rc.bottom - cy, rc.Width(), cy, TRUE);
            rc.bottom -= cy;
        }
    }
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
        ::MoveWindow(hView, rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
}

void CFrameWnd::DockControlBar(CControlBar*) {
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL) {
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnClose() {
    CWinApp* pApp = AfxGetApp();
    bool bMain = pApp && pApp->m_pMainWnd == this;
    DestroyWindow();  // deletes this object
    if (bMain)
        pApp->CloseAllDocuments();
}

void CFrameWnd::OnDestroy() {
    m_pViewActive = nullptr;
    // Take the menu off so it is destroyed only once, by the destructor.
    if (m_hMenuDefault && ::GetMenu(m_hWnd) == m_hMenuDefault)
        ::SetMenu(m_hWnd, nullptr);
    Default();
}

// ---- prompts and tooltips ---------------------------------------------------------------------

CString CFrameWnd::GetPromptString(UINT nID, bool bTooltip) {
    CString s;
    if (nID == 0 || !s.LoadString(nID))
        return CString();
    int nl = s.Find('\n');
    if (bTooltip)
        return nl >= 0 ? s.Mid(nl + 1) : CString();
    return nl >= 0 ? s.Left(nl) : s;
}

CStatusBar* CFrameWnd::GetMessageBar() const {
    return dynamic_cast<CStatusBar*>(FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)));
}

void CFrameWnd::SetMessageText(const char* lpszText) {
    SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFrameWnd::SetMessageText(UINT nID) {
    SendMessage(WM_SETMESSAGESTRING, nID, 0);
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    UINT nID = static_cast<UINT>(wParam);
    CString text = lParam ? CString(reinterpret_cast<const char*>(lParam)) : GetPromptString(nID, false);
    if (CStatusBar* pBar = GetMessageBar())
        pBar->SetPaneText(0, text);
    m_nIDLastMessage = lParam ? 0 : nID;
    if (!lParam)
        m_nIDTracking = nID;
    return 0;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    if (m_nIDTracking != m_nIDLastMessage)
        SetMessageText(m_nIDTracking);
    return 0;
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
    if (nFlags == 0xFFFF && hSysMenu == nullptr)
        m_nIDTracking = AFX_IDS_IDLEMESSAGE;  // the menu closed
    else if (nFlags & (MF_SEPARATOR | MF_POPUP))
        m_nIDTracking = 0;
    else if (nItemID >= 0xF000 && nItemID < 0xF1F0)
        m_nIDTracking = 0;  // system commands carry no prompt here
    else
        m_nIDTracking = nItemID;
    SetMessageText(m_nIDTracking);
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopupMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu)
        return;
    int nCount = ::GetMenuItemCount(hPopupMenu);
    for (int i = 0; i < nCount; ++i) {
        UINT nID = ::GetMenuItemID(hPopupMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1))
            continue;  // separator or sub-menu
        CCmdUI state;
        state.m_pMenu = hPopupMenu;
        state.m_nIndex = i;
        state.m_nID = nID;
        state.DoUpdate(this, m_bAutoMenuEnable && nID < 0xF000);
    }
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (!pNMHDR)
        return FALSE;
    switch (pNMHDR->code) {
        case TTN_GETDISPINFOA: {
            NMTTDISPINFOA* p = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
            if (p->uFlags & TTF_IDISHWND)
                break;
            CString tip = GetPromptString(static_cast<UINT>(pNMHDR->idFrom), true);
            AfxCopyText(p->szText, tip, sizeof p->szText);
            p->lpszText = p->szText;
            p->hinst = nullptr;
            *pResult = 0;
            return TRUE;
        }
        case TTN_GETDISPINFOW: {
            NMTTDISPINFOW* p = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
            if (p->uFlags & TTF_IDISHWND)
                break;
            CString tip = GetPromptString(static_cast<UINT>(pNMHDR->idFrom), true);
            int n = ::MultiByteToWideChar(CP_ACP, 0, tip, -1, p->szText, sizeof p->szText / sizeof p->szText[0]);
            if (n == 0)
                p->szText[0] = 0;
            p->szText[sizeof p->szText / sizeof p->szText[0] - 1] = 0;
            p->lpszText = p->szText;
            p->hinst = nullptr;
            *pResult = 0;
            return TRUE;
        }
        case TBN_HOTITEMCHANGE: {
            // Fly-by prompts: the prompt of the button under the mouse, the idle text when it leaves.
            CControlBar* pBar = dynamic_cast<CControlBar*>(FromHandlePermanent(pNMHDR->hwndFrom));
            if (pBar && (pBar->GetBarStyle() & CBRS_FLYBY)) {
                NMTBHOTITEM* p = reinterpret_cast<NMTBHOTITEM*>(pNMHDR);
                SetMessageText((p->dwFlags & HICF_LEAVING) ? UINT(AFX_IDS_IDLEMESSAGE) : UINT(p->idNew));
            }
            break;
        }
        default:
            break;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

// ---- commands ---------------------------------------------------------------------------------

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable &&
        ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg))
        return TRUE;
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe);
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo) {
    ::SetActiveWindow(m_hWnd);
    UINT nFiles = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    CWinApp* pApp = AfxGetApp();
    for (UINT i = 0; i < nFiles && pApp; ++i) {
        // Read in UTF-16 and converted here: the 8-bit call counts a name dropped in UTF-16 in
        // characters, fewer than the bytes it takes in UTF-8.
        UINT nLength = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
        if (nLength == 0)
            continue;
        std::wstring wide(nLength + 1, L'\0');
        if (!::DragQueryFileW(hDropInfo, i, &wide[0], nLength + 1))
            continue;
        int nBytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (nBytes <= 0)
            continue;
        std::string path(static_cast<size_t>(nBytes), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &path[0], nBytes, nullptr, nullptr);
        pApp->OpenDocumentFile(path.c_str());
    }
    ::DragFinish(hDropInfo);
}
