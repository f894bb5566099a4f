// Whole-file replacement through a temporary file, with an in-place write
// for targets another program holds, and the operations built on it.
#include "files/win/replace.h"

#include "files/dir.h"
#include "files/file.h"
#include "files/win/file_calls.h"

namespace tw {

bool missing_error(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

namespace {

// Tries of fresh temporary names before giving up.
constexpr int kTemporaryNames = 999;

// The target is held by another program, which shares reading and writing
// but not deleting: what a replace reports then.
bool held_error(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Writes `bytes` over the whole file, cuts it behind them and flushes.
bool overwrite(HANDLE h, std::string_view bytes) {
    FileCalls& f = file_calls();
    return seek(h, 0, false) && write_whole(h, bytes) && f.SetEndOfFile(h) &&
           f.FlushFileBuffers(h);
}

bool holds(HANDLE h, std::string_view bytes) {
    std::string now;
    return read_whole(h, now) && now == bytes;
}

}  // namespace

std::string temporary_name(const std::string& target, int n) { return target + ".tw" + std::to_string(n) + ".tmp"; }

bool FileReplacement::begin() {
    abandon();
    if (!usable_file_name(target_)) return false;
    // Wine's ReplaceFileA refuses names relative to the current folder.
    char full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(target_.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full) target_ = full;
    for (int n = 1; n <= kTemporaryNames; ++n) {
        const std::string name = temporary_name(target_, n);
        HANDLE h = file_calls().CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            temporary_ = name;
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

void FileReplacement::remove_temporary() {
    if (temporary_.empty()) return;
    FileCalls& f = file_calls();
    // Once more when the first attempt is refused (a scanner may hold it a moment).
    if (!f.DeleteFileA(temporary_.c_str())) f.DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

void FileReplacement::abandon() {
    if (handle_ != INVALID_HANDLE_VALUE) file_calls().CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    remove_temporary();
}

bool FileReplacement::finish(std::string_view content, bool keep_existing) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    FileCalls& f = file_calls();
    bool ok = write_whole(handle_, content);
    ok = ok && f.FlushFileBuffers(handle_);
    const bool closed = f.CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    if (!ok || !closed) {
        remove_temporary();
        return false;
    }

    const DWORD attributes = f.GetFileAttributesA(target_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Only a target that is really not there is made by moving.
        if (!missing_error(GetLastError()) ||
            !f.MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            remove_temporary();
            return false;
        }
        temporary_.clear();
        return true;
    }
    // A write-protected file stays as it is (moving over it would replace it
    // on some systems), and so does one that must be kept.
    if ((attributes & FILE_ATTRIBUTE_READONLY) || keep_existing) {
        remove_temporary();
        return false;
    }
    // A target another program holds without delete sharing cannot be
    // replaced: it is written in place straight away. (Asking ReplaceFileA
    // anyway leaves a stray temporary file of its own behind under Wine.)
    HANDLE probe = f.CreateFileA(target_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        if (held_error(GetLastError())) return write_in_place(content);
        remove_temporary();
        return false;
    }
    f.CloseHandle(probe);
    if (f.ReplaceFileA(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr)) {
        temporary_.clear();
        // The file keeps its own attributes (Wine's replace drops them).
        const DWORD now = f.GetFileAttributesA(target_.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && now != attributes) f.SetFileAttributesA(target_.c_str(), attributes);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        // The old file is gone and the new content is still in the temporary
        // file: it must get the target's name.
        if (f.MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temporary_.clear();
            return true;
        }
        temporary_.clear();  // the only copy of the content: kept
        return false;
    }
    if (!held_error(error)) {
        remove_temporary();
        return false;
    }
    return write_in_place(content);
}

bool FileReplacement::write_in_place(std::string_view content) {
    FileCalls& f = file_calls();
    HANDLE h = f.CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        remove_temporary();
        return false;
    }
    std::string old;
    if (!read_whole(h, old)) {
        f.CloseHandle(h);
        remove_temporary();
        return false;
    }
    if (overwrite(h, content) && holds(h, content)) {
        f.CloseHandle(h);
        remove_temporary();
        return true;
    }
    // Put the old content back; only when that fails too the temporary file
    // stays, the one copy of the new content.
    const bool restored = overwrite(h, old) && holds(h, old);
    f.CloseHandle(h);
    if (restored)
        remove_temporary();
    else
        temporary_.clear();
    return false;
}

}  // namespace tw

int file_replace_content(tw::TextArg path, std::string_view content) {
    tw::FileReplacement replacement(path.str());
    return replacement.begin() && replacement.finish(content) ? 1 : 0;
}

namespace {

// Opens an existing file for reading, sharing reading and writing (the game
// may be writing it); INVALID_HANDLE_VALUE when it cannot.
HANDLE open_shared_for_reading(const std::string& name) {
    if (!tw::usable_file_name(name)) return INVALID_HANDLE_VALUE;
    return tw::file_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int file_exists(tw::TextArg path) {
    HANDLE h = open_shared_for_reading(path.str());
    if (h == INVALID_HANDLE_VALUE) return 0;
    tw::file_calls().CloseHandle(h);
    return 1;
}

int file_present(tw::TextArg path) {
    const std::string name = path.str();
    if (!tw::usable_file_name(name)) return 0;
    if (tw::file_calls().GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    // Only a name that is surely not there counts as missing.
    return tw::missing_error(GetLastError()) ? 0 : 1;
}

int file_read_all(tw::TextArg path, std::string& bytes) {
    HANDLE h = open_shared_for_reading(path.str());
    if (h == INVALID_HANDLE_VALUE) return 0;
    const bool ok = tw::read_whole(h, bytes);
    tw::file_calls().CloseHandle(h);
    return ok ? 1 : 0;
}

int file_keep_copy(tw::TextArg path, tw::TextArg copy_path) {
    const std::string copy = copy_path.str();
    if (tw::file_calls().GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    std::string bytes;
    if (!file_read_all(path, bytes)) return 0;
    tw::FileReplacement replacement(copy);
    return replacement.begin() && replacement.finish(bytes, true) ? 1 : 0;
}

std::string file_leftover_copy(tw::TextArg path) {
    const std::string target = path.str();
    const std::string folder = path_folder_part(target);
    const std::string pattern = path_file_part(target) + ".tw*.tmp";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    std::string name = found.cFileName;
    FindClose(search);
    return name;
}
