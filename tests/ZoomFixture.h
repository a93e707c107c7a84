// The running application with a picture shown as Open leaves it, a view of a chosen size, and
// the ways a user reaches the zoom commands.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DesktopUtil.h"
#include "TestUtil.h"
#include "res/resource.h"
#include "view/Zoom.h"

class ZoomFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteMorvaneRegistry();
        folder = MakeTempFolder("zoom");
        run.reset(new RunningApp);
        ASSERT_TRUE(run->started());
        view = run->view();
        ASSERT_NE(nullptr, view);
        SetForegroundWindow(run->frame()->m_hWnd);
    }
    void TearDown() override {
        if (GetAsyncKeyState(VK_LBUTTON) & 0x8000)
            MouseLeftUp();
        run.reset();
        DeleteMorvaneRegistry();
    }

    // Makes the view's client area exactly cw x ch by resizing the frame, then paints.
    void SizeView(int cw, int ch) {
        CRect rcView, rcFrame;
        // The bars may take another height at another width: adjust until the view fits.
        for (int i = 0; i < 3; ++i) {
            view->GetClientRect(&rcView);
            run->frame()->GetWindowRect(&rcFrame);
            int w = rcFrame.Width() + cw - rcView.Width(), h = rcFrame.Height() + ch - rcView.Height();
            ::MoveWindow(run->frame()->m_hWnd, 4, 4, w, h, TRUE);
            PumpNow();
        }
        Repaint();
        view->GetClientRect(&rcView);
        ASSERT_EQ(cw, rcView.Width());
        ASSERT_EQ(ch, rcView.Height());
        ASSERT_EQ(cw, g_nClientWidth);
        ASSERT_EQ(ch, g_nClientHeight);
    }
    // Shows a picture file as Open does: flags, commands enabled, fitted at the next paint.
    void Show(const std::string& path) {
        CNorvelApp& app = run->app();
        app.m_bImageLoaded = 1;
        app.m_bRegionCaptured = app.m_bObjectCaptured = app.m_bScreenCaptured = 0;
        app.m_bPanX = app.m_bPanY = 0;
        g_strFilePath = path.c_str();
        g_bManualZoom = 0;
        view->m_bEnableZoomOut = view->m_bEnableZoomIn = 1;
        g_bEnableZoomDialog = 1;
        Repaint();
    }
    std::string WritePicture(const char* name, int w, int h, const std::function<COLORREF(int x, int y)>& colourAt) {
        std::string path = folder + name;
        WriteFile(path, MakeBmp(w, h, colourAt));
        return path;
    }
    void Repaint() {
        view->Invalidate(TRUE);
        view->UpdateWindow();
        PumpNow();
    }
    // A command as a menu item or key sends it; a refused command does nothing.
    void Command(UINT nID) {
        run->frame()->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 1), 0);
        view->UpdateWindow();
        PumpNow();
    }
    // A key pressed while the main window has the focus.
    void Key(WPARAM vk) {
        HWND hView = view->m_hWnd;
        PostMessageA(hView, WM_KEYDOWN, vk, 1);
        PostMessageA(hView, WM_KEYUP, vk, 0xC0000001);
        PumpNow();
        view->UpdateWindow();
        PumpNow();
    }
    CString Pane(int i) { return run->frame()->m_wndStatusBar.GetPaneText(i); }
    // The check mark the update handlers give Auto Zoom in the View menu.
    bool AutoZoomChecked() {
        HMENU hView = GetSubMenu(run->frame()->GetMenu(), 2);
        run->frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
        return (GetMenuState(hView, ID_VIEW_AUTOZOOM, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    COLORREF At(int x, int y) { return ScreenPixel(view->m_hWnd, x, y); }
    bool PanX() { return run->app().m_bPanX != 0; }
    bool PanY() { return run->app().m_bPanY != 0; }

    std::unique_ptr<RunningApp> run;
    CNorvelView* view = nullptr;
    std::string folder;
};

const COLORREF kViewGrey = RGB(128, 128, 128);
