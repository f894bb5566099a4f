// The yardstick for Tintwerk's start-up: the least a program must do to show
// a folder's palettes: open a window titled "Tintwerk" with a list box
// (control 0), scan <folder>\*.pal with FindFirstFileA, lower-case and sort
// the names and add them to the list (with redrawing off while filling). It then waits to be closed.
//   minimal_lister <folder\>
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/win32.h"

namespace {
LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CLOSE) {
    DestroyWindow(w);
    return 0;
  }
  if (m == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int) {
  std::string folder = cmd ? cmd : "";
  if (!folder.empty() && folder.front() == '"') folder = folder.substr(1, folder.find('"', 1) - 1);
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "MinimalLister";
  RegisterClassA(&wc);
  HWND main = CreateWindowExA(0, "MinimalLister", "Tintwerk", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 716, 539,
                              nullptr, nullptr, inst, nullptr);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", nullptr,
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY,
                              10, 10, 300, 475, main, reinterpret_cast<HMENU>(0), inst, nullptr);
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((folder + "*.pal").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      CharLowerBuffA(n.data(), static_cast<DWORD>(n.size()));
      names.push_back(n);
    } while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  std::sort(names.begin(), names.end());
  // Without redrawing while filling: Wine repaints the scroll bar on every item otherwise.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (const std::string& n : names) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
