// Display scale. Layouts are written in pixels of a 96-DPI screen (layout
// units); the library turns them into the screen's pixels with one factor,
// ui_dpi() / 96: control rectangles, size bounds and the steps of live
// sizing. Window geometry (frame position, client size) and picture sizes
// are the screen's own pixels.
#pragma once

// The screen's DPI, read once when the window library starts: the system DPI
// where the system tells it, else the screen's vertical resolution.
int ui_dpi();
// Layout units -> pixels, rounded to the nearest (tw::IGNORE stays).
int ui_pixels(int units);
// Pixels -> layout units, rounded to the nearest (tw::IGNORE stays).
int ui_units(int pixels);
