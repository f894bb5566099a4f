// Benchmark of tintwerk.exe as a user meets it. Every figure is a ratio taken
// in this one run as pairs (ours, theirs, ours, theirs ...), reported as the
// median with its min and max:
//  - start-up until list control 0 holds 5,000 palettes, against a minimal
//    program that scans the same folder, sorts the names and fills a list box;
//  - show_preview (from the list selection until the image control shows the
//    picture) of a 4000 x 3000 JPEG against djpeg of the same libjpeg-turbo
//    build decoding the whole file (-bmp, which like a bitmap holds the whole
//    picture), and against djpeg -scale 1/8 (the least work djpeg can do
//    for such a preview); the same against djpeg -scale 1/8 for a
//    96-megapixel JPEG, for a tiny file claiming 30000 x 30000 and for the
//    4000 x 3000 photo saved progressive. djpeg is a whole process: its
//    start-up (djpeg -version, measured in this run) is taken off its times.
//   bench_app [pairs]     (default 15)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/bench_common/bench.h"
#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

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
  double t0 = bench::now_ms();
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si, &pi)) return -1;
  double t = -1;
  HWND list = nullptr;
  while (bench::now_ms() - t0 < 150000) {
    if (!list) {
      for (HWND w : top_windows(pi.dwProcessId)) {
        char title[64] = {};
        GetWindowTextA(w, title, sizeof title);
        if (std::string(title) == "Tintwerk") list = GetDlgItem(w, CTL_PALETTE_LIST);
      }
    }
    if (list) {
      DWORD_PTR n = 0;
      if (SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &n) && static_cast<LRESULT>(n) >= count) {
        t = bench::now_ms() - t0;
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

// The time from selecting `palette` until the preview box shows a picture
// other than `before` (the box is first reset with a palette without one).
double time_preview(App& app, const std::string& palette, const std::string& reset, HANDLE builtin) {
  app.select(reset);
  if (app.image(CTL_PREVIEW) != builtin) return -1;
  std::vector<std::string> items = app.items();
  const int index = static_cast<int>(std::find(items.begin(), items.end(), palette) - items.begin());
  HWND list = app.control(CTL_PALETTE_LIST);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  const double t0 = bench::now_ms();
  PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  while (bench::now_ms() - t0 < 60000) {
    HANDLE shown = app.image(CTL_PREVIEW);
    if (shown && shown != builtin) return bench::now_ms() - t0;
    Sleep(1);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;
  std::vector<bench::Figure> figures;
  const std::string djpeg = bench::quoted(win_path(TW_DJPEG_PATH));

  // djpeg is a whole process: its start-up (djpeg -version) is measured
  // beside each of its runs and taken off, as the median of the start-ups
  // measured nearest to it (process start-up drifts over a run).
  std::vector<double> startups;
  auto djpeg_work = [&](const std::string& args, std::vector<double>& times) {
    startups.push_back(bench::run(djpeg + " -version").ms);
    times.push_back(bench::run(djpeg + " " + args).ms);
  };
  auto take_off = [&](std::vector<double> times, std::size_t first_startup) {
    for (std::size_t i = 0; i < times.size(); ++i) {
      const std::size_t at = first_startup + i;
      const std::size_t lo = at >= 2 ? at - 2 : 0, hi = std::min(startups.size(), at + 3);
      times[i] -= bench::median(std::vector<double>(startups.begin() + static_cast<long>(lo),
                                                    startups.begin() + static_cast<long>(hi)));
    }
    return times;
  };

  // Previews.
  Fixture big("bench_preview");
  big.install_game();
  big.add_palette("none.pal");
  const struct Picture {
    const char* palette;
    const char* file;
    int w, h;
    bool claim;
    bool progressive = false;
  } pictures[] = {{"p4000.pal", "p4000.jpg", 4000, 3000, false},
                  {"p12000.pal", "p12000.jpg", 12000, 8000, false},
                  {"hostile.pal", "hostile.jpg", 30000, 30000, true},
                  {"prog4000.pal", "prog4000.jpg", 4000, 3000, false, true}};
  for (const Picture& p : pictures) {
    big.add_palette(p.palette);
    const std::string path = big.pals + p.file;
    const bool made = p.claim ? bench::write_claiming_jpeg(path, p.w, p.h)
                              : bench::write_photo_jpeg(path, p.w, p.h, 90, p.progressive);
    if (!made) {
      std::printf("bench_app: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  big.write_prefs();
  App app(big.work);
  if (!app.main()) {
    std::printf("bench_app: Tintwerk did not start\n");
    return 1;
  }
  app.settle();
  const HANDLE builtin = app.image(CTL_PREVIEW);
  for (const Picture& p : pictures) {
    const std::string file = bench::quoted(big.pals + p.file);
    const bool vs_whole = p.w == 4000 && !p.progressive;
    time_preview(app, p.palette, "none.pal", builtin);  // the file cache and the code, once
    std::vector<double> ours_whole, ours_eighth, whole, eighth, r_whole, r_eighth;
    const std::size_t whole_from = startups.size();
    if (vs_whole) {
      for (int i = 0; i < pairs; ++i) {
        ours_whole.push_back(time_preview(app, p.palette, "none.pal", builtin));
        djpeg_work("-bmp -outfile NUL " + file, whole);
      }
      whole = take_off(whole, whole_from);
    }
    const std::size_t eighth_from = startups.size();
    for (int i = 0; i < pairs; ++i) {
      ours_eighth.push_back(time_preview(app, p.palette, "none.pal", builtin));
      djpeg_work("-scale 1/8 -outfile NUL " + file, eighth);
    }
    eighth = take_off(eighth, eighth_from);
    std::vector<double> ours = ours_eighth;
    ours.insert(ours.end(), ours_whole.begin(), ours_whole.end());
    if (*std::min_element(ours.begin(), ours.end()) < 0) {
      std::printf("bench_app: the preview of %s never showed\n", p.file);
      return 1;
    }
    for (std::size_t i = 0; i < whole.size(); ++i) r_whole.push_back(ours_whole[i] / whole[i]);
    for (std::size_t i = 0; i < eighth.size(); ++i) r_eighth.push_back(ours_eighth[i] / eighth[i]);
    std::printf("bench_app: preview of %s (%dx%d): show_preview %.1f ms", p.file, p.w, p.h, bench::median(ours));
    if (vs_whole) std::printf(", djpeg whole %.1f ms", bench::median(whole));
    std::printf(", djpeg -scale 1/8 %.1f ms (start-up of %.1f taken off; medians)\n", bench::median(eighth),
                bench::median(startups));
    const std::string size = p.claim         ? "hostile_30000"
                             : p.progressive ? "progressive_4000x3000"
                                             : "preview_" + std::to_string(p.w) + "x" + std::to_string(p.h);
    if (vs_whole) figures.push_back(bench::ratio_figure((size + "_vs_djpeg").c_str(), r_whole, "<=", 0.4));
    // A progressive preview reads only the first DC scans, which djpeg cannot.
    figures.push_back(bench::ratio_figure((size + "_vs_djpeg_eighth").c_str(), r_eighth, "<=", p.progressive ? 0.5 : 1.5));
  }
  app.close_window();
  app.wait_exit();

  // Start-up with 5,000 palettes.
  Fixture fx("bench_app");
  fx.install_game();
  std::string pals = many_palettes("p5000");
  write_file(fx.prefs(), "paletten = " + pals + "\r\nVelo.exe = " + fx.game + "Pistova.exe\r\nVelo.ini = " + fx.ini() +
                             "\r\n");
  const std::string minimal = win_path(TW_BENCH_MINIMAL);
  time_until_listed(tintwerk_exe(), "", fx.work, 5000);  // once, for the caches
  std::vector<double> app_t, min_t, r_start;
  for (int i = 0; i < pairs; ++i) {
    app_t.push_back(time_until_listed(tintwerk_exe(), "", fx.work, 5000));
    min_t.push_back(time_until_listed(minimal, "\"" + pals + "\"", fx.work, 5000));
    if (app_t.back() < 0 || min_t.back() < 0) {
      std::printf("bench_app: a start-up never listed the 5,000 palettes\n");
      return 1;
    }
    r_start.push_back(app_t.back() / min_t.back());
  }
  std::printf("bench_app: start-up until 5,000 palettes are listed: tintwerk %.1f ms, minimal lister %.1f ms (medians)\n",
              bench::median(app_t), bench::median(min_t));
  figures.push_back(bench::ratio_figure("startup_5000_vs_minimal", r_start, "<=", 1.5));

  bench::print_figures(figures);
  return 0;
}
