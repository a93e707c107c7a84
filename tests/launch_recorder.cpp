// A stand-in for the programs the shell starts (the paint program, the web browser, the mail
// program): it records how it was started and ends at once.
//
// Written, appended, to the file named by the environment variable LAUNCH_RECORD, or else to
// launch_record.txt beside this program:
//   cmdline <the whole command line>
//   argc <n>
//   arg <i> <argument i as the run-time library splits the command line>   (one line each)
//   show <STARTUPINFO.wShowWindow, or -1 without STARTF_USESHOWWINDOW>
//   cwd <current directory>
//   end
// The test removes the file before the launch and waits until "end" is there.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    char szPath[MAX_PATH * 2] = "";
    DWORD n = GetEnvironmentVariableA("LAUNCH_RECORD", szPath, sizeof szPath);
    if (n == 0 || n >= sizeof szPath) {
        GetModuleFileNameA(nullptr, szPath, MAX_PATH);
        char* pSlash = strrchr(szPath, '\\');
        strcpy(pSlash ? pSlash + 1 : szPath, "launch_record.txt");
    }
    STARTUPINFOA si;
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    char szDir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof szDir, szDir);

    // Everything is formatted first and written in one go, so a reader never sees half of it.
    char buf[16384];
    int len = snprintf(buf, sizeof buf, "cmdline %s\nargc %d\n", GetCommandLineA(), argc);
    for (int i = 0; i < argc && len < static_cast<int>(sizeof buf); ++i)
        len += snprintf(buf + len, sizeof buf - len, "arg %d %s\n", i, argv[i]);
    if (len < static_cast<int>(sizeof buf))
        len += snprintf(buf + len, sizeof buf - len, "show %d\ncwd %s\nend\n",
                        (si.dwFlags & STARTF_USESHOWWINDOW) ? static_cast<int>(si.wShowWindow) : -1, szDir);
    if (len > static_cast<int>(sizeof buf))
        len = sizeof buf;
    FILE* f = fopen(szPath, "ab");
    if (!f)
        return 3;
    fwrite(buf, 1, static_cast<size_t>(len), f);
    fclose(f);
    return 0;
}
