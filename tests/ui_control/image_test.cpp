// The image control and the image button painted into a bitmap through
// WM_PRINT, and the image control's mouse events.
#include "harness.h"

#include "runtime/resource_count.h"

#include <algorithm>

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBackdrop = RGB(1, 2, 3);

class Pictures : public ControlTest {
protected:
    void TearDown() override {
        ControlTest::TearDown();
        for (HBITMAP b : bitmaps_) DeleteObject(b);
        // Painting took device contexts and clip regions and measured icons
        // (their bitmaps): all of them given back.
        for (tw::Resource r : {tw::Resource::DeviceContext, tw::Resource::Region, tw::Resource::Bitmap})
            EXPECT_EQ(tw::resources_held(r), held_[static_cast<std::size_t>(r)]) << static_cast<int>(r);
    }
    long held_[static_cast<std::size_t>(tw::Resource::Count)] = {
        tw::resources_held(tw::Resource::Bitmap), tw::resources_held(tw::Resource::DeviceContext),
        tw::resources_held(tw::Resource::Brush),  tw::resources_held(tw::Resource::Font),
        tw::resources_held(tw::Resource::Icon),   tw::resources_held(tw::Resource::Region),
        tw::resources_held(tw::Resource::Module), tw::resources_held(tw::Resource::ItemList)};
    intptr_t bitmap(int w, int h, COLORREF c) {
        bitmaps_.push_back(solid_bitmap(w, h, c));
        return reinterpret_cast<intptr_t>(bitmaps_.back());
    }
    std::vector<HBITMAP> bitmaps_;
};

SIZE window_size(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return {r.right - r.left, r.bottom - r.top};
}

TEST_F(Pictures, ImageControlTakesThePictureSizeAndDrawsItAtTheOrigin) {
    HWND plain = reinterpret_cast<HWND>(control_create_image(1, 10, 10, 300, 225, bitmap(40, 30, kRed)));
    ASSERT_NE(plain, nullptr);
    SIZE s = window_size(plain);
    EXPECT_EQ(s.cx, 40);
    EXPECT_EQ(s.cy, 30);
    HWND edged = reinterpret_cast<HWND>(
        control_create_image(2, 100, 10, 300, 225, bitmap(40, 30, kRed), WS_EX_CLIENTEDGE));
    s = window_size(edged);
    EXPECT_EQ(s.cx, 44);
    EXPECT_EQ(s.cy, 34);

    Canvas canvas(50, 40);
    canvas.fill(kBackdrop);
    canvas.print(plain);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{0, 0, 40, 30}));

    // Another picture: new size and pixels; state gives the handle back.
    intptr_t green = bitmap(20, 10, kGreen);
    control_set_state(1, green);
    EXPECT_EQ(control_get_state(1), green);
    EXPECT_EQ(SendMessageA(plain, STM_GETIMAGE, IMAGE_BITMAP, 0), green);
    s = window_size(plain);
    EXPECT_EQ(s.cx, 20);
    EXPECT_EQ(s.cy, 10);
    canvas.fill(kBackdrop);
    canvas.print(plain);
    EXPECT_EQ(rect_text(canvas.find(kGreen)), rect_text(RECT{0, 0, 20, 10}));

    // No picture: the size stays, nothing is drawn, and the window behind
    // repaints the area.
    drain();
    control_set_state(1, 0);
    EXPECT_EQ(control_get_state(1), 0);
    s = window_size(plain);
    EXPECT_EQ(s.cx, 20);
    EXPECT_EQ(s.cy, 10);
    std::vector<int> others;
    drain(&others);
    EXPECT_NE(std::find(others.begin(), others.end(), EVENT_REPAINT), others.end());
    canvas.fill(kBackdrop);
    canvas.print(plain);
    EXPECT_EQ(canvas.at(5, 5), kBackdrop);
}

TEST_F(Pictures, ImageControlShowsAnIconInItsOwnSize) {
    HBITMAP colour = solid_bitmap(16, 16, kGreen);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);  // all 0: opaque
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    ASSERT_NE(icon, nullptr);
    HWND image = reinterpret_cast<HWND>(
        control_create_image(1, 10, 10, 300, 225, reinterpret_cast<intptr_t>(icon)));
    SIZE s = window_size(image);
    EXPECT_EQ(s.cx, 16);
    EXPECT_EQ(s.cy, 16);
    Canvas canvas(20, 20);
    canvas.fill(kBackdrop);
    canvas.print(image);
    EXPECT_EQ(rect_text(canvas.find(kGreen)), rect_text(RECT{0, 0, 16, 16}));
    control_free(1);
    DestroyIcon(icon);
}

TEST_F(Pictures, ImageControlClicksDragsAndRightDoubleClick) {
    HWND image = reinterpret_cast<HWND>(control_create_image(1, 10, 10, 10, 10, bitmap(60, 60, kRed)));
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    drain();

    // Press: the static's own click notification.
    PostMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    Events got = drain();
    Events want{{1, CONTROL_EVENT_CLICK}};
    EXPECT_EQ(got, want) << "press: " << dump(got);
    EXPECT_EQ(GetCapture(), image);

    PostMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20 + cx, 20 - cy));
    got = drain();
    EXPECT_EQ(got, Events{}) << "exactly the threshold: " << dump(got);
    PostMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20 + cx + 1, 20));
    PostMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20 + cx + 9, 20));
    PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(20 + cx + 9, 20));
    got = drain();
    want = {{1, CONTROL_EVENT_DRAG_START}};
    EXPECT_EQ(got, want) << "beyond: " << dump(got);
    EXPECT_NE(GetCapture(), image);

    // A press released in place: no drag, the capture ends.
    PostMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(image, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    got = drain();
    want = {{1, CONTROL_EVENT_CLICK}};
    EXPECT_EQ(got, want) << "click: " << dump(got);
    EXPECT_NE(GetCapture(), image);

    // Double click, right click, and a right double click whose release
    // gives no further right click.
    PostMessageA(image, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(image, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    got = drain();
    want = {{1, CONTROL_EVENT_DOUBLE_CLICK},
            {1, CONTROL_EVENT_RIGHT_CLICK},
            {1, CONTROL_EVENT_RIGHT_DOUBLE_CLICK},
            {1, CONTROL_EVENT_RIGHT_CLICK}};
    EXPECT_EQ(got, want) << dump(got);
}

TEST_F(Pictures, ImageButtonCentresShiftsGreysAndClipsThePicture) {
    HWND button = reinterpret_cast<HWND>(control_create_image_button(20, 10, 10, 60, 40, bitmap(20, 10, kRed)));
    ASSERT_NE(button, nullptr);
    const int inset = theme_is_themed() ? 4 : 2;
    Canvas canvas(60, 40);
    canvas.fill(kBackdrop);
    canvas.print(button);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{20, 15, 40, 25})) << "normal";
    // The button's own face is drawn underneath.
    EXPECT_EQ(canvas.at(10, 20), GetSysColor(COLOR_BTNFACE));

    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    canvas.fill(kBackdrop);
    canvas.print(button);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{21, 16, 41, 26})) << "pushed";
    SendMessageA(button, BM_SETSTATE, FALSE, 0);

    EnableWindow(button, FALSE);
    canvas.fill(kBackdrop);
    canvas.print(button);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{0, 0, 0, 0})) << "disabled";
    EXPECT_EQ(canvas.at(30, 20), GetSysColor(COLOR_3DSHADOW));
    EnableWindow(button, TRUE);

    // Odd sizes: the centring truncates.
    control_set_attribute(20, CONTROL_ATTR_IMAGE, bitmap(21, 11, kGreen));
    canvas.fill(kBackdrop);
    canvas.print(button);
    EXPECT_EQ(rect_text(canvas.find(kGreen)), rect_text(RECT{19, 14, 40, 25})) << "odd";

    // Too large: centred and clipped at the inset on every side.
    control_set_attribute(20, CONTROL_ATTR_IMAGE, bitmap(80, 60, kRed));
    canvas.fill(kBackdrop);
    canvas.print(button);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{inset, inset, 60 - inset, 40 - inset})) << "large";

    // A button the size of nothing but its frame still paints safely.
    control_resize(20, tw::IGNORE, tw::IGNORE, 3, 3);
    Canvas tiny(3, 3);
    tiny.fill(kBackdrop);
    tiny.print(button);
    EXPECT_EQ(rect_text(tiny.find(kRed)), rect_text(RECT{0, 0, 0, 0}));
}

TEST_F(Pictures, ImageButtonCarriesItsWordWithoutDrawingIt) {
    // What a screen reader announces is the window text; the face shows only
    // the picture, exactly as without a text.
    HWND plain = reinterpret_cast<HWND>(control_create_image_button(23, 0, 0, 80, 34, bitmap(8, 8, kRed)));
    HWND named = reinterpret_cast<HWND>(control_create_image_button(24, 0, 50, 80, 34, bitmap(8, 8, kRed)));
    ASSERT_TRUE(plain && named);
    control_set_text(24, "Palette");
    char text[32] = {};
    GetWindowTextA(named, text, sizeof text);
    EXPECT_STREQ(text, "Palette");
    EXPECT_EQ(control_get_text(24), "Palette");
    for (bool focused : {false, true}) {
        if (focused) SetFocus(named);
        Canvas a(80, 34), b(80, 34);
        a.fill(kBackdrop);
        b.fill(kBackdrop);
        a.print(plain);
        b.print(named);
        int differ = 0;
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 80; ++x)
                if (a.at(x, y) != b.at(x, y) && !(focused && (x == 3 || y == 3 || x == 76 || y == 30))) ++differ;
        EXPECT_EQ(differ, 0) << "the text was drawn" << (focused ? " (focused)" : "");
    }
}

TEST_F(Pictures, ToggleImageButtonShowsThePressedPictureWhileChecked) {
    intptr_t normal = bitmap(10, 10, kRed), pressed = bitmap(10, 10, kGreen);
    HWND toggle = reinterpret_cast<HWND>(
        control_create_image_button(21, 0, 0, 40, 40, normal, CONTROL_FLAG_TOGGLE));
    HWND plain = reinterpret_cast<HWND>(control_create_image_button(22, 50, 0, 40, 40, normal));
    control_set_attribute(21, CONTROL_ATTR_PRESSED_IMAGE, pressed);
    EXPECT_EQ(control_get_attribute(21, CONTROL_ATTR_IMAGE), normal);
    EXPECT_EQ(control_get_attribute(21, CONTROL_ATTR_PRESSED_IMAGE), pressed);
    EXPECT_EQ(control_get_attribute(21, 3), 0);
    EXPECT_EQ(control_get_attribute(22, CONTROL_ATTR_PRESSED_IMAGE), 0);

    Canvas canvas(40, 40);
    canvas.print(toggle);
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{15, 15, 25, 25}));
    control_set_state(21, 1);
    EXPECT_EQ(control_get_state(21), 1);
    canvas.fill(kBackdrop);
    canvas.print(toggle);
    EXPECT_EQ(rect_text(canvas.find(kGreen)), rect_text(RECT{15, 15, 25, 25})) << "checked";
    EXPECT_EQ(rect_text(canvas.find(kRed)), rect_text(RECT{0, 0, 0, 0}));

    // A plain image button has no state.
    control_set_state(22, 1);
    EXPECT_EQ(control_get_state(22), 0);
    EXPECT_EQ(SendMessageA(plain, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Clicks arrive as BN_CLICKED; a toggle flips its state.
    drain();
    PostMessageA(toggle, BM_CLICK, 0, 0);
    PostMessageA(plain, BM_CLICK, 0, 0);
    Events got = drain();
    Events want{{21, BN_CLICKED}, {22, BN_CLICKED}};
    EXPECT_EQ(got, want) << dump(got);
    EXPECT_EQ(control_get_state(21), 0);
}

}  // namespace
