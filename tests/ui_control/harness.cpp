#include "harness.h"

#include <cstdio>

namespace {

class LibraryStart : public ::testing::Environment {
public:
    void SetUp() override {
        window_library_init();
        font_library_init();
        control_library_init();
        requester_library_init();
    }
};

const auto* g_start = ::testing::AddGlobalTestEnvironment(new LibraryStart);

}  // namespace

std::string event_text(const ControlEvent& event) {
    char text[64];
    std::snprintf(text, sizeof text, "ctl %lld type 0x%x", static_cast<long long>(event.control), event.type);
    return text;
}

std::string dump(const Events& events) {
    std::string s;
    for (const auto& e : events) s += (s.empty() ? "" : ", ") + event_text(e);
    return s.empty() ? "(none)" : s;
}

::testing::AssertionResult events_match(const Events& got, const EventTable& want) {
    return tw_test::sequence_matches(got, want, event_text);
}

Events drain(std::vector<int>* others) {
    Events events;
    // A posted event can lag one round behind the message that caused it.
    for (int idle = 0; idle < 2;) {
        int code = window_poll_event(0);
        if (code == 0) {
            ++idle;
            continue;
        }
        idle = 0;
        if (code == EVENT_CONTROL) events.push_back({event_control(), event_type()});
        else if (others) others->push_back(code);
    }
    return events;
}

void ControlTest::SetUp() {
    window_ = reinterpret_cast<HWND>(window_open(0, 50, 50, 400, 300, "Test", WINDOW_STYLE_SIZABLE));
    ASSERT_NE(window_, nullptr);
    drain();
}

void ControlTest::TearDown() {
    window_close(0);
    drain();
}

HBITMAP solid_bitmap(int width, int height, COLORREF colour) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* p = static_cast<uint32_t*>(bits);
    uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; i < width * height; ++i) p[i] = pixel;
    GdiFlush();
    return bmp;
}

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap_));
}

Canvas::~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Canvas::at(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void Canvas::fill(COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    RECT r{0, 0, width_, height_};
    FillRect(dc_, &r, b);
    DeleteObject(b);
}

void Canvas::print(HWND window) {
    SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND | PRF_NONCLIENT);
}

RECT Canvas::find(COLORREF colour) const {
    RECT r{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (at(x, y) == colour) {
                if (x < r.left) r.left = x;
                if (y < r.top) r.top = y;
                if (x + 1 > r.right) r.right = x + 1;
                if (y + 1 > r.bottom) r.bottom = y + 1;
            }
    if (r.right == 0) r = RECT{0, 0, 0, 0};
    return r;
}

std::string rect_text(const RECT& r) {
    char s[80];
    std::snprintf(s, sizeof s, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return s;
}
