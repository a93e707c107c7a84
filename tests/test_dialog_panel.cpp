// The open dialog driven like a user from inside the test process: the preview panel (into a
// folder, then selecting files), malformed pictures of the corpus in the preview, and a
// cancelled dialog.
#include "AppFixture.h"
#include "PanelSteps.h"

namespace {
std::string MakeBmp(int w, int h, COLORREF colour) {
    return ::MakeBmp(w, h, [colour](int, int) { return colour; });
}

class OpenDialogTest : public AppTest {};
}  // namespace

TEST_F(OpenDialogTest, PreviewPanelMeasuresFitsAndDrawsEachSelection) {
    PanelRun r;
    r.folder = MakeTempFolder("preview");
    WriteFile(r.folder + "p50.bmp", MakeBmp(50, 40, RGB(255, 0, 0)));
    WriteFile(r.folder + "p300.bmp", MakeBmp(300, 60, RGB(0, 0, 255)));
    WriteFile(r.folder + "p60.bmp", MakeBmp(60, 300, RGB(0, 255, 0)));
    WriteFile(r.folder + "PHOTO.JPG", MakeBmp(10, 10, RGB(0, 0, 0)));
    CreateDirectoryA((r.folder + "sub").c_str(), nullptr);
    CopyCorpusFile("jpeg/orientation_6.jpg", r.folder, "turned.jpg");  // stored 70 x 50, a quarter turn
    r.names = {"p50.bmp", "p300.bmp", "p60.bmp", "PHOTO.JPG", "sub", "missing.gif", "turned.jpg"};
    {
        DialogDriver driver(PanelSteps(&r, true));
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
        EXPECT_TRUE(driver.ran());
    }
    EXPECT_EQ(106, r.frameW);
    EXPECT_EQ(86, r.frameH);
    ASSERT_EQ(7u, r.lines.size());
    EXPECT_EQ("Width:  50|Height: 40|Format: BITMAP", r.lines[0]);
    EXPECT_EQ(25, r.seen[0].x);
    EXPECT_EQ(20, r.seen[0].y);
    EXPECT_EQ("Width:  300|Height: 60|Format: BITMAP", r.lines[1]);
    EXPECT_EQ(4, r.seen[1].x);
    EXPECT_EQ(29, r.seen[1].y);
    EXPECT_EQ(41, r.seen[2].x);
    EXPECT_EQ(4, r.seen[2].y);
    // Upper-case extension: measured, the format line keeps its previous text.
    EXPECT_EQ("Width:  10|Height: 10|Format: BITMAP", r.lines[3]);
    // A folder after a bitmap: zero sizes, format kept.
    EXPECT_EQ("Width:  0|Height: 0|Format: BITMAP", r.lines[4]);
    EXPECT_EQ("Width:  0|Height: 0|Format: GIF", r.lines[5]);
    // Measured and fitted upright, as its orientation tag says.
    EXPECT_EQ("Width:  50|Height: 70|Format: JPEG", r.lines[6]);
    EXPECT_EQ(25, r.seen[6].x);  // fitted by its height, the narrow side across (stored: 15)
    // Cancelled: nothing opened.
    EXPECT_EQ(0, app().m_bImageLoaded);
}

TEST_F(OpenDialogTest, MalformedFilesInThePreview) {
    PanelRun r;
    r.folder = CorpusPath("malformed");
    r.names = {"invalid-crc32.png",
               "invalid-zlib.png",
               "invalid-trunc.png",
               "invalid.1.bmp",
               "hang_114.gif",
               "issue205.jpg",
               std::string(1100, 'x') + ".bmp"};
    {
        DialogDriver driver(PanelSteps(&r, false));
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
    }
    ASSERT_EQ(r.names.size(), r.lines.size());
    for (size_t i = 0; i < r.names.size(); ++i) {
        bool zero = r.lines[i].find("Width:  0|Height: 0|") == 0;
        bool sized = r.lines[i].find("Width:  0") == std::string::npos;
        EXPECT_TRUE(zero || sized) << r.names[i] << ": " << r.lines[i];
    }
    // A name far longer than any path buffer: nothing to show, nothing overrun.
    EXPECT_EQ(0u, r.lines.back().find("Width:  0|Height: 0|"));
    EXPECT_TRUE(IsWindow(frame->m_hWnd));
}

TEST_F(OpenDialogTest, CancelledDialogReappliesTheEnableRule) {
    std::string folder = MakeTempFolder("cancel");
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        CopyCorpusFile("bmp/image.bmp", folder, name);
    view->OpenChosenFile((folder + "b.bmp").c_str(), "b.bmp");
    ASSERT_EQ(1, g_nFileIndex);
    view->m_bEnablePrevious = 0;
    view->m_bEnableNext = 0;
    CString path = g_strFilePath;
    OpenThroughDialog(view, "");  // cancel
    EXPECT_EQ(path, g_strFilePath);
    EXPECT_EQ(1, g_nFileIndex);
    EXPECT_TRUE(view->m_bEnablePrevious);
    EXPECT_TRUE(view->m_bEnableNext);
}

namespace {
struct Ctl {
    std::string name;
    RECT rc;  // screen coordinates
};

std::vector<Ctl> VisibleChildren(HWND hParent, HWND hSkip) {
    std::vector<Ctl> out;
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == hSkip || !IsWindowVisible(h))
            continue;
        char cls[64] = "", text[128] = "";
        GetClassNameA(h, cls, sizeof cls);
        GetWindowTextA(h, text, sizeof text);
        Ctl c = {std::string(cls) + " " + std::to_string(GetDlgCtrlID(h)) + " \"" + text + "\"", {}};
        GetWindowRect(h, &c.rc);
        out.push_back(c);
    }
    return out;
}

std::string Describe(const Ctl& c) {
    return c.name + " (" + std::to_string(c.rc.left) + "," + std::to_string(c.rc.top) + ")-(" +
           std::to_string(c.rc.right) + "," + std::to_string(c.rc.bottom) + ")";
}
}  // namespace

TEST_F(OpenDialogTest, PanelClearOfTheSystemsControlsAndPreviewSurvivesARepaint) {
    std::string folder = MakeTempFolder("layout");
    WriteFile(folder + "red.bmp", MakeBmp(50, 40, RGB(255, 0, 0)));
    std::vector<Ctl> system, panel;
    RECT rcDialog = {}, rcPanel = {};
    COLORREF before = 0, after = 0;
    POINT centre = {};
    {
        DialogDriver driver({
            [&](HWND hDialog, HWND hPanel) {
                ASSERT_NE(nullptr, hPanel);
                system = VisibleChildren(hDialog, hPanel);
                panel = VisibleChildren(hPanel, nullptr);
                GetClientRect(hDialog, &rcDialog);
                MapWindowPoints(hDialog, nullptr, reinterpret_cast<POINT*>(&rcDialog), 2);
                GetWindowRect(hPanel, &rcPanel);
                DialogSetFileName(hDialog, folder);
                DialogPressOk(hDialog);
            },
            {FileDialogInFolder(folder),
             [&](HWND hDialog, HWND hPanel) {
                 DialogSetFileName(hDialog, "red.bmp");
                 DialogNotifyPanel(hDialog, hPanel);
                 HWND hFrame = GetDlgItem(hPanel, 1011);
                 UpdateWindow(hFrame);
                 centre = {g_nPreviewX + 25, g_nPreviewY + 20};
                 before = ScreenPixel(hFrame, centre.x, centre.y);
                 // The whole panel repainted from scratch, as when another window passed over it.
                 RedrawWindow(hPanel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                 after = ScreenPixel(hFrame, centre.x, centre.y);
             }},
        });
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
        EXPECT_TRUE(driver.ran());
    }
    ASSERT_FALSE(system.empty());
    ASSERT_GE(panel.size(), 6u);
    for (const Ctl& p : panel) {
        RECT clip;
        // Whole inside the dialog, and under none of the system's controls.
        EXPECT_TRUE(IntersectRect(&clip, &p.rc, &rcDialog) && EqualRect(&clip, &p.rc)) << Describe(p);
        for (const Ctl& s : system)
            EXPECT_FALSE(IntersectRect(&clip, &p.rc, &s.rc)) << Describe(p) << " overlaps " << Describe(s);
    }
    EXPECT_EQ(RGB(255, 0, 0), before);
    EXPECT_EQ(RGB(255, 0, 0), after);
}
