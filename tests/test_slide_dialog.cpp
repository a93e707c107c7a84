// The Slide View dialog driven from inside its own modal loop: its texts and controls, the
// slider's range and position from the registry, the milliseconds box following the slider as
// the keys move it, and what Apply and Cancel leave in the registry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "dialogs/SlideSetupDlg.h"
#include "res/resource.h"

namespace {
void WriteSlideTimer(DWORD nValue) {
    ASSERT_TRUE(WriteMorvaneDword("SLIDE", "timer", nValue));
}

std::string Text(HWND h) {
    char buf[256] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

// What the dialog showed, and what the user did, read inside the dialog's loop.
struct Seen {
    bool bShown = false;
    std::string caption, group, unit, apply, cancel;
    int nMin = -1, nMax = -1, nPos = -1;
    std::string text;                // the box when the dialog came up
    std::vector<std::string> moved;  // the box after each key
    DWORD editStyle = 0, sliderStyle = 0, applyStyle = 0, cancelStyle = 0;
};

// The dialog's driver: state shared with the thread timer that acts inside the dialog's loop.
Seen* s_pSeen = nullptr;
std::vector<WPARAM> s_keys;
int s_nClose = IDCANCEL;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR, DWORD) {
    Seen* p = s_pSeen;
    if (!p || p->bShown)
        return;
    HWND h = FindReadyDialog([](HWND w) { return GetDlgItem(w, IDC_SLIDE_SLIDER) != nullptr; });
    if (!h)
        return;
    p->bShown = true;
    HWND hSlider = GetDlgItem(h, IDC_SLIDE_SLIDER), hEdit = GetDlgItem(h, IDC_SLIDE_DELAY);
    p->caption = Text(h);
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        std::string t = Text(c);
        if (t == "Delay Time")
            p->group = t;
        if (t == "miliseconds")
            p->unit = t;
    }
    p->apply = Text(GetDlgItem(h, IDOK));
    p->cancel = Text(GetDlgItem(h, IDCANCEL));
    p->nMin = static_cast<int>(SendMessageA(hSlider, TBM_GETRANGEMIN, 0, 0));
    p->nMax = static_cast<int>(SendMessageA(hSlider, TBM_GETRANGEMAX, 0, 0));
    p->nPos = static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0));
    p->text = Text(hEdit);
    p->editStyle = GetWindowLongA(hEdit, GWL_STYLE);
    p->sliderStyle = GetWindowLongA(hSlider, GWL_STYLE);
    p->applyStyle = GetWindowLongA(GetDlgItem(h, IDOK), GWL_STYLE);
    p->cancelStyle = GetWindowLongA(GetDlgItem(h, IDCANCEL), GWL_STYLE);
    // The keys a user presses on the trackbar; it tells the dialog by WM_HSCROLL.
    for (WPARAM vk : s_keys) {
        SendMessageA(hSlider, WM_KEYDOWN, vk, 1);
        SendMessageA(hSlider, WM_KEYUP, vk, 0xC0000001);
        p->moved.push_back(Text(hEdit));
    }
    SendMessageA(GetDlgItem(h, s_nClose), BM_CLICK, 0, 0);
}

// Runs the dialog (through the command when bCommand is set, else directly), presses the
// trackbar keys one after the other, then the button nClose (IDOK or IDCANCEL).
Seen RunDialog(bool bCommand, std::vector<WPARAM> keys, int nClose) {
    Seen seen;
    s_pSeen = &seen;
    s_keys = std::move(keys);
    s_nClose = nClose;
    UINT_PTR nTimer = SetTimer(nullptr, 0, 50, DriveDialog);
    if (bCommand) {
        AfxGetMainWnd()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_SLIDESETUP, 0), 0);
    } else {
        CSlideSetupDlg dlg;
        dlg.DoModal();
    }
    KillTimer(nullptr, nTimer);
    s_pSeen = nullptr;
    return seen;
}

class SlideDialogTest : public AppTest {
protected:
    bool Stored(DWORD* value) { return ReadMorvaneDword("SLIDE", "timer", value); }
};
}  // namespace

TEST_F(SlideDialogTest, FromTheCommandItShowsTheDefaultAndTheRightEndStoresOneHundred) {
    Seen s = RunDialog(true, {VK_END}, IDOK);
    ASSERT_TRUE(s.bShown);
    EXPECT_EQ("Slide View", s.caption);
    EXPECT_EQ("Delay Time", s.group);
    EXPECT_EQ("miliseconds", s.unit);
    EXPECT_EQ("Apply", s.apply);
    EXPECT_EQ("Cancel", s.cancel);
    EXPECT_EQ(5, s.nMin);
    EXPECT_EQ(100, s.nMax);
    EXPECT_EQ(5, s.nPos);  // missing value: 5
    EXPECT_EQ("500", s.text);
    ASSERT_EQ(1u, s.moved.size());
    EXPECT_EQ("10000", s.moved[0]);
    EXPECT_NE(0u, s.editStyle & ES_READONLY);
    EXPECT_NE(0u, s.editStyle & ES_CENTER);
    EXPECT_NE(0u, s.sliderStyle & TBS_NOTICKS);
    EXPECT_NE(0u, s.sliderStyle & TBS_BOTH);
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), s.applyStyle & BS_TYPEMASK);  // icon buttons
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), s.cancelStyle & BS_TYPEMASK);
    DWORD value = 0;
    ASSERT_TRUE(Stored(&value));
    EXPECT_EQ(100u, value);
}

TEST_F(SlideDialogTest, ApplyWithoutTouchingStoresTheValueShown) {
    WriteSlideTimer(37);
    Seen s = RunDialog(false, {}, IDOK);
    ASSERT_TRUE(s.bShown);
    EXPECT_EQ(37, s.nPos);
    EXPECT_EQ("3700", s.text);
    DWORD value = 0;
    ASSERT_TRUE(Stored(&value));
    EXPECT_EQ(37u, value);

    // Zero stands for 5: shown as 500 and stored as 5.
    WriteSlideTimer(0);
    s = RunDialog(false, {}, IDOK);
    EXPECT_EQ("500", s.text);
    ASSERT_TRUE(Stored(&value));
    EXPECT_EQ(5u, value);
}

TEST_F(SlideDialogTest, CancelAfterMovingStoresNothing) {
    WriteSlideTimer(37);
    Seen s = RunDialog(false, {VK_HOME, VK_RIGHT, VK_RIGHT, VK_LEFT}, IDCANCEL);
    ASSERT_TRUE(s.bShown);
    ASSERT_EQ(4u, s.moved.size());
    EXPECT_EQ("500", s.moved[0]);
    EXPECT_EQ("600", s.moved[1]);
    EXPECT_EQ("700", s.moved[2]);
    EXPECT_EQ("600", s.moved[3]);
    DWORD value = 0;
    ASSERT_TRUE(Stored(&value));
    EXPECT_EQ(37u, value);

    DeleteMorvaneRegistry();
    s = RunDialog(false, {VK_END}, IDCANCEL);
    EXPECT_TRUE(s.bShown);
    EXPECT_FALSE(Stored(&value));
}

TEST_F(SlideDialogTest, AStoredValueOutsideTheRangeIsShownAsStoredUntilTheSliderMoves) {
    struct Case {
        DWORD stored;
        int nPos;
        const char* text;
        const char* afterLeft;
    };
    const Case cases[] = {{250, 100, "25000", "9900"}, {2, 5, "200", "500"}, {0xFFFFFFFF, 100, "429496729500", "9900"}};
    for (const Case& c : cases) {
        WriteSlideTimer(c.stored);
        Seen s = RunDialog(false, {VK_LEFT}, IDCANCEL);
        ASSERT_TRUE(s.bShown);
        EXPECT_EQ(c.nPos, s.nPos) << c.stored;
        EXPECT_EQ(c.text, s.text) << c.stored;
        ASSERT_EQ(1u, s.moved.size());
        EXPECT_EQ(c.afterLeft, s.moved[0]) << c.stored;
    }
    // Apply then stores the slider's position, within the range.
    WriteSlideTimer(250);
    RunDialog(false, {}, IDOK);
    DWORD value = 0;
    ASSERT_TRUE(Stored(&value));
    EXPECT_EQ(100u, value);
}
