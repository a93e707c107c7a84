// Steps that drive the open dialog's preview panel, shared by the dialog test programs.
#pragma once

#include <string>
#include <vector>

#include "TestUtil.h"
#include "dialogs/SpecFileDlg.h"

struct Expect {
    int w, h;
    int x, y, dw, dh;
    float scale;
};

struct PanelRun {
    std::string folder;
    std::vector<std::string> names;
    // What the panel showed after each name: width line, height line, format line, geometry.
    std::vector<std::string> lines;
    std::vector<Expect> seen;
    int frameW = 0, frameH = 0;
};

// Steps that go into the folder (the dialog reports its folder joined with the typed name),
// wait until the dialog shows it, then select each name in turn and record what the panel shows.
inline std::vector<DialogDriver::Step> PanelSteps(PanelRun* r, bool resize) {
    std::vector<DialogDriver::Step> steps;
    steps.push_back([r, resize](HWND hDialog, HWND hPanel) {
        if (resize && hPanel) {
            HWND hFrame = GetDlgItem(hPanel, 1011);
            SetWindowPos(hFrame, nullptr, 0, 0, 106, 86, SWP_NOMOVE | SWP_NOZORDER);
            RECT rc;
            GetClientRect(hFrame, &rc);
            r->frameW = rc.right;
            r->frameH = rc.bottom;
        }
        DialogSetFileName(hDialog, r->folder);
        DialogPressOk(hDialog);
    });
    for (const std::string& name : r->names) {
        steps.push_back({FileDialogInFolder(r->folder), [r, name](HWND hDialog, HWND hPanel) {
                             DialogSetFileName(hDialog, name);
                             DialogNotifyPanel(hDialog, hPanel);
                             r->lines.push_back(DialogItemText(hPanel, 1012) + "|" + DialogItemText(hPanel, 1013) +
                                                "|" + DialogItemText(hPanel, 1014));
                             r->seen.push_back({0, 0, g_nPreviewX, g_nPreviewY, 0, 0, g_fPreviewScale});
                         }});
    }
    return steps;
}
