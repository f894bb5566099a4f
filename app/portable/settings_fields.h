// The preset fields of the settings window: which control edits which value
// (the controls and limits come from app/portable/race_options.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/portable/race_options.h"
#include "app/portable/state.h"

namespace tintwerk {

// The edit field of one preset's value of one option.
struct PresetField {
    Preset preset;
    RaceOption option;
    intptr_t control;
};

// The ten edit fields in the order they are created: the Hotlap column, then
// the Race column, each in the order of the options.
inline constexpr std::size_t PRESET_FIELD_COUNT = PRESET_COUNT * OPTION_COUNT;
inline constexpr std::array<PresetField, PRESET_FIELD_COUNT> PRESET_FIELDS = [] {
    std::array<PresetField, PRESET_FIELD_COUNT> fields{};
    for (std::size_t p = 0; p < PRESET_COUNT; ++p)
        for (std::size_t o = 0; o < OPTION_COUNT; ++o)
            fields[p * OPTION_COUNT + o] = {Preset(p), RaceOption(o), edit_control(Preset(p), RaceOption(o))};
    return fields;
}();

// The field edited by `control`, or null.
const PresetField* preset_field_for(intptr_t control);

// Stores the field's new text in the state; when its number exceeds the
// option's limit the value becomes the limit as text, which is returned so
// that the field can show it too. The settings are marked changed when the
// value changed.
std::optional<std::string> take_field_text(AppState& state, const PresetField& field, std::string_view text);

// The favourite display of the settings window.
std::string favorite_display(std::string_view selected_palette);
// The display after storing the selected palette as favourite 1 or 2.
std::string favorite_stored_display(int favorite, std::string_view selected_palette);

}  // namespace tintwerk
