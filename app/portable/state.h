// The application state: the saved settings and what one run of the program
// keeps besides them; every action reads and writes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/portable/saved_settings.h"
#include "files/whole_file.h"

namespace tintwerk {

struct AppState {
    SavedSettings settings;       // as read at start-up and changed since; written back at exit when changed
    std::string start_folder;     // current folder at start-up, with a trailing "\"
    std::string settings_path;    // the settings file in start_folder, whatever the folder is later
    std::string options_path;     // folder of settings.game_exe_path + "options.set"

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

    std::vector<std::string> palette_list;
    std::vector<std::string> ini_lines;  // qz.ini as last read, lines trimmed of spaces
};

// A fresh record: texts empty, numbers and flags 0, start_folder as given.
AppState initial_state(std::string start_folder);

// Fills in what the start-up sets after reading the settings: selected palette
// "nix" and both flags 0.
void set_runtime_defaults(AppState& state);

// A file beside the game executable: the folder part of `exe_path` followed
// by `name` (qz.ini, options.set).
std::string beside_game(std::string_view exe_path, std::string_view name);

}  // namespace tintwerk
