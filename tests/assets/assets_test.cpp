// The built-in pictures: the embedded bytes are the committed files, the
// button bitmaps carry the headers and colour tables the program's buttons
// are drawn with, and the default preview is a plain baseline JFIF file that
// the JPEG library decodes to the size of the preview box.

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <jpeglib.h>

#include "app/assets/assets.h"

using tintwerk::Asset;
using tintwerk::builtin_image;
using tintwerk::program_icon;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes_of(const Asset& a) { return a.data ? Bytes(a.data, a.data + a.size) : Bytes(); }

Bytes read_file(const std::string& name) {
  std::ifstream in(std::string(TW_ASSET_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned u16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t u32(const Bytes& b, size_t at) { return u16(b, at) | (uint32_t(u16(b, at + 2)) << 16); }
unsigned be16(const Bytes& b, size_t at) { return (b[at] << 8) | b[at + 1]; }

struct Named {
  int number;
  const char* file;
};
const Named kPictures[] = {{100, "default_preview.jpg"}, {101, "button_start.bmp"},  {102, "button_palette.bmp"},
                           {103, "button_org.bmp"},      {104, "button_hotlap.bmp"}, {105, "button_race.bmp"},
                           {106, "button_menu.bmp"},     {107, "button_top1.bmp"},   {108, "button_top2.bmp"}};

TEST(BuiltinImages, EmbeddedBytesAreTheCommittedFiles) {
  for (const Named& p : kPictures) {
    Bytes file = read_file(p.file);
    ASSERT_FALSE(file.empty()) << p.file << " not readable from " << TW_ASSET_DIR;
    EXPECT_TRUE(bytes_of(builtin_image(p.number)) == file) << "image " << p.number << " differs from " << p.file;
  }
  Bytes ico = read_file("tintwerk.ico");
  ASSERT_FALSE(ico.empty());
  EXPECT_TRUE(bytes_of(program_icon()) == ico);
}

TEST(BuiltinImages, SetsFor150And200PercentAreTheSameDrawingLarger) {
  for (const Named& p : kPictures) {
    const Bytes at100 = bytes_of(builtin_image(p.number));
    for (int set : {150, 200}) {
      SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(set));
      const Bytes b = bytes_of(builtin_image(p.number, set));
      ASSERT_GT(b.size(), at100.size());
      // The size in the file: a JPEG's frame header, a bitmap's info header.
      if (p.number == 100) {
        size_t at = 2;
        while (at + 9 < b.size() && b[at + 1] != 0xC0) at += 2 + be16(b, at + 2);
        ASSERT_LT(at + 9, b.size());
        EXPECT_EQ(be16(b, at + 7), 300u * set / 100);
        EXPECT_EQ(be16(b, at + 5), (225u * set + 50) / 100);
      } else {
        EXPECT_EQ(u32(b, 18), u32(at100, 18) * set / 100);
        EXPECT_EQ(u32(b, 22), 32u * set / 100);
        EXPECT_TRUE(std::equal(b.begin() + 54, b.begin() + 118, at100.begin() + 54)) << "another colour table";
      }
    }
    EXPECT_EQ(builtin_image(p.number, 125).data, nullptr);
  }
  const std::pair<int, int> nearest[] = {{72, 100}, {96, 100}, {119, 100}, {120, 150}, {144, 150},
                                         {167, 150}, {168, 200}, {192, 200}, {288, 200}};
  for (auto [dpi, set] : nearest) EXPECT_EQ(tintwerk::builtin_image_set(dpi), set) << dpi;
}

TEST(BuiltinImages, OnlyNumbers100To108AreBuiltIn) {
  for (int n : {0, 99, 109, 200, -1}) {
    Asset a = builtin_image(n);
    EXPECT_EQ(a.data, nullptr) << n;
    EXPECT_EQ(a.size, 0u) << n;
  }
  // Nine distinct pictures: no button shares another's file.
  for (int a = 100; a <= 108; ++a)
    for (int b = a + 1; b <= 108; ++b) EXPECT_NE(bytes_of(builtin_image(a)), bytes_of(builtin_image(b))) << a << " " << b;
}

// ---------------------------------------------------------------------------
// Button bitmaps

using Table = std::vector<std::array<int, 3>>;  // red, green, blue
const Table kStartTable = {{0, 49, 74},     {16, 16, 16},    {49, 49, 49},    {82, 82, 82},
                           {189, 189, 189}, {222, 231, 239}, {255, 0, 0},     {255, 255, 255},
                           {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255},
                           {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}};
const Table kButtonTable = {{0, 49, 74},    {0, 66, 132},    {16, 16, 16},    {41, 115, 239},
                            {74, 115, 49},  {90, 132, 57},   {90, 156, 222},  {156, 214, 90},
                            {206, 0, 0},    {222, 231, 239}, {239, 247, 255}, {255, 99, 99},
                            {255, 255, 0},  {255, 255, 255}, {255, 255, 255}, {255, 255, 255}};

struct Bitmap {
  Bytes b;
  int width, stride;
  // Colour index of pixel (x, y), y counted from the top.
  int at(int x, int y) const {
    uint8_t v = b[118 + size_t(31 - y) * stride + x / 2];
    return x % 2 == 0 ? v >> 4 : v & 0x0F;
  }
  std::array<int, 3> colour(int index) const {
    size_t e = 54 + size_t(index) * 4;
    return {b[e + 2], b[e + 1], b[e]};
  }
  int count(int index) const {
    int n = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < width; ++x) n += at(x, y) == index;
    return n;
  }
};

void check_bitmap_header(const Bytes& b, int width, const Table& table, const char* what) {
  SCOPED_TRACE(what);
  const uint32_t stride = width == 98 ? 52 : 40;
  const uint32_t file_size = width == 98 ? 1782 : 1398;
  ASSERT_EQ(b.size(), file_size);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(u32(b, 2), file_size);
  EXPECT_EQ(u16(b, 6), 0u);
  EXPECT_EQ(u16(b, 8), 0u);
  EXPECT_EQ(u32(b, 10), 118u);  // 14 + 40 + 16 colours
  EXPECT_EQ(u32(b, 14), 40u);
  EXPECT_EQ(u32(b, 18), uint32_t(width));
  EXPECT_EQ(u32(b, 22), 32u);  // positive: bottom-up rows
  EXPECT_EQ(u16(b, 26), 1u);
  EXPECT_EQ(u16(b, 28), 4u);
  EXPECT_EQ(u32(b, 30), 0u);
  EXPECT_EQ(u32(b, 34), stride * 32);
  EXPECT_EQ(u32(b, 38), 0u);
  EXPECT_EQ(u32(b, 42), 0u);
  EXPECT_EQ(u32(b, 46), 16u);
  EXPECT_EQ(u32(b, 50), 16u);
  EXPECT_EQ(118 + stride * 32, file_size);
  Bitmap bm{b, width, int(stride)};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(bm.colour(i), table[i]) << "colour " << i;
    EXPECT_EQ(b[54 + i * 4 + 3], 0) << "colour " << i;
  }
  // The bytes that pad each row past the last pixel are zero.
  const uint32_t used = (uint32_t(width) + 1) / 2;
  for (uint32_t row = 0; row < 32; ++row)
    for (uint32_t i = used; i < stride; ++i) EXPECT_EQ(b[118 + row * stride + i], 0) << "row " << row;
}

Bitmap button(int number) {
  Bytes b = bytes_of(builtin_image(number));
  int width = number == 101 ? 98 : 80;
  return {b, width, width == 98 ? 52 : 40};
}

TEST(ButtonBitmaps, HeadersAndColourTables) {
  check_bitmap_header(bytes_of(builtin_image(101)), 98, kStartTable, "101");
  for (int n = 102; n <= 108; ++n) check_bitmap_header(bytes_of(builtin_image(n)), 80, kButtonTable, std::to_string(n).c_str());
}

TEST(ButtonBitmaps, LightBackgroundAndLettering) {
  // Every picture sits on the grey-blue background (its corners) and carries
  // its lettering in the dark blue text colour, except "Menu", which is red.
  const int background[9] = {5, 9, 9, 9, 9, 9, 9, 9, 9};
  for (int n = 101; n <= 108; ++n) {
    SCOPED_TRACE(n);
    Bitmap bm = button(n);
    if (bm.b.size() != (n == 101 ? 1782u : 1398u)) continue;  // reported above
    const int bg = background[n - 101];
    EXPECT_EQ(bm.at(0, 0), bg);
    EXPECT_EQ(bm.at(bm.width - 1, 0), bg);
    EXPECT_EQ(bm.at(0, 31), bg);
    EXPECT_EQ(bm.at(bm.width - 1, 31), bg);
    EXPECT_GT(bm.count(bg), bm.width * 32 / 2) << "mostly background";
    if (n == 106) {
      EXPECT_GT(bm.count(8), 40) << "red lettering";
      EXPECT_EQ(bm.count(0), 0) << "no dark blue";
    } else {
      EXPECT_GT(bm.count(0), 40) << "dark blue lettering";
    }
  }
  // The car of the start button is red, white and dark grey.
  Bitmap start = button(101);
  EXPECT_GT(start.count(6), 20);
  EXPECT_GT(start.count(7), 5);
  EXPECT_GT(start.count(1) + start.count(2), 20);
  // The favourite buttons show a green lamp; the swatch buttons many colours.
  for (int n : {107, 108}) EXPECT_GT(button(n).count(7) + button(n).count(5) + button(n).count(4), 100) << n;
  for (int n : {102, 103})
    for (int c : {1, 3, 8, 12}) EXPECT_GT(button(n).count(c), 0) << n << " colour " << c;
}

// ---------------------------------------------------------------------------
// Default preview

struct Segment {
  unsigned marker;
  size_t at;      // offset of the segment's data (after the length field)
  size_t length;  // data length
};

// Splits the file into its marker segments up to the first SOS; `rest`
// receives the markers found after the entropy-coded data.
std::vector<Segment> segments(const Bytes& b, std::vector<unsigned>& rest) {
  std::vector<Segment> out;
  size_t i = 2;
  while (i + 4 <= b.size()) {
    if (b[i] != 0xFF) return out;
    unsigned m = b[i + 1];
    size_t l = be16(b, i + 2);
    if (l < 2 || i + 2 + l > b.size()) return out;
    out.push_back({m, i + 4, l - 2});
    i += 2 + l;
    if (m == 0xDA) break;
  }
  // Entropy-coded data: only stuffed bytes (FF 00) and restart markers may
  // appear before the next marker.
  for (; i + 1 < b.size(); ++i) {
    if (b[i] != 0xFF) continue;
    unsigned m = b[i + 1];
    if (m == 0x00 || (m >= 0xD0 && m <= 0xD7)) continue;
    rest.push_back(m);
    ++i;
  }
  return out;
}

TEST(DefaultPreview, BaselineJfifWithOneInterleavedScan) {
  Bytes b = bytes_of(builtin_image(100));
  ASSERT_GT(b.size(), 4000u);
  ASSERT_EQ(b[0], 0xFF);
  ASSERT_EQ(b[1], 0xD8);  // SOI
  std::vector<unsigned> after;
  std::vector<Segment> segs = segments(b, after);
  ASSERT_FALSE(segs.empty());

  // JFIF 1.01 comes first, 300 x 300 dots per inch.
  const Segment& app0 = segs[0];
  ASSERT_EQ(app0.marker, 0xE0u);
  ASSERT_GE(app0.length, 14u);
  EXPECT_EQ(std::string(b.begin() + app0.at, b.begin() + app0.at + 5), std::string("JFIF\0", 5));
  EXPECT_EQ(b[app0.at + 5], 1);
  EXPECT_EQ(b[app0.at + 6], 1);
  EXPECT_EQ(b[app0.at + 7], 1);  // dots per inch
  EXPECT_EQ(be16(b, app0.at + 8), 300u);
  EXPECT_EQ(be16(b, app0.at + 10), 300u);

  int sof0 = 0, other_sof = 0, sos = 0;
  std::vector<int> quant_ids, huff_ids;
  for (const Segment& s : segs) {
    if (s.marker == 0xC0) {
      ++sof0;
      ASSERT_EQ(s.length, 15u);
      EXPECT_EQ(b[s.at], 8);                   // precision
      EXPECT_EQ(be16(b, s.at + 1), 225u);      // height
      EXPECT_EQ(be16(b, s.at + 3), 300u);      // width
      ASSERT_EQ(b[s.at + 5], 3);               // Y, Cb, Cr
      EXPECT_EQ(b[s.at + 7], 0x22);            // Y sampled 2 x 2
      EXPECT_EQ(b[s.at + 10], 0x11);           // Cb 1 x 1
      EXPECT_EQ(b[s.at + 13], 0x11);           // Cr 1 x 1
      EXPECT_EQ(b[s.at + 8], 0);
      EXPECT_EQ(b[s.at + 11], 1);
      EXPECT_EQ(b[s.at + 14], 1);
    } else if (s.marker >= 0xC1 && s.marker <= 0xCF && s.marker != 0xC4 && s.marker != 0xC8 && s.marker != 0xCC) {
      ++other_sof;
    } else if (s.marker == 0xDB) {
      for (size_t i = 0; i + 65 <= s.length; i += 65) {
        EXPECT_EQ(b[s.at + i] >> 4, 0) << "8-bit quantisation table";
        quant_ids.push_back(b[s.at + i] & 0x0F);
      }
    } else if (s.marker == 0xC4) {
      size_t i = 0;
      while (i + 17 <= s.length) {
        int id = b[s.at + i];
        huff_ids.push_back(id);
        std::vector<int> bits(b.begin() + s.at + i + 1, b.begin() + s.at + i + 17);
        // The standard tables' code counts per length.
        const std::vector<int> dc_luma = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
        const std::vector<int> dc_chroma = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
        const std::vector<int> ac_luma = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D};
        const std::vector<int> ac_chroma = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
        const std::vector<int>& want = id == 0x00 ? dc_luma : id == 0x01 ? dc_chroma : id == 0x10 ? ac_luma : ac_chroma;
        EXPECT_EQ(bits, want) << "Huffman table " << id;
        int n = 0;
        for (int c : bits) n += c;
        i += 17 + n;
      }
    } else if (s.marker == 0xDA) {
      ++sos;
      EXPECT_EQ(b[s.at], 3) << "one scan holding all three components";
      EXPECT_EQ(b[s.at + 1 + 6], 0) << "Ss";
      EXPECT_EQ(b[s.at + 1 + 7], 63) << "Se";
      EXPECT_EQ(b[s.at + 1 + 8], 0) << "Ah/Al";
    }
  }
  EXPECT_EQ(sof0, 1);
  EXPECT_EQ(other_sof, 0) << "no progressive or extended frame";
  EXPECT_EQ(sos, 1);
  std::sort(quant_ids.begin(), quant_ids.end());
  EXPECT_EQ(quant_ids, (std::vector<int>{0, 1}));
  std::sort(huff_ids.begin(), huff_ids.end());
  EXPECT_EQ(huff_ids, (std::vector<int>{0x00, 0x01, 0x10, 0x11}));
  EXPECT_EQ(after, std::vector<unsigned>{0xD9}) << "nothing but EOI after the scan";
  EXPECT_EQ(b[b.size() - 2], 0xFF);
  EXPECT_EQ(b[b.size() - 1], 0xD9);
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void on_jpeg_error(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void on_jpeg_message(j_common_ptr, int) {}

// Decodes with the JPEG library into RGB rows; false on an error or a warning.
bool decode(const Bytes& data, int& width, int& height, Bytes& rgb) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = on_jpeg_error;
  err.mgr.emit_message = on_jpeg_message;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = static_cast<int>(cinfo.output_width);
  height = static_cast<int>(cinfo.output_height);
  rgb.assign(size_t(width) * height * 3, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  bool clean = err.mgr.num_warnings == 0;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return clean;
}

TEST(DefaultPreview, DecodesToTheCollageOfFourQuarters) {
  int w = 0, h = 0;
  Bytes rgb;
  ASSERT_TRUE(decode(bytes_of(builtin_image(100)), w, h, rgb));
  ASSERT_EQ(w, 300);
  ASSERT_EQ(h, 225);
  // Average colour of each quarter.
  auto mean = [&](int x0, int y0) {
    double s[3] = {0, 0, 0};
    for (int y = y0; y < y0 + 112; ++y)
      for (int x = x0; x < x0 + 150; ++x)
        for (int c = 0; c < 3; ++c) s[c] += rgb[(size_t(y) * w + x) * 3 + c];
    for (double& v : s) v /= 150.0 * 112.0;
    return std::array<double, 3>{s[0], s[1], s[2]};
  };
  auto natural = mean(0, 0), grey = mean(150, 0), swatches = mean(0, 113), wintry = mean(150, 113);
  auto luma = [](std::array<double, 3> c) { return 0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2]; };
  EXPECT_GT(natural[1], natural[0] + 15) << "green grass";
  EXPECT_LT(std::abs(grey[0] - grey[1]) + std::abs(grey[1] - grey[2]), 12) << "grey";
  EXPECT_LT(luma(grey), luma(natural)) << "darker";
  EXPECT_GT(luma(wintry), luma(natural) + 40) << "snow";
  EXPECT_GE(wintry[2], wintry[0]) << "cold";
  EXPECT_GT(luma(swatches), 150) << "light background";
}

}  // namespace
