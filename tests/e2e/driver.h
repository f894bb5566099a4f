// The end-to-end driver: starts the real tintwerk.exe in a fixture folder and
// works it from outside, as an automation client would: it finds the windows
// of the process, the controls by their control numbers, clicks, types, reads
// texts and answers the message boxes and requesters. Fixture folders hold a
// game folder with the stand-in Pistova.exe, qz.ini, options.set and palettes.
#pragma once
#include "runtime/win32.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/portable/constants.h"
#include "tests/common/folders.h"

namespace e2e {

// The application's control numbers and texts (CTL_STATUS ...), by their names.
using namespace tintwerk;

// ---- paths and files (Windows paths) ----
std::string tintwerk_exe();
std::string pistova_exe();
// Host-made folders of empty palettes: "p10000" (P00000.pal to P09999.pal)
// and "p5000" (Pal0000.pal to Pal4999.pal); with a trailing backslash.
std::string many_palettes(const std::string& which);
std::string read_file(const std::string& path, bool* ok = nullptr);
bool write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
bool make_dirs(const std::string& path);
using tw_test::remove_tree;
bool set_read_only(const std::string& path, bool on);
// Makes a file read-only for the scope. Where read-only files open for writing
// (tw_test::divergence::read_only_writable: Wine running as root), the file is
// also held open with read sharing only, so that it still cannot be written.
class Unwritable {
 public:
  explicit Unwritable(const std::string& path);
  ~Unwritable();
  Unwritable(const Unwritable&) = delete;
  Unwritable& operator=(const Unwritable&) = delete;

 private:
  std::string path_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};
using tw_test::settle_access_times;  // before a folder requester walks to a new folder
std::string hex_dump(const std::string& bytes);  // for readable failures

// Polls `cond` every 10 ms until it holds or `ms` passed; the last result.
bool wait_for(const std::function<bool()>& cond, int ms = 5000);

// ---- a fixture: c:\tw_e2e\<name>_<pid>\ with work\ and kurvo\paletten\ ----
struct Fixture {
  explicit Fixture(const std::string& name, const std::string& game_folder = std::string());
  ~Fixture();
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  std::string root;  // all with a trailing backslash, all lower case
  std::string work;  // Tintwerk's working folder (pal_change.prf)
  std::string game;  // the game folder: Pistova.exe, qz.ini, options.set, qz.pal
  std::string pals;  // game + "paletten\"

  std::string ini() const { return game + "qz.ini"; }
  std::string options() const { return game + "options.set"; }
  std::string prefs() const { return work + "pal_change.prf"; }
  std::string log() const { return game + "pistova.log"; }

  // Pistova.exe, qz.ini (PaletteFile = qz.pal), the 20-byte options.set, qz.pal.
  void install_game(const std::string& ini_text = std::string());
  // A palette file; with w, h > 0 also a JPEG preview of that size beside it.
  void add_palette(const std::string& file_name, int w = 0, int h = 0);
  // pal_change.prf naming this fixture's game and palette folder, plus extra lines.
  void write_prefs(const std::string& extra_lines = std::string());
  // The standard set: autumn.pal (640x480), Blue.pal (no picture),
  // Sunset.PAL with sunset.jpg (1024x600), tiny.pal (200x100).
  void add_standard_palettes();
  // The game (with `ini_text` as its qz.ini, the fixture's when empty), the
  // standard palettes and settings that point at both, with `extra_prefs`.
  void set_up_standard_game(const std::string& ini_text = std::string(), const std::string& extra_prefs = std::string());
};

// The qz.ini the fixtures install (LF and CR LF lines, padded lines, several sections).
std::string fixture_ini(const std::string& palette_line);
// The 20 bytes of the fixture's options.set (0x40 + offset).
std::string fixture_options();
// What qz.ini holds after Tintwerk rewrote `original`: every line trimmed of
// spaces, CR LF line ends, every line starting with "PaletteFile" replaced.
std::string rewritten_ini(const std::string& original, const std::string& palette_line);
using tw_test::folder_names;

// The 20-line pal_change.prf that Tintwerk writes at exit.
struct SavedSettings {
  std::string paletten, exe, ini, fav1 = "nix", fav2 = "nix";
  int x = 100, y = 50, w = 700, h = 500;
  std::string hot[5] = {"10", "0", "0", "50", "0"};    // laps tyre verbrauch sprit damage
  std::string race[5] = {"5", "30", "30", "50", "30"};
  std::string set_org = "0";
  std::string text() const;
};

// ---- the running program ----
class App {
 public:
  // Starts tintwerk.exe with `work` as its working folder.
  explicit App(const std::string& work);
  ~App();  // ends the process if the scenario left it running
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool started() const { return pi_.hProcess != nullptr; }
  // Lets the program run on after this object is gone.
  void detach();
  DWORD pid() const { return pi_.dwProcessId; }

  // The main window ("Tintwerk"), waited for; nullptr when it never came.
  HWND main(int ms = 10000);
  // Waits until the program takes messages again (its loop or a modal dialog).
  void settle();
  // The first top-level window of the process whose title starts with `title`.
  HWND window(const std::string& title_prefix) const;
  // A control by number, in the main window or the settings window.
  HWND control(int id) const;
  std::string text(int id) const;
  std::vector<std::string> items(int id = CTL_PALETTE_LIST) const;
  int count(int id = CTL_PALETTE_LIST) const;
  std::string item(int index, int id = CTL_PALETTE_LIST) const;
  RECT rect(int id) const;          // screen rectangle of a control
  SIZE size(int id) const;
  HANDLE image(int id = CTL_PREVIEW) const;  // the picture an image control shows

  // User actions. Each waits for the program to take the action (settle).
  void select(int index, int id = CTL_PALETTE_LIST);  // list selection as a click makes it
  void select(const std::string& item, int id = CTL_PALETTE_LIST);
  void click(int id);                  // a push or picture button, or the check box
  void type(int id, const std::string& chars, bool clear_first = true);
  void close_window();                 // the close box of the main window

  // Dialogs of the process ("#32770"): message boxes and requesters.
  HWND dialog(int ms = 3000) const;         // any dialog
  HWND dialog_titled(const std::string& title, int ms = 3000) const;
  HWND dialog_with_text(const std::string& text, int ms = 3000) const;  // a static child's text
  static std::string message_text(HWND box);  // the message box's text (static 0xFFFF)
  void press(HWND dlg, int button_id);        // OK 1, Cancel 2
  void type_file_name(HWND dlg, const std::string& path);  // open-file requester's name field

  // Waits for the process to end; true when it did (its exit code in *code).
  bool wait_exit(int ms = 8000, DWORD* code = nullptr);
  // The close box, then the end: the exit code, STILL_ACTIVE if it has not
  // ended within `ms`.
  DWORD close_and_wait(int ms = 8000);
  bool running() const;
  // When the ended process ended, as the system recorded it.
  bool exit_time(FILETIME* when) const;

 private:
  PROCESS_INFORMATION pi_{};
  HWND main_ = nullptr;
};

// The folder tree of a folder requester (SysTreeView32, id 0x3741), worked
// from outside: an item's text can only be read through memory in the
// requester's process, so a TVITEMW and its text buffer are kept there.
class FolderTree {
 public:
  explicit FolderTree(HWND dialog);
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  bool ok() const { return tree_ && memory_; }
  HTREEITEM caret() const;  // the selected item
  HTREEITEM parent(HTREEITEM item) const;
  std::string text(HTREEITEM item) const;
  // The child named exactly `name`, after expanding `item` (which fills in
  // its children); nullptr when there is none.
  HTREEITEM child(HTREEITEM item, const std::string& name) const;
  // Selects the item as a click does (the requester hears TVN_SELCHANGED).
  bool select(HTREEITEM item) const;
  // Waits until the selected item is named `name` (the requester selects its
  // first folder a moment after it shows).
  bool wait_caret(const std::string& name, int ms) const;

 private:
  LRESULT send(UINT msg, WPARAM wp, LPARAM lp) const;
  HWND tree_ = nullptr;
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

// The time of a file's last write; zero when it cannot be read.
FILETIME last_write_time(const std::string& path);
// b - a in milliseconds.
double ms_between(const FILETIME& a, const FILETIME& b);

std::string window_text(HWND w);
std::vector<HWND> top_windows(DWORD pid);

}  // namespace e2e
