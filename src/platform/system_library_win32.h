#pragma once
// Tessel lives in a user's folder, where anyone may drop a DLL. Windows looks
// for a DLL that is not a KnownDLL in the program's folder first, so every
// such DLL is loaded here, from the system folder only, never imported.
#include <windows.h>

namespace tessel {

// Limits every later LoadLibrary by name to the system folder. Called first
// thing in the program, before anything can load a DLL.
void RestrictDllSearchPath() noexcept;

// The module, loaded from the system folder, or null. Callers keep what they
// look up for the life of the process; the module is never freed.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// A function of a system DLL, or null when the DLL or the function is missing.
// Look it up once (a function-local static) rather than at every call.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) noexcept {
    HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tessel
