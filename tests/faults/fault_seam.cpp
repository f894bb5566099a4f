#include "tests/faults/fault_seam.h"

#include <set>

#include "files/win/file_calls.h"

namespace faults {
namespace {

struct State {
    long count = 0;
    long at = 0;
    Kind kind = Kind::DiskFull;
    bool sticky = false;
    bool fired = false;
    std::vector<std::string> names;
    std::set<HANDLE> handles;
};

State& st() {
    static State s;
    return s;
}

const tw::FileCalls& real() { return tw::system_file_calls(); }

DWORD error_of(Kind kind) {
    switch (kind) {
    case Kind::SharingViolation: return ERROR_SHARING_VIOLATION;
    case Kind::AccessDenied: return ERROR_ACCESS_DENIED;
    default: return ERROR_DISK_FULL;
    }
}

// Counts the call; true when this one is to fail (it has then failed: for an
// ending fault the process is gone). A short write and the replace's own
// failures are their calls' affair.
bool fails_now(const char* name) {
    State& s = st();
    s.names.emplace_back(name);
    ++s.count;
    if (s.sticky && s.fired && s.count > s.at && std::string(name) == "WriteFile") {
        SetLastError(ERROR_DISK_FULL);
        return true;
    }
    if (s.count != s.at) return false;
    s.fired = true;
    if (s.kind == Kind::EndProcess) TerminateProcess(GetCurrentProcess(), kEndedExitCode);
    if (!applies(s.kind, name)) return false;
    SetLastError(error_of(s.kind));
    return true;
}

HANDLE WINAPI create_file(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    if (fails_now("CreateFileA")) return INVALID_HANDLE_VALUE;
    HANDLE h = real().CreateFileA(a, b, c, d, e, f, g);
    if (h != INVALID_HANDLE_VALUE) st().handles.insert(h);
    return h;
}
BOOL WINAPI read_file(HANDLE h, LPVOID p, DWORD n, LPDWORD got, LPOVERLAPPED o) {
    if (fails_now("ReadFile")) return FALSE;
    return real().ReadFile(h, p, n, got, o);
}
BOOL WINAPI write_file(HANDLE h, LPCVOID p, DWORD n, LPDWORD done, LPOVERLAPPED o) {
    const bool short_write = st().kind == Kind::ShortWrite && st().count + 1 == st().at;
    if (fails_now("WriteFile")) {
        if (!short_write) return FALSE;
        // Half of it, reported as such: what a disk filling up in the middle does.
        return real().WriteFile(h, p, n / 2, done, o);
    }
    return real().WriteFile(h, p, n, done, o);
}
DWORD WINAPI set_file_pointer(HANDLE h, LONG low, PLONG high, DWORD how) {
    if (fails_now("SetFilePointer")) return INVALID_SET_FILE_POINTER;
    return real().SetFilePointer(h, low, high, how);
}
BOOL WINAPI set_end_of_file(HANDLE h) { return fails_now("SetEndOfFile") ? FALSE : real().SetEndOfFile(h); }
BOOL WINAPI flush_file_buffers(HANDLE h) {
    return fails_now("FlushFileBuffers") ? FALSE : real().FlushFileBuffers(h);
}
DWORD WINAPI get_file_size(HANDLE h, LPDWORD high) {
    return fails_now("GetFileSize") ? INVALID_FILE_SIZE : real().GetFileSize(h, high);
}
// A failed close still gives the handle up, as the platform does.
BOOL close_counted(const char* name, HANDLE h, BOOL(WINAPI* close)(HANDLE)) {
    const bool fail = fails_now(name);
    st().handles.erase(h);
    const BOOL closed = close(h);
    if (fail) {
        SetLastError(error_of(st().kind));
        return FALSE;
    }
    return closed;
}
BOOL WINAPI close_handle(HANDLE h) { return close_counted("CloseHandle", h, real().CloseHandle); }
BOOL WINAPI move_file(LPCSTR a, LPCSTR b, DWORD f) { return fails_now("MoveFileExA") ? FALSE : real().MoveFileExA(a, b, f); }
// The replace's documented failures, with what they leave on disk.
BOOL WINAPI replace_file(LPCSTR a, LPCSTR b, LPCSTR c, DWORD f, LPVOID x, LPVOID y) {
    if (!fails_now("ReplaceFileA")) return real().ReplaceFileA(a, b, c, f, x, y);
    switch (st().kind) {
    case Kind::ReplaceUnmoved:
        // Without a backup name the replaced file is gone.
        if (!c) real().DeleteFileA(a);
        SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
        break;
    case Kind::ReplaceUnmoved2:
        real().MoveFileExA(a, c ? c : (std::string(a) + ".moved").c_str(), MOVEFILE_REPLACE_EXISTING);
        SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
        break;
    case Kind::ReplacedNotRemoved: SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED); break;
    default: break;
    }
    return FALSE;
}
BOOL WINAPI copy_file(LPCSTR a, LPCSTR b, BOOL f) { return fails_now("CopyFileA") ? FALSE : real().CopyFileA(a, b, f); }
BOOL WINAPI delete_file(LPCSTR a) { return fails_now("DeleteFileA") ? FALSE : real().DeleteFileA(a); }
DWORD WINAPI get_attributes(LPCSTR a) {
    return fails_now("GetFileAttributesA") ? INVALID_FILE_ATTRIBUTES : real().GetFileAttributesA(a);
}
BOOL WINAPI set_attributes(LPCSTR a, DWORD v) {
    return fails_now("SetFileAttributesA") ? FALSE : real().SetFileAttributesA(a, v);
}
HANDLE WINAPI find_first(LPCSTR a, LPWIN32_FIND_DATAA d) {
    if (fails_now("FindFirstFileA")) return INVALID_HANDLE_VALUE;
    HANDLE h = real().FindFirstFileA(a, d);
    if (h != INVALID_HANDLE_VALUE) st().handles.insert(h);
    return h;
}
BOOL WINAPI find_next(HANDLE h, LPWIN32_FIND_DATAA d) {
    return fails_now("FindNextFileA") ? FALSE : real().FindNextFileA(h, d);
}
BOOL WINAPI find_close(HANDLE h) { return close_counted("FindClose", h, real().FindClose); }
DWORD WINAPI current_directory(DWORD n, LPSTR out) {
    return fails_now("GetCurrentDirectoryA") ? 0 : real().GetCurrentDirectoryA(n, out);
}
DWORD WINAPI full_path(LPCSTR a, DWORD n, LPSTR out, LPSTR* part) {
    return fails_now("GetFullPathNameA") ? 0 : real().GetFullPathNameA(a, n, out, part);
}

}  // namespace

const char* kind_name(Kind kind) {
    switch (kind) {
    case Kind::DiskFull: return "disk full";
    case Kind::SharingViolation: return "sharing violation";
    case Kind::AccessDenied: return "access denied";
    case Kind::ShortWrite: return "short write";
    case Kind::EndProcess: return "process ended";
    case Kind::ReplaceUnmoved: return "replacement not moved";
    case Kind::ReplaceUnmoved2: return "replacement not moved, target under the backup name";
    case Kind::ReplacedNotRemoved: return "replaced file not removed";
    }
    return "?";
}

bool applies(Kind kind, const std::string& call) {
    switch (kind) {
    case Kind::ShortWrite: return call == "WriteFile";
    case Kind::ReplaceUnmoved:
    case Kind::ReplaceUnmoved2:
    case Kind::ReplacedNotRemoved: return call == "ReplaceFileA";
    default: return true;
    }
}

void install() {
    tw::file_calls() = tw::FileCalls{create_file,    read_file,   write_file,   set_file_pointer, set_end_of_file,
                                     flush_file_buffers, get_file_size, close_handle, move_file,  replace_file,
                                     copy_file,      delete_file, get_attributes, set_attributes, find_first,
                                     find_next,      find_close,  current_directory, full_path};
}

void remove() { tw::file_calls() = tw::system_file_calls(); }

void arm(long at, Kind kind, bool sticky) {
    State& s = st();
    s.count = 0;
    s.at = at;
    s.kind = kind;
    s.sticky = sticky;
    s.fired = false;
    s.names.clear();
}

void disarm() {
    st().at = 0;
    st().sticky = false;
}
long calls() { return st().count; }
const std::vector<std::string>& call_names() { return st().names; }
bool fired() { return st().fired; }
long open_handles() { return static_cast<long>(st().handles.size()); }

}  // namespace faults
