// The main window: palette list, preview, status line and picture buttons, and
// the event loop that dispatches their events.
#include <algorithm>

#include "app/app.h"
#include "launch/launch.h"
#include "text/text.h"
#include "image/image.h"
#include "ui/control.h"
#include "ui/font.h"
#include "ui/window.h"

namespace tintwerk {

namespace {

// The smallest client size the player can drag the window to, in layout units.
constexpr int MIN_WIDTH = 680, MIN_HEIGHT = 460;
// The palette list reaches this far above the window's bottom edge.
constexpr int LIST_BOTTOM_GAP = 25;

bool size_event_changes_geometry() {
    // A size read while the window is minimised is no geometry of its own.
    if (window_is_minimized(MAIN_WINDOW)) return false;
    MainWindowRecord& r = main_window_record();
    const int width = window_width(MAIN_WINDOW);
    const int height = window_height(MAIN_WINDOW);
    const bool changed = r.state_changed || width != r.last_width || height != r.last_height;
    r.last_width = width;
    r.last_height = height;
    r.state_changed = false;
    return changed;
}

bool main_window_is_normal() {
    return window_handle(MAIN_WINDOW) && !window_is_minimized(MAIN_WINDOW) && !window_is_maximized(MAIN_WINDOW);
}

void note_geometry() {
    if (!main_window_is_normal()) return;
    MainWindowRecord& r = main_window_record();
    r.normal = {window_x(MAIN_WINDOW), window_y(MAIN_WINDOW), window_width(MAIN_WINDOW), window_height(MAIN_WINDOW),
                ui_dpi()};
    r.have_normal = true;
}

void favorite_pressed(const std::string& favorite) {
    AppState& s = app();
    if (favorite == NOT_SET) return;
    s.selected_palette = favorite;
    activate_palette();
    launch_game();
}

void dispatch_main_control(intptr_t control) {
    AppState& s = app();
    switch (control) {
    case CTL_PALETTE_LIST:
        show_preview();
        // A double click or Enter, the list's default action, activates the palette.
        if (event_type() == CONTROL_EVENT_DOUBLE_CLICK) activate_palette();
        break;
    case CTL_RESTORE: restore_stock_palette(); break;
    case CTL_LAUNCH: launch_game(); break;
    case CTL_ACTIVATE: activate_palette(); break;
    case CTL_FAVORITE1: favorite_pressed(s.settings.favorite1); break;
    case CTL_FAVORITE2: favorite_pressed(s.settings.favorite2); break;
    case CTL_HOTLAP: apply_hotlap_preset(); break;
    case CTL_RACE: apply_race_preset(); break;
    case CTL_MENU: run_settings_window(); break;
    default: break;
    }
}

}  // namespace

MainWindowRecord& main_window_record() {
    static MainWindowRecord record;
    return record;
}

WindowGeometry main_window_geometry() {
    const MainWindowRecord& r = main_window_record();
    if (!main_window_is_normal() && r.have_normal) return r.normal;
    return {window_x(MAIN_WINDOW), window_y(MAIN_WINDOW), window_width(MAIN_WINDOW), window_height(MAIN_WINDOW),
            ui_dpi()};
}

// The palette list's height for a client height in pixels: the window's
// height in layout units less the gap.
int list_height(int client_height) { return ui_units(client_height) - LIST_BOTTOM_GAP; }

void build_main_window() {
    AppState& s = app();
    // Saved on a screen of another DPI, the window keeps its place and gets
    // its size converted, and is moved where it would stand off the screen.
    const WindowGeometry& saved = s.settings.window;
    const WindowGeometry g = geometry_for_dpi(saved, ui_dpi(), ui_pixels(MIN_WIDTH), ui_pixels(MIN_HEIGHT));
    window_open(MAIN_WINDOW, g.x, g.y, g.width, g.height, "Tintwerk", WINDOW_STYLE_SIZABLE, 0);
    if (g != saved) window_keep_on_screen(MAIN_WINDOW);
    window_set_colour(MAIN_WINDOW, BACK_COLOUR);
    window_set_bounds(MAIN_WINDOW, MIN_WIDTH, MIN_HEIGHT, 900, tw::IGNORE);
    control_set_font(CONTROLS_TO_COME, font_handle(APP_FONT));

    control_create_list(CTL_PALETTE_LIST, 10, 10, 300, list_height(g.height));
    control_create_image(CTL_PREVIEW, 350, 10, 300, 225, image_handle(DEFAULT_PREVIEW_IMAGE));
    control_create_text(CTL_STATUS, 350, 250, 300, 20, CREDIT_LINE);
    control_create_image_button(CTL_ACTIVATE, 350, 280, 80, 34, image_handle(IMG_PALETTE));
    control_create_image_button(CTL_LAUNCH, 450, 280, 100, 34, image_handle(IMG_START));
    control_create_image_button(CTL_RESTORE, 570, 280, 80, 34, image_handle(IMG_ORG));
    control_create_image_button(CTL_HOTLAP, 350, 325, 80, 34, image_handle(IMG_HOTLAP));
    control_create_image_button(CTL_RACE, 460, 325, 80, 34, image_handle(IMG_RACE));
    control_create_image_button(CTL_MENU, 570, 325, 80, 34, image_handle(IMG_MENU));
    control_create_image_button(CTL_FAVORITE1, 350, 370, 80, 34, image_handle(IMG_TOP1));
    control_create_text(CTL_FAVORITE1_LABEL, 450, 375, 200, 24,
                        shorten_text(s.settings.favorite1, FAVORITE_LABEL_LIMIT));
    control_create_image_button(CTL_FAVORITE2, 350, 415, 80, 34, image_handle(IMG_TOP2));
    control_create_text(CTL_FAVORITE2_LABEL, 450, 420, 200, 24,
                        shorten_text(s.settings.favorite2, FAVORITE_LABEL_LIMIT));

    // Each picture button carries the word its picture shows as its window
    // text, for screen readers; the picture alone is drawn.
    for (const ButtonWord& b : BUTTON_WORDS) control_set_text(b.control, b.word);

    for (intptr_t text : {CTL_STATUS, CTL_FAVORITE1_LABEL, CTL_FAVORITE2_LABEL}) {
        control_set_colour(text, CONTROL_COLOUR_FRONT, TEXT_COLOUR);
        control_set_colour(text, CONTROL_COLOUR_BACK, BACK_COLOUR);
    }
    note_geometry();
    main_window_record().last_width = window_width(MAIN_WINDOW);
    main_window_record().last_height = window_height(MAIN_WINDOW);
}

int run_main_loop() {
    AppState& s = app();
    int event = 0;
    do {
        event = window_wait_event();
        if (event == EVENT_CONTROL) {
            dispatch_main_control(event_control());
        } else if (event == EVENT_MINIMIZE || event == EVENT_MAXIMIZE || event == EVENT_RESTORE) {
            main_window_record().state_changed = true;
        } else if (event == EVENT_SIZE) {
            if (size_event_changes_geometry()) s.settings_changed = true;
            // A minimised window reports a height of 0; the list must not get
            // a negative height then.
            const int height = std::max(0, list_height(window_height(MAIN_WINDOW)));
            control_resize(CTL_PALETTE_LIST, tw::IGNORE, tw::IGNORE, tw::IGNORE, height);
        }
        note_geometry();
    } while (event != EVENT_CLOSE);
    // A window that was only moved gave no size event: whatever geometry is
    // to be saved and differs from the one read at start-up marks the settings.
    if (main_window_geometry() != s.settings.window)
        s.settings_changed = true;
    return event;
}

void launch_game() {
    // Half a second between a favourite's rewrite of qz.ini and the start of
    // the game that reads it, and for a Start pressed twice not to start twice
    // at once.
    delay(500);
    if (app().launch_allowed) run_program(app().settings.game_exe_path);
}

}  // namespace tintwerk
