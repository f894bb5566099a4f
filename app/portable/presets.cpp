#include "app/portable/presets.h"

#include "text/text.h"

namespace tintwerk {

std::array<PresetByte, OPTION_COUNT> preset_bytes(const PresetValues& values, Preset preset) {
    std::array<PresetByte, OPTION_COUNT> bytes{};
    for (std::size_t o = 0; o < OPTION_COUNT; ++o)
        bytes[o] = {OPTIONS[o].offset, static_cast<uint8_t>(text_to_int(values[preset][o]) & 0xFF)};
    return bytes;
}

void patch_preset(std::string& content, const std::array<PresetByte, OPTION_COUNT>& bytes) {
    for (const PresetByte& b : bytes) {
        const auto at = static_cast<std::size_t>(b.offset);
        if (content.size() <= at) content.resize(at + 1, '\0');
        content[at] = static_cast<char>(b.value);
    }
}

}  // namespace tintwerk
