// The game's configuration qz.ini as lines: finding the palette it names and
// replacing that name. The file work itself is done by the program around it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/whole_file.h"

namespace tintwerk {

// A text no longer than `limit` characters plus one: longer texts are cut to
// their first `limit` characters followed by "~".
std::string shorten_text(std::string_view text, int limit);

// A line of qz.ini is a palette line when it starts with "PaletteFile"
// (case-sensitive); lines are stored trimmed, so leading spaces do not matter.
bool is_palette_line(std::string_view line);

// What the palette lines say: the value behind the first "=" of the last
// palette line that has one, trimmed of spaces ("nix" when there is none), and
// whether any palette line with an "=" was found.
struct PaletteLineValue {
    std::string value;
    bool line_found = false;
};
PaletteLineValue read_palette_value(const std::vector<std::string>& lines);

// The palette that qz.ini names: the file-name part of that value; usable
// ("good") when a palette line with "=" was found and the name is a plain,
// non-empty file name other than "nix".
struct PaletteDetection {
    std::string active;  // "nix" when nothing usable was found
    bool line_found = false;
    bool good = false;
};
PaletteDetection detect_palette(const std::vector<std::string>& lines);

// The line naming a palette of the palette folder, and the stock one.
std::string palette_line(std::string_view folder, std::string_view name);
inline constexpr const char* STOCK_PALETTE_LINE = "PaletteFile = qz.pal";

// Replaces every palette line by `line`; the count replaced.
int replace_palette_lines(std::vector<std::string>& lines, std::string_view line);

// The file content for the lines: each followed by CR LF.
std::string config_text(const std::vector<std::string>& lines);

// A failed write told in the status line: `failure` ("Fehler qz.ini") and
// why, in a few words, within the status line's 29 characters.
std::string write_failure_text(std::string_view failure, FileReplaceResult reason);

}  // namespace tintwerk
