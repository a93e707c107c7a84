// The shown picture's state and the user events that change it. The state lives where the
// program reads it: the view's globals (below), the application object's source and mode flags
// (app/AppFlags.h) and the view's command-enable flags (CCommandFlags, which the view is). Only
// the events below write them. A handler does its window work (decoding, listing the folder),
// calls one event with what it measured, and hands what the event says changed to the view's
// presenter, which writes the panes and invalidates.
#pragma once

#include <vector>

#include "app/AppFlags.h"
#include "framework/Afx.h"

// The view's command-enable flags; the update handlers read them (and the two globals below).
struct CCommandFlags {
    BOOL m_bEnablePrevious = 0;
    BOOL m_bEnableNext = 0;
    BOOL m_bEnableZoomOut = 0;
    BOOL m_bEnableZoomIn = 0;
    BOOL m_bEnableSlideShow = 0;
    BOOL m_bEnableSave = 0;
    BOOL m_bEnableSaveAs = 0;
    BOOL m_bEnableCopy = 0;
    BOOL m_bEnablePrint = 0;
    BOOL m_bEnableRename = 0;
};

// The view's globals: the picture shown, its folder list, its size, ratio and origin.
extern CString g_strFilePath;                // picture to draw; the capture file while a capture is shown
extern CString g_strFileName;                // file name part returned by the Open dialog
extern CString g_strFolder;                  // folder of the opened picture, with its trailing backslash
extern CStringArray g_fileList;              // pictures of that folder, sorted
extern int g_nFileIndex;                     // index of the picture shown in g_fileList
extern int g_nClientWidth, g_nClientHeight;  // client size at the start of the last paint
extern int g_nImageWidth, g_nImageHeight;    // pixel size of the picture shown
extern double g_dZoom;                       // 1.0 draws one picture pixel per screen pixel
extern int g_nDrawX, g_nDrawY;               // top-left corner of the scaled picture, client coordinates
extern int g_nCentreX, g_nCentreY;           // centred origin of the last zoom command
extern BOOL g_bManualZoom;                   // 0: refit on every paint (Auto Zoom)
extern BOOL g_bDragging;                     // the left button is held down in the view
extern BOOL g_bEnableZoomDialog;
extern BOOL g_bEnableImageEdit;
extern BOOL g_bSlideStopped;  // the slide show is not running

namespace PictureState {

// What an event changed, for the presenter: which panes to write and what to draw.
enum Change : unsigned {
    kNothing = 0,
    kFilePanes = 1u << 0,      // panes 1 to 5 of a file (FilePanes)
    kCapturePanes = 1u << 1,   // panes 1 to 5 of a capture (CapturePanes)
    kCanceledPanes = 1u << 2,  // panes 1 to 5 of a canceled overlay (CaptureCanceledPanes)
    kZoomPane = 1u << 3,       // pane 4 as a zoom command writes it (ZoomCommandText)
    kNamePane = 1u << 4,       // pane 1, the shown file's name (FileNameText)
    kPositionPane = 1u << 5,   // pane 5, the position in the list (PositionText)
    kRepaint = 1u << 6,        // the whole view, erased and painted again
    kDragStep = 1u << 7,       // the picture drawn at its new origin at once
    kShowStopped = 1u << 8,    // the slide show's timer is to be killed
};
using Changes = unsigned;

// A size a handler measured (a client area, a picture; 0 x 0 for one that does not decode).
struct Size {
    int nWidth;
    int nHeight;
};

// ---- user events: each given what its handler measured, each returning what changed ----

// The program's one view is made: the state the program starts with (nothing shown, nothing
// enabled, nothing dragged, no show running, auto zoom).
void ViewCreated(CAppFlags& app, CCommandFlags& view);
// Open chose strPath (named strName) whose picture measures picture, in a folder whose pictures
// are listing (as the disk gives them; taken). The file is shown fitted in the last measured
// client, not panned, every capture flag off; the list sorted by CString::Compare with the
// file's entry (the last equal one) as the position, the first when it is not among them.
Changes Opened(CAppFlags& app,
               CCommandFlags& view,
               const CString& strPath,
               const CString& strName,
               Size picture,
               CStringArray& listing);
// The Open dialog was closed without a file: Previous and Next follow the position.
Changes OpenCanceled(CCommandFlags& view);
// Previous, Next or a slide-show step: entry nIndex of the list, whose picture measures picture,
// is shown, fitted at its first paint. Nothing changes for an index outside the list.
Changes Stepped(CAppFlags& app, CCommandFlags& view, int nIndex, Size picture);
// Zoom out (nStep -1) or in (+1) by a factor of two: the zoom is the user's and the pending
// refits are cancelled in any case; nothing else at the limit (not even the panning).
Changes ZoomStepped(CAppFlags& app, int nStep);
// A fixed ratio: the zoom is the user's, the refits that full screen and captures asked for are
// cancelled, and the picture is centred.
Changes ZoomPreset(CAppFlags& app, double dZoom);
// The Zoom dialog closed: the panning ends; the ratio typed last (bTaken) is kept however it
// closed; when it ended other than with 0 (bEnded) the zoom is the user's, and the last ratio
// typed is chosen as ZoomPreset chooses it when it lies within 5 % and 1600 %.
Changes ZoomTyped(CAppFlags& app, bool bTaken, int nPercent, bool bEnded);
// Auto Zoom: fitted again, not panned, and the paints refit.
Changes AutoZoom(CAppFlags& app);
// The left button went down in the view (TRUE), or the drag ended (FALSE).
Changes DragHeld(BOOL bHeld);
// The mouse moved by (nDeltaX, nDeltaY): while the button is held over a picture that can be
// dragged, the axes that may move follow within their bounds and the zoom is the user's.
Changes Dragged(CAppFlags& app, int nDeltaX, int nDeltaY);
// A paint of client, showing a picture that measures picture (a file's, or pszCaptureFile's
// while a capture is shown). A file refits unless the zoom is the user's and no refit is pending,
// and a refitted file is not dragged; a capture offers its commands and refits unless the zoom is
// the user's and no refit is pending (its panning was settled when it began).
Changes Painted(CAppFlags& app, CCommandFlags& view, Size client, Size picture, const char* pszCaptureFile);

enum CaptureSource { kCaptureRegion, kCaptureObject, kCaptureScreen };
// A capture has begun: its flag on, every other source off, a refit asked for and no panning
// until the capture is measured. A screen capture is already in its file, pszCaptureFile,
// which becomes the shown path; an overlay capture passes nullptr.
Changes CaptureBegun(CAppFlags& app, CaptureSource source, const char* pszCaptureFile);
// The overlay was closed without a capture.
Changes CaptureCanceled(CAppFlags& app);
// Full-screen mode entered (TRUE) or left: the next paint refits, nothing is dragged.
Changes FullScreenChanged(CAppFlags& app, BOOL bOn);
// Slide Show started (TRUE) or stopped.
Changes ShowStarted(BOOL bRunning);
// A tick of the running show. The handler looked at the entries after the shown one in turn
// (the first after the last, the shown one last): gone holds those whose files are gone, in
// that order, and nNext the first that decodes (its picture measures picture), or -1. Gone
// entries leave the list, entry nNext is shown; when none can be shown, or too few are left
// for a show, the show stops with the position within the list.
Changes ShowTicked(CAppFlags& app, CCommandFlags& view, const std::vector<int>& gone, int nNext, Size picture);
// The text Rename hands to its dialog (the shown file's name) and takes back (the new base).
Changes RenameTextSet(CAppFlags& app, const CString& strText);
// The shown file strOldPath, entry nIndex of the list when Rename began, is now strNewPath:
// the entry, and the shown path while that file is still the one shown, follow it.
Changes Renamed(int nIndex, const CString& strOldPath, const CString& strNewPath);

// ---- reading the state ----

// The picture shown is a capture.
BOOL IsCaptureShown(const CAppFlags& app);
// nIndex is an entry of the list.
BOOL IsEntry(int nIndex);

// The texts of panes 1 to 5 (pane[0] is the first pane, which the view does not write).
struct PaneTexts {
    CString pane[6];
};
// A file shown: its name within the folder, its size, its pixel size, the ratio, the position.
PaneTexts FilePanes();
// A capture shown: " Capture is ok!", its pixel size and the ratio.
PaneTexts CapturePanes();
// The overlay closed without a capture.
PaneTexts CaptureCanceledPanes();
// Pane 1 for a file: its name within the folder.
CString FileNameText();
// Pane 3: the picture's pixel size, " [W,H] ".
CString PictureSizeText();
// Pane 5: the position in the list, "N in M".
CString PositionText();

}  // namespace PictureState

// Text of pane 2 for a file: its size in kB, or "? kB" when its status cannot be read.
CString FileSizeText(const char* pszPath);
// Text of pane 4 after an open, a step or a paint: the current ratio in per cent.
CString ZoomText();
