#include "ui/portable/window_plan.h"

#include <algorithm>
#include <cstdio>

#include "runtime/runtime.h"
#include "ui/window.h"

namespace tw::ui {

WindowPlan window_plan(uint32_t flags) {
    WindowPlan plan;
    plan.control_list = (flags & WINDOW_NO_CONTROL_LIST) == 0;
    flags &= ~WINDOW_NO_CONTROL_LIST;
    const uint32_t requests = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_PARENT | WINDOW_INVISIBLE;
    // Without any style bit the window gets a caption.
    if ((flags & ~requests) == 0) flags |= kStyleCaption;
    plan.style = flags & ~requests;
    if (flags & WINDOW_CENTRE_SCREEN)
        plan.centring = WindowCentring::Screen;
    else if (flags & WINDOW_CENTRE_PARENT)
        plan.centring = WindowCentring::Parent;
    plan.minimized_or_maximized = (plan.style & (kStyleMaximize | kStyleMinimize)) != 0;
    if (flags & WINDOW_INVISIBLE)
        plan.show = WindowShow::Hidden;
    else if (plan.style & kStyleMaximize)
        plan.show = WindowShow::Maximized;
    else if (plan.style & kStyleMinimize)
        plan.show = WindowShow::Minimized;
    return plan;
}

ScreenArea window_frame(WindowCentring centring, ScreenArea asked, const ScreenArea* around) {
    ScreenArea frame = asked;
    if (centring != WindowCentring::None && around) {
        if (centring == WindowCentring::Screen) {
            frame.width = std::min(frame.width, around->width);
            frame.height = std::min(frame.height, around->height);
        }
        frame.x = std::max(0, around->x + (around->width - frame.width) / 2);
        frame.y = std::max(0, around->y + (around->height - frame.height) / 2);
    } else if (asked.x == tw::IGNORE || asked.y == tw::IGNORE) {
        // Also where there is nothing to centre on: an unknown position is
        // not taken literally.
        frame.x = frame.y = kDefaultPosition;
    }
    return frame;
}

void window_class_name(intptr_t number, char* out, std::size_t size) {
    std::snprintf(out, size, "WindowClass_%lld", static_cast<long long>(number));
}

}  // namespace tw::ui
