// The built-in pictures become image objects the way the program makes them
// at start-up: the JPEG through the registered decoder, the bitmaps through
// GDI, and the pixels that GDI holds afterwards are the ones drawn.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "app/assets/assets.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "runtime/win32.h"
#include "tests/image/gdi_pixels.h"

using tintwerk::Asset;
using tintwerk::builtin_image;
using tintwerk::program_icon;

namespace {

class CatchBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    decoder_registry_reset();
    image_library_init();
    jpeg_decoder_register();
    for (int n = 100; n <= 108; ++n) {
      Asset a = builtin_image(n);
      ASSERT_NE(a.data, nullptr) << n;
      EXPECT_NE(image_catch(n, a.data, a.size), 0) << n;
    }
  }
  void TearDown() override { image_free_all(); }
};

// Pixels of a 4-bit bottom-up BMP file as 0x00RRGGBB, top row first.
std::vector<uint32_t> expected_pixels(const Asset& a) {
  const unsigned char* b = a.data;
  auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
  const int w = int(u32(18)), h = int(u32(22));
  const size_t stride = ((size_t(w) * 4 + 31) / 32) * 4;
  std::vector<uint32_t> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char v = b[u32(10) + size_t(h - 1 - y) * stride + x / 2];
      int index = x % 2 == 0 ? v >> 4 : v & 0x0F;
      const unsigned char* c = b + 54 + index * 4;
      out.push_back(uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0]);
    }
  return out;
}

std::vector<uint32_t> gdi_pixels(intptr_t number) {
  return samples::read_pixels(samples::bitmap_of(number), image_width(number), image_height(number));
}

TEST_F(CatchBuiltins, SizesAndDepthsOfTheNineImages) {
  EXPECT_EQ(image_width(100), 300);
  EXPECT_EQ(image_height(100), 225);
  EXPECT_EQ(image_depth(100), 24);
  EXPECT_EQ(image_width(101), 98);
  EXPECT_EQ(image_height(101), 32);
  for (int n = 101; n <= 108; ++n) {
    if (n > 101) {
      EXPECT_EQ(image_width(n), 80) << n;
      EXPECT_EQ(image_height(n), 32) << n;
    }
    EXPECT_EQ(image_depth(n), 32) << n;
  }
  // The preview fills the preview box as it is: no scaling needed.
  EXPECT_EQ(image_resize(100, 300, 225, 0), image_handle(100));
}

TEST_F(CatchBuiltins, ButtonPixelsSurviveTheConversion) {
  for (int n = 101; n <= 108; ++n) {
    std::vector<uint32_t> want = expected_pixels(builtin_image(n)), got = gdi_pixels(n);
    ASSERT_EQ(got.size(), want.size()) << n;
    int wrong = 0;
    for (size_t i = 0; i < want.size(); ++i) wrong += got[i] != want[i];
    EXPECT_EQ(wrong, 0) << "image " << n << ", first pixel " << std::hex << got[0] << " want " << want[0];
  }
  // The top-left corner is the light background, not the bottom row's.
  EXPECT_EQ(gdi_pixels(106)[0], 0xDEE7EFu);
}

TEST(ProgramIcon, CatchesAsThe32PixelIcon) {
  image_library_init();
  Asset icon = program_icon();
  ASSERT_NE(image_catch(1, icon.data, icon.size), 0);
  EXPECT_EQ(image_width(1), 32);
  EXPECT_EQ(image_height(1), 32);
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(image_handle(1))), 0u) << "an icon, not a GDI bitmap";
  image_free_all();
}

}  // namespace
