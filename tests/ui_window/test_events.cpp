#include "tests/ui_window/test_events.h"

#include <cstdio>

std::string event_name(int code) {
    switch (code) {
    case EVENT_MOVE: return "MOVE";
    case EVENT_SIZE: return "SIZE";
    case EVENT_REPAINT: return "REPAINT";
    case EVENT_CLOSE: return "CLOSE";
    case EVENT_CONTROL: return "CONTROL";
    case EVENT_MENU: return "MENU";
    case EVENT_ACTIVATE: return "ACTIVATE";
    case EVENT_MINIMIZE: return "MINIMIZE";
    case EVENT_MAXIMIZE: return "MAXIMIZE";
    case EVENT_RESTORE: return "RESTORE";
    default: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "msg:0x%x", code);
        return buf;
    }
    }
}

bool is_library_event(int code) { return event_name(code).rfind("msg:", 0) != 0; }

std::vector<std::string> drain_events(bool keep_raw) {
    std::vector<std::string> out;
    for (int i = 0; i < 2000; ++i) {
        int code = window_poll_event(0);
        if (code == 0) break;
        if (keep_raw || is_library_event(code)) out.push_back(event_name(code));
    }
    return out;
}

std::vector<std::string> names(std::initializer_list<int> codes) {
    std::vector<std::string> out;
    for (int c : codes) out.push_back(event_name(c));
    return out;
}

::testing::AssertionResult names_match(const std::vector<std::string>& got, const NameTable& want) {
    return tw_test::sequence_matches(got, want, [](const std::string& name) { return name; });
}

void WindowTest::SetUp() {
    window_library_init();
    drain_events();
}

void WindowTest::TearDown() {
    window_close_all();
    drain_events();
}

SIZE WindowTest::outer_size(int width, int height, DWORD style) {
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, style, FALSE);
    return {r.right - r.left, r.bottom - r.top};
}
