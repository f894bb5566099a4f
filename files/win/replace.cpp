// Whole-file replacement through a copy beside the target, step by step.
#include "files/replace.h"

#include <set>

#include "text/text.h"
#include "files/handle_io.h"

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

bool refused_error(DWORD error) { return replace_reason(error) == FileReplaceResult::Held; }

// ---- Waiting for holders.

namespace {

DWORD g_refused_wait_ms = kRefusedWaitMs;
// The deadline every wait of one write shares while a FileWaitBudget lives (0: none).
ULONGLONG g_budget_deadline = 0;
int g_budgets = 0;

std::set<std::string>& held_files() {
    static std::set<std::string> files;
    return files;
}

// Writes `bytes` over the whole file, cuts it behind them and flushes.
bool overwrite(HANDLE h, std::string_view bytes) {
    PlatformCalls& f = platform_calls();
    return seek(h, 0, false) && write_whole(h, bytes) && f.SetEndOfFile(h) && f.FlushFileBuffers(h);
}

bool holds(HANDLE h, std::string_view bytes) {
    std::string now;
    return read_whole(h, now) && now == bytes;
}

// Opens the target for reading while refusing writers, so that what is read
// is whole: a writer that has it open makes this fail.
HANDLE open_unwritten(const std::string& path) {
    return platform_calls().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes a whole small file of ours under a fresh name and flushes it. On
// failure what was made of it may still be there (the caller removes it).
bool write_new_file(const std::string& name, std::string_view bytes) {
    PlatformCalls& f = platform_calls();
    HANDLE h = f.CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = write_whole(h, bytes) && f.FlushFileBuffers(h);
    DWORD error = GetLastError();
    if (!f.CloseHandle(h) && ok) {
        ok = false;
        error = GetLastError();
    }
    SetLastError(error);
    return ok;
}

}  // namespace

void set_refused_wait_ms(DWORD ms) { g_refused_wait_ms = ms ? ms : kRefusedWaitMs; }

}  // namespace tw

FileWaitBudget::FileWaitBudget() {
    if (tw::g_budgets++ == 0) tw::g_budget_deadline = GetTickCount64() + tw::g_refused_wait_ms;
}
FileWaitBudget::~FileWaitBudget() {
    if (--tw::g_budgets == 0) tw::g_budget_deadline = 0;
}

namespace tw {

RefusalWait::RefusalWait(bool patient) : patient_(patient) {}

bool RefusalWait::again(DWORD error) {
    if (!patient_ || !refused_error(error)) return false;
    const ULONGLONG now = GetTickCount64();
    if (!started_) {
        started_ = true;
        deadline_ = g_budget_deadline ? g_budget_deadline : now + g_refused_wait_ms;
    }
    if (now >= deadline_) return false;
    Sleep(kRefusedRetryPauseMs);
    return true;
}

bool really_held(const std::string& path) {
    PlatformCalls& f = platform_calls();
    HANDLE probe = f.CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        f.CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION || GetLastError() == ERROR_LOCK_VIOLATION;
}

bool held_for_session(const std::string& path) { return held_files().count(text_lower(path)) != 0; }

void note_held(const std::string& path, bool held) {
    if (held)
        held_files().insert(text_lower(path));
    else
        held_files().erase(text_lower(path));
}

HANDLE open_shared_for_reading(const std::string& name) {
    if (!usable_file_name(name)) return INVALID_HANDLE_VALUE;
    return platform_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileReplaceResult read_complete(const std::string& path, std::string& bytes) {
    PlatformCalls& f = platform_calls();
    if (!usable_file_name(path)) return FileReplaceResult::Missing;
    RefusalWait wait(!held_for_session(path));
    HANDLE h = INVALID_HANDLE_VALUE;
    const bool unwritten = retry_refused(wait, [&] { return (h = open_unwritten(path)) != INVALID_HANDLE_VALUE; });
    DWORD error = GetLastError();
    if (!unwritten && refused_error(error)) {
        // Kept open for writing all along (the game while it runs): what it
        // holds now, sharing its writes.
        h = open_shared_for_reading(path);
        if (h != INVALID_HANDLE_VALUE) note_held(path, true);
        error = GetLastError();
    } else if (unwritten) {
        note_held(path, false);
    }
    if (h == INVALID_HANDLE_VALUE) return replace_reason(error);
    const bool read = read_whole(h, bytes);
    error = GetLastError();
    f.CloseHandle(h);
    if (read) return FileReplaceResult::Done;
    // A file that went while it was read is no missing one: it was there.
    const FileReplaceResult reason = replace_reason(error);
    return reason == FileReplaceResult::Missing ? FileReplaceResult::Other : reason;
}

// ---- The replacement.

bool FileReplacement::begin(std::optional<FileBase> base) {
    abandon();
    if (!usable_file_name(target_)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // Wine's ReplaceFileA refuses names relative to the current folder.
    if (std::string full = full_path_name(target_); !full.empty()) target_ = std::move(full);
    std::string now;
    if (!base) {
        const FileReplaceResult read = read_complete(target_, now);
        if (read != FileReplaceResult::Done && read != FileReplaceResult::Missing) return false;
        base = FileBase{read == FileReplaceResult::Missing, now};
    }
    tag_ = content_tag(base->missing ? std::nullopt : std::optional<std::string_view>(base->content));
    PlatformCalls& f = platform_calls();
    for (int n = 1; (n = free_number(n)) != 0; ++n) {
        const std::string name = copy_name(target_, n, tag_, CopyKind::Part);
        HANDLE h = f.CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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

int FileReplacement::free_number(int from) {
    PlatformCalls& f = platform_calls();
    for (int n = from; n <= kCopyNumbers; ++n) {
        // A number is free only when no copy of any kind has it: one that
        // could not be cleared never stands in a later write's way.
        WIN32_FIND_DATAA found;
        HANDLE search = f.FindFirstFileA((target_ + ".tw" + std::to_string(n) + ".*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? n : 0;
        f.FindClose(search);
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

void FileReplacement::void_number(int n) { write_new_file(copy_name(target_, n, tag_, CopyKind::Void), ""); }

bool FileReplacement::rename_copy(CopyKind kind) {
    if (kind_ == kind) return true;
    const std::string to = copy_name(target_, number_, tag_, kind);
    if (!retry_refused(wait_, [&] { return platform_calls().MoveFileExA(copy().c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0; }))
        return false;
    kind_ = kind;
    return true;
}

bool FileReplacement::remove_name(const std::string& name) {
    return retry_refused(wait_, [&] {
        return platform_calls().DeleteFileA(name.c_str()) != 0 || missing_error(GetLastError());
    });
}

void FileReplacement::remove_copy() {
    // One that stays after its change went in is resolved by the next start.
    if (fate_ == CopyFate::Owned) remove_name(copy());
    fate_ = CopyFate::None;
}

void FileReplacement::abandon() {
    if (handle_ != INVALID_HANDLE_VALUE) platform_calls().CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    give_up(FileReplaceResult::Other);
}

FileReplaceResult FileReplacement::give_up(FileReplaceResult reason) {
    const DWORD error = GetLastError();
    if (fate_ == CopyFate::Owned && completing_) {
        fate_ = CopyFate::Kept;  // the one whole copy: for the next start
    } else if (fate_ == CopyFate::Owned) {
        // A change the player is told failed never goes in later: its copy
        // goes now, or, held past the wait, is marked so that the next start
        // removes it instead.
        if (!remove_name(copy())) void_number(number_);
        fate_ = CopyFate::None;
    }
    SetLastError(error);
    return reason;
}

FileReplaceResult FileReplacement::finish(std::string_view content) {
    if (handle_ == INVALID_HANDLE_VALUE) return FileReplaceResult::Other;
    const FileReplaceResult written = write_copy(content);
    if (written != FileReplaceResult::Done) return written;
    return replace(content);
}

FileReplaceResult FileReplacement::complete(const CopyId& copy) {
    completing_ = true;
    number_ = copy.number;
    kind_ = copy.kind;
    tag_ = copy.tag;
    fate_ = CopyFate::Owned;
    std::string content;
    const std::string name = this->copy();
    HANDLE h = platform_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    const bool read = h != INVALID_HANDLE_VALUE && read_whole(h, content);
    if (!read) error = GetLastError();
    if (h != INVALID_HANDLE_VALUE) platform_calls().CloseHandle(h);
    return read ? replace(content) : give_up(replace_reason(error));
}

// ---- Step 1: write and flush the copy, then name it complete.
// Fails: the copy is removed; nothing is left and the target is untouched.
FileReplaceResult FileReplacement::write_copy(std::string_view content) {
    PlatformCalls& f = platform_calls();
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
    SetLastError(error);
    return give_up(replace_reason(error));
}

// The last moment before the replace: whether the target still holds what
// the change was made from. A writer that has it open refuses the read.
FileReplacement::Base FileReplacement::check_base(DWORD& error) {
    HANDLE h = open_unwritten(target_);
    if (h == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return refused_error(error) ? Base::Refused : missing_error(error) ? Base::Changed : Base::Failed;
    }
    std::string now;
    const bool read = read_whole(h, now);
    error = GetLastError();
    platform_calls().CloseHandle(h);
    if (!read) return Base::Failed;
    return content_tag(now) == tag_ ? Base::Same : Base::Changed;
}

// ---- Step 2: replace. The copy takes the target's place.
// Fails: the target is as it was and the copy removed; only when ReplaceFileA
// moved the target away and neither can be put back, the copy is marked void
// beside the backup (the next start puts the backup back).
FileReplaceResult FileReplacement::replace(std::string_view content) {
    PlatformCalls& f = platform_calls();
    const DWORD attributes = f.GetFileAttributesA(target_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (!missing_error(error)) return give_up(replace_reason(error));
        // A missing target is made by moving the copy there, when the change
        // was made from a missing file (or at the start, where nothing is there to go over).
        if (!completing_ && tag_ != content_tag(std::nullopt)) return give_up(FileReplaceResult::Changed);
        if (retry_refused(wait_, [&] { return f.MoveFileExA(copy().c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH) != 0; })) {
            fate_ = CopyFate::None;
            return FileReplaceResult::Done;
        }
        const DWORD moved = GetLastError();
        // Made by another program meanwhile: not over its content.
        if (moved == ERROR_ALREADY_EXISTS || moved == ERROR_FILE_EXISTS) return give_up(FileReplaceResult::Changed);
        return give_up(replace_reason(moved));
    }
    // A write-protected file stays as it is (moving over it would replace it
    // on some systems), and so does one that must be kept.
    if ((attributes & FILE_ATTRIBUTE_READONLY) || keep_existing_) return give_up(FileReplaceResult::ReadOnly);
    const std::string backup = copy_name(target_, number_, tag_, CopyKind::Old);
    if (held_for_session(target_)) wait_ = RefusalWait(false);
    DWORD error = NO_ERROR;
    for (;;) {
        const Base base = check_base(error);
        if (base == Base::Refused && wait_.again(error)) continue;
        if (base == Base::Refused) break;
        if (base == Base::Changed) return give_up(FileReplaceResult::Changed);
        if (base == Base::Failed) return give_up(replace_reason(error));
        // A target held without delete sharing cannot be replaced: asking
        // ReplaceFileA anyway leaves a stray temporary file of its own
        // behind under Wine, so it is asked only when the target can be
        // opened for deleting.
        if (really_held(target_)) {
            error = ERROR_SHARING_VIOLATION;
            if (wait_.again(error)) continue;
            break;
        }
        if (f.ReplaceFileA(target_.c_str(), copy().c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                           nullptr)) {
            fate_ = CopyFate::None;
            remove_name(backup);
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
        if (!wait_.again(error)) break;
    }
    // Written in place only while another program really holds it now,
    // whichever step was refused.
    if (refused_error(error) && really_held(target_)) return write_in_place(content);
    SetLastError(error);
    return give_up(replace_reason(error));
}

FileReplaceResult FileReplacement::settle_moved_target(DWORD error) {
    PlatformCalls& f = platform_calls();
    const std::string backup = copy_name(target_, number_, tag_, CopyKind::Old);
    auto move = [&](const std::string& from) {
        return retry_refused(wait_, [&] { return f.MoveFileExA(from.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH) != 0; });
    };
    if (move(copy())) {
        fate_ = CopyFate::None;
        remove_name(backup);
        return FileReplaceResult::Done;
    }
    if (move(backup)) return give_up(replace_reason(error));
    // Both stay: the backup is the file, and the copy must never go over it.
    if (!completing_ && fate_ == CopyFate::Owned) {
        void_number(number_);
        fate_ = CopyFate::None;
    }
    return give_up(replace_reason(error));
}

// ---- Step 3: write in place, for a target another program holds.
// Both contents go into the .inplace copy before the first byte goes over the
// target. Fails: the old content is put back and the copies removed; when
// that fails too, the copy is marked void and the next start puts the old
// content back.
FileReplaceResult FileReplacement::write_in_place(std::string_view content) {
    PlatformCalls& f = platform_calls();
    HANDLE h = f.CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return give_up(replace_reason(GetLastError()));
    std::string old;
    if (!read_whole(h, old)) {
        const DWORD error = GetLastError();
        f.CloseHandle(h);
        SetLastError(error);
        return give_up(replace_reason(error));
    }
    if (content_tag(old) != tag_) {
        f.CloseHandle(h);
        return give_up(FileReplaceResult::Changed);  // the game wrote it since: not over its content
    }
    // The complete copy stays until the in-place copy is there, under a
    // number of its own: a complete copy that cannot be removed is marked
    // void by its number without touching the in-place one.
    const int complete_copy = number_;
    const bool had_complete = fate_ == CopyFate::Owned;
    auto drop_complete = [&] {
        if (had_complete && !remove_name(copy_name(target_, complete_copy, tag_, CopyKind::New))) void_number(complete_copy);
    };
    const int n = free_number(complete_copy + 1);
    if (n == 0) {
        const DWORD error = GetLastError();
        f.CloseHandle(h);
        SetLastError(error);
        return give_up(replace_reason(error));
    }
    number_ = n;
    kind_ = CopyKind::InPlace;
    if (!write_new_file(copy(), in_place_copy(content, old))) {
        const DWORD error = GetLastError();
        f.CloseHandle(h);
        SetLastError(error);
        give_up(replace_reason(error));
        if (!completing_) drop_complete();  // at the start it is the one whole copy
        return replace_reason(error);
    }
    drop_complete();
    const FileReplaceResult result = overwrite_held(h, content, old);
    f.CloseHandle(h);
    return result;
}

FileReplaceResult FileReplacement::overwrite_held(HANDLE h, std::string_view content, std::string_view old) {
    // Done only when the flush went through and the file reads back whole.
    const bool written = overwrite(h, content);
    const DWORD error = GetLastError();
    if (written && holds(h, content)) {
        // A copy that stays after its change is done is marked void: the
        // next start removes it, whatever the file holds by then.
        if (fate_ == CopyFate::Owned && !remove_name(copy())) void_number(number_);
        fate_ = CopyFate::None;
        return FileReplaceResult::Done;
    }
    const FileReplaceResult result = written ? FileReplaceResult::Other : replace_reason(error);
    // Put the old content back. The copy is marked void first (at the start
    // it is kept as it is), so that a crash while the old content goes back
    // is undone, not completed, by the next start.
    if (holds(h, old)) return give_up(result);
    if (!completing_ && fate_ == CopyFate::Owned) {
        void_number(number_);
        // Back whole: the copy and its mark go (what stays, the next start removes).
        if (overwrite(h, old) && holds(h, old) && remove_name(copy()))
            remove_name(copy_name(target_, number_, tag_, CopyKind::Void));
        fate_ = CopyFate::None;
        return give_up(result);
    }
    overwrite(h, old);
    return give_up(result);
}

FileReplaceResult FileReplacement::complete_in_place(const CopyId& copy, const InPlaceCopy& in_place, bool undo,
                                                     bool target_missing) {
    completing_ = true;
    number_ = copy.number;
    kind_ = copy.kind;
    tag_ = copy.tag;
    fate_ = CopyFate::Owned;
    PlatformCalls& f = platform_calls();
    // A file that was missing is made; one that was there must still be.
    HANDLE h = f.CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, target_missing ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return give_up(replace_reason(GetLastError()));
    // What the file holds under this handle must still be what the write left.
    std::string now;
    const bool read = read_whole(h, now);
    const DWORD error = GetLastError();
    FileReplaceResult result;
    if (!read)
        result = give_up(replace_reason(error));
    else if (!target_missing && !left_by_in_place_write(now, in_place.content, in_place.base))
        result = give_up(FileReplaceResult::Changed);
    else
        result = overwrite_held(h, undo ? in_place.base : in_place.content, now);
    f.CloseHandle(h);
    return result;
}

}  // namespace tw
