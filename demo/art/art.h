// Artwork shared by the stand-in game Pistova, the demo data generator and the
// end-to-end tests: colour themes as 256-colour palettes, a little race track
// drawn as palette indices, and a JPEG writer.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

// 256 RGB triples, 768 bytes, as the game's .pal files hold them.
using Palette = std::vector<uint8_t>;

struct Theme {
  const char* name;  // file name without ".pal"
  Palette palette;
};

// The stock palette (qz.pal) and the alternative themes of the demo.
Palette stock_palette();
std::vector<Theme> themes();

// Race options shown on the track's board; -1 hides a value.
struct RaceOptions {
  int laps = -1, tyre = -1, fuel_use = -1, damage = -1, fuel_kg = -1;
};

// Draws the track as palette indices into a w by h picture (row-major).
std::vector<uint8_t> draw_track(int w, int h);

// Maps palette indices to RGB triples.
std::vector<uint8_t> to_rgb(const std::vector<uint8_t>& indices, const Palette& pal);

// Writes a w x h baseline JPEG file whose rows `fill` makes one at a time
// (row y, w * 3 RGB bytes), so a picture of any size needs one row of
// memory; false on failure.
bool write_jpeg_rows(const std::string& path, int w, int h, int quality,
                     const std::function<void(int y, uint8_t* row)>& fill, bool progressive = false);

// Writes an RGB picture (w * h * 3 bytes) as a baseline JPEG file; false on failure.
bool write_jpeg(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
                int quality = 85);

// A flat-coloured RGB picture (quick test pictures of any size).
std::vector<uint8_t> flat_rgb(int w, int h, uint8_t r, uint8_t g, uint8_t b);

// The qz.ini the demo ships: several sections, PaletteFile naming `palette_value`.
std::string demo_ini(const std::string& palette_value);

// The 20-byte options.set of the demo (laps 8, tyre 20, fuel use 20, damage 10, 60 kg).
std::vector<uint8_t> demo_options();

}  // namespace art
