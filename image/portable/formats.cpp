// BMP and icon file checks. All offsets are checked before anything is read;
// sizes are computed in 64 bits so that no crafted value can wrap around.
#include "image/portable/formats.h"

#include <cstring>

namespace tw::image {
namespace {

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t s32(const uint8_t* p) { return static_cast<int32_t>(u32(p)); }

void put16(std::vector<uint8_t>& v, std::size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void put32(std::vector<uint8_t>& v, std::size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// True when [offset, offset + size) lies within a block of `length` bytes.
bool within(uint64_t offset, uint64_t size, std::size_t length) {
    return offset <= length && size <= length - offset;
}

bool palette_bits(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8; }

constexpr int kIconMaxSide = 32767;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

}  // namespace

std::size_t dib_stride(uint32_t width, uint32_t bit_count) {
    uint64_t bits = static_cast<uint64_t>(width) * bit_count;
    return static_cast<std::size_t>(((bits + 31) / 32) * 4);
}

bool bmp_signature(const uint8_t* data, std::size_t length) {
    return data && length >= 2 && data[0] == 'B' && data[1] == 'M';
}

namespace {

// The fields of a BMP file's header that the checks look at, from a core
// header (12 bytes) or an info header of any later version (40 or more).
struct BmpHeader {
    uint32_t size = 0;
    int64_t width = 0, height = 0;
    uint32_t planes = 0, bits = 0, compression = kBmpRgb, size_image = 0, clr_used = 0;
    std::size_t entry_bytes = 4;  // colour table entries: RGBQUAD, or RGBTRIPLE for core headers

    int64_t rows() const { return height < 0 ? -height : height; }
};

// Where the parts behind the header lie, each checked against the block.
struct BmpLayout {
    uint64_t table_at = 0;           // the colour table
    uint32_t masks[3] = {0, 0, 0};   // of a bit-field file
    uint32_t colours = 0;            // entries of the colour table
    uint32_t pixels_at = 0;          // the pixel data's offset in the file
    uint64_t pixel_bytes = 0;
};

// The header behind the file header; false when it is not within the block
// or of no known size.
bool bmp_header(const uint8_t* data, std::size_t length, BmpHeader& h) {
    h.size = u32(data + 14);
    if (!within(14, h.size, length)) return false;
    const uint8_t* p = data + 14;
    if (h.size == 12) {
        h.width = u16(p + 4);
        h.height = u16(p + 6);
        h.planes = u16(p + 8);
        h.bits = u16(p + 10);
        h.entry_bytes = 3;
    } else if (h.size >= 40) {
        h.width = s32(p + 4);
        h.height = s32(p + 8);
        h.planes = u16(p + 12);
        h.bits = u16(p + 14);
        h.compression = u32(p + 16);
        h.size_image = u32(p + 20);
        h.clr_used = u32(p + 32);
    } else {
        return false;
    }
    return true;
}

// Whether the platform converts what the header describes: one plane, 1 to
// max_side pixels each way, and a bit count with a compression that suits it.
bool bmp_convertible(const BmpHeader& h, int max_side) {
    if (h.planes != 1 || h.width < 1 || h.width > max_side || h.rows() < 1 || h.rows() > max_side) return false;
    if (!palette_bits(h.bits) && h.bits != 16 && h.bits != 24 && h.bits != 32) return false;
    switch (h.compression) {
    case kBmpRgb: return true;
    case kBmpRle8: return h.bits == 8 && h.height >= 0;
    case kBmpRle4: return h.bits == 4 && h.height >= 0;
    case kBmpBitfields: return h.bits == 16 || h.bits == 32;
    default: return false;  // embedded JPEG or PNG, or unknown
    }
}

// The colour masks, colour table and pixel data; false when any of them
// does not lie within the block.
bool bmp_layout(const uint8_t* data, std::size_t length, const BmpHeader& h, BmpLayout& l) {
    // Colour masks: behind a 40-byte header, inside the later versions.
    l.table_at = 14 + static_cast<uint64_t>(h.size);
    if (h.compression == kBmpBitfields) {
        const uint64_t masks_at = h.size == 40 ? l.table_at : 14 + 40;
        if (!within(masks_at, 12, length)) return false;
        for (int i = 0; i < 3; ++i) l.masks[i] = u32(data + masks_at + 4 * i);
        if (h.size == 40) l.table_at += 12;
    }
    if (palette_bits(h.bits)) {
        const uint32_t full = 1u << h.bits;
        l.colours = h.clr_used == 0 || h.clr_used > full ? full : h.clr_used;
        if (!within(l.table_at, static_cast<uint64_t>(l.colours) * h.entry_bytes, length)) return false;
    }
    if (h.compression == kBmpRle8 || h.compression == kBmpRle4) {
        l.pixel_bytes = h.size_image;
        if (l.pixel_bytes == 0) return false;
    } else {
        l.pixel_bytes = static_cast<uint64_t>(dib_stride(static_cast<uint32_t>(h.width), h.bits)) *
                        static_cast<uint64_t>(h.rows());
    }
    l.pixels_at = u32(data + 10);
    return l.pixels_at >= 14 + static_cast<uint64_t>(h.size) && within(l.pixels_at, l.pixel_bytes, length);
}

// The checked file as the platform takes it: a 40-byte info header, the
// masks, the colour table as RGBQUADs, and where the pixels are.
void bmp_describe(const uint8_t* data, const BmpHeader& h, const BmpLayout& l, BmpFile& out) {
    const std::size_t mask_bytes = h.compression == kBmpBitfields ? 12 : 0;
    out.info.assign(40 + mask_bytes + 4 * static_cast<std::size_t>(l.colours), 0);
    put32(out.info, 0, 40);
    put32(out.info, 4, static_cast<uint32_t>(h.width));
    put32(out.info, 8, static_cast<uint32_t>(static_cast<int32_t>(h.height)));
    put16(out.info, 12, 1);
    put16(out.info, 14, h.bits);
    put32(out.info, 16, h.compression);
    put32(out.info, 20, static_cast<uint32_t>(l.pixel_bytes));
    put32(out.info, 32, l.colours);
    for (std::size_t i = 0; i < mask_bytes / 4; ++i) put32(out.info, 40 + 4 * i, l.masks[i]);
    uint8_t* table = out.info.data() + 40 + mask_bytes;
    for (uint32_t i = 0; i < l.colours; ++i) {
        const uint8_t* e = data + l.table_at + static_cast<uint64_t>(i) * h.entry_bytes;
        table[4 * i] = e[0];
        table[4 * i + 1] = e[1];
        table[4 * i + 2] = e[2];
        table[4 * i + 3] = 0;
    }
    out.width = static_cast<int32_t>(h.width);
    out.height = static_cast<int32_t>(h.height);
    out.bit_count = static_cast<uint16_t>(h.bits);
    out.pixels = data + l.pixels_at;
    out.pixel_bytes = static_cast<std::size_t>(l.pixel_bytes);
}

}  // namespace

bool bmp_parse(const uint8_t* data, std::size_t length, int max_side, BmpFile& out) {
    out = BmpFile();
    if (!bmp_signature(data, length) || length < 18) return false;
    BmpHeader header;
    BmpLayout layout;
    if (!bmp_header(data, length, header) || !bmp_convertible(header, max_side) ||
        !bmp_layout(data, length, header, layout))
        return false;
    bmp_describe(data, header, layout, out);
    return true;
}

bool icon_signature(const uint8_t* data, std::size_t length) {
    return data && length >= 6 && u16(data) == 0 && u16(data + 2) == 1 && u16(data + 4) >= 1;
}

bool icon_choose(const uint8_t* data, std::size_t length, IconImage& out) {
    out = IconImage();
    if (!icon_signature(data, length)) return false;
    const unsigned count = u16(data + 4);
    if (!within(6, 16ull * count, length)) return false;

    const uint8_t* first = data + 6;
    unsigned chosen = 0;
    for (unsigned i = 1; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        const uint8_t* c = data + 6 + 16 * chosen;
        if (e[0] == first[0] && e[1] == first[1] && u16(e + 6) > u16(c + 6)) chosen = i;
    }
    const uint8_t* entry = data + 6 + 16 * chosen;
    const uint32_t size = u32(entry + 8);
    const uint32_t offset = u32(entry + 12);
    if (size < 8 || !within(offset, size, length)) return false;
    const uint8_t* img = data + offset;

    out.offset = offset;
    out.size = size;
    out.index = static_cast<int>(chosen);
    if (std::memcmp(img, kPngSignature, 8) == 0) {
        out.png = true;
        out.width = entry[0] ? entry[0] : 256;
        out.height = entry[1] ? entry[1] : 256;
        return true;
    }

    // A DIB: its header, colour table, colour bits and mask bits must all fit.
    if (size < 40) return false;
    const uint32_t header_size = u32(img);
    const int32_t width = s32(img + 4);
    const int32_t height2 = s32(img + 8);
    const uint32_t planes = u16(img + 12);
    const uint32_t bits = u16(img + 14);
    const uint32_t compression = u32(img + 16);
    const uint32_t clr_used = u32(img + 32);
    if (header_size < 40 || header_size > size || planes != 1) return false;
    if (width < 1 || width > kIconMaxSide || height2 < 2 || height2 / 2 > kIconMaxSide) return false;
    if (!palette_bits(bits) && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != kBmpRgb && !(compression == kBmpBitfields && (bits == 16 || bits == 32)))
        return false;
    const uint32_t rows = static_cast<uint32_t>(height2 / 2);
    uint64_t need = header_size;
    if (compression == kBmpBitfields && header_size == 40) need += 12;
    if (palette_bits(bits)) {
        // The platform reads biClrUsed entries when given (at most 256).
        need += 4ull * (clr_used == 0 ? (1u << bits) : (clr_used > 256 ? 256 : clr_used));
    }
    need += static_cast<uint64_t>(dib_stride(static_cast<uint32_t>(width), bits)) * rows;
    need += static_cast<uint64_t>(dib_stride(static_cast<uint32_t>(width), 1)) * rows;
    if (need > size) return false;
    out.width = width;
    out.height = static_cast<int>(rows);
    out.bit_count = static_cast<uint16_t>(bits);
    return true;
}

bool bmp_claims_more_than(const uint8_t* head, std::size_t length, int64_t max_pixels) {
    if (length < 26) return true;
    const uint8_t* h = head + 14;
    int64_t width, height;
    if (u32(h) == 12) {
        width = u16(h + 4);
        height = u16(h + 6);
    } else {
        width = s32(h + 4);
        height = s32(h + 8);
    }
    return width * (height < 0 ? -height : height) > max_pixels;
}

bool icon_claims_more_than(const uint8_t* data, std::size_t length, int64_t max_pixels) {
    if (!icon_signature(data, length)) return false;
    const unsigned count = u16(data + 4);
    for (unsigned i = 0; i < count && within(6 + 16ull * i, 16, length); ++i) {
        const uint8_t* entry = data + 6 + 16 * i;
        const uint32_t offset = u32(entry + 12);
        // The PNG signature, then the IHDR chunk: length, "IHDR", width, height.
        if (!within(offset, 24, length) || std::memcmp(data + offset, kPngSignature, 8) != 0) continue;
        const uint8_t* ihdr = data + offset + 8;
        if (std::memcmp(ihdr + 4, "IHDR", 4) != 0) continue;
        auto be32 = [](const uint8_t* p) {
            return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                   (static_cast<uint32_t>(p[2]) << 8) | p[3];
        };
        if (static_cast<int64_t>(be32(ihdr + 8)) * static_cast<int64_t>(be32(ihdr + 12)) > max_pixels) return true;
    }
    return false;
}

}  // namespace tw::image
