// GoogleTest copies every failure to the debugger's output. Under emulation a process whose
// failure report goes that way dies right after printing the first failure, losing the rest of
// the run; the test programs have no debugger to read it, so the copy is dropped here, before
// any test runs. The report on standard output is unchanged.
#include <windows.h>

extern "C" void* g_pfnImportedOutputDebugStringA asm("__imp__OutputDebugStringA@4");

namespace {
void WINAPI DropDebugOutput(LPCSTR) {}

struct QuietDebugOutput {
    QuietDebugOutput() {
        void** slot = &g_pfnImportedOutputDebugStringA;
        DWORD old = 0;
        if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
            *slot = reinterpret_cast<void*>(&DropDebugOutput);
            VirtualProtect(slot, sizeof *slot, old, &old);
        }
    }
} s_quiet;
}  // namespace
