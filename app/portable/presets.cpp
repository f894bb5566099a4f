#include "app/portable/presets.h"

#include "text/text.h"

namespace tintwerk {

namespace {
uint8_t low_byte(const std::string& text) {
    return static_cast<uint8_t>(text_to_int(text) & 0xFF);
}
}  // namespace

std::array<PresetByte, 5> preset_bytes(const AppState& s, Preset preset) {
    const bool hot = preset == Preset::Hotlap;
    return {{
        {4, low_byte(hot ? s.laps_hot : s.laps_race)},
        {13, low_byte(hot ? s.tyre_hot : s.tyre_race)},
        {14, low_byte(hot ? s.verbrauch_hot : s.verbrauch_race)},
        {16, low_byte(hot ? s.sprit_hot : s.sprit_race)},
        {15, low_byte(hot ? s.damage_hot : s.damage_race)},
    }};
}

void patch_preset(std::string& content, const std::array<PresetByte, 5>& bytes) {
    for (const PresetByte& b : bytes) {
        const auto at = static_cast<std::size_t>(b.offset);
        if (content.size() <= at) content.resize(at + 1, '\0');
        content[at] = static_cast<char>(b.value);
    }
}

const char* preset_success_text(Preset preset) {
    return preset == Preset::Hotlap ? "Options=Hotlap" : "Options=Race";
}

}  // namespace tintwerk
