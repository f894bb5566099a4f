// Whole files: telling whether a file is there, reading it whole, and putting
// a whole new content in place without ever leaving it cut, also across a
// crash (the next start completes or removes what a write left beside the
// file).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/runtime.h"

// 1 when a file of that name exists and can be opened for reading (a folder
// cannot); it is opened and closed again, sharing reading and writing, so a
// file another program is writing counts too. 0 otherwise.
int file_exists(tw::TextArg path);

// 1 when a file or folder of that name is there (whether or not it can be
// read) or when that cannot be told; 0 only when it is surely missing.
int file_present(tw::TextArg path);

// Reads the whole file into `bytes`. 1, or 0 when it cannot be opened or
// read, or the reads end before the size it had when it was opened.
int file_read_all(tw::TextArg path, std::string& bytes);

// How a replacement of a file's whole content ended.
enum class FileReplaceResult {
    Done,      // the file holds the new content
    Missing,   // its folder is not there
    Held,      // another program holds it and it could not be written in place
    ReadOnly,  // write-protected, or one to keep that is there already
    DiskFull,  // no room for the new content
    Changed,   // another program changed it since it was read: nothing written
    Other,     // any other failure
};

// Puts `content` in place as the whole new content of `path` (made when it is
// missing). The content goes into a temporary copy beside it first
// (path.twN.part, flushed, then renamed path.twN.new: complete) and is then
// put in place with ReplaceFileA, which keeps the file's attributes and
// permissions. A file another program holds (sharing reading and writing but
// not deleting) is written in place and read back instead, after a check that
// it still holds `base` (the content the change was made from), when given.
// Anything but Done leaves the file as it was, except after a crash or a
// failed in-place write that could not be undone: the complete copy is then
// kept, and file_roll_forward completes it at the next start.
FileReplaceResult file_replace(tw::TextArg path, std::string_view content,
                               std::optional<std::string_view> base = std::nullopt);
// file_replace as a yes or no: 1 when `path` holds the content.
int file_replace_content(tw::TextArg path, std::string_view content);

// Keeps a copy of `path` under `copy_path` unless a file of that name exists
// (never overwritten). 1 when the copy is there afterwards.
int file_keep_copy(tw::TextArg path, tw::TextArg copy_path);

// What the start found beside a file from a replacement that did not end.
enum class FileRecovery {
    Nothing,     // nothing was left
    Completed,   // a complete copy was put in place
    Removed,     // only an unfinished copy: removed (the file was never touched)
    NotApplied,  // the file changed after the copy was made: kept, the copy removed
    Failed,      // something could not be resolved now (it stays for the next start)
};

// Resolves what replacements of `path` left beside it, by the names this
// library makes (path.twN.part, .new, .inplace, .old); no other file is
// touched. With `keep_existing` (a copy never overwritten) a file that is
// there keeps its content and the copy goes.
FileRecovery file_roll_forward(tw::TextArg path, bool keep_existing = false);
