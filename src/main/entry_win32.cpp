#include <windows.h>

#include "main/startup_win32.h"
#include "platform/system_library_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything else can load a DLL from the program's folder.
    tessel::RestrictDllSearchPath();
    try {
        tessel::RunTessel();
    } catch (...) {
        // Out of memory during start-up or teardown: end quietly like any
        // other start-up failure that has no message of its own.
    }
    return 0;
}
