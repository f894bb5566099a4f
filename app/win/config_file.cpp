// Reading qz.ini into lines.
#include <string>

#include "app/app.h"
#include "files/file.h"
#include "files/text.h"

namespace tintwerk {

bool read_config_lines(const std::string& path, std::vector<std::string>& lines) {
    if (!file_open_read(APP_FILE, path)) return false;
    lines.clear();
    while (!file_eof(APP_FILE)) lines.push_back(text_trim(file_read_line(APP_FILE)));
    file_close(APP_FILE);
    return true;
}

}  // namespace tintwerk
