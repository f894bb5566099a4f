// The JPEG decoder: recognises JPEG data in memory or read from a file, and
// decodes it with libjpeg one row at a time straight into the caller's pixel
// rows as B, G, R, through the area average when the size delivered is
// smaller than the library's output. Every fatal library error jumps back
// here and ends in a clean failure; the library's warnings and messages are
// never shown.
//
// The functions that set a recovery point keep no objects with destructors
// alive across it: a jump back must not skip any clean-up. Everything the
// library needs lives in the decode object and goes with it.
#include "image/portable/jpeg_bridge.h"

#include <cstring>

#include <jerror.h>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/decoders.h"

namespace {

using tw::image::JpegDecode;
using Source = JpegDecode::Source;

[[noreturn]] void bridge_error_exit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegDecode::Error*>(cinfo->err)->recovery, 1);
}

// The library would print its first warning even at trace level 0.
void bridge_output_message(j_common_ptr) {}

// Called by the library as it goes through the file: a picture of more
// scans than any encoder writes is given up.
void scan_limit(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > tw::image::kJpegMaxScans) {
        cinfo->err->msg_code = JERR_NOTIMPL;
        (*cinfo->err->error_exit)(cinfo);
    }
}

void init_source(j_decompress_ptr) {}
void term_source(j_decompress_ptr) {}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (src->remaining > 0) {
        src->pub.next_input_byte = src->data;
        src->pub.bytes_in_buffer = src->remaining;
        src->remaining = 0;
        return TRUE;
    }
    if (src->reader.read) {
        const std::size_t got = src->reader.read(src->reader.context, src->buffer, src->buffer_size);
        if (got > 0) {
            src->pub.next_input_byte = src->buffer;
            src->pub.bytes_in_buffer = got;
            return TRUE;
        }
        src->reader.read = nullptr;  // the file ended (or failed): it is not read again
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
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    auto n = static_cast<std::size_t>(count);
    while (n > src->pub.bytes_in_buffer) {
        n -= src->pub.bytes_in_buffer;
        fill_input_buffer(cinfo);
    }
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
}

void install(j_decompress_ptr cinfo, Source* src) {
    src->pub.init_source = init_source;
    src->pub.fill_input_buffer = fill_input_buffer;
    src->pub.skip_input_data = skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = term_source;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    cinfo->src = &src->pub;
}

// The coefficients of a progressive picture read only for its first DC scan,
// interleaved over all components, and shown as that scan comes in: the
// library's whole-picture coefficient arrays become rings of a few rows, so
// that memory follows the picture's width, not its size. The library asks for
// rows in order, the output at most one iMCU row behind the input.
struct RingArray {
    JBLOCKARRAY rows;           // `ring` block rows, reused in turn
    JBLOCKARRAY view;           // the rows of one access
    JDIMENSION blocks, ring, max_access, cleared;  // rows below `cleared` have been zeroed once
};

jvirt_barray_ptr ring_request(j_common_ptr cinfo, int pool, boolean, JDIMENSION blocks, JDIMENSION,
                              JDIMENSION max_access) {
    auto* a = static_cast<RingArray*>((*cinfo->mem->alloc_small)(cinfo, pool, sizeof(RingArray)));
    a->blocks = blocks;
    a->max_access = max_access;
    a->ring = 2 * max_access;  // a multiple of every access, which starts at a multiple of it
    a->cleared = 0;
    a->rows = (*cinfo->mem->alloc_barray)(cinfo, pool, blocks, a->ring);
    a->view = static_cast<JBLOCKARRAY>((*cinfo->mem->alloc_small)(cinfo, pool, max_access * sizeof(JBLOCKROW)));
    return reinterpret_cast<jvirt_barray_ptr>(a);
}

JBLOCKARRAY ring_access(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION start, JDIMENSION count,
                        boolean writable) {
    auto* a = reinterpret_cast<RingArray*>(array);
    if (count > a->max_access) ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    for (JDIMENSION i = 0; i < count; ++i) {
        JBLOCKROW row = a->rows[(start + i) % a->ring];
        if (writable && start + i >= a->cleared) std::memset(row, 0, a->blocks * sizeof(JBLOCK));
        a->view[i] = row;
    }
    if (writable && start + count > a->cleared) a->cleared = start + count;
    return a->view;
}

bool starts_jpeg(const unsigned char* data, std::size_t size) {
    return data && size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

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

}  // namespace

void jpeg_memory_source(j_decompress_ptr cinfo, const unsigned char* data, std::size_t length) {
    if (!cinfo->src) {
        cinfo->src = static_cast<jpeg_source_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(Source)));
    }
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    src->data = data;
    src->remaining = length;
    src->reader = ImageReader{};
    src->buffer = nullptr;
    src->buffer_size = 0;
    install(cinfo, src);
}

namespace tw::image {

std::unique_ptr<JpegDecode> JpegDecode::open(const ImageInput& input, ImageFitRule fit, ImageSize* fitted) {
    std::unique_ptr<JpegDecode> d(new JpegDecode());
    if (input.memory) {
        if (!starts_jpeg(input.memory, input.length)) return nullptr;
    } else {
        // The first piece tells whether it is a JPEG file at all.
        if (!input.reader.read) return nullptr;
        d->buffer_.resize(kJpegReadBuffer);
        const std::size_t got = input.reader.read(input.reader.context, d->buffer_.data(), d->buffer_.size());
        if (!starts_jpeg(d->buffer_.data(), got)) return nullptr;
        Source& s = d->source_;
        s.data = d->buffer_.data();
        s.remaining = got;
        s.reader = got < d->buffer_.size() ? ImageReader{} : input.reader;
        s.buffer = d->buffer_.data();
        s.buffer_size = d->buffer_.size();
    }
    if (!d->start(input, fit, fitted)) return nullptr;
    return d;
}

JpegDecode::~JpegDecode() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
}

bool jpeg_frame_allowed(uint32_t width, uint32_t height, bool arithmetic) {
    const int64_t frame = static_cast<int64_t>(width) * height;
    return frame <= (arithmetic ? kJpegMaxArithmeticFramePixels : kJpegMaxFramePixels);
}

bool jpeg_fitting(ImageSize want, uint32_t width, uint32_t height) {
    return want.width >= 1 && want.height >= 1 && static_cast<uint32_t>(want.width) <= width &&
           static_cast<uint32_t>(want.height) <= height;
}

bool jpeg_deliverable(int components, int samples, ImageSize size) {
    return components == samples && size.width >= 1 && size.height >= 1 && size.width <= IMAGE_MAX_SIDE &&
           size.height <= IMAGE_MAX_SIDE;
}

bool JpegDecode::start(const ImageInput& input, ImageFitRule fit, ImageSize* fitted) {
    jpeg_decompress_struct* cinfo = &cinfo_;
    cinfo->err = jpeg_std_error(&error_.pub);
    error_.pub.error_exit = bridge_error_exit;
    error_.pub.output_message = bridge_output_message;
    if (setjmp(error_.recovery)) return false;
    read_header(input);
    if (!jpeg_frame_allowed(cinfo->image_width, cinfo->image_height, cinfo->arith_code)) return false;
    choose_colours();
    cinfo->dct_method = JDCT_ISLOW;
    ImageSize want;
    const bool fitting = choose_size(fit, fitted, want);
    if (!jpeg_deliverable(cinfo->output_components, cmyk_ ? 4 : 3, want))
        return false;  // not a picture an image object can hold
    begin_decompress(fitting);
    width_ = want.width;
    height_ = want.height;
    return true;
}

// The steps below run within start's recovery point: a fatal library error
// jumps straight back there.

void JpegDecode::read_header(const ImageInput& input) {
    jpeg_decompress_struct* cinfo = &cinfo_;
    jpeg_create_decompress(cinfo);
    created_ = true;
    error_.pub.trace_level = 0;
    cinfo->mem->max_memory_to_use = kJpegMemoryLimit;
    progress_.progress_monitor = scan_limit;
    cinfo->progress = &progress_;
    if (input.memory)
        jpeg_memory_source(cinfo, input.memory, input.length);
    else
        install(cinfo, &source_);
    jpeg_read_header(cinfo, TRUE);
}

void JpegDecode::choose_colours() {
    jpeg_decompress_struct* cinfo = &cinfo_;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // The library turns YCCK into CMYK; the ink values become RGB here.
        cinfo->out_color_space = JCS_CMYK;
        cmyk_ = true;
        inverted_ = cinfo->saw_Adobe_marker != 0;
        break;
    default:
        break;
    }
#ifdef JCS_EXTENSIONS
    // A library that can deliver B, G, R itself writes straight into the
    // target rows: no copy, and still exactly width x 3 bytes a row.
    if (cinfo->out_color_space == JCS_RGB) {
        cinfo->out_color_space = JCS_EXT_BGR;
        direct_ = true;
    }
#endif
}

// The size to deliver (`want`) and the library's output size: with a fit
// rule whose size the picture covers, the reduction that still covers it.
// True when the delivered size is the fitted one.
bool JpegDecode::choose_size(ImageFitRule fit, ImageSize* fitted, ImageSize& want) {
    jpeg_decompress_struct* cinfo = &cinfo_;
    bool fitting = false;
    if (fit) {
        // The fitted size comes from the picture's real size; the decoding
        // only has to cover it.
        want = fit(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height));
        if (fitted) *fitted = want;
        fitting = jpeg_fitting(want, cinfo->image_width, cinfo->image_height);
        if (fitting) choose_scale(cinfo, want);
    }
    jpeg_calc_output_dimensions(cinfo);
    if (!fitting) want = {static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height)};
    return fitting;
}

void JpegDecode::begin_decompress(bool fitting) {
    jpeg_decompress_struct* cinfo = &cinfo_;
    // At 1/8 each pixel is its block's DC value, which a progressive picture
    // has complete (but for the bits of its refinement scans) after its first
    // DC scans: the rest of the file is not needed.
    dc_only_ = fitting && cinfo->progressive_mode && cinfo->scale_denom == 8;
    // The usual first scan, every component's DC at once, is shown as it comes.
    const bool ring = dc_only_ && cinfo->comps_in_scan == cinfo->num_components && cinfo->Ss == 0 &&
                      cinfo->Se == 0 && cinfo->Ah == 0;
    if (dc_only_) {
        cinfo->buffered_image = TRUE;
        cinfo->do_block_smoothing = FALSE;
    }
    if (ring) {
        cinfo->mem->request_virt_barray = ring_request;
        cinfo->mem->access_virt_barray = ring_access;
    }
    const JDIMENSION samples = cmyk_ ? 4 : 3;
    const JDIMENSION row_samples = (cinfo->output_width * samples + 3) & ~JDIMENSION(3);
    row_ = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, row_samples, 1);
    jpeg_start_decompress(cinfo);
    if (ring) {
        jpeg_start_output(cinfo, 1);
    } else if (dc_only_) {
        read_first_dc_scans();
        jpeg_start_output(cinfo, cinfo->input_scan_number);
    }
}

// Takes in the file until every component has had its first DC scan (or the
// file ends).
void JpegDecode::read_first_dc_scans() {
    for (;;) {
        const int got = jpeg_consume_input(&cinfo_);
        scan_limit(reinterpret_cast<j_common_ptr>(&cinfo_));
        if (got == JPEG_REACHED_EOI || got == JPEG_SUSPENDED) return;
        if (got != JPEG_SCAN_COMPLETED) continue;
        bool complete = true;
        for (int c = 0; c < cinfo_.num_components; ++c) complete = complete && cinfo_.coef_bits[c][0] >= 0;
        if (complete) return;
    }
}

// One row of the library's output (R, G, B or C, M, Y, K samples) as B, G, R
// bytes; target may be the row itself.
void JpegDecode::deliver(JSAMPLE* s, unsigned char* t) {
    const int width = static_cast<int>(cinfo_.output_width);
    if (direct_) {
        if (t != s) std::memcpy(t, s, static_cast<std::size_t>(width) * 3);
        return;
    }
    if (!cmyk_) {
        for (int x = 0; x < width; ++x, s += 3, t += 3) {
            const JSAMPLE r = s[0], g = s[1], b = s[2];
            t[0] = b;
            t[1] = g;
            t[2] = r;
        }
        return;
    }
    for (int x = 0; x < width; ++x, s += 4, t += 3) {
        unsigned c = s[0], m = s[1], y = s[2], k = s[3];
        if (!inverted_) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        // Here every value is the amount of light left: 255 = no ink.
        t[0] = static_cast<unsigned char>((y * k + 127) / 255);
        t[1] = static_cast<unsigned char>((m * k + 127) / 255);
        t[2] = static_cast<unsigned char>((c * k + 127) / 255);
    }
}

bool JpegDecode::decode(unsigned char* pixels, std::size_t stride) {
    if (decoded_ || !pixels) return false;
    decoded_ = true;
    jpeg_decompress_struct* cinfo = &cinfo_;
    const bool filtered = width_ != static_cast<int>(cinfo->output_width) ||
                          height_ != static_cast<int>(cinfo->output_height);
    if (filtered)
        filter_ = std::make_unique<BoxFilter>(
            static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
            static_cast<int>(cinfo->scale_denom / cinfo->scale_num), static_cast<int>(cinfo->image_width),
            static_cast<int>(cinfo->image_height), width_, height_, pixels, stride);
    if (setjmp(error_.recovery)) return false;  // the rows written so far stay in the target
    unsigned char* target = pixels;
    while (cinfo->output_scanline < cinfo->output_height) {
        if (direct_ && !filtered) {
            JSAMPROW row = target;
            if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
        } else {
            if (jpeg_read_scanlines(cinfo, row_, 1) != 1) break;
            if (filtered) {
                deliver(row_[0], row_[0]);
                filter_->add_row(row_[0]);
            } else {
                deliver(row_[0], target);
            }
        }
        target += stride;
    }
    // Nothing more is read: what follows the last row's data stays unread.
    return true;
}

}  // namespace tw::image

std::unique_ptr<ImageDecode> jpeg_open(const ImageInput& input, ImageFitRule fit, ImageSize* fitted) {
    return tw::image::JpegDecode::open(input, fit, fitted);
}

// Registers once: a registry that already holds the decoder keeps its one entry.
void jpeg_decoder_register() {
    if (tw::image::decoder_registered(jpeg_open)) return;
    decoder_register(ImageDecoder{jpeg_open});
}
