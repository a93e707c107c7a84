// The shown picture's state, transition by transition, without a window: each row a starting
// state, one event, and the state that follows (source, list position, zoom and panning, the
// enabled commands, the pane texts).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Norvel.h"
#include "app/PictureState.h"
#include "view/NorvelView.h"

using namespace PictureState;

namespace {
const char kCapture[] = "C:\\capture\\morvane.bmp";

// The whole state as text, field by field.
struct Snapshot {
    std::string source;    // "file", "region", "object", "screen", "-", or several joined by '+'
    std::string position;  // "PATH INDEX/SIZE"
    std::string zoom;      // "RATIO at X,Y manual|auto [panX] [panY] [refit] [capture-refit] [full]"
    std::string commands;  // the enabled commands, in menu order
};

std::string Join(std::initializer_list<std::pair<BOOL, const char*>> parts, const char* empty) {
    std::string s;
    for (const auto& p : parts)
        if (p.first)
            s += (s.empty() ? "" : "+") + std::string(p.second);
    return s.empty() ? empty : s;
}

Snapshot Take(const CNorvelApp& app, const CNorvelView& view) {
    Snapshot s;
    s.source = Join({{app.m_bImageLoaded, "file"},
                     {app.m_bRegionCaptured, "region"},
                     {app.m_bObjectCaptured, "object"},
                     {app.m_bScreenCaptured, "screen"}},
                    "-");
    s.position =
        std::string(g_strFilePath) + " " + std::to_string(g_nFileIndex) + "/" + std::to_string(g_fileList.GetSize());
    char zoom[64];
    snprintf(zoom, sizeof zoom, "%g at %d,%d ", g_dZoom, g_nDrawX, g_nDrawY);
    s.zoom = zoom + std::string(g_bManualZoom ? "manual" : "auto");
    for (const auto& f :
         {std::make_pair(app.m_bPanX, " panX"), std::make_pair(app.m_bPanY, " panY"),
          std::make_pair(app.m_bRefitPending, " refit"), std::make_pair(app.m_bCaptureRefitPending, " capture-refit"),
          std::make_pair(app.m_bFullScreen, " full")})
        if (f.first)
            s.zoom += f.second;
    std::string c;
    for (const auto& f :
         {std::make_pair(view.m_bEnableSave, "Save"), std::make_pair(view.m_bEnableSaveAs, "SaveAs"),
          std::make_pair(view.m_bEnablePrint, "Print"), std::make_pair(view.m_bEnableCopy, "Copy"),
          std::make_pair(view.m_bEnableRename, "Rename"), std::make_pair(g_bEnableImageEdit, "Edit"),
          std::make_pair(view.m_bEnablePrevious, "Previous"), std::make_pair(view.m_bEnableNext, "Next"),
          std::make_pair(view.m_bEnableZoomOut, "ZoomOut"), std::make_pair(view.m_bEnableZoomIn, "ZoomIn"),
          std::make_pair(g_bEnableZoomDialog, "Zoom"), std::make_pair(view.m_bEnableSlideShow, "SlideShow")})
        if (f.first)
            c += (c.empty() ? "" : " ") + std::string(f.second);
    s.commands = c;
    return s;
}

// The state every row starts from: nothing opened, a 600 x 400 client, auto zoom.
void Reset(CNorvelApp& app, CNorvelView& view) {
    app.m_bRegionCaptured = app.m_bObjectCaptured = app.m_bScreenCaptured = app.m_bImageLoaded = 0;
    app.m_bFullScreen = app.m_bRefitPending = app.m_bCaptureRefitPending = app.m_bPanX = app.m_bPanY = 0;
    app.m_nZoomPercent = 0;
    g_strFilePath = g_strFileName = g_strFolder = "";
    g_fileList.RemoveAll();
    g_nFileIndex = 0;
    g_dZoom = 0;
    g_nDrawX = g_nDrawY = g_nCentreX = g_nCentreY = 0;
    g_bManualZoom = 0;
    g_bEnableZoomDialog = g_bEnableImageEdit = 0;
    g_bSlideStopped = 1;
    ViewCreated(view);
    ClientMeasured(600, 400);
    PictureMeasured(300, 200);
}

// Open as the view runs it: the file, the folder's listing (unsorted, as the disk gives it).
void Open(CNorvelApp& app, CNorvelView& view, const char* pszName, std::initializer_list<const char*> listing) {
    FileOpened(app, view, CString("C:\\p\\") + pszName, pszName);
    Fitted();
    CStringArray list;
    for (const char* name : listing)
        list.Add(CString("C:\\p\\") + name);
    FolderListed(list);
    ListCommandsEnabled(view);
}

void OpenMiddleOfThree(CNorvelApp& app, CNorvelView& view) {
    Open(app, view, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"});
}

// A picture shown at three times its size, panned both ways, with full screen asking for a
// refit.
void ZoomedIn(CNorvelApp& app, CNorvelView& view) {
    OpenMiddleOfThree(app, view);
    ZoomChosen(app, 3.0);
    FullScreenChanged(app, 1);
    ZoomCentred(app, 3.0);
}

void RegionShown(CNorvelApp& app, CNorvelView& view) {
    OpenMiddleOfThree(app, view);
    CaptureBegun(app, kCaptureRegion, nullptr);
    CaptureShown(view, kCapture);
}

const char kFileCommands[] = "SaveAs Print Copy Rename Edit Previous Next ZoomOut ZoomIn Zoom SlideShow";
const char kCaptureCommands[] = "Save Edit ZoomOut ZoomIn Zoom";

struct Row {
    const char* name;
    void (*start)(CNorvelApp&, CNorvelView&);
    std::function<void(CNorvelApp&, CNorvelView&)> event;
    Snapshot expected;
};

class PictureStateTest : public ::testing::Test {
protected:
    CNorvelApp app;
    CNorvelView view;

    void Run(const Row* rows, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const Row& r = rows[i];
            SCOPED_TRACE(r.name);
            Reset(app, view);
            if (r.start)
                r.start(app, view);
            r.event(app, view);
            Snapshot s = Take(app, view);
            EXPECT_EQ(r.expected.source, s.source);
            EXPECT_EQ(r.expected.position, s.position);
            EXPECT_EQ(r.expected.zoom, s.zoom);
            EXPECT_EQ(r.expected.commands, s.commands);
        }
    }
};
}  // namespace

TEST_F(PictureStateTest, OpeningAndSteppingThroughTheFolder) {
    const Row rows[] = {
        {"a fresh view offers nothing", nullptr, [](CNorvelApp&, CNorvelView&) {}, {"-", " 0/0", "0 at 0,0 auto", ""}},
        {"open lists the folder sorted and finds the file",
         nullptr,
         OpenMiddleOfThree,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto", kFileCommands}},
        {"open in a folder of one: no show, no stepping",
         nullptr,
         [](CNorvelApp& a, CNorvelView& v) { Open(a, v, "a.bmp", {"a.bmp"}); },
         {"file", "C:\\p\\a.bmp 0/1", "1 at 150,100 auto", "SaveAs Print Copy Rename Edit ZoomOut ZoomIn Zoom"}},
        {"open of a file the listing misses keeps the first position",
         nullptr,
         [](CNorvelApp& a, CNorvelView& v) {
             Open(a, v, "x.bmp", {"b.bmp", "a.bmp"});
         },
         {"file", "C:\\p\\x.bmp 0/2", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Next ZoomOut ZoomIn Zoom SlideShow"}},
        {"open after a capture: the capture is off, Save too",
         RegionShown,
         OpenMiddleOfThree,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"open of a zoomed picture: fitted, not panned, the full screen refit stays",
         ZoomedIn,
         OpenMiddleOfThree,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto refit full", kFileCommands}},
        {"next to the last entry: Next goes off, the zoom refits",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView& v) { EXPECT_TRUE(EntryShown(a, v, 2)); },
         {"file", "C:\\p\\c.bmp 2/3", "3 at -150,-100 auto panX panY refit full",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"a step from a zoomed screen capture: auto zoom again, the capture off",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView& v) {
             ZoomChosen(a, 2.0);
             a.m_bScreenCaptured = 1;
             EXPECT_TRUE(EntryShown(a, v, 2));
         },
         {"file", "C:\\p\\c.bmp 2/3", "2 at 0,0 auto",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"previous to the first entry",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView& v) { EXPECT_TRUE(EntryShown(a, v, 0)); },
         {"file", "C:\\p\\a.bmp 0/3", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Next ZoomOut ZoomIn Zoom SlideShow"}},
        {"a step outside the list changes nothing",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView& v) {
             EXPECT_FALSE(EntryShown(a, v, 3));
             EXPECT_FALSE(EntryShown(a, v, -1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto", kFileCommands}},
        {"an entry before the shown one leaves the list: the position follows",
         OpenMiddleOfThree,
         [](CNorvelApp&, CNorvelView&) { EntryDropped(0); },
         {"file", "C:\\p\\b.bmp 0/2", "1 at 150,100 auto", kFileCommands}},
        {"an entry after it leaves: the position stays",
         OpenMiddleOfThree,
         [](CNorvelApp&, CNorvelView&) {
             EntryDropped(2);
             EntryDropped(7);  // outside the list: nothing
         },
         {"file", "C:\\p\\b.bmp 1/2", "1 at 150,100 auto", kFileCommands}},
        {"the show ends with the list shortened under the position",
         OpenMiddleOfThree,
         [](CNorvelApp&, CNorvelView& v) {
             g_nFileIndex = 2;
             EntryDropped(1);
             EntryDropped(1);
             SlideShowEnableRule(v);
             SlideShowEnded(v);
         },
         {"file", "C:\\p\\b.bmp 0/1", "1 at 150,100 auto", "SaveAs Print Copy Rename Edit ZoomOut ZoomIn Zoom"}},
        {"the shown file renamed: the entry and the path follow",
         OpenMiddleOfThree,
         [](CNorvelApp&, CNorvelView&) { EXPECT_TRUE(FileRenamed(1, "C:\\p\\b.bmp", "C:\\p\\holiday.bmp")); },
         {"file", "C:\\p\\holiday.bmp 1/3", "1 at 150,100 auto", kFileCommands}},
        {"a file renamed after the show stepped on: its entry only",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView& v) {
             EntryShown(a, v, 2);
             EXPECT_FALSE(FileRenamed(1, "C:\\p\\b.bmp", "C:\\p\\holiday.bmp"));
             EXPECT_EQ(CString("C:\\p\\holiday.bmp"), g_fileList[1]);
             // An entry that is no longer that file is left alone.
             EXPECT_FALSE(FileRenamed(0, "C:\\p\\b.bmp", "C:\\p\\other.bmp"));
             EXPECT_EQ(CString("C:\\p\\a.bmp"), g_fileList[0]);
         },
         {"file", "C:\\p\\c.bmp 2/3", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);
}

TEST_F(PictureStateTest, CapturesBegunShownAndCanceled) {
    const Row rows[] = {
        {"a region capture begins over a zoomed file: refit asked, no panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) { CaptureBegun(a, kCaptureRegion, nullptr); },
         {"region", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual refit capture-refit full", kFileCommands}},
        {"a window capture begins",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) { CaptureBegun(a, kCaptureObject, nullptr); },
         {"object", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"a screen capture is in its file at once",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) { CaptureBegun(a, kCaptureScreen, kCapture); },
         {"screen", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"one capture after another: only the last one's flag",
         RegionShown,
         [](CNorvelApp& a, CNorvelView&) { CaptureBegun(a, kCaptureObject, nullptr); },
         {"object", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kCaptureCommands}},
        {"a capture shown offers Save, not the file's commands",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView& v) {
             CaptureBegun(a, kCaptureRegion, nullptr);
             CaptureShown(v, kCapture);
         },
         {"region", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kCaptureCommands}},
        {"a canceled overlay leaves no capture",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             CaptureBegun(a, kCaptureObject, nullptr);
             CaptureCanceled(a);
         },
         {"-", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"the capture's paint refits while the refit is pending, keeping the panning",
         RegionShown,
         [](CNorvelApp& a, CNorvelView&) {
             g_bManualZoom = 1;
             g_dZoom = 3;
             a.m_bPanX = 1;
             CaptureFittedForPaint(a);
         },
         {"region", std::string(kCapture) + " 1/3", "1 at 150,100 manual panX capture-refit", kCaptureCommands}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);
    EXPECT_TRUE(IsCaptureShown(app));
    CaptureCanceled(app);
    EXPECT_FALSE(IsCaptureShown(app));
}

TEST_F(PictureStateTest, ZoomCommandsPanningAndModes) {
    const Row rows[] = {
        {"a fixed ratio: the user's zoom, centred, panned where it overflows, refits cancelled",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             a.m_bCaptureRefitPending = 1;
             ZoomChosen(a, 2.5);
         },
         {"file", "C:\\p\\b.bmp 1/3", "2.5 at -75,-50 manual panX panY full", kFileCommands}},
        {"a ratio that fits: no panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) { ZoomChosen(a, 0.5); },
         {"file", "C:\\p\\b.bmp 1/3", "0.5 at 225,150 manual full", kFileCommands}},
        {"only the axis that overflows pans",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             PictureMeasured(400, 100);
             ZoomChosen(a, 2.0);
         },
         {"file", "C:\\p\\b.bmp 1/3", "2 at -100,100 manual panX", kFileCommands}},
        {"zoom in from 8 doubles to 16",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             ZoomChosen(a, 8.0);
             EXPECT_TRUE(ZoomStepped(a, +1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "16 at -2100,-1400 manual panX panY", kFileCommands}},
        {"five zoom ins from 1: 2, 4, 8, 16, then only the panning ends",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             for (double z : {2.0, 4.0, 8.0, 16.0}) {
                 EXPECT_TRUE(ZoomStepped(a, +1));
                 EXPECT_DOUBLE_EQ(z, g_dZoom);
             }
             EXPECT_FALSE(ZoomStepped(a, +1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "16 at -2100,-1400 manual", kFileCommands}},
        {"a zoom step cancels the refits of full screen and captures",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             a.m_bCaptureRefitPending = 1;
             EXPECT_TRUE(ZoomStepped(a, +1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "6 at -600,-400 manual panX panY full", kFileCommands}},
        {"zoom in at 16: nothing but the user's zoom and no panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             g_dZoom = 16.0;
             EXPECT_FALSE(ZoomStepped(a, +1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "16 at -150,-100 manual full", kFileCommands}},
        {"zoom out from 0.1 halves to 0.05",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             g_dZoom = 0.1;
             EXPECT_TRUE(ZoomStepped(a, -1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "0.05 at 292,195 manual", kFileCommands}},
        {"zoom out under 0.1 does nothing",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             g_dZoom = 0.09;
             EXPECT_FALSE(ZoomStepped(a, -1));
         },
         {"file", "C:\\p\\b.bmp 1/3", "0.09 at 150,100 manual", kFileCommands}},
        {"auto zoom fits again and ends the panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) { AutoZoomChosen(a); },
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto refit full", kFileCommands}},
        {"the zoom dialog's ratio in range is chosen",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             ZoomRatioTyped(a, 400);
             EXPECT_TRUE(ZoomDialogEnded(a));
         },
         {"file", "C:\\p\\b.bmp 1/3", "4 at -300,-200 manual panX panY", kFileCommands}},
        {"one out of range keeps the ratio, the zoom becomes the user's",
         OpenMiddleOfThree,
         [](CNorvelApp& a, CNorvelView&) {
             for (int n : {3000, 4, 1601}) {
                 ZoomRatioTyped(a, n);
                 EXPECT_FALSE(ZoomDialogEnded(a)) << n;
             }
         },
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 manual", kFileCommands}},
        {"a drag moves the panned axes within their bounds",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             a.m_bPanY = 0;
             Dragged(a, 100, 50);  // x: -150 + 100 = -50; y does not move
             Dragged(a, 500, 50);  // x stops at 0
             Dragged(a, -900, 0);  // and at twice the centre
         },
         {"file", "C:\\p\\b.bmp 1/3", "3 at -300,-100 manual panX refit full", kFileCommands}},
        {"the paint of a file refits an auto zoom and ends its panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             g_bManualZoom = 0;
             a.m_bRefitPending = 0;
             FileFittedForPaint(a);
         },
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto full", kFileCommands}},
        {"and a user's zoom while full screen's refit is pending",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) { FileFittedForPaint(a); },
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 manual refit full", kFileCommands}},
        {"but not a user's zoom otherwise",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) {
             a.m_bRefitPending = 0;
             FileFittedForPaint(a);
         },
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual panX panY full", kFileCommands}},
        {"leaving full screen asks for a refit and ends the panning",
         ZoomedIn,
         [](CNorvelApp& a, CNorvelView&) { FullScreenChanged(a, 0); },
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual refit", kFileCommands}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);

    // The drag button and the show's flag.
    DragHeld(TRUE);
    EXPECT_TRUE(g_bDragging);
    DragHeld(FALSE);
    EXPECT_FALSE(g_bDragging);
    SlideShowRunning(TRUE);
    EXPECT_FALSE(g_bSlideStopped);
    SlideShowRunning(FALSE);
    EXPECT_TRUE(g_bSlideStopped);
}

TEST_F(PictureStateTest, PaneTextsFollowTheState) {
    Reset(app, view);
    OpenMiddleOfThree(app, view);
    PaneTexts t = FilePanes();
    EXPECT_EQ(CString("b.bmp"), t.pane[1]);
    EXPECT_EQ(CString("? kB"), t.pane[2]);  // C:\p\b.bmp is not on this disk
    EXPECT_EQ(CString(" [300,200] "), t.pane[3]);
    EXPECT_EQ(CString("    100.00%"), t.pane[4]);
    EXPECT_EQ(CString("2 in 3"), t.pane[5]);

    EntryShown(app, view, 2);
    ZoomChosen(app, 0.3);  // 29.999... in binary, shown as 30
    PictureMeasured(65535, 1);
    t = FilePanes();
    EXPECT_EQ(CString("c.bmp"), t.pane[1]);
    EXPECT_EQ(CString(" [65535,1] "), t.pane[3]);
    EXPECT_EQ(CString("    30.00%"), t.pane[4]);
    EXPECT_EQ(CString("3 in 3"), t.pane[5]);

    CaptureBegun(app, kCaptureScreen, kCapture);
    CaptureShown(view, kCapture);
    t = CapturePanes();
    const char* capture[] = {"", " Capture is ok!", "", " [65535,1] ", "    30.00%", ""};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(CString(capture[i]), t.pane[i]) << i;
    t = CaptureCanceledPanes();
    EXPECT_EQ(CString("Capture is canceled!"), t.pane[1]);
    for (int i = 2; i <= 5; ++i)
        EXPECT_EQ(CString(""), t.pane[i]) << i;

    Open(app, view, "only.bmp", {"only.bmp"});
    EXPECT_EQ(CString("1 in 1"), FilePanes().pane[5]);
    Open(app, view, "scan.tif", {});
    EXPECT_EQ(CString("1 in 0"), FilePanes().pane[5]);

    // The Rename exchange text.
    RenameTextSet(app, "holiday");
    EXPECT_EQ(CString("holiday"), app.m_strRenameTo);
}
