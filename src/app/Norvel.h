// The application object: start-up and the flags the view, the frame and the dialogs share.
#pragma once

#include "framework/Afx.h"

class CNorvelApp : public CWinApp {
public:
    CNorvelApp();
    ~CNorvelApp() override;
    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    BOOL m_bRegionCaptured;       // the picture shown is a region capture
    BOOL m_bObjectCaptured;       // ... a window capture
    BOOL m_bScreenCaptured;       // ... a full-screen capture
    BOOL m_bImageLoaded;          // a picture file chosen with Open is shown
    BOOL m_bFullScreen;           // full-screen mode is on
    BOOL m_bRefitPending;         // entering or leaving full screen asked for a refit
    BOOL m_bCaptureRefitPending;  // a new capture asked for a refit
    BOOL m_bPanX;                 // the scaled picture is wider than the window
    BOOL m_bPanY;                 // the scaled picture is taller than the window
    int m_nZoomPercent;           // last ratio typed into the Zoom dialog, in percent
    CString m_strRenameTo;        // text exchanged between Rename and its dialog
    // GDI+ for the program's whole life: started with the application object, before any
    // window, and stopped after the last one (and the view's pictures) is gone.
    CGdiPlusSession m_gdiplus;

protected:
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()
};

// The application object, for the view, the frame and the dialogs.
inline CNorvelApp* GetNorvelApp() {
    return static_cast<CNorvelApp*>(AfxGetApp());
}
