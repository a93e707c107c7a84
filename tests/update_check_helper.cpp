// The program's update check in a process of its own, for the test that ends that process in
// the middle of a check, as the system ends a program that hangs when its window is closed:
//   update_check_helper URL
// Starts the application, points its profile at URL and sends Help > Update... to the frame.
// Returns when the dialog is closed (the test ends the process long before).
#include "TestUtil.h"
#include "app/Norvel.h"
#include "frame/MainFrm.h"
#include "res/resource.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    RunningApp run;
    if (!run.started() || !run.frame())
        return 1;
    run.app().WriteProfileString("Settings", "UpdateURL", argv[1]);
    run.frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_UPDATE, 0), 0);
    return 0;
}
