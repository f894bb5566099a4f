// Controls: numbered child windows inside the library's windows (push button,
// edit field, text label, check box, list, image control, image button).
//
// Control numbers are unique across all windows. A control is created into the
// current window's control list (see window.h) and then driven only through the
// generic operations below, which take its number. A number without a control
// does nothing and returns 0 (or the empty text). The number -1 asks a creating
// operation for a dynamic control whose object address is its number.
//
// Platform handles (windows, images, fonts) travel as intptr_t.
// Controls report user actions as EVENT_CONTROL with an event type
// (CONTROL_EVENT_..., or a Win32 notification code such as EN_CHANGE).
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime.h"
#include "ui/window.h"

// The event codes and event types (EVENT_CONTROL, CONTROL_EVENT_...) and
// MSG_CONTROL_EVENT come from window.h.

// Control type codes.
inline constexpr int CONTROL_TYPE_BUTTON = 1;
inline constexpr int CONTROL_TYPE_EDIT = 2;
inline constexpr int CONTROL_TYPE_TEXT = 3;
inline constexpr int CONTROL_TYPE_CHECKBOX = 4;
inline constexpr int CONTROL_TYPE_LIST = 6;
inline constexpr int CONTROL_TYPE_IMAGE = 9;
inline constexpr int CONTROL_TYPE_IMAGE_BUTTON = 19;

// Creation flags the program uses.
inline constexpr int CONTROL_FLAG_NUMBER = 0x2000;        // edit field: digits only
inline constexpr int CONTROL_FLAG_EDGE = 0x20000;         // text label: sunken edge; edit field: none
inline constexpr int CONTROL_FLAG_TOGGLE = 0x1003;        // image button that stays pushed

// Colour selectors of control_set_colour / control_get_colour.
inline constexpr int CONTROL_COLOUR_FRONT = 1;
inline constexpr int CONTROL_COLOUR_BACK = 2;

// Attributes of an image button.
inline constexpr int CONTROL_ATTR_IMAGE = 1;          // the normal picture
inline constexpr int CONTROL_ATTR_PRESSED_IMAGE = 2;  // the picture while pushed or checked

// Start-up, after window_library_init and before the first control; release of
// every control (before the windows are closed).
void control_library_init();
void control_free_all();

// Creation. Each returns the control's window handle (the object address for
// number -1), or 0 when the control cannot be made (no current window, Win32
// failure); a failed creation leaves an existing control of that number alone.
// x, y, width and height are client coordinates of the current window in
// layout units (ui/scale.h), made pixels by the library.
intptr_t control_create_button(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags = 0);
intptr_t control_create_edit(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags = 0);
intptr_t control_create_text(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags = 0);
intptr_t control_create_checkbox(intptr_t number, int x, int y, int width, int height, tw::TextArg text, int flags = 0);
intptr_t control_create_list(intptr_t number, int x, int y, int width, int height, int flags = 0);
// `image` is a platform bitmap or icon handle (image_handle); the image control
// takes the picture's size.
intptr_t control_create_image(intptr_t number, int x, int y, int width, int height, intptr_t image, int ex_style = 0);
intptr_t control_create_image_button(intptr_t number, int x, int y, int width, int height, intptr_t image, int flags = 0);

// Destroys the control and frees its number.
void control_free(intptr_t number);
// The control's window handle, or 0.
intptr_t control_handle(intptr_t number);
// The control's type code, or 0.
int control_type(intptr_t number);

// Font: number CONTROLS_TO_COME sets the default font for controls created
// afterwards; font DEFAULT_GUI_FONT_HANDLE stands for the stock default GUI font.
inline constexpr intptr_t CONTROLS_TO_COME = -1;
inline constexpr intptr_t DEFAULT_GUI_FONT_HANDLE = -1;
void control_set_font(intptr_t number, intptr_t font);

// Colours (list, edit field, text label): which = 1 front, 2 back; colour is
// 0x00BBGGRR or COLOUR_NONE.
void control_set_colour(intptr_t number, int which, int colour);
int control_get_colour(intptr_t number, int which);

std::string control_get_text(intptr_t number);
void control_set_text(intptr_t number, tw::TextArg text);
// Check state of buttons and check boxes, selected index of a list (-1 for
// none), shown picture handle of an image control.
intptr_t control_get_state(intptr_t number);
void control_set_state(intptr_t number, intptr_t value);
// In layout units like the creation; tw::IGNORE keeps a value.
void control_resize(intptr_t number, int x, int y, int width, int height);
// Off (0): the control is not redrawn while it changes (filling a list of
// thousands); on again (1): it is redrawn once, whole.
void control_set_redraw(intptr_t number, int on);

// Items of a list. Position LIST_END appends; items stay in the order they are added.
inline constexpr int LIST_END = -1;
void control_clear_items(intptr_t number);
int control_add_item(intptr_t number, int position, tw::TextArg text);
int control_remove_item(intptr_t number, int position);
int control_count_items(intptr_t number);
int control_get_item_state(intptr_t number, int position);
void control_set_item_state(intptr_t number, int position, int value);
std::string control_get_item_text(intptr_t number, int position);
void control_set_item_text(intptr_t number, int position, tw::TextArg text);
void control_set_item_data(intptr_t number, int position, intptr_t data);
intptr_t control_get_item_data(intptr_t number, int position);

// Attributes (image button: 1 normal picture, 2 pressed picture).
intptr_t control_get_attribute(intptr_t number, int attribute);
void control_set_attribute(intptr_t number, int attribute, intptr_t value);

// Posts an event of the control (given by its window handle) to its top-level
// library window: MSG_CONTROL_EVENT with the control's number and the type.
void control_post_event(intptr_t control_window, int type);
