// Image objects on GDI under Wine: each creation path with its pixels, the
// DDB flag, scaling, release, and refused input that leaves nothing behind.
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/decoder.h"
#include "image/portable/decoders.h"
#include "runtime/resource_count.h"
#include "tests/image/gdi_pixels.h"
#include "tests/image/samples.h"

using namespace samples;

namespace {

const std::vector<Rgb> kButtonPalette = {{0, 49, 74},   {0, 66, 132},   {16, 16, 16},  {41, 115, 239},
                                         {74, 115, 49}, {90, 132, 57},  {90, 156, 222}, {156, 214, 90},
                                         {206, 0, 0},   {222, 231, 239}, {239, 247, 255}, {255, 99, 99},
                                         {255, 255, 0}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}};

int button_index(int x, int y) { return (x / 5 + y / 4) % 13; }

}  // namespace

TEST_F(ImageObjects, FourBitButtonPictureBecomesA32BitImageWithItsColours) {
    const Bytes bmp = samples::make_bmp4(80, 32, kButtonPalette, button_index);
    ASSERT_EQ(bmp.size(), 1398u);
    const intptr_t h = image_catch(102, bmp.data(), bmp.size());
    ASSERT_NE(h, 0);
    EXPECT_EQ(image_handle(102), h);
    EXPECT_EQ(image_width(102), 80);
    EXPECT_EQ(image_height(102), 32);
    EXPECT_EQ(image_depth(102), 32);
    EXPECT_TRUE(is_dib_section(bitmap_of(102)));
    const auto px = read_pixels(bitmap_of(102), 80, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(px[static_cast<std::size_t>(y) * 80 + x], rgb(kButtonPalette[button_index(x, y)]))
                << x << "," << y;

    // Without a length (the block is taken to be large enough) and top-down.
    const Bytes top_down = samples::make_bmp4(80, 32, kButtonPalette, button_index, true);
    ASSERT_NE(image_catch(103, top_down.data()), 0);
    EXPECT_EQ(image_height(103), 32);
    EXPECT_EQ(read_pixels(bitmap_of(103), 80, 32), px);
}

TEST_F(ImageObjects, CaughtJpegIsA24BitTopDownDibWithPaddedRows) {
    const Bytes j = quadrant_jpeg(300, 225);
    ASSERT_NE(image_catch(100, j.data(), j.size()), 0);
    EXPECT_EQ(image_width(100), 300);
    EXPECT_EQ(image_height(100), 225);
    EXPECT_EQ(image_depth(100), 24);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(bitmap_of(100), sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 900);
    // Rows run top-down: the top-left block's colour is at the first bytes of
    // the pixel memory (the description's biHeight cannot tell: GDI reports it
    // positive).
    const auto* first = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    EXPECT_TRUE(close_to(rgb(Rgb{first[2], first[1], first[0]}), rgb(samples::quadrant_colour(0, 0, 300, 225)), 8));
    expect_quadrant_centres(read_pixels(bitmap_of(100), 300, 225), 300, 225, 6);

    const Bytes odd = quadrant_jpeg(301, 40);
    ASSERT_NE(image_catch(100, odd.data(), odd.size()), 0);
    ASSERT_EQ(GetObjectA(bitmap_of(100), sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 904);
    const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    for (int y = 0; y < 40; ++y) ASSERT_EQ(bits[y * 904 + 903], 0) << "padding of row " << y;
}

TEST_F(ImageObjects, ScalingMakesANewBitmapOfTheRecordedDepth) {
    const Bytes j = quadrant_jpeg(640, 480);
    const intptr_t original = image_catch(200, j.data(), j.size());
    ASSERT_NE(original, 0);
    EXPECT_EQ(image_resize(200, 640, 480, 0), original);  // same size: nothing made
    EXPECT_EQ(image_handle(200), original);

    const intptr_t scaled = image_resize(200, 300, 225, 0);
    ASSERT_NE(scaled, 0);
    EXPECT_NE(scaled, original);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(original)), 0u);  // the old bitmap is gone
    EXPECT_EQ(image_width(200), 300);
    EXPECT_EQ(image_height(200), 225);
    EXPECT_EQ(image_depth(200), 24);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(bitmap_of(200), sizeof ds, &ds), int(sizeof ds));
    EXPECT_GT(ds.dsBmih.biHeight, 0);  // bottom-up
    EXPECT_EQ(ds.dsBmih.biBitCount, 24);
    // Wine's halftone is bilinear: block centres keep their colour.
    expect_quadrant_centres(read_pixels(bitmap_of(200), 300, 225), 300, 225, 8);

    ASSERT_NE(image_resize(200, 150, 100, 1), 0);  // fast mode
    expect_quadrant_centres(read_pixels(bitmap_of(200), 150, 100), 150, 100, 8);

    // Sizes no bitmap can have leave the image as it was.
    const intptr_t kept = image_handle(200);
    EXPECT_EQ(image_resize(200, 0, 10, 0), 0);
    EXPECT_EQ(image_resize(200, 40000, 10, 0), 0);
    EXPECT_EQ(image_handle(200), kept);
    EXPECT_EQ(image_resize(77, 10, 10, 0), 0);  // no such image
}

TEST_F(ImageObjects, DdbFlagMakesDisplayBitmapsOnEveryPath) {
    const Bytes bmp = samples::make_bmp4(80, 32, kButtonPalette, button_index);
    ASSERT_NE(image_catch(1, bmp.data(), bmp.size(), IMAGE_FLAG_DDB), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(1)));
    EXPECT_EQ(read_pixels(bitmap_of(1), 80, 32)[5 * 80 + 17], rgb(kButtonPalette[button_index(17, 5)]));

    const Bytes j = quadrant_jpeg(64, 48);
    ASSERT_NE(image_catch(2, j.data(), j.size(), IMAGE_FLAG_DDB), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(2)));
    EXPECT_EQ(image_width(2), 64);
    expect_quadrant_centres(read_pixels(bitmap_of(2), 64, 48), 64, 48, 6);

    ASSERT_NE(image_resize(2, 32, 24, 0), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(2)));
    expect_quadrant_centres(read_pixels(bitmap_of(2), 32, 24), 32, 24, 10);

    const std::string path = temp_path("ddb.jpg");
    samples::write_file(path, j);
    ASSERT_NE(image_load(3, path, IMAGE_FLAG_DDB), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(3)));
    DeleteFileA(path.c_str());
    const std::string bmp_path = temp_path("ddb.bmp");
    samples::write_file(bmp_path, samples::make_bmp(30, 20, 24, [](int, int) { return Rgb{50, 60, 70}; }));
    ASSERT_NE(image_load(4, bmp_path, IMAGE_FLAG_DDB), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(4)));
    EXPECT_EQ(read_pixels(bitmap_of(4), 30, 20)[31], 0x323C46u);
    DeleteFileA(bmp_path.c_str());
}

TEST_F(ImageObjects, IconInMemoryTakesTheDeepestImageOfTheFirstSize) {
    using E = samples::IconEntry;
    const Bytes ico = samples::make_icon({E{16, 16, 4, {255, 0, 0}}, E{32, 32, 32, {0, 255, 0}},
                                          E{16, 16, 32, {0, 0, 255}}});
    const intptr_t h = image_catch(5, ico.data(), ico.size());
    ASSERT_NE(h, 0);
    EXPECT_NE(GetObjectType(reinterpret_cast<HGDIOBJ>(h)), DWORD(OBJ_BITMAP));
    EXPECT_EQ(image_width(5), 16);
    EXPECT_EQ(image_height(5), 16);
    EXPECT_EQ(image_depth(5), 32);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(h), &ii));
    const auto px = read_pixels(ii.hbmColor, 16, 16);
    EXPECT_EQ(px[8 * 16 + 8], 0x0000FFu);  // the blue 32-bit image
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);

    // Scaling an icon gives an icon of the new size.
    const intptr_t scaled = image_resize(5, 24, 24, 0);
    ASSERT_NE(scaled, 0);
    EXPECT_NE(GetObjectType(reinterpret_cast<HGDIOBJ>(scaled)), DWORD(OBJ_BITMAP));
    EXPECT_EQ(image_width(5), 24);
    image_free(5);
    EXPECT_EQ(image_handle(5), 0);
}

TEST_F(ImageObjects, FilesLoadByTheirFirstBytes) {
    const std::string jpg = temp_path("a.jpg"), bmp24 = temp_path("b24.bmp"), bmp8 = temp_path("b8.bmp"),
                      ico = temp_path("c.ico"), txt = temp_path("d.txt"), tiny = temp_path("e.jpg");
    samples::write_file(jpg, quadrant_jpeg(96, 64));
    samples::write_file(bmp24, samples::make_bmp(30, 20, 24, [](int x, int) { return Rgb{uint8_t(x * 8), 7, 9}; }));
    samples::write_file(bmp8, samples::make_bmp(30, 20, 8, [](int x, int) { return Rgb{uint8_t(x * 8), 0, 0}; }));
    samples::write_file(ico, samples::make_icon({samples::IconEntry{32, 32, 32, {10, 20, 30}}}));
    samples::write_file(txt, Bytes{'h', 'e', 'l', 'l', 'o'});
    samples::write_file(tiny, Bytes{0xFF});

    ASSERT_NE(image_load(200, jpg), 0);
    EXPECT_EQ(image_width(200), 96);
    EXPECT_EQ(image_height(200), 64);
    EXPECT_EQ(image_depth(200), 24);
    expect_quadrant_centres(read_pixels(bitmap_of(200), 96, 64), 96, 64, 6);
    // The decoder's file is closed again: it can be deleted.
    EXPECT_TRUE(DeleteFileA(jpg.c_str()));

    ASSERT_NE(image_load(201, bmp24), 0);
    EXPECT_TRUE(is_dib_section(bitmap_of(201)));
    EXPECT_EQ(image_depth(201), 24);
    EXPECT_EQ(read_pixels(bitmap_of(201), 30, 20)[3], 0x180709u);

    ASSERT_NE(image_load(202, bmp8), 0);
    EXPECT_FALSE(is_dib_section(bitmap_of(202)));  // palette bitmaps come in the display's format
    EXPECT_EQ(image_width(202), 30);
    EXPECT_EQ(read_pixels(bitmap_of(202), 30, 20)[4], 0x202020u);

    ASSERT_NE(image_load(203, ico), 0);
    EXPECT_NE(GetObjectType(reinterpret_cast<HGDIOBJ>(image_handle(203))), DWORD(OBJ_BITMAP));
    EXPECT_EQ(image_width(203), 32);

    // Failures leave the number naming no image, the old one released.
    ASSERT_NE(image_load(204, bmp24), 0);
    const HGDIOBJ old = bitmap_of(204);
    EXPECT_EQ(image_load(204, temp_path("missing.jpg")), 0);
    EXPECT_EQ(image_handle(204), 0);
    EXPECT_EQ(image_width(204), 0);
    EXPECT_EQ(GetObjectType(old), 0u);
    EXPECT_EQ(image_load(204, txt), 0);
    EXPECT_TRUE(DeleteFileA(txt.c_str()));  // the search closed it
    EXPECT_EQ(image_load(204, tiny), 0);
    EXPECT_EQ(image_load(204, ""), 0);

    image_free_all();
    for (intptr_t n : {200, 201, 202, 203}) EXPECT_EQ(image_handle(n), 0);
    for (const auto& p : {bmp24, bmp8, ico, tiny}) DeleteFileA(p.c_str());
}

TEST_F(ImageObjects, BadInputGivesZeroAndLeavesNothingBehind) {
    const Bytes good = quadrant_jpeg(32, 32);
    Bytes twelve = good, huge = good;
    const std::size_t sof = samples::find_sof(good);
    twelve[sof + 2] = 12;
    huge[sof + 3] = 0xEA;
    huge[sof + 4] = 0x60;
    huge[sof + 5] = 0xEA;
    huge[sof + 6] = 0x60;
    Bytes garbage = {0xFF, 0xD8};
    for (int i = 0; i < 200; ++i) garbage.push_back(static_cast<uint8_t>(i * 53));
    Bytes bmp_head = {'B', 'M', 0x40, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0};
    Bytes icon = samples::make_icon({samples::IconEntry{16, 16, 8, {1, 2, 3}}});
    icon[6 + 12] = 0xF0;  // image offset far beyond the block
    icon[6 + 13] = 0xFF;
    Bytes wide_bmp = samples::make_bmp(4, 2, 24, [](int, int) { return Rgb{1, 1, 1}; });
    wide_bmp[18] = 0x50;  // width 40,000: beyond what an image object holds
    wide_bmp[19] = 0x9C;
    const Bytes empty, one = {'B'};

    // The library's own counts: Wine 8's GetGuiResources is a stub answering 0.
    const long bitmaps = tw::resources_held(tw::Resource::Bitmap), icons = tw::resources_held(tw::Resource::Icon),
               dcs = tw::resources_held(tw::Resource::DeviceContext);
    ASSERT_NE(image_catch(9, good.data(), good.size()), 0);
    struct Case {
        const char* what;
        const Bytes* data;
    } cases[] = {{"empty", &empty},         {"one byte", &one},     {"truncated BMP header", &bmp_head},
                 {"FF D8 garbage", &garbage}, {"icon offsets", &icon}, {"60000 x 60000 JPEG", &huge},
                 {"12-bit JPEG", &twelve},    {"40000 wide BMP", &wide_bmp}};
    for (const Case& c : cases) {
        ASSERT_NE(image_catch(9, good.data(), good.size()), 0);
        EXPECT_EQ(image_catch(9, c.data->data(), c.data->size()), 0) << c.what;
        EXPECT_EQ(image_handle(9), 0) << c.what;
        EXPECT_EQ(image_width(9), 0) << c.what;
    }
    EXPECT_EQ(image_catch(9, nullptr), 0);
    EXPECT_EQ(image_catch(-5, good.data(), good.size()), 0);
    image_free(9);
    EXPECT_EQ(tw::resources_held(tw::Resource::Bitmap), bitmaps) << "bitmaps left behind";
    EXPECT_EQ(tw::resources_held(tw::Resource::Icon), icons) << "icons left behind";
    EXPECT_EQ(tw::resources_held(tw::Resource::DeviceContext), dcs) << "device contexts left behind";
    EXPECT_EQ(image_width(12345), 0);
    image_free(12345);  // nothing there: nothing happens
}

namespace {

// A decoder whose images are too large for an image object, and one of four
// bytes a pixel: a 3 x 2 picture, one colour a pixel.
bool g_released = false;
struct FakeDecode : ImageDecode {
    int w, h;
    FakeDecode(int width, int height) : w(width), h(height) {}
    ~FakeDecode() override { g_released = true; }
    int kind() const override { return IMAGE_PIXELS_BGRA; }
    int width() const override { return w; }
    int height() const override { return h; }
    bool decode(unsigned char* pixels, std::size_t stride) override {
        EXPECT_EQ(w, 3) << "decode called for an image that has no bitmap";
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                unsigned char* p = pixels + y * stride + 4 * x;
                p[0] = static_cast<unsigned char>(10 * x);
                p[1] = static_cast<unsigned char>(100 + y);
                p[2] = 200;
                p[3] = 255;
            }
        return true;
    }
};
template <int W, int H>
std::unique_ptr<ImageDecode> fake_open(const ImageInput& in, ImageFitRule, ImageSize*) {
    const char* tag = W == 3 ? "BGRA" : "HUGE";
    if (!in.memory || in.length < 4 || std::memcmp(in.memory, tag, 4) != 0) return nullptr;
    return std::make_unique<FakeDecode>(W, H);
}

}  // namespace

TEST_F(ImageObjects, OtherDecodersAreAskedInTurnAndGivenUpWhenNoBitmapFits) {
    decoder_register(ImageDecoder{fake_open<40000, 2>});
    decoder_register(ImageDecoder{fake_open<3, 2>});
    const char huge[] = "HUGE";
    g_released = false;
    EXPECT_EQ(image_catch(4, huge, 4), 0);
    EXPECT_TRUE(g_released);

    const char bgra[] = "BGRA";
    ASSERT_NE(image_catch(4, bgra, 4), 0);
    EXPECT_EQ(image_depth(4), 32);
    const auto px = read_pixels(bitmap_of(4), 3, 2);
    EXPECT_EQ(px[0], 0xC86400u);
    EXPECT_EQ(px[3 + 2], 0xC86514u);  // second row, third pixel
    // JPEG data still reaches the JPEG decoder, registered first.
    const Bytes j = quadrant_jpeg(16, 16);
    EXPECT_NE(image_catch(4, j.data(), j.size()), 0);
}
