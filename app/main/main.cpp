// tintwerk.exe: switches the colour palette of the racing game Pistova.
#include "app/app.h"
#include "runtime/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return tintwerk::run_tintwerk(); }
