// The window procedure that turns window messages into event codes, the
// pending event and the deferred event queue, and the one-event-at-a-time wait.
#include "ui/win/window_proc.h"

#include <richedit.h>

#include <cstring>
#include <deque>
#include <new>

#include "ui/win/control_hooks.h"
#include "ui/win/sizing.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

struct DeferredEvent {
    int code;
    intptr_t window;
};

struct EventState {
    intptr_t control = 0;
    intptr_t window = NO_WINDOW;
    int type = NO_EVENT_TYPE;
    int pending = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    std::deque<DeferredEvent> deferred;
};

EventState& events() {
    static EventState state;
    return state;
}

BOOL CALLBACK send_syscolorchange(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

void on_size(WindowObject* w, intptr_t number, WPARAM type) {
    switch (type) {
    case SIZE_MINIMIZED:
        w->minimized_or_maximized = true;
        event_defer(EVENT_MINIMIZE, number);
        break;
    case SIZE_MAXIMIZED:
        w->minimized_or_maximized = true;
        event_defer(EVENT_MAXIMIZE, number);
        event_defer(EVENT_SIZE, number);
        break;
    case SIZE_RESTORED:
        if (w->minimized_or_maximized) {
            w->minimized_or_maximized = false;
            event_defer(EVENT_RESTORE, number);
        }
        event_defer(EVENT_SIZE, number);
        break;
    default:
        event_defer(EVENT_SIZE, number);
        break;
    }
}

LRESULT on_command(WPARAM wparam, LPARAM lparam) {
    HWND control = reinterpret_cast<HWND>(lparam);
    LRESULT result = 0;
    if (control_offer_message(control, WM_COMMAND, wparam, lparam, &result)) return result;
    if (control) {
        event_set_pending(EVENT_CONTROL, GetWindowLongPtrA(control, GWLP_ID), HIWORD(wparam));
    } else if (HIWORD(wparam) != 0 && LOWORD(wparam) == COMMAND_FOCUS_NEXT) {
        focus_move(0);
    } else if (HIWORD(wparam) != 0 && LOWORD(wparam) == COMMAND_FOCUS_PREVIOUS) {
        focus_move(1);
    } else {
        EventState& st = events();
        st.pending = EVENT_MENU;
        st.control = LOWORD(wparam);
    }
    return 0;
}

LRESULT dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = sizing_handle(hwnd, msg, wparam, lparam);
    if (result != NOT_HANDLED) return result;

    intptr_t number = window_number_of(hwnd);
    events().window = number;
    WindowObject* w = number != NO_WINDOW ? window_find(number) : nullptr;

    switch (msg) {
    case WM_MOVE:
    case WM_CLOSE:
        if (w) event_defer(static_cast<int>(msg), number);
        return 0;
    case WM_SIZE:
        if (w && w->hwnd == hwnd) on_size(w, number, wparam);
        return 0;
    case WM_ACTIVATE:
        // Not passed on to default processing, which would focus the window
        // itself: the focus goes back to the control that had it.
        if (w && w->hwnd == hwnd) focus_on_activation(*w, wparam);
        if (LOWORD(wparam) != 0 && w) event_defer(EVENT_ACTIVATE, number);
        return 1;
    case WM_ERASEBKGND:
        if (w) event_defer(EVENT_REPAINT, number);
        if (w && w->brush) {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wparam), &r, w->brush);
            return 1;
        }
        return NOT_HANDLED;
    case WM_SYSCOLORCHANGE:
        EnumChildWindows(hwnd, send_syscolorchange, 0);
        return NOT_HANDLED;
    case WM_GETMINMAXINFO:
        if (!w) return NOT_HANDLED;
        {
            auto* mmi = reinterpret_cast<MINMAXINFO*>(lparam);
            if (w->min_width) mmi->ptMinTrackSize.x = w->min_width;
            if (w->min_height) mmi->ptMinTrackSize.y = w->min_height;
            if (w->max_width) mmi->ptMaxTrackSize.x = w->max_width;
            if (w->max_height) mmi->ptMaxTrackSize.y = w->max_height;
        }
        return 0;
    case WM_COMMAND:
        return on_command(wparam, lparam);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && control_offer_message(header->hwndFrom, msg, wparam, lparam, &result)) return result;
        return NOT_HANDLED;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case MSG_CONTROL_PRIVATE:
        if (control_offer_message(reinterpret_cast<HWND>(lparam), msg, wparam, lparam, &result)) return result;
        return NOT_HANDLED;
    case MSG_CONTROL_EVENT:
        event_set_pending(EVENT_CONTROL, static_cast<intptr_t>(wparam), static_cast<int>(lparam));
        return 0;
    case WM_NCDESTROY:
        // Destroyed by someone other than window_close (for example with its
        // owner): the number becomes free, nothing points at the dead handle.
        if (w && w->hwnd == hwnd) w->forget();
        return NOT_HANDLED;
    default:
        return NOT_HANDLED;
    }
}

// The shortcut table for a message: none while Tab goes into an editable
// rich-edit field, else the table of the active library window.
HACCEL shortcut_table() {
    if (GetKeyState(VK_TAB) < 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 &&
        GetKeyState(VK_MENU) >= 0) {
        if (HWND focus = GetFocus()) {
            char cls[16] = {};
            GetClassNameA(focus, cls, sizeof cls);
            if (std::strncmp(cls, "Rich", 4) == 0 &&
                (SendMessageA(focus, EM_GETOPTIONS, 0, 0) & ECO_READONLY) == 0)
                return nullptr;
        }
    }
    HWND active = GetActiveWindow();
    if (!active) return nullptr;
    HANDLE id = GetPropA(active, kPropWindowId);
    if (!id) return nullptr;
    WindowObject* w = window_find(reinterpret_cast<intptr_t>(id) - 1);
    return w ? w->shortcut_table : nullptr;
}

}  // namespace

LRESULT CALLBACK tw::ui::window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = dispatch(hwnd, msg, wparam, lparam);
    SetLastError(0);
    if (result == NOT_HANDLED) return DefWindowProcA(hwnd, msg, wparam, lparam);
    return result;
}

void tw::ui::event_set_pending(int code, intptr_t control, int type) {
    EventState& st = events();
    st.pending = code;
    st.control = control;
    st.type = type;
}

void tw::ui::event_defer(int code, intptr_t window) {
    EventState& st = events();
    if (!st.deferred.empty() && st.deferred.back().code == code && st.deferred.back().window == window) return;
    try {
        st.deferred.push_back({code, window});
    } catch (const std::bad_alloc&) {
        // The event is dropped.
    }
}

int window_wait_event() { return window_poll_event(WAIT_FOREVER); }

int window_poll_event(int timeout_ms) {
    EventState& st = events();
    st.type = NO_EVENT_TYPE;
    auto take_deferred = [&st] {
        DeferredEvent e = st.deferred.front();
        st.deferred.pop_front();
        st.window = e.window;
        st.pending = 0;
        return e.code;
    };
    if (!st.deferred.empty()) return take_deferred();

    MSG msg;
    if (timeout_ms == WAIT_FOREVER) {
        if (GetMessageA(&msg, nullptr, 0, 0) == -1) return 0;  // -1: GetMessage failed
    } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (timeout_ms <= 0) return 0;
        // A wake-up without a message for us (input handled inside the
        // system, a sent message) does not end the wait early.
        const DWORD limit = static_cast<DWORD>(timeout_ms);
        const DWORD start = GetTickCount();
        for (;;) {
            if (!st.deferred.empty()) return take_deferred();
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= limit) return 0;
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, limit - elapsed, QS_ALLINPUT) == WAIT_TIMEOUT) return 0;
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) break;
        }
    }

    // While a window is sized from the keyboard its arrow keys, Enter and
    // Escape belong to the sizing even when one of its controls has the focus.
    if (msg.message == WM_KEYDOWN) {
        HWND sized = sizing_window();
        if (sized && msg.hwnd != sized && IsChild(sized, msg.hwnd)) msg.hwnd = sized;
    }

    HACCEL table = shortcut_table();
    if (!table || !TranslateAcceleratorA(GetActiveWindow(), table, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    if (st.pending) {
        int code = st.pending;
        st.pending = 0;
        return code;
    }
    st.wparam = msg.wParam;
    st.lparam = msg.lParam;
    return static_cast<int>(msg.message);
}

intptr_t event_control() { return events().control; }
intptr_t event_window() { return events().window; }
int event_type() { return events().type; }
intptr_t event_wparam() { return static_cast<intptr_t>(events().wparam); }
intptr_t event_lparam() { return static_cast<intptr_t>(events().lparam); }
