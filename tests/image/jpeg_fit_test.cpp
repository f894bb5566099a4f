// Decoding for a fitted size: the reduction the decoder chooses for the size
// it has to cover, the pixels it then delivers in every colour space and
// coding process, and pictures that claim far more than their data holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/jpeg_bridge.h"
#include "tests/image/decoded.h"
#include "tests/image/samples.h"

using samples::Bytes;
using samples::Decoded;
using samples::decode_held;
using samples::expect_quadrants;
using samples::quadrants;

namespace {

// The fit rule of these tests: a fixed target, and a note of the real size
// it was asked about.
ImageSize g_target;
int g_asked_width = -1, g_asked_height = -1;

ImageSize fixed_target(int width, int height) {
    g_asked_width = width;
    g_asked_height = height;
    return g_target;
}

// What the library delivered before the area average, for the last decode_fit.
ImageSize g_reduced;

// Checks the block for `target` and decodes it.
::testing::AssertionResult decode_fit(const Bytes& jpeg, ImageSize target, Decoded& out, uint8_t fill = 0xAA) {
    g_target = target;
    g_asked_width = g_asked_height = -1;
    ImageSize fitted{-1, -1};
    std::unique_ptr<tw::image::JpegDecode> d =
        tw::image::JpegDecode::open(samples::block(jpeg), fixed_target, &fitted);
    if (!d) return ::testing::AssertionFailure() << "check refused the data";
    if (fitted.width != target.width || fitted.height != target.height)
        return ::testing::AssertionFailure() << "fitted size " << fitted.width << "x" << fitted.height;
    g_reduced = {d->reduced_width(), d->reduced_height()};
    return decode_held(*d, out, fill);
}

Bytes flat(int w, int h) { return quadrants(w, h, samples::JpegOptions{samples::JpegKind::Colour, 75}); }

// The largest difference of a sample from R, G, B bytes of the same size.
int largest_difference(const Decoded& d, const Bytes& rgb) {
    int worst = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(d.at(x, y)[2 - c] - rgb[(static_cast<std::size_t>(y) * d.width + x) * 3 + c]));
    return worst;
}

}  // namespace

TEST(JpegFit, TheLargestReductionThatStillCoversTheFittedSizeIsChosen) {
    struct Case {
        int w, h;           // the picture
        int tw, th;         // the size it is to be shown at
        int ow, oh;         // what the library delivers to the area average
    } cases[] = {
        {4000, 3000, 300, 225, 500, 375},  // 1/8
        {640, 480, 300, 225, 320, 240},    // 1/2: a quarter would be 160 x 120
        {1024, 600, 300, 175, 512, 300},   // 1/2
        {600, 900, 150, 225, 150, 225},    // 1/4 covers exactly
        {301, 226, 299, 225, 301, 226},    // no reduction covers: full size
        {200, 100, 200, 100, 200, 100},    // already fits
        {2401, 1801, 300, 225, 301, 226},  // the library rounds up: 1/8 still covers
        {2392, 1792, 300, 225, 598, 448},  // 1/8 gives 299 x 224: one short, so 1/4
        {3010, 10, 300, 1, 377, 2},        // strips of both orientations
        {10, 2260, 1, 225, 2, 283},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Decoded d;
        ASSERT_TRUE(decode_fit(flat(c.w, c.h), {c.tw, c.th}, d));
        EXPECT_EQ(g_asked_width, c.w) << "the rule must see the real size";
        EXPECT_EQ(g_asked_height, c.h);
        EXPECT_EQ(g_reduced.width, c.ow);
        EXPECT_EQ(g_reduced.height, c.oh);
        EXPECT_EQ(d.width, c.tw);
        EXPECT_EQ(d.height, c.th);
    }
}

TEST(JpegFit, ARuleWithoutAUsableSizeDecodesAtFullSize) {
    Decoded d;
    ASSERT_TRUE(decode_fit(flat(640, 64), {300, 0}, d));
    EXPECT_EQ(d.width, 640);
    EXPECT_EQ(d.height, 64);
    // Larger than the picture: nothing to reduce.
    ASSERT_TRUE(decode_fit(flat(64, 48), {128, 96}, d));
    EXPECT_EQ(d.width, 64);
}

TEST(JpegFit, ReducedPicturesKeepTheirColoursInEveryColourSpaceAndCodingProcess) {
    using samples::JpegKind;
    using samples::JpegOptions;
    struct Variant {
        const char* name;
        JpegOptions options;
        int tolerance;
    } variants[] = {
        {"baseline", {}, 6},
        {"progressive", {JpegKind::Colour, 95, true}, 6},
        {"arithmetic", {JpegKind::Colour, 95, false, true}, 6},
        {"restarts", {JpegKind::Colour, 95, false, false, 1}, 6},
        {"cmyk (Adobe, inverted)", {JpegKind::Cmyk}, 10},
        {"cmyk (plain)", {JpegKind::CmykPlain}, 10},
        {"ycck", {JpegKind::Ycck}, 10},
        {"4:2:2", {JpegKind::Colour, 95, false, false, 0, 2, 1}, 6},
        {"4:4:0", {JpegKind::Colour, 95, false, false, 0, 1, 2}, 6},
        {"4:1:1", {JpegKind::Colour, 95, false, false, 0, 4, 1}, 6},
        {"4:1:1 progressive", {JpegKind::Colour, 95, true, false, 0, 4, 1}, 6},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const Bytes picture = quadrants(1024, 768, v.options);
        // The library's reductions exactly, and 300 x 225 through the area average.
        for (ImageSize t : {ImageSize{128, 96}, ImageSize{256, 192}, ImageSize{512, 384}, ImageSize{300, 225}}) {
            SCOPED_TRACE(std::to_string(t.width));
            Decoded d;
            ASSERT_TRUE(decode_fit(picture, t, d));
            ASSERT_EQ(d.width, t.width);
            ASSERT_EQ(d.height, t.height);
            expect_quadrants(d, v.tolerance, 2);
        }
    }
    // Grey comes as three equal samples, reduced too.
    JpegOptions grey;
    grey.kind = JpegKind::Grey;
    const Bytes g = samples::make_jpeg(512, 256, [](int x, int) { return samples::Rgb{uint8_t(x / 2), 0, 0}; }, grey);
    Decoded d;
    ASSERT_TRUE(decode_fit(g, {64, 32}, d));
    ASSERT_EQ(d.width, 64);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            ASSERT_EQ(d.at(x, y)[0], d.at(x, y)[1]);
            ASSERT_EQ(d.at(x, y)[1], d.at(x, y)[2]);
        }
    EXPECT_NEAR(d.at(40, 16)[0], 40 * 8 / 2 + 2, 6);
}

TEST(JpegFit, ATruncatedPictureStillDecodesAtItsReducedSize) {
    const Bytes whole = quadrants(1024, 768);
    const Bytes half(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    Decoded d;
    ASSERT_TRUE(decode_fit(half, {128, 96}, d, 0xAA));
    EXPECT_EQ(d.width, 128);
    EXPECT_EQ(d.height, 96);
    // The top half is there; every row was written.
    EXPECT_NEAR(d.at(10, 10)[2], 200, 8);
    for (int y = 0; y < d.height; ++y) ASSERT_FALSE(d.at(0, y)[0] == 0xAA && d.at(0, y)[1] == 0xAA) << y;
}

TEST(JpegFit, APictureClaimingFarMoreThanItsDataIsAnsweredQuickly) {
    // Some 600 bytes that claim 30000 x 30000: at 1/8 that is 3750 x 3750.
    const Bytes tiny = samples::claiming(flat(16, 16), 30000, 30000);
    ASSERT_LT(tiny.size(), 1000u);
    const auto start = std::chrono::steady_clock::now();
    Decoded d;
    ASSERT_TRUE(decode_fit(tiny, {300, 225}, d));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(g_reduced.width, 3750);
    EXPECT_EQ(g_reduced.height, 3750);
    EXPECT_EQ(d.width, 300);
    EXPECT_LT(seconds, 10.0) << "a few hundred bytes must not keep the decoder busy";

    // Progressive: its coefficients for 30000 x 30000 would take gigabytes
    // wherever all its scans are needed; at 1/8 it costs what baseline does.
    samples::JpegOptions progressive;
    progressive.progressive = true;
    const Bytes tiny_progressive = samples::claiming(quadrants(16, 16, progressive), 30000, 30000);
    g_target = {7500, 7500};
    ImageSize fitted;
    EXPECT_EQ(jpeg_open(samples::block(tiny_progressive), fixed_target, &fitted), nullptr);
    ASSERT_TRUE(decode_fit(tiny_progressive, {300, 225}, d));

    // Twelve bits a sample: this library decodes eight.
    const Bytes twelve = samples::claiming(flat(64, 48), 64, 48, 12);
    EXPECT_EQ(jpeg_open(samples::block(twelve), fixed_target, &fitted), nullptr);
}

TEST(JpegFit, StripsAverageTheirWholeShortSide) {
    // The last reduced row stands for only 2 of the 8 rows it would hold.
    Decoded d;
    ASSERT_TRUE(decode_fit(quadrants(3010, 10), {300, 1}, d));
    EXPECT_NEAR(d.at(10, 0)[2], (samples::quadrant_colour(0, 0, 4, 4).r + samples::quadrant_colour(0, 3, 4, 4).r) / 2, 8);
}

TEST(JpegFit, AtAnEighthAProgressivePictureIsItsFirstDcScansWithinTheirMissingBits) {
    // A photo-like picture at quality 75: DC quantizers 8 (luminance) and 9
    // (chroma). The first DC scan leaves out one bit (Al = 1), so a block's
    // Y may be off by 8/8 and its Cb, Cr by 9/8, each one more for rounding:
    // 2 and 3. In R, G, B that is at most 2 + 1.772 x 3, plus one for the
    // colour conversion's rounding: 8.
    samples::JpegOptions o;
    o.quality = 75;
    o.progressive = true;
    const int w = 1600, h = 1200;
    const Bytes photo = samples::make_jpeg(w, h, [](int x, int y) {
        const int n = static_cast<int>((x * 7919u + y * 104729u) * 2654435761u >> 27);
        return samples::Rgb{uint8_t(x * 255 / 1600), uint8_t((x ^ y) & 255), uint8_t(y * 200 / 1200 + n)};
    }, o);
    int dw = 0, dh = 0;
    Bytes want;
    if (!samples::djpeg_rgb(photo, "-scale 1/8", dw, dh, want)) GTEST_SKIP() << "no djpeg";
    Decoded d;
    ASSERT_TRUE(decode_fit(photo, {w / 8, h / 8}, d));
    ASSERT_EQ(dw, d.width);
    ASSERT_EQ(dh, d.height);
    const int worst = largest_difference(d, want);
    EXPECT_LE(worst, 8);
    std::printf("at 1/8 the first DC scans differ from the whole picture by at most %d\n", worst);

    // A CMYK picture as djpeg makes it RGB, not by the decoder's own rule.
    samples::JpegOptions cmyk;
    cmyk.kind = samples::JpegKind::Cmyk;
    const Bytes ink = samples::make_jpeg(64, 48, [](int x, int y) {
        return samples::Rgb{uint8_t(x * 4), uint8_t(y * 5), uint8_t(200 - x - y)};
    }, cmyk);
    ASSERT_TRUE(samples::djpeg_rgb(ink, "", dw, dh, want));
    ASSERT_TRUE(samples::decode(ink, d));
    ASSERT_EQ(dw, 64);
    EXPECT_LE(largest_difference(d, want), 1);
}

TEST(JpegFit, PicturesBeyondTheScanLimitOrTheMemoryCapAreRefused) {
    // 190 scans, a real picture: beyond the limit wherever all its scans are
    // needed; at 1/8 only its first scan is read, unless its last DC scan
    // comes after 128 others.
    samples::JpegOptions many;
    many.scan_per_coefficient = 1;
    const Bytes scans = quadrants(256, 192, many);
    ImageSize fitted;
    EXPECT_EQ(jpeg_open(samples::block(scans)), nullptr);
    Decoded d;
    ASSERT_TRUE(decode_fit(scans, {32, 24}, d));
    expect_quadrants(d, 6, 2);
    many.scan_per_coefficient = 2;
    g_target = {32, 24};
    EXPECT_EQ(jpeg_open(samples::block(quadrants(256, 192, many)), fixed_target, &fitted), nullptr);
    // A progressive frame's coefficients take 3 bytes a pixel (4:2:0).
    samples::JpegOptions progressive;
    progressive.progressive = true;
    const Bytes small = quadrants(16, 16, progressive);
    static_assert(5000LL * 5000 * 3 > tw::image::kJpegMemoryLimit && 4400LL * 4400 * 3 < tw::image::kJpegMemoryLimit);
    g_target = {1250, 1250};
    EXPECT_EQ(jpeg_open(samples::block(samples::claiming(small, 5000, 5000)), fixed_target, &fitted), nullptr);
    EXPECT_NE(jpeg_open(samples::block(samples::claiming(small, 4400, 4400)), fixed_target, &fitted), nullptr);
    // Arithmetic coding: a smaller frame limit.
    samples::JpegOptions arithmetic;
    arithmetic.arithmetic = true;
    const Bytes coded = quadrants(16, 16, arithmetic);
    EXPECT_EQ(jpeg_open(samples::block(samples::claiming(coded, 11586, 11586)), fixed_target, &fitted), nullptr);
    EXPECT_NE(jpeg_open(samples::block(samples::claiming(coded, 11585, 11585)), fixed_target, &fitted), nullptr);
}

TEST(JpegFit, FrameLimitsFittedSizesAndDeliverableSizesAtTheirEdges) {
    using namespace tw::image;
    EXPECT_TRUE(jpeg_frame_allowed(32768, 32768, false) && !jpeg_frame_allowed(32768, 32769, false));
    EXPECT_TRUE(jpeg_frame_allowed(16384, 8192, true) && !jpeg_frame_allowed(16384, 8193, true));
    EXPECT_TRUE(jpeg_fitting({1, 1}, 1, 1) && jpeg_fitting({300, 225}, 300, 225));
    EXPECT_FALSE(jpeg_fitting({0, 5}, 9, 9) || jpeg_fitting({10, 5}, 9, 9) || jpeg_fitting({5, 10}, 9, 9));
    EXPECT_TRUE(jpeg_deliverable(3, 3, {IMAGE_MAX_SIDE, 1}) && jpeg_deliverable(4, 4, {1, IMAGE_MAX_SIDE}));
    EXPECT_FALSE(jpeg_deliverable(1, 3, {8, 8}) || jpeg_deliverable(3, 3, {IMAGE_MAX_SIDE + 1, 1}) ||
                 jpeg_deliverable(3, 3, {1, 0}));
}
