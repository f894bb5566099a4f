// The settings window: favourites, the preset values and the restore choice.
#include <string>

#include "app/app.h"
#include "text/text.h"
#include "ui/control.h"
#include "ui/window.h"

namespace tintwerk {

namespace {

void create_settings_controls(const AppState& s) {
    control_create_button(CTL_OK, 210, 350, 40, 24, "OK");
    control_create_button(CTL_SET_TOP1, 10, 5, 100, 24, "Set Top1");
    control_create_button(CTL_SET_TOP2, 150, 5, 100, 24, "Set Top2");
    control_create_text(CTL_FAVORITE_DISPLAY, 10, 40, 300, 24, "");
    for (const PresetColumn& c : PRESETS) control_create_text(c.heading_control, c.x, 72, 80, 24, c.name);
    for (std::size_t o = 0; o < OPTION_COUNT; ++o)
        control_create_text(FIRST_OPTION_LABEL + static_cast<intptr_t>(o), 10, OPTIONS[o].y, OPTIONS[o].label_width, 24,
                            OPTIONS[o].label);
    for (const PresetField& f : PRESET_FIELDS)
        control_create_edit(f.control, PRESETS[f.preset].x, OPTIONS[f.option].y, 50, 24,
                            s.settings.presets[f.preset][f.option], CONTROL_FLAG_NUMBER);
    control_create_checkbox(CTL_RESTORE_CHECK, 10, 310, 400, 24, "Set Org beim Beenden");
}

void store_favorite(int which) {
    AppState& s = app();
    (which == 1 ? s.settings.favorite1 : s.settings.favorite2) = s.selected_palette;
    control_set_text(CTL_FAVORITE_DISPLAY, favorite_stored_display(which, s.selected_palette));
    s.settings_changed = true;
}

}  // namespace

void run_settings_window() {
    AppState& s = app();
    const std::string title = text_concat({"Einstellungen", std::string(20, ' '), CREDIT_LINE});
    // 460 x 400 in layout units, like its controls.
    if (!window_open(SETTINGS_WINDOW, 10, 10, ui_pixels(460), ui_pixels(400), title, WINDOW_CENTRE_SCREEN,
                     window_handle(MAIN_WINDOW)))
        return;
    create_settings_controls(s);
    control_set_state(CTL_RESTORE_CHECK, s.settings.restore_on_exit != 0 ? 1 : 0);
    control_set_text(CTL_FAVORITE_DISPLAY, favorite_display(s.selected_palette));

    // Only the window's own controls count; everything else, the main window's
    // close box included, waits until OK.
    for (;;) {
        if (window_wait_event() != EVENT_CONTROL) continue;
        const intptr_t control = event_control();
        if (control == CTL_OK) {
            window_close(SETTINGS_WINDOW);
            break;
        }
        if (control == CTL_SET_TOP1) {
            store_favorite(1);
        } else if (control == CTL_SET_TOP2) {
            store_favorite(2);
        } else if (control == CTL_RESTORE_CHECK) {
            const int8_t restore = control_get_state(CTL_RESTORE_CHECK) != 0 ? 1 : 0;
            if (restore != s.settings.restore_on_exit) s.settings_changed = true;
            s.settings.restore_on_exit = restore;
        } else if (const PresetField* field = preset_field_for(control)) {
            if (auto replacement = take_field_text(s, *field, control_get_text(control)))
                control_set_text(control, *replacement);
        }
    }

    control_set_text(CTL_FAVORITE1_LABEL, shorten_text(s.settings.favorite1, FAVORITE_LABEL_LIMIT));
    control_set_text(CTL_FAVORITE2_LABEL, shorten_text(s.settings.favorite2, FAVORITE_LABEL_LIMIT));
}

}  // namespace tintwerk
