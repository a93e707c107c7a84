// The view: owns the picture state, draws the picture or the last capture, and writes the
// status bar's panes 1 to 5.
#pragma once

#include <windows.h>

#include <memory>

#include "app/PictureState.h"
#include "capture/Capture.h"
#include "controls/BitmapMenu.h"
#include "framework/Afx.h"
#include "view/ImageExport.h"

namespace Gdiplus {
class Graphics;
class Image;
}  // namespace Gdiplus
class CPictureCache;
class CRenderedPicture;
class CPicturePreload;

class CNorvelView : public CView {
    DECLARE_DYNCREATE(CNorvelView)
public:
    CNorvelView();
    ~CNorvelView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

    CBitmapMenu m_menuPopup;  // the context or zoom-ratio menu while it is up, else empty
    BOOL m_bEnablePrevious;
    BOOL m_bEnableNext;
    BOOL m_bEnableZoomOut;
    BOOL m_bEnableZoomIn;
    BOOL m_bEnableSlideShow;
    BOOL m_bEnableSave;
    BOOL m_bEnableSaveAs;
    BOOL m_bEnableCopy;
    BOOL m_bEnablePrint;
    BOOL m_bEnableRename;
    CPoint m_ptDragLast;
    CCursorHandle m_hCursorOpenHand;  // at the size drawn for the system's DPI, owned
    CCursorHandle m_hCursorClosedHand;

    // Writes pane nPane (1..5) of the main frame's status bar.
    static void SetStatusText(int nPane, const char* lpszText);
    // Writes panes 1 to 5.
    static void ShowPanes(const PictureState::PaneTexts& texts);

    // Lists the pictures of the opened picture's folder, sorted, and finds the opened one.
    // What Open does with the file the dialog returns: measure, fit, list the folder, texts.
    void OpenChosenFile(const CString& strPath, const CString& strName);
    static void BuildFileList();
    // Adds the pictures of the shown file's folder that match strPattern to list.
    static void AddPatternMatches(CString strPattern, CStringArray& list);
    // Shows the list entry next to the current one (nStep -1 or +1).
    void StepInList(int nStep);
    // Shows entry nIndex of the list; nothing happens for an index outside it.
    void ShowEntry(int nIndex);

    // The user's ratio z: the picture centred, pane 4 written, the axes a drag may move
    // decided; the refits that full screen and captures ask for are cancelled.
    void SetZoom(double z);
    // Zoom out (nStep -1) or in (+1) by a factor of two within the limits.
    void StepZoom(int nStep);
    // Draws the picture at the current origin straight onto the window, without erasing.
    void DrawDragStep();
    // Stops the slide show: its timer killed, g_bSlideStopped set. The one way a show stops.
    void StopSlideShow();
    // The list entry the show's next step shows: the first after the shown one (the first after
    // the last) that decodes. An entry whose file is gone leaves the list on the way (the index
    // follows); one that does not decode is stepped over. Each entry is tried once at most, the
    // shown one last; -1 when none can be shown.
    int NextShowableEntry();
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
    // Asks for the list's next picture (the first after the last while a show runs) and the
    // previous one to be decoded ahead.
    void RequestNeighbours();
    // The picture of g_strFilePath, kept or decoded afresh, its size stored in g_nImageWidth and
    // g_nImageHeight; nullptr (and 0 x 0) when the file is gone or does not decode.
    Gdiplus::Image* MeasureShownPicture();
    // Draws pImage at the current origin and scale, only what rcShown shows when that is given;
    // then lets the cache drop a picture too large to keep, or a picture GDI+ failed to draw.
    // A kept picture drawn before, and any kept picture in a drag step, is copied from its
    // rendering (made anew when the window leaves it).
    void DrawShownPicture(Gdiplus::Graphics& graphics,
                          HDC hdc,
                          Gdiplus::Image* pImage,
                          const RECT* prcShown,
                          bool bDragStep = false);

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnFileOpen();
    void OnPrevious();
    void OnNext();
    void OnUpdatePrevious(CCmdUI* pCmdUI);
    void OnUpdateNext(CCmdUI* pCmdUI);
    void OnUpdateZoomOut(CCmdUI* pCmdUI);
    void OnUpdateZoomIn(CCmdUI* pCmdUI);
    void OnUpdateZoomDialog(CCmdUI* pCmdUI);
    void OnUpdateAutoZoom(CCmdUI* pCmdUI);
    void OnUpdateSlideShow(CCmdUI* pCmdUI);
    void OnUpdateSave(CCmdUI* pCmdUI);
    void OnUpdateSaveAs(CCmdUI* pCmdUI);
    void OnUpdateCopy(CCmdUI* pCmdUI);
    void OnUpdatePrint(CCmdUI* pCmdUI);
    void OnUpdateRename(CCmdUI* pCmdUI);
    void OnUpdateImageEdit(CCmdUI* pCmdUI);
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

// The view's background, erased before every paint and behind every rendering.
const COLORREF kViewBackground = RGB(128, 128, 128);

// Picture state of the one view, written only through PictureState (app/PictureState.h).
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

const int kWidePathChars = 1024;
extern wchar_t g_wszPath[kWidePathChars];

// The path in UTF-16 for the imaging library, in g_wszPath; valid until the next call. A path
// longer than the buffer is cut at 1023 characters, and the result is always terminated.
const wchar_t* ToWide(const char* pszPath);

// Where the zoom-ratio menu opens from the view's client origin at the DPI: under the Zoom...
// button.
CPoint ZoomMenuOffset(UINT nDpi);
