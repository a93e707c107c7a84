#include "framework/AfxWin.h"

#include <stdarg.h>
#include <stdio.h>

#include <exception>
#include <map>
#include <string>

#include "framework/AfxCmdUI.h"
#include "framework/AfxMenu.h"

namespace {
const char kPropName[] = "Morvane.CWnd";

// The object whose window is being created on this thread; attached on its first message.
thread_local CWnd* t_pWndInit = nullptr;
thread_local bool t_bInitAttached = false;
}  // namespace

void AfxTrace(const char* pszFormat, ...) {
    // Diagnostic lines are for a debugger; without one, the system would raise and swallow an
    // exception for each line.
    if (!::IsDebuggerPresent())
        return;
    char buf[1024];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(buf, sizeof buf, pszFormat, args);
    va_end(args);
    ::OutputDebugStringA(buf);
}

// ---- CCmdTarget ------------------------------------------------------------------------------

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == nMessage)
                return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == nMessage && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) {
                if (!bProbe)
                    e->pfn(this, nID, 0, reinterpret_cast<LPARAM>(pExtra));
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    return DispatchCmdMsg(nID, nMessage, nCode, pExtra, bProbe);
}

// ---- window procedure ------------------------------------------------------------------------

namespace {
int g_nCallbackExceptions = 0;
}  // namespace

void AfxReportCallbackException(const char* pszWhere, const char* pszWhat) {
    // Reported and carried on: an exception must not unwind through the system's code.
    ++g_nCallbackExceptions;
    AfxTrace("exception in %s: %s\n", pszWhere, pszWhat ? pszWhat : "(unknown)");
}

int AfxCallbackExceptionCount() {
    return g_nCallbackExceptions;
}

// The message a window is handling, for Default, set for the length of one call of the window
// procedure, however that call ends.
struct AfxWndProcFrame {
    AfxWndProcFrame(HWND hWnd, CWnd* pWnd, const MSG* pMsg) : m_hWnd(hWnd), m_pWnd(pWnd), m_pOld(pWnd->m_pCurrentMsg) {
        pWnd->m_pCurrentMsg = pMsg;
    }
    ~AfxWndProcFrame() {
        // The handler may have destroyed the window and with it the object; an object that lives
        // on had its message pointer cleared as it was detached.
        if (CWnd::FromHandlePermanent(m_hWnd) == m_pWnd)
            m_pWnd->m_pCurrentMsg = m_pOld;
    }
    AfxWndProcFrame(const AfxWndProcFrame&) = delete;
    AfxWndProcFrame& operator=(const AfxWndProcFrame&) = delete;

    HWND m_hWnd;
    CWnd* m_pWnd;
    const MSG* m_pOld;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return AfxCallbackGuard<LRESULT>("a window procedure", 0, [&]() -> LRESULT {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (!pWnd) {
            if (!t_pWndInit)
                return ::DefWindowProcA(hWnd, message, wParam, lParam);
            pWnd = t_pWndInit;
            t_pWndInit = nullptr;
            t_bInitAttached = true;
            pWnd->Attach(hWnd);
        }
        if (message == WM_NCDESTROY)
            return pWnd->OnNcDestroyMessage(wParam, lParam);

        MSG msg = {hWnd, message, wParam, lParam, 0, {0, 0}};
        AfxWndProcFrame frame(hWnd, pWnd, &msg);
        return pWnd->WindowProc(message, wParam, lParam);
    });
}

const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    static std::map<std::string, bool> s_registered;
    char name[96];
    snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), nClassStyle,
             static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    auto it = s_registered.find(name);
    if (it == s_registered.end()) {
        WNDCLASSA wc = {};
        wc.style = nClassStyle;
        wc.lpfnWndProc = AfxWndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        WNDCLASSA existing;
        if (!::GetClassInfoA(wc.hInstance, name, &existing) && !::RegisterClassA(&wc))
            return nullptr;
        it = s_registered.emplace(name, true).first;
    }
    return it->first.c_str();
}

// ---- CWnd -----------------------------------------------------------------------------------

CWnd::~CWnd() {
    if (m_hWnd) {
        HWND h = m_hWnd;
        Detach();
        ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, kPropName));
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    m_bEverAttached = true;
    ::SetPropA(hWnd, kPropName, this);
}

void CWnd::Detach() {
    if (!m_hWnd)
        return;
    if (m_pfnSuper) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    ::RemovePropA(m_hWnd, kPropName);
    m_hWnd = nullptr;
    // The message being handled belongs to the window that is leaving.
    m_pCurrentMsg = nullptr;
}

LRESULT CWnd::OnNcDestroyMessage(WPARAM wParam, LPARAM lParam) {
    LRESULT result = m_pfnSuper ? ::CallWindowProcA(m_pfnSuper, m_hWnd, WM_NCDESTROY, wParam, lParam)
                                : ::DefWindowProcA(m_hWnd, WM_NCDESTROY, wParam, lParam);
    // Destroying the main window ends the application's message loop.
    CWinApp* pApp = AfxGetApp();
    if (pApp)
        AfxMainWindowDestroyed(pApp, this);
    Detach();
    PostNcDestroy();
    return result;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle,
                    const char* lpszClassName,
                    const char* lpszWindowName,
                    DWORD dwStyle,
                    int x,
                    int y,
                    int nWidth,
                    int nHeight,
                    HWND hWndParent,
                    HMENU nIDorHMenu,
                    LPVOID lpParam) {
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }

    CWnd* pOldInit = t_pWndInit;
    bool bOldAttached = t_bInitAttached;
    t_pWndInit = this;
    t_bInitAttached = false;
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    bool bAttached = t_bInitAttached;
    t_pWndInit = pOldInit;
    t_bInitAttached = bOldAttached;

    if (!hWnd) {
        // A window that was attached has already been through WM_NCDESTROY and PostNcDestroy.
        if (!bAttached)
            PostNcDestroy();
        return FALSE;
    }
    if (!bAttached)
        SubclassWindow(hWnd);  // a class of the system, such as a common control
    return TRUE;
}

BOOL CWnd::Create(const char* lpszClassName,
                  const char* lpszWindowName,
                  DWORD dwStyle,
                  const RECT& rect,
                  CWnd* pParentWnd,
                  UINT nID,
                  LPVOID lpParam) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    Attach(hWnd);
    PreSubclassWindow();
    WNDPROC old =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    m_pfnSuper = (old == &AfxWndProc) ? nullptr : old;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND h = m_hWnd;
    Detach();
    return h;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!m_pCurrentMsg)
        return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam))
            return 0;
    } else if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result))
            return result;
    } else {
        LRESULT result = 0;
        if (ReflectChildNotify(message, wParam, lParam, &result))
            return result;
        if (AfxOwnerDrawMenuMessage(message, lParam))
            return TRUE;
        if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message))
            return e->pfn(this, 0, wParam, lParam);
    }
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    HWND hChild = nullptr;
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* p = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (p && p->CtlType != ODT_MENU)
            hChild = p->hwndItem;
    } else if (message == WM_MEASUREITEM) {
        const MEASUREITEMSTRUCT* p = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (p && p->CtlType != ODT_MENU)
            hChild = ::GetDlgItem(m_hWnd, static_cast<int>(p->CtlID));
    } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        // A control that colours itself answers its parent's colour request.
        hChild = reinterpret_cast<HWND>(lParam);
    } else {
        return FALSE;
    }
    CWnd* pChild = FromHandlePermanent(hChild);
    return pChild && pChild != this && pChild->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    // Code 0: a menu, or a button's click; code 1 without a control: an accelerator. Code 1 from
    // a control is that control's notification (LBN_SELCHANGE, CBN_SELCHANGE, STN_DBLCLK...).
    if (nCode == 0 || (nCode == 1 && lParam == 0)) {
        // Menus, accelerators and buttons: a command its update handler disables is not carried
        // out, whichever way it arrived.
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, WM_COMMAND, CN_UPDATE_COMMAND_UI, &state);
        if (!state.m_bEnabled) {
            TRACE("not executing disabled command %u\n", nID);
            return TRUE;
        }
        nCode = CN_COMMAND;
    }
    return OnCmdMsg(nID, WM_COMMAND, nCode, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (!pNMHDR)
        return FALSE;
    AFX_NOTIFY notify = {pResult, pNMHDR};
    return OnCmdMsg(static_cast<UINT>(pNMHDR->idFrom), WM_NOTIFY, pNMHDR->code, &notify);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep) {
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        ::SendMessageA(h, message, wParam, lParam);
        if (bDeep) {
            if (CWnd* p = FromHandlePermanent(h))
                p->SendMessageToDescendants(message, wParam, lParam, TRUE);
        }
    }
}

CString CWnd::GetWindowText() const {
    CString s;
    int n = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, s.GetBuffer(n + 1), n + 1);
    s.ReleaseBuffer();
    return s;
}

CWnd* CWnd::GetDescendantWindow(int nID) const {
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        CWnd* p = FromHandlePermanent(h);
        if (::GetDlgCtrlID(h) == nID && p)
            return p;
        if (p) {
            if (CWnd* found = p->GetDescendantWindow(nID))
                return found;
        }
    }
    return nullptr;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = GetStyle();
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(newStyle));
    if (nFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

void CWnd::CenterWindow(HWND hWndAlternateOwner) {
    HWND hCentre = hWndAlternateOwner;
    if (!hCentre)
        hCentre = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    CRect rcArea;
    if (hCentre && ::IsWindowVisible(hCentre) && !::IsIconic(hCentre)) {
        ::GetWindowRect(hCentre, &rcArea);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    CRect rc;
    GetWindowRect(&rc);
    int x = rcArea.left + (rcArea.Width() - rc.Width()) / 2;
    int y = rcArea.top + (rcArea.Height() - rc.Height()) / 2;
    if (GetStyle() & WS_CHILD) {
        POINT p = {x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &p);
        x = p.x;
        y = p.y;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::OnCreate(LPCREATESTRUCT) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
BOOL CWnd::OnSetCursor(HWND, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnKillFocus(HWND) {
    Default();
}
void CWnd::OnCaptureChanged(HWND) {
    Default();
}
