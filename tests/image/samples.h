// Test pictures made at run time: JPEGs through libjpeg's compressor, BMP and
// icon files byte by byte. Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace samples {

using Bytes = std::vector<uint8_t>;

struct Rgb {
    uint8_t r, g, b;
};

enum class JpegKind { Colour, Grey, Cmyk, CmykPlain, Ycck };

struct JpegOptions {
    JpegKind kind = JpegKind::Colour;
    int quality = 95;
    bool progressive = false;
    bool arithmetic = false;
    int restart_rows = 0;  // restart markers every n MCU rows
    int h_samp = 2, v_samp = 2;  // the luminance's sampling factors (chroma 1 x 1)
    // Progressive with a scan of its own for every AC coefficient of every
    // component: 1 after one DC scan of all (190 scans for a colour picture),
    // 2 each component's DC scan just before its own AC scans (192).
    int scan_per_coefficient = 0;
};

// A JPEG of width x height whose pixel (x, y) has the colour pixel(x, y).
// For CMYK kinds the colour is turned into ink values (K = 0 where it can).
Bytes make_jpeg(int width, int height, const std::function<Rgb(int, int)>& pixel,
                const JpegOptions& options = {});

// The four flat blocks used by the decoding tests, 16-pixel aligned.
Rgb quadrant_colour(int x, int y, int width, int height);

// Offset of the SOF marker's length field (FF C0/C1/C2 ...), or 0.
std::size_t find_sof(const Bytes& jpeg);

// The JPEG with its frame header claiming width x height (and, when given, a
// sample precision other than 8); the coded data stays that of the original.
Bytes claiming(Bytes jpeg, int width, int height, int precision = 8);

// A 4-bit BMP of width x height with 16 colours; the pixel at (x, y), row 0 at
// the top, has colour index index(x, y). Bottom-up rows unless top_down.
Bytes make_bmp4(int width, int height, const std::vector<Rgb>& palette,
                const std::function<int(int, int)>& index, bool top_down = false);

// A 24-bit or 8-bit (grey ramp palette) BMP file.
Bytes make_bmp(int width, int height, int bits, const std::function<Rgb(int, int)>& pixel);

struct IconEntry {
    int width, height, bits;
    Rgb colour;  // the whole picture
};

// An icon file with one DIB image per entry, in the order given.
Bytes make_icon(const std::vector<IconEntry>& entries);

void write_file(const std::string& path, const Bytes& data);

// djpeg of the same libjpeg-turbo with `args` (e.g. "-scale 1/8") on the
// picture, as R, G, B bytes of its PPM output; false when there is no djpeg.
bool djpeg_rgb(const Bytes& jpeg, const std::string& args, int& width, int& height, Bytes& rgb);

}  // namespace samples
