// The framework in real windows: command routing, update handlers that block disabled commands,
// menus and toolbar buttons updated from the handlers, accelerators, and handle hygiene.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RunSteps.h"
#include "TestUtil.h"
#include "framework/Afx.h"
#include "res/resource.h"

namespace {
std::string g_log;    // which object carried out a command
BOOL g_bNextEnabled;  // what the view's update handler says about Next

class CTrioDoc : public CDocument {
    DECLARE_DYNCREATE(CTrioDoc)
protected:
    void OnDocCmd() { g_log += "doc;"; }
    void OnShared() { g_log += "doc-shared;"; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTrioDoc, CDocument)
BEGIN_MESSAGE_MAP(CTrioDoc, CDocument)
ON_COMMAND(ID_IMAGE_COPY, OnDocCmd)
ON_COMMAND(ID_VIEW_ZOOMIN, OnShared)
END_MESSAGE_MAP()

class CTrioView : public CView {
    DECLARE_DYNCREATE(CTrioView)
public:
    void OnDraw(CDC*) override { ++m_nPaints; }
    int m_nPaints = 0;

protected:
    void OnNext() { g_log += "view-next;"; }
    void OnUpdateNext(CCmdUI* p) { p->Enable(g_bNextEnabled); }
    void OnUpdateAutoZoom(CCmdUI* p) { p->SetCheck(1); }
    void OnShared() { g_log += "view-shared;"; }
    void OnRange(UINT nID) { g_log += "range" + std::to_string(nID) + ";"; }
    void OnDropDown(NMHDR* p, LRESULT* pResult) {
        g_log += "dropdown" + std::to_string(reinterpret_cast<NMTOOLBARA*>(p)->iItem) + ";";
        *pResult = TBDDRET_DEFAULT;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTrioView, CView)
BEGIN_MESSAGE_MAP(CTrioView, CView)
ON_COMMAND(ID_VIEW_NEXT, OnNext)
ON_UPDATE_COMMAND_UI(ID_VIEW_NEXT, OnUpdateNext)
ON_UPDATE_COMMAND_UI(ID_VIEW_AUTOZOOM, OnUpdateAutoZoom)
ON_COMMAND(ID_VIEW_ZOOMIN, OnShared)
ON_COMMAND_RANGE(ID_ZOOM_25, ID_ZOOM_50, OnRange)
ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, OnDropDown)
END_MESSAGE_MAP()

class CTrioFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CTrioFrame)
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        static const UINT ids[] = {0, 0, 0};
        if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
            !m_wndToolBar.LoadToolBar(IDR_MAINFRAME) || !m_wndStatusBar.Create(this) ||
            !m_wndStatusBar.SetIndicators(ids, 3))
            return -1;
        return 0;
    }
    void OnFrameCmd() { g_log += "frame;"; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTrioFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CTrioFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_TOOLS_CAPTUREREGION, OnFrameCmd)
END_MESSAGE_MAP()

class CTrioApp : public CWinApp {
public:
    CTrioApp() : CWinApp("Trio") {}
    BOOL InitInstance() override {
        AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CTrioDoc), RUNTIME_CLASS(CTrioFrame),
                                              RUNTIME_CLASS(CTrioView)));
        OnFileNew();
        return m_pMainWnd != nullptr;
    }

protected:
    void OnAppCmd() { g_log += "app;"; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTrioApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppCmd)
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        g_bNextEnabled = FALSE;
        ASSERT_TRUE(app.InitInstance());
        frame = dynamic_cast<CTrioFrame*>(app.m_pMainWnd);
        ASSERT_NE(nullptr, frame);
        view = dynamic_cast<CTrioView*>(frame->GetActiveView());
        ASSERT_NE(nullptr, view);
        PumpNow();
    }
    void TearDown() override {
        if (app.m_pMainWnd)
            app.m_pMainWnd->SendMessage(WM_CLOSE);
        PumpNow();
    }
    void Command(UINT nID, WORD code = 0) { frame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, code), 0); }
    // Index of the item with the given id in a popup of the frame's menu.
    static int ItemIndex(HMENU hPopup, UINT nID) {
        for (int i = 0; i < GetMenuItemCount(hPopup); ++i)
            if (GetMenuItemID(hPopup, i) == nID)
                return i;
        return -1;
    }

    CTrioApp app;
    CTrioFrame* frame = nullptr;
    CTrioView* view = nullptr;
};
}  // namespace

TEST_F(FrameworkTest, CommandsRouteViewDocumentFrameApplication) {
    Command(ID_VIEW_ZOOMIN);  // both view and document handle it: the view wins
    Command(ID_IMAGE_COPY);
    Command(ID_TOOLS_CAPTUREREGION);
    Command(ID_APP_ABOUT);
    Command(ID_ZOOM_100);
    EXPECT_EQ("view-shared;doc;frame;app;range32811;", g_log);
}

TEST_F(FrameworkTest, DisabledCommandIsRefusedFromMenuKeyAndButton) {
    g_bNextEnabled = FALSE;
    Command(ID_VIEW_NEXT, 0);  // menu or button
    Command(ID_VIEW_NEXT, 1);  // accelerator
    EXPECT_EQ("", g_log);
    g_bNextEnabled = TRUE;
    Command(ID_VIEW_NEXT, 1);
    EXPECT_EQ("view-next;", g_log);
}

TEST_F(FrameworkTest, AcceleratorGoesThroughTheMessageLoop) {
    g_bNextEnabled = TRUE;
    // Page Down is the Next key; the loop's pre-translation turns it into the command.
    view->PostMessage(WM_KEYDOWN, VK_NEXT, 0x01510001);
    view->PostMessage(WM_KEYUP, VK_NEXT, 0xC1510001);
    PumpNow();
    EXPECT_EQ("view-next;", g_log);
    g_log.clear();
    g_bNextEnabled = FALSE;
    view->PostMessage(WM_KEYDOWN, VK_NEXT, 0x01510001);
    view->PostMessage(WM_KEYUP, VK_NEXT, 0xC1510001);
    PumpNow();
    EXPECT_EQ("", g_log);
}

TEST_F(FrameworkTest, MenuItemsFollowTheUpdateHandlers) {
    HMENU hView = GetSubMenu(frame->GetMenu(), 2);
    ASSERT_NE(nullptr, hView);
    g_bNextEnabled = FALSE;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
    UINT next = GetMenuState(hView, ID_VIEW_NEXT, MF_BYCOMMAND);
    EXPECT_TRUE(next & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(hView, ID_VIEW_AUTOZOOM, MF_BYCOMMAND) & MF_CHECKED);
    // No handler anywhere: disabled; a handler without update handler: enabled.
    EXPECT_TRUE(GetMenuState(hView, ID_VIEW_PREVIOUS, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(hView, ID_VIEW_ZOOMIN, MF_BYCOMMAND) & MF_GRAYED);

    g_bNextEnabled = TRUE;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
    EXPECT_FALSE(GetMenuState(hView, ID_VIEW_NEXT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_GE(ItemIndex(hView, ID_VIEW_NEXT), 0);
}

TEST_F(FrameworkTest, ToolbarButtonsFollowTheUpdateHandlersWhenIdle) {
    HWND hTool = frame->m_wndToolBar.m_hWnd;
    g_bNextEnabled = TRUE;
    PumpNow();
    EXPECT_TRUE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_VIEW_NEXT, 0));
    EXPECT_TRUE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_TOOLS_CAPTUREREGION, 0));
    EXPECT_FALSE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_FILE_SAVE, 0));  // no handler
    g_bNextEnabled = FALSE;
    PumpNow();
    EXPECT_FALSE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_VIEW_NEXT, 0));
}

TEST_F(FrameworkTest, ToolbarClickAndNotificationReachTheView) {
    HWND hTool = frame->m_wndToolBar.m_hWnd;
    g_bNextEnabled = TRUE;
    PumpNow();
    // A button sends its command to the frame, which routes it to the view.
    SendMessageA(frame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(hTool));
    NMTOOLBARA nm = {};
    nm.hdr.hwndFrom = hTool;
    nm.hdr.idFrom = AFX_IDW_TOOLBAR;
    nm.hdr.code = TBN_DROPDOWN;
    nm.iItem = ID_VIEW_ZOOM;
    LRESULT r = SendMessageA(frame->m_hWnd, WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ("view-next;dropdown32784;", g_log);
    EXPECT_EQ(TBDDRET_DEFAULT, r);
}

TEST_F(FrameworkTest, PromptsAndTooltipsComeFromTheStrings) {
    CStatusBar& bar = frame->m_wndStatusBar;
    EXPECT_EQ(CString("Welcome to use Morvane 1.52"), bar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_VIEW_PREVIOUS, MF_STRING),
                       reinterpret_cast<LPARAM>(frame->GetMenu()));
    EXPECT_EQ(CString("Previous image"), bar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(CString("Welcome to use Morvane 1.52"), bar.GetPaneText(0));

    NMTTDISPINFOA tip = {};
    tip.hdr.code = TTN_GETDISPINFOA;
    tip.hdr.idFrom = ID_VIEW_ZOOM;
    tip.hdr.hwndFrom = frame->m_wndToolBar.m_hWnd;
    frame->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(" Zoom...", tip.lpszText);
    NMTTDISPINFOW tipw = {};
    tipw.hdr.code = TTN_GETDISPINFOW;
    tipw.hdr.idFrom = ID_VIEW_PREVIOUS;
    tipw.hdr.hwndFrom = frame->m_wndToolBar.m_hWnd;
    frame->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tipw));
    EXPECT_STREQ(L"Pre", tipw.lpszText);
}

TEST_F(FrameworkTest, HotToolbarButtonShowsItsPrompt) {
    CStatusBar& bar = frame->m_wndStatusBar;
    NMTBHOTITEM hot = {};
    hot.hdr.hwndFrom = frame->m_wndToolBar.m_hWnd;
    hot.hdr.idFrom = AFX_IDW_TOOLBAR;
    hot.hdr.code = TBN_HOTITEMCHANGE;
    hot.idNew = ID_FILE_OPEN;
    hot.dwFlags = HICF_MOUSE | HICF_ENTERING;
    frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(CString("Open images"), bar.GetPaneText(0));
    hot.dwFlags = HICF_MOUSE | HICF_LEAVING;
    frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(CString("Welcome to use Morvane 1.52"), bar.GetPaneText(0));
}

TEST_F(FrameworkTest, LayoutStacksToolbarViewAndStatusBar) {
    CRect rcClient, rcTool, rcView, rcStatus;
    frame->GetClientRect(&rcClient);
    GetWindowRect(frame->m_wndToolBar.m_hWnd, &rcTool);
    GetWindowRect(view->m_hWnd, &rcView);
    GetWindowRect(frame->m_wndStatusBar.m_hWnd, &rcStatus);
    EXPECT_EQ(rcTool.bottom, rcView.top);
    EXPECT_EQ(rcView.bottom, rcStatus.top);
    EXPECT_EQ(rcClient.Height(), rcTool.Height() + rcView.Height() + rcStatus.Height());
    // Hiding the status bar gives its room to the view.
    frame->ShowControlBar(&frame->m_wndStatusBar, FALSE, FALSE);
    CRect rcView2;
    GetWindowRect(view->m_hWnd, &rcView2);
    EXPECT_EQ(rcView.Height() + rcStatus.Height(), rcView2.Height());
}

TEST_F(FrameworkTest, ClosingTheMainFrameEndsTheLoopAndFreesEverything) {
    HWND hFrame = frame->m_hWnd, hView = view->m_hWnd;
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(hFrame));
    EXPECT_FALSE(IsWindow(hView));
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(nullptr, app.GetFirstDocTemplate()->GetOnlyDocument());
}

TEST(GdiWrappers, DcWrappersRestoreWhatTheySelected) {
    HWND hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HDC hdc = GetDC(hWnd);
    HGDIOBJ brushBefore = GetCurrentObject(hdc, OBJ_BRUSH);
    HGDIOBJ penBefore = GetCurrentObject(hdc, OBJ_PEN);
    {
        CDC dc(hdc);
        CBrush brush(RGB(1, 2, 3));
        CPen pen(PS_SOLID, 3, RGB(4, 5, 6));
        dc.SelectObject(brush);
        dc.SelectObject(pen);
        EXPECT_EQ(brush.GetSafeHandle(), GetCurrentObject(hdc, OBJ_BRUSH));
        dc.Detach();  // restores before the brush and pen are deleted
        EXPECT_EQ(brushBefore, GetCurrentObject(hdc, OBJ_BRUSH));
    }
    EXPECT_EQ(penBefore, GetCurrentObject(hdc, OBJ_PEN));
    ReleaseDC(hWnd, hdc);
    DestroyWindow(hWnd);
}

TEST(GdiWrappers, NoHandleLeaksAcrossAThousandUses) {
    HWND hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    int gdiBefore = CountGdiObjects();
    ASSERT_GT(gdiBefore, 0);
    for (int i = 0; i < 1000; ++i) {
        // Objects before the DC that selects them: the DC restores its state as it goes, and
        // only then are they deleted.
        CClientDC dc(hWnd);
        CBitmap bmp;
        bmp.CreateCompatibleBitmap(dc, 8, 8);
        CBrush brush(RGB(i & 255, 0, 0));
        CMemDC mem(dc);
        mem.SelectObject(bmp);
        mem.SelectObject(brush);
        mem.PatBlt(0, 0, 8, 8, PATCOPY);
    }
    EXPECT_LE(CountGdiObjects(), gdiBefore + 2);
    DestroyWindow(hWnd);
}

TEST(WindowLifetime, SubclassedControlDetachesWhenItsParentGoes) {
    CWnd parent, child;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    ASSERT_TRUE(child.CreateEx(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent.m_hWnd,
                               reinterpret_cast<HMENU>(7)));
    EXPECT_EQ(&child, CWnd::FromHandlePermanent(child.m_hWnd));
    EXPECT_EQ(&child, parent.GetDescendantWindow(7));
    HWND hChild = child.m_hWnd;
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, child.m_hWnd);
    EXPECT_EQ(nullptr, parent.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hChild));
}

// ---- the application's own message loop ---------------------------------------------------------

TEST_F(FrameworkTest, RunShowsTheCurrentStatesOnceIdle) {
    HWND hTool = frame->m_wndToolBar.m_hWnd;
    auto nextEnabled = [&] { return SendMessageA(hTool, TB_ISBUTTONENABLED, ID_VIEW_NEXT, 0) != 0; };
    // Each change ends with a mouse move, as many do: the last message the loop looks at before
    // it waits is then one that is no reason for idle work, and the next one arrives while it waits.
    auto mouseMove = [&] { view->PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); };
    PumpNow();
    mouseMove();
    bool bAfterChange = false, bAfterModal = true, bAfterPosted = false;
    int nBoxes = 0;
    ASSERT_TRUE(LoopSteps::Run(&app, {
                                         [&] {
                                             g_bNextEnabled = TRUE;  // a change while the loop waited
                                             mouseMove();
                                         },
                                         [&] { bAfterChange = nextEnabled(); },
                                         [&] {
                                             g_bNextEnabled = FALSE;
                                             MessageBoxWatcher boxes;
                                             AfxMessageBox("modal");  // a modal loop of its own, closed by the watcher
                                             nBoxes = boxes.count();
                                             mouseMove();
                                         },
                                         [&] { bAfterModal = nextEnabled(); },
                                         [&] {
                                             g_bNextEnabled = TRUE;
                                             frame->PostMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, 1), 0);
                                         },
                                         [&] { bAfterPosted = nextEnabled(); },
                                     }));
    EXPECT_TRUE(bAfterChange);
    EXPECT_EQ(1, nBoxes);
    EXPECT_FALSE(bAfterModal);
    EXPECT_TRUE(bAfterPosted);
    EXPECT_EQ("view-next;", g_log);
}

// ---- commands from controls and keys ------------------------------------------------------------

TEST_F(FrameworkTest, ControlNotificationCodeOneIsNoAccelerator) {
    g_bNextEnabled = TRUE;
    // LBN_SELCHANGE, CBN_SELCHANGE and STN_DBLCLK are all 1, like an accelerator's code; coming
    // from a control they are that control's notification, not the command with its id.
    HWND hList = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 10, 10, view->m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_VIEW_NEXT)), nullptr, nullptr);
    ASSERT_NE(nullptr, hList);
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
    EXPECT_EQ("", g_log);
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, 1), 0);  // the key
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(hList));
    EXPECT_EQ("view-next;view-next;", g_log);
    DestroyWindow(hList);
}

// ---- exception barriers -------------------------------------------------------------------------

namespace {
class CThrowingWnd : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 1)
            throw std::runtime_error("handler failed");
        if (message == WM_USER + 2)
            DestroyWindow();  // the object lives on after its window
        if (message == WM_USER + 3)
            return Default() + 7;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};
}  // namespace

TEST(WindowLifetime, ExceptionInAHandlerStopsAtTheWindowProcedure) {
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "t", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
    int before = AfxCallbackExceptionCount();
    EXPECT_EQ(0, wnd.SendMessage(WM_USER + 1));
    EXPECT_EQ(before + 1, AfxCallbackExceptionCount());
    // The window goes on working, its current message back to none.
    EXPECT_EQ(7, wnd.SendMessage(WM_USER + 3));
    EXPECT_EQ(0, wnd.Default());
    // A handler that destroys its own window: the object that lives on holds no message.
    wnd.SendMessage(WM_USER + 2);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(0, wnd.Default());
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "t", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(0, wnd.Default());
    wnd.DestroyWindow();
}

TEST(GdiWrappers, RefusedDeletionKeepsTheHandle) {
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = nullptr;
    {
        CBitmap bmp;
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(hdc, 4, 4));
        HGDIOBJ h = bmp.GetSafeHandle();
        hOld = SelectObject(hdc, h);
        // Deleted or refused: either way the wrapper says what happened, and a handle it no longer
        // holds is really gone.
        BOOL ok = bmp.DeleteObject();
        EXPECT_EQ(ok ? nullptr : h, bmp.GetSafeHandle());
        SelectObject(hdc, hOld);
        if (!ok) {
            EXPECT_TRUE(bmp.DeleteObject());
        }
        EXPECT_EQ(nullptr, bmp.GetSafeHandle());
    }
    CBrush bogus;
    bogus.Attach(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(0x7ff0)));
    EXPECT_FALSE(bogus.DeleteObject());
    EXPECT_NE(nullptr, bogus.GetSafeHandle());
    bogus.Detach();
    DeleteDC(hdc);
}
