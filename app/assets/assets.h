#pragma once
// The pictures built into the program: complete image files, kept in the
// program's read-only data so that image_catch can read them from memory.

#include <cstddef>

namespace tintwerk {

struct Asset {
  const unsigned char* data;  // the whole file, or nullptr
  std::size_t size;           // its length in bytes, 0 with nullptr
};

// Built-in picture by image number: 100 is the default preview (JPEG,
// 300 x 225), 101 to 108 are the button pictures (4-bit BMP): 101 "Start",
// 102 "Palette", 103 "= Org", 104 "Hotlap", 105 "Race", 106 "Menu",
// 107 "Top1", 108 "Top2". `percent` picks the set drawn for a display scale:
// 100, 150 (1.5 times the size) or 200. Any other number or set gives
// {nullptr, 0}.
Asset builtin_image(int number, int percent = 100);

// The set nearest to a screen of `dpi` (96 is 100 %); halfway between two
// the larger, which is scaled down.
int builtin_image_set(int dpi);

// The program icon file (16 x 16 and 32 x 32), also compiled into the
// executable's resources as icon 1.
Asset program_icon();

}  // namespace tintwerk
