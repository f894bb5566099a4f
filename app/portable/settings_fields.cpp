#include "app/portable/settings_fields.h"

#include "app/portable/constants.h"
#include "app/portable/game_config.h"
#include "text/text.h"

namespace tintwerk {

const PresetField PRESET_FIELDS[PRESET_FIELD_COUNT] = {
    {CTL_LAPS_HOT, 200, 110, &AppState::laps_hot, 100, "100"},
    {CTL_TYRE_HOT, 200, 150, &AppState::tyre_hot, 100, "100"},
    {CTL_VERBRAUCH_HOT, 200, 190, &AppState::verbrauch_hot, 100, "100"},
    {CTL_SPRIT_HOT, 200, 230, &AppState::sprit_hot, 200, "200"},
    {CTL_DAMAGE_HOT, 200, 270, &AppState::damage_hot, 100, "100"},
    {CTL_LAPS_RACE, 350, 110, &AppState::laps_race, 100, "100"},
    {CTL_TYRE_RACE, 350, 150, &AppState::tyre_race, 100, "100"},
    {CTL_VERBRAUCH_RACE, 350, 190, &AppState::verbrauch_race, 100, "100"},
    {CTL_SPRIT_RACE, 350, 230, &AppState::sprit_race, 200, "200"},
    {CTL_DAMAGE_RACE, 350, 270, &AppState::damage_race, 100, "100"},
};

const PresetField* preset_field_for(intptr_t control) {
    for (const PresetField& field : PRESET_FIELDS)
        if (field.control == control) return &field;
    return nullptr;
}

std::optional<std::string> take_field_text(AppState& state, const PresetField& field, std::string_view text) {
    std::string& value = state.*field.value;
    const std::string before = value;
    value = std::string(text);
    std::optional<std::string> replaced;
    if (text_to_int(value) > field.limit) {
        value = field.replacement;
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
