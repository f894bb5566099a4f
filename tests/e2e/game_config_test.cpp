// Activation and restore: how qz.ini is rewritten (and never cut off or lost),
// the pristine copy qz.ini.orig, a deleted palette, restore at exit, and a
// qz.ini that cannot be written or was changed by someone else meanwhile, and
// the pause after the restore at exit and its failure told before the end.
#include <gtest/gtest.h>

#include "files/portable/copies.h"
#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

const std::vector<std::string> kGameFiles = {"Pistova.exe", "options.set", "paletten", "qz.ini", "qz.pal"};

std::vector<std::string> with_orig() {
  return {"Pistova.exe", "options.set", "paletten", "qz.ini", "qz.ini.orig", "qz.pal"};
}

}  // namespace

TEST(GameConfig, ActivationAndRestoreRewriteEveryPaletteLineAndKeepAPristineCopy) {
  Fixture fx("activate");
  std::string original = fixture_ini("PaletteFile = qz.pal\r\n PaletteFile=c:\\old\\QZ2.pal ");
  fx.set_up_standard_game(original);
  {
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= QZ2.pal") << "the last palette line decides, its case kept";

    app.select("sunset.pal");
    app.click(CTL_ACTIVATE);
    EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
    std::string line = "PaletteFile = " + fx.pals + "sunset.pal";
    EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(rewritten_ini(original, line)));
    EXPECT_EQ(read_file(fx.ini() + ".orig"), original) << "no pristine copy before the first rewrite";
    EXPECT_EQ(folder_names(fx.game), with_orig()) << "a temporary file was left behind";

    app.select("autumn.pal");
    app.click(CTL_ACTIVATE);
    EXPECT_EQ(read_file(fx.ini()), rewritten_ini(original, "PaletteFile = " + fx.pals + "autumn.pal"));

    app.click(CTL_RESTORE);
    EXPECT_EQ(app.text(CTL_STATUS), "Palette = org");
    EXPECT_EQ(read_file(fx.ini()), rewritten_ini(original, "PaletteFile = qz.pal"));
    EXPECT_EQ(read_file(fx.ini() + ".orig"), original) << "the pristine copy was overwritten";
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  {
    // A later run keeps the copy of the first one.
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");
    app.select("tiny.pal");
    app.click(CTL_ACTIVATE);
    EXPECT_EQ(read_file(fx.ini()), rewritten_ini(original, "PaletteFile = " + fx.pals + "tiny.pal"));
    EXPECT_EQ(read_file(fx.ini() + ".orig"), original);
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  EXPECT_EQ(folder_names(fx.game), with_orig());
}

TEST(GameConfig, DeletedPaletteIsReportedAndStopsTheGameStartUntilARestore) {
  Fixture fx("deleted");
  fx.set_up_standard_game();

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  app.select("autumn.pal");
  app.click(CTL_ACTIVATE);
  std::string ini = read_file(fx.ini());
  ASSERT_EQ(ini, rewritten_ini(read_file(fx.ini() + ".orig"), "PaletteFile = " + fx.pals + "autumn.pal"));

  app.select("blue.pal");
  ASSERT_TRUE(DeleteFileA((fx.pals + "Blue.pal").c_str()));
  app.click(CTL_ACTIVATE);
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr) << "no message for a deleted palette";
  EXPECT_EQ(App::message_text(box), "Fehler Palette !!");
  app.press(box, IDOK);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= autumn.pal");
  EXPECT_EQ(read_file(fx.ini()), ini);

  // Start does nothing now.
  app.click(CTL_LAUNCH);
  Sleep(700);
  app.settle();
  EXPECT_FALSE(file_exists(fx.log())) << "the game was started after a failed activation";

  // After a restore it starts, from Tintwerk's working folder.
  app.click(CTL_RESTORE);
  EXPECT_EQ(app.text(CTL_STATUS), "Palette = org");
  app.click(CTL_LAUNCH);
  ASSERT_TRUE(wait_for([&] { return read_file(fx.log()).find("palette=") != std::string::npos; }, 5000))
      << "the game did not start";
  std::string cwd = fx.work.substr(0, fx.work.size() - 1);
  EXPECT_EQ(read_file(fx.log()), "cmdline=\"" + fx.game + "pistova.exe\"\r\ncwd=" + cwd + "\r\npalette=qz.pal\r\n");
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(GameConfig, RestoreOnExitPutsTheStockPaletteBackUnlessItIsActive) {
  Fixture fx("restore_exit");
  std::string plain = fixture_ini("PaletteFile = qz.pal");
  fx.set_up_standard_game(plain, "set_org_ende = 1\r\n");
  {
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  EXPECT_EQ(read_file(fx.ini()), plain) << "qz.ini named qz.pal already and must stay untouched";
  EXPECT_FALSE(file_exists(fx.ini() + ".orig"));

  std::string upper = fixture_ini("PaletteFile = C:\\Games\\QZ.PAL");
  write_file(fx.ini(), upper);
  {
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= QZ.PAL");
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(upper, "PaletteFile = qz.pal"));
  EXPECT_EQ(read_file(fx.ini() + ".orig"), upper);

  // Restore after an activation in the same run.
  {
    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    app.select("sunset.pal");
    app.click(CTL_ACTIVATE);
    ASSERT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
    app.close_window();
    ASSERT_TRUE(app.wait_exit());
  }
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(upper, "PaletteFile = qz.pal"));
}

TEST(GameConfig, QzIniWithoutPaletteLineIsReportedAndNeverWritten) {
  Fixture fx("no_line");
  std::string ini = fixture_ini("palettefile = qz.pal");
  fx.set_up_standard_game(ini);

  App app(fx.work);
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(App::message_text(box), "Fehler qz.ini Palette !!");
  app.press(box, IDOK);
  ASSERT_NE(app.main(), nullptr);
  EXPECT_EQ(app.text(CTL_STATUS).rfind("qz.ini=", 0), std::string::npos);
  EXPECT_FALSE(app.text(CTL_STATUS).empty()) << "the status line should keep the credit line";

  // Nothing detected, nothing selected: the settings window says so, and
  // "Set Top1" clears favourite 1.
  app.click(CTL_MENU);
  ASSERT_TRUE(wait_for([&] { return app.window("Einstellungen") != nullptr; }, 3000));
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "Nix gew\xE4hlt");
  app.click(CTL_SET_TOP1);
  EXPECT_EQ(app.text(CTL_FAVORITE_DISPLAY), "Top1: nix");
  app.click(CTL_OK);
  ASSERT_TRUE(wait_for([&] { return app.window("Einstellungen") == nullptr; }, 3000));
  EXPECT_EQ(app.text(CTL_FAVORITE1_LABEL), "nix");

  app.select("autumn.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "Fehler qz.ini") << "an activation that wrote nothing must say so";
  app.click(CTL_RESTORE);
  EXPECT_EQ(app.text(CTL_STATUS), "Fehler qz.ini");
  EXPECT_EQ(read_file(fx.ini()), ini);
  EXPECT_EQ(folder_names(fx.game), kGameFiles);
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  EXPECT_EQ(read_file(fx.ini()), ini);
}

TEST(GameConfig, ReadOnlyOrLockedQzIniIsReportedAndKeptWhole) {
  Fixture fx("ini_locked");
  fx.set_up_standard_game();
  std::string ini = read_file(fx.ini());

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  ASSERT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");

  // Read-only.
  {
    Unwritable ro(fx.ini());
    app.select("autumn.pal");
    app.click(CTL_ACTIVATE);
    EXPECT_EQ(app.text(CTL_STATUS), "Fehler qz.ini: gesch\xFCtzt");
    EXPECT_EQ(read_file(fx.ini()), ini);
    app.click(CTL_RESTORE);
    EXPECT_EQ(app.text(CTL_STATUS), "Fehler qz.ini: gesch\xFCtzt");
    EXPECT_EQ(read_file(fx.ini()), ini);
  }
  EXPECT_EQ(folder_names(fx.game).size(), kGameFiles.size() + (file_exists(fx.ini() + ".orig") ? 1 : 0))
      << "a temporary file was left behind";

  // Held open by the game, which lets others read but not write or replace it.
  HANDLE held = CreateFileA(fx.ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  app.select("sunset.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "Fehler qz.ini: gesperrt") << "a file held open without write or delete sharing";
  CloseHandle(held);
  EXPECT_EQ(read_file(fx.ini()), ini);

  // Free again: the next activation works.
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = " + fx.pals + "sunset.pal"));
  EXPECT_EQ(read_file(fx.ini() + ".orig"), ini);
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(GameConfig, LinesAddedByTheGameMeanwhileSurviveAnActivation) {
  Fixture fx("ini_changed");
  fx.set_up_standard_game();

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  std::string changed = read_file(fx.ini()) + "[Highscores]\r\nOval = 1:02.34\r\n";
  write_file(fx.ini(), changed);
  app.select("tiny.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= tiny.pal");
  EXPECT_EQ(hex_dump(read_file(fx.ini())),
            hex_dump(rewritten_ini(changed, "PaletteFile = " + fx.pals + "tiny.pal")));
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(GameConfig, QzIniHeldByTheGameWithReadAndWriteSharingIsStillRewritten) {
  Fixture fx("ini_shared");
  fx.set_up_standard_game();
  const std::string ini = read_file(fx.ini());
  // The game keeps qz.ini open as the C runtime's fopen(..., "r+") does:
  // reading and writing shared, deleting not. It holds it from before the start.
  HANDLE game = CreateFileA(fx.ini().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(game, INVALID_HANDLE_VALUE);

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= qz.pal");
  app.select("sunset.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
  EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(rewritten_ini(ini, "PaletteFile = " + fx.pals + "sunset.pal")));
  app.click(CTL_RESTORE);
  EXPECT_EQ(app.text(CTL_STATUS), "Palette = org");
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = qz.pal"));
  EXPECT_EQ(folder_names(fx.game), with_orig()) << "the recovery copy was left behind";
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  CloseHandle(game);
}

// A complete copy left by a crash is put in place at the next start; an
// unfinished one is removed; a file that only looks like one stays.
TEST(GameConfig, ACompleteCopyLeftByAnInterruptedRewriteIsPutInPlaceAtTheNextStart) {
  Fixture fx("leftover");
  fx.set_up_standard_game();
  const std::string copy = "PaletteFile = c:\\what\\was\\to\\be\\written.pal\r\n";
  // Named by the content its change was made from: what qz.ini holds.
  const std::string made_from = ".tw3." + tw::content_tag(read_file(fx.ini()));
  write_file(fx.ini() + made_from + ".new", copy);
  write_file(fx.ini() + ".tw4.part", "PaletteFile = c:\\cut");
  write_file(fx.ini() + ".tw3.tmp", "the player's");

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "Nachgeholt: qz.ini");
  EXPECT_EQ(read_file(fx.ini()), copy);
  EXPECT_EQ(read_file(fx.ini() + ".tw3.tmp"), "the player's");
  EXPECT_FALSE(file_exists(fx.ini() + made_from + ".new"));
  EXPECT_FALSE(file_exists(fx.ini() + ".tw4.part"));
  app.select("autumn.pal");
  app.click(CTL_ACTIVATE);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= autumn.pal");
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(copy, "PaletteFile = " + fx.pals + "autumn.pal"));
}

// Power lost between the replace's two moves: qz.ini is under its backup name
// with the complete copy beside it. The start puts the copy in place before
// it looks for qz.ini, so nothing is asked.
TEST(GameConfig, AStartAfterACutReplaceAsksNothingAndPutsTheCopyInPlace) {
  Fixture fx("cut_replace");
  fx.set_up_standard_game();
  const std::string copy = "PaletteFile = qz.pal\r\nX = 1\r\n";
  const std::string stem = fx.ini() + ".tw1." + tw::content_tag(read_file(fx.ini()));
  ASSERT_TRUE(MoveFileA(fx.ini().c_str(), (stem + ".old").c_str()));
  write_file(stem + ".new", copy);

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  EXPECT_EQ(app.dialog_titled("Wo ist qz.ini", 500), nullptr) << "asked for qz.ini before resolving its leftovers";
  EXPECT_EQ(app.text(CTL_STATUS), "Nachgeholt: qz.ini");
  EXPECT_EQ(read_file(fx.ini()), copy);
  EXPECT_EQ(folder_names(fx.game), kGameFiles) << "its leftovers stayed";
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(GameConfig, RestoreOnExitIsFollowedByHalfASecondBeforeTheProgramEnds) {
  Fixture fx("restore_pause");
  std::string ini = fixture_ini("PaletteFile = " + fx.pals + "sunset.pal");
  fx.set_up_standard_game(ini, "set_org_ende = 1\r\n");

  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  ASSERT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
  FILETIME asked{};
  GetSystemTimeAsFileTime(&asked);
  ASSERT_EQ(app.close_and_wait(), 0u) << "no clean end after the close box";
  ASSERT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = qz.pal"));

  // Measured from outside: the time qz.ini was written (the temporary file
  // moved into place keeps it) against the end of the process, both as the
  // system keeps them. File times come from a clock that may lag the system
  // time by a few milliseconds, and Sleep on Windows may wake up to a timer
  // tick (15.6 ms) early: 470 ms allow for both.
  FILETIME written = last_write_time(fx.ini()), ended{};
  ASSERT_TRUE(app.exit_time(&ended));
  EXPECT_GE(ms_between(asked, written), -50.0) << "the file time is not the rewrite at exit";
  const double pause = ms_between(written, ended);
  EXPECT_GE(pause, 470.0) << "the program ended " << pause << " ms after the restore";
}

namespace {

// qz.ini held open by another process (here the test) with read sharing
// only, as the game holds it: it can be neither replaced nor written in place.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() {
    if (held()) CloseHandle(handle_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

TEST(GameConfig, RestoreAtExitThatCannotBeWrittenIsToldBeforeTheEnd) {
  {
    Fixture fx("restore_held");
    std::string ini = fixture_ini("PaletteFile = " + fx.pals + "sunset.pal");
    fx.set_up_standard_game(ini, "set_org_ende = 1\r\n");

    App app(fx.work);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    ASSERT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
    {
      HeldOpen game(fx.ini());
      ASSERT_TRUE(game.held());
      app.close_window();
      HWND box = app.dialog_titled("Achtung");
      ASSERT_NE(box, nullptr) << "the restore at exit failed without a word";
      EXPECT_EQ(App::message_text(box), "Fehler qz.ini");
      EXPECT_TRUE(app.running()) << "the program ended before the message was answered";
      app.press(box, IDOK);
      DWORD code = 1;
      ASSERT_TRUE(app.wait_exit(8000, &code)) << "the program did not end after the message";
      EXPECT_EQ(code, 0u);
    }
    EXPECT_EQ(hex_dump(read_file(fx.ini())), hex_dump(ini));
    // The pristine copy may have been made (copying only reads qz.ini); no
    // temporary file is left.
    EXPECT_EQ(folder_names(fx.game), file_exists(fx.ini() + ".orig") ? with_orig() : kGameFiles);
    if (file_exists(fx.ini() + ".orig")) {
      EXPECT_EQ(read_file(fx.ini() + ".orig"), ini);
    }
  }
  {
    // Without a palette line start-up has said so; the failed restore at exit
    // says nothing more.
    Fixture fx("restore_no_line");
    std::string ini = fixture_ini("palettefile = qz.pal");
    fx.set_up_standard_game(ini, "set_org_ende = 1\r\n");

    App app(fx.work);
    HWND box = app.dialog_titled("Achtung");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(App::message_text(box), "Fehler qz.ini Palette !!");
    app.press(box, IDOK);
    ASSERT_NE(app.main(), nullptr);
    app.settle();
    app.close_window();
    if (HWND late = app.dialog(1500)) {
      ADD_FAILURE() << "a message at exit: " << App::message_text(late);
      app.press(late, IDOK);
    }
    DWORD code = 1;
    ASSERT_TRUE(app.wait_exit(8000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(read_file(fx.ini()), ini);
    EXPECT_EQ(folder_names(fx.game), kGameFiles);
  }
}
