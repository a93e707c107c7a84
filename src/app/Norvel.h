// The application object: start-up, and the flags the state, the view and the frame share
// (app/AppFlags.h).
#pragma once

#include "app/AppFlags.h"
#include "framework/Afx.h"

class CNorvelApp : public CWinApp, public CAppFlags {
public:
    CNorvelApp();
    ~CNorvelApp() override;
    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // GDI+ for the program's whole life: started with the application object, before any
    // window, and stopped after the last one (and the view's pictures) is gone.
    CGdiPlusSession m_gdiplus;

protected:
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()
};

// The application object (everything else reaches its flags through AppFlags()).
inline CNorvelApp* GetNorvelApp() {
    return static_cast<CNorvelApp*>(AfxGetApp());
}
