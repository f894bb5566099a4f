// The race option presets: five bytes of options.set.
#include "app/app.h"
#include "files/file.h"
#include "files/whole_file.h"

namespace tintwerk {

namespace {

// The five bytes go into options.set as one whole new content: the file as
// it is, patched (a missing file starts empty and grows with zeros), put in
// place so that it is either as it was or holds all five.
FileReplaceResult write_preset(const std::string& path, const std::array<PresetByte, OPTION_COUNT>& bytes) {
    return rewrite_game_file(path, [&](std::string& content, bool) {
        patch_preset(content, bytes);
        return true;
    });
}

void apply_preset(Preset preset) {
    AppState& s = app();
    const FileReplaceResult r = write_preset(s.options_path, preset_bytes(s.settings.presets, preset));
    set_status(r == FileReplaceResult::Done ? preset_success_text(preset) : write_failure_text(PRESET_FAILURE_TEXT, r));
}

}  // namespace

void apply_hotlap_preset() { apply_preset(Preset::Hotlap); }
void apply_race_preset() { apply_preset(Preset::Race); }

}  // namespace tintwerk
