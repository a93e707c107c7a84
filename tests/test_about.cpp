// The link label in a window of the test's own, and the About box as a user meets it: texts,
// the links' look read back from the screen, the hand cursor under the real mouse, clicks that
// start the test's recording program in place of the browser and the mail program, Exit and
// Escape.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "AppFixture.h"
#include "DesktopUtil.h"
#include "controls/Label.h"
#include "dialogs/AboutDlg.h"
#include "res/resource.h"

namespace {
const COLORREF kBlue = RGB(0, 0, 255);

// ---- a label on a window of the test's own ---------------------------------------------------
class LabelHost {
public:
    LabelHost() {
        m_parent.CreateEx(0, AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_3DFACE)),
                          "label host", WS_POPUP | WS_VISIBLE, 100, 100, 320, 80, nullptr, nullptr);
        HWND hStatic = CreateWindowExA(0, "STATIC", "support@zentaro.example", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10,
                                       300, 40, m_parent.m_hWnd, reinterpret_cast<HMENU>(1004), nullptr, nullptr);
        label.SubclassWindow(hStatic);
        SetWindowPos(m_parent.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        PumpFor(50);
    }
    ~LabelHost() {
        label.DestroyWindow();
        m_parent.DestroyWindow();
    }
    // The label's pixels on the screen as they are now.
    std::vector<COLORREF> Pixels() const {
        CRect rc;
        ::GetWindowRect(label.m_hWnd, &rc);
        return ScreenColours(rc);
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (COLORREF p : Pixels())
            n += p == c;
        return n;
    }
    CLabel label;

private:
    CWnd m_parent;
};

// ---- the About box ------------------------------------------------------------------------------
HWND FindAbout() {
    return FindDialogCaptioned("About Morvane");
}

// Once the About box shows and is ready, runs the user's steps inside its modal loop; the steps end by
// closing it (the box is closed anyway if they do not).
class AboutUser {
public:
    explicit AboutUser(std::function<void(HWND)> steps) : m_steps(std::move(steps)) {}
    INT_PTR Run(CAboutDlg& dlg) {
        Arm();
        INT_PTR r = dlg.DoModal();
        Disarm();
        return r;
    }
    void RunCommand(CWnd* pFrame) {
        Arm();
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
        Disarm();
    }
    bool ran() const { return m_bRan; }

private:
    void Arm() {
        s_pActive = this;
        m_nTimer = SetTimer(nullptr, 0, 30, OnTimer);
    }
    void Disarm() {
        KillTimer(nullptr, m_nTimer);
        s_pActive = nullptr;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        AboutUser* self = s_pActive;
        HWND h = FindReadyDialog([](HWND d) { return WindowCaption(d) == "About Morvane"; });
        if (!self || self->m_bRan || !h)
            return;
        self->m_bRan = true;
        KillTimer(nullptr, id);
        self->m_steps(h);
        if (IsWindow(h) && IsWindowVisible(h))
            PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    static AboutUser* s_pActive;
    std::function<void(HWND)> m_steps;
    UINT_PTR m_nTimer = 0;
    bool m_bRan = false;
};
AboutUser* AboutUser::s_pActive = nullptr;

std::string ItemText(HWND hDlg, int nID) {
    char buf[256] = "";
    GetDlgItemTextA(hDlg, nID, buf, sizeof buf);
    return buf;
}

// The texts of the dialog's statics, in their order.
std::vector<std::string> StaticTexts(HWND hDlg) {
    std::vector<std::string> texts;
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "", text[256] = "";
        GetClassNameA(c, cls, sizeof cls);
        GetWindowTextA(c, text, sizeof text);
        if (_stricmp(cls, "Static") == 0 && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            texts.push_back(text);
    }
    return texts;
}

// Moves the real mouse over a control (near its left end, where its text is); FALSE when the
// pointer could not be brought there.
bool PointAt(HWND hCtl) {
    CRect rc, rcScreen;
    GetClientRect(hCtl, &rc);
    GetWindowRect(hCtl, &rcScreen);
    for (int attempt = 0; attempt < 4; ++attempt) {
        MouseMoveTo(hCtl, 6, rc.Height() / 2);
        POINT p;
        GetCursorPos(&p);
        // The control's own window must be under the pointer: the window of a program just
        // started by an earlier click can still cover it for a moment.
        HWND hRoot = GetAncestor(hCtl, GA_ROOT);
        if (PtInRect(&rcScreen, p) &&
            PumpUntil([&] { return GetAncestor(WindowFromPoint(p), GA_ROOT) == hRoot; }, 10000))
            return true;
    }
    return false;
}

// The cursor the program shows with the real mouse over a control.
HCURSOR CursorOver(HWND hCtl, HCURSOR hExpected) {
    // The cursor shown while the pointer is over the control: the expected one as soon as it is
    // set, else whatever is shown after a while. A late report of an earlier position can take
    // it back for a moment, so it is read only while the pointer is still over the control.
    CRect rcScreen;
    GetWindowRect(hCtl, &rcScreen);
    if (!PointAt(hCtl))
        return nullptr;
    HCURSOR hSeen = nullptr;
    PumpUntil([&] {
        POINT p;
        GetCursorPos(&p);
        if (!PtInRect(&rcScreen, p))
            return false;
        hSeen = GetCursor();
        return hSeen == hExpected;
    });
    return hSeen;
}

// A real click on a control; nothing is clicked when the pointer cannot be brought over it.
bool ClickOn(HWND hCtl) {
    if (!PointAt(hCtl))
        return false;
    MouseLeftDown();
    MouseLeftUp();
    return true;
}

// ---- the recording program in place of the browser and the mail program --------------------------
std::string TestProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// The command of a URL protocol under HKEY_CLASSES_ROOT, set for the test's time.
class ScopedProtocolCommand {
public:
    ScopedProtocolCommand(const char* protocol, const std::string& command)
        : m_key(std::string(protocol) + "\\shell\\open\\command") {
        char buf[1024];
        LONG cb = sizeof buf;
        m_bHad = RegQueryValueA(HKEY_CLASSES_ROOT, m_key.c_str(), buf, &cb) == ERROR_SUCCESS;
        if (m_bHad)
            m_old = buf;
        RegSetValueA(HKEY_CLASSES_ROOT, m_key.c_str(), REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
    }
    ~ScopedProtocolCommand() {
        if (m_bHad)
            RegSetValueA(HKEY_CLASSES_ROOT, m_key.c_str(), REG_SZ, m_old.c_str(), static_cast<DWORD>(m_old.size()));
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, m_key.c_str());
    }

private:
    std::string m_key, m_old;
    bool m_bHad = false;
};

// The command line the recording program was started with, once it has written its record;
// empty when nothing was started in the time.
std::string WaitForCommandLine(const std::string& record, DWORD ms) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
        std::string s = ReadAll(record);
        size_t pEnd = s.find("\nend\n");
        if (pEnd != std::string::npos && s.compare(0, 8, "cmdline ") == 0)
            return s.substr(8, s.find('\n') - 8);
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return "";
        PumpFor(50);
    }
}

class AboutTest : public CleanRegistryTest {};
}  // namespace

// ---- the label ----------------------------------------------------------------------------------

TEST(LabelTest, SettersChainChangeTheFontAndRedrawAtOnce) {
    LabelHost host;
    CLabel& l = host.label;
    EXPECT_EQ(&l, &l.SetTextColor(RGB(255, 0, 0)).SetFontSize(20).SetFontBold(TRUE));
    // No message was pumped: the setters drew already.
    EXPECT_GT(host.Count(RGB(255, 0, 0)), 20);
    EXPECT_EQ(-20, l.GetLogFont().lfHeight);
    EXPECT_EQ(FW_BOLD, l.GetLogFont().lfWeight);
    l.SetFontBold(FALSE).SetFontItalic(TRUE).SetFontUnderline(TRUE);
    EXPECT_EQ(FW_NORMAL, l.GetLogFont().lfWeight);
    EXPECT_EQ(1, l.GetLogFont().lfItalic);
    EXPECT_EQ(1, l.GetLogFont().lfUnderline);
    l.SetFontName("Tahoma with a name far longer than thirty-one characters");
    EXPECT_EQ(31u, strlen(l.GetLogFont().lfFaceName));
    // The font drawn with is the one described.
    LOGFONTA lf = {};
    GetObjectA(l.GetLabelFont(), sizeof lf, &lf);
    EXPECT_EQ(-20, lf.lfHeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_EQ(1, lf.lfUnderline);
    l.SetText("changed");
    EXPECT_EQ(CString("changed"), l.GetWindowText());
}

TEST(LabelTest, TextIsTransparentOverTheFaceColourOrTheBackgroundSet) {
    LabelHost host;
    host.label.SetTextColor(kBlue);
    COLORREF face = GetSysColor(COLOR_3DFACE);
    int nFace = host.Count(face), nBlue = host.Count(kBlue);
    EXPECT_GT(nBlue, 20);
    EXPECT_GT(nFace, static_cast<int>(host.Pixels().size()) / 2);
    // A new background shows at the next paint, with the text still drawn over it.
    host.label.SetBkColor(RGB(255, 255, 0));
    EXPECT_EQ(0, host.Count(RGB(255, 255, 0)));
    host.label.RedrawWindow();
    EXPECT_GT(host.Count(RGB(255, 255, 0)), static_cast<int>(host.Pixels().size()) / 2);
    EXPECT_GT(host.Count(kBlue), 20);
}

TEST(LabelTest, OnlyALinkTakesTheMouse) {
    LabelHost host;
    CLabel& l = host.label;
    HWND h = l.m_hWnd;
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(h, WM_NCHITTEST, 0, 0));
    l.SetLink(TRUE);
    EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & SS_NOTIFY);
    CRect rc;
    GetWindowRect(h, &rc);
    EXPECT_EQ(HTCLIENT, SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(rc.left + 2, rc.top + 2)));
    l.SetLink(FALSE);
    EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & SS_NOTIFY);
    l.SetSunken(TRUE).SetBorder(TRUE);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_BORDER);
    l.SetSunken(FALSE).SetBorder(FALSE);
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_BORDER);
}

TEST(LabelTest, TextAndBackgroundFlashOnTheTimer) {
    LabelHost host;
    CLabel& l = host.label;
    l.FlashText(TRUE);
    SendMessageA(l.m_hWnd, WM_TIMER, 1, 0);
    EXPECT_EQ(CString(""), l.GetWindowText());
    SendMessageA(l.m_hWnd, WM_TIMER, 1, 0);
    EXPECT_EQ(CString("support@zentaro.example"), l.GetWindowText());
    SendMessageA(l.m_hWnd, WM_TIMER, 1, 0);
    l.FlashText(FALSE);  // stopped in the empty phase: the text comes back
    EXPECT_EQ(CString("support@zentaro.example"), l.GetWindowText());

    COLORREF red = RGB(255, 0, 0);
    l.SetBkColor(red).FlashBackground(TRUE);
    l.RedrawWindow();
    EXPECT_EQ(0, host.Count(red)) << "off phase: the face colour";
    SendMessageA(l.m_hWnd, WM_TIMER, 1, 0);
    EXPECT_GT(host.Count(red), static_cast<int>(host.Pixels().size()) / 2);
    SendMessageA(l.m_hWnd, WM_TIMER, 1, 0);
    EXPECT_EQ(0, host.Count(red));
    l.FlashBackground(FALSE);
    EXPECT_GT(host.Count(red), static_cast<int>(host.Pixels().size()) / 2);
}

TEST(LabelTest, ManyLabelsAndFontChangesLeakNothing) {
    { LabelHost warmUp; }
    int gdi = CountGdiObjects(), wnd = CountThreadWindows();
    for (int i = 0; i < 30; ++i) {
        LabelHost host;
        for (int size = 8; size < 20; ++size)
            host.label.SetFontSize(size).SetFontBold(size % 2).SetBkColor(RGB(size, 0, 0));
    }
    PumpFor(50);
    EXPECT_LE(CountGdiObjects(), gdi + 1);
    EXPECT_EQ(wnd, CountThreadWindows());
}

// ---- the About box ------------------------------------------------------------------------------

TEST_F(AboutTest, HelpCommandShowsTheBoxWithItsTexts) {
    RunningApp run;
    ASSERT_TRUE(run.started());
    std::vector<std::string> texts;
    std::string home, support, phone, fax, exitText;
    AboutUser user([&](HWND h) {
        texts = StaticTexts(h);
        home = ItemText(h, IDC_ABOUT_HOMEPAGE);
        support = ItemText(h, IDC_ABOUT_SUPPORT);
        phone = ItemText(h, IDC_ABOUT_TELEPHONE);
        fax = ItemText(h, IDC_ABOUT_FACSIMILE);
        exitText = ItemText(h, IDOK);
        SendMessageA(GetDlgItem(h, IDOK), BM_CLICK, 0, 0);
    });
    user.RunCommand(run.frame());
    ASSERT_TRUE(user.ran());
    EXPECT_EQ(nullptr, FindAbout());
    ASSERT_EQ(10u, texts.size());
    EXPECT_EQ("Morvane Version 1.52 for WIN98|ME|NT|2000|XP", texts[0].substr(0, texts[0].find('\n')));
    EXPECT_EQ("Copyright (C) 2004 ZENTARO. All rights reserved.", texts[0].substr(texts[0].find('\n') + 1));
    EXPECT_EQ(std::string(70, '-'), texts[1]);
    EXPECT_EQ("ZENTARO Homepage:", texts[2]);
    EXPECT_EQ("Technical Support:", texts[4]);
    EXPECT_EQ("Contact Telephone:", texts[6]);
    EXPECT_EQ("Contact Facsimile:", texts[8]);
    EXPECT_EQ(CLabel::s_szHomePage, home);
    EXPECT_EQ("http://morvane.zentaro.example/", home);
    EXPECT_EQ("support@zentaro.example", support);
    EXPECT_EQ("+1-555-0152", phone);
    EXPECT_EQ("+1-555-0153", fax);
    EXPECT_EQ("Exit", exitText);
}

TEST_F(AboutTest, ValuesAreBlueUnderlinedAndOnlyTheLinksShowTheHand) {
    RunningApp run;
    CAboutDlg dlg;
    HCURSOR hand = LoadCursor(nullptr, IDC_HAND), arrow = LoadCursor(nullptr, IDC_ARROW);
    struct Row {
        int nID;
        bool bLink;
        int nBlue = 0;
        bool bUnderlineRow = false;
        HCURSOR hCursor = nullptr;
    } rows[] = {{IDC_ABOUT_HOMEPAGE, true},
                {IDC_ABOUT_SUPPORT, true},
                {IDC_ABOUT_TELEPHONE, false},
                {IDC_ABOUT_FACSIMILE, false}};
    HCURSOR hOverExit = nullptr;
    AboutUser user([&](HWND h) {
        for (Row& r : rows) {
            HWND hCtl = GetDlgItem(h, r.nID);
            CRect rc;
            GetWindowRect(hCtl, &rc);
            std::vector<COLORREF> px = ScreenColours(rc);
            int w = rc.Width();
            int nLongestRow = 0;
            for (int y = 0; y < rc.Height(); ++y) {
                int nRun = 0;
                for (int x = 0; x < w; ++x) {
                    bool blue = px[y * w + x] == kBlue;
                    r.nBlue += blue;
                    nRun = blue ? nRun + 1 : 0;
                    nLongestRow = std::max(nLongestRow, nRun);
                }
            }
            // The underline: one unbroken blue line under the whole text.
            r.bUnderlineRow = nLongestRow >= 40;
            r.hCursor = CursorOver(hCtl, r.bLink ? hand : arrow);
        }
        hOverExit = CursorOver(GetDlgItem(h, IDOK), arrow);
    });
    user.Run(dlg);
    ASSERT_TRUE(user.ran());
    for (const Row& r : rows) {
        EXPECT_GT(r.nBlue, 60) << r.nID;
        EXPECT_TRUE(r.bUnderlineRow) << r.nID;
        EXPECT_EQ(r.bLink ? hand : arrow, r.hCursor) << r.nID;
    }
    EXPECT_EQ(arrow, hOverExit);
    for (CLabel* l : {&dlg.m_lblHomePage, &dlg.m_lblSupport, &dlg.m_lblTelephone, &dlg.m_lblFacsimile}) {
        EXPECT_EQ(kBlue, l->GetTextColor());
        EXPECT_EQ(-12, l->GetLogFont().lfHeight);
        EXPECT_EQ(1, l->GetLogFont().lfUnderline);
    }
}

TEST_F(AboutTest, LinksStartTheBrowserAndAMailMessageTheOtherValuesNothing) {
    RunningApp run;
    std::string recorder = "\"" + TestProgramFolder() + "launch_recorder.exe\" \"%1\"";
    ScopedProtocolCommand http("http", recorder);
    ScopedProtocolCommand mailto("mailto", recorder);
    std::string folder = MakeTempFolder("about-links");
    std::string record = folder + "record.txt";
    SetEnvironmentVariableA("LAUNCH_RECORD", record.c_str());
    std::string home, mail, phone, fax;
    CAboutDlg dlg;
    AboutUser user([&](HWND h) {
        EXPECT_TRUE(ClickOn(GetDlgItem(h, IDC_ABOUT_HOMEPAGE)));
        home = WaitForCommandLine(record, 60000);
        DeleteFileA(record.c_str());
        EXPECT_TRUE(ClickOn(GetDlgItem(h, IDC_ABOUT_SUPPORT)));
        mail = WaitForCommandLine(record, 60000);
        DeleteFileA(record.c_str());
        EXPECT_TRUE(ClickOn(GetDlgItem(h, IDC_ABOUT_TELEPHONE)));
        EXPECT_TRUE(ClickOn(GetDlgItem(h, IDC_ABOUT_FACSIMILE)));
        phone = WaitForCommandLine(record, 3000);
        // Escape closes the box.
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
    });
    INT_PTR r = user.Run(dlg);
    SetEnvironmentVariableA("LAUNCH_RECORD", nullptr);
    ASSERT_TRUE(user.ran());
    EXPECT_NE(std::string::npos, home.find("\"http://morvane.zentaro.example/\"")) << home;
    EXPECT_NE(std::string::npos, mail.find("\"mailto:support@zentaro.example\"")) << mail;
    EXPECT_EQ("", phone) << "a click on the telephone or fax value starts nothing";
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ(nullptr, FindAbout());
}

TEST_F(AboutTest, ExitClosesAndTheBoxLeaksNothing) {
    RunningApp run;
    auto once = [] {
        CAboutDlg dlg;
        AboutUser user([](HWND h) { SendMessageA(GetDlgItem(h, IDOK), BM_CLICK, 0, 0); });
        return user.Run(dlg);
    };
    EXPECT_EQ(IDOK, once());
    PumpFor(50);
    int gdi = CountGdiObjects(), wnd = CountThreadWindows();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(IDOK, once());
    PumpFor(50);
    EXPECT_LE(CountGdiObjects(), gdi + 2);
    EXPECT_EQ(wnd, CountThreadWindows());
}
