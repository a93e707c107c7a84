// The application started inside the test process for each test, and the ways a user reaches it:
// commands as the menu sends them, keys, a picture opened as Open opens it or shown as Open
// leaves it, the view at a chosen size, the status bar, and the screen under the view.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CaptureUtil.h"
#include "DesktopUtil.h"
#include "TestUtil.h"
#include "picture/PictureCache.h"
#include "res/resource.h"
#include "state/Zoom.h"

const COLORREF kViewGrey = RGB(128, 128, 128);

// Tests that find the program's registry key removed and leave it removed.
class CleanRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteMorvaneRegistry(); }
    void TearDown() override { DeleteMorvaneRegistry(); }
};

// What the tests of an area want around the start.
struct AppStart {
    const char* folderName = nullptr;  // a fresh temporary folder of this name, in m_strFolder
    bool bNoCaptureFile = false;       // the capture file removed before the start and after the end
    bool bParkPointer = false;         // the pointer put out of the way of every window first
    DWORD nSettleMs = 0;               // pumped after the start (0: what is waiting)
    DWORD nCommandSettleMs = 0;        // pumped after each command, for what the command starts
    AppStart& Folder(const char* name) {
        folderName = name;
        return *this;
    }
    AppStart& NoCaptureFile() {
        bNoCaptureFile = true;
        return *this;
    }
    AppStart& ParkPointer() {
        bParkPointer = true;
        return *this;
    }
    AppStart& Settle(DWORD ms) {
        nSettleMs = ms;
        return *this;
    }
    AppStart& CommandSettle(DWORD ms) {
        nCommandSettleMs = ms;
        return *this;
    }
};

// The capture tests' start: no capture file, the pointer away from every window, and time after
// each command for the overlay it shows.
inline AppStart CaptureStart() {
    return AppStart().NoCaptureFile().ParkPointer().Settle(50).CommandSettle(150);
}

// The view's state, to compare before and after a command.
struct ViewSnapshot {
    std::string path, folder, list, panes;
    int index = 0;
    double zoom = 0;
    bool operator==(const ViewSnapshot& o) const {
        return path == o.path && folder == o.folder && list == o.list && panes == o.panes && index == o.index &&
               zoom == o.zoom;
    }
};

class AppTest : public CleanRegistryTest {
protected:
    explicit AppTest(AppStart start = AppStart()) : m_start(start) {}

    // What an area sets up before the start and takes down after the end.
    virtual void BeforeStart() {}
    virtual void AfterEnd() {}

    void SetUp() override {
        CleanRegistryTest::SetUp();
        if (m_start.bNoCaptureFile)
            DeleteFileA(CaptureFilePath());
        if (m_start.folderName)
            m_strFolder = MakeTempFolder(m_start.folderName);
        if (m_start.bParkPointer)
            SetCursorPos(1010, 5);
        BeforeStart();
        run.reset(new RunningApp);
        ASSERT_TRUE(run->started());
        frame = run->frame();
        view = run->view();
        ASSERT_NE(nullptr, view);
        SetForegroundWindow(frame->m_hWnd);
        if (m_start.nSettleMs)
            PumpFor(m_start.nSettleMs);
        else
            PumpNow();
    }
    void TearDown() override {
        // A test that failed half way must leave neither a button held nor an overlay up.
        if (GetAsyncKeyState(VK_LBUTTON) & 0x8000)
            MouseLeftUp();
        if (frame && frame->m_wndTarget.GetSafeHwnd())
            frame->m_wndTarget.DestroyWindow();
        if (frame && frame->m_wndTarget2.GetSafeHwnd())
            frame->m_wndTarget2.DestroyWindow();
        PumpNow();
        run.reset();
        frame = nullptr;
        view = nullptr;
        AfterEnd();
        if (m_start.bNoCaptureFile)
            DeleteFileA(CaptureFilePath());
        CleanRegistryTest::TearDown();
    }

    CNorvelApp& app() { return run->app(); }
    CString Pane(int i) { return frame->m_wndStatusBar.GetPaneText(i); }
    COLORREF At(int x, int y) { return ScreenPixel(view->m_hWnd, x, y); }
    bool PanX() { return run->app().m_bPanX != 0; }
    bool PanY() { return run->app().m_bPanY != 0; }
    // The view's client as the screen shows it.
    std::vector<COLORREF> Shown() {
        CRect rc;
        view->GetClientRect(&rc);
        ScreenGrab px(view->m_hWnd, rc);
        std::vector<COLORREF> out;
        for (int y = 0; y < rc.Height(); ++y)
            for (int x = 0; x < rc.Width(); ++x)
                out.push_back(px.at(x, y));
        return out;
    }
    // What the view shows once every decode behind it is drawn.
    void Sharpen() {
        CPictureCache& cache = *view->m_pPicture;
        while (cache.Sharpening()) {
            cache.WaitSharper();
            PumpNow();
            view->UpdateWindow();
            PumpNow();
        }
    }

    // A command as a menu item or its key sends it; a refused command does nothing.
    void Command(UINT nID) {
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        view->UpdateWindow();
        PumpNow();
        if (m_start.nCommandSettleMs)
            PumpFor(m_start.nCommandSettleMs);
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
    void Repaint() {
        view->Invalidate(TRUE);
        view->UpdateWindow();
        PumpNow();
    }
    // Lets the view repaint and the status bar show what it wrote.
    void Settle() {
        PumpFor(100);
        view->UpdateWindow();
        PumpNow();
    }

    // Opens a file as Open does once its dialog returns it.
    void Open(const std::string& path) {
        size_t slash = path.find_last_of('\\');
        view->OpenChosenFile(path.c_str(), path.substr(slash + 1).c_str());
        view->UpdateWindow();
        PumpNow();
    }
    // Shows a picture file as Open does: flags, commands enabled, fitted at the next paint.
    void Show(const std::string& path) {
        CNorvelApp& a = run->app();
        a.m_bImageLoaded = 1;
        a.m_bRegionCaptured = a.m_bObjectCaptured = a.m_bScreenCaptured = 0;
        a.m_bPanX = a.m_bPanY = 0;
        g_strFilePath = path.c_str();
        g_bManualZoom = 0;
        view->m_bEnableZoomOut = view->m_bEnableZoomIn = 1;
        g_bEnableZoomDialog = 1;
        Repaint();
    }
    // A bitmap file of the test's folder.
    std::string WritePicture(const char* name, int w, int h, const std::function<COLORREF(int x, int y)>& colourAt) {
        std::string path = m_strFolder + name;
        WriteFile(path, MakeBmp(w, h, colourAt));
        return path;
    }

    // Makes the view's client area exactly cw x ch by resizing the frame, then paints.
    void SizeView(int cw, int ch) {
        CRect rcView, rcFrame;
        // The bars may take another height at another width: adjust until the view fits.
        for (int i = 0; i < 3; ++i) {
            view->GetClientRect(&rcView);
            frame->GetWindowRect(&rcFrame);
            int w = rcFrame.Width() + cw - rcView.Width(), h = rcFrame.Height() + ch - rcView.Height();
            ::MoveWindow(frame->m_hWnd, 4, 4, w, h, TRUE);
            PumpNow();
        }
        Repaint();
        view->GetClientRect(&rcView);
        ASSERT_EQ(cw, rcView.Width());
        ASSERT_EQ(ch, rcView.Height());
        ASSERT_EQ(cw, g_nClientWidth);
        ASSERT_EQ(ch, g_nClientHeight);
    }
    // The check mark the update handlers give Auto Zoom in the View menu.
    bool AutoZoomChecked() {
        HMENU hView = GetSubMenu(frame->GetMenu(), 2);
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 2);
        return (GetMenuState(hView, ID_VIEW_AUTOZOOM, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    ViewSnapshot Snapshot() {
        ViewSnapshot s;
        s.path = g_strFilePath.GetString();
        s.folder = g_strFolder.GetString();
        for (int i = 0; i < g_fileList.GetSize(); ++i)
            s.list += std::string(g_fileList[i]) + ";";
        for (int i = 1; i <= 5; ++i)
            s.panes += std::string(Pane(i)) + "|";
        s.index = g_nFileIndex;
        s.zoom = g_dZoom;
        return s;
    }

    std::unique_ptr<RunningApp> run;
    CMainFrame* frame = nullptr;
    CNorvelView* view = nullptr;
    std::string m_strFolder;  // the folder AppStart names, with its backslash

private:
    AppStart m_start;
};
