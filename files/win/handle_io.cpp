// The read and write loops on the platform's file calls.
#include "files/handle_io.h"

#include <algorithm>
#include <new>

namespace tw {

namespace {
// The largest piece one call is given: far below what a DWORD counts.
constexpr std::size_t kChunk = 1u << 30;
}  // namespace

std::size_t write_all(HANDLE handle, const void* data, std::size_t size) {
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min(size - done, kChunk));
        DWORD written = 0;
        if (!platform_calls().WriteFile(handle, in + done, chunk, &written, nullptr)) break;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            break;
        }
        done += written;
    }
    return done;
}

std::size_t read_some(HANDLE handle, void* data, std::size_t size) {
    auto* out = static_cast<char*>(data);
    std::size_t total = 0;
    while (total < size) {
        const DWORD chunk = static_cast<DWORD>(std::min(size - total, kChunk));
        DWORD got = 0;
        if (!platform_calls().ReadFile(handle, out + total, chunk, &got, nullptr) || got == 0) break;
        total += got;
        if (got < chunk) break;
    }
    return total;
}

bool seek(HANDLE handle, int64_t offset, bool relative) {
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = platform_calls().SetFilePointer(handle, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                                      relative ? FILE_CURRENT : FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

std::string full_path_name(const std::string& name) {
    char full[MAX_PATH * 2];
    const DWORD length = platform_calls().GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : std::string();
}

int64_t file_size_of(HANDLE handle) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = platform_calls().GetFileSize(handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
    return (static_cast<int64_t>(high) << 32) | low;
}

bool read_whole(HANDLE handle, std::string& bytes) {
    const int64_t size = file_size_of(handle);
    if (size < 0 || size > 0x7FFFFFF0 || !seek(handle, 0, false)) return false;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::size_t total = 0;
    while (total < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - total, kChunk));
        DWORD got = 0;
        if (!platform_calls().ReadFile(handle, bytes.data() + total, chunk, &got, nullptr)) return false;
        if (got == 0) return false;  // ended early: the file is being rewritten
        total += got;
    }
    return true;
}

}  // namespace tw
