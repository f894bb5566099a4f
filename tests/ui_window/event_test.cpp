// The event queue: which window messages become which events, in which order,
// the collapsing of repeated deferred events, and waiting with time-outs.
#include <chrono>
#include <thread>

#include "tests/ui_window/test_events.h"

namespace {

constexpr uint32_t kMainFlags = WINDOW_STYLE_SIZABLE;

class EventQueue : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        hwnd = reinterpret_cast<HWND>(window_open(0, 40, 40, 400, 300, "events", kMainFlags));
        ASSERT_NE(hwnd, nullptr);
        drain_events();
    }
    HWND hwnd = nullptr;
};

// Only the size-related events, in order.
std::vector<std::string> size_events(const std::vector<std::string>& all) {
    std::vector<std::string> out;
    for (const auto& e : all)
        if (e == "SIZE" || e == "MINIMIZE" || e == "MAXIMIZE" || e == "RESTORE") out.push_back(e);
    return out;
}

TEST_F(EventQueue, MinimizeMaximizeRestore) {
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(size_events(drain_events()), names({EVENT_MINIMIZE})) << "no size event for a minimize";
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(size_events(drain_events()), names({EVENT_RESTORE, EVENT_SIZE}));
    EXPECT_EQ(event_window(), 0);

    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_EQ(size_events(drain_events()), names({EVENT_MAXIMIZE, EVENT_SIZE}));
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(size_events(drain_events()), names({EVENT_RESTORE, EVENT_SIZE}));

    // A plain resize of a normal window is only a size event.
    MoveWindow(hwnd, 40, 40, 500, 400, TRUE);
    EXPECT_EQ(size_events(drain_events()), names({EVENT_SIZE}));
}

TEST_F(EventQueue, RepeatedDeferredEventsCollapse) {
    for (int i = 0; i < 4; ++i) SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300 + i, 200));
    EXPECT_EQ(drain_events(), names({EVENT_SIZE}));

    HDC dc = GetDC(hwnd);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(310, 200));
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(drain_events(), names({EVENT_SIZE, EVENT_REPAINT, EVENT_SIZE, EVENT_REPAINT}));

    // Equal events of two windows do not collapse into one.
    HWND other = reinterpret_cast<HWND>(window_open(1, 500, 40, 200, 100, "other", kMainFlags));
    drain_events();
    SendMessageA(hwnd, WM_MOVE, 0, 0);
    SendMessageA(other, WM_MOVE, 0, 0);
    SendMessageA(other, WM_MOVE, 0, 0);
    std::vector<intptr_t> windows;
    for (int code; (code = window_poll_event(0)) != 0;)
        if (code == EVENT_MOVE) windows.push_back(event_window());
    EXPECT_EQ(windows, (std::vector<intptr_t>{0, 1}));
}

TEST_F(EventQueue, DeferredEventsComeBeforeNewMessages) {
    PostMessageA(hwnd, WM_APP + 1, 7, 9);
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(40, 40));
    EXPECT_EQ(window_poll_event(0), EVENT_MOVE);
    EXPECT_EQ(event_window(), 0);
    EXPECT_EQ(window_poll_event(0), WM_APP + 1) << "other messages come back as their own number";
    EXPECT_EQ(event_wparam(), 7);
    EXPECT_EQ(event_lparam(), 9);
    EXPECT_EQ(event_type(), -1);

    // A posted message whose handling defers an event answers with its own
    // number first; the event follows.
    PostMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(window_poll_event(0), WM_ACTIVATE);
    EXPECT_EQ(window_poll_event(0), EVENT_ACTIVATE);
    PostMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(drain_events(true), std::vector<std::string>{"msg:0x6"}) << "deactivation is no event";
}

TEST_F(EventQueue, CloseBoxReportsAndKeepsTheWindow) {
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(drain_events(), names({EVENT_CLOSE}));
    EXPECT_EQ(event_window(), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));

    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(window_poll_event(0), WM_CLOSE);
    EXPECT_EQ(window_poll_event(0), EVENT_CLOSE);
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(EventQueue, ControlAndMenuEvents) {
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 10, 10, 60, 24, hwnd,
                                  reinterpret_cast<HMENU>(7), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    drain_events();

    // A control notification is the pending event of its dispatch.
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(window_poll_event(0), EVENT_CONTROL);
    EXPECT_EQ(event_control(), 7);
    EXPECT_EQ(event_type(), BN_CLICKED);
    EXPECT_EQ(window_poll_event(0), 0) << "a pending event is delivered once";

    // What a control posts to its window.
    PostMessageA(hwnd, MSG_CONTROL_EVENT, 42, CONTROL_EVENT_DRAG_START);
    EXPECT_EQ(window_poll_event(0), EVENT_CONTROL);
    EXPECT_EQ(event_control(), 42);
    EXPECT_EQ(event_type(), CONTROL_EVENT_DRAG_START);
    EXPECT_EQ(event_window(), 0);

    // A notification sent outside any dispatch (the program changed the
    // control itself) comes after the next dispatched message, without type.
    SendMessageA(button, BM_CLICK, 0, 0);
    PostMessageA(hwnd, WM_APP, 0, 0);
    EXPECT_EQ(window_poll_event(0), EVENT_CONTROL);
    EXPECT_EQ(event_control(), 7);
    EXPECT_EQ(event_type(), -1);

    // Menus and shortcuts other than Tab.
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(123, 0), 0);
    EXPECT_EQ(window_poll_event(0), EVENT_MENU);
    EXPECT_EQ(event_control(), 123);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(555, 1), 0);
    EXPECT_EQ(window_poll_event(0), EVENT_MENU);
    EXPECT_EQ(event_control(), 555);
    EXPECT_EQ(event_type(), -1);

    // The Tab commands move the focus and are no events.
    SetFocus(hwnd);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(COMMAND_FOCUS_NEXT, 1), 0);
    EXPECT_EQ(window_poll_event(0), WM_COMMAND);
}

int g_colour_changes = 0;

LRESULT CALLBACK counting_proc(HWND h, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_SYSCOLORCHANGE) ++g_colour_changes;
    return DefWindowProcA(h, msg, wparam, lparam);
}

TEST_F(EventQueue, SystemColourChangeReachesEveryChild) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = counting_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ColourCounter";
    RegisterClassA(&wc);
    HWND outer = CreateWindowExA(0, "ColourCounter", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, hwnd, nullptr,
                                 wc.hInstance, nullptr);
    CreateWindowExA(0, "ColourCounter", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, outer, nullptr, wc.hInstance, nullptr);
    g_colour_changes = 0;
    SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(g_colour_changes, 2) << "the child and the grandchild";
    DestroyWindow(outer);
    UnregisterClassA("ColourCounter", wc.hInstance);
}

TEST_F(EventQueue, MessagesBeforeTheWindowIsKnownGiveNoEvents) {
    // Messages of a window that is not the library's: window -1, no event.
    HWND foreign = CreateWindowExA(0, "STATIC", "f", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    PostMessageA(foreign, WM_APP + 3, 0, 0);
    EXPECT_EQ(drain_events(true), std::vector<std::string>{"msg:0x8003"});
    DestroyWindow(foreign);

    // Window creation sends size and move messages before the window has its
    // number: they give no events.
    window_open(1, 10, 10, 100, 100, "hidden", WINDOW_INVISIBLE | kMainFlags);
    EXPECT_EQ(drain_events(), std::vector<std::string>{});
}

TEST_F(EventQueue, PollWithTimeouts) {
    using clock = std::chrono::steady_clock;
    auto t0 = clock::now();
    EXPECT_EQ(window_poll_event(0), 0);
    EXPECT_LT(clock::now() - t0, std::chrono::milliseconds(50)) << "0 does not wait";

    t0 = clock::now();
    EXPECT_EQ(window_poll_event(150), 0);
    EXPECT_GE(clock::now() - t0, std::chrono::milliseconds(120)) << "nothing came within the time-out";

    // A timer message ends a long wait early.
    SetTimer(hwnd, 1, 40, nullptr);
    t0 = clock::now();
    int code = window_poll_event(5000);
    KillTimer(hwnd, 1);
    EXPECT_EQ(code, WM_TIMER);
    EXPECT_LT(clock::now() - t0, std::chrono::milliseconds(2000));
    drain_events();

    // -1 waits without limit for a message posted later by another thread.
    std::thread poster([h = hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PostMessageA(h, MSG_CONTROL_EVENT, 5, 0);
    });
    EXPECT_EQ(window_wait_event(), EVENT_CONTROL);
    EXPECT_EQ(event_control(), 5);
    poster.join();

    // A deferred event is returned at once even with a time-out.
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, 0);
    t0 = clock::now();
    EXPECT_EQ(window_poll_event(-1), EVENT_SIZE);
    EXPECT_LT(clock::now() - t0, std::chrono::milliseconds(50));
}

}  // namespace
