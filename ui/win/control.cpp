// The control table, the creation path shared by all types, the common control
// procedure and the generic operations with their fallbacks.
#include "ui/win/control_internal.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "runtime/object_table.h"
#include "ui/win/control_hooks.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

std::unique_ptr<tw::ObjectTable<Control>> g_table;
HFONT g_default_gui_font = nullptr;
int g_drag_cx = 4, g_drag_cy = 4;
bool g_drag_read = false;

// Runs the type's clean-up and detaches the object from its window.
void detach(Control& c) {
    HWND h = c.hwnd;
    if (!h) return;
    if (c.ops && c.ops->free) c.ops->free(c);
    RemovePropA(h, kPropControlId);
    SetWindowLongPtrA(h, GWLP_ID, kDetachedId);
    c.hwnd = nullptr;
}

LRESULT CALLBACK common_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (GetWindowLongPtrA(h, GWLP_ID) == kDetachedId) return DefWindowProcA(h, msg, wp, lp);
    Control* c = control_from_window(h);
    if (!c || !c->previous) return DefWindowProcA(h, msg, wp, lp);
    LRESULT result = CallWindowProcA(c->previous, h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // Look again: the object may have gone while the message was handled.
        c = control_from_window(h);
        if (c) {
            bool by_table = c->releasing;
            detach(*c);
            if (!by_table && g_table) g_table->discard(c);
        }
    }
    return result;
}

}  // namespace

void Control::release() {
    releasing = true;
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    // When the window could not be destroyed (another thread's), still drop
    // what the control holds.
    detach(*this);
}

Control* tw::ui::control_find(intptr_t number) { return g_table ? g_table->find(number) : nullptr; }

Control* tw::ui::control_from_window(HWND hwnd) {
    if (!hwnd || !g_table) return nullptr;
    Control* c = g_table->find(GetWindowLongPtrA(hwnd, GWLP_ID));
    return c && c->hwnd == hwnd ? c : nullptr;
}

void tw::ui::control_read_drag_thresholds() {
    if (g_drag_read) return;
    g_drag_cx = GetSystemMetrics(SM_CXDRAG);
    g_drag_cy = GetSystemMetrics(SM_CYDRAG);
    g_drag_read = true;
}
int tw::ui::control_drag_cx() { return g_drag_cx; }
int tw::ui::control_drag_cy() { return g_drag_cy; }

void control_library_init() {
    if (!g_table) g_table = std::make_unique<tw::ObjectTable<Control>>(50);
    g_default_gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ControlListContext& ctx = control_list_context();
    ctx.default_font = g_default_gui_font;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&icc);
}

void control_free_all() {
    if (g_table) g_table->free_all();
}

intptr_t tw::ui::control_create(intptr_t number, const ControlRequest& request, void (*init)(Control&, intptr_t, int),
                        intptr_t init_arg, int init_flags) {
    if (!g_table) return 0;
    if (number < 0 && number != tw::kDynamicNumber) return 0;
    HWND parent = control_list_context().current;
    if (!parent || !IsWindow(parent)) return 0;

    HWND h = CreateWindowExA(request.ex_style, request.win_class, request.text, request.style, ui_pixels(request.x),
                             ui_pixels(request.y), ui_pixels(request.width), ui_pixels(request.height), parent, reinterpret_cast<HMENU>(kDetachedId),
                             GetModuleHandleA(nullptr), nullptr);
    if (!h) return 0;

    // Only now take the slot: a failed creation leaves an old control alone.
    Control* c = g_table->prepare(number);
    if (!c) {
        DestroyWindow(h);
        return 0;
    }
    if (init) init(*c, init_arg, init_flags);

    if (request.type_proc) {
        auto replaced = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(request.type_proc)));
        if (request.class_proc && !*request.class_proc) *request.class_proc = replaced;
    }

    // Register: the common procedure goes on top, the number into GWL_ID and
    // "TW_ID", and the current default font.
    intptr_t id = g_table->number_of(c);
    c->ops = request.ops;
    c->hwnd = h;
    c->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
    SetWindowLongPtrA(h, GWLP_ID, id);
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(common_proc));
    SetPropA(h, kPropControlId, reinterpret_cast<HANDLE>(id));
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(control_list_context().default_font), TRUE);
    return number == tw::kDynamicNumber ? id : reinterpret_cast<intptr_t>(h);
}

// ---------------------------------------------------------------------------
// Events and the window procedure's hook.

void tw::ui::control_post(HWND control, int type) {
    HWND top = window_top_level_of(control);
    if (!top) return;
    PostMessageA(top, MSG_CONTROL_EVENT, static_cast<WPARAM>(GetWindowLongPtrA(control, GWLP_ID)),
                 static_cast<LPARAM>(type));
}

void control_post_event(intptr_t control_window, int type) {
    control_post(reinterpret_cast<HWND>(control_window), type);
}

bool tw::ui::control_offer_message(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    if (!control) return false;
    LONG_PTR id = GetWindowLongPtrA(control, GWLP_ID);
    if (reinterpret_cast<LONG_PTR>(GetPropA(control, kPropControlId)) != id) return false;
    Control* c = control_from_window(control);
    if (!c || !c->ops || !c->ops->message) return false;
    LRESULT r = c->ops->message(*c, control, msg, wparam, lparam);
    if (r == NOT_HANDLED) return false;
    *result = r;
    return true;
}

// ---------------------------------------------------------------------------
// Colours of list, edit field and text label.

LRESULT tw::ui::control_colour_rule(Control& c, HDC dc, int system_colour) {
    if (c.front_colour != COLOUR_NONE) {
        SetTextColor(dc, static_cast<COLORREF>(c.front_colour));
        if (c.back_colour == COLOUR_NONE) {
            SetBkColor(dc, GetSysColor(system_colour));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(system_colour));
        }
    }
    if (c.back_colour != COLOUR_NONE) {
        SetBkColor(dc, static_cast<COLORREF>(c.back_colour));
        // Without a brush (none could be made) the default one paints.
        return c.back_brush ? reinterpret_cast<LRESULT>(c.back_brush) : NOT_HANDLED;
    }
    return NOT_HANDLED;
}

void tw::ui::control_colour_set(Control& c, int which, int colour) {
    if (which == CONTROL_COLOUR_FRONT) {
        c.front_colour = colour;
    } else if (which == CONTROL_COLOUR_BACK) {
        if (c.back_brush) brush_release_handle(c.back_brush);
        c.back_brush = nullptr;
        c.back_colour = colour;
        if (colour != COLOUR_NONE) c.back_brush = brush_acquire_handle(static_cast<COLORREF>(colour));
    }
    RedrawWindow(c.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
}

int tw::ui::control_colour_get(Control& c, int which) {
    if (which == CONTROL_COLOUR_FRONT) return c.front_colour;
    if (which == CONTROL_COLOUR_BACK) return c.back_colour;
    return -1;
}

void tw::ui::control_colour_free(Control& c) {
    if (c.back_brush) brush_release_handle(c.back_brush);
    c.back_brush = nullptr;
}

// ---------------------------------------------------------------------------
// Generic operations.

void control_free(intptr_t number) {
    if (g_table) g_table->free(number);
}

intptr_t control_handle(intptr_t number) {
    Control* c = control_find(number);
    return c ? reinterpret_cast<intptr_t>(c->hwnd) : 0;
}

int control_type(intptr_t number) {
    Control* c = control_find(number);
    return c && c->ops ? c->ops->type : 0;
}

void control_set_font(intptr_t number, intptr_t font) {
    HFONT f = font == DEFAULT_GUI_FONT_HANDLE ? g_default_gui_font : reinterpret_cast<HFONT>(font);
    if (number == CONTROLS_TO_COME) {
        control_list_context().default_font = f;
        return;
    }
    if (Control* c = control_find(number)) SendMessageA(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

void control_set_colour(intptr_t number, int which, int colour) {
    Control* c = control_find(number);
    if (c && c->ops->set_colour) c->ops->set_colour(*c, which, colour);
}

int control_get_colour(intptr_t number, int which) {
    Control* c = control_find(number);
    return c && c->ops->get_colour ? c->ops->get_colour(*c, which) : 0;
}

std::string control_get_text(intptr_t number) {
    Control* c = control_find(number);
    if (!c) return std::string();
    if (c->ops->get_text) return c->ops->get_text(*c);
    int len = GetWindowTextLengthA(c->hwnd);
    if (len <= 0) return std::string();
    std::string text(static_cast<std::size_t>(len) + 1, '\0');
    int got = GetWindowTextA(c->hwnd, text.data(), len + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void control_set_text(intptr_t number, tw::TextArg text) {
    Control* c = control_find(number);
    if (!c) return;
    if (c->ops->set_text) {
        c->ops->set_text(*c, text.view());
    } else {
        std::string copy = text.str();
        SetWindowTextA(c->hwnd, copy.c_str());
    }
}

intptr_t control_get_state(intptr_t number) {
    Control* c = control_find(number);
    return c && c->ops->get_state ? c->ops->get_state(*c) : 0;
}

void control_set_state(intptr_t number, intptr_t value) {
    Control* c = control_find(number);
    if (c && c->ops->set_state) c->ops->set_state(*c, value);
}

void control_resize(intptr_t number, int x, int y, int width, int height) {
    Control* c = control_find(number);
    if (!c) return;
    x = ui_pixels(x), y = ui_pixels(y), width = ui_pixels(width), height = ui_pixels(height);
    if (c->ops->resize) {
        c->ops->resize(*c, x, y, width, height);
        return;
    }
    HWND h = c->hwnd;
    if (x == tw::IGNORE || y == tw::IGNORE || width == tw::IGNORE || height == tw::IGNORE) {
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        const ControlOps& o = *c->ops;
        if (x == tw::IGNORE) x = o.get_x ? o.get_x(*c) : r.left;
        if (y == tw::IGNORE) y = o.get_y ? o.get_y(*c) : r.top;
        if (width == tw::IGNORE) width = o.get_width ? o.get_width(*c) : r.right - r.left;
        if (height == tw::IGNORE) height = o.get_height ? o.get_height(*c) : r.bottom - r.top;
    }
    MoveWindow(h, x, y, width, height, TRUE);
    if (c->ops->type == CONTROL_TYPE_BUTTON)
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
    else if (c->ops->type == CONTROL_TYPE_TEXT)
        InvalidateRect(h, nullptr, FALSE);
}

void control_set_redraw(intptr_t number, int on) {
    Control* c = control_find(number);
    if (!c) return;
    SendMessageA(c->hwnd, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(c->hwnd, nullptr, TRUE);
}

void control_clear_items(intptr_t number) {
    Control* c = control_find(number);
    if (c && c->ops->clear_items) c->ops->clear_items(*c);
}

int control_add_item(intptr_t number, int position, tw::TextArg text) {
    Control* c = control_find(number);
    if (!c) return 0;
    return c->ops->add_item ? c->ops->add_item(*c, position, text.view()) : 0;
}

int control_remove_item(intptr_t number, int position) {
    Control* c = control_find(number);
    return c && c->ops->remove_item ? c->ops->remove_item(*c, position) : 0;
}

int control_count_items(intptr_t number) {
    Control* c = control_find(number);
    return c && c->ops->count_items ? c->ops->count_items(*c) : 0;
}

int control_get_item_state(intptr_t number, int position) {
    Control* c = control_find(number);
    return c && c->ops->get_item_state ? c->ops->get_item_state(*c, position) : 0;
}

void control_set_item_state(intptr_t number, int position, int value) {
    Control* c = control_find(number);
    if (c && c->ops->set_item_state) c->ops->set_item_state(*c, position, value);
}

std::string control_get_item_text(intptr_t number, int position) {
    Control* c = control_find(number);
    return c && c->ops->get_item_text ? c->ops->get_item_text(*c, position) : std::string();
}

void control_set_item_text(intptr_t number, int position, tw::TextArg text) {
    Control* c = control_find(number);
    if (c && c->ops->set_item_text) c->ops->set_item_text(*c, position, text.view());
}

void control_set_item_data(intptr_t number, int position, intptr_t data) {
    Control* c = control_find(number);
    if (c && c->ops->set_item_data) c->ops->set_item_data(*c, position, data);
}

intptr_t control_get_item_data(intptr_t number, int position) {
    Control* c = control_find(number);
    return c && c->ops->get_item_data ? c->ops->get_item_data(*c, position) : 0;
}

intptr_t control_get_attribute(intptr_t number, int attribute) {
    Control* c = control_find(number);
    return c && c->ops->get_attribute ? c->ops->get_attribute(*c, attribute) : 0;
}

void control_set_attribute(intptr_t number, int attribute, intptr_t value) {
    Control* c = control_find(number);
    if (c && c->ops->set_attribute) c->ops->set_attribute(*c, attribute, value);
}
