#include "state/PictureState.h"

#include <algorithm>
#include <utility>

#include "state/Fit.h"
#include "state/Zoom.h"

// The view's globals: the picture shown, its folder list, its size, ratio and origin. Their
// starting values are set when the view is made (ViewCreated).
CString g_strFilePath;
CString g_strFileName;
CString g_strFolder;
CStringArray g_fileList;
int g_nFileIndex;
int g_nClientWidth, g_nClientHeight;
int g_nImageWidth, g_nImageHeight;
double g_dZoom;
int g_nDrawX, g_nDrawY;
int g_nCentreX, g_nCentreY;
BOOL g_bManualZoom;
BOOL g_bDragging;
BOOL g_bEnableZoomDialog;
BOOL g_bEnableImageEdit;
BOOL g_bSlideStopped;

namespace PictureState {

namespace {
void SetSourceFlags(CAppFlags& app, BOOL bRegion, BOOL bObject, BOOL bScreen) {
    app.m_bRegionCaptured = bRegion;
    app.m_bObjectCaptured = bObject;
    app.m_bScreenCaptured = bScreen;
}

// The commands that do not depend on the folder list.
void SetPictureCommands(CCommandFlags& view, BOOL bFile) {
    view.m_bEnableZoomOut = 1;
    view.m_bEnableZoomIn = 1;
    g_bEnableZoomDialog = 1;
    g_bEnableImageEdit = 1;
    view.m_bEnableSave = !bFile;  // Save writes a capture; a file is saved with Save As
    view.m_bEnableSaveAs = bFile;
    view.m_bEnableCopy = bFile;
    view.m_bEnablePrint = bFile;
    view.m_bEnableRename = bFile;
}

void PictureMeasured(Size picture) {
    g_nImageWidth = picture.nWidth;
    g_nImageHeight = picture.nHeight;
}

// The ratio and origin that show the picture whole in the last measured client.
void Fitted() {
    FitResult fit = FitPicture(g_nImageWidth, g_nImageHeight, g_nClientWidth, g_nClientHeight);
    g_dZoom = fit.dZoom;
    g_nDrawX = fit.nDrawX;
    g_nDrawY = fit.nDrawY;
}

void PanningReset(CAppFlags& app) {
    app.m_bPanX = 0;
    app.m_bPanY = 0;
}

void CancelRefits(CAppFlags& app) {
    app.m_bRefitPending = 0;
    app.m_bCaptureRefitPending = 0;
}

// Previous is possible after the first entry, Next before the last.
void ApplyEnableRule(CCommandFlags& view) {
    view.m_bEnablePrevious = g_nFileIndex > 0 ? 1 : 0;
    view.m_bEnableNext = g_nFileIndex < g_fileList.GetSize() - 1 ? 1 : 0;
}

// Slide Show is offered while the list has two pictures or more.
void SlideShowEnableRule(CCommandFlags& view) {
    view.m_bEnableSlideShow = g_fileList.GetSize() >= 2 ? 1 : 0;
}

// The picture centred at ratio dZoom: the origin, the centre a drag is held around, and the
// axes a drag may move.
void ZoomCentred(CAppFlags& app, double dZoom) {
    g_nDrawX = CentredOrigin(g_nClientWidth, g_nImageWidth, dZoom);
    g_nDrawY = CentredOrigin(g_nClientHeight, g_nImageHeight, dZoom);
    g_nCentreX = g_nDrawX;
    g_nCentreY = g_nDrawY;
    app.m_bPanX = g_nDrawX < 0 ? 1 : 0;
    app.m_bPanY = g_nDrawY < 0 ? 1 : 0;
}

void ZoomChosen(CAppFlags& app, double dZoom) {
    g_bManualZoom = 1;
    g_dZoom = dZoom;
    CancelRefits(app);
    ZoomCentred(app, dZoom);
}

// Entry nIndex of the list leaves it (its file is gone); the position follows the shown entry.
void EntryDropped(int nIndex) {
    g_fileList.RemoveAt(nIndex);
    if (nIndex < g_nFileIndex)
        --g_nFileIndex;
}

void SlideShowRunning(BOOL bRunning) {
    g_bSlideStopped = bRunning ? 0 : 1;
}
}  // namespace

void ViewCreated(CAppFlags& app, CCommandFlags& view) {
    app = CAppFlags();
    view = CCommandFlags();
    g_strFilePath.Empty();
    g_strFileName.Empty();
    g_strFolder.Empty();
    g_fileList.RemoveAll();
    g_nFileIndex = 0;
    g_nClientWidth = g_nClientHeight = 0;
    g_nImageWidth = g_nImageHeight = 0;
    g_dZoom = 0.0;
    g_nDrawX = g_nDrawY = 0;
    g_nCentreX = g_nCentreY = 0;
    g_bManualZoom = 0;
    g_bDragging = 0;
    g_bEnableZoomDialog = 0;
    g_bEnableImageEdit = 0;
    g_bSlideStopped = 1;
}

Changes Opened(CAppFlags& app,
               CCommandFlags& view,
               const CString& strPath,
               const CString& strName,
               Size picture,
               CStringArray& listing) {
    g_nFileIndex = 0;
    g_strFilePath = strPath;
    g_strFileName = strName;
    g_strFolder = g_strFilePath.Left(g_strFilePath.GetLength() - g_strFileName.GetLength());
    SetSourceFlags(app, 0, 0, 0);
    app.m_bImageLoaded = 1;
    g_bManualZoom = 0;
    PanningReset(app);
    SetPictureCommands(view, 1);
    PictureMeasured(picture);
    Fitted();
    std::sort(listing.GetData(), listing.GetData() + listing.GetSize(),
              [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    std::swap(g_fileList, listing);
    for (int i = 0; i < g_fileList.GetSize(); ++i) {
        if (g_fileList[i] == g_strFilePath)
            g_nFileIndex = i;  // the last equal entry wins
    }
    SlideShowEnableRule(view);
    ApplyEnableRule(view);
    return kFilePanes | kRepaint;
}

Changes OpenCanceled(CCommandFlags& view) {
    ApplyEnableRule(view);
    return kNothing;
}

Changes Stepped(CAppFlags& app, CCommandFlags& view, int nIndex, Size picture) {
    if (!IsEntry(nIndex))
        return kNothing;
    SetSourceFlags(app, 0, 0, 0);
    g_bManualZoom = 0;
    g_strFilePath = g_fileList[nIndex];
    g_nFileIndex = nIndex;
    ApplyEnableRule(view);
    PictureMeasured(picture);
    return kFilePanes | kRepaint;
}

Changes ZoomStepped(CAppFlags& app, int nStep) {
    g_bManualZoom = 1;
    PanningReset(app);
    CancelRefits(app);
    if (nStep < 0 ? !ZoomOutAllowed(g_dZoom) : !ZoomInAllowed(g_dZoom))
        return kNothing;
    g_dZoom = nStep < 0 ? g_dZoom * 0.5 : g_dZoom / 0.5;
    ZoomCentred(app, g_dZoom);
    return kZoomPane | kRepaint;
}

Changes ZoomPreset(CAppFlags& app, double dZoom) {
    ZoomChosen(app, dZoom);
    return kZoomPane | kRepaint;
}

Changes ZoomTyped(CAppFlags& app, bool bTaken, int nPercent, bool bEnded) {
    PanningReset(app);
    if (bTaken)
        app.m_nZoomPercent = nPercent;
    if (!bEnded)
        return kNothing;
    g_bManualZoom = 1;
    if (!ZoomPercentInRange(app.m_nZoomPercent))
        return kNothing;
    ZoomChosen(app, app.m_nZoomPercent / 100.0);
    return kZoomPane | kRepaint;
}

Changes AutoZoom(CAppFlags& app) {
    g_bManualZoom = 0;
    // A fitted picture is never dragged, a capture's included (its paint keeps these flags).
    PanningReset(app);
    Fitted();
    return kZoomPane | kRepaint;
}

Changes DragHeld(BOOL bHeld) {
    g_bDragging = bHeld;
    return kNothing;
}

Changes Dragged(CAppFlags& app, int nDeltaX, int nDeltaY) {
    if (!g_bDragging || !(app.m_bPanX || app.m_bPanY))
        return kNothing;
    if (app.m_bPanX)
        g_nDrawX = DragOrigin(g_nDrawX, nDeltaX, g_nCentreX);
    if (app.m_bPanY)
        g_nDrawY = DragOrigin(g_nDrawY, nDeltaY, g_nCentreY);
    g_bManualZoom = 1;
    return kDragStep;
}

Changes Painted(CAppFlags& app, CCommandFlags& view, Size client, Size picture, const char* pszCaptureFile) {
    g_nClientWidth = client.nWidth;
    g_nClientHeight = client.nHeight;
    if (IsCaptureShown(app)) {
        SetPictureCommands(view, 0);
        view.m_bEnableSlideShow = 0;
        view.m_bEnablePrevious = 0;
        view.m_bEnableNext = 0;
        g_strFilePath = pszCaptureFile;
        PictureMeasured(picture);
        if (!g_bManualZoom || app.m_bRefitPending || app.m_bCaptureRefitPending)
            Fitted();
        return kCapturePanes;
    }
    if (app.m_bImageLoaded) {
        PictureMeasured(picture);
        if (!g_bManualZoom || app.m_bRefitPending) {
            PanningReset(app);
            Fitted();
        }
    }
    return kNothing;
}

Changes CaptureBegun(CAppFlags& app, CaptureSource source, const char* pszCaptureFile) {
    SetSourceFlags(app, source == kCaptureRegion, source == kCaptureObject, source == kCaptureScreen);
    app.m_bImageLoaded = 0;
    app.m_bCaptureRefitPending = 1;
    PanningReset(app);
    if (!pszCaptureFile)
        return kNothing;
    g_strFilePath = pszCaptureFile;
    return kRepaint;
}

Changes CaptureCanceled(CAppFlags& app) {
    // A window overlay closed from outside ends here too.
    app.m_bRegionCaptured = 0;
    app.m_bObjectCaptured = 0;
    return kCanceledPanes;
}

Changes FullScreenChanged(CAppFlags& app, BOOL bOn) {
    app.m_bFullScreen = bOn;
    app.m_bRefitPending = 1;
    PanningReset(app);
    return kRepaint;
}

Changes ShowStarted(BOOL bRunning) {
    SlideShowRunning(bRunning);
    return kNothing;
}

Changes ShowTicked(CAppFlags& app, CCommandFlags& view, const std::vector<int>& gone, int nNext, Size picture) {
    // The handler's indices are those of the list as it looked: the entries leave from the
    // highest down, and the entry to show moves up by those that left before it.
    std::vector<int> order(gone.begin(), gone.end());
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    int nShown = nNext;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!IsEntry(*it))
            continue;
        if (nNext >= 0 && *it < nNext)
            --nShown;
        EntryDropped(*it);
    }
    Changes changes = nShown >= 0 ? Stepped(app, view, nShown, picture) : kNothing;
    // Entries that left the list may leave too few for a show, or none that can be shown.
    SlideShowEnableRule(view);
    if (nShown < 0 || !view.m_bEnableSlideShow) {
        SlideShowRunning(FALSE);
        if (g_nFileIndex >= g_fileList.GetSize())
            g_nFileIndex = g_fileList.GetSize() > 0 ? g_fileList.GetSize() - 1 : 0;
        ApplyEnableRule(view);
        changes |= kShowStopped | kPositionPane;
    }
    return changes;
}

Changes RenameTextSet(CAppFlags& app, const CString& strText) {
    app.m_strRenameTo = strText;
    return kNothing;
}

Changes Renamed(int nIndex, const CString& strOldPath, const CString& strNewPath) {
    if (IsEntry(nIndex) && g_fileList[nIndex] == strOldPath)
        g_fileList.SetAt(nIndex, strNewPath);
    if (g_strFilePath != strOldPath)
        return kNothing;
    g_strFilePath = strNewPath;
    return kNamePane;
}

// ---- reading the state ----

BOOL IsCaptureShown(const CAppFlags& app) {
    return app.m_bRegionCaptured || app.m_bObjectCaptured || app.m_bScreenCaptured;
}

BOOL IsEntry(int nIndex) {
    return nIndex >= 0 && nIndex < g_fileList.GetSize();
}

// ---- the status bar ----

CString FileNameText() {
    return g_strFilePath.Mid(g_strFolder.GetLength());
}

CString PictureSizeText() {
    CString s;
    s.Format(" [%d,%d] ", g_nImageWidth, g_nImageHeight);
    return s;
}

CString PositionText() {
    CString s;
    s.Format("%d in %d", g_nFileIndex + 1, g_fileList.GetSize());
    return s;
}

PaneTexts FilePanes() {
    PaneTexts t;
    t.pane[1] = FileNameText();
    t.pane[2] = FileSizeText(g_strFilePath);
    t.pane[3] = PictureSizeText();
    t.pane[4] = ZoomText();
    t.pane[5] = PositionText();
    return t;
}

PaneTexts CapturePanes() {
    PaneTexts t;
    t.pane[1] = " Capture is ok!";
    t.pane[3] = PictureSizeText();
    t.pane[4] = ZoomText();
    return t;
}

PaneTexts CaptureCanceledPanes() {
    PaneTexts t;
    t.pane[1] = "Capture is canceled!";
    return t;
}

}  // namespace PictureState

CString FileSizeText(const char* pszPath) {
    WIN32_FILE_ATTRIBUTE_DATA st;
    CString s;
    if (::GetFileAttributesExW(AfxSystemPath(pszPath).c_str(), GetFileExInfoStandard, &st))
        s.Format("%.2f kB", ((static_cast<ULONGLONG>(st.nFileSizeHigh) << 32) | st.nFileSizeLow) / 1024.0);
    else
        s = "? kB";
    return s;
}

CString ZoomText() {
    CString s;
    s.Format("    %.2f", ZoomPercentFloor(g_dZoom));
    s += "%";
    return s;
}
