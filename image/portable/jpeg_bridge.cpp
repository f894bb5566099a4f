// The JPEG decoder: recognises JPEG data in memory or in a file, and decodes
// it with libjpeg one row at a time straight into the caller's pixel rows as
// B, G, R. Every fatal library error jumps back here and ends in a clean 0;
// the library's warnings and messages are never shown.
//
// The functions that set a recovery point keep no objects with destructors
// alive across it: a jump back must not skip any clean-up.
#include "image/portable/jpeg_bridge.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jerror.h>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/decoders.h"

namespace {

struct BridgeError {
    jpeg_error_mgr pub;
    std::jmp_buf recovery;
};

// The data source over one memory block.
struct MemorySource {
    jpeg_source_mgr pub;
    const unsigned char* data;
    std::size_t remaining;      // not yet handed to the library
    JOCTET* marker;             // receives the end-of-image markers (FF D9)
};

constexpr std::size_t kMarkerBufferSize = 2;  // one end-of-image marker

// Writes each decoded row into the target rows.
struct RowWriter {
    JSAMPARRAY row;             // one row of output_width x output_components samples
    unsigned char* target;
};

struct JpegDecoder {
    jpeg_decompress_struct cinfo;
    BridgeError error;
    bool open = false;          // a checked image waits for its decode
    unsigned char* input = nullptr;  // a file's whole content
    const unsigned char* data = nullptr;  // the data being read: input or a caller's block
    std::size_t size = 0;
    RowWriter* writer = nullptr;
    int width = 0;
    int height = 0;
    bool direct = false;        // the library writes B, G, R rows into the target itself
    bool cmyk = false;          // four samples a pixel, converted to B, G, R
    bool inverted = false;      // CMYK stored inverted (Adobe applications)
};

JpegDecoder g_jpeg;

[[noreturn]] void bridge_error_exit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<BridgeError*>(cinfo->err)->recovery, 1);
}

// The library would print its first warning even at trace level 0.
void bridge_output_message(j_common_ptr) {}

void init_source(j_decompress_ptr) {}
void term_source(j_decompress_ptr) {}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    if (src->remaining > 0) {
        src->pub.next_input_byte = src->data;
        src->pub.bytes_in_buffer = src->remaining;
        src->remaining = 0;
        return TRUE;
    }
    // The data ran out before the image did: end it here.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->marker[0] = 0xFF;
    src->marker[1] = JPEG_EOI;
    src->pub.next_input_byte = src->marker;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    auto n = static_cast<std::size_t>(count);
    while (n > src->pub.bytes_in_buffer) {
        n -= src->pub.bytes_in_buffer;
        fill_input_buffer(cinfo);
    }
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
}

void free_input() {
    std::free(g_jpeg.input);
    g_jpeg.input = nullptr;
}

// Ends the held image's life: the decompressor goes, with its pools.
void close_image() {
    jpeg_destroy_decompress(&g_jpeg.cinfo);
    free_input();
    g_jpeg.data = nullptr;
    g_jpeg.size = 0;
    g_jpeg.writer = nullptr;
    g_jpeg.open = false;
}

// One decoded row (R, G, B or C, M, Y, K samples) into B, G, R target bytes,
// for libraries that cannot deliver B, G, R and for four-component pictures.
void write_row(const JSAMPLE* s, unsigned char* t, int width) {
    if (!g_jpeg.cmyk) {
        for (int x = 0; x < width; ++x, s += 3, t += 3) {
            t[0] = s[2];
            t[1] = s[1];
            t[2] = s[0];
        }
        return;
    }
    for (int x = 0; x < width; ++x, s += 4, t += 3) {
        unsigned c = s[0], m = s[1], y = s[2], k = s[3];
        if (!g_jpeg.inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        // Here every value is the amount of light left: 255 = no ink.
        t[0] = static_cast<unsigned char>((y * k + 127) / 255);
        t[1] = static_cast<unsigned char>((m * k + 127) / 255);
        t[2] = static_cast<unsigned char>((c * k + 127) / 255);
    }
}

int open_image(ImageFitRule fit, ImageSize* fitted);

}  // namespace

void jpeg_memory_source(j_decompress_ptr cinfo, const unsigned char* data, std::size_t length) {
    if (!cinfo->src) {
        auto* src = static_cast<MemorySource*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
        src->marker = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kMarkerBufferSize));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    src->pub.init_source = init_source;
    src->pub.fill_input_buffer = fill_input_buffer;
    src->pub.skip_input_data = skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = term_source;
    src->data = data;
    src->remaining = length;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
}

namespace {

// Notes the data of a check in g_jpeg: a file is read whole into the input
// buffer, a memory block is taken in place. False when it is no JPEG data.
bool take_input(std::FILE* file, const void* memory, std::size_t length) {
    if (g_jpeg.open) close_image();  // a check without its decode: give that image up
    const unsigned char* data;
    std::size_t size;
    if (file) {
        if (std::fseek(file, 0, SEEK_END) != 0) return false;
        long end = std::ftell(file);
        if (end < 2 || std::fseek(file, 0, SEEK_SET) != 0) return false;
        size = static_cast<std::size_t>(end);
        g_jpeg.input = static_cast<unsigned char*>(std::malloc(size));
        if (!g_jpeg.input) return false;
        if (std::fread(g_jpeg.input, 1, 2, file) != 2 || g_jpeg.input[0] != 0xFF || g_jpeg.input[1] != 0xD8) {
            free_input();
            return false;
        }
        // A file that shrank meanwhile is taken as far as it goes.
        size = 2 + std::fread(g_jpeg.input + 2, 1, size - 2, file);
        data = g_jpeg.input;
    } else {
        data = static_cast<const unsigned char*>(memory);
        size = length;
        if (!data || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return false;
    }
    g_jpeg.data = data;
    g_jpeg.size = size;
    return true;
}

}  // namespace

int jpeg_check(std::FILE* file, const void* memory, std::size_t length, const char* name) {
    return jpeg_check_fit(file, memory, length, name, nullptr, nullptr);
}

int jpeg_check_fit(std::FILE* file, const void* memory, std::size_t length, const char*, ImageFitRule fit,
                   ImageSize* fitted) {
    if (!take_input(file, memory, length)) return 0;
    return open_image(fit, fitted);
}

namespace {

// Chooses the largest of the library's reductions whose output, rounded as
// the library rounds it, still covers `want` in both directions; none (full
// size) when no reduction does.
void choose_scale(jpeg_decompress_struct* cinfo, ImageSize want) {
    for (unsigned denom : {8u, 4u, 2u}) {
        cinfo->scale_num = 1;
        cinfo->scale_denom = denom;
        jpeg_calc_output_dimensions(cinfo);
        if (cinfo->output_width >= static_cast<JDIMENSION>(want.width) &&
            cinfo->output_height >= static_cast<JDIMENSION>(want.height))
            return;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
}

// Reads the header of the data noted in g_jpeg and starts the decompressor;
// with a fit rule at the reduction that the fitted size allows.
int open_image(ImageFitRule fit, ImageSize* fitted) {
    jpeg_decompress_struct* cinfo = &g_jpeg.cinfo;
    cinfo->err = jpeg_std_error(&g_jpeg.error.pub);
    g_jpeg.error.pub.error_exit = bridge_error_exit;
    g_jpeg.error.pub.output_message = bridge_output_message;
    if (setjmp(g_jpeg.error.recovery)) {
        close_image();
        return 0;
    }
    jpeg_create_decompress(cinfo);
    g_jpeg.error.pub.trace_level = 0;
    cinfo->mem->max_memory_to_use = tw::image::kJpegMemoryLimit;
    jpeg_memory_source(cinfo, g_jpeg.data, g_jpeg.size);
    jpeg_read_header(cinfo, TRUE);

    g_jpeg.cmyk = false;
    g_jpeg.inverted = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // The library turns YCCK into CMYK; the ink values become RGB here.
        cinfo->out_color_space = JCS_CMYK;
        g_jpeg.cmyk = true;
        g_jpeg.inverted = cinfo->saw_Adobe_marker != 0;
        break;
    default:
        break;
    }
    g_jpeg.direct = false;
#ifdef JCS_EXTENSIONS
    // A library that can deliver B, G, R itself writes straight into the
    // target rows: no copy, and still exactly width x 3 bytes a row.
    if (cinfo->out_color_space == JCS_RGB) {
        cinfo->out_color_space = JCS_EXT_BGR;
        g_jpeg.direct = true;
    }
#endif
    cinfo->dct_method = JDCT_ISLOW;
    if (fit) {
        // The fitted size comes from the picture's real size; the decoding
        // only has to cover it.
        const ImageSize want = fit(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height));
        if (fitted) *fitted = want;
        if (want.width >= 1 && want.height >= 1) choose_scale(cinfo, want);
    }
    jpeg_calc_output_dimensions(cinfo);

    const int samples = g_jpeg.cmyk ? 4 : 3;
    if (cinfo->output_components != samples || cinfo->output_width < 1 || cinfo->output_height < 1 ||
        cinfo->output_width > static_cast<JDIMENSION>(IMAGE_MAX_SIDE) ||
        cinfo->output_height > static_cast<JDIMENSION>(IMAGE_MAX_SIDE)) {
        close_image();  // not a picture an image object can hold
        return 0;
    }

    auto* writer = static_cast<RowWriter*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, sizeof(RowWriter)));
    const JDIMENSION row_samples = (cinfo->output_width * static_cast<JDIMENSION>(samples) + 3) & ~JDIMENSION(3);
    writer->row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, row_samples, 1);
    writer->target = nullptr;
    g_jpeg.writer = writer;

    jpeg_start_decompress(cinfo);
    g_jpeg.width = static_cast<int>(cinfo->output_width);
    g_jpeg.height = static_cast<int>(cinfo->output_height);
    g_jpeg.open = true;
    return IMAGE_PIXELS_BGR;
}

}  // namespace

int jpeg_decode(unsigned char* pixels, std::size_t stride, int) {
    if (!g_jpeg.open) return 0;
    if (!pixels) {
        close_image();
        return 0;
    }
    jpeg_decompress_struct* cinfo = &g_jpeg.cinfo;
    if (setjmp(g_jpeg.error.recovery)) {
        close_image();  // the rows written so far stay in the target
        return 0;
    }
    RowWriter* writer = g_jpeg.writer;
    writer->target = pixels;
    while (cinfo->output_scanline < cinfo->output_height) {
        if (g_jpeg.direct) {
            JSAMPROW row = writer->target;
            if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
        } else {
            if (jpeg_read_scanlines(cinfo, writer->row, 1) != 1) break;
            write_row(writer->row[0], writer->target, g_jpeg.width);
        }
        writer->target += stride;
    }
    jpeg_finish_decompress(cinfo);
    close_image();
    return 1;
}

int jpeg_width() { return g_jpeg.width; }
int jpeg_height() { return g_jpeg.height; }

void jpeg_release() {
    if (g_jpeg.open) close_image();
}

// Registers once: a registry that already holds the decoder keeps its one entry.
void jpeg_decoder_register() {
    if (tw::image::decoder_registered(jpeg_check)) return;
    ImageDecoder record{jpeg_check, jpeg_decode, jpeg_width, jpeg_height, jpeg_release, jpeg_check_fit};
    decoder_register(record);
}

namespace tw::image {
bool jpeg_holding() { return g_jpeg.open; }
}  // namespace tw::image
