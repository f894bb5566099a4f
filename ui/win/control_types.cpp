// Push button, check box, edit field and text label.
#include "ui/win/control_internal.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

// Buttons and check boxes: the check state.
intptr_t check_get(Control& c) { return SendMessageA(c.hwnd, BM_GETCHECK, 0, 0) & 1; }
void check_set(Control& c, intptr_t v) { SendMessageA(c.hwnd, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0); }

void colours_none(Control& c, intptr_t, int) {
    c.front_colour = COLOUR_NONE;
    c.back_colour = COLOUR_NONE;
    c.back_brush = nullptr;
}

// Edit field: colours while it is enabled; its notifications go on to the
// window procedure and become events with the notification code.
LRESULT edit_message(Control& c, HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_CTLCOLOREDIT || (msg == WM_CTLCOLORSTATIC && IsWindowEnabled(c.hwnd)))
        return control_colour_rule(c, reinterpret_cast<HDC>(wp), COLOR_BTNHIGHLIGHT);
    return NOT_HANDLED;
}

LRESULT text_message(Control& c, HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_CTLCOLORSTATIC) return control_colour_rule(c, reinterpret_cast<HDC>(wp), COLOR_BTNFACE);
    return NOT_HANDLED;
}

WNDPROC g_edit_class_proc = nullptr;

// Reports focus changes of an edit field.
LRESULT CALLBACK edit_focus_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS) control_post(h, CONTROL_EVENT_FOCUS_GAINED);
    else if (msg == WM_KILLFOCUS) control_post(h, CONTROL_EVENT_FOCUS_LOST);
    WNDPROC next = g_edit_class_proc ? g_edit_class_proc : DefWindowProcA;
    return CallWindowProcA(next, h, msg, wp, lp);
}

}  // namespace

const ControlOps* tw::ui::control_ops_button() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_BUTTON;
        o.get_state = check_get;
        o.set_state = check_set;
        return o;
    }();
    return &ops;
}

const ControlOps* tw::ui::control_ops_checkbox() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_CHECKBOX;
        o.get_state = check_get;
        o.set_state = check_set;
        return o;
    }();
    return &ops;
}

const ControlOps* tw::ui::control_ops_edit() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_EDIT;
        o.message = edit_message;
        o.free = control_colour_free;
        o.set_colour = control_colour_set;
        o.get_colour = control_colour_get;
        return o;
    }();
    return &ops;
}

const ControlOps* tw::ui::control_ops_text() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_TEXT;
        o.message = text_message;
        o.free = control_colour_free;
        o.set_colour = control_colour_set;
        o.get_colour = control_colour_get;
        return o;
    }();
    return &ops;
}

intptr_t control_create_button(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags) {
    std::string t = text.str();
    ControlRequest s{control_ops_button(), "Button", t.c_str(), static_cast<DWORD>(flags) | kButtonStyle, 0,
                  x, y, width, height, nullptr, nullptr};
    return control_create(number, s);
}

intptr_t control_create_checkbox(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags) {
    std::string t = text.str();
    ControlRequest s{control_ops_checkbox(), "Button", t.c_str(), static_cast<DWORD>(flags) | kCheckboxStyle, 0,
                  x, y, width, height, nullptr, nullptr};
    return control_create(number, s);
}

intptr_t control_create_edit(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags) {
    std::string t = text.str();
    DWORD ex = (flags & CONTROL_FLAG_EDGE) ? 0 : WS_EX_CLIENTEDGE;
    ControlRequest s{control_ops_edit(), "Edit", t.c_str(), static_cast<DWORD>(flags) | kEditStyle, ex,
                  x, y, width, height, edit_focus_proc, &g_edit_class_proc};
    return control_create(number, s, colours_none);
}

intptr_t control_create_text(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags) {
    std::string t = text.str();
    DWORD ex = (flags & CONTROL_FLAG_EDGE) ? WS_EX_CLIENTEDGE : 0;
    ControlRequest s{control_ops_text(), "Static", t.c_str(), static_cast<DWORD>(flags) | kTextStyle, ex,
                  x, y, width, height, nullptr, nullptr};
    return control_create(number, s, colours_none);
}
