// Feeds arbitrary data to the JPEG decoder as a memory block: a check (at
// full size, or for a fitted size that a reduced decode must still cover),
// then a decode into rows of the announced size (or a give-up for odd lengths).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/jpeg_bridge.h"

namespace {

// The fitted size asked for: the real size divided by 1 to 9 (from the length).
int g_divisor = 1;
int g_real_width = 0, g_real_height = 0;

ImageSize divided(int width, int height) {
    g_real_width = width;
    g_real_height = height;
    return {width / g_divisor > 0 ? width / g_divisor : 1, height / g_divisor > 0 ? height / g_divisor : 1};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool fit = size % 3 == 0;
    ImageSize fitted{0, 0};
    g_divisor = 1 + static_cast<int>(size / 3 % 9);
    const int kind = fit ? jpeg_check_fit(nullptr, data, size, nullptr, divided, &fitted)
                         : jpeg_check(nullptr, data, size, nullptr);
    if (kind != IMAGE_PIXELS_BGR) {
        if (tw::image::jpeg_holding()) std::abort();
        return 0;
    }
    const int w = jpeg_width(), h = jpeg_height();
    if (w < 1 || h < 1 || w > IMAGE_MAX_SIDE || h > IMAGE_MAX_SIDE) std::abort();
    // A reduced decode still covers the fitted size and never exceeds the picture.
    if (fit && (w < fitted.width || h < fitted.height || w > g_real_width || h > g_real_height)) std::abort();
    if (size % 2) {
        jpeg_release();
    } else {
        const std::size_t stride = static_cast<std::size_t>(w) * 3 + static_cast<std::size_t>(w % 4);
        // Large pictures share one row: the decoder must still stay inside it.
        const bool small = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) <= (1u << 20);
        std::vector<uint8_t> rows(small ? stride * static_cast<std::size_t>(h) : stride);
        jpeg_decode(rows.data(), small ? stride : 0, 0);
    }
    if (tw::image::jpeg_holding()) std::abort();
    return 0;
}
