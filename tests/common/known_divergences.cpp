// The divergences the Windows tests know, each with its probe.
#include "runtime/win32.h"
#include "tests/common/divergence.h"

namespace tw_test::divergence {

namespace {

// A read-only file of our own, opened for writing.
bool read_only_file_opens_for_writing() {
    char folder[MAX_PATH] = {};
    char probe[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "two", 0, probe) == 0) return false;
    bool opens = false;
    if (SetFileAttributesA(probe, FILE_ATTRIBUTE_READONLY)) {
        HANDLE h = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        opens = h != INVALID_HANDLE_VALUE;
        if (opens) CloseHandle(h);
        SetFileAttributesA(probe, FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileA(probe);
    return opens;
}

}  // namespace

}  // namespace tw_test::divergence

namespace tw_test {

// ntdll's own export under Wine; Windows has none.
std::string wine_version() {
    using Version = const char*(__cdecl*)();
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto get = ntdll ? reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                           : nullptr;
    const char* version = get ? get() : nullptr;
    return version ? version : "";
}

}  // namespace tw_test

namespace tw_test::divergence {

constinit const Divergence read_only_writable("read-only files open for writing (Wine running as root)",
                                              read_only_file_opens_for_writing);

constinit const Divergence no_move_after_window_change("no pointer movement after a window changed under the pointer",
                                                       "8", [] { return true; });

}  // namespace tw_test::divergence
