// What a Windows player expects of the main window, tried from outside: the
// picture buttons are named for screen readers, a double click or Enter on a
// palette activates it, and the keyboard focus comes back after switching to
// another program and back.
#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

using namespace e2e;

namespace {

// The focused window of the program's thread, as an automation client sees it.
HWND focus_of(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// The client point in the middle of item `index` of a list box with no scrolling.
POINT item_point(HWND list, int index) {
  const int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  return POINT{20, index * h + h / 2};
}

void real_click(HWND window, POINT client) {
  ClientToScreen(window, &client);
  SetCursorPos(client.x, client.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

void real_key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

LRESULT CALLBACK plain_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// Another program's window: the test's own, which takes the activation away.
HWND other_program_window() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = plain_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "tw_e2e_other";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "tw_e2e_other", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 600, 200, 100,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void pump_for(int ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (static_cast<int>(GetTickCount() - start) < ms) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

}  // namespace

TEST(Player, PictureButtonsCarryTheWordTheirPictureShows) {
  Fixture fx("words");
  fx.set_up_standard_game();
  App app(fx.work);
  ASSERT_NE(app.main(), nullptr);
  app.settle();
  const struct {
    intptr_t id;
    const char* word;
  } buttons[] = {{CTL_ACTIVATE, "Palette"}, {CTL_LAUNCH, "Start"}, {CTL_RESTORE, "= Org"},
                 {CTL_HOTLAP, "Hotlap"},     {CTL_RACE, "Race"},    {CTL_MENU, "Menu"},
                 {CTL_FAVORITE1, "Top1"},    {CTL_FAVORITE2, "Top2"}};
  for (const auto& b : buttons) {
    char text[32] = {};
    GetWindowTextA(app.control(b.id), text, sizeof text);  // what a screen reader asks
    EXPECT_STREQ(text, b.word) << "control " << b.id;
  }
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(Player, DoubleClickOrEnterOnAPaletteActivatesItASingleClickOnlyShowsIt) {
  Fixture fx("dblclick");
  fx.set_up_standard_game();
  const std::string ini = read_file(fx.ini());
  App app(fx.work);
  HWND main = app.main();
  ASSERT_NE(main, nullptr);
  app.settle();
  HWND list = app.control(CTL_PALETTE_LIST);
  ASSERT_EQ(app.items(), (std::vector<std::string>{"autumn.pal", "blue.pal", "sunset.pal", "tiny.pal"}));

  // One click: preview only.
  const LPARAM at = MAKELPARAM(item_point(list, 2).x, item_point(list, 2).y);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "sunset.pal");
  EXPECT_EQ(read_file(fx.ini()), ini) << "a single click changed qz.ini";

  // Its second click: activated exactly as the activate button does.
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = " + fx.pals + "sunset.pal"));
  EXPECT_EQ(read_file(fx.ini() + ".orig"), ini);

  // Enter on a palette whose file is gone: the same message as the button gives.
  ASSERT_TRUE(DeleteFileA((fx.pals + "Blue.pal").c_str()));
  app.select("blue.pal");
  PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
  HWND box = app.dialog_titled("Achtung");
  ASSERT_NE(box, nullptr) << "no message for a missing palette";
  EXPECT_EQ(App::message_text(box), "Fehler Palette !!");
  app.press(box, IDOK);
  EXPECT_EQ(app.text(CTL_STATUS), "qz.ini= sunset.pal");

  // Enter typed for real, the list focused by a real click.
  SetForegroundWindow(main);
  real_click(list, item_point(list, 0));
  ASSERT_TRUE(wait_for([&] { return focus_of(main) == list; }, 3000)) << "a click did not focus the list";
  app.settle();
  EXPECT_EQ(app.text(CTL_STATUS), "autumn.pal");
  real_key(VK_RETURN);
  ASSERT_TRUE(wait_for([&] { return app.text(CTL_STATUS) == "qz.ini= autumn.pal"; }, 3000)) << app.text(CTL_STATUS);
  EXPECT_EQ(read_file(fx.ini()), rewritten_ini(ini, "PaletteFile = " + fx.pals + "autumn.pal"));
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}

TEST(Player, TheKeyboardFocusComesBackAfterSwitchingToAnotherProgram) {
  Fixture fx("focus");
  fx.set_up_standard_game();
  App app(fx.work);
  HWND main = app.main();
  ASSERT_NE(main, nullptr);
  app.settle();
  HWND list = app.control(CTL_PALETTE_LIST);
  SetForegroundWindow(main);
  real_click(list, item_point(list, 1));
  ASSERT_TRUE(wait_for([&] { return focus_of(main) == list; }, 3000));
  app.settle();
  ASSERT_EQ(app.text(CTL_STATUS), "blue.pal");

  HWND other = other_program_window();
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  pump_for(200);
  ASSERT_EQ(GetForegroundWindow(), other);
  EXPECT_NE(focus_of(main), list) << "the program kept the focus while another was active";

  SetForegroundWindow(main);
  ASSERT_TRUE(wait_for([&] { return GetForegroundWindow() == main; }, 3000));
  EXPECT_TRUE(wait_for([&] { return focus_of(main) == list; }, 3000)) << "no control got the focus back";
  // The arrow keys work at once.
  real_key(VK_DOWN);
  EXPECT_TRUE(wait_for([&] {
    app.settle();
    return app.text(CTL_STATUS) == "sunset.pal";
  }, 3000)) << app.text(CTL_STATUS);

  DestroyWindow(other);
  app.close_window();
  ASSERT_TRUE(app.wait_exit());
}
