// The main routine: start-up, file discovery, the main loop and the ending.
#include "app/app.h"
#include "app/assets/assets.h"
#include "files/files.h"
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

// Steps of the file discovery; false ends the program after its message.
bool find_game_executable() {
    AppState& s = app();
    if (file_exists(s.game_exe_path)) {
        s.launch_allowed = true;
        return true;
    }
    const std::string answer = text_lower(file_requester_open("Wo ist Pistova.exe", s.start_folder, "exe|Pistova.exe", 0));
    if (answer.empty()) {
        show_message("Ohne Pistova gehts nicht !!");
        return false;
    }
    s.settings_changed = true;
    s.game_exe_path = answer;
    s.launch_allowed = true;
    s.game_ini_path = beside_game(answer, "qz.ini");
    return true;
}

bool find_game_config() {
    AppState& s = app();
    if (file_exists(s.game_ini_path)) return true;
    const std::string answer = text_lower(file_requester_open("Wo ist qz.ini", s.start_folder, "ini|qz.ini", 0));
    if (answer.empty()) {
        show_message("Ohne qz.ini gehts nicht !!");
        return false;
    }
    s.settings_changed = true;
    s.game_ini_path = answer;
    return true;
}

bool find_palette_folder() {
    AppState& s = app();
    if (scan_palette_folder(s.palette_folder)) return true;
    const std::string answer = folder_requester_open("Verzeichniss mit Paletten suchen", path_folder_part(s.game_exe_path));
    if (answer.empty()) return true;  // runs on with an empty list
    s.settings_changed = true;
    s.palette_folder = answer;
    if (scan_palette_folder(s.palette_folder)) return true;
    show_message("Paletten nicht gefunden !!");
    return false;
}

// A temporary copy that an interrupted rewrite left beside qz.ini, its
// pristine copy, options.set or the settings file holds what was to be
// written: it is named in the status line and left where it is, never used or
// removed without the player.
void report_leftover_copies() {
    const AppState& s = app();
    for (const std::string& path :
         {s.game_ini_path, s.game_ini_path + ".orig", s.options_path, std::string(SETTINGS_FILE)}) {
        const std::string name = file_leftover_copy(path);
        if (name.empty()) continue;
        set_status(shorten_text(text_concat({LEFTOVER_TEXT, name}), STATUS_LIMIT));
        return;
    }
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
    prefs_open(SETTINGS_FILE);
    PrefsSettings store;
    read_settings(s, store);
    prefs_close();
    set_runtime_defaults(s);
}

bool save_settings() {
    if (!prefs_create(SETTINGS_FILE)) return false;
    PrefsSettings store;
    write_settings(app(), main_window_geometry(), store);
    return prefs_close();
}

bool restore_at_exit() {
    AppState& s = app();
    if (s.restore_on_exit == 0 || text_equal(s.active_palette, STOCK_PALETTE)) return false;
    // Nobody reads the status line once the program ends: a restore that
    // could not be written is told in a message. Without a palette line
    // start-up has told it already.
    if (!restore_stock_palette() && s.palette_line_found) show_message(CONFIG_FAILURE_TEXT);
    return true;
}

void save_at_exit() {
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
    runtime_init();
    load_settings();
    font_load(APP_FONT, "Lucida Console", 12);
    catch_builtin_images();
    build_main_window();

    AppState& s = app();
    bool started = find_game_executable();
    if (started) {
        s.options_path = beside_game(s.game_exe_path, "options.set");
        started = find_game_config() && find_palette_folder();
    }
    if (dir_is_open(PALETTE_SCAN)) dir_finish(PALETTE_SCAN);

    if (started) {
        detect_active_palette();
        report_leftover_copies();
        run_main_loop();
        // Half a second for the game, should it be starting, before it finds
        // its stock palette back in qz.ini.
        if (restore_at_exit()) delay(500);
        save_at_exit();
    }
    runtime_release();
    return 0;
}

}  // namespace tintwerk
