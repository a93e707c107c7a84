// The running application with distinct menu colours, and the main menu's popups as the
// bitmap menu holds them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MenuUtil.h"
#include "TestUtil.h"
#include "controls/BitmapMenu.h"
#include "res/resource.h"

class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteMorvaneRegistry();
        colours.reset(new MenuColours);
        run.reset(new RunningApp);
        ASSERT_TRUE(run->started());
        frame = run->frame();
        view = run->view();
        ASSERT_NE(nullptr, view);
        SetForegroundWindow(frame->m_hWnd);
        PumpFor(50);
    }
    void TearDown() override {
        run.reset();
        colours.reset();
        DeleteMorvaneRegistry();
    }
    // Popup nIndex of the menu bar (0 File .. 4 Help) and the bitmap menu that owns it.
    HMENU Popup(int nIndex) const { return GetSubMenu(frame->GetMenu(), nIndex); }
    CBitmapMenu* MenuOf(HMENU hMenu) const { return dynamic_cast<CBitmapMenu*>(CMenu::FromHandlePermanent(hMenu)); }
    static CBitmapMenuItem* RecordAt(HMENU hMenu, int nPos) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        GetMenuItemInfoW(hMenu, static_cast<UINT>(nPos), TRUE, &mii);
        return reinterpret_cast<CBitmapMenuItem*>(mii.dwItemData);
    }
    static int PositionOf(HMENU hMenu, UINT nID) {
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
            if (GetMenuItemID(hMenu, i) == nID)
                return i;
        return -1;
    }
    // Opens a popup of the main menu as the menu bar would (the frame owns it and gets its
    // initialisation message), runs the steps and closes it.
    bool OpenPopup(HMENU hPopup, int x, int y, std::vector<MenuStep> steps) {
        return WithOpenMenu(
            [&] { TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_LEFTBUTTON, x, y, 0, frame->m_hWnd, nullptr); },
            std::move(steps));
    }
    // A picture shown as Open leaves it, with the zoom commands enabled.
    void ShowPicture() {
        std::string folder = MakeTempFolder("menu");
        std::string path = folder + "a.bmp";
        WriteFile(path, MakeBmp(300, 200, [](int x, int) { return RGB(x % 256, 90, 40); }));
        CNorvelApp& app = run->app();
        app.m_bImageLoaded = 1;
        g_strFilePath = path.c_str();
        g_bManualZoom = 0;
        view->m_bEnableZoomOut = view->m_bEnableZoomIn = 1;
        g_bEnableZoomDialog = 1;
        view->Invalidate(TRUE);
        view->UpdateWindow();
        PumpNow();
    }

    std::unique_ptr<MenuColours> colours;
    std::unique_ptr<RunningApp> run;
    CMainFrame* frame = nullptr;
    CNorvelView* view = nullptr;
};
