// Reading qz.ini into lines, and replacing a file's content safely.
#include <string>

#include "app/app.h"
#include "files/file.h"
#include "files/text.h"
#include "runtime/win32.h"

namespace tintwerk {

bool read_config_lines(const std::string& path, std::vector<std::string>& lines) {
    if (!file_open_read(APP_FILE, path)) return false;
    lines.clear();
    while (!file_eof(APP_FILE)) lines.push_back(text_trim(file_read_line(APP_FILE)));
    file_close(APP_FILE);
    return true;
}

namespace {

bool write_all(HANDLE file, std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t rest = content.size() - done;
        const DWORD chunk = rest > 0x10000000u ? 0x10000000u : static_cast<DWORD>(rest);
        DWORD written = 0;
        if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

bool replace_file_content(const std::string& path, std::string_view content) {
    if (path.empty()) return false;
    // A write-protected file stays as it is, like any file that cannot be
    // written (moving over it would otherwise replace it on some systems).
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    const std::string temp = path + ".tmp";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = write_all(file, content);
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    if (ok) ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

void keep_pristine_copy(const std::string& path) {
    const std::string copy = path + ".orig";
    CopyFileA(path.c_str(), copy.c_str(), TRUE);  // never overwrites an earlier copy
}

}  // namespace tintwerk
