// One running copy per session: a named mutex the first copy holds until it
// ends, and the property by which a later copy finds its main window.
#include "runtime/win32.h"

#include "ui/instance.h"
#include "ui/window.h"

namespace {

// How often a later copy looks for the first one's window while it waits.
constexpr DWORD kPollMs = 50;

struct Search {
    const char* mark;
    HWND found;
};

BOOL CALLBACK find_marked(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    if (!GetPropA(hwnd, search->mark)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND marked_window(const char* mark) {
    Search search{mark, nullptr};
    EnumWindows(find_marked, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void bring_to_front(HWND main) {
    if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
    // A message box or requester of the running copy comes up with it.
    HWND popup = GetLastActivePopup(main);
    SetForegroundWindow(popup ? popup : main);
}

}  // namespace

int instance_hand_over(const char* name, const char* mark, int wait_ms) {
    // The handle stays open on purpose: the name is held until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    const DWORD error = GetLastError();
    if (!mutex) {
        HWND main = marked_window(mark);
        if (!main) return INSTANCE_FIRST;
        bring_to_front(main);
        return INSTANCE_HANDED_OVER;
    }
    if (error != ERROR_ALREADY_EXISTS) return INSTANCE_FIRST;
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait_ms > 0 ? wait_ms : 0);
    for (;;) {
        if (HWND main = marked_window(mark)) {
            bring_to_front(main);
            return INSTANCE_HANDED_OVER;
        }
        // The wait is also the pause between looks: once the first copy has
        // ended (its ending's file work done), the name is this one's.
        const DWORD waited = WaitForSingleObject(mutex, kPollMs);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return INSTANCE_FIRST;
        if (waited == WAIT_FAILED) Sleep(kPollMs);
        if (GetTickCount64() >= until) return INSTANCE_NO_WINDOW;
    }
}

void window_mark(intptr_t number, const char* mark, bool on) {
    HWND hwnd = reinterpret_cast<HWND>(window_handle(number));
    if (hwnd && on) SetPropA(hwnd, mark, reinterpret_cast<HANDLE>(1));
    if (hwnd && !on) RemovePropA(hwnd, mark);
}
