// How the window procedure hands messages that concern one control to the
// control library: WM_COMMAND (lParam), WM_NOTIFY (hwndFrom), scroll and
// WM_CTLCOLOR... messages and the private message 13120 (lParam).
#pragma once

#include "runtime/win32.h"

namespace tw::ui {

// Returns true and sets *result when the control (found by its handle) handled
// the message through its type's message operation; false means NOT_HANDLED.
bool control_offer_message(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result);

}  // namespace tw::ui
