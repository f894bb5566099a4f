// The race option presets: five bytes of options.set.
#include "app/app.h"
#include "files/file.h"

namespace tintwerk {

namespace {

// The five bytes go into options.set as one whole new content: the file as
// it is, patched (a missing file starts empty and grows with zeros), put in
// place so that it is either as it was or holds all five.
bool write_preset(const std::string& path, const std::array<PresetByte, 5>& bytes) {
    std::string content;
    if (!file_read_all(path, content)) {
        if (file_present(path)) return false;  // there, but not to be read: left alone
        content.clear();
    }
    patch_preset(content, bytes);
    return file_replace_content(path, content) != 0;
}

void apply_preset(Preset preset) {
    AppState& s = app();
    const bool ok = write_preset(s.options_path, preset_bytes(s, preset));
    set_status(ok ? preset_success_text(preset) : PRESET_FAILURE_TEXT);
}

}  // namespace

void apply_hotlap_preset() { apply_preset(Preset::Hotlap); }
void apply_race_preset() { apply_preset(Preset::Race); }

}  // namespace tintwerk
