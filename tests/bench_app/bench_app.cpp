// Benchmark of tintwerk.exe as a user meets it, each figure a ratio measured
// in this one run (median of several rounds):
//  1. start-up until list control 0 holds 5,000 palettes, against a minimal
//     program that scans the same folder, sorts the names and fills a list box
//     (goal: at most 1.5);
//  2. showing the preview of a 4000 by 3000 JPEG (from the list selection until
//     the image control shows it), against djpeg.exe of the same libjpeg-turbo
//     decoding that file (goal: at most 1.3).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "demo/art/art.h"
#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

constexpr int kRounds = 5;

double now_ms() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string win_path(std::string p) {
  std::replace(p.begin(), p.end(), '/', '\\');
  return "Z:" + p;
}

// Starts a program and measures until its "Tintwerk" window's list control 0 holds `count` items.
double time_until_listed(const std::string& exe, const std::string& args, const std::string& work, LRESULT count) {
  std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  double t0 = now_ms();
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si, &pi)) return -1;
  double t = -1;
  HWND list = nullptr;
  while (now_ms() - t0 < 150000) {
    if (!list) {
      for (HWND w : top_windows(pi.dwProcessId)) {
        char title[64] = {};
        GetWindowTextA(w, title, sizeof title);
        if (std::string(title) == "Tintwerk") list = GetDlgItem(w, 0);
      }
    }
    if (list) {
      DWORD_PTR n = 0;
      if (SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &n) && static_cast<LRESULT>(n) >= count) {
        t = now_ms() - t0;
        break;
      }
    }
    Sleep(1);
  }
  for (HWND w : top_windows(pi.dwProcessId)) PostMessageA(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return t;
}

double time_process(const std::string& exe, const std::string& args) {
  std::string cmd = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  double t0 = now_ms();
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, 60000);
  double t = now_ms() - t0;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return t;
}

}  // namespace

int main() {
  Fixture fx("bench_app");
  fx.install_game();
  std::string pals = many_palettes("p5000");
  write_file(fx.prefs(), "paletten = " + pals + "\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " + fx.ini() +
                             "\r\n");

  // 1. Start-up with 5,000 palettes.
  std::vector<double> app_t, min_t;
  std::string minimal = win_path(TW_BENCH_MINIMAL);
  for (int r = 0; r < 3; ++r) {
    app_t.push_back(time_until_listed(tintwerk_exe(), "", fx.work, 5000));
    min_t.push_back(time_until_listed(minimal, "\"" + pals + "\"", fx.work, 5000));
  }
  double a = median(app_t), m = median(min_t);
  std::printf("start-up, 5000 palettes listed: tintwerk %.1f ms, minimal lister %.1f ms, ratio %.2f (goal <= 1.5)\n",
              a, m, m > 0 ? a / m : 0.0);

  // 2. Preview of a 4000 x 3000 JPEG.
  Fixture big("bench_preview");
  big.install_game();
  big.add_palette("huge.pal");
  big.add_palette("small.pal");
  {
    std::vector<uint8_t> idx = art::draw_track(4000, 3000);
    art::write_jpeg(big.pals + "huge.jpg", art::to_rgb(idx, art::themes()[0].palette), 4000, 3000, 90);
  }
  big.write_prefs();
  std::vector<double> show_t, djpeg_t;
  {
    App app(big.work);
    if (!app.main()) {
      std::printf("preview: Tintwerk did not start\n");
      return 1;
    }
    app.settle();
    HANDLE builtin = app.image(1);
    for (int r = 0; r < kRounds; ++r) {
      app.select("small.pal");  // no picture: the built-in one
      HWND list = app.control(0);
      SendMessageA(list, LB_SETCURSEL, 0, 0);
      double t0 = now_ms();
      PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
      double t = -1;
      while (now_ms() - t0 < 30000) {
        HANDLE shown = app.image(1);
        if (shown && shown != builtin) {
          t = now_ms() - t0;
          break;
        }
        Sleep(1);
      }
      show_t.push_back(t);
    }
    app.close_window();
    app.wait_exit();
  }
  std::string djpeg = win_path(TW_DJPEG_PATH);
  for (int r = 0; r < kRounds; ++r)
    djpeg_t.push_back(time_process(djpeg, "-bmp -outfile NUL \"" + big.pals + "huge.jpg\""));
  double s = median(show_t), d = median(djpeg_t);
  std::printf("preview of a 4000x3000 JPEG: tintwerk %.1f ms, djpeg %.1f ms, ratio %.2f (goal <= 1.3)\n", s, d,
              d > 0 ? s / d : 0.0);
  return 0;
}
