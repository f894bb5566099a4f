// Arbitrary blocks through the icon directory choice: the chosen image must
// lie inside the block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/portable/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tw::image::IconImage img;
    if (!tw::image::icon_choose(data, size, img)) return 0;
    if (img.offset > size || img.size > size - img.offset || img.size < 8) std::abort();
    if (img.width < 1 || img.height < 1) std::abort();
    volatile uint8_t touch = static_cast<uint8_t>(data[img.offset] ^ data[img.offset + img.size - 1]);
    (void)touch;
    return 0;
}
