// The registered decoders, in registration order (up to 100): the formats
// the program knows. Nothing of one image's decoding is kept here.
#include "image/portable/decoders.h"

namespace {

constexpr int kMaxDecoders = 100;

struct Registry {
    ImageDecoder decoders[kMaxDecoders] = {};
    int count = 0;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

void decoder_registry_reset() { registry().count = 0; }

int decoder_register(const ImageDecoder& decoder) {
    Registry& r = registry();
    if (!decoder.open || r.count >= kMaxDecoders) return 0;
    r.decoders[r.count++] = decoder;
    return 1;
}

int decoder_count() { return registry().count; }

namespace tw::image {

std::unique_ptr<ImageDecode> decoder_open(const ImageInput& input, ImageFitRule fit, ImageSize* fitted) {
    const bool reads = !input.memory;
    if (reads && (!input.reader.read || !input.reader.rewind)) return nullptr;
    const Registry& r = registry();
    for (int i = 0; i < r.count; ++i) {
        if (reads && !input.reader.rewind(input.reader.context)) return nullptr;
        if (std::unique_ptr<ImageDecode> d = r.decoders[i].open(input, fit, fitted)) return d;
    }
    return nullptr;
}

bool decoder_registered(ImageDecoderOpen open) {
    const Registry& r = registry();
    for (int i = 0; i < r.count; ++i)
        if (r.decoders[i].open == open) return true;
    return false;
}

}  // namespace tw::image
