// Starting programs: CreateProcessA first, the shell's open as the fallback;
// optional pipes to the child's standard streams, kept in process objects.
#include "launch/launch.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "files/handle_io.h"
#include "launch/portable/command_line.h"
#include "launch/portable/launch_plan.h"
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

// One of a process object's handles, taken under the lock and used outside it
// (a read or wait may block); null for a process not (or no longer) known.
HANDLE handle_of(intptr_t number, HANDLE ProcessObject::*which) {
    Locked guard;
    ProcessObject* obj = find_locked(number);
    return obj ? obj->*which : nullptr;
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

std::string read_all(HANDLE h) {
    std::string out;
    if (!h) return out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
    return out;
}

static_assert(tw::kNormalPriorityClass == NORMAL_PRIORITY_CLASS && tw::kDetachedProcess == DETACHED_PROCESS);
static_assert(tw::kShowHidden == SW_HIDE && tw::kShowNormal == SW_SHOWNORMAL);

// The child's ends of the pipes to its standard streams.
struct ChildEnds {
    HANDLE in = nullptr, out = nullptr, err = nullptr;

    void close() {
        close_handle(in);
        close_handle(out);
        close_handle(err);
    }
};

// The pipes the plan asks for, and the sender's output pipe as standard
// input; false, with nothing of the child's left open, when one is missing.
bool make_child_ends(const tw::LaunchPlan& plan, intptr_t sender, ProcessObject& obj, ChildEnds& ends) {
    if (plan.from_sender) {
        Locked guard;
        ProcessObject* source = find_locked(sender);
        if (!source || !source->output ||
            !DuplicateHandle(GetCurrentProcess(), source->output, GetCurrentProcess(), &ends.in, 0, TRUE,
                             DUPLICATE_SAME_ACCESS)) {
            return false;
        }
    }
    bool pipes_ok = true;
    if (plan.pipe_in) pipes_ok = pipes_ok && make_pipe(ends.in, obj.input, true);
    if (plan.pipe_out) pipes_ok = pipes_ok && make_pipe(ends.out, obj.output, false);
    if (plan.pipe_err) pipes_ok = pipes_ok && make_pipe(ends.err, obj.error, false);
    if (!pipes_ok) ends.close();
    return pipes_ok;
}

// Starts the program itself; the child's ends are closed once it has them
// (or it failed to start).
bool create_process(tw::LaunchPlan& plan, const std::string& work, ChildEnds& ends, ProcessObject& obj) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(plan.show);
    if (plan.redirect) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdInput = ends.in ? ends.in : GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = ends.out ? ends.out : GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = ends.err ? ends.err : GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    BOOL started = tw::platform_calls().CreateProcessA(nullptr, plan.command.data(), nullptr, nullptr,
                                                       plan.redirect ? TRUE : FALSE, plan.creation, nullptr,
                                                       work.empty() ? nullptr : work.c_str(), &si, &pi);
    ends.close();
    if (!started) return false;
    CloseHandle(pi.hThread);
    obj.process = pi.hProcess;
    obj.id = pi.dwProcessId;
    return true;
}

// Opens the program (or document) through the shell, in the folder given or
// else the program's own.
bool shell_open(const tw::LaunchPlan& plan, tw::TextArg program, tw::TextArg parameters, const std::string& folder,
                ProcessObject& obj) {
    const std::string work = tw::shell_folder(program.view(), folder);
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
    sei.nShow = plan.show;
    using ShellExecuteFn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    static const auto shell_execute = tw::system_function<ShellExecuteFn>("shell32.dll", "ShellExecuteExA");
    tw::com_ready();
    if (!shell_execute || !shell_execute(&sei) || reinterpret_cast<INT_PTR>(sei.hInstApp) <= 32) {
        if (sei.hProcess) CloseHandle(sei.hProcess);
        return false;
    }
    obj.process = sei.hProcess;  // may be empty when no new process was made
    obj.id = -1;
    return true;
}

}  // namespace

void launch_library_init() { processes(); }

void launch_free_all() {
    Locked guard;
    processes().objects.clear();
}

intptr_t run_program(tw::TextArg program, tw::TextArg parameters, tw::TextArg folder, uint32_t flags,
                     intptr_t sender) {
    std::optional<tw::LaunchPlan> plan = tw::launch_plan(program.view(), parameters.view(), folder.view(), flags);
    if (!plan) return 0;
    const std::string work = folder.str();
    auto obj = std::make_unique<ProcessObject>();
    ChildEnds ends;
    if (!make_child_ends(*plan, sender, *obj, ends)) return 0;
    if (!create_process(*plan, work, ends, *obj)) {
        if (!plan->shell_allowed) return 0;  // obj closes the runtime's pipe ends
        if (!shell_open(*plan, program, parameters, work, *obj)) return 0;
    }
    if (plan->wait && obj->process) WaitForSingleObject(obj->process, INFINITE);
    if (plan->keep_object) return keep(std::move(obj));
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

std::string process_read_output(intptr_t process) { return read_all(handle_of(process, &ProcessObject::output)); }

std::string process_read_error(intptr_t process) { return read_all(handle_of(process, &ProcessObject::error)); }

int process_wait(intptr_t process, int64_t milliseconds) {
    HANDLE h = handle_of(process, &ProcessObject::process);
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
