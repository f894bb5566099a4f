// The registry of image decoders: the formats beyond BMP and icons, each
// decoder a record of operations, asked in the order they were registered.
#pragma once

#include <cstddef>
#include <cstdio>

#include "image/image.h"

// Pixel kinds a decoder's check reports.
inline constexpr int IMAGE_PIXELS_NONE = 0;  // not this decoder's format
inline constexpr int IMAGE_PIXELS_BGR = 1;   // three bytes a pixel: B, G, R
inline constexpr int IMAGE_PIXELS_BGRA = 2;  // four bytes a pixel

// The operations every decoder offers.
struct ImageDecoder {
    // Either `file` is an open stream at its start (memory null, `name` its
    // file name) or `memory` is a block of `length` bytes (file null). Returns
    // a pixel kind; after a non-zero result the decoder holds the image open,
    // its size known, until decode() or release() is called.
    int (*check)(std::FILE* file, const void* memory, std::size_t length, const char* name);
    // Writes the held image top row first, each row `stride` bytes after the
    // one before; only width x bytes-per-pixel bytes of each row are written.
    // 1 on success, 0 on failure; in both cases the image is given up.
    int (*decode)(unsigned char* pixels, std::size_t stride, int reserved);
    int (*width)();   // size of the image last recognised
    int (*height)();
    // Gives up a held image without decoding it (when no bitmap could be made
    // for it). May be null for decoders that hold nothing between the calls.
    void (*release)();
    // Optional: recognises the data as check does, for an image to be made at
    // the size `fit` gives for the picture's real size (stored in *fitted).
    // The decoder may hold a reduced image instead, whose width() and height()
    // still cover that size in both directions.
    int (*check_fit)(std::FILE* file, const void* memory, std::size_t length, const char* name, ImageFitRule fit,
                     ImageSize* fitted) = nullptr;
};

// Empties the registry: no decoders, no open file.
void decoder_registry_reset();
// Appends a decoder; earlier ones are asked first. 1, or 0 when the registry
// (room for 100) is full or the record lacks an operation.
int decoder_register(const ImageDecoder& decoder);
// Number of registered decoders.
int decoder_count();
