// The main routine: start-up, file discovery, the main loop and the ending.
#include <algorithm>

#include "app/app.h"
#include "app/assets/assets.h"
#include "files/files.h"
#include "launch/launch.h"
#include "text/list.h"
#include "text/path_parts.h"
#include "text/text.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "prefs/prefs.h"
#include "ui/ui.h"

namespace tintwerk {

namespace {

// The settings as kept by the preference store.
class PrefsSettings : public SettingsStore {
public:
    std::string read_string(std::string_view key, std::string_view fallback) override {
        return prefs_read_string(key, fallback);
    }
    int32_t read_int(std::string_view key, int32_t fallback) override { return prefs_read_int(key, fallback); }
    void write_string(std::string_view key, std::string_view value) override { prefs_write_string(key, value); }
    void write_int(std::string_view key, int32_t value) override { prefs_write_int(key, value); }
};

// The start's file requester, or the hook that stands in for it.
std::string ask_for_file(const char* title, const char* pattern) {
    if (ui_hooks().file_request) return text_lower(ui_hooks().file_request(title));
    return text_lower(file_requester_open(title, app().start_folder, pattern, 0));
}

// Steps of the file discovery; false ends the program after its message.
bool find_game_executable() {
    AppState& s = app();
    if (file_exists(s.settings.game_exe_path)) {
        s.launch_allowed = true;
        return true;
    }
    const std::string answer = ask_for_file("Wo ist Pistova.exe", "exe|Pistova.exe");
    if (answer.empty()) {
        show_message("Ohne Pistova gehts nicht !!");
        return false;
    }
    s.settings_changed = true;
    s.settings.game_exe_path = answer;
    s.launch_allowed = true;
    s.settings.game_ini_path = beside_game(answer, "qz.ini");
    return true;
}

bool find_game_config() {
    AppState& s = app();
    if (file_exists(s.settings.game_ini_path)) return true;
    const std::string answer = ask_for_file("Wo ist qz.ini", "ini|qz.ini");
    if (answer.empty()) {
        show_message("Ohne qz.ini gehts nicht !!");
        return false;
    }
    s.settings_changed = true;
    s.settings.game_ini_path = answer;
    return true;
}

bool find_palette_folder() {
    AppState& s = app();
    if (scan_palette_folder(s.settings.palette_folder)) return true;
    const std::string answer =
        folder_requester_open("Verzeichniss mit Paletten suchen", path_folder_part(s.settings.game_exe_path));
    if (answer.empty()) return true;  // runs on with an empty list
    s.settings_changed = true;
    s.settings.palette_folder = answer;
    if (scan_palette_folder(s.settings.palette_folder)) return true;
    show_message("Paletten nicht gefunden !!");
    return false;
}

// Resolves the leftovers beside one file and notes what was done.
void recover(const std::string& path, bool keep_existing = false) {
    const FileRecovery outcome = file_roll_forward(path, keep_existing);
    if (outcome != FileRecovery::Nothing) app().recovered.push_back({path_file_part(path), outcome});
}

// The names of the files whose leftovers ended so, after `label`; empty text
// when there are none.
std::string recovery_text(const char* label, FileRecovery outcome) {
    std::string names;
    for (const AppState::Recovery& r : app().recovered)
        if (r.outcome == outcome) names = names.empty() ? r.name : text_concat({names, ", ", r.name});
    return names.empty() ? std::string() : text_concat({label, names});
}

}  // namespace

void runtime_init() {
    text_init();
    list_init();
    file_library_init();
    dir_library_init();
    font_library_init();
    window_library_init();
    control_library_init();
    decoder_registry_reset();
    image_library_init();
    prefs_init();
    launch_library_init();
    requester_library_init();
    jpeg_decoder_register();
}

void runtime_release() {
    prefs_close();
    image_free_all();
    control_free_all();
    window_close_all();
    font_free_all();
    file_free_all();
    launch_free_all();
}

void load_settings() {
    AppState& s = app();
    s = initial_state(current_dir());
    // Fixed now: a file requester may change the working folder later.
    s.settings_path = text_concat({s.start_folder, SETTINGS_FILE});
    if (s.start_folder.empty()) {
        // Where the settings are cannot be told: nothing is read, and
        // nothing written to a folder that may be another.
        s.settings_unreadable = true;
    } else {
        recover(s.settings_path);
        prefs_open(s.settings_path);
        s.settings_unreadable = prefs_unreadable();
    }
    PrefsSettings store;
    s.settings = read_settings(store);
    prefs_close();
    set_runtime_defaults(s);
}

bool find_game_files() {
    if (!find_game_executable()) return false;
    app().options_path = beside_game(app().settings.game_exe_path, "options.set");
    return find_game_config();
}

void recover_game_files() {
    AppState& s = app();
    // Each file once: the requesters may name other paths, which are then
    // resolved in turn.
    auto first_time = [&](const std::string& path) {
        const std::string key = text_lower(path);
        if (std::find(s.resolved_files.begin(), s.resolved_files.end(), key) != s.resolved_files.end()) return false;
        s.resolved_files.push_back(key);
        return true;
    };
    const std::string ini = s.settings.game_ini_path, options = beside_game(s.settings.game_exe_path, "options.set");
    if (first_time(ini)) {
        recover(ini);
        recover(ini + ".orig", true);
    }
    if (first_time(options)) recover(options);
}

void report_unread_settings() {
    if (app().settings_unreadable) show_message(SETTINGS_NOT_READ_TEXT);
}

void report_start_files() {
    const std::string not_applied = recovery_text(NOT_APPLIED_TEXT, FileRecovery::NotApplied);
    if (!not_applied.empty()) show_message(not_applied);
    std::string status;
    for (const std::string& piece : {recovery_text(NOT_TIDIED_TEXT, FileRecovery::Failed),
                                     recovery_text(RECOVERED_TEXT, FileRecovery::Completed),
                                     recovery_text(TIDIED_TEXT, FileRecovery::Removed)})
        if (!piece.empty()) status = status.empty() ? piece : text_concat({status, "; ", piece});
    if (!status.empty()) set_status(shorten_text(status, STATUS_LIMIT));
}

bool save_settings() {
    if (!prefs_create(app().settings_path)) return false;
    // The window as it stands now, with the settings as they are.
    SavedSettings settings = app().settings;
    settings.window = main_window_geometry();
    PrefsSettings store;
    write_settings(settings, store);
    return prefs_close();
}

bool restore_at_exit() {
    AppState& s = app();
    if (s.settings.restore_on_exit == 0 || text_equal(s.active_palette, STOCK_PALETTE)) return false;
    // Nobody reads the status line once the program ends: a restore that
    // could not be written is told in a message. Without a palette line
    // start-up has told it already.
    if (!restore_stock_palette() && s.palette_line_found) show_message(CONFIG_FAILURE_TEXT);
    return true;
}

void save_at_exit() {
    // Settings that could not be read are never written over: the start has
    // told the player.
    if (app().settings_unreadable) return;
    if (app().settings_changed && !save_settings()) show_message(SETTINGS_NOT_SAVED_TEXT);
}

void catch_builtin_images() {
    // The set drawn for the scale nearest the screen's; between two sets the
    // picture is scaled to its layout size on this screen.
    const int set = builtin_image_set(ui_dpi());
    for (intptr_t number = FIRST_BUILTIN_IMAGE; number <= LAST_BUILTIN_IMAGE; ++number) {
        const Asset picture = builtin_image(static_cast<int>(number), set);
        if (!picture.data || !image_catch(number, picture.data, picture.size)) continue;
        const int width = image_width(number), height = image_height(number);
        const int wanted_width = ui_pixels(width * 100 / set), wanted_height = ui_pixels(height * 100 / set);
        if (wanted_width != width || wanted_height != height) image_resize(number, wanted_width, wanted_height, 0);
    }
}

int run_tintwerk() {
    if (hand_over_to_running_instance()) return 0;
    runtime_init();
    load_settings();
    font_load(APP_FONT, "Lucida Console", 12);
    catch_builtin_images();
    build_main_window();
    mark_main_window();
    report_unread_settings();

    // Leftovers are resolved before anything is tested or asked: a qz.ini a
    // crash left under its backup name is back in place first.
    recover_game_files();
    const bool started = find_game_files() && find_palette_folder();
    if (dir_is_open(PALETTE_SCAN)) dir_finish(PALETTE_SCAN);

    if (started) {
        recover_game_files();  // at the paths the requesters gave, if any
        detect_active_palette();
        report_start_files();
        run_main_loop();
        // Ending: a start from now on waits for this one to end instead of
        // handing over to a window that is going.
        mark_main_window(false);
        // Half a second for the game, should it be starting, before it finds
        // its stock palette back in qz.ini.
        if (restore_at_exit()) delay(500);
        save_at_exit();
    }
    runtime_release();
    return 0;
}

}  // namespace tintwerk
