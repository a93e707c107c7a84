// Print in the running program, on a PostScript printer of the platform's own driver whose jobs
// Ghostscript renders to pixels: the print dialog driven as a user would, the job's title and
// pages, the picture on paper where and as large as the view shows it, the cut at the view's
// edges, the cancelled dialog, when Print is refused, the command ids, and handles over many jobs.
#include <math.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "TestPrinter.h"
#include "AppFixture.h"

namespace {
// 100-pixel blocks, none of them grey or white, each told apart from its neighbours.
COLORREF Blocks(int x, int y) {
    int i = x / 100, j = y / 100;
    return RGB(30 + i * 25, 220 - j * 35, (i + j) % 2 ? 20 : 200);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 12) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The print dialog, found by its printer list (cmb4), and a message box: no printer list, a text.
bool IsPrintDialog(HWND h) {
    return GetDlgItem(h, 0x473) != nullptr;
}
bool IsMessageBox(HWND h) {
    return !GetDlgItem(h, 0x473) && GetDlgItem(h, 0xFFFF);
}

class PrintTest : public AppTest {
protected:
    PrintTest() : AppTest(AppStart().Folder("print")) {}  // a folder no other test program empties meanwhile
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(EnsureTestPrinter(&error)) << error;
        ClearTestPrinterOutput();
        AppTest::SetUp();
        HDC hScreen = GetDC(nullptr);
        screenDpiX = GetDeviceCaps(hScreen, LOGPIXELSX);
        screenDpiY = GetDeviceCaps(hScreen, LOGPIXELSY);
        ReleaseDC(nullptr, hScreen);
    }
    void Open(const std::string& path, const char* name) {
        view->OpenChosenFile(path.c_str(), name);
        Repaint();
    }
    // Print from the File menu's key: the print dialog, once up, answered with Print or Cancel
    // (after beforeAnswer, when given); a message box that follows is read and answered with OK.
    // The number of print dialogs seen. *pBox, when given, gets the box ("caption: text").
    int Print(bool bPrint, std::function<void()> beforeAnswer = nullptr, std::string* pBox = nullptr) {
        std::string printer, box;
        DialogDriver driver({[&](HWND hDialog) {
                                 printer = DialogItemText(hDialog, 0x473);
                                 if (beforeAnswer)
                                     beforeAnswer();
                                 if (bPrint)
                                     DialogPressOk(hDialog);
                                 else
                                     DialogCancel(hDialog);
                             },
                             {IsMessageBox,
                              [&](HWND) {
                                  HWND hBox = FindProcessDialog(IsMessageBox);
                                  box = WindowCaption(hBox) + ": " + DialogItemText(hBox, 0xFFFF);
                                  PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                              }}},
                            IsPrintDialog);
        Command(ID_FILE_PRINT);
        EXPECT_FALSE(driver.timedOut());
        int seen = driver.stepsRun() > 0 ? 1 : 0;
        EXPECT_TRUE(seen == 0 || printer == "Morvane Test Printer") << printer;
        if (pBox)
            *pBox = box;
        else
            EXPECT_EQ("", box);
        return seen;
    }
    // The rendered page of the job just printed; Ghostscript runs behind the printer's port.
    bool WaitForPage(PrintedPage* page) {
        DWORD end = GetTickCount() + 120000;
        while (GetFileAttributesA(TestPrinterPixelsPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (static_cast<LONG>(end - GetTickCount()) <= 0)
                return false;
            Sleep(100);
        }
        return page->Load(TestPrinterPixelsPath());
    }
    std::string PostScript() {
        std::ifstream f(TestPrinterPostScriptPath().c_str(), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // The dot of the paper under the middle of screen pixel (x, y) of the view.
    int DotX(int x) const { return kTestPrinterOffset + static_cast<int>((x + 0.5) * kTestPrinterDpi / screenDpiX); }
    int DotY(int y) const { return kTestPrinterOffset + static_cast<int>((y + 0.5) * kTestPrinterDpi / screenDpiY); }
    // Compares paper, screen and picture at a grid of the view's pixels, with the view's numbers
    // (origin and ratio): outside the picture the view is grey and the paper bare; inside, both
    // show the picture's block, except within two pixels of a block's edge, where scaling blends.
    int CountMismatches(const PrintedPage& page, int step) {
        CRect rc;
        view->GetClientRect(&rc);
        ScreenGrab screen(view->m_hWnd, rc);
        int bad = 0, compared = 0;
        for (int y = 1; y < rc.Height() - 1; y += step) {
            for (int x = 1; x < rc.Width() - 1; x += step) {
                double sx = (x + 0.5 - g_nDrawX) / g_dZoom, sy = (y + 0.5 - g_nDrawY) / g_dZoom;
                double margin = 2.0 / g_dZoom;
                bool inside = sx >= 0 && sy >= 0 && sx < g_nImageWidth && sy < g_nImageHeight;
                bool nearEdge = fabs(sx - floor(sx / 100 + 0.5) * 100) < margin ||
                                fabs(sy - floor(sy / 100 + 0.5) * 100) < margin || fabs(sx - g_nImageWidth) < margin ||
                                fabs(sy - g_nImageHeight) < margin;
                if (nearEdge)
                    continue;
                COLORREF want = inside ? Blocks(static_cast<int>(sx), static_cast<int>(sy)) : RGB(255, 255, 255);
                COLORREF onScreen = inside ? want : kViewGrey;
                COLORREF printed = page.at(DotX(x), DotY(y));
                ++compared;
                if (Near(printed, want) && Near(screen.at(x, y), onScreen))
                    continue;
                if (++bad <= 5)
                    ADD_FAILURE() << "at (" << x << "," << y << ") picture " << std::hex << want << " screen "
                                  << screen.at(x, y) << " paper " << printed;
            }
        }
        EXPECT_GT(compared, 500);
        return bad;
    }
    bool PrintEnabledInMenu() {
        HMENU hFile = GetSubMenu(run->frame()->GetMenu(), 0);
        run->frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hFile), 0);
        return (GetMenuState(hFile, ID_FILE_PRINT, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    }

    int screenDpiX = 96, screenDpiY = 96;
};

TEST_F(PrintTest, FittedPictureIsOneMorvanePageDrawnWhereAndAsLargeAsOnTheScreen) {
    SizeView(500, 300);
    Open(WritePicture("blocks.bmp", 800, 500, Blocks), "blocks.bmp");
    ASSERT_DOUBLE_EQ(0.6, g_dZoom);  // 480 x 300 at (10, 0)
    ASSERT_EQ(1, Print(true));
    PrintedPage page;
    ASSERT_TRUE(WaitForPage(&page));

    std::string ps = PostScript();
    EXPECT_EQ(0u, ps.find("%!PS-Adobe-3.0"));
    EXPECT_NE(std::string::npos, ps.find("\n%%Title: Morvane\n"));
    size_t pages = 0;
    for (size_t at = ps.find("\n%%Page: "); at != std::string::npos; at = ps.find("\n%%Page: ", at + 1))
        ++pages;
    EXPECT_EQ(1u, pages);
    EXPECT_NE(std::string::npos, ps.find("\n%%Pages: 1"));

    EXPECT_EQ(0, CountMismatches(page, 7));
    // One inch on the screen is one inch on paper: the picture's 480 screen pixels, to within the
    // imaging library's rounding on the printer (under a screen pixel at each end).
    int y = DotY(150), left = DotX(10), right = DotX(10 + 480 - 1);
    EXPECT_TRUE(Near(Blocks(0, 250), page.at(left + 8, y))) << std::hex << page.at(left + 8, y);
    EXPECT_TRUE(Near(RGB(255, 255, 255), page.at(left - 8, y))) << std::hex << page.at(left - 8, y);
    EXPECT_TRUE(Near(Blocks(799, 250), page.at(right - 8, y))) << std::hex << page.at(right - 8, y);
    EXPECT_TRUE(Near(RGB(255, 255, 255), page.at(right + 8, y))) << std::hex << page.at(right + 8, y);
    // Nothing but white below the view's height.
    for (int x = 0; x < page.width(); x += 40)
        ASSERT_TRUE(Near(RGB(255, 255, 255), page.at(x, DotY(300) + 4))) << x;
}

TEST_F(PrintTest, ZoomedAndDraggedPicturePrintsAsShownAndIsCutAtTheViewsEdges) {
    SizeView(500, 300);
    Open(WritePicture("blocks.bmp", 800, 500, Blocks), "blocks.bmp");
    Command(ID_VIEW_ZOOMIN);  // 1.2: 960 x 600, larger than the view both ways
    ASSERT_DOUBLE_EQ(1.2, g_dZoom);
    MouseMoveTo(view->m_hWnd, 250, 150);
    MouseLeftDown();
    PumpNow();
    MouseMoveTo(view->m_hWnd, 310, 110);
    PumpNow();
    MouseLeftUp();
    PumpNow();
    Repaint();
    int x0 = g_nDrawX, y0 = g_nDrawY;
    ASSERT_NE((500 - 960) / 2, x0);  // the drag moved the picture
    ASSERT_LT(x0, 0);
    ASSERT_GT(x0 + 960, 500);  // cut on the right by the view

    ASSERT_EQ(1, Print(true));
    PrintedPage page;
    ASSERT_TRUE(WaitForPage(&page));
    EXPECT_EQ(x0, g_nDrawX);  // the print does not move the picture
    EXPECT_EQ(y0, g_nDrawY);
    EXPECT_EQ(0, CountMismatches(page, 7));
    // Past the view's right and bottom edges the picture goes on, the paper stays white.
    for (int y = 10; y < 290; y += 20)
        EXPECT_TRUE(Near(RGB(255, 255, 255), page.at(DotX(500) + 4, DotY(y)))) << y;
    for (int x = 10; x < 490; x += 20)
        EXPECT_TRUE(Near(RGB(255, 255, 255), page.at(DotX(x), DotY(300) + 4))) << x;
}

TEST_F(PrintTest, CancelledDialogPrintsNothing) {
    SizeView(500, 300);
    Open(WritePicture("blocks.bmp", 800, 500, Blocks), "blocks.bmp");
    ASSERT_EQ(1, Print(false));
    PumpFor(300);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TestPrinterPostScriptPath().c_str()));
}

// A picture that no longer decodes would print as a blank page: it is refused with a message,
// and no job reaches the printer.
TEST_F(PrintTest, APictureThatNoLongerDecodesIsRefusedWithAMessage) {
    SizeView(500, 300);
    for (bool bDelete : {false, true}) {
        std::string path = WritePicture("spoilt.bmp", 800, 500, Blocks);
        Open(path, "spoilt.bmp");
        ASSERT_LT(0, g_nImageWidth);
        if (bDelete)
            ASSERT_TRUE(DeleteFileA(path.c_str()));
        else
            WriteFile(path, "no longer a picture");
        ClearTestPrinterOutput();
        std::string box;
        ASSERT_EQ(1, Print(true, nullptr, &box)) << bDelete;
        EXPECT_EQ("Morvane: " + path + " was not printed: the picture could not be read.", box) << bDelete;
        PumpFor(300);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TestPrinterPostScriptPath().c_str())) << bDelete;
    }
}

// A running slide show stays on the picture chosen for printing while the dialog is up, and goes
// on afterwards.
TEST_F(PrintTest, ASlideShowHoldsOnThePicturePrinted) {
    SizeView(500, 300);
    std::string first = WritePicture("show-a.bmp", 800, 500, Blocks);
    std::string second = WritePicture("show-b.bmp", 800, 500, [](int, int) { return RGB(250, 20, 200); });
    ASSERT_TRUE(WriteMorvaneDword("SLIDE", "timer", 100));  // 10 s: the test gives the ticks
    Open(first, "show-a.bmp");
    Command(ID_TOOLS_SLIDESTARTSTOP);
    ASSERT_EQ(0, g_bSlideStopped);
    ASSERT_EQ(1, Print(true, [&] { view->SendMessage(WM_TIMER, 1, 0); }));
    PrintedPage page;
    ASSERT_TRUE(WaitForPage(&page));
    EXPECT_EQ(CString(first.c_str()), g_strFilePath);
    EXPECT_EQ(0, CountMismatches(page, 7));
    EXPECT_EQ(0, g_bSlideStopped);
    view->SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(CString(second.c_str()), g_strFilePath);
    EXPECT_TRUE(KillTimer(view->m_hWnd, 1));  // the show's timer runs again
    Command(ID_TOOLS_SLIDESTARTSTOP);
    EXPECT_EQ(1, g_bSlideStopped);
}

TEST_F(PrintTest, RefusedBeforeAnyOpenAndWhileACaptureIsShown) {
    EXPECT_FALSE(PrintEnabledInMenu());
    EXPECT_EQ(0, Print(true));

    Open(WritePicture("blocks.bmp", 800, 500, Blocks), "blocks.bmp");
    EXPECT_TRUE(PrintEnabledInMenu());

    Command(ID_TOOLS_CAPTURESCREEN);
    Repaint();
    ASSERT_EQ(1, run->app().m_bScreenCaptured);
    EXPECT_FALSE(PrintEnabledInMenu());
    EXPECT_EQ(0, Print(true));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TestPrinterPostScriptPath().c_str()));
}

// Only 57607 reaches a menu item, key or toolbar button; 57608 and 57609 are mapped but unused.
TEST_F(PrintTest, OnlyThePrintIdIsOnMenusKeysAndToolbar) {
    std::vector<UINT> ids;
    std::function<void(HMENU)> walk = [&](HMENU h) {
        for (int i = 0; i < GetMenuItemCount(h); ++i) {
            if (HMENU sub = GetSubMenu(h, i))
                walk(sub);
            else
                ids.push_back(GetMenuItemID(h, i));
        }
    };
    HINSTANCE hInst = GetModuleHandleA(nullptr);
    for (int nMenu : {128, 140, 147}) {
        HMENU h = LoadMenuA(hInst, MAKEINTRESOURCEA(nMenu));
        ASSERT_NE(nullptr, h) << nMenu;
        walk(h);
        DestroyMenu(h);
    }
    HACCEL hAccel = LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, hAccel);
    std::vector<ACCEL> keys(CopyAcceleratorTableA(hAccel, nullptr, 0));
    CopyAcceleratorTableA(hAccel, keys.data(), static_cast<int>(keys.size()));
    bool ctrlP = false;
    for (const ACCEL& a : keys) {
        ids.push_back(a.cmd);
        ctrlP = ctrlP || (a.cmd == ID_FILE_PRINT && a.key == 'P' && (a.fVirt & FCONTROL));
    }
    EXPECT_TRUE(ctrlP);
    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(241));  // the toolbar
    ASSERT_NE(nullptr, hRes);
    const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(hInst, hRes)));
    for (int i = 0; i < p[3]; ++i)
        ids.push_back(p[4 + i]);
    EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), static_cast<UINT>(ID_FILE_PRINT)));
    EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), static_cast<UINT>(ID_FILE_PRINT_DIRECT)));
    EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), static_cast<UINT>(ID_FILE_PRINT_PREVIEW)));
    // The handler of 57607 is the view's own: it shows the dialog on the test printer.
    Open(WritePicture("blocks.bmp", 800, 500, Blocks), "blocks.bmp");
    EXPECT_EQ(1, Print(false));
}

TEST_F(PrintTest, TwentyPrintsLeakNoHandles) {
    SizeView(300, 200);
    Open(WritePicture("small.bmp", 200, 150, Blocks), "small.bmp");
    ASSERT_EQ(1, Print(true));  // the first job loads what the printer needs once
    PrintedPage page;
    ASSERT_TRUE(WaitForPage(&page));
    int gdi = CountGdiObjects(), windows = CountThreadWindows();
    size_t memory = CommittedBytes();
    for (int i = 0; i < 20; ++i) {
        ClearTestPrinterOutput();
        ASSERT_EQ(1, Print(true)) << i;
        ASSERT_TRUE(WaitForPage(&page)) << i;
    }
    EXPECT_EQ(0, CountMismatches(page, 9));
    EXPECT_LE(CountGdiObjects(), gdi);
    EXPECT_LE(CountThreadWindows(), windows);
    EXPECT_LT(CommittedBytes(), memory + 4 * 1024 * 1024);
}
}  // namespace
