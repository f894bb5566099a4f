// Tintwerk, the palette switcher: the process-wide application state, the
// program's actions and its main routine.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/portable/constants.h"
#include "app/portable/game_config.h"
#include "app/portable/presets.h"
#include "app/portable/preview.h"
#include "app/portable/settings_fields.h"
#include "app/portable/state.h"

namespace tintwerk {

// The application state, alive until the process ends.
AppState& app();

// Where messages and status texts go. Without hooks (the program) messages are
// modal message boxes titled "Achtung" and status texts go to the status line;
// tests set hooks to watch them without any window.
struct UiHooks {
    void (*message)(std::string_view text) = nullptr;  // replaces the message box
    void (*status)(std::string_view text) = nullptr;   // called besides the status line
    // Replaces the start's file requesters: the answer to `title`, empty when cancelled.
    std::string (*file_request)(std::string_view title) = nullptr;
};
UiHooks& ui_hooks();

void show_message(std::string_view text);
void set_status(std::string_view text);

// Reads a text file the way qz.ini is read: one element per line, spaces
// trimmed at both ends. False (lines untouched) when it cannot be opened.
bool read_config_lines(const std::string& path, std::vector<std::string>& lines);
// The lines of qz.ini's bytes, trimmed as above.
std::vector<std::string> config_lines(std::string_view bytes);

// Rewrites a game file from its whole content now: `edit` turns the current
// content (empty, with `missing` set, when there is no file) into the new one,
// or returns false when there is nothing to write (Other). A file that is
// there but cannot be read now is left alone. When the game changes the file
// before the new content goes in, the change is made again on the game's
// content, up to kChangeRounds times in all. Done when the file holds the new
// content; otherwise why not.
inline constexpr int kChangeRounds = 3;
FileReplaceResult rewrite_game_file(const std::string& path,
                                    const std::function<bool(std::string& content, bool missing)>& edit);

// The main routine: start-up, main loop, ending. Returns the exit code (0).
int run_tintwerk();

// True when another Tintwerk runs in this session: its main window has been
// brought to the front (or it showed none in time) and this start ends
// without a window or any file work. False: this is the one running now.
bool hand_over_to_running_instance();
// Marks the main window as the one a second start brings to the front.
void mark_main_window(bool on = true);

// Start-up steps used by the main routine (and by tests).
void runtime_init();
void runtime_release();
// Resolves what an interrupted rewrite left beside the settings file (fixed
// as a full path from the working folder), then reads the settings.
void load_settings();
// Finds Pistova.exe and qz.ini, asking the player where they are when they
// cannot be opened; false (after its message) when the player gives none.
bool find_game_files();
// Resolves what interrupted rewrites left beside qz.ini, its untouched copy
// and options.set.
void recover_game_files();
// Tells the player, before any requester, that the settings could not be read.
void report_unread_settings();
// Tells the player what was done with the leftovers of interrupted rewrites.
void report_start_files();
bool save_settings();  // false when the settings file could not be written
// The ending's file work. The stock palette is put back when the settings ask
// for it (a restore that cannot be written is told in a message); true when
// a restore was made or tried.
bool restore_at_exit();
// The settings are saved when they changed; when they cannot be, a message says so.
void save_at_exit();
void catch_builtin_images();
void build_main_window();
// Runs until the main window's close event; returns that event's code.
int run_main_loop();
// The main window's geometry to save: its last normal one while minimised.
WindowGeometry main_window_geometry();
// What the main window keeps of its geometry from one event to the next, for
// as long as the window exists.
struct MainWindowRecord {
    WindowGeometry normal;  // the last while neither minimised nor maximised, saved in place of a minimised one's
    bool have_normal = false;
    // The client size at the last size event, and whether the window was
    // minimised, maximised or restored since. The size event that comes with
    // showing the window changes nothing and must not mark the settings.
    int last_width = 0, last_height = 0;
    bool state_changed = false;
};
MainWindowRecord& main_window_record();

// The program's actions, named by what they do.
bool scan_palette_folder(const std::string& folder);
void detect_active_palette();
void activate_palette();
bool restore_stock_palette();  // true when qz.ini was written
// Puts `palette_line` in place of every palette line of qz.ini as it is now;
// Done, or why not.
FileReplaceResult write_game_config(std::string_view palette_line);
void apply_hotlap_preset();
void apply_race_preset();
void launch_game();
void show_preview();
void run_settings_window();

}  // namespace tintwerk
