// Image objects: numbered bitmaps and icons made from image files in memory or
// on disk, measured, scaled and handed to controls by their platform handle;
// the registry of image decoders and the JPEG decoder built on libjpeg.
//
// Order of use at start-up: decoder_registry_reset(), image_library_init(),
// jpeg_decoder_register(), then the creating calls. image_free_all() at the end.
// Every operation reports failure only by its result (0); nothing is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

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

// Largest decode made for a fitted image, after the decoder's reduction: 64
// megapixels (192 MB); only a hostile or absurd picture still needs more.
inline constexpr int64_t IMAGE_MAX_FIT_PIXELS = 64000000;

// The size an image is to be made at.
struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size a picture of its real width x height is to be made at, chosen by
// the caller (a preview box's rule, say).
using ImageFitRule = ImageSize (*)(int width, int height);

// ---- decoders -----------------------------------------------------------------

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

// ---- image objects --------------------------------------------------------------

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
// picture's real size, smooth-scaled as image_resize mode 0 scales. A decoder
// that can (the JPEG decoder) decodes at a reduced scale that still covers
// that size, so the cost follows the size made, not the size the file claims;
// a decode that would still exceed IMAGE_MAX_FIT_PIXELS is refused. BMP files
// and icons are loaded whole and scaled. The handle, or 0 (then the number
// names no image, as after a failed image_load).
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

// ---- the JPEG decoder -------------------------------------------------------------

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
