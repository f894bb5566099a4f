// What a new top-level window is to be, decided from window_open's arguments
// before the platform makes it: its style, how it is first shown, where its
// frame goes, and the name of its class. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tw::ui {

// The Win32 window style bits the decisions look at.
inline constexpr uint32_t kStyleCaption = 0x00C00000;
inline constexpr uint32_t kStyleMaximize = 0x01000000;
inline constexpr uint32_t kStyleMinimize = 0x20000000;
// The position that leaves the place of a frame to the system.
inline constexpr int kDefaultPosition = INT32_MIN;

// What the frame is centred on; the screen wins when both are asked for.
enum class WindowCentring { None, Screen, Parent };
// How the window is shown once made.
enum class WindowShow { Hidden, Normal, Minimized, Maximized };

// What window_open's flags ask for.
struct WindowPlan {
    uint32_t style = 0;  // the Win32 window style: the flags without the requests
    WindowCentring centring = WindowCentring::None;
    WindowShow show = WindowShow::Normal;
    bool minimized_or_maximized = false;  // from the style, shown or not
    bool control_list = true;             // becomes the current control list
};
WindowPlan window_plan(uint32_t flags);

// A rectangle on the screen: its top-left corner and its size, in pixels.
struct ScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// The outer frame of a new window. `asked` holds the position asked for
// (tw::IGNORE in either: none) and the outer size; `around` is what the frame
// is centred on (the screen at 0, 0, or the parent window), nullptr when
// there is nothing to centre on. Centred on the screen the frame is made
// no larger than the screen; centred on a window it stays right of and below
// the screen's origin. Without centring, a position not given is the system's.
ScreenArea window_frame(WindowCentring centring, ScreenArea asked, const ScreenArea* around);

// The window's own class name: "WindowClass_" and its number in decimal.
void window_class_name(intptr_t number, char* out, std::size_t size);

}  // namespace tw::ui
