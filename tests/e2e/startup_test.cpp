// Start-up and exit of tintwerk.exe: default paths, the three requesters, the
// fatal messages, saving the settings and the window geometry, and the second
// start that hands over to the running one.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

RECT client_on_screen(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  POINT p{0, 0};
  ClientToScreen(w, &p);
  OffsetRect(&r, p.x, p.y);
  return r;
}

// Where the window stands: its outer top-left corner and its inner size, as
// "left,top widthxheight".
std::string placement(HWND main) {
  RECT outer{};
  GetWindowRect(main, &outer);
  RECT client = client_on_screen(main);
  return std::to_string(outer.left) + "," + std::to_string(outer.top) + " " +
         std::to_string(client.right - client.left) + "x" + std::to_string(client.bottom - client.top);
}

// Starts the program once more and closes it untouched: its window must come
// up at `expected` (see placement) with a list `list_height` high.
void expect_window_comes_back(const Fixture& fx, const std::string& expected, int list_height) {
  App app(fx.work);
  HWND main = app.main();
  ASSERT_NE(main, nullptr);
  app.settle();
  EXPECT_EQ(placement(main), expected);
  EXPECT_EQ(app.size(CTL_PALETTE_LIST).cy, list_height);
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

// The message "Achtung" / `text`, answered: the program must then end
// cleanly.
void expect_message_then_end(App& app, const std::string& text) {
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr) << "no message \"" << text << "\"";
  EXPECT_EQ(App::message_text(box), text);
  app.press(box, IDOK);
  DWORD code = 1;
  ASSERT_TRUE(app.wait_exit(8000, &code)) << "the program did not end after the message";
  EXPECT_EQ(code, 0u);
}

// The folder requester, opened on the game's folder (see settle_access_times),
// with `name` beside that folder selected in its tree as a click selects it.
void choose_folder_beside_game(App& app, HWND req, const std::string& name) {
  FolderTree tree(req);
  ASSERT_TRUE(tree.ok()) << "no folder tree in the requester";
  ASSERT_TRUE(tree.wait_caret("kurvo", 20000)) << "the requester did not open on the game's folder, it shows \""
                                               << tree.text(tree.caret()) << "\"";
  HTREEITEM item = tree.child(tree.parent(tree.caret()), name);
  ASSERT_NE(item, nullptr) << name << " not in the tree";
  ASSERT_TRUE(tree.select(item));
  EXPECT_EQ(tree.text(tree.caret()), name);
  app.settle();
}

}  // namespace

TEST(Startup, DefaultSettingsFindTheGameInGamesKurvo) {
  Fixture fx("default_start", "c:\\games\\kurvo\\");
  fx.install_game();
  fx.add_standard_palettes();
  std::string ini_before = read_file(fx.ini());

  App app(fx.work);
  ASSERT_TRUE(app.started());
  HWND main = app.main();
  ASSERT_NE(main, nullptr) << "no window titled Tintwerk";
  app.settle();
  EXPECT_EQ(app.dialog(200), nullptr) << "a requester or message came up with the game at c:\\games\\kurvo";

  EXPECT_EQ(placement(main), "100,50 700x500");
  RECT client = client_on_screen(main);
  EXPECT_EQ(app.size(CTL_PALETTE_LIST).cx, 300);
  EXPECT_EQ(app.size(CTL_PALETTE_LIST).cy, 475);
  RECT list = app.rect(CTL_PALETTE_LIST);
  EXPECT_EQ(list.left - client.left, 10);
  EXPECT_EQ(list.top - client.top, 10);
  EXPECT_EQ(app.size(CTL_PREVIEW).cx, 300);
  EXPECT_EQ(app.size(CTL_PREVIEW).cy, 225);

  EXPECT_EQ(app.items(), (std::vector<std::string>{"autumn.pal", "blue.pal", "sunset.pal", "tiny.pal"}));
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");
  EXPECT_EQ(app.text(CTL_FAVORITE1_LABEL), "nix");
  EXPECT_EQ(app.text(CTL_FAVORITE2_LABEL), "nix");

  // The presets go to c:\games\kurvo\options.set.
  app.click(CTL_HOTLAP);
  EXPECT_EQ(app.text(CTL_STATUS), "Options=Hotlap");
  std::string opts = read_file(fx.options());
  ASSERT_EQ(opts.size(), 20u);
  EXPECT_EQ(opts[4], 10);

  ASSERT_EQ(app.close_and_wait(), 0u) << "no clean end after the close box";
  EXPECT_FALSE(file_exists(fx.prefs())) << "nothing changed, yet pal_change.prf was written";
  EXPECT_EQ(read_file(fx.ini()), ini_before);
}

TEST(Startup, GameMissingAndRequesterCancelledEndsWithoutSaving) {
  Fixture fx("game_missing");
  fx.install_game();
  fx.add_standard_palettes();
  std::string prefs = "paletten = " + fx.pals + "\r\nVelo.exe = " + fx.root + "nowhere\\Pistova.exe\r\n" +
                      "Velo.ini = " + fx.ini() + "\r\n; kept as it is\r\nwindow_x = 7\r\n";
  write_file(fx.prefs(), prefs);

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  HWND req = app.dialog_titled("Wo ist Pistova.exe");
  ASSERT_NE(req, nullptr) << "no open-file requester for the game";
  app.press(req, IDCANCEL);
  expect_message_then_end(app, "Ohne Pistova gehts nicht !!");
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(prefs));
}

TEST(Startup, QzIniMissingAndRequesterCancelledEndsWithoutSaving) {
  Fixture fx("ini_missing");
  fx.install_game();
  DeleteFileA(fx.ini().c_str());
  fx.write_prefs();
  std::string prefs = read_file(fx.prefs());

  App app(fx.work);
  HWND req = app.dialog_titled("Wo ist qz.ini");
  ASSERT_NE(req, nullptr);
  app.press(req, IDCANCEL);
  expect_message_then_end(app, "Ohne qz.ini gehts nicht !!");
  EXPECT_EQ(read_file(fx.prefs()), prefs);
  EXPECT_FALSE(file_exists(fx.ini()));
}

TEST(Startup, GameChosenThenQzIniRequesterCancelledEndsWithoutSavingOrRestoring) {
  // Choosing the game marks the settings changed; the fatal message after it
  // still ends the program without saving them, and without the restore at
  // exit: the qz.ini the settings name (naming another palette) stays as it is.
  for (const char* restore_line : {"", "set_org_ende = 1\r\n"}) {
    const std::string restore = restore_line;
    SCOPED_TRACE(restore.empty() ? "without set_org_ende" : "with set_org_ende = 1");
    Fixture fx("ini_after_game");
    std::string ini = fixture_ini("PaletteFile = " + fx.pals + "sunset.pal");
    fx.install_game(ini);
    fx.add_standard_palettes();
    // The game is chosen in a folder of its own, without qz.ini.
    std::string elsewhere = fx.root + "anderswo\\";
    ASSERT_TRUE(make_dirs(elsewhere));
    ASSERT_TRUE(CopyFileA(pistova_exe().c_str(), (elsewhere + "Pistova.exe").c_str(), FALSE));
    std::string prefs = "paletten = " + fx.pals + "\r\nVelo.exe = " + fx.root + "nowhere\\Pistova.exe\r\n" +
                        "Velo.ini = " + fx.ini() + "\r\n" + restore + "window_x = 7\r\n";
    write_file(fx.prefs(), prefs);

    App app(fx.work);
    HWND req = app.dialog_titled("Wo ist Pistova.exe");
    ASSERT_NE(req, nullptr) << "no open-file requester for the game";
    app.type_file_name(req, elsewhere + "Pistova.exe");
    app.press(req, IDOK);
    req = app.dialog_titled("Wo ist qz.ini");
    ASSERT_NE(req, nullptr) << "no requester for qz.ini beside the chosen game";
    app.press(req, IDCANCEL);
    expect_message_then_end(app, "Ohne qz.ini gehts nicht !!");
    EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(prefs)) << "settings saved on a fatal path";
    EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(ini)) << "qz.ini rewritten on a fatal path";
    EXPECT_EQ(folder_names(fx.game), (std::vector<std::string>{"Pistova.exe", "options.set", "paletten", "qz.ini",
                                                               "qz.pal"}));
    EXPECT_EQ(folder_names(elsewhere), std::vector<std::string>{"Pistova.exe"});
  }
}

TEST(Startup, GameChosenInRequesterDerivesThePathsAndSavesThem) {
  Fixture fx("game_chosen");
  fx.install_game();
  fx.add_standard_palettes();
  write_file(fx.prefs(), "paletten = " + fx.pals + "\r\nVelo.exe = c:\\nowhere\\pistova.exe\r\n" +
                             "Velo.ini = c:\\nowhere\\qz.ini\r\n");
  std::string upper = fx.game + "PISTOVA.EXE";
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

  App app(fx.work);
  HWND req = app.dialog_titled("Wo ist Pistova.exe");
  ASSERT_NE(req, nullptr);
  app.type_file_name(req, upper);
  app.press(req, IDOK);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.dialog(300), nullptr) << "qz.ini beside the chosen game was not found";
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");
  EXPECT_EQ(app.items().size(), 4u);

  // options.set is taken from the chosen game's folder.
  app.click(CTL_RACE);
  EXPECT_EQ(app.text(CTL_STATUS), "Options=Race");
  EXPECT_EQ(read_file(fx.options())[4], 5);

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  SavedSettings s;
  s.paletten = fx.pals;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.game + "qz.ini";
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(s.text()));
}

TEST(Startup, PaletteFolderMissingAndFolderRequesterCancelledGivesAnEmptyList) {
  Fixture fx("folder_missing");
  fx.install_game();
  write_file(fx.prefs(), "paletten = " + fx.root + "keine\\\r\nVelo.exe = " + fx.game +
                             "Pistova.exe\r\nVelo.ini = " + fx.ini() + "\r\n");
  std::string prefs = read_file(fx.prefs());

  App app(fx.work);
  HWND req = app.dialog_with_text("Verzeichniss mit Paletten suchen");
  ASSERT_NE(req, nullptr) << "no folder requester";
  app.press(req, IDCANCEL);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.dialog(200), nullptr);
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(app.items().empty());
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  EXPECT_EQ(read_file(fx.prefs()), prefs) << "a cancelled folder requester changed the settings";
}

TEST(Startup, FolderChosenInTheRequesterIsKeptAsTheShellGivesItScannedAndSaved) {
  Fixture fx("folder_chosen");
  std::string ini = fixture_ini("PaletteFile = qz.pal");
  fx.install_game(ini);
  fx.add_palette("autumn.pal", 640, 480);  // for its bytes and its picture
  std::string chosen = fx.root + "Meine Paletten\\";
  ASSERT_TRUE(make_dirs(chosen));
  ASSERT_TRUE(CopyFileA((fx.pals + "autumn.pal").c_str(), (chosen + "Rot.pal").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((fx.pals + "autumn.jpg").c_str(), (chosen + "rot.jpg").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((fx.pals + "autumn.pal").c_str(), (chosen + "gelb.pal").c_str(), FALSE));
  write_file(fx.prefs(), "paletten = " + fx.root + "keine\\\r\nVelo.exe = " + fx.game +
                             "Pistova.exe\r\nVelo.ini = " + fx.ini() + "\r\n");
  // The shell names the drive in capitals and every folder as it is on disk.
  std::string shell_path = "C" + chosen.substr(1);
  settle_access_times(fx.game);

  App app(fx.work);
  HWND req = app.dialog_with_text("Verzeichniss mit Paletten suchen");
  ASSERT_NE(req, nullptr) << "no folder requester";
  choose_folder_beside_game(app, req, "Meine Paletten");
  if (HasFatalFailure()) return;
  app.press(req, IDOK);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  if (HWND box = app.dialog(300)) FAIL() << "a message after the folder was chosen: " << App::message_text(box);
  EXPECT_EQ(app.items(), (std::vector<std::string>{"gelb.pal", "rot.pal"})) << "the chosen folder was not scanned";
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");

  // The picture beside the palette is found through the folder as chosen,
  // and the palette line names the folder as the shell gave it.
  HANDLE builtin = app.image(CTL_PREVIEW);
  app.select("rot.pal");
  EXPECT_NE(app.image(CTL_PREVIEW), builtin) << "the preview of the chosen folder's palette was not found";
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= rot.pal");
  EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(rewritten_ini(ini, "PaletteFile = " + shell_path + "rot.pal")));

  ASSERT_EQ(app.close_and_wait(), 0u) << "no clean end after the close box";
  SavedSettings s;
  s.paletten = shell_path;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.ini();
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(s.text()));
}

TEST(Startup, FolderThatCannotBeScannedWhenOKIsPressedEndsWithoutSavingOrRestoring) {
  Fixture fx("folder_gone");
  std::string ini = fixture_ini("PaletteFile = " + fx.pals + "sunset.pal");
  fx.install_game(ini);
  fx.add_standard_palettes();
  std::string gone = fx.root + "Weg\\";
  ASSERT_TRUE(make_dirs(gone));
  ASSERT_TRUE(CopyFileA((fx.pals + "tiny.pal").c_str(), (gone + "tiny.pal").c_str(), FALSE));
  std::string prefs = "paletten = " + fx.root + "keine\\\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " +
                      fx.ini() + "\r\nset_org_ende = 1\r\n";
  write_file(fx.prefs(), prefs);
  settle_access_times(fx.game);

  App app(fx.work);
  HWND req = app.dialog_with_text("Verzeichniss mit Paletten suchen");
  ASSERT_NE(req, nullptr) << "no folder requester";
  choose_folder_beside_game(app, req, "Weg");
  if (HasFatalFailure()) return;
  // Another program removes the folder while it is selected: the requester
  // still gives it, and its scan fails.
  remove_tree(gone);
  ASSERT_FALSE(file_exists(gone));
  {
    FolderTree tree(req);
    ASSERT_EQ(tree.text(tree.caret()), "Weg") << "the requester followed the removal; nothing left to test";
  }
  app.press(req, IDOK);
  expect_message_then_end(app, "Paletten nicht gefunden !!");
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(prefs)) << "settings saved on a fatal path";
  EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(ini)) << "qz.ini restored on a fatal path";
  EXPECT_EQ(folder_names(fx.game), (std::vector<std::string>{"Pistova.exe", "options.set", "paletten", "qz.ini",
                                                             "qz.pal"}));
}

TEST(Startup, QzIniChosenInTheRequesterIsUsedLowerCasedAndSaved) {
  Fixture fx("ini_chosen");
  fx.install_game();
  ASSERT_TRUE(DeleteFileA(fx.ini().c_str()));
  fx.add_standard_palettes();
  std::string folder = fx.root + "Konfig\\";
  ASSERT_TRUE(make_dirs(folder));
  std::string ini = fixture_ini("PaletteFile = c:\\spiel\\Tiny.pal");
  write_file(folder + "qz.ini", ini);
  write_file(fx.prefs(), "paletten = " + fx.pals + "\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " +
                             fx.root + "nowhere\\qz.ini\r\n");
  std::string upper = folder + "QZ.INI";
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

  App app(fx.work);
  HWND req = app.dialog_titled("Wo ist qz.ini");
  ASSERT_NE(req, nullptr) << "no open-file requester for qz.ini";
  app.type_file_name(req, upper);
  app.press(req, IDOK);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  if (HWND box = app.dialog(300)) FAIL() << "a message after qz.ini was chosen: " << App::message_text(box);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= Tiny.pal") << "the chosen qz.ini was not read";
  EXPECT_EQ(app.items().size(), 4u);

  app.select("sunset.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
  EXPECT_EQ(hex_dump(read_file(folder + "qz.ini")),
            hex_dump(rewritten_ini(ini, "PaletteFile = " + fx.pals + "sunset.pal")));
  EXPECT_EQ(read_file(folder + "qz.ini.orig"), ini);
  EXPECT_EQ(folder_names(folder), (std::vector<std::string>{"qz.ini", "qz.ini.orig"}));
  EXPECT_FALSE(file_exists(fx.ini())) << "a qz.ini was made beside the game";

  ASSERT_EQ(app.close_and_wait(), 0u) << "no clean end after the close box";
  SavedSettings s;
  s.paletten = fx.pals;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.root + "konfig\\qz.ini";
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(s.text()));
}

TEST(Startup, WindowMovedAndResizedIsSavedAndRestoredAtTheNextStart) {
  Fixture fx("geometry");
  fx.set_up_standard_game({}, "Window_h = 300\r\n");
  {
    App app(fx.work);
    HWND main = app.main();
    ASSERT_NE(main, nullptr);
    app.settle();
    // A stored height below the minimum still sets the list from it.
    EXPECT_EQ(app.size(CTL_PALETTE_LIST).cy, 275);

    RECT want{0, 0, 760, 560};
    AdjustWindowRectEx(&want, static_cast<DWORD>(GetWindowLongPtrA(main, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(main, GWL_EXSTYLE)));
    SetWindowPos(main, nullptr, 140, 90, want.right - want.left, want.bottom - want.top, SWP_NOZORDER | SWP_NOACTIVATE);
    app.settle();
    RECT client = client_on_screen(main);
    ASSERT_EQ(client.bottom - client.top, 560);
    EXPECT_EQ(app.size(CTL_PALETTE_LIST).cx, 300);
    EXPECT_EQ(app.size(CTL_PALETTE_LIST).cy, 535) << "the list did not follow the window's height";
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  SavedSettings s;
  s.paletten = fx.pals;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.ini();
  s.x = 140;
  s.y = 90;
  s.w = 760;
  s.h = 560;
  std::string saved = read_file(fx.prefs());
  EXPECT_EQ(hex_dump(saved), hex_dump(s.text()));
  expect_window_comes_back(fx, "140,90 760x560", 535);
  EXPECT_EQ(read_file(fx.prefs()), saved) << "an unchanged run rewrote the settings";
}

TEST(Startup, WindowMovedButNotResizedComesBackWhereItWasLeft) {
  Fixture fx("moved");
  fx.set_up_standard_game();
  const std::string written = read_file(fx.prefs());
  {
    // Untouched: the hand-written settings stay as they are.
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(written)) << "an untouched run rewrote the settings";
  {
    App app(fx.work);
    HWND main = app.main();
    ASSERT_NE(main, nullptr);
    app.settle();
    SetWindowPos(main, nullptr, 230, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    app.settle();
    ASSERT_EQ(placement(main), "230,140 700x500");
    ASSERT_EQ(app.close_and_wait(), 0u) << "no clean end after the close box";
  }
  SavedSettings s;
  s.paletten = fx.pals;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.ini();
  s.x = 230;
  s.y = 140;
  const std::string saved = read_file(fx.prefs());
  EXPECT_EQ(hex_dump(saved), hex_dump(s.text())) << "the new position was not saved";
  expect_window_comes_back(fx, "230,140 700x500", 475);
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(saved)) << "an untouched run rewrote the settings";
}

TEST(Startup, SettingsThatCannotBeWrittenAtExitAreReported) {
  Fixture fx("prefs_readonly");
  fx.set_up_standard_game();
  std::string prefs = read_file(fx.prefs());
  Unwritable ro(fx.prefs());
  {
    // Nothing changed: no message, the file stays.
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    app.close_window();
    if (HWND box = app.dialog(1000)) {
      ADD_FAILURE() << "unchanged settings, yet a message at exit: " << App::message_text(box);
      app.press(box, IDOK);
    }
    ASSERT_TRUE(app.wait_exit());
  }
  {
    App app(fx.work);
    HWND main = app.main();
    ASSERT_NE(main, nullptr);
    app.settle();
    SetWindowPos(main, nullptr, 120, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r{};
    GetWindowRect(main, &r);
    SetWindowPos(main, nullptr, 0, 0, r.right - r.left + 20, r.bottom - r.top + 20,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    app.settle();
    app.close_window();
    expect_message_then_end(app, "Einstellungen nicht gespeichert !!");
  }
  EXPECT_EQ(read_file(fx.prefs()), prefs);
}

// A backup program has the settings open (no sharing) at the start:
// a message, defaults, and the save at exit leaves the file as it is.
TEST(Startup, SettingsThatCannotBeReadAtTheStartAreNeverOverwritten) {
  Fixture fx("prefs_held", "c:\\games\\kurvo\\");  // found with the defaults
  fx.install_game();
  fx.add_standard_palettes();
  const std::string prefs = "Favorite1 = blue.pal\r\nlaps_hot = 9\r\n";
  write_file(fx.prefs(), prefs);
  HANDLE backup = CreateFileA(fx.prefs().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  App app(fx.work);
  HWND box = app.dialog_with_text("Einstellungen nicht gelesen !!");
  ASSERT_NE(box, nullptr) << "no message about the settings";
  CloseHandle(backup);
  app.press(box, IDOK);
  app.settle();
  SetWindowPos(app.main(), nullptr, 150, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // changed
  app.settle();
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(prefs));
}

// A second start while Tintwerk runs hands over to it: no window of its own,
// no file read, rolled forward or written, exit code 0, and the first window
// restored and in front, whether it was minimised or behind another window.
TEST(Startup, SecondStartBringsTheRunningWindowToTheFrontAndTouchesNothing) {
  Fixture fx("second_start");
  fx.set_up_standard_game();
  App first(fx.work);
  HWND main = first.main();
  ASSERT_NE(main, nullptr);
  first.settle();
  // A leftover that any start's roll-forward would tidy away.
  ASSERT_TRUE(write_file(fx.prefs() + ".tw1.part", "halb"));
  auto files = [&] {
    std::vector<std::string> all{read_file(fx.prefs()), read_file(fx.ini()), read_file(fx.options())};
    for (const std::string& folder : {fx.work, fx.game, fx.pals})
      for (const std::string& name : folder_names(folder)) all.push_back(folder + name);
    return all;
  };
  const std::vector<std::string> before = files();
  HWND cover = CreateWindowExA(0, "STATIC", "davor", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024, nullptr, nullptr,
                               nullptr, nullptr);
  for (bool minimised : {true, false}) {
    SCOPED_TRACE(minimised ? "minimised" : "behind another window");
    if (minimised) ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(minimised || SetForegroundWindow(cover));
    ASSERT_TRUE(wait_for([&] { return minimised ? IsIconic(main) != 0 : GetForegroundWindow() == cover; }));

    const ULONGLONG start = GetTickCount64();
    App second(fx.work);
    ASSERT_TRUE(second.started());
    bool own_window = false;
    wait_for([&] {
      own_window = own_window || !top_windows(second.pid()).empty();
      return !second.running();
    }, 10000);
    const ULONGLONG took = GetTickCount64() - start;
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(second.wait_exit(0, &code)) << "the second start did not end by itself";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(own_window) << "the second start made a window of its own";
    EXPECT_LT(took, 4000u) << "the second start waited out its time instead of finding the running window";
    std::printf("second start ended after %u ms\n", static_cast<unsigned>(took));
    EXPECT_TRUE(wait_for([&] { return !IsIconic(main) && GetForegroundWindow() == main; }, 3000))
        << "the running window was not restored and brought to the front";
    EXPECT_EQ(files(), before) << "the second start touched the files";
  }
  DestroyWindow(cover);
  ASSERT_EQ(first.close_and_wait(), 0u) << "no clean end after the close box";
}
