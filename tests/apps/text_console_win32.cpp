// A console program for the console caret tests, built for the console
// subsystem so that CREATE_NEW_CONSOLE gives it a console window of its own.
//   text_console.exe NAME   writes "tessel>", then each time the event
//                           "NAME.write" is set writes "hello" and sets
//                           "NAME.done". Runs until it is ended.
#include <windows.h>

#include <string>

namespace {

void Write(HANDLE out, const wchar_t* text) {
    DWORD written = 0;
    ::WriteConsoleW(out, text, static_cast<DWORD>(::lstrlenW(text)), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 1;
    const std::wstring name = argv[1];
    HANDLE write = ::CreateEventW(nullptr, FALSE, FALSE, (name + L".write").c_str());
    HANDLE done = ::CreateEventW(nullptr, FALSE, FALSE, (name + L".done").c_str());
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!write || !done || out == INVALID_HANDLE_VALUE) return 1;
    Write(out, L"tessel>");
    ::SetEvent(done);
    for (;;) {
        if (::WaitForSingleObject(write, INFINITE) != WAIT_OBJECT_0) return 1;
        Write(out, L"hello");
        ::SetEvent(done);
    }
}
