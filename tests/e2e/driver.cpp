#include "tests/e2e/driver.h"
#include "tests/common/dialog_ids.h"
#include "tests/common/divergence.h"

#include <algorithm>
#include <cstdio>

#include "demo/art/art.h"

namespace e2e {

namespace {

std::string unix_to_win(std::string p) {
  std::replace(p.begin(), p.end(), '/', '\\');
  return "Z:" + p;
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string class_name(HWND w) {
  char buf[128] = {};
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

struct EnumCtx {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK collect_top(HWND w, LPARAM lp) {
  auto* ctx = reinterpret_cast<EnumCtx*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == ctx->pid) ctx->out->push_back(w);
  return TRUE;
}

BOOL CALLBACK collect_child(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&out));
  return out;
}

// The stand-in game closes itself soon after it was started by a scenario.
struct GameAutoClose {
  GameAutoClose() { SetEnvironmentVariableA("PISTOVA_AUTOCLOSE", "300"); }
} game_auto_close;

}  // namespace

std::string tintwerk_exe() { return unix_to_win(TW_E2E_TINTWERK); }
std::string pistova_exe() { return unix_to_win(TW_E2E_PISTOVA); }
std::string many_palettes(const std::string& which) { return lower(unix_to_win(TW_E2E_MANY "/" + which + "/")); }

std::string read_file(const std::string& path, bool* ok) {
  std::string out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (ok) *ok = h != INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  CloseHandle(h);
  return out;
}

bool write_file(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                              n == bytes.size());
  CloseHandle(h);
  return ok;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool make_dirs(const std::string& path) {
  std::string cur;
  for (size_t i = 0; i < path.size(); ++i) {
    cur += path[i];
    if ((path[i] == '\\' || i + 1 == path.size()) && cur.size() > 3) CreateDirectoryA(cur.c_str(), nullptr);
  }
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool set_read_only(const std::string& path, bool on) {
  return SetFileAttributesA(path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
}

Unwritable::Unwritable(const std::string& path) : path_(path) {
  set_read_only(path_, true);
  if (tw_test::divergence::read_only_writable.applies())
    held_ = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

Unwritable::~Unwritable() {
  if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
  set_read_only(path_, false);
}

std::string hex_dump(const std::string& bytes) {
  std::string out;
  char b[8];
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    }
  }
  return out;
}

bool wait_for(const std::function<bool()>& cond, int ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (static_cast<int>(GetTickCount() - start) > ms) return cond();
    Sleep(10);
  }
}

// ---- fixture ----

Fixture::Fixture(const std::string& name, const std::string& game_folder) {
  root = "c:\\tw_e2e\\" + lower(name) + "_" + std::to_string(GetCurrentProcessId()) + "\\";
  remove_tree(root);
  work = root + "work\\";
  game = game_folder.empty() ? root + "kurvo\\" : game_folder;
  if (!game_folder.empty()) remove_tree(game);
  pals = game + "paletten\\";
  make_dirs(work);
  make_dirs(pals);
}

Fixture::~Fixture() {
  if (game.compare(0, root.size(), root) != 0) remove_tree(game);
  // The stand-in game closes itself (PISTOVA_AUTOCLOSE); give it a moment.
  for (int i = 0; i < 50 && file_exists(root); ++i) {
    remove_tree(root);
    if (file_exists(root)) Sleep(20);
  }
}

std::string fixture_ini(const std::string& palette_line) {
  return "[Game]\r\n"
         "Title = Pistova\r\n"
         "   Version = 1.4   \r\n"
         "\r\n"
         "[Graphics]\n"
         "ScreenWidth = 640\r\n"
         "  " + palette_line + "  \r\n"
         "Fullscreen = 0\r\n"
         "\r\n"
         "[Controls]\r\n"
         "Steer\t= Arrows\r\n";
}

std::string fixture_options() {
  std::string o;
  for (int i = 0; i < 20; ++i) o += static_cast<char>(0x40 + i);
  return o;
}

std::string rewritten_ini(const std::string& original, const std::string& palette_line) {
  std::string out;
  size_t pos = 0;
  while (pos < original.size()) {
    size_t end = original.find('\n', pos);
    if (end == std::string::npos) end = original.size();
    std::string line = original.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t a = line.find_first_not_of(' ');
    line = a == std::string::npos ? std::string() : line.substr(a, line.find_last_not_of(' ') - a + 1);
    if (line.compare(0, 11, "PaletteFile") == 0) line = palette_line;
    out += line + "\r\n";
    pos = end + 1;
  }
  return out;
}

void Fixture::install_game(const std::string& ini_text) {
  CopyFileA(pistova_exe().c_str(), (game + "Pistova.exe").c_str(), FALSE);
  write_file(ini(), ini_text.empty() ? fixture_ini("PaletteFile = qz.pal") : ini_text);
  write_file(options(), fixture_options());
  art::Palette stock = art::stock_palette();
  write_file(game + "qz.pal", std::string(stock.begin(), stock.end()));
}

void Fixture::add_palette(const std::string& file_name, int w, int h) {
  std::vector<art::Theme> themes = art::themes();
  const art::Palette& pal = themes[file_name.size() % themes.size()].palette;
  write_file(pals + file_name, std::string(pal.begin(), pal.end()));
  if (w > 0 && h > 0) {
    std::string base = file_name.substr(0, file_name.size() - 4);
    std::vector<uint8_t> rgb = (w == 640 && h == 480) ? art::to_rgb(art::draw_track(w, h), pal)
                                                      : art::flat_rgb(w, h, pal[30], pal[31], pal[32]);
    art::write_jpeg(pals + lower(base) + ".jpg", rgb, w, h);
  }
}

void Fixture::add_standard_palettes() {
  add_palette("autumn.pal", 640, 480);
  add_palette("Blue.pal");
  add_palette("Sunset.PAL", 1024, 600);
  add_palette("tiny.pal", 200, 100);
}

void Fixture::set_up_standard_game(const std::string& ini_text, const std::string& extra_prefs) {
  install_game(ini_text);
  add_standard_palettes();
  write_prefs(extra_prefs);
}

void Fixture::write_prefs(const std::string& extra_lines) {
  write_file(prefs(), "paletten = " + pals + "\r\nVelo.exe = " + game + "Pistova.exe\r\nVelo.ini = " + ini() +
                          "\r\n" + extra_lines);
}

std::string SavedSettings::text() const {
  static const char* hot_keys[5] = {"laps_hot", "tyre_hot", "verbrauch_hot", "sprit_hot", "damage_hot"};
  static const char* race_keys[5] = {"laps_race", "tyre_race", "verbrauch_race", "sprit_race", "damage_race"};
  std::string s = "paletten = " + paletten + "\r\nVelo.exe = " + exe + "\r\nVelo.ini = " + ini +
                  "\r\nFavorite1 = " + fav1 + "\r\nFavorite2 = " + fav2 + "\r\nwindow_x = " + std::to_string(x) +
                  "\r\nwindow_y = " + std::to_string(y) + "\r\nwindow_w = " + std::to_string(w) +
                  "\r\nwindow_h = " + std::to_string(h) + "\r\n";
  for (int i = 0; i < 5; ++i) s += std::string(hot_keys[i]) + " = " + hot[i] + "\r\n";
  for (int i = 0; i < 5; ++i) s += std::string(race_keys[i]) + " = " + race[i] + "\r\n";
  return s + "set_org_ende = " + set_org + "\r\n";
}

// ---- windows ----

// Texts are fetched as UTF-16 and converted to the program's code page: Wine
// hands the bytes of an ANSI LB_GETTEXT across processes as UTF-16 unconverted.
std::string narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string window_text(HWND w) {
  wchar_t buf[1024] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 3000, nullptr);
  return narrow(buf);
}

std::vector<HWND> top_windows(DWORD pid) {
  std::vector<HWND> out;
  EnumCtx ctx{pid, &out};
  EnumWindows(collect_top, reinterpret_cast<LPARAM>(&ctx));
  return out;
}

App::App(const std::string& work) {
  std::string exe = tintwerk_exe();
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si, &pi_))
    pi_ = PROCESS_INFORMATION{};
}

App::~App() {
  if (pi_.hProcess) {
    if (running()) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

void App::detach() {
  if (!pi_.hProcess) return;
  CloseHandle(pi_.hProcess);
  CloseHandle(pi_.hThread);
  pi_ = PROCESS_INFORMATION{};
}

bool App::running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::exit_time(FILETIME* when) const {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!pi_.hProcess || running() || !GetProcessTimes(pi_.hProcess, &created, &ended, &kernel, &user)) return false;
  *when = ended;
  return true;
}

bool App::wait_exit(int ms, DWORD* code) {
  if (!pi_.hProcess) return false;
  if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return false;
  if (code) GetExitCodeProcess(pi_.hProcess, code);
  return true;
}

DWORD App::close_and_wait(int ms) {
  close_window();
  DWORD code = STILL_ACTIVE;
  return wait_exit(ms, &code) ? code : STILL_ACTIVE;
}

HWND App::window(const std::string& title_prefix) const {
  for (HWND w : top_windows(pi_.dwProcessId)) {
    if (class_name(w) == "#32770") continue;
    char buf[512] = {};
    GetWindowTextA(w, buf, sizeof buf);
    if (std::string(buf).compare(0, title_prefix.size(), title_prefix) == 0 && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

HWND App::main(int ms) {
  if (main_ && IsWindow(main_)) return main_;
  wait_for([&] { return (main_ = window("Tintwerk")) != nullptr || !running(); }, ms);
  return main_;
}

void App::settle() {
  HWND m = main(2000);
  if (!m) return;
  // A posted action is taken as soon as the program waits for messages again;
  // a message sent to it is answered from its loop or from a modal dialog.
  for (int i = 0; i < 2; ++i) {
    Sleep(i == 0 ? 40 : 15);
    DWORD_PTR res = 0;
    SendMessageTimeoutA(m, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &res);
  }
}

HWND App::control(int id) const {
  for (HWND top : top_windows(pi_.dwProcessId)) {
    if (class_name(top) == "#32770") continue;
    for (HWND c : children(top))
      if (GetParent(c) == top && GetWindowLongPtrA(c, GWLP_ID) == id) return c;
  }
  return nullptr;
}

std::string App::text(int id) const {
  HWND c = control(id);
  return c ? window_text(c) : std::string("<no control " + std::to_string(id) + ">");
}

std::vector<std::string> App::items(int id) const {
  std::vector<std::string> out;
  HWND c = control(id);
  if (!c) return out;
  LRESULT n = SendMessageW(c, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT len = SendMessageW(c, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring s(static_cast<size_t>(std::max<LRESULT>(len, 0)) + 2, L'\0');
    LRESULT got = SendMessageW(c, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
    out.push_back(narrow(s));
  }
  return out;
}

int App::count(int id) const {
  HWND c = control(id);
  return c ? static_cast<int>(SendMessageW(c, LB_GETCOUNT, 0, 0)) : -1;
}

std::string App::item(int index, int id) const {
  HWND c = control(id);
  if (!c) return std::string();
  LRESULT len = SendMessageW(c, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (len < 0) return std::string();
  std::wstring s(static_cast<size_t>(len) + 2, L'\0');
  LRESULT got = SendMessageW(c, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
  return narrow(s);
}

RECT App::rect(int id) const {
  RECT r{};
  if (HWND c = control(id)) GetWindowRect(c, &r);
  return r;
}

SIZE App::size(int id) const {
  RECT r = rect(id);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

HANDLE App::image(int id) const {
  HWND c = control(id);
  return c ? reinterpret_cast<HANDLE>(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0)) : nullptr;
}

void App::select(int index, int id) {
  HWND c = control(id);
  if (!c) return;
  SendMessageA(c, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), LBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  settle();
}

void App::select(const std::string& item, int id) {
  std::vector<std::string> all = items(id);
  auto it = std::find(all.begin(), all.end(), item);
  select(it == all.end() ? -1 : static_cast<int>(it - all.begin()), id);
}

void App::click(int id) {
  if (HWND c = control(id)) PostMessageA(c, BM_CLICK, 0, 0);
  settle();
}

void App::type(int id, const std::string& chars, bool clear_first) {
  HWND c = control(id);
  if (!c) return;
  if (clear_first) {
    SendMessageA(c, EM_SETSEL, 0, -1);
    PostMessageA(c, WM_CHAR, VK_BACK, 1);
    settle();
  } else {
    SendMessageA(c, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  }
  for (char ch : chars) {
    PostMessageA(c, WM_CHAR, static_cast<unsigned char>(ch), 1);
    settle();
  }
}

void App::close_window() {
  if (HWND m = main(1000)) PostMessageA(m, WM_CLOSE, 0, 0);
}

HWND App::dialog(int ms) const {
  HWND found = nullptr;
  wait_for([&] {
    for (HWND w : top_windows(pi_.dwProcessId))
      if (class_name(w) == "#32770" && IsWindowVisible(w)) return (found = w) != nullptr;
    return false;
  }, ms);
  return found;
}

HWND App::dialog_titled(const std::string& title, int ms) const {
  HWND found = nullptr;
  wait_for([&] {
    for (HWND w : top_windows(pi_.dwProcessId)) {
      char buf[512] = {};
      GetWindowTextA(w, buf, sizeof buf);
      if (class_name(w) == "#32770" && IsWindowVisible(w) && title == buf) return (found = w) != nullptr;
    }
    return false;
  }, ms);
  return found;
}

HWND App::dialog_with_text(const std::string& text, int ms) const {
  HWND found = nullptr;
  wait_for([&] {
    for (HWND w : top_windows(pi_.dwProcessId)) {
      if (class_name(w) != "#32770" || !IsWindowVisible(w)) continue;
      for (HWND c : children(w))
        if (window_text(c) == text) return (found = w) != nullptr;
    }
    return false;
  }, ms);
  return found;
}

std::string App::message_text(HWND box) {
  HWND s = GetDlgItem(box, dialog_ids::kMessageText);
  return s ? window_text(s) : std::string("<no message text>");
}

void App::press(HWND dlg, int button_id) {
  HWND b = GetDlgItem(dlg, button_id);
  if (b)
    PostMessageA(b, BM_CLICK, 0, 0);
  else
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), 0);
  wait_for([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 3000);
  if (running()) settle();
}

void App::type_file_name(HWND dlg, const std::string& path) {
  HWND field = GetDlgItem(dlg, dialog_ids::kFileNameBox);
  HWND edit = nullptr;
  if (field) {
    for (HWND c : children(field))
      if (class_name(c) == "Edit") edit = c;
    if (!edit) edit = field;
  } else {
    edit = GetDlgItem(dlg, dialog_ids::kFileNameEdit);
  }
  if (edit) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

// ---- the folder requester's tree ----

namespace {

// The remote block: the item record, then the text buffer.
constexpr size_t kTreeText = 260;
constexpr size_t kTreeBlock = sizeof(TVITEMW) + kTreeText * sizeof(wchar_t);

}  // namespace

FolderTree::FolderTree(HWND dialog) {
  tree_ = GetDlgItem(dialog, dialog_ids::kFolderTree);
  if (!tree_) {
    for (HWND c : children(dialog))
      if (class_name(c) == "SysTreeView32") tree_ = c;
  }
  DWORD pid = 0;
  if (tree_) GetWindowThreadProcessId(tree_, &pid);
  if (pid) process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_) memory_ = VirtualAllocEx(process_, nullptr, kTreeBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

FolderTree::~FolderTree() {
  if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

LRESULT FolderTree::send(UINT msg, WPARAM wp, LPARAM lp) const {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(tree_, msg, wp, lp, SMTO_NORMAL, 10000, &result)) return 0;
  return static_cast<LRESULT>(result);
}

HTREEITEM FolderTree::caret() const {
  return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM FolderTree::parent(HTREEITEM item) const {
  return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

std::string FolderTree::text(HTREEITEM item) const {
  if (!ok() || !item) return std::string();
  auto* remote = static_cast<char*>(memory_);
  TVITEMW tv{};
  tv.mask = TVIF_HANDLE | TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TVITEMW));
  tv.cchTextMax = static_cast<int>(kTreeText);
  const wchar_t none = 0;
  SIZE_T done = 0;
  if (!WriteProcessMemory(process_, remote, &tv, sizeof tv, &done) ||
      !WriteProcessMemory(process_, remote + sizeof(TVITEMW), &none, sizeof none, &done))
    return std::string();
  if (!send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote))) return std::string();
  wchar_t buf[kTreeText] = {};
  if (!ReadProcessMemory(process_, remote + sizeof(TVITEMW), buf, sizeof buf, &done)) return std::string();
  buf[kTreeText - 1] = 0;
  return narrow(buf);
}

HTREEITEM FolderTree::child(HTREEITEM item, const std::string& name) const {
  if (!item) return nullptr;
  send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  for (auto c = reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))); c;
       c = reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(c))))
    if (text(c) == name) return c;
  return nullptr;
}

bool FolderTree::select(HTREEITEM item) const {
  return item && send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) && caret() == item;
}

bool FolderTree::wait_caret(const std::string& name, int ms) const {
  return wait_for([&] { return text(caret()) == name; }, ms);
}

FILETIME last_write_time(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
  return data.ftLastWriteTime;
}

double ms_between(const FILETIME& a, const FILETIME& b) {
  auto ticks = [](const FILETIME& f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  return static_cast<double>(ticks(b) - ticks(a)) / 10000.0;
}

}  // namespace e2e
