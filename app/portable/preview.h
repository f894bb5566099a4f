// Fitting a preview picture into the preview box, 300 by 225 layout units.
#pragma once

#include <string>
#include <string_view>

namespace tintwerk {

inline constexpr int PREVIEW_BOX_WIDTH = 300;
inline constexpr int PREVIEW_BOX_HEIGHT = 225;

struct PreviewSize {
    bool scale = false;  // false: shown at its own size
    int width = 0;
    int height = 0;
};

// The size a picture of width x height is shown at in a box of box_width x
// box_height pixels (the box's shape is the one of 300 x 225): pictures that
// fit are never enlarged; larger ones are scaled down to the box keeping
// their shape.
PreviewSize preview_size(int width, int height, int box_width = PREVIEW_BOX_WIDTH,
                         int box_height = PREVIEW_BOX_HEIGHT);

// The picture beside a palette: the folder, the palette's file name without its
// last four characters (".pal"), and ".jpg".
std::string preview_path_for(std::string_view folder, std::string_view palette_file_name);

}  // namespace tintwerk
