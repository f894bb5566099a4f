// Replacing a file's whole content without ever leaving it cut or empty, in
// steps that each leave a known state on disk: the new content goes into a
// copy beside the target (target.twN.part), is flushed, and the copy is renamed
// target.twN.new (complete); that is then put in place (ReplaceFileA with the
// backup target.twN.old), or, for a target another program holds, written
// into it in place while the copy is named target.twN.inplace. A crash leaves
// at most these names, which the next start resolves (file_roll_forward).
// Platform-facing; the files library's whole-file operations and the
// preference store use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/whole_file.h"
#include "runtime/win32.h"

namespace tw {

// True for the errors that say a name is not there.
bool missing_error(DWORD error);
// The reason a failed file call gives, by its error code.
FileReplaceResult replace_reason(DWORD error);

// The copies a replacement makes beside its target, by what they hold.
enum class CopyKind {
    Part,     // being written: incomplete; the target was not touched
    New,      // complete; the target was not touched
    InPlace,  // complete; the target is being written in place from it
    Old,      // the target's old content, the backup of ReplaceFileA
};
// target + ".tw" + n + ".part" (".new", ".inplace", ".old").
std::string copy_name(const std::string& target, int n, CopyKind kind);
// The number and kind of `name` when it is one of those names for the file
// `target_file` (both without folder, compared without regard to case).
struct CopyId {
    int number;
    CopyKind kind;
};
std::optional<CopyId> parse_copy_name(std::string_view target_file, std::string_view name);

// What becomes of the replacement's copy when the replacement goes.
enum class CopyFate {
    None,   // there is none: not made yet, put in place, or removed
    Owned,  // the replacement's own: removed when it goes
    Kept,   // kept for recovery: the next start puts it in place
};

// A replace refused by a sharing violation or access denied (a scanner or a
// backup program may hold a file for a moment) is tried this many times in
// all, this far apart, before the target counts as held.
inline constexpr int kReplaceTries = 3;
inline constexpr DWORD kReplaceRetryPauseMs = 40;

class FileReplacement {
public:
    // With `keep_existing` a target that is there is never replaced.
    explicit FileReplacement(std::string target, bool keep_existing = false)
        : target_(std::move(target)), keep_existing_(keep_existing) {}
    ~FileReplacement() { abandon(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes the copy target.twN.part of the first free N. False when none
    // can be made there (the platform's last error tells why).
    bool begin();
    // Writes `content` into the copy and puts it in place. `base` is the
    // content the change was made from, checked before an in-place write.
    FileReplaceResult finish(std::string_view content, std::optional<std::string_view> base = std::nullopt);
    // Puts a complete copy that an earlier run left (`copy`, without folder,
    // of kind New or InPlace) in place. On failure the copy is kept.
    FileReplaceResult complete(const CopyId& copy);
    // Removes the copy unless it is kept for recovery.
    void abandon();

    const std::string& target() const { return target_; }

private:
    // Writing and flushing the copy, then naming it complete. On failure the
    // copy is removed: nothing is left and the target was never touched.
    FileReplaceResult write_copy(std::string_view content);
    // Replacing: the complete copy takes the target's place (ReplaceFileA;
    // MoveFileExA where the target is missing). On failure the target is as
    // it was and the copy is removed; when ReplaceFileA failed with the target
    // moved away and neither it nor the copy can be put back, the copy is
    // kept and the next start puts it in place.
    FileReplaceResult replace(std::string_view content, std::optional<std::string_view> base);
    // Writing in place, for a target another program holds: the copy is named
    // .inplace, the content written over the target and read back. On failure
    // the old content is put back and the copy removed; when that fails too
    // the copy is kept and the next start puts it in place.
    FileReplaceResult write_in_place(std::string_view content, std::optional<std::string_view> base);
    // After a failed ReplaceFileA that left no file under the target's name:
    // the copy goes there, or else the backup.
    FileReplaceResult settle_moved_target(DWORD error);

    std::string copy() const { return copy_name(target_, number_, kind_); }
    bool rename_copy(CopyKind kind);
    void remove_copy();
    bool target_held();

    std::string target_;
    bool keep_existing_;
    int number_ = 0;
    CopyKind kind_ = CopyKind::Part;
    CopyFate fate_ = CopyFate::None;
    HANDLE handle_ = INVALID_HANDLE_VALUE;  // the copy while it is written
};

}  // namespace tw
