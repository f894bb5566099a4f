#include "app/portable/saved_settings.h"

#include <algorithm>

#include "app/portable/constants.h"
#include "text/text.h"

namespace tintwerk {

WindowGeometry geometry_for_dpi(const WindowGeometry& saved, int32_t dpi, int32_t min_width, int32_t min_height) {
    const int32_t from = saved.dpi >= 48 && saved.dpi <= 960 ? saved.dpi : 96;
    if (from == dpi) return saved;
    auto convert = [&](int32_t size, int32_t minimum) {
        const int64_t scaled = (static_cast<int64_t>(size) * dpi + from / 2) / from;
        return static_cast<int32_t>(std::clamp<int64_t>(scaled, minimum, INT32_MAX));
    };
    return {saved.x, saved.y, convert(saved.width, min_width), convert(saved.height, min_height), dpi};
}

SavedSettings read_settings(SettingsStore& store) {
    SavedSettings s;
    s.palette_folder = text_lower(store.read_string("paletten", "c:\\games\\kurvo\\paletten\\"));
    s.game_exe_path = text_lower(store.read_string("Velo.exe", "c:\\games\\kurvo\\Pistova.exe"));
    s.game_ini_path = text_lower(store.read_string("Velo.ini", "c:\\games\\kurvo\\qz.ini"));
    s.favorite1 = text_lower(store.read_string("Favorite1", NOT_SET));
    s.favorite2 = text_lower(store.read_string("Favorite2", NOT_SET));
    // The window keys are read with a capital W and written in small letters
    // (write_settings): keys compare without regard to case, so both spellings
    // in a file are found, and files written by older versions stay readable.
    s.window.x = store.read_int("Window_x", 100);
    s.window.y = store.read_int("Window_y", 50);
    s.window.width = store.read_int("Window_w", 700);
    s.window.height = store.read_int("Window_h", 500);
    s.window.dpi = store.read_int("Window_dpi", 96);
    for (std::size_t p = 0; p < PRESET_COUNT; ++p)
        for (std::size_t o = 0; o < OPTION_COUNT; ++o)
            s.presets[p][o] = store.read_string(option_key(Preset(p), RaceOption(o)), PRESETS[p].defaults[o]);
    const std::string restore = store.read_string("set_org_ende", "0");
    // Only the low 8 bits count: 257 gives 1, 255 gives -1.
    s.restore_on_exit = static_cast<int8_t>(static_cast<uint8_t>(text_to_int(restore) & 0xFF));
    return s;
}

void write_settings(const SavedSettings& s, SettingsStore& store) {
    store.write_string("paletten", s.palette_folder);
    store.write_string("Velo.exe", s.game_exe_path);
    store.write_string("Velo.ini", s.game_ini_path);
    store.write_string("Favorite1", s.favorite1);
    store.write_string("Favorite2", s.favorite2);
    // Written in small letters, read as "Window_x" (read_settings): the same keys.
    store.write_int("window_x", s.window.x);
    store.write_int("window_y", s.window.y);
    store.write_int("window_w", s.window.width);
    store.write_int("window_h", s.window.height);
    // Files of a 96-DPI screen stay as they always were.
    if (s.window.dpi != 96) store.write_int("window_dpi", s.window.dpi);
    for (std::size_t p = 0; p < PRESET_COUNT; ++p)
        for (std::size_t o = 0; o < OPTION_COUNT; ++o)
            store.write_string(option_key(Preset(p), RaceOption(o)), s.presets[p][o]);
    store.write_string("set_org_ende", int_to_text(s.restore_on_exit));
}

}  // namespace tintwerk
