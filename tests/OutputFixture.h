// The application started for the output commands' tests, with a picture opened as Open opens
// it, commands sent as the menu sends them, and the view's state to compare before and after.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CaptureUtil.h"
#include "TestUtil.h"
#include "res/resource.h"

struct ViewSnapshot {
    std::string path, folder, list, panes;
    int index = 0;
    double zoom = 0;
    bool operator==(const ViewSnapshot& o) const {
        return path == o.path && folder == o.folder && list == o.list && panes == o.panes && index == o.index &&
               zoom == o.zoom;
    }
};

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteMorvaneRegistry();
        run.reset(new RunningApp);
        ASSERT_TRUE(run->started());
        frame = run->frame();
        view = run->view();
        SetForegroundWindow(frame->m_hWnd);
        PumpNow();
    }
    void TearDown() override {
        run.reset();
        DeleteMorvaneRegistry();
    }
    void Open(const std::string& path) {
        size_t slash = path.find_last_of('\\');
        view->OpenChosenFile(path.c_str(), path.substr(slash + 1).c_str());
        view->UpdateWindow();
        PumpNow();
    }
    void Command(UINT nID) {
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        view->UpdateWindow();
        PumpNow();
    }
    CString Pane(int i) { return frame->m_wndStatusBar.GetPaneText(i); }
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
};
