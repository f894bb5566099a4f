// The demo's guided tour, used by scripts/demo on a machine without a display:
//   demo_tour show <folder\>  starts tintwerk.exe in the folder, picks a palette
//                             and shows its preview, and leaves it running;
//   demo_tour close           closes the running Tintwerk window.
#include <cstdio>
#include <string>

#include "tests/e2e/driver.h"

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
    app.click(6);
    std::printf("demo_tour: %zu palettes, status line \"%s\"\n", items.size(), app.text(2).c_str());
    app.detach();
    return 0;
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
  std::fprintf(stderr, "usage: demo_tour show <folder\\> | demo_tour close\n");
  return 2;
}
