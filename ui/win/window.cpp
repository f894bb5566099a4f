// Numbered top-level windows: opening with client size and frame position,
// closing, colours, size bounds and geometry.
#include "runtime/gdi_calls.h"

#include <cstdio>

#include "runtime/object_table.h"
#include "ui/win/sizing.h"
#include "ui/win/window_internal.h"
#include "ui/win/window_proc.h"

using namespace tw::ui;

namespace {

tw::ObjectTable<WindowObject>& windows() {
    static tw::ObjectTable<WindowObject> table(16);
    return table;
}

HICON g_class_icon = nullptr;
HCURSOR g_class_cursor = nullptr;
bool g_library_ready = false;

void ensure_library() {
    if (!g_library_ready) window_library_init();
}

// Client bound in layout units -> outer bound in pixels with the window's
// frame; 0 stays "no bound".
uint16_t outer_bound(HWND hwnd, int units, bool height) {
    if (units <= 0) return 0;
    const int client = ui_pixels(units);
    RECT r = {0, 0, height ? 0 : client, height ? client : 0};
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    LONG exstyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    AdjustWindowRectEx(&r, static_cast<DWORD>(style), GetMenu(hwnd) != nullptr, static_cast<DWORD>(exstyle));
    int outer = height ? r.bottom - r.top : r.right - r.left;
    if (outer > 0xFFFF) outer = 0xFFFF;
    return static_cast<uint16_t>(outer);
}

}  // namespace

void WindowObject::forget() {
    RemovePropA(hwnd, kPropWindowId);
    shortcuts.clear();
    if (shortcut_table) DestroyAcceleratorTable(shortcut_table);
    shortcut_table = nullptr;
    tw::gdi::delete_brush(brush);
    brush = nullptr;
    colour = COLOUR_NONE;
    last_focus = nullptr;
    hwnd = nullptr;
}

void WindowObject::release() {
    if (!hwnd) return;
    HWND h = hwnd;
    if (HWND owner = GetWindow(h, GW_OWNER)) SetActiveWindow(owner);
    // Forgotten first: the destruction's WM_NCDESTROY then finds no library window.
    forget();
    DestroyWindow(h);
    UnregisterClassA(class_name, GetModuleHandleA(nullptr));
}

void window_library_init() {
    g_library_ready = true;
    g_class_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    g_class_cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    scale_init();
    sizing_reset();
}

WindowObject* tw::ui::window_find(intptr_t number) { return windows().find(number); }

HWND tw::ui::window_top_level_of(HWND hwnd) {
    for (HWND h = hwnd; h; h = GetParent(h))
        if (GetPropA(h, kPropWindowId)) return h;
    return nullptr;
}

intptr_t tw::ui::window_number_of(HWND hwnd) {
    HWND top = window_top_level_of(hwnd);
    if (!top) return NO_WINDOW;
    // The property holds the number + 1, so that window 0 has a value too.
    return reinterpret_cast<intptr_t>(GetPropA(top, kPropWindowId)) - 1;
}

intptr_t window_open(intptr_t number, int x, int y, int width, int height, tw::TextArg title,
                     uint32_t flags, intptr_t parent) {
    ensure_library();
    WindowObject* w = windows().prepare(number);
    if (!w) return 0;
    intptr_t own_number = windows().number_of(w);
    HINSTANCE module = GetModuleHandleA(nullptr);

    std::snprintf(w->class_name, sizeof w->class_name, "WindowClass_%lld", static_cast<long long>(own_number));
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = window_procedure;
    wc.hInstance = module;
    wc.hIcon = g_class_icon;
    wc.hCursor = g_class_cursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = w->class_name;
    RegisterClassA(&wc);

    bool control_list = (flags & WINDOW_NO_CONTROL_LIST) == 0;
    flags &= ~WINDOW_NO_CONTROL_LIST;
    const uint32_t requests = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_PARENT | WINDOW_INVISIBLE;
    if ((flags & ~requests) == 0) flags |= WS_CAPTION;
    bool invisible = (flags & WINDOW_INVISIBLE) != 0;
    bool centre_screen = (flags & WINDOW_CENTRE_SCREEN) != 0;
    bool centre_parent = (flags & WINDOW_CENTRE_PARENT) != 0;
    DWORD style = flags & ~requests;

    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, style, FALSE);
    int outer_w = r.right - r.left;
    int outer_h = r.bottom - r.top;

    HWND owner = reinterpret_cast<HWND>(parent);
    bool ignored = x == tw::IGNORE || y == tw::IGNORE;
    if (centre_screen) {
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        if (outer_w > sw) outer_w = sw;
        if (outer_h > sh) outer_h = sh;
        x = (sw - outer_w) / 2;
        y = (sh - outer_h) / 2;
    } else if (centre_parent) {
        HWND ref = owner ? owner : GetActiveWindow();
        if (ref) {
            RECT pr;
            GetWindowRect(ref, &pr);
            x = pr.left + ((pr.right - pr.left) - outer_w) / 2;
            y = pr.top + ((pr.bottom - pr.top) - outer_h) / 2;
            if (x < 0) x = 0;
            if (y < 0) y = 0;
        } else if (ignored) {
            // Nothing to centre on: an unknown position falls back to the
            // system's default instead of being taken literally.
            x = y = CW_USEDEFAULT;
        }
    } else if (ignored) {
        x = y = CW_USEDEFAULT;
    }

    std::string text = title.str();
    HWND hwnd = CreateWindowExA(0, w->class_name, text.c_str(), style, x, y, outer_w, outer_h, owner, nullptr,
                                module, nullptr);
    if (!hwnd) {
        UnregisterClassA(w->class_name, module);
        windows().discard(w);
        return 0;
    }
    w->hwnd = hwnd;
    SetPropA(hwnd, kPropWindowId, reinterpret_cast<HANDLE>(own_number + 1));

    if (!invisible) {
        if (style & WS_MAXIMIZE)
            ShowWindow(hwnd, SW_MAXIMIZE);
        else if (style & WS_MINIMIZE)
            ShowWindow(hwnd, SW_SHOWMINIMIZED);
        else
            ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    w->minimized_or_maximized = (style & (WS_MAXIMIZE | WS_MINIMIZE)) != 0;

    w->shortcuts = {
        ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, COMMAND_FOCUS_NEXT},
        ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, COMMAND_FOCUS_PREVIOUS},
    };
    w->shortcut_table = CreateAcceleratorTableA(w->shortcuts.data(), static_cast<int>(w->shortcuts.size()));
    w->colour = COLOUR_NONE;

    if (control_list) control_list_use(reinterpret_cast<intptr_t>(hwnd));
    return number == tw::kDynamicNumber ? own_number : reinterpret_cast<intptr_t>(hwnd);
}

void window_close(intptr_t number) { windows().free(number); }

void window_close_all() { windows().free_all(); }

void window_set_colour(intptr_t number, int colour) {
    WindowObject* w = window_find(number);
    if (!w || w->colour == colour) return;
    tw::gdi::delete_brush(w->brush);
    w->brush = nullptr;
    w->colour = colour;
    if (colour != COLOUR_NONE) w->brush = tw::gdi::solid_brush(static_cast<COLORREF>(colour));
    InvalidateRect(w->hwnd, nullptr, TRUE);
}

void window_set_bounds(intptr_t number, int min_width, int min_height, int max_width, int max_height) {
    WindowObject* w = window_find(number);
    if (!w) return;
    if (min_width != tw::IGNORE) w->min_width = outer_bound(w->hwnd, min_width, false);
    if (min_height != tw::IGNORE) w->min_height = outer_bound(w->hwnd, min_height, true);
    if (max_width != tw::IGNORE) w->max_width = outer_bound(w->hwnd, max_width, false);
    if (max_height != tw::IGNORE) w->max_height = outer_bound(w->hwnd, max_height, true);
}

int window_x(intptr_t number) {
    WindowObject* w = window_find(number);
    if (!w) return 0;
    RECT r;
    GetWindowRect(w->hwnd, &r);
    return r.left;
}

int window_y(intptr_t number) {
    WindowObject* w = window_find(number);
    if (!w) return 0;
    RECT r;
    GetWindowRect(w->hwnd, &r);
    return r.top;
}

int window_width(intptr_t number) {
    WindowObject* w = window_find(number);
    if (!w) return 0;
    RECT r;
    GetClientRect(w->hwnd, &r);
    return r.right;
}

int window_height(intptr_t number) {
    WindowObject* w = window_find(number);
    if (!w) return 0;
    RECT r;
    GetClientRect(w->hwnd, &r);
    return r.bottom + (GetMenu(w->hwnd) ? GetSystemMetrics(SM_CYMENU) : 0);
}

int window_is_minimized(intptr_t number) {
    WindowObject* w = window_find(number);
    return w && IsIconic(w->hwnd) ? 1 : 0;
}

int window_is_maximized(intptr_t number) {
    WindowObject* w = window_find(number);
    return w && IsZoomed(w->hwnd) ? 1 : 0;
}

intptr_t window_handle(intptr_t number) {
    WindowObject* w = window_find(number);
    return w ? reinterpret_cast<intptr_t>(w->hwnd) : 0;
}

void window_keep_on_screen(intptr_t number) {
    WindowObject* w = window_find(number);
    if (!w) return;
    RECT r;
    GetWindowRect(w->hwnd, &r);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN), bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    auto onto = [](LONG start, LONG end, int low, int high) {
        LONG moved = start;
        if (end > high) moved -= end - high;
        return moved < low ? static_cast<LONG>(low) : moved;
    };
    const LONG x = onto(r.left, r.right, left, right), y = onto(r.top, r.bottom, top, bottom);
    if (x != r.left || y != r.top) SetWindowPos(w->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
