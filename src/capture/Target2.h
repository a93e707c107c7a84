// The window overlay of Capture Object: a topmost window over the whole screen showing it as it
// was, with the hand cursor. The left click removes the overlay, finds the window under the
// click and reports WM_OBJECT_CAPTURED to the main frame, which copies that window's rectangle.
#pragma once

#include "capture/FrozenScreen.h"
#include "framework/AfxWin.h"

class CTarget2Wnd : public CWnd {
public:
    CTarget2Wnd();
    ~CTarget2Wnd() override;

    // Creates the hidden overlay at (0, 0) with the screen's size. FALSE, with nothing left
    // behind, when an overlay is already up or cannot be made.
    BOOL CreateOverlay();
    // The overlay takes no keys, and keeps them from the hidden main frame's accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CPoint m_ptClick;       // the click, client coordinates (= screen coordinates)
    CRect m_rcWindow;       // screen rectangle of the window found there; empty if none
    int m_cyScreen;         // screen size at creation
    int m_cxScreen;         //
    CWnd* m_pNotifyWnd;     // receives WM_OBJECT_CAPTURED: the main window
    HCURSOR m_hCursorHand;  // the system's hand cursor

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    void OnPaint();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // Posts nMessage to the main window, once per overlay.
    void Report(UINT nMessage);

    CFrozenScreen m_dcFrozen;  // the screen as it was, shown while the overlay is up
    BOOL m_bReported;          // this overlay has sent its message
};
