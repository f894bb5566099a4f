// What the control half of the ui library needs from the window half: the
// control list context, window records, the event state, the brush cache with
// Win32 types. Not for the application.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/win32.h"
#include "ui/brush.h"
#include "ui/font.h"
#include "ui/scale.h"
#include "ui/theme.h"
#include "ui/window.h"

namespace tw::ui {

// The result with which a handler says that a message goes on to default
// processing (control message operations, the live sizing handler).
inline constexpr LRESULT NOT_HANDLED = static_cast<LRESULT>(0xD0D0D0D1u);

// Window properties.
inline constexpr char kPropWindowId[] = "TW_WindowID";   // window number + 1, on every library window
inline constexpr char kPropControlId[] = "TW_ID";        // control number, on every control

// ---------------------------------------------------------------------------
// Control list context: one record for the program. It exists from the start
// (current window none, no default font); the control library sets
// default_font when it starts and on control_set_font(-1, ...). Controls are
// created as children of `current`; with current == nullptr (none) no control
// can be created.
struct ControlListContext {
    HWND current = nullptr;
    HFONT default_font = nullptr;
};
ControlListContext& control_list_context();

// ---------------------------------------------------------------------------
// Window records.
struct WindowObject {
    HWND hwnd = nullptr;                 // 0 = free slot
    std::vector<ACCEL> shortcuts;        // Tab and Shift+Tab
    HACCEL shortcut_table = nullptr;
    int colour = COLOUR_NONE;            // background colour; none: the class brush
    HBRUSH brush = nullptr;              // owned, made from colour
    uint16_t min_width = 0, min_height = 0, max_width = 0, max_height = 0;  // outer sizes, 0 = none
    bool minimized_or_maximized = false;
    HWND last_focus = nullptr;           // the control that had the focus when the window was deactivated
    char class_name[40] = {};

    bool in_use() const { return hwnd != nullptr; }
    void release();  // closes the window
    // Lets go of everything but the window itself (destroyed by someone else).
    void forget();
};

// The record of an open window, or nullptr.
WindowObject* window_find(intptr_t number);
// The nearest ancestor-or-self of `hwnd` that is a library window (has
// "TW_WindowID"), or nullptr.
HWND window_top_level_of(HWND hwnd);
// The window number of window_top_level_of(hwnd), or -1.
intptr_t window_number_of(HWND hwnd);

// Keyboard focus across activation: deactivated, the window notes which of
// its controls has the focus; activated again, that control gets it back (the
// first enabled, visible tab stop when none had it or it is gone).
void focus_on_activation(WindowObject& w, WPARAM wparam);
// The first enabled, visible tab-stop control of a window, or nullptr.
HWND focus_first_candidate(HWND root);

// Reads the screen's DPI (window_library_init; ui_dpi gives it).
void scale_init();

// ---------------------------------------------------------------------------
// Event state. The window procedure sets the pending event during a dispatch
// (window_poll_event returns it after the dispatch); deferred events are
// returned on the following calls, oldest first, before any new message is
// read. Controls normally report through PostMessage(top-level window,
// MSG_CONTROL_EVENT, control number, event type) instead.
void event_set_pending(int code, intptr_t control, int type);
// Appends (code, window) unless the last deferred event is the same.
void event_defer(int code, intptr_t window);

// ---------------------------------------------------------------------------
// Brush cache and theme detection with Win32 types.
inline HBRUSH brush_acquire_handle(COLORREF colour) {
    return reinterpret_cast<HBRUSH>(brush_acquire(static_cast<int>(colour)));
}
inline void brush_release_handle(HBRUSH brush) { brush_release(reinterpret_cast<intptr_t>(brush)); }

}  // namespace tw::ui
