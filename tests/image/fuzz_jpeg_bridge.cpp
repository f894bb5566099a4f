// Feeds arbitrary data to the JPEG decoder as a memory block: a check, then a
// decode into rows of the announced size (or a give-up for odd lengths).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/image.h"
#include "image/portable/jpeg_bridge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (jpeg_check(nullptr, data, size, nullptr) != IMAGE_PIXELS_BGR) {
        if (tw::image::jpeg_holding()) std::abort();
        return 0;
    }
    const int w = jpeg_width(), h = jpeg_height();
    if (w < 1 || h < 1 || w > IMAGE_MAX_SIDE || h > IMAGE_MAX_SIDE) std::abort();
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
