#include "app/Norvel.h"

#include "app/NorvelDoc.h"
#include "state/PictureState.h"
#include "dialogs/AboutDlg.h"
#include "frame/Splash.h"
#include "frame/MainFrm.h"
#include "res/resource.h"
#include "view/NorvelView.h"

BEGIN_MESSAGE_MAP(CNorvelApp, CWinApp)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

CNorvelApp::CNorvelApp() : CWinApp(nullptr) {}

CNorvelApp::~CNorvelApp() = default;

BOOL CNorvelApp::InitInstance() {
    // The first parse decides whether a splash screen may show ("Embedding" and "Automation"
    // clear m_bShowSplash); the splash window reads it from here.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    CSplashScreen::EnableSplash(cmdInfo.m_bShowSplash);

    AfxEnableControlContainer();
    Enable3dControlsStatic();

    SetRegistryKey("Morvane of ZENTARO");
    LoadStdProfileSettings(4);

    CSingleDocTemplate* pDocTemplate = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CNorvelDoc),
                                                              RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CNorvelView));
    AddDocTemplate(pDocTemplate);

    // Without arguments this creates the empty document, the frame and the view; a file named
    // here goes through the document path and changes nothing that is shown.
    CCommandLineInfo cmdShell;
    ParseCommandLine(cmdShell);
    if (!ProcessShellCommand(cmdShell))
        return FALSE;

    // The owner-drawn main menu takes the resource menu's place; the framework restores this
    // one whenever it resets the frame's menu.
    // Should it fail to build, the resource menu stays.
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (HMENU hMenu = pFrame ? pFrame->BuildMainMenu() : nullptr) {
        ::SetMenu(pFrame->m_hWnd, hMenu);
        // The frame owns its default menu: the resource menu it held is destroyed here.
        pFrame->m_hMenuDefault.Attach(hMenu);
    }

    PictureState::CaptureCanceled(*this);  // no capture is shown at the start

    m_pMainWnd->DragAcceptFiles(TRUE);
    m_pMainWnd->ShowWindow(SW_SHOW);
    CSplashScreen::RaiseSplash();
    m_pMainWnd->SetWindowText("Morvane 1.52");
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

BOOL CNorvelApp::PreTranslateMessage(MSG* pMsg) {
    // The splash screen's input filter runs first here.
    if (CSplashScreen::FilterSplashMessage(pMsg))
        return TRUE;
    return CWinApp::PreTranslateMessage(pMsg);
}

void CNorvelApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
