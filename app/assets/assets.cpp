#include "app/assets/assets.h"

#include "app/portable/constants.h"

namespace tintwerk::asset_data {
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
}  // namespace tintwerk::asset_data

namespace tintwerk {

Asset builtin_image(int number) {
  using namespace tintwerk::asset_data;
  switch (number) {
    case DEFAULT_PREVIEW_IMAGE: return {default_preview_jpg, default_preview_jpg_size};
    case IMG_START: return {button_start_bmp, button_start_bmp_size};
    case IMG_PALETTE: return {button_palette_bmp, button_palette_bmp_size};
    case IMG_ORG: return {button_org_bmp, button_org_bmp_size};
    case IMG_HOTLAP: return {button_hotlap_bmp, button_hotlap_bmp_size};
    case IMG_RACE: return {button_race_bmp, button_race_bmp_size};
    case IMG_MENU: return {button_menu_bmp, button_menu_bmp_size};
    case tintwerk::IMG_TOP1: return {button_top1_bmp, button_top1_bmp_size};
    case tintwerk::IMG_TOP2: return {button_top2_bmp, button_top2_bmp_size};
    default: return {nullptr, 0};
  }
}

Asset program_icon() { return {asset_data::tintwerk_ico, asset_data::tintwerk_ico_size}; }

}  // namespace tintwerk
