// The decoder search behind the image objects' creating calls. One image is
// made at a time: a successful find is followed by decode_current() or by
// abandon_current(), which also close the file opened for the search. Portable.
#pragma once

#include <cstddef>

#include "image/decoder.h"

namespace tw::image {

// Asks each registered decoder in turn about a memory block; the first that
// recognises it becomes the current decoder. Returns its pixel kind, or 0.
int decoder_find_memory(const void* memory, std::size_t length);

// The same for a file, opened with fopen(name, "rb") and rewound before each
// decoder's check. When no decoder recognises it, the file is closed again.
int decoder_find_file(const char* name);

// The same for an image to be made at the size `fit` gives for the picture's
// real size, which goes into *fitted: a decoder with a check_fit operation may
// hold a reduced image; the others are asked with their check.
int decoder_find_file_fit(const char* name, ImageFitRule fit, ImageSize* fitted);

int decoder_current_width();
int decoder_current_height();

// Decodes into the target through the current decoder, then closes the
// search's file. Returns the decoder's result.
int decoder_decode_current(unsigned char* pixels, std::size_t stride);

// Gives up the image the current decoder holds and closes the search's file.
void decoder_abandon_current();

// True when a decoder with this check operation is registered.
bool decoder_registered(int (*check)(std::FILE*, const void*, std::size_t, const char*));

// True while a file opened for a search is still open.
bool decoder_file_open();

}  // namespace tw::image
