// The application state: one record that every action reads and writes, and
// the mapping between it and the settings file pal_change.prf.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/whole_file.h"

namespace tintwerk {

struct AppState {
    std::string start_folder;     // current folder at start-up, with a trailing "\"
    std::string settings_path;    // the settings file in start_folder, whatever the folder is later
    std::string palette_folder;   // used as a plain prefix: must end with a separator
    std::string game_exe_path;
    std::string game_ini_path;
    std::string options_path;     // folder of game_exe_path + "options.set"
    std::string favorite1;        // "nix" means not set
    std::string favorite2;
    int32_t win_x = 0, win_y = 0;  // outer frame position
    int32_t win_w = 0, win_h = 0;  // client size
    int32_t win_dpi = 96;          // the screen's DPI when they were saved

    std::string laps_hot, tyre_hot, verbrauch_hot, sprit_hot, damage_hot;
    std::string laps_race, tyre_race, verbrauch_race, sprit_race, damage_race;
    int8_t restore_on_exit = 0;  // a signed byte, not a flag: set_org_ende 255 reads and saves as -1; non-zero restores

    std::string selected_palette;
    std::string active_palette;
    std::string preview_path;
    bool launch_allowed = false;      // the game may be started (the last activation did not fail)
    bool palette_line_found = false;  // qz.ini had a palette line with "=" at start-up; never cleared
    bool settings_changed = false;  // only ever goes from false to true
    bool pristine_copy_missing = false;  // the last rewrite of qz.ini could not keep qz.ini.orig
    bool settings_unreadable = false;    // the settings file is there but could not be read: never saved
    // What the start did with leftovers of interrupted rewrites, by file name.
    struct Recovery {
        std::string name;
        FileRecovery outcome;
    };
    std::vector<Recovery> recovered;
    std::vector<std::string> resolved_files;  // whose leftovers were resolved, lower-cased
    int text_colour = 0;
    int back_colour = 0;
    std::string credit_line;

    std::vector<std::string> palette_list;
    std::vector<std::string> ini_lines;  // qz.ini as last read, lines trimmed of spaces

};

// A fresh record: texts empty, numbers and flags 0, start_folder as given.
AppState initial_state(std::string start_folder);

// Fills in what the start-up sets after reading the settings: selected palette
// "nix", both flags 0, the colours and the credit line.
void set_runtime_defaults(AppState& state);

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
void read_settings(AppState& state, SettingsStore& store);

// Window geometry as saved at exit, in pixels of a screen at `dpi`.
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

// Writes the 20 keys in their fixed order and spelling, and after the window
// size the DPI it belongs to when that is not 96.
void write_settings(const AppState& state, const WindowGeometry& geometry, SettingsStore& store);

// A file beside the game executable: the folder part of `exe_path` followed
// by `name` (qz.ini, options.set).
std::string beside_game(std::string_view exe_path, std::string_view name);

}  // namespace tintwerk
