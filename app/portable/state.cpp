#include "app/portable/state.h"

#include "app/portable/constants.h"
#include "text/path_parts.h"
#include "text/text.h"

namespace tintwerk {

AppState initial_state(std::string start_folder) {
    AppState state;
    state.start_folder = std::move(start_folder);
    return state;
}

void set_runtime_defaults(AppState& state) {
    state.selected_palette = NOT_SET;
    state.launch_allowed = false;
    state.palette_line_found = false;
}

std::string beside_game(std::string_view exe_path, std::string_view name) {
    return text_concat({path_folder_part(exe_path), name});
}

}  // namespace tintwerk
