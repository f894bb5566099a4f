#include "demo/art/art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace art {
namespace {

// Index ranges of the picture elements; every theme fills each range with a
// shaded ramp of its own colour, so any theme recolours the same picture.
enum Group { GRASS, ASPHALT, KERB_A, KERB_B, SAND, WATER, TREES, STANDS, MARKS, CARS, GROUPS };
struct Range { int first, count; };
constexpr Range kRanges[GROUPS] = {{0, 32},    {32, 32},   {64, 16},  {80, 16},  {96, 32},
                                   {128, 32},  {160, 32},  {192, 32}, {224, 16}, {240, 16}};

struct Rgb { int r, g, b; };

Palette build(const Rgb (&base)[GROUPS]) {
  Palette p(768, 0);
  for (int g = 0; g < GROUPS; ++g) {
    const Range& rg = kRanges[g];
    for (int i = 0; i < rg.count; ++i) {
      double f = 0.55 + 0.65 * i / (rg.count - 1);
      int idx = rg.first + i;
      p[idx * 3 + 0] = static_cast<uint8_t>(std::clamp(static_cast<int>(base[g].r * f), 0, 255));
      p[idx * 3 + 1] = static_cast<uint8_t>(std::clamp(static_cast<int>(base[g].g * f), 0, 255));
      p[idx * 3 + 2] = static_cast<uint8_t>(std::clamp(static_cast<int>(base[g].b * f), 0, 255));
    }
  }
  return p;
}

uint32_t hash(uint32_t a, uint32_t b) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0xC2B2AE3Du;
  h ^= h >> 13;
  return h;
}

uint8_t shade(Group g, int level) {  // level 0..count-1
  const Range& rg = kRanges[g];
  return static_cast<uint8_t>(rg.first + std::clamp(level, 0, rg.count - 1));
}

}  // namespace

Palette stock_palette() {
  return build({{70, 150, 60}, {120, 120, 125}, {210, 40, 40}, {235, 235, 235}, {220, 200, 140},
                {60, 110, 200}, {30, 100, 40}, {170, 150, 130}, {245, 245, 245}, {230, 200, 30}});
}

std::vector<Theme> themes() {
  return {
      {"sunset", build({{170, 110, 70}, {90, 60, 90}, {250, 90, 40}, {250, 210, 150},
                        {240, 170, 90}, {200, 80, 120}, {110, 50, 60}, {220, 120, 90},
                        {255, 230, 180}, {255, 80, 160}})},
      {"winter", build({{225, 235, 245}, {110, 120, 140}, {40, 80, 200}, {250, 250, 255},
                        {190, 200, 215}, {150, 200, 235}, {50, 90, 80}, {160, 150, 170},
                        {200, 30, 40}, {220, 40, 40}})},
      {"wueste", build({{220, 190, 120}, {150, 120, 90}, {200, 90, 40}, {250, 240, 200},
                        {245, 215, 150}, {60, 170, 180}, {120, 130, 50}, {190, 140, 90},
                        {255, 255, 230}, {40, 80, 200}})},
      {"nacht", build({{20, 50, 40}, {40, 40, 70}, {0, 220, 255}, {255, 0, 200},
                       {60, 60, 90}, {10, 20, 80}, {10, 40, 30}, {60, 50, 110},
                       {255, 255, 120}, {255, 140, 0}})},
      {"herbst", build({{150, 120, 50}, {100, 95, 90}, {180, 50, 20}, {240, 220, 180},
                        {200, 160, 100}, {70, 90, 120}, {200, 90, 20}, {140, 90, 60},
                        {250, 240, 220}, {40, 120, 60}})},
      {"retro_neon", build({{40, 10, 70}, {20, 20, 30}, {255, 40, 200}, {40, 255, 240},
                            {120, 40, 160}, {0, 120, 255}, {90, 0, 140}, {255, 120, 0},
                            {255, 255, 255}, {200, 255, 0}})},
      {"graustufen", build({{130, 130, 130}, {70, 70, 70}, {30, 30, 30}, {240, 240, 240},
                            {180, 180, 180}, {100, 100, 100}, {50, 50, 50}, {160, 160, 160},
                            {255, 255, 255}, {220, 220, 220}})},
  };
}

std::vector<uint8_t> draw_track(int w, int h) {
  std::vector<uint8_t> px(static_cast<size_t>(w) * h);
  const double kPi = 3.14159265358979;
  const double a = 0.80, b = 0.70, inner = 0.76;
  const double inner4 = std::pow(inner, 4), in_kerb4 = std::pow(inner + 0.025, 4);
  const double out_kerb4 = std::pow(0.975, 4), sand4 = std::pow(1.07, 4);
  const double lake_r = 0.26;
  for (int y = 0; y < h; ++y) {
    double ny = (y + 0.5) / h * 2 - 1;
    for (int x = 0; x < w; ++x) {
      double nx = (x + 0.5) / w * 2 - 1;
      double qx = nx / a, qy = ny / b;
      double s = qx * qx * qx * qx + qy * qy * qy * qy;
      uint32_t noise = hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
      uint8_t c;
      if (s >= inner4 && s <= 1.0) {
        if (s < in_kerb4 || s > out_kerb4) {
          double ang = std::atan2(ny, nx);
          int stripe = static_cast<int>(std::floor((ang + kPi) * 30 / kPi));
          c = (stripe & 1) ? shade(KERB_A, 12) : shade(KERB_B, 13);
        } else if (std::fabs(nx) < 0.02 && ny > 0) {  // start and finish line
          int cx = static_cast<int>((nx + 0.02) / 0.01), cy = static_cast<int>(ny / 0.0133);
          c = ((cx + cy) & 1) ? shade(MARKS, 15) : shade(CARS, 0);
        } else {
          c = shade(ASPHALT, 12 + static_cast<int>(noise % 5));
          // the racing line: a dashed white line in the middle of the lane
          double mid4 = std::pow((inner + 1.0) / 2, 4);
          if (std::fabs(s - mid4) < 0.006 && (static_cast<int>((std::atan2(ny, nx) + kPi) * 40) & 1))
            c = shade(MARKS, 12);
        }
      } else if (s > 1.0 && s < sand4) {
        c = shade(SAND, 14 + static_cast<int>(noise % 6));
      } else {
        double lx = nx * w / h, ly = ny;
        double d = std::sqrt(lx * lx + ly * ly);
        if (s < inner4 && d < lake_r) {
          c = shade(WATER, 10 + static_cast<int>((1 - d / lake_r) * 18) + static_cast<int>(noise % 3));
        } else if (ny < -0.86 && std::fabs(nx) < 0.45) {  // the grandstand
          int row = static_cast<int>((ny + 1) * 60);
          c = shade(STANDS, 8 + (row % 3) * 6 + static_cast<int>(noise % 3));
        } else {
          // trees on a coarse grid, mown stripes in between
          int gx = static_cast<int>((nx + 1) * 20), gy = static_cast<int>((ny + 1) * 15);
          uint32_t th = hash(static_cast<uint32_t>(gx) + 977u, static_cast<uint32_t>(gy));
          double tcx = (gx + 0.5) / 20 - 1, tcy = (gy + 0.5) / 15 - 1;
          double tdx = (nx - tcx) * w / h, tdy = ny - tcy;
          double tr = 0.03 + (th % 100) / 4000.0;
          bool tree_spot = (th % 5) == 0 && (s > std::pow(1.2, 4) || (s < std::pow(0.65, 4) &&
                                              std::sqrt(tcx * tcx * w * w / (h * h) + tcy * tcy) > lake_r + 0.08));
          double td = std::sqrt(tdx * tdx + tdy * tdy);
          if (tree_spot && td < tr) {
            c = shade(TREES, 8 + static_cast<int>((1 - td / tr) * 20) + static_cast<int>(noise % 3));
          } else {
            int stripe = static_cast<int>((nx + ny) * 12 + 100) & 1;
            c = shade(GRASS, 12 + stripe * 6 + static_cast<int>(noise % 4));
          }
        }
      }
      px[static_cast<size_t>(y) * w + x] = c;
    }
  }
  // a few cars on the lane, as small blocks
  const double car_angles[] = {0.35, 0.9, 2.3, 4.1};
  for (int i = 0; i < 4; ++i) {
    double t = car_angles[i];
    double ct = std::cos(t), st = std::sin(t);
    double r = (inner + 1.0) / 2 + (i % 2 ? 0.05 : -0.05);
    // a point on the superellipse of radius r in the direction t
    double k = r / std::pow(std::pow(std::fabs(ct / a), 4) + std::pow(std::fabs(st / b), 4), 0.25);
    int cx = static_cast<int>((ct * k + 1) / 2 * w), cy = static_cast<int>((st * k + 1) / 2 * h);
    int hw = std::max(2, w / 90), hh = std::max(2, h / 90);
    for (int y = cy - hh; y <= cy + hh; ++y)
      for (int x = cx - hw; x <= cx + hw; ++x)
        if (x >= 0 && y >= 0 && x < w && y < h)
          px[static_cast<size_t>(y) * w + x] = shade(CARS, 6 + i * 3);
  }
  return px;
}

std::vector<uint8_t> to_rgb(const std::vector<uint8_t>& indices, const Palette& pal) {
  std::vector<uint8_t> rgb(indices.size() * 3);
  for (size_t i = 0; i < indices.size(); ++i) {
    size_t p = static_cast<size_t>(indices[i]) * 3;
    rgb[i * 3 + 0] = p + 2 < pal.size() ? pal[p] : 0;
    rgb[i * 3 + 1] = p + 2 < pal.size() ? pal[p + 1] : 0;
    rgb[i * 3 + 2] = p + 2 < pal.size() ? pal[p + 2] : 0;
  }
  return rgb;
}

std::vector<uint8_t> flat_rgb(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return rgb;
}

bool write_jpeg_rows(const std::string& path, int w, int h, int quality,
                     const std::function<void(int y, uint8_t* row)>& fill, bool progressive) {
  if (w <= 0 || h <= 0) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    fill(static_cast<int>(cinfo.next_scanline), row.data());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  bool ok = std::ferror(f) == 0;
  return std::fclose(f) == 0 && ok;
}

bool write_jpeg(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h, int quality) {
  if (w <= 0 || h <= 0 || rgb.size() < static_cast<size_t>(w) * h * 3) return false;
  const size_t stride = static_cast<size_t>(w) * 3;
  return write_jpeg_rows(path, w, h, quality, [&](int y, uint8_t* row) {
    std::copy_n(rgb.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * stride), stride, row);
  });
}

std::string demo_ini(const std::string& palette_value) {
  return "[Game]\r\n"
         "Title = Pistova\r\n"
         "Version = 1.4\r\n"
         "\r\n"
         "[Graphics]\r\n"
         "ScreenWidth = 640\r\n"
         "ScreenHeight = 480\r\n"
         "PaletteFile = " + palette_value + "\r\n"
         "Fullscreen = 0\r\n"
         "\r\n"
         "[Sound]\r\n"
         "Music = 1\r\n"
         "Volume = 80\r\n"
         "\r\n"
         "[Controls]\r\n"
         "Steer = Arrows\r\n"
         "Throttle = Up\r\n";
}

std::vector<uint8_t> demo_options() {
  std::vector<uint8_t> o = {'P', 'S', 'O', 1, 8, 0, 0, 2, 0, 1, 0, 0, 3, 20, 20, 10, 60, 0, 0, 0};
  return o;
}

}  // namespace art
