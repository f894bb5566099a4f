// The game's configuration: finding the active palette at start-up, and
// rewriting the palette lines of qz.ini on activation and restore.
#include "app/app.h"
#include "files/file.h"
#include "files/whole_file.h"
#include "text/text.h"

namespace tintwerk {

namespace {

std::string active_status(const AppState& s) {
    return shorten_text(text_concat({"qz.ini= ", s.active_palette}), STATUS_LIMIT);
}

// After a rewrite: the palette named, or that the untouched copy is missing.
std::string rewritten_status(const AppState& s, std::string normal) {
    return s.pristine_copy_missing ? std::string(PRISTINE_COPY_MISSING_TEXT) : normal;
}

}  // namespace

void detect_active_palette() {
    AppState& s = app();
    s.active_palette = NOT_SET;
    PaletteDetection d;
    if (read_config_lines(s.settings.game_ini_path, s.ini_lines)) {
        d = detect_palette(s.ini_lines);
        if (d.line_found) s.palette_line_found = true;
    }
    if (d.good) {
        s.active_palette = d.active;
        set_status(active_status(s));
        s.selected_palette = s.active_palette;
    } else {
        show_message("Fehler qz.ini Palette !!");
        s.active_palette = NOT_SET;
    }
}

void activate_palette() {
    AppState& s = app();
    const bool exists = file_exists(text_concat({s.settings.palette_folder, s.selected_palette})) != 0;
    s.launch_allowed = exists;
    if (!exists) {
        show_message("Fehler Palette !!");
        set_status(active_status(s));
        return;
    }
    if (const FileReplaceResult r = write_game_config(palette_line(s.settings.palette_folder, s.selected_palette));
        r != FileReplaceResult::Done) {
        set_status(write_failure_text(CONFIG_FAILURE_TEXT, r));
        return;
    }
    s.active_palette = s.selected_palette;
    set_status(rewritten_status(s, active_status(s)));
}

bool restore_stock_palette() {
    AppState& s = app();
    s.launch_allowed = true;
    if (const FileReplaceResult r = write_game_config(STOCK_PALETTE_LINE); r != FileReplaceResult::Done) {
        set_status(write_failure_text(CONFIG_FAILURE_TEXT, r));
        return false;
    }
    set_status(rewritten_status(s, "Palette = org"));
    s.active_palette = STOCK_PALETTE;
    return true;
}

FileReplaceResult write_game_config(std::string_view palette_line) {
    AppState& s = app();
    if (!s.palette_line_found) return FileReplaceResult::Other;
    std::vector<std::string> lines;
    bool copied = false;
    const std::string& ini = s.settings.game_ini_path;
    const FileReplaceResult written = rewrite_game_file(ini, [&](std::string& content, bool missing) {
        // Lines the game wrote since the start are kept; only a qz.ini that
        // has gone is made from the lines read at start-up.
        lines = missing ? s.ini_lines : config_lines(content);
        if (replace_palette_lines(lines, palette_line) == 0) return false;  // nothing to switch
        if (!copied) {
            // The untouched copy is made once, before the first rewrite;
            // without it the rewrite still goes ahead, and the status line
            // says so.
            s.pristine_copy_missing = file_keep_copy(ini, ini + ".orig") == 0;
            copied = true;
        }
        content = config_text(lines);
        return true;
    });
    if (written == FileReplaceResult::Done) s.ini_lines = std::move(lines);
    return written;
}

}  // namespace tintwerk
