// The region overlay of Capture Region: a topmost window over the whole screen showing a
// frozen copy of it, with a crosshair and a label following the mouse. The first left click
// fixes one corner, the second the other and reports WM_REGION_CAPTURED to the main frame;
// releasing the right button reports WM_CAPTURE_CANCELED.
#pragma once

#include "capture/FrozenScreen.h"
#include "framework/AfxWin.h"

class CTargetWnd : public CWnd {
public:
    CTargetWnd();
    ~CTargetWnd() override;

    // Creates the hidden overlay at (0, 0) with the screen's size and freezes the screen into
    // it. FALSE, with nothing left behind, when an overlay is already up or cannot be made.
    BOOL CreateOverlay();
    // The overlay takes no keys, and keeps them from the hidden main frame's accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CPoint m_ptStart;          // first corner, client coordinates (= screen coordinates)
    CPoint m_ptEnd;            // second corner
    int m_nWidth;              // signed: x of the cursor or second corner - m_ptStart.x - 2
    int m_nHeight;             // signed: y of the cursor or second corner - m_ptStart.y - 2
    CPen m_pen;                // crosshair and rectangle; held while the overlay is up, else empty
    int m_cyScreen;            // screen size at creation
    int m_cxScreen;            //
    CFrozenScreen m_dcFrozen;  // the frozen copy of the screen
    CDC* m_pDC;                // the window's device context while the overlay is created
    CWnd* m_pNotifyWnd;        // receives the two messages: the main window
    BOOL m_bStarted;           // the first corner has been clicked

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnPaint();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // Crosshair, label and, after the first click, the rectangle, for the cursor at point.
    void DrawMarks(HDC hDC, CPoint point);
    // Frees the frozen copy and the pen.
    void ReleaseOverlay();
    // Posts nMessage to the main window, once per overlay.
    void Report(UINT nMessage);
    // Frees the overlay's resources, reports nMessage and destroys the window.
    void End(UINT nMessage);

    CPoint m_ptCursor;  // where the marks on the screen were drawn
    BOOL m_bMarks;      // marks are on the screen (drawn since the last click)
    BOOL m_bReported;   // this overlay has sent its message
};
