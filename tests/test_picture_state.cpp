// The shown picture's state, event by event, without a window: each row a starting state
// reached through the user events the handlers call, one more event, what it says changed, and
// the state that follows (source, list position, zoom and panning, the enabled commands).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "state/PictureState.h"

using namespace PictureState;

namespace {
const char kCapture[] = "C:\\capture\\morvane.bmp";
const Size kClient = {600, 400};
const Size kPicture = {300, 200};

// The whole state as text, field by field.
struct Snapshot {
    std::string source;    // "file", "region", "object", "screen", "-", or several joined by '+'
    std::string position;  // "PATH INDEX/SIZE"
    std::string zoom;      // "RATIO at X,Y manual|auto [panX] [panY] [refit] [capture-refit] [full] [show]"
    std::string commands;  // the enabled commands, in menu order
};

std::string Join(std::initializer_list<std::pair<BOOL, const char*>> parts, const char* empty) {
    std::string s;
    for (const auto& p : parts)
        if (p.first)
            s += (s.empty() ? "" : "+") + std::string(p.second);
    return s.empty() ? empty : s;
}

Snapshot Take(const CAppFlags& app, const CCommandFlags& view) {
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
          std::make_pair(app.m_bFullScreen, " full"), std::make_pair(static_cast<BOOL>(!g_bSlideStopped), " show")})
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

// Open of C:\p\NAME, whose picture measures picture, in a folder the disk lists as listing.
Changes Open(CAppFlags& app,
             CCommandFlags& view,
             const char* pszName,
             std::initializer_list<const char*> listing,
             Size picture = kPicture) {
    CStringArray list;
    for (const char* name : listing)
        list.Add(CString("C:\\p\\") + name);
    return Opened(app, view, CString("C:\\p\\") + pszName, pszName, picture, list);
}

Changes Paint(CAppFlags& app, CCommandFlags& view, Size picture = kPicture) {
    return Painted(app, view, kClient, picture, kCapture);
}

// The states the rows start from, each reached through events.
void OpenMiddleOfThree(CAppFlags& app, CCommandFlags& view) {
    Open(app, view, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"});
}

// A picture shown at three times its size, panned both ways.
void ZoomedIn(CAppFlags& app, CCommandFlags& view) {
    OpenMiddleOfThree(app, view);
    ZoomPreset(app, 3.0);
}

// The same after full screen was entered, which asks for a refit and ends the panning.
void ZoomedInFullScreen(CAppFlags& app, CCommandFlags& view) {
    ZoomedIn(app, view);
    FullScreenChanged(app, 1);
}

// A region capture shown by its first paint.
void RegionShown(CAppFlags& app, CCommandFlags& view) {
    OpenMiddleOfThree(app, view);
    CaptureBegun(app, kCaptureRegion, nullptr);
    Paint(app, view);
}

// ... with full screen entered after it: both refits pending.
void RegionShownFullScreen(CAppFlags& app, CCommandFlags& view) {
    RegionShown(app, view);
    FullScreenChanged(app, 1);
}

// A slide show running over the folder of three.
void ShowRunning(CAppFlags& app, CCommandFlags& view) {
    OpenMiddleOfThree(app, view);
    ShowStarted(TRUE);
}

const char kFileCommands[] = "SaveAs Print Copy Rename Edit Previous Next ZoomOut ZoomIn Zoom SlideShow";
const char kCaptureCommands[] = "Save Edit ZoomOut ZoomIn Zoom";
const char kAlone[] = "SaveAs Print Copy Rename Edit ZoomOut ZoomIn Zoom";  // a file alone in its list

struct Row {
    const char* name;
    void (*start)(CAppFlags&, CCommandFlags&);
    std::function<Changes(CAppFlags&, CCommandFlags&)> event;
    Changes changes;  // what the (last) event said changed
    Snapshot expected;
};

class PictureStateTest : public ::testing::Test {
protected:
    CAppFlags app;
    CCommandFlags view;

    // The program's start: the view made, then its first paint of nothing.
    void Start() {
        ViewCreated(app, view);
        Paint(app, view, {0, 0});
    }

    void Run(const Row* rows, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const Row& r = rows[i];
            SCOPED_TRACE(r.name);
            Start();
            if (r.start)
                r.start(app, view);
            EXPECT_EQ(r.changes, r.event(app, view));
            Snapshot s = Take(app, view);
            EXPECT_EQ(r.expected.source, s.source);
            EXPECT_EQ(r.expected.position, s.position);
            EXPECT_EQ(r.expected.zoom, s.zoom);
            EXPECT_EQ(r.expected.commands, s.commands);
        }
    }
};

const Changes kShown = kFilePanes | kRepaint;
const Changes kZoomed = kZoomPane | kRepaint;
}  // namespace

TEST_F(PictureStateTest, OpeningAndSteppingThroughTheFolder) {
    const Row rows[] = {
        {"a fresh view offers nothing",
         nullptr,
         [](CAppFlags& a, CCommandFlags& v) {
             return Paint(a, v, {0, 0});
         },
         kNothing,
         {"-", " 0/0", "0 at 0,0 auto", ""}},
        {"open lists the folder sorted and finds the file",
         nullptr,
         [](CAppFlags& a, CCommandFlags& v) {
             return Open(a, v, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"});
         },
         kShown,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto", kFileCommands}},
        {"open in a folder of one: no show, no stepping",
         nullptr,
         [](CAppFlags& a, CCommandFlags& v) { return Open(a, v, "a.bmp", {"a.bmp"}); },
         kShown,
         {"file", "C:\\p\\a.bmp 0/1", "1 at 150,100 auto", kAlone}},
        {"open of a file the listing misses keeps the first position",
         nullptr,
         [](CAppFlags& a, CCommandFlags& v) {
             return Open(a, v, "x.bmp", {"b.bmp", "a.bmp"});
         },
         kShown,
         {"file", "C:\\p\\x.bmp 0/2", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Next ZoomOut ZoomIn Zoom SlideShow"}},
        {"open after a capture: the capture is off, Save too",
         RegionShown,
         [](CAppFlags& a, CCommandFlags& v) {
             return Open(a, v, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"});
         },
         kShown,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"open of a zoomed picture: fitted, not panned, the full screen refit stays",
         ZoomedInFullScreen,
         [](CAppFlags& a, CCommandFlags& v) {
             return Open(a, v, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"});
         },
         kShown,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto refit full", kFileCommands}},
        {"the Open dialog closed without a file: Previous and Next follow the position",
         RegionShown,
         [](CAppFlags&, CCommandFlags& v) { return OpenCanceled(v); },
         kNothing,
         {"region", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit",
          "Save Edit Previous Next ZoomOut ZoomIn Zoom"}},
        {"next to the last entry: Next goes off, the zoom is auto again until the paint fits it",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) { return Stepped(a, v, 2, kPicture); },
         kShown,
         {"file", "C:\\p\\c.bmp 2/3", "3 at -150,-100 auto panX panY",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"and that paint fits it and ends the panning",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) {
             Stepped(a, v, 2, {1200, 100});
             return Paint(a, v, {1200, 100});
         },
         kNothing,
         {"file", "C:\\p\\c.bmp 2/3", "0.5 at 0,175 auto",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"previous to the first entry",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags& v) { return Stepped(a, v, 0, kPicture); },
         kShown,
         {"file", "C:\\p\\a.bmp 0/3", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Next ZoomOut ZoomIn Zoom SlideShow"}},
        {"a step outside the list changes nothing",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) { return Stepped(a, v, 3, kPicture) | Stepped(a, v, -1, kPicture); },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual panX panY", kFileCommands}},
        {"a show's tick shows the next entry and runs on",
         ShowRunning,
         [](CAppFlags& a, CCommandFlags& v) { return ShowTicked(a, v, {}, 2, kPicture); },
         kShown,
         {"file", "C:\\p\\c.bmp 2/3", "1 at 150,100 auto show",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"a tick past a gone last entry: it leaves, the first is shown",
         ShowRunning,
         [](CAppFlags& a, CCommandFlags& v) { return ShowTicked(a, v, {2}, 0, kPicture); },
         kShown,
         {"file", "C:\\p\\a.bmp 0/2", "1 at 150,100 auto show",
          "SaveAs Print Copy Rename Edit Next ZoomOut ZoomIn Zoom SlideShow"}},
        {"all others gone: the shown one again, alone, and the show stops",
         ShowRunning,
         [](CAppFlags& a, CCommandFlags& v) {
             return ShowTicked(a, v, {2, 0}, 1, kPicture);
         },
         kShown | kShowStopped | kPositionPane,
         {"file", "C:\\p\\b.bmp 0/1", "1 at 150,100 auto", kAlone}},
        {"none shows: the show stops where it was, the position follows the entries gone",
         ShowRunning,
         [](CAppFlags& a, CCommandFlags& v) {
             return ShowTicked(a, v, {2, 0}, -1, kPicture);
         },
         kShowStopped | kPositionPane,
         {"file", "C:\\p\\b.bmp 0/1", "1 at 150,100 auto", kAlone}},
        {"the shown file gone as the last entry, the other unreadable: the position stays in the list",
         [](CAppFlags& a, CCommandFlags& v) {
             Open(a, v, "b.bmp", {"a.bmp", "b.bmp"});
             ShowStarted(TRUE);
         },
         [](CAppFlags& a, CCommandFlags& v) { return ShowTicked(a, v, {1}, -1, kPicture); },
         kShowStopped | kPositionPane,
         {"file", "C:\\p\\b.bmp 0/1", "1 at 150,100 auto", "SaveAs Print Copy Rename Edit ZoomOut ZoomIn Zoom"}},
        {"the shown file renamed: the entry and the path follow",
         OpenMiddleOfThree,
         [](CAppFlags&, CCommandFlags&) { return Renamed(1, "C:\\p\\b.bmp", "C:\\p\\holiday.bmp"); },
         kNamePane,
         {"file", "C:\\p\\holiday.bmp 1/3", "1 at 150,100 auto", kFileCommands}},
        {"a file renamed after the show stepped on: its entry only",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags& v) {
             Stepped(a, v, 2, kPicture);
             const Changes changes = Renamed(1, "C:\\p\\b.bmp", "C:\\p\\holiday.bmp");
             EXPECT_EQ(CString("C:\\p\\holiday.bmp"), g_fileList[1]);
             // An entry that is no longer that file is left alone.
             EXPECT_EQ(kNothing, Renamed(0, "C:\\p\\b.bmp", "C:\\p\\other.bmp"));
             EXPECT_EQ(CString("C:\\p\\a.bmp"), g_fileList[0]);
             return changes;
         },
         kNothing,
         {"file", "C:\\p\\c.bmp 2/3", "1 at 150,100 auto",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);
}

TEST_F(PictureStateTest, CapturesBegunShownAndCanceled) {
    const Row rows[] = {
        {"a region capture begins over a zoomed file: refit asked, no panning",
         ZoomedInFullScreen,
         [](CAppFlags& a, CCommandFlags&) { return CaptureBegun(a, kCaptureRegion, nullptr); },
         kNothing,
         {"region", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual refit capture-refit full", kFileCommands}},
        {"a window capture begins",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) { return CaptureBegun(a, kCaptureObject, nullptr); },
         kNothing,
         {"object", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"a screen capture is in its file at once",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) { return CaptureBegun(a, kCaptureScreen, kCapture); },
         kRepaint,
         {"screen", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"one capture after another: only the last one's flag",
         RegionShown,
         [](CAppFlags& a, CCommandFlags&) { return CaptureBegun(a, kCaptureObject, nullptr); },
         kNothing,
         {"object", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kCaptureCommands}},
        {"a capture's paint offers Save, not the file's commands",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags& v) {
             CaptureBegun(a, kCaptureRegion, nullptr);
             return Paint(a, v);
         },
         kCapturePanes,
         {"region", std::string(kCapture) + " 1/3", "1 at 150,100 auto capture-refit", kCaptureCommands}},
        {"a canceled overlay leaves no capture",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             CaptureBegun(a, kCaptureObject, nullptr);
             return CaptureCanceled(a);
         },
         kCanceledPanes,
         {"-", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto capture-refit", kFileCommands}},
        {"the capture's paint refits a user's zoom while its refit is pending",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) {
             CaptureBegun(a, kCaptureRegion, nullptr);
             return Paint(a, v, {1200, 100});
         },
         kCapturePanes,
         {"region", std::string(kCapture) + " 1/3", "0.5 at 0,175 manual capture-refit", kCaptureCommands}},
        {"but not once a ratio was chosen for it",
         RegionShown,
         [](CAppFlags& a, CCommandFlags& v) {
             ZoomPreset(a, 3.0);
             return Paint(a, v);
         },
         kCapturePanes,
         {"region", std::string(kCapture) + " 1/3", "3 at -150,-100 manual panX panY", kCaptureCommands}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);
    EXPECT_TRUE(IsCaptureShown(app));
    CaptureCanceled(app);
    EXPECT_FALSE(IsCaptureShown(app));
}

TEST_F(PictureStateTest, ZoomCommandsPanningAndModes) {
    const Row rows[] = {
        {"a fixed ratio: the user's zoom, centred, panned where it overflows, refits cancelled",
         RegionShownFullScreen,
         [](CAppFlags& a, CCommandFlags&) { return ZoomPreset(a, 2.5); },
         kZoomed,
         {"region", std::string(kCapture) + " 1/3", "2.5 at -75,-50 manual panX panY full", kCaptureCommands}},
        {"a ratio that fits: no panning",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags&) { return ZoomPreset(a, 0.5); },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "0.5 at 225,150 manual", kFileCommands}},
        {"only the axis that overflows pans",
         [](CAppFlags& a, CCommandFlags& v) {
             Open(a, v, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"}, {400, 100});
         },
         [](CAppFlags& a, CCommandFlags&) { return ZoomPreset(a, 2.0); },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "2 at -100,100 manual panX", kFileCommands}},
        {"zoom in from 8 doubles to 16",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             ZoomPreset(a, 8.0);
             return ZoomStepped(a, +1);
         },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "16 at -2100,-1400 manual panX panY", kFileCommands}},
        {"five zoom ins from 1: 2, 4, 8, 16, then only the panning ends",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             for (double z : {2.0, 4.0, 8.0, 16.0}) {
                 EXPECT_EQ(kZoomed, ZoomStepped(a, +1));
                 EXPECT_DOUBLE_EQ(z, g_dZoom);
             }
             return ZoomStepped(a, +1);
         },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "16 at -2100,-1400 manual", kFileCommands}},
        {"a zoom step cancels the refits of full screen and captures",
         RegionShownFullScreen,
         [](CAppFlags& a, CCommandFlags&) { return ZoomStepped(a, +1); },
         kZoomed,
         {"region", std::string(kCapture) + " 1/3", "2 at 0,0 manual full", kCaptureCommands}},
        {"zoom out from 0.1 halves to 0.05",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             ZoomPreset(a, 0.1);
             return ZoomStepped(a, -1);
         },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "0.05 at 292,195 manual", kFileCommands}},
        {"zoom out under 0.1 does nothing",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             ZoomPreset(a, 0.09);
             return ZoomStepped(a, -1);
         },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "0.09 at 286,191 manual", kFileCommands}},
        {"auto zoom fits again and ends the panning",
         ZoomedInFullScreen,
         [](CAppFlags& a, CCommandFlags&) { return AutoZoom(a); },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 auto refit full", kFileCommands}},
        {"the zoom dialog's ratio in range is chosen",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) { return ZoomTyped(a, true, 400, true); },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "4 at -300,-200 manual panX panY", kFileCommands}},
        {"one out of range keeps the ratio, the zoom becomes the user's",
         OpenMiddleOfThree,
         [](CAppFlags& a, CCommandFlags&) {
             Changes changes = kNothing;
             for (int n : {3000, 4, 1601})
                 changes |= ZoomTyped(a, true, n, true);
             return changes;
         },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 manual", kFileCommands}},
        {"a ratio typed into a dialog closed with 0 counts at the next one's end",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags&) {
             EXPECT_EQ(kNothing, ZoomTyped(a, true, 400, false));
             EXPECT_EQ(400, a.m_nZoomPercent);
             return ZoomTyped(a, false, 7, true);
         },
         kZoomed,
         {"file", "C:\\p\\b.bmp 1/3", "4 at -300,-200 manual panX panY", kFileCommands}},
        {"the dialog ends the panning even when it chooses nothing",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags&) { return ZoomTyped(a, false, 0, false); },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual", kFileCommands}},
        {"a drag moves the panned axes within their bounds",
         [](CAppFlags& a, CCommandFlags& v) {
             Open(a, v, "b.bmp", {"c.bmp", "a.bmp", "b.bmp"}, {300, 100});
             ZoomPreset(a, 3.0);  // x -150 and panned; y 50, not panned
             DragHeld(TRUE);
         },
         [](CAppFlags& a, CCommandFlags&) {
             Changes changes = Dragged(a, 100, 50);    // x: -150 + 100 = -50; y does not move
             EXPECT_EQ(changes, Dragged(a, 500, 50));  // x stops at 0
             EXPECT_EQ(changes, Dragged(a, -900, 0));  // and at twice the centre
             return changes;
         },
         kDragStep,
         {"file", "C:\\p\\b.bmp 1/3", "3 at -300,50 manual panX", kFileCommands}},
        {"no drag without the button, nor when nothing overflows",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags&) {
             Changes changes = Dragged(a, 100, 50);
             ZoomPreset(a, 1.0);
             DragHeld(TRUE);
             return changes | Dragged(a, 100, 50);
         },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 manual", kFileCommands}},
        {"a drag makes an auto zoom the user's",
         [](CAppFlags& a, CCommandFlags& v) {
             ZoomedIn(a, v);
             Stepped(a, v, 2, kPicture);  // auto again, still panned until its paint
             DragHeld(TRUE);
         },
         [](CAppFlags& a, CCommandFlags&) { return Dragged(a, 50, 50); },
         kDragStep,
         {"file", "C:\\p\\c.bmp 2/3", "3 at -100,-50 manual panX panY",
          "SaveAs Print Copy Rename Edit Previous ZoomOut ZoomIn Zoom SlideShow"}},
        {"the paint of a file refits an auto zoom",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) {
             AutoZoom(a);
             return Painted(a, v, {900, 600}, kPicture, kCapture);
         },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 300,200 auto", kFileCommands}},
        {"and a user's zoom while full screen's refit is pending",
         ZoomedInFullScreen,
         [](CAppFlags& a, CCommandFlags& v) { return Paint(a, v); },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "1 at 150,100 manual refit full", kFileCommands}},
        {"but not a user's zoom otherwise",
         ZoomedIn,
         [](CAppFlags& a, CCommandFlags& v) { return Paint(a, v); },
         kNothing,
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual panX panY", kFileCommands}},
        {"leaving full screen asks for a refit and ends the panning",
         ZoomedInFullScreen,
         [](CAppFlags& a, CCommandFlags&) { return FullScreenChanged(a, 0); },
         kRepaint,
         {"file", "C:\\p\\b.bmp 1/3", "3 at -150,-100 manual refit", kFileCommands}},
    };
    Run(rows, sizeof rows / sizeof rows[0]);

    // The drag button and the show's flag.
    DragHeld(TRUE);
    EXPECT_TRUE(g_bDragging);
    DragHeld(FALSE);
    EXPECT_FALSE(g_bDragging);
    ShowStarted(TRUE);
    EXPECT_FALSE(g_bSlideStopped);
    ShowStarted(FALSE);
    EXPECT_TRUE(g_bSlideStopped);
}

TEST_F(PictureStateTest, PaneTextsFollowTheState) {
    Start();
    OpenMiddleOfThree(app, view);
    PaneTexts t = FilePanes();
    EXPECT_EQ(CString("b.bmp"), t.pane[1]);
    EXPECT_EQ(CString("? kB"), t.pane[2]);  // C:\p\b.bmp is not on this disk
    EXPECT_EQ(CString(" [300,200] "), t.pane[3]);
    EXPECT_EQ(CString("    100.00%"), t.pane[4]);
    EXPECT_EQ(CString("2 in 3"), t.pane[5]);

    Stepped(app, view, 2, {65535, 1});
    ZoomPreset(app, 0.3);  // 29.999... in binary, shown as 30
    t = FilePanes();
    EXPECT_EQ(CString("c.bmp"), t.pane[1]);
    EXPECT_EQ(CString(" [65535,1] "), t.pane[3]);
    EXPECT_EQ(CString("    30.00%"), t.pane[4]);
    EXPECT_EQ(CString("3 in 3"), t.pane[5]);

    CaptureBegun(app, kCaptureScreen, kCapture);
    Paint(app, view, {1200, 800});
    t = CapturePanes();
    const char* capture[] = {"", " Capture is ok!", "", " [1200,800] ", "    50.00%", ""};
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
