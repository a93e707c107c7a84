#include "view/NorvelView.h"

#include "framework/GdiPlus.h"

#include <math.h>
#include <string.h>

#include "framework/AfxDpi.h"
#include "res/resource.h"
#include "picture/PictureCache.h"
#include "picture/PicturePreload.h"
#include "view/Animation.h"
#include "view/PrintJob.h"
#include "state/Fit.h"
#include "state/Zoom.h"

wchar_t g_wszPath[kWidePathChars];

const wchar_t* ToWide(const char* pszPath) {
    return AfxToWideBuffer(pszPath, g_wszPath, kWidePathChars);
}

IMPLEMENT_DYNCREATE(CNorvelView, CView)

BEGIN_MESSAGE_MAP(CNorvelView, CView)
ON_WM_ERASEBKGND()
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_VIEW_PREVIOUS, OnPrevious)
ON_COMMAND(ID_VIEW_NEXT, OnNext)
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
ON_MESSAGE(0x02E3 /* WM_DPICHANGED_AFTERPARENT */, OnDpiChangedAfterParent)
ON_MESSAGE(WM_RENDER_AHEAD, OnRenderAhead)
ON_MESSAGE(WM_SHARPER_PICTURE, OnSharperPicture)
END_MESSAGE_MAP()

namespace {
const int kHandCursorSize = 32;  // at 96 dpi
}  // namespace

CNorvelView::CNorvelView()
    : m_pPicture(new CPictureCache),
      m_pRendered(new CRenderedPicture),
      m_pPreload(new CPicturePreload),
      m_pAnimation(new CAnimation) {
    m_pPicture->SetPreload(m_pPreload.get());
    PictureState::ViewCreated(AppFlags(), *this);
    LoadHandCursors(AfxGetWindowDpi(nullptr));
}

void CNorvelView::LoadHandCursors(UINT nDpi) {
    // The hands are 32 x 32 at 96 dpi; their cursors hold the sizes drawn for 150 % and 200 %.
    const int nSize = AfxScaleByDpi(kHandCursorSize, nDpi);
    HINSTANCE hRes = AfxGetResourceHandle();
    m_hCursorOpenHand.Attach(
        static_cast<HCURSOR>(::LoadImageA(hRes, MAKEINTRESOURCEA(IDC_OPENHAND), IMAGE_CURSOR, nSize, nSize, 0)));
    m_hCursorClosedHand.Attach(
        static_cast<HCURSOR>(::LoadImageA(hRes, MAKEINTRESOURCEA(IDC_CLOSEDHAND), IMAGE_CURSOR, nSize, nSize, 0)));
}

// The frame moved to another DPI: the hands at its size, the pop-ups built from now on with its
// images. The frame passes the DPI; the system's own message leaves it to the window's.
LRESULT CNorvelView::OnDpiChangedAfterParent(WPARAM wParam, LPARAM) {
    m_nDpi = wParam ? static_cast<UINT>(wParam) : AfxGetWindowDpi(m_hWnd);
    LoadHandCursors(m_nDpi);
    return 0;
}

UINT CNorvelView::GetDpi() const {
    return m_nDpi ? m_nDpi : AfxGetWindowDpi(m_hWnd);
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

void CNorvelView::SetStatusText(int nPane, const char* lpszText) {
    CWnd* pMain = AfxGetMainWnd();
    CStatusBar* pBar = pMain ? dynamic_cast<CStatusBar*>(pMain->GetDescendantWindow(AFX_IDW_STATUS_BAR)) : nullptr;
    if (pBar)
        pBar->SetPaneText(nPane, lpszText, TRUE);
}

void CNorvelView::ShowPanes(const PictureState::PaneTexts& texts) {
    for (int i = 1; i <= 5; ++i)
        SetStatusText(i, texts.pane[i]);
}

void CNorvelView::Present(PictureState::Changes changes) {
    using namespace PictureState;
    if (changes & kFilePanes)
        ShowPanes(FilePanes());
    if (changes & kCapturePanes)
        ShowPanes(CapturePanes());
    if (changes & kCanceledPanes)
        ShowPanes(CaptureCanceledPanes());
    if (changes & kNamePane)
        SetStatusText(1, FileNameText());
    if (changes & kZoomPane)
        SetStatusText(4, ZoomCommandText(g_dZoom));
    if (changes & kPositionPane)
        SetStatusText(5, PositionText());
    if (changes & kRepaint)
        Invalidate(TRUE);
    if (changes & kDragStep)
        DrawDragStep();
}

namespace {
// The size a picture is drawn at when fitted: the first decode of a picture has no more pixels.
SIZE FittedDrawSize(int W, int H, int cw, int ch) {
    const FitResult fit = FitPicture(W, H, cw, ch);
    SIZE size = {static_cast<LONG>(W * fit.dZoom), static_cast<LONG>(H * fit.dZoom)};
    return size;
}
}  // namespace

void CNorvelView::PrepareCache() {
    CRect rcClient;
    if (m_hWnd)
        GetClientRect(&rcClient);
    m_pPicture->SetClient(rcClient.Width(), rcClient.Height(), &FittedDrawSize);
    m_pPicture->SetNotify(m_hWnd, WM_SHARPER_PICTURE);
}

LRESULT CNorvelView::OnSharperPicture(WPARAM, LPARAM) {
    // Drawn over what the window shows: the picture covers its own place, so nothing grey
    // comes between the old pixels and the new.
    if (m_pPicture->TakeSharper())
        Invalidate(FALSE);
    return 0;
}

PictureState::Size CNorvelView::MeasurePicture(const char* pszPath) {
    PrepareCache();
    // The true size, whatever scale was decoded.
    Gdiplus::Image* pImage = m_pPicture->Get(pszPath);
    return {pImage ? static_cast<int>(m_pPicture->Width()) : 0, pImage ? static_cast<int>(m_pPicture->Height()) : 0};
}

namespace {
// The decode whose picture the view drew last: a picture is rendered for repaints from its
// second paint on, so the first paint after Open or a step costs no more than a plain draw.
int g_nDrawnDecode = -1;
// How far beyond the window a rendering reaches where the picture does: drag steps within
// it are copies.
const int kMaxRenderMargin = 512;
}  // namespace

namespace {
long long FloorDivide(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

void CNorvelView::DrawWithDetail(Gdiplus::Graphics& graphics,
                                 Gdiplus::Image* pImage,
                                 Gdiplus::Image* pDetail,
                                 const RECT& rcPart,
                                 int x,
                                 int y,
                                 int w,
                                 int h,
                                 const RECT& rcShown) {
    const long long W = m_pPicture->Width(), H = m_pPicture->Height();
    // The part's place at the picture's scale, on the same whole pixels as the whole's.
    const int px0 = static_cast<int>(x + FloorDivide(rcPart.left * static_cast<long long>(w), W));
    const int px1 = static_cast<int>(x + FloorDivide(rcPart.right * static_cast<long long>(w), W));
    const int py0 = static_cast<int>(y + FloorDivide(rcPart.top * static_cast<long long>(h), H));
    const int py1 = static_cast<int>(y + FloorDivide(rcPart.bottom * static_cast<long long>(h), H));
    // The reduced whole only where the part does not reach: no coarse pixels under the part.
    RECT rcPicture = {x, y, x + w, y + h}, rcNeeded;
    IntersectRect(&rcNeeded, &rcPicture, &rcShown);
    const bool bPartCovers =
        px0 <= rcNeeded.left && py0 <= rcNeeded.top && px1 >= rcNeeded.right && py1 >= rcNeeded.bottom;
    if (!bPartCovers)
        DrawPictureShown(graphics, pImage, x, y, w, h, rcShown);
    DrawPictureShown(graphics, pDetail, px0, py0, px1 - px0, py1 - py0, rcShown);
}

void CNorvelView::DrawShownPicture(Gdiplus::Graphics& graphics,
                                   HDC hdc,
                                   Gdiplus::Image* pImage,
                                   const RECT* prcShown,
                                   bool bDragStep) {
    if (pImage) {
        const int x = g_nDrawX, y = g_nDrawY;
        const int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
        // A moving picture past its first frame: the frame shown, straight on the window (other
        // devices, and every output command, get the first frame).
        Gdiplus::Image* pFrame = prcShown && m_pAnimation->FrameShown() > 0 ? m_pAnimation->Shown() : nullptr;
        if (pFrame) {
            if (bDragStep && !IsOpaquePicture(pFrame, false)) {
                HBRUSH hBrush = ::CreateSolidBrush(kViewBackground);
                if (hBrush) {
                    ::FillRect(hdc, prcShown, hBrush);
                    ::DeleteObject(hBrush);
                }
            }
            DrawPictureShown(graphics, pFrame, x, y, w, h, *prcShown);
            m_pPicture->Release();
            return;
        }
        // A draw that shows more pixels than are held asks for them: decoded behind the window's
        // draw (what is held is drawn meanwhile), at once for a printer.
        CRect rcClient;
        GetClientRect(&rcClient);
        m_pPicture->Need(x, y, w, h, rcClient.Width(), rcClient.Height(), !prcShown, !prcShown, g_bManualZoom == 0);
        pImage = m_pPicture->Held();
        if (!pImage)
            return;
        RECT rcPart;
        if (Gdiplus::Image* pDetail = m_pPicture->Detail(&rcPart)) {
            DrawWithDetail(graphics, pImage, pDetail, rcPart, x, y, w, h, prcShown ? *prcShown : rcClient);
            g_nDrawnDecode = m_pPicture->Generation();
            m_pPicture->Release();
            return;
        }
        const bool bDrawnBefore = g_nDrawnDecode == m_pPicture->Generation();
        g_nDrawnDecode = m_pPicture->Generation();
        // A kept picture is copied from its rendering over the view's own background, which is
        // what the window shows.
        if (prcShown && m_pPicture->Keeps()) {
            // A picture decoded ahead comes rendered as it is fitted now.
            if (std::unique_ptr<CRenderedPicture> pAhead = m_pPicture->TakeRendering())
                m_pRendered = std::move(pAhead);
            const int cw = prcShown->right, ch = prcShown->bottom;
            const CRenderedPicture::Key key = {m_pPicture->Generation(), w, h, kViewBackground};
            const int nMargin = DragMargin(pImage, w, h, cw, ch);
            bool bReady = m_pRendered->Covers(key, x, y, cw, ch);
            // A repaint renders the window and the area a drag may reach. A drag step, which is
            // not erased first, renders the window alone, and the area around it is rendered
            // once the button is released.
            if (!bReady && (bDragStep || bDrawnBefore))
                bReady =
                    m_pRendered->Render(pImage, key, x, y, RenderArea(x, y, w, h, cw, ch, bDragStep ? 0 : nMargin));
            if (bReady && m_pRendered->CopyTo(hdc, x, y, cw, ch)) {
                m_pPicture->Release();
                return;
            }
            // The first paint of a picture a drag can move: its drag area is rendered as soon as
            // the view has nothing else to do, before the first drag step.
            const CAppFlags& app = AppFlags();
            if (!bDragStep && nMargin > 0 && (app.m_bPanX || app.m_bPanY))
                ::PostMessageA(m_hWnd, WM_RENDER_AHEAD, 0, 0);
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

int CNorvelView::DragMargin(Gdiplus::Image* pImage, int w, int h, int cw, int ch) const {
    // Beyond the window only where a shifted draw keeps every pixel: a raster picture at a scale
    // that splits exactly on both axes (a shift along one axis moves GDI+'s placement along the
    // other too). Elsewhere the rendering is the window.
    const bool bShifts = pImage->GetType() == Gdiplus::ImageTypeBitmap && SplitsExactly(g_nImageWidth, w) &&
                         SplitsExactly(g_nImageHeight, h);
    const int nHalf = (cw > ch ? cw : ch) / 2;
    return !bShifts ? 0 : nHalf < kMaxRenderMargin ? nHalf : kMaxRenderMargin;
}

LRESULT CNorvelView::OnRenderAhead(WPARAM, LPARAM) {
    CAppFlags& app = AppFlags();
    const bool bCapture = PictureState::IsCaptureShown(app) != 0;
    if (!(app.m_bPanX || app.m_bPanY) || !m_pPicture->Keeps() || m_pAnimation->FrameShown() > 0 ||
        !(bCapture || app.m_bImageLoaded))
        return 0;
    // The picture as the last paint or drag step drew it, unless its file changed since.
    const int nGeneration = m_pPicture->Generation();
    Gdiplus::Image* pImage = m_pPicture->Get(bCapture ? CaptureFilePath() : static_cast<const char*>(g_strFilePath));
    if (pImage && m_pPicture->Keeps() && m_pPicture->Generation() == nGeneration) {
        CRect rc;
        GetClientRect(&rc);
        const int x = g_nDrawX, y = g_nDrawY;
        const int w = static_cast<int>(g_nImageWidth * g_dZoom), h = static_cast<int>(g_nImageHeight * g_dZoom);
        const CRenderedPicture::Key key = {nGeneration, w, h, kViewBackground};
        const int nMargin = DragMargin(pImage, w, h, rc.Width(), rc.Height());
        const RECT rcArea = RenderArea(x, y, w, h, rc.Width(), rc.Height(), nMargin);
        // Made anew unless the rendering holds all of that area already.
        if (nMargin > 0 && !m_pRendered->Covers(key, x - rcArea.left, y - rcArea.top, rcArea.right - rcArea.left,
                                                rcArea.bottom - rcArea.top))
            m_pRendered->Render(pImage, key, x, y, rcArea);
    }
    m_pPicture->Release();
    return 0;
}

void CNorvelView::OnDraw(CDC* pDC) {
    CAppFlags& app = AppFlags();
    CRect rcClient;
    GetClientRect(&rcClient);

    HDC hdc = pDC->GetSafeHdc();
    Gdiplus::Graphics graphics(hdc);
    // No graphics object, no drawing; the picture is still measured and fitted.
    const bool bCanDraw = graphics.GetLastStatus() == Gdiplus::Ok;
    MapScreenPixelsToPrinter(graphics, hdc);
    // On the window only what the client area shows is drawn; any other device (a printer)
    // gets the whole picture at the same numbers.
    const RECT* prcShown = ::WindowFromDC(hdc) == m_hWnd ? &rcClient : nullptr;

    // The picture shown: the capture's file while a capture is shown, else an opened file's.
    const bool bCapture = PictureState::IsCaptureShown(app) != 0;
    const bool bShown = bCapture || app.m_bImageLoaded;
    PrepareCache();
    Gdiplus::Image* pImage =
        bShown ? m_pPicture->Get(bCapture ? CaptureFilePath() : static_cast<const char*>(g_strFilePath)) : nullptr;
    const PictureState::Size picture = {pImage ? static_cast<int>(m_pPicture->Width()) : 0,
                                        pImage ? static_cast<int>(m_pPicture->Height()) : 0};
    const PictureState::Changes changes =
        PictureState::Painted(app, *this, {rcClient.Width(), rcClient.Height()}, picture, CaptureFilePath());
    if (bShown)
        DrawShownPicture(graphics, hdc, bCanDraw ? pImage : nullptr, prcShown);
    Present(changes);
}

// ---- update handlers: each command follows its enable flag ----

BOOL CNorvelView::OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe) {
    if (nMessage == WM_COMMAND && nCode == CN_UPDATE_COMMAND_UI && pExtra) {
        // The commands the picture state enables: the flag each follows, and for the two that
        // carry a check mark what checks them.
        struct UpdateRow {
            UINT nID;
            const BOOL* pbEnabled;
        };
        const UpdateRow kRows[] = {
            {ID_VIEW_PREVIOUS, &m_bEnablePrevious},
            {ID_VIEW_NEXT, &m_bEnableNext},
            {ID_VIEW_ZOOMOUT, &m_bEnableZoomOut},
            {ID_VIEW_ZOOMIN, &m_bEnableZoomIn},
            {ID_VIEW_ZOOM, &g_bEnableZoomDialog},
            {ID_VIEW_AUTOZOOM, nullptr},  // always enabled, checked while the zoom is fitted
            {ID_TOOLS_SLIDESTARTSTOP, &m_bEnableSlideShow},
            {ID_FILE_SAVE, &m_bEnableSave},
            {ID_FILE_SAVE_AS, &m_bEnableSaveAs},
            {ID_IMAGE_COPY, &m_bEnableCopy},
            {ID_FILE_PRINT, &m_bEnablePrint},
            {ID_IMAGE_RENAME, &m_bEnableRename},
            {ID_IMAGE_EDIT, &g_bEnableImageEdit},
        };
        for (const UpdateRow& row : kRows) {
            if (row.nID != nID)
                continue;
            if (!bProbe) {
                CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
                if (row.pbEnabled)
                    pCmdUI->Enable(*row.pbEnabled);
                if (nID == ID_VIEW_AUTOZOOM)
                    pCmdUI->SetCheck(g_bManualZoom == 0);
                // Checked only while enabled: a show that a one-picture folder or a capture is
                // about to end shows no mark on a command that cannot be used.
                if (nID == ID_TOOLS_SLIDESTARTSTOP)
                    pCmdUI->SetCheck(m_bEnableSlideShow && !g_bSlideStopped);
            }
            return TRUE;
        }
    }
    return CView::OnCmdMsg(nID, nMessage, nCode, pExtra, bProbe);
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
    const PictureState::Changes changes =
        PictureState::CaptureBegun(AppFlags(), PictureState::kCaptureScreen, CaptureFilePath());
    PutBitmapOnClipboard(hBitmap, this);
    Present(changes);
}

LRESULT CNorvelView::OnCaptureStarting(WPARAM, LPARAM) {
    // A running slide show would step to its next picture and replace the capture: it stops.
    StopSlideShow();
    EndAnimation();
    // The capture file is about to be rewritten, possibly within the file times' resolution and
    // at the same size: nothing kept of the last picture may stand in for the new capture.
    m_pPicture->Clear();
    m_pRendered->Clear();
    return 0;
}
