// Opening, geometry, closing, colours, size bounds, control lists and Tab
// focus movement of the library's windows.
#include <cstring>

#include "tests/ui_window/test_events.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

constexpr uint32_t kMainFlags = WINDOW_STYLE_SIZABLE;  // caption, system menu, sizing border, minimize box

HWND hwnd_of(intptr_t number) { return reinterpret_cast<HWND>(window_handle(number)); }

RECT window_rect(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r;
}

HWND child(HWND parent, const char* cls, DWORD style, int id) {
    return CreateWindowExA(0, cls, "x", WS_CHILD | style, 10, 10 + 30 * id, 80, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleA(nullptr), nullptr);
}

using WindowGeometry = WindowTest;
using WindowColours = WindowTest;
using WindowBounds = WindowTest;
using ControlLists = WindowTest;
using FocusMove = WindowTest;

TEST_F(WindowGeometry, FramePositionAndClientSizeRoundTrip) {
    HWND h = reinterpret_cast<HWND>(window_open(0, 120, 90, 400, 300, "Tintwerk", kMainFlags));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(hwnd_of(0), h);
    EXPECT_TRUE(IsWindowVisible(h));

    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    EXPECT_STREQ(cls, "WindowClass_0");
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(h, "TW_WindowID")), 1);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(h, GCLP_HICON)),
              LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)))
        << "class icon: the program's icon 1";
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(h, GCLP_HCURSOR)),
              LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(GetClassLongPtrA(h, GCL_STYLE) & CS_DBLCLKS, static_cast<ULONG_PTR>(CS_DBLCLKS));

    const DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX));
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);

    SIZE outer = outer_size(400, 300, kMainFlags);
    RECT r = window_rect(h);
    EXPECT_EQ(r.right - r.left, outer.cx);
    EXPECT_EQ(r.bottom - r.top, outer.cy);

    EXPECT_EQ(window_x(0), 120);
    EXPECT_EQ(window_y(0), 90);
    EXPECT_EQ(window_width(0), 400);
    EXPECT_EQ(window_height(0), 300);

    // What the settings file saves reproduces the window.
    int x = window_x(0), y = window_y(0), w = window_width(0), hh = window_height(0);
    window_close(0);
    EXPECT_FALSE(IsWindow(h));
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_0", &wc)) << "class stays registered";
    EXPECT_EQ(window_x(0), 0);
    EXPECT_EQ(window_width(0), 0);
    EXPECT_EQ(window_handle(0), 0);

    ASSERT_NE(window_open(0, x, y, w, hh, "Tintwerk", kMainFlags), 0);
    EXPECT_EQ(window_x(0), x);
    EXPECT_EQ(window_y(0), y);
    EXPECT_EQ(window_width(0), w);
    EXPECT_EQ(window_height(0), hh);
}

TEST_F(WindowGeometry, SettingsWindowIsCentredWithCaptionOnly) {
    HWND main = reinterpret_cast<HWND>(window_open(0, 50, 40, 700, 500, "Main", kMainFlags));
    HWND h = reinterpret_cast<HWND>(window_open(2, 10, 10, 460, 400, "Einstellungen", 1, reinterpret_cast<intptr_t>(main)));
    ASSERT_NE(h, nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME), 0u) << "no system menu, so no close box";
    EXPECT_EQ(GetWindow(h, GW_OWNER), main);

    SIZE outer = outer_size(460, 400, WS_CAPTION);
    EXPECT_EQ(window_x(2), (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2);
    EXPECT_EQ(window_y(2), (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2);
    EXPECT_EQ(window_width(2), 460);
    EXPECT_EQ(window_height(2), 400);

    // Closing it activates its owner first and leaves number 2 empty.
    window_close(2);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(window_x(2), 0);
    EXPECT_EQ(window_y(2), 0);
    EXPECT_EQ(window_width(2), 0);
    EXPECT_EQ(window_height(2), 0);
}

TEST_F(WindowGeometry, CentringOnParentOversizedScreenAndDefaults) {
    HWND main = reinterpret_cast<HWND>(window_open(0, 300, 200, 500, 400, "Main", kMainFlags));
    ASSERT_NE(main, nullptr);
    RECT pr = window_rect(main);

    ASSERT_NE(window_open(3, 0, 0, 200, 100, "Child", 2, reinterpret_cast<intptr_t>(main)), 0);
    SIZE outer = outer_size(200, 100, WS_CAPTION);
    EXPECT_EQ(window_x(3), pr.left + ((pr.right - pr.left) - outer.cx) / 2);
    EXPECT_EQ(window_y(3), pr.top + ((pr.bottom - pr.top) - outer.cy) / 2);

    // A window larger than its parent near the corner is kept on the screen.
    window_open(4, 0, 0, 1600, 1300, "Big", 2, reinterpret_cast<intptr_t>(main));
    EXPECT_EQ(window_x(4), 0);
    EXPECT_EQ(window_y(4), 0);

    // Centring on the screen clamps the frame to the screen first.
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    window_open(5, 0, 0, sw + 500, sh + 500, "Huge", 1);
    RECT hr = window_rect(hwnd_of(5));
    EXPECT_EQ(hr.left, 0);
    EXPECT_EQ(hr.top, 0);
    EXPECT_EQ(hr.right - hr.left, sw);
    EXPECT_EQ(hr.bottom - hr.top, sh);

    // IGNORE without centring gives the system's default position; a position
    // off the screen is taken as given.
    window_open(6, tw::IGNORE, tw::IGNORE, 200, 100, "Default", kMainFlags);
    EXPECT_NE(window_x(6), tw::IGNORE);
    EXPECT_NE(window_y(6), tw::IGNORE);
    window_open(7, -3000, 5000, 200, 100, "Far", kMainFlags);
    EXPECT_EQ(window_x(7), -3000);
    EXPECT_EQ(window_y(7), 5000);
    // Asked to, it moves as little as it takes onto the screen; one larger
    // than the screen keeps its top-left corner on it.
    window_keep_on_screen(7);
    EXPECT_EQ(window_x(7), 0);
    EXPECT_EQ(window_y(7), sh - static_cast<int>(outer_size(200, 100, kMainFlags).cy));
    window_keep_on_screen(4);
    EXPECT_EQ(window_x(4), 0);
    EXPECT_EQ(window_y(4), 0);
}

TEST_F(WindowGeometry, FlagsInvisibleReuseAndDynamicNumbers) {
    // Without any style bit the window still gets a caption; the invisible
    // bit keeps it hidden and does not end up in the style.
    HWND h = reinterpret_cast<HWND>(window_open(1, 10, 10, 100, 80, nullptr, WINDOW_INVISIBLE));
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetWindowTextLengthA(h), 0);

    // Opening number 1 again closes the first window with its children.
    HWND kid = child(h, "BUTTON", WS_VISIBLE, 1);
    ASSERT_NE(kid, nullptr);
    HWND h2 = reinterpret_cast<HWND>(window_open(1, 10, 10, 100, 80, "again", 0));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(IsWindow(kid));
    EXPECT_TRUE(IsWindowVisible(h2));

    // A dynamic window is named by its object's address.
    intptr_t dyn = window_open(-1, 10, 10, 120, 90, "dyn", kMainFlags);
    ASSERT_NE(dyn, 0);
    HWND dh = hwnd_of(dyn);
    ASSERT_NE(dh, nullptr);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(dh, "TW_WindowID")), dyn + 1);
    EXPECT_EQ(window_width(dyn), 120);
    char cls[64] = {};
    GetClassNameA(dh, cls, sizeof cls);
    EXPECT_EQ(std::string(cls), "WindowClass_" + std::to_string(static_cast<long long>(dyn)));

    // A window destroyed behind the library's back frees its number.
    DestroyWindow(h2);
    EXPECT_EQ(window_handle(1), 0);
    EXPECT_EQ(window_width(1), 0);

    window_close_all();
    EXPECT_FALSE(IsWindow(dh));
    EXPECT_EQ(window_handle(dyn), 0);
    window_close(99);  // nothing there: nothing happens
}

TEST_F(WindowColours, OwnBrushErasesTheBackground) {
    HWND h = reinterpret_cast<HWND>(window_open(0, 10, 10, 60, 40, "c", kMainFlags));
    ASSERT_NE(h, nullptr);
    drain_events();

    auto erased_colour = [&] {
        HDC screen = GetDC(h);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 60, 40);
        HGDIOBJ old = SelectObject(mem, bmp);
        SendMessageA(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
        COLORREF c = GetPixel(mem, 30, 20);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(h, screen);
        return c;
    };
    EXPECT_EQ(erased_colour(), GetSysColor(COLOR_BTNFACE));
    window_set_colour(0, 0xEFE6DC);
    EXPECT_EQ(erased_colour(), static_cast<COLORREF>(0xEFE6DC));
    drain_events();

    // The same colour again changes nothing and asks for no repaint.
    UpdateWindow(h);
    drain_events();
    window_set_colour(0, 0xEFE6DC);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(h, &update, FALSE));
    window_set_colour(0, 0x4A3100);
    EXPECT_TRUE(GetUpdateRect(h, &update, FALSE));
    EXPECT_EQ(erased_colour(), static_cast<COLORREF>(0x4A3100));

    window_set_colour(0, -1);
    EXPECT_EQ(erased_colour(), GetSysColor(COLOR_BTNFACE));
    window_set_colour(42, 0x123456);  // no window: nothing happens
}

TEST_F(WindowBounds, ClientBoundsHoldForProgrammaticSizing) {
    HWND h = reinterpret_cast<HWND>(window_open(0, 20, 20, 700, 500, "b", kMainFlags));
    ASSERT_NE(h, nullptr);
    window_set_bounds(0, 680, 460, 900, tw::IGNORE);
    SIZE small = outer_size(300, 200, kMainFlags);
    MoveWindow(h, 20, 20, small.cx, small.cy, TRUE);
    EXPECT_EQ(window_width(0), 680);
    EXPECT_EQ(window_height(0), 460);

    SIZE large = outer_size(1200, 700, kMainFlags);
    MoveWindow(h, 20, 20, large.cx, large.cy, TRUE);
    EXPECT_EQ(window_width(0), 900);
    EXPECT_EQ(window_height(0), 700) << "the height has only the system's maximum";

    // IGNORE keeps earlier bounds; a new maximum height now applies too.
    window_set_bounds(0, tw::IGNORE, tw::IGNORE, tw::IGNORE, 600);
    MoveWindow(h, 20, 20, small.cx, large.cy, TRUE);
    EXPECT_EQ(window_width(0), 680);
    EXPECT_EQ(window_height(0), 600);

    // 0 removes a bound.
    window_set_bounds(0, 0, 0, tw::IGNORE, tw::IGNORE);
    MoveWindow(h, 20, 20, small.cx, small.cy, TRUE);
    EXPECT_EQ(window_width(0), 300);
    EXPECT_EQ(window_height(0), 200);
}

TEST_F(ControlLists, EachWindowKeepsItsListUntilDestroyed) {
    ControlListContext& ctx = control_list_context();
    HWND main = reinterpret_cast<HWND>(window_open(0, 10, 10, 300, 200, "m", kMainFlags));
    EXPECT_EQ(ctx.current, main);
    EXPECT_EQ(control_list_use(0), reinterpret_cast<intptr_t>(main)) << "0 only asks";

    char prop[64];
    std::snprintf(prop, sizeof prop, "TW_GadgetStack_%lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(GetModuleHandleA(nullptr))));
    EXPECT_NE(GetPropA(main, prop), nullptr);

    // Flag 8: no control list, the current one stays.
    HWND quiet = reinterpret_cast<HWND>(window_open(1, 10, 10, 100, 100, "q", WINDOW_NO_CONTROL_LIST | kMainFlags));
    EXPECT_EQ(ctx.current, main);
    EXPECT_EQ(GetPropA(quiet, prop), nullptr);

    HWND settings = reinterpret_cast<HWND>(window_open(2, 10, 10, 200, 100, "s", 1, reinterpret_cast<intptr_t>(main)));
    EXPECT_EQ(ctx.current, settings);
    EXPECT_EQ(control_list_use(reinterpret_cast<intptr_t>(main)), reinterpret_cast<intptr_t>(settings));
    EXPECT_EQ(ctx.current, main);
    EXPECT_EQ(control_list_use(reinterpret_cast<intptr_t>(settings)), reinterpret_cast<intptr_t>(main));

    // Closing the current window leaves no current list; the window procedure
    // still works for the other window.
    window_close(2);
    EXPECT_EQ(ctx.current, nullptr);
    EXPECT_EQ(control_list_use(0), 0);
    control_list_use(reinterpret_cast<intptr_t>(main));
    EXPECT_EQ(ctx.current, main);
    drain_events();
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(drain_events(), names({EVENT_CLOSE}));
    EXPECT_EQ(event_window(), 0);
}

// Focus targets: plain buttons made with CreateWindowEx.
struct TabScene {
    HWND window, first, no_tabstop, disabled, hidden, second, third;
};

TabScene make_tab_scene() {
    TabScene s{};
    s.window = reinterpret_cast<HWND>(window_open(2, 100, 100, 300, 300, "tabs", 1));
    s.first = child(s.window, "BUTTON", WS_VISIBLE | WS_TABSTOP, 1);
    s.no_tabstop = child(s.window, "BUTTON", WS_VISIBLE, 2);
    s.disabled = child(s.window, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 3);
    s.hidden = child(s.window, "BUTTON", WS_TABSTOP, 4);
    s.second = child(s.window, "EDIT", WS_VISIBLE | WS_TABSTOP, 5);
    s.third = child(s.window, "BUTTON", WS_VISIBLE | WS_TABSTOP, 6);
    SetForegroundWindow(s.window);
    SetActiveWindow(s.window);
    return s;
}

TEST_F(FocusMove, ForwardAndBackwardWrapAround) {
    TabScene s = make_tab_scene();
    ASSERT_EQ(GetActiveWindow(), s.window);
    SetFocus(s.window);  // no current control: forward takes the first
    focus_move(0);
    EXPECT_EQ(GetFocus(), s.first);
    focus_move(0);
    EXPECT_EQ(GetFocus(), s.second) << "skips the control without tab stop, the disabled and the hidden one";
    focus_move(0);
    EXPECT_EQ(GetFocus(), s.third);
    focus_move(0);
    EXPECT_EQ(GetFocus(), s.first) << "wraps at the end";
    focus_move(1);
    EXPECT_EQ(GetFocus(), s.third) << "wraps at the start";
    focus_move(1);
    EXPECT_EQ(GetFocus(), s.second);

    // A focused control that is no tab stop: forward leaves it, backward
    // takes the last candidate.
    SetFocus(s.no_tabstop);
    focus_move(0);
    EXPECT_EQ(GetFocus(), s.no_tabstop);
    focus_move(1);
    EXPECT_EQ(GetFocus(), s.third);
    SetFocus(s.window);
    focus_move(1);
    EXPECT_EQ(GetFocus(), s.third);
}

TEST_F(FocusMove, TabKeysGoThroughTheShortcutTable) {
    TabScene s = make_tab_scene();
    ASSERT_EQ(GetActiveWindow(), s.window);
    SetFocus(s.third);
    drain_events();

    auto press = [](bool shift) {
        INPUT in[4] = {};
        int n = 0;
        auto key = [&](WORD vk, bool up) {
            in[n].type = INPUT_KEYBOARD;
            in[n].ki.wVk = vk;
            in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            ++n;
        };
        if (shift) key(VK_SHIFT, false);
        key(VK_TAB, false);
        key(VK_TAB, true);
        if (shift) key(VK_SHIFT, true);
        SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
        // The Tab shortcut moves the focus and gives no event of its own.
        for (int i = 0; i < 20; ++i) {
            int code = window_poll_event(50);
            EXPECT_NE(code, EVENT_MENU);
            if (code == 0) break;
        }
    };
    press(false);
    EXPECT_EQ(GetFocus(), s.first);
    press(true);
    EXPECT_EQ(GetFocus(), s.third);
    press(true);
    EXPECT_EQ(GetFocus(), s.second);

    // Tab goes into an editable rich-edit field instead of moving on; a
    // read-only one passes it to the shortcut table.
    if (LoadLibraryA("riched20.dll")) {
        HWND rich = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, 120, 10,
                                    100, 60, s.window, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(rich, nullptr);
        SetFocus(rich);
        press(false);
        EXPECT_EQ(GetFocus(), rich);
        char text[16] = {};
        GetWindowTextA(rich, text, sizeof text);
        EXPECT_STREQ(text, "\t");
        SendMessageA(rich, EM_SETREADONLY, TRUE, 0);
        press(false);
        EXPECT_NE(GetFocus(), rich);
    }
}

TEST_F(FocusMove, TheFocusComesBackWhenTheWindowIsActivatedAgain) {
    TabScene s = make_tab_scene();
    ASSERT_EQ(GetActiveWindow(), s.window);
    auto activate = [](HWND w) {
        SetForegroundWindow(w);
        SetActiveWindow(w);
        return drain_events();
    };
    SetFocus(s.second);
    HWND other = reinterpret_cast<HWND>(window_open(3, 450, 100, 200, 100, "other", WINDOW_STYLE_SIZABLE));
    ASSERT_NE(other, nullptr);
    activate(other);
    ASSERT_EQ(GetActiveWindow(), other);
    EXPECT_NE(GetFocus(), s.second);
    // Back: the control that had the focus has it again, and the activation
    // is still reported as before.
    std::vector<std::string> events = activate(s.window);
    EXPECT_EQ(GetFocus(), s.second);
    EXPECT_NE(std::find(events.begin(), events.end(), "ACTIVATE"), events.end());

    // That control is gone meanwhile: the first tab stop takes the focus.
    SetFocus(s.third);
    activate(other);
    DestroyWindow(s.third);
    activate(s.window);
    EXPECT_EQ(GetFocus(), s.first);

    // No control had it (the window itself was focused): the first tab stop.
    SetFocus(s.window);
    activate(other);
    activate(s.window);
    EXPECT_EQ(GetFocus(), s.first);
    window_close(3);
}

}  // namespace
