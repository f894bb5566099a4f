// Reading qz.ini into lines, and rewriting a game file from what it holds now.
#include <string>

#include "app/app.h"
#include "files/file.h"
#include "files/text.h"
#include "files/whole_file.h"

namespace tintwerk {

std::vector<std::string> config_lines(std::string_view bytes) {
    std::vector<std::string> lines;
    for (std::string& line : text_lines(bytes)) lines.push_back(text_trim(line));
    return lines;
}

bool read_config_lines(const std::string& path, std::vector<std::string>& lines) {
    // Read whole, sharing reading and writing: the game may hold qz.ini open
    // for writing while it runs.
    std::string bytes;
    if (!file_read_all(path, bytes)) return false;
    lines = config_lines(bytes);
    return true;
}

bool rewrite_game_file(const std::string& path, const std::function<bool(std::string&, bool)>& edit) {
    // The second round is for a file the game rewrote between the read and
    // an in-place write: the change is made again on the game's content.
    for (int round = 0; round < 2; ++round) {
        std::string content;
        const bool missing = !file_read_all(path, content);
        if (missing && file_present(path)) return false;  // there, but not to be read now: left alone
        if (missing) content.clear();
        const std::string base = content;
        if (!edit(content, missing)) return false;
        const FileReplaceResult result =
            file_replace(path, content, missing ? std::nullopt : std::optional<std::string_view>(base));
        if (result != FileReplaceResult::Changed) return result == FileReplaceResult::Done;
    }
    return false;
}

}  // namespace tintwerk
