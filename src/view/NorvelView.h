// The view: owns the picture state, draws the picture or the last capture, and writes the
// status bar's panes 1 to 5.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "state/PictureState.h"
#include "capture/Capture.h"
#include "controls/BitmapMenu.h"
#include "framework/Afx.h"
#include "view/ImageExport.h"

namespace Gdiplus {
class Graphics;
class Image;
}  // namespace Gdiplus
class CAnimation;
class CPictureCache;
class CRenderedPicture;
class CPicturePreload;

class CNorvelView : public CView, public CCommandFlags {
    DECLARE_DYNCREATE(CNorvelView)
public:
    CNorvelView();
    ~CNorvelView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    BOOL OnCmdMsg(UINT nID, UINT nMessage, UINT nCode, void* pExtra, BOOL bProbe = FALSE) override;

    CBitmapMenu m_menuPopup;  // the context or zoom-ratio menu while it is up, else empty
    CPoint m_ptDragLast;
    CCursorHandle m_hCursorOpenHand;  // at the size drawn for the system's DPI, owned
    CCursorHandle m_hCursorClosedHand;

    // Writes pane nPane (1..5) of the main frame's status bar.
    static void SetStatusText(int nPane, const char* lpszText);
    // Writes panes 1 to 5.
    static void ShowPanes(const PictureState::PaneTexts& texts);
    // The presenter: writes the panes an event changed and invalidates or draws what it moved.
    void Present(PictureState::Changes changes);

    // What Open does with the file the dialog returns: decode it, list its folder, show it.
    void OpenChosenFile(const CString& strPath, const CString& strName);
    // The pictures of the folder of strPath (named strName), as the disk gives them.
    static void ListFolder(const CString& strPath, const CString& strName, CStringArray& list);
    // Adds the pictures in strPrefix (a folder with its trailing backslash) that match
    // strPattern to list.
    static void AddPatternMatches(const CString& strPrefix, const CString& strPattern, CStringArray& list);
    // The size of the picture of pszPath, decoded and kept for the paint that follows (0 x 0
    // when it is gone or does not decode).
    PictureState::Size MeasurePicture(const char* pszPath);
    // Shows the list entry next to the current one (nStep -1 or +1).
    void StepInList(int nStep);
    // Shows entry nIndex of the list; nothing happens for an index outside it.
    void ShowEntry(int nIndex);

    // The user's ratio z (a fixed-ratio command): the picture centred, pane 4 written, the axes
    // a drag may move decided; the refits that full screen and captures ask for are cancelled.
    void SetZoom(double z);
    // Zoom out (nStep -1) or in (+1) by a factor of two within the limits.
    void StepZoom(int nStep);
    // Draws the picture at the current origin straight onto the window, without erasing.
    void DrawDragStep();
    // Stops the slide show: its timer killed, g_bSlideStopped set. The one way a show stops.
    void StopSlideShow();
    // The list entry the show's next step shows: the first after the shown one (the first after
    // the last) that decodes, kept for the paint. Entries whose files are gone are added to
    // *pGone on the way; one that does not decode is stepped over. Each entry is tried once at
    // most, the shown one last; -1 when none can be shown.
    int NextShowableEntry(std::vector<int>* pGone);
    // Holds a running show where it is, and lets it go on (a full interval later) when the last
    // hold ends: for commands whose result depends on the picture shown when they began.
    void HoldSlideShow();
    void ResumeSlideShow();
    int m_nSlideHolds = 0;
    UINT m_nSlideIntervalMs = 0;  // the interval the running show was started with

    // Re-encodes the picture shown as a Windows bitmap into the capture file, for the clipboard
    // and the wallpaper. TRUE when the file holds the shown picture afterwards (also when a
    // capture is shown: the file already is that picture); FALSE when nothing is shown or the
    // picture could not be converted (the file then keeps its old content).
    BOOL ExportToTempBitmap();
    // The same, with the reason when the file does not hold the shown picture (kExportNoSource
    // also when nothing is shown).
    ExportResult ExportShownPicture();
    // A capture is shown, or a picture opened from a file.
    BOOL IsPictureShown() const;
    // Puts a bitmap file on the clipboard, owned by hOwner; returns 0 whatever happened.
    static int PutBitmapFileOnClipboard(const char* pszPath, HWND hOwner);
    // What Save and Save As do with the name the dialog returns: convert pszSource into
    // pszTarget, or tell the user why nothing was written. The view's state does not change.
    void SaveChosenFile(const char* pszSource, const char* pszTarget);
    // What Rename does once the dialog has ended with Apply: the file strPath of strFolder, entry
    // nIndex of the folder list when Rename began, renamed to strNewBase plus its old extension;
    // the list entry, and the path and pane 1 while that file is still the one shown, updated.
    // FALSE (after the framework's file-error message) when the file was not renamed.
    BOOL RenamePictureFile(const CString& strPath, const CString& strFolder, int nIndex, const CString& strNewBase);

    // The decoded picture kept between paints (GDI+ itself belongs to the application object).
    std::unique_ptr<CPictureCache> m_pPicture;
    // The kept picture as last drawn on the window, for repaints with nothing changed.
    std::unique_ptr<CRenderedPicture> m_pRendered;
    // The pictures beside the shown one, decoded while it is looked at.
    std::unique_ptr<CPicturePreload> m_pPreload;
    // The frames of the shown picture when it moves, played on the view's timer 2.
    std::unique_ptr<CAnimation> m_pAnimation;
    static const UINT_PTR kAnimationTimer = 2;
    bool m_bAnimating = false;  // timer 2 runs: the next frame is due
    // Plays the shown picture if it moves (any animation before ends first).
    void StartAnimation();
    // The animation's timer stops; the frame shown stays until another picture is shown.
    void StopAnimation();
    // The animation stops and lets its frames go: the view draws the picture's first frame.
    void EndAnimation();
    // Timer 2: the next frame, only the picture's part of the window repainted.
    void OnAnimationTick();
    // Asks for the picture after the shown one in the direction of the last step (the
    // first after the last while a show runs) and the one before it to be decoded ahead.
    void RequestNeighbours();
    // The direction of the last step through the list: +1 forward (also Open and the show), -1 back.
    int m_nTravel = +1;
    // Draws pImage at the current origin and scale, only what rcShown shows when that is given;
    // then lets the cache drop a picture too large to keep, or a picture GDI+ failed to draw.
    // A kept picture drawn before, and any kept picture in a drag step, is copied from its
    // rendering (made anew when the window leaves it).
    void DrawShownPicture(Gdiplus::Graphics& graphics,
                          HDC hdc,
                          Gdiplus::Image* pImage,
                          const RECT* prcShown,
                          bool bDragStep = false);

    // How far beyond the window the rendering of pImage drawn w x h in a client of cw x ch may
    // reach (0: the window only).
    int DragMargin(Gdiplus::Image* pImage, int w, int h, int cw, int ch) const;
    // Posted after a paint or a drag that drew a picture a drag can move without a rendering
    // of the area around the window: that rendering is made now, between the user's actions.
    LRESULT OnRenderAhead(WPARAM wParam, LPARAM lParam);
    // The held picture at (x, y, w, h) with its detail (the part rcPart, in true pixels, decoded
    // with more pixels) drawn over it where rcShown shows it.
    void DrawWithDetail(Gdiplus::Graphics& graphics,
                        Gdiplus::Image* pImage,
                        Gdiplus::Image* pDetail,
                        const RECT& rcPart,
                        int x,
                        int y,
                        int w,
                        int h,
                        const RECT& rcShown);

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnFileOpen();
    void OnPrevious();
    void OnNext();
    void OnCaptureScreen();
    LRESULT OnCaptureStarting(WPARAM wParam, LPARAM lParam);
    void OnZoomOut();
    void OnZoomIn();
    void OnZoomDialog();
    void OnZoomPreset(UINT nID);
    void OnAutoZoom();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    void OnCaptureChanged(HWND hNewCapture);
    void OnSave();
    void OnSaveAs();
    // Save and Save As: the save dialog with the filter, then the conversion of pszSource.
    void SaveThroughDialog(const char* pszFilter, const char* pszSource);
    void OnCopyToClipboard();
    void OnClearClipboard();
    void OnRename();
    void OnImageEdit();
    void OnHomePage();
    // Print: the print dialog, then one job drawn by OnDraw on the chosen printer.
    void OnPrintImage();
    void OnWallpaperCenter();
    void OnWallpaperStretch();
    void OnWallpaperTile();
    void OnWallpaperNone();
    // Center, Stretch and Tile: the export, the style values, then both routes.
    void SetWallpaperWithStyle(char cStyle, char cTile);
    // The two routes to the desktop, each reporting its own failure in a message box.
    void UpdateActiveDesktop(const char* pszPath);
    void UpdateClassicDesktop(const char* pszPath);
    // The context menu at the click point, and the zoom-ratio menu under the Zoom... button.
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnToolbarDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    // Loads a pop-up menu into m_menuPopup with the images drawn for the view's DPI.
    BOOL LoadPopup(UINT nIDResource);
    // The open and closed hands at their size for the DPI.
    void LoadHandCursors(UINT nDpi);
    LRESULT OnDpiChangedAfterParent(WPARAM wParam, LPARAM lParam);
    // The cache decoded the shown picture with more pixels behind: drawn over the old, not erased.
    LRESULT OnSharperPicture(WPARAM wParam, LPARAM lParam);
    // Tells the cache the client it fits pictures into and the window to tell.
    void PrepareCache();

public:
    // The DPI the view is drawn at: the one the frame last passed on, else the window's.
    UINT GetDpi() const;
    UINT m_nDpi = 0;

protected:
    void OnCheckUpdate();
    void OnSlideShow();
    void OnSlideSetup();
    void OnTimer(UINT_PTR nIDEvent);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()
};

// The view's own message: render the drag area of the kept picture (OnRenderAhead).
const UINT WM_RENDER_AHEAD = WM_USER + 1100;
// Posted to the view when the shown picture has been decoded with more pixels.
const UINT WM_SHARPER_PICTURE = WM_APP + 0x100;

// The view's background, erased before every paint and behind every rendering.
const COLORREF kViewBackground = RGB(128, 128, 128);

// The picture state of the one view (state/PictureState.h) is written only by its events.

const int kWidePathChars = 1024;
extern wchar_t g_wszPath[kWidePathChars];

// The path in UTF-16 for the imaging library, in g_wszPath; valid until the next call. A path
// longer than the buffer is cut at 1023 characters, and the result is always terminated.
const wchar_t* ToWide(const char* pszPath);

// The list entries to decode ahead for the shown entry nIndex of nCount, most wanted first: the
// next in the direction nTravel (+1 or -1), then the one behind; past the last entry only when
// bWraps, to the first one. Never the shown entry or one twice.
std::vector<int> NeighboursToDecode(int nIndex, int nCount, int nTravel, bool bWraps);

// Where the zoom-ratio menu opens from the view's client origin at the DPI: under the Zoom...
// button.
CPoint ZoomMenuOffset(UINT nDpi);
