// The application started for a capture test, with no capture file, and helpers that run the
// capture commands as the menu would.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "CaptureUtil.h"
#include "TestUtil.h"
#include "res/resource.h"

class CaptureAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteMorvaneRegistry();
        DeleteFileA(CaptureFilePath());
        SetCursorPos(1010, 5);  // out of the way of every window of the tests
        run.reset(new RunningApp);
        ASSERT_TRUE(run->started());
        frame = run->frame();
        view = run->view();
        SetForegroundWindow(frame->m_hWnd);
        PumpFor(50);
    }
    void TearDown() override {
        // A test that failed half way must not leave an overlay over the next one.
        if (frame->m_wndTarget.GetSafeHwnd())
            frame->m_wndTarget.DestroyWindow();
        if (frame->m_wndTarget2.GetSafeHwnd())
            frame->m_wndTarget2.DestroyWindow();
        PumpNow();
        run.reset();
        DeleteFileA(CaptureFilePath());
        DeleteMorvaneRegistry();
    }
    // Sends a command to the frame as a menu item does, and lets it run.
    void Command(UINT nID) {
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        PumpFor(150);
    }
    // Lets the view repaint and the status bar show what it wrote.
    void Settle() {
        PumpFor(100);
        view->UpdateWindow();
        PumpNow();
    }
    CString Pane(int i) { return frame->m_wndStatusBar.GetPaneText(i); }
    CNorvelApp& app() { return run->app(); }

    std::unique_ptr<RunningApp> run;
    CMainFrame* frame = nullptr;
    CNorvelView* view = nullptr;
};
