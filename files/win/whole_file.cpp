// Whole files: presence, whole reads, replacement of the whole content and
// the start's roll-forward of replacements that did not end.
#include "files/whole_file.h"

#include <vector>

#include "text/path_parts.h"
#include "text/text.h"
#include "files/handle_io.h"
#include "files/replace.h"

namespace {

FileReplaceResult replace_whole(const std::string& path, std::string_view content, std::optional<FileBase> base,
                                bool keep_existing) {
    tw::FileReplacement replacement(path, keep_existing);
    if (!replacement.begin(base)) return tw::replace_reason(GetLastError());
    return replacement.finish(content);
}

}  // namespace

int file_exists(tw::TextArg path) {
    HANDLE h = tw::open_shared_for_reading(path.str());
    if (h == INVALID_HANDLE_VALUE) return 0;
    tw::platform_calls().CloseHandle(h);
    return 1;
}

int file_present(tw::TextArg path) {
    const std::string name = path.str();
    if (!tw::usable_file_name(name)) return 0;
    if (tw::platform_calls().GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    // Only a name that is surely not there counts as missing.
    return tw::missing_error(GetLastError()) ? 0 : 1;
}

FileReplaceResult file_read_complete(tw::TextArg path, std::string& bytes) {
    return tw::read_complete(path.str(), bytes);
}

int file_read_all(tw::TextArg path, std::string& bytes) {
    return file_read_complete(path, bytes) == FileReplaceResult::Done ? 1 : 0;
}

FileReplaceResult file_replace(tw::TextArg path, std::string_view content, std::optional<FileBase> base) {
    return replace_whole(path.str(), content, base, false);
}

int file_replace_content(tw::TextArg path, std::string_view content) {
    return file_replace(path, content) == FileReplaceResult::Done ? 1 : 0;
}

int file_keep_copy(tw::TextArg path, tw::TextArg copy_path) {
    const std::string copy = copy_path.str();
    if (tw::platform_calls().GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    std::string bytes;
    if (!file_read_all(path, bytes)) return 0;
    return replace_whole(copy, bytes, FileBase{true, {}}, true) == FileReplaceResult::Done ? 1 : 0;
}

namespace {

// Reads a copy whole; false when it cannot be read now.
bool read_copy(const std::string& name, std::string& bytes) {
    HANDLE h = tw::platform_calls().CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = tw::read_whole(h, bytes);
    tw::platform_calls().CloseHandle(h);
    return ok;
}

}  // namespace

// Lists what is beside the target, reads the facts the decision needs, and
// carries out its plan in order, stopping at the first step that fails
// (what is left then is resolved by the next start).
FileRecovery file_roll_forward(tw::TextArg path, bool keep_existing) {
    tw::PlatformCalls& f = tw::platform_calls();
    if (!tw::usable_file_name(path.str())) return FileRecovery::Nothing;
    const std::string target = tw::full_path_name(path.str());
    if (target.empty()) return FileRecovery::Failed;
    const std::string file = path_file_part(target);

    // One search finds the target's copies.
    WIN32_FIND_DATAA found{};
    HANDLE search = f.FindFirstFileA((target + ".tw*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return tw::missing_error(GetLastError()) ? FileRecovery::Nothing : FileRecovery::Failed;
    tw::FoundFiles facts;
    facts.keep_existing = keep_existing;
    bool listed = true;
    for (;;) {
        const std::string name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
        if (const std::optional<tw::CopyId> id = tw::parse_copy_name(file, name);
            id && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            facts.copies.emplace_back().id = *id;
        if (!f.FindNextFileA(search, &found)) {
            listed = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    f.FindClose(search);
    if (!listed) return FileRecovery::Failed;
    if (facts.copies.empty()) return FileRecovery::Nothing;
    const FileWaitBudget budget;

    // What the files hold.
    std::string now;
    const FileReplaceResult read = tw::read_complete(target, now);
    facts.target_present = read != FileReplaceResult::Missing;
    facts.target_readable = read == FileReplaceResult::Done;
    if (facts.target_readable) facts.target_tag = tw::content_tag(now);
    std::vector<std::optional<tw::InPlaceCopy>> in_place(facts.copies.size());
    for (std::size_t i = 0; i < facts.copies.size(); ++i) {
        tw::FoundCopy& c = facts.copies[i];
        if (c.id.kind == tw::CopyKind::Part || c.id.kind == tw::CopyKind::Void) continue;
        std::string bytes;
        c.readable = read_copy(tw::copy_name(target, c.id.number, c.id.tag, c.id.kind), bytes);
        if (!c.readable) continue;
        c.held_tag = tw::content_tag(bytes);
        if (c.id.kind != tw::CopyKind::InPlace || c.id.tag.empty()) continue;
        in_place[i] = tw::parse_in_place_copy(bytes);
        // Its name names the old content it holds.
        if (in_place[i] && tw::content_tag(in_place[i]->base) != c.id.tag) in_place[i].reset();
        c.parsed = in_place[i].has_value();
        if (c.parsed && facts.target_readable) {
            c.target_is_new = now == in_place[i]->content;
            c.target_is_base = now == in_place[i]->base;
            c.target_ours = tw::left_by_in_place_write(now, in_place[i]->content, in_place[i]->base);
        }
    }

    const tw::RollPlan plan = tw::plan_roll_forward(facts);
    tw::RefusalWait wait;
    bool present = facts.target_present;
    for (const tw::RollAction& a : plan.actions) {
        const tw::CopyId& id = facts.copies[a.copy].id;
        const std::string name = tw::copy_name(target, id.number, id.tag, id.kind);
        bool done;
        if (a.step == tw::RollStep::Remove) {
            done = tw::retry_refused(wait, [&] { return f.DeleteFileA(name.c_str()) != 0 || tw::missing_error(GetLastError()); });
        } else if (id.kind == tw::CopyKind::InPlace && in_place[a.copy]) {
            tw::FileReplacement replacement(target);
            done = replacement.complete_in_place(id, *in_place[a.copy], a.step == tw::RollStep::PutBack,
                                                 !present) == FileReplaceResult::Done;
        } else if (a.step == tw::RollStep::PutInPlace) {
            tw::FileReplacement replacement(target);
            done = replacement.complete(id) == FileReplaceResult::Done;
        } else {
            done = tw::retry_refused(wait, [&] { return f.MoveFileExA(name.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0; });
        }
        if (!done) return FileRecovery::Failed;
        present = present || a.step != tw::RollStep::Remove;
    }
    return plan.outcome;
}
