// The image button: the system push button draws face, border and pushed look,
// then the picture is drawn centred over it (greyed when disabled, shifted by
// one pixel while pushed), clipped to the face, with the focus mark on top.
#include "ui/win/control_internal.h"
#include "runtime/gdi_calls.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

WNDPROC tw::ui::g_button_class_proc = nullptr;

namespace {

LRESULT pass_on(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(g_button_class_proc ? g_button_class_proc : DefWindowProcA, h, msg, wp, lp);
}

bool toggles(const Control& c) { return (c.flags & (BS_TYPEMASK | BS_PUSHLIKE)) == CONTROL_FLAG_TOGGLE; }

// Size of the picture as DrawStateA draws it, and its kind.
bool picture_size(HANDLE image, SIZE& size, UINT& kind) {
    if (GetObjectType(image) == OBJ_BITMAP) {
        BITMAP bm{};
        if (!GetObjectA(image, sizeof bm, &bm)) return false;
        size = {bm.bmWidth, bm.bmHeight};
        kind = DST_BITMAP;
        return true;
    }
    ICONINFO info{};
    if (!tw::gdi::icon_info(static_cast<HICON>(image), &info)) return false;
    BITMAP bm{};
    bool ok = info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm);
    if (ok) size = {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    tw::gdi::delete_bitmap(info.hbmColor);
    tw::gdi::delete_bitmap(info.hbmMask);
    kind = DST_ICON;
    return ok;
}

void paint_over(Control& c, HDC dc) {
    HWND h = c.hwnd;
    const bool themed = theme_is_themed();
    const int inset = themed ? 4 : 2;
    RECT client{};
    GetClientRect(h, &client);

    LRESULT state = SendMessageA(h, BM_GETSTATE, 0, 0);
    const bool pushed = (state & BST_PUSHED) != 0;
    const bool checked = (SendMessageA(h, BM_GETCHECK, 0, 0) & 1) != 0;
    HANDLE picture = c.pressed_image && (checked || pushed) ? c.pressed_image : c.normal_image;

    SIZE size{};
    UINT kind = 0;
    // A button smaller than twice the inset has no room for a picture (an
    // inverted clip rectangle would be turned round by GDI, not emptied).
    const bool room = client.right - client.left > 2 * inset && client.bottom - client.top > 2 * inset;
    if (room && picture && picture_size(picture, size, kind)) {
        // Keep the caller's clipping (a printing context may bring its own).
        HRGN saved = tw::gdi::rect_region(0, 0, 0, 0);
        const bool had_clip = saved && GetClipRgn(dc, saved) == 1;
        HRGN clip = tw::gdi::rect_region(client.left + inset, client.top + inset, client.right - inset,
                                  client.bottom - inset);
        if (clip) ExtSelectClipRgn(dc, clip, had_clip ? RGN_AND : RGN_COPY);

        if (!IsWindowEnabled(h)) kind |= DSS_DISABLED;
        const int offset = pushed ? 1 : 0;
        const int width = client.right - client.left, height = client.bottom - client.top;
        const int x = (width - size.cx) / 2 + offset;
        const int y = (height - size.cy) / 2 + offset;
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(picture), 0, x, y, 0, 0, kind);

        SelectClipRgn(dc, had_clip ? saved : nullptr);
        tw::gdi::delete_region(clip);
        tw::gdi::delete_region(saved);
    }

    if (GetFocus() == h) {
        LRESULT ui = SendMessageA(GetAncestor(h, GA_ROOT), WM_QUERYUISTATE, 0, 0);
        if (!(ui & UISF_HIDEFOCUS)) {
            RECT focus = client;
            InflateRect(&focus, -3, -3);
            if (!themed) FrameRect(dc, &focus, GetSysColorBrush(COLOR_BTNFACE));
            DrawFocusRect(dc, &focus);
        }
    }
}

intptr_t button_get_state(Control& c) {
    return toggles(c) ? (SendMessageA(c.hwnd, BM_GETCHECK, 0, 0) & 1) : 0;
}

void button_set_state(Control& c, intptr_t v) {
    if (toggles(c)) SendMessageA(c.hwnd, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

intptr_t button_get_attribute(Control& c, int attribute) {
    if (attribute == CONTROL_ATTR_IMAGE) return reinterpret_cast<intptr_t>(c.normal_image);
    if (attribute == CONTROL_ATTR_PRESSED_IMAGE) return reinterpret_cast<intptr_t>(c.pressed_image);
    return 0;
}

void button_set_attribute(Control& c, int attribute, intptr_t value) {
    if (attribute == CONTROL_ATTR_IMAGE) c.normal_image = reinterpret_cast<HANDLE>(value);
    else if (attribute == CONTROL_ATTR_PRESSED_IMAGE) c.pressed_image = reinterpret_cast<HANDLE>(value);
    else return;
    InvalidateRect(c.hwnd, nullptr, FALSE);
    UpdateWindow(c.hwnd);
}

void init_button(Control& c, intptr_t image, int flags) {
    c.normal_image = reinterpret_cast<HANDLE>(image);
    c.pressed_image = nullptr;
    c.flags = flags;
}

}  // namespace

LRESULT CALLBACK tw::ui::image_button_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_ENABLE:
    case WM_PAINT:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_UPDATEUISTATE:
    case WM_PRINT: {
        LRESULT result = pass_on(h, msg, wp, lp);
        Control* c = control_from_window(h);
        if (!c) return result;
        if (msg == WM_PRINT) {
            paint_over(*c, reinterpret_cast<HDC>(wp));
        } else if (IsWindowVisible(h)) {
            HDC dc = tw::gdi::window_dc(h);
            if (dc) {
                paint_over(*c, dc);
                tw::gdi::release_window_dc(h, dc);
            }
        }
        return result;
    }
    }
    return pass_on(h, msg, wp, lp);
}

const ControlOps* tw::ui::control_ops_image_button() {
    static const ControlOps ops = [] {
        ControlOps o;
        o.type = CONTROL_TYPE_IMAGE_BUTTON;
        o.get_state = button_get_state;
        o.set_state = button_set_state;
        o.get_attribute = button_get_attribute;
        o.set_attribute = button_set_attribute;
        return o;
    }();
    return &ops;
}

intptr_t control_create_image_button(intptr_t number, int x, int y, int width, int height, intptr_t image,
                                     int flags) {
    static bool theme_checked = false;
    if (!theme_checked) {
        theme_detect();
        theme_checked = true;
    }
    ControlRequest s{control_ops_image_button(), "BUTTON", nullptr, static_cast<DWORD>(flags) | kImageButtonStyle, 0,
                  x, y, width, height, image_button_proc, &g_button_class_proc};
    return control_create(number, s, init_button, image, flags);
}
