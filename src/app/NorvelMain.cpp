// The one application object and the program's entry point.
#include "app/Norvel.h"

CNorvelApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, lpCmdLine, nCmdShow);
}
