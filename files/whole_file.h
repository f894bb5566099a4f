// Whole files: telling whether a file is there, reading it whole, and putting
// a whole new content in place without ever leaving it cut, also across a
// crash (the next start completes or removes what a write left beside the
// file).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/portable/copies.h"
#include "runtime/runtime.h"

// 1 when a file of that name exists and can be opened for reading (a folder
// cannot); it is opened and closed again, sharing reading and writing, so a
// file another program is writing counts too. 0 otherwise.
int file_exists(tw::TextArg path);

// 1 when a file or folder of that name is there (whether or not it can be
// read) or when that cannot be told; 0 only when it is surely missing.
int file_present(tw::TextArg path);

// How a replacement of a file's whole content ended, or why a read failed.
enum class FileReplaceResult {
    Done,      // the file holds the new content
    Missing,   // it (or its folder) is not there
    Held,      // another program holds it and it could not be written in place
    ReadOnly,  // write-protected, or one to keep that is there already
    DiskFull,  // no room for the new content
    Changed,   // another program changed it since the change was made: nothing written
    Other,     // any other failure
};

// Reads the whole file into `bytes` once no other program is writing it (a
// writer is waited for a moment; one that keeps it open longer is taken to
// hold it for the session, and what it holds then is read). Done, Missing,
// or why it could not be read.
FileReplaceResult file_read_complete(tw::TextArg path, std::string& bytes);
// file_read_complete as a yes or no: 1 when read.
int file_read_all(tw::TextArg path, std::string& bytes);

// While one lives, every wait for a brief holder in the steps of one write
// (its reads, its copies, its rounds) shares one bounded time (1.5 s).
// Nested ones share the first.
class FileWaitBudget {
public:
    FileWaitBudget();
    ~FileWaitBudget();
    FileWaitBudget(const FileWaitBudget&) = delete;
    FileWaitBudget& operator=(const FileWaitBudget&) = delete;
};

// What a change was made from: the file's content as read, or that it was missing.
struct FileBase {
    bool missing = false;
    std::string_view content;
};

// Puts `content` in place as the whole new content of `path` (made when it is
// missing), only while the file holds `base` (by default what it holds when
// this begins). The content goes into a temporary copy beside it first
// (path.twN.TAG.part, flushed, then renamed .new: complete), and just before
// the copy is put in place with ReplaceFileA (which keeps the file's
// attributes and permissions) the file is read once more: Changed when it
// no longer holds the base. Brief holders are waited for. A file another
// program really holds (sharing reading and writing but not deleting) is
// written in place and read back instead. Anything but Done leaves the file
// as it was, except after a crash: the next start's file_roll_forward then
// completes or removes what is left, by content.
FileReplaceResult file_replace(tw::TextArg path, std::string_view content, std::optional<FileBase> base = std::nullopt);
// file_replace as a yes or no: 1 when `path` holds the content.
int file_replace_content(tw::TextArg path, std::string_view content);

// Keeps a copy of `path` under `copy_path` unless a file of that name exists
// (never overwritten). 1 when the copy is there afterwards.
int file_keep_copy(tw::TextArg path, tw::TextArg copy_path);

// What the start found beside a file from a replacement that did not end
// (Nothing, Completed, Removed, NotApplied, Failed).
using FileRecovery = tw::RollOutcome;

// Resolves what replacements of `path` left beside it, by the names this
// library makes (path.twN.TAG.part, .new, .inplace, .old, .void) and by what
// the files hold: a copy goes in only over the content it was made from (or
// what its own cut in-place write left, or where the file is missing), and a
// copy that cannot be put in place now is kept for the next start. No other
// file is touched. With `keep_existing` (a copy never overwritten) a file
// that is there keeps its content and the copy goes.
FileRecovery file_roll_forward(tw::TextArg path, bool keep_existing = false);
