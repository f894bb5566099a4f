// The demo's guided tour, used by scripts/demo on a machine without a display:
//   demo_tour show <folder\>  starts tintwerk.exe in the folder, picks a palette
//                             and shows its preview, and leaves it running;
//   demo_tour settings        opens the settings window of the running Tintwerk;
//   demo_tour settings-ok     presses its OK button;
//   demo_tour close           closes the running Tintwerk window.
#include <cstdio>
#include <string>

#include "tests/e2e/driver.h"

using namespace e2e;

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "show" && argc == 3) {
    e2e::App app(argv[2]);
    if (!app.main()) {
      std::fprintf(stderr, "demo_tour: Tintwerk did not open its window\n");
      return 1;
    }
    app.settle();
    if (HWND box = app.dialog(300)) {
      std::fprintf(stderr, "demo_tour: Tintwerk asks: %s\n", e2e::App::message_text(box).c_str());
      return 1;
    }
    std::vector<std::string> items = app.items();
    if (items.empty()) {
      std::fprintf(stderr, "demo_tour: no palettes listed\n");
      return 1;
    }
    app.select(items.size() > 4 ? "sunset.pal" : items.front());
    app.click(CTL_ACTIVATE);
    std::printf("demo_tour: %zu palettes, status line \"%s\"\n", items.size(), app.text(CTL_STATUS).c_str());
    app.detach();
    return 0;
  }
  if (mode == "settings" || mode == "settings-ok") {
    // Posted, not sent: the settings window runs its own loop inside the click.
    bool open = mode == "settings";
    HWND w = FindWindowA(nullptr, "Tintwerk");
    if (!w) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (open) {
      PostMessageA(GetDlgItem(w, CTL_MENU), BM_CLICK, 0, 0);
    } else {
      for (HWND t : e2e::top_windows(pid))
        if (e2e::window_text(t).rfind("Einstellungen", 0) == 0) PostMessageA(GetDlgItem(t, CTL_OK), BM_CLICK, 0, 0);
    }
    for (int i = 0; i < 100; ++i) {
      bool shown = false;
      for (HWND t : e2e::top_windows(pid))
        if (e2e::window_text(t).rfind("Einstellungen", 0) == 0 && IsWindowVisible(t)) shown = true;
      if (shown == open) return 0;
      Sleep(50);
    }
    std::fprintf(stderr, "demo_tour: the settings window did not %s\n", open ? "open" : "close");
    return 1;
  }
  if (mode == "close") {
    HWND w = FindWindowA(nullptr, "Tintwerk");
    if (!w) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageA(w, WM_CLOSE, 0, 0);
    DWORD r = p ? WaitForSingleObject(p, 8000) : WAIT_OBJECT_0;
    if (p) CloseHandle(p);
    return r == WAIT_OBJECT_0 ? 0 : 1;
  }
  std::fprintf(stderr, "usage: demo_tour show <folder\\> | settings | settings-ok | close\n");
  return 2;
}
