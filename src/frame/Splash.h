// The splash screen: a borderless window with one bitmap, centred while the program starts. It
// goes after one second, or at once when the user presses a key or a mouse button anywhere in
// the program; that key or click is swallowed. There is at most one, shown at most once.
#pragma once

#include "framework/Afx.h"

class CSplashScreen : public CWnd {
public:
    // Called with the command line's splash flag before the frame is created.
    static void EnableSplash(BOOL bEnable = TRUE);
    // Creates and paints the splash over the new frame, when enabled and none is shown yet.
    static void ShowSplash(CWnd* pParentWnd = nullptr);
    // First thing in the application's message pre-translation: on a key or button press while
    // the splash shows, hides it and returns TRUE (the message is swallowed).
    static BOOL FilterSplashMessage(MSG* pMsg);
    // Puts the splash back above the frame once the frame is shown (and again when the message
    // loop starts).
    static void RaiseSplash();
    // The splash window while it exists, else null.
    static HWND GetSplashWindow() { return s_pSplashScreen ? s_pSplashScreen->m_hWnd : nullptr; }

protected:
    CSplashScreen() = default;
    ~CSplashScreen() override;

    BOOL CreateSplash(CWnd* pParentWnd);
    // Destroys the window (and with it this object), then repaints the main window at once.
    void HideSplash();
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnRaise(WPARAM wParam, LPARAM lParam);

    CBitmap m_bmpSplash;
    static BOOL s_bSplashEnabled;
    static CSplashScreen* s_pSplashScreen;

    DECLARE_MESSAGE_MAP()
};
