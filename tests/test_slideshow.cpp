// The slide show in the running program: Start/Stop and its check mark, the ticks stepping
// through a folder and wrapping, the delay read from the registry at the start, the command
// refused for a folder of one picture, ticks behind a modal dialog, and a capture meanwhile.
#include "AppFixture.h"

#include <algorithm>

#include "dialogs/SlideSetupDlg.h"
#include "picture/PictureCache.h"

namespace {
const COLORREF kColours[] = {RGB(200, 30, 30), RGB(30, 200, 30), RGB(30, 30, 200)};
const char* const kNames[] = {"a.bmp", "b.bmp", "c.bmp"};
void WriteSlideTimer(DWORD nValue) {
    ASSERT_TRUE(WriteMorvaneDword("SLIDE", "timer", nValue));
}

class SlideShowTest : public AppTest {
protected:
    // A folder of this program's own: test programs of other areas may run at the same time and
    // empty theirs.
    SlideShowTest() : AppTest(AppStart().Folder("slideshow")) {}
    // A folder of three plain pictures, opened at the first.
    void OpenThree() {
        for (int i = 0; i < 3; ++i) {
            COLORREF c = kColours[i];
            WritePicture(kNames[i], 120, 80, [c](int, int) { return c; });
        }
        view->OpenChosenFile((m_strFolder + "a.bmp").c_str(), "a.bmp");
        PumpNow();
        view->UpdateWindow();
        ASSERT_EQ(0, g_nFileIndex);
        ASSERT_EQ(3, g_fileList.GetSize());
    }
    // A tick of the show's timer as the system delivers it.
    void Tick() {
        view->SendMessage(WM_TIMER, 1, 0);
        view->UpdateWindow();
        PumpNow();
    }
    COLORREF Middle() {
        CRect rc;
        view->GetClientRect(&rc);
        return At(rc.Width() / 2, rc.Height() / 2);
    }
    // State of Start/Stop in the Tools menu as the update handlers leave it when it opens.
    UINT MenuState() {
        HMENU hTools = GetSubMenu(run->frame()->GetMenu(), 3);
        run->frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hTools), 3);
        return GetMenuState(hTools, ID_TOOLS_SLIDESTARTSTOP, MF_BYCOMMAND);
    }
    bool MenuChecked() { return (MenuState() & MF_CHECKED) != 0; }
    bool MenuEnabled() { return (MenuState() & (MF_GRAYED | MF_DISABLED)) == 0; }
    // The toolbar button after the idle update.
    LRESULT ButtonState() {
        PumpNow();
        return run->frame()->m_wndToolBar.SendMessage(TB_GETSTATE, ID_TOOLS_SLIDESTARTSTOP, 0);
    }
    bool Running() { return g_bSlideStopped == 0; }
};

// Runs a modal loop while a thread timer watches it: each tick calls the step, which returns true
// when it is done (and has closed whatever it opened).
class TickWatcher {
public:
    explicit TickWatcher(std::function<bool()> step) : m_step(std::move(step)) {
        s_pActive = this;
        m_nTimer = SetTimer(nullptr, 0, 50, OnTimer);
    }
    ~TickWatcher() {
        KillTimer(nullptr, m_nTimer);
        s_pActive = nullptr;
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (s_pActive && !s_pActive->m_bDone)
            s_pActive->m_bDone = s_pActive->m_step();
    }
    static TickWatcher* s_pActive;
    std::function<bool()> m_step;
    bool m_bDone = false;
    UINT_PTR m_nTimer = 0;
};
TickWatcher* TickWatcher::s_pActive = nullptr;

HWND FindSlideDialog() {
    return FindProcessDialog([](HWND h) { return GetDlgItem(h, IDC_SLIDE_SLIDER) != nullptr; });
}
}  // namespace

TEST_F(SlideShowTest, TicksShowTheNextPictureAndWrapToTheFirst) {
    OpenThree();
    EXPECT_EQ(kColours[0], Middle());
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_TRUE(Running());
    EXPECT_EQ(0, g_nFileIndex);  // the first step waits for the first tick

    const int expected[] = {1, 2, 0, 1};
    for (int n : expected) {
        Tick();
        EXPECT_EQ(n, g_nFileIndex);
        CString s;
        s.Format("%d in 3", n + 1);
        EXPECT_EQ(s, Pane(5));
        EXPECT_EQ(CString(kNames[n]), Pane(1));
        EXPECT_EQ(kColours[n], Middle());
    }

    // Stopped, the picture stays, and a tick that was on its way changes nothing.
    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_FALSE(Running());
    Tick();
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_EQ(kColours[1], Middle());
}

TEST_F(SlideShowTest, TheCheckMarkFollowsTheShowInTheMenuAndOnTheToolbar) {
    OpenThree();
    EXPECT_TRUE(MenuEnabled());
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(0, ButtonState() & TBSTATE_CHECKED);
    EXPECT_NE(0, ButtonState() & TBSTATE_ENABLED);

    // Started from the toolbar button as a click sends it.
    run->frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_SLIDESTARTSTOP, BN_CLICKED),
                              reinterpret_cast<LPARAM>(run->frame()->m_wndToolBar.m_hWnd));
    PumpNow();
    EXPECT_TRUE(Running());
    EXPECT_TRUE(MenuChecked());
    EXPECT_NE(0, ButtonState() & TBSTATE_CHECKED);

    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_FALSE(Running());
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(0, ButtonState() & TBSTATE_CHECKED);
}

TEST_F(SlideShowTest, AFolderOfOnePictureDisablesStartStopAfterOneOfSeveral) {
    OpenThree();
    ASSERT_TRUE(MenuEnabled());
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_TRUE(Running());

    std::string single = MakeTempFolder("slide_single");
    WriteFile(single + "only.bmp", MakeBmp(50, 50, [](int, int) { return RGB(10, 10, 10); }));
    view->OpenChosenFile((single + "only.bmp").c_str(), "only.bmp");
    PumpNow();
    EXPECT_FALSE(MenuEnabled());
    EXPECT_EQ(0, ButtonState() & TBSTATE_ENABLED);
    // Still running until the next tick, but a disabled command carries no check mark.
    EXPECT_TRUE(Running());
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(0, ButtonState() & TBSTATE_CHECKED);

    // The show that ran cannot be stopped by the user any more: its next tick ends it.
    Tick();
    EXPECT_FALSE(Running());
    EXPECT_EQ(0, g_nFileIndex);
    EXPECT_EQ(CString("only.bmp"), Pane(1));
    // And the refused command does not start it again.
    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_FALSE(Running());
}

TEST_F(SlideShowTest, TicksStepOverPicturesThatCannotBeShownAndDropFilesThatAreGone) {
    // a, c and d are pictures, b is not.
    WritePicture("a.bmp", 120, 80, [](int, int) { return kColours[0]; });
    WriteFile(m_strFolder + "b.bmp", "no picture at all");
    WritePicture("c.bmp", 120, 80, [](int, int) { return kColours[1]; });
    WritePicture("d.bmp", 120, 80, [](int, int) { return kColours[2]; });
    view->OpenChosenFile((m_strFolder + "a.bmp").c_str(), "a.bmp");
    PumpNow();
    ASSERT_EQ(4, g_fileList.GetSize());
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_TRUE(Running());

    struct Step {
        const char* gone;  // deleted before the tick
        int index, count;
        const char* name;
        COLORREF colour;
    } steps[] = {
        {nullptr, 2, 4, "c.bmp", kColours[1]},  // b stepped over
        {"d.bmp", 0, 3, "a.bmp", kColours[0]},  // d left the list, the show wrapped
        {nullptr, 2, 3, "c.bmp", kColours[1]},
    };
    for (const Step& st : steps) {
        if (st.gone) {
            ASSERT_TRUE(DeleteFileA((m_strFolder + st.gone).c_str()));
        }
        Tick();
        EXPECT_EQ(st.index, g_nFileIndex) << st.name;
        EXPECT_EQ(st.count, g_fileList.GetSize()) << st.name;
        CString s;
        s.Format("%d in %d", st.index + 1, st.count);
        EXPECT_EQ(s, Pane(5));
        EXPECT_EQ(CString(st.name), Pane(1));
        EXPECT_EQ(120, g_nImageWidth) << st.name;
        EXPECT_NE(CString("? kB"), Pane(2));
        EXPECT_EQ(st.colour, Middle()) << st.name;
        EXPECT_TRUE(Running());
    }
    Command(ID_TOOLS_SLIDESTARTSTOP);
}

TEST_F(SlideShowTest, OneTickTriesEachEntryOnceAndStopsWhenNothingCanBeShown) {
    struct Case {
        const char* what;
        const char* folderName;
        bool bOthersUnreadable;  // b and c are no pictures; otherwise they are deleted too
        bool bShownGone;         // a is deleted
        bool bRunsOn;
        int nCountAfter;
    } cases[] = {
        {"only the shown one can be shown", "slide_only", true, false, true, 3},
        {"the shown one gone, the others unreadable", "slide_unreadable", true, true, false, 2},
        {"every file gone", "slide_gone", false, true, false, 0},
    };
    for (const Case& c : cases) {
        std::string sub = MakeTempFolder(c.folderName);
        WriteFile(sub + "a.bmp", MakeBmp(60, 40, [](int, int) { return kColours[0]; }));
        WriteFile(sub + "b.bmp", "no picture");
        WriteFile(sub + "c.bmp", "no picture either");
        view->OpenChosenFile((sub + "a.bmp").c_str(), "a.bmp");
        PumpNow();
        ASSERT_EQ(3, g_fileList.GetSize()) << c.what;
        if (!Running())
            Command(ID_TOOLS_SLIDESTARTSTOP);
        ASSERT_TRUE(Running()) << c.what;
        if (!c.bOthersUnreadable) {
            DeleteFileA((sub + "b.bmp").c_str());
            DeleteFileA((sub + "c.bmp").c_str());
        }
        if (c.bShownGone)
            DeleteFileA((sub + "a.bmp").c_str());

        int nDecodes = view->m_pPicture->Decodes();
        Tick();
        EXPECT_LE(view->m_pPicture->Decodes() - nDecodes, 3) << c.what;
        EXPECT_EQ(c.bRunsOn, Running()) << c.what;
        EXPECT_EQ(c.nCountAfter, g_fileList.GetSize()) << c.what;
        EXPECT_GE(g_nFileIndex, 0) << c.what;
        EXPECT_LE(g_nFileIndex, std::max(0, c.nCountAfter - 1)) << c.what;
        CString s;
        s.Format("%d in %d", g_nFileIndex + 1, c.nCountAfter);
        EXPECT_EQ(s, Pane(5)) << c.what;
        if (c.bRunsOn) {
            EXPECT_EQ(0, g_nFileIndex);
            EXPECT_EQ(60, g_nImageWidth);
            EXPECT_EQ(kColours[0], Middle());
        } else {
            EXPECT_FALSE(MenuChecked()) << c.what;
        }
    }
    if (Running())
        Command(ID_TOOLS_SLIDESTARTSTOP);
}

TEST_F(SlideShowTest, TheDelayIsReadAtTheStart) {
    EXPECT_EQ(5u, ReadSlideDelay());  // missing
    OpenThree();

    // 100 tenths: nothing within a second and a half.
    WriteSlideTimer(100);
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_TRUE(Running());
    PumpFor(1500);
    EXPECT_EQ(0, g_nFileIndex);
    Command(ID_TOOLS_SLIDESTARTSTOP);

    // 0 stands for 5: the real timer steps (however slow this machine is, within 20 s).
    WriteSlideTimer(0);
    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_TRUE(PumpUntil([] { return g_nFileIndex == 1; }, 20000));
    Command(ID_TOOLS_SLIDESTARTSTOP);

    // A value no slider gives: the interval is held at the largest a timer takes, never wrapped
    // to a short or zero one.
    WriteSlideTimer(0xFFFFFFFF);
    int nIndex = g_nFileIndex;
    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_TRUE(Running());
    PumpFor(1000);
    EXPECT_EQ(nIndex, g_nFileIndex);
    Command(ID_TOOLS_SLIDESTARTSTOP);
}

TEST(SlideInterval, IsTheDelayInMillisecondsHeldAtTheTimersLimit) {
    EXPECT_EQ(500u, SlideIntervalMs(5));
    EXPECT_EQ(10000u, SlideIntervalMs(100));
    EXPECT_EQ(25000u, SlideIntervalMs(250));
    EXPECT_EQ(500u, SlideIntervalMs(0));
    EXPECT_EQ(0x7FFFFFFFu, SlideIntervalMs(21474837));  // the first whose product is too large
    EXPECT_EQ(2147483600u, SlideIntervalMs(21474836));
    EXPECT_EQ(0x7FFFFFFFu, SlideIntervalMs(0xFFFFFFFF));
    EXPECT_EQ(CString("429496729500"), SlideDelayText(0xFFFFFFFF));
}

TEST_F(SlideShowTest, TicksGoOnBehindAModalDialog) {
    OpenThree();
    Command(ID_TOOLS_SLIDESTARTSTOP);
    bool bSeen = false;
    int nIndexWhileOpen = 0;
    DWORD end = GetTickCount() + 20000;
    {
        TickWatcher watch([&] {
            HWND h = FindSlideDialog();
            if (h)
                bSeen = true;
            if (!h || (g_nFileIndex == 0 && static_cast<LONG>(end - GetTickCount()) > 0))
                return false;
            nIndexWhileOpen = g_nFileIndex;
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        Command(ID_TOOLS_SLIDESETUP);
    }
    EXPECT_TRUE(bSeen);
    EXPECT_EQ(1, nIndexWhileOpen);
    EXPECT_TRUE(Running());
    Command(ID_TOOLS_SLIDESTARTSTOP);
    DWORD value;
    EXPECT_FALSE(ReadMorvaneDword("SLIDE", "timer", &value));  // cancelled: nothing stored
}

TEST_F(SlideShowTest, ACaptureStopsTheShowAndALateTickLeavesTheCaptureShown) {
    OpenThree();
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_TRUE(Running());
    Command(ID_TOOLS_CAPTURESCREEN);
    EXPECT_FALSE(Running());
    EXPECT_EQ(1, run->app().m_bScreenCaptured);
    EXPECT_FALSE(MenuEnabled());
    EXPECT_FALSE(MenuChecked());

    Tick();
    EXPECT_EQ(0, g_nFileIndex);
    EXPECT_EQ(1, run->app().m_bScreenCaptured);
    EXPECT_EQ(CString(" Capture is ok!"), Pane(1));
    EXPECT_GT(g_nImageWidth, 0);  // the capture is what the view draws
}
