// Requesters and the message box: modal system dialogs. While one is open every
// other visible, enabled top-level window of the calling thread is disabled, and
// afterwards exactly those windows are enabled again. The dialog's owner is the
// foreground window when it belongs to this process.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime.h"

// Start-up: common controls and COM. Called once, before any window exists.
void requester_library_init();

// Open-file requester. `pattern` holds description and filter pairs separated by
// "|" ("exe|Pistova.exe"); `pattern_position` is the 0-based pair preselected.
// `initial_path` is a folder with a trailing "\" or a path to a proposed file.
// Returns the chosen file's full path, or the empty text when cancelled.
std::string file_requester_open(tw::TextArg title, tw::TextArg initial_path, tw::TextArg pattern, int pattern_position);
// The 1-based index of the pattern chosen in the last successful open-file
// requester (0 before the first one).
int file_requester_selected_pattern();

// Folder requester: returns the chosen folder with one trailing "\", or the
// empty text when cancelled or when the shell is not available.
std::string folder_requester_open(tw::TextArg title, tw::TextArg initial_folder);

// Message box (type as MessageBoxA, 0 = one OK button); returns its result.
int message_box_show(tw::TextArg title, tw::TextArg text, int type);

// The owner for a dialog: the foreground window when it belongs to this
// process, else 0.
intptr_t requester_owner();
// The bracket around every dialog: disables the calling thread's other visible,
// enabled top-level windows (not the foreground window), and enables again
// those this thread disabled.
void other_windows_disable();
void other_windows_enable();
