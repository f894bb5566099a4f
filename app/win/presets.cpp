// The race option presets: five bytes of options.set.
#include "app/app.h"
#include "files/file.h"

using namespace tintwerk;

namespace {

// Writes the bytes, each after its own seek, and reads them back: a seek,
// write or close that failed shows as a byte that is not there.
bool write_preset(const std::string& path, const std::array<PresetByte, 5>& bytes) {
    if (!file_open(APP_FILE, path)) return false;
    bool ok = true;
    for (const PresetByte& b : bytes) {
        ok = file_seek(APP_FILE, b.offset) == static_cast<uint32_t>(b.offset) && ok;
        ok = file_write_byte(APP_FILE, b.value) == 1 && ok;
    }
    ok = file_flush(APP_FILE) == 1 && ok;
    file_close(APP_FILE);
    if (!ok) return false;
    if (!file_open_read(APP_FILE, path)) return false;
    for (const PresetByte& b : bytes) {
        if (file_seek(APP_FILE, b.offset) != static_cast<uint32_t>(b.offset) ||
            file_read_byte(APP_FILE) != b.value) {
            ok = false;
            break;
        }
    }
    file_close(APP_FILE);
    return ok;
}

void apply_preset(Preset preset) {
    AppState& s = app();
    const bool ok = write_preset(s.options_path, preset_bytes(s, preset));
    set_status(ok ? preset_success_text(preset) : PRESET_FAILURE_TEXT);
}

}  // namespace

void apply_hotlap_preset() { apply_preset(Preset::Hotlap); }
void apply_race_preset() { apply_preset(Preset::Race); }
