// Every write path of the palette switcher under injected faults: for each
// call k the path makes, and each kind of failure a real disk gives (full,
// a sharing violation, access denied, a short write, the process ending right
// there), the path runs again on fresh real files with call k failing. Then
// qz.ini, options.set and pal_change.prf are each byte for byte what they were
// or what they should be afterwards, no temporary file is left (an ended
// process may leave one, and the next start finds it), no file handle is left
// open, and the player is told exactly when a file did not get its new content.
// The same again while another program holds the file with the read and write
// sharing the C runtime uses. The number of fault points goes to
// fault_points.txt beside the program for scripts/test.
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "files/files.h"
#include "prefs/prefs.h"
#include "tests/faults/fault_seam.h"
#include "tests/files/temp_folder.h"

using namespace tintwerk;

namespace {

const char* const kFiles[] = {"qz.ini", "options.set", "pal_change.prf"};

const std::string kIni =
    "[Game]\r\nTitle = Pistova\r\n   Version = 1.4   \r\n\r\n[Graphics]\nScreenWidth = 640\r\n"
    "  PaletteFile = c:\\old\\QZ2.pal  \r\nFullscreen = 0\r\n";
const std::string kOptions = "ABCDEFGHIJKLMNOPQRST";
const std::string kPrefs = "; hand-made\r\npaletten = c:\\elsewhere\\\r\nWindow_x = 120\r\nextra = kept\r\n";

// What the player was told: message boxes and status lines.
std::vector<std::string> g_told;

const char* const kFailureTexts[] = {"Fehler qz.ini", "Fehler Options.set", "Fehler Palette !!",
                                     "Einstellungen nicht gespeichert !!"};

bool told_failure() {
    for (const std::string& t : g_told)
        for (const char* f : kFailureTexts)
            if (t == f) return true;
    return false;
}

struct WritePath {
    const char* name;
    const char* target;  // the file it rewrites
    void (*run)();
};

const WritePath kPaths[] = {
    {"activation", "qz.ini", [] { activate_palette(); }},
    {"restore", "qz.ini", [] { restore_stock_palette(); }},
    {"hotlap preset", "options.set", [] { apply_hotlap_preset(); }},
    {"race preset", "options.set", [] { apply_race_preset(); }},
    {"restore at exit", "qz.ini", [] {
         app().restore_on_exit = 1;
         restore_at_exit();
     }},
    {"settings save", "pal_change.prf", save_at_exit},
};

const WritePath* path_named(const std::string& name) {
    for (const WritePath& p : kPaths)
        if (name == p.name) return &p;
    return nullptr;
}

// The game folder of one run, made fresh: qz.ini, options.set, the settings
// file and a palette, all with their old content.
void make_files(const std::string& folder) {
    tw_test::make_folder(folder);
    tw_test::make_folder(folder + "paletten\\");
    tw_test::write_bytes(folder + "qz.ini", kIni);
    tw_test::write_bytes(folder + "options.set", kOptions);
    tw_test::write_bytes(folder + "pal_change.prf", kPrefs);
    tw_test::write_bytes(folder + "paletten\\sunset.pal", "PAL");
}

// The application as it stands before the action: settings read, qz.ini
// detected. Works in the folder (the settings file lives in the current one).
void start_app(const std::string& folder) {
    SetCurrentDirectoryA(folder.c_str());
    load_settings();
    AppState& s = app();
    s.palette_folder = folder + "paletten\\";
    s.game_exe_path = folder + "pistova.exe";
    s.game_ini_path = folder + "qz.ini";
    s.options_path = folder + "options.set";
    s.settings_changed = true;
    detect_active_palette();
    s.selected_palette = "sunset.pal";
    g_told.clear();
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
}

std::map<std::string, std::string> read_files(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const char* f : kFiles) out[f] = tw_test::read_bytes(folder + f);
    return out;
}

// Names in the folder besides the game's files and the pristine copy.
std::vector<std::string> strays(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& n : tw_test::folder_names(folder)) {
        if (n == "paletten" || n == "qz.ini.orig") continue;
        bool known = false;
        for (const char* f : kFiles) known = known || n == f;
        if (!known) found.push_back(n);
    }
    return found;
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

// Runs the path in a process of its own that ends at call k; its exit code.
DWORD run_ended_at(const WritePath& p, long k, const std::string& folder) {
    std::string cmd = "\"" + tw_test::program_folder() + "fault_tests.exe\" --end \"" + p.name + "\" " +
                      std::to_string(k) + " \"" + folder.substr(0, folder.size() - 1) + "\"";  // no "\\" before the quote
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

struct Counts {
    long points = 0;        // runs with one fault each
    long kept_copies = 0;   // ended inside an in-place write: the new content kept beside the file
};

class WritePaths : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        init_runtime_once();
        faults::install();
    }
    static void TearDownTestSuite() {
        faults::remove();
        std::ofstream out(tw_test::program_folder() + "fault_points.txt");
        if (::testing::UnitTest::GetInstance()->Passed())
            out << "fault injection: " << total_.points << " fault points, every file old or new";
        else
            out << "fault injection: FAILED (see the fault_tests output)";
        if (total_.kept_copies)
            out << "; " << total_.kept_copies
                << " ended inside an in-place write left the new content in a recovery copy";
        out << "\n";
    }

    // One path: a run without faults for the new content and the number of
    // calls, then every call failing in every way.
    void exercise(const WritePath& p, bool held) {
        SCOPED_TRACE(std::string(p.name) + (held ? ", file held by the game" : ""));
        const std::string target = p.target;
        const std::string root = tmp.path() + (held ? "held_" : "") + std::string(p.name).substr(0, 5) + "\\";
        tw_test::make_folder(root);
        std::map<std::string, std::string> old_files, new_files;
        std::vector<std::string> names;
        {
            const std::string folder = root + "run\\";
            make_files(folder);
            old_files = read_files(folder);
            std::optional<Holder> holder;
            if (held) {
                ASSERT_TRUE(holder.emplace(folder + target).running());
            }
            start_app(folder);
            faults::arm(0, faults::Kind::DiskFull);
            p.run();
            names = faults::call_names();
            new_files = read_files(folder);
            ASSERT_NE(new_files[target], old_files[target]) << "the path without faults changed nothing";
            ASSERT_FALSE(told_failure());
            ASSERT_TRUE(strays(folder).empty());
        }
        long run = 0;  // runs so far
        for (long k = 1; k <= static_cast<long>(names.size()); ++k) {
            std::vector<faults::Kind> kinds(std::begin(faults::kErrorKinds), std::end(faults::kErrorKinds));
            kinds.push_back(faults::Kind::EndProcess);
            for (faults::Kind kind : kinds) {
                if (kind == faults::Kind::ShortWrite && names[k - 1] != "WriteFile") continue;
                // The same folder every time: the new content names it.
                const std::string folder = root + "run\\";
                tw_test::remove_tree(folder);
                ++run;
                SCOPED_TRACE("call " + std::to_string(k) + " " + names[k - 1] + ": " + faults::kind_name(kind));
                make_files(folder);
                std::optional<Holder> holder;
                if (held) {
                ASSERT_TRUE(holder.emplace(folder + target).running());
            }
                bool ended = false;
                if (kind == faults::Kind::EndProcess) {
                    ASSERT_EQ(run_ended_at(p, k, folder), faults::kEndedExitCode);
                    ended = true;
                } else {
                    start_app(folder);
                    faults::arm(k, kind);
                    p.run();
                    faults::disarm();
                    ASSERT_TRUE(faults::fired());
                    EXPECT_EQ(faults::open_handles(), 0) << "a file handle was left open";
                }
                check(folder, target, old_files, new_files, ended);
                ++total_.points;
            }
        }
    }

    void check(const std::string& folder, const std::string& target, std::map<std::string, std::string>& old_files,
               std::map<std::string, std::string>& new_files, bool ended) {
        const std::map<std::string, std::string> now = read_files(folder);
        const std::string leftover = file_leftover_copy(folder + target);
        for (const char* f : kFiles) {
            const std::string& bytes = now.at(f);
            if (bytes == old_files[f] || bytes == new_files[f]) continue;
            // Ended while the file was being written in place: the recovery
            // copy beside it holds the whole new content.
            if (ended && f == target && !leftover.empty() &&
                tw_test::read_bytes(folder + leftover) == new_files[f]) {
                ++total_.kept_copies;
                --total_.points;
                continue;
            }
            ADD_FAILURE() << f << " is neither old nor new:\n" << bytes;
        }
        if (tw_test::exists(folder + "qz.ini.orig")) {
            EXPECT_EQ(tw_test::read_bytes(folder + "qz.ini.orig"), old_files["qz.ini"]) << "a cut pristine copy";
        }
        const std::vector<std::string> left = strays(folder);
        if (ended) {
            // Only the rewrite's own temporary files, each one the next start names.
            for (const std::string& n : left) {
                bool reported = false;
                for (const char* f : {"qz.ini", "qz.ini.orig", "options.set", "pal_change.prf"})
                    reported = reported || file_leftover_copy(folder + f) == n;
                EXPECT_TRUE(reported) << "a file the start-up does not report: " << n;
            }
            return;
        }
        EXPECT_TRUE(left.empty()) << "left behind: " << left.front();
        const bool got_new = now.at(target) == new_files[target];
        EXPECT_EQ(told_failure(), !got_new) << (got_new ? "a failure was reported for the new content"
                                                        : "the old content was kept without a word");
    }

    tw_test::TempFolder tmp;
    static Counts total_;
};

Counts WritePaths::total_;

}  // namespace

TEST_P(WritePaths, ActivationLeavesQzIniOldOrNew) { exercise(kPaths[0], GetParam()); }
TEST_P(WritePaths, RestoreLeavesQzIniOldOrNew) { exercise(kPaths[1], GetParam()); }
TEST_P(WritePaths, HotlapPresetLeavesOptionsSetOldOrNew) { exercise(kPaths[2], GetParam()); }
TEST_P(WritePaths, RacePresetLeavesOptionsSetOldOrNew) { exercise(kPaths[3], GetParam()); }
TEST_P(WritePaths, RestoreAtExitLeavesQzIniOldOrNew) { exercise(kPaths[4], GetParam()); }
TEST_P(WritePaths, SettingsSaveLeavesTheSettingsFileOldOrNew) { exercise(kPaths[5], GetParam()); }

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
    if (argc == 5 && std::string(argv[1]) == "--end") {
        const WritePath* p = path_named(argv[2]);
        if (!p) return 3;
        init_runtime_once();
        faults::install();
        start_app(std::string(argv[4]) + "\\");
        faults::arm(std::atol(argv[3]), faults::Kind::EndProcess);
        p->run();
        return 0;  // the call never came
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
