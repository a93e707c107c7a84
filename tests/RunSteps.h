// Runs the application's own message loop (CWinApp::Run) while a thread timer carries out test
// steps, one per tick, each arriving as the loop's only message; the loop ends after the last.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Afx.h"

class LoopSteps {
public:
    typedef std::function<void()> Step;
    // Runs pApp->Run() until the steps are done (or the watchdog, after 60 s); returns whether
    // every step ran.
    static bool Run(CWinApp* pApp, std::vector<Step> steps, UINT nTickMs = 150) {
        s_steps = std::move(steps);
        s_nNext = 0;
        s_bGaveUp = false;
        s_nStarted = GetTickCount();
        s_nTickMs = nTickMs;
        s_nTimer = SetTimer(nullptr, 0, nTickMs, &OnTick);
        pApp->Run();
        KillTimer(nullptr, s_nTimer);
        bool bAll = !s_bGaveUp && s_nNext > s_steps.size();
        s_steps.clear();
        return bAll;
    }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_bInStep)
            return;  // ticks inside a step's own modal loop wait for the step to end
        if (s_nNext < s_steps.size()) {
            size_t n = s_nNext++;
            s_bInStep = true;
            s_steps[n]();
            s_bInStep = false;
            // The next tick a whole period after this step ends, so the loop can go idle first
            // (a timer that is due counts as a message waiting).
            SetTimer(nullptr, s_nTimer, s_nTickMs, &OnTick);
        } else if (s_nNext == s_steps.size()) {
            ++s_nNext;
            PostQuitMessage(0);
        }
        if (GetTickCount() - s_nStarted > 60000 && s_nNext <= s_steps.size()) {
            s_nNext = s_steps.size() + 1;
            s_bGaveUp = true;
            PostQuitMessage(0);
        }
    }
    static inline std::vector<Step> s_steps;
    static inline size_t s_nNext = 0;
    static inline DWORD s_nStarted = 0;
    static inline bool s_bGaveUp = false;
    static inline bool s_bInStep = false;
    static inline UINT_PTR s_nTimer = 0;
    static inline UINT s_nTickMs = 0;
};
