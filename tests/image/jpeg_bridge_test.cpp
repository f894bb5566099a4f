// The JPEG decoder against pictures made with libjpeg's compressor: decoded
// pixels, row layout, colour spaces, coding processes, damaged and refused data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/jpeg_bridge.h"
#include "tests/image/decoded.h"
#include "tests/image/samples.h"

using samples::Bytes;
using samples::Rgb;

using samples::Decoded;
using samples::decode;
using samples::expect_quadrants;
using samples::quadrants;

TEST(JpegBridge, FlatColourBlocksDecodeToTheirColoursTopDownAsBgr) {
    Decoded d;
    ASSERT_TRUE(decode(quadrants(128, 96), d));
    EXPECT_EQ(d.width, 128);
    EXPECT_EQ(d.height, 96);
    expect_quadrants(d, 6);

    // The same picture in the other coding processes.
    samples::JpegOptions progressive;
    progressive.progressive = true;
    ASSERT_TRUE(decode(quadrants(128, 96, progressive), d));
    expect_quadrants(d, 6);
    samples::JpegOptions arithmetic;
    arithmetic.arithmetic = true;
    ASSERT_TRUE(decode(quadrants(128, 96, arithmetic), d));
    expect_quadrants(d, 6);
    samples::JpegOptions restarts;
    restarts.restart_rows = 1;
    ASSERT_TRUE(decode(quadrants(128, 96, restarts), d));
    expect_quadrants(d, 6);
}

TEST(JpegBridge, RowsOfOddWidthLeaveTheirPaddingAlone) {
    for (int width : {301, 302, 303, 1}) {
        Decoded d;
        ASSERT_TRUE(decode(quadrants(width, 40), d, 0x5C)) << width;
        const std::size_t used = static_cast<std::size_t>(width) * 3;
        ASSERT_EQ(d.stride % 4, 0u);
        ASSERT_LT(d.stride - used, 4u);
        if (width == 301) {
            EXPECT_EQ(d.stride, 904u);
        }
        for (int y = 0; y < d.height; ++y) {
            for (std::size_t i = used; i < d.stride; ++i)
                ASSERT_EQ(d.pixels[static_cast<std::size_t>(y) * d.stride + i], 0x5C) << "row " << y << " width " << width;
            // The row's own last pixel was written.
            ASSERT_NE(d.pixels[static_cast<std::size_t>(y) * d.stride + used - 1], 0x5C);
        }
    }
}

TEST(JpegBridge, NothingIsWrittenBehindTheLastRow) {
    // Rows without padding: the last row ends the target exactly.
    for (int width : {304, 64, 16}) {
        const Bytes j = quadrants(width, 24);
        std::unique_ptr<ImageDecode> d = jpeg_open(samples::block(j));
        ASSERT_NE(d, nullptr);
        const std::size_t stride = static_cast<std::size_t>(width) * 3;
        Bytes rows(stride * 24 + 64, 0x77);
        ASSERT_TRUE(d->decode(rows.data(), stride));
        for (std::size_t i = stride * 24; i < rows.size(); ++i) ASSERT_EQ(rows[i], 0x77) << "width " << width;
    }
}

TEST(JpegBridge, GreyPicturesComeAsThreeEqualSamples) {
    samples::JpegOptions grey;
    grey.kind = samples::JpegKind::Grey;
    const Bytes j = samples::make_jpeg(64, 32, [](int x, int) { return Rgb{uint8_t(x * 4), 0, 0}; }, grey);
    Decoded d;
    ASSERT_TRUE(decode(j, d));
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const uint8_t* p = d.at(x, y);
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
        }
    EXPECT_NEAR(d.at(40, 16)[0], 160, 6);
}

TEST(JpegBridge, FourComponentPicturesBecomeTheirRgbColours) {
    for (auto kind : {samples::JpegKind::Cmyk, samples::JpegKind::CmykPlain, samples::JpegKind::Ycck}) {
        samples::JpegOptions o;
        o.kind = kind;
        Decoded d;
        ASSERT_TRUE(decode(quadrants(96, 64, o), d)) << int(kind);
        SCOPED_TRACE("kind " + std::to_string(int(kind)));
        expect_quadrants(d, 10);
    }
}

TEST(JpegBridge, TruncatedPictureDecodesToItsFullSize) {
    const Bytes whole = samples::make_jpeg(160, 160, [](int x, int y) {
        return Rgb{uint8_t(x * 7 ^ y * 3), uint8_t(x + y), uint8_t(x * y)};
    });
    std::size_t sos = 0;
    for (std::size_t i = 2; i + 1 < whole.size() && !sos; ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) sos = i;
    ASSERT_GT(sos, 0u);
    ASSERT_GT(whole.size() - sos, 2000u);
    Decoded full;
    ASSERT_TRUE(decode(whole, full));
    for (std::size_t cut : {sos + 20, (sos + whole.size()) / 2, whole.size() - 2}) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
        Decoded d;
        ASSERT_TRUE(decode(part, d, 0xAA)) << cut;
        EXPECT_EQ(d.width, 160);
        EXPECT_EQ(d.height, 160);
        // Every row was written, also those whose data is missing.
        for (int y = 0; y < d.height; ++y) {
            bool all_fill = true;
            for (int x = 0; x < d.width && all_fill; ++x) all_fill = d.at(x, y)[0] == 0xAA && d.at(x, y)[1] == 0xAA;
            ASSERT_FALSE(all_fill) << "row " << y << " untouched, cut " << cut;
        }
        // The part that was there is right.
        if (cut > sos + 20) {
            EXPECT_EQ(std::memcmp(d.at(0, 0), full.at(0, 0), 3 * 160), 0);
        }
        if (cut == whole.size() - 2) {
            EXPECT_EQ(d.pixels, full.pixels);
        }
    }
    // Cut inside the header: no picture.
    const Bytes head(whole.begin(), whole.begin() + static_cast<long>(sos / 2));
    EXPECT_EQ(jpeg_open(samples::block(head)), nullptr);
}

TEST(JpegBridge, DataThatIsNoPictureIsRefusedAndNothingIsHeld) {
    Bytes garbage = {0xFF, 0xD8};
    for (int i = 0; i < 300; ++i) garbage.push_back(static_cast<uint8_t>(i * 37 + 11));
    Bytes empty;
    Bytes one = {0xFF};
    Bytes soi_only = {0xFF, 0xD8};
    Bytes not_jpeg = {'G', 'I', 'F', '8', '9', 'a'};
    for (const Bytes* b : {&garbage, &empty, &one, &soi_only, &not_jpeg}) {
        EXPECT_EQ(jpeg_open(samples::block(*b)), nullptr) << b->size();
        samples::BytesReader r{b};
        EXPECT_EQ(jpeg_open(r.input()), nullptr) << b->size();
    }
    EXPECT_EQ(jpeg_open(ImageInput::block(nullptr, 100)), nullptr);
    // A second decode of the same picture does nothing.
    Decoded d;
    std::unique_ptr<ImageDecode> once = jpeg_open(samples::block(quadrants(16, 16)));
    ASSERT_TRUE(samples::decode_held(*once, d, 0));
    uint8_t px[48] = {1, 2, 3, 4};
    EXPECT_FALSE(once->decode(px, 48));
    EXPECT_EQ(px[0], 1);

    // Unsupported precision and an oversized frame: the header says so.
    Bytes twelve = quadrants(32, 32);
    const std::size_t sof = samples::find_sof(twelve);
    ASSERT_NE(sof, 0u);
    twelve[sof + 2] = 12;
    EXPECT_EQ(jpeg_open(samples::block(twelve)), nullptr);
    Bytes huge = quadrants(32, 32);
    huge[sof + 3] = 0xEA;  // height 60,000
    huge[sof + 4] = 0x60;
    huge[sof + 5] = 0xEA;  // width 60,000
    huge[sof + 6] = 0x60;
    EXPECT_EQ(jpeg_open(samples::block(huge)), nullptr);
    // Just within the limit of an image object: the header is accepted.
    Bytes big = huge;
    big[sof + 3] = 0x7F;
    big[sof + 4] = 0xFF;
    big[sof + 5] = 0x00;
    big[sof + 6] = 0x10;
    std::unique_ptr<ImageDecode> tall = jpeg_open(samples::block(big));
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(tall->height(), 32767);  // given up undecoded: nothing may stay behind
}

TEST(JpegBridge, AFileIsReadPieceByPieceAndNothingBeyondItsPicture) {
    // A picture followed by 4 MB: only the piece holding its end is read.
    Bytes j = quadrants(80, 60);
    const std::size_t picture = j.size();
    j.resize(picture + 4 * 1024 * 1024, 0x00);
    samples::BytesReader r{&j};
    std::unique_ptr<ImageDecode> dec = jpeg_open(r.input());
    ASSERT_NE(dec, nullptr);
    EXPECT_EQ(dec->width(), 80);
    Decoded d;
    ASSERT_TRUE(samples::decode_held(*dec, d, 0));
    expect_quadrants(d, 6);
    EXPECT_LE(r.at, picture + tw::image::kJpegReadBuffer);

    // At 1/8 a progressive picture is read only up to its first DC scans:
    // here fine noise over the four blocks puts most of the file in AC scans.
    samples::JpegOptions o;
    o.progressive = true;
    const Bytes p = samples::make_jpeg(2048, 1536, [](int x, int y) {
        const Rgb c = samples::quadrant_colour(x, y, 2048, 1536);
        const int n = static_cast<int>((x * 7919u + y * 104729u) * 2654435761u >> 28) - 8;
        return Rgb{uint8_t(c.r + n), uint8_t(c.g + n), uint8_t(c.b + n)};
    }, o);
    samples::BytesReader pr{&p};
    dec = jpeg_open(pr.input(), [](int, int) { return ImageSize{256, 192}; });
    ASSERT_NE(dec, nullptr);
    ASSERT_TRUE(samples::decode_held(*dec, d, 0));
    expect_quadrants(d, 6, 2);
    EXPECT_LT(pr.at, p.size() / 2);
}

TEST(JpegBridge, MemorySourceHandsTheBlockOnceThenEndMarkers) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    err.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&cinfo);
    const unsigned char block[5] = {1, 2, 3, 4, 5};
    jpeg_memory_source(&cinfo, block, sizeof block);
    jpeg_source_mgr* src = cinfo.src;
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->bytes_in_buffer, 0u);
    ASSERT_TRUE(src->fill_input_buffer(&cinfo));
    EXPECT_EQ(src->next_input_byte, block);
    EXPECT_EQ(src->bytes_in_buffer, 5u);
    src->skip_input_data(&cinfo, 0);
    src->skip_input_data(&cinfo, -3);
    EXPECT_EQ(src->bytes_in_buffer, 5u);
    src->skip_input_data(&cinfo, 3);
    EXPECT_EQ(src->next_input_byte, block + 3);
    EXPECT_EQ(src->bytes_in_buffer, 2u);
    const long warnings = err.num_warnings;
    // Skipping past the end lands inside an end-of-image marker.
    src->skip_input_data(&cinfo, 3);
    EXPECT_EQ(src->bytes_in_buffer, 1u);
    EXPECT_EQ(src->next_input_byte[0], 0xD9);
    EXPECT_GT(err.num_warnings, warnings);
    ASSERT_TRUE(src->fill_input_buffer(&cinfo));
    ASSERT_EQ(src->bytes_in_buffer, 2u);
    EXPECT_EQ(src->next_input_byte[0], 0xFF);
    EXPECT_EQ(src->next_input_byte[1], 0xD9);
    EXPECT_EQ(src->resync_to_restart, jpeg_resync_to_restart);
    // A second installation reuses the record.
    jpeg_memory_source(&cinfo, block, 2);
    EXPECT_EQ(cinfo.src, src);
    ASSERT_TRUE(src->fill_input_buffer(&cinfo));
    EXPECT_EQ(src->bytes_in_buffer, 2u);
    jpeg_destroy_decompress(&cinfo);
}
