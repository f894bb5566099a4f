// Folder scans over FindFirstFileA / FindNextFileA, and the current folder.
#include "files/dir.h"

#include <optional>

#include "text/path_parts.h"
#include "files/handle_io.h"
#include "runtime/win32.h"

namespace {

struct ScanObject {
    // INVALID_HANDLE_VALUE marks a scan that matched nothing; 0 a free slot.
    HANDLE handle = nullptr;
    bool first_pending = false;
    bool has_entry = false;
    WIN32_FIND_DATAA entry{};

    bool in_use() const { return handle != nullptr; }
    void release() {
        if (handle && handle != INVALID_HANDLE_VALUE) tw::platform_calls().FindClose(handle);
        handle = nullptr;
        first_pending = has_entry = false;
    }
};

tw::ObjectTable<ScanObject>& table() {
    static tw::ObjectTable<ScanObject> scans(16);
    return scans;
}

// Non-zero for every scan started, number 0 included.
intptr_t started(intptr_t number, const ScanObject* scan) {
    return number == tw::kDynamicNumber ? table().number_of(scan) : 1;
}

}  // namespace

void dir_library_init() { table(); }

void dir_finish_all() { table().free_all(); }

intptr_t dir_examine(intptr_t number, tw::TextArg folder, tw::TextArg pattern) {
    ScanObject* scan = table().prepare(number);
    if (!scan) return 0;
    std::optional<std::string> path = tw::dir_search_path(folder.view(), pattern.view());
    if (!path) {
        table().discard(scan);
        return 0;
    }
    HANDLE h = tw::platform_calls().FindFirstFileA(path->c_str(), &scan->entry);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            table().discard(scan);
            return 0;
        }
        scan->handle = INVALID_HANDLE_VALUE;  // exists, but empty
        return started(number, scan);
    }
    scan->handle = h;
    scan->first_pending = true;
    return started(number, scan);
}

int dir_next(intptr_t number) {
    ScanObject* scan = table().find(number);
    if (!scan || scan->handle == INVALID_HANDLE_VALUE) return 0;
    if (scan->first_pending) {
        scan->first_pending = false;
        scan->has_entry = true;
        return 1;
    }
    if (!scan->has_entry) return 0;  // already exhausted
    if (tw::platform_calls().FindNextFileA(scan->handle, &scan->entry)) return 1;
    scan->has_entry = false;
    return 0;
}

std::string dir_entry_name(intptr_t number) {
    ScanObject* scan = table().find(number);
    if (!scan || !scan->has_entry) return {};
    const char* name = scan->entry.cFileName;
    return std::string(name, strnlen(name, sizeof scan->entry.cFileName));
}

int dir_finish(intptr_t number) {
    ScanObject* scan = table().find(number);
    if (!scan) return 0;
    table().discard(scan);
    return 1;
}

int dir_is_open(intptr_t number) { return table().find(number) ? 1 : 0; }

std::string current_dir() {
    char small[MAX_PATH + 1];
    DWORD n = tw::platform_calls().GetCurrentDirectoryA(sizeof small, small);
    if (n == 0) return {};
    if (n < sizeof small) return tw::with_one_trailing_backslash(std::string_view(small, n));
    // Longer than the usual limit: n is the size needed, with the zero byte.
    std::string big(n, '\0');
    DWORD m = tw::platform_calls().GetCurrentDirectoryA(n, big.data());
    if (m == 0 || m >= n) return {};
    big.resize(m);
    return tw::with_one_trailing_backslash(big);
}
