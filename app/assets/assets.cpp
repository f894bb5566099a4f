#include "app/assets/assets.h"

#include "app/portable/constants.h"

namespace tintwerk::asset_data {
#define TW_ASSET(name)                   \
  extern const unsigned char name[];     \
  extern const std::size_t name##_size;
#define TW_PICTURE(name, ext) TW_ASSET(name##_##ext) TW_ASSET(name##_150_##ext) TW_ASSET(name##_200_##ext)
TW_PICTURE(default_preview, jpg)
TW_PICTURE(button_start, bmp)
TW_PICTURE(button_palette, bmp)
TW_PICTURE(button_org, bmp)
TW_PICTURE(button_hotlap, bmp)
TW_PICTURE(button_race, bmp)
TW_PICTURE(button_menu, bmp)
TW_PICTURE(button_top1, bmp)
TW_PICTURE(button_top2, bmp)
#undef TW_PICTURE
TW_ASSET(tintwerk_ico)
#undef TW_ASSET
}  // namespace tintwerk::asset_data

namespace tintwerk {

namespace {

// One picture's three sets.
struct PictureSets {
  Asset at100, at150, at200;
};

#define TW_SETS(name, ext)                                                                   \
  PictureSets {                                                                              \
    {name##_##ext, name##_##ext##_size}, {name##_150_##ext, name##_150_##ext##_size},        \
        {name##_200_##ext, name##_200_##ext##_size}                                          \
  }

PictureSets picture_sets(int number) {
  using namespace tintwerk::asset_data;
  switch (number) {
    case DEFAULT_PREVIEW_IMAGE: return TW_SETS(default_preview, jpg);
    case IMG_START: return TW_SETS(button_start, bmp);
    case IMG_PALETTE: return TW_SETS(button_palette, bmp);
    case IMG_ORG: return TW_SETS(button_org, bmp);
    case IMG_HOTLAP: return TW_SETS(button_hotlap, bmp);
    case IMG_RACE: return TW_SETS(button_race, bmp);
    case IMG_MENU: return TW_SETS(button_menu, bmp);
    case IMG_TOP1: return TW_SETS(button_top1, bmp);
    case IMG_TOP2: return TW_SETS(button_top2, bmp);
    default: return {{nullptr, 0}, {nullptr, 0}, {nullptr, 0}};
  }
}
#undef TW_SETS

}  // namespace

Asset builtin_image(int number, int percent) {
  const PictureSets sets = picture_sets(number);
  switch (percent) {
    case 100: return sets.at100;
    case 150: return sets.at150;
    case 200: return sets.at200;
    default: return {nullptr, 0};
  }
}

int builtin_image_set(int dpi) {
  // 120 DPI (125 %) lies halfway and takes 150; 168 (175 %) takes 200.
  if (dpi * 4 < 96 * 5) return 100;
  if (dpi * 4 < 96 * 7) return 150;
  return 200;
}

Asset program_icon() { return {asset_data::tintwerk_ico, asset_data::tintwerk_ico_size}; }

}  // namespace tintwerk
