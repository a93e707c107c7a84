// The flags of the application object that the state, the frame and the view share: the one
// header of the application's that anything outside it includes.
#pragma once

#include "framework/Afx.h"

struct CAppFlags {
    BOOL m_bRegionCaptured = 0;       // the picture shown is a region capture
    BOOL m_bObjectCaptured = 0;       // ... a window capture
    BOOL m_bScreenCaptured = 0;       // ... a full-screen capture
    BOOL m_bImageLoaded = 0;          // a picture file chosen with Open is shown
    BOOL m_bFullScreen = 0;           // full-screen mode is on
    BOOL m_bRefitPending = 0;         // entering or leaving full screen asked for a refit
    BOOL m_bCaptureRefitPending = 0;  // a new capture asked for a refit
    BOOL m_bPanX = 0;                 // the scaled picture is wider than the window
    BOOL m_bPanY = 0;                 // the scaled picture is taller than the window
    int m_nZoomPercent = 0;           // last ratio typed into the Zoom dialog, in percent
    CString m_strRenameTo;            // text exchanged between Rename and its dialog
};

// The application object's flags (the application object is a CAppFlags as well as the one
// CWinApp).
inline CAppFlags& AppFlags() {
    return *dynamic_cast<CAppFlags*>(AfxGetApp());
}
