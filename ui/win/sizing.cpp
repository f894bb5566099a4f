// Live sizing: instead of the system's modal sizing loop, the window takes the
// mouse capture and resizes itself on every pointer movement (or arrow key),
// so each step reaches the application's event loop as EVENT_SIZE.
#include "ui/win/sizing.h"

#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

struct SizingState {
    bool active = false;
    HWND window = nullptr;
    int edge = 0;  // WMSZ_ value, 0 = not chosen yet
    RECT current = {};
    RECT start = {};
    MINMAXINFO limits = {};
    bool keyboard = false;
    POINT pointer_at_start = {};
    POINT placed = {};      // where the pointer was last put from the keyboard
    bool placed_valid = false;
};

SizingState g_state;

// The pointer's distance inside the edge it drags and the keyboard's step, in
// layout units.
constexpr int kEdgeInset = 2;
constexpr int kKeyStep = 10;

bool has_left(int e) { return e == WMSZ_LEFT || e == WMSZ_TOPLEFT || e == WMSZ_BOTTOMLEFT; }
bool has_right(int e) { return e == WMSZ_RIGHT || e == WMSZ_TOPRIGHT || e == WMSZ_BOTTOMRIGHT; }
bool has_top(int e) { return e == WMSZ_TOP || e == WMSZ_TOPLEFT || e == WMSZ_TOPRIGHT; }
bool has_bottom(int e) { return e == WMSZ_BOTTOM || e == WMSZ_BOTTOMLEFT || e == WMSZ_BOTTOMRIGHT; }

RECT rectangle_for(POINT p) {
    const SizingState& s = g_state;
    RECT r = s.current;
    const int inset = ui_pixels(kEdgeInset);
    const LONG min_w = s.limits.ptMinTrackSize.x, max_w = s.limits.ptMaxTrackSize.x;
    const LONG min_h = s.limits.ptMinTrackSize.y, max_h = s.limits.ptMaxTrackSize.y;
    if (has_left(s.edge)) {
        r.left = s.edge == WMSZ_TOPLEFT ? p.x - inset : p.x;
        if (r.right - r.left < min_w)
            r.left = r.right - min_w;
        else if (r.right - r.left > max_w)
            r.left = r.right - max_w;
    }
    if (has_right(s.edge)) {
        r.right = p.x + inset;
        if (r.right - r.left < min_w)
            r.right = r.left + min_w;
        else if (r.right - r.left > max_w)
            r.right = r.left + max_w;
    }
    if (has_top(s.edge)) {
        r.top = s.edge == WMSZ_TOPLEFT ? p.y - inset : p.y;
        if (r.bottom - r.top < min_h)
            r.top = r.bottom - min_h;
        else if (r.bottom - r.top > max_h)
            r.top = r.bottom - max_h;
    }
    if (has_bottom(s.edge)) {
        r.bottom = p.y + inset;
        if (r.bottom - r.top < min_h)
            r.bottom = r.top + min_h;
        else if (r.bottom - r.top > max_h)
            r.bottom = r.top + max_h;
    }
    return r;
}

// One sizing step for the pointer at screen position p.
void resize_to(HWND hwnd, POINT p) {
    RECT r = rectangle_for(p);
    SendMessageA(hwnd, WM_SIZING, static_cast<WPARAM>(g_state.edge), reinterpret_cast<LPARAM>(&r));
    g_state.current = r;
    RECT place = r;
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(hwnd)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    }
    MoveWindow(hwnd, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void show_cursor(LPCSTR id) {
    HANDLE cursor = LoadImageA(nullptr, id, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    SetCursor(static_cast<HCURSOR>(cursor));
}

void place_pointer(int x, int y) {
    SetCursorPos(x, y);
    g_state.placed = {x, y};
    g_state.placed_valid = true;
}

LRESULT start(HWND hwnd, WPARAM wparam) {
    BOOL full = FALSE;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    if (!full) return NOT_HANDLED;  // the system's own loop runs

    SizingState& s = g_state;
    s = SizingState{};
    s.edge = static_cast<int>(wparam & 0xF);
    s.active = true;
    s.window = hwnd;
    GetWindowRect(hwnd, &s.current);
    s.start = s.current;

    MINMAXINFO& m = s.limits;
    m.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER)
        m.ptMaxPosition = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    else if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_WINDOWEDGE)
        m.ptMaxPosition = {GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
    m.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    m.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&m));

    if (GetKeyState(VK_LBUTTON) == 0) SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SetCapture(hwnd);
    PostMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);

    if (s.edge == 0) {
        s.keyboard = true;
        GetCursorPos(&s.pointer_at_start);
        show_cursor(reinterpret_cast<LPCSTR>(IDC_SIZEALL));
    }
    return 0;
}

void arrow_key(HWND hwnd, WPARAM key) {
    SizingState& s = g_state;
    POINT p;
    GetCursorPos(&p);
    const RECT r = s.current;
    const int inset = ui_pixels(kEdgeInset), step = ui_pixels(kKeyStep);
    auto choose = [&](int edge, int x, int y, LPCSTR cursor) {
        s.edge = edge;
        place_pointer(x, y);
        show_cursor(cursor);
    };
    const LPCSTR we = reinterpret_cast<LPCSTR>(IDC_SIZEWE), ns = reinterpret_cast<LPCSTR>(IDC_SIZENS);
    const LPCSTR nwse = reinterpret_cast<LPCSTR>(IDC_SIZENWSE), nesw = reinterpret_cast<LPCSTR>(IDC_SIZENESW);
    const int e = s.edge;
    if (e == 0 && key == VK_LEFT) return choose(WMSZ_LEFT, r.left, p.y, we);
    if (e == 0 && key == VK_RIGHT) return choose(WMSZ_RIGHT, r.right - inset, p.y, we);
    if (e == 0 && key == VK_UP) return choose(WMSZ_TOP, p.x, r.top, ns);
    if (e == 0 && key == VK_DOWN) return choose(WMSZ_BOTTOM, p.x, r.bottom - inset, ns);
    if ((e == WMSZ_TOP && key == VK_LEFT) || (e == WMSZ_LEFT && key == VK_UP))
        return choose(WMSZ_TOPLEFT, r.left + inset, r.top + inset, nwse);
    if ((e == WMSZ_TOP && key == VK_RIGHT) || (e == WMSZ_RIGHT && key == VK_UP))
        return choose(WMSZ_TOPRIGHT, r.right - inset, r.top, nesw);
    if ((e == WMSZ_BOTTOM && key == VK_LEFT) || (e == WMSZ_LEFT && key == VK_DOWN))
        return choose(WMSZ_BOTTOMLEFT, r.left, r.bottom - inset, nesw);
    if ((e == WMSZ_BOTTOM && key == VK_RIGHT) || (e == WMSZ_RIGHT && key == VK_DOWN))
        return choose(WMSZ_BOTTOMRIGHT, r.right - inset, r.bottom - inset, nwse);

    if (key == VK_LEFT) p.x -= step;
    if (key == VK_RIGHT) p.x += step;
    if (key == VK_UP) p.y -= step;
    if (key == VK_DOWN) p.y += step;
    place_pointer(p.x, p.y);
    resize_to(hwnd, p);
}

}  // namespace

void tw::ui::sizing_reset() { g_state = SizingState{}; }

HWND tw::ui::sizing_window() { return g_state.active ? g_state.window : nullptr; }

LRESULT tw::ui::sizing_handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    SizingState& s = g_state;
    if (!s.active) {
        if (msg == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_SIZE) return start(hwnd, wparam);
        return NOT_HANDLED;
    }
    if (hwnd != s.window) return NOT_HANDLED;

    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        MapWindowPoints(hwnd, HWND_DESKTOP, &p, 1);
        // The move that follows putting the pointer on an edge from the
        // keyboard is no mouse sizing: keyboard mode (and with it the pointer
        // going back at the end) stays.
        bool own_move = s.placed_valid && p.x == s.placed.x && p.y == s.placed.y;
        s.placed_valid = false;
        if (!own_move) s.keyboard = false;
        resize_to(hwnd, p);
        return 0;
    }
    case WM_KEYDOWN:
        if (wparam == VK_RETURN || wparam == VK_ESCAPE) {
            ReleaseCapture();
            return 0;
        }
        if (wparam == VK_LEFT || wparam == VK_UP || wparam == VK_RIGHT || wparam == VK_DOWN) arrow_key(hwnd, wparam);
        return NOT_HANDLED;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lparam) == hwnd) return 0;  // still ours
        PostMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
        s.active = false;
        if (s.keyboard) SetCursorPos(s.pointer_at_start.x, s.pointer_at_start.y);
        s.window = nullptr;
        return 0;
    default:
        return NOT_HANDLED;
    }
}
