// The shown picture's state and every change made to it. The state lives where the program
// reads it: the view's globals (view/NorvelView.h), the application object's source and mode
// flags (app/Norvel.h) and the view's command-enable flags. Only these functions write them;
// a handler does its window work (decoding, painting, timers, the status bar) around one call,
// and the texts of the status bar's panes follow from the state through the functions below.
#pragma once

#include "framework/Afx.h"

class CNorvelApp;
class CNorvelView;

namespace PictureState {

// ---- the window and the picture measured ----

// The view and its command flags as a new view starts: nothing enabled, nothing dragged.
void ViewCreated(CNorvelView& view);
// The client size at the start of a paint.
void ClientMeasured(int nWidth, int nHeight);
// The pixel size of the picture shown (0 x 0 when it cannot be decoded).
void PictureMeasured(int nWidth, int nHeight);
// The ratio and origin that show the picture whole in the last measured client.
void Fitted();
// A paint of an opened file refits unless the zoom is the user's and no refit is pending; a
// fitted picture is not dragged.
void FileFittedForPaint(CNorvelApp& app);
// A paint of a capture refits unless the zoom is the user's and no refit is pending (the
// capture's panning was settled when it began).
void CaptureFittedForPaint(const CNorvelApp& app);

// ---- files and the folder list ----

// A file chosen with Open: its path, name and folder, the first entry of the list until the
// list is built, fitted and not panned, every capture flag off; the commands a file offers
// except those that depend on the folder list.
void FileOpened(CNorvelApp& app, CNorvelView& view, const CString& strPath, const CString& strName);
// The pictures of the shown file's folder become the list, sorted by CString::Compare; the
// shown file's entry (the last equal one) becomes the position. When the shown file is not
// among them the position stays.
void FolderListed(CStringArray& list);
// The commands that depend on the list: Previous and Next by the position, Slide Show for a
// list of two pictures or more.
void ListCommandsEnabled(CNorvelView& view);
// Previous is possible after the first entry, Next before the last.
void ApplyEnableRule(CNorvelView& view);
// Entry nIndex of the list is shown, fitted at its first paint. FALSE, with nothing changed,
// for an index outside the list.
BOOL EntryShown(CNorvelApp& app, CNorvelView& view, int nIndex);
// Entry nIndex left the list (its file is gone); the position follows the shown entry.
void EntryDropped(int nIndex);
// The shown file strOldPath, entry nIndex of the list when Rename began, is now strNewPath:
// the entry, and the shown path while that file is still the one shown, follow it. TRUE when
// the shown path changed.
BOOL FileRenamed(int nIndex, const CString& strOldPath, const CString& strNewPath);
// The text Rename hands to its dialog (the shown file's name) and takes back (the new name
// without its extension).
void RenameTextSet(CNorvelApp& app, const CString& strText);

// ---- captures ----

enum CaptureSource { kCaptureRegion, kCaptureObject, kCaptureScreen };
// A capture has begun: its flag on, every other source off, a refit asked for and no panning
// until the capture is measured. A screen capture is already in its file, pszCaptureFile,
// which becomes the shown path; an overlay capture passes nullptr.
void CaptureBegun(CNorvelApp& app, CaptureSource source, const char* pszCaptureFile);
// The overlay was closed without a capture.
void CaptureCanceled(CNorvelApp& app);
// A capture is shown from its file: the commands a capture offers.
void CaptureShown(CNorvelView& view, const char* pszCaptureFile);
// The picture shown is a capture.
BOOL IsCaptureShown(const CNorvelApp& app);

// ---- zoom and panning ----

// The picture centred at ratio dZoom: the origin, the centre a drag is held around, and the
// axes a drag may move.
void ZoomCentred(CNorvelApp& app, double dZoom);
// A ratio the user chose (a fixed ratio, the Zoom dialog): the zoom is the user's, the refits
// that full screen and captures asked for are cancelled, and the picture is centred.
void ZoomChosen(CNorvelApp& app, double dZoom);
// Zoom out (nStep -1) or in (+1) by a factor of two: the zoom is the user's and the pending
// refits are cancelled in any case; FALSE, with the ratio unchanged and nothing panned, at
// the limit.
BOOL ZoomStepped(CNorvelApp& app, int nStep);
// Auto Zoom: fitted again, and the paints refit.
void AutoZoomChosen(CNorvelApp& app);
// The last ratio typed into the Zoom dialog, in percent.
void ZoomRatioTyped(CNorvelApp& app, int nPercent);
// The Zoom dialog ended other than with 0: the zoom is the user's, and the last ratio typed is
// chosen when it lies within 5 % and 1600 % (TRUE); otherwise the ratio stays (FALSE).
BOOL ZoomDialogEnded(CNorvelApp& app);
// Nothing is dragged until a zoom command measures the picture again.
void PanningReset(CNorvelApp& app);
// The left button went down in the view (TRUE) or the drag ended (FALSE).
void DragHeld(BOOL bHeld);
// One drag step of (nDeltaX, nDeltaY) along the axes that may move; the zoom is the user's.
void Dragged(const CNorvelApp& app, int nDeltaX, int nDeltaY);

// ---- modes ----

// Full-screen mode entered (TRUE) or left: the next paint refits, nothing is dragged.
void FullScreenChanged(CNorvelApp& app, BOOL bOn);
// The slide show started (TRUE) or stopped.
void SlideShowRunning(BOOL bRunning);
// Slide Show is offered while the list has two pictures or more.
void SlideShowEnableRule(CNorvelView& view);
// The show ended with the list shortened: the position stays within it, Previous and Next
// follow.
void SlideShowEnded(CNorvelView& view);

// ---- the status bar ----

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
