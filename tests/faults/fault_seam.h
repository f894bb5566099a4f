// Faults for the file-call table: counts every file call the libraries make,
// fails the k-th one with the error a real disk gives (or writes only part,
// or ends the process right there), and keeps count of the file handles
// opened and not yet closed.
#pragma once

#include <string>
#include <vector>

namespace faults {

enum class Kind { DiskFull, SharingViolation, AccessDenied, ShortWrite, EndProcess };
inline constexpr Kind kErrorKinds[] = {Kind::DiskFull, Kind::SharingViolation, Kind::AccessDenied, Kind::ShortWrite};
const char* kind_name(Kind kind);

// The exit code of a process ended by an EndProcess fault.
inline constexpr unsigned kEndedExitCode = 77;

// Puts the counting calls into the table (and the platform's back).
void install();
void remove();

// Counts calls from 0 again; call number `at` (1-based) fails with `kind`;
// at 0 nothing fails.
void arm(long at, Kind kind);
void disarm();
// Calls counted since the last arm, and their names in order.
long calls();
const std::vector<std::string>& call_names();
// Whether the armed fault has happened.
bool fired();
// File handles made by CreateFileA and not yet closed.
long open_handles();

}  // namespace faults
