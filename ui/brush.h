// The cache of solid brushes shared by colour: one brush a colour, counted by
// its users.
#pragma once

#include <cstdint>

// A solid brush (HBRUSH) for colour 0x00BBGGRR, shared by every user of that
// colour and counted; 0 when none can be made. Safe from any thread.
intptr_t brush_acquire(int colour);
// Drops one reference; the brush is deleted with its last user. A handle that
// did not come from brush_acquire is ignored.
void brush_release(intptr_t brush);
