// Race presets in options.set, the settings window and the favourite buttons.
#include <gtest/gtest.h>

#include "app/portable/race_options.h"
#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

// The fixture's options.set with the five preset bytes put in.
std::string with_preset(std::string base, int laps, int tyre, int use, int damage, int kg) {
  if (base.size() < 17) base.resize(17, '\0');
  base[4] = static_cast<char>(laps);
  base[13] = static_cast<char>(tyre);
  base[14] = static_cast<char>(use);
  base[15] = static_cast<char>(damage);
  base[16] = static_cast<char>(kg);
  return base;
}

}  // namespace

TEST(Presets, HotlapAndRaceWriteTheirFiveBytesAndNothingElse) {
  Fixture fx("presets");
  fx.install_game();
  fx.write_prefs();

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  app.click(CTL_HOTLAP);
  EXPECT_EQ(app.text(CTL_STATUS), "Options=Hotlap");
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 10, 0, 0, 0, 50)));
  app.click(CTL_RACE);
  EXPECT_EQ(app.text(CTL_STATUS), "Options=Race");
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 5, 30, 30, 30, 50)));

  // A missing file is created, 17 bytes long.
  ASSERT_TRUE(DeleteFileA(fx.options().c_str()));
  app.click(CTL_HOTLAP);
  EXPECT_EQ(app.text(CTL_STATUS), "Options=Hotlap");
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(std::string(), 10, 0, 0, 0, 50)));

  // Read-only: reported, unchanged.
  write_file(fx.options(), fixture_options());
  {
    Unwritable ro(fx.options());
    app.click(CTL_RACE);
    EXPECT_EQ(app.text(CTL_STATUS), "Fehler Options.set: gesch\xFCtzt");
    EXPECT_EQ(read_file(fx.options()), fixture_options());
  }

  // Held open by the game without sharing: reported, unchanged.
  app.click(CTL_HOTLAP);
  ASSERT_EQ(app.text(CTL_STATUS), "Options=Hotlap");
  write_file(fx.options(), fixture_options());
  HANDLE held = CreateFileA(fx.options().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  app.click(CTL_RACE);
  EXPECT_EQ(app.text(CTL_STATUS), "Fehler Options.set: gesperrt");
  CloseHandle(held);
  EXPECT_EQ(read_file(fx.options()), fixture_options());

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(Presets, HandEditedValuesAreWrittenAsTheirLowEightBits) {
  Fixture fx("preset_values");
  fx.install_game();
  fx.write_prefs("laps_hot = 300\r\ntyre_hot = abc\r\nsprit_hot = 12kg\r\nlaps_race = -1\r\n");

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  app.click(CTL_HOTLAP);
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 44, 0, 0, 0, 12)));
  app.click(CTL_RACE);
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 255, 30, 30, 30, 50)));
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(SettingsWindow, EditsLimitsFavouritesAndTheExitChoiceReachTheSettingsFile) {
  Fixture fx("settings_window");
  fx.set_up_standard_game();

  App app(fx.work);
  HWND main = app.main();
  ASSERT_NE(main, nullptr);
  app.settle();

  app.click(CTL_MENU);
  HWND win = nullptr;
  ASSERT_TRUE(wait_for([&] { return (win = app.window("Einstellungen")) != nullptr; }, 3000));
  EXPECT_EQ(GetWindowLongPtrA(win, GWL_STYLE) & WS_SYSMENU, 0) << "the settings window has no close box";
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "qz.pal") << "the palette qz.ini names is the selected one at start";
  EXPECT_EQ(app.text(edit_control(Hotlap, Laps)), "10");
  EXPECT_EQ(app.text(edit_control(Hotlap, Sprit)), "50");
  EXPECT_EQ(app.text(edit_control(Race, Damage)), "30");
  EXPECT_EQ(SendMessageA(app.control(CTL_RESTORE_CHECK), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Limits are applied while typing.
  app.type(edit_control(Hotlap, Laps), "150");
  EXPECT_EQ(app.text(edit_control(Hotlap, Laps)), "100");
  app.type(edit_control(Hotlap, Sprit), "250");
  EXPECT_EQ(app.text(edit_control(Hotlap, Sprit)), "200");
  app.type(edit_control(Race, Sprit), "180");
  EXPECT_EQ(app.text(edit_control(Race, Sprit)), "180");
  app.type(edit_control(Race, Laps), "7x");  // letters are not taken by a digits-only field
  EXPECT_EQ(app.text(edit_control(Race, Laps)), "7");
  app.type(edit_control(Hotlap, Damage), "");  // cleared: counts as 0
  EXPECT_EQ(app.text(edit_control(Hotlap, Damage)), "");
  app.click(CTL_RESTORE_CHECK);
  EXPECT_EQ(SendMessageA(app.control(CTL_RESTORE_CHECK), BM_GETCHECK, 0, 0), BST_CHECKED);

  // While it is open the main window's close box does nothing.
  app.close_window();
  app.settle();
  EXPECT_TRUE(app.running());
  EXPECT_NE(app.window("Einstellungen"), nullptr);

  app.click(CTL_SET_TOP1);
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "Top1: qz.pal");
  app.click(CTL_OK);
  ASSERT_TRUE(wait_for([&] { return app.window("Einstellungen") == nullptr; }, 3000));
  EXPECT_EQ(app.text(CTL_FAVORITE1_LABEL), "qz.pal");
  EXPECT_TRUE(app.running()) << "the close ignored in the settings window ended the program later";

  app.select("sunset.pal");
  app.click(CTL_MENU);
  ASSERT_TRUE(wait_for([&] { return app.window("Einstellungen") != nullptr; }, 3000));
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "sunset.pal");
  EXPECT_EQ(app.text(edit_control(Hotlap, Laps)), "100") << "the edited value did not stay";
  app.click(CTL_SET_TOP2);
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "Top2: sunset.pal");
  app.click(CTL_OK);
  ASSERT_TRUE(wait_for([&] { return app.window("Einstellungen") == nullptr; }, 3000));
  EXPECT_EQ(app.text(CTL_FAVORITE2_LABEL), "sunset.pal");

  app.click(CTL_HOTLAP);
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 100, 0, 0, 0, 200)));
  app.click(CTL_RACE);
  EXPECT_EQ(hex_dump(read_file(fx.options())), hex_dump(with_preset(fixture_options(), 7, 30, 30, 30, 180)));

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  SavedSettings s;
  s.paletten = fx.pals;
  s.exe = fx.game + "pistova.exe";
  s.ini = fx.ini();
  s.fav1 = "qz.pal";
  s.fav2 = "sunset.pal";
  s.hot[0] = "100";
  s.hot[3] = "200";
  s.hot[4] = "";
  s.race[0] = "7";
  s.race[3] = "180";
  s.set_org = "1";
  EXPECT_EQ(hex_dump(read_file(fx.prefs())), hex_dump(s.text()));
  // set_org_ende 1, and qz.ini names qz.pal: left alone.
  EXPECT_FALSE(file_exists(fx.ini() + ".orig"));
}

TEST(Favourites, UnsetDoesNothingASetOneActivatesAndStartsTheGame) {
  Fixture fx("favourites");
  fx.set_up_standard_game({}, "Favorite2 = AUTUMN.PAL\r\nFavorite1 = nix\r\n");
  std::string ini = read_file(fx.ini());

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.text(CTL_FAVORITE1_LABEL), "nix");
  EXPECT_EQ(app.text(CTL_FAVORITE2_LABEL), "autumn.pal");
  app.select("tiny.pal");

  app.click(CTL_FAVORITE1);
  Sleep(700);
  app.settle();
  EXPECT_FALSE(file_exists(fx.log())) << "Top1 without a favourite started the game";
  EXPECT_EQ(read_file(fx.ini()), ini);
  EXPECT_EQ(app.text(CTL_STATUS), "tiny.pal");

  DWORD t0 = GetTickCount();
  HWND top2 = app.control(CTL_FAVORITE2);
  ASSERT_NE(top2, nullptr);
  PostMessageA(top2, BM_CLICK, 0, 0);
  ASSERT_TRUE(wait_for([&] { return read_file(fx.log()).find("palette=") != std::string::npos; }, 5000))
      << "the favourite did not start the game";
  DWORD waited = GetTickCount() - t0;
  EXPECT_GE(waited, 450u) << "the game should start half a second after the activation";
  std::string cwd = fx.work.substr(0, fx.work.size() - 1);
  EXPECT_EQ(read_file(fx.log()), "cmdline=\"" + fx.game + "pistova.exe\"\r\ncwd=" + cwd + "\r\npalette=" + fx.pals +
                                     "autumn.pal\r\n");
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= autumn.pal");
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = " + fx.pals + "autumn.pal"));
  // The list selection stays.
  EXPECT_EQ(SendMessageA(app.control(CTL_PALETTE_LIST), LB_GETCURSEL, 0, 0), 3);

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(Favourites, LongNamesAreShortenedOnTheLabels) {
  Fixture fx("fav_long");
  fx.install_game();
  fx.add_palette("a_very_long_palette_name.pal");
  fx.write_prefs("Favorite1 = a_very_long_palette_name.pal\r\nFavorite2 = eighteen_chars.pal\r\n");

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.text(CTL_FAVORITE1_LABEL), "a_very_long_palett~");
  EXPECT_EQ(app.text(CTL_FAVORITE2_LABEL), "eighteen_chars.pal");
  // A favourite whose file is missing: message, no game.
  app.click(CTL_FAVORITE2);
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(App::message_text(box), "Fehler Palette !!");
  app.press(box, IDOK);
  Sleep(700);
  app.settle();
  EXPECT_FALSE(file_exists(fx.log()));
  app.click(CTL_FAVORITE1);
  ASSERT_TRUE(wait_for([&] { return file_exists(fx.log()); }, 5000));
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= a_very_long_palette_n~");
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}
