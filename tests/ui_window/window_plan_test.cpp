// What the window library decides before it calls the platform.
#include <gtest/gtest.h>

#include "ui/portable/window_plan.h"
#include "ui/window.h"

namespace {

// The window library's decisions behind the program's two windows.
TEST(Windows, FlagsGiveStyleAndShowPositionsGiveTheFrame) {
    using namespace tw::ui;
    const WindowPlan main = window_plan(WINDOW_STYLE_SIZABLE), settings = window_plan(WINDOW_CENTRE_SCREEN);
    const WindowPlan odd = window_plan(WINDOW_INVISIBLE | WINDOW_NO_CONTROL_LIST | kStyleMaximize);
    EXPECT_TRUE(main.style == 0x00CE0000 && main.show == WindowShow::Normal && main.control_list);
    EXPECT_TRUE(settings.style == kStyleCaption && settings.centring == WindowCentring::Screen);
    EXPECT_TRUE(odd.style == kStyleMaximize && odd.show == WindowShow::Hidden && odd.minimized_or_maximized);
    const ScreenArea screen{0, 0, 1280, 1024}, parent{-100, 50, 300, 200};
    const int d = kDefaultPosition, no = tw::IGNORE;
    const struct { WindowCentring c; ScreenArea asked; const ScreenArea* around; ScreenArea frame; } cases[] = {
        {WindowCentring::None, {no, 5, 100, 80}, nullptr, {d, d, 100, 80}},
        {WindowCentring::None, {-50, 5, 100, 80}, &screen, {-50, 5, 100, 80}},  // off the screen as given
        {WindowCentring::Screen, {10, 10, 2000, 300}, &screen, {0, 362, 1280, 300}},
        {WindowCentring::Parent, {7, no, 100, 80}, nullptr, {d, d, 100, 80}},
        {WindowCentring::Parent, {7, 8, 100, 80}, nullptr, {7, 8, 100, 80}},
        {WindowCentring::Parent, {7, 8, 100, 80}, &parent, {0, 110, 100, 80}},
    };
    for (const auto& c : cases) {
        const ScreenArea f = window_frame(c.c, c.asked, c.around);
        EXPECT_TRUE(f.x == c.frame.x && f.y == c.frame.y && f.width == c.frame.width && f.height == c.frame.height);
    }
    char name[40];
    window_class_name(-42, name, sizeof name);
    EXPECT_STREQ(name, "WindowClass_-42");
}

}  // namespace
