// The class procedure of every library window.
#pragma once

#include "runtime/win32.h"

LRESULT CALLBACK window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
