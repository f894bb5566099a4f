// The JPEG decoder: JPEG data in memory or in a file, decoded with libjpeg
// into B, G, R rows.
#pragma once

#include <cstddef>
#include <cstdio>

#include "image/decoder.h"

// Registers the JPEG decoder once; later calls do nothing.
void jpeg_decoder_register();

// The JPEG decoder's operations (see ImageDecoder).
int jpeg_check(std::FILE* file, const void* memory, std::size_t length, const char* name);
// Decodes at the largest of the library's reductions (1/8, 1/4, 1/2) whose
// output still covers the fitted size in both directions; at full size when
// none does or the picture already fits.
int jpeg_check_fit(std::FILE* file, const void* memory, std::size_t length, const char* name, ImageFitRule fit,
                   ImageSize* fitted);
int jpeg_decode(unsigned char* pixels, std::size_t stride, int reserved);
int jpeg_width();
int jpeg_height();
void jpeg_release();
