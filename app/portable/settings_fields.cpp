#include "app/portable/settings_fields.h"

#include "app/portable/constants.h"
#include "app/portable/game_config.h"
#include "text/text.h"

namespace tintwerk {

const PresetField* preset_field_for(intptr_t control) {
    for (const PresetField& field : PRESET_FIELDS)
        if (field.control == control) return &field;
    return nullptr;
}

std::optional<std::string> take_field_text(AppState& state, const PresetField& field, std::string_view text) {
    std::string& value = state.settings.presets[field.preset][field.option];
    const int limit = OPTIONS[field.option].limit;
    const std::string before = value;
    value = std::string(text);
    std::optional<std::string> replaced;
    if (text_to_int(value) > limit) {
        value = int_to_text(limit);
        replaced = value;
    }
    // Fields also report focus changes and their own echo; only a real change
    // marks the settings for saving.
    if (value != before) state.settings_changed = true;
    return replaced;
}

std::string favorite_display(std::string_view selected_palette) {
    if (selected_palette.empty() || selected_palette == NOT_SET) return "Nix gew\xE4hlt";
    return shorten_text(selected_palette, STATUS_LIMIT);
}

std::string favorite_stored_display(int favorite, std::string_view selected_palette) {
    return shorten_text(text_concat({favorite == 1 ? "Top1: " : "Top2: ", selected_palette}), STATUS_LIMIT);
}

}  // namespace tintwerk
