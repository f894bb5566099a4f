// Starting programs: CreateProcessA first, the shell's open as the fallback;
// optional pipes to the child's standard streams, kept in process objects.
#include "files/launch.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "files/portable/path_parts.h"
#include "files/win/file_calls.h"
#include "runtime/system_dll.h"
#include "runtime/win32.h"

#include <shellapi.h>

namespace {

struct ProcessObject {
    HANDLE process = nullptr;
    int64_t id = -1;  // -1 when started through the shell
    HANDLE input = nullptr;   // our end of the child's standard input
    HANDLE output = nullptr;  // our end of the child's standard output
    HANDLE error = nullptr;   // our end of the child's standard error

    ~ProcessObject() {
        for (HANDLE* h : {&process, &input, &output, &error})
            if (*h) CloseHandle(*h);
    }
};

struct ProcessList {
    CRITICAL_SECTION lock;
    std::vector<std::unique_ptr<ProcessObject>> objects;

    ProcessList() { InitializeCriticalSection(&lock); }
    ~ProcessList() {
        objects.clear();
        DeleteCriticalSection(&lock);
    }
};

ProcessList& processes() {
    static ProcessList list;
    return list;
}

class Locked {
public:
    Locked() { EnterCriticalSection(&processes().lock); }
    ~Locked() { LeaveCriticalSection(&processes().lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// Looks a process object up; call with the lock held.
ProcessObject* find_locked(intptr_t number) {
    for (auto& obj : processes().objects)
        if (reinterpret_cast<intptr_t>(obj.get()) == number) return obj.get();
    return nullptr;
}

intptr_t keep(std::unique_ptr<ProcessObject> obj) {
    Locked guard;
    auto number = reinterpret_cast<intptr_t>(obj.get());
    processes().objects.push_back(std::move(obj));
    return number;
}

void close_handle(HANDLE& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}

// An anonymous pipe whose child end is inheritable and whose runtime end is not.
bool make_pipe(HANDLE& child_end, HANDLE& our_end, bool child_reads) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) return false;
    child_end = child_reads ? read_end : write_end;
    our_end = child_reads ? write_end : read_end;
    SetHandleInformation(our_end, HANDLE_FLAG_INHERIT, 0);
    return true;
}

bool has_zero(tw::TextArg text) { return text.view().find('\0') != std::string_view::npos; }

std::string read_all(HANDLE h) {
    std::string out;
    if (!h) return out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
    return out;
}

}  // namespace

void launch_library_init() { processes(); }

void launch_free_all() {
    Locked guard;
    processes().objects.clear();
}

intptr_t run_program(tw::TextArg program, tw::TextArg parameters, tw::TextArg folder, uint32_t flags,
                     intptr_t sender) {
    // Nothing to start; a zero byte inside a text would start something else.
    if (program.empty() || has_zero(program) || has_zero(parameters) || has_zero(folder)) return 0;

    const bool keep_object = flags & RUN_OBJECT;
    const bool hidden = flags & RUN_HIDDEN;
    const bool pipe_out = keep_object && (flags & RUN_READ_OUTPUT);
    const bool pipe_err = keep_object && (flags & RUN_READ_ERROR);
    const bool from_sender = flags & RUN_FROM_SENDER;
    const bool pipe_in = keep_object && (flags & RUN_WRITE_INPUT) && !from_sender;
    const bool redirect = pipe_out || pipe_err || pipe_in || from_sender;
    const bool shell_allowed =
        !(flags & (RUN_READ_OUTPUT | RUN_WRITE_INPUT | RUN_READ_ERROR | RUN_FROM_SENDER));

    std::string command = tw::program_command_line(program.view(), parameters.view());
    std::string work = folder.str();

    auto obj = std::make_unique<ProcessObject>();
    HANDLE child_in = nullptr, child_out = nullptr, child_err = nullptr;
    auto close_child_ends = [&] {
        close_handle(child_in);
        close_handle(child_out);
        close_handle(child_err);
    };

    if (from_sender) {
        Locked guard;
        ProcessObject* source = find_locked(sender);
        if (!source || !source->output ||
            !DuplicateHandle(GetCurrentProcess(), source->output, GetCurrentProcess(), &child_in, 0, TRUE,
                             DUPLICATE_SAME_ACCESS)) {
            return 0;
        }
    }
    bool pipes_ok = true;
    if (pipe_in) pipes_ok = pipes_ok && make_pipe(child_in, obj->input, true);
    if (pipe_out) pipes_ok = pipes_ok && make_pipe(child_out, obj->output, false);
    if (pipe_err) pipes_ok = pipes_ok && make_pipe(child_err, obj->error, false);
    if (!pipes_ok) {
        close_child_ends();
        return 0;
    }

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    DWORD creation = NORMAL_PRIORITY_CLASS;
    if (hidden) creation |= DETACHED_PROCESS;
    if (redirect) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = child_in ? child_in : GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = child_out ? child_out : GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = child_err ? child_err : GetStdHandle(STD_ERROR_HANDLE);
        creation &= ~static_cast<DWORD>(DETACHED_PROCESS);
    }

    PROCESS_INFORMATION pi{};
    BOOL started = tw::platform_calls().CreateProcessA(nullptr, command.data(), nullptr, nullptr,
                                                       redirect ? TRUE : FALSE, creation, nullptr,
                                                       work.empty() ? nullptr : work.c_str(), &si, &pi);
    close_child_ends();
    if (started) {
        CloseHandle(pi.hThread);
        obj->process = pi.hProcess;
        obj->id = pi.dwProcessId;
    } else {
        if (!shell_allowed) return 0;  // obj closes the runtime's pipe ends
        if (work.empty()) {
            std::string_view path = program.view();
            if (path.front() == '"') path.remove_prefix(1);
            work = tw::program_folder(path);
        }
        SHELLEXECUTEINFOA sei{};
        sei.cbSize = sizeof sei;
        // No error dialogs: a failure is reported through the result only.
        sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = nullptr;  // the default verb
        std::string file = program.str();
        std::string params = parameters.str();
        sei.lpFile = file.c_str();
        sei.lpParameters = params.empty() ? nullptr : params.c_str();
        sei.lpDirectory = work.empty() ? nullptr : work.c_str();
        sei.nShow = hidden ? SW_HIDE : SW_SHOWNORMAL;
        using ShellExecuteFn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
        static const auto shell_execute = tw::system_function<ShellExecuteFn>("shell32.dll", "ShellExecuteExA");
        tw::com_ready();
        if (!shell_execute || !shell_execute(&sei) || reinterpret_cast<INT_PTR>(sei.hInstApp) <= 32) {
            if (sei.hProcess) CloseHandle(sei.hProcess);
            return 0;
        }
        obj->process = sei.hProcess;  // may be empty when no new process was made
        obj->id = -1;
    }

    if ((flags & RUN_WAIT) && obj->process) WaitForSingleObject(obj->process, INFINITE);
    if (keep_object) return keep(std::move(obj));
    return 1;
}

void delay(uint32_t milliseconds) { Sleep(milliseconds); }

int64_t process_id(intptr_t process) {
    Locked guard;
    ProcessObject* obj = find_locked(process);
    return obj ? obj->id : 0;
}

int64_t process_write(intptr_t process, const void* data, std::size_t size) {
    HANDLE h = nullptr;
    {
        Locked guard;
        ProcessObject* obj = find_locked(process);
        if (!obj || !obj->input || (!data && size)) return 0;
        h = obj->input;
    }
    return static_cast<int64_t>(tw::write_all(h, data, size));
}

int process_close_input(intptr_t process) {
    Locked guard;
    ProcessObject* obj = find_locked(process);
    if (!obj || !obj->input) return 0;
    close_handle(obj->input);
    return 1;
}

std::string process_read_output(intptr_t process) {
    HANDLE h = nullptr;
    {
        Locked guard;
        ProcessObject* obj = find_locked(process);
        if (obj) h = obj->output;
    }
    return read_all(h);
}

std::string process_read_error(intptr_t process) {
    HANDLE h = nullptr;
    {
        Locked guard;
        ProcessObject* obj = find_locked(process);
        if (obj) h = obj->error;
    }
    return read_all(h);
}

int process_wait(intptr_t process, int64_t milliseconds) {
    HANDLE h = nullptr;
    {
        Locked guard;
        ProcessObject* obj = find_locked(process);
        if (obj) h = obj->process;
    }
    if (!h) return 0;
    DWORD limit = milliseconds < 0 ? INFINITE
                                   : static_cast<DWORD>(std::min<int64_t>(milliseconds, INFINITE - 1));
    return WaitForSingleObject(h, limit) == WAIT_OBJECT_0 ? 1 : 0;
}

int64_t process_exit_code(intptr_t process) {
    Locked guard;
    ProcessObject* obj = find_locked(process);
    if (!obj || !obj->process) return -1;
    DWORD code = 0;
    if (!GetExitCodeProcess(obj->process, &code) || code == STILL_ACTIVE) return -1;
    return code;
}

int process_free(intptr_t process) {
    Locked guard;
    auto& list = processes().objects;
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const auto& obj) { return reinterpret_cast<intptr_t>(obj.get()) == process; });
    if (it == list.end()) return 0;
    list.erase(it);
    return 1;
}
