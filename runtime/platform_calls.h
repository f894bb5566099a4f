// The platform calls a test can replace, in one list: every file call the
// libraries make, the graphics calls that make and release GDI objects, the
// start of a program and the load of a DLL. The list makes the table the
// libraries call through (platform_calls(), in the manner of a system-call
// table), its defaults (the platform's own functions, bound by name), each
// call's name and what it returns when it fails; so a test can put its own
// function in for any call (fail the k-th one with the error a real disk
// gives, or end the process there) and put the platform's back.
// Platform-facing, header-only.
#pragma once

#include <cstddef>
#include <iterator>

#include "runtime/win32.h"

// X(name, result, failed, (parameter types)): the call returns `result`, and
// `failed` when it fails.
// The file calls.
#define TW_FILE_CALLS(X)                                                                                        \
    X(CreateFileA, HANDLE, INVALID_HANDLE_VALUE, (LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)) \
    X(ReadFile, BOOL, FALSE, (HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED))                                    \
    X(WriteFile, BOOL, FALSE, (HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED))                                  \
    X(SetFilePointer, DWORD, INVALID_SET_FILE_POINTER, (HANDLE, LONG, PLONG, DWORD))                            \
    X(SetEndOfFile, BOOL, FALSE, (HANDLE))                                                                      \
    X(FlushFileBuffers, BOOL, FALSE, (HANDLE))                                                                  \
    X(GetFileSize, DWORD, INVALID_FILE_SIZE, (HANDLE, LPDWORD))                                                 \
    X(CloseHandle, BOOL, FALSE, (HANDLE))                                                                       \
    X(MoveFileExA, BOOL, FALSE, (LPCSTR, LPCSTR, DWORD))                                                        \
    X(ReplaceFileA, BOOL, FALSE, (LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID))                               \
    X(CopyFileA, BOOL, FALSE, (LPCSTR, LPCSTR, BOOL))                                                           \
    X(DeleteFileA, BOOL, FALSE, (LPCSTR))                                                                       \
    X(GetFileAttributesA, DWORD, INVALID_FILE_ATTRIBUTES, (LPCSTR))                                             \
    X(SetFileAttributesA, BOOL, FALSE, (LPCSTR, DWORD))                                                         \
    X(FindFirstFileA, HANDLE, INVALID_HANDLE_VALUE, (LPCSTR, LPWIN32_FIND_DATAA))                               \
    X(FindNextFileA, BOOL, FALSE, (HANDLE, LPWIN32_FIND_DATAA))                                                 \
    X(FindClose, BOOL, FALSE, (HANDLE))                                                                         \
    X(GetCurrentDirectoryA, DWORD, 0, (DWORD, LPSTR))                                                           \
    X(GetFullPathNameA, DWORD, 0, (LPCSTR, DWORD, LPSTR, LPSTR*))
// The graphics calls that make and release bitmaps, device contexts, icons,
// brushes, fonts and regions (runtime/gdi_calls.h counts what they make).
#define TW_GDI_CALLS(X)                                                                                         \
    X(CreateDCA, HDC, nullptr, (LPCSTR, LPCSTR, LPCSTR, const DEVMODEA*))                                       \
    X(CreateCompatibleDC, HDC, nullptr, (HDC))                                                                  \
    X(DeleteDC, BOOL, FALSE, (HDC))                                                                             \
    X(CreateDIBSection, HBITMAP, nullptr, (HDC, const BITMAPINFO*, UINT, VOID**, HANDLE, DWORD))                \
    X(CreateCompatibleBitmap, HBITMAP, nullptr, (HDC, int, int))                                                \
    X(SetDIBits, int, 0, (HDC, HBITMAP, UINT, UINT, const VOID*, const BITMAPINFO*, UINT))                      \
    X(SelectObject, HGDIOBJ, nullptr, (HDC, HGDIOBJ))                                                           \
    X(StretchBlt, BOOL, FALSE, (HDC, int, int, int, int, HDC, int, int, int, int, DWORD))                       \
    X(DeleteObject, BOOL, FALSE, (HGDIOBJ))                                                                     \
    X(CreateIconFromResourceEx, HICON, nullptr, (PBYTE, DWORD, BOOL, DWORD, int, int, UINT))                    \
    X(CreateIconFromResource, HICON, nullptr, (PBYTE, DWORD, BOOL, DWORD))                                      \
    X(GetIconInfo, BOOL, FALSE, (HICON, PICONINFO))                                                             \
    X(DestroyIcon, BOOL, FALSE, (HICON))                                                                        \
    X(LoadImageA, HANDLE, nullptr, (HINSTANCE, LPCSTR, UINT, int, int, UINT))                                   \
    X(CopyImage, HANDLE, nullptr, (HANDLE, UINT, int, int, UINT))                                               \
    X(CreateSolidBrush, HBRUSH, nullptr, (COLORREF))                                                            \
    X(CreateFontA, HFONT, nullptr,                                                                              \
      (int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR))                \
    X(CreateRectRgn, HRGN, nullptr, (int, int, int, int))                                                       \
    X(GetDC, HDC, nullptr, (HWND))                                                                              \
    X(ReleaseDC, int, 0, (HWND, HDC))
// Starting a program and loading a DLL.
#define TW_PROCESS_CALLS(X)                                                                                     \
    X(CreateProcessA, BOOL, FALSE,                                                                              \
      (LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA, \
       LPPROCESS_INFORMATION))                                                                                  \
    X(LoadLibraryA, HMODULE, nullptr, (LPCSTR))
// All of them.
#define TW_PLATFORM_CALLS(X) TW_FILE_CALLS(X) TW_GDI_CALLS(X) TW_PROCESS_CALLS(X)

namespace tw {

// A call by its name: PlatformCall::CreateFileA.
enum class PlatformCall {
#define TW_PLATFORM_CALL_ENUM(name, ...) name,
    TW_PLATFORM_CALLS(TW_PLATFORM_CALL_ENUM)
#undef TW_PLATFORM_CALL_ENUM
};

// The calls' names as text, in the order of the list.
inline constexpr const char* kPlatformCallNames[] = {
#define TW_PLATFORM_CALL_TEXT(name, ...) #name,
    TW_PLATFORM_CALLS(TW_PLATFORM_CALL_TEXT)
#undef TW_PLATFORM_CALL_TEXT
};
inline constexpr std::size_t kPlatformCallCount = std::size(kPlatformCallNames);
constexpr const char* platform_call_name(PlatformCall call) {
    return kPlatformCallNames[static_cast<std::size_t>(call)];
}

// One entry per call, of the call's own type.
struct PlatformCalls {
#define TW_PLATFORM_CALL_FIELD(name, result, failed, params) result(WINAPI* name) params;
    TW_PLATFORM_CALLS(TW_PLATFORM_CALL_FIELD)
#undef TW_PLATFORM_CALL_FIELD
};

// The platform's own functions. Not const: from a const table the compiler
// would read a function's address in the DLL where the table holds the
// program's import stub for it, and a reset would not put back the very
// pointer the table began with. The graphics calls come in with
// runtime/gdi_calls.h, on the first one made (gdi_calls()): a program of
// files alone then imports neither gdi32 nor user32, and starts in about half
// the time (the fault test starts such a program hundreds of times).
inline PlatformCalls& system_platform_table() {
    static PlatformCalls calls = {
#define TW_PLATFORM_CALL_SYSTEM(name, ...) .name = ::name,
#define TW_PLATFORM_CALL_LATER(name, ...) .name = nullptr,
        TW_FILE_CALLS(TW_PLATFORM_CALL_SYSTEM) TW_GDI_CALLS(TW_PLATFORM_CALL_LATER)
        TW_PROCESS_CALLS(TW_PLATFORM_CALL_SYSTEM)
#undef TW_PLATFORM_CALL_LATER
#undef TW_PLATFORM_CALL_SYSTEM
    };
    return calls;
}
inline const PlatformCalls& system_platform_calls() { return system_platform_table(); }

// The table in use; tests may change its entries (and put them back). Its
// graphics entries stay empty until the first graphics call: reach them
// through tw::gdi::gdi_calls() (runtime/gdi_calls.h), never from here.
inline PlatformCalls& platform_calls() {
    static PlatformCalls calls = system_platform_calls();
    return calls;
}

// Puts the platform's own function back in for one call, or for every call.
inline void platform_call_reset(PlatformCall call) {
    switch (call) {
#define TW_PLATFORM_CALL_RESET(name, ...) \
    case PlatformCall::name: platform_calls().name = system_platform_calls().name; break;
        TW_PLATFORM_CALLS(TW_PLATFORM_CALL_RESET)
#undef TW_PLATFORM_CALL_RESET
    }
}
inline void platform_calls_reset() { platform_calls() = system_platform_calls(); }

// A call's entry in the table and what it returns when it fails, for code
// that treats the calls alike (a test's wrappers):
// platform_calls().*PlatformCallEntry<C>::field.
template <PlatformCall C>
struct PlatformCallEntry;
#define TW_PLATFORM_CALL_ENTRY(name, result, failed, params)          \
    template <>                                                        \
    struct PlatformCallEntry<PlatformCall::name> {                     \
        static constexpr auto field = &PlatformCalls::name;            \
        static result failure() { return failed; }                     \
    };
TW_PLATFORM_CALLS(TW_PLATFORM_CALL_ENTRY)
#undef TW_PLATFORM_CALL_ENTRY

}  // namespace tw
