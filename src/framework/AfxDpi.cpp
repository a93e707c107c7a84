#include "framework/AfxDpi.h"

#include "framework/AfxRes.h"

namespace {
// Functions newer than the program's target system, looked up where they exist.
template <typename F>
F SystemFunction(const char* pszDll, const char* pszName) {
    HMODULE hModule = ::GetModuleHandleA(pszDll);
    return hModule ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName))) : nullptr;
}

UINT ScreenDpi() {
    HDC hDC = ::GetDC(nullptr);
    int nDpi = hDC ? ::GetDeviceCaps(hDC, LOGPIXELSX) : 0;
    if (hDC)
        ::ReleaseDC(nullptr, hDC);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kAfxDefaultDpi;
}
}  // namespace

UINT AfxGetWindowDpi(HWND hWnd) {
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    typedef UINT(WINAPI * GetDpiForSystemFn)();
    static const GetDpiForWindowFn pfnForWindow = SystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    static const GetDpiForSystemFn pfnForSystem = SystemFunction<GetDpiForSystemFn>("user32.dll", "GetDpiForSystem");
    UINT nDpi = 0;
    if (hWnd && pfnForWindow)
        nDpi = pfnForWindow(hWnd);
    else if (!hWnd && pfnForSystem)
        nDpi = pfnForSystem();
    return nDpi ? nDpi : ScreenDpi();
}

int AfxScaleByDpi(int n, UINT nDpi) {
    return ::MulDiv(n, static_cast<int>(nDpi), static_cast<int>(kAfxDefaultDpi));
}

int AfxDpiImagePercent(UINT nDpi) {
    // Half-way between the sizes drawn: 120 dpi (125 %) and 168 dpi (175 %).
    if (nDpi < 120)
        return 100;
    return nDpi < 168 ? 150 : 200;
}

UINT AfxDpiBitmapId(UINT nId, UINT nDpi) {
    switch (AfxDpiImagePercent(nDpi)) {
        case 150:
            return AFX_ID_SCALED_150(nId);
        case 200:
            return AFX_ID_SCALED_200(nId);
        default:
            return nId;
    }
}

void AfxTellChildrenDpi(HWND hWnd, UINT nDpi) {
    struct Tell {
        static BOOL CALLBACK Child(HWND hChild, LPARAM lParam) {
            ::SendMessageA(hChild, kAfxWmDpiChangedAfterParent, static_cast<WPARAM>(lParam), 0);
            return TRUE;
        }
    };
    ::EnumChildWindows(hWnd, Tell::Child, static_cast<LPARAM>(nDpi));
}

void AfxEnableDpiAwareness() {
    typedef BOOL(WINAPI * SetContextFn)(HANDLE);
    static const SetContextFn pfnSet = SystemFunction<SetContextFn>("user32.dll", "SetProcessDpiAwarenessContext");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then PER_MONITOR_AWARE where v2 is unknown.
    if (pfnSet && !pfnSet(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))))
        pfnSet(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)));
}
