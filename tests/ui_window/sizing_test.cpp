// Live sizing: the size command takes the capture and every pointer movement
// or arrow key resizes the window through the application's event loop.
#include <algorithm>

#include "tests/common/divergence.h"
#include "tests/ui_window/test_events.h"
#include "ui/win/sizing.h"
#include "ui/win/window_internal.h"

using namespace tw::ui;

namespace {

constexpr uint32_t kMainFlags = WINDOW_STYLE_SIZABLE;

class LiveSizing : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &saved_full_drag, 0);
        // Wine starts with full-window dragging off (Windows: on).
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
        SetCursorPos(5, 1000);
        hwnd = reinterpret_cast<HWND>(window_open(0, 100, 100, 400, 300, "sizing", kMainFlags));
        ASSERT_NE(hwnd, nullptr);
        window_set_bounds(0, 300, 200, 600, tw::IGNORE);
        min_outer = outer_size(300, 200, kMainFlags);
        max_outer = outer_size(600, 200, kMainFlags);
        drain_events();
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        drain_events();
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, saved_full_drag, nullptr, 0);
        WindowTest::TearDown();
    }

    RECT rect() const {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }
    // Moves the pointer to screen position (x, y) and returns the events (raw
    // ones included) that follow from it. The pointer itself moves, not only a
    // posted message: a window that changes under the pointer gets a movement
    // to where the pointer really is (Windows, and Wine from 9 on).
    std::vector<std::string> move_to(int x, int y) {
        SetCursorPos(x, y);
        return drain_events(true);
    }
    std::vector<std::string> key(WPARAM vk) {
        PostMessageA(hwnd, WM_KEYDOWN, vk, 0);
        return drain_events(true);
    }
    static bool contains(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }

    BOOL saved_full_drag = FALSE;
    HWND hwnd = nullptr;
    SIZE min_outer{}, max_outer{};
};

// A resize may erase the window before its size event and paint it after
// (erase event and paint message are both 15, "REPAINT"); under Wine those
// come when the window grows, not when it shrinks. Repainting is not the
// point here: both are optional, at their places.
const NameTable kMoveThenSize = {"msg:0x200", optional("REPAINT"), "SIZE", optional("REPAINT")};
const NameTable kMoveThenMoveSize = {"msg:0x200", optional("REPAINT"), "MOVE", "SIZE", optional("REPAINT")};
const NameTable kOnlyMove = {"msg:0x200"};

// A window that changed under the pointer is sent a movement to where the
// pointer is (no change of size then), with its repaints; Wine 8 sends none.
void expect_resize(const std::vector<std::string>& events, const NameTable& resize) {
    NameTable then_pointed = resize;
    then_pointed.insert(then_pointed.end(), {"msg:0x200", optional("REPAINT"), optional("REPAINT")});
    EXPECT_UNLESS(tw_test::divergence::no_move_after_window_change, names_match(events, then_pointed));
    if (tw_test::divergence::no_move_after_window_change.applies()) {
        EXPECT_TRUE(names_match(events, resize));
    }
}

TEST_F(LiveSizing, DraggingTheRightEdgeFollowsThePointer) {
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), 0);
    EXPECT_EQ(GetCapture(), hwnd);
    EXPECT_TRUE(contains(drain_events(true), "msg:0x231")) << "WM_ENTERSIZEMOVE";

    const RECT start = rect();
    for (int step = 1; step <= 3; ++step) {
        const int x = start.right + 15 * step;
        SCOPED_TRACE("step " + std::to_string(step));
        expect_resize(move_to(x, start.top + 50), kMoveThenSize);
        RECT r = rect();
        EXPECT_EQ(r.right, x + 2);
        EXPECT_EQ(r.left, start.left);
        EXPECT_EQ(r.top, start.top);
        EXPECT_EQ(r.bottom, start.bottom);
    }
    EXPECT_EQ(window_width(0), 400 + 45 + 2);

    // The window's bounds hold: the edge stops at the minimum and maximum.
    move_to(start.left + 20, start.top + 50);
    EXPECT_EQ(rect().right - rect().left, min_outer.cx);
    EXPECT_EQ(window_width(0), 300);
    move_to(start.left + 2000, start.top + 50);
    EXPECT_EQ(rect().right - rect().left, max_outer.cx);
    EXPECT_EQ(window_width(0), 600);

    // Releasing the button ends the sizing.
    PostMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(contains(drain_events(true), "msg:0x232")) << "WM_EXITSIZEMOVE";
    EXPECT_EQ(GetCapture(), nullptr);
    const RECT end = rect();
    EXPECT_TRUE(names_match(move_to(end.right - 100, end.top + 50), kOnlyMove));
    EXPECT_EQ(rect().right, end.right);
}

TEST_F(LiveSizing, LeftAndTopEdgesKeepTheOppositeEdges) {
    const RECT start = rect();
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_LEFT, 0);
    drain_events();
    expect_resize(move_to(start.left - 30, start.top + 40), kMoveThenMoveSize);
    EXPECT_EQ(rect().left, start.left - 30);
    EXPECT_EQ(rect().right, start.right);
    // Past the minimum the left edge stops at right - minimum.
    move_to(start.right - 10, start.top + 40);
    EXPECT_EQ(rect().left, start.right - min_outer.cx);
    EXPECT_EQ(rect().right, start.right);
    ReleaseCapture();
    drain_events();

    // Top-left corner: both edges, two pixels inside the pointer.
    const RECT mid = rect();
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_TOPLEFT, 0);
    drain_events();
    expect_resize(move_to(mid.left - 20, mid.top - 10), kMoveThenMoveSize);
    EXPECT_EQ(rect().left, mid.left - 22);
    EXPECT_EQ(rect().top, mid.top - 12);
    EXPECT_EQ(rect().right, mid.right);
    EXPECT_EQ(rect().bottom, mid.bottom);
    PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    drain_events();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(rect().left, mid.left - 22) << "Escape keeps the size reached";
}

TEST_F(LiveSizing, KeyboardChoosesEdgesAndMovesByTenPixels) {
    SetCursorPos(50, 900);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE, 0);
    EXPECT_EQ(GetCapture(), hwnd);
    drain_events();
    const RECT start = rect();

    // The first arrow chooses the right edge and puts the pointer on it.
    EXPECT_FALSE(contains(key(VK_RIGHT), "SIZE"));
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, start.right - 2);
    EXPECT_EQ(p.y, 900);
    EXPECT_EQ(rect().right, start.right);

    // Further arrows in its direction size by 10 pixels each.
    EXPECT_TRUE(contains(key(VK_RIGHT), "SIZE"));
    EXPECT_EQ(rect().right, start.right + 10);
    EXPECT_TRUE(contains(key(VK_LEFT), "SIZE"));
    EXPECT_TRUE(contains(key(VK_LEFT), "SIZE"));
    EXPECT_EQ(rect().right, start.right - 10);

    // Down turns the right edge into the bottom-right corner.
    EXPECT_FALSE(contains(key(VK_DOWN), "SIZE"));
    GetCursorPos(&p);
    EXPECT_EQ(p.x, start.right - 10 - 2);
    EXPECT_EQ(p.y, start.bottom - 2);
    key(VK_DOWN);
    EXPECT_EQ(rect().bottom, start.bottom + 10);
    EXPECT_EQ(rect().right, start.right - 10);
    EXPECT_EQ(rect().left, start.left);
    EXPECT_EQ(rect().top, start.top);

    // Enter ends the sizing and puts the pointer back.
    EXPECT_TRUE(contains(key(VK_RETURN), "msg:0x232"));
    EXPECT_EQ(GetCapture(), nullptr);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 900);
    EXPECT_EQ(rect().bottom, start.bottom + 10);
}

TEST_F(LiveSizing, KeyboardTopLeftCornerFromTheTopEdge) {
    SetCursorPos(60, 800);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE, 0);
    drain_events();
    const RECT start = rect();
    key(VK_UP);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, start.top);
    key(VK_LEFT);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, start.left + 2);
    EXPECT_EQ(p.y, start.top + 2);
    EXPECT_EQ(rect().left, start.left) << "choosing a corner does not resize";
    key(VK_UP);
    EXPECT_EQ(rect().top, start.top - 10);
    EXPECT_EQ(rect().left, start.left);
    key(VK_LEFT);
    EXPECT_EQ(rect().left, start.left - 10);
    key(VK_ESCAPE);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(rect().left, start.left - 10);
}

TEST_F(LiveSizing, KeysReachTheSizingWhileAControlHasTheFocus) {
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 100, hwnd,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    SetFocus(list);
    SetCursorPos(70, 850);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE, 0);
    drain_events();
    const RECT start = rect();
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    drain_events();
    EXPECT_EQ(rect().bottom, start.bottom + 10);
    PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
    drain_events();
    EXPECT_EQ(GetCapture(), nullptr);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 70);
    EXPECT_EQ(p.y, 850);
    // After the sizing the control gets its keys again.
    EXPECT_EQ(GetFocus(), list);
}

TEST_F(LiveSizing, WithoutFullWindowDraggingTheSystemLoopRuns) {
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    EXPECT_EQ(sizing_handle(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), NOT_HANDLED);
    EXPECT_EQ(GetCapture(), nullptr);
    // Other messages are not the handler's business while it is idle.
    EXPECT_EQ(sizing_handle(hwnd, WM_MOUSEMOVE, 0, 0), NOT_HANDLED);
    EXPECT_EQ(sizing_handle(hwnd, WM_KEYDOWN, VK_RETURN, 0), NOT_HANDLED);
}

}  // namespace
