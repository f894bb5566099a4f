// The list: a list box without sorting, its item operations and the drag
// detector that turns a press on an item into a click or a drag start.
#include "ui/win/control_internal.h"
#include "ui/win/window_internal.h"

#include <windowsx.h>

using namespace tw::ui;

namespace {

constexpr char kPropMouseDown[] = "TW_MouseDown";

WNDPROC g_listbox_class_proc = nullptr;

LRESULT send(Control& c, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(c.hwnd, msg, wp, lp); }

bool multiple(Control& c) {
    return (GetWindowLongPtrA(c.hwnd, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

intptr_t list_get_state(Control& c) {
    if (multiple(c)) {
        int index = -1;
        LRESULT n = send(c, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
        return n >= 1 ? index : -1;
    }
    return send(c, LB_GETCURSEL);
}

void list_set_state(Control& c, intptr_t index) { send(c, LB_SETCURSEL, static_cast<WPARAM>(index)); }

std::string item_text(Control& c, intptr_t index) {
    LRESULT len = send(c, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (len == LB_ERR || len < 0) return std::string();
    std::string text(static_cast<std::size_t>(len) + 1, '\0');
    LRESULT got = send(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string list_get_text(Control& c) { return item_text(c, send(c, LB_GETCURSEL)); }

// Selects the item with exactly this text; an absent text clears the selection.
void list_set_text(Control& c, std::string_view text) {
    std::string t(text);
    LRESULT found = send(c, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str()));
    send(c, LB_SETCURSEL, static_cast<WPARAM>(found));
}

int list_add_item(Control& c, int position, std::string_view text) {
    std::string t(text);
    send(c, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(t.c_str()));
    return 0;
}

int list_remove_item(Control& c, int position) {
    return static_cast<int>(send(c, LB_DELETESTRING, static_cast<WPARAM>(position)));
}
void list_clear(Control& c) { send(c, LB_RESETCONTENT); }
int list_count(Control& c) { return static_cast<int>(send(c, LB_GETCOUNT)); }
int list_get_item_state(Control& c, int position) {
    return static_cast<int>(send(c, LB_GETSEL, static_cast<WPARAM>(position)));
}
void list_set_item_state(Control& c, int position, int value) {
    send(c, LB_SETSEL, static_cast<WPARAM>(value), static_cast<LPARAM>(position));
}
std::string list_get_item_text(Control& c, int position) { return item_text(c, position); }

// Replaces an item's text in place, keeping its data and its selection.
void list_set_item_text(Control& c, int position, std::string_view text) {
    LRESULT data = send(c, LB_GETITEMDATA, static_cast<WPARAM>(position));
    bool selected = !multiple(c) && send(c, LB_GETCURSEL) == position;
    if (send(c, LB_DELETESTRING, static_cast<WPARAM>(position)) == LB_ERR) return;
    std::string t(text);
    LRESULT at = send(c, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(t.c_str()));
    if (at < 0) return;
    send(c, LB_SETITEMDATA, static_cast<WPARAM>(at), data);
    if (selected) send(c, LB_SETCURSEL, static_cast<WPARAM>(at));
}

void list_set_item_data(Control& c, int position, intptr_t data) {
    send(c, LB_SETITEMDATA, static_cast<WPARAM>(position), data);
}
intptr_t list_get_item_data(Control& c, int position) {
    return send(c, LB_GETITEMDATA, static_cast<WPARAM>(position));
}

// Selection change and double click become events; the list's other
// notifications (focus, cancel) give none.
LRESULT list_message(Control& c, HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND) {
        if (HIWORD(wp) == LBN_SELCHANGE) control_post(c.hwnd, CONTROL_EVENT_CLICK);
        else if (HIWORD(wp) == LBN_DBLCLK) control_post(c.hwnd, CONTROL_EVENT_DOUBLE_CLICK);
        return 0;
    }
    if (msg == WM_CTLCOLORLISTBOX) return control_colour_rule(c, reinterpret_cast<HDC>(wp), COLOR_BTNHIGHLIGHT);
    return NOT_HANDLED;
}

void colours_none(Control& c, intptr_t, int) {
    c.front_colour = COLOUR_NONE;
    c.back_colour = COLOUR_NONE;
    c.back_brush = nullptr;
}

// The press position is kept as a property; the marker bit keeps a press at
// (0, 0) distinguishable from no press.
constexpr uintptr_t kPressMarker = uintptr_t{1} << 32;

HANDLE press_value(LPARAM lp) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(static_cast<DWORD>(lp)) | kPressMarker);
}
POINTS press_point(HANDLE value) {
    DWORD packed = static_cast<DWORD>(reinterpret_cast<uintptr_t>(value));
    return POINTS{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))};
}

LRESULT CALLBACK list_drag_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    WNDPROC next = g_listbox_class_proc ? g_listbox_class_proc : DefWindowProcA;
    switch (msg) {
    case WM_LBUTTONDOWN:
        if ((wp & (MK_SHIFT | MK_CONTROL)) == 0) {
            LRESULT hit = SendMessageA(h, LB_ITEMFROMPOINT, 0, lp);
            if (HIWORD(hit) == 0) {
                bool extended = (GetWindowLongPtrA(h, GWL_STYLE) & LBS_EXTENDEDSEL) != 0;
                if (!extended || SendMessageA(h, LB_GETSEL, LOWORD(hit), 0) > 0) {
                    SetPropA(h, kPropMouseDown, press_value(lp));
                    SetCapture(h);
                    // Pressing on a selection of several items may start a
                    // drag of them all: the press must not change it.
                    if (extended) return 0;
                }
            }
        }
        break;
    case WM_MOUSEMOVE:
        if (HANDLE v = GetPropA(h, kPropMouseDown)) {
            if (control_beyond_drag(press_point(v), GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
                ReleaseCapture();
                RemovePropA(h, kPropMouseDown);
                control_post(h, CONTROL_EVENT_DRAG_START);
            }
        }
        break;
    case WM_LBUTTONUP:
        if (GetPropA(h, kPropMouseDown)) {
            ReleaseCapture();
            RemovePropA(h, kPropMouseDown);
            control_post(h, CONTROL_EVENT_CLICK);
        }
        break;
    case WM_KEYDOWN:
        // Enter is a list's default action, as a double click is.
        if (wp == VK_RETURN) control_post(h, CONTROL_EVENT_DOUBLE_CLICK);
        break;
    case WM_NCDESTROY:
        RemovePropA(h, kPropMouseDown);
        break;
    }
    return CallWindowProcA(next, h, msg, wp, lp);
}

}  // namespace

const ControlOps* tw::ui::control_ops_list() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_LIST;
        o.message = list_message;
        o.free = control_colour_free;
        o.get_state = list_get_state;
        o.set_state = list_set_state;
        o.get_text = list_get_text;
        o.set_text = list_set_text;
        o.add_item = list_add_item;
        o.remove_item = list_remove_item;
        o.clear_items = list_clear;
        o.count_items = list_count;
        o.get_item_state = list_get_item_state;
        o.set_item_state = list_set_item_state;
        o.get_item_text = list_get_item_text;
        o.set_item_text = list_set_item_text;
        o.set_colour = control_colour_set;
        o.get_colour = control_colour_get;
        o.set_item_data = list_set_item_data;
        o.get_item_data = list_get_item_data;
        return o;
    }();
    return &ops;
}

intptr_t control_create_list(intptr_t number, int x, int y, int width, int height, int flags) {
    control_read_drag_thresholds();
    ControlRequest s{control_ops_list(), "ListBox", nullptr, static_cast<DWORD>(flags) | kListStyle, WS_EX_CLIENTEDGE,
                  x, y, width, height, list_drag_proc, &g_listbox_class_proc};
    return control_create(number, s, colours_none);
}
