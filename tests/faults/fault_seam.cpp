#include "tests/faults/fault_seam.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <span>
#include <type_traits>

#include "runtime/platform_calls.h"
#include "text/text.h"

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

using tw::PlatformCall;

const tw::PlatformCalls& real() { return tw::system_platform_calls(); }

DWORD error_of(Kind kind) {
    switch (kind) {
    case Kind::SharingViolation: return ERROR_SHARING_VIOLATION;
    case Kind::AccessDenied: return ERROR_ACCESS_DENIED;
    default: return ERROR_DISK_FULL;
    }
}

// The scanner opens its file when it is there and not held yet.
void scan(std::span<const LPCSTR> files) {
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
bool fails_now(PlatformCall call, std::span<const LPCSTR> files = {}) {
    State& s = st();
    s.names.emplace_back(tw::platform_call_name(call));
    ++s.count;
    for (LPCSTR f : files)
        if (f && !std::strchr(f, '*') && std::find(s.files.begin(), s.files.end(), text_lower(f)) == s.files.end())
            s.files.push_back(text_lower(f));
    scan(files);
    game_acts();
    if (s.sticky && s.fired && s.count > s.at && call == PlatformCall::WriteFile) {
        SetLastError(ERROR_DISK_FULL);
        return true;
    }
    if (s.count != s.at) return false;
    s.fired = true;
    if (s.kind == Kind::EndProcess) TerminateProcess(GetCurrentProcess(), kEndedExitCode);
    if (s.kind == Kind::EndBetweenMoves && call != PlatformCall::ReplaceFileA) return false;
    if (!applies(s.kind, tw::platform_call_name(call))) return false;
    SetLastError(error_of(s.kind));
    return true;
}

// The file name among a call's arguments, or null.
template <class T>
LPCSTR file_name(T) {
    return nullptr;
}
LPCSTR file_name(LPCSTR name) { return name; }

// Every file call: counted, and failing when its turn has come with what the
// platform returns on a failure; a handle it hands out is kept count of. The
// names a call is given are its LPCSTR arguments (not a search's pattern, nor
// the name a full path is made of).
template <PlatformCall C, class R, class... A>
R WINAPI counted(A... a) {
    constexpr bool named = C != PlatformCall::FindFirstFileA && C != PlatformCall::GetFullPathNameA;
    const LPCSTR files[] = {(named ? file_name(a) : nullptr)...};
    if (fails_now(C, files)) return tw::PlatformCallEntry<C>::failure();
    const R result = (real().*tw::PlatformCallEntry<C>::field)(a...);
    if constexpr (std::is_same_v<R, HANDLE>) {
        if (result != INVALID_HANDLE_VALUE) st().handles.insert(result);
    }
    return result;
}

// The calls whose failure does more than fail.
template <>
BOOL WINAPI counted<PlatformCall::WriteFile>(HANDLE h, LPCVOID p, DWORD n, LPDWORD done, LPOVERLAPPED o) {
    const bool short_write = st().kind == Kind::ShortWrite && st().count + 1 == st().at;
    if (fails_now(PlatformCall::WriteFile)) {
        if (!short_write) return FALSE;
        // Half of it, reported as such: what a disk filling up in the middle does.
        return real().WriteFile(h, p, n / 2, done, o);
    }
    return real().WriteFile(h, p, n, done, o);
}
// A failed close still gives the handle up, as the platform does.
BOOL close_counted(PlatformCall call, HANDLE h, BOOL(WINAPI* close)(HANDLE)) {
    const bool fail = fails_now(call);
    st().handles.erase(h);
    const BOOL closed = close(h);
    if (fail) {
        SetLastError(error_of(st().kind));
        return FALSE;
    }
    return closed;
}
template <>
BOOL WINAPI counted<PlatformCall::CloseHandle>(HANDLE h) {
    return close_counted(PlatformCall::CloseHandle, h, real().CloseHandle);
}
template <>
BOOL WINAPI counted<PlatformCall::FindClose>(HANDLE h) {
    return close_counted(PlatformCall::FindClose, h, real().FindClose);
}
template <>
BOOL WINAPI counted<PlatformCall::MoveFileExA>(LPCSTR a, LPCSTR b, DWORD f) {
    const LPCSTR files[] = {a, b};
    if (fails_now(PlatformCall::MoveFileExA, files)) return FALSE;
    const BOOL moved = real().MoveFileExA(a, b, f);
    scan({&b, 1});  // a scanner looks at a file as soon as it appears
    return moved;
}
// The replace's documented failures, with what they leave on disk.
template <>
BOOL WINAPI counted<PlatformCall::ReplaceFileA>(LPCSTR a, LPCSTR b, LPCSTR c, DWORD f, LPVOID x, LPVOID y) {
    const LPCSTR files[] = {a, b, c};
    if (!fails_now(PlatformCall::ReplaceFileA, files)) return real().ReplaceFileA(a, b, c, f, x, y);
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
#define TW_COUNTED(name, ...) tw::platform_calls().name = counted<PlatformCall::name>;
    TW_FILE_CALLS(TW_COUNTED)
#undef TW_COUNTED
    // A crash child says that its program is running (see kStartedEvent).
    char event[64] = {};
    if (GetEnvironmentVariableA(kStartedEvent, event, sizeof event))
        if (HANDLE h = OpenEventA(EVENT_MODIFY_STATE, FALSE, event)) SetEvent(h), CloseHandle(h);
}

void remove() {
#define TW_RESET(name, ...) tw::platform_call_reset(PlatformCall::name);
    TW_FILE_CALLS(TW_RESET)
#undef TW_RESET
}

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
