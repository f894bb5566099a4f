// Placeholder until the control library's message operations land; the control
// library replaces this file with the real implementation.
#include "ui/win/control_hooks.h"

bool control_offer_message(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }
