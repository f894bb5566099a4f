// The preview of the selected palette.
#include "app/app.h"
#include "files/dir.h"
#include "files/file.h"
#include "image/image.h"
#include "ui/control.h"

using namespace tintwerk;

void show_preview() {
    AppState& s = app();
    s.selected_palette = control_get_text(CTL_PALETTE_LIST);
    set_status(shorten_text(s.selected_palette, STATUS_LIMIT));
    s.preview_path = preview_path_for(s.palette_folder, path_file_part(s.selected_palette));
    if (!file_open_read(APP_FILE, s.preview_path)) {
        control_set_state(CTL_PREVIEW, image_handle(DEFAULT_PREVIEW_IMAGE));
        return;
    }
    file_close(APP_FILE);
    image_load(PREVIEW_IMAGE, s.preview_path);
    const PreviewSize size = preview_size(image_width(PREVIEW_IMAGE), image_height(PREVIEW_IMAGE));
    if (size.scale) image_resize(PREVIEW_IMAGE, size.width, size.height, 0);
    control_set_state(CTL_PREVIEW, image_handle(PREVIEW_IMAGE));
}
