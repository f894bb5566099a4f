// Whole files: presence, whole reads, replacement of the whole content and
// the start's roll-forward of replacements that did not end.
#include "files/whole_file.h"

#include <vector>

#include "files/dir.h"
#include "files/text.h"
#include "files/win/file_calls.h"
#include "files/win/replace.h"

namespace {

// Opens an existing file for reading, sharing reading and writing (the game
// may be writing it); INVALID_HANDLE_VALUE when it cannot.
HANDLE open_shared_for_reading(const std::string& name) {
    if (!tw::usable_file_name(name)) return INVALID_HANDLE_VALUE;
    return tw::file_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileReplaceResult replace_whole(const std::string& path, std::string_view content,
                                std::optional<std::string_view> base, bool keep_existing) {
    tw::FileReplacement replacement(path, keep_existing);
    if (!replacement.begin()) return tw::replace_reason(GetLastError());
    return replacement.finish(content, base);
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

FileReplaceResult file_replace(tw::TextArg path, std::string_view content, std::optional<std::string_view> base) {
    return replace_whole(path.str(), content, base, false);
}

int file_replace_content(tw::TextArg path, std::string_view content) {
    return file_replace(path, content) == FileReplaceResult::Done ? 1 : 0;
}

int file_keep_copy(tw::TextArg path, tw::TextArg copy_path) {
    const std::string copy = copy_path.str();
    if (tw::file_calls().GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    std::string bytes;
    if (!file_read_all(path, bytes)) return 0;
    return replace_whole(copy, bytes, std::nullopt, true) == FileReplaceResult::Done ? 1 : 0;
}

namespace {

struct Leftover {
    tw::CopyId id;
    FILETIME written;
};

bool later(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) > 0; }

}  // namespace

FileRecovery file_roll_forward(tw::TextArg path, bool keep_existing) {
    tw::FileCalls& f = tw::file_calls();
    if (!tw::usable_file_name(path.str())) return FileRecovery::Nothing;
    const std::string target = tw::full_path_name(path.str());
    if (target.empty()) return FileRecovery::Failed;
    const std::string file = path_file_part(target);

    // One search finds the target and every copy beside it, with their times.
    WIN32_FIND_DATAA found{};
    HANDLE search = f.FindFirstFileA((target + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? FileRecovery::Nothing : FileRecovery::Failed;
    std::vector<Leftover> parts, complete, backups;
    std::optional<FILETIME> target_written;
    bool listed = true;
    for (;;) {
        const std::string name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
        const std::optional<tw::CopyId> id = tw::parse_copy_name(file, name);
        if (text_lower(name) == text_lower(file)) {
            target_written = found.ftLastWriteTime;
        } else if (id && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const Leftover l{*id, found.ftLastWriteTime};
            (id->kind == tw::CopyKind::Part ? parts : id->kind == tw::CopyKind::Old ? backups : complete).push_back(l);
        }
        if (!f.FindNextFileA(search, &found)) {
            listed = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    f.FindClose(search);
    if (!listed) return FileRecovery::Failed;
    auto name_of = [&](const tw::CopyId& id) { return tw::copy_name(target, id.number, id.kind); };
    auto remove = [&](const tw::CopyId& id) { return f.DeleteFileA(name_of(id).c_str()) != 0; };

    FileRecovery result = FileRecovery::Nothing;
    bool failed = false;
    // Unfinished copies: the target was never touched while they were written.
    for (const Leftover& l : parts) {
        failed = !remove(l.id) || failed;
        result = FileRecovery::Removed;
    }
    // Complete copies: the one being written in place wins, else the newest;
    // the others are older changes that a later one already replaced.
    const Leftover* chosen = nullptr;
    for (const Leftover& l : complete) {
        const bool in_place = l.id.kind == tw::CopyKind::InPlace;
        if (!chosen || (in_place && chosen->id.kind != tw::CopyKind::InPlace) ||
            (in_place == (chosen->id.kind == tw::CopyKind::InPlace) && later(l.written, chosen->written)))
            chosen = &l;
    }
    for (const Leftover& l : complete)
        if (&l != chosen) failed = !remove(l.id) || failed;
    if (chosen) {
        // A target written after the copy was made is newer than the change
        // (a copy being written in place is the target's own state).
        const bool newer = target_written && chosen->id.kind == tw::CopyKind::New &&
                           later(*target_written, chosen->written);
        if (target_written && (keep_existing || newer)) {
            failed = !remove(chosen->id) || failed;
            result = keep_existing ? FileRecovery::Removed : FileRecovery::NotApplied;
        } else {
            tw::FileReplacement replacement(target);
            if (replacement.complete(chosen->id) != FileReplaceResult::Done) return FileRecovery::Failed;
            target_written = FILETIME{};
            result = FileRecovery::Completed;
        }
    }
    // The old content from a replace that stopped half-way: put back where
    // the target is missing, otherwise no longer needed.
    for (const Leftover& l : backups) {
        if (!target_written) {
            if (f.MoveFileExA(name_of(l.id).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
                target_written = l.written;
                result = FileRecovery::NotApplied;
            } else {
                failed = true;  // the one copy of the old content stays
            }
            continue;
        }
        failed = !remove(l.id) || failed;
        if (result == FileRecovery::Nothing) result = FileRecovery::Removed;
    }
    return failed ? FileRecovery::Failed : result;
}
