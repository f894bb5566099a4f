// The read and write loops on the platform's file calls, and the checks and
// paths every file operation shares. The calls themselves go through the
// table of runtime/platform_calls.h, so that a test can fail any of them.
// Platform-facing: for the platform code of the libraries (prefs, image,
// launch read and write through these), not for the application.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/platform_calls.h"
#include "runtime/win32.h"

namespace tw {

// A name a file call may be given: not empty, and no zero byte inside that
// would make it a different, shorter name.
inline bool usable_file_name(std::string_view name) {
    return !name.empty() && name.find('\0') == std::string_view::npos;
}

// Writes `size` bytes at the handle's position, in chunks the platform takes,
// until all are written or a write fails or writes nothing (the platform's
// last error then tells why). The count written: `size` on success. The one
// write loop of every writer.
std::size_t write_all(HANDLE handle, const void* data, std::size_t size);
// write_all of all bytes, as a yes or no.
inline bool write_whole(HANDLE handle, std::string_view bytes) {
    return write_all(handle, bytes.data(), bytes.size()) == bytes.size();
}
// Reads up to `size` bytes; the count read (short only at the end or on an error).
std::size_t read_some(HANDLE handle, void* data, std::size_t size);
// The whole file behind an open handle, from its start; false on any error,
// and when the reads end before the size the file had when this began (a file
// another program is rewriting just then is not taken for its first part).
bool read_whole(HANDLE handle, std::string& bytes);
// Moves the handle's position to `offset` from the start (or from the
// current position when `relative`); false when refused.
bool seek(HANDLE handle, int64_t offset, bool relative);
// The file's size, or -1 on an error.
int64_t file_size_of(HANDLE handle);
// The full path of `name` from the working folder; empty when it cannot be
// made (or would not fit a file call).
std::string full_path_name(const std::string& name);

}  // namespace tw
