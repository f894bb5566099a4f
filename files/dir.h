// Folder scans under object numbers, and the current folder. A scan lists the entries
// of one folder that match a wildcard pattern, one at a time:
//   dir_examine, then dir_next until 0 (dir_entry_name after each 1), dir_finish.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime.h"

// Creates the scan table. Called once at start-up.
void dir_library_init();
// Ends every scan still open. Called at the end (optional).
void dir_finish_all();

// Starts a scan of `folder` (a backslash is added when missing) for `pattern`
// (empty means "*.*"). Non-zero when the scan started, also when nothing
// matches; 0 when the folder cannot be searched (the number is then free).
intptr_t dir_examine(intptr_t number, tw::TextArg folder, tw::TextArg pattern = {});
// 1 when a further entry became the current one, 0 at the end.
int dir_next(intptr_t number);
// The current entry's name, without folder.
std::string dir_entry_name(intptr_t number);
// Ends the scan and frees the number. 1 if a scan was open.
int dir_finish(intptr_t number);
int dir_is_open(intptr_t number);

// The current folder, ending in exactly one backslash; empty text on failure.
std::string current_dir();
