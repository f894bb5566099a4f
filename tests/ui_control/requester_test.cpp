// The requesters and the message box answered by a helper thread that finds
// the dialog, looks at it, types and presses its buttons, while the program's
// other windows must stay disabled exactly as long as the dialog is open.
#include "runtime/resource_count.h"
#include "harness.h"
#include "tests/common/dialog_ids.h"
#include "tests/common/folders.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <commctrl.h>

namespace {

// ---------------------------------------------------------------------------
// Finding and driving dialogs from the helper thread.

struct Search {
    std::string title;       // caption, or text of a static inside
    bool by_static = false;
    HWND found = nullptr;
};

BOOL CALLBACK match_static(HWND child, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (s->title == text) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK match_dialog(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
    if (s->by_static) {
        Search inner{s->title};
        EnumChildWindows(w, match_static, reinterpret_cast<LPARAM>(&inner));
        if (!inner.found) return TRUE;
    } else {
        char text[256] = {};
        GetWindowTextA(w, text, sizeof text);
        if (s->title != text) return TRUE;
    }
    s->found = w;
    return FALSE;
}

HWND wait_for_dialog(const std::string& title, bool by_static) {
    for (int i = 0; i < 1500; ++i) {
        Search s{title, by_static};
        EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(10);
    }
    return nullptr;
}

struct FindChild {
    const char* cls;
    HWND found = nullptr;
};

BOOL CALLBACK match_class(HWND child, LPARAM lp) {
    auto* f = reinterpret_cast<FindChild*>(lp);
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) == f->cls) {
        f->found = child;
        return FALSE;
    }
    return TRUE;
}

// The edit field of the file-name box (a combo box, on some systems inside a
// ComboBoxEx32).
HWND file_name_edit(HWND dialog) {
    HWND box = GetDlgItem(dialog, dialog_ids::kFileNameBox);
    if (!box) return nullptr;
    FindChild f{"Edit"};
    EnumChildWindows(box, match_class, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::string text_of(HWND w) {
    char text[512] = {};
    if (w) SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Waits until the folder tree's selected item names `part` (the dialog
// selects the initial folder during its start-up).
bool wait_for_tree_selection(HWND dialog, const std::string& part) {
    FindChild f{"SysTreeView32"};
    EnumChildWindows(dialog, match_class, reinterpret_cast<LPARAM>(&f));
    for (int i = 0; f.found && i < 500; ++i) {
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(f.found, TVM_GETNEXTITEM, TVGN_CARET, 0));
        char text[260] = {};
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof text;
        if (item && SendMessageA(f.found, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) &&
            std::string(text).find(part) != std::string::npos)
            return true;
        Sleep(10);
    }
    return false;
}

// Runs `answer` on a helper thread once the dialog shows; if it never shows,
// the helper gives up and closes whatever dialog is left.
class Answerer {
public:
    Answerer(std::string title, bool by_static, std::function<void(HWND)> answer)
        : thread_([=, this] {
              HWND dialog = wait_for_dialog(title, by_static);
              found_ = dialog != nullptr;
              if (dialog) answer(dialog);
          }) {}
    ~Answerer() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool found() const { return found_; }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;
};

// Three windows of this thread: the foreground one (the owner), another
// enabled one, and one that was disabled beforehand.
class Requesters : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = reinterpret_cast<HWND>(window_open(10, 0, 0, 200, 100, "Haupt", WINDOW_STYLE_SIZABLE));
        other_ = reinterpret_cast<HWND>(window_open(11, 220, 0, 200, 100, "Neben", WINDOW_STYLE_SIZABLE));
        off_ = reinterpret_cast<HWND>(window_open(12, 440, 0, 200, 100, "Aus", WINDOW_STYLE_SIZABLE));
        ASSERT_TRUE(owner_ && other_ && off_);
        EnableWindow(off_, FALSE);
        SetForegroundWindow(owner_);
        drain();
        ASSERT_EQ(GetForegroundWindow(), owner_) << "the test needs a foreground window of its own";
    }
    void TearDown() override {
        for (intptr_t n : {10, 11, 12}) window_close(n);
        drain();
        // Whatever way the dialog ended, the shell library and the chosen
        // item list were given back (Wine keeps no count of them).
        EXPECT_EQ(tw::resources_held(tw::Resource::Module), modules_);
        EXPECT_EQ(tw::resources_held(tw::Resource::ItemList), item_lists_);
        EXPECT_EQ(tw::resources_held(tw::Resource::DeviceContext), dcs_);
    }
    long modules_ = tw::resources_held(tw::Resource::Module);
    long item_lists_ = tw::resources_held(tw::Resource::ItemList);
    long dcs_ = tw::resources_held(tw::Resource::DeviceContext);
    // Called on the helper thread while the dialog is open.
    void note_while_open(HWND dialog) {
        owner_seen_ = GetWindow(dialog, GW_OWNER);
        enabled_while_open_ = std::string(IsWindowEnabled(owner_) ? "1" : "0") + (IsWindowEnabled(other_) ? "1" : "0") +
                              (IsWindowEnabled(off_) ? "1" : "0");
    }
    void expect_bracket() {
        EXPECT_EQ(owner_seen_, owner_);
        EXPECT_EQ(enabled_while_open_, "000") << "owner, other, already disabled";
        std::string after = std::string(IsWindowEnabled(owner_) ? "1" : "0") + (IsWindowEnabled(other_) ? "1" : "0") +
                            (IsWindowEnabled(off_) ? "1" : "0");
        EXPECT_EQ(after, "110");
    }
    HWND owner_ = nullptr, other_ = nullptr, off_ = nullptr;
    HWND owner_seen_ = nullptr;
    std::string enabled_while_open_ = "not seen";
};

std::string temp_folder(const char* name) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

TEST_F(Requesters, MessageBoxIsOwnedAndDisablesTheOtherWindowsWhileOpen) {
    std::string shown;
    Answerer helper("Achtung", false, [&](HWND dialog) {
        note_while_open(dialog);
        shown = text_of(GetDlgItem(dialog, dialog_ids::kMessageText));
        press(dialog, IDOK);
    });
    int result = message_box_show("Achtung", "Fehler Palette !!", MB_OK);
    helper.join();
    ASSERT_TRUE(helper.found());
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, "Fehler Palette !!");
    expect_bracket();
}

TEST_F(Requesters, FileRequesterProposesTheFolderAndReturnsTheChosenPath) {
    std::string folder = temp_folder("tw_req");
    std::string file = folder + "\\Pistova.exe";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    char cwd_before[MAX_PATH] = {}, cwd_after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof cwd_before, cwd_before);

    std::string proposed = "not seen", filters;
    Answerer helper("Wo ist Pistova.exe", false, [&](HWND dialog) {
        note_while_open(dialog);
        HWND edit = file_name_edit(dialog);
        proposed = text_of(edit);
        HWND types = GetDlgItem(dialog, dialog_ids::kFileTypes);
        int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[128] = {};
            SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            filters += std::string(filters.empty() ? "" : "|") + text;
        }
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
        press(dialog, IDOK);
    });
    std::string chosen = file_requester_open("Wo ist Pistova.exe", folder + "\\", "exe|Pistova.exe", 0);
    helper.join();
    ASSERT_TRUE(helper.found());
    EXPECT_EQ(proposed, "");
    EXPECT_EQ(filters, "exe");
    EXPECT_EQ(_stricmp(chosen.c_str(), file.c_str()), 0) << chosen;
    EXPECT_EQ(file_requester_selected_pattern(), 1);
    GetCurrentDirectoryA(sizeof cwd_after, cwd_after);
    EXPECT_STREQ(cwd_after, cwd_before);
    expect_bracket();
}

TEST_F(Requesters, FileRequesterNameProposalAndCancel) {
    std::string folder = temp_folder("tw_req");
    // First a successful requester on the first pattern, which the cancelled
    // ones below (on the second) must keep, whichever test ran before.
    {
        std::string file = folder + "\\qz.ini";
        CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        Answerer helper("Wo ist qz.ini", false, [&](HWND dialog) {
            SendMessageA(file_name_edit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
            press(dialog, IDOK);
        });
        std::string chosen = file_requester_open("Wo ist qz.ini", folder + "\\", "ini|qz.ini|alle|*.*", 0);
        helper.join();
        ASSERT_TRUE(helper.found());
        ASSERT_EQ(_stricmp(chosen.c_str(), file.c_str()), 0) << chosen;
        ASSERT_EQ(file_requester_selected_pattern(), 1);
    }
    struct Case {
        std::string initial, proposed;
    };
    for (const Case& c : {Case{folder + "\\qz.ini", "qz.ini"}, Case{folder + "\\*.ini", ""}, Case{"qz.ini", "qz.ini"}}) {
        std::string proposed = "not seen";
        Answerer helper("Wo ist qz.ini", false, [&](HWND dialog) {
            proposed = text_of(file_name_edit(dialog));
            press(dialog, IDCANCEL);
        });
        std::string chosen = file_requester_open("Wo ist qz.ini", c.initial, "ini|qz.ini|alle|*.*", 1);
        helper.join();
        ASSERT_TRUE(helper.found()) << c.initial;
        EXPECT_EQ(chosen, "") << c.initial;
        EXPECT_EQ(proposed, c.proposed) << c.initial;
    }
    // A cancelled requester keeps the pattern of the last successful one.
    EXPECT_EQ(file_requester_selected_pattern(), 1);
}

TEST_F(Requesters, FolderRequesterOpensOnTheFolderAndAddsOneSeparator) {
    std::string folder = temp_folder("tw_fold");
    tw_test::settle_access_times(folder);
    const char* title = "Verzeichniss mit Paletten suchen";
    for (const std::string& initial : {folder + "\\", folder}) {
        bool selected = false;
        Answerer helper(title, true, [&](HWND dialog) {
            note_while_open(dialog);
            selected = wait_for_tree_selection(dialog, "tw_fold");
            press(dialog, IDOK);
        });
        std::string chosen = folder_requester_open(title, initial);
        helper.join();
        ASSERT_TRUE(helper.found());
        EXPECT_TRUE(selected) << "the dialog did not open on " << initial;
        EXPECT_EQ(_stricmp(chosen.c_str(), (folder + "\\").c_str()), 0) << "from " << initial << ": " << chosen;
        expect_bracket();
    }

    Answerer root(title, true, [&](HWND dialog) {
        wait_for_tree_selection(dialog, "C:");
        press(dialog, IDOK);
    });
    EXPECT_EQ(folder_requester_open(title, "C:\\"), "C:\\");
    root.join();

    Answerer cancel(title, true, [&](HWND dialog) { press(dialog, IDCANCEL); });
    EXPECT_EQ(folder_requester_open(title, folder), "");
    cancel.join();
    EXPECT_TRUE(IsWindowEnabled(other_));
}

TEST(RequesterBracket, ReenablesOnlyTheCallingThreadsWindows) {
    HWND mine = reinterpret_cast<HWND>(window_open(13, 0, 0, 100, 50, "mine", WINDOW_STYLE_SIZABLE));
    HWND fg = reinterpret_cast<HWND>(window_open(14, 0, 100, 100, 50, "front", WINDOW_STYLE_SIZABLE));
    SetForegroundWindow(fg);
    drain();
    other_windows_disable();
    EXPECT_FALSE(IsWindowEnabled(mine));
    EXPECT_TRUE(IsWindowEnabled(fg));
    // Another thread's bracket does not touch this thread's entries.
    std::thread([] { other_windows_enable(); }).join();
    EXPECT_FALSE(IsWindowEnabled(mine));
    other_windows_enable();
    EXPECT_TRUE(IsWindowEnabled(mine));
    // A second enable has nothing left to do.
    EnableWindow(mine, FALSE);
    other_windows_enable();
    EXPECT_FALSE(IsWindowEnabled(mine));
    window_close(13);
    window_close(14);
    drain();
}

}  // namespace
