// Image objects: numbered bitmaps and icons made from image files in memory or
// on disk, measured, scaled and handed to controls by their platform handle.
// The formats beyond BMP and icons come from the decoders (image/decoder.h),
// JPEG from the JPEG decoder (image/jpeg.h).
//
// Order of use at start-up: decoder_registry_reset(), image_library_init(),
// jpeg_decoder_register(), then the creating calls. image_free_all() at the end.
// Every operation reports failure only by its result (0); nothing is shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/runtime.h"

// Creation flag: device-dependent bitmaps in the display's format instead of
// DIB sections. No other bit has a meaning.
inline constexpr int IMAGE_FLAG_DDB = 128;

// The length assumed for a block caught without a length. Give the real length
// whenever it is known: nothing beyond it is ever read.
inline constexpr std::size_t IMAGE_UNKNOWN_LENGTH = 10000000;

// Largest width or height of an image object (held in 16 bits).
inline constexpr int IMAGE_MAX_SIDE = 32767;

// Largest image made at full size: 100 megapixels, a 24-bit bitmap of 300 MB;
// a picture that claims more would commit gigabytes for one image.
inline constexpr int64_t IMAGE_MAX_PIXELS = 100000000;

// The size an image is to be made at.
struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size a picture of its real width x height is to be made at, chosen by
// the caller (a preview box's rule, say).
using ImageFitRule = ImageSize (*)(int width, int height);

// Creates the empty image table (frees any images still held).
void image_library_init();

// Makes image `number` from a complete image file in memory: BMP, icon, or any
// format a registered decoder recognises. Returns the handle (HBITMAP or
// HICON) or 0; any image under the number is released first.
intptr_t image_catch(intptr_t number, const void* address,
                     std::size_t length = IMAGE_UNKNOWN_LENGTH, int flags = 0);

// Makes image `number` from a file on disk (BMP, icon or a decoder's format).
intptr_t image_load(intptr_t number, tw::TextArg path, int flags = 0);

// Makes image `number` from a file on disk at the size `fit` gives for the
// picture's real size. A decoder that can (the JPEG decoder) delivers that
// size itself, reading the file piece by piece and averaging its reduced rows
// into the bitmap, so the cost follows the size made, not the size the file
// claims. BMP files and icons are loaded whole and smooth-scaled as
// image_resize mode 0 scales. The handle, or 0 (then the number names no
// image, as after a failed image_load).
intptr_t image_load_fit(intptr_t number, tw::TextArg path, ImageFitRule fit, int flags = 0);

int image_width(intptr_t number);   // 0 when the number names no image
int image_height(intptr_t number);
int image_depth(intptr_t number);   // bits per pixel as recorded
intptr_t image_handle(intptr_t number);

// Scales the image to width x height; mode 0 smooth (halftone), other values
// fast. Returns the new handle, the current one when the size is unchanged, or 0.
intptr_t image_resize(intptr_t number, int width, int height, int mode);

void image_free(intptr_t number);
void image_free_all();
