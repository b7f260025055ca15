// The cheapest resident Win32 program: one hidden window and a GetMessage
// loop. The measuring program compares Tessel's idle cost with this
// program's under the same Wine, also with a timer of the period given as
// the only argument (milliseconds), which is what a resident poll costs
// by itself. It ends on WM_CLOSE.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"Tessel.IdleLoop";
    if (!::RegisterClassW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"idle loop", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                    nullptr, instance, nullptr);
    if (!window) return 1;
    const unsigned long periodMs = arguments ? std::wcstoul(arguments, nullptr, 10) : 0;
    if (periodMs > 0 && !::SetTimer(window, 1, periodMs, nullptr)) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}
