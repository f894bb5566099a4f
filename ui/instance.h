// One running copy of a program in a Windows session: a name that the first
// copy holds until it ends, and a mark on its main window by which a later
// copy finds that window and brings it to the front.
#pragma once

#include <cstdint>

// What instance_hand_over did.
inline constexpr int INSTANCE_FIRST = 0;        // no other copy runs: this process holds the name now
inline constexpr int INSTANCE_HANDED_OVER = 1;  // the running copy's window was brought to the front
inline constexpr int INSTANCE_NO_WINDOW = 2;    // another copy holds the name but showed no marked window in time

// Takes the session-wide name `name` ("Local\\..."), held until the process
// ends. When another process holds it, waits up to `wait_ms` for a top-level
// window carrying the property `mark`, restores it when it is minimised and
// brings it (or the dialog it is showing) to the front. Should the other
// process end meanwhile, this one takes the name after all (INSTANCE_FIRST).
// A name that cannot be made at all counts as free unless a marked window
// is there already.
int instance_hand_over(const char* name, const char* mark, int wait_ms);

// Puts the property `mark` on window `number` (or takes it off), for
// instance_hand_over in a later copy.
void window_mark(intptr_t number, const char* mark, bool on = true);
