// Faults for the file calls of the platform-call table: counts every file
// call the libraries make, fails the k-th one with the error a real disk
// gives (or writes only part, or ends the process right there, or fails a
// ReplaceFileA the ways Windows documents, with their effect on the files),
// once or from then on, and keeps count of the file and search handles
// opened and not yet closed.
#pragma once

#include <string>
#include <vector>

namespace faults {

enum class Kind {
    DiskFull, SharingViolation, AccessDenied, ShortWrite, EndProcess,
    // ReplaceFileA's ERROR_UNABLE_TO_MOVE_REPLACEMENT, _2 (the target moved
    // to the backup name) and ERROR_UNABLE_TO_REMOVE_REPLACED.
    ReplaceUnmoved, ReplaceUnmoved2, ReplacedNotRemoved,
    // Power lost between ReplaceFileA's two moves: the target is under the
    // backup name, the replacement still beside it, and the process ends.
    EndBetweenMoves,
};
inline constexpr Kind kErrorKinds[] = {Kind::DiskFull, Kind::SharingViolation, Kind::AccessDenied, Kind::ShortWrite};
inline constexpr Kind kReplaceKinds[] = {Kind::ReplaceUnmoved, Kind::ReplaceUnmoved2, Kind::ReplacedNotRemoved};
const char* kind_name(Kind kind);
// Whether the kind can hit the named call at all.
bool applies(Kind kind, const std::string& call);

// The exit code of a process ended by an EndProcess fault.
inline constexpr unsigned kEndedExitCode = 77;
// The environment variable naming an event that install() sets: a crash child
// that never set it did not get to run (Wine, rarely, refuses to start it
// with ERROR_BAD_EXE_FORMAT), and is started once more.
inline constexpr const char* kStartedEvent = "TW_FAULT_STARTED";

// Puts the counting calls into the table (and the platform's back).
void install();
void remove();

// Counts calls from 0 again; call number `at` (1-based) fails with `kind`;
// at 0 nothing fails. `sticky` (disk full only): from that call on, every
// write fails too, as on a disk that stays full.
void arm(long at, Kind kind, bool sticky = false);
void disarm();
// Calls counted since the last arm, and their names in order.
long calls();
const std::vector<std::string>& call_names();
// Whether the armed fault has happened.
bool fired();
// File and search handles made and not yet closed.
long open_handles();
// The file names the calls since the last arm were given (lower-cased, in
// the order of first use; search patterns aside).
const std::vector<std::string>& names_used();

// Other programs acting at the same moment, through the same calls (a
// sharing mode is per handle, so a handle of this process refuses as another
// program's would). Until release():
// a scanner holds `name` open for reading, without write or delete sharing,
// from the first call that names it while it is there;
void hold(const std::string& name);
// the game saves `path` as the C runtime does: at call `at` it opens it
// emptied and writes the first half of `content`, and at the next call the
// rest, then closes it (when its open is refused, its save fails).
void game_saves(long at, const std::string& path, const std::string& content);
void release();

}  // namespace faults
