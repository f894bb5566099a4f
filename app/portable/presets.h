// The two race option presets: five single bytes of the game's options.set.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/portable/race_options.h"

namespace tintwerk {

struct PresetByte {
    int64_t offset;
    uint8_t value;
};

// The bytes of a preset, one per option at the option's offset. Each value
// is the low 8 bits of the text's number; a text without digits gives 0.
std::array<PresetByte, OPTION_COUNT> preset_bytes(const PresetValues& values, Preset preset);

// Puts the bytes into a file's content at their offsets; a shorter content
// is first lengthened with zeros.
void patch_preset(std::string& content, const std::array<PresetByte, OPTION_COUNT>& bytes);

// The status line texts of a preset.
inline const char* preset_success_text(Preset preset) { return PRESETS[preset].applied_text; }
inline constexpr const char* PRESET_FAILURE_TEXT = "Fehler Options.set";

}  // namespace tintwerk
