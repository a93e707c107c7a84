// Another program opening a file for writing, as editors and copy tools do (sharing reads and
// writes with others), over and over until told to stop.
//   file_open_helper PATH READY STOP   sets READY after its first try, tries until STOP is set,
//                                      prints "TRIES REFUSED" and exits with 0 when none was
//                                      refused, 2 when some were, 3 on bad arguments.
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: file_open_helper PATH READY STOP\n");
        return 3;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !stop)
        return 3;
    long nTries = 0, nRefused = 0;
    do {
        HANDLE h = CreateFileA(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            ++nRefused;
        else
            CloseHandle(h);
        if (++nTries == 1)
            SetEvent(ready);
    } while (WaitForSingleObject(stop, 0) == WAIT_TIMEOUT);
    printf("%ld %ld\n", nTries, nRefused);
    return nRefused == 0 ? 0 : 2;
}
