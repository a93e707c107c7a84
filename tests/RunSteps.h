// Runs the application's own message loop (CWinApp::Run) while a thread timer carries out test
// steps. A step runs only once the loop has gone idle after the step before (seen as the idle
// update the loop sends the main window), so each step meets the state the user would meet; the
// loop ends after the last step, or after a minute if the loop stops going idle.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Afx.h"

class LoopSteps {
public:
    typedef std::function<void()> Step;
    // Runs pApp->Run() until the steps are done; returns whether every step ran.
    static bool Run(CWinApp* pApp, std::vector<Step> steps, UINT nTickMs = 100) {
        s_steps = std::move(steps);
        s_nNext = 0;
        s_bGaveUp = false;
        s_bIdle = false;
        s_hMain = pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
        s_nStarted = GetTickCount();
        HHOOK hHook = SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWndProc, nullptr, GetCurrentThreadId());
        s_nTickMs = nTickMs;
        s_nTimer = SetTimer(nullptr, 0, nTickMs, &OnTick);
        pApp->Run();
        KillTimer(nullptr, s_nTimer);
        if (hHook)
            UnhookWindowsHookEx(hHook);
        bool bAll = hHook && !s_bGaveUp && s_nNext > s_steps.size();
        s_steps.clear();
        return bAll;
    }

private:
    static LRESULT CALLBACK OnCallWndProc(int nCode, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* p = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (nCode == HC_ACTION && p->message == WM_IDLEUPDATECMDUI && p->hwnd == s_hMain)
            s_bIdle = true;
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (GetTickCount() - s_nStarted > 60000 && s_nNext <= s_steps.size()) {
            s_nNext = s_steps.size() + 1;
            s_bGaveUp = true;
            PostQuitMessage(0);
            return;
        }
        // Ticks inside a step's own modal loop, or before the loop went idle, wait.
        if (s_bInStep || !s_bIdle)
            return;
        if (s_nNext < s_steps.size()) {
            size_t n = s_nNext++;
            s_bInStep = true;
            s_bIdle = false;
            s_steps[n]();
            s_bInStep = false;
            SetTimer(nullptr, s_nTimer, s_nTickMs, &OnTick);
        } else if (s_nNext == s_steps.size()) {
            ++s_nNext;
            PostQuitMessage(0);
        }
    }
    static inline std::vector<Step> s_steps;
    static inline size_t s_nNext = 0;
    static inline DWORD s_nStarted = 0;
    static inline bool s_bGaveUp = false;
    static inline bool s_bInStep = false;
    static inline bool s_bIdle = false;
    static inline HWND s_hMain = nullptr;
    static inline UINT_PTR s_nTimer = 0;
    static inline UINT s_nTickMs = 0;
};
