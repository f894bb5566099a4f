// The preset fields of the settings window: which control edits which value,
// and the upper limit of each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/portable/state.h"

namespace tintwerk {

struct PresetField {
    intptr_t control;
    int x, y;
    std::string AppState::*value;
    int limit;
    const char* replacement;
};

// The ten edit fields in the order they are created.
inline constexpr std::size_t PRESET_FIELD_COUNT = 10;
extern const PresetField PRESET_FIELDS[PRESET_FIELD_COUNT];

// The field edited by `control`, or null.
const PresetField* preset_field_for(intptr_t control);

// Stores the field's new text in the state; when its number exceeds the limit
// the value becomes the replacement text, which is returned so that the field
// can show it too. The settings are marked changed when the value changed.
std::optional<std::string> take_field_text(AppState& state, const PresetField& field, std::string_view text);

// The favourite display of the settings window.
std::string favorite_display(std::string_view selected_palette);
// The display after storing the selected palette as favourite 1 or 2.
std::string favorite_stored_display(int favorite, std::string_view selected_palette);

}  // namespace tintwerk
