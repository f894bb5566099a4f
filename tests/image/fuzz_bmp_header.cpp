// Arbitrary blocks through the BMP header check: whatever it accepts must lie
// inside the block and agree with itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/portable/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tw::image::BmpFile bmp;
    if (!tw::image::bmp_parse(data, size, 32767, bmp)) return 0;
    const uint8_t* end = data + size;
    if (bmp.pixels < data || bmp.pixels > end || bmp.pixel_bytes > static_cast<size_t>(end - bmp.pixels)) std::abort();
    if (bmp.width < 1 || bmp.width > 32767 || bmp.height == 0 || bmp.height > 32767 || bmp.height < -32767)
        std::abort();
    if (bmp.info.size() < 40) std::abort();
    volatile uint8_t touch = 0;
    if (bmp.pixel_bytes) touch = static_cast<uint8_t>(bmp.pixels[0] ^ bmp.pixels[bmp.pixel_bytes - 1]);
    (void)touch;
    return 0;
}
