#include "app/assets/assets.h"

#include "app/portable/constants.h"

namespace tw::asset_data {
#define TW_ASSET(name)                   \
  extern const unsigned char name[];     \
  extern const std::size_t name##_size;
TW_ASSET(default_preview_jpg)
TW_ASSET(button_start_bmp)
TW_ASSET(button_palette_bmp)
TW_ASSET(button_org_bmp)
TW_ASSET(button_hotlap_bmp)
TW_ASSET(button_race_bmp)
TW_ASSET(button_menu_bmp)
TW_ASSET(button_top1_bmp)
TW_ASSET(button_top2_bmp)
TW_ASSET(tintwerk_ico)
#undef TW_ASSET
}  // namespace tw::asset_data

Asset builtin_image(int number) {
  using namespace tw::asset_data;
  switch (number) {
    case tintwerk::DEFAULT_PREVIEW_IMAGE: return {default_preview_jpg, default_preview_jpg_size};
    case tintwerk::IMG_START: return {button_start_bmp, button_start_bmp_size};
    case tintwerk::IMG_PALETTE: return {button_palette_bmp, button_palette_bmp_size};
    case tintwerk::IMG_ORG: return {button_org_bmp, button_org_bmp_size};
    case tintwerk::IMG_HOTLAP: return {button_hotlap_bmp, button_hotlap_bmp_size};
    case tintwerk::IMG_RACE: return {button_race_bmp, button_race_bmp_size};
    case tintwerk::IMG_MENU: return {button_menu_bmp, button_menu_bmp_size};
    case tintwerk::IMG_TOP1: return {button_top1_bmp, button_top1_bmp_size};
    case tintwerk::IMG_TOP2: return {button_top2_bmp, button_top2_bmp_size};
    default: return {nullptr, 0};
  }
}

Asset program_icon() { return {tw::asset_data::tintwerk_ico, tw::asset_data::tintwerk_ico_size}; }
