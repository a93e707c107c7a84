// Objects, run-time classes, message maps, command targets and windows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "framework/AfxGdi.h"
#include "framework/AfxRes.h"
#include "framework/AfxStr.h"

// Command notification codes used inside the command route.
enum : UINT {
    CN_COMMAND = 0,
    CN_UPDATE_COMMAND_UI = 0xFFFFFFFF,
};

// Private messages of the framework.
enum : UINT {
    WM_IDLEUPDATECMDUI = 0x0363,   // wParam: disable commands without a handler
    WM_SETMESSAGESTRING = 0x0362,  // wParam: string id, or lParam: text; writes the prompt pane
    WM_INITIALUPDATE = 0x0364,
};

void AfxTrace(const char* pszFormat, ...);
#define TRACE AfxTrace

class CObject;
class CCmdTarget;
class CCmdUI;
class CWnd;
class CWinApp;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

class CObject {
public:
    virtual ~CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::classRuntime##class_name)
#define DECLARE_DYNCREATE(class_name)                    \
public:                                                  \
    static const CRuntimeClass classRuntime##class_name; \
    static CObject* CreateObject();
#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() {                \
        return new class_name;                           \
    }                                                    \
    const CRuntimeClass class_name::classRuntime##class_name = {#class_name, &class_name::CreateObject};

// ---- message maps ----------------------------------------------------------------------
// Each entry maps a window message, a command or a notification to a small function that
// unpacks the arguments and calls the member handler. The functions are captureless lambdas
// written inside the class's map, so handlers may be protected members.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, UINT nID, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message; WM_COMMAND or WM_NOTIFY for commands and notifications
    UINT nCode;     // command code (CN_COMMAND, CN_UPDATE_COMMAND_UI) or notification code
    UINT nID;       // first command or control id
    UINT nLastID;   // last id of a range
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The arguments of a WM_NOTIFY routed as a command.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        typedef theClass ThisClass;                     \
        typedef baseClass TheBaseClass;                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, nullptr }                                                                       \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define AFX_THIS static_cast<ThisClass*>(pTarget)
#define AFX_ENTRY(msg, code, id, last, body)                                                            \
    {msg, code, id, last, +[](CCmdTarget* pTarget, UINT nID, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         (void)pTarget;                                                                                 \
         (void)nID;                                                                                     \
         (void)wParam;                                                                                  \
         (void)lParam;                                                                                  \
         body                                                                                           \
     }},

#define ON_COMMAND(id, memberFxn) AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, AFX_THIS->memberFxn(); return 0;)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, AFX_THIS->memberFxn(nID); return 0;)
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                                     \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, AFX_THIS->memberFxn(reinterpret_cast<CCmdUI*>(lParam)); \
              return 0;)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                                           \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, AFX_THIS->memberFxn(reinterpret_cast<CCmdUI*>(lParam)); \
              return 0;)
#define ON_NOTIFY(code, id, memberFxn)                                                                           \
    AFX_ENTRY(WM_NOTIFY, static_cast<UINT>(code), id, id, AFX_NOTIFY* p = reinterpret_cast<AFX_NOTIFY*>(lParam); \
              AFX_THIS->memberFxn(p->pNMHDR, p->pResult); return 0;)
#define ON_MESSAGE(message, memberFxn) AFX_ENTRY(message, 0, 0, 0, return AFX_THIS->memberFxn(wParam, lParam);)

#define ON_WM_CREATE() \
    AFX_ENTRY(WM_CREATE, 0, 0, 0, return AFX_THIS->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, 0, 0, 0, AFX_THIS->OnDestroy(); return 0;)
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, 0, 0, 0, AFX_THIS->OnClose(); return 0;)
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, 0, 0, 0, AFX_THIS->OnPaint(); return 0;)
#define ON_WM_ERASEBKGND() \
    AFX_ENTRY(WM_ERASEBKGND, 0, 0, 0, CDC dc(reinterpret_cast<HDC>(wParam)); return AFX_THIS->OnEraseBkgnd(&dc);)
#define ON_WM_SIZE()                                                                          \
    AFX_ENTRY(WM_SIZE, 0, 0, 0,                                                               \
              AFX_THIS->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                               static_cast<short>(HIWORD(lParam)));                           \
              return 0;)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, 0, AFX_THIS->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
#define ON_WM_DROPFILES() \
    AFX_ENTRY(WM_DROPFILES, 0, 0, 0, AFX_THIS->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;)
#define ON_WM_MENUSELECT()                                                                             \
    AFX_ENTRY(WM_MENUSELECT, 0, 0, 0,                                                                  \
              AFX_THIS->OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)); \
              return 0;)
#define ON_WM_INITMENUPOPUP()                                                                             \
    AFX_ENTRY(WM_INITMENUPOPUP, 0, 0, 0,                                                                  \
              AFX_THIS->OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam)); \
              return 0;)
#define AFX_MOUSE_ENTRY(msg, fn) \
    AFX_ENTRY(msg, 0, 0, 0, AFX_THIS->fn(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_SETCURSOR()            \
    AFX_ENTRY(WM_SETCURSOR, 0, 0, 0, \
              return AFX_THIS->OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));)
#define ON_WM_KILLFOCUS() \
    AFX_ENTRY(WM_KILLFOCUS, 0, 0, 0, AFX_THIS->OnKillFocus(reinterpret_cast<HWND>(wParam)); return 0;)
#define ON_WM_CAPTURECHANGED() \
    AFX_ENTRY(WM_CAPTURECHANGED, 0, 0, 0, AFX_THIS->OnCaptureChanged(reinterpret_cast<HWND>(lParam)); return 0;)
// A control's notification (WM_COMMAND with a code other than a menu's or a key's).
#define ON_CONTROL(code, id, memberFxn) AFX_ENTRY(WM_COMMAND, code, id, id, AFX_THIS->memberFxn(); return 0;)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_WM_KEYDOWN()                                                                                            \
    AFX_ENTRY(WM_KEYDOWN, 0, 0, 0, AFX_THIS->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); \
              return 0;)

// ---- command targets -----------------------------------------------------------------------
class CCmdTarget : public CObject {
public:
    // Looks for a handler of a command (nMessage WM_COMMAND) or a notification (WM_NOTIFY) in
    // this object's message maps and calls it. With bProbe set it only reports whether one exists.
    virtual BOOL OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe = FALSE);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The handler of a window message in this object's maps, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage) const;
    BOOL DispatchCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe);
};

// ---- windows -----------------------------------------------------------------------------
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;
    // A message box owned by this window; the caption is the application's name when none is given.
    int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a window handle, or null for a window that is not ours.
    static CWnd* FromHandlePermanent(HWND hWnd);

    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    BOOL CreateEx(DWORD dwExStyle,
                  const char* lpszClassName,
                  const char* lpszWindowName,
                  DWORD dwStyle,
                  int x,
                  int y,
                  int nWidth,
                  int nHeight,
                  HWND hWndParent,
                  HMENU nIDorHMenu,
                  LPVOID lpParam = nullptr);
    BOOL Create(const char* lpszClassName,
                const char* lpszWindowName,
                DWORD dwStyle,
                const RECT& rect,
                CWnd* pParentWnd,
                UINT nID,
                LPVOID lpParam = nullptr);
    // Attaches to a window created elsewhere and routes its messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PostNcDestroy() {}
    // Called as an existing window is attached to this object, before its messages are routed here.
    virtual void PreSubclassWindow() {}
    // A message the parent reflects back to the control it concerns (WM_DRAWITEM, WM_MEASUREITEM,
    // WM_CTLCOLOR...);
    // TRUE when handled, with the parent's result in *pResult.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Calls the window's original procedure with the message being handled.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Thin wrappers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE);
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void MoveWindow(const RECT& rc, BOOL bRepaint = TRUE) {
        ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
    }
    void SetWindowText(const char* psz) { ::SetWindowTextA(m_hWnd, psz); }
    CString GetWindowText() const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
    CWnd* GetDescendantWindow(int nID) const;
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr,
                      HRGN hRgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, lpRectUpdate, hRgnUpdate, flags);
    }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
    void DragAcceptFiles(BOOL bAccept = TRUE) { ::DragAcceptFiles(m_hWnd, bAccept); }
    void CenterWindow(HWND hWndAlternateOwner = nullptr);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

protected:
    // Default handlers: each passes the message on to the window's original procedure.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    void OnKillFocus(HWND hNewWnd);
    void OnCaptureChanged(HWND hNewCapture);
    // Offers an owner-draw message to the control it concerns.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    WNDPROC m_pfnSuper = nullptr;  // procedure of a subclassed window, else null

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend struct AfxWndProcFrame;
    void Attach(HWND hWnd);
    void Detach();
    LRESULT OnNcDestroyMessage(WPARAM wParam, LPARAM lParam);

    const MSG* m_pCurrentMsg = nullptr;
    bool m_bEverAttached = false;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Every procedure the system calls back (window, dialog, hook) catches what its handlers throw
// and reports it here, then carries on; the count is of exceptions reported so far.
void AfxReportCallbackException(const char* pszWhere, const char* pszWhat);
int AfxCallbackExceptionCount();
// The barrier of such a procedure: f's result, or rFallback once what f threw is reported.
template <class R, class F>
R AfxCallbackGuard(const char* pszWhere, R rFallback, F f) {
    try {
        return f();
    } catch (const std::exception& e) {
        AfxReportCallbackException(pszWhere, e.what());
    } catch (...) {
        AfxReportCallbackException(pszWhere, nullptr);
    }
    return rFallback;
}
// Called by every window of ours as it is destroyed; ends the message loop for the main window.
void AfxMainWindowDestroyed(CWinApp* pApp, CWnd* pWnd);

// Registers (once) a window class routed through the framework and returns its name.
const char* AfxRegisterWndClass(UINT nClassStyle,
                                HCURSOR hCursor = nullptr,
                                HBRUSH hbrBackground = nullptr,
                                HICON hIcon = nullptr);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));
