// Whether controls are drawn with visual styles: the common-controls version
// and the theme service, both looked up at run time.
#include <shlwapi.h>
#include "runtime/system_dll.h"

#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

uint32_t g_version = 0;
bool g_themed = false;

}  // namespace

uint32_t theme_detect() {
    if (g_version) return g_version;
    if (HMODULE comctl = tw::load_module("COMCTL32.DLL")) {
        auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
        if (get_version) {
            DLLVERSIONINFO info = {};
            info.cbSize = sizeof info;
            if (SUCCEEDED(get_version(&info)))
                g_version = ((info.dwMajorVersion & 0xFFFF) << 16) | (info.dwMinorVersion & 0xFFFF);
        } else {
            g_version = 1;
        }
        tw::free_module(comctl);
    }
    if (HMODULE uxtheme = tw::load_module("uxtheme.dll")) {
        using IsAppThemedFn = BOOL(WINAPI*)();
        auto is_app_themed =
            reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsAppThemed")));
        if (is_app_themed) g_themed = is_app_themed() && g_version >= 0x00060000;
        tw::free_module(uxtheme);
    }
    return g_version;
}

bool theme_is_themed() { return g_themed; }
