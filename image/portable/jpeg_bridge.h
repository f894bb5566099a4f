// The JPEG decoder's libjpeg side: the data source over one memory block.
// Portable; the decoder's four operations are declared in image/image.h.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// Installs a data source that hands the whole block to the library on its
// first refill and, once the block is used up, end-of-image markers (with the
// library's "premature end" warning) as often as the library asks.
void jpeg_memory_source(j_decompress_ptr decompressor, const unsigned char* data, std::size_t length);

namespace tw::image {

// True while a checked image is held, waiting for its decode.
bool jpeg_holding();

// Largest memory the library may take for one image's working buffers (the
// coefficient buffers of a progressive image); more is refused as an error.
inline constexpr long kJpegMemoryLimit = 1024L * 1024 * 1024;

}  // namespace tw::image
