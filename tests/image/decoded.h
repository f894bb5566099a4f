// Decoding a JPEG through the decoder's operations into rows prefilled with a
// marker byte, and checking the flat colour blocks of the test pictures.
// Portable; shared by the decoder's tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/jpeg_bridge.h"
#include "tests/image/samples.h"

namespace samples {

struct Decoded {
    int width = 0, height = 0;
    std::size_t stride = 0;
    Bytes pixels;
    const uint8_t* at(int x, int y) const { return &pixels[static_cast<std::size_t>(y) * stride + 3 * x]; }
};

// A reader over bytes in memory, counting what it hands out.
struct BytesReader {
    const Bytes* data;
    std::size_t at = 0;
    static std::size_t read(void* c, unsigned char* buffer, std::size_t size) {
        auto* r = static_cast<BytesReader*>(c);
        const std::size_t n = std::min(size, r->data->size() - r->at);
        std::copy_n(r->data->data() + r->at, n, buffer);
        r->at += n;
        return n;
    }
    static bool rewind(void* c) {
        static_cast<BytesReader*>(c)->at = 0;
        return true;
    }
    ImageInput input() { return ImageInput::reads(ImageReader{this, read, rewind}); }
};

inline ImageInput block(const Bytes& b) { return ImageInput::block(b.data(), b.size()); }

// Decodes what the decode holds into rows prefilled with `fill`.
inline ::testing::AssertionResult decode_held(ImageDecode& d, Decoded& out, uint8_t fill) {
    out.width = d.width();
    out.height = d.height();
    out.stride = static_cast<std::size_t>(out.width) * 3 + static_cast<std::size_t>(out.width % 4);
    out.pixels.assign(out.stride * static_cast<std::size_t>(out.height), fill);
    if (!d.decode(out.pixels.data(), out.stride)) return ::testing::AssertionFailure() << "decode failed";
    return ::testing::AssertionSuccess();
}

// Checks and decodes a block into rows prefilled with `fill`.
inline ::testing::AssertionResult decode(const Bytes& jpeg, Decoded& out, uint8_t fill = 0xAA) {
    std::unique_ptr<ImageDecode> d = jpeg_open(block(jpeg));
    if (!d) return ::testing::AssertionFailure() << "check refused the data";
    return decode_held(*d, out, fill);
}

// Every pixel at least `margin` away from a block edge has the block's colour.
inline void expect_quadrants(const Decoded& d, int tolerance, int margin = 8) {
    int bad = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            if (std::abs(x - d.width / 2) < margin || std::abs(y - d.height / 2) < margin) continue;
            const Rgb want = quadrant_colour(x, y, d.width, d.height);
            const uint8_t* p = d.at(x, y);
            if (std::abs(p[2] - want.r) > tolerance || std::abs(p[1] - want.g) > tolerance ||
                std::abs(p[0] - want.b) > tolerance) {
                if (++bad <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is B,G,R " << int(p[0]) << "," << int(p[1])
                                  << "," << int(p[2]) << ", want " << int(want.b) << "," << int(want.g) << ","
                                  << int(want.r);
            }
        }
    EXPECT_EQ(bad, 0);
}

inline Bytes quadrants(int w, int h, const JpegOptions& o = {}) {
    return make_jpeg(w, h, [w, h](int x, int y) { return quadrant_colour(x, y, w, h); }, o);
}

}  // namespace samples
