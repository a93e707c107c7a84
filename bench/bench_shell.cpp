// Prints how long the program takes from its start to the first paint of its frame with the
// splash screen and without it (started as "/Embedding"), and how long the update check takes
// against a local server beside a bare WinINet open and read of the same URL.
//   morvane_bench_shell MORVANE_EXE HTTP_HELPER_EXE
#include <windows.h>
#include <wininet.h>

#include <stdio.h>

#include <string>

#include "Bench.h"
#include "TestUtil.h"
#include "dialogs/UpdateDlg.h"

namespace {
// From CreateProcess until the frame is shown, painted and the program waits for input.
double StartToFirstPaint(const std::string& exe, const char* args) {
    return Median(3, [&] {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::string cmd = "\"" + exe + "\" " + args;
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        WaitForInputIdle(pi.hProcess, 120000);
        HWND h = nullptr;
        for (int i = 0; i < 12000 && !(h = FindWindowA(nullptr, "Morvane 1.52")); ++i)
            Sleep(5);
        if (h)
            PostMessageA(h, WM_CLOSE, 0, 0);
        else
            printf("  (no frame appeared for %s)\n", cmd.c_str());
        WaitForSingleObject(pi.hProcess, 60000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    });
}

// Closes the Update dialog as soon as it shows.
void CALLBACK CloseUpdate(HWND, UINT, UINT_PTR, DWORD) {
    HWND h = FindWindowA("#32770", "Update");
    if (h && IsWindowVisible(h))
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    printf("start to first paint, with the splash:     %8.3f s\n", StartToFirstPaint(argv[1], ""));
    printf("start to first paint, without (/Embedding):%8.3f s\n", StartToFirstPaint(argv[1], "/Embedding"));

    // The local server, as the update tests run it.
    char tmp[MAX_PATH] = "";
    GetTempPathA(sizeof tmp, tmp);
    std::string portFile = std::string(tmp) + "morvane_bench_port.txt";
    DeleteFileA(portFile.c_str());
    std::string cmd = "\"" + std::string(argv[2]) + "\" \"" + portFile + "\" " + std::to_string(GetCurrentProcessId());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    unsigned port = 0;
    for (int i = 0; i < 600 && !port; ++i) {
        if (FILE* f = fopen(portFile.c_str(), "r")) {
            if (fscanf(f, "%u", &port) != 1)
                port = 0;
            fclose(f);
        }
        Sleep(port ? 0 : 50);
    }
    if (!port)
        return 1;
    char url[128];
    snprintf(url, sizeof url, "http://127.0.0.1:%u/v152/update.txt", port);

    RunningApp run;
    if (!run.started())
        return 1;
    run.app().WriteProfileString("Settings", "UpdateURL", url);
    double check = Median(5, [] {
        UINT_PTR t = SetTimer(nullptr, 0, 10, CloseUpdate);
        CUpdateDlg dlg;
        dlg.DoModal();
        KillTimer(nullptr, t);
    });
    double bare = Median(5, [&] {
        HINTERNET hSession = InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        HINTERNET hUrl = InternetOpenUrlA(hSession, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        char buf[512];
        DWORD n = 0;
        while (hUrl && InternetReadFile(hUrl, buf, sizeof buf, &n) && n)
            ;
        if (hUrl)
            InternetCloseHandle(hUrl);
        InternetCloseHandle(hSession);
    });
    printf("update check: dialog shown and closed:     %8.3f s\n", check);
    printf("bare WinINet open and read, same URL:      %8.3f s\n", bare);
    printf("ratio check / bare:                        %8.2f\n", check / bare);

    run.Exit();
    DeleteMorvaneRegistry();
    TerminateProcess(pi.hProcess, 0);  // the helper also ends by itself with this process
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileA(portFile.c_str());
    return 0;
}
