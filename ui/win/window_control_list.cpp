// Control lists: which window new controls go into. Each window with a
// control list carries a record of it in a property ("TW_GadgetStack_" and
// the module's instance) and is subclassed so that the record dies with the
// window.
#include <cstdio>

#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

struct ControlListRecord {
    HWND window = nullptr;
    WNDPROC previous = nullptr;  // the window's procedure under the control-list procedure
};

const char* record_prop() {
    static char name[48];
    if (!name[0])
        std::snprintf(name, sizeof name, "TW_GadgetStack_%lld",
                      static_cast<long long>(reinterpret_cast<intptr_t>(GetModuleHandleA(nullptr))));
    return name;
}

ControlListRecord* record_of(HWND hwnd) {
    return hwnd ? static_cast<ControlListRecord*>(GetPropA(hwnd, record_prop())) : nullptr;
}

LRESULT CALLBACK control_list_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    ControlListRecord* rec = record_of(hwnd);
    if (!rec) return DefWindowProcA(hwnd, msg, wparam, lparam);
    WNDPROC previous = rec->previous;
    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, record_prop());
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        delete rec;
        ControlListContext& ctx = control_list_context();
        if (ctx.current == hwnd) ctx.current = nullptr;
    }
    return CallWindowProcA(previous, hwnd, msg, wparam, lparam);
}

}  // namespace

ControlListContext& tw::ui::control_list_context() {
    static ControlListContext ctx;
    return ctx;
}

intptr_t control_list_use(intptr_t window_handle) {
    ControlListContext& ctx = control_list_context();
    HWND previous = ctx.current;
    HWND h = reinterpret_cast<HWND>(window_handle);
    if (!h || !IsWindow(h)) return reinterpret_cast<intptr_t>(previous);

    if (record_of(h)) {
        ctx.current = h;
        return reinterpret_cast<intptr_t>(previous);
    }
    auto* rec = new ControlListRecord;
    rec->window = h;
    if (!SetPropA(h, record_prop(), rec)) {
        delete rec;
        return reinterpret_cast<intptr_t>(previous);
    }
    ctx.current = h;
    rec->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_list_proc)));
    return reinterpret_cast<intptr_t>(previous);
}
