#include "app/portable/game_config.h"

#include "app/portable/constants.h"
#include "text/path_parts.h"
#include "text/text.h"

namespace tintwerk {

namespace {
constexpr std::string_view kPaletteKey = "PaletteFile";
}

std::string shorten_text(std::string_view text, int limit) {
    if (limit < 0) limit = 0;
    if (text.size() <= static_cast<std::size_t>(limit)) return std::string(text);
    std::string shortened(text.substr(0, static_cast<std::size_t>(limit)));
    shortened += '~';
    return shortened;
}

bool is_palette_line(std::string_view line) {
    return text_equal(text_left(line, static_cast<int64_t>(kPaletteKey.size())), kPaletteKey);
}

PaletteLineValue read_palette_value(const std::vector<std::string>& lines) {
    PaletteLineValue result{NOT_SET, false};
    for (const std::string& line : lines) {
        if (!is_palette_line(line)) continue;
        const int64_t p = text_find(line, "=", 1);
        if (p == 0) continue;
        result.value = text_trim(text_right(line, text_length(line) - p));
        result.line_found = true;
    }
    return result;
}

PaletteDetection detect_palette(const std::vector<std::string>& lines) {
    const PaletteLineValue found = read_palette_value(lines);
    PaletteDetection d;
    d.active = path_file_part(found.value);
    d.line_found = found.line_found;
    d.good = !text_equal(d.active, NOT_SET) && file_name_valid(d.active) != 0 && d.line_found;
    if (!d.good) d.active = NOT_SET;
    return d;
}

std::string palette_line(std::string_view folder, std::string_view name) {
    return text_concat({"PaletteFile = ", folder, name});
}

int replace_palette_lines(std::vector<std::string>& lines, std::string_view line) {
    int count = 0;
    for (std::string& element : lines) {
        if (!is_palette_line(element)) continue;
        element = std::string(line);
        ++count;
    }
    return count;
}

std::string write_failure_text(std::string_view failure, FileReplaceResult reason) {
    const char* why = nullptr;
    switch (reason) {
    case FileReplaceResult::Held: why = "gesperrt"; break;
    case FileReplaceResult::ReadOnly: why = "gesch\xFCtzt"; break;
    case FileReplaceResult::DiskFull: why = "Disk voll"; break;
    case FileReplaceResult::Missing: why = "fehlt"; break;
    case FileReplaceResult::Changed: why = "ge\xE4ndert"; break;
    default: break;
    }
    return why ? shorten_text(text_concat({failure, ": ", why}), STATUS_LIMIT) : std::string(failure);
}

std::string config_text(const std::vector<std::string>& lines) {
    std::string text;
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace tintwerk
