#include <windows.h>

#include "main/startup_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tessel::RunTessel();
    return 0;
}
