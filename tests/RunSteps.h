// Runs the application's own message loop (CWinApp::Run) and carries out test steps inside it.
// Each step waits for the loop to go idle after the step before (the idle update the loop sends
// the main window) and runs in the wait that follows, as a user's next action would. The loop
// ends after the last step, or after msTimeout if it stops going idle.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Afx.h"

class LoopSteps {
public:
    typedef std::function<void()> Step;
    // Runs pApp->Run() until the steps are done; whether every step ran.
    static bool Run(CWinApp* pApp, std::vector<Step> steps, DWORD msTimeout = 60000) {
        s_steps = std::move(steps);
        s_nNext = 0;
        s_bGaveUp = false;
        s_bInStep = false;
        s_hMain = pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
        HHOOK hHook = SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWndProc, nullptr, GetCurrentThreadId());
        s_nStep = 0;
        s_nBound = SetTimer(nullptr, 0, msTimeout, &OnBound);
        if (hHook)
            pApp->Run();
        KillTimer(nullptr, s_nBound);
        if (s_nStep)
            KillTimer(nullptr, s_nStep);
        if (hHook)
            UnhookWindowsHookEx(hHook);
        bool bAll = hHook && !s_bGaveUp && s_nNext > s_steps.size();
        s_steps.clear();
        return bAll;
    }

private:
    // The idle update: the next step is due in the loop's wait that follows, once. A timer of the
    // shortest period, set now, arrives there (a posted message would be taken before the wait).
    static LRESULT CALLBACK OnCallWndProc(int nCode, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* p = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (nCode == HC_ACTION && p->message == WM_IDLEUPDATECMDUI && p->hwnd == s_hMain && !s_bInStep && !s_nStep &&
            s_nNext <= s_steps.size())
            s_nStep = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &OnStep);
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static void CALLBACK OnStep(HWND, UINT, UINT_PTR, DWORD) {
        KillTimer(nullptr, s_nStep);
        s_nStep = 0;
        if (s_nNext < s_steps.size()) {
            size_t n = s_nNext++;
            s_bInStep = true;
            s_steps[n]();
            s_bInStep = false;
        } else if (s_nNext == s_steps.size()) {
            ++s_nNext;
            PostQuitMessage(0);
        }
    }
    // The loop stopped going idle: it is ended, and the run reports the steps not done.
    static void CALLBACK OnBound(HWND, UINT, UINT_PTR, DWORD) {
        if (s_nNext > s_steps.size())
            return;
        s_nNext = s_steps.size() + 1;
        s_bGaveUp = true;
        PostQuitMessage(0);
    }
    static inline std::vector<Step> s_steps;
    static inline size_t s_nNext = 0;
    static inline bool s_bGaveUp = false;
    static inline bool s_bInStep = false;
    static inline HWND s_hMain = nullptr;
    static inline UINT_PTR s_nStep = 0;
    static inline UINT_PTR s_nBound = 0;
};
