// The preview of the selected palette.
#include "app/app.h"
#include "text/path_parts.h"
#include "files/file.h"
#include "files/whole_file.h"
#include "image/image.h"
#include "ui/control.h"
#include "ui/scale.h"

namespace tintwerk {

namespace {

// The preview box's rule, applied by the image library to the picture's real
// size before it decodes: the box in the screen's pixels, so that the picture
// is decoded at the size it is shown.
ImageSize preview_fit(int width, int height) {
    const PreviewSize size = preview_size(width, height, ui_pixels(PREVIEW_BOX_WIDTH), ui_pixels(PREVIEW_BOX_HEIGHT));
    return {size.width, size.height};
}

}  // namespace

void show_preview() {
    AppState& s = app();
    s.selected_palette = control_get_text(CTL_PALETTE_LIST);
    set_status(shorten_text(s.selected_palette, STATUS_LIMIT));
    s.preview_path = preview_path_for(s.settings.palette_folder, path_file_part(s.selected_palette));
    if (!file_exists(s.preview_path)) {
        control_set_state(CTL_PREVIEW, image_handle(DEFAULT_PREVIEW_IMAGE));
        return;
    }
    // A picture larger than the box is made at the box's size straight away:
    // what it costs follows the box, not the size the file claims.
    image_load_fit(PREVIEW_IMAGE, s.preview_path, preview_fit);
    control_set_state(CTL_PREVIEW, image_handle(PREVIEW_IMAGE));
}

}  // namespace tintwerk
