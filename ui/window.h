// Numbered top-level windows, the event queue and its event codes, keyboard
// focus movement and the control list into which new controls go.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"
#include "ui/scale.h"

// Event codes returned by window_wait_event and window_poll_event. Anything
// else they return is the number of a window message that produced no event
// (for example 512 for a mouse move); 0 means that nothing arrived in time.
inline constexpr int EVENT_MOVE = 3;          // the window moved
inline constexpr int EVENT_SIZE = 5;          // the client area changed size
inline constexpr int EVENT_REPAINT = 15;      // the background was erased (or a paint message was read)
inline constexpr int EVENT_CLOSE = 16;        // close box, Alt+F4 or the system menu; the window stays open
inline constexpr int EVENT_CONTROL = 13100;   // a control reported something: event_control, event_type
inline constexpr int EVENT_MENU = 13101;      // a menu command or keyboard shortcut: event_control
inline constexpr int EVENT_ACTIVATE = 13104;  // the window became active
inline constexpr int EVENT_MINIMIZE = 13107;
inline constexpr int EVENT_MAXIMIZE = 13108;  // followed by EVENT_SIZE
inline constexpr int EVENT_RESTORE = 13109;   // after a minimize or maximize, followed by EVENT_SIZE

// Event types carried by EVENT_CONTROL besides the notification codes of the
// system controls (BN_CLICKED 0, EN_CHANGE 0x300, EN_UPDATE 0x400 ...).
inline constexpr int CONTROL_EVENT_CLICK = 0;             // left click or selection change
inline constexpr int CONTROL_EVENT_RIGHT_CLICK = 1;
inline constexpr int CONTROL_EVENT_DOUBLE_CLICK = 2;  // also Enter in a list: its default action
inline constexpr int CONTROL_EVENT_RIGHT_DOUBLE_CLICK = 3;
inline constexpr int CONTROL_EVENT_FOCUS_GAINED = 14000;
inline constexpr int CONTROL_EVENT_FOCUS_LOST = 14001;
inline constexpr int CONTROL_EVENT_DRAG_START = 14002;

// The private window message with which a control reports to its top-level
// window: wParam = control number, lParam = event type.
inline constexpr unsigned MSG_CONTROL_EVENT = 13103;
// A private message that the window procedure hands to the control named by
// lParam, like the colour messages.
inline constexpr unsigned MSG_CONTROL_PRIVATE = 13120;

// Flags of window_open. Every bit not listed here is a Win32 window style
// (0x00CE0000: caption, system menu, sizing border, minimize box). Without any
// style bit the window gets a caption.
inline constexpr uint32_t WINDOW_CENTRE_SCREEN = 0x1;       // centre on the screen
inline constexpr uint32_t WINDOW_CENTRE_PARENT = 0x2;       // centre on the parent (or the active window)
inline constexpr uint32_t WINDOW_NO_CONTROL_LIST = 0x8;     // do not make it the current control list
inline constexpr uint32_t WINDOW_INVISIBLE = 0x10000000;    // do not show it
// A main window that can be sized and minimised but not maximised: caption,
// system menu, sizing border and minimize box (WS_CAPTION | WS_SYSMENU |
// WS_THICKFRAME | WS_MINIMIZEBOX).
inline constexpr uint32_t WINDOW_STYLE_SIZABLE = 0x00CE0000;

// The commands of the Tab and Shift+Tab shortcuts of every window.
inline constexpr int COMMAND_FOCUS_NEXT = 64001;
inline constexpr int COMMAND_FOCUS_PREVIOUS = 64002;

// Once at start, before any window is opened: the class icon (icon resource 1
// of the program) and the arrow cursor.
void window_library_init();

// Opens window `number` (an open window with that number is closed first).
// x, y place the outer frame on the screen (tw::IGNORE: the system's default
// position); width, height are the size of the client area, in pixels. parent is the
// owner's window handle or 0. Returns the window handle (for number -1 the
// object's address, which is then its number), or 0 on failure.
intptr_t window_open(intptr_t number, int x, int y, int width, int height, tw::TextArg title,
                     uint32_t flags, intptr_t parent = 0);
// Closes one window with its controls; the owner is activated first.
void window_close(intptr_t number);
// Closes every window: numbered ones in ascending order, then dynamic ones.
void window_close_all();

// The colour value that means none set (for windows and controls).
inline constexpr int COLOUR_NONE = -1;

// Background colour 0x00BBGGRR, or COLOUR_NONE for the system's button face colour.
void window_set_colour(intptr_t number, int colour);
// Bounds of the client area for interactive and programmatic sizing, in
// layout units (ui/scale.h); 0 means no bound, tw::IGNORE keeps a bound as it is.
void window_set_bounds(intptr_t number, int min_width, int min_height, int max_width, int max_height);

// Outer frame position on the screen and client size, in pixels; 0 for a
// number without a window. Passing these four to window_open reproduces the window.
int window_x(intptr_t number);
int window_y(intptr_t number);
int window_width(intptr_t number);
int window_height(intptr_t number);
// The window handle, or 0.
intptr_t window_handle(intptr_t number);
// Moves the window, as little as it takes, so that its frame is on the
// screen (its top-left corner at least, when it is larger than the screen).
void window_keep_on_screen(intptr_t number);
// 1 while the window is minimised (maximised), 0 otherwise or without a window.
int window_is_minimized(intptr_t number);
int window_is_maximized(intptr_t number);

// The time-outs of window_poll_event that are no time.
inline constexpr int WAIT_FOREVER = -1;
inline constexpr int WAIT_NOT_AT_ALL = 0;

// Waits for the next event (window_poll_event(WAIT_FOREVER)).
int window_wait_event();
// The next event code, or 0 when nothing arrived within timeout_ms
// (0: do not wait, -1: wait without limit). Deferred events come first,
// oldest first.
int window_poll_event(int timeout_ms);

// The control (or menu command) number of the last control or menu event.
intptr_t event_control();
// The window number of the last event; NO_WINDOW when it belongs to none.
inline constexpr intptr_t NO_WINDOW = -1;
intptr_t event_window();
// The event type of the last control event; NO_EVENT_TYPE for every other event.
inline constexpr int NO_EVENT_TYPE = -1;
int event_type();
// wParam and lParam of the last message returned as its own number.
intptr_t event_wparam();
intptr_t event_lparam();

// Makes the control list of the window with this handle current (controls
// created next go into it) and returns the handle of the window that was
// current before (0 if none). With 0 it only returns the current one.
intptr_t control_list_use(intptr_t window_handle);

// Moves the keyboard focus to the next (backward 0) or previous (backward 1)
// enabled, visible tab-stop control of the active window, wrapping around.
void focus_move(int backward);
