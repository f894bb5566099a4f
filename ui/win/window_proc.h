// The class procedure of every library window.
#pragma once

#include "runtime/win32.h"

LRESULT CALLBACK window_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

struct WindowObject;
// Frees what a window record holds after its window was destroyed by someone
// other than window_close; the number becomes free.
void window_forget(WindowObject* w);
