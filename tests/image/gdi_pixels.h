// Reading GDI bitmaps back in tests of the image objects: pixels as
// 0x00RRGGBB, colour comparisons, the quadrant test pictures, temporary files
// and the fixture that starts the image library with the JPEG decoder.
#pragma once

#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/jpeg.h"
#include "tests/image/samples.h"

namespace samples {

inline HBITMAP bitmap_of(intptr_t number) { return reinterpret_cast<HBITMAP>(image_handle(number)); }

// The bitmap's pixels as 0x00RRGGBB, top row first, whatever its format.
inline std::vector<uint32_t> read_pixels(HANDLE bitmap, int width, int height) {
    std::vector<uint32_t> px(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    int rows = GetDIBits(dc, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(height), px.data(), &info,
                         DIB_RGB_COLORS);
    DeleteDC(dc);
    EXPECT_EQ(rows, height);
    for (auto& p : px) p &= 0xFFFFFF;
    return px;
}

inline uint32_t rgb(Rgb c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }

inline bool close_to(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance) return false;
    return true;
}

inline bool is_dib_section(HANDLE h) {
    DIBSECTION ds = {};
    return GetObjectA(h, sizeof ds, &ds) == sizeof ds;
}

inline std::string temp_path(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "tw_image_" + name;
}

inline Bytes quadrant_jpeg(int w, int h) {
    return samples::make_jpeg(w, h, [w, h](int x, int y) { return samples::quadrant_colour(x, y, w, h); });
}

// Centre pixels of the four blocks of a quadrant picture of w x h.
inline void expect_quadrant_centres(const std::vector<uint32_t>& px, int w, int h, int tolerance) {
    for (int qy : {h / 4, 3 * h / 4})
        for (int qx : {w / 4, 3 * w / 4}) {
            const uint32_t want = rgb(samples::quadrant_colour(qx, qy, w, h));
            const uint32_t got = px[static_cast<std::size_t>(qy) * w + qx];
            EXPECT_TRUE(close_to(got, want, tolerance)) << std::hex << "at " << std::dec << qx << "," << qy << " got "
                                                    << std::hex << got << " want " << want;
        }
}

class ImageObjects : public ::testing::Test {
protected:
    void SetUp() override {
        decoder_registry_reset();
        image_library_init();
        jpeg_decoder_register();
    }
    void TearDown() override {
        image_free_all();
        decoder_registry_reset();
    }
};

}  // namespace samples
