// The settings kept between runs in pal_change.prf: one value, read at
// start-up and written at exit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/portable/race_options.h"

namespace tintwerk {

// The main window's geometry: outer frame position and client size, in
// pixels of a screen at `dpi`.
struct WindowGeometry {
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t dpi = 96;
    bool operator==(const WindowGeometry&) const = default;
};

// The geometry saved on a screen at saved.dpi for a screen at `dpi`: the same
// at the same DPI; otherwise at the same frame position with the client size
// converted, never below min_width x min_height (pixels at `dpi`). A saved
// DPI beyond any screen's counts as 96, the DPI of files without one.
WindowGeometry geometry_for_dpi(const WindowGeometry& saved, int32_t dpi, int32_t min_width, int32_t min_height);

struct SavedSettings {
    std::string palette_folder;  // used as a plain prefix: must end with a separator
    std::string game_exe_path;
    std::string game_ini_path;
    std::string favorite1;  // "nix" means not set
    std::string favorite2;
    WindowGeometry window;  // as read at start-up (save_settings writes the window's own)
    PresetValues presets;
    int8_t restore_on_exit = 0;  // a signed byte, not a flag: set_org_ende 255 reads and saves as -1; non-zero restores
};

// Where the settings come from and go to (the preference store in the program,
// a recorder in tests).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string read_string(std::string_view key, std::string_view fallback) = 0;
    virtual int32_t read_int(std::string_view key, int32_t fallback) = 0;
    virtual void write_string(std::string_view key, std::string_view value) = 0;
    virtual void write_int(std::string_view key, int32_t value) = 0;
};

// Reads the 20 keys in their fixed order with their defaults: the three paths
// and the favourites lower-cased, the four window numbers, the ten preset texts
// unchanged, and set_org_ende whose low 8 bits become restore_on_exit; after
// the window size the DPI it was saved at (96 when the file has none).
SavedSettings read_settings(SettingsStore& store);

// Writes the 20 keys in their fixed order and spelling, and after the window
// size the DPI it belongs to when that is not 96.
void write_settings(const SavedSettings& settings, SettingsStore& store);

}  // namespace tintwerk
