// Header checks of the image files the platform turns into images: BMP files
// and icon files lying in memory. Everything is checked against the block's
// length, so nothing outside the block is ever read. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw::image {

// Compression values of a BMP info header.
inline constexpr uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitfields = 3;

// A BMP file in memory, checked and described for the platform's conversion.
struct BmpFile {
    int32_t width = 0;
    int32_t height = 0;     // as the file gives it: negative for top-down rows
    uint16_t bit_count = 0;
    // A 40-byte info header followed by the colour table (or the three colour
    // masks of a bit-field file), built from the file's own header whatever
    // its version, ready to hand to the platform.
    std::vector<uint8_t> info;
    const uint8_t* pixels = nullptr;  // pixel data inside the block
    std::size_t pixel_bytes = 0;      // bytes the pixel data needs (all in the block)
};

// True when the block starts with "BM".
bool bmp_signature(const uint8_t* data, std::size_t length);

// Checks a BMP file: the headers, the colour table and the pixel data must lie
// within the block, the sizes must be sane (1 to `max_side` in each direction),
// the bit count and compression ones the platform converts. Fills `out`.
bool bmp_parse(const uint8_t* data, std::size_t length, int max_side, BmpFile& out);

// True when a BMP file's first bytes (its two headers' start, 26 bytes) claim
// more than `max_pixels` pixels, or are too few to tell: the platform's own
// loading would make whatever they claim.
bool bmp_claims_more_than(const uint8_t* head, std::size_t length, int64_t max_pixels);

// Size of one stored pixel row of a DIB: width x bits rounded up to 4 bytes.
std::size_t dib_stride(uint32_t width, uint32_t bit_count);

// The image an icon file in memory offers.
struct IconImage {
    std::size_t offset = 0;      // of the image's bytes in the block
    std::size_t size = 0;        // their number (all within the block)
    int index = 0;               // directory entry chosen
    bool png = false;            // the image is a PNG stream, not a DIB
    int width = 0;               // for a DIB: its header's width and half its height
    int height = 0;              // (colour and mask halves); for PNG: the entry's size
    uint16_t bit_count = 0;      // for a DIB: its header's bit count
};

// True when the block looks like an icon file: words 0, 1 and an image count
// of at least 1.
bool icon_signature(const uint8_t* data, std::size_t length);

// Chooses the image of an icon file: the first entry, replaced by any later
// entry of the same width and height with a greater bit count (ties keep the
// earlier one). Fails when the directory or the chosen image's bytes do not
// lie within the block, or the image is neither a sane DIB nor a PNG stream.
bool icon_choose(const uint8_t* data, std::size_t length, IconImage& out);

// True when an image of the icon file is a PNG stream whose own header claims
// more than `max_pixels` pixels (the directory entry says at most 256 x 256).
bool icon_claims_more_than(const uint8_t* data, std::size_t length, int64_t max_pixels);

}  // namespace tw::image
