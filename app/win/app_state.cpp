// The application state and the two ways the program talks to the user.
#include "app/app.h"
#include "ui/control.h"
#include "ui/requester.h"

namespace tintwerk {

AppState& app() {
    static AppState state;
    return state;
}

UiHooks& ui_hooks() {
    static UiHooks hooks;
    return hooks;
}

void show_message(std::string_view text) {
    if (ui_hooks().message) {
        ui_hooks().message(text);
        return;
    }
    message_box_show(MESSAGE_TITLE, text, 0);
}

void set_status(std::string_view text) {
    control_set_text(CTL_STATUS, text);
    if (ui_hooks().status) ui_hooks().status(text);
}

}  // namespace tintwerk
