// The palette switcher's file work on real files: qz.ini detection and
// rewriting, the presets in options.set, the catalogue and the settings file.
// Messages and status texts are caught through the UI hooks, so no window is
// needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "files/files.h"
#include "text/list.h"
#include "text/text.h"
#include "prefs/prefs.h"
#include "runtime/win32.h"
#include "tests/files/temp_folder.h"

using namespace tintwerk;

namespace {

std::vector<std::string> g_messages;
std::vector<std::string> g_statuses;

using tw_test::exists;
using tw_test::read_bytes;
using tw_test::remove_tree;
using tw_test::write_bytes;

class AppFiles : public ::testing::Test {
protected:
    std::string dir;      // a fresh game folder, with a trailing backslash
    std::string palettes;

    void SetUp() override {
        text_init();
        list_init();
        file_library_init();
        dir_library_init();
        prefs_init();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        dir = std::string(temp) + "tw_app_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        palettes = dir + "paletten\\";
        CreateDirectoryA(palettes.c_str(), nullptr);
        g_messages.clear();
        g_statuses.clear();
        ui_hooks().message = [](std::string_view t) { g_messages.emplace_back(t); };
        ui_hooks().status = [](std::string_view t) { g_statuses.emplace_back(t); };
        AppState& s = app();
        s = initial_state(dir);
        set_runtime_defaults(s);
        s.settings.palette_folder = palettes;
        s.settings.game_exe_path = dir + "pistova.exe";
        s.settings.game_ini_path = dir + "qz.ini";
        s.options_path = dir + "options.set";
    }
    void TearDown() override {
        ui_hooks() = UiHooks{};
        file_free_all();
        remove_tree(dir);
    }
    void palette(const std::string& name) { write_bytes(palettes + name, "PAL"); }
    std::string ini() { return read_bytes(dir + "qz.ini"); }
};

}  // namespace

TEST_F(AppFiles, DetectActivateAndRestoreRewriteOnlyThePaletteLines) {
    // Mixed line ends, padding spaces, a tab, a blank line and a zero byte.
    const std::string original = std::string("[Video]\r\n  Width = 640  \nPaletteFile = c:\\x\\Sunset.pal   \r\r\n\tTab=1\rA") +
                                 '\0' + "B\r\n";
    write_bytes(dir + "qz.ini", original);
    palette("blue.pal");

    detect_active_palette();
    AppState& s = app();
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(s.active_palette, "Sunset.pal");
    EXPECT_EQ(s.selected_palette, "Sunset.pal");
    EXPECT_EQ(s.palette_line_found, 1);
    ASSERT_EQ(g_statuses.size(), 1u);
    EXPECT_EQ(g_statuses[0], "qz.ini= Sunset.pal");
    EXPECT_EQ(ini(), original) << "detection never writes";

    s.selected_palette = "blue.pal";
    activate_palette();
    EXPECT_EQ(s.active_palette, "blue.pal");
    EXPECT_EQ(s.launch_allowed, 1);
    EXPECT_EQ(g_statuses.back(), "qz.ini= blue.pal");
    EXPECT_EQ(ini(), "[Video]\r\nWidth = 640\r\nPaletteFile = " + palettes + "blue.pal\r\n\r\n\tTab=1\r\nA\r\nB\r\n");
    EXPECT_EQ(read_bytes(dir + "qz.ini.orig"), original) << "the untouched file is kept once";
    EXPECT_FALSE(exists(dir + "qz.ini.tmp"));

    restore_stock_palette();
    EXPECT_EQ(s.active_palette, "qz.pal");
    EXPECT_EQ(g_statuses.back(), "Palette = org");
    EXPECT_EQ(ini(), "[Video]\r\nWidth = 640\r\nPaletteFile = qz.pal\r\n\r\n\tTab=1\r\nA\r\nB\r\n");
    EXPECT_EQ(read_bytes(dir + "qz.ini.orig"), original) << "the first copy is never overwritten";
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(AppFiles, LinesWrittenByTheGameMeanwhileAreKept) {
    write_bytes(dir + "qz.ini", "PaletteFile = qz.pal\r\nLaps=3\r\n");
    palette("a.pal");
    detect_active_palette();
    write_bytes(dir + "qz.ini", "PaletteFile = qz.pal\r\nLaps=7\r\nBest=1:02\r\nPaletteFile=other.pal\r\n");
    app().selected_palette = "a.pal";
    activate_palette();
    const std::string line = "PaletteFile = " + palettes + "a.pal\r\n";
    EXPECT_EQ(ini(), line + "Laps=7\r\nBest=1:02\r\n" + line);
}

TEST_F(AppFiles, WithoutAPaletteLineNothingIsWrittenAndFailureIsShown) {
    write_bytes(dir + "qz.ini", "palettefile = qz.pal\r\n");
    palette("a.pal");
    detect_active_palette();
    AppState& s = app();
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], "Fehler qz.ini Palette !!");
    EXPECT_EQ(s.active_palette, "nix");
    EXPECT_EQ(s.selected_palette, "nix");
    EXPECT_TRUE(g_statuses.empty()) << "the status line keeps the credit line";

    s.selected_palette = "a.pal";
    activate_palette();
    EXPECT_EQ(g_statuses.back(), "Fehler qz.ini");
    EXPECT_EQ(s.active_palette, "nix");
    restore_stock_palette();
    EXPECT_EQ(g_statuses.back(), "Fehler qz.ini");
    EXPECT_EQ(s.active_palette, "nix");
    EXPECT_EQ(ini(), "palettefile = qz.pal\r\n");
    EXPECT_FALSE(exists(dir + "qz.ini.orig"));
}

TEST_F(AppFiles, UnusableNamesAndAMissingFileAreReportedAtDetection) {
    for (const char* content : {"PaletteFile = \r\n", "PaletteFile = c:\\pal\\\r\n", "PaletteFile\r\n"}) {
        g_messages.clear();
        write_bytes(dir + "qz.ini", content);
        detect_active_palette();
        EXPECT_EQ(g_messages, std::vector<std::string>{"Fehler qz.ini Palette !!"}) << content;
        EXPECT_EQ(app().active_palette, "nix");
    }
    g_messages.clear();
    DeleteFileA((dir + "qz.ini").c_str());
    app().ini_lines = {"kept"};
    detect_active_palette();
    EXPECT_EQ(g_messages, std::vector<std::string>{"Fehler qz.ini Palette !!"});
    EXPECT_EQ(app().ini_lines, std::vector<std::string>{"kept"});
}

TEST_F(AppFiles, MissingPaletteFileStopsTheLaunchUntilARestore) {
    write_bytes(dir + "qz.ini", "PaletteFile = qz.pal\r\n");
    detect_active_palette();
    AppState& s = app();
    s.launch_allowed = 1;
    s.selected_palette = "gone.pal";
    activate_palette();
    EXPECT_EQ(g_messages, std::vector<std::string>{"Fehler Palette !!"});
    EXPECT_EQ(s.launch_allowed, 0);
    EXPECT_EQ(s.active_palette, "qz.pal");
    EXPECT_EQ(g_statuses.back(), "qz.ini= qz.pal");
    EXPECT_EQ(ini(), "PaletteFile = qz.pal\r\n");
    restore_stock_palette();
    EXPECT_EQ(s.launch_allowed, 1);
}

TEST_F(AppFiles, AnUnwritableConfigurationStaysIntactAndIsReported) {
    write_bytes(dir + "qz.ini", "PaletteFile = qz.pal\r\nX=1\r\n");
    palette("a.pal");
    detect_active_palette();
    // Another program holds qz.ini open without sharing: it can be neither read
    // again nor replaced.
    HANDLE lock = CreateFileA((dir + "qz.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    app().selected_palette = "a.pal";
    activate_palette();
    CloseHandle(lock);
    EXPECT_EQ(g_statuses.back(), "Fehler qz.ini: gesperrt");
    EXPECT_EQ(app().active_palette, "qz.pal");
    EXPECT_EQ(ini(), "PaletteFile = qz.pal\r\nX=1\r\n");
    EXPECT_FALSE(exists(dir + "qz.ini.tmp"));
}

TEST_F(AppFiles, PresetsWriteFiveBytesAndReportFailures) {
    const std::string options = dir + "options.set";
    AppState& s = app();
    s.settings.presets = {{{"10", "0", "0", "50", "0"}, {"5", "30", "30", "50", "30"}}};
    std::string twenty(20, '\x77');
    write_bytes(options, twenty);
    apply_hotlap_preset();
    EXPECT_EQ(g_statuses.back(), "Options=Hotlap");
    std::string expected = twenty;
    expected[4] = 10, expected[13] = 0, expected[14] = 0, expected[15] = 0, expected[16] = 50;
    EXPECT_EQ(read_bytes(options), expected);

    app().settings.presets[Race][Laps] = "300";
    apply_race_preset();
    EXPECT_EQ(g_statuses.back(), "Options=Race");
    expected[4] = 44, expected[13] = 30, expected[14] = 30, expected[15] = 30, expected[16] = 50;
    EXPECT_EQ(read_bytes(options), expected);

    DeleteFileA(options.c_str());
    apply_hotlap_preset();
    const std::string created = read_bytes(options);
    ASSERT_EQ(created.size(), 17u) << "a missing file is created up to offset 16";
    EXPECT_EQ(created[4], 10);
    EXPECT_EQ(created[16], 50);

    // Locked by another program (the write protection of a file is no test
    // here: the tests may run with rights that ignore it).
    HANDLE lock = CreateFileA(options.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    apply_race_preset();
    CloseHandle(lock);
    EXPECT_EQ(g_statuses.back(), "Fehler Options.set: gesperrt");
    EXPECT_EQ(read_bytes(options), created);

    app().options_path = dir + "nofolder\\options.set";
    apply_hotlap_preset();
    EXPECT_EQ(g_statuses.back(), "Fehler Options.set: fehlt");
}

TEST_F(AppFiles, CatalogueIsLowerCasedAndSorted) {
    for (const char* name : {"Sunset.PAL", "autumn.pal", "Blue.pal", "blue_x.pal", "bluex.pal", "notes.txt"})
        write_bytes(palettes + name, "P");
    CreateDirectoryA((palettes + "old.pal").c_str(), nullptr);
    ASSERT_TRUE(scan_palette_folder(palettes));
    dir_finish(PALETTE_SCAN);
    const std::vector<std::string> expected = {"autumn.pal", "blue.pal", "blue_x.pal", "bluex.pal", "old.pal",
                                               "sunset.pal"};
    EXPECT_EQ(app().palette_list, expected);

    app().palette_list = {"kept"};
    EXPECT_FALSE(scan_palette_folder(dir + "nowhere\\"));
    EXPECT_EQ(app().palette_list, std::vector<std::string>{"kept"});
    ASSERT_TRUE(scan_palette_folder(dir + "paletten\\old.pal\\"));
    EXPECT_TRUE(app().palette_list.empty()) << "an existing folder without palettes gives an empty list";
    dir_finish(PALETTE_SCAN);
}

TEST_F(AppFiles, SettingsFileRoundTripWithExactBytes) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    write_bytes(dir + "pal_change.prf", "; mine\r\nWindow_x = 300\r\nPALETTEN = D:\\Pal\\\r\nset_org_ende=257\r\n[other]\r\nx=1\r\n");
    load_settings();
    AppState& s = app();
    EXPECT_EQ(s.start_folder, dir);
    EXPECT_EQ(s.settings.window.x, 300);
    EXPECT_EQ(s.settings.palette_folder, "d:\\pal\\");
    EXPECT_EQ(s.settings.restore_on_exit, 1);
    EXPECT_EQ(s.selected_palette, "nix");
    s.settings.favorite2 = "sunset.pal";
    s.settings.restore_on_exit = -1;
    ASSERT_TRUE(save_settings());
    // Without a main window the geometry reads as zeros.
    EXPECT_EQ(read_bytes(dir + "pal_change.prf"),
              "paletten = d:\\pal\\\r\n"
              "Velo.exe = c:\\games\\kurvo\\pistova.exe\r\n"
              "Velo.ini = c:\\games\\kurvo\\qz.ini\r\n"
              "Favorite1 = nix\r\n"
              "Favorite2 = sunset.pal\r\n"
              "window_x = 0\r\nwindow_y = 0\r\nwindow_w = 0\r\nwindow_h = 0\r\n"
              "laps_hot = 10\r\ntyre_hot = 0\r\nverbrauch_hot = 0\r\nsprit_hot = 50\r\ndamage_hot = 0\r\n"
              "laps_race = 5\r\ntyre_race = 30\r\nverbrauch_race = 30\r\nsprit_race = 50\r\ndamage_race = 30\r\n"
              "set_org_ende = -1\r\n");
    load_settings();
    EXPECT_EQ(app().settings.favorite2, "sunset.pal");
    EXPECT_EQ(app().settings.restore_on_exit, -1);
    EXPECT_EQ(app().settings.window.width, 0);

    // A settings file that cannot be written is reported by the result.
    HANDLE lock = CreateFileA((dir + "pal_change.prf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(save_settings());
    CloseHandle(lock);
    SetCurrentDirectoryA(previous);
}
