// The two race option presets: five single bytes of the game's options.set.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/portable/state.h"

namespace tintwerk {

struct PresetByte {
    int64_t offset;
    uint8_t value;
};

enum class Preset { Hotlap, Race };

// The bytes of a preset in the order they are written: laps (offset 4), tyre
// wear (13), fuel use (14), fuel load (16), damage (15). Each value is the low
// 8 bits of the field's number; a text without digits gives 0.
std::array<PresetByte, 5> preset_bytes(const AppState& state, Preset preset);

// Puts the bytes into a file's content at their offsets; a shorter content
// is first lengthened with zeros.
void patch_preset(std::string& content, const std::array<PresetByte, 5>& bytes);

// The status line texts of a preset.
const char* preset_success_text(Preset preset);
inline constexpr const char* PRESET_FAILURE_TEXT = "Fehler Options.set";

}  // namespace tintwerk
