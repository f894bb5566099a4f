// The race options of the two presets, as one table: the settings keys and
// their defaults, the bytes a preset writes into the game's options.set, and
// the settings window's rows, columns, edit fields and limits all follow from
// it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tintwerk {

// The options in the order their keys are saved, their bytes are written and
// their rows stand in the settings window.
enum RaceOption : std::size_t { Laps, Tyre, Verbrauch, Sprit, Damage };
inline constexpr std::size_t OPTION_COUNT = 5;

struct OptionRow {
    const char* stem;   // the settings key less the preset's suffix
    const char* label;  // the row's label in the settings window
    int label_width;
    int64_t offset;     // the byte in options.set
    int limit;          // the largest number the settings window takes
    int y;              // the row in the settings window
};

inline constexpr OptionRow OPTIONS[OPTION_COUNT] = {
    {"laps", "Laps", 80, 4, 100, 110},
    {"tyre", "Tyre", 80, 13, 100, 150},
    {"verbrauch", "Verbrauch", 100, 14, 100, 190},
    {"sprit", "Sprit kg", 80, 16, 200, 230},  // the fuel load in kilograms
    {"damage", "Damage", 80, 15, 100, 270},
};

// The presets in the order their keys are saved and their columns stand.
enum Preset : std::size_t { Hotlap, Race };
inline constexpr std::size_t PRESET_COUNT = 2;

struct PresetColumn {
    const char* name;          // the column's heading
    const char* key_suffix;
    const char* applied_text;  // the status line once the preset is written
    int x;                     // the column in the settings window
    intptr_t heading_control;
    intptr_t first_control;    // the first option's edit field; the others follow in order
    std::array<const char*, OPTION_COUNT> defaults;
};

inline constexpr PresetColumn PRESETS[PRESET_COUNT] = {
    {"Hotlap", "_hot", "Options=Hotlap", 200, 204, 211, {"10", "0", "0", "50", "0"}},
    {"Race", "_race", "Options=Race", 350, 205, 221, {"5", "30", "30", "50", "30"}},
};

// The row labels are one control each, in the order of the options.
inline constexpr intptr_t FIRST_OPTION_LABEL = 206;

// The edit field of one value.
constexpr intptr_t edit_control(Preset preset, RaceOption option) {
    return PRESETS[preset].first_control + static_cast<intptr_t>(option);
}

// The ten values as texts, as typed or as the settings file had them, by
// preset and option.
using PresetValues = std::array<std::array<std::string, OPTION_COUNT>, PRESET_COUNT>;

// The settings key of one value: "laps_hot" ... "damage_race".
inline std::string option_key(Preset preset, RaceOption option) {
    return std::string(OPTIONS[option].stem) + PRESETS[preset].key_suffix;
}

}  // namespace tintwerk
