// tw_artgen: draws Tintwerk's built-in pictures and its program icon.
//
// Regenerate the committed files (from the repository root):
//   TW_BUILD=/tmp/tw scripts/build native
//   /tmp/tw/native/tools/tw_artgen app/assets
// The output is the same on every run. The button pictures are 4-bit Windows
// bitmaps with fixed colour tables; the default preview is a baseline JFIF
// file written with libjpeg's compressor; the icon holds 32-bit 16x16 and
// 32x32 images.
//
// Files written into the given folder:
//   default_preview.jpg  image 100, 300 x 225
//   button_start.bmp     image 101, 98 x 32
//   button_palette.bmp   image 102, 80 x 32   (and 103 to 108 alike)
//   button_org.bmp, button_hotlap.bmp, button_race.bmp, button_menu.bmp,
//   button_top1.bmp, button_top2.bmp
//   tintwerk.ico
// and the same pictures for screens at 150 % and 200 % (144 and 192 DPI),
// drawn at 1.5 and 2 times the size, named with _150 and _200 before the
// extension (default_preview_150.jpg is 450 x 338, button_start_200.bmp
// 196 x 64 ...), and tintwerk_sizes.ico with the icon at 16, 24, 32, 48 and
// 64 pixels, the program's icon resource.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// ---------------------------------------------------------------------------
// Small helpers

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb rgb(double r, double g, double b) { return Rgb{r, g, b}; }
Rgb mix(Rgb a, Rgb b, double t) {
  return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb a, double f) { return Rgb{a.r * f, a.g * f, a.b * f}; }
Rgb add(Rgb a, double v) { return Rgb{a.r + v, a.g + v, a.b + v}; }
double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

struct Vec {
  double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double f) { return {a.x * f, a.y * f}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double len(Vec a) { return std::sqrt(dot(a, a)); }
Vec norm(Vec a) {
  double l = len(a);
  return l > 0 ? a * (1 / l) : a;
}

// Deterministic hash noise, so every run draws the same pixels.
uint32_t hash2(int x, int y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
               static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}
double rand01(int x, int y, uint32_t seed) { return (hash2(x, y, seed) & 0xFFFFFF) / double(0x1000000); }

double value_noise(double x, double y, uint32_t seed) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  double fx = x - xi, fy = y - yi;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  double a = rand01(xi, yi, seed), b = rand01(xi + 1, yi, seed);
  double c = rand01(xi, yi + 1, seed), d = rand01(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) / double(1 << 24);
  }
  double range(double a, double b) { return a + (b - a) * next(); }

 private:
  uint32_t state_;
};

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "tw_artgen: cannot create %s\n", path.c_str());
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "tw_artgen: cannot write %s\n", path.c_str());
  return ok;
}

void put16(std::vector<uint8_t>& v, unsigned x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

// ---------------------------------------------------------------------------
// Pixel font: a bold sans-serif face with two-pixel stems. Rows 0-9 hold the
// capitals (baseline under row 9), lower case starts at row 3, descenders
// reach row 12.

struct Glyph {
  char ch;
  std::array<const char*, 13> rows;
};

// clang-format off
const Glyph kFont[] = {
  {' ', {"...", "", "", "", "", "", "", "", "", "", "", "", ""}},
  {'S', {".#####.", "##...##", "##.....", "###....", ".#####.", "....###", ".....##", ".....##", "##...##", ".#####.", "", "", ""}},
  {'P', {"######.", "##...##", "##...##", "##...##", "##...##", "######.", "##.....", "##.....", "##.....", "##.....", "", "", ""}},
  {'O', {"..####..", ".##..##.", "##....##", "##....##", "##....##", "##....##", "##....##", "##....##", ".##..##.", "..####..", "", "", ""}},
  {'H', {"##....##", "##....##", "##....##", "##....##", "########", "########", "##....##", "##....##", "##....##", "##....##", "", "", ""}},
  {'R', {"######..", "##...##.", "##...##.", "##...##.", "##...##.", "######..", "##..##..", "##...##.", "##...##.", "##....##", "", "", ""}},
  {'M', {"##......##", "###....###", "####..####", "##.####.##", "##..##..##", "##......##", "##......##", "##......##", "##......##", "##......##", "", "", ""}},
  {'T', {"########", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...", "", "", ""}},
  {'1', {"..##..", "####..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "######", "", "", ""}},
  {'2', {".#####.", "##...##", ".....##", ".....##", "....##.", "...##..", "..##...", ".##....", "##.....", "#######", "", "", ""}},
  {'=', {".......", "", "", "#######", "#######", "", "", "#######", "#######", "", "", "", ""}},
  {'a', {"......", "", "", ".####.", "....##", ".#####", "##..##", "##..##", "##..##", ".#####", "", "", ""}},
  {'c', {"......", "", "", ".#####", "##....", "##....", "##....", "##....", "##....", ".#####", "", "", ""}},
  {'e', {".......", "", "", ".#####.", "##...##", "##...##", "#######", "##.....", "##...##", ".#####.", "", "", ""}},
  {'g', {".......", "", "", ".######", "##...##", "##...##", "##...##", "##...##", "##...##", ".######", ".....##", ".....##", ".#####."}},
  {'l', {"##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "", "", ""}},
  {'n', {".......", "", "", "##.###.", "###..##", "##...##", "##...##", "##...##", "##...##", "##...##", "", "", ""}},
  {'o', {".......", "", "", ".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####.", "", "", ""}},
  {'p', {".......", "", "", "######.", "##...##", "##...##", "##...##", "##...##", "##...##", "######.", "##.....", "##.....", "##....."}},
  {'r', {".....", "", "", "##.##", "#####", "###..", "##...", "##...", "##...", "##...", "", "", ""}},
  {'t', {".....", ".##..", ".##..", "#####", ".##..", ".##..", ".##..", ".##..", ".##..", "..###", "", "", ""}},
  {'u', {".......", "", "", "##...##", "##...##", "##...##", "##...##", "##...##", "##..###", ".###.##", "", "", ""}},
};
// clang-format on

const Glyph& glyph(char c) {
  for (const Glyph& g : kFont)
    if (g.ch == c) return g;
  std::fprintf(stderr, "tw_artgen: no glyph for '%c'\n", c);
  std::exit(1);
}

int glyph_width(const Glyph& g) {
  size_t w = 0;
  for (const char* r : g.rows) w = std::max(w, std::strlen(r));
  return static_cast<int>(w);
}

int text_width(const std::string& s) {
  int w = 0;
  for (size_t i = 0; i < s.size(); ++i) w += glyph_width(glyph(s[i])) + (i + 1 < s.size() ? 1 : 0);
  return w;
}

// ---------------------------------------------------------------------------
// 4-bit button pictures

struct IndexImage {
  int w, h;
  std::vector<uint8_t> px;
  IndexImage(int width, int height, uint8_t background)
      : w(width), h(height), px(static_cast<size_t>(width) * height, background) {}
  void set(int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
  }
  uint8_t get(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  void rect(int x0, int y0, int x1, int y1, uint8_t c) {  // inclusive corners
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) set(x, y, c);
  }
};

void draw_text(IndexImage& img, int x, int top, const std::string& s, uint8_t colour) {
  for (char c : s) {
    const Glyph& g = glyph(c);
    for (int row = 0; row < 13; ++row)
      for (int col = 0; g.rows[row][col]; ++col)
        if (g.rows[row][col] == '#') img.set(x + col, top + row, colour);
    x += glyph_width(g) + 1;
  }
}

using ColourTable = std::array<std::array<uint8_t, 3>, 16>;  // red, green, blue

// Colours of the start button (race car).
const ColourTable kStartColours = {{{0, 49, 74},
                                    {16, 16, 16},
                                    {49, 49, 49},
                                    {82, 82, 82},
                                    {189, 189, 189},
                                    {222, 231, 239},
                                    {255, 0, 0},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255},
                                    {255, 255, 255}}};
namespace sc {
constexpr uint8_t kText = 0, kBlack = 1, kDark = 2, kGrey = 3, kLight = 4, kBack = 5, kRed = 6, kWhite = 7;
}

// Colours shared by the other buttons.
const ColourTable kButtonColours = {{{0, 49, 74},
                                     {0, 66, 132},
                                     {16, 16, 16},
                                     {41, 115, 239},
                                     {74, 115, 49},
                                     {90, 132, 57},
                                     {90, 156, 222},
                                     {156, 214, 90},
                                     {206, 0, 0},
                                     {222, 231, 239},
                                     {239, 247, 255},
                                     {255, 99, 99},
                                     {255, 255, 0},
                                     {255, 255, 255},
                                     {255, 255, 255},
                                     {255, 255, 255}}};
namespace bc {
constexpr uint8_t kText = 0, kNavy = 1, kBlack = 2, kBlue = 3, kDarkGreen = 4, kGreen = 5, kSky = 6,
                  kLightGreen = 7, kRed = 8, kBack = 9, kPale = 10, kPink = 11, kYellow = 12, kWhite = 13;
}

std::vector<uint8_t> encode_bmp4(const IndexImage& img, const ColourTable& colours) {
  const uint32_t stride = ((static_cast<uint32_t>(img.w) * 4 + 31) / 32) * 4;
  const uint32_t image_size = stride * static_cast<uint32_t>(img.h);
  const uint32_t offset = 14 + 40 + 16 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + image_size);
  put16(out, 0);
  put16(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, static_cast<uint32_t>(img.w));
  put32(out, static_cast<uint32_t>(img.h));  // positive: bottom-up rows
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);  // BI_RGB
  put32(out, image_size);
  put32(out, 0);
  put32(out, 0);
  put32(out, 16);
  put32(out, 16);
  for (const auto& c : colours) {
    out.push_back(c[2]);
    out.push_back(c[1]);
    out.push_back(c[0]);
    out.push_back(0);
  }
  for (int y = img.h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < img.w; ++x) {
      uint8_t v = img.get(x, y) & 0x0F;
      row[x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(v << 4) : v;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// Top row of capitals so that a line of text sits in the middle of the picture.
constexpr int kCapTop = 11;

// A race car seen from above, nose to the right; (x, y) is its top-left corner,
// 34 x 20 pixels.
void draw_race_car(IndexImage& img, int x, int y) {
  using namespace sc;
  IndexImage car(34, 20, 255);
  // Fills rows r0..r1 and their mirror images about the car's centre line.
  auto sym = [&](int x0, int x1, int r0, int r1, uint8_t c) {
    car.rect(x0, r0, x1, r1, c);
    car.rect(x0, 19 - r1, x1, 19 - r0, c);
  };
  // Tyres with a little tread.
  sym(4, 11, 0, 4, kBlack);
  sym(22, 28, 1, 4, kBlack);
  for (int tx = 5; tx <= 10; tx += 2) sym(tx, tx, 1, 1, kGrey);
  for (int tx = 23; tx <= 27; tx += 2) sym(tx, tx, 2, 2, kGrey);
  // Suspension arms.
  sym(6, 9, 5, 5, kDark);
  sym(24, 26, 5, 5, kDark);
  sym(25, 25, 6, 7, kDark);
  // Rear wing with end plates.
  sym(0, 3, 2, 3, kDark);
  sym(0, 2, 4, 9, kRed);
  sym(3, 3, 4, 9, kWhite);
  // Gearbox and engine cover.
  sym(4, 7, 8, 9, kDark);
  sym(8, 12, 7, 9, kRed);
  // Side pods.
  sym(10, 21, 5, 9, kRed);
  sym(12, 19, 5, 5, kWhite);
  sym(21, 21, 5, 6, kDark);
  // Nose and front wing.
  sym(22, 31, 8, 9, kRed);
  sym(20, 31, 9, 9, kWhite);
  sym(30, 33, 3, 7, kRed);
  sym(30, 33, 3, 3, kDark);
  sym(33, 33, 4, 7, kWhite);
  // Cockpit with the driver's helmet.
  sym(14, 19, 7, 9, kBlack);
  sym(15, 17, 8, 9, kWhite);
  sym(18, 18, 9, 9, kLight);
  sym(15, 15, 9, 9, kLight);

  // Soft shadow first, then the car itself.
  for (int cy = 0; cy < car.h; ++cy)
    for (int cx = 0; cx < car.w; ++cx)
      if (car.get(cx, cy) != 255 && img.get(x + cx + 1, y + cy + 1) == kBack) img.set(x + cx + 1, y + cy + 1, kLight);
  for (int cy = 0; cy < car.h; ++cy)
    for (int cx = 0; cx < car.w; ++cx)
      if (car.get(cx, cy) != 255) img.set(x + cx, y + cy, car.get(cx, cy));
}

// A 3 x 3 block of colour cells (4 x 4 pixels each) in a dark frame,
// 16 x 16 pixels.
void draw_swatch(IndexImage& img, int x, int y, const std::array<uint8_t, 9>& cells) {
  img.rect(x, y, x + 15, y + 15, bc::kBlack);
  for (int i = 0; i < 9; ++i) {
    int cx = x + 1 + (i % 3) * 5, cy = y + 1 + (i / 3) * 5;
    img.rect(cx, cy, cx + 3, cy + 3, cells[i]);
  }
}

const std::array<uint8_t, 9> kSwatchA = {bc::kNavy,      bc::kBlue,  bc::kSky,         //
                                         bc::kDarkGreen, bc::kGreen, bc::kLightGreen,  //
                                         bc::kRed,       bc::kPink,  bc::kYellow};
const std::array<uint8_t, 9> kSwatchB = {bc::kYellow, bc::kLightGreen, bc::kSky,    //
                                         bc::kPink,   bc::kGreen,      bc::kBlue,   //
                                         bc::kRed,    bc::kDarkGreen,  bc::kNavy};

// A horizontal arrow with heads at both ends, 16 x 9 pixels, centred on row y.
void draw_double_arrow(IndexImage& img, int x, int y, uint8_t c) {
  img.rect(x + 3, y - 1, x + 12, y, c);
  for (int i = 0; i < 5; ++i) {
    img.rect(x + i, y - i, x + i, y + i - 1, c);
    img.rect(x + 15 - i, y - i, x + 15 - i, y + i - 1, c);
  }
}

// A round green signal lamp, 20 x 20 pixels at scale 1 (20k x 20k at scale
// k), (x, y) its top-left corner.
void draw_lamp(IndexImage& img, int x, int y, double k = 1) {
  using namespace bc;
  const double cx = 9.5, cy = 9.5, r = 10.1;
  const int size = static_cast<int>(std::lround(20 * k));
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px) {
      // The pixel's centre in the drawing's own pixels.
      double dx = (px + 0.5) / k - 0.5 - cx, dy = (py + 0.5) / k - 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
      if (d > r) continue;
      uint8_t c;
      if (d > r - 1.5) {
        c = kBlack;
      } else {
        // Lit glass: bright in the middle, a highlight at the top left and a
        // darker rim towards the lower right.
        double hx = dx + 3, hy = dy + 3;
        double dh = std::sqrt(hx * hx + hy * hy);
        if (dh < 1.6)
          c = kPale;
        else if (d > r - 2.6 && dx + dy > 1)
          c = kDarkGreen;
        else if (d > r - 4.2 && dx + dy > 4)
          c = kGreen;
        else
          c = kLightGreen;
      }
      img.set(x + px, y + py, c);
    }
}

// The picture at k times its size: every pixel of the drawing becomes a block
// of k x k pixels (1.5 x 1.5 blocks alternate between one and two pixels; the
// two-pixel stems of the lettering become three), so edges stay sharp.
IndexImage enlarged(const IndexImage& img, double k) {
  IndexImage out(static_cast<int>(std::lround(img.w * k)), static_cast<int>(std::lround(img.h * k)), 0);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x)
      out.set(x, y, img.get(std::min(img.w - 1, static_cast<int>((x + 0.5) / k)),
                            std::min(img.h - 1, static_cast<int>((y + 0.5) / k))));
  return out;
}

IndexImage button_start() {
  IndexImage img(98, 32, sc::kBack);
  draw_race_car(img, 6, 6);
  const std::string word = "Start";
  int area = 44, tw = text_width(word);
  draw_text(img, area + (98 - area - tw) / 2, kCapTop, word, sc::kText);
  return img;
}

IndexImage button_word(const std::string& word, uint8_t colour) {
  IndexImage img(80, 32, bc::kBack);
  draw_text(img, (80 - text_width(word)) / 2, kCapTop, word, colour);
  return img;
}

IndexImage button_palette() {
  IndexImage img(80, 32, bc::kBack);
  const std::string word = "Palette";
  draw_text(img, (80 - text_width(word)) / 2, 2, word, bc::kText);
  const int total = 16 + 4 + 16 + 4 + 16;
  int x = (80 - total) / 2;
  draw_swatch(img, x, 14, kSwatchA);
  draw_double_arrow(img, x + 20, 22, bc::kText);
  draw_swatch(img, x + 40, 14, kSwatchB);
  return img;
}

IndexImage button_org() {
  IndexImage img(80, 32, bc::kBack);
  const std::string word = "= Org";
  int total = 16 + 5 + text_width(word);
  int x = (80 - total) / 2;
  draw_swatch(img, x, 8, kSwatchA);
  draw_text(img, x + 21, kCapTop, word, bc::kText);
  return img;
}

// At scale k the lamp, a round shape, is drawn anew at its size.
IndexImage button_top(const std::string& word, double k = 1) {
  IndexImage img(80, 32, bc::kBack);
  int total = 20 + 6 + text_width(word);
  int x = (80 - total) / 2;
  draw_lamp(img, x, 6);
  draw_text(img, x + 26, kCapTop, word, bc::kText);
  if (k == 1) return img;
  IndexImage big = enlarged(img, k);
  const int bx = static_cast<int>(std::lround(x * k)), by = static_cast<int>(std::lround(6 * k));
  const int size = static_cast<int>(std::lround(20 * k));
  big.rect(bx, by, bx + size - 1, by + size - 1, bc::kBack);
  draw_lamp(big, bx, by, k);
  return big;
}

// ---------------------------------------------------------------------------
// Full-colour drawing for the default preview and the icon

struct Picture {
  int w, h;
  std::vector<Rgb> px;
  Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height) {}
  Rgb& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
};

constexpr int kSuper = 4;  // samples per pixel along each axis

// Fills a w x h area at (x0, y0) with the average of kSuper x kSuper samples
// of colour(sx, sy) per pixel; sx and sy count samples from the area's corner.
template <class F>
void render(Picture& pic, int x0, int y0, int w, int h, F colour) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb sum;
      for (int sy = 0; sy < kSuper; ++sy)
        for (int sx = 0; sx < kSuper; ++sx) {
          Rgb c = colour(x * kSuper + sx, y * kSuper + sy);
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
        }
      pic.at(x0 + x, y0 + y) = scale(sum, 1.0 / (kSuper * kSuper));
    }
}

double sample_pos(int s) { return (s + 0.5) / kSuper; }

// Signed distances (negative inside).
double sd_round_box(Vec p, Vec centre, Vec half, double radius) {
  Vec q{std::fabs(p.x - centre.x) - half.x + radius, std::fabs(p.y - centre.y) - half.y + radius};
  Vec qm{std::max(q.x, 0.0), std::max(q.y, 0.0)};
  return len(qm) + std::min(std::max(q.x, q.y), 0.0) - radius;
}

double sd_segment(Vec p, Vec a, Vec b) {
  Vec pa = p - a, ba = b - a;
  double h = clamp01(dot(pa, ba) / dot(ba, ba));
  return len(pa - ba * h);
}

double sd_triangle(Vec p, Vec a, Vec b, Vec c) {
  Vec e0 = b - a, e1 = c - b, e2 = a - c;
  Vec v0 = p - a, v1 = p - b, v2 = p - c;
  Vec pq0 = v0 - e0 * clamp01(dot(v0, e0) / dot(e0, e0));
  Vec pq1 = v1 - e1 * clamp01(dot(v1, e1) / dot(e1, e1));
  Vec pq2 = v2 - e2 * clamp01(dot(v2, e2) / dot(e2, e2));
  double s = (cross(e0, e2) < 0) ? -1.0 : 1.0;
  double dx = std::min({dot(pq0, pq0), dot(pq1, pq1), dot(pq2, pq2)});
  double dy = std::min({s * cross(v0, e0), s * cross(v1, e1), s * cross(v2, e2)});
  return -std::sqrt(dx) * (dy < 0 ? -1.0 : 1.0);
}

// ---------------------------------------------------------------------------
// The race track of the default preview (one quarter, 150 x 112)

constexpr int kQuarterW = 150, kQuarterH = 112;
constexpr double kHalfWidth = 4.6;  // half the width of the tarmac

struct Track {
  std::vector<Vec> pts;  // closed polyline, last point joins the first
  std::vector<double> arc;
  std::vector<double> curve;  // signed curvature (1 / radius)
  double length = 0;
};

Track build_track() {
  // Control points of a closed Catmull-Rom curve, clockwise on screen.
  const std::vector<Vec> ctrl = {{28, 17},  {64, 17},  {100, 17}, {124, 19}, {136, 30}, {134, 46},
                                 {120, 54}, {100, 52}, {88, 60},  {92, 74},  {110, 80}, {130, 84},
                                 {136, 96}, {124, 102}, {90, 102}, {58, 100}, {34, 96},  {18, 86},
                                 {14, 66},  {26, 54},  {40, 46},  {36, 34},  {18, 30},  {14, 22}};
  Track t;
  const int n = static_cast<int>(ctrl.size());
  const int steps = 24;
  for (int i = 0; i < n; ++i) {
    Vec p0 = ctrl[(i + n - 1) % n], p1 = ctrl[i], p2 = ctrl[(i + 1) % n], p3 = ctrl[(i + 2) % n];
    for (int s = 0; s < steps; ++s) {
      double u = double(s) / steps, u2 = u * u, u3 = u2 * u;
      Vec p = (p1 * 2 + (p2 - p0) * u + (p0 * 2 - p1 * 5 + p2 * 4 - p3) * u2 + (p1 * 3 - p0 - p2 * 3 + p3) * u3) * 0.5;
      t.pts.push_back(p);
    }
  }
  const int m = static_cast<int>(t.pts.size());
  t.arc.resize(m);
  double s = 0;
  for (int i = 0; i < m; ++i) {
    t.arc[i] = s;
    s += len(t.pts[(i + 1) % m] - t.pts[i]);
  }
  t.length = s;
  std::vector<double> raw(m);
  for (int i = 0; i < m; ++i) {
    Vec a = t.pts[(i + m - 1) % m], b = t.pts[i], c = t.pts[(i + 1) % m];
    Vec d1 = b - a, d2 = c - b;
    double turn = std::atan2(cross(d1, d2), dot(d1, d2));
    raw[i] = turn / std::max(1e-6, 0.5 * (len(d1) + len(d2)));
  }
  t.curve.resize(m);
  const int win = 8;
  for (int i = 0; i < m; ++i) {
    double sum = 0;
    for (int k = -win; k <= win; ++k) sum += raw[(i + k + m) % m];
    t.curve[i] = sum / (2 * win + 1);
  }
  return t;
}

struct TrackHit {
  double dist;   // distance from the centre line
  double arc;    // arc length of the nearest point
  double side;   // > 0 on the right of the driving direction (screen coordinates)
  double curve;  // signed curvature there
  Vec dir;       // driving direction there
};

TrackHit nearest(const Track& t, Vec p) {
  const int m = static_cast<int>(t.pts.size());
  TrackHit best{1e9, 0, 0, 0, {1, 0}};
  for (int i = 0; i < m; ++i) {
    Vec a = t.pts[i], b = t.pts[(i + 1) % m];
    Vec ab = b - a;
    double l2 = dot(ab, ab);
    double h = l2 > 0 ? clamp01(dot(p - a, ab) / l2) : 0;
    Vec q = a + ab * h;
    double d = len(p - q);
    if (d < best.dist) {
      best.dist = d;
      best.arc = t.arc[i] + h * std::sqrt(l2);
      best.side = cross(ab, p - q);
      best.curve = t.curve[i] + (t.curve[(i + 1) % m] - t.curve[i]) * h;
      best.dir = norm(ab);
    }
  }
  return best;
}

struct Scenery {
  struct Tree {
    Vec c;
    double r;
  };
  struct Car {
    Vec c, dir;
    Rgb colour;
  };
  std::vector<Tree> trees;
  std::vector<Car> cars;
  // Lake in the infield.
  Vec lake_c{56, 72};
  Vec lake_r{17, 9};
};

double lake_value(const Scenery& sc, Vec p) {  // < 1 inside the lake ellipse
  double dx = (p.x - sc.lake_c.x) / sc.lake_r.x, dy = (p.y - sc.lake_c.y) / sc.lake_r.y;
  return std::sqrt(dx * dx + dy * dy);
}

// Buildings along the main straight.
const Vec kStandC{64, 7}, kStandH{26, 3.2};       // grandstand outside the straight
const Vec kPitC{66, 30.5}, kPitH{22, 2.6};        // pit building in the infield
const double kPitLaneY0 = 23.4, kPitLaneY1 = 26.2;  // pit lane between them
const double kPitLaneX0 = 38, kPitLaneX1 = 94;
const double kStartX = 84;

Scenery build_scenery(const Track& t) {
  Scenery sc;
  Lcg rng(20250611);
  int attempts = 0;
  while (sc.trees.size() < 70 && attempts < 20000) {
    ++attempts;
    Vec c{rng.range(2, kQuarterW - 2), rng.range(2, kQuarterH - 2)};
    double r = rng.range(2.2, 3.8);
    if (nearest(t, c).dist < kHalfWidth + 9 + r) continue;
    if (lake_value(sc, c) < 1.0 + (r + 3) / sc.lake_r.y) continue;
    if (sd_round_box(c, kStandC, kStandH, 0) < r + 2) continue;
    if (sd_round_box(c, kPitC, kPitH, 0) < r + 3) continue;
    if (c.y < kPitLaneY1 + r + 6 && c.x > kPitLaneX0 - 6 && c.x < kPitLaneX1 + 6) continue;
    bool crowded = false;
    for (const auto& o : sc.trees)
      if (len(o.c - c) < o.r + r - 0.8) crowded = true;
    if (crowded) continue;
    sc.trees.push_back({c, r});
  }
  // Three cars on the track, driving clockwise.
  const double at[3] = {0.18, 0.47, 0.71};
  const double lateral[3] = {1.4, -1.2, 0.8};
  const Rgb colours[3] = {rgb(225, 30, 30), rgb(40, 95, 225), rgb(245, 200, 30)};
  const int m = static_cast<int>(t.pts.size());
  for (int k = 0; k < 3; ++k) {
    int i = static_cast<int>(at[k] * m);
    Vec dir = norm(t.pts[(i + 1) % m] - t.pts[i]);
    Vec side{-dir.y, dir.x};
    sc.cars.push_back({t.pts[i] + side * lateral[k], dir, colours[k]});
  }
  return sc;
}

// The colours one game palette gives to the things on the track picture.
struct Look {
  Rgb grass, grass_stripe, tarmac, line, kerb_red, kerb_white, gravel, water, water_light, shore;
  Rgb tree, tree_light, roof, roof_edge, pit_lane;
  double tree_shine;        // how far the lit side of a tree goes towards tree_light
  double shadow;            // how much a shadow darkens the ground
  Rgb (*other)(Rgb);        // for the cars and the crowd
};

Rgb keep(Rgb c) { return c; }

Rgb dark_grey(Rgb c) {
  double l = 0.30 * c.r + 0.59 * c.g + 0.11 * c.b;
  double v = 14 + l * 0.56;
  return rgb(v, v + 1, v + 5);
}

Rgb wintry_other(Rgb c) { return mix(c, rgb(210, 225, 240), 0.25); }

Look natural_look() {
  Look k;
  k.grass = rgb(92, 150, 64);
  k.grass_stripe = rgb(80, 136, 56);
  k.tarmac = rgb(98, 100, 106);
  k.line = rgb(246, 246, 246);
  k.kerb_red = rgb(214, 40, 36);
  k.kerb_white = rgb(246, 246, 246);
  k.gravel = rgb(226, 206, 150);
  k.water = rgb(52, 112, 190);
  k.water_light = rgb(120, 176, 228);
  k.shore = rgb(200, 186, 140);
  k.tree = rgb(34, 86, 38);
  k.tree_light = rgb(88, 146, 62);
  k.roof = rgb(206, 208, 214);
  k.roof_edge = rgb(120, 124, 134);
  k.pit_lane = rgb(112, 114, 120);
  k.tree_shine = 0.9;
  k.shadow = 0.62;
  k.other = keep;
  return k;
}

Look grey_look() {
  Look n = natural_look();
  Look k = n;
  for (Rgb* c : {&k.grass, &k.grass_stripe, &k.tarmac, &k.line, &k.kerb_red, &k.kerb_white, &k.gravel, &k.water,
                 &k.water_light, &k.shore, &k.tree, &k.tree_light, &k.roof, &k.roof_edge, &k.pit_lane})
    *c = dark_grey(*c);
  k.other = dark_grey;
  return k;
}

Look wintry_look() {
  Look k;
  k.grass = rgb(238, 243, 250);
  k.grass_stripe = rgb(231, 238, 247);
  k.tarmac = rgb(112, 120, 134);
  k.line = rgb(250, 252, 255);
  k.kerb_red = rgb(196, 70, 76);
  k.kerb_white = rgb(244, 246, 250);
  k.gravel = rgb(214, 222, 234);
  k.water = rgb(170, 204, 232);
  k.water_light = rgb(222, 238, 252);
  k.shore = rgb(196, 208, 224);
  k.tree = rgb(40, 78, 70);
  k.tree_light = rgb(232, 240, 248);
  k.roof = rgb(246, 248, 252);
  k.roof_edge = rgb(132, 142, 160);
  k.pit_lane = rgb(128, 136, 150);
  k.tree_shine = 1.6;  // snow on the crowns
  k.shadow = 0.84;
  k.other = wintry_other;
  return k;
}

// One quarter drawn at k times its size: w x h pixels, each sampled at its
// place in the quarter's own 150 x 112 frame.
class TrackPicture {
 public:
  TrackPicture(double k, int w, int h) : k_(k), w_(w), h_(h), track_(build_track()), scenery_(build_scenery(track_)) {
    const int sw = w * kSuper, sh = h * kSuper;
    hits_.resize(static_cast<size_t>(sw) * sh);
    for (int sy = 0; sy < sh; ++sy)
      for (int sx = 0; sx < sw; ++sx)
        hits_[static_cast<size_t>(sy) * sw + sx] = nearest(track_, {sample_pos(sx) / k, sample_pos(sy) / k});
  }

  void draw(Picture& pic, int x0, int y0, const Look& look) const {
    render(pic, x0, y0, w_, h_, [&](int sx, int sy) {
      return colour(look, {sample_pos(sx) / k_, sample_pos(sy) / k_}, hits_[static_cast<size_t>(sy) * w_ * kSuper + sx]);
    });
  }

 private:
  // The ground under everything that stands on it: grass, gravel, lake.
  Rgb ground(const Look& k, Vec p, const TrackHit& h) const {
    // Mown grass: broad diagonal stripes with a little noise.
    bool stripe = static_cast<int>(std::floor((p.x + p.y * 0.6) / 7.0)) % 2 == 0;
    Rgb g = stripe ? k.grass_stripe : k.grass;
    g = add(g, (value_noise(p.x * 0.45, p.y * 0.45, 7) - 0.5) * 10 + (rand01(int(p.x * 2), int(p.y * 2), 9) - 0.5) * 5);

    // Gravel traps on the outside of the tighter corners.
    double outside = -h.side * h.curve;  // > 0 outside the bend
    double depth = std::min(6.0, std::max(0.0, (std::fabs(h.curve) - 0.07) * 120));
    if (outside > 0 && depth > 0.5 && h.dist < kHalfWidth + 1.8 + depth) {
      Rgb s = add(k.gravel, (rand01(int(p.x * 3), int(p.y * 3), 5) - 0.5) * 14);
      return s;
    }

    double lv = lake_value(scenery_, p);
    if (lv < 1.0) {
      double ripple = std::sin((p.x * 0.9 + p.y * 2.2)) * 0.5 + 0.5;
      Rgb w = mix(k.water, k.water_light, 0.15 + 0.25 * (1 - lv) + (ripple > 0.93 ? 0.4 : 0.0));
      if (lv > 0.86) w = k.shore;
      return w;
    }
    return g;
  }

  Rgb colour(const Look& k, Vec p, const TrackHit& h) const {
    // Cars on the track, with a small shadow.
    for (const auto& car : scenery_.cars) {
      Vec d = p - car.c;
      double along = dot(d, car.dir), across = cross(car.dir, d);
      if (std::fabs(along) < 2.4 && std::fabs(across) < 1.2) {
        if (along > -0.6 && along < 0.6 && std::fabs(across) < 0.6) return k.other(rgb(30, 30, 34));
        return k.other(car.colour);
      }
    }

    if (h.dist < kHalfWidth) {
      // Start and finish: a two-row chequered band across the straight.
      if (p.y < 30 && p.x >= kStartX && p.x < kStartX + 2) {
        bool white = (static_cast<int>(std::floor(p.x - kStartX)) + static_cast<int>(std::floor(p.y))) % 2 == 0;
        return white ? k.line : k.other(rgb(20, 20, 22));
      }
      if (h.dist > kHalfWidth - 0.6) return k.line;
      Rgb t = add(k.tarmac, (rand01(int(p.x * 2), int(p.y * 2), 3) - 0.5) * 6);
      // A darker racing line worn into the middle of the tarmac.
      if (h.dist < 1.4) t = scale(t, 0.94);
      for (const auto& car : scenery_.cars) {
        Vec d = p - car.c - Vec{0.7, 0.7};
        if (std::fabs(dot(d, car.dir)) < 2.4 && std::fabs(cross(car.dir, d)) < 1.2) t = scale(t, 0.7);
      }
      return t;
    }
    // Kerbs on the bends.
    if (h.dist < kHalfWidth + 1.6 && std::fabs(h.curve) > 0.06) {
      return (static_cast<int>(std::floor(h.arc / 2.0)) % 2 == 0) ? k.kerb_red : k.kerb_white;
    }

    // Pit lane and its exits onto the straight.
    bool lane = p.x > kPitLaneX0 && p.x < kPitLaneX1 && p.y > kPitLaneY0 && p.y < kPitLaneY1;
    if (!lane) {
      double dl = std::min(sd_segment(p, {kPitLaneX0, 24.8}, {kPitLaneX0 - 10, 19.5}),
                           sd_segment(p, {kPitLaneX1, 24.8}, {kPitLaneX1 + 10, 19.5}));
      lane = dl < 1.4;
    }
    if (lane) return add(k.pit_lane, (rand01(int(p.x * 2), int(p.y * 2), 4) - 0.5) * 5);

    // Grandstand: a roof edge and rows of spectators.
    double ds = sd_round_box(p, kStandC, kStandH, 0.4);
    if (ds < 0) {
      if (p.y < kStandC.y - kStandH.y + 1.0 || ds > -0.5) return k.roof_edge;
      int cx = static_cast<int>(std::floor(p.x)), cy = static_cast<int>(std::floor(p.y));
      static const Rgb crowd[6] = {rgb(230, 60, 50), rgb(250, 220, 80), rgb(60, 110, 220),
                                   rgb(240, 240, 240), rgb(60, 170, 90), rgb(240, 140, 60)};
      if (cy % 2 == 0) return k.roof;
      return k.other(crowd[hash2(cx, cy, 11) % 6]);
    }
    // Pit building with a flat roof.
    double dp = sd_round_box(p, kPitC, kPitH, 0.5);
    if (dp < 0) return dp > -0.7 ? k.roof_edge : mix(k.roof, k.roof_edge, (p.x - kPitC.x + kPitH.x) / (2 * kPitH.x) * 0.2);

    // Trees, lit from the top left.
    for (const auto& t : scenery_.trees) {
      Vec d = p - t.c;
      double dd = len(d);
      if (dd < t.r) {
        double light = clamp01(0.5 - (d.x + d.y) / (2.2 * t.r));
        Rgb c = mix(k.tree, k.tree_light, std::min(1.0, light * light * k.tree_shine));
        return add(c, (value_noise(p.x * 1.6, p.y * 1.6, 21) - 0.5) * 16);
      }
    }
    Rgb g = ground(k, p, h);
    // Shadows cast to the lower right by trees and buildings.
    bool shade = false;
    Vec ps = p - Vec{1.3, 1.3};
    for (const auto& t : scenery_.trees)
      if (len(ps - t.c) < t.r) shade = true;
    if (sd_round_box(ps, kStandC, kStandH, 0.4) < 0 || sd_round_box(ps, kPitC, kPitH, 0.5) < 0) shade = true;
    if (shade) g = scale(g, k.shadow);
    return g;
  }

  double k_;
  int w_, h_;
  Track track_;
  Scenery scenery_;
  std::vector<TrackHit> hits_;
};

// ---------------------------------------------------------------------------
// The swatch quarter: a grid of colour cells and a large curved arrow

Rgb hsv(double h, double s, double v) {
  h = std::fmod(h, 360.0) / 60.0;
  int i = static_cast<int>(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r, g, b;
  switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  return rgb(r * 255, g * 255, b * 255);
}

struct Arrow {
  Vec centre{92, 56};
  double radius = 36, half = 3.6;
  double a0 = -1.25, a1 = 1.25;  // radians, y down
  double head_len = 13, head_half = 8.5;

  Vec at(double a) const { return centre + Vec{std::cos(a), std::sin(a)} * radius; }
  Vec tangent(double a) const { return {-std::sin(a), std::cos(a)}; }

  double sd(Vec p) const {
    Vec d = p - centre;
    double a = std::atan2(d.y, d.x);
    double body = 1e9;
    if (a >= a0 && a <= a1) body = std::fabs(len(d) - radius) - half;
    // Heads: at the start pointing backwards along the arc, at the end forwards.
    double best = body;
    for (int e = 0; e < 2; ++e) {
      double ang = e == 0 ? a0 : a1;
      Vec base = at(ang);
      Vec t = tangent(ang) * (e == 0 ? -1.0 : 1.0);
      Vec n{-t.y, t.x};
      Vec tip = base + t * head_len;
      best = std::min(best, sd_triangle(p, base + n * head_half, tip, base - n * head_half));
    }
    return best;
  }
};

Rgb swatch_quarter(Vec p) {
  // Light paper with a faint vertical gradient.
  Rgb back = mix(rgb(246, 248, 251), rgb(226, 232, 241), p.y / kQuarterH);

  const int cols = 4, rows = 4;
  const double cell = 13, gap = 4;
  const Vec origin{9, (kQuarterH - (rows * cell + (rows - 1) * gap)) / 2};
  for (int pass = 0; pass < 2; ++pass) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        Vec centre = origin + Vec{c * (cell + gap) + cell / 2, r * (cell + gap) + cell / 2};
        Vec half{cell / 2, cell / 2};
        if (pass == 0) {
          // Soft shadow.
          double ds = sd_round_box(p - Vec{1.2, 1.5}, centre, half, 2.5);
          if (ds < 1.2) back = scale(back, 1 - 0.16 * clamp01((1.2 - ds) / 1.6));
          continue;
        }
        double d = sd_round_box(p, centre, half, 2.5);
        if (d < 0) {
          int i = r * cols + c;
          Rgb fill = hsv(i * 360.0 / 16 + 5, i % 2 ? 0.62 : 0.78, (r % 2 ? 0.92 : 0.84));
          // A little gloss on the upper half.
          if (p.y < centre.y - cell * 0.15) fill = mix(fill, rgb(255, 255, 255), 0.12);
          return d > -0.9 ? scale(fill, 0.62) : fill;
        }
      }
  }

  static const Arrow arrow;
  double shadow = arrow.sd(p - Vec{1.8, 2.2});
  if (shadow < 0.8) back = scale(back, 1 - 0.22 * clamp01((0.8 - shadow) / 1.8));
  double d = arrow.sd(p);
  if (d < 0) {
    double t = clamp01((p.y - 12) / 88);
    Rgb fill = mix(rgb(64, 140, 250), rgb(10, 70, 160), t);
    // Lighter along the inner edge of the curve, so it reads as a rounded band.
    double r = len(p - arrow.centre);
    if (std::fabs(r - arrow.radius) < arrow.half && r < arrow.radius - 0.8) fill = mix(fill, rgb(255, 255, 255), 0.18);
    return d > -0.9 ? rgb(0, 49, 74) : fill;
  }
  return back;
}

std::vector<uint8_t> encode_jpeg(const Picture& pic, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(pic.w);
  cinfo.image_height = static_cast<JDIMENSION>(pic.h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // Baseline, one interleaved scan, the standard Huffman tables, 4:2:0.
  cinfo.optimize_coding = FALSE;
  cinfo.comp_info[0].h_samp_factor = 2;
  cinfo.comp_info[0].v_samp_factor = 2;
  cinfo.comp_info[1].h_samp_factor = 1;
  cinfo.comp_info[1].v_samp_factor = 1;
  cinfo.comp_info[2].h_samp_factor = 1;
  cinfo.comp_info[2].v_samp_factor = 1;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.write_JFIF_header = TRUE;
  cinfo.JFIF_major_version = 1;
  cinfo.JFIF_minor_version = 1;
  cinfo.density_unit = 1;  // dots per inch
  cinfo.X_density = 300;
  cinfo.Y_density = 300;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(pic.w) * 3);
  for (int y = 0; y < pic.h; ++y) {
    for (int x = 0; x < pic.w; ++x) {
      const Rgb& c = pic.px[static_cast<size_t>(y) * pic.w + x];
      row[x * 3 + 0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 255.0)));
      row[x * 3 + 1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 255.0)));
      row[x * 3 + 2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 255.0)));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

// 300 x 225 at scale 1, 450 x 338 at 1.5, 600 x 450 at 2.
Picture default_preview(double k = 1) {
  const int w = static_cast<int>(std::lround(300 * k)), h = static_cast<int>(std::lround(225 * k));
  const int qw = w / 2, qh = static_cast<int>(std::lround(kQuarterH * k));  // a quarter; between them the seams
  Picture pic(w, h);
  TrackPicture track(k, qw, qh);
  track.draw(pic, 0, 0, natural_look());
  track.draw(pic, qw, 0, grey_look());
  track.draw(pic, qw, h - qh, wintry_look());
  render(pic, 0, h - qh, qw, qh, [k](int sx, int sy) { return swatch_quarter({sample_pos(sx) / k, sample_pos(sy) / k}); });
  // Thin white seams between the quarters.
  for (int y = qh; y < h - qh; ++y)
    for (int x = 0; x < w; ++x) pic.at(x, y) = rgb(250, 251, 253);
  const int half_seam = std::max(1, static_cast<int>(std::lround(k)));
  for (int y = 0; y < h; ++y)
    for (int x = qw - half_seam; x < qw + half_seam; ++x) pic.at(x, y) = mix(pic.at(x, y), rgb(250, 251, 253), 0.5);
  return pic;
}

// ---------------------------------------------------------------------------
// Program icon: a painter's palette with blobs of paint and a brush.

struct Rgba {
  Rgb c;
  double a;
};

Rgba icon_sample(Vec p, double size) {
  Vec q = p * (32.0 / size);  // design in a 32 x 32 frame
  const bool small = size <= 16;  // the small one leaves out the brush and the white
  // Brush: handle from the lower right, metal ferrule, dark tip.
  Vec tip{14.5, 12}, ferrule{19.5, 17}, end{29.5, 28};
  double handle = sd_segment(q, ferrule, end) - 1.6;
  double metal = sd_segment(q, tip + (ferrule - tip) * 0.55, ferrule) - 1.7;
  double hair = sd_segment(q, tip, tip + (ferrule - tip) * 0.55) - 1.3 + 0.4 * clamp01(1 - len(q - tip) / 4);

  // Palette board: a wide rounded blob with a thumb hole and a notch.
  Vec c{15, 16.5};
  double ex = (q.x - c.x) / 14.2, ey = (q.y - c.y) / 11.8;
  double board = (std::sqrt(ex * ex + ey * ey) - 1) * 11.8;
  double hole = len(q - Vec{10.5, 22}) - 2.6;
  double notch = len(q - Vec{4, 27}) - 4.5;
  board = std::max({board, -hole, -notch});

  const double edge = 1.1 * 32.0 / std::max(size, 16.0) * (size <= 16 ? 1.4 : 1.0);
  auto over = [](Rgba under, Rgb c, double cover) {
    return Rgba{mix(under.c, c, cover), under.a + (1 - under.a) * cover};
  };
  Rgba out{rgb(0, 0, 0), 0};
  if (board < 0) {
    Rgb wood = mix(rgb(240, 206, 148), rgb(206, 160, 98), clamp01((q.x + q.y - 18) / 30));
    out = {board > -edge ? rgb(120, 78, 36) : wood, 1};
    const struct {
      Vec c;
      double r;
      Rgb col;
    } blobs[] = {{{8, 12.5}, 3.2, rgb(228, 36, 36)},
                 {{14.5, 7.5}, 3.0, rgb(250, 206, 30)},
                 {{22.5, 8.5}, 3.0, rgb(46, 170, 70)},
                 {{25.5, 16}, 3.0, rgb(40, 110, 230)},
                 {{19, 23}, 2.7, rgb(250, 250, 250)}};
    for (const auto& b : blobs) {
      if (small && b.col.r == 250 && b.col.b == 250) continue;
      double d = len(q - b.c) - b.r * (small ? 1.2 : 1.0);
      if (d < 0) {
        Rgb col = b.col;
        if (!small && len(q - b.c + Vec{1.0, 1.0}) < b.r * 0.45) col = mix(col, rgb(255, 255, 255), 0.55);
        out.c = d > -edge * 0.8 ? scale(b.col, 0.6) : col;
      }
    }
  }
  if (small) return out;
  if (handle < 0) out = over(out, handle > -edge ? rgb(70, 30, 10) : rgb(168, 72, 36), 1);
  if (metal < 0) out = over(out, metal > -edge ? rgb(70, 74, 84) : rgb(196, 200, 210), 1);
  if (hair < 0) out = over(out, hair > -edge ? rgb(30, 20, 14) : rgb(120, 30, 110), 1);
  return out;
}

std::vector<uint8_t> icon_image(int size) {
  // RGBA pixels, 8 x 8 samples each, premultiplied while averaging.
  std::vector<std::array<uint8_t, 4>> px(static_cast<size_t>(size) * size);
  const int ss = 8;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Rgb sum;
      double alpha = 0;
      for (int sy = 0; sy < ss; ++sy)
        for (int sx = 0; sx < ss; ++sx) {
          Rgba s = icon_sample({x + (sx + 0.5) / ss, y + (sy + 0.5) / ss}, size);
          sum.r += s.c.r * s.a;
          sum.g += s.c.g * s.a;
          sum.b += s.c.b * s.a;
          alpha += s.a;
        }
      auto& o = px[static_cast<size_t>(y) * size + x];
      if (alpha <= 0) {
        o = {0, 0, 0, 0};
        continue;
      }
      o[0] = static_cast<uint8_t>(std::lround(std::clamp(sum.b / alpha, 0.0, 255.0)));
      o[1] = static_cast<uint8_t>(std::lround(std::clamp(sum.g / alpha, 0.0, 255.0)));
      o[2] = static_cast<uint8_t>(std::lround(std::clamp(sum.r / alpha, 0.0, 255.0)));
      o[3] = static_cast<uint8_t>(std::lround(alpha / (ss * ss) * 255));
    }
  // DIB as stored in an icon: header with doubled height, BGRA rows
  // bottom-up, then the AND mask (1 = transparent), rows padded to 4 bytes.
  const uint32_t mask_stride = ((static_cast<uint32_t>(size) + 31) / 32) * 4;
  std::vector<uint8_t> out;
  put32(out, 40);
  put32(out, static_cast<uint32_t>(size));
  put32(out, static_cast<uint32_t>(size) * 2);
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);
  put32(out, static_cast<uint32_t>(size * size * 4) + mask_stride * static_cast<uint32_t>(size));
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) {
      const auto& p = px[static_cast<size_t>(y) * size + x];
      out.insert(out.end(), p.begin(), p.end());
    }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(mask_stride, 0);
    for (int x = 0; x < size; ++x)
      if (px[static_cast<size_t>(y) * size + x][3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<uint8_t> encode_icon(const std::vector<int>& sizes) {
  std::vector<std::vector<uint8_t>> images;
  for (int s : sizes) images.push_back(icon_image(s));
  const int count = static_cast<int>(sizes.size());
  std::vector<uint8_t> out;
  put16(out, 0);
  put16(out, 1);
  put16(out, static_cast<unsigned>(count));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(count);
  for (int i = 0; i < count; ++i) {
    out.push_back(static_cast<uint8_t>(sizes[i]));
    out.push_back(static_cast<uint8_t>(sizes[i]));
    out.push_back(0);
    out.push_back(0);
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tw_artgen OUTPUT-FOLDER\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  bool ok = true;
  const struct {
    double k;
    const char* suffix;
  } scales[] = {{1, ""}, {1.5, "_150"}, {2, "_200"}};
  for (const auto& sc : scales) {
    const double k = sc.k;
    auto bmp = [&](const char* name, const IndexImage& img, const ColourTable& colours) {
      return write_file(dir + name + sc.suffix + ".bmp", encode_bmp4(k == 1 ? img : enlarged(img, k), colours));
    };
    ok = write_file(dir + "default_preview" + sc.suffix + ".jpg", encode_jpeg(default_preview(k), 86)) && ok;
    ok = bmp("button_start", button_start(), kStartColours) && ok;
    ok = bmp("button_palette", button_palette(), kButtonColours) && ok;
    ok = bmp("button_org", button_org(), kButtonColours) && ok;
    ok = bmp("button_hotlap", button_word("Hotlap", bc::kText), kButtonColours) && ok;
    ok = bmp("button_race", button_word("Race", bc::kText), kButtonColours) && ok;
    ok = bmp("button_menu", button_word("Menu", bc::kRed), kButtonColours) && ok;
    ok = write_file(dir + "button_top1" + sc.suffix + ".bmp", encode_bmp4(button_top("Top1", k), kButtonColours)) && ok;
    ok = write_file(dir + "button_top2" + sc.suffix + ".bmp", encode_bmp4(button_top("Top2", k), kButtonColours)) && ok;
  }
  ok = write_file(dir + "tintwerk.ico", encode_icon({32, 16})) && ok;
  ok = write_file(dir + "tintwerk_sizes.ico", encode_icon({64, 48, 32, 24, 16})) && ok;
  return ok ? 0 : 1;
}
