// The class procedure of every library window.
#pragma once

#include "runtime/win32.h"

namespace tw::ui {

LRESULT CALLBACK window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace tw::ui
