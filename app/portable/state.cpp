#include "app/portable/state.h"

#include <algorithm>
#include <cstdint>

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
    state.text_colour = TEXT_COLOUR;
    state.back_colour = BACK_COLOUR;
    state.credit_line = CREDIT_LINE;
}

namespace {

// The preset texts in the order in which they are stored.
struct PresetKey {
    const char* key;
    std::string AppState::*field;
    const char* fallback;
};

constexpr PresetKey kPresetKeys[] = {
    {"laps_hot", &AppState::laps_hot, "10"},
    {"tyre_hot", &AppState::tyre_hot, "0"},
    {"verbrauch_hot", &AppState::verbrauch_hot, "0"},
    {"sprit_hot", &AppState::sprit_hot, "50"},
    {"damage_hot", &AppState::damage_hot, "0"},
    {"laps_race", &AppState::laps_race, "5"},
    {"tyre_race", &AppState::tyre_race, "30"},
    {"verbrauch_race", &AppState::verbrauch_race, "30"},
    {"sprit_race", &AppState::sprit_race, "50"},
    {"damage_race", &AppState::damage_race, "30"},
};

}  // namespace

void read_settings(AppState& state, SettingsStore& store) {
    state.palette_folder = text_lower(store.read_string("paletten", "c:\\games\\kurvo\\paletten\\"));
    state.game_exe_path = text_lower(store.read_string("Velo.exe", "c:\\games\\kurvo\\Pistova.exe"));
    state.game_ini_path = text_lower(store.read_string("Velo.ini", "c:\\games\\kurvo\\qz.ini"));
    state.favorite1 = text_lower(store.read_string("Favorite1", NOT_SET));
    state.favorite2 = text_lower(store.read_string("Favorite2", NOT_SET));
    // The window keys are read with a capital W and written in small letters
    // (write_settings): keys compare without regard to case, so both spellings
    // in a file are found, and files written by older versions stay readable.
    state.win_x = store.read_int("Window_x", 100);
    state.win_y = store.read_int("Window_y", 50);
    state.win_w = store.read_int("Window_w", 700);
    state.win_h = store.read_int("Window_h", 500);
    state.win_dpi = store.read_int("Window_dpi", 96);
    for (const PresetKey& p : kPresetKeys) state.*p.field = store.read_string(p.key, p.fallback);
    const std::string restore = store.read_string("set_org_ende", "0");
    // Only the low 8 bits count: 257 gives 1, 255 gives -1.
    state.restore_on_exit = static_cast<int8_t>(static_cast<uint8_t>(text_to_int(restore) & 0xFF));
}

void write_settings(const AppState& state, const WindowGeometry& geometry, SettingsStore& store) {
    store.write_string("paletten", state.palette_folder);
    store.write_string("Velo.exe", state.game_exe_path);
    store.write_string("Velo.ini", state.game_ini_path);
    store.write_string("Favorite1", state.favorite1);
    store.write_string("Favorite2", state.favorite2);
    // Written in small letters, read as "Window_x" (read_settings): the same keys.
    store.write_int("window_x", geometry.x);
    store.write_int("window_y", geometry.y);
    store.write_int("window_w", geometry.width);
    store.write_int("window_h", geometry.height);
    // Files of a 96-DPI screen stay as they always were.
    if (geometry.dpi != 96) store.write_int("window_dpi", geometry.dpi);
    for (const PresetKey& p : kPresetKeys) store.write_string(p.key, state.*p.field);
    store.write_string("set_org_ende", int_to_text(state.restore_on_exit));
}

WindowGeometry geometry_for_dpi(const WindowGeometry& saved, int32_t dpi, int32_t min_width, int32_t min_height) {
    const int32_t from = saved.dpi >= 48 && saved.dpi <= 960 ? saved.dpi : 96;
    if (from == dpi) return saved;
    auto convert = [&](int32_t size, int32_t minimum) {
        const int64_t scaled = (static_cast<int64_t>(size) * dpi + from / 2) / from;
        return static_cast<int32_t>(std::clamp<int64_t>(scaled, minimum, INT32_MAX));
    };
    return {saved.x, saved.y, convert(saved.width, min_width), convert(saved.height, min_height), dpi};
}

std::string beside_game(std::string_view exe_path, std::string_view name) {
    return text_concat({path_folder_part(exe_path), name});
}

}  // namespace tintwerk
