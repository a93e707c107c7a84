#include "app/PictureState.h"

#include <algorithm>
#include <utility>

#include "app/Norvel.h"
#include "dialogs/ZoomDlg.h"
#include "view/Fit.h"
#include "view/NorvelView.h"
#include "view/Zoom.h"

// The view's globals: the picture shown, its folder list, its size, ratio and origin.
CString g_strFilePath;
CString g_strFileName;
CString g_strFolder;
CStringArray g_fileList;
int g_nFileIndex = 0;
int g_nClientWidth = 0, g_nClientHeight = 0;
int g_nImageWidth = 0, g_nImageHeight = 0;
double g_dZoom = 0.0;
int g_nDrawX = 0, g_nDrawY = 0;
int g_nCentreX = 0, g_nCentreY = 0;
BOOL g_bManualZoom = 0;
BOOL g_bDragging = 0;
BOOL g_bEnableZoomDialog = 0;
BOOL g_bEnableImageEdit = 0;
BOOL g_bSlideStopped = 1;

namespace PictureState {

namespace {
void SetSourceFlags(CNorvelApp& app, BOOL bRegion, BOOL bObject, BOOL bScreen) {
    app.m_bRegionCaptured = bRegion;
    app.m_bObjectCaptured = bObject;
    app.m_bScreenCaptured = bScreen;
}

// The commands that do not depend on the folder list.
void SetPictureCommands(CNorvelView& view, BOOL bFile) {
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
}  // namespace

// ---- the window and the picture measured ----

void ViewCreated(CNorvelView& view) {
    view.m_bEnablePrevious = 0;
    view.m_bEnableNext = 0;
    view.m_bEnableZoomOut = 0;
    view.m_bEnableZoomIn = 0;
    view.m_bEnableSlideShow = 0;
    view.m_bEnableSave = 0;
    view.m_bEnableSaveAs = 0;
    view.m_bEnableCopy = 0;
    view.m_bEnablePrint = 0;
    view.m_bEnableRename = 0;
    g_bDragging = 0;
}

void ClientMeasured(int nWidth, int nHeight) {
    g_nClientWidth = nWidth;
    g_nClientHeight = nHeight;
}

void PictureMeasured(int nWidth, int nHeight) {
    g_nImageWidth = nWidth;
    g_nImageHeight = nHeight;
}

void Fitted() {
    FitResult fit = FitPicture(g_nImageWidth, g_nImageHeight, g_nClientWidth, g_nClientHeight);
    g_dZoom = fit.dZoom;
    g_nDrawX = fit.nDrawX;
    g_nDrawY = fit.nDrawY;
}

void FileFittedForPaint(CNorvelApp& app) {
    if (!g_bManualZoom || app.m_bRefitPending) {
        PanningReset(app);
        Fitted();
    }
}

void CaptureFittedForPaint(const CNorvelApp& app) {
    if (!g_bManualZoom || app.m_bRefitPending || app.m_bCaptureRefitPending)
        Fitted();
}

// ---- files and the folder list ----

void FileOpened(CNorvelApp& app, CNorvelView& view, const CString& strPath, const CString& strName) {
    g_nFileIndex = 0;
    g_strFilePath = strPath;
    g_strFileName = strName;
    g_strFolder = g_strFilePath.Left(g_strFilePath.GetLength() - g_strFileName.GetLength());
    SetSourceFlags(app, 0, 0, 0);
    app.m_bImageLoaded = 1;
    g_bManualZoom = 0;
    PanningReset(app);
    SetPictureCommands(view, 1);
}

void FolderListed(CStringArray& list) {
    std::sort(list.GetData(), list.GetData() + list.GetSize(),
              [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    std::swap(g_fileList, list);
    for (int i = 0; i < g_fileList.GetSize(); ++i) {
        if (g_fileList[i] == g_strFilePath)
            g_nFileIndex = i;  // the last equal entry wins
    }
}

void ListCommandsEnabled(CNorvelView& view) {
    SlideShowEnableRule(view);
    ApplyEnableRule(view);
}

void ApplyEnableRule(CNorvelView& view) {
    view.m_bEnablePrevious = g_nFileIndex > 0 ? 1 : 0;
    view.m_bEnableNext = g_nFileIndex < g_fileList.GetSize() - 1 ? 1 : 0;
}

BOOL EntryShown(CNorvelApp& app, CNorvelView& view, int nIndex) {
    if (nIndex < 0 || nIndex >= g_fileList.GetSize())
        return FALSE;
    SetSourceFlags(app, 0, 0, 0);
    g_bManualZoom = 0;
    g_strFilePath = g_fileList[nIndex];
    g_nFileIndex = nIndex;
    ApplyEnableRule(view);
    return TRUE;
}

void EntryDropped(int nIndex) {
    if (nIndex < 0 || nIndex >= g_fileList.GetSize())
        return;
    g_fileList.RemoveAt(nIndex);
    if (nIndex < g_nFileIndex)
        --g_nFileIndex;
}

BOOL FileRenamed(int nIndex, const CString& strOldPath, const CString& strNewPath) {
    if (nIndex >= 0 && nIndex < g_fileList.GetSize() && g_fileList[nIndex] == strOldPath)
        g_fileList.SetAt(nIndex, strNewPath);
    if (g_strFilePath != strOldPath)
        return FALSE;
    g_strFilePath = strNewPath;
    return TRUE;
}

void RenameTextSet(CNorvelApp& app, const CString& strText) {
    app.m_strRenameTo = strText;
}

// ---- captures ----

void CaptureBegun(CNorvelApp& app, CaptureSource source, const char* pszCaptureFile) {
    SetSourceFlags(app, source == kCaptureRegion, source == kCaptureObject, source == kCaptureScreen);
    app.m_bImageLoaded = 0;
    app.m_bCaptureRefitPending = 1;
    PanningReset(app);
    if (pszCaptureFile)
        g_strFilePath = pszCaptureFile;
}

void CaptureCanceled(CNorvelApp& app) {
    // A window overlay closed from outside ends here too.
    app.m_bRegionCaptured = 0;
    app.m_bObjectCaptured = 0;
}

void CaptureShown(CNorvelView& view, const char* pszCaptureFile) {
    SetPictureCommands(view, 0);
    view.m_bEnableSlideShow = 0;
    view.m_bEnablePrevious = 0;
    view.m_bEnableNext = 0;
    g_strFilePath = pszCaptureFile;
}

BOOL IsCaptureShown(const CNorvelApp& app) {
    return app.m_bRegionCaptured || app.m_bObjectCaptured || app.m_bScreenCaptured;
}

// ---- zoom and panning ----

void ZoomCentred(CNorvelApp& app, double dZoom) {
    g_nDrawX = CentredOrigin(g_nClientWidth, g_nImageWidth, dZoom);
    g_nDrawY = CentredOrigin(g_nClientHeight, g_nImageHeight, dZoom);
    g_nCentreX = g_nDrawX;
    g_nCentreY = g_nDrawY;
    app.m_bPanX = g_nDrawX < 0 ? 1 : 0;
    app.m_bPanY = g_nDrawY < 0 ? 1 : 0;
}

namespace {
void CancelRefits(CNorvelApp& app) {
    app.m_bRefitPending = 0;
    app.m_bCaptureRefitPending = 0;
}
}  // namespace

void ZoomChosen(CNorvelApp& app, double dZoom) {
    g_bManualZoom = 1;
    g_dZoom = dZoom;
    CancelRefits(app);
    ZoomCentred(app, dZoom);
}

BOOL ZoomStepped(CNorvelApp& app, int nStep) {
    g_bManualZoom = 1;
    PanningReset(app);
    CancelRefits(app);
    if (nStep < 0 ? !ZoomOutAllowed(g_dZoom) : !ZoomInAllowed(g_dZoom))
        return FALSE;
    g_dZoom = nStep < 0 ? g_dZoom * 0.5 : g_dZoom / 0.5;
    ZoomCentred(app, g_dZoom);
    return TRUE;
}

void AutoZoomChosen(CNorvelApp& app) {
    g_bManualZoom = 0;
    // A fitted picture is never dragged, a capture's included (its paint keeps these flags).
    PanningReset(app);
    Fitted();
}

void ZoomRatioTyped(CNorvelApp& app, int nPercent) {
    app.m_nZoomPercent = nPercent;
}

BOOL ZoomDialogEnded(CNorvelApp& app) {
    g_bManualZoom = 1;
    if (!ZoomPercentInRange(app.m_nZoomPercent))
        return FALSE;
    ZoomChosen(app, app.m_nZoomPercent / 100.0);
    return TRUE;
}

void PanningReset(CNorvelApp& app) {
    app.m_bPanX = 0;
    app.m_bPanY = 0;
}

void DragHeld(BOOL bHeld) {
    g_bDragging = bHeld;
}

void Dragged(const CNorvelApp& app, int nDeltaX, int nDeltaY) {
    if (app.m_bPanX)
        g_nDrawX = DragOrigin(g_nDrawX, nDeltaX, g_nCentreX);
    if (app.m_bPanY)
        g_nDrawY = DragOrigin(g_nDrawY, nDeltaY, g_nCentreY);
    g_bManualZoom = 1;
}

// ---- modes ----

void FullScreenChanged(CNorvelApp& app, BOOL bOn) {
    app.m_bFullScreen = bOn;
    app.m_bRefitPending = 1;
    PanningReset(app);
}

void SlideShowRunning(BOOL bRunning) {
    g_bSlideStopped = bRunning ? 0 : 1;
}

void SlideShowEnableRule(CNorvelView& view) {
    view.m_bEnableSlideShow = g_fileList.GetSize() >= 2 ? 1 : 0;
}

void SlideShowEnded(CNorvelView& view) {
    if (g_nFileIndex >= g_fileList.GetSize())
        g_nFileIndex = g_fileList.GetSize() > 0 ? g_fileList.GetSize() - 1 : 0;
    ApplyEnableRule(view);
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
