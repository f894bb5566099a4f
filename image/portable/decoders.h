// The decoder search behind the image objects' creating calls. Portable.
#pragma once

#include <memory>

#include "image/decoder.h"

namespace tw::image {

// Asks each registered decoder in turn about the input (a reader is rewound
// before each); the first that recognises it gives the decode, else null.
// `fit` and `fitted` as ImageDecoderOpen takes them (both may be null).
std::unique_ptr<ImageDecode> decoder_open(const ImageInput& input, ImageFitRule fit = nullptr,
                                          ImageSize* fitted = nullptr);

// True when a decoder with this operation is registered.
bool decoder_registered(ImageDecoderOpen open);

}  // namespace tw::image
