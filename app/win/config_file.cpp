// Reading qz.ini into lines.
#include <string>

#include "app/app.h"
#include "files/file.h"
#include "files/text.h"

namespace tintwerk {

bool read_config_lines(const std::string& path, std::vector<std::string>& lines) {
    // Read whole, sharing reading and writing: the game may hold qz.ini open
    // for writing while it runs.
    std::string bytes;
    if (!file_read_all(path, bytes)) return false;
    lines.clear();
    for (std::string& line : text_lines(bytes)) lines.push_back(text_trim(line));
    return true;
}

}  // namespace tintwerk
