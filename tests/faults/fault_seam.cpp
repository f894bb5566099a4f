#include "tests/faults/fault_seam.h"

#include <set>

#include "files/win/file_calls.h"

namespace faults {
namespace {

struct State {
    long count = 0;
    long at = 0;
    Kind kind = Kind::DiskFull;
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
// ending fault the process is gone). A short write is the write's own affair.
bool fails_now(const char* name) {
    State& s = st();
    s.names.emplace_back(name);
    if (++s.count != s.at) return false;
    s.fired = true;
    if (s.kind == Kind::EndProcess) TerminateProcess(GetCurrentProcess(), kEndedExitCode);
    if (s.kind == Kind::ShortWrite) return std::string(name) == "WriteFile";
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
BOOL WINAPI close_handle(HANDLE h) {
    const bool fail = fails_now("CloseHandle");
    // A failed close still gives the handle up, as the platform does.
    st().handles.erase(h);
    const BOOL closed = real().CloseHandle(h);
    if (fail) {
        SetLastError(error_of(st().kind));
        return FALSE;
    }
    return closed;
}
BOOL WINAPI move_file(LPCSTR a, LPCSTR b, DWORD f) { return fails_now("MoveFileExA") ? FALSE : real().MoveFileExA(a, b, f); }
BOOL WINAPI replace_file(LPCSTR a, LPCSTR b, LPCSTR c, DWORD f, LPVOID x, LPVOID y) {
    return fails_now("ReplaceFileA") ? FALSE : real().ReplaceFileA(a, b, c, f, x, y);
}
BOOL WINAPI copy_file(LPCSTR a, LPCSTR b, BOOL f) { return fails_now("CopyFileA") ? FALSE : real().CopyFileA(a, b, f); }
BOOL WINAPI delete_file(LPCSTR a) { return fails_now("DeleteFileA") ? FALSE : real().DeleteFileA(a); }
DWORD WINAPI get_attributes(LPCSTR a) {
    return fails_now("GetFileAttributesA") ? INVALID_FILE_ATTRIBUTES : real().GetFileAttributesA(a);
}
BOOL WINAPI set_attributes(LPCSTR a, DWORD v) {
    return fails_now("SetFileAttributesA") ? FALSE : real().SetFileAttributesA(a, v);
}

}  // namespace

const char* kind_name(Kind kind) {
    switch (kind) {
    case Kind::DiskFull: return "disk full";
    case Kind::SharingViolation: return "sharing violation";
    case Kind::AccessDenied: return "access denied";
    case Kind::ShortWrite: return "short write";
    case Kind::EndProcess: return "process ended";
    }
    return "?";
}

void install() {
    tw::file_calls() = tw::FileCalls{create_file,    read_file,   write_file,   set_file_pointer, set_end_of_file,
                                     flush_file_buffers, get_file_size, close_handle, move_file,  replace_file,
                                     copy_file,      delete_file, get_attributes, set_attributes};
}

void remove() { tw::file_calls() = tw::system_file_calls(); }

void arm(long at, Kind kind) {
    State& s = st();
    s.count = 0;
    s.at = at;
    s.kind = kind;
    s.fired = false;
    s.names.clear();
}

void disarm() { st().at = 0; }
long calls() { return st().count; }
const std::vector<std::string>& call_names() { return st().names; }
bool fired() { return st().fired; }
long open_handles() { return static_cast<long>(st().handles.size()); }

}  // namespace faults
