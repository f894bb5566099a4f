// The screen's DPI and the layout factor.
#include "ui/scale.h"

#include "runtime/gdi_calls.h"
#include "runtime/system_dll.h"
#include "ui/win/window_internal.h"

namespace {

int g_dpi = 0;

int read_dpi() {
    // GetDpiForSystem (Windows 10 1607 and later) is looked up at run time so
    // that the program still starts where it is missing.
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (auto get_dpi = tw::system_function<GetDpiForSystemFn>("user32.dll", "GetDpiForSystem")) {
        if (const UINT dpi = get_dpi()) return static_cast<int>(dpi);
    }
    int dpi = 0;
    if (HDC screen = tw::gdi::screen_dc()) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        tw::gdi::delete_dc(screen);
    }
    return dpi > 0 ? dpi : 96;
}

}  // namespace

void tw::ui::scale_init() { g_dpi = read_dpi(); }

int ui_dpi() {
    if (!g_dpi) tw::ui::scale_init();
    return g_dpi;
}

int ui_pixels(int units) { return units == tw::IGNORE ? units : MulDiv(units, ui_dpi(), 96); }

int ui_units(int pixels) { return pixels == tw::IGNORE ? pixels : MulDiv(pixels, 96, ui_dpi()); }
