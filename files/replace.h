// Replacing a file's whole content without ever leaving it cut or empty, in
// steps that each leave a known state on disk: the new content goes into a
// copy beside the target (target.twN.TAG.part, TAG naming the content the
// change was made from), is flushed, and the copy is renamed .new (complete);
// just before it is put in place (ReplaceFileA with the backup .old) the
// target is read once more, and only when it still holds that content does
// the copy go in. A target another program really holds is written in place
// instead, with both contents kept in .inplace until the write is done. A
// crash leaves at most these names, which the next start resolves by content
// (file_roll_forward); a change the player is told failed is removed, or
// marked .void so that the next start removes it instead of putting it in.
// Platform-facing; the files library's whole-file operations and the
// preference store use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/portable/copies.h"
#include "files/whole_file.h"
#include "runtime/win32.h"

namespace tw {

// True for the errors that say a name is not there.
bool missing_error(DWORD error);
// The reason a failed file call gives, by its error code.
FileReplaceResult replace_reason(DWORD error);
// An error another program's brief open gives: it may work a moment later.
bool refused_error(DWORD error);

// Scanners, indexers and backup programs open a file for a moment after it
// was written, without write or delete sharing, and the game keeps qz.ini
// open while it saves it. A step such an open refuses (reading the whole
// file, a rename, the replace, a removal) is tried again this often over at
// most kRefusedWaitMs in all for one write, before the file counts as held.
inline constexpr DWORD kRefusedWaitMs = 1500;
inline constexpr DWORD kRefusedRetryPauseMs = 10;
// Tests shorten the wait (0 puts kRefusedWaitMs back).
void set_refused_wait_ms(DWORD ms);

// The time one step may spend waiting for holders to let go: the budget's
// deadline while one lives, kRefusedWaitMs from its first refusal otherwise.
class RefusalWait {
public:
    // An impatient wait gives up at the first refusal.
    explicit RefusalWait(bool patient = true);
    // After a step failed with `error`: true when it was refused and there
    // is time left (the pause is over then); false otherwise.
    bool again(DWORD error);

private:
    ULONGLONG deadline_ = 0;
    bool patient_;
    bool started_ = false;
};

// Runs `step` (true on success, the platform's last error telling why not)
// until it succeeds, fails other than by a refusal, or the wait is over.
template <class Step>
bool retry_refused(RefusalWait& wait, Step step) {
    for (;;) {
        if (step()) return true;
        const DWORD error = GetLastError();
        if (!wait.again(error)) {
            SetLastError(error);
            return false;
        }
    }
}

// Whether another program holds `path` at this moment: opening it for
// deleting is refused. Asked after the retries, before anything is written
// in place.
bool really_held(const std::string& path);

// Files another program kept open through a whole wait (the game's qz.ini
// while it runs) count as held for the rest of the session: later writes do
// not wait for them again until they are found free.
bool held_for_session(const std::string& path);
void note_held(const std::string& path, bool held);

// Opens an existing file for reading, sharing reading and writing (the game
// may be writing it); INVALID_HANDLE_VALUE when it cannot.
HANDLE open_shared_for_reading(const std::string& name);

// Reads the whole content of `path` once no other program is writing it (an
// open that refuses writers succeeds): a writer is waited for, over the
// refusal wait; one that keeps it open past that counts as holding it for
// the session, and what the file holds then is read, sharing its writes.
// Done, Missing, or the reason it could not be read.
FileReplaceResult read_complete(const std::string& path, std::string& bytes);

// What becomes of the replacement's copy when the replacement goes.
enum class CopyFate {
    None,   // there is none: not made yet, put in place, or removed
    Owned,  // the replacement's own: removed (or marked void) when it goes
    Kept,   // kept for recovery: the next start puts it in place
};

class FileReplacement {
public:
    // With `keep_existing` a target that is there is never replaced.
    explicit FileReplacement(std::string target, bool keep_existing = false)
        : target_(std::move(target)), keep_existing_(keep_existing) {}
    ~FileReplacement() { abandon(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes the copy of the first number no copy of any kind has. `base` is
    // what the change was made from (nullopt: the target was missing); the
    // target's content now when not given. False when no copy can be made
    // there (the platform's last error tells why).
    bool begin(std::optional<FileBase> base = std::nullopt);
    // Writes `content` into the copy and puts it in place when the target
    // still holds the base. Anything but Done leaves the target as it was.
    FileReplaceResult finish(std::string_view content);
    // The start's completion of a copy an earlier run left: a complete one
    // (New) goes in place over the content it was made from, or where the
    // target is missing; an in-place one (`in_place` parsed from it) writes
    // its new content (or, with `undo`, its old) over what its cut write left.
    // On failure the copy is kept for the next start.
    FileReplaceResult complete(const CopyId& copy);
    FileReplaceResult complete_in_place(const CopyId& copy, const InPlaceCopy& in_place, bool undo,
                                        bool target_missing);
    // Removes the copy unless it is kept for recovery (marks it void when it
    // cannot be removed).
    void abandon();

    const std::string& target() const { return target_; }

private:
    // Writing and flushing the copy, then naming it complete. On failure the
    // copy is removed: the target was never touched.
    FileReplaceResult write_copy(std::string_view content);
    // The copy takes the target's place when the target still holds the base
    // (ReplaceFileA; a move where the target is missing). On failure the
    // target is as it was.
    FileReplaceResult replace(std::string_view content);
    // For a target another program really holds: both contents into the
    // .inplace copy, the new one over the target, cut, flushed and read
    // back. On failure the old content is put back.
    FileReplaceResult write_in_place(std::string_view content);
    // After a failed ReplaceFileA that left no file under the target's name:
    // the copy goes there, or else the backup.
    FileReplaceResult settle_moved_target(DWORD error);
    // Writes `content` over the open target, checks it and ends the
    // in-place copy; `old` is put back when that fails.
    FileReplaceResult overwrite_held(HANDLE target, std::string_view content, std::string_view old);
    // The copy's change goes nowhere: removed, or else marked void.
    FileReplaceResult give_up(FileReplaceResult reason);

    std::string copy() const { return copy_name(target_, number_, tag_, kind_); }
    // The first number from `from` on that no copy of any kind has; 0 when none.
    int free_number(int from);
    // Marks every copy of number `n` as a change never to be put in place.
    void void_number(int n);
    bool rename_copy(CopyKind kind);
    bool remove_name(const std::string& name);
    void remove_copy();
    enum class Base { Same, Changed, Refused, Failed };
    Base check_base(DWORD& error);

    std::string target_;
    bool keep_existing_;
    bool completing_ = false;  // the start's completion: failures keep the copy
    int number_ = 0;
    std::string tag_;
    CopyKind kind_ = CopyKind::Part;
    CopyFate fate_ = CopyFate::None;
    HANDLE handle_ = INVALID_HANDLE_VALUE;  // the copy while it is written
    RefusalWait wait_;
};

}  // namespace tw
