// Decoding for a fitted size: the reduction the decoder chooses for the size
// it has to cover, the pixels it then delivers in every colour space and
// coding process, and pictures that claim far more than their data holds.
#include <gtest/gtest.h>

#include <chrono>
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

// Checks the block for `target` and decodes what the decoder then holds.
::testing::AssertionResult decode_fit(const Bytes& jpeg, ImageSize target, Decoded& out, uint8_t fill = 0xAA) {
    g_target = target;
    g_asked_width = g_asked_height = -1;
    ImageSize fitted{-1, -1};
    if (jpeg_check_fit(nullptr, jpeg.data(), jpeg.size(), nullptr, fixed_target, &fitted) != IMAGE_PIXELS_BGR)
        return ::testing::AssertionFailure() << "check refused the data";
    if (fitted.width != target.width || fitted.height != target.height)
        return ::testing::AssertionFailure() << "fitted size " << fitted.width << "x" << fitted.height;
    return decode_held(out, fill);
}

Bytes flat(int w, int h) { return quadrants(w, h, samples::JpegOptions{samples::JpegKind::Colour, 75}); }

}  // namespace

TEST(JpegFit, TheLargestReductionThatStillCoversTheFittedSizeIsChosen) {
    struct Case {
        int w, h;           // the picture
        int tw, th;         // the size it is to be shown at
        int ow, oh;         // what the decoder delivers
    } cases[] = {
        {4000, 3000, 300, 225, 500, 375},  // 1/8
        {640, 480, 300, 225, 320, 240},    // 1/2: a quarter would be 160 x 120
        {1024, 600, 300, 175, 512, 300},   // 1/2
        {600, 900, 150, 225, 150, 225},    // 1/4 covers exactly
        {301, 226, 299, 225, 301, 226},    // no reduction covers: full size
        {200, 100, 200, 100, 200, 100},    // already fits
        {2401, 1801, 300, 225, 301, 226},  // the library rounds up: 1/8 still covers
        {2392, 1792, 300, 225, 598, 448},  // 1/8 gives 299 x 224: one short, so 1/4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Decoded d;
        ASSERT_TRUE(decode_fit(flat(c.w, c.h), {c.tw, c.th}, d));
        EXPECT_EQ(g_asked_width, c.w) << "the rule must see the real size";
        EXPECT_EQ(g_asked_height, c.h);
        EXPECT_EQ(d.width, c.ow);
        EXPECT_EQ(d.height, c.oh);
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
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        for (int denom : {8, 4, 2}) {
            SCOPED_TRACE("1/" + std::to_string(denom));
            Decoded d;
            ASSERT_TRUE(decode_fit(quadrants(1024, 768, v.options), {1024 / denom, 768 / denom}, d));
            ASSERT_EQ(d.width, 1024 / denom);
            ASSERT_EQ(d.height, 768 / denom);
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
    EXPECT_EQ(d.width, 3750);
    EXPECT_EQ(d.height, 3750);
    EXPECT_LT(seconds, 10.0) << "a few hundred bytes must not keep the decoder busy";

    // Progressive: its coefficients for 30000 x 30000 would take gigabytes.
    samples::JpegOptions progressive;
    progressive.progressive = true;
    const Bytes tiny_progressive = samples::claiming(quadrants(16, 16, progressive), 30000, 30000);
    g_target = {300, 225};
    ImageSize fitted;
    EXPECT_EQ(jpeg_check_fit(nullptr, tiny_progressive.data(), tiny_progressive.size(), nullptr, fixed_target,
                             &fitted),
              0);
    EXPECT_FALSE(tw::image::jpeg_holding());

    // Twelve bits a sample: this library decodes eight.
    const Bytes twelve = samples::claiming(flat(64, 48), 64, 48, 12);
    EXPECT_EQ(jpeg_check_fit(nullptr, twelve.data(), twelve.size(), nullptr, fixed_target, &fitted), 0);
    EXPECT_FALSE(tw::image::jpeg_holding());
}
