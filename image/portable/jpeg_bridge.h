// The JPEG decoder's libjpeg side: the data sources and the decode object.
// Portable; the decoder's operation is declared in image/jpeg.h.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "image/decoder.h"
#include "image/portable/box_filter.h"

// Installs a data source that hands the whole block to the library on its
// first refill and, once the block is used up, end-of-image markers (with the
// library's "premature end" warning) as often as the library asks.
void jpeg_memory_source(j_decompress_ptr decompressor, const unsigned char* data, std::size_t length);

namespace tw::image {

// Largest memory the library may take for one image's working buffers (the
// coefficient buffers of a progressive picture: 3 bytes a pixel at 4:2:0, 4
// at 4:2:2, 6 at 4:4:4): progressive photos up to 19, 14 or 9 megapixels;
// more is refused as an error.
inline constexpr long kJpegMemoryLimit = 56L * 1024 * 1024;
// Most scans a picture may have: every scan walks every block of the frame
// again, so a few bytes a scan could keep the decoder busy for minutes. The
// progressions encoders write have about ten.
inline constexpr int kJpegMaxScans = 100;
// Largest frame a picture may claim: even with no data behind it the library
// walks every block of it, at every reduction. Arithmetic coding decodes
// blocks without data about five times slower than Huffman coding does.
inline constexpr int64_t kJpegMaxFramePixels = 1024LL * 1024 * 1024;
inline constexpr int64_t kJpegMaxArithmeticFramePixels = 128LL * 1024 * 1024;
// The piece of a file read at a time; a decode never reads more than one
// piece beyond the end of its picture's data.
inline constexpr std::size_t kJpegReadBuffer = 32 * 1024;

// Whether a picture's frame is within the limits above.
bool jpeg_frame_allowed(uint32_t width, uint32_t height, bool arithmetic);
// Whether a fitted size can be decoded for, by a reduction or at full size:
// at least 1 and at most the picture's width x height in each direction.
bool jpeg_fitting(ImageSize want, uint32_t width, uint32_t height);
// Whether the library's output of `components` samples a pixel (`samples`
// wanted) delivered at `size` is a picture an image object can hold.
bool jpeg_deliverable(int components, int samples, ImageSize size);

// One JPEG picture from its header to its last row.
class JpegDecode final : public ImageDecode {
public:
    static std::unique_ptr<JpegDecode> open(const ImageInput& input, ImageFitRule fit, ImageSize* fitted);
    ~JpegDecode() override;
    JpegDecode(const JpegDecode&) = delete;
    JpegDecode& operator=(const JpegDecode&) = delete;

    int kind() const override { return IMAGE_PIXELS_BGR; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    bool decode(unsigned char* pixels, std::size_t stride) override;

    // What the library delivers before the area average, and whether a
    // progressive picture is taken from its first DC scans only.
    int reduced_width() const { return static_cast<int>(cinfo_.output_width); }
    int reduced_height() const { return static_cast<int>(cinfo_.output_height); }
    bool dc_only() const { return dc_only_; }

    // The data source over a block or reads; public for the library's callbacks.
    struct Source {
        jpeg_source_mgr pub;
        const unsigned char* data;  // a block not yet handed to the library
        std::size_t remaining;
        ImageReader reader;         // further reads; none for a memory block or once they ended
        unsigned char* buffer;
        std::size_t buffer_size;
        JOCTET marker[2];           // receives the end-of-image markers (FF D9)
    };

    // The error manager and the point its error_exit jumps back to.
    struct Error {
        jpeg_error_mgr pub;
        std::jmp_buf recovery;
    };

private:
    JpegDecode() = default;
    bool start(const ImageInput& input, ImageFitRule fit, ImageSize* fitted);
    void read_header(const ImageInput& input);
    void choose_colours();
    bool choose_size(ImageFitRule fit, ImageSize* fitted, ImageSize& want);
    void begin_decompress(bool fitting);
    void read_first_dc_scans();
    void deliver(JSAMPLE* row, unsigned char* target);

    jpeg_decompress_struct cinfo_{};
    Error error_{};
    jpeg_progress_mgr progress_{};
    Source source_{};
    std::vector<unsigned char> buffer_;
    std::unique_ptr<BoxFilter> filter_;  // when the delivered size is not the library's
    JSAMPARRAY row_ = nullptr;           // one row of the library's output
    bool created_ = false;
    bool decoded_ = false;
    bool direct_ = false;                // the library delivers B, G, R itself
    bool cmyk_ = false;                  // four samples a pixel, converted to B, G, R
    bool inverted_ = false;              // CMYK stored inverted (Adobe applications)
    bool dc_only_ = false;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tw::image
