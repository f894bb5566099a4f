// Every write path of the palette switcher, with the start before it, under
// injected faults: each call k failing in each way a real disk gives (see
// fault_seam.h), on fresh real files. The player is told exactly when the
// file did not get its new content (computed here from the fixture), no
// handle is left open, and after a second start every file is byte for byte
// old or new and nothing is left; a crash (also between the replace's two
// moves) is followed by one at every call of the next roll-forward. Then
// other programs at the same moment: a scanner holding each file name the
// path uses, and the game saving its file at each call (every file old, new,
// or new applied to the game's content). Again while the game holds the file
// (C runtime sharing). The count goes to fault_points.txt for scripts/test.
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "files/files.h"
#include "text/list.h"
#include "text/text.h"
#include "files/replace.h"
#include "prefs/prefs.h"
#include "tests/faults/fault_seam.h"
#include "tests/faults/roll_forward.h"
#include "tests/files/temp_folder.h"

using namespace tintwerk;

namespace {

const std::string kIni =
    "[Game]\r\nTitle = Pistova\r\n   Version = 1.4   \r\n\r\n[Graphics]\nScreenWidth = 640\r\n"
    "  PaletteFile = c:\\old\\QZ2.pal  \r\nFullscreen = 0\r\n";
const std::string kOptions = "ABCDEFGHIJKLMNOPQRST";
const std::string kPrefs = "; hand-made\r\npaletten = c:\\elsewhere\\\r\nWindow_x = 120\r\nextra = kept\r\n";
// What the game saves meanwhile.
const std::string kGameIni = "[Game]\r\nTitle = Pistova\r\nSaved = 2\r\n[Graphics]\r\nPaletteFile = c:\\old\\QZ2.pal\r\n";
const std::string kGameOptions = "abcdefghijklmnopqrst";

// What the player was told: message boxes and status lines.
std::vector<std::string> g_told;

// What tells the player that a file kept its old content.
const std::vector<std::string> kIniFailures = {"Fehler qz.ini", "Fehler Palette !!", "Fehler qz.ini Palette !!"};
const std::vector<std::string> kOptionsFailures = {"Fehler Options.set"};
const std::vector<std::string> kPrefsFailures = {"Einstellungen nicht gespeichert !!", "Einstellungen nicht gelesen !!"};
// A start that ends before the action (the player gave no Pistova.exe or qz.ini).
const std::vector<std::string> kStartFailures = {"Ohne Pistova gehts nicht !!", "Ohne qz.ini gehts nicht !!"};

// qz.ini after a rewrite: its lines trimmed, CR LF, the palette line replaced.
std::string ini_with(const std::string& line) {
    return "[Game]\r\nTitle = Pistova\r\nVersion = 1.4\r\n\r\n[Graphics]\r\nScreenWidth = 640\r\n" + line +
           "\r\nFullscreen = 0\r\n";
}
// The game's own save, rewritten.
std::string game_ini_with(const std::string& line) {
    return "[Game]\r\nTitle = Pistova\r\nSaved = 2\r\n[Graphics]\r\n" + line + "\r\n";
}

// The settings saved: the 20 keys in their order, the paths as the start set
// them, no window (its geometry reads 0).
std::string settings_written(const std::string& folder) {
    std::string out = "paletten = " + folder + "paletten\\\r\nVelo.exe = " + folder + "pistova.exe\r\nVelo.ini = " +
                      folder + "qz.ini\r\nFavorite1 = nix\r\nFavorite2 = nix\r\n";
    for (const char* key : {"window_x", "window_y", "window_w", "window_h"}) out += std::string(key) + " = 0\r\n";
    return out + "laps_hot = 10\r\ntyre_hot = 0\r\nverbrauch_hot = 0\r\nsprit_hot = 50\r\ndamage_hot = 0\r\n"
                 "laps_race = 5\r\ntyre_race = 30\r\nverbrauch_race = 30\r\nsprit_race = 50\r\ndamage_race = 30\r\n"
                 "set_org_ende = 0\r\n";
}

struct WritePath {
    const char* name;
    const char* target;  // the file it rewrites
    void (*run)();
    std::string (*written)(const std::string& folder);  // the target's new content
    const std::vector<std::string>& failures;
    bool start_faults;  // the start's calls fail too (once for each file: the start is the same)
    // The change made on what the game saved meanwhile (none: the game never writes the file).
    std::string (*on_game)(const std::string& folder) = nullptr;
};

const WritePath kPaths[] = {
    {"activation", "qz.ini", [] { activate_palette(); },
     [](const std::string& f) { return ini_with("PaletteFile = " + f + "paletten\\sunset.pal"); }, kIniFailures,
     true, [](const std::string& f) { return game_ini_with("PaletteFile = " + f + "paletten\\sunset.pal"); }},
    {"restore", "qz.ini", [] { restore_stock_palette(); },
     [](const std::string&) { return ini_with("PaletteFile = qz.pal"); }, kIniFailures, false,
     [](const std::string&) { return game_ini_with("PaletteFile = qz.pal"); }},
    {"hotlap preset", "options.set", [] { apply_hotlap_preset(); },
     [](const std::string&) { return std::string("ABCD" "\x0A" "FGHIJKLM" "\0\0\0" "\x32" "RST", 20); },
     kOptionsFailures, true,
     [](const std::string&) { return std::string("abcd" "\x0A" "fghijklm" "\0\0\0" "\x32" "rst", 20); }},
    {"race preset", "options.set", [] { apply_race_preset(); },
     [](const std::string&) { return std::string("ABCD" "\x05" "FGHIJKLM" "\x1E\x1E\x1E" "\x32" "RST", 20); },
     kOptionsFailures, false,
     [](const std::string&) { return std::string("abcd" "\x05" "fghijklm" "\x1E\x1E\x1E" "\x32" "rst", 20); }},
    {"restore at exit", "qz.ini",
     [] {
         app().settings.restore_on_exit = 1;
         restore_at_exit();
     },
     [](const std::string&) { return ini_with("PaletteFile = qz.pal"); }, kIniFailures, false,
     [](const std::string&) { return game_ini_with("PaletteFile = qz.pal"); }},
    {"settings save", "pal_change.prf", save_at_exit, settings_written, kPrefsFailures, true},
};
const WritePath* path_named(const std::string& name) {
    for (const WritePath& p : kPaths)
        if (name == p.name) return &p;
    return nullptr;
}

// A failure told, with or without its reason behind it.
bool told_failure(const WritePath& p) {
    for (const std::string& t : g_told)
        for (const std::string& f : p.failures)
            if (t == f || t.rfind(f + ": ", 0) == 0) return true;
    for (const std::string& t : g_told)
        for (const std::string& f : kStartFailures)
            if (t == f) return true;
    return false;
}

std::string fixture_bytes(const std::string& name) {
    return name == "qz.ini" ? kIni : name == "options.set" ? kOptions : kPrefs;
}

// Writes a file whole, sharing reading and writing (the game may hold it).
void write_shared(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    SetEndOfFile(h);
    CloseHandle(h);
}

// The game folder of one run, made fresh: qz.ini, options.set, the settings
// file, the game and a palette, all with their old content.
void make_files(const std::string& folder) {
    tw_test::make_folder(folder);
    tw_test::make_folder(folder + "paletten\\");
    for (const char* name : {"qz.ini", "options.set", "pal_change.prf"})
        tw_test::write_bytes(folder + name, fixture_bytes(name));
    tw_test::write_bytes(folder + "paletten\\sunset.pal", "PAL");
    tw_test::write_bytes(folder + "pistova.exe", "MZ");
}

// The program's start as far as the action: the leftovers of earlier runs
// resolved, the settings read, the game's files found (a requester is
// cancelled: the start then ends), qz.ini detected. The settings file lives
// in the working folder at the start; the folder then changes, as the file
// requester does on Windows. False when the start ended.
bool start_app(const std::string& folder) {
    g_told.clear();
    SetCurrentDirectoryA(folder.c_str());
    load_settings();
    report_unread_settings();
    SetCurrentDirectoryA((folder + "paletten").c_str());
    AppState& s = app();
    s.settings.palette_folder = folder + "paletten\\";
    s.settings.game_exe_path = folder + "pistova.exe";
    s.settings.game_ini_path = folder + "qz.ini";
    s.options_path = folder + "options.set";
    s.settings_changed = true;
    recover_game_files();
    if (!find_game_files()) return false;
    recover_game_files();
    detect_active_palette();
    report_start_files();
    s.selected_palette = "sunset.pal";
    return true;
}

void init_runtime_once() {
    static bool done = false;
    if (done) return;
    done = true;
    text_init();
    list_init();
    file_library_init();
    dir_library_init();
    prefs_init();
    ui_hooks().message = [](std::string_view t) { g_told.emplace_back(t); };
    ui_hooks().status = [](std::string_view t) { g_told.emplace_back(t); };
    ui_hooks().file_request = [](std::string_view t) {
        g_told.emplace_back(t);
        return std::string();
    };
}

// Every name in the folder with its bytes (the palette folder aside).
std::map<std::string, std::string> read_folder(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const std::string& n : tw_test::folder_names(folder))
        if (n != "paletten") out[n] = tw_test::read_bytes(folder + n);
    return out;
}

// A second program holding a file open for reading and writing with read and
// write sharing, as the game's C runtime does, until it is ended.
class Holder {
public:
    explicit Holder(const std::string& file) {
        static int count = 0;
        const std::string ready = "tw_fault_held_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count);
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
        std::string cmd = "\"" + tw_test::program_folder() + "fault_tests.exe\" --hold \"" + file + "\" " + ready;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
            WaitForSingleObject(event, 5000);
        CloseHandle(event);
    }
    ~Holder() {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    bool running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION pi_{};
};

// Runs the start and the path (or only the roll-forward, in its small
// program) in a process of its own that ends at call k (power lost there, or
// between the two moves of the replace at k); its exit code.
DWORD run_ended_at(const char* path, long k, const std::string& folder, faults::Kind kind = faults::Kind::EndProcess) {
    const std::string rolling = "fault_roll_child.exe\" ", program = "fault_tests.exe\" --end \"" + std::string(path) + "\" ";
    std::string cmd = "\"" + tw_test::program_folder() + (path == std::string("roll-forward") ? rolling : program) +
                      std::to_string(k) + " \"" + folder.substr(0, folder.size() - 1) + "\"" +  // no "\\" before the quote
                      (kind == faults::Kind::EndBetweenMoves ? " between" : "");
    const std::string name = "tw_fault_started_" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA(faults::kStartedEvent, name.c_str());
    DWORD code = 1;
    for (int start = 0; start < 2; ++start) {
        HANDLE started = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            // Seen under Wine: ERROR_BAD_EXE_FORMAT for the program that started a moment before.
            std::printf("the crash child could not be started (error %lu)\n", GetLastError());
            CloseHandle(started);
            Sleep(200);
            continue;
        }
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        const bool ran = WaitForSingleObject(started, 0) == WAIT_OBJECT_0;
        CloseHandle(started);
        if (ran) break;
        std::printf("the crash child ended with %lu before it ran; started again\n", static_cast<unsigned long>(code));
    }
    SetEnvironmentVariableA(faults::kStartedEvent, nullptr);
    return code;
}

// One kind of fault: its kind, and whether the disk stays full.
struct Fault {
    faults::Kind kind;
    bool sticky;
};

class WritePaths : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        init_runtime_once();
        faults::install();
        // Holders here either let go at the next call or never: a short wait
        // tells them apart as well as the program's.
        tw::set_refused_wait_ms(60);
    }
    static void TearDownTestSuite() {
        faults::remove();
        tw::set_refused_wait_ms(0);
        std::ofstream out(tw_test::program_folder() + "fault_points.txt");
        if (::testing::UnitTest::GetInstance()->Passed())
            out << "fault injection: " << points_ << " fault points, every file old or new\n";
        else
            out << "fault injection: FAILED (see the fault_tests output)\n";
    }

    // Out of the test's folder, so that it can go.
    void TearDown() override {
        faults::release();
        holder_.reset();
        SetCurrentDirectoryA(tw_test::program_folder().c_str());
    }

    // Fresh files in the run's folder (the same every time: the new content
    // names it), held by the game when the test asks for that.
    // The game keeps holding its file from run to run: all else goes, and
    // the held file is written through the sharing the game allows.
    void fresh_files(std::map<std::string, std::string> files = {}) {
        if (!held_ || !holder_ || !holder_->running()) holder_.reset();
        SetCurrentDirectoryA(tmp.path().c_str());  // out of the folder, so that it goes
        tw_test::remove_tree(folder_);
        make_files(folder_);
        if (holder_ && !files.count(path_->target)) files[path_->target] = fixture_bytes(path_->target);
        // The game's files first, the copies beside them after, as they were made.
        for (int copies = 0; copies < 2; ++copies)
            for (const auto& [name, bytes] : files)
                if ((name.find(".tw") != std::string::npos) == (copies == 1)) write_shared(folder_ + name, bytes);
        if (held_ && !holder_) {
            ASSERT_TRUE(holder_.emplace(folder_ + path_->target).running());
        }
    }

    // One path: a run without faults for the number of calls, then every call
    // failing in every way that can hit it.
    void exercise(const WritePath& p, bool held) {
        SCOPED_TRACE(std::string(p.name) + (held ? ", file held by the game" : ""));
        path_ = &p;
        held_ = held;
        const std::string root = tmp.path() + (held ? "held_" : "") + std::string(p.name).substr(0, 5) + "\\";
        tw_test::make_folder(root);
        folder_ = root + "run\\";
        fresh_files();
        old_ = read_folder(folder_);
        new_ = old_;
        new_[p.target] = p.written(folder_);
        if (std::string(p.target) == "qz.ini") new_["qz.ini.orig"] = kIni;
        if (held) {
            // The game's file counts as held once it was waited for: the
            // counted run starts from there, as every later one does.
            ASSERT_TRUE(start_app(folder_));
            p.run();
            fresh_files();
        }
        faults::arm(0, faults::Kind::DiskFull);
        ASSERT_TRUE(start_app(folder_));
        // The start does not depend on the game holding a file: its faults
        // are run once for each file, with the file free.
        const long start_calls = faults::calls();
        const long first = held || !p.start_faults ? start_calls + 1 : 1;
        p.run();
        const std::vector<std::string> names = faults::call_names();
        const std::vector<std::string> files = faults::names_used();
        ASSERT_EQ(read_folder(folder_), new_) << "the path without faults";
        ASSERT_FALSE(told_failure(p));

        std::vector<Fault> kinds;
        for (faults::Kind kind : faults::kErrorKinds) kinds.push_back({kind, false});
        kinds.push_back({faults::Kind::DiskFull, true});
        for (faults::Kind kind : faults::kReplaceKinds) kinds.push_back({kind, false});
        kinds.push_back({faults::Kind::EndProcess, false});
        kinds.push_back({faults::Kind::EndBetweenMoves, false});
        for (long k = first; k <= static_cast<long>(names.size()); ++k) {
            for (const Fault& fault : kinds) {
                if (!faults::applies(fault.kind, names[k - 1])) continue;
                if (fault.sticky && names[k - 1] != "WriteFile") continue;  // a disk fills up at a write
                // The first start only reads: a crash there leaves every file as it was.
                const bool ends = fault.kind == faults::Kind::EndProcess || fault.kind == faults::Kind::EndBetweenMoves;
                if (ends && k <= start_calls) continue;
                SCOPED_TRACE("call " + std::to_string(k) + " " + names[k - 1] + ": " + faults::kind_name(fault.kind) +
                             (fault.sticky ? " from then on" : ""));
                fresh_files();
                if (ends) {
                    ASSERT_EQ(run_ended_at(p.name, k, folder_, fault.kind), faults::kEndedExitCode);
                    crash_the_roll_forward();
                } else {
                    faults::arm(k, fault.kind, fault.sticky);
                    if (start_app(folder_)) p.run();
                    faults::disarm();
                    ASSERT_TRUE(faults::fired());
                    EXPECT_EQ(faults::open_handles(), 0) << "a file handle was left open";
                    expect_told_exactly(p);
                }
                start_and_check(!ends && told_failure(p));
                ++points_;
            }
        }
        // A scanner holding each name the path uses, for the whole run.
        for (const std::string& name : files) {
            SCOPED_TRACE("held by a scanner: " + name);
            fresh_files();
            faults::hold(name);
            if (start_app(folder_)) p.run();
            faults::release();
            expect_told_exactly(p);
            start_and_check(told_failure(p));
            ++points_;
        }
        // The game saving its file at each call of the path.
        if (!p.on_game || held) return;
        for (long k = start_calls + 1; k <= static_cast<long>(names.size()); ++k) {
            SCOPED_TRACE("the game saves at call " + std::to_string(k) + " " + names[k - 1]);
            fresh_files();
            faults::arm(0, faults::Kind::DiskFull);
            start_app(folder_);
            faults::game_saves(k - start_calls, folder_ + p.target, game_content());
            faults::arm(0, faults::Kind::DiskFull);
            p.run();
            faults::release();
            const std::string now = tw_test::read_bytes(folder_ + p.target);
            const bool applied = now == p.on_game(folder_) || now == new_[p.target];
            EXPECT_TRUE(applied || now == game_content()) << "the game's content was lost or cut:\n" << now;
            // Told failed only when the game's content stands without the change.
            if (now != game_content()) {
                EXPECT_FALSE(told_failure(p)) << now;
            }
            start_and_check(told_failure(p), true);
            ++points_;
        }
    }
    void expect_told_exactly(const WritePath& p) {
        const bool got_new = tw_test::read_bytes(folder_ + p.target) == new_[p.target];
        EXPECT_EQ(told_failure(p), !got_new) << (got_new ? "a failure was reported for the new content"
                                                         : "the old content was kept without a word");
    }
    std::string game_content() const { return std::string(path_->target) == "qz.ini" ? kGameIni : kGameOptions; }

    // A second start, which asks for nothing; then every file is old or new
    // (or, after the game saved, its content with or without the change),
    // and nothing else is there. A change told failed stays out.
    void start_and_check(bool told_failed, bool game_saved = false) {
        faults::arm(0, faults::Kind::DiskFull);
        start_app(folder_);
        EXPECT_EQ(faults::open_handles(), 0) << "the start left a file handle open";
        for (const std::string& t : g_told) EXPECT_NE(t.rfind("Wo ist", 0), 0u) << "the second start asked: " << t;
        const std::map<std::string, std::string> now = read_folder(folder_);
        for (const auto& [name, bytes] : now) {
            const bool game_file = game_saved && name == path_->target;
            if (name == "qz.ini.orig") {
                EXPECT_TRUE(bytes == kIni || (game_saved && bytes == kGameIni)) << "a cut untouched copy";
            } else if (!old_.count(name)) {
                ADD_FAILURE() << "left behind: " << name;
            } else if (game_file && bytes != game_content() && bytes != path_->on_game(folder_) && bytes != new_[name]) {
                ADD_FAILURE() << name << " is neither the game's nor changed:\n" << bytes;
            } else if (!game_file && bytes != old_[name] && bytes != new_[name]) {
                ADD_FAILURE() << name << " is neither old nor new:\n" << bytes;
            } else if (told_failed && name == path_->target && !game_file) {
                EXPECT_EQ(bytes, old_[name]) << "a change told failed was applied later";
            }
        }
        for (const auto& [name, bytes] : old_) EXPECT_TRUE(now.count(name)) << name << " is gone";
    }

    // After a crash that left copies: the roll-forward of the start that
    // resolves them ends at each of its calls in turn, and the start after it
    // settles all. Once for each set of names left (with the target old, new
    // or cut), whichever path left them: the roll-forward goes by the names.
    void crash_the_roll_forward() {
        const std::map<std::string, std::string> crashed = read_folder(folder_);
        std::string left;
        for (const auto& [name, bytes] : crashed)
            if (name.find(".tw") != std::string::npos) left += name + " ";
        const std::string target = crashed.count(path_->target) ? crashed.at(path_->target) : "";
        left += target == old_[path_->target] ? "old" : target == new_[path_->target] ? "new" : "cut";
        if (held_) left += " held";  // the game's file is then completed in place
        if (left.find(".tw") == std::string::npos || !crash_states_.insert(left).second) return;
        faults::arm(0, faults::Kind::DiskFull);
        roll_forward(folder_);
        const long calls = faults::calls();
        for (long j = 1; j <= calls; ++j) {
            SCOPED_TRACE("the next start's roll-forward ended at its call " + std::to_string(j));
            fresh_files(crashed);
            ASSERT_EQ(run_ended_at("roll-forward", j, folder_), faults::kEndedExitCode);
            start_and_check(false);
            ++points_;
        }
        fresh_files(crashed);
    }

    tw_test::TempFolder tmp;
    const WritePath* path_ = nullptr;
    bool held_ = false;
    std::string folder_;
    std::map<std::string, std::string> old_, new_;
    std::optional<Holder> holder_;
    static std::set<std::string> crash_states_;  // the leftovers whose roll-forward was crashed
    static long points_;
};

std::set<std::string> WritePaths::crash_states_;
long WritePaths::points_ = 0;

}  // namespace

TEST_P(WritePaths, ActivationLeavesQzIniOldOrNew) { exercise(kPaths[0], GetParam()); }
TEST_P(WritePaths, RestoreLeavesQzIniOldOrNew) { exercise(kPaths[1], GetParam()); }
TEST_P(WritePaths, HotlapPresetLeavesOptionsSetOldOrNew) { exercise(kPaths[2], GetParam()); }
TEST_P(WritePaths, RacePresetLeavesOptionsSetOldOrNew) { exercise(kPaths[3], GetParam()); }
TEST_P(WritePaths, RestoreAtExitLeavesQzIniOldOrNew) { exercise(kPaths[4], GetParam()); }
TEST_P(WritePaths, SettingsSaveLeavesTheSettingsFileOldOrNew) {
    // Held from the start, the settings cannot be read and are never saved
    // (the start's sharing faults and the end-to-end test show that).
    if (GetParam()) GTEST_SKIP() << "held settings are never written";
    exercise(kPaths[5], GetParam());
}

INSTANTIATE_TEST_SUITE_P(Faults, WritePaths, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Held" : "Free"; });

// Loading pictures opens files too: with any of those calls failing, no file
// handle stays open (and the number names no image or a whole one).
TEST(ImageFiles, NoFileHandleIsLeftWhenAFileCallFails) {
    faults::install();
    tw_test::TempFolder tmp;
    // A 1 x 1 BMP, an icon directory the platform rejects, and a file of no known kind.
    const std::string bmp = tmp / "p.bmp", ico = tmp / "p.ico", other = tmp / "p.jpg";
    tw_test::write_bytes(bmp, std::string("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 30) +
                                  std::string(28, '\0'));
    tw_test::write_bytes(ico, std::string("\0\0\x01\0\x01\0", 6) + std::string(40, '\x11'));
    tw_test::write_bytes(other, "neither BMP nor JPEG");
    decoder_registry_reset();
    image_library_init();
    jpeg_decoder_register();
    long points = 0;
    for (const std::string& path : {bmp, ico, other}) {
        faults::arm(0, faults::Kind::DiskFull);
        image_load(5, path);
        const long n = faults::calls();
        ASSERT_GT(n, 0) << path;
        for (long k = 1; k <= n; ++k)
            for (faults::Kind kind : faults::kErrorKinds) {
                faults::arm(k, kind);
                image_load(5, path);
                faults::disarm();
                EXPECT_EQ(faults::open_handles(), 0) << path << " call " << k;
                ++points;
            }
    }
    image_free_all();
    faults::remove();
    EXPECT_GT(points, 0);
}

int main(int argc, char** argv) {
    // A holder: keep the file open as the game would until ended.
    if (argc == 4 && std::string(argv[1]) == "--hold") {
        HANDLE h = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 2;
        if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3])) SetEvent(ready);
        Sleep(INFINITE);
    }
    // A path run in a process that ends at call k.
    if ((argc == 5 || argc == 6) && std::string(argv[1]) == "--end") {
        const WritePath* p = path_named(argv[2]);
        if (!p) return 3;
        init_runtime_once();
        faults::install();
        tw::set_refused_wait_ms(60);
        faults::arm(std::atol(argv[3]), argc == 6 ? faults::Kind::EndBetweenMoves : faults::Kind::EndProcess);
        if (start_app(std::string(argv[4]) + "\\")) p->run();
        return 0;  // the call never came
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
