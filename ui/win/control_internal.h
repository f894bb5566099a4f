// The control model shared by the control types: control objects, the
// operation table of a type, the creation path and helpers for the types.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/win32.h"
#include "ui/control.h"

namespace tw::ui {

struct Control;

// The GWL_ID of a control window that has no control object (yet, or any more).
inline constexpr LONG_PTR kDetachedId = -1;

// The window styles each control type always has; the creation flags are
// added to them.
inline constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
inline constexpr DWORD kCheckboxStyle = kButtonStyle | BS_AUTOCHECKBOX;
inline constexpr DWORD kEditStyle = kButtonStyle | ES_AUTOHSCROLL;
inline constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
inline constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                                    LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
inline constexpr DWORD kImageStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
// BS_BITMAP without a bitmap: the button draws its face but not its window
// text, which is there for screen readers; the painter draws the picture.
inline constexpr DWORD kImageButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_BITMAP;
static_assert(kButtonStyle == 0x50030000 && kCheckboxStyle == 0x50030003 && kEditStyle == 0x50030080 &&
              kTextStyle == 0x50020000 && kListStyle == 0x50330141 && kImageStyle == 0x50000100 &&
              (kImageButtonStyle & ~BS_BITMAP) == 0x50010000);

// What one control type supplies. Every entry is optional; a missing one makes
// the generic operation do nothing or fall back to a plain Win32 call.
struct ControlOps {
    int type = 0;
    // WM_COMMAND, WM_NOTIFY, scroll and WM_CTLCOLOR... messages concerning the
    // control; returns NOT_HANDLED for default processing.
    LRESULT (*message)(Control&, HWND, UINT, WPARAM, LPARAM) = nullptr;
    void (*free)(Control&) = nullptr;  // the control's window is being destroyed
    intptr_t (*get_state)(Control&) = nullptr;
    void (*set_state)(Control&, intptr_t) = nullptr;
    std::string (*get_text)(Control&) = nullptr;
    void (*set_text)(Control&, std::string_view) = nullptr;
    int (*add_item)(Control&, int position, std::string_view) = nullptr;
    int (*remove_item)(Control&, int position) = nullptr;
    void (*clear_items)(Control&) = nullptr;
    void (*resize)(Control&, int x, int y, int width, int height) = nullptr;
    int (*count_items)(Control&) = nullptr;
    int (*get_item_state)(Control&, int position) = nullptr;
    void (*set_item_state)(Control&, int position, int value) = nullptr;
    std::string (*get_item_text)(Control&, int position) = nullptr;
    void (*set_item_text)(Control&, int position, std::string_view) = nullptr;
    int (*get_x)(Control&) = nullptr;
    int (*get_y)(Control&) = nullptr;
    int (*get_width)(Control&) = nullptr;
    int (*get_height)(Control&) = nullptr;
    intptr_t (*get_attribute)(Control&, int) = nullptr;
    void (*set_attribute)(Control&, int, intptr_t) = nullptr;
    void (*set_colour)(Control&, int which, int colour) = nullptr;
    int (*get_colour)(Control&, int which) = nullptr;
    void (*set_item_data)(Control&, int position, intptr_t) = nullptr;
    intptr_t (*get_item_data)(Control&, int position) = nullptr;
};

// One control: lives exactly as long as its window.
struct Control {
    HWND hwnd = nullptr;             // 0 = free slot
    const ControlOps* ops = nullptr;
    WNDPROC previous = nullptr;      // procedure under the common control procedure

    // List, edit field, text label.
    int back_colour = COLOUR_NONE;
    int front_colour = COLOUR_NONE;
    HBRUSH back_brush = nullptr;     // from the brush cache

    // Image control: shown picture, left button down on it and where.
    HANDLE image = nullptr;
    bool pressed = false;
    POINTS down{};

    // Image button: normal and pressed picture, creation flags.
    HANDLE normal_image = nullptr;
    HANDLE pressed_image = nullptr;
    int flags = 0;

    bool releasing = false;          // being destroyed by the table itself

    bool in_use() const { return hwnd != nullptr; }
    void release();
};

// The control object behind a control window (GWL_ID names it), or nullptr.
Control* control_from_window(HWND hwnd);
Control* control_find(intptr_t number);

// One creation request.
struct ControlRequest {
    const ControlOps* ops;
    const char* win_class;
    const char* text;                // nullptr: no window text
    DWORD style;
    DWORD ex_style;
    int x, y, width, height;
    WNDPROC type_proc;               // type-specific procedure or nullptr
    WNDPROC* class_proc;             // where the replaced class procedure is kept once per type
};

// The common creation path. `init` sets the type's fields before the control
// is registered. Returns the window handle (the object address for -1) or 0.
intptr_t control_create(intptr_t number, const ControlRequest& request, void (*init)(Control&, intptr_t, int) = nullptr,
                        intptr_t init_arg = 0, int init_flags = 0);

// Colours shared by list, edit field and text label.
LRESULT control_colour_rule(Control& c, HDC dc, int system_colour);
void control_colour_set(Control& c, int which, int colour);
int control_colour_get(Control& c, int which);
void control_colour_free(Control& c);

// The system's drag thresholds, read at the first creation of a list or an
// image control.
void control_read_drag_thresholds();
int control_drag_cx();
int control_drag_cy();
inline bool control_beyond_drag(POINTS from, int x, int y) {
    return std::abs(x - from.x) > control_drag_cx() || std::abs(y - from.y) > control_drag_cy();
}

void control_post(HWND control, int type);

// Operation tables of the types, filled at their first use.
const ControlOps* control_ops_button();
const ControlOps* control_ops_edit();
const ControlOps* control_ops_text();
const ControlOps* control_ops_checkbox();
const ControlOps* control_ops_list();
const ControlOps* control_ops_image();
const ControlOps* control_ops_image_button();

// Procedures of the picture types.
LRESULT CALLBACK image_control_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK image_button_proc(HWND, UINT, WPARAM, LPARAM);
extern WNDPROC g_static_class_proc;
extern WNDPROC g_button_class_proc;

}  // namespace tw::ui
