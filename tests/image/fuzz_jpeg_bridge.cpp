// Feeds arbitrary data to the JPEG decoder, as a memory block or through a
// reader in small pieces as a file is read: a check (at full size, or for a
// fitted size down to one-pixel sides, which the decode must deliver), then a
// decode into rows of that size (or a give-up for odd lengths).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/image.h"
#include "image/jpeg.h"

namespace {

// The fitted size asked for: the real size divided by 1 to 9, or one side
// of one pixel (all from the length).
int g_divisor = 1, g_shape = 0;
int g_real_width = 0, g_real_height = 0;

ImageSize divided(int width, int height) {
    g_real_width = width;
    g_real_height = height;
    const ImageSize d{std::max(1, width / g_divisor), std::max(1, height / g_divisor)};
    return g_shape == 1 ? ImageSize{1, d.height} : g_shape == 2 ? ImageSize{d.width, 1} : d;
}

struct Reader {
    const uint8_t* data;
    std::size_t size, at, piece;
    static std::size_t read(void* c, unsigned char* buffer, std::size_t size) {
        auto* r = static_cast<Reader*>(c);
        const std::size_t n = std::min({size, r->piece, r->size - r->at});
        std::memcpy(buffer, r->data + r->at, n);
        r->at += n;
        return n;
    }
    static bool rewind(void* c) {
        static_cast<Reader*>(c)->at = 0;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool fit = size % 3 == 0;
    g_divisor = 1 + static_cast<int>(size / 3 % 9);
    g_shape = static_cast<int>(size / 27 % 3);
    Reader reader{data, size, 0, 1 + size / 5 % 700};
    const ImageInput input = size / 7 % 2 ? ImageInput::reads(ImageReader{&reader, Reader::read, Reader::rewind})
                                          : ImageInput::block(data, size);
    ImageSize fitted{0, 0};
    std::unique_ptr<ImageDecode> d = jpeg_open(input, fit ? divided : nullptr, &fitted);
    if (!d) return 0;
    const int w = d->width(), h = d->height();
    if (d->kind() != IMAGE_PIXELS_BGR || w < 1 || h < 1 || w > IMAGE_MAX_SIDE || h > IMAGE_MAX_SIDE) std::abort();
    // A fitted decode delivers the fitted size exactly, whenever it lies within the picture.
    if (fit && fitted.width <= g_real_width && fitted.height <= g_real_height &&
        (w != fitted.width || h != fitted.height))
        std::abort();
    if (size % 2) return 0;  // given up undecoded
    const std::size_t stride = static_cast<std::size_t>(w) * 3 + static_cast<std::size_t>(w % 4);
    // Large pictures share one row: the decoder must still stay inside it.
    const bool small = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) <= (1u << 20);
    std::vector<uint8_t> rows(small ? stride * static_cast<std::size_t>(h) : stride);
    d->decode(rows.data(), small ? stride : 0);
    return 0;
}
