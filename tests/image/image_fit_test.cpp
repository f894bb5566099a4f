// Images made for a fitted size under Wine: reduced JPEG decoding followed by
// smooth scaling, BMP files and icons loaded whole and scaled, and the limits
// that refuse pictures claiming more than any bitmap should hold.
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <string>

#include "image/image.h"
#include "image/decoder.h"
#include "image/portable/decoders.h"
#include "tests/image/gdi_pixels.h"
#include "tests/image/samples.h"

using namespace samples;

namespace {

ImageSize g_target;
ImageSize fixed_target(int, int) { return g_target; }

// The fit rule's size for the picture's own size: everything that fits stays.
ImageSize own_size(int width, int height) { return {width, height}; }

std::string write_temp(const char* name, const Bytes& bytes) {
    const std::string path = temp_path(name);
    write_file(path, bytes);
    return path;
}

// A BMP file of one bit a pixel; only its header and table when `header_only`.
Bytes one_bit_bmp(int width, int height, bool header_only) {
    const uint32_t stride = static_cast<uint32_t>(((width + 31) / 32) * 4);
    const uint32_t image = stride * static_cast<uint32_t>(height);
    Bytes b = {'B', 'M'};
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(14 + 40 + 8 + image, 4);
    put(0, 4);
    put(14 + 40 + 8, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(1, 2);
    put(0, 4);
    put(image, 4);
    put(0, 4);
    put(0, 4);
    put(2, 4);
    put(2, 4);
    put(0, 4);
    put(0xFFFFFF, 4);
    if (!header_only) b.resize(b.size() + image, 0x55);
    return b;
}

}  // namespace

TEST_F(ImageObjects, FittedJpegIsDecodedReducedAndScaledToTheExactSize) {
    struct Case {
        int w, h, tw, th;
    } cases[] = {{4000, 3000, 300, 225}, {1024, 600, 300, 175}, {600, 900, 150, 225}, {301, 226, 299, 225}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const std::string path = write_temp("fit.jpg", quadrant_jpeg(c.w, c.h));
        g_target = {c.tw, c.th};
        const intptr_t h = image_load_fit(200, path, fixed_target);
        ASSERT_NE(h, 0);
        EXPECT_EQ(h, image_handle(200));
        EXPECT_EQ(image_width(200), c.tw);
        EXPECT_EQ(image_height(200), c.th);
        EXPECT_EQ(image_depth(200), 24);
        EXPECT_TRUE(is_dib_section(bitmap_of(200)));
        expect_quadrant_centres(read_pixels(bitmap_of(200), c.tw, c.th), c.tw, c.th, 8);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "the picture's file was left open";
    }
}

TEST_F(ImageObjects, FittedDetailIsAveragedAsWindowsWouldShowItAndStripsStayInTheBox) {
    // Block-wide black and white columns are still one pixel each at 1/8;
    // the last step halves them. An average gives even grey, where Wine's
    // HALFTONE would sample bands.
    const std::string path = write_temp("columns.jpg", make_jpeg(2400, 64, [](int x, int) {
                                             return x / 8 % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
                                         }));
    g_target = {150, 4};
    ASSERT_NE(image_load_fit(200, path, fixed_target), 0);
    for (uint32_t p : read_pixels(bitmap_of(200), 150, 4)) ASSERT_TRUE(close_to(p, 0x808080, 3)) << std::hex << p;
    // A strip far wider than the box keeps one pixel of height.
    write_file(path, quadrant_jpeg(3010, 10));
    g_target = {300, 1};
    ASSERT_NE(image_load_fit(200, path, fixed_target), 0);
    EXPECT_EQ(image_width(200), 300);
    EXPECT_EQ(image_height(200), 1);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(ImageObjects, FittedPictureThatAlreadyFitsIsMadeAtItsOwnSize) {
    const std::string path = write_temp("fits.jpg", quadrant_jpeg(200, 100));
    ASSERT_NE(image_load_fit(200, path, own_size), 0);
    EXPECT_EQ(image_width(200), 200);
    EXPECT_EQ(image_height(200), 100);
    expect_quadrant_centres(read_pixels(bitmap_of(200), 200, 100), 200, 100, 6);
    // The same pixels as the plain load.
    const auto fitted = read_pixels(bitmap_of(200), 200, 100);
    ASSERT_NE(image_load(201, path), 0);
    EXPECT_EQ(read_pixels(bitmap_of(201), 200, 100), fitted);
    DeleteFileA(path.c_str());
}

TEST_F(ImageObjects, FittedBmpAndIconAreLoadedWholeThenScaled) {
    const std::string bmp = write_temp("fit.bmp", make_bmp(600, 400, 24, [](int x, int y) {
                                           return quadrant_colour(x, y, 600, 400);
                                       }));
    g_target = {300, 200};
    ASSERT_NE(image_load_fit(200, bmp, fixed_target), 0);
    EXPECT_EQ(image_width(200), 300);
    EXPECT_EQ(image_height(200), 200);
    expect_quadrant_centres(read_pixels(bitmap_of(200), 300, 200), 300, 200, 8);

    const std::string ico = write_temp("fit.ico", make_icon({IconEntry{32, 32, 32, {10, 20, 30}}}));
    g_target = {16, 16};
    ASSERT_NE(image_load_fit(201, ico, fixed_target), 0);
    EXPECT_NE(GetObjectType(reinterpret_cast<HGDIOBJ>(image_handle(201))), DWORD(OBJ_BITMAP));
    EXPECT_EQ(image_width(201), 16);

    // Nothing there, or nothing a decoder knows: no image, as with image_load.
    ASSERT_NE(image_load(202, bmp), 0);
    EXPECT_EQ(image_load_fit(202, temp_path("missing.jpg"), fixed_target), 0);
    EXPECT_EQ(image_handle(202), 0);
    const std::string txt = write_temp("fit.txt", Bytes{'n', 'o'});
    EXPECT_EQ(image_load_fit(202, txt, fixed_target), 0);
    for (const auto& p : {bmp, ico, txt}) EXPECT_TRUE(DeleteFileA(p.c_str()));
}

TEST_F(ImageObjects, PicturesClaimingMoreThanABitmapShouldHoldAreRefused) {
    const Bytes small = quadrant_jpeg(16, 16);
    // At full size: more than 100 megapixels.
    const Bytes over = claiming(small, 10001, 10000);
    const std::string over_path = write_temp("over.jpg", over);
    ASSERT_NE(image_catch(9, small.data(), small.size()), 0);
    EXPECT_EQ(image_catch(9, over.data(), over.size()), 0);
    EXPECT_EQ(image_handle(9), 0);
    EXPECT_EQ(image_load(9, over_path), 0);
    EXPECT_EQ(image_handle(9), 0);

    const Bytes bmp = one_bit_bmp(10001, 10000, false);  // 12.5 MB, but 400 MB as a 32-bit image
    EXPECT_EQ(image_catch(9, bmp.data(), bmp.size()), 0);
    const std::string bmp_path = write_temp("over.bmp", one_bit_bmp(10001, 10000, true));
    EXPECT_EQ(image_load(9, bmp_path), 0);
    EXPECT_EQ(image_handle(9), 0);
    // An icon whose PNG image claims 20000 x 20000.
    const Bytes png_icon = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0, 24, 0, 0, 0, 22, 0, 0, 0,
                            0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                            0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
    EXPECT_EQ(image_catch(9, png_icon.data(), png_icon.size()), 0);
    const std::string icon_path = write_temp("over.ico", png_icon);
    EXPECT_EQ(image_load(9, icon_path), 0);
    EXPECT_TRUE(DeleteFileA(icon_path.c_str()));
    // A small one of the same kind still loads.
    const Bytes fine = one_bit_bmp(100, 50, false);
    EXPECT_NE(image_catch(9, fine.data(), fine.size()), 0);

    // Fitted: 65500 x 65500 is more frame than any decode should walk.
    g_target = {300, 225};
    const std::string absurd = write_temp("absurd.jpg", claiming(small, 65500, 65500));
    EXPECT_EQ(image_load_fit(9, absurd, fixed_target), 0);
    EXPECT_EQ(image_handle(9), 0);
    // 30000 x 30000 reduces to 3750 x 3750 and becomes the fitted image.
    const std::string hostile = write_temp("hostile.jpg", claiming(small, 30000, 30000));
    ASSERT_NE(image_load_fit(9, hostile, fixed_target), 0);
    EXPECT_EQ(image_width(9), 300);
    EXPECT_EQ(image_height(9), 225);
    for (const auto& p : {over_path, bmp_path, absurd, hostile}) EXPECT_TRUE(DeleteFileA(p.c_str()));
}
