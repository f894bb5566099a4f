// The palette list and the preview: sorting, selection, preview pictures of
// several sizes, and odd folders (a sub-folder named like a palette, names
// with bytes above 127, ten thousand palettes, long paths, a broken picture).
#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

POINT client_pos(HWND main, const RECT& r) {
  POINT p{r.left, r.top};
  ScreenToClient(main, &p);
  return p;
}

}  // namespace

TEST(Preview, SelectionNamesThePaletteAndShowsItsPictureScaledToTheBox) {
  Fixture fx("preview");
  fx.install_game();
  fx.add_standard_palettes();
  fx.add_palette("a_b.pal");
  fx.add_palette("aa.pal");
  fx.write_prefs();
  std::string ini = read_file(fx.ini());

  App app(fx.work);
  HWND main = app.main();
  ASSERT_NE(main, nullptr);
  app.settle();
  // Lower-cased, sorted by byte: the underscore comes before the letters.
  EXPECT_EQ(app.items(), (std::vector<std::string>{"a_b.pal", "aa.pal", "autumn.pal", "blue.pal", "sunset.pal",
                                                   "tiny.pal"}));
  HANDLE builtin = app.image(CTL_PREVIEW);
  ASSERT_NE(builtin, nullptr) << "no default picture at start";

  struct Step {
    const char* name;
    int w, h;
    bool own_picture;
  } steps[] = {
      {"autumn.pal", 300, 225, true},   // 640 x 480
      {"sunset.pal", 300, 175, true},   // 1024 x 600
      {"tiny.pal", 200, 100, true},     // shown as it is
      {"blue.pal", 300, 225, false},    // no picture: the built-in one again
      {"autumn.pal", 300, 225, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    app.select(s.name);
    EXPECT_EQ(app.text(CTL_STATUS), s.name);
    EXPECT_EQ(app.size(CTL_PREVIEW).cx, s.w);
    EXPECT_EQ(app.size(CTL_PREVIEW).cy, s.h);
    POINT at = client_pos(main, app.rect(CTL_PREVIEW));
    EXPECT_EQ(at.x, 350);
    EXPECT_EQ(at.y, 10);
    HANDLE shown = app.image(CTL_PREVIEW);
    EXPECT_NE(shown, nullptr);
    if (s.own_picture)
      EXPECT_NE(shown, builtin);
    else
      EXPECT_EQ(shown, builtin);
  }
  // A list event without a selection empties the status line and shows the default picture.
  app.select(-1);
  EXPECT_EQ(app.text(CTL_STATUS), "");
  EXPECT_EQ(app.image(CTL_PREVIEW), builtin);
  EXPECT_TRUE(app.running());

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  EXPECT_EQ(read_file(fx.ini()), ini) << "selecting alone changed qz.ini";
  EXPECT_FALSE(file_exists(fx.ini() + ".orig"));
}

TEST(Preview, OddFolderEntriesEndWithAMessageNeverACrash) {
  Fixture fx("odd_entries");
  fx.install_game();
  fx.add_palette("autumn.pal", 640, 480);
  make_dirs(fx.pals + "old.pal");
  fx.add_palette("F\xC4HRE.pal", 640, 480);
  fx.add_palette("broken.pal");
  write_file(fx.pals + "broken.jpg", std::string("\xFF\xD8\xFF\xE0 this is no picture at all", 31));
  fx.add_palette("trunc.pal");
  {
    std::string good = read_file(fx.pals + "autumn.jpg");
    write_file(fx.pals + "trunc.jpg", good.substr(0, good.size() / 3));
  }
  // A few hundred bytes whose frame header claims 30000 x 30000 pixels.
  fx.add_palette("huge.pal", 16, 16);
  {
    std::string tiny = read_file(fx.pals + "huge.jpg");
    size_t sof = tiny.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    tiny.replace(sof + 5, 4, "\x75\x30\x75\x30");
    write_file(fx.pals + "huge.jpg", tiny);
  }
  fx.write_prefs();

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.items(), (std::vector<std::string>{"autumn.pal", "broken.pal", "f\xE4hre.pal", "huge.pal",
                                                   "old.pal", "trunc.pal"}));
  HANDLE builtin = app.image(CTL_PREVIEW);

  app.select("broken.pal");
  EXPECT_EQ(app.text(CTL_STATUS), "broken.pal");
  EXPECT_EQ(app.image(CTL_PREVIEW), nullptr) << "an undecodable picture should leave the box empty";
  app.select("trunc.pal");  // a cut-off file: shown as far as it goes, or not at all
  EXPECT_TRUE(app.running());
  EXPECT_EQ(app.text(CTL_STATUS), "trunc.pal");

  const DWORD asked = GetTickCount();
  app.select("huge.pal");  // decoded at an eighth of what it claims, then fitted into the box
  EXPECT_LT(GetTickCount() - asked, 5000u) << "a tiny picture claiming 30000 x 30000 kept the program busy";
  EXPECT_EQ(app.text(CTL_STATUS), "huge.pal");
  EXPECT_NE(app.image(CTL_PREVIEW), nullptr);
  EXPECT_EQ(app.size(CTL_PREVIEW).cx, 225);
  EXPECT_EQ(app.size(CTL_PREVIEW).cy, 225);

  app.select("old.pal");  // a sub-folder: listed, no picture, cannot be activated
  EXPECT_EQ(app.image(CTL_PREVIEW), builtin);
  std::string ini = read_file(fx.ini());
  app.click(CTL_ACTIVATE);
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(App::message_text(box), "Fehler Palette !!");
  app.press(box, IDOK);
  EXPECT_EQ(read_file(fx.ini()), ini);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");

  app.select("f\xE4hre.pal");
  EXPECT_EQ(app.text(CTL_STATUS), "f\xE4hre.pal");
  EXPECT_NE(app.image(CTL_PREVIEW), builtin) << "the picture of a name with an umlaut was not found";
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.dialog(200), nullptr);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= f\xE4hre.pal");
  EXPECT_EQ(hex_dump(read_file(fx.ini())),
            hex_dump(rewritten_ini(ini, "PaletteFile = " + fx.pals + "f\xE4hre.pal")));

  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(Preview, TenThousandPalettesAreListedInOrder) {
  Fixture fx("many");
  fx.install_game();
  std::string pals = many_palettes("p10000");
  write_file(fx.prefs(), "paletten = " + pals + "\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " + fx.ini() +
                             "\r\n");

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  // Wait for the list to be filled: a list box that redraws its scroll bar on
  // every added item takes minutes under Wine.
  EXPECT_TRUE(wait_for([&] {
    app.settle();
    return app.count() == 10000;
  }, 30000)) << "10,000 palettes took more than 30 s to list";
  ASSERT_EQ(app.count(), 10000);
  EXPECT_EQ(app.item(0), "p00000.pal");
  EXPECT_EQ(app.item(4711), "p04711.pal");
  EXPECT_EQ(app.item(9999), "p09999.pal");
  app.select(9999);
  EXPECT_EQ(app.text(CTL_STATUS), "p09999.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= p09999.pal");
  app.close_window();
  ASSERT_TRUE(app.wait_exit(15000));
}

TEST(Preview, PathsNearTheLimitWork) {
  Fixture fx("long");
  fx.install_game();
  // A palette folder deep enough that folder + name + ".jpg" is 259 characters.
  std::string folder = fx.pals;
  while (folder.size() < 200) folder += std::string(40, 'd').substr(0, std::min<size_t>(40, 200 - folder.size())) + "\\";
  ASSERT_TRUE(make_dirs(folder));
  std::string name = std::string(259 - folder.size(), 'n');
  name.replace(name.size() - 4, 4, ".pal");
  std::string jpg_name = name.substr(0, name.size() - 4) + ".jpg";
  ASSERT_EQ(folder.size() + jpg_name.size(), 259u);
  fx.add_palette("x.pal");  // for its bytes
  std::string pal_bytes = read_file(fx.pals + "x.pal");
  ASSERT_TRUE(write_file(folder + name, pal_bytes));
  ASSERT_TRUE(CopyFileA((fx.pals + "x.pal").c_str(), (folder + "x.pal").c_str(), FALSE));
  write_file(fx.prefs(), "paletten = " + folder + "\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " +
                             fx.ini() + "\r\n");
  {
    // a picture for the long name, written through the short one
    Fixture tmp("long_pic");
    tmp.add_palette("p.pal", 640, 480);
    ASSERT_TRUE(CopyFileA((tmp.pals + "p.jpg").c_str(), (folder + jpg_name).c_str(), FALSE));
  }
  std::string ini = read_file(fx.ini());

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.items(), (std::vector<std::string>{name, "x.pal"}));
  HANDLE builtin = app.image(CTL_PREVIEW);
  app.select(name);
  EXPECT_EQ(app.text(CTL_STATUS), name.substr(0, 29) + "~");
  EXPECT_NE(app.image(CTL_PREVIEW), builtin);
  EXPECT_EQ(app.size(CTL_PREVIEW).cx, 300);
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.dialog(200), nullptr);
  EXPECT_EQ(app.text(CTL_STATUS), ("qz.ini= " + name).substr(0, 29) + "~");
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = " + folder + name));
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}
