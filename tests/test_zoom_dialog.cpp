// The Zoom dialog driven as a user drives it, from a second thread while the program's thread
// runs the dialog: typing, Escape, Enter, the Apply button under the mouse, its tooltip, the
// range and integer messages, and the ratio that reaches the command.
#include "AppFixture.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "dialogs/ZoomDlg.h"

namespace {
// The Zoom dialog, or any other dialog (a message box), shown by this process.
HWND FindDialog(bool bZoomDialog) {
    return FindProcessDialog([=](HWND h) { return (GetDlgItem(h, IDC_ZOOM_RATIO) != nullptr) == bZoomDialog; });
}

std::string TextOf(HWND h) {
    char buf[256] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

// A user at the Zoom dialog, on a thread of its own. The steps run once the dialog shows; the
// message boxes that come up meanwhile are read and answered with OK. Whatever happens, the
// dialog is closed at the end so the program's thread comes back.
class DialogUser {
public:
    explicit DialogUser(std::function<void(DialogUser&)> steps) : m_steps(std::move(steps)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~DialogUser() { Join(); }
    void Join() {
        if (m_thread.joinable())
            m_thread.join();
    }

    // For the steps.
    HWND dialog() const { return m_hDialog; }
    HWND edit() const { return GetDlgItem(m_hDialog, IDC_ZOOM_RATIO); }
    std::string EditText() { return TextOf(edit()); }
    void SelectAll() { PostMessageA(edit(), EM_SETSEL, 0, -1); }
    // Types characters into the box and waits until it shows the expected text.
    bool Type(const char* chars, const std::string& expected) {
        for (const char* p = chars; *p; ++p)
            PostMessageA(edit(), WM_CHAR, static_cast<unsigned char>(*p), 1);
        return WaitFor([&] { return EditText() == expected; });
    }
    void Backspace() {
        PostMessageA(edit(), WM_KEYDOWN, VK_BACK, 1);
        PostMessageA(edit(), WM_CHAR, '\b', 1);
        PostMessageA(edit(), WM_KEYUP, VK_BACK, 0xC0000001);
    }
    void PressKey(WPARAM vk) {
        PostMessageA(edit(), WM_KEYDOWN, vk, 1);
        PostMessageA(edit(), WM_KEYUP, vk, 0xC0000001);
    }
    void CloseBox() { PostMessageA(m_hDialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
    // The mouse on the Apply button (client point of the button).
    POINT MouseOnApply(int x, int y) {
        POINT p = {x, y};
        ClientToScreen(GetDlgItem(m_hDialog, IDOK), &p);
        SendPointer(p.x, p.y);
        Sleep(100);
        return p;
    }
    void ClickApply() {
        MouseOnApply(20, 8);
        POINT p = MouseOnApply(21, 9);
        SendPointer(p.x, p.y, MOUSEEVENTF_LEFTDOWN);
        Sleep(150);
        SendPointer(p.x, p.y, MOUSEEVENTF_LEFTUP);
    }
    bool WaitFor(const std::function<bool()>& condition, DWORD ms = 8000) {
        DWORD end = GetTickCount() + ms;
        while (!condition()) {
            AnswerBoxes();
            if (static_cast<LONG>(end - GetTickCount()) <= 0)
                return false;
            Sleep(20);
        }
        return true;
    }
    // Waits until the dialog is gone, answering message boxes meanwhile.
    bool WaitClosed() {
        return WaitFor([&] { return !IsWindow(m_hDialog) || !IsWindowVisible(m_hDialog); });
    }

    // Results, read after Join.
    bool sawDialog() const { return m_hDialog != nullptr; }
    std::vector<std::string> boxTexts;
    std::vector<std::string> boxCaptions;
    std::string initialText;
    bool ownerDisabled = false;
    bool stepsDone = false;

private:
    void AnswerBoxes() {
        HWND hBox = FindDialog(false);
        if (!hBox)
            return;
        boxTexts.push_back(TextOf(GetDlgItem(hBox, 0xFFFF)));
        boxCaptions.push_back(TextOf(hBox));
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 300 && IsWindow(hBox) && IsWindowVisible(hBox); ++i)
            Sleep(10);
    }
    void Run() {
        m_hDialog = WaitForDialog([](HWND h) { return GetDlgItem(h, IDC_ZOOM_RATIO) != nullptr; });
        if (!m_hDialog)
            return;
        initialText = EditText();
        HWND hOwner = GetWindow(m_hDialog, GW_OWNER);
        ownerDisabled = hOwner && !IsWindowEnabled(hOwner);
        m_steps(*this);
        stepsDone = true;
        if (!WaitClosed()) {
            PostMessageA(m_hDialog, WM_COMMAND, IDCANCEL, 0);
            WaitClosed();
        }
    }

    std::function<void(DialogUser&)> m_steps;
    HWND m_hDialog = nullptr;
    std::thread m_thread;
};

class ZoomDialogTest : public AppTest {
protected:
    ZoomDialogTest() : AppTest(AppStart().Folder("zoom")) {}
    void SetUp() override {
        AppTest::SetUp();
        SizeView(600, 400);
        Show(WritePicture("small.bmp", 100, 80, [](int x, int) { return x < 50 ? RGB(200, 0, 0) : RGB(0, 0, 200); }));
        ASSERT_DOUBLE_EQ(1.0, g_dZoom);
    }
    // Zoom... as the menu sends it, with a user at the dialog.
    void RunDialog(DialogUser& user) {
        Command(ID_VIEW_ZOOM);
        user.Join();
        ASSERT_TRUE(user.sawDialog());
        EXPECT_TRUE(user.stepsDone);
        EXPECT_EQ("0", user.initialText);  // the box always opens at 0
        EXPECT_TRUE(user.ownerDisabled);
        EXPECT_TRUE(run->frame()->IsWindowEnabled());
        EXPECT_EQ(nullptr, FindDialog(true));
    }
};
}  // namespace

TEST_F(ZoomDialogTest, TypedRatioReachesTheCommandThroughEscape) {
    DialogUser user([](DialogUser& u) {
        u.SelectAll();
        EXPECT_TRUE(u.Type("250", "250"));
        u.PressKey(VK_ESCAPE);
    });
    RunDialog(user);
    EXPECT_EQ(250, run->app().m_nZoomPercent);
    EXPECT_DOUBLE_EQ(2.5, g_dZoom);
    EXPECT_EQ(1, g_bManualZoom);
    EXPECT_EQ((600 - 250) / 2, g_nDrawX);
    EXPECT_EQ(CString("250.00%"), Pane(4));
    EXPECT_TRUE(user.boxTexts.empty());
    // Drawn at 2.5: 250 x 200 in the middle, red left, blue right.
    EXPECT_EQ(COLORREF(RGB(200, 0, 0)), At(200, 200));
    EXPECT_EQ(COLORREF(RGB(0, 0, 200)), At(400, 200));
    EXPECT_EQ(kViewGrey, At(170, 200));

    // The next use closed at once by Escape applies 250 again; the box showed 0 all the same.
    Command(ID_VIEW_ZOOMIN);
    ASSERT_DOUBLE_EQ(5.0, g_dZoom);
    DialogUser again([](DialogUser& u) { u.PressKey(VK_ESCAPE); });
    RunDialog(again);
    EXPECT_DOUBLE_EQ(2.5, g_dZoom);
    EXPECT_EQ(CString("250.00%"), Pane(4));

    // So does the close box.
    Command(ID_ZOOM_100);
    DialogUser closer([](DialogUser& u) { u.CloseBox(); });
    RunDialog(closer);
    EXPECT_DOUBLE_EQ(2.5, g_dZoom);
}

TEST_F(ZoomDialogTest, FirstUseClosedAtOnceOnlySwitchesAutoZoomOff) {
    ASSERT_EQ(0, run->app().m_nZoomPercent);
    DialogUser user([](DialogUser& u) { u.PressKey(VK_ESCAPE); });
    RunDialog(user);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);
    EXPECT_EQ(1, g_bManualZoom);
    EXPECT_FALSE(AutoZoomChecked());
    EXPECT_TRUE(user.boxTexts.empty());
}

TEST_F(ZoomDialogTest, RatioOutOfRangeOnApplyShowsTheMessageAndKeepsTheZoom) {
    Command(ID_ZOOM_150);
    DialogUser user([](DialogUser& u) {
        u.SelectAll();
        EXPECT_TRUE(u.Type("3000", "3000"));
        u.ClickApply();
    });
    RunDialog(user);
    ASSERT_EQ(1u, user.boxTexts.size());
    EXPECT_EQ("Zoom ratio is between 5% and 1600%", user.boxTexts[0]);
    EXPECT_EQ(std::string(run->app().m_strAppName), user.boxCaptions[0]);
    EXPECT_EQ(3000, run->app().m_nZoomPercent);
    EXPECT_DOUBLE_EQ(1.5, g_dZoom);
    EXPECT_EQ(CString("150.00%"), Pane(4));
}

TEST_F(ZoomDialogTest, EnterConfirmsLikeApply) {
    DialogUser low([](DialogUser& u) {
        u.SelectAll();
        EXPECT_TRUE(u.Type("4", "4"));
        u.PressKey(VK_RETURN);
    });
    RunDialog(low);
    ASSERT_EQ(1u, low.boxTexts.size());
    EXPECT_EQ("Zoom ratio is between 5% and 1600%", low.boxTexts[0]);
    EXPECT_DOUBLE_EQ(1.0, g_dZoom);

    DialogUser good([](DialogUser& u) {
        u.SelectAll();
        EXPECT_TRUE(u.Type("1600", "1600"));
        u.PressKey(VK_RETURN);
    });
    RunDialog(good);
    EXPECT_TRUE(good.boxTexts.empty());
    EXPECT_DOUBLE_EQ(16.0, g_dZoom);
    EXPECT_EQ(CString("1600.00%"), Pane(4));
    EXPECT_TRUE(PanX() && PanY());
}

TEST_F(ZoomDialogTest, EmptyBoxAsksForAnIntegerAndKeepsTheLastNumber) {
    DialogUser user([](DialogUser& u) {
        u.SelectAll();
        EXPECT_TRUE(u.Type("5", "5"));
        u.Backspace();
        EXPECT_TRUE(u.WaitFor([&] { return u.EditText().empty() && !u.boxTexts.empty(); }));
        u.PressKey(VK_ESCAPE);
    });
    RunDialog(user);
    ASSERT_EQ(1u, user.boxTexts.size());
    EXPECT_EQ("Please enter an integer.", user.boxTexts[0]);
    EXPECT_EQ(5, run->app().m_nZoomPercent);
    EXPECT_DOUBLE_EQ(0.05, g_dZoom);
    EXPECT_EQ(CString("5.00%"), Pane(4));
}

TEST_F(ZoomDialogTest, ApplyButtonShowsItsIconAndTooltip) {
    std::string tip;
    bool bGreen = false;
    bool bOwnerDraw = false;
    DialogUser user([&](DialogUser& u) {
        HWND hApply = GetDlgItem(u.dialog(), IDOK);
        bOwnerDraw = (GetWindowLongA(hApply, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
        RECT rc;
        GetClientRect(hApply, &rc);
        // The icon's green, once the dialog has painted.
        u.WaitFor([&] {
            ScreenGrab px(hApply, rc);
            for (int y = 0; y < px.height(); ++y)
                for (int x = 0; x < 36 && x < px.width(); ++x) {
                    COLORREF c = px.at(x, y);
                    if (GetGValue(c) > 100 && GetRValue(c) < 60 && GetBValue(c) < 60)
                        bGreen = true;
                }
            return bGreen;
        });
        u.MouseOnApply(10, 5);
        u.MouseOnApply(12, 6);
        u.WaitFor([&] {
            struct Tip {
                static BOOL CALLBACK Proc(HWND h, LPARAM lp) {
                    char cls[64] = "";
                    DWORD pid = 0;
                    GetWindowThreadProcessId(h, &pid);
                    if (pid == GetCurrentProcessId() && IsWindowVisible(h) && GetClassNameA(h, cls, sizeof cls) &&
                        lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) {
                        *reinterpret_cast<std::string*>(lp) = TextOf(h);
                        return FALSE;
                    }
                    return TRUE;
                }
            };
            EnumWindows(Tip::Proc, reinterpret_cast<LPARAM>(&tip));
            return !tip.empty();
        });
        u.PressKey(VK_ESCAPE);
    });
    RunDialog(user);
    EXPECT_TRUE(bOwnerDraw);
    EXPECT_TRUE(bGreen);
    EXPECT_EQ("Apply", tip);
}

TEST_F(ZoomDialogTest, OpeningAndClosingLeavesNoHandles) {
    auto once = [this] {
        DialogUser user([](DialogUser& u) {
            u.SelectAll();
            u.Type("75", "75");
            u.PressKey(VK_ESCAPE);
        });
        RunDialog(user);
    };
    once();  // whatever the first dialog makes for good
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < 5; ++i)
        once();
    EXPECT_DOUBLE_EQ(0.75, g_dZoom);
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_EQ(windows, CountThreadWindows());
}
