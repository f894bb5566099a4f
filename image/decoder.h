// The registry of image decoders: the formats beyond BMP and icons, each
// decoder a record of operations, asked in the order they were registered.
// One image goes through one decode object, which owns everything it needs
// from the header check to the last row.
#pragma once

#include <cstddef>
#include <memory>

#include "image/image.h"

// Pixel kinds a decode delivers.
inline constexpr int IMAGE_PIXELS_NONE = 0;  // not this decoder's format
inline constexpr int IMAGE_PIXELS_BGR = 1;   // three bytes a pixel: B, G, R
inline constexpr int IMAGE_PIXELS_BGRA = 2;  // four bytes a pixel

// Where an image file's bytes come from: reads from an open file, whose
// owner keeps it open until the decode is done.
struct ImageReader {
    void* context = nullptr;
    // Up to `size` bytes from the current position; fewer only at the end of
    // the file, 0 there or on an error.
    std::size_t (*read)(void* context, unsigned char* buffer, std::size_t size) = nullptr;
    // Back to the start of the file; false when refused.
    bool (*rewind)(void* context) = nullptr;
};

// An image file: a block in memory (read in place, nothing beyond `length`)
// or, when `memory` is null, the reads of `reader`.
struct ImageInput {
    const unsigned char* memory = nullptr;
    std::size_t length = 0;
    ImageReader reader;

    static ImageInput block(const void* memory, std::size_t length) {
        ImageInput in;
        in.memory = static_cast<const unsigned char*>(memory);
        in.length = length;
        return in;
    }
    static ImageInput reads(const ImageReader& reader) {
        ImageInput in;
        in.reader = reader;
        return in;
    }
};

// One recognised image, from its check to its last row.
class ImageDecode {
public:
    virtual ~ImageDecode() = default;
    virtual int kind() const = 0;     // IMAGE_PIXELS_BGR or IMAGE_PIXELS_BGRA
    virtual int width() const = 0;    // the size decode() writes
    virtual int height() const = 0;
    // Writes the image top row first, each row `stride` bytes after the one
    // before; only width x bytes-per-pixel bytes of each row are written. Once
    // only; false on failure (the rows written so far stay).
    virtual bool decode(unsigned char* pixels, std::size_t stride) = 0;
};

// The operation every decoder offers: the decode of the image in `input`,
// or null when it is not this decoder's format or cannot be read. With a fit
// rule the decoder learns the size the image is to be made at (stored in
// *fitted when given) and may deliver that size itself; a decoder that
// cannot leaves *fitted alone and delivers the picture's own size.
using ImageDecoderOpen = std::unique_ptr<ImageDecode> (*)(const ImageInput& input, ImageFitRule fit,
                                                          ImageSize* fitted);

struct ImageDecoder {
    ImageDecoderOpen open = nullptr;
};

// Empties the registry.
void decoder_registry_reset();
// Appends a decoder; earlier ones are asked first. 1, or 0 when the registry
// (room for 100) is full or the record lacks its operation.
int decoder_register(const ImageDecoder& decoder);
// Number of registered decoders.
int decoder_count();
