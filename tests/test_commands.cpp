// The command vocabulary: the main menu's items, the keys, and every toolbar button's prompt
// and tooltip, as a user meets them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "RunSteps.h"
#include "controls/BitmapMenu.h"
#include "res/resource.h"

namespace {
// Text of every item of a popup: "text=id", "-" for a separator, "text>" for a sub-menu.
std::string PopupItems(HMENU hPopup) {
    std::string s;
    for (int i = 0; i < GetMenuItemCount(hPopup); ++i) {
        char text[128] = "";
        GetMenuStringA(hPopup, i, text, sizeof text, MF_BYPOSITION);
        // An owner-drawn item's text is in its record, its label's left part padded to align.
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        GetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &mii);
        if ((mii.fType & MFT_OWNERDRAW) && mii.dwItemData) {
            std::string t = reinterpret_cast<CBitmapMenuItem*>(mii.dwItemData)->GetText().GetString();
            size_t tab = t.find('\t');
            if (tab != std::string::npos) {
                size_t end = t.find_last_not_of(' ', tab - 1);
                t = t.substr(0, end == std::string::npos ? 0 : end + 1) + t.substr(tab);
            }
            lstrcpynA(text, t.c_str(), sizeof text);
        }
        UINT id = GetMenuItemID(hPopup, i);
        if (GetSubMenu(hPopup, i))
            s += std::string(text) + ">[" + PopupItems(GetSubMenu(hPopup, i)) + "]";
        else if (id == 0 && !text[0])
            s += "-";
        else
            s += std::string(text) + "=" + std::to_string(id);
        s += ";";
    }
    return s;
}

class CommandsTest : public AppTest {};

}  // namespace

TEST_F(CommandsTest, MainMenuItemsSeparatorsAndShortcuts) {
    HMENU hMenu = run->frame()->GetMenu();
    EXPECT_EQ("Open...\tCtrl+O=57601;Save...\tCtrl+S=57603;Save As...=57604;-;Print...\tCtrl+P=57607;-;Exit=57665;",
              PopupItems(GetSubMenu(hMenu, 0)));
    EXPECT_EQ("Clear Clipboard=32807;Copy to Clipboard\tCtrl+C=32785;-;Rename=32830;-;Image Edit\tCtrl+E=32822;",
              PopupItems(GetSubMenu(hMenu, 1)));
    EXPECT_EQ(
        "Previous\tPage Up=32779;Next\tPage Down=32780;-;FullScreenView\tF11=32788;-;Zoom out\tGrey -=32782;"
        "Zoom in\tGrey +=32783;Zoom...=32784;Auto Zoom=32817;",
        PopupItems(GetSubMenu(hMenu, 2)));
    EXPECT_EQ(
        "Capture Region\tCtrl+R=32786;Capture Object\tCtrl+B=32802;Capture Screen\tCtrl+N=32787;-;"
        "Slide View...=32819;Start/Stop=32781;-;"
        "Set as wallpaper>[Center=32825;Strech=32826;Tile=32827;None=32838;];",
        PopupItems(GetSubMenu(hMenu, 3)));
    EXPECT_EQ("Help Index\tF1=32841;Update...=32840;Home page of Morvane=32823;-;About Norvel...=57664;",
              PopupItems(GetSubMenu(hMenu, 4)));
}

TEST_F(CommandsTest, ContextAndZoomRatioMenus) {
    HMENU hContext = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXTMENU));
    EXPECT_EQ(
        "Open...\tCtrl+O=57601;-;Zoom in=32783;Zoom out=32782;&Zoom...=32784;-;Previous=32779;Next=32780;"
        "&Start/Stop=32781;-;Set as wallpaper>[Center=32825;Strech=32826;Tile=32827;None=32838;];",
        PopupItems(GetSubMenu(hContext, 0)));
    DestroyMenu(hContext);
    HMENU hZoom = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ZOOMRATIO));
    EXPECT_EQ(
        "25%=32809;50%=32816;75%=32810;100%=32811;125%=32812;150%=32813;175%=32814;200%=32815;"
        "&Auto Zoom=32817;&Zoom...=32784;",
        PopupItems(GetSubMenu(hZoom, 0)));
    DestroyMenu(hZoom);
}

TEST_F(CommandsTest, AcceleratorTableInResourceOrder) {
    HACCEL hAccel = run->frame()->m_hAccelTable;
    ACCEL table[32];
    int n = CopyAcceleratorTableA(hAccel, table, 32);
    const struct {
        WORD key;
        bool ctrl;
        WORD cmd;
    } expected[] = {{'B', true, 32802},       {'C', true, 32785},         {'E', true, 32822},
                    {'N', true, 32787},       {'O', true, 57601},         {'P', true, 57607},
                    {'R', true, 32786},       {'S', true, 57603},         {VK_ADD, false, 32783},
                    {VK_F1, false, 32841},    {VK_F11, false, 32788},     {VK_NEXT, false, 32780},
                    {VK_PRIOR, false, 32779}, {VK_SUBTRACT, false, 32782}};
    ASSERT_EQ(14, n);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(expected[i].key, table[i].key) << i;
        EXPECT_EQ(expected[i].cmd, table[i].cmd) << i;
        EXPECT_TRUE(table[i].fVirt & FVIRTKEY) << i;
        EXPECT_EQ(expected[i].ctrl, (table[i].fVirt & FCONTROL) != 0) << i;
        EXPECT_TRUE(table[i].fVirt & FNOINVERT) << i;
    }
}

TEST_F(CommandsTest, ToolbarPromptsAndTooltips) {
    const struct {
        UINT id;
        const char* prompt;
        const char* tip;
    } buttons[] = {
        {57601, "Open images", "Open"},
        {57603, "Save the captured image", "Save"},
        {57604, "Save active image with a new name", "Save As"},
        {57607, "Print the active image", "Print"},
        {32785, "Copy the image to clipboard", "Copy"},
        {32830, "Image Rename", "Rename"},
        {32779, "Previous image", "Pre"},
        {32780, "Next image", "Next"},
        {32781, "Start/Stop slide show", "Start/Stop"},
        {32782, "Zoom out the image", "Zoom out"},
        {32783, "Zoom in the image", "Zoom in"},
        {32784, "Zoom at given ratio", " Zoom..."},
        {32788, "View  image with fullscreen", "FullScreen"},
        {32786, "Capture region of screen", "Capture Region"},
        {32802, "Capture object of screen", "Capture Object"},
        {32787, "Capture full screen", "Capture Screen"},
        {32841, "Frequently Asked Questions", "FAQ"},
    };
    CToolBar& tb = frame->m_wndToolBar;
    int n = 0;
    for (int i = 0; i < tb.GetCount(); ++i) {
        UINT id = tb.GetItemID(i);
        if (id == ID_SEPARATOR)
            continue;
        ASSERT_LT(n, 17);
        EXPECT_EQ(buttons[n].id, id) << "button " << n + 1;
        // The tooltip the toolbar asks for.
        NMTTDISPINFOA tip = {};
        tip.hdr.code = TTN_GETDISPINFOA;
        tip.hdr.idFrom = id;
        tip.hdr.hwndFrom = tb.m_hWnd;
        frame->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
        EXPECT_STREQ(buttons[n].tip, tip.lpszText) << id;
        // The prompt while the mouse is over the button.
        NMTBHOTITEM hot = {};
        hot.hdr.hwndFrom = tb.m_hWnd;
        hot.hdr.idFrom = AFX_IDW_TOOLBAR;
        hot.hdr.code = TBN_HOTITEMCHANGE;
        hot.idNew = static_cast<int>(id);
        hot.dwFlags = HICF_MOUSE | HICF_ENTERING;
        frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
        EXPECT_EQ(CString(buttons[n].prompt), frame->m_wndStatusBar.GetPaneText(0)) << id;
        ++n;
    }
    EXPECT_EQ(17, n);
}

TEST_F(CommandsTest, RealMouseOverPreviousShowsPreAndItsPrompt) {
    CToolBar& tb = frame->m_wndToolBar;
    SetForegroundWindow(frame->m_hWnd);
    RECT r;
    tb.SendMessage(TB_GETITEMRECT, tb.CommandToIndex(ID_VIEW_PREVIOUS), reinterpret_cast<LPARAM>(&r));
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tb.m_hWnd, &p);
    SetCursorPos(p.x - 3, p.y);
    PumpFor(100);
    SetCursorPos(p.x, p.y);
    PumpFor(1500);
    EXPECT_EQ(CString("Previous image"), frame->m_wndStatusBar.GetPaneText(0));
    HWND hTip = reinterpret_cast<HWND>(tb.SendMessage(TB_GETTOOLTIPS));
    ASSERT_NE(nullptr, hTip);
    char text[64] = "";
    TTTOOLINFOA ti = {};
    ti.cbSize = sizeof ti;
    ti.hwnd = tb.m_hWnd;
    ti.uId = ID_VIEW_PREVIOUS;
    ti.lpszText = text;
    // The tooltip control asks the frame for the text of the tool under the mouse.
    if (IsWindowVisible(hTip)) {
        GetWindowTextA(hTip, text, sizeof text);
        EXPECT_STREQ("Pre", text);
    }
    SetCursorPos(900, 700);
    PumpFor(300);
}

TEST_F(CommandsTest, HoveringMenuItemsShowsTheirPrompts) {
    HMENU hView = GetSubMenu(frame->GetMenu(), 2);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_VIEW_AUTOZOOM, MF_STRING), reinterpret_cast<LPARAM>(hView));
    EXPECT_EQ(CString("View image at fit size"), frame->m_wndStatusBar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_VIEW_FULLSCREEN, MF_STRING), reinterpret_cast<LPARAM>(hView));
    EXPECT_EQ(CString("View  image with fullscreen"), frame->m_wndStatusBar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_HELP_HOMEPAGE, MF_STRING), reinterpret_cast<LPARAM>(hView));
    EXPECT_EQ(CString("Home Page of Morvane"), frame->m_wndStatusBar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(3, MF_POPUP), reinterpret_cast<LPARAM>(frame->GetMenu()));
    EXPECT_EQ(CString(""), frame->m_wndStatusBar.GetPaneText(0));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(CString("Welcome to use Morvane 1.52"), frame->m_wndStatusBar.GetPaneText(0));
}

namespace {
void CollectMenuIds(HMENU hMenu, std::set<UINT>* ids) {
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        if (HMENU hSub = GetSubMenu(hMenu, i)) {
            CollectMenuIds(hSub, ids);
            continue;
        }
        UINT id = GetMenuItemID(hMenu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            ids->insert(id);
    }
}

void CollectMenuResource(UINT nID, std::set<UINT>* ids) {
    HMENU hMenu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID));
    ASSERT_NE(nullptr, hMenu) << nID;
    CollectMenuIds(hMenu, ids);
    DestroyMenu(hMenu);
}
}  // namespace

TEST_F(CommandsTest, EveryMenuKeyAndButtonCommandReachesAHandler) {
    // Commands still without a handler: none. A new command lands together with its handler.
    const std::set<UINT> kNotYetHandled = {};
    std::set<UINT> ids;
    CollectMenuResource(IDR_MAINFRAME, &ids);
    CollectMenuResource(IDR_CONTEXTMENU, &ids);
    CollectMenuResource(IDR_ZOOMRATIO, &ids);
    ACCEL table[64];
    int n = CopyAcceleratorTableA(run->frame()->m_hAccelTable, table, 64);
    for (int i = 0; i < n; ++i)
        ids.insert(table[i].cmd);
    CToolBar& tb = run->frame()->m_wndToolBar;
    for (int i = 0; i < tb.GetCount(); ++i)
        if (tb.GetItemID(i) != ID_SEPARATOR)
            ids.insert(tb.GetItemID(i));
    ASSERT_GE(ids.size(), 37u);

    // The route a command takes in the running program (view, frame, application), probed.
    std::set<UINT> unhandled;
    for (UINT id : ids)
        if (!run->frame()->OnCmdMsg(id, WM_COMMAND, CN_COMMAND, nullptr, TRUE))
            unhandled.insert(id);
    std::string missing, extra;
    for (UINT id : unhandled)
        if (!kNotYetHandled.count(id))
            missing += std::to_string(id) + " ";
    for (UINT id : kNotYetHandled)
        if (!unhandled.count(id))
            extra += std::to_string(id) + " ";
    EXPECT_EQ("", missing) << "commands without a handler, not on the list";
    EXPECT_EQ("", extra) << "commands on the list that now have a handler: take them off";
}

TEST_F(CommandsTest, ToolbarShowsTheStatesOnceTheProgramsLoopIsIdle) {
    std::string folder = MakeTempFolder("idle");
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"})
        CopyCorpusFile("bmp/image.bmp", folder, name);
    CToolBar& tb = run->frame()->m_wndToolBar;
    auto enabled = [&](UINT id) { return tb.SendMessage(TB_ISBUTTONENABLED, id) != 0; };
    bool bPrev = false, bNext = false, bSave = false, bNextAtEnd = true;
    PumpNow();
    ASSERT_TRUE(
        LoopSteps::Run(&run->app(), {
                                        // What Open does once its dialog has returned the third of four.
                                        [&] { run->view()->OpenChosenFile((folder + "c.bmp").c_str(), "c.bmp"); },
                                        [&] {
                                            bPrev = enabled(ID_VIEW_PREVIOUS);
                                            bNext = enabled(ID_VIEW_NEXT);
                                        },
                                        [&] { run->frame()->PostMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_NEXT, 1), 0); },
                                        [&] { bNextAtEnd = enabled(ID_VIEW_NEXT); },
                                        [&] { run->frame()->SendMessage(WM_COMMAND, ID_TOOLS_CAPTURESCREEN); },
                                        [&] { bSave = enabled(ID_FILE_SAVE); },
                                    }));
    EXPECT_TRUE(bPrev);
    EXPECT_TRUE(bNext);
    EXPECT_FALSE(bNextAtEnd);
    EXPECT_TRUE(bSave);
}
