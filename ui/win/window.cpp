// Numbered top-level windows: opening with client size and frame position,
// closing, colours, size bounds and geometry.
#include "runtime/gdi_calls.h"

#include "runtime/object_table.h"
#include "ui/portable/window_plan.h"
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

static_assert(kDefaultPosition == CW_USEDEFAULT && kStyleCaption == WS_CAPTION);
static_assert(kStyleMaximize == WS_MAXIMIZE && kStyleMinimize == WS_MINIMIZE);

// Each window has its own class; a failing registration is not checked.
void register_class(WindowObject& w, intptr_t own_number, HINSTANCE module) {
    window_class_name(own_number, w.class_name, sizeof w.class_name);
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = window_procedure;
    wc.hInstance = module;
    wc.hIcon = g_class_icon;
    wc.hCursor = g_class_cursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = w.class_name;
    RegisterClassA(&wc);
}

// The outer frame of a client area of width x height whose frame is asked
// for at (x, y), with what it is to be centred on.
ScreenArea frame_of(const WindowPlan& plan, int x, int y, int width, int height, HWND owner) {
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, plan.style, FALSE);
    const ScreenArea asked{x, y, r.right - r.left, r.bottom - r.top};
    ScreenArea around;
    if (plan.centring == WindowCentring::Screen) {
        around = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    } else if (plan.centring == WindowCentring::Parent) {
        HWND ref = owner ? owner : GetActiveWindow();
        if (!ref) return window_frame(plan.centring, asked, nullptr);
        RECT pr;
        GetWindowRect(ref, &pr);
        around = {pr.left, pr.top, pr.right - pr.left, pr.bottom - pr.top};
    }
    return window_frame(plan.centring, asked, &around);
}

void show_first(HWND hwnd, WindowShow show) {
    switch (show) {
    case WindowShow::Hidden: break;
    case WindowShow::Normal: ShowWindow(hwnd, SW_SHOWNORMAL); break;
    case WindowShow::Minimized: ShowWindow(hwnd, SW_SHOWMINIMIZED); break;
    case WindowShow::Maximized: ShowWindow(hwnd, SW_MAXIMIZE); break;
    }
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
    const intptr_t own_number = windows().number_of(w);
    HINSTANCE module = GetModuleHandleA(nullptr);
    register_class(*w, own_number, module);

    const WindowPlan plan = window_plan(flags);
    HWND owner = reinterpret_cast<HWND>(parent);
    const ScreenArea frame = frame_of(plan, x, y, width, height, owner);
    std::string text = title.str();
    HWND hwnd = CreateWindowExA(0, w->class_name, text.c_str(), plan.style, frame.x, frame.y, frame.width,
                                frame.height, owner, nullptr, module, nullptr);
    if (!hwnd) {
        UnregisterClassA(w->class_name, module);
        windows().discard(w);
        return 0;
    }
    w->hwnd = hwnd;
    SetPropA(hwnd, kPropWindowId, reinterpret_cast<HANDLE>(own_number + 1));
    show_first(hwnd, plan.show);
    w->minimized_or_maximized = plan.minimized_or_maximized;
    w->shortcuts = {
        ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, COMMAND_FOCUS_NEXT},
        ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, COMMAND_FOCUS_PREVIOUS},
    };
    w->shortcut_table = CreateAcceleratorTableA(w->shortcuts.data(), static_cast<int>(w->shortcuts.size()));
    w->colour = COLOUR_NONE;

    if (plan.control_list) control_list_use(reinterpret_cast<intptr_t>(hwnd));
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
