// Control lists: which window new controls go into. Each window with a
// control list keeps a saved copy of the context in a property and is
// subclassed so that the copy dies with the window.
#include <cstdio>
#include <memory>
#include <vector>

#include "ui/win/window_internal.h"

namespace {

struct ControlListRecord {
    HWND window = nullptr;
    std::unique_ptr<std::vector<HWND>> stack;
    WNDPROC previous = nullptr;
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

std::unique_ptr<std::vector<HWND>> fresh_stack() {
    auto stack = std::make_unique<std::vector<HWND>>();
    stack->reserve(10);
    return stack;
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

ControlListContext& control_list_context() {
    static ControlListContext ctx{nullptr, nullptr, fresh_stack()};
    return ctx;
}

intptr_t control_list_use(intptr_t window_handle) {
    ControlListContext& ctx = control_list_context();
    HWND previous = ctx.current;
    HWND h = reinterpret_cast<HWND>(window_handle);
    if (!h || !IsWindow(h)) return reinterpret_cast<intptr_t>(previous);

    if (ControlListRecord* cur = record_of(ctx.current)) cur->stack = std::move(ctx.stack);

    if (ControlListRecord* rec = record_of(h)) {
        ctx.stack = std::move(rec->stack);
        if (!ctx.stack) ctx.stack = fresh_stack();
        ctx.current = h;
        return reinterpret_cast<intptr_t>(previous);
    }

    if (ctx.stack)
        ctx.stack->clear();
    else
        ctx.stack = fresh_stack();
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
