#include "app/portable/preview.h"

#include <algorithm>

#include "text/text.h"

namespace tintwerk {

PreviewSize preview_size(int width, int height, int box_width, int box_height) {
    // The arithmetic runs on single-precision sizes with double-precision
    // quotients, so borderline shapes come out the same on every run.
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    PreviewSize size{false, width, height};
    if (!(w > static_cast<float>(box_width) || h > static_cast<float>(box_height))) return size;
    if (w <= 0.0f || h <= 0.0f) return size;  // no picture to fit
    size.scale = true;
    // A side is never 0: a strip far longer than the box keeps one pixel of
    // its short side, so the box never grows beyond its own size.
    const float box_aspect = 1.3333f;
    if (static_cast<double>(w) / static_cast<double>(h) > static_cast<double>(box_aspect)) {
        const float new_height = static_cast<float>(static_cast<double>(h) / static_cast<double>(w) * box_width);
        size.width = box_width;
        size.height = std::max(1, float_to_int(new_height));
    } else {
        size.width = std::max(1, float_to_int(static_cast<double>(w) / static_cast<double>(h) * box_height));
        size.height = box_height;
    }
    return size;
}

std::string preview_path_for(std::string_view folder, std::string_view palette_file_name) {
    const std::string base = text_left(palette_file_name, text_length(palette_file_name) - 4);
    return text_concat({folder, base, ".jpg"});
}

}  // namespace tintwerk
