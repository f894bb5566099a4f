// The JPEG decoder: JPEG data in memory or read from a file, decoded with
// libjpeg into B, G, R rows.
#pragma once

#include <memory>

#include "image/decoder.h"

// Registers the JPEG decoder once; later calls do nothing.
void jpeg_decoder_register();

// The JPEG decoder's operation (see ImageDecoderOpen). With a fit rule the
// decode delivers the fitted size: libjpeg decodes at the largest of its
// reductions (1/8, 1/4, 1/2) whose output still covers that size in both
// directions, and the project's area average brings that to the exact size
// row by row. A rule whose size is not within the picture gives the
// picture's own size.
std::unique_ptr<ImageDecode> jpeg_open(const ImageInput& input, ImageFitRule fit = nullptr,
                                       ImageSize* fitted = nullptr);
