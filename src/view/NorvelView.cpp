#include "view/NorvelView.h"

#include "framework/GdiPlus.h"

#include <math.h>
#include <sys/stat.h>
#include <string.h>

#include "app/Norvel.h"
#include "res/resource.h"
#include "view/Fit.h"
#include "view/PictureCache.h"
#include "view/PicturePreload.h"
#include "view/PrintJob.h"
#include "view/Zoom.h"

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
wchar_t g_wszPath[kWidePathChars];

const wchar_t* ToWide(const char* pszPath) {
    return AfxToWideBuffer(pszPath, g_wszPath, kWidePathChars);
}

CString FileSizeText(const char* pszPath) {
    struct _stati64 st;
    CString s;
    if (_stati64(pszPath, &st) == 0)
        s.Format("%.2f kB", st.st_size / 1024.0);
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

IMPLEMENT_DYNCREATE(CNorvelView, CView)

BEGIN_MESSAGE_MAP(CNorvelView, CView)
ON_WM_ERASEBKGND()
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_VIEW_PREVIOUS, OnPrevious)
ON_COMMAND(ID_VIEW_NEXT, OnNext)
ON_UPDATE_COMMAND_UI(ID_VIEW_PREVIOUS, OnUpdatePrevious)
ON_UPDATE_COMMAND_UI(ID_VIEW_NEXT, OnUpdateNext)
ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOMOUT, OnUpdateZoomOut)
ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOMIN, OnUpdateZoomIn)
ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM, OnUpdateZoomDialog)
ON_UPDATE_COMMAND_UI(ID_VIEW_AUTOZOOM, OnUpdateAutoZoom)
ON_UPDATE_COMMAND_UI(ID_TOOLS_SLIDESTARTSTOP, OnUpdateSlideShow)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateSave)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateSaveAs)
ON_UPDATE_COMMAND_UI(ID_IMAGE_COPY, OnUpdateCopy)
ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdatePrint)
ON_UPDATE_COMMAND_UI(ID_IMAGE_RENAME, OnUpdateRename)
ON_UPDATE_COMMAND_UI(ID_IMAGE_EDIT, OnUpdateImageEdit)
ON_COMMAND(ID_TOOLS_CAPTURESCREEN, OnCaptureScreen)
ON_MESSAGE(WM_CAPTURE_STARTING, OnCaptureStarting)
ON_COMMAND(ID_VIEW_ZOOMOUT, OnZoomOut)
ON_COMMAND(ID_VIEW_ZOOMIN, OnZoomIn)
ON_COMMAND(ID_VIEW_ZOOM, OnZoomDialog)
ON_COMMAND_RANGE(ID_ZOOM_25, ID_ZOOM_50, OnZoomPreset)
ON_COMMAND(ID_VIEW_AUTOZOOM, OnAutoZoom)
ON_COMMAND(ID_HELP_UPDATE, OnCheckUpdate)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_SETCURSOR()
ON_WM_CAPTURECHANGED()
ON_COMMAND(ID_FILE_SAVE, OnSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnSaveAs)
ON_COMMAND(ID_IMAGE_COPY, OnCopyToClipboard)
ON_COMMAND(ID_IMAGE_CLEARCLIPBOARD, OnClearClipboard)
ON_COMMAND(ID_IMAGE_RENAME, OnRename)
ON_COMMAND(ID_IMAGE_EDIT, OnImageEdit)
ON_COMMAND(ID_HELP_HOMEPAGE, OnHomePage)
ON_COMMAND(ID_FILE_PRINT, OnPrintImage)
ON_COMMAND(ID_FILE_PRINT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, CView::OnFilePrintPreview)
ON_COMMAND(ID_WALLPAPER_CENTER, OnWallpaperCenter)
ON_COMMAND(ID_WALLPAPER_STRETCH, OnWallpaperStretch)
ON_COMMAND(ID_WALLPAPER_TILE, OnWallpaperTile)
ON_COMMAND(ID_WALLPAPER_NONE, OnWallpaperNone)
ON_WM_RBUTTONDOWN()
ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, OnToolbarDropDown)
ON_COMMAND(ID_TOOLS_SLIDESTARTSTOP, OnSlideShow)
ON_COMMAND(ID_TOOLS_SLIDESETUP, OnSlideSetup)
ON_WM_TIMER()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CNorvelView::CNorvelView()
    : m_pPicture(new CPictureCache), m_pRendered(new CRenderedPicture), m_pPreload(new CPicturePreload) {
    m_pPicture->SetPreload(m_pPreload.get());
    m_bEnablePrevious = 0;
    m_bEnableNext = 0;
    m_bEnableZoomOut = 0;
    m_bEnableZoomIn = 0;
    m_bEnableSlideShow = 0;
    m_bEnableSave = 0;
    m_bEnableSaveAs = 0;
    m_bEnableCopy = 0;
    m_bEnablePrint = 0;
    m_bEnableRename = 0;

    m_hCursorOpenHand = AfxGetApp()->LoadCursor(IDC_OPENHAND);
    m_hCursorClosedHand = AfxGetApp()->LoadCursor(IDC_CLOSEDHAND);
    g_bDragging = 0;
}

CNorvelView::~CNorvelView() = default;

BOOL CNorvelView::PreCreateWindow(CREATESTRUCTA& cs) {
    return CView::PreCreateWindow(cs);
}

BOOL CNorvelView::OnPreparePrinting(CPrintInfo* pInfo) {
    return DoPreparePrinting(pInfo);
}

void CNorvelView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CNorvelView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CNorvelView::OnEraseBkgnd(CDC* pDC) {
    CBrush brush(kViewBackground);
    HGDIOBJ hOld = pDC->SelectObject(brush);
    CRect rc;
    pDC->GetClipBox(&rc);
    pDC->PatBlt(rc.left, rc.top, rc.Width(), rc.Height(), PATCOPY);
    pDC->SelectObject(hOld);
    return TRUE;
}

void CNorvelView::FitToWindow() {
    FitResult fit = FitPicture(g_nImageWidth, g_nImageHeight, g_nClientWidth, g_nClientHeight);
    g_dZoom = fit.dZoom;
    g_nDrawX = fit.nDrawX;
    g_nDrawY = fit.nDrawY;
}

void CNorvelView::SetStatusText(int nPane, const char* lpszText) {
    CWnd* pMain = AfxGetMainWnd();
    CStatusBar* pBar = pMain ? dynamic_cast<CStatusBar*>(pMain->GetDescendantWindow(AFX_IDW_STATUS_BAR)) : nullptr;
    if (pBar)
        pBar->SetPaneText(nPane, lpszText, TRUE);
}

Gdiplus::Image* CNorvelView::MeasureShownPicture() {
    Gdiplus::Image* pImage = m_pPicture->Get(g_strFilePath);
    g_nImageWidth = pImage ? static_cast<int>(pImage->GetWidth()) : 0;
    g_nImageHeight = pImage ? static_cast<int>(pImage->GetHeight()) : 0;
    return pImage;
}

namespace {
// The decode whose picture the view drew last: a picture is rendered for repaints from its
// second paint on, so the first paint after Open or a step costs no more than a plain draw.
int g_nDrawnDecode = -1;
// How far beyond the window a rendering reaches where the picture does: drag steps within
// it are copies.
const int kMaxRenderMargin = 512;
}  // namespace

void CNorvelView::DrawShownPicture(Gdiplus::Graphics& graphics, HDC hdc, Gdiplus::Image* pImage,
                                   const RECT* prcShown, bool bDragStep) {
    if (pImage) {
        const int x = g_nDrawX, y = g_nDrawY;
        const int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
        const bool bDrawnBefore = g_nDrawnDecode == m_pPicture->Generation();
        g_nDrawnDecode = m_pPicture->Generation();
        // A kept picture is copied from its rendering over the view's own background, which is
        // what the window shows; a drag step, which is not erased first, always renders.
        if (prcShown && m_pPicture->Keeps()) {
            // A picture decoded ahead comes rendered as it is fitted now.
            if (CRenderedPicture* pAhead = m_pPicture->TakeRendering())
                m_pRendered.reset(pAhead);
            const int cw = prcShown->right, ch = prcShown->bottom;
            const CRenderedPicture::Key key = {m_pPicture->Generation(), w, h, kViewBackground};
            bool bReady = m_pRendered->Covers(key, x, y, cw, ch);
            if (!bReady && (bDrawnBefore || bDragStep)) {
                // Beyond the window only where a shifted draw keeps every pixel: a raster picture
                // at a scale that splits exactly on both axes (a shift along one axis moves
                // GDI+'s placement along the other too). Elsewhere the rendering is the window.
                const bool bShifts = pImage->GetType() == Gdiplus::ImageTypeBitmap &&
                                     SplitsExactly(g_nImageWidth, w) && SplitsExactly(g_nImageHeight, h);
                const int nHalf = (cw > ch ? cw : ch) / 2;
                const int nMargin = !bShifts ? 0 : nHalf < kMaxRenderMargin ? nHalf : kMaxRenderMargin;
                bReady = m_pRendered->Render(pImage, key, x, y, RenderArea(x, y, w, h, cw, ch, nMargin));
            }
            if (bReady && m_pRendered->CopyTo(hdc, x, y, cw, ch)) {
                m_pPicture->Release();
                return;
            }
        }
        // Drawn straight on the window. A drag step over the last step's pixels first puts the
        // background back where the picture lets it through.
        if (bDragStep && prcShown && !IsOpaquePicture(pImage, false)) {
            HBRUSH hBrush = ::CreateSolidBrush(kViewBackground);
            if (hBrush) {
                ::FillRect(hdc, prcShown, hBrush);
                ::DeleteObject(hBrush);
            }
        }
        Gdiplus::Status status = prcShown ? DrawPictureShown(graphics, pImage, x, y, w, h, *prcShown)
                                          : graphics.DrawImage(pImage, x, y, w, h);
        // A picture GDI+ cannot draw now (out of memory, say) is not kept: the next paint
        // decodes it afresh, as a paint always did.
        if (status != Gdiplus::Ok) {
            m_pPicture->Clear();
            return;
        }
    }
    m_pPicture->Release();
}

void CNorvelView::OnDraw(CDC* pDC) {
    CNorvelApp* pApp = GetNorvelApp();
    CRect rcClient;
    GetClientRect(&rcClient);
    g_nClientWidth = rcClient.Width();
    g_nClientHeight = rcClient.Height();

    HDC hdc = pDC->GetSafeHdc();
    Gdiplus::Graphics graphics(hdc);
    // No graphics object, no drawing; the picture is still measured and fitted.
    const bool bCanDraw = graphics.GetLastStatus() == Gdiplus::Ok;
    MapScreenPixelsToPrinter(graphics, hdc);
    // On the window only what the client area shows is drawn; any other device (a printer)
    // gets the whole picture at the same numbers.
    const RECT* prcShown = ::WindowFromDC(hdc) == m_hWnd ? &rcClient : nullptr;

    if (pApp->m_bImageLoaded) {
        Gdiplus::Image* pImage = MeasureShownPicture();
        if (!g_bManualZoom || pApp->m_bRefitPending) {
            pApp->m_bPanX = 0;
            pApp->m_bPanY = 0;
            FitToWindow();
        }
        DrawShownPicture(graphics, hdc, bCanDraw ? pImage : nullptr, prcShown);
    }

    if (pApp->m_bRegionCaptured || pApp->m_bObjectCaptured || pApp->m_bScreenCaptured) {
        m_bEnableZoomOut = 1;
        m_bEnableZoomIn = 1;
        m_bEnableSave = 1;
        g_bEnableZoomDialog = 1;
        g_bEnableImageEdit = 1;
        m_bEnableSaveAs = 0;
        m_bEnableSlideShow = 0;
        m_bEnablePrevious = 0;
        m_bEnableNext = 0;
        m_bEnableCopy = 0;
        m_bEnablePrint = 0;
        m_bEnableRename = 0;

        g_strFilePath = CaptureFilePath();
        Gdiplus::Image* pImage = MeasureShownPicture();
        if (!g_bManualZoom || pApp->m_bRefitPending || pApp->m_bCaptureRefitPending)
            FitToWindow();
        DrawShownPicture(graphics, hdc, bCanDraw ? pImage : nullptr, prcShown);

        CString s;
        SetStatusText(1, " Capture is ok!");
        SetStatusText(2, "");
        s.Format(" [%d,%d] ", g_nImageWidth, g_nImageHeight);
        SetStatusText(3, s);
        SetStatusText(4, ZoomText());
        SetStatusText(5, "");
    }
}

// ---- update handlers: each command follows its enable flag ----

void CNorvelView::OnUpdatePrevious(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnablePrevious);
}
void CNorvelView::OnUpdateNext(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableNext);
}
void CNorvelView::OnUpdateZoomOut(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableZoomOut);
}
void CNorvelView::OnUpdateZoomIn(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableZoomIn);
}
void CNorvelView::OnUpdateZoomDialog(CCmdUI* pCmdUI) {
    pCmdUI->Enable(g_bEnableZoomDialog);
}
void CNorvelView::OnUpdateAutoZoom(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(g_bManualZoom == 0);
}
void CNorvelView::OnUpdateSlideShow(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableSlideShow);
    // Checked only while enabled: a show that a one-picture folder or a capture is about to end
    // shows no mark on a command that cannot be used.
    pCmdUI->SetCheck(m_bEnableSlideShow && !g_bSlideStopped);
}
void CNorvelView::OnUpdateSave(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableSave);
}
void CNorvelView::OnUpdateSaveAs(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableSaveAs);
}
void CNorvelView::OnUpdateCopy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableCopy);
}
void CNorvelView::OnUpdatePrint(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnablePrint);
}
void CNorvelView::OnUpdateRename(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableRename);
}
void CNorvelView::OnUpdateImageEdit(CCmdUI* pCmdUI) {
    pCmdUI->Enable(g_bEnableImageEdit);
}

// ---- capture ----

void CNorvelView::OnCaptureScreen() {
    OnCaptureStarting(0, 0);
    CWnd* pFrame = GetParentFrame();
    if (pFrame)
        pFrame->ShowWindow(SW_HIDE);
    ::Sleep(kCaptureSettleMs);
    HBITMAP hBitmap = CaptureScreenToFile(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    if (pFrame)
        pFrame->ShowWindow(SW_SHOW);
    // No copy of the screen: nothing was captured, and what the view shows stays as it was.
    if (!hBitmap)
        return;
    g_strFilePath = CaptureFilePath();
    PutBitmapOnClipboard(hBitmap, this);

    CNorvelApp* pApp = GetNorvelApp();
    pApp->m_bRegionCaptured = 0;
    pApp->m_bObjectCaptured = 0;
    pApp->m_bScreenCaptured = 1;
    pApp->m_bImageLoaded = 0;
    pApp->m_bCaptureRefitPending = 1;
    pApp->m_bPanX = 0;
    pApp->m_bPanY = 0;
    Invalidate(TRUE);
}

LRESULT CNorvelView::OnCaptureStarting(WPARAM, LPARAM) {
    // A running slide show would step to its next picture and replace the capture: it stops.
    KillTimer(1);
    g_bSlideStopped = 1;
    // The capture file is about to be rewritten, possibly within the file times' resolution and
    // at the same size: nothing kept of the last picture may stand in for the new capture.
    m_pPicture->Clear();
    m_pRendered->Clear();
    return 0;
}
