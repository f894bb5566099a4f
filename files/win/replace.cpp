// Whole-file replacement through a copy beside the target, step by step.
#include "files/win/replace.h"

#include "files/text.h"
#include "files/win/file_calls.h"

namespace tw {

bool missing_error(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

FileReplaceResult replace_reason(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileReplaceResult::DiskFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileReplaceResult::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return FileReplaceResult::Held;
    case ERROR_WRITE_PROTECT: return FileReplaceResult::ReadOnly;
    default: return FileReplaceResult::Other;
    }
}

namespace {

// Tries of fresh copy numbers before giving up.
constexpr int kCopyNumbers = 999;

constexpr const char* kCopySuffixes[] = {".part", ".new", ".inplace", ".old"};

// A replace that may work a moment later: someone has the file open.
bool refused_error(DWORD error) { return replace_reason(error) == FileReplaceResult::Held; }

// Writes `bytes` over the whole file, cuts it behind them and flushes.
bool overwrite(HANDLE h, std::string_view bytes) {
    FileCalls& f = file_calls();
    return seek(h, 0, false) && write_whole(h, bytes) && f.SetEndOfFile(h) && f.FlushFileBuffers(h);
}

bool holds(HANDLE h, std::string_view bytes) {
    std::string now;
    return read_whole(h, now) && now == bytes;
}

// Deletes a file of ours, once more when the first attempt is refused (a
// scanner may hold it a moment).
bool delete_ours(const std::string& name) {
    FileCalls& f = file_calls();
    return f.DeleteFileA(name.c_str()) || f.DeleteFileA(name.c_str());
}

}  // namespace

std::string copy_name(const std::string& target, int n, CopyKind kind) {
    return target + ".tw" + std::to_string(n) + kCopySuffixes[static_cast<int>(kind)];
}

std::optional<CopyId> parse_copy_name(std::string_view target_file, std::string_view name) {
    const std::string prefix = std::string(target_file) + ".tw";
    if (name.size() <= prefix.size() || text_lower(name.substr(0, prefix.size())) != text_lower(prefix))
        return std::nullopt;
    std::string_view rest = name.substr(prefix.size());
    int number = 0;
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 4 && rest[digits] >= '0' && rest[digits] <= '9')
        number = number * 10 + (rest[digits++] - '0');
    // Only the numbers begin() makes: 1 to 999, no leading zero.
    if (digits == 0 || rest[0] == '0' || number > kCopyNumbers) return std::nullopt;
    const std::string suffix = text_lower(rest.substr(digits));
    for (int k = 0; k < 4; ++k)
        if (suffix == kCopySuffixes[k]) return CopyId{number, static_cast<CopyKind>(k)};
    return std::nullopt;
}

bool FileReplacement::begin() {
    abandon();
    if (!usable_file_name(target_)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // Wine's ReplaceFileA refuses names relative to the current folder.
    if (std::string full = full_path_name(target_); !full.empty()) target_ = std::move(full);
    for (int n = 1; n <= kCopyNumbers; ++n) {
        const std::string name = copy_name(target_, n, CopyKind::Part);
        HANDLE h = file_calls().CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            number_ = n;
            kind_ = CopyKind::Part;
            fate_ = CopyFate::Owned;
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool FileReplacement::rename_copy(CopyKind kind) {
    if (kind_ == kind) return true;
    if (!file_calls().MoveFileExA(copy().c_str(), copy_name(target_, number_, kind).c_str(), MOVEFILE_WRITE_THROUGH))
        return false;
    kind_ = kind;
    return true;
}

void FileReplacement::remove_copy() {
    if (fate_ == CopyFate::Owned) delete_ours(copy());
    fate_ = CopyFate::None;
}

void FileReplacement::abandon() {
    if (handle_ != INVALID_HANDLE_VALUE) file_calls().CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    remove_copy();
}

FileReplaceResult FileReplacement::finish(std::string_view content, std::optional<std::string_view> base) {
    if (handle_ == INVALID_HANDLE_VALUE) return FileReplaceResult::Other;
    const FileReplaceResult written = write_copy(content);
    if (written != FileReplaceResult::Done) return written;
    return replace(content, base);
}

FileReplaceResult FileReplacement::complete(const CopyId& copy) {
    number_ = copy.number;
    kind_ = copy.kind;
    fate_ = CopyFate::Owned;
    std::string content;
    const std::string name = this->copy();
    HANDLE h = file_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    const bool read = h != INVALID_HANDLE_VALUE && read_whole(h, content);
    if (!read) error = GetLastError();
    if (h != INVALID_HANDLE_VALUE) file_calls().CloseHandle(h);
    FileReplaceResult result = read ? replace(content, std::nullopt) : replace_reason(error);
    // The copy is the one place of the new content: it waits for the next start.
    if (result != FileReplaceResult::Done && fate_ == CopyFate::Owned) fate_ = CopyFate::Kept;
    return result;
}

// ---- Step 1: write and flush the copy, then name it complete.
// Fails: the copy is removed; nothing is left and the target is untouched.
FileReplaceResult FileReplacement::write_copy(std::string_view content) {
    FileCalls& f = file_calls();
    bool ok = write_whole(handle_, content) && f.FlushFileBuffers(handle_);
    DWORD error = ok ? NO_ERROR : GetLastError();
    if (!f.CloseHandle(handle_) && ok) {
        ok = false;
        error = GetLastError();
    }
    handle_ = INVALID_HANDLE_VALUE;
    if (ok && !rename_copy(CopyKind::New)) {
        ok = false;
        error = GetLastError();
    }
    if (ok) return FileReplaceResult::Done;
    remove_copy();
    return replace_reason(error);
}

// ---- Step 2: replace. The copy takes the target's place.
// Fails: the target is as it was and the copy removed; only when ReplaceFileA
// moved the target away and neither can be put back, the copy is kept.
FileReplaceResult FileReplacement::replace(std::string_view content, std::optional<std::string_view> base) {
    FileCalls& f = file_calls();
    const DWORD attributes = f.GetFileAttributesA(target_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Only a target that is really not there is made by moving.
        const DWORD error = GetLastError();
        if (missing_error(error) && f.MoveFileExA(copy().c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
            fate_ = CopyFate::None;
            return FileReplaceResult::Done;
        }
        const DWORD reason = missing_error(error) ? GetLastError() : error;
        remove_copy();
        return replace_reason(reason);
    }
    // A write-protected file stays as it is (moving over it would replace it
    // on some systems), and so does one that must be kept.
    if ((attributes & FILE_ATTRIBUTE_READONLY) || keep_existing_) {
        remove_copy();
        return FileReplaceResult::ReadOnly;
    }
    const std::string backup = copy_name(target_, number_, CopyKind::Old);
    DWORD error = NO_ERROR;
    for (int attempt = 0; attempt < kReplaceTries; ++attempt) {
        if (attempt > 0) Sleep(kReplaceRetryPauseMs);
        // A target held without delete sharing cannot be replaced: asking
        // ReplaceFileA anyway leaves a stray temporary file of its own
        // behind under Wine, so it is asked only when the target can be
        // opened for deleting.
        HANDLE probe = f.CreateFileA(target_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (refused_error(error)) continue;
            remove_copy();
            return replace_reason(error);
        }
        f.CloseHandle(probe);
        if (f.ReplaceFileA(target_.c_str(), copy().c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
            fate_ = CopyFate::None;
            delete_ours(backup);
            // The file keeps its own attributes (Wine's replace drops them).
            const DWORD now = f.GetFileAttributesA(target_.c_str());
            if (now != INVALID_FILE_ATTRIBUTES && now != attributes) f.SetFileAttributesA(target_.c_str(), attributes);
            return FileReplaceResult::Done;
        }
        error = GetLastError();
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves the target under the
        // backup name, ERROR_UNABLE_TO_MOVE_REPLACEMENT may leave no target.
        if (f.GetFileAttributesA(target_.c_str()) == INVALID_FILE_ATTRIBUTES && missing_error(GetLastError()))
            return settle_moved_target(error);
        if (!refused_error(error)) break;
    }
    if (refused_error(error) && target_held()) return write_in_place(content, base);
    remove_copy();
    return replace_reason(error);
}

FileReplaceResult FileReplacement::settle_moved_target(DWORD error) {
    FileCalls& f = file_calls();
    const std::string backup = copy_name(target_, number_, CopyKind::Old);
    if (f.MoveFileExA(copy().c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
        fate_ = CopyFate::None;
        delete_ours(backup);
        return FileReplaceResult::Done;
    }
    if (f.MoveFileExA(backup.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH))
        remove_copy();
    else
        fate_ = CopyFate::Kept;
    return replace_reason(error);
}

// Held by another program: it can be opened for writing (the delete probe
// was refused already).
bool FileReplacement::target_held() {
    FileCalls& f = file_calls();
    HANDLE h = f.CreateFileA(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    f.CloseHandle(h);
    return true;
}

// ---- Step 3: write in place, for a target another program holds.
// Fails: the old content is put back and the copy removed; when that fails
// too, the target may be cut and the copy (.inplace) is kept for the next start.
FileReplaceResult FileReplacement::write_in_place(std::string_view content, std::optional<std::string_view> base) {
    FileCalls& f = file_calls();
    HANDLE h = f.CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (kind_ != CopyKind::InPlace) remove_copy();
        return replace_reason(error);
    }
    std::string old;
    FileReplaceResult result = FileReplaceResult::Done;
    if (!read_whole(h, old))
        result = replace_reason(GetLastError());
    else if (base && old != *base)
        result = FileReplaceResult::Changed;  // the game wrote it since: not over its content
    else if (!rename_copy(CopyKind::InPlace))
        result = replace_reason(GetLastError());
    if (result != FileReplaceResult::Done) {
        f.CloseHandle(h);
        if (kind_ != CopyKind::InPlace) remove_copy();
        return result;
    }
    // A step that failed after the bytes went in (the cut, the flush) still
    // leaves the new content: what the file holds decides.
    const bool written = overwrite(h, content);
    const DWORD error = GetLastError();
    if (holds(h, content)) {
        f.CloseHandle(h);
        remove_copy();
        return FileReplaceResult::Done;
    }
    result = written ? FileReplaceResult::Other : replace_reason(error);
    // Put the old content back; only when that fails too the copy stays,
    // the one whole copy of the new content.
    const bool restored = holds(h, old) || (overwrite(h, old) && holds(h, old));
    f.CloseHandle(h);
    if (restored)
        remove_copy();
    else
        fate_ = CopyFate::Kept;
    return result == FileReplaceResult::Done ? FileReplaceResult::Other : result;
}

}  // namespace tw
