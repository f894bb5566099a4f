// The image control: a static control that shows one picture at (0, 0) in the
// picture's own size, takes the picture's size, and reports clicks, double
// clicks, right clicks and drags.
#include "ui/win/control_internal.h"
#include "runtime/gdi_calls.h"
#include "ui/win/window_internal.h"

#include <windowsx.h>

using namespace tw::ui;

WNDPROC tw::ui::g_static_class_proc = nullptr;

namespace {

// Set by a right double click so that the release ending it gives no right
// click. Shared by all image controls.
bool g_right_double = false;

LRESULT pass_on(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(g_static_class_proc ? g_static_class_proc : DefWindowProcA, h, msg, wp, lp);
}

bool is_bitmap(HANDLE image) { return image && GetObjectType(image) == OBJ_BITMAP; }

void draw_picture(HDC dc, HANDLE image) {
    if (!image) return;
    UINT kind = is_bitmap(image) ? DST_BITMAP : DST_ICON;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, 0, 0, 0, 0, kind);
}

// The size a picture is drawn in; false for a handle that is neither a
// bitmap nor an icon.
bool picture_size(HANDLE image, SIZE& size) {
    if (is_bitmap(image)) {
        BITMAP bm{};
        if (!GetObjectA(image, sizeof bm, &bm)) return false;
        size = {bm.bmWidth, bm.bmHeight};
        return true;
    }
    ICONINFO info{};
    if (!tw::gdi::icon_info(static_cast<HICON>(image), &info)) return false;
    BITMAP bm{};
    bool ok = false;
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
        size = {bm.bmWidth, bm.bmHeight};
        ok = true;
    } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
        // A monochrome icon's mask holds the AND and the XOR half.
        size = {bm.bmWidth, bm.bmHeight / 2};
        ok = true;
    }
    tw::gdi::delete_bitmap(info.hbmColor);
    tw::gdi::delete_bitmap(info.hbmMask);
    return ok;
}

// Shows a new picture and gives the control its size.
HANDLE set_picture(Control& c, HANDLE image) {
    HWND h = c.hwnd;
    HANDLE old = c.image;
    c.image = image;
    if (!is_bitmap(image)) {
        // Nothing (or an icon with transparent parts) will cover the area:
        // let the window underneath repaint it.
        HWND top = GetAncestor(h, GA_ROOT);
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        RedrawWindow(top, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    SIZE size{};
    if (image && picture_size(image, size)) {
        if (GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            size.cx += 4;
            size.cy += 4;
        }
        SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        InvalidateRect(h, nullptr, FALSE);
        UpdateWindow(h);
    }
    return old;
}

intptr_t image_get_state(Control& c) { return reinterpret_cast<intptr_t>(c.image); }
void image_set_state(Control& c, intptr_t image) {
    SendMessageA(c.hwnd, STM_SETIMAGE, IMAGE_BITMAP, image);
}

}  // namespace

LRESULT CALLBACK tw::ui::image_control_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Control* c = control_from_window(h);
    if (!c) return pass_on(h, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        draw_picture(dc, c->image);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_PRINT:
        draw_picture(reinterpret_cast<HDC>(wp), c->image);
        return 0;
    case WM_ENABLE:
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return 0;
    case STM_SETIMAGE:
        return reinterpret_cast<LRESULT>(set_picture(*c, reinterpret_cast<HANDLE>(lp)));
    case STM_SETICON:
        return reinterpret_cast<LRESULT>(set_picture(*c, reinterpret_cast<HANDLE>(wp)));
    case STM_GETIMAGE:
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(c->image);
    case WM_LBUTTONDOWN:
        c->down = MAKEPOINTS(lp);
        c->pressed = true;
        SetCapture(h);
        break;
    case WM_MOUSEMOVE:
        if (c->pressed && control_beyond_drag(c->down, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
            c->pressed = false;
            ReleaseCapture();
            control_post(h, CONTROL_EVENT_DRAG_START);
        }
        break;
    case WM_LBUTTONUP:
        if (c->pressed) {
            c->pressed = false;
            ReleaseCapture();
        }
        break;
    case WM_LBUTTONDBLCLK:
        control_post(h, CONTROL_EVENT_DOUBLE_CLICK);
        return 0;
    case WM_RBUTTONUP:
        if (g_right_double) g_right_double = false;
        else control_post(h, CONTROL_EVENT_RIGHT_CLICK);
        return 0;
    case WM_RBUTTONDBLCLK:
        control_post(h, CONTROL_EVENT_RIGHT_DOUBLE_CLICK);
        g_right_double = true;
        return 0;
    }
    return pass_on(h, msg, wp, lp);
}

const ControlOps* tw::ui::control_ops_image() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_IMAGE;
        o.get_state = image_get_state;
        o.set_state = image_set_state;
        return o;
    }();
    return &ops;
}

intptr_t control_create_image(intptr_t number, int x, int y, int width, int height, intptr_t image, int ex_style) {
    control_read_drag_thresholds();
    ControlRequest s{control_ops_image(), "STATIC", nullptr, kImageStyle, static_cast<DWORD>(ex_style),
                  x, y, width, height, image_control_proc, &g_static_class_proc};
    intptr_t result = control_create(number, s);
    if (!result) return 0;
    HWND h = number == tw::kDynamicNumber ? reinterpret_cast<Control*>(result)->hwnd : reinterpret_cast<HWND>(result);
    SendMessageA(h, STM_SETIMAGE, IMAGE_BITMAP, image);
    return result;
}
