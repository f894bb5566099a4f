// Requesters (open file, choose folder) and the message box, with the bracket
// that keeps the program's other windows disabled while a dialog is open.
#include "ui/requester.h"

#include "runtime/system_dll.h"
#include "runtime/win32.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
#include <commctrl.h>

#include <mutex>
#include <vector>

#include "text/path_parts.h"


namespace {

// Windows switched off by other_windows_disable and not yet switched on again.
// Program-wide; each entry remembers the thread that disabled it.
struct DisabledWindow {
    DWORD thread;
    HWND window;
};

std::mutex g_disabled_lock;
std::vector<DisabledWindow> g_disabled;

int g_selected_pattern = 0;   // nFilterIndex of the last successful requester

constexpr std::size_t kPathBuffer = 260;

BOOL CALLBACK disable_one(HWND window, LPARAM) {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (window == GetForegroundWindow()) return TRUE;
    EnableWindow(window, FALSE);
    std::lock_guard<std::mutex> lock(g_disabled_lock);
    g_disabled.push_back({GetCurrentThreadId(), window});
    return TRUE;
}

// Runs one dialog call inside the bracket.
template <class F>
auto bracketed(F&& dialog) {
    other_windows_disable();
    auto result = dialog();
    other_windows_enable();
    return result;
}

int CALLBACK folder_callback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

void requester_library_init() {
    InitCommonControls();
    // COM is made ready with the first dialog (tw::com_ready), so that ole32
    // is not loaded at every start.
}

intptr_t requester_owner() {
    HWND fg = GetForegroundWindow();
    if (!fg) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(fg, &pid);
    return pid == GetCurrentProcessId() ? reinterpret_cast<intptr_t>(fg) : 0;
}

void other_windows_disable() { EnumWindows(disable_one, 0); }

void other_windows_enable() {
    std::vector<HWND> mine;
    {
        std::lock_guard<std::mutex> lock(g_disabled_lock);
        DWORD self = GetCurrentThreadId();
        for (auto it = g_disabled.begin(); it != g_disabled.end();) {
            if (it->thread == self) {
                mine.push_back(it->window);
                it = g_disabled.erase(it);
            } else {
                ++it;
            }
        }
    }
    // A window destroyed while the dialog was open is skipped.
    for (HWND w : mine)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

std::string file_requester_open(tw::TextArg title, tw::TextArg initial_path, tw::TextArg pattern,
                                int pattern_position) {
    std::vector<char> result(kPathBuffer, '\0');

    // "desc|filter|desc|filter" becomes the double-zero-ended filter list.
    std::vector<char> filter(pattern.size() + 2, '\0');
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern.view()[i];
        filter[i] = c == '|' ? '\0' : c;
    }

    // Split the initial path at its last "\" (a leading one does not count)
    // into the folder to open and the proposed file name.
    std::string folder;
    const bool have_initial = !initial_path.empty();
    if (have_initial) {
        std::string_view path = initial_path.view();
        std::size_t cut = path.rfind('\\');
        std::string_view name = path;
        if (cut != std::string_view::npos && cut > 0) {
            folder.assign(path.substr(0, cut));
            name = path.substr(cut + 1);
        }
        // A name that does not fit the buffer can never be a valid proposal.
        if (name.size() < kPathBuffer && file_name_valid(name))
            name.copy(result.data(), name.size());
    }

    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = reinterpret_cast<HWND>(requester_owner());
    ofn.lpstrFilter = filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(pattern_position + 1);
    ofn.lpstrFile = result.data();
    ofn.nMaxFile = static_cast<DWORD>(kPathBuffer);
    ofn.lpstrInitialDir = have_initial ? folder.c_str() : nullptr;
    std::string title_copy = title.str();
    ofn.lpstrTitle = title_copy.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;

    using OpenFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const auto open_file = tw::system_function<OpenFn>("comdlg32.dll", "GetOpenFileNameA");
    tw::com_ready();
    BOOL ok = open_file ? bracketed([&] { return open_file(&ofn); }) : FALSE;
    if (!ok) return std::string();
    g_selected_pattern = static_cast<int>(ofn.nFilterIndex);
    result.back() = '\0';
    return std::string(result.data());
}

int file_requester_selected_pattern() { return g_selected_pattern; }

std::string folder_requester_open(tw::TextArg title, tw::TextArg initial_folder) {
    tw::com_ready();
    HMODULE shell = tw::load_module("SHELL32.DLL");
    if (!shell) return std::string();
    using BrowseFn = LPITEMIDLIST(WINAPI*)(LPBROWSEINFOA);
    using PathFn = BOOL(WINAPI*)(LPCITEMIDLIST, LPSTR);
    auto browse = reinterpret_cast<BrowseFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHBrowseForFolder")));
    auto get_path = reinterpret_cast<PathFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetPathFromIDList")));
    if (!browse)
        browse = reinterpret_cast<BrowseFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHBrowseForFolderA")));
    if (!get_path)
        get_path = reinterpret_cast<PathFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetPathFromIDListA")));
    if (!browse || !get_path) {
        tw::free_module(shell);
        return std::string();
    }

    // The folder to open on: a drive root keeps its separator, a deeper
    // folder loses the trailing one.
    char start[kPathBuffer] = {};
    initial_folder.view().substr(0, kPathBuffer - 1).copy(start, kPathBuffer - 1);
    std::size_t len = std::char_traits<char>::length(start);
    if (len > 3 && start[len - 1] == '\\') start[len - 1] = '\0';

    std::string title_copy = title.str();
    BROWSEINFOA info{};
    info.hwndOwner = reinterpret_cast<HWND>(requester_owner());
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title_copy.c_str();
    info.ulFlags = BIF_NEWDIALOGSTYLE;
    info.lpfn = folder_callback;
    info.lParam = start[0] ? reinterpret_cast<LPARAM>(start) : 0;

    LPITEMIDLIST chosen = tw::counted(tw::Resource::ItemList, bracketed([&] { return browse(&info); }));
    std::string path;
    if (chosen) {
        char buffer[kPathBuffer] = {};
        if (get_path(chosen, buffer)) path = buffer;
        tw::com_free(chosen);
        tw::resource_released(tw::Resource::ItemList);
        // An item without a file-system path counts as nothing chosen.
        if (!path.empty() && path.back() != '\\') path += '\\';
    }
    tw::free_module(shell);
    return path;
}

int message_box_show(tw::TextArg title, tw::TextArg text, int type) {
    HWND owner = reinterpret_cast<HWND>(requester_owner());
    std::string t = title.str(), body = text.str();
    return bracketed([&] { return MessageBoxA(owner, body.c_str(), t.c_str(), static_cast<UINT>(type)); });
}
