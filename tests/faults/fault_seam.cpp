#include "tests/faults/fault_seam.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "text/text.h"
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
    std::vector<std::string> files;  // names_used
    std::string held;                // the scanner's file, and its handle
    HANDLE holder = INVALID_HANDLE_VALUE;
    long save_at = 0;                // the game's save, when it began, and its handle
    long save_began = 0;
    std::string save_path, save_content;
    HANDLE saver = INVALID_HANDLE_VALUE;
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

// The scanner opens its file when it is there and not held yet.
void scan(std::initializer_list<LPCSTR> files) {
    State& s = st();
    for (LPCSTR f : files) {
        if (!f || s.holder != INVALID_HANDLE_VALUE || s.held.empty() || text_lower(f) != s.held) continue;
        s.holder = real().CreateFileA(f, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
}

// The game's save: begun at its call (or, while its open is refused, at the
// next one: the game tries again), ended at the call after.
void game_acts() {
    State& s = st();
    if (s.save_at == 0 || s.count < s.save_at) return;
    if (s.save_began == 0) {
        s.saver = real().CreateFileA(s.save_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        if (s.saver == INVALID_HANDLE_VALUE) return;
        s.save_began = s.count;
        real().WriteFile(s.saver, s.save_content.data(), static_cast<DWORD>(s.save_content.size() / 2), &done, nullptr);
    } else if (s.count > s.save_began && s.saver != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        const std::size_t half = s.save_content.size() / 2;
        real().WriteFile(s.saver, s.save_content.data() + half, static_cast<DWORD>(s.save_content.size() - half), &done,
                         nullptr);
        real().CloseHandle(s.saver);
        s.saver = INVALID_HANDLE_VALUE;
    }
}

// Counts the call; true when this one is to fail (it has then failed: for an
// ending fault the process is gone). A short write and the replace's own
// failures are their calls' affair. `files` are the names it is given.
bool fails_now(const char* name, std::initializer_list<LPCSTR> files = {}) {
    State& s = st();
    s.names.emplace_back(name);
    ++s.count;
    for (LPCSTR f : files)
        if (f && !std::strchr(f, '*') && std::find(s.files.begin(), s.files.end(), text_lower(f)) == s.files.end())
            s.files.push_back(text_lower(f));
    scan(files);
    game_acts();
    if (s.sticky && s.fired && s.count > s.at && std::string(name) == "WriteFile") {
        SetLastError(ERROR_DISK_FULL);
        return true;
    }
    if (s.count != s.at) return false;
    s.fired = true;
    if (s.kind == Kind::EndProcess) TerminateProcess(GetCurrentProcess(), kEndedExitCode);
    if (s.kind == Kind::EndBetweenMoves && std::string(name) != "ReplaceFileA") return false;
    if (!applies(s.kind, name)) return false;
    SetLastError(error_of(s.kind));
    return true;
}

HANDLE WINAPI create_file(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    if (fails_now("CreateFileA", {a})) return INVALID_HANDLE_VALUE;
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
BOOL WINAPI move_file(LPCSTR a, LPCSTR b, DWORD f) {
    if (fails_now("MoveFileExA", {a, b})) return FALSE;
    const BOOL moved = real().MoveFileExA(a, b, f);
    scan({b});  // a scanner looks at a file as soon as it appears
    return moved;
}
// The replace's documented failures, with what they leave on disk.
BOOL WINAPI replace_file(LPCSTR a, LPCSTR b, LPCSTR c, DWORD f, LPVOID x, LPVOID y) {
    if (!fails_now("ReplaceFileA", {a, b, c})) return real().ReplaceFileA(a, b, c, f, x, y);
    switch (st().kind) {
    case Kind::EndBetweenMoves:
        real().MoveFileExA(a, c, MOVEFILE_REPLACE_EXISTING);
        TerminateProcess(GetCurrentProcess(), kEndedExitCode);
        break;
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
BOOL WINAPI copy_file(LPCSTR a, LPCSTR b, BOOL f) {
    return fails_now("CopyFileA", {a, b}) ? FALSE : real().CopyFileA(a, b, f);
}
BOOL WINAPI delete_file(LPCSTR a) { return fails_now("DeleteFileA", {a}) ? FALSE : real().DeleteFileA(a); }
DWORD WINAPI get_attributes(LPCSTR a) {
    return fails_now("GetFileAttributesA", {a}) ? INVALID_FILE_ATTRIBUTES : real().GetFileAttributesA(a);
}
BOOL WINAPI set_attributes(LPCSTR a, DWORD v) {
    return fails_now("SetFileAttributesA", {a}) ? FALSE : real().SetFileAttributesA(a, v);
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
    case Kind::EndBetweenMoves: return "power lost between the replace's two moves";
    }
    return "?";
}

bool applies(Kind kind, const std::string& call) {
    switch (kind) {
    case Kind::ShortWrite: return call == "WriteFile";
    case Kind::ReplaceUnmoved:
    case Kind::ReplaceUnmoved2:
    case Kind::ReplacedNotRemoved:
    case Kind::EndBetweenMoves: return call == "ReplaceFileA";
    default: return true;
    }
}

void install() {
    tw::file_calls() = tw::FileCalls{create_file,    read_file,   write_file,   set_file_pointer, set_end_of_file,
                                     flush_file_buffers, get_file_size, close_handle, move_file,  replace_file,
                                     copy_file,      delete_file, get_attributes, set_attributes, find_first,
                                     find_next,      find_close,  current_directory, full_path};
    // A crash child says that its program is running (see kStartedEvent).
    char event[64] = {};
    if (GetEnvironmentVariableA(kStartedEvent, event, sizeof event))
        if (HANDLE h = OpenEventA(EVENT_MODIFY_STATE, FALSE, event)) SetEvent(h), CloseHandle(h);
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
    s.files.clear();
}

void disarm() {
    st().at = 0;
    st().sticky = false;
}
long calls() { return st().count; }
const std::vector<std::string>& call_names() { return st().names; }
bool fired() { return st().fired; }
long open_handles() { return static_cast<long>(st().handles.size()); }
const std::vector<std::string>& names_used() { return st().files; }

void hold(const std::string& name) {
    release();
    st().held = text_lower(name);
}

void game_saves(long at, const std::string& path, const std::string& content) {
    release();
    State& s = st();
    s.save_at = at;
    s.save_began = 0;
    s.save_path = path;
    s.save_content = content;
}

void release() {
    State& s = st();
    for (int i = 0; i < 2; ++i) {  // the game's save ends, whatever came after its start
        ++s.count;
        game_acts();
    }
    if (s.holder != INVALID_HANDLE_VALUE) real().CloseHandle(s.holder);
    if (s.saver != INVALID_HANDLE_VALUE) real().CloseHandle(s.saver);
    s.holder = s.saver = INVALID_HANDLE_VALUE;
    s.held.clear();
    s.save_at = 0;
}

}  // namespace faults
