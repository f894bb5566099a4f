// tintwerk.exe: switches the colour palette of the racing game Pistova. A
// Windows program (the GUI subsystem); the C runtime's start-up calls main.
#include "app/app.h"

int main() { return tintwerk::run_tintwerk(); }
