#include "frame/Splash.h"

#include "framework/AfxDpi.h"
#include "res/resource.h"

namespace {
const UINT_PTR kSplashTimer = 1;
const UINT kSplashMs = 1000;
// Posted at creation; handled once the message loop runs, after the frame was shown.
const UINT WM_SPLASH_RAISE = WM_USER + 1;
}  // namespace

BOOL CSplashScreen::s_bSplashEnabled = 0;
CSplashScreen* CSplashScreen::s_pSplashScreen = nullptr;

BEGIN_MESSAGE_MAP(CSplashScreen, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_TIMER()
ON_MESSAGE(WM_SPLASH_RAISE, OnRaise)
END_MESSAGE_MAP()

CSplashScreen::~CSplashScreen() {
    // Only the one splash object ever exists, and s_pSplashScreen names it.
    s_pSplashScreen = nullptr;
}

void CSplashScreen::PostNcDestroy() {
    delete this;
}

void CSplashScreen::EnableSplash(BOOL bEnable) {
    s_bSplashEnabled = bEnable;
}

void CSplashScreen::ShowSplash(CWnd* pParentWnd) {
    if (!s_bSplashEnabled || s_pSplashScreen)
        return;
    CSplashScreen* pSplash = new CSplashScreen;
    s_pSplashScreen = pSplash;
    if (!pSplash->CreateSplash(pParentWnd)) {
        // A window that failed after it was attached has already deleted its object.
        if (s_pSplashScreen == pSplash)
            delete pSplash;
        return;
    }
    pSplash->UpdateWindow();
}

BOOL CSplashScreen::CreateSplash(CWnd* pParentWnd) {
    // The picture drawn nearest to the DPI of the window it shows over, at its own size.
    HWND hParent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    if (!m_bmpSplash.LoadBitmap(AfxDpiBitmapId(IDB_SPLASH, AfxGetWindowDpi(hParent))))
        return FALSE;
    BITMAP bm = {};
    m_bmpSplash.GetBitmap(&bm);
    const char* pszClass = AfxRegisterWndClass(0, AfxGetApp()->LoadStandardCursor(IDC_ARROW));
    return CreateEx(0, pszClass, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, bm.bmWidth, bm.bmHeight,
                    pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

void CSplashScreen::HideSplash() {
    DestroyWindow();  // deletes this object
    if (CWnd* pMain = AfxGetMainWnd())
        pMain->UpdateWindow();
}

BOOL CSplashScreen::FilterSplashMessage(MSG* pMsg) {
    if (!s_pSplashScreen)
        return FALSE;
    switch (pMsg->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
            s_pSplashScreen->HideSplash();
            return TRUE;
        default:
            return FALSE;
    }
}

int CSplashScreen::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    CenterWindow();
    SetTimer(kSplashTimer, kSplashMs);
    PostMessage(WM_SPLASH_RAISE);
    return 0;
}

void CSplashScreen::RaiseSplash() {
    if (s_pSplashScreen)
        s_pSplashScreen->OnRaise(0, 0);
}

LRESULT CSplashScreen::OnRaise(WPARAM, LPARAM) {
    // Showing and activating the frame may have put it above the splash, which it owns (Wine
    // does so): the splash comes back on top, painted at once.
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return 0;
}

void CSplashScreen::OnPaint() {
    CPaintDC dc(m_hWnd);
    CMemDC dcImage(dc);
    if (!dcImage.GetSafeHdc())
        return;
    BITMAP bm = {};
    m_bmpSplash.GetBitmap(&bm);
    // The memory context restores its previous bitmap as it goes.
    dcImage.SelectObject(m_bmpSplash);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, dcImage, 0, 0, SRCCOPY);
}

void CSplashScreen::OnTimer(UINT_PTR) {
    HideSplash();
}
