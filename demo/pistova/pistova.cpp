// Pistova: a small stand-in for the racing game. On start it appends three lines
// to pistova.log beside itself:
//   cmdline=<its command line>
//   cwd=<its working folder>
//   palette=<the PaletteFile value of qz.ini, as written there>
// and then shows the track in the palette that qz.ini names, with the race
// options of options.set (bytes 4, 13, 14, 15 and 16) on the board below.
// The window closes like any other; with PISTOVA_AUTOCLOSE=<ms> in the
// environment it closes itself after that time (used by the tests).
#include "runtime/win32.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/art/art.h"

namespace {

constexpr int kTrackW = 640, kTrackH = 480, kBoardH = 44;

std::string g_status;
std::string g_options_text;
std::vector<uint32_t> g_pixels;  // top-down 32-bit DIB

std::string exe_folder() {
  char buf[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf - 1);
  std::string p(buf, n);
  size_t cut = p.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}

bool read_file(const std::string& path, std::string& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return true;
}

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

// The PaletteFile value of qz.ini (the last such line counts, as in the game).
std::string palette_value(const std::string& ini) {
  std::string value;
  size_t pos = 0;
  while (pos <= ini.size()) {
    size_t end = ini.find('\n', pos);
    if (end == std::string::npos) end = ini.size();
    std::string line = trim(ini.substr(pos, end - pos));
    if (line.compare(0, 11, "PaletteFile") == 0) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) value = trim(line.substr(eq + 1));
    }
    pos = end + 1;
  }
  return value;
}

void append_log(const std::string& folder, const std::string& pal) {
  char cwd[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof cwd - 1, cwd);
  std::string text = std::string("cmdline=") + GetCommandLineA() + "\r\ncwd=" + cwd +
                     "\r\npalette=" + pal + "\r\n";
  HANDLE h = CreateFileA((folder + "pistova.log").c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

void prepare() {
  std::string folder = exe_folder();
  std::string ini;
  std::string pal_name;
  if (read_file(folder + "qz.ini", ini)) pal_name = palette_value(ini);
  append_log(folder, pal_name);

  art::Palette pal = art::stock_palette();
  if (pal_name.empty()) {
    g_status = "qz.ini ohne PaletteFile, Standardfarben";
  } else {
    std::string path = pal_name;
    bool absolute = path.size() > 1 && (path[1] == ':' || path[0] == '\\' || path[0] == '/');
    if (!absolute) path = folder + path;
    std::string data;
    if (read_file(path, data) && data.size() >= 768) {
      pal.assign(data.begin(), data.begin() + 768);
      g_status = "Palette: " + pal_name;
    } else {
      g_status = "Palette nicht lesbar: " + pal_name;
    }
  }

  std::string opts;
  if (read_file(folder + "options.set", opts) && opts.size() >= 17) {
    auto b = [&](size_t i) { return static_cast<int>(static_cast<unsigned char>(opts[i])); };
    char line[160];
    std::snprintf(line, sizeof line, "Runden %d   Reifen %d   Verbrauch %d   Schaden %d   Sprit %d kg",
                  b(4), b(13), b(14), b(15), b(16));
    g_options_text = line;
  } else {
    g_options_text = "options.set fehlt oder ist zu kurz";
  }

  std::vector<uint8_t> rgb = art::to_rgb(art::draw_track(kTrackW, kTrackH), pal);
  g_pixels.resize(static_cast<size_t>(kTrackW) * kTrackH);
  for (size_t i = 0; i < g_pixels.size(); ++i)
    g_pixels[i] = (uint32_t{rgb[i * 3]} << 16) | (uint32_t{rgb[i * 3 + 1]} << 8) | rgb[i * 3 + 2];
}

void paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kTrackW;
  bi.bmiHeader.biHeight = -kTrackH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, 0, 0, kTrackW, kTrackH, 0, 0, 0, kTrackH, g_pixels.data(), &bi, DIB_RGB_COLORS);
  RECT board = {0, kTrackH, kTrackW, kTrackH + kBoardH};
  FillRect(dc, &board, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 220, 60));
  TextOutA(dc, 8, kTrackH + 4, g_options_text.c_str(), static_cast<int>(g_options_text.size()));
  SetTextColor(dc, RGB(200, 200, 200));
  TextOutA(dc, 8, kTrackH + 22, g_status.c_str(), static_cast<int>(g_status.size()));
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      paint(hwnd);
      return 0;
    case WM_TIMER:
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  prepare();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "PistovaStandIn";
  RegisterClassA(&wc);
  RECT r = {0, 0, kTrackW, kTrackH + kBoardH};
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&r, style, FALSE);
  HWND hwnd = CreateWindowExA(0, "PistovaStandIn", "Pistova", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, inst, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  if (const char* ms = std::getenv("PISTOVA_AUTOCLOSE")) {
    int v = std::atoi(ms);
    if (v > 0) SetTimer(hwnd, 1, static_cast<UINT>(v), nullptr);
  }
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
