// Stands in for a DLL that someone dropped beside Tessel.exe. When it is
// loaded it leaves "<its own file name>.loaded" beside itself.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[4096];
    const DWORD n = ::GetModuleFileNameW(instance, path, 4096 - 8);
    if (n == 0 || n >= 4096 - 8) return TRUE;
    ::lstrcatW(path, L".loaded");
    HANDLE marker = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
    return TRUE;
}
