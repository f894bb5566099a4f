// The library's own live sizing loop: it sees every message of a library
// window before the window procedure and keeps WM_SIZE flowing through the
// application's event loop while the user drags a border.
#pragma once

#include "runtime/win32.h"

namespace tw::ui {

// Returns the message result, or NOT_HANDLED when the window procedure is to
// go on with the message.
LRESULT sizing_handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
// Back to the idle state (at library start).
void sizing_reset();
// The window being sized, or nullptr when no sizing is in progress.
HWND sizing_window();

}  // namespace tw::ui
