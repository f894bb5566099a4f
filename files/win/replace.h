// Replacing a file's whole content without ever leaving it cut or empty, in
// two steps: a temporary file of a fresh name beside the target first, the
// content written to it, flushed, and then put in place. Platform-facing;
// the files library's file_replace_content and the preference store use it.
#pragma once

#include <string>
#include <string_view>

#include "runtime/win32.h"

namespace tw {

// True for the errors that say a name is not there.
bool missing_error(DWORD error);

// The name of the n-th temporary file for `target`: target + ".tw" + n + ".tmp".
std::string temporary_name(const std::string& target, int n);

class FileReplacement {
public:
    explicit FileReplacement(std::string target) : target_(std::move(target)) {}
    ~FileReplacement() { abandon(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes the temporary file (never one that exists). False when none can
    // be made there.
    bool begin();
    // Writes `content` into the temporary file, flushes and closes it, and
    // puts it in place: ReplaceFileA where the target exists (it keeps its
    // attributes and permissions), MoveFileExA where it does not. When the
    // replace is refused because another program holds the target, but the
    // target can still be opened for writing, the content is written into it
    // in place, flushed, read back and compared; the temporary file is the
    // recovery copy meanwhile and goes only afterwards. A write-protected
    // target is refused. With `keep_existing` a target that exists by now is
    // never replaced. True when the target holds the content; false when it
    // is as it was (the temporary file is then gone too, except after a
    // failed in-place write that could not be undone: it is kept).
    bool finish(std::string_view content, bool keep_existing = false);
    // Removes an unfinished temporary file.
    void abandon();

private:
    bool write_in_place(std::string_view content);
    void remove_temporary();

    std::string target_;
    std::string temporary_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace tw
