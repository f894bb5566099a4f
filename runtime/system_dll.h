// Functions of the system's DLLs that only the requesters and the shell
// fallback need, loaded when they are first asked for instead of at start-up
// (under Wine, comdlg32, shell32 and ole32 alone add some 40 ms to every
// start) and kept until the process ends; and DLLs loaded for a moment,
// counted while they are held. Platform-facing, header-only.
#pragma once

#include "runtime/platform_calls.h"
#include "runtime/resource_count.h"
#include "runtime/win32.h"

namespace tw {

// The function, or null when the DLL or the function is missing.
template <class F>
F system_function(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) module = platform_calls().LoadLibraryA(dll);
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A DLL loaded for a moment, counted until free_module gives it back; null
// when it cannot be loaded.
inline HMODULE load_module(const char* dll) { return counted(Resource::Module, platform_calls().LoadLibraryA(dll)); }
inline void free_module(HMODULE module) {
    if (!module) return;
    FreeLibrary(module);
    resource_released(Resource::Module);
}

// COM for this thread, made ready the first time a dialog or the shell needs it.
inline bool com_ready() {
    thread_local bool ready = false;
    if (!ready) {
        using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
        static const auto init = system_function<CoInitializeFn>("ole32.dll", "CoInitialize");
        ready = init && SUCCEEDED(init(nullptr));
    }
    return ready;
}

// Frees memory the shell handed out (an item list).
inline void com_free(void* memory) {
    using CoTaskMemFreeFn = void(WINAPI*)(LPVOID);
    static const auto free_memory = system_function<CoTaskMemFreeFn>("ole32.dll", "CoTaskMemFree");
    if (free_memory && memory) free_memory(memory);
}

}  // namespace tw
