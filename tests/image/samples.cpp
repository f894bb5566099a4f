#include "tests/image/samples.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace samples {
namespace {

void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void info_header(Bytes& b, int width, int height, int bits, uint32_t image_size, uint32_t colours) {
    put32(b, 40);
    put32(b, static_cast<uint32_t>(width));
    put32(b, static_cast<uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<uint32_t>(bits));
    put32(b, 0);
    put32(b, image_size);
    put32(b, 0);
    put32(b, 0);
    put32(b, colours);
    put32(b, colours);
}
uint32_t stride(int width, int bits) { return static_cast<uint32_t>(((width * bits + 31) / 32) * 4); }

void fail(j_common_ptr) { throw std::runtime_error("libjpeg compressor error"); }

}  // namespace

Rgb quadrant_colour(int x, int y, int width, int height) {
    static const Rgb colours[4] = {{200, 30, 40}, {20, 180, 60}, {30, 60, 210}, {230, 220, 40}};
    return colours[(x < width / 2 ? 0 : 1) + (y < height / 2 ? 0 : 2)];
}

Bytes make_jpeg(int width, int height, const std::function<Rgb(int, int)>& pixel, const JpegOptions& o) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    err.error_exit = fail;
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&c, &out, &out_size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    const bool cmyk = o.kind == JpegKind::Cmyk || o.kind == JpegKind::CmykPlain || o.kind == JpegKind::Ycck;
    c.input_components = o.kind == JpegKind::Grey ? 1 : cmyk ? 4 : 3;
    c.in_color_space = o.kind == JpegKind::Grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    if (o.kind == JpegKind::Ycck) jpeg_set_colorspace(&c, JCS_YCCK);
    if (o.kind == JpegKind::CmykPlain) c.write_Adobe_marker = FALSE;
    jpeg_set_quality(&c, o.quality, TRUE);
    if (o.progressive) jpeg_simple_progression(&c);
    if (o.arithmetic) c.arith_code = TRUE;
    if (o.restart_rows) c.restart_in_rows = o.restart_rows;
    c.comp_info[0].h_samp_factor = o.h_samp;
    c.comp_info[0].v_samp_factor = o.v_samp;
    std::vector<jpeg_scan_info> scans;
    if (o.scan_per_coefficient) {
        if (o.scan_per_coefficient == 1) scans.push_back({c.num_components, {0, 1, 2, 3}, 0, 0, 0, 0});
        for (int ci = 0; ci < c.num_components; ++ci)
            for (int k = o.scan_per_coefficient == 1 ? 1 : 0; k < 64; ++k) scans.push_back({1, {ci}, k, k, 0, 0});
        c.scan_info = scans.data();
        c.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * c.input_components);
    // Adobe applications store inverted ink values; libjpeg marks CMYK files as theirs.
    const bool inverted = cmyk && o.kind != JpegKind::CmykPlain;
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            JSAMPLE* s = &row[static_cast<std::size_t>(x) * c.input_components];
            if (o.kind == JpegKind::Grey) {
                s[0] = p.r;
            } else if (cmyk) {
                const int mx = std::max({p.r, p.g, p.b});
                const int k = 255 - mx;
                auto ink = [&](int v) { return mx ? (mx - v) * 255 / mx : 0; };
                int v[4] = {ink(p.r), ink(p.g), ink(p.b), k};
                for (int i = 0; i < 4; ++i) s[i] = static_cast<JSAMPLE>(inverted ? 255 - v[i] : v[i]);
            } else {
                s[0] = p.r;
                s[1] = p.g;
                s[2] = p.b;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    Bytes result(out, out + out_size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return result;
}

std::size_t find_sof(const Bytes& j) {
    for (std::size_t i = 2; i + 9 < j.size(); ++i)
        if (j[i] == 0xFF && (j[i + 1] == 0xC0 || j[i + 1] == 0xC1 || j[i + 1] == 0xC2 || j[i + 1] == 0xC9 ||
                             j[i + 1] == 0xCA))
            return i + 2;
    return 0;
}

Bytes claiming(Bytes j, int width, int height, int precision) {
    const std::size_t sof = find_sof(j);
    if (!sof) throw std::runtime_error("no frame header");
    j[sof + 2] = static_cast<uint8_t>(precision);
    j[sof + 3] = static_cast<uint8_t>(height >> 8);
    j[sof + 4] = static_cast<uint8_t>(height);
    j[sof + 5] = static_cast<uint8_t>(width >> 8);
    j[sof + 6] = static_cast<uint8_t>(width);
    return j;
}

Bytes make_bmp4(int width, int height, const std::vector<Rgb>& palette,
                const std::function<int(int, int)>& index, bool top_down) {
    const uint32_t row = stride(width, 4);
    const uint32_t image = row * static_cast<uint32_t>(height);
    Bytes b = {'B', 'M'};
    put32(b, 14 + 40 + 64 + image);
    put32(b, 0);
    put32(b, 14 + 40 + 64);
    info_header(b, width, top_down ? -height : height, 4, image, 16);
    for (int i = 0; i < 16; ++i) {
        const Rgb c = i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : Rgb{255, 255, 255};
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        b.push_back(0);
    }
    for (int r = 0; r < height; ++r) {
        const int y = top_down ? r : height - 1 - r;
        Bytes line(row, 0);
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<uint8_t>(index(x, y) & 15);
            line[static_cast<std::size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 ? v : v << 4);
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

Bytes make_bmp(int width, int height, int bits, const std::function<Rgb(int, int)>& pixel) {
    const uint32_t row = stride(width, bits);
    const uint32_t colours = bits == 8 ? 256 : 0;
    const uint32_t offset = 14 + 40 + 4 * colours;
    Bytes b = {'B', 'M'};
    put32(b, offset + row * static_cast<uint32_t>(height));
    put32(b, 0);
    put32(b, offset);
    info_header(b, width, height, bits, row * static_cast<uint32_t>(height), colours);
    for (uint32_t i = 0; i < colours; ++i) {
        for (int k = 0; k < 3; ++k) b.push_back(static_cast<uint8_t>(i));
        b.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        Bytes line(row, 0);
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            if (bits == 8) {
                line[static_cast<std::size_t>(x)] = p.r;
            } else {
                line[static_cast<std::size_t>(3 * x)] = p.b;
                line[static_cast<std::size_t>(3 * x + 1)] = p.g;
                line[static_cast<std::size_t>(3 * x + 2)] = p.r;
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

Bytes make_icon(const std::vector<IconEntry>& entries) {
    std::vector<Bytes> images;
    for (const IconEntry& e : entries) {
        const uint32_t colours = e.bits <= 8 ? (1u << e.bits) : 0;
        const uint32_t xor_row = stride(e.width, e.bits), and_row = stride(e.width, 1);
        Bytes img;
        info_header(img, e.width, 2 * e.height, e.bits, (xor_row + and_row) * static_cast<uint32_t>(e.height), 0);
        for (uint32_t i = 0; i < colours; ++i) {
            const Rgb c = i == 1 ? e.colour : Rgb{0, 0, 0};
            img.push_back(c.b);
            img.push_back(c.g);
            img.push_back(c.r);
            img.push_back(0);
        }
        for (int y = 0; y < e.height; ++y) {
            Bytes line(xor_row, 0);
            for (int x = 0; x < e.width; ++x) {
                if (e.bits == 32) {
                    uint8_t* p = &line[static_cast<std::size_t>(4 * x)];
                    p[0] = e.colour.b; p[1] = e.colour.g; p[2] = e.colour.r; p[3] = 255;
                } else if (e.bits == 24) {
                    uint8_t* p = &line[static_cast<std::size_t>(3 * x)];
                    p[0] = e.colour.b; p[1] = e.colour.g; p[2] = e.colour.r;
                } else if (e.bits == 8) {
                    line[static_cast<std::size_t>(x)] = 1;
                } else if (e.bits == 4) {
                    line[static_cast<std::size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 ? 1 : 0x10);
                } else if (e.bits == 1) {
                    line[static_cast<std::size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
            }
            img.insert(img.end(), line.begin(), line.end());
        }
        img.insert(img.end(), static_cast<std::size_t>(and_row) * e.height, 0);  // all opaque
        images.push_back(std::move(img));
    }
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IconEntry& e = entries[i];
        b.push_back(static_cast<uint8_t>(e.width));
        b.push_back(static_cast<uint8_t>(e.height));
        b.push_back(static_cast<uint8_t>(e.bits <= 8 ? (1 << e.bits) & 0xFF : 0));
        b.push_back(0);
        put16(b, 1);
        put16(b, static_cast<uint32_t>(e.bits));
        put32(b, static_cast<uint32_t>(images[i].size()));
        put32(b, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const Bytes& img : images) b.insert(b.end(), img.begin(), img.end());
    return b;
}

void write_file(const std::string& path, const Bytes& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    if (!data.empty()) std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
}

bool djpeg_rgb(const Bytes& jpeg, const std::string& args, int& width, int& height, Bytes& rgb) {
    std::string djpeg = TW_TEST_DJPEG, dir = "/tmp/";
    if (djpeg.empty()) return false;
#ifdef _WIN32
    // The build's host path, as Wine's drive Z: shows it.
    std::replace(djpeg.begin(), djpeg.end(), '/', '\\');
    djpeg = "Z:" + djpeg;
    dir = std::string(std::getenv("TEMP") ? std::getenv("TEMP") : ".") + "\\";
#endif
    const std::string in = dir + "tw_djpeg_in.jpg", out = dir + "tw_djpeg_out.ppm";
    write_file(in, jpeg);
    const bool ran = std::system((djpeg + " " + args + " -ppm -outfile " + out + " " + in).c_str()) == 0;
    std::FILE* f = ran ? std::fopen(out.c_str(), "rb") : nullptr;
    int maxval = 0;
    bool ok = f && std::fscanf(f, "P6 %d %d %d", &width, &height, &maxval) == 3 && maxval == 255 &&
              std::fgetc(f) != EOF;
    rgb.assign(ok ? static_cast<std::size_t>(width) * height * 3 : 0, 0);
    ok = ok && std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
    if (f) std::fclose(f);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return ok;
}

}  // namespace samples
