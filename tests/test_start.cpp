// A real start of the application inside the test process: the frame, its bars and menus, and
// the state every command starts in.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "res/resource.h"

namespace {
// Whether the command route says the command is enabled, as menus, keys and buttons ask.
bool CommandEnabled(CFrameWnd* frame, UINT nID) {
    CTestCmdUI state;
    state.m_nID = nID;
    frame->OnCmdMsg(nID, WM_COMMAND, CN_UPDATE_COMMAND_UI, &state);
    return state.m_bEnabled != FALSE;
}

const UINT kFlaggedCommands[] = {ID_VIEW_PREVIOUS,        ID_VIEW_NEXT, ID_VIEW_ZOOMOUT, ID_VIEW_ZOOMIN, ID_VIEW_ZOOM,
                                 ID_TOOLS_SLIDESTARTSTOP, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_IMAGE_COPY,  ID_FILE_PRINT,
                                 ID_IMAGE_RENAME,         ID_IMAGE_EDIT};

class StartTest : public AppTest {};
}  // namespace

TEST_F(StartTest, FrameIsFixedSizeAndCentred) {
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    CRect rc;
    frame->GetWindowRect(&rc);
    EXPECT_EQ(CRect(212, 159, 812, 609), rc);
    EXPECT_EQ(CString("Morvane 1.52"), frame->GetWindowText());
    DWORD style = frame->GetStyle();
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_TRUE(frame->IsWindowVisible());

    HMENU hSys = frame->GetSystemMenu(FALSE);
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(hSys, SC_SIZE, MF_BYCOMMAND));
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(hSys, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(hSys, SC_RESTORE, MF_BYCOMMAND));
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(hSys, SC_CLOSE, MF_BYCOMMAND));
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(hSys, SC_MOVE, MF_BYCOMMAND));
    // The border cannot be dragged.
    POINT edge = {rc.right - 1, rc.top + 100};
    LRESULT hit = SendMessageA(frame->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y));
    EXPECT_NE(HTRIGHT, hit);
}

TEST_F(StartTest, StatusBarHasSixFixedPanesAndTheIdleText) {
    CStatusBar& bar = frame->m_wndStatusBar;
    EXPECT_EQ(AFX_IDW_STATUS_BAR, static_cast<UINT>(bar.GetDlgCtrlID()));
    int edges[8] = {};
    ASSERT_EQ(6, bar.SendMessage(SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    const int widths[] = {200, 100, 60, 65, 65, 110};
    int left = 0;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(widths[i], edges[i] - left) << "pane " << i;
        left = edges[i];
        UINT nID, nStyle;
        int cx;
        bar.GetPaneInfo(i, nID, nStyle, cx);
        EXPECT_EQ(0u, nID);
        EXPECT_EQ(0u, nStyle);
    }
    char text[128] = "";
    bar.SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Welcome to use Morvane 1.52", text);
    for (int i = 1; i < 6; ++i)
        EXPECT_TRUE(bar.GetPaneText(i).IsEmpty()) << i;
}

TEST_F(StartTest, ToolbarLoadsWithTheZoomDropDown) {
    CToolBar& tb = frame->m_wndToolBar;
    EXPECT_EQ(AFX_IDW_TOOLBAR, static_cast<UINT>(tb.GetDlgCtrlID()));
    int buttons = 0;
    for (int i = 0; i < tb.GetCount(); ++i)
        if (tb.GetItemID(i) != ID_SEPARATOR)
            ++buttons;
    EXPECT_EQ(17, buttons);
    EXPECT_EQ(ID_FILE_OPEN, tb.GetItemID(0));
    EXPECT_EQ(static_cast<UINT>(ID_HELP_INDEX), tb.GetItemID(tb.GetCount() - 1));
    int zoom = tb.CommandToIndex(ID_VIEW_ZOOM);
    ASSERT_GE(zoom, 0);
    UINT nID, nStyle;
    int iImage;
    tb.GetButtonInfo(zoom, nID, nStyle, iImage);
    EXPECT_EQ(static_cast<UINT>(ID_VIEW_ZOOM), nID);
    EXPECT_TRUE(nStyle & TBSTYLE_DROPDOWN);
    EXPECT_EQ(11, iImage);  // the twelfth picture of the strip
    EXPECT_TRUE(tb.GetToolBarCtrl().GetExtendedStyle() & TBSTYLE_EX_DRAWDDARROWS);
    EXPECT_TRUE(GetWindowLongA(tb.m_hWnd, GWL_STYLE) & TBSTYLE_TOOLTIPS);
    // The drop-down part of the button is wider than a plain button.
    RECT rZoom, rIn;
    tb.SendMessage(TB_GETITEMRECT, zoom, reinterpret_cast<LPARAM>(&rZoom));
    tb.SendMessage(TB_GETITEMRECT, tb.CommandToIndex(ID_VIEW_ZOOMIN), reinterpret_cast<LPARAM>(&rIn));
    EXPECT_GT(rZoom.right - rZoom.left, rIn.right - rIn.left);
}

TEST_F(StartTest, EverythingStartsOffAndFlaggedCommandsAreDisabled) {
    EXPECT_EQ(0, app().m_bImageLoaded);
    EXPECT_EQ(0, app().m_bRegionCaptured);
    EXPECT_EQ(0, app().m_bObjectCaptured);
    EXPECT_EQ(0, app().m_bScreenCaptured);
    EXPECT_EQ(0, app().m_bPanX);
    EXPECT_EQ(0, app().m_bPanY);
    CNorvelView* v = view;
    EXPECT_EQ(0, v->m_bEnablePrevious + v->m_bEnableNext + v->m_bEnableZoomOut + v->m_bEnableZoomIn +
                     v->m_bEnableSlideShow + v->m_bEnableSave + v->m_bEnableSaveAs + v->m_bEnableCopy +
                     v->m_bEnablePrint + v->m_bEnableRename + g_bEnableZoomDialog + g_bEnableImageEdit);
    EXPECT_NE(nullptr, v->m_hCursorOpenHand);
    EXPECT_NE(nullptr, v->m_hCursorClosedHand);
    EXPECT_TRUE(app().m_gdiplus.Started());  // GDI+ belongs to the application object

    PumpNow();
    HWND hTool = frame->m_wndToolBar.m_hWnd;
    for (UINT id : kFlaggedCommands) {
        EXPECT_FALSE(CommandEnabled(frame, id)) << id;
        if (SendMessageA(hTool, TB_COMMANDTOINDEX, id, 0) >= 0) {
            EXPECT_FALSE(SendMessageA(hTool, TB_ISBUTTONENABLED, id, 0)) << id;
        }
    }
    // Open and Help are there from the start.
    EXPECT_TRUE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_FILE_OPEN, 0));
    EXPECT_TRUE(SendMessageA(hTool, TB_ISBUTTONENABLED, ID_HELP_INDEX, 0));

    // A flagged command sent as a key is refused before any handler: the view keeps its state.
    for (UINT id : kFlaggedCommands)
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 1), 0);
    EXPECT_EQ(0, app().m_bImageLoaded);
    EXPECT_TRUE(IsWindow(frame->m_hWnd));
}

TEST_F(StartTest, AutoZoomIsChecked) {
    HMENU hView = GetSubMenu(frame->GetMenu(), 2);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), MAKELPARAM(2, FALSE));
    EXPECT_TRUE(GetMenuState(hView, ID_VIEW_AUTOZOOM, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(hView, ID_VIEW_NEXT, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(StartTest, TemplateStringAndTitles) {
    CDocTemplate* t = app().GetFirstDocTemplate();
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(CString("Norvel"), t->GetDocString(0));
    EXPECT_EQ(CString(""), t->GetDocString(1));
    EXPECT_EQ(CString("Norv"), t->GetDocString(2));
    EXPECT_EQ(CString("Norvel.Document"), t->GetDocString(5));
    EXPECT_EQ(CString("Norv Document"), t->GetDocString(6));
    EXPECT_EQ(CString("Morvane"), app().m_strAppName);
    EXPECT_EQ(CString("Morvane of ZENTARO"), app().m_strRegistryKey);
}

TEST_F(StartTest, MenuBarHasTheFivePopups) {
    HMENU hMenu = frame->GetMenu();
    ASSERT_EQ(5, GetMenuItemCount(hMenu));
    const char* names[] = {"&File", "&Image", "&View", "&Tools", "&Help"};
    for (int i = 0; i < 5; ++i) {
        char text[64] = "";
        GetMenuStringA(hMenu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(names[i], text);
    }
}

TEST_F(StartTest, HelpWithoutTheHelpFileSaysNothing) {
    MessageBoxWatcher watcher;
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_INDEX, 1), 0);
    PumpFor(300);
    EXPECT_EQ(0, watcher.count());
    EXPECT_TRUE(IsWindow(frame->m_hWnd));
}
