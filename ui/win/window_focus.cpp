// Keyboard focus movement with Tab and Shift+Tab through the enabled, visible
// tab-stop controls of the active window.
#include <vector>

#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

BOOL CALLBACK collect_candidate(HWND child, LPARAM data) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(data);
    if (IsWindowEnabled(child) && IsWindowVisible(child) && (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP))
        list->push_back(child);
    return TRUE;
}

// The enabled, visible tab-stop controls of `root`, in tab order.
std::vector<HWND> tab_stops(HWND root) {
    std::vector<HWND> candidates;
    EnumChildWindows(root, collect_candidate, reinterpret_cast<LPARAM>(&candidates));
    return candidates;
}

}  // namespace

HWND tw::ui::focus_first_candidate(HWND root) {
    const std::vector<HWND> candidates = tab_stops(root);
    return candidates.empty() ? nullptr : candidates.front();
}

void tw::ui::focus_on_activation(WindowObject& w, WPARAM wparam) {
    const HWND root = w.hwnd;
    if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(root, focus)) w.last_focus = focus;
        return;
    }
    if (HIWORD(wparam) != 0) return;  // activated while minimised: nothing to type into
    HWND target = w.last_focus;
    if (!target || !IsWindow(target) || !IsChild(root, target) || !IsWindowEnabled(target) || !IsWindowVisible(target))
        target = focus_first_candidate(root);
    if (target && GetFocus() != target) SetFocus(target);
}

void focus_move(int backward) {
    HWND root = GetActiveWindow();
    if (!root) return;
    HWND focus = GetFocus();
    HWND current = focus && IsChild(root, focus) ? focus : nullptr;

    const std::vector<HWND> candidates = tab_stops(root);
    if (candidates.empty()) return;

    std::size_t index = candidates.size();  // position of the current control
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i] == current) index = i;

    HWND target;
    if (!backward) {
        if (!current)
            target = candidates.front();
        else if (index == candidates.size())
            return;  // the focused control is no tab stop: Tab leaves it alone
        else
            target = candidates[(index + 1) % candidates.size()];
    } else {
        if (current && index < candidates.size() && index > 0)
            target = candidates[index - 1];
        else
            target = candidates.back();
    }
    SetFocus(target);
}
