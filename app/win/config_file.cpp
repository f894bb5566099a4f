// Reading qz.ini into lines, and rewriting a game file from what it holds now.
#include <string>

#include "app/app.h"
#include "files/file.h"
#include "text/text.h"
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

FileReplaceResult rewrite_game_file(const std::string& path,
                                    const std::function<bool(std::string&, bool)>& edit) {
    // Each round starts from the file's whole content; a round whose file
    // the game rewrote before the new content went in is made again on the
    // game's content.
    const FileWaitBudget budget;  // one wait for holders over all rounds
    FileReplaceResult result = FileReplaceResult::Changed;
    for (int round = 0; round < kChangeRounds && result == FileReplaceResult::Changed; ++round) {
        std::string content;
        const FileReplaceResult read = file_read_complete(path, content);
        if (read != FileReplaceResult::Done && read != FileReplaceResult::Missing) return read;  // left alone
        const bool missing = read == FileReplaceResult::Missing;
        const std::string base = content;
        if (!edit(content, missing)) return FileReplaceResult::Other;
        result = file_replace(path, content, FileBase{missing, base});
    }
    return result;
}

}  // namespace tintwerk
